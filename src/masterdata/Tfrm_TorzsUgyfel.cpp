#include "Tfrm_TorzsUgyfel.h"
#include "Tfrm_TorzsUgyfel_Szerkeszt.h"
#include "TorzsLista.h"

TorzsLeiras Tfrm_TorzsUgyfel::leiras()
{
    TorzsLeiras l;
    l.tabla = "ugyfel";
    l.kulcs = "ugyfel";
    l.nevMezo = "ugyfel_nev";
    l.oszlopok = {{"ugyfel_nev", "ügyfél", 172}, {"telefon", "telefon", 77}, {"mobil", "mobil", 77},
                  {"kapcsolat", "kapcsolat", 116}};
    l.cim = "Ügyfelek";
    l.meret = {482, 290};
    l.keresoSzeles = 121;
    l.keresoFelkover = false;
    l.szerkeszto = [](Tabla *t, QWidget *szulo) -> QDialog * { return new Tfrm_TorzsUgyfel_Szerkeszt(t, szulo); };
    return l;
}

Tfrm_TorzsUgyfel::Tfrm_TorzsUgyfel(bool valaszt, QWidget *szulo) : Tfrm_TorzsLista(leiras(), valaszt, szulo) {}

int UgyfelLista(int kulcs, bool valaszt, QWidget *szulo)
{
    Tfrm_TorzsUgyfel f(valaszt, szulo);
    return f.futtat(kulcs);
}
