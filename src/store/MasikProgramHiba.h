#pragma once

#include "StoreHiba.h"

// A write refused because of another program on the same database: it changed or deleted
// the row being edited, or it held the write lock past the busy timeout. Windows whose own
// refusal text would mislead show this message instead.
class MasikProgramHiba : public StoreHiba {
public:
    using StoreHiba::StoreHiba;
};

// A statement the server refused for want of a privilege of the logged-in role (SQLSTATE
// 42501): nothing typed is wrong, so the windows that show another program's refusal as it is
// show this one so too.
class JogHiba : public MasikProgramHiba {
public:
    JogHiba() : MasikProgramHiba(QString("Nincs jogosultság a művelethez.")) {}
    // The one mapping of the server's codes: throws JogHiba for a refused privilege.
    static void ellenoriz(const char *sqlstate);
};
