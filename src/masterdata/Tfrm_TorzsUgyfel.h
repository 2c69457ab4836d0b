#pragma once

#include "Tfrm_TorzsLista.h"

// The customer list.
class Tfrm_TorzsUgyfel : public Tfrm_TorzsLista {
    Q_OBJECT
public:
    explicit Tfrm_TorzsUgyfel(bool valaszt, QWidget *szulo = nullptr);
    static TorzsLeiras leiras();
};
