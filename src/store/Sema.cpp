#include "Sema.h"

#include <QStringList>

namespace {

MezoLeiras A(const char *n) { return {n, MezoTipus::Autoinc, 0, {}}; }
MezoLeiras I(const char *n, const QString &c = {}) { return {n, MezoTipus::Egesz, 0, c}; }
MezoLeiras D(const char *n, const QString &c = {}) { return {n, MezoTipus::Datum, 0, c}; }
MezoLeiras S(const char *n, int m, const QString &c = {}) { return {n, MezoTipus::Szoveg, m, c}; }
MezoLeiras M(const char *n, const QString &c = {}) { return {n, MezoTipus::Memo, 0, c}; }

QList<TablaLeiras> epit()
{
    return {
        {"doksi", "doksi",
         {A("doksi"), I("doksi_id", "ID"), D("datum", "dátum"), S("dorvido", 20, "dorv.idő"),
          I("marka"), I("alkatresz"), S("rendszam", 15, "rendszám"), I("ugyfel"),
          S("sorozatszam", 50, "sorozatszám"), S("prntip", 1), S("kmora", 15, "km.óra"),
          S("egyebjav", 255, "egyéb jav."), I("ft_varhato", "várható ár"),
          S("serulesek", 255, "sérülések"), S("hibajelenseg", 255, "hiba"),
          D("dat_beerk", "beérkezett"), S("hibajel_fuggetlen", 255, "független hiba"),
          S("okmanyok", 255, "okmányok"), S("hiba1", 255), S("hiba2", 255), S("hiba3", 255),
          D("dat_befejez", "befejezés"), S("megjegyzes", 255), S("elvjavitas", 255)}},
        {"marka", "marka", {A("marka"), S("marka_nev", 25, "márka"), I("kep")}},
        {"alkatresz", "alkatresz", {A("alkatresz"), S("alkatresz_nev", 50, "alkatrész")}},
        {"ugyfel", "ugyfel",
         {A("ugyfel"), S("ugyfel_nev", 100, "ügyfél"), S("telefon", 20, "telefon"),
          S("mobil", 20, "mobil"), S("fax", 20, "fax"), S("emil", 100, "e-mail"),
          S("honlap", 100, "honlap"), S("cim_irsz", 6, "irsz."), S("cim_varos", 50, "város"),
          S("cim_cim", 100, "cím"), S("kapcsolat", 50, "kapcsolattartó")}},
        {"doksi_megj", "doksi_megj",
         {A("doksi_megj"), I("doksi"), D("datum", "dátum"), S("rovid", 50, "rövid leírás"),
          M("megjegyzes", "megjegyzés")}},
        {"megj", "megj",
         {A("megj"), I("doksi"), S("doknev", 255, "dokumentum"), S("doknev_rovid", 50, "leírás"),
          D("datum", "dátum")}},
        {"felhasznalo", "felhasznalo",
         {S("felhasznalo", 20, "Felhasználó"), S("felhasznalo_nev", 20), S("jelszo", 10, "Jelszó"),
          S("rendszergazda", 1), S("torzsszerkeszt", 1)}},
        {"beallit", "beallit", {A("beallit"), S("vanbelep", 1, "Belépésnél jelszót kér")}},
        {"tulajdonos", "tulajdonos",
         {S("tulajdonos", 100, "tulajdonos"), S("telefon", 25, "telefon"), S("mobil", 25, "mobil"),
          S("fax", 25, "fax"), S("irsz", 5, "irsz"), S("varos", 25, "város"), S("cim", 50, "cím"),
          S("adoszam", 11), S("bankszamlaszam", 24), S("betujel", 10), S("emil", 75, "E-mail"),
          S("honlap", 75, "honlap")}},
    };
}

QString oszlopTipus(const MezoLeiras &m, bool kulcs)
{
    switch (m.tipus) {
    case MezoTipus::Autoinc: return "INTEGER PRIMARY KEY AUTOINCREMENT";
    case MezoTipus::Egesz: return "INTEGER";
    case MezoTipus::Datum: return "DATE";
    case MezoTipus::Memo: return "TEXT";
    case MezoTipus::Szoveg:
        return QString("VARCHAR(%1)").arg(m.meret) + (kulcs ? " PRIMARY KEY NOT NULL" : "");
    }
    return {};
}

} // namespace

const MezoLeiras *TablaLeiras::mezo(const QString &n) const
{
    for (const MezoLeiras &m : mezok)
        if (m.nev.compare(n, Qt::CaseInsensitive) == 0)
            return &m;
    return nullptr;
}

bool TablaLeiras::autoinc() const
{
    const MezoLeiras *k = mezo(kulcs);
    return k && k->tipus == MezoTipus::Autoinc;
}

const QList<TablaLeiras> &Sema::tablak()
{
    static const QList<TablaLeiras> t = epit();
    return t;
}

const TablaLeiras *Sema::tabla(const QString &nev)
{
    QString n = nev.trimmed();
    if (n.endsWith(".DB", Qt::CaseInsensitive))
        n.chop(3);
    for (const TablaLeiras &t : tablak())
        if (t.nev.compare(n, Qt::CaseInsensitive) == 0)
            return &t;
    return nullptr;
}

int Sema::verzio() { return 3; }

namespace {
// Search index of the five searched columns. A narrow table per searched table holds the
// upper-cased texts (key = the row's key), so a search compares them natively instead of
// upper-casing every row; a trigram table over it (external content) finds the rows that
// hold a piece of three characters or more. Triggers keep both in step with the register.
struct Kereso { const char *tabla, *kulcs; QStringList mezok; };
const QList<Kereso> &keresok()
{
    static const QList<Kereso> k = {
        {"doksi", "doksi", {"rendszam", "sorozatszam"}},
        {"marka", "marka", {"marka_nev"}},
        {"alkatresz", "alkatresz", {"alkatresz_nev"}},
        {"ugyfel", "ugyfel", {"ugyfel_nev"}},
    };
    return k;
}

QString felsok(const QStringList &mezok, const QString &elotag)
{
    QStringList f;
    for (const QString &m : mezok)
        f << QString("UPPER(%1%2)").arg(elotag, m);
    return f.join(", ");
}

QString elotaggal(const QStringList &mezok, const QString &elotag)
{
    QStringList f;
    for (const QString &m : mezok)
        f << elotag + m;
    return f.join(", ");
}

QStringList keresoEpit()
{
    QStringList s;
    for (const Kereso &k : keresok()) {
        const QString nagy = Sema::nagybetusTabla(k.tabla), fts = Sema::keresoTabla(k.tabla);
        const QString mezok = k.mezok.join(", ");
        s << QString("CREATE TABLE %1 (%2 INTEGER PRIMARY KEY, %3)").arg(nagy, k.kulcs, mezok)
          << QString("CREATE VIRTUAL TABLE %1 USING fts5(%2, content='%3', content_rowid='%4',"
                     " tokenize='trigram case_sensitive 1')").arg(fts, mezok, nagy, k.kulcs);
        // the narrow table feeds the trigram table
        s << QString("CREATE TRIGGER %1_be AFTER INSERT ON %1 BEGIN INSERT INTO %2 (rowid, %3) VALUES (new.%4, %5); END")
                 .arg(nagy, fts, mezok, k.kulcs, elotaggal(k.mezok, "new."))
          << QString("CREATE TRIGGER %1_ki AFTER DELETE ON %1 BEGIN INSERT INTO %2 (%2, rowid, %3) VALUES ('delete', old.%4, %5); END")
                 .arg(nagy, fts, mezok, k.kulcs, elotaggal(k.mezok, "old."))
        // the register feeds the narrow table; other fields of a row leave the index alone
          << QString("CREATE TRIGGER %1_nagy_be AFTER INSERT ON %1 BEGIN INSERT INTO %2 (%3, %4) VALUES (new.%3, %5); END")
                 .arg(k.tabla, nagy, k.kulcs, mezok, felsok(k.mezok, "new."))
          << QString("CREATE TRIGGER %1_nagy_ki AFTER DELETE ON %1 BEGIN DELETE FROM %2 WHERE %3 = old.%3; END")
                 .arg(k.tabla, nagy, k.kulcs)
          << QString("CREATE TRIGGER %1_nagy_mod AFTER UPDATE OF %3, %4 ON %1 BEGIN DELETE FROM %2 WHERE %3 = old.%3; "
                     "INSERT INTO %2 (%3, %4) VALUES (new.%3, %5); END")
                 .arg(k.tabla, nagy, k.kulcs, mezok, felsok(k.mezok, "new."));
    }
    // letters of the master rows that a name search finds
    s << "CREATE INDEX IF NOT EXISTS idx_doksi_marka ON doksi (marka)"
      << "CREATE INDEX IF NOT EXISTS idx_doksi_alkatresz ON doksi (alkatresz)"
      << "CREATE INDEX IF NOT EXISTS idx_doksi_ugyfel ON doksi (ugyfel)";
    return s;
}
} // namespace

QString Sema::nagybetusTabla(const QString &tabla) { return tabla + "_nagybetu"; }
QString Sema::keresoTabla(const QString &tabla) { return tabla + "_kereso"; }

QStringList Sema::keresoIndex() { return keresoEpit(); }

QStringList Sema::keresoFeltolt()
{
    QStringList s;
    for (const Kereso &k : keresok()) {
        const QString nagy = nagybetusTabla(k.tabla);
        s << QString("DELETE FROM %1").arg(nagy)
          << QString("INSERT INTO %1 (%2, %3) SELECT %2, %4 FROM %5")
                 .arg(nagy, k.kulcs, k.mezok.join(", "), felsok(k.mezok, {}), k.tabla)
          << QString("INSERT INTO %1 (%1) VALUES ('rebuild')").arg(keresoTabla(k.tabla));
    }
    return s;
}

namespace {
// The index built anew after the given drops: filled in bulk before the triggers exist.
QStringList feltoltveEpit(QStringList s)
{
    QStringList triggerek;
    for (const QString &t : keresoEpit())
        (t.startsWith("CREATE TRIGGER ") ? triggerek : s) << t;
    return s + Sema::keresoFeltolt() + triggerek;
}

QStringList triggerNevek(const Kereso &k)
{
    const QString nagy = Sema::nagybetusTabla(k.tabla), t = k.tabla;
    return {nagy + "_be", nagy + "_ki", t + "_nagy_be", t + "_nagy_ki", t + "_nagy_mod"};
}
} // namespace

QStringList Sema::keresoFrissit()
{
    QStringList s;
    for (const Kereso &k : keresok()) {
        // the index of version 2: a trigram table with its own copy and triggers on the register
        for (const char *v : {"_be", "_ki", "_mod"})
            s << QString("DROP TRIGGER IF EXISTS %1_kereso%2").arg(k.tabla, v);
        s << QString("DROP TABLE IF EXISTS %1").arg(keresoTabla(k.tabla));
    }
    return feltoltveEpit(s);
}

QStringList Sema::keresoUjraepit()
{
    QStringList s;
    for (const Kereso &k : keresok()) {
        for (const QString &t : triggerNevek(k))
            s << QString("DROP TRIGGER IF EXISTS %1").arg(t);
        s << QString("DROP TABLE IF EXISTS %1").arg(keresoTabla(k.tabla))
          << QString("DROP TABLE IF EXISTS %1").arg(nagybetusTabla(k.tabla));
    }
    return feltoltveEpit(s);
}

QStringList Sema::keresoObjektumok()
{
    QStringList n;
    for (const Kereso &k : keresok())
        n << nagybetusTabla(k.tabla) << keresoTabla(k.tabla) << triggerNevek(k);
    return n;
}

QStringList Sema::letrehozo()
{
    QStringList s;
    for (const TablaLeiras &t : tablak()) {
        QStringList oszlopok;
        for (const MezoLeiras &m : t.mezok)
            oszlopok << m.nev + ' ' + oszlopTipus(m, m.nev == t.kulcs);
        s << QString("CREATE TABLE %1 (%2)").arg(t.nev, oszlopok.join(", "));
    }
    s << "CREATE INDEX idx_doksi_id_desc ON doksi (doksi_id DESC)"
      << "CREATE INDEX idx_doksi_prntip ON doksi (prntip, doksi_id DESC, doksi DESC)"
      << "CREATE INDEX idx_marka_nev ON marka (marka_nev)"
      << "CREATE INDEX idx_alkatresz_nev ON alkatresz (alkatresz_nev)"
      << "CREATE INDEX idx_ugyfel_nev ON ugyfel (ugyfel_nev)"
      << "CREATE INDEX idx_doksi_megj_doksi ON doksi_megj (doksi)"
      << "CREATE INDEX idx_datum_desc ON megj (datum DESC)"
      << "CREATE INDEX idx_megj_doksi ON megj (doksi, datum DESC)"
      << keresoIndex()
      << "CREATE TABLE meta (kulcs TEXT PRIMARY KEY, ertek TEXT)"
      << QString("INSERT INTO meta VALUES ('verzio', '%1')").arg(verzio())
      << "INSERT INTO beallit (vanbelep) VALUES ('N')"
      << "INSERT INTO tulajdonos (tulajdonos) VALUES ('Saját műhely')"
      << "INSERT INTO felhasznalo VALUES ('rendszergazda', 'Rendszergazda', 'admin', 'I', 'I')";
    return s;
}
