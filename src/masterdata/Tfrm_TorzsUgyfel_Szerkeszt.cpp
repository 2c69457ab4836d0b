#include "Tfrm_TorzsUgyfel_Szerkeszt.h"

namespace {
SzerkesztoLeiras leiras()
{
    return {"Ügyfél szerkesztés",
            {353, 246},
            {{"ugyfel_nev", "ügyfél", 12, 32, 189},
             {"kapcsolat", "kapcsolattartó", 208, 32, 133},
             {"telefon", "telefon", 12, 80, 105},
             {"mobil", "mobil", 124, 80, 105},
             {"fax", "fax", 236, 80, 105},
             {"emil", "e-mail", 12, 128, 169},
             {"honlap", "honlap", 188, 128, 153},
             {"cim_irsz", "irsz.", 12, 176, 45},
             {"cim_varos", "város", 64, 176, 105},
             {"cim_cim", "cím", 176, 176, 165}},
            {168, 212},
            {252, 212}};
}
} // namespace

Tfrm_TorzsUgyfel_Szerkeszt::Tfrm_TorzsUgyfel_Szerkeszt(Tabla *tabla, QWidget *szulo)
    : Tfrm_TorzsSzerkeszt(tabla, leiras(), szulo)
{
    konvenciok();
}
