#pragma once

#include "Tfrm_TorzsSzerkeszt.h"

// Part editor: the part's name.
class Tfrm_TorzsAlkatresz_Szerkeszt : public Tfrm_TorzsSzerkeszt {
    Q_OBJECT
public:
    explicit Tfrm_TorzsAlkatresz_Szerkeszt(Tabla *tabla, QWidget *szulo = nullptr);
};
