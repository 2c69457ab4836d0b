#pragma once

#include "Tfrm_TorzsSzerkeszt.h"

// Customer editor: name, contact, telephones, e-mail, web page and address.
class Tfrm_TorzsUgyfel_Szerkeszt : public Tfrm_TorzsSzerkeszt {
    Q_OBJECT
public:
    explicit Tfrm_TorzsUgyfel_Szerkeszt(Tabla *tabla, QWidget *szulo = nullptr);
};
