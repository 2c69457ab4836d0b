#include "Reklamacio.h"

#include "Adatbazis.h"
#include "Garancia.h"
#include "StoreHiba.h"
#include "Tabla.h"

#include <QSqlQuery>

#include <optional>

const char *const Reklamacio::CSERELVE = "Cserélve";

const QStringList &Reklamacio::allapotok()
{
    static const QStringList a = QStringList{"Beérkezett", "Beszállítónál", "Beszállító elfogadta",
                                             "Beszállító elutasította"}
                                 + lezaroAllapotok();
    return a;
}

const QStringList &Reklamacio::lezaroAllapotok()
{
    static const QStringList a{"Javítva", CSERELVE, "Visszatérítve", "Elutasítva"};
    return a;
}

bool Reklamacio::lezart(const QString &allapot) { return lezaroAllapotok().contains(allapot.trimmed()); }

namespace {
// a claim without a closing outcome is open, one with no state at all too
QString nyitottFeltetel()
{
    QStringList l;
    for (const QString &a : Reklamacio::lezaroAllapotok())
        l << "'" + a + "'";
    return QString("coalesce(allapot, '') NOT IN (%1)").arg(l.join(", "));
}
} // namespace

std::optional<Reklamacio::Nyitott> Reklamacio::nyitott(int doksi, int kiveve)
{
    QSqlQuery q = Adatbazis::lekerdez(QString("SELECT reklamacio, datum, allapot FROM reklamacio WHERE doksi = ? AND "
                                              "reklamacio <> ? AND %1 ORDER BY reklamacio LIMIT 1")
                                          .arg(nyitottFeltetel()),
                                      {doksi, kiveve});
    if (!q.next())
        return std::nullopt;
    return Nyitott{q.value(0).toInt(), q.value(1).toDate(), q.value(2).toString()};
}

QString Reklamacio::leiras(const Nyitott &n)
{
    const QString allapot = n.allapot.trimmed().isEmpty() ? QString("állapot nélkül") : n.allapot.trimmed();
    if (!n.datum.isValid())
        return QString("a dátum nélküli reklamáció (%1, azonosító: %2)").arg(allapot).arg(n.reklamacio);
    return QString("a %1-i reklamáció (%2, azonosító: %3)").arg(n.datum.toString("yyyy.MM.dd")).arg(allapot).arg(n.reklamacio);
}

QString Reklamacio::masodikNyitottUzenet(const Nyitott &n)
{
    return QString("A levélnek már van nyitott reklamációja: %1. Új reklamáció csak annak lezárása után rögzíthető.")
        .arg(leiras(n));
}

int Reklamacio::nyitottSzam(int doksi)
{
    return Adatbazis::ertek(QString("SELECT count(*) FROM reklamacio WHERE doksi = ? AND %1").arg(nyitottFeltetel()), {doksi})
        .toInt();
}

QHash<int, int> Reklamacio::nyitottSzamok(const QList<int> &doksik)
{
    QHash<int, int> h;
    // keys are whole numbers, so they go into the statement as they are, a block at a time
    for (qsizetype i = 0; i < doksik.size(); i += 500) {
        QStringList kulcsok;
        for (int d : doksik.mid(i, 500))
            kulcsok << QString::number(d);
        QSqlQuery q = Adatbazis::lekerdez(QString("SELECT doksi, count(*) FROM reklamacio WHERE doksi IN (%1) AND %2 "
                                                  "GROUP BY doksi")
                                              .arg(kulcsok.join(", "), nyitottFeltetel()));
        while (q.next())
            h.insert(q.value(0).toInt(), q.value(1).toInt());
    }
    return h;
}

QString Reklamacio::kesoi(int doksi, const QDate &datum, const QString &kmora)
{
    QSqlQuery q = Adatbazis::lekerdez("SELECT datum, dorvido, kmora, prntip FROM doksi WHERE doksi = ?", {doksi});
    if (!q.next())
        return {};
    // only a fitting ('S') records the odometer reading the limit counts from
    const Garancia::Allapot a = Garancia::allapot(q.value(0).toDate(), q.value(1).toString(),
                                                  datum.isValid() ? datum : QDate::currentDate(),
                                                  q.value(3).toString() == "S" ? q.value(2).toString() : QString());
    QStringList okok;
    if (a.fajta == Garancia::Allapot::Fajta::Lejart)
        okok << QString("a garancia %1 lejárt").arg(Garancia::datumSzoveg(a.veg));
    const std::optional<qint64> km = Garancia::kmOraAllas(kmora);
    if (a.kmHatar && km && *km > *a.kmHatar)
        okok << QString("a km.óra állása (%1 km) túllépi a garancia határát (%2 km)").arg(*km).arg(*a.kmHatar);
    return okok.join("; ");
}

void Reklamacio::zarol(int doksi)
{
    if (Adatbazis::motor() == Adatbazis::Motor::PostgreSQL)
        Adatbazis::ertek("SELECT pg_advisory_xact_lock(hashtext(?))", {QString("reklamacio.%1").arg(doksi)});
}

QString Reklamacio::levelNev(const QString &prntip, int doksiId)
{
    return QString("%1-%2").arg(prntip.trimmed()).arg(doksiId, 5, 10, QChar('0'));
}

namespace {
void megjegyzesIr(int doksi, const QString &rovid, const QString &szoveg)
{
    Adatbazis::vegrehajt("INSERT INTO doksi_megj (doksi, datum, rovid, megjegyzes) VALUES (?, ?, ?, ?)",
                         {doksi, QDate::currentDate(), rovid.left(50), szoveg});
}
} // namespace

int Reklamacio::csereLevel(int doksi, int reklamacio)
{
    std::optional<Adatbazis::Tranzakcio> tr;
    if (!Adatbazis::tranzakcioban())
        tr.emplace();
    QSqlQuery q = Adatbazis::lekerdez("SELECT prntip, doksi_id, ugyfel, marka, alkatresz, dorvido FROM doksi WHERE doksi = ?",
                                      {doksi});
    if (!q.next())
        throw StoreHiba("A reklamált levél nem található; talán egy másik program törölte.");
    const QString tipus = q.value(0).toString();
    const QString regi = levelNev(tipus, q.value(1).toInt());

    Tabla uj("doksi");
    uj.setSzuro(QString("doksi=%1").arg(doksi));
    uj.setSzurt(true);
    uj.megnyit();
    uj.beszur();
    uj.setErtek("prntip", tipus);
    uj.setErtek("ugyfel", q.value(2));
    uj.setErtek("marka", q.value(3));
    uj.setErtek("alkatresz", q.value(4));
    uj.setErtek("dorvido", q.value(5));
    uj.setErtek("datum", QDate::currentDate());
    uj.setErtek("doksi_id", uj.kovetkezoSzam("doksi_id", "prntip", tipus));
    uj.sorszamoz("doksi_id", "prntip");
    uj.post();
    // the kind's numbering stays locked until the commit (the write lock here, the kind's lock
    // on the server), so the highest number of the kind is the one just given
    QSqlQuery v = Adatbazis::lekerdez("SELECT doksi, doksi_id FROM doksi WHERE prntip = ? "
                                      "ORDER BY doksi_id DESC, doksi DESC LIMIT 1", {tipus});
    if (!v.next())
        throw StoreHiba("Az új levél nem olvasható vissza.");
    const int kulcs = v.value(0).toInt();
    const QString ujNev = levelNev(tipus, v.value(1).toInt());
    const QString rek = reklamacio > 0 ? QString(" (reklamáció azonosító: %1)").arg(reklamacio) : QString();

    megjegyzesIr(doksi, "Cserélve, új levél: " + ujNev,
                 QString("Az alkatrészt garanciában cseréltük%1. A csere alkatrész levele: %2.").arg(rek, ujNev));
    megjegyzesIr(kulcs, "Csere, a régi levél: " + regi,
                 QString("Ez a levél a(z) %1 levél garanciában cserélt alkatrészének csere alkatrészéé%2.").arg(regi, rek));
    if (tr)
        tr->commit();
    return kulcs;
}
