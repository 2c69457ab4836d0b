#pragma once

#include "Tfrm_TorzsSzerkeszt.h"

class MarkaKepValaszto;

// Brand editor: the name and the picture, stored in kep.
class Tfrm_TorzsMarka_Szerkeszt : public Tfrm_TorzsSzerkeszt {
    Q_OBJECT
public:
    Tfrm_TorzsMarka_Szerkeszt(Tabla *tabla, int kep, QWidget *szulo = nullptr);
    MarkaKepValaszto *cbKep;

protected:
    void postElott() override;
};
