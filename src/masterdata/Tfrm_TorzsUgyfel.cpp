#include "Tfrm_TorzsUgyfel.h"
#include "Tfrm_TorzsUgyfel_Szerkeszt.h"
#include "TorzsLista.h"

TorzsLeiras Tfrm_TorzsUgyfel::leiras()
{
    TorzsLeiras l;
    l.tabla = "ugyfel";
    l.kulcs = "ugyfel";
    l.nevMezo = "ugyfel_nev";
    // the phone columns take a number written as "+36 26 876 5432"
    l.oszlopok = {{"ugyfel_nev", "ügyfél", 172}, {"telefon", "telefon", 88}, {"mobil", "mobil", 88},
                  {"kapcsolat", "kapcsolat", 116}};
    l.cim = "Ügyfelek";
    l.meret = {504, 290};
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
