#include "Sema.h"

#include "Jelszo.h"
#include "StoreHiba.h"

#include <QSqlError>
#include <QSqlQuery>
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
         {S("felhasznalo", 20, "Felhasználó"), S("felhasznalo_nev", 20), S("jelszo", 128, "Jelszó"),
          S("rendszergazda", 1), S("torzsszerkeszt", 1)}},
        {"beallit", "beallit", {A("beallit"), S("vanbelep", 1, "Belépésnél jelszót kér")}},
        {"tulajdonos", "tulajdonos",
         {S("tulajdonos", 100, "tulajdonos"), S("telefon", 25, "telefon"), S("mobil", 25, "mobil"),
          S("fax", 25, "fax"), S("irsz", 5, "irsz"), S("varos", 25, "város"), S("cim", 50, "cím"),
          S("adoszam", 11), S("bankszamlaszam", 24), S("betujel", 10), S("emil", 75, "E-mail"),
          S("honlap", 75, "honlap")}},
        // claims: one row per complaint a customer brings back about a letter's part
        {"reklamacio", "reklamacio",
         {A("reklamacio"), I("doksi"), D("datum", "dátum"), S("kmora", 15, "km.óra"),
          M("panasz", "panasz"), S("allapot", 30, "állapot"), S("beszallito", 100, "beszállító"),
          D("dat_kuldes", "beszállítónak küldve"), M("dontes", "beszállító döntése"),
          S("eredmeny", 255, "eredmény"), I("koltseg", "átvállalt költség (Ft)"),
          D("dat_lezaras", "lezárva"), S("felhasznalo", 20, "rögzítette"),
          S("indok", 255, "késői reklamáció indoka"), I("csere_doksi", "csere levél")}},
        // the change history: one row per changed field, or per inserted or deleted row with
        // its values as JSON text; doksi is the letter the row belongs to
        {"naplo", "naplo",
         {A("naplo"), S("ido", 19, "időpont"), S("felhasznalo", 20, "felhasználó"), S("gep", 64, "gép"),
          S("tabla", 20, "tábla"), S("kulcs", 100, "kulcs"), I("doksi", "levél"), S("mezo", 30, "mező"),
          M("regi", "régi érték"), M("uj", "új érték")}},
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

int Sema::verzio() { return 8; }

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
// a master row, covering what a name search returns. Locally the number order also covers
// the searched texts and what the result grid shows: a text too short for the trigram table
// is compared in one pass over that index alone, not in a lookup of the row for every letter.
struct NagybetuIndex { const char *nev, *oszlopok, *helyi; };
const NagybetuIndex INDEXEK[] = {
    {"doksi_nagybetu_sorrend", "doksi_id", "doksi_id, doksi, rendszam, sorozatszam, datum, ugyfel"},
    {"doksi_nagybetu_marka", "marka, doksi_id, datum, ugyfel", nullptr},
    {"doksi_nagybetu_alkatresz", "alkatresz, doksi_id, datum, ugyfel", nullptr},
    {"doksi_nagybetu_ugyfel", "ugyfel, doksi_id, datum", nullptr},
};

QString indexUtasitas(const NagybetuIndex &i, bool helyi)
{
    return QString("CREATE INDEX %1 ON doksi_nagybetu (%2)").arg(i.nev, helyi && i.helyi ? i.helyi : i.oszlopok);
}

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
        r.indexek << indexUtasitas(i, true);
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

QStringList Sema::keresoIndexCsere(const QHash<QString, QString> &meglevok)
{
    QStringList s;
    for (const auto &i : INDEXEK) {
        const QString kell = indexUtasitas(i, true);
        const auto m = meglevok.constFind(i.nev);
        if (m != meglevok.cend() && m.value() != kell)
            s << QString("DROP INDEX %1").arg(i.nev) << kell;
    }
    return s;
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
    return letrehozo(Adatbazis::Motor::SQLite, true);
}

namespace {

// Texts on the server are ordered and upper-cased by Hungarian rules (ICU).
const char *const HU = " COLLATE \"hu-HU-x-icu\"";

QString pgOszlopTipus(const MezoLeiras &m, bool kulcs)
{
    switch (m.tipus) {
    case MezoTipus::Autoinc: return "BIGINT GENERATED BY DEFAULT AS IDENTITY PRIMARY KEY";
    case MezoTipus::Egesz: return "INTEGER";
    case MezoTipus::Datum: return "DATE";
    // no length limit, as SQLite keeps none: a register copied from one holds what it held
    case MezoTipus::Memo: return QString("TEXT") + HU;
    case MezoTipus::Szoveg: return QString("TEXT") + HU + (kulcs ? " PRIMARY KEY NOT NULL" : "");
    }
    return {};
}

// The server's search index: the same narrow tables, kept by one trigger function per
// searched table, and trigram GIN indexes over their upper-cased texts in place of the
// trigram tables (LIKE uses them itself).
QStringList pgKeresoTablak()
{
    QStringList s;
    for (const Kereso &k : keresok()) {
        QStringList oszl{QString(k.kulcs) + " BIGINT PRIMARY KEY"};
        for (const QString &m : k.mezok)
            oszl << m + " TEXT COLLATE \"C\"";
        for (const QString &m : k.kisero)
            oszl << m + ' ' + pgOszlopTipus(*Sema::tabla(k.tabla)->mezo(m), false);
        s << QString("CREATE TABLE %1 (%2)").arg(Sema::nagybetusTabla(k.tabla), oszl.join(", "));
    }
    return s;
}

QStringList pgKeresoIndexek()
{
    QStringList s;
    for (const Kereso &k : keresok()) {
        QStringList t;
        for (const QString &m : k.mezok)
            t << m + " gin_trgm_ops";
        s << QString("CREATE INDEX %1_trgm ON %1 USING gin (%2)").arg(Sema::nagybetusTabla(k.tabla), t.join(", "));
    }
    for (const auto &i : INDEXEK)
        s << indexUtasitas(i, false);
    return s;
}

QStringList pgKeresoTriggerek()
{
    QStringList s;
    for (const Kereso &k : keresok()) {
        const QString nagy = Sema::nagybetusTabla(k.tabla), kulcs = k.kulcs;
        QStringList frissit;
        for (const QString &m : k.mezok + k.kisero)
            frissit << QString("%1 = excluded.%1").arg(m);
        s << QString("CREATE FUNCTION %1_nagy() RETURNS trigger LANGUAGE plpgsql AS $$ BEGIN "
                     "IF TG_OP <> 'INSERT' AND (TG_OP = 'DELETE' OR old.%2 <> new.%2) THEN "
                     "DELETE FROM %3 WHERE %2 = old.%2; END IF; "
                     "IF TG_OP <> 'DELETE' THEN INSERT INTO %3 (%2, %4) VALUES (new.%2, %5) "
                     "ON CONFLICT (%2) DO UPDATE SET %6; END IF; RETURN NULL; END $$")
                 .arg(k.tabla, kulcs, nagy, oszlopok(k), ertekek(k, "new."), frissit.join(", "))
          << QString("CREATE TRIGGER %1_nagy AFTER INSERT OR DELETE OR UPDATE OF %2, %3 ON %1 "
                     "FOR EACH ROW EXECUTE FUNCTION %1_nagy()")
                 .arg(k.tabla, kulcs, QStringList(k.mezok + k.kisero).join(", "));
    }
    return s;
}

QStringList pgKeresoFeltolt()
{
    QStringList s;
    for (const Kereso &k : keresok())
        s << QString("INSERT INTO %1 (%2, %3) SELECT %2, %4 FROM %5")
                 .arg(Sema::nagybetusTabla(k.tabla), k.kulcs, oszlopok(k), ertekek(k, {}), k.tabla);
    return s;
}

QString pgTabla(const TablaLeiras &t)
{
    QStringList oszlopok;
    for (const MezoLeiras &m : t.mezok)
        oszlopok << m.nev + ' ' + pgOszlopTipus(m, m.nev == t.kulcs);
    // the cursor works on row ids; a table without a whole-number key gets one
    if (!t.autoinc())
        oszlopok << "rowid BIGINT GENERATED BY DEFAULT AS IDENTITY UNIQUE";
    return QString("CREATE TABLE %1 (%2)").arg(t.nev, oszlopok.join(", "));
}

// A key written as it is (a copy, an import) moves the counter past it, as SQLite's
// AUTOINCREMENT does, so the next new row does not collide with it.
QStringList pgKulcsSzamlalo(const TablaLeiras &t)
{
    // the history's keys are never given: its rows need no statement trigger of their own
    if (!t.autoinc() || t.nev == Sema::NAPLO)
        return {};
    const QString sorozat = QString("%1_%2_seq").arg(t.nev, t.kulcs);
    return {QString("CREATE FUNCTION %1_kulcs() RETURNS trigger LANGUAGE plpgsql AS $$ BEGIN "
                    "PERFORM setval('%3', m) FROM (SELECT max(%2) AS m FROM uj) x "
                    "WHERE m >= (SELECT CASE WHEN is_called THEN last_value + 1 ELSE last_value END FROM %3); "
                    "RETURN NULL; END $$").arg(t.nev, t.kulcs, sorozat),
            QString("CREATE TRIGGER %1_kulcs AFTER INSERT ON %1 REFERENCING NEW TABLE AS uj "
                    "FOR EACH STATEMENT EXECUTE FUNCTION %1_kulcs()").arg(t.nev)};
}

QString pgJelez(const TablaLeiras &t)
{
    return QString("CREATE TRIGGER %1_jelez AFTER INSERT OR UPDATE OR DELETE OR TRUNCATE ON %1 "
                   "FOR EACH STATEMENT EXECUTE FUNCTION dorvprg_jelez()").arg(t.nev);
}

// claims are read per letter and listed by date
const char *const REKLAMACIO_INDEXEK[] = {
    "CREATE INDEX idx_reklamacio_doksi ON reklamacio (doksi, datum)",
    "CREATE INDEX idx_reklamacio_datum ON reklamacio (datum)",
};

// the history by table and key (a master row), by letter, by time
const char *const NAPLO_INDEXEK[] = {
    "CREATE INDEX idx_naplo_tabla ON naplo (tabla, kulcs)",
    "CREATE INDEX idx_naplo_doksi ON naplo (doksi)",
    "CREATE INDEX idx_naplo_ido ON naplo (ido)",
};

// The server's history is kept by one trigger function on every table, so a change from
// any client is recorded, in the change's own transaction. The desk tells who works through
// its session settings (Naplo); another client is named by its role and address. The
// arguments: the table's key, the field of its letter ('' when none), the field whose value
// is never written (the password hash).
QStringList pgNaploTriggerek()
{
    // a letter's key on the server is a BIGINT identity
    QStringList s{
        "ALTER TABLE naplo ALTER COLUMN doksi TYPE BIGINT",
        "CREATE FUNCTION naplo_ir() RETURNS trigger LANGUAGE plpgsql SET search_path FROM CURRENT AS $$ "
        "DECLARE v_ido text; v_ki text; v_gep text; v_kulcs text; v_doksi bigint; r jsonb; u jsonb; BEGIN "
        "IF current_setting('dorvprg.naplozas', true) = 'ki' THEN RETURN NULL; END IF; "
        "v_ki := coalesce(nullif(current_setting('dorvprg.felhasznalo', true), ''), session_user::text); "
        "v_gep := coalesce(nullif(current_setting('dorvprg.gep', true), ''), host(inet_client_addr()), ''); "
        "v_ido := to_char(localtimestamp, 'YYYY-MM-DD HH24:MI:SS'); "
        "IF TG_OP <> 'INSERT' THEN r := to_jsonb(old) - 'rowid'; END IF; "
        "IF TG_OP <> 'DELETE' THEN u := to_jsonb(new) - 'rowid'; END IF; "
        "v_kulcs := coalesce(r, u) ->> TG_ARGV[0]; "
        "IF TG_ARGV[1] <> '' THEN v_doksi := (coalesce(u, r) ->> TG_ARGV[1])::bigint; END IF; "
        "IF TG_OP = 'UPDATE' THEN "
        "INSERT INTO naplo (ido, felhasznalo, gep, tabla, kulcs, doksi, mezo, regi, uj) "
        "SELECT v_ido, v_ki, v_gep, TG_TABLE_NAME, v_kulcs, v_doksi, ue.key, "
        "CASE WHEN ue.key = TG_ARGV[2] THEN NULL ELSE re.value #>> '{}' END, "
        "CASE WHEN ue.key = TG_ARGV[2] THEN '(megváltozott)' ELSE ue.value #>> '{}' END "
        "FROM jsonb_each(u) ue JOIN jsonb_each(r) re ON re.key = ue.key WHERE ue.value IS DISTINCT FROM re.value; "
        "ELSE "
        "INSERT INTO naplo (ido, felhasznalo, gep, tabla, kulcs, doksi, regi, uj) "
        "VALUES (v_ido, v_ki, v_gep, TG_TABLE_NAME, v_kulcs, v_doksi, (r - TG_ARGV[2])::text, (u - TG_ARGV[2])::text); "
        "END IF; RETURN NULL; END $$"};
    for (const TablaLeiras &t : Sema::tablak())
        if (t.nev != Sema::NAPLO)
            s << QString("CREATE TRIGGER %1_naplo AFTER INSERT OR UPDATE OR DELETE ON %1 FOR EACH ROW "
                         "EXECUTE FUNCTION naplo_ir('%2', '%3', '%4')")
                     .arg(t.nev, t.kulcs, t.mezo("doksi") ? "doksi" : "", t.nev == "felhasznalo" ? "jelszo" : "");
    return s;
}

QStringList pgLetrehozo()
{
    QStringList s{"CREATE EXTENSION IF NOT EXISTS pg_trgm"};
    for (const TablaLeiras &t : Sema::tablak())
        s << pgTabla(t);
    // the key breaks ties in the cursor's order, so the indexes carry it; nulls where SQLite
    // puts them (MotorSql::rendez), so a view streams from its index
    s << "CREATE INDEX idx_doksi_id_desc ON doksi (doksi_id DESC NULLS LAST, doksi DESC)"
      << "CREATE INDEX idx_doksi_prntip ON doksi (prntip, doksi_id DESC NULLS LAST, doksi DESC)"
      << "CREATE INDEX idx_marka_nev ON marka (marka_nev)"
      << "CREATE INDEX idx_alkatresz_nev ON alkatresz (alkatresz_nev)"
      << "CREATE INDEX idx_ugyfel_nev ON ugyfel (ugyfel_nev)"
      << "CREATE INDEX idx_doksi_megj_doksi ON doksi_megj (doksi)"
      << "CREATE INDEX idx_datum_desc ON megj (datum DESC NULLS LAST, megj DESC)"
      << "CREATE INDEX idx_megj_doksi ON megj (doksi, datum DESC)" << Sema::garanciaIndex();
    for (const char *i : REKLAMACIO_INDEXEK)
        s << i;
    for (const char *i : NAPLO_INDEXEK)
        s << i;
    s << pgNaploTriggerek();
    s << pgKeresoTablak() << pgKeresoIndexek() << pgKeresoTriggerek();
    // the ordering key of HuSzoveg::rendezoKulcs: letters by the Hungarian alphabet, accented
    // ones after their base letter, digits and punctuation before them, other scripts after
    s << "CREATE FUNCTION hurendez(s text) RETURNS text LANGUAGE plpgsql IMMUTABLE STRICT PARALLEL SAFE AS $$ "
         "DECLARE u text := upper(s COLLATE \"hu-HU-x-icu\"); r text := ''; c int; p int; BEGIN "
         "FOR i IN 1..length(u) LOOP c := ascii(substr(u, i, 1)); "
         "IF c BETWEEN 65 AND 90 THEN c := 256 + (c - 65) * 4; "
         "ELSIF c >= 256 OR c IN (193, 196, 201, 205, 211, 214, 218, 220) THEN "
         "p := strpos('ÁÄÉÍÓÖŐÚÜŰ', chr(c)); "
         "IF p > 0 THEN c := 256 + (ascii(substr('AAEIOOOUUU', p, 1)) - 65) * 4 + substr('1211123123', p, 1)::int; "
         "ELSIF c < 61440 THEN c := c + 4096; END IF; END IF; "
         "r := r || chr(c); END LOOP; RETURN r; END $$";
    for (const TablaLeiras &t : Sema::tablak())
        s << pgKulcsSzamlalo(t);
    // other desks learn of a committed change from a notification
    s << "CREATE FUNCTION dorvprg_jelez() RETURNS trigger LANGUAGE plpgsql AS $$ BEGIN "
         "PERFORM pg_notify('dorvprg', TG_TABLE_NAME); RETURN NULL; END $$";
    for (const TablaLeiras &t : Sema::tablak())
        if (t.nev != Sema::NAPLO)   // the change of a table tells the other desks already
            s << pgJelez(t);
    return s << Sema::pgMentesek();
}

QString sqliteTabla(const TablaLeiras &t)
{
    QStringList oszlopok;
    for (const MezoLeiras &m : t.mezok)
        oszlopok << m.nev + ' ' + oszlopTipus(m, m.nev == t.kulcs);
    return QString("CREATE TABLE %1 (%2)").arg(t.nev, oszlopok.join(", "));
}

QStringList sqliteLetrehozo();

} // namespace

QStringList Sema::pgKeresoUjraepit()
{
    QStringList s;
    for (const Kereso &k : keresok())
        s << QString("DROP TABLE IF EXISTS %1 CASCADE").arg(nagybetusTabla(k.tabla))
          << QString("DROP FUNCTION IF EXISTS %1_nagy() CASCADE").arg(k.tabla);
    return s << "CREATE EXTENSION IF NOT EXISTS pg_trgm" << pgKeresoTablak() << pgKeresoFeltolt() << pgKeresoIndexek()
             << pgKeresoTriggerek();
}

const char *const Sema::GARANCIA_INDEX = "idx_doksi_dorvido";

QString Sema::garanciaIndex()
{
    return QString("CREATE INDEX IF NOT EXISTS %1 ON doksi (dorvido, datum)").arg(GARANCIA_INDEX);
}

QStringList Sema::pgMentesek()
{
    return {"CREATE TABLE IF NOT EXISTS mentesek (azon TEXT PRIMARY KEY, kulcs BIGINT, ido TIMESTAMPTZ NOT NULL DEFAULT now())",
            "CREATE INDEX IF NOT EXISTS idx_mentesek_ido ON mentesek (ido)"};
}

QString Sema::sorAzonosito(const TablaLeiras &t, Adatbazis::Motor m)
{
    return m == Adatbazis::Motor::PostgreSQL && t.autoinc() ? t.kulcs : QString("rowid");
}

void Sema::letrehoz(QSqlDatabase db, Adatbazis::Motor m, bool alapSorok)
{
    for (const QString &u : letrehozo(m, alapSorok)) {
        QSqlQuery q(db);
        if (!q.exec(u))
            throw StoreHiba(QString("%1\r\n%2").arg(q.lastError().text(), u));
    }
}

QStringList Sema::letrehozo(Adatbazis::Motor motor, bool alapSorok)
{
    QStringList s;
    if (motor == Adatbazis::Motor::PostgreSQL)
        s << pgLetrehozo();
    else
        s << sqliteLetrehozo();
    s << "CREATE TABLE meta (kulcs TEXT PRIMARY KEY, ertek TEXT)"
      << QString("INSERT INTO meta VALUES ('verzio', '%1')").arg(verzio());
    // a new register's history starts empty: its default rows are no changes (on SQLite the
    // history's triggers come only after the register is made)
    if (alapSorok && motor == Adatbazis::Motor::PostgreSQL)
        s << "SELECT set_config('dorvprg.naplozas', 'ki', true)";
    if (alapSorok)
        s << "INSERT INTO beallit (vanbelep) VALUES ('N')"
          << "INSERT INTO tulajdonos (tulajdonos) VALUES ('Saját műhely')"
          << QString("INSERT INTO felhasznalo VALUES ('rendszergazda', 'Rendszergazda', '%1', 'I', 'I')")
                 .arg(Jelszo::hash("admin"));
    return s;
}

namespace {
QStringList sqliteLetrehozo()
{
    QStringList s;
    for (const TablaLeiras &t : Sema::tablak())
        s << sqliteTabla(t);
    s << "CREATE INDEX idx_doksi_id_desc ON doksi (doksi_id DESC)"
      << "CREATE INDEX idx_doksi_prntip ON doksi (prntip, doksi_id DESC, doksi DESC)"
      << "CREATE INDEX idx_marka_nev ON marka (marka_nev)"
      << "CREATE INDEX idx_alkatresz_nev ON alkatresz (alkatresz_nev)"
      << "CREATE INDEX idx_ugyfel_nev ON ugyfel (ugyfel_nev)"
      << "CREATE INDEX idx_doksi_megj_doksi ON doksi_megj (doksi)"
      << "CREATE INDEX idx_datum_desc ON megj (datum DESC)"
      << "CREATE INDEX idx_megj_doksi ON megj (doksi, datum DESC)" << Sema::garanciaIndex();
    for (const char *i : REKLAMACIO_INDEXEK)
        s << i;
    for (const char *i : NAPLO_INDEXEK)
        s << i;
    return s << Sema::keresoIndex();
}
} // namespace

const char *const Sema::NAPLO = "naplo";

QStringList Sema::naploFelvesz(Adatbazis::Motor m)
{
    const TablaLeiras &t = *tabla(NAPLO);
    QStringList s{m == Adatbazis::Motor::PostgreSQL ? pgTabla(t) : sqliteTabla(t)};
    for (const char *i : NAPLO_INDEXEK)
        s << i;
    if (m == Adatbazis::Motor::PostgreSQL)
        s << pgNaploTriggerek();
    return s;
}

QStringList Sema::reklamacioFelvesz(Adatbazis::Motor m)
{
    const TablaLeiras &t = *tabla("reklamacio");
    QStringList s;
    if (m == Adatbazis::Motor::PostgreSQL)
        s << pgTabla(t) << pgKulcsSzamlalo(t) << pgJelez(t);
    else
        s << sqliteTabla(t);
    for (const char *i : REKLAMACIO_INDEXEK)
        s << i;
    return s;
}
