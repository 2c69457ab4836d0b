#include "Tfrm_TorzsMarka.h"
#include "Mezo.h"
#include "Tabla.h"
#include "Tfrm_TorzsMarka_Szerkeszt.h"
#include "TorzsLista.h"

TorzsLeiras Tfrm_TorzsMarka::leiras()
{
    TorzsLeiras l;
    l.tabla = "marka";
    l.kulcs = "marka";
    l.nevMezo = "marka_nev";
    l.oszlopok = {{"marka_nev", "márka", 251}};
    l.cim = "Márkák";
    l.meret = {288, 290};
    l.ujSor = [](Tabla *t) { t->setErtek("kep", 0); };
    // the chooser starts on the row's picture; an empty kep (a row started by
    // Szerkeszt in an empty list) starts on the generic car
    l.szerkeszto = [](Tabla *t, QWidget *szulo) -> QDialog * {
        return new Tfrm_TorzsMarka_Szerkeszt(t, MezoEgesz(t->ertek("kep")), szulo);
    };
    return l;
}

Tfrm_TorzsMarka::Tfrm_TorzsMarka(bool valaszt, QWidget *szulo) : Tfrm_TorzsLista(leiras(), valaszt, szulo) {}

int MarkaLista(int kulcs, bool valaszt, QWidget *szulo)
{
    Tfrm_TorzsMarka f(valaszt, szulo);
    return f.futtat(kulcs);
}
