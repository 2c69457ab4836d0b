#pragma once

#include "StoreHiba.h"

// A write refused because of another program on the same database: it changed or deleted
// the row being edited, or it held the write lock past the busy timeout. Windows whose own
// refusal text would mislead show this message instead.
class MasikProgramHiba : public StoreHiba {
public:
    using StoreHiba::StoreHiba;
};
