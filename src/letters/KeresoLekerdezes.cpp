#include "KeresoLekerdezes.h"
#include "HuSzoveg.h"
#include "Lekerdezes.h"
#include "MotorSql.h"

#include <QRegularExpression>

namespace {

// The key, the number and what the result grid shows: the letters' narrow table keeps them
// beside the searched texts, so only the customer's name is joined, to the rows returned.
const char *const OSZLOPOK = "SELECT n.doksi, n.doksi_id, n.datum, u.ugyfel_nev";
const char *const UGYFEL_NEV = " LEFT OUTER JOIN ugyfel u ON (u.ugyfel = n.ugyfel)";

// The texts are compared upper-cased as the narrow *_nagybetu tables keep them, natively,
// without calling UPPER on any row; the trigram index, when the pattern has a piece it can
// look for, narrows the rows compared.
QString feltetel(const QString &tabla, const QString &alias, const QStringList &mezok, int modszer, bool darab)
{
    QStringList r;
    for (const QString &m : mezok)
        r << MotorSql::hasonlit(alias + '.' + m, modszer == KeresoLekerdezes::Egyezo);
    const QString s = '(' + r.join(" OR ") + ')';
    return darab ? MotorSql::darabFeltetel(tabla, alias) + s : s;
}

// One branch for the letters' own texts and one for the letters of each master table found by
// name (read from the covering index of its key), merged in number order. Without a trigram
// piece the first branch passes over the letters in number order, so that the first rows come
// before the pass ends; the others are sorted, a few thousand rows each.
QString utasitas(int modszer, bool darab)
{
    QStringList agak{QString(OSZLOPOK) + " FROM doksi_nagybetu n"
                     + (darab ? "" : MotorSql::sorrendIndex("doksi_nagybetu_sorrend")) + UGYFEL_NEV + " WHERE "
                     + feltetel("doksi", "n", {"rendszam", "sorozatszam"}, modszer, darab)};
    const struct { const char *tabla, *nev; } torzsek[] = {
        {"marka", "marka_nev"}, {"alkatresz", "alkatresz_nev"}, {"ugyfel", "ugyfel_nev"}};
    for (const auto &t : torzsek)
        agak << QString("%1 FROM %2_nagybetu t%5doksi_nagybetu n ON (n.%2 = t.%2)%3 WHERE %4")
                    .arg(OSZLOPOK, t.tabla, UGYFEL_NEV, feltetel(t.tabla, "t", {t.nev}, modszer, darab),
                         MotorSql::elsoTablaJoin());
    return agak.join(" UNION ") + " ORDER BY doksi_id, doksi";
}

// The server's planner ORs index scans in one pass over the letters: the trigram index for
// their own texts and, per master table, the letters of the master keys found by name, so
// no branch joins a million rows and no union is sorted to drop duplicates. A pattern anchored
// at its start is found by the trigram index however short it is.
QString egyMenet(int modszer, bool darab, const QString &utana = {})
{
    QStringList r{feltetel("doksi", "n", {"rendszam", "sorozatszam"}, modszer, darab)};
    const struct { const char *tabla, *nev; } torzsek[] = {
        {"marka", "marka_nev"}, {"alkatresz", "alkatresz_nev"}, {"ugyfel", "ugyfel_nev"}};
    for (const auto &t : torzsek)
        r << MotorSql::kulcsKozott("n." + QString(t.tabla),
                                   QString("SELECT t.%1 FROM %1_nagybetu t WHERE %2")
                                       .arg(t.tabla, feltetel(t.tabla, "t", {t.nev}, modszer, darab)),
                                   darab || modszer != KeresoLekerdezes::Barhol);
    const QString kozul = r.join(" OR ");
    return QString(OSZLOPOK) + " FROM doksi_nagybetu n" + UGYFEL_NEV + " WHERE "
           + (utana.isEmpty() ? kozul : utana + '(' + kozul + ')') + " ORDER BY n.doksi_id, n.doksi";
}

// A short text anywhere in the texts is compared with every letter, so its result comes
// sorted only after the whole pass. The result grid's first page has a statement of its own:
// the planner walks the letters in number order and stops at the page's last match. The rest
// follows that row in the same order (letters without a number last).
void egyMenetben(Lekerdezes &q, int modszer, bool darab)
{
    if (darab || modszer != KeresoLekerdezes::Barhol) {
        q.setSql(egyMenet(modszer, darab));
        return;
    }
    // plain comparisons of the columns, which the planner estimates as it does the statement's
    // own conditions, so that it plans the rest as the whole statement
    const char *const UTANA = "(n.doksi_id > CAST(:utolso_doksi_id AS integer) OR n.doksi_id = CAST(:utolso_doksi_id "
                              "AS integer) AND n.doksi > CAST(:utolso_doksi AS bigint) OR n.doksi_id IS NULL AND "
                              "(CAST(:utolso_doksi_id AS integer) IS NOT NULL OR n.doksi > CAST(:utolso_doksi AS "
                              "bigint))) AND ";
    q.setSql(egyMenet(modszer, false) + QString(" LIMIT %1").arg(KeresoLekerdezes::ELSO_LAP));
    q.setFolytatas(KeresoLekerdezes::ELSO_LAP, egyMenet(modszer, false, UTANA));
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
    if (MotorSql::egyMenetbenKeres())
        egyMenetben(q, modszer, !darab.isEmpty());
    else
        q.setSql(utasitas(modszer, !darab.isEmpty()));
    q.setParam("pminta", m);
    if (const QVariant d = MotorSql::darabErtek(darab); d.isValid())
        q.setParam("pdarab", d);
}
