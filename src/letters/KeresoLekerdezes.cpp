#include "KeresoLekerdezes.h"
#include "HuSzoveg.h"
#include "Lekerdezes.h"

#include <QRegularExpression>

namespace {

const char *const OSZLOPOK =
    "SELECT"
    " doksi.doksi,"
    " doksi.doksi_id,"
    " doksi.datum,"
    " doksi.dorvido,"
    " doksi.marka,"
    " marka.marka_nev,"
    " doksi.alkatresz,"
    " alkatresz.alkatresz_nev,"
    " doksi.rendszam,"
    " doksi.ugyfel,"
    " ugyfel.ugyfel_nev,"
    " ugyfel.cim_irsz,"
    " ugyfel.cim_varos,"
    " ugyfel.cim_cim,"
    " doksi.sorozatszam,"
    " doksi.megjegyzes";

const char *const KAPCSOLATOK =
    " LEFT OUTER JOIN marka ON (doksi.marka = marka.marka)"
    " LEFT OUTER JOIN alkatresz ON (doksi.alkatresz = alkatresz.alkatresz)"
    " LEFT OUTER JOIN ugyfel ON (doksi.ugyfel = ugyfel.ugyfel)";

// The searched texts are compared upper-cased as the store keeps them in the narrow
// *_nagybetu tables, natively, without calling UPPER on any row. The trigram table, when
// the pattern has a piece it can look for, narrows the rows compared.
QString feltetel(const char *tabla, const char *kulcs, const QStringList &mezok, int modszer, bool darab)
{
    const QString op = modszer == KeresoLekerdezes::Egyezo ? " = " : " LIKE ";
    QStringList r;
    for (const QString &m : mezok)
        r << m + op + ":pminta";
    QString s = QString("SELECT %1 FROM %2_nagybetu WHERE ").arg(kulcs, tabla);
    if (darab)
        s += QString("%1 IN (SELECT rowid FROM %2_kereso WHERE %2_kereso MATCH :pdarab) AND ").arg(kulcs, tabla);
    return s + '(' + r.join(" OR ") + ')';
}

// Keys of the letters found: by their own texts or by the names of their master rows.
QString talalatok(int modszer, bool darab)
{
    QString s = feltetel("doksi", "doksi", {"rendszam", "sorozatszam"}, modszer, darab);
    const struct { const char *tabla, *nev; } torzsek[] = {
        {"marka", "marka_nev"}, {"alkatresz", "alkatresz_nev"}, {"ugyfel", "ugyfel_nev"}};
    for (const auto &t : torzsek)
        s += QString(" UNION ALL SELECT doksi FROM doksi WHERE %1 IN (%2)")
                 .arg(t.tabla, feltetel(t.tabla, t.tabla, {t.nev}, modszer, darab));
    return s;
}

} // namespace

QString KeresoLekerdezes::minta(const QString &szoveg, int modszer)
{
    const QString t = HuSzoveg::nagybetu(szoveg);
    switch (modszer) {
    case Barhol: return '%' + t + '%';
    case Elejen: return t + '%';
    default: return t;
    }
}

QString KeresoLekerdezes::indexResz(const QString &minta, int modszer)
{
    // LIKE's wildcards split the pattern; the row must hold every piece, so the longest will do
    QStringList darabok = modszer == Egyezo ? QStringList{minta}
                                            : minta.split(QRegularExpression("[%_]"), Qt::SkipEmptyParts);
    QString leghosszabb;
    qsizetype hossz = 0;
    for (const QString &d : darabok) {
        const qsizetype n = d.toUcs4().size();   // trigrams count characters, not UTF-16 units
        if (n > hossz) {
            hossz = n;
            leghosszabb = d;
        }
    }
    return hossz >= 3 ? leghosszabb : QString();
}

void KeresoLekerdezes::epit(Lekerdezes &q, const QString &szoveg, int modszer)
{
    const QString m = minta(szoveg, modszer);
    const QString darab = indexResz(m, modszer);
    q.setSql(QString(OSZLOPOK) + " FROM doksi" + KAPCSOLATOK + " WHERE doksi.doksi IN ("
             + talalatok(modszer, !darab.isEmpty()) + ") ORDER BY doksi.doksi_id, doksi.doksi");
    q.setParam("pminta", m);
    if (!darab.isEmpty())
        q.setParam("pdarab", '"' + QString(darab).replace('"', "\"\"") + '"');
}
