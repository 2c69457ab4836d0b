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

// Letters that may match: the trigram tables give the rows whose texts hold the piece.
const char *const JELOLTEK =
    "(SELECT rowid AS k FROM doksi_kereso WHERE doksi_kereso MATCH :pdarab"
    " UNION SELECT doksi FROM doksi WHERE marka IN"
    " (SELECT rowid FROM marka_kereso WHERE marka_kereso MATCH :pdarab)"
    " UNION SELECT doksi FROM doksi WHERE alkatresz IN"
    " (SELECT rowid FROM alkatresz_kereso WHERE alkatresz_kereso MATCH :pdarab)"
    " UNION SELECT doksi FROM doksi WHERE ugyfel IN"
    " (SELECT rowid FROM ugyfel_kereso WHERE ugyfel_kereso MATCH :pdarab)) jelolt";

QString feltetel(int modszer)
{
    const QString op = modszer == KeresoLekerdezes::Egyezo ? "=" : "LIKE";
    QStringList r;
    for (const char *m : {"alkatresz_nev", "marka_nev", "rendszam", "ugyfel_nev", "sorozatszam"})
        r << QString("(UPPER(%1) %2 :pminta)").arg(m, op);
    return r.join(" OR ");
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
    QString sql = QString(OSZLOPOK) + " FROM ";
    if (!darab.isEmpty())
        sql += QString(JELOLTEK) + " CROSS JOIN doksi ON (doksi.doksi = jelolt.k)";
    else
        sql += "doksi";
    sql += QString(KAPCSOLATOK) + " WHERE " + feltetel(modszer) + " ORDER BY doksi.doksi_id, doksi.doksi";
    q.setSql(sql);
    q.setParam("pminta", m);
    if (!darab.isEmpty())
        q.setParam("pdarab", '"' + QString(darab).replace('"', "\"\"") + '"');
}
