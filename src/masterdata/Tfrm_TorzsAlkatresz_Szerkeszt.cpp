#include "Tfrm_TorzsAlkatresz_Szerkeszt.h"

Tfrm_TorzsAlkatresz_Szerkeszt::Tfrm_TorzsAlkatresz_Szerkeszt(Tabla *tabla, QWidget *szulo)
    : Tfrm_TorzsSzerkeszt(tabla,
                          {"Alkatrész szerkesztés", {304, 107}, {{"alkatresz_nev", "alkatrész", 12, 28, 277}},
                           {120, 72}, {204, 72}},
                          szulo)
{
    konvenciok();
}
