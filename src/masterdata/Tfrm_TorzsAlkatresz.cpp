#include "Tfrm_TorzsAlkatresz.h"
#include "Tfrm_TorzsAlkatresz_Szerkeszt.h"
#include "TorzsLista.h"

TorzsLeiras Tfrm_TorzsAlkatresz::leiras()
{
    TorzsLeiras l;
    l.tabla = "alkatresz";
    l.kulcs = "alkatresz";
    l.nevMezo = "alkatresz_nev";
    l.oszlopok = {{"alkatresz_nev", "alkatrész", 251}};
    l.cim = "Alkatrészek";
    l.meret = {288, 290};
    l.szerkeszto = [](Tabla *t, QWidget *szulo) -> QDialog * { return new Tfrm_TorzsAlkatresz_Szerkeszt(t, szulo); };
    return l;
}

Tfrm_TorzsAlkatresz::Tfrm_TorzsAlkatresz(bool valaszt, QWidget *szulo) : Tfrm_TorzsLista(leiras(), valaszt, szulo) {}

int AlkatreszLista(int kulcs, bool valaszt, QWidget *szulo)
{
    Tfrm_TorzsAlkatresz f(valaszt, szulo);
    return f.futtat(kulcs);
}
