#pragma once

#include "Tfrm_TorzsLista.h"

// The brand list; new brands start on the generic car picture.
class Tfrm_TorzsMarka : public Tfrm_TorzsLista {
    Q_OBJECT
public:
    explicit Tfrm_TorzsMarka(bool valaszt, QWidget *szulo = nullptr);
    static TorzsLeiras leiras();
};
