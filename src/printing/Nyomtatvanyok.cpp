#include "Nyomtatvanyok.h"

#include "Adatbazis.h"
#include "Beall.h"
#include "HuSzoveg.h"
#include "LevelJel.h"
#include "Lekerdezes.h"
#include <QSqlQuery>
#include "StoreHiba.h"
#include "Tabla.h"

#include <QDir>

using namespace Tervezo;

const char *const KESZITO_HONLAP = "www.pelikor.hu";

namespace {

const char *const TULAJ = "tulajdonos";

Betu T(double m, bool felkover = false, bool dolt = false) { return tahoma(m, felkover, dolt); }
Betu TNR(double m) { return Betu{"Times New Roman", m, false, false}; }

Keret ezust(bool fent, bool lent, double pt, bool pontozott = false)
{
    Keret k;
    k.fent = fent;
    k.lent = lent;
    k.vastagsag = pt;
    k.pontozott = pontozott;
    return k;
}

Elem nevvel(Elem e, const QString &nev) { e.nev = nev; return e; }
Elem atlatszo(Elem e) { e.atlatszo = true; return e; }

Elem rendszer(double fent, Hely hely, double x, RendszerErtek r, const QString &elotag, const Betu &b)
{
    Elem e = cimke(fent, hely, x, elotag, b);
    e.tipus = ElemTipus::Rendszer;
    e.rendszer = r;
    return e;
}

Elem alakzat(double bal, double fent, double szeles, double magas)
{
    Elem e;
    e.tipus = ElemTipus::Alakzat;
    e.bal = bal;
    e.fent = fent;
    e.szeles = szeles;
    e.magas = magas;
    return e;
}

// a signature caption: centred in its box, dotted silver line along the top
Elem alairas(double fent, double bal, const QString &szoveg)
{
    Elem e = doboz(cimke(fent, Balra, bal, szoveg, T(10)), 55.9, 4.3, true);
    e.igazitas = Igazitas::Kozep;
    e.keret = ezust(true, false, 1, true);
    return e;
}

QList<Elem> tulajdonosBal()
{
    return {adat(1.3, Balra, 0, "tulajdonos", T(10, true), TULAJ),
            adat(6.6, Balra, 0, "irszvaros", T(10), TULAJ),
            adat(10.6, Balra, 0, "cim", T(10), TULAJ),
            adat(14.6, Balra, 0, "telefon", T(10), TULAJ),
            adat(18.5, Balra, 0, "emil", T(10), TULAJ),
            adat(23.8, Balra, 0, "honlap", T(10), TULAJ)};
}

Elem levelSzam()
{
    Elem e = adat(1.3, JobbSzelre, 190, "doksi_id", T(12, true));
    e.formatum = Formatum::LevelSzam;
    return e;
}

QList<Elem> tulajdonosJobb(const QString &cim)
{
    return {alakzat(0, 0, 67.8, 20.2),
            alakzat(131.0, 0, 58.5, 20.2),
            atlatszo(cimke(1.3, Balra, 0, cim, T(16, true))),
            adat(1.3, JobbSzelre, 190, "tulajdonos", T(10, true), TULAJ),
            adat(6.6, JobbSzelre, 190, "irszvaros", T(10), TULAJ),
            adat(10.6, JobbSzelre, 190, "cim", T(10), TULAJ),
            adat(14.6, JobbSzelre, 190, "telefon", T(10), TULAJ)};
}

QList<Elem> lablecSorok(double s1, double s2, double s3, const QString &objektum)
{
    const Betu c{"Courier New", 8, false, false};
    return {cimke(s1, Balra, 0, "DorvPrg", c),
            rendszer(s1, JobbSzelre, 190, RendszerErtek::DatumIdo, {}, c),
            rendszer(s2, JobbSzelre, 190, RendszerErtek::Cim, {}, c),
            rendszer(s3, Balra, 0, RendszerErtek::Oldalszam, "oldal: ", c),
            cimke(s3, SavKozepre, 0, KESZITO_HONLAP, c),
            cimke(s3, JobbSzelre, 190, objektum, c)};
}

Sav sav(SavTipus t, double magas, QList<Elem> elemek, Keret k = {})
{
    Sav s;
    s.tipus = t;
    s.magas = magas;
    s.keret = k;
    s.elemek = std::move(elemek);
    return s;
}

// page header of the four letter forms: owner block, letter number, the form's titles
Sav levelFejlec(const QList<Elem> &cimek)
{
    QList<Elem> e = tulajdonosBal();
    e << levelSzam();
    for (const Elem &c : cimek)
        e << atlatszo(c);
    return sav(SavTipus::Fejlec, 35.4, e, ezust(false, true, 2));
}

Sav levelLablec(const QList<Elem> &elotte, const QString &objektum)
{
    QList<Elem> e = elotte;
    e << lablecSorok(27.8, 31.8, 35.7, objektum);
    return sav(SavTipus::Lablec, 42.0, e);
}

Elrendezes alap(const char *osztaly, const char *objektum, const QString &cim)
{
    Elrendezes e;
    e.osztaly = osztaly;
    e.objektum = objektum;
    e.cim = cim;
    return e;
}

Elrendezes dorv()
{
    Elrendezes e = alap("TqrDorv", "qrDorv", "Jótállási tanusítvány");
    e.savok << levelFejlec({cimke(25.1, SavKozepre, 0, "Jótállási tanusítvány", T(16, true))});
    e.savok << sav(SavTipus::Reszlet, 153.5, {
        cimke(4.0, SavKozepre, 0, "Garancia kezdete", T(12)),
        adat(10.6, SavKozepre, 0, "datum", T(14, true)),
        cimke(17.2, Balra, 0, "Tisztelt megrendelőnk!", T(10)),
        cimke(23.8, SavKozepre, 0, "Az általunk javított alkatrészért", T(12)),
        adat(30.4, SavKozepre, 0, "dorvido", T(14, true)),
        nevvel(doboz(cimke(41.0, Balra, 0, {}, T(10)), 189.5, 21.5, true), "s1"),
        cimke(63.5, Balra, 0, "Alkatrész típusa (márka/típus)", T(10, false, true)),
        doboz(adat(63.5, Balra, 49.3, "marka_nev", T(10, true)), 24.5, 6.3, false),
        cimke(63.5, Kozepre, 75.7, "-", T(10, true)),
        adat(63.5, Balra, 78.7, "alkatresz_nev", T(10, true)),
        cimke(70.1, Balra, 0, "Sorozatszám", T(10, false, true)),
        adat(70.1, Balra, 48.9, "sorozatszam", T(10, true)),
        cimke(87.3, Balra, 0, "Megjegyzés", T(10, false, true)),
        doboz(adat(87.3, Balra, 48.9, "megjegyzes", TNR(10)), 140.6, 14.9, false),
        adat(113.8, Balra, 49.3, "ugyfel_nev", T(10, true)),
        cimke(115.1, Balra, 0, "Megrendelő", T(10, false, true)),
        adat(120.4, Balra, 49.3, "cim_irsz", T(10, true)),
        cimke(120.4, Kozepre, 64.8, ",", T(10, true)),
        adat(120.4, Balra, 66.8, "cim_varos", T(10, true)),
        adat(127.0, Balra, 49.3, "cim_cim", T(10, true)),
        cimke(134.9, Balra, 0, "Gépjármű (márka/rendszám)", T(10, false, true)),
        doboz(adat(134.9, Balra, 49.3, "marka_nev", T(10, true)), 24.5, 6.3, false),
        cimke(134.9, Kozepre, 75.7, "-", T(12, true)),
        adat(134.9, Balra, 78.7, "rendszam", T(10, true)),
        nevvel(doboz(cimke(146.8, Balra, 0, {}, T(10)), 189.5, 5.6, true, true), "s2"),
    });
    e.savok << levelLablec({alairas(17.2, 121.7, "Szervíz részéről aláírás PH")}, e.objektum);
    return e;
}

Elrendezes dorv2()
{
    Elrendezes e = alap("TqrDorv2", "qrDorv2", "Jótállási tanusítvány - ki és beszereléssel");
    e.savok << levelFejlec({cimke(11.9, SavKozepre, 0, "Jótállási tanusítvány", T(16, true)),
                            cimke(19.8, SavKozepre, 0, "Javított alkatrészre", T(12, true)),
                            cimke(26.5, SavKozepre, 0, "gépjárműből ki és beszereléssel", T(12, true))});
    e.savok << sav(SavTipus::Reszlet, 153.5, {
        cimke(4.0, SavKozepre, 0, "Garancia kezdete", T(12)),
        adat(10.6, SavKozepre, 0, "datum", T(14, true)),
        cimke(17.2, Balra, 0, "Tisztelt megrendelőnk!", T(10)),
        cimke(23.8, SavKozepre, 0, "Az általunk javított alkatrészért, illetve a ki és beszerelésért", T(12)),
        adat(30.4, SavKozepre, 0, "dorvido", T(14, true)),
        nevvel(doboz(cimke(39.7, Balra, 0, {}, T(10)), 189.5, 21.5, true), "s1"),
        cimke(63.5, Balra, 0, "Gépjármű típusa", T(10, false, true)),
        adat(63.5, Balra, 49.3, "marka_nev", T(10, true)),
        cimke(70.1, Balra, 0, "Rendszám", T(10, false, true)),
        adat(70.1, Balra, 48.9, "rendszam", T(10, true)),
        cimke(76.7, Balra, 0, "Kilométeróra állás", T(10, false, true)),
        adat(76.7, Balra, 48.9, "kmora", T(10, true)),
        cimke(83.3, Balra, 0, "Javított alkatrész", T(10, false, true)),
        adat(83.3, Balra, 48.9, "alkatresz_nev", T(10, true)),
        cimke(91.3, Balra, 0, "Megjegyzés", T(10, false, true)),
        doboz(adat(91.3, Balra, 48.9, "megjegyzes", TNR(10)), 140.6, 12.2, false),
        adat(104.5, Balra, 49.3, "ugyfel_nev", T(10, true)),
        cimke(105.8, Balra, 0, "Megrendelő", T(10, false, true)),
        adat(111.1, Balra, 49.3, "cim_irsz", T(10, true)),
        cimke(111.1, Kozepre, 64.8, ",", T(10, true)),
        adat(111.1, Balra, 66.8, "cim_varos", T(10, true)),
        adat(117.7, Balra, 49.3, "cim_cim", T(10, true)),
        cimke(125.7, Balra, 0, "Egyéb javítások", T(10, false, true)),
        doboz(adat(125.7, Balra, 49.3, "egyebjav", T(10, true)), 101.9, 20.2, false),
        nevvel(doboz(cimke(146.8, Balra, 0, {}, T(10)), 189.5, 5.6, true, true), "s2"),
    });
    e.savok << levelLablec({alairas(17.2, 121.7, "Szervíz részéről aláírás PH")}, e.objektum);
    return e;
}

Elrendezes dorv3()
{
    Elrendezes e = alap("TqrDorv3", "qrDorv3", "Javításra hozott gépkocsi megrendelőlap");
    e.savok << levelFejlec({cimke(15.9, SavKozepre, 0, "Javításra hozott gépkocsi", T(16, true)),
                            cimke(23.8, SavKozepre, 0, "megrendelőlap", T(12, true))});
    const Betu d = T(10, false, true), b = T(10, true);
    e.savok << sav(SavTipus::Reszlet, 153.5, {
        cimke(4.0, SavKozepre, 0, "Beérkezés", T(12)),
        adat(10.6, SavKozepre, 0, "dat_beerk", T(14, true)),
        cimke(25.1, Balra, 0, "Gépjármű típusa", d),
        adat(25.1, Balra, 49.6, "marka_nev", b),
        cimke(34.4, Balra, 0, "Rendszám", d),
        adat(34.4, Balra, 49.6, "rendszam", b),
        cimke(43.7, Balra, 0, "Kilométeróra állás", d),
        adat(43.7, Balra, 49.6, "kmora", b),
        adat(52.9, Balra, 49.6, "ugyfel_nev", b),
        cimke(54.2, Balra, 0, "Megrendelő", d),
        adat(59.5, Balra, 49.6, "cim_irsz", b),
        cimke(59.5, Kozepre, 64.8, ",", b),
        adat(59.5, Balra, 66.8, "cim_varos", b),
        adat(66.1, Balra, 49.6, "cim_cim", b),
        cimke(74.1, Balra, 0, "hibajelenség", d),
        doboz(adat(74.1, Balra, 49.6, "hibajelenseg", b), 101.9, 20.2, false),
        cimke(95.2, Balra, 0, "elvállalt javítások", d),
        doboz(adat(95.2, Balra, 49.6, "elvjavitas", b), 101.9, 20.2, false),
        cimke(117.7, Balra, 0, "várható költség", d),
        adat(117.7, Balra, 49.6, "ft_varhato", b),
        cimke(127.0, Balra, 0, "Látható sérülések", d),
        doboz(adat(127.0, Balra, 49.6, "serulesek", b), 101.9, 20.2, false),
        nevvel(doboz(cimke(146.8, Balra, 0, {}, T(10)), 189.5, 5.6, true, true), "s2"),
    });
    e.savok << levelLablec({cimke(4.0, Balra, 0, "Kérjük, átvételkor a megrendelőlapot hozza magával!", d),
                            alairas(17.2, 121.7, "Szervíz részéről aláírás PH")},
                           e.objektum);
    return e;
}

Elrendezes dorv4()
{
    Elrendezes e = alap("TqrDorv4", "qrDorv4", "Szerelő munkalap");
    e.savok << levelFejlec({cimke(22.5, SavKozepre, 0, "Szerelő munkalap", T(16, true))});
    const Betu d = T(10, false, true), b = T(10, true);
    e.savok << sav(SavTipus::Reszlet, 148.2, {
        cimke(4.0, Balra, 0, "Gépjármű típusa", d),
        adat(4.0, Balra, 50.3, "marka_nev", b),
        cimke(10.6, Balra, 0, "Rendszám", d),
        adat(10.6, Balra, 50.3, "rendszam", b),
        adat(17.2, Balra, 50.3, "ugyfel_nev", b),
        cimke(18.5, Balra, 0, "Megrendelő", d),
        adat(23.8, Balra, 50.3, "cim_irsz", b),
        adat(23.8, Balra, 68.1, "cim_varos", b),
        adat(30.4, Balra, 50.3, "cim_cim", b),
        cimke(37.0, Balra, 0, "Átvett okmányok", d),
        adat(37.0, Balra, 50.3, "okmanyok", b),
        cimke(43.7, Balra, 0, "Átvétel dátuma", d),
        adat(43.7, Balra, 50.3, "dat_beerk", b),
        cimke(50.3, Balra, 0, "hibajelenség", d),
        doboz(adat(50.3, Balra, 50.3, "hibajelenseg", b), 101.9, 20.2, false),
        cimke(71.4, Balra, 0, "Javítással összefüggésben", d),
        doboz(adat(71.4, Balra, 49.3, "hiba1", b), 101.9, 20.2, false),
        cimke(92.6, Balra, 0, "Elvégzett javítások", d),
        doboz(adat(92.6, Balra, 49.3, "hiba2", b), 101.9, 20.2, false),
        cimke(113.8, Balra, 0, "Egyéb észrevételek", d),
        doboz(adat(113.8, Balra, 49.3, "hiba3", b), 101.9, 20.2, false),
        cimke(140.2, Balra, 0, "Befejezési határidő", d),
        adat(140.2, Balra, 50.3, "dat_befejez", b),
    });
    e.savok << levelLablec({cimke(1.3, Balra, 0, "A megrendelőlapon feltüntetett adatokkal egyetértek, a javítást megrendelem", T(10)),
                            alairas(17.2, 10.6, "Szerelő aláírás PH"),
                            alairas(17.2, 116.4, "Megrendelő aláírás")},
                           e.objektum);
    return e;
}

// a fixed list cell: left-aligned, no wrap, no auto size
Elem cella(Elem e, double szeles, double magas = 4.3) { return doboz(e, szeles, magas, false); }

Elrendezes lista()
{
    Elrendezes e = alap("TqrLista", "qrLista", "Egyszerű lista");
    struct Oszlop { double bal, szeles; const char *cim, *mezo; };
    static const Oszlop oszlopok[] = {
        {0.0, 12.2, "ID", "doksi_id"},          {13.2, 21.5, "dátum", "datum"},
        {35.7, 20.2, "dorv.idő", "dorvido"},    {56.9, 24.1, "márka", "marka_nev"},
        {82.0, 28.1, "alkatrész", "alkatresz_nev"}, {111.1, 17.5, "rendszám", "rendszam"},
        {129.6, 22.8, "sorozatszám", "sorozatszam"}, {153.5, 34.7, "ügyfél", "ugyfel_nev"},
    };
    QList<Elem> fej = tulajdonosJobb(e.cim);
    QList<Elem> sor;
    for (const Oszlop &o : oszlopok) {
        fej << cella(cimke(23.8, Balra, o.bal, o.cim, T(9)), o.szeles);
        Elem c = cella(adat(1.3, Balra, o.bal, o.mezo, T(9, QLatin1String(o.mezo) == "doksi_id")), o.szeles);
        if (c.mezo == "doksi_id")
            c.formatum = Formatum::Szamjegy5;   // "No: " would not fit the 12.2 mm column
        sor << c;
    }
    Elem megj = cella(adat(6.6, Balra, 2.6, "megjegyzes", TNR(9)), 185.5);
    megj.nyujthato = true;
    sor << megj;
    e.savok << sav(SavTipus::Fejlec, 30.1, fej, ezust(false, true, 2));
    e.savok << sav(SavTipus::Reszlet, 11.9, sor, ezust(false, true, 1));
    e.savok << sav(SavTipus::Lablec, 14.6, lablecSorok(1.3, 5.3, 9.3, e.objektum), ezust(true, false, 1));
    return e;
}

Elrendezes megjegyzes()
{
    Elrendezes e = alap("TqrMegjegyzes", "qrMegjegyzes", "Megjegyzések");
    e.alapBetu = Betu{"Arial", 10, false, false};
    e.savok << sav(SavTipus::Fejlec, 22.2, tulajdonosJobb(e.cim), ezust(false, true, 2));
    Sav csoport = sav(SavTipus::CsoportFejlec, 7.9, {
        doboz(adat(1.3, Balra, 0.0, "doksi_id", T(11, true)), 29.4, 5.0, true),
        doboz(cimke(1.3, Balra, 30.4, "téma", T(8, false, true)), 12.2, 4.3, true),
        doboz(adat(1.3, Balra, 43.7, "tema", T(8, true)), 144.5, 4.3, true),
    }, ezust(false, true, 1));
    csoport.csoportMezo = "doksi";
    e.savok << csoport;
    e.savok << sav(SavTipus::Reszlet, 11.9, {
        doboz(adat(1.3, Balra, 1.3, "datum", T(9, true)), 28.1, 4.3, false),
        doboz(adat(1.3, Balra, 30.4, "rovid", T(9, true)), 157.8, 4.3, false),
        doboz(adat(6.6, Balra, 1.3, "megjegyzes", TNR(9)), 186.9, 4.3, true, true),
    }, ezust(false, true, 1));
    e.savok << sav(SavTipus::Lablec, 14.6, lablecSorok(1.3, 5.3, 9.3, e.objektum), ezust(true, false, 1));
    return e;
}

const char *const LEVEL_JOIN =
    " FROM doksi d"
    " LEFT JOIN marka m ON m.marka = d.marka"
    " LEFT JOIN alkatresz a ON a.alkatresz = d.alkatresz"
    " LEFT JOIN ugyfel u ON u.ugyfel = d.ugyfel"
    " WHERE d.doksi = :pdoksi";

const char *const UGYFEL_MEZOK = ", m.marka_nev, a.alkatresz_nev, u.ugyfel_nev, u.cim_irsz, u.cim_varos, u.cim_cim";

} // namespace

void LevelKodHozzaad(Elrendezes &e)
{
    // the top right corner under the letter number is free on every letter form
    for (Sav &s : e.savok)
        if (s.tipus == SavTipus::Fejlec) {
            Elem k = doboz(cimke(7.0, Balra, 190 - KOD_SZELES, {}, Betu{"Courier New", 6.5, false, false}),
                           KOD_SZELES, KOD_SZELES + 3.5, false);
            k.tipus = ElemTipus::Kod;
            k.nev = "kod";
            k.igazitas = Igazitas::Kozep;
            s.elemek << k;
            return;
        }
}

QString NyomtatasiMunka::pdfNev() const
{
    return PdfNevJavaslat(m_e.cim, m_prntip, m_doksiId);
}

Elrendezes ElrendezesKeszit(NyomtatvanyFajta f)
{
    switch (f) {
    case NyomtatvanyFajta::Jotallas: return dorv();
    case NyomtatvanyFajta::Szereles: return dorv2();
    case NyomtatvanyFajta::Javitas: return dorv3();
    case NyomtatvanyFajta::Szerelo: return dorv4();
    case NyomtatvanyFajta::Lista: return lista();
    case NyomtatvanyFajta::Megjegyzes: return megjegyzes();
    }
    return {};
}

QString FoLekerdezesSql(NyomtatvanyFajta f)
{
    switch (f) {
    case NyomtatvanyFajta::Jotallas:
        return QString("SELECT d.doksi, d.doksi_id, d.datum, d.dorvido, d.marka, d.alkatresz, d.rendszam,"
                       " d.ugyfel, d.sorozatszam, d.megjegyzes, d.prntip") + UGYFEL_MEZOK + LEVEL_JOIN;
    case NyomtatvanyFajta::Szereles:
    case NyomtatvanyFajta::Javitas:
    case NyomtatvanyFajta::Szerelo:
        return QString("SELECT d.*") + UGYFEL_MEZOK + LEVEL_JOIN;
    case NyomtatvanyFajta::Megjegyzes:
        // `tema` is not a field of the letter: it shows the letter's brand, part and
        // registration number, which say what the notes are about
        return "SELECT n.*, d.doksi_id,"
               " substr(trim(trim(coalesce(m.marka_nev, '') || ' ' || coalesce(a.alkatresz_nev, ''))"
               "   || ' ' || coalesce(d.rendszam, '')), 1, 100) AS tema"
               " FROM doksi_megj n"
               " INNER JOIN doksi d ON d.doksi = n.doksi"
               " LEFT JOIN marka m ON m.marka = d.marka"
               " LEFT JOIN alkatresz a ON a.alkatresz = d.alkatresz"
               " WHERE n.doksi = :pdoksi"
               " ORDER BY n.datum DESC, n.doksi_megj DESC";
    case NyomtatvanyFajta::Lista:
        break;
    }
    return {};
}

QStringList FajtaNevek() { return {"jotallas", "szereles", "javitas", "szerelo", "lista", "megjegyzes"}; }

bool FajtaNevbol(const QString &nev, NyomtatvanyFajta &f)
{
    static const struct { const char *nev, *osztaly; NyomtatvanyFajta f; } t[] = {
        {"jotallas", "TqrDorv", NyomtatvanyFajta::Jotallas},
        {"szereles", "TqrDorv2", NyomtatvanyFajta::Szereles},
        {"javitas", "TqrDorv3", NyomtatvanyFajta::Javitas},
        {"szerelo", "TqrDorv4", NyomtatvanyFajta::Szerelo},
        {"lista", "TqrLista", NyomtatvanyFajta::Lista},
        {"megjegyzes", "TqrMegjegyzes", NyomtatvanyFajta::Megjegyzes},
    };
    for (const auto &s : t)
        if (nev.compare(s.nev, Qt::CaseInsensitive) == 0 || nev.compare(s.osztaly, Qt::CaseInsensitive) == 0) {
            f = s.f;
            return true;
        }
    return false;
}

bool LekerdezesForras::elso()
{
    m_q.elso();
    return !m_q.eof();
}

bool LekerdezesForras::kovetkezo()
{
    m_q.kovetkezo();
    return !m_q.eof();
}

QVariant LekerdezesForras::ertek(const QString &mezo) const
{
    if (m_q.oszlop(mezo) < 0)
        return {};
    return m_q.ertek(mezo);
}

int LekerdezesForras::sorokSzama() const { return m_q.rekordSzam(); }

bool TablaForras::elso()
{
    if (m_t.ures())
        return false;
    m_t.elso();
    return true;
}

bool TablaForras::kovetkezo()
{
    m_t.kovetkezo();
    return !m_t.eof();
}

QVariant TablaForras::ertek(const QString &mezo) const
{
    if (!m_sor)
        return m_t.vanMezo(mezo) ? m_t.ertek(mezo) : QVariant();
    auto it = m_oszlop.constFind(mezo);
    if (it == m_oszlop.constEnd())
        it = m_oszlop.insert(mezo, m_t.oszlop(mezo));
    return *it >= 0 && *it < m_sor->size() ? m_sor->at(*it) : QVariant();
}

void TablaForras::bejar(const std::function<bool()> &f)
{
    if (m_t.ures())
        return;
    if (m_t.szerkesztes())
        m_t.post();
    int utolso = -1;
    bool vegig = true;
    m_t.bejar([&](int sor, const QVector<QVariant> &ertekek) {
        m_sor = &ertekek;
        utolso = sor;
        vegig = f();
        return vegig;
    });
    m_sor = nullptr;
    if (vegig)
        m_t.utolso();
    else if (utolso >= 0)
        m_t.ugrik(utolso);
}

int TablaForras::sorokSzama() const { return m_t.rekordSzam(); }

NyomtatasiMunka::~NyomtatasiMunka()
{
    if (m_q)
        m_q->bezar();
}

std::unique_ptr<NyomtatasiMunka> NyomtatasiMunka::nyit(NyomtatvanyFajta f, int doksi)
{
    std::unique_ptr<NyomtatasiMunka> m(new NyomtatasiMunka);
    m->m_e = ElrendezesKeszit(f);
    m->m_tulaj = TulajdonosOlvas();
    m->m_q = std::make_unique<Lekerdezes>(FoLekerdezesSql(f));
    m->m_q->setParam("pdoksi", doksi);
    m->m_q->megnyit();
    m->m_fo = std::make_unique<LekerdezesForras>(*m->m_q);
    m->m_fajta = f;
    m->m_doksi = doksi;
    // the letter as its name goes outside: kind and number (the notes may have no row)
    QSqlQuery q = Adatbazis::lekerdez("SELECT prntip, doksi_id FROM doksi WHERE doksi = ?", {doksi});
    if (q.next() && q.value(0).toString().size() == 1 && !q.value(1).isNull()) {
        m->m_prntip = q.value(0).toString().at(0);
        m->m_doksiId = q.value(1).toInt();
    }
    if (Beall.QrKod && (f == NyomtatvanyFajta::Jotallas || f == NyomtatvanyFajta::Szereles
                        || f == NyomtatvanyFajta::Javitas))
        LevelKodHozzaad(m->m_e);

    // document texts: each line of the file is a paragraph of the label. They lie in the
    // database folder as set now (the settings window may have changed it since the store
    // was opened), as the settings window's text buttons open them.
    const QString mappa = Beall.AdatbazisUtvonal.isEmpty() ? Adatbazis::mappa() : Beall.AdatbazisUtvonal;
    auto szoveg = [&](const char *fajl, const char *cimke) {
        const QString ut = QDir(mappa).filePath(fajl);
        const QString s = HuSzoveg::fajlSorok(ut).join("\r\n");
        if (Elem *e = m->m_e.elem(cimke))
            e->szoveg = s;
    };
    if (f == NyomtatvanyFajta::Jotallas || f == NyomtatvanyFajta::Szereles) {
        szoveg("s1.txt", "s1");
        szoveg("s2.txt", "s2");
    } else if (f == NyomtatvanyFajta::Javitas) {
        szoveg("s3.txt", "s2");
    }
    return m;
}

std::unique_ptr<NyomtatasiMunka> NyomtatasiMunka::lista(Tabla &tbl)
{
    std::unique_ptr<NyomtatasiMunka> m(new NyomtatasiMunka);
    m->m_e = ElrendezesKeszit(NyomtatvanyFajta::Lista);
    m->m_tulaj = TulajdonosOlvas();
    if (!tbl.nyitva())
        throw StoreHiba("A levelek listája nincs megnyitva.");
    m->m_fo = std::make_unique<TablaForras>(tbl);
    return m;
}

std::unique_ptr<NyomtatasiMunka> NyomtatasiMunka::forrasbol(Elrendezes e, std::unique_ptr<Adatforras> fo)
{
    std::unique_ptr<NyomtatasiMunka> m(new NyomtatasiMunka);
    m->m_e = std::move(e);
    m->m_tulaj = TulajdonosOlvas();
    m->m_fo = std::move(fo);
    return m;
}

Oldalak NyomtatasiMunka::lapoz(Lapozo::Haladas haladas, bool *megszakitva)
{
    Lapozo l(m_e, m_fo.get(), {{TULAJ, &m_tulaj}});
    l.setHaladas(std::move(haladas));
    Oldalak o = l.lapoz();
    if (megszakitva)
        *megszakitva = l.megszakitva();
    return o;
}
