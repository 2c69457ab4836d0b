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

int Sema::verzio() { return 4; }

namespace {
// Search index of the five searched columns. A narrow table per searched table holds the
// upper-cased texts (key = the row's key), so a search compares them natively instead of
// upper-casing every row; a trigram table over it (external content) finds the rows that
// hold a piece of three characters or more. Triggers keep both in step with the register.
// The letters' narrow table also keeps, as they are, the number, the date and the master
// keys: indexes over them give a search its rows in number order with what the result grid
// shows, without reading the scattered letter rows.
struct Kereso {
    const char *tabla, *kulcs;
    QStringList mezok;      // searched, upper-cased
    QStringList kisero;     // copied as they are
};
const QList<Kereso> &keresok()
{
    static const QList<Kereso> k = {
        {"doksi", "doksi", {"rendszam", "sorozatszam"}, {"doksi_id", "datum", "marka", "alkatresz", "ugyfel"}},
        {"marka", "marka", {"marka_nev"}, {}},
        {"alkatresz", "alkatresz", {"alkatresz_nev"}, {}},
        {"ugyfel", "ugyfel", {"ugyfel_nev"}, {}},
    };
    return k;
}

// On the letters' narrow table: the number order (the key breaks ties), and the letters of
// a master row, covering what a name search returns.
const struct { const char *nev, *oszlopok; } INDEXEK[] = {
    {"doksi_nagybetu_sorrend", "doksi_id"},
    {"doksi_nagybetu_marka", "marka, doksi_id, datum, ugyfel"},
    {"doksi_nagybetu_alkatresz", "alkatresz, doksi_id, datum, ugyfel"},
    {"doksi_nagybetu_ugyfel", "ugyfel, doksi_id, datum"},
};

// Indexes of version 3 on the letters themselves, replaced by the ones above.
const char *const REGI_INDEXEK[] = {"idx_doksi_marka", "idx_doksi_alkatresz", "idx_doksi_ugyfel"};

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

// The narrow row's fields and their values from a register row: the texts upper-cased, the
// copied fields as they are.
QString oszlopok(const Kereso &k) { return QStringList(k.mezok + k.kisero).join(", "); }
QString ertekek(const Kereso &k, const QString &elotag)
{
    return k.kisero.isEmpty() ? felsok(k.mezok, elotag) : felsok(k.mezok, elotag) + ", " + elotaggal(k.kisero, elotag);
}

// "doksi_id INTEGER", typed as in the register, so that values and comparisons stay the same
QString kiseroOszlop(const Kereso &k, const QString &mezo)
{
    return mezo + ' ' + oszlopTipus(*Sema::tabla(k.tabla)->mezo(mezo), false);
}

QStringList triggerNevek(const Kereso &k, int verzio = Sema::verzio())
{
    const QString nagy = Sema::nagybetusTabla(k.tabla), t = k.tabla;
    QStringList n{nagy + "_be", nagy + "_ki", t + "_nagy_be", t + "_nagy_ki", t + "_nagy_mod"};
    if (!k.kisero.isEmpty() && verzio > 3)
        n << t + "_nagy_kisero";
    return n;
}

// The parts of the index, apart so that a filled index gets its indexes and triggers after
// its rows.
struct KeresoReszek { QStringList tablak, indexek, triggerek; };
KeresoReszek keresoReszek()
{
    KeresoReszek r;
    for (const Kereso &k : keresok()) {
        const QString nagy = Sema::nagybetusTabla(k.tabla), fts = Sema::keresoTabla(k.tabla);
        const QString mezok = k.mezok.join(", ");
        QStringList tipusos;
        for (const QString &m : k.kisero)
            tipusos << kiseroOszlop(k, m);
        r.tablak << QString("CREATE TABLE %1 (%2 INTEGER PRIMARY KEY, %3)")
                        .arg(nagy, k.kulcs, QStringList(k.mezok + tipusos).join(", "))
                 << QString("CREATE VIRTUAL TABLE %1 USING fts5(%2, content='%3', content_rowid='%4',"
                            " tokenize='trigram case_sensitive 1')").arg(fts, mezok, nagy, k.kulcs);
        // the narrow table feeds the trigram table
        r.triggerek
            << QString("CREATE TRIGGER %1_be AFTER INSERT ON %1 BEGIN INSERT INTO %2 (rowid, %3) VALUES (new.%4, %5); END")
                   .arg(nagy, fts, mezok, k.kulcs, elotaggal(k.mezok, "new."))
            << QString("CREATE TRIGGER %1_ki AFTER DELETE ON %1 BEGIN INSERT INTO %2 (%2, rowid, %3) VALUES ('delete', old.%4, %5); END")
                   .arg(nagy, fts, mezok, k.kulcs, elotaggal(k.mezok, "old."))
        // the register feeds the narrow table; other fields of a row leave the index alone
            << QString("CREATE TRIGGER %1_nagy_be AFTER INSERT ON %1 BEGIN INSERT INTO %2 (%3, %4) VALUES (new.%3, %5); END")
                   .arg(k.tabla, nagy, k.kulcs, oszlopok(k), ertekek(k, "new."))
            << QString("CREATE TRIGGER %1_nagy_ki AFTER DELETE ON %1 BEGIN DELETE FROM %2 WHERE %3 = old.%3; END")
                   .arg(k.tabla, nagy, k.kulcs)
            << QString("CREATE TRIGGER %1_nagy_mod AFTER UPDATE OF %3, %4 ON %1 BEGIN DELETE FROM %2 WHERE %3 = old.%3; "
                       "INSERT INTO %2 (%3, %5) VALUES (new.%3, %6); END")
                   .arg(k.tabla, nagy, k.kulcs, mezok, oszlopok(k), ertekek(k, "new."));
        // a copied field changes in place: the trigram table keeps its texts
        if (!k.kisero.isEmpty())
            r.triggerek << QString("CREATE TRIGGER %1_nagy_kisero AFTER UPDATE OF %3 ON %1 BEGIN UPDATE %2 SET (%3) = (%4) "
                                   "WHERE %5 = new.%5; END")
                               .arg(k.tabla, nagy, k.kisero.join(", "), elotaggal(k.kisero, "new."), k.kulcs);
    }
    for (const auto &i : INDEXEK)
        r.indexek << QString("CREATE INDEX %1 ON doksi_nagybetu (%2)").arg(i.nev, i.oszlopok);
    return r;
}

QStringList regiIndexekTorlese()
{
    QStringList s;
    for (const char *i : REGI_INDEXEK)
        s << QString("DROP INDEX IF EXISTS %1").arg(i);
    return s;
}
} // namespace

QString Sema::nagybetusTabla(const QString &tabla) { return tabla + "_nagybetu"; }
QString Sema::keresoTabla(const QString &tabla) { return tabla + "_kereso"; }

QStringList Sema::keresoIndex()
{
    const KeresoReszek r = keresoReszek();
    return r.tablak + r.indexek + r.triggerek;
}

QStringList Sema::keresoFeltolt()
{
    QStringList s;
    for (const Kereso &k : keresok()) {
        const QString nagy = nagybetusTabla(k.tabla);
        s << QString("DELETE FROM %1").arg(nagy)
          << QString("INSERT INTO %1 (%2, %3) SELECT %2, %4 FROM %5").arg(nagy, k.kulcs, oszlopok(k), ertekek(k, {}), k.tabla)
          << QString("INSERT INTO %1 (%1) VALUES ('rebuild')").arg(keresoTabla(k.tabla));
    }
    return s;
}

QStringList Sema::keresoFrissit()
{
    // the narrow tables and their trigram tables stay; the letters' one gets its copied fields
    QStringList s;
    for (const Kereso &k : keresok()) {
        for (const QString &t : triggerNevek(k))
            s << QString("DROP TRIGGER IF EXISTS %1").arg(t);
        if (k.kisero.isEmpty())
            continue;
        const QString nagy = nagybetusTabla(k.tabla);
        for (const QString &m : k.kisero)
            s << QString("ALTER TABLE %1 ADD COLUMN %2").arg(nagy, kiseroOszlop(k, m));
        s << QString("UPDATE %1 SET (%2) = (%3) FROM %4 r WHERE r.%5 = %1.%5")
                 .arg(nagy, k.kisero.join(", "), elotaggal(k.kisero, "r."), k.tabla, k.kulcs);
    }
    const KeresoReszek r = keresoReszek();
    return s + r.indexek + r.triggerek + regiIndexekTorlese();
}

QStringList Sema::keresoUjraepit()
{
    QStringList s;
    for (const Kereso &k : keresok()) {
        // version 2 kept a trigram table with its own copy, fed by triggers on the register
        for (const char *v : {"_be", "_ki", "_mod"})
            s << QString("DROP TRIGGER IF EXISTS %1_kereso%2").arg(k.tabla, v);
        for (const QString &t : triggerNevek(k))
            s << QString("DROP TRIGGER IF EXISTS %1").arg(t);
        s << QString("DROP TABLE IF EXISTS %1").arg(keresoTabla(k.tabla))
          << QString("DROP TABLE IF EXISTS %1").arg(nagybetusTabla(k.tabla));
    }
    // filled in bulk before the indexes and triggers exist
    const KeresoReszek r = keresoReszek();
    return s + regiIndexekTorlese() + r.tablak + keresoFeltolt() + r.indexek + r.triggerek;
}

QStringList Sema::keresoObjektumok(int verzio)
{
    QStringList n;
    for (const Kereso &k : keresok())
        n << nagybetusTabla(k.tabla) << keresoTabla(k.tabla) << triggerNevek(k, verzio);
    if (verzio > 3)
        for (const auto &i : INDEXEK)
            n << i.nev;
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
