#pragma once

#include "Tfrm_TorzsLista.h"

// The part list.
class Tfrm_TorzsAlkatresz : public Tfrm_TorzsLista {
    Q_OBJECT
public:
    explicit Tfrm_TorzsAlkatresz(bool valaszt, QWidget *szulo = nullptr);
    static TorzsLeiras leiras();
};
