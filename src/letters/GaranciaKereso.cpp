#include "GaranciaKereso.h"
#include "Adatbazis.h"
#include "HuSzoveg.h"
#include "KeresoLekerdezes.h"
#include "LevelJel.h"
#include "Lekerdezes.h"
#include "MotorSql.h"
#include "Reklamacio.h"

#include <QHash>
#include <QRegularExpression>

#include <algorithm>
#include <functional>

namespace {

const char *const OSZLOPOK =
    "SELECT d.doksi, d.doksi_id, d.prntip, d.datum, d.dorvido, d.rendszam, d.sorozatszam, d.kmora, "
    "m.marka_nev, a.alkatresz_nev, u.ugyfel_nev, u.telefon, u.mobil, u.emil";
const char *const JOINOK = " LEFT OUTER JOIN marka m ON (m.marka = d.marka)"
                           " LEFT OUTER JOIN alkatresz a ON (a.alkatresz = d.alkatresz)"
                           " LEFT OUTER JOIN ugyfel u ON (u.ugyfel = d.ugyfel)";

// One letter from a row of OSZLOPOK, judged on the day ma.
GaranciaSor sor(const std::function<QVariant(int)> &ertek, const QDate &ma)
{
    const struct { const std::function<QVariant(int)> &e; QVariant value(int i) const { return e(i); } } q{ertek};
    GaranciaSor s;
    s.doksi = q.value(0).toLongLong();
    s.doksiId = q.value(1).toInt();
    s.prntip = q.value(2).toString();
    const QVariant datum = q.value(3);
    s.datum = datum.typeId() == QMetaType::QDate ? datum.toDate()
                                                 : QDate::fromString(datum.toString().left(10), Qt::ISODate);
    s.dorvido = q.value(4).toString();
    s.rendszam = q.value(5).toString();
    s.sorozatszam = q.value(6).toString();
    s.kmora = q.value(7).toString();
    s.marka = q.value(8).toString();
    s.alkatresz = q.value(9).toString();
    s.ugyfel = q.value(10).toString();
    const QString telefon = q.value(11).toString(), mobil = q.value(12).toString();
    s.telefon = telefon.isEmpty() ? mobil : mobil.isEmpty() || mobil == telefon ? telefon : telefon + ", " + mobil;
    s.email = q.value(13).toString();
    // a list holds few distinct period texts: each is read once
    static QHash<QString, Garancia::Idotartam> olvasott;
    auto i = olvasott.constFind(s.dorvido);
    if (i == olvasott.constEnd()) {
        if (olvasott.size() > 1000)
            olvasott.clear();
        i = olvasott.insert(s.dorvido, Garancia::ertelmez(s.dorvido));
    }
    s.allapot = Garancia::allapot(s.datum, *i, ma, s.prntip == "S" ? s.kmora : QString());
    return s;
}

// The letter number in a typed text: "123", "00123", "No:00123", "No: 123".
std::optional<int> levelSzam(const QString &szoveg)
{
    static const QRegularExpression re(QStringLiteral("^(?:no[:.]?\\s*)?(\\d{1,9})$"),
                                       QRegularExpression::CaseInsensitiveOption);
    const auto m = re.match(szoveg);
    if (!m.hasMatch())
        return std::nullopt;
    return m.captured(1).toInt();
}

// The keys of the matching letters, newest first, at most LEGFELJEBB: the serial number and
// registration through the letters' narrow table, the customer through the customers' one,
// the number through the number index.
QList<GaranciaSor> kulcsokkal(const QString &szoveg, int modszer, const QDate &ma)
{
    const QString minta = KeresoLekerdezes::minta(szoveg, modszer);
    const QString darab = KeresoLekerdezes::indexResz(minta, modszer);
    const bool egyezo = modszer == KeresoLekerdezes::Egyezo;
    const QString d1 = darab.isEmpty() ? QString() : MotorSql::darabFeltetel("doksi", "n");
    const QString d2 = darab.isEmpty() ? QString() : MotorSql::darabFeltetel("ugyfel", "t");
    QStringList agak{
        QString("SELECT n.doksi, n.doksi_id, n.datum FROM doksi_nagybetu n WHERE %1(%2 OR %3)")
            .arg(d1, MotorSql::hasonlit("n.rendszam", egyezo), MotorSql::hasonlit("n.sorozatszam", egyezo)),
        QString("SELECT n.doksi, n.doksi_id, n.datum FROM ugyfel_nagybetu t%1doksi_nagybetu n ON (n.ugyfel = t.ugyfel)"
                " WHERE %2%3")
            .arg(MotorSql::elsoTablaJoin(), d2, MotorSql::hasonlit("t.ugyfel_nev", egyezo))};
    const auto szam = levelSzam(szoveg);
    if (szam)
        agak << "SELECT d.doksi, d.doksi_id, d.datum FROM doksi d WHERE d.doksi_id = :pszam";
    const QString sql = QString("%1 FROM (SELECT k.doksi, k.doksi_id, k.datum FROM (%2) k "
                                "ORDER BY k.datum IS NULL, k.datum DESC, k.doksi_id DESC, k.doksi DESC LIMIT %3) t"
                                " JOIN doksi d ON (d.doksi = t.doksi)%4"
                                " ORDER BY t.datum IS NULL, t.datum DESC, t.doksi_id DESC, t.doksi DESC")
                            .arg(OSZLOPOK, agak.join(" UNION "))
                            .arg(GaranciaKereso::LEGFELJEBB)
                            .arg(JOINOK);
    Lekerdezes q(sql);
    q.setParam("pminta", minta);
    if (const QVariant d = MotorSql::darabErtek(darab); d.isValid())
        q.setParam("pdarab", d);
    if (szam)
        q.setParam("pszam", *szam);
    q.megnyit();
    QList<GaranciaSor> ki;
    const int n = q.osszesBetolt();
    for (int i = 0; i < n; ++i)
        ki << sor([&](int o) { return q.ertek(i, o); }, ma);
    return ki;
}

// The letter of a code printed on its forms ("DORV:J:00039"): that kind and number only.
QList<GaranciaSor> kodra(QChar prntip, int doksiId, const QDate &ma)
{
    QList<GaranciaSor> ki;
    for (QSqlQuery q = Adatbazis::lekerdez(QString("%1 FROM doksi d%2 WHERE d.prntip = ? AND d.doksi_id = ? "
                                                   "ORDER BY d.doksi DESC LIMIT %3")
                                               .arg(OSZLOPOK, JOINOK)
                                               .arg(GaranciaKereso::LEGFELJEBB),
                                           {QString(prntip), doksiId});
         q.next();)
        ki << sor([&](int o) { return q.value(o); }, ma);
    return ki;
}

// The open claims of the letters listed, read in blocks.
void reklamaciokkal(QList<GaranciaSor> &sorok)
{
    QList<int> kulcsok;
    for (const GaranciaSor &s : sorok)
        kulcsok << int(s.doksi);
    const QHash<int, int> n = Reklamacio::nyitottSzamok(kulcsok);
    for (GaranciaSor &s : sorok)
        s.nyitottReklamacio = n.value(int(s.doksi));
}

} // namespace

QList<GaranciaSor> GaranciaKereso::keres(const QString &szoveg, const QDate &ma)
{
    const QString t = szoveg.trimmed();
    if (t.isEmpty())
        return {};
    // a certificate's QR code names one letter, read as the quick search reads it
    QChar tipus;
    int szam = 0;
    if (LevelKodBol(t, tipus, szam)) {
        QList<GaranciaSor> ki = kodra(tipus, szam, ma);
        reklamaciokkal(ki);
        return ki;
    }
    // a scanned or typed whole text first; a beginning when nothing is exactly that
    QList<GaranciaSor> ki = kulcsokkal(t, KeresoLekerdezes::Egyezo, ma);
    if (ki.isEmpty())
        ki = kulcsokkal(t, KeresoLekerdezes::Elejen, ma);
    reklamaciokkal(ki);
    return ki;
}

QList<GaranciaSor> GaranciaKereso::lejarok(const QDate &tol, const QDate &ig, const QString &tipus, const QDate &ma)
{
    if (!tol.isValid() || !ig.isValid() || tol > ig)
        return {};
    // the distinct period texts, one index probe each (a loose scan of the period index)
    QStringList idok;
    for (QSqlQuery q = Adatbazis::lekerdez(
             "WITH RECURSIVE p(v) AS (SELECT min(dorvido) FROM doksi UNION ALL "
             "SELECT (SELECT min(dorvido) FROM doksi WHERE dorvido > p.v) FROM p WHERE p.v IS NOT NULL) "
             "SELECT v FROM p WHERE v IS NOT NULL");
         q.next();)
        idok << q.value(0).toString();
    const QString sql = QString("%1 FROM doksi d%2 WHERE d.dorvido = ? AND d.datum BETWEEN ? AND ?%3")
                            .arg(OSZLOPOK, JOINOK, tipus.isEmpty() ? QString() : QString(" AND d.prntip = ?"));
    QList<GaranciaSor> ki;
    for (const QString &ido : idok) {
        const auto k = Garancia::kezdetTartomany(Garancia::ertelmez(ido), tol, ig);
        if (!k)
            continue;
        QVariantList ertekek{ido, k->first, k->second};
        if (!tipus.isEmpty())
            ertekek << tipus;
        for (QSqlQuery q = Adatbazis::lekerdez(sql, ertekek); q.next();)
            ki << sor([&](int o) { return q.value(o); }, ma);
    }
    std::sort(ki.begin(), ki.end(), [](const GaranciaSor &a, const GaranciaSor &b) {
        return std::tie(a.allapot.veg, a.prntip, a.doksiId, a.doksi) < std::tie(b.allapot.veg, b.prntip, b.doksiId, b.doksi);
    });
    reklamaciokkal(ki);
    return ki;
}

int GaranciaKereso::nyitottReklamaciok(qint64 doksi)
{
    return Reklamacio::nyitottSzam(int(doksi));
}

QList<QHash<QString, QVariant>> GaranciaKereso::nyomtatasra(const QList<GaranciaSor> &sorok)
{
    QList<QHash<QString, QVariant>> ki;
    ki.reserve(sorok.size());
    for (const GaranciaSor &s : sorok)
        ki << QHash<QString, QVariant>{
            {"veg", s.allapot.veg.isValid() ? QVariant(s.allapot.veg) : QVariant()},
            {"level", Reklamacio::levelNev(s.prntip, s.doksiId)},
            {"datum", s.datum.isValid() ? QVariant(s.datum) : QVariant()},
            {"dorvido", s.dorvido},
            {"ugyfel_nev", s.ugyfel},
            {"telefon", s.telefon},
            {"emil", s.email},
            {"marka_alkatresz", QStringList{s.marka.trimmed(), s.alkatresz.trimmed()}.filter(QRegularExpression(".")).join(" – ")},
            {"sorozatszam", s.sorozatszam},
            {"allapot", Garancia::szoveg(s.allapot)},
        };
    return ki;
}
