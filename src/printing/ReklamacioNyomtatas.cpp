#include "ReklamacioNyomtatas.h"

#include "Adatbazis.h"
#include "Mezo.h"
#include "NyomtatasPdf.h"
#include "Nyomtatvanyok.h"
#include "Reklamacio.h"
#include "StoreHiba.h"

#include <QSqlQuery>
#include <QSqlRecord>

using namespace Tervezo;

namespace {

// The rows of a printout read at once into memory: a claim, a period's claims, or the
// worklist the window already holds.
class SorokForras : public Adatforras {
public:
    explicit SorokForras(QList<QHash<QString, QVariant>> sorok) : m_sorok(std::move(sorok)) {}
    bool elso() override { m_i = 0; return !m_sorok.isEmpty(); }
    bool kovetkezo() override { return ++m_i < m_sorok.size(); }
    QVariant ertek(const QString &mezo) const override
    {
        return m_i < m_sorok.size() ? m_sorok[m_i].value(mezo.toLower()) : QVariant();
    }
    int sorokSzama() const override { return int(m_sorok.size()); }

private:
    QList<QHash<QString, QVariant>> m_sorok;
    qsizetype m_i = 0;
};

const char *const LEKERDEZES =
    "SELECT r.*, d.prntip, d.doksi_id, d.datum AS level_datum, d.dorvido, d.rendszam, d.sorozatszam,"
    " d.kmora AS level_kmora, m.marka_nev, a.alkatresz_nev, u.ugyfel_nev, u.cim_irsz, u.cim_varos, u.cim_cim,"
    " u.telefon AS ugyfel_telefon"
    " FROM reklamacio r INNER JOIN doksi d ON d.doksi = r.doksi"
    " LEFT JOIN marka m ON m.marka = d.marka"
    " LEFT JOIN alkatresz a ON a.alkatresz = d.alkatresz"
    " LEFT JOIN ugyfel u ON u.ugyfel = d.ugyfel";

// SQLite gives dates as their text; the printout shows them as every other date
QVariant datumma(const QVariant &v)
{
    if (v.isNull() || v.typeId() == QMetaType::QDate)
        return v;
    const QDate d = QDate::fromString(v.toString().left(10), Qt::ISODate);
    return d.isValid() ? QVariant(d) : v;
}

// "12 500 Ft": thousands apart by a space, as Hungarian writes amounts
QString forint(qint64 n)
{
    QString s = QString::number(qAbs(n));
    for (qsizetype i = s.size() - 3; i > 0; i -= 3)
        s.insert(i, ' ');
    return (n < 0 ? "-" : "") + s + " Ft";
}

QList<QHash<QString, QVariant>> olvas(const QString &sql, const QVariantList &ertekek)
{
    QList<QHash<QString, QVariant>> sorok;
    QSqlQuery q = Adatbazis::lekerdez(sql, ertekek);
    while (q.next()) {
        QHash<QString, QVariant> s;
        const QSqlRecord r = q.record();
        for (int i = 0; i < r.count(); ++i)
            s.insert(r.fieldName(i).toLower(), q.value(i));
        for (const char *d : {"datum", "dat_kuldes", "dat_lezaras", "level_datum"})
            s[d] = datumma(s.value(d));
        s["level"] = Reklamacio::levelNev(s.value("prntip").toString(), s.value("doksi_id").toInt());
        s["marka_alkatresz"] = QStringList{s.value("marka_nev").toString(), s.value("alkatresz_nev").toString()}
                                   .join(" – ").trimmed();
        s["ugyfel_cim"] = QStringList{s.value("cim_irsz").toString().trimmed(), s.value("cim_varos").toString().trimmed(),
                                      s.value("cim_cim").toString().trimmed()}
                              .join(' ').simplified();
        const QVariant k = s.value("koltseg");
        s["koltseg_ft"] = k.isNull() ? QVariant() : QVariant(forint(k.toLongLong()));
        sorok << s;
    }
    return sorok;
}

Betu T(double m, bool felkover = false, bool dolt = false) { return tahoma(m, felkover, dolt); }

Keret vonal(bool fent, bool lent, double pt, bool pontozott = false)
{
    Keret k;
    k.fent = fent;
    k.lent = lent;
    k.vastagsag = pt;
    k.pontozott = pontozott;
    return k;
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

Elem rendszer(double fent, Hely hely, double x, RendszerErtek r, const QString &elotag, const Betu &b)
{
    Elem e = cimke(fent, hely, x, elotag, b);
    e.tipus = ElemTipus::Rendszer;
    e.rendszer = r;
    return e;
}

QList<Elem> fejlec(const QString &cim)
{
    return {cimke(1.3, Balra, 0, cim, T(16, true)),
            adat(1.3, JobbSzelre, 190, "tulajdonos", T(10, true), "tulajdonos"),
            adat(6.6, JobbSzelre, 190, "irszvaros", T(10), "tulajdonos"),
            adat(10.6, JobbSzelre, 190, "cim", T(10), "tulajdonos"),
            adat(14.6, JobbSzelre, 190, "telefon", T(10), "tulajdonos")};
}

Sav lablec(const QString &objektum)
{
    const Betu c{"Courier New", 8, false, false};
    return sav(SavTipus::Lablec, 14.6,
               {cimke(1.3, Balra, 0, "DorvPrg", c), rendszer(1.3, JobbSzelre, 190, RendszerErtek::DatumIdo, {}, c),
                rendszer(5.3, JobbSzelre, 190, RendszerErtek::Cim, {}, c),
                rendszer(9.3, Balra, 0, RendszerErtek::Oldalszam, "oldal: ", c),
                cimke(9.3, SavKozepre, 0, KESZITO_HONLAP, c), cimke(9.3, JobbSzelre, 190, objektum, c)},
               vonal(true, false, 1));
}

// a caption and its value on one line of the form
void sor(QList<Elem> &e, double fent, double x, const QString &cim, const QString &mezo, double szeles = 60)
{
    e << cimke(fent, Balra, x, cim, T(9, false, true))
      << doboz(adat(fent, Balra, x + 38, mezo, T(10, true)), szeles, 4.6, false);
}

Elem szovegDoboz(double fent, const QString &mezo, double magas)
{
    Elem e = doboz(adat(fent, Balra, 0, mezo, Betu{"Times New Roman", 10, false, false}), 190, magas, true);
    e.keret.fent = e.keret.lent = e.keret.bal = e.keret.jobb = true;
    return e;
}

Elem alairas(double fent, double bal, const QString &szoveg)
{
    Elem e = doboz(cimke(fent, Balra, bal, szoveg, T(10)), 60, 4.6, true);
    e.igazitas = Igazitas::Kozep;
    e.keret = vonal(true, false, 1, true);
    return e;
}

std::unique_ptr<NyomtatasiMunka> munka(Elrendezes e, QList<QHash<QString, QVariant>> sorok)
{
    return NyomtatasiMunka::forrasbol(std::move(e), std::make_unique<SorokForras>(std::move(sorok)));
}

int pdfbe(std::unique_ptr<NyomtatasiMunka> m, const QString &fajl)
{
    const Oldalak o = m->lapoz();
    OldalakPdf(o, fajl);
    return int(o.lapok.size());
}

} // namespace

Elrendezes ReklamacioNyomtatas::lapElrendezes()
{
    Elrendezes e;
    e.osztaly = "TqrReklamacio";
    e.objektum = "qrReklamacio";
    e.cim = "Reklamációs lap";
    e.savok << sav(SavTipus::Fejlec, 22.2, fejlec(e.cim), vonal(false, true, 2));
    QList<Elem> r;
    r << cimke(3, Balra, 0, "A levél", T(11, true));
    sor(r, 9, 0, "levél száma", "level");
    sor(r, 9, 100, "dátuma", "level_datum", 50);
    sor(r, 14.5, 0, "márka – alkatrész", "marka_alkatresz", 150);
    sor(r, 20, 0, "sorozatszám", "sorozatszam");
    sor(r, 20, 100, "rendszám", "rendszam", 50);
    sor(r, 25.5, 0, "garancia", "dorvido");
    sor(r, 25.5, 100, "km.óra (szereléskor)", "level_kmora", 50);
    r << cimke(34, Balra, 0, "Az ügyfél", T(11, true));
    sor(r, 40, 0, "név", "ugyfel_nev", 150);
    sor(r, 45.5, 0, "cím", "ugyfel_cim", 150);
    sor(r, 51, 0, "telefon", "ugyfel_telefon");
    r << cimke(60, Balra, 0, "A reklamáció", T(11, true));
    sor(r, 66, 0, "dátuma", "datum", 50);
    sor(r, 66, 100, "km.óra", "kmora", 50);
    sor(r, 71.5, 0, "állapot", "allapot");
    sor(r, 71.5, 100, "rögzítette", "felhasznalo", 50);
    r << cimke(78, Balra, 0, "Az ügyfél panasza", T(9, false, true)) << szovegDoboz(83, "panasz", 30);
    sor(r, 117, 0, "késői reklamáció indoka", "indok", 150);
    r << cimke(126, Balra, 0, "Döntés", T(11, true));
    sor(r, 132, 0, "beszállító", "beszallito");
    sor(r, 132, 100, "beszállítónak küldve", "dat_kuldes", 50);
    r << cimke(138, Balra, 0, "A beszállító döntése", T(9, false, true)) << szovegDoboz(143, "dontes", 22);
    sor(r, 169, 0, "eredmény", "eredmeny", 150);
    sor(r, 174.5, 0, "átvállalt költség", "koltseg_ft");
    sor(r, 174.5, 100, "lezárva", "dat_lezaras", 50);
    r << alairas(200, 0, "az ügyfél aláírása") << alairas(200, 130, "a szerviz részéről aláírás PH");
    e.savok << sav(SavTipus::Reszlet, 210, r);
    e.savok << lablec(e.objektum);
    return e;
}

Elrendezes ReklamacioNyomtatas::listaElrendezes()
{
    Elrendezes e;
    e.osztaly = "TqrReklamacioLista";
    e.objektum = "qrReklamacioLista";
    e.cim = "Reklamációk";
    struct Oszlop { double bal, szeles; const char *cim, *mezo; };
    static const Oszlop oszlopok[] = {
        {0.0, 19.0, "dátum", "datum"},          {20.0, 17.0, "levél", "level"},
        {38.0, 42.0, "márka – alkatrész", "marka_alkatresz"}, {81.0, 25.0, "sorozatszám", "sorozatszam"},
        {107.0, 33.0, "ügyfél", "ugyfel_nev"},  {141.0, 27.0, "állapot", "allapot"},
        {169.0, 21.0, "beszállító", "beszallito"},
    };
    QList<Elem> fej = fejlec(e.cim);
    Elem idoszak = doboz(cimke(10.6, Balra, 0, {}, T(10)), 110, 9, true);
    idoszak.nev = "s1";
    fej << idoszak;
    QList<Elem> s;
    for (const Oszlop &o : oszlopok) {
        fej << doboz(cimke(23.8, Balra, o.bal, o.cim, T(9, true)), o.szeles, 4.3, false);
        s << doboz(adat(1.3, Balra, o.bal, o.mezo, T(9)), o.szeles, 4.3, false);
    }
    Elem panasz = doboz(adat(6.3, Balra, 20, "panasz", Betu{"Times New Roman", 9, false, false}), 170, 4.3, true, true);
    s << panasz;
    e.savok << sav(SavTipus::Fejlec, 30.1, fej, vonal(false, true, 2));
    e.savok << sav(SavTipus::Reszlet, 11.9, s, vonal(false, true, 1));
    e.savok << lablec(e.objektum);
    return e;
}

std::unique_ptr<NyomtatasiMunka> ReklamacioNyomtatas::lap(int reklamacio)
{
    auto sorok = olvas(QString(LEKERDEZES) + " WHERE r.reklamacio = ?", {reklamacio});
    if (sorok.isEmpty())
        throw StoreHiba("A reklamáció nem található; talán egy másik program törölte.");
    return munka(lapElrendezes(), std::move(sorok));
}

std::unique_ptr<NyomtatasiMunka> ReklamacioNyomtatas::lista(const QDate &tol, const QDate &ig, const QString &beszallito)
{
    QString sql = QString(LEKERDEZES) + " WHERE r.datum >= ? AND r.datum <= ?";
    QVariantList ertekek{tol, ig};
    const QString b = beszallito.trimmed();
    if (!b.isEmpty()) {
        sql += " AND UPPER(trim(r.beszallito)) = UPPER(?)";
        ertekek << b;
    }
    sql += " ORDER BY r.datum, r.reklamacio";
    Elrendezes e = listaElrendezes();
    if (Elem *s1 = e.elem("s1"))
        s1->szoveg = QString("%1 – %2%3").arg(tol.toString("yyyy.MM.dd."), ig.toString("yyyy.MM.dd."),
                                            b.isEmpty() ? QString(", minden beszállító") : ", beszállító: " + b);
    return munka(std::move(e), olvas(sql, ertekek));
}

int ReklamacioNyomtatas::lapPdf(int reklamacio, const QString &fajl) { return pdfbe(lap(reklamacio), fajl); }

int ReklamacioNyomtatas::listaPdf(const QDate &tol, const QDate &ig, const QString &beszallito, const QString &fajl)
{
    return pdfbe(lista(tol, ig, beszallito), fajl);
}

Elrendezes GaranciaNyomtatas::lejaroElrendezes()
{
    Elrendezes e;
    e.osztaly = "TqrLejaroGaranciak";
    e.objektum = "qrLejaroGaranciak";
    e.cim = "Lejáró garanciák";
    struct Oszlop { double bal, szeles; const char *cim, *mezo; };
    // first line: what the clerk calls about; second line: the period, e-mail and state
    static const Oszlop elso[] = {
        {0.0, 19.0, "gar. vége", "veg"},      {20.0, 17.0, "levél", "level"},
        {38.0, 19.0, "dátum", "datum"},       {58.0, 38.0, "ügyfél", "ugyfel_nev"},
        {97.0, 27.0, "telefon", "telefon"},   {125.0, 43.0, "márka – alkatrész", "marka_alkatresz"},
        {169.0, 21.0, "sorozatszám", "sorozatszam"},
    };
    static const Oszlop masodik[] = {
        {38.0, 19.0, "dorv.idő", "dorvido"}, {58.0, 38.0, "e-mail", "emil"}, {97.0, 93.0, "állapot", "allapot"},
    };
    QList<Elem> fej = fejlec(e.cim);
    Elem idoszak = doboz(cimke(10.6, Balra, 0, {}, T(10)), 110, 9, true);
    idoszak.nev = "s1";
    fej << idoszak;
    QList<Elem> s;
    for (const Oszlop &o : elso) {
        fej << doboz(cimke(21.8, Balra, o.bal, o.cim, T(9, true)), o.szeles, 4.3, false);
        s << doboz(adat(1.3, Balra, o.bal, o.mezo, T(9)), o.szeles, 4.3, false);
    }
    for (const Oszlop &o : masodik) {
        fej << doboz(cimke(26.1, Balra, o.bal, o.cim, T(8, false, true)), o.szeles, 4.3, false);
        s << doboz(adat(5.8, Balra, o.bal, o.mezo, T(8)), o.szeles, 4.3, false);
    }
    e.savok << sav(SavTipus::Fejlec, 31.1, fej, vonal(false, true, 2));
    e.savok << sav(SavTipus::Reszlet, 10.6, s, vonal(false, true, 0.5, true));
    e.savok << lablec(e.objektum);
    return e;
}

std::unique_ptr<NyomtatasiMunka> GaranciaNyomtatas::lejaro(QList<QHash<QString, QVariant>> sorok, const QString &idoszak)
{
    Elrendezes e = lejaroElrendezes();
    if (Elem *s1 = e.elem("s1"))
        s1->szoveg = idoszak;
    for (QHash<QString, QVariant> &s : sorok)
        for (const char *d : {"veg", "datum"})
            s[d] = datumma(s.value(d));
    return munka(std::move(e), std::move(sorok));
}

int GaranciaNyomtatas::lejaroPdf(QList<QHash<QString, QVariant>> sorok, const QString &idoszak, const QString &fajl)
{
    return pdfbe(lejaro(std::move(sorok), idoszak), fajl);
}