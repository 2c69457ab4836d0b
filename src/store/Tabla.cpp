#include "Tabla.h"
#include "Adatbazis.h"
#include "HuSzoveg.h"
#include "IsoDatum.h"
#include "MasikProgramHiba.h"
#include "MotorSql.h"
#include "Sema.h"
#include "StoreHiba.h"

#include <QDate>
#include <QRegularExpression>
#include <QSet>
#include <QSqlError>
#include <QSqlQuery>
#include <QUuid>
#include <algorithm>
#include <memory>
#include <optional>
#include <utility>
#include <vector>
#include <sqlite3.h>

namespace {

// Straight through SQLite rather than QSqlQuery where a pass reads a whole view: for half a
// million rows the per-row cost of QSqlQuery would be most of the time.
using Utasitas = std::unique_ptr<sqlite3_stmt, int (*)(sqlite3_stmt *)>;

Utasitas elokeszit(const QString &sql, const QVariantList &ertekek)
{
    sqlite3 *h = Adatbazis::handle();
    sqlite3_stmt *st = nullptr;
    const QByteArray sql8 = sql.toUtf8();
    if (const int rc = sqlite3_prepare_v2(h, sql8.constData(), int(sql8.size()), &st, nullptr); rc != SQLITE_OK) {
        if ((rc & 0xff) == SQLITE_BUSY)
            Adatbazis::foglalt();
        throw StoreHiba(QString::fromUtf8(sqlite3_errmsg(h)));
    }
    Utasitas u(st, sqlite3_finalize);
    for (int i = 0; i < ertekek.size(); ++i) {
        const QVariant &v = ertekek[i];
        if (v.isNull()) {
            sqlite3_bind_null(st, i + 1);
        } else if (v.typeId() == QMetaType::QString) {
            const QByteArray b = v.toString().toUtf8();
            sqlite3_bind_text(st, i + 1, b.constData(), int(b.size()), SQLITE_TRANSIENT);
        } else {
            sqlite3_bind_int64(st, i + 1, v.toLongLong());
        }
    }
    return u;
}

// the same types QSqlQuery gives
QVariant oszlopErtek(sqlite3_stmt *st, int i)
{
    switch (sqlite3_column_type(st, i)) {
    case SQLITE_INTEGER: return QVariant(qlonglong(sqlite3_column_int64(st, i)));
    case SQLITE_FLOAT: return QVariant(sqlite3_column_double(st, i));
    case SQLITE_NULL: return QVariant();
    default:
        return QVariant(QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(st, i)),
                                          sqlite3_column_bytes(st, i)));
    }
}

void rendezoOlvas(RendezoTomb &r, sqlite3_stmt *st, int i)
{
    switch (sqlite3_column_type(st, i)) {
    case SQLITE_INTEGER: r.hozzaadSzam(sqlite3_column_int64(st, i)); break;
    case SQLITE_FLOAT: r.hozzaadSzam(QVariant(sqlite3_column_double(st, i)).toLongLong()); break;
    case SQLITE_NULL: r.hozzaadUres(); break;
    default:
        r.hozzaadSzoveg(QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(st, i)),
                                          sqlite3_column_bytes(st, i)));
    }
}

// A stored value as the cursor shows it: whole numbers as int, dates as QDate, the rest
// (and the lookup fields, m == nullptr) as text.
QVariant olvasottErtek(const MezoLeiras *m, const QVariant &v)
{
    if (v.isNull())
        return QVariant();
    if (m) {
        switch (m->tipus) {
        case MezoTipus::Autoinc:
        case MezoTipus::Egesz: return QVariant(v.toInt());
        case MezoTipus::Datum: {
            const QDate d = QDate::fromString(v.toString().left(10), Qt::ISODate);
            return d.isValid() ? QVariant(d) : QVariant();
        }
        default: break;
        }
    }
    return QVariant(v.toString());
}

// A column as olvasottErtek(oszlopErtek()) gives it, without the value in between for the
// usual kinds: a pass over a view converts tens of millions of values.
QVariant oszlopOlvasott(sqlite3_stmt *st, int i, const MezoLeiras *m)
{
    const int tipus = sqlite3_column_type(st, i);
    if (tipus == SQLITE_NULL)
        return QVariant();
    const MezoTipus mt = m ? m->tipus : MezoTipus::Szoveg;
    if (tipus == SQLITE_INTEGER && (mt == MezoTipus::Autoinc || mt == MezoTipus::Egesz))
        return QVariant(int(sqlite3_column_int64(st, i)));
    if (tipus == SQLITE_TEXT) {
        const auto *p = reinterpret_cast<const char *>(sqlite3_column_text(st, i));
        const int n = sqlite3_column_bytes(st, i);
        if (mt == MezoTipus::Szoveg || mt == MezoTipus::Memo)
            return QVariant(QString::fromUtf8(p, n));
        // "yyyy-MM-dd" and whatever follows; other forms go the long way
        int ev, ho, nap;
        if (mt == MezoTipus::Datum && IsoDatum(p, n, ev, ho, nap)) {
            const QDate d(ev, ho, nap);
            return d.isValid() ? QVariant(d) : QVariant();
        }
    }
    return olvasottErtek(m, oszlopErtek(st, i));
}

// v into the value of the row before: one of the same type takes it in place (QVariant::setValue),
// without a new QVariant and a copy through QMetaType, which was a tenth of an export's time.
void ertekBe(QVariant &hova, const QVariant &v)
{
    if (v.typeId() == QMetaType::QString)
        hova.setValue(*static_cast<const QString *>(v.constData()));
    else
        hova = v;
}

// oszlopOlvasott into the value of the row before, the same way.
void oszlopBe(QVariant &hova, sqlite3_stmt *st, int i, const MezoLeiras *m)
{
    const int tipus = sqlite3_column_type(st, i);
    const MezoTipus mt = m ? m->tipus : MezoTipus::Szoveg;
    if (tipus == SQLITE_INTEGER && (mt == MezoTipus::Autoinc || mt == MezoTipus::Egesz)) {
        hova.setValue(int(sqlite3_column_int64(st, i)));
    } else if (tipus == SQLITE_TEXT && (mt == MezoTipus::Szoveg || mt == MezoTipus::Memo)) {
        hova.setValue(QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(st, i)),
                                        sqlite3_column_bytes(st, i)));
    } else if (tipus == SQLITE_NULL) {
        if (hova.isValid())
            hova = QVariant();
    } else {
        hova = oszlopOlvasott(st, i, m);
    }
}

// oszlopBe as a raw value: the same value, a QVariant only for the unusual kinds.
void oszlopNyers(NyersErtek &e, sqlite3_stmt *st, int i, const MezoLeiras *m)
{
    const int tipus = sqlite3_column_type(st, i);
    const MezoTipus mt = m ? m->tipus : MezoTipus::Szoveg;
    if (tipus == SQLITE_NULL) {
        e.fajta = NyersErtek::Fajta::Ures;
        return;
    }
    if (tipus == SQLITE_INTEGER && (mt == MezoTipus::Autoinc || mt == MezoTipus::Egesz)) {
        e.fajta = NyersErtek::Fajta::Egesz;
        e.egesz = int(sqlite3_column_int64(st, i));
        return;
    }
    if (tipus == SQLITE_TEXT && mt != MezoTipus::Autoinc && mt != MezoTipus::Egesz) {
        const auto *p = reinterpret_cast<const char *>(sqlite3_column_text(st, i));
        const int n = sqlite3_column_bytes(st, i);
        if (mt != MezoTipus::Datum) {
            e.fajta = NyersErtek::Fajta::Szoveg;
            e.utf8 = p;
            e.hossz = n;
            return;
        }
        if (IsoDatum(p, n, e.ev, e.ho, e.nap)) {
            e.fajta = QDate(e.ev, e.ho, e.nap).isValid() ? NyersErtek::Fajta::Datum : NyersErtek::Fajta::Ures;
            return;
        }
    }
    e.fajta = NyersErtek::Fajta::Mas;
    e.mas = oszlopOlvasott(st, i, m);
}

void lepesVege(int rc)
{
    if ((rc & 0xff) == SQLITE_BUSY)
        Adatbazis::foglalt();
    if (rc != SQLITE_DONE)
        throw StoreHiba(QString::fromUtf8(sqlite3_errmsg(Adatbazis::handle())));
}

// Values by key: by place when the keys are dense (autoincrement keys mostly are), in a hash
// otherwise.
template <typename T>
class KulcsTar {
public:
    // max: the largest key (0 when none is larger)
    void tolt(const QList<qint64> &kulcsok, qint64 max, QList<T> &ertekek)
    {
        if (max < 2 * kulcsok.size() + 1024)
            m_tomb.resize(max + 1);
        for (qsizetype i = 0; i < kulcsok.size(); ++i)
            if (kulcsok[i] >= 0 && kulcsok[i] < m_tomb.size())
                m_tomb[kulcsok[i]] = std::move(ertekek[i]);
            else
                m_hash.insert(kulcsok[i], std::move(ertekek[i]));
    }
    const T &ertek(qint64 kulcs) const
    {
        if (kulcs >= 0 && kulcs < m_tomb.size())
            return m_tomb[kulcs];
        const auto it = m_hash.constFind(kulcs);
        return it == m_hash.cend() ? m_nincs : *it;
    }

private:
    QList<T> m_tomb;
    QHash<qint64, T> m_hash;
    T m_nincs;
};

// The looked-up field of a lookup table by key, read in one pass.
class KeresoTar {
public:
    // nyers: the values as raw ones only (ertekNyers), their bytes straight from SQLite
    KeresoTar(const QString &tabla, const QString &mezo, int meret, bool nyers = false)
    {
        const Utasitas st = elokeszit(QString("SELECT rowid, substr(%1, 1, %2) FROM %3").arg(mezo).arg(meret).arg(tabla), {});
        if (nyers) {
            nyersOlvas(st.get());
            return;
        }
        QList<qint64> kulcsok;
        QList<QVariant> ertekek;
        qint64 max = 0;
        int rc;
        while ((rc = sqlite3_step(st.get())) == SQLITE_ROW) {
            kulcsok << sqlite3_column_int64(st.get(), 0);
            ertekek << oszlopOlvasott(st.get(), 1, nullptr);
            max = std::max(max, kulcsok.last());
        }
        lepesVege(rc);
        m_ertekek.tolt(kulcsok, max, ertekek);
    }
    const QVariant &ertek(qint64 kulcs) const { return m_ertekek.ertek(kulcs); }
    const NyersErtek &ertekNyers(qint64 kulcs) const { return m_nyers.ertek(kulcs); }

private:
    // The values as raw ones, the same as ertek() gives: a text's bytes as stored, any other
    // stored value as the text the cursor shows for it. The bytes of all texts live in m_bajtok.
    void nyersOlvas(sqlite3_stmt *st)
    {
        QList<qint64> kulcsok;
        QList<NyersErtek> ertekek;
        QList<qsizetype> helyek;   // where each text's bytes start in m_bajtok
        qint64 max = 0;
        int rc;
        while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
            kulcsok << sqlite3_column_int64(st, 0);
            max = std::max(max, kulcsok.last());
            NyersErtek &e = ertekek.emplaceBack();
            helyek << m_bajtok.size();
            const int tipus = sqlite3_column_type(st, 1);
            if (tipus == SQLITE_NULL)
                continue;
            e.fajta = NyersErtek::Fajta::Szoveg;
            if (tipus == SQLITE_TEXT) {
                e.hossz = sqlite3_column_bytes(st, 1);
                m_bajtok.append(reinterpret_cast<const char *>(sqlite3_column_text(st, 1)), e.hossz);
            } else {
                const QByteArray b = oszlopOlvasott(st, 1, nullptr).toString().toUtf8();
                e.hossz = int(b.size());
                m_bajtok.append(b);
            }
        }
        lepesVege(rc);
        // m_bajtok is whole now: the texts point into it
        for (qsizetype i = 0; i < ertekek.size(); ++i)
            if (ertekek[i].fajta == NyersErtek::Fajta::Szoveg)
                ertekek[i].utf8 = m_bajtok.constData() + helyek[i];
        m_nyers.tolt(kulcsok, max, ertekek);
    }

    KulcsTar<QVariant> m_ertekek;
    QByteArray m_bajtok;
    KulcsTar<NyersErtek> m_nyers;
};

// The lookup tables read first and the rows after them see one state of the register.
struct OlvasoTranzakcio {
    bool nyitott = false;
    void kezd()
    {
        if (!nyitott && sqlite3_get_autocommit(Adatbazis::handle())) {
            Adatbazis::vegrehajt("BEGIN");
            nyitott = true;
        }
    }
    ~OlvasoTranzakcio()
    {
        if (nyitott && !sqlite3_get_autocommit(Adatbazis::handle()))
            sqlite3_exec(Adatbazis::handle(), "COMMIT", nullptr, nullptr, nullptr);
    }
};

// The key read of a large table's view goes through its index once. In a small page cache
// those pages take the place of one another; in the connection's large one each would need
// new memory, and fresh memory costs more to fault in than the read itself (half the time
// of opening a million letters). The large cache is back for the rows and joins afterwards;
// a small table's keys stay in it.
class KisLapTar {
public:
    explicit KisLapTar(const QString &tabla)
    {
        // inside a transaction its changed pages stay where they are
        if (!sqlite3_get_autocommit(Adatbazis::handle())
            || Adatbazis::ertek("SELECT max(rowid) FROM " + tabla).toLongLong() < 200000)
            return;
        const Utasitas st = elokeszit("PRAGMA cache_size", {});
        if (sqlite3_step(st.get()) != SQLITE_ROW)
            return;
        m_regi = sqlite3_column_int64(st.get(), 0);
        if (m_regi > -2048 && m_regi < 512)   // already small
            m_regi = 0;
        else
            beallit(-2048);
    }
    ~KisLapTar()
    {
        if (m_regi != 0)
            beallit(m_regi);
    }
    KisLapTar(const KisLapTar &) = delete;
    KisLapTar &operator=(const KisLapTar &) = delete;

private:
    static void beallit(qint64 meret)
    {
        sqlite3_exec(Adatbazis::handle(), QByteArray("PRAGMA cache_size = " + QByteArray::number(meret)).constData(),
                     nullptr, nullptr, nullptr);
    }
    qint64 m_regi = 0;
};

// What changes whenever the rows of any view may have changed: a commit of another connection
// (data_version), a change of the schema (VACUUM too), a row written through this one. Inside
// a transaction nothing is known for sure (a rollback takes back what was counted): -1.
std::array<qint64, 3> regiszterAllapot()
{
    sqlite3 *h = Adatbazis::handle();
    if (!sqlite3_get_autocommit(h))
        return {-1, -1, -1};
    const auto pragma = [](const char *sql) {
        const Utasitas st = elokeszit(sql, {});
        return sqlite3_step(st.get()) == SQLITE_ROW ? sqlite3_column_int64(st.get(), 0) : -1;
    };
    const qint64 adat = pragma("PRAGMA data_version"), sema = pragma("PRAGMA schema_version");
    if (adat < 0 || sema < 0)
        return {-1, -1, -1};
    return {adat, sema, sqlite3_total_changes64(h)};
}

// Stored values alike: both null, or the same text (5 and 5.0 from SQLite are alike).
bool azonos(const QVariant &a, const QVariant &b)
{
    if (a.isNull() || b.isNull())
        return a.isNull() == b.isNull();
    return a.toString() == b.toString();
}

} // namespace

Tabla::Tabla(const QString &tabla, QObject *szulo)
    : QObject(szulo), m_leiras(Sema::tabla(tabla))
{
    if (!m_leiras)
        throw StoreHiba(QString("Ismeretlen tábla: %1").arg(tabla));
    setIndex({});
    oszlopokBeallit();
}

Tabla::~Tabla()
{
    Adatbazis::kurzorKijegyez(this);
}

void Tabla::ellenoriz(bool nyitvaKell) const
{
    if (nyitvaKell && !nyitva())
        throw StoreHiba(QString("A(z) %1 tábla nincs megnyitva.").arg(m_leiras->nev));
}

void Tabla::setIndex(const QString &indexVagyMezo)
{
    m_index = indexVagyMezo;
    m_rendezes.clear();
    const QString i = indexVagyMezo.trimmed();
    if (i.compare("idx_doksi_id_desc", Qt::CaseInsensitive) == 0)
        m_rendezes << Rendezes{"doksi_id", true, false};
    else if (i.compare("idx_datum_desc", Qt::CaseInsensitive) == 0)
        m_rendezes << Rendezes{"datum", true, false};
    else {
        const QString mezo = i.isEmpty() ? m_leiras->kulcs : i;
        const MezoLeiras *m = m_leiras->mezo(mezo);
        if (!m)
            throw StoreHiba(QString("Ismeretlen index vagy mező: %1").arg(i));
        const bool szoveg = m->tipus == MezoTipus::Szoveg || m->tipus == MezoTipus::Memo;
        // the user name key orders exactly; names for people order alphabetically
        const bool pontos = szoveg && m->nev == m_leiras->kulcs;
        m_rendezes << Rendezes{m->nev, false, szoveg && !pontos};
    }
    if (nyitva()) {
        kulcsokOlvas();
        aktualisra(0);
    }
}

void Tabla::setSzuro(const QString &kifejezes)
{
    static const QRegularExpression re(R"(^\s*(\w+)\s*=\s*(?:'((?:[^']|'')*)'|(-?\d+))\s*$)");
    m_szuroSzoveg = kifejezes;
    m_szuroMezo.clear();
    m_szuroErtek = QVariant();
    if (!kifejezes.trimmed().isEmpty()) {
        const auto t = re.match(kifejezes);
        const MezoLeiras *m = t.hasMatch() ? m_leiras->mezo(t.captured(1)) : nullptr;
        if (!m)
            throw StoreHiba(QString("Hibás szűrő: %1").arg(kifejezes));
        m_szuroMezo = m->nev;
        m_szuroErtek = t.capturedLength(3) ? QVariant(t.captured(3).toLongLong())
                                           : QVariant(t.captured(2).replace("''", "'"));
    }
    if (nyitva() && m_szurt) {
        kulcsokOlvas();
        aktualisra(0);
    }
}

void Tabla::setSzurt(bool be)
{
    m_szurt = be;
    if (nyitva()) {
        kulcsokOlvas();
        aktualisra(0);
    }
}

void Tabla::keresoMezo(const QString &nev, const QString &tabla, const QString &sajatMezo,
                       const QString &eredmenyMezo, int meret)
{
    if (!Sema::tabla(tabla) || !m_leiras->mezo(sajatMezo))
        throw StoreHiba(QString("Hibás keresőmező: %1").arg(nev));
    m_keresok << Kereso{nev, Sema::tabla(tabla)->nev, sajatMezo, eredmenyMezo, meret};
    // an open cursor's rows have the columns it was opened with until it opens again
    if (!nyitva())
        oszlopokBeallit();
}

void Tabla::oszlopokBeallit()
{
    m_oszlopok.clear();
    m_oszlopIndex.clear();
    for (const MezoLeiras &m : m_leiras->mezok)
        m_oszlopok << m.nev;
    for (const Kereso &k : m_keresok)
        m_oszlopok << k.nev;
    for (int i = 0; i < m_oszlopok.size(); ++i)
        m_oszlopIndex.insert(m_oszlopok[i].toLower(), i);
}

void Tabla::megnyit()
{
    if (nyitva())
        return;
    Adatbazis::db();
    m_azon = Sema::sorAzonosito(*m_leiras, Adatbazis::motor());
    oszlopokBeallit();
    m_allapot = Allapot::Tallozas;
    try {
        kulcsokOlvas();
    } catch (...) {
        m_allapot = Allapot::Zarva;
        throw;
    }
    Adatbazis::kurzorBejegyez(this);
    aktualisra(0);
    emit allapotValtozott();
}

void Tabla::bezar()
{
    if (!nyitva())
        return;
    m_allapot = Allapot::Zarva;
    m_kulcsok.clear();
    m_rendezoErtek.clear();
    m_elozoKulcsok.clear();
    m_elozoRendezo.clear();
    m_olvasas = m_elozoOlvasas = {};
    m_cache.clear();
    m_puffer.clear();
    m_sor = -1;
    m_eof = m_bof = true;
    Adatbazis::kurzorKijegyez(this);
    emit adatValtozott();
    emit allapotValtozott();
}

QString Tabla::whereResz(QVariantList &ertekek) const
{
    QStringList f;
    if (m_szurt && !m_szuroMezo.isEmpty()) {
        ertekek << m_szuroErtek;
        f << QString("t.%1 = ?").arg(m_szuroMezo);
    }
    if (!m_feltetel.isEmpty()) {
        ertekek << m_feltetelErtekek;
        f << QString("(%1)").arg(m_feltetel);
    }
    return f.isEmpty() ? QString() : " WHERE " + f.join(" AND ");
}

void Tabla::setFeltetel(const QString &sql, const QVariantList &ertekek)
{
    m_feltetel = sql.trimmed();
    m_feltetelErtekek = ertekek;
    if (nyitva()) {
        kulcsokOlvas();
        aktualisra(0);
    }
}

QString Tabla::selectResz(const QList<bool> &memoriaban) const
{
    QString s = "SELECT t." + m_azon;
    for (const MezoLeiras &m : m_leiras->mezok)
        s += ", t." + m.nev;
    for (int i = 0; i < m_keresok.size(); ++i)
        s += memoriaban.value(i) ? QString(", NULL")
                                 : QString(", substr(k%1.%2, 1, %3)").arg(i).arg(m_keresok[i].eredmeny).arg(m_keresok[i].meret);
    s += " FROM " + m_leiras->nev + " t";
    for (int i = 0; i < m_keresok.size(); ++i) {
        const Kereso &k = m_keresok[i];
        if (!memoriaban.value(i))
            s += QString(" LEFT OUTER JOIN %1 k%2 ON (k%2.%3 = t.%4)")
                     .arg(k.tabla).arg(i).arg(Sema::tabla(k.tabla)->kulcs, k.sajat);
    }
    return s;
}

// A lookup whose table is keyed by its row id, from a whole-number field, over a view
// several times larger than that table: reading the table once beats a B-tree descent per row.
bool Tabla::keresoMemoriaba(int i) const
{
    const Kereso &k = m_keresok[i];
    const TablaLeiras *t = Sema::tabla(k.tabla);
    const MezoLeiras *sajat = m_leiras->mezo(k.sajat);
    if (!t->autoinc() || (sajat->tipus != MezoTipus::Egesz && sajat->tipus != MezoTipus::Autoinc))
        return false;
    // the highest key is found at once, and a table is never larger than it; a closed cursor's
    // view (a pass without keys) is taken to be its whole table
    const qint64 sorok = nyitva() ? rekordSzam()
                                  : Adatbazis::ertek("SELECT max(rowid) FROM " + m_leiras->nev).toLongLong();
    return sorok * 4
        >= Adatbazis::ertek(QString("SELECT max(%1) FROM %2").arg(Sema::sorAzonosito(*t, Adatbazis::motor()), t->nev))
               .toLongLong();
}

QString Tabla::rendezoKif() const
{
    const Rendezes &r = m_rendezes.first();
    return r.szoveg ? QString("HURENDEZ(t.%1)").arg(r.mezo) : "t." + r.mezo;
}

QString Tabla::orderResz() const
{
    const Rendezes &r = m_rendezes.first();
    return QString(" ORDER BY %1, t.%2%3")
        .arg(MotorSql::rendez(rendezoKif(), r.csokkeno, r.szoveg, r.mezo != m_leiras->kulcs), m_azon,
             r.csokkeno ? " DESC" : "");
}

void Tabla::kulcsokOlvas()
{
    QVariantList ertekek;
    const QString sql = QString("SELECT t.%1, %2 FROM %3 t%4").arg(m_azon, rendezoKif(), m_leiras->nev, whereResz(ertekek))
        + orderResz();
    if (Adatbazis::motor() == Adatbazis::Motor::PostgreSQL) {
        pgKulcsokOlvas(sql, ertekek);
        return;
    }
    m_cache.clear();
    // taken before the read: a commit in between makes the rows look older than they are, never newer
    KulcsOlvasas olvasas{sql, ertekek, regiszterAllapot()};
    if (olvasas.allapot[0] >= 0 && olvasas.egyezik(m_olvasas))
        return;
    if (olvasas.allapot[0] >= 0 && olvasas.egyezik(m_elozoOlvasas)) {
        std::swap(m_kulcsok, m_elozoKulcsok);
        std::swap(m_rendezoErtek, m_elozoRendezo);
        std::swap(m_olvasas, m_elozoOlvasas);
        return;
    }
    const KisLapTar lapTar(m_leiras->nev);
    const Utasitas st = elokeszit(sql, ertekek);
    // the rows read before last are given up; their memory takes these
    EgeszTomb kulcsok = std::move(m_elozoKulcsok);
    RendezoTomb rendezo = std::move(m_elozoRendezo);
    m_elozoOlvasas = {};
    kulcsok.urit();
    rendezo.urit();
    // The first read has no size to go by: room for every row of the table. Reserved memory
    // costs address space only until it is written; growing would copy and fault in twice
    // as much.
    qsizetype hely = m_kulcsok.size();
    if (hely == 0)
        hely = qsizetype(std::clamp<qint64>(
            Adatbazis::ertek("SELECT max(rowid) FROM " + m_leiras->nev).toLongLong(), 0, 1 << 24));
    kulcsok.reserve(hely);
    rendezo.reserve(hely);
    int rc;
    while ((rc = sqlite3_step(st.get())) == SQLITE_ROW) {
        kulcsok.append(sqlite3_column_int64(st.get(), 0));
        rendezoOlvas(rendezo, st.get(), 1);
    }
    lepesVege(rc);
    m_elozoKulcsok = std::exchange(m_kulcsok, std::move(kulcsok));
    m_elozoRendezo = std::exchange(m_rendezoErtek, std::move(rendezo));
    m_elozoOlvasas = std::exchange(m_olvasas, std::move(olvasas));
}

void Tabla::aktualisra(int sor, bool jelez)
{
    const int n = rekordSzam();
    m_sor = n == 0 ? -1 : std::clamp(sor, 0, n - 1);
    m_bof = m_sor <= 0;
    m_eof = n == 0;
    if (jelez) {
        emit adatValtozott();
        emit mozgasUtan();
    }
}

void Tabla::frissit()
{
    ellenoriz();
    const qint64 k = aktualisKulcs();
    const int regi = m_sor;
    kulcsokOlvas();
    m_frissitKell = false;
    const int p = k >= 0 ? pozicio(k) : -1;
    aktualisra(p >= 0 ? p : regi);
}

void Tabla::kulsoValtozas()
{
    if (!nyitva())
        return;
    if (szerkesztes())
        m_frissitKell = true;   // the rows under an edit stay put
    else
        frissit();
}

qint64 Tabla::aktualisKulcs() const
{
    return m_sor >= 0 && m_sor < m_kulcsok.size() ? m_kulcsok[m_sor] : -1;
}

// A pass over the keys costs about a millisecond for a million rows; a hash of them would
// cost a hundred times that to build after every re-read, and tens of megabytes.
int Tabla::pozicio(qint64 rowid) const
{
    return int(m_kulcsok.indexOf(rowid));
}

void Tabla::elso()
{
    ellenoriz();
    if (szerkesztes())
        post();
    m_sor = ures() ? -1 : 0;
    m_bof = true;
    m_eof = ures();
    emit mozgasUtan();
}

void Tabla::utolso()
{
    ellenoriz();
    if (szerkesztes())
        post();
    m_sor = rekordSzam() - 1;
    m_eof = true;
    m_bof = ures();
    emit mozgasUtan();
}

void Tabla::kovetkezo()
{
    ellenoriz();
    if (szerkesztes())
        post();
    m_bof = ures();
    if (m_sor + 1 < rekordSzam()) {
        ++m_sor;
        m_eof = false;
        emit mozgasUtan();
    } else {
        m_eof = true;
    }
}

void Tabla::elozo()
{
    ellenoriz();
    if (szerkesztes())
        post();
    m_eof = ures();
    if (m_sor > 0) {
        --m_sor;
        m_bof = false;
        emit mozgasUtan();
    } else {
        m_bof = true;
    }
}

bool Tabla::ugrik(int sor)
{
    ellenoriz();
    if (sor < 0 || sor >= rekordSzam())
        return false;
    if (sor == m_sor)
        return true;
    if (szerkesztes())
        post();
    m_sor = sor;
    m_bof = m_eof = false;
    emit mozgasUtan();
    return true;
}

bool Tabla::ugrikKulcsra(qint64 rowid)
{
    ellenoriz();
    const int p = pozicio(rowid);
    return p >= 0 && ugrik(p);
}

bool Tabla::keres(const QString &mezo, const QVariant &ertek, KeresMod mod)
{
    ellenoriz();
    const MezoLeiras *m = m_leiras->mezo(mezo);
    if (!m)
        throw StoreHiba(QString("Ismeretlen mező: %1").arg(mezo));
    const Rendezes &r = m_rendezes.first();
    const bool elsoRendezo = r.mezo == m->nev;
    int talalt = -1;

    // the first row for which elotte() is false; elotte() holds for a leading run of rows
    const auto elsoNemElotte = [this](const auto &elotte) {
        int lo = 0, hi = rekordSzam();
        while (lo < hi) {
            const int mid = lo + (hi - lo) / 2;
            if (elotte(mid))
                lo = mid + 1;
            else
                hi = mid;
        }
        return lo;
    };
    if (elsoRendezo && mod == KeresMod::Pontos && !r.szoveg && m->tipus != MezoTipus::Szoveg) {
        // binary search on the ordering values
        const QVariant cel = tarolhato(m->nev, ertek);
        const int i = elsoNemElotte([&](int sor) {
            const int h = m_rendezoErtek.hasonlit(sor, cel);
            return r.csokkeno ? h > 0 : h < 0;
        });
        if (i < rekordSzam() && m_rendezoErtek.hasonlit(i, cel) == 0)
            talalt = i;
    } else if (elsoRendezo && mod == KeresMod::ReszletesKisNagy && r.szoveg && !r.csokkeno) {
        const QString kulcs = HuSzoveg::rendezoKulcs(ertek.toString());
        if (kulcs.isEmpty()) {
            talalt = ures() ? -1 : 0;
        } else {
            // nulls sort before the texts
            using F = RendezoTomb::Fajta;
            const int i = elsoNemElotte([&](int sor) {
                return m_rendezoErtek.fajta(sor) != F::Szoveg || m_rendezoErtek.szoveg(sor) < kulcs;
            });
            if (i < rekordSzam() && m_rendezoErtek.fajta(i) == F::Szoveg && m_rendezoErtek.szoveg(i).startsWith(kulcs))
                talalt = i;
        }
    } else {
        QVariantList ertekek;
        QString sql = "SELECT t." + m_azon + " FROM " + m_leiras->nev + " t" + whereResz(ertekek);
        sql += ertekek.isEmpty() ? " WHERE " : " AND ";
        if (mod == KeresMod::ReszletesKisNagy) {
            const QString kulcs = HuSzoveg::rendezoKulcs(ertek.toString());
            sql += QString("substr(HURENDEZ(t.%1), 1, %2) = ?").arg(m->nev).arg(kulcs.size());
            ertekek << kulcs;
        } else {
            const QVariant v = tarolhato(m->nev, ertek);
            if (v.isNull()) {
                sql += "t." + m->nev + " IS NULL";
            } else {
                sql += "t." + m->nev + " = ?";
                ertekek << v;
            }
        }
        QSqlQuery q = Adatbazis::lekerdez(sql, ertekek);
        QSet<qint64> talalatok;
        while (q.next())
            talalatok.insert(q.value(0).toLongLong());
        // the first of them in the cursor's order, in one pass over the keys
        for (int i = 0; !talalatok.isEmpty() && i < rekordSzam(); ++i)
            if (talalatok.contains(m_kulcsok[i])) {
                talalt = i;
                break;
            }
    }
    if (talalt < 0)
        return false;
    ugrik(talalt);
    return true;
}

int Tabla::oszlop(const QString &mezo) const
{
    return m_oszlopIndex.value(mezo.toLower(), -1);
}

void Tabla::lapOlvas(int sor) const
{
    if (m_cache.size() > 4096)
        m_cache.clear();
    const int tol = std::max(0, sor - 32), ig = std::min(rekordSzam(), sor + 96);
    QVariantList kulcsok;
    QStringList jelek;
    for (int i = tol; i < ig; ++i)
        if (!m_cache.contains(m_kulcsok[i])) {
            kulcsok << qlonglong(m_kulcsok[i]);
            jelek << "?";
        }
    if (kulcsok.isEmpty())
        return;
    QSqlQuery q = Adatbazis::lekerdez(selectResz() + " WHERE t." + m_azon + " IN (" + jelek.join(',') + ")", kulcsok);
    const int n = int(m_oszlopok.size());
    while (q.next()) {
        Sor s(n);
        for (int c = 0; c < n; ++c)
            s[c] = olvasott(c, q.value(c + 1));
        m_cache.insert(q.value(0).toLongLong(), s);
    }
}

const Tabla::Sor *Tabla::sorAdat(int sor) const
{
    if (sor < 0 || sor >= rekordSzam())
        return nullptr;
    const qint64 k = m_kulcsok[sor];
    auto it = m_cache.constFind(k);
    if (it == m_cache.constEnd()) {
        lapOlvas(sor);
        it = m_cache.constFind(k);
        if (it == m_cache.constEnd())
            return nullptr;   // deleted behind our back; shows empty until re-read
    }
    return &*it;
}

QVariant Tabla::olvasott(int oszlop, const QVariant &v) const
{
    return olvasottErtek(oszlop < m_leiras->mezok.size() ? &m_leiras->mezok[oszlop] : nullptr, v);
}

QVariant Tabla::ertekSor(int sor, int oszlop) const
{
    const Sor *s = sorAdat(sor);
    return s && oszlop >= 0 && oszlop < s->size() ? s->at(oszlop) : QVariant();
}

template <typename F>
void Tabla::sqliteBejar(bool nyers, F sorFv) const
{
    OlvasoTranzakcio tr;
    QList<bool> memoriaban(m_keresok.size(), false);
    for (int i = 0; i < m_keresok.size(); ++i)
        memoriaban[i] = keresoMemoriaba(i);
    // With no lookup joined each page of a large table is read about once, in the order of its
    // rows: a small page cache serves as well as the large one and needs no fresh memory.
    // (Set before the read transaction, which the cache's owner takes for a changing one.)
    std::optional<KisLapTar> lapTar;
    if (!memoriaban.contains(false))
        lapTar.emplace(m_leiras->nev);
    std::vector<std::optional<KeresoTar>> nevek(m_keresok.size());
    for (int i = 0; i < m_keresok.size(); ++i)
        if (memoriaban[i]) {
            tr.kezd();
            nevek[i].emplace(m_keresok[i].tabla, m_keresok[i].eredmeny, m_keresok[i].meret, nyers);
        }
    QList<int> sajatOszlop;   // the own field of each lookup, as a column of the statement
    for (const Kereso &k : m_keresok)
        sajatOszlop << oszlop(k.sajat) + 1;

    QVariantList ertekek;
    const QString sql = selectResz(memoriaban) + whereResz(ertekek) + orderResz();
    const Utasitas st = elokeszit(sql, ertekek);
    const int n = int(m_oszlopok.size()), mezok = int(m_leiras->mezok.size());
    int rc;
    for (int i = 0; (rc = sqlite3_step(st.get())) == SQLITE_ROW; ++i) {
        // the looked-up field in memory by its own field's key; only a whole number equals a row id
        const auto kereso = [&](int k) -> const KeresoTar * {
            return sqlite3_column_type(st.get(), sajatOszlop[k]) == SQLITE_INTEGER ? &*nevek[k] : nullptr;
        };
        const auto kulcs = [&](int k) { return sqlite3_column_int64(st.get(), sajatOszlop[k]); };
        if (!sorFv(i, st.get(), n, mezok, memoriaban, kereso, kulcs))
            return;
    }
    lepesVege(rc);
}

void Tabla::bejar(const std::function<bool(int, const QVector<QVariant> &)> &f) const
{
    ellenoriz();
    if (Adatbazis::motor() == Adatbazis::Motor::PostgreSQL) {
        pgBejar(f);
        return;
    }
    Sor s(int(m_oszlopok.size()));
    sqliteBejar(false, [&](int i, sqlite3_stmt *st, int n, int mezok, const QList<bool> &memoriaban, auto kereso,
                           auto kulcs) {
        for (int c = 0; c < n; ++c) {
            const int k = c - mezok;
            if (k < 0 || !memoriaban[k])
                oszlopBe(s[c], st, c + 1, c < mezok ? &m_leiras->mezok[c] : nullptr);
            else if (const KeresoTar *t = kereso(k))
                ertekBe(s[c], t->ertek(kulcs(k)));
            else
                s[c] = QVariant();
        }
        return f(i, s);
    });
}

void Tabla::bejarNyers(const std::function<bool(int, const QVector<NyersErtek> &)> &f) const
{
    ellenoriz();
    nyersMenet(f);
}

void Tabla::bejarNyersKulcsNelkul(const std::function<bool(int, const QVector<NyersErtek> &)> &f)
{
    if (nyitva()) {
        bejarNyers(f);
        return;
    }
    Adatbazis::db();   // reconnects after a lost connection, as megnyit does
    m_azon = Sema::sorAzonosito(*m_leiras, Adatbazis::motor());
    if (Adatbazis::motor() == Adatbazis::Motor::PostgreSQL && m_rendezes.first().szoveg) {
        // the server's rows follow the cursor's Hungarian order through its keys
        megnyit();
        struct Zaro {
            Tabla &t;
            ~Zaro() { t.bezar(); }
        } zaro{*this};
        nyersMenet(f);
        return;
    }
    // nothing else uses the store meanwhile: the server's rows come on its own connection
    nyersMenet(f, true);
}

void Tabla::nyersMenet(const std::function<bool(int, const QVector<NyersErtek> &)> &f, bool ittIs) const
{
    if (Adatbazis::motor() == Adatbazis::Motor::PostgreSQL) {
        pgBejarNyers(f, ittIs);
        return;
    }
    QVector<NyersErtek> s(m_oszlopok.size());
    NyersErtek *const e = s.data();   // detached here, not per value
    sqliteBejar(true, [&](int i, sqlite3_stmt *st, int n, int mezok, const QList<bool> &memoriaban, auto kereso,
                          auto kulcs) {
        for (int c = 0; c < n; ++c) {
            const int k = c - mezok;
            if (k < 0 || !memoriaban[k])
                oszlopNyers(e[c], st, c + 1, c < mezok ? &m_leiras->mezok[c] : nullptr);
            else if (const KeresoTar *t = kereso(k)) {
                // the fields its kind uses: no QVariant copied for a text
                const NyersErtek &v = t->ertekNyers(kulcs(k));
                e[c].fajta = v.fajta;
                e[c].utf8 = v.utf8;
                e[c].hossz = v.hossz;
                if (v.fajta == NyersErtek::Fajta::Mas)
                    e[c].mas = v.mas;
            } else {
                e[c].fajta = NyersErtek::Fajta::Ures;
            }
        }
        return f(i, s);
    });
}

QVariant Tabla::ertekSor(int sor, const QString &mezo) const
{
    const int c = oszlop(mezo);
    if (c < 0)
        throw StoreHiba(QString("Ismeretlen mező: %1").arg(mezo));
    return ertekSor(sor, c);
}

QVariant Tabla::ertek(const QString &mezo) const
{
    const int c = oszlop(mezo);
    if (c < 0)
        throw StoreHiba(QString("Ismeretlen mező: %1").arg(mezo));
    if (szerkesztes())
        return m_puffer.value(c);
    return ertekSor(m_sor, c);
}

QVariant Tabla::tarolhato(const QString &mezo, const QVariant &v) const
{
    const MezoLeiras *m = m_leiras->mezo(mezo);
    if (!m || v.isNull() || !v.isValid())
        return QVariant();
    switch (m->tipus) {
    case MezoTipus::Szoveg:
    case MezoTipus::Memo: {
        const QString s = m->tipus == MezoTipus::Szoveg ? v.toString().left(m->meret) : v.toString();
        return s.isEmpty() ? QVariant() : QVariant(s);
    }
    case MezoTipus::Autoinc:
    case MezoTipus::Egesz: {
        if (v.typeId() == QMetaType::QString && v.toString().trimmed().isEmpty())
            return QVariant();
        bool ok = false;
        const qlonglong i = v.typeId() == QMetaType::QString ? v.toString().trimmed().toLongLong(&ok)
                                                             : v.toLongLong(&ok);
        if (!ok || i < INT32_MIN || i > INT32_MAX)
            throw StoreHiba(QString("'%1' is not a valid integer value").arg(v.toString()));
        return QVariant(i);
    }
    case MezoTipus::Datum: {
        QDate d = v.typeId() == QMetaType::QDate ? v.toDate() : QDate();
        if (v.typeId() == QMetaType::QDateTime)
            d = v.toDateTime().date();
        if (v.typeId() == QMetaType::QString) {
            const QString s = v.toString().trimmed();
            if (s.isEmpty())
                return QVariant();
            d = QDate::fromString(s, Qt::ISODate);
            if (!d.isValid())
                d = QDate::fromString(s, HuSzoveg::ROVID_DATUM);
        }
        if (!d.isValid())
            throw StoreHiba(QString("'%1' is not a valid date").arg(v.toString()));
        return QVariant(d.toString(Qt::ISODate));
    }
    }
    return QVariant();
}

void Tabla::setErtek(const QString &mezo, const QVariant &ertek)
{
    if (!szerkesztes())
        throw StoreHiba(QString("A(z) %1 tábla nincs szerkesztés vagy beszúrás állapotban.").arg(m_leiras->nev));
    const int c = oszlop(mezo);
    if (c < 0 || c >= m_leiras->mezok.size())
        throw StoreHiba(QString("A mező nem írható: %1").arg(mezo));
    const MezoLeiras &m = m_leiras->mezok[c];
    if (m.tipus == MezoTipus::Autoinc)
        throw StoreHiba(QString("A mező nem írható: %1").arg(mezo));
    // read back as it will be stored: cut, empty as null, typed
    m_puffer[c] = olvasott(c, tarolhato(m.nev, ertek));
    m_modositott[c] = true;
    for (int i = 0; i < m_keresok.size(); ++i) {
        const Kereso &k = m_keresok[i];
        if (k.sajat.compare(m.nev, Qt::CaseInsensitive) != 0)
            continue;
        QVariant nev;
        if (!m_puffer[c].isNull())
            nev = Adatbazis::ertek(QString("SELECT substr(%1, 1, %2) FROM %3 WHERE %4 = ?")
                                       .arg(k.eredmeny).arg(k.meret).arg(k.tabla, Sema::tabla(k.tabla)->kulcs),
                                   {m_puffer[c]});
        m_puffer[m_leiras->mezok.size() + i] = nev.isValid() && !nev.isNull() ? QVariant(nev.toString()) : QVariant();
    }
}

void Tabla::beszur()
{
    ellenoriz();
    if (m_csakOlvas)
        throw StoreHiba(QString("A(z) %1 tábla csak olvasható.").arg(m_leiras->nev));
    if (szerkesztes())
        post();
    m_puffer = Sor(m_oszlopok.size());
    m_eredeti.clear();
    m_modositott = QVector<bool>(m_leiras->mezok.size(), false);
    m_szerkesztettKulcs = -1;
    m_sorszamMezo.clear();
    m_mentesAzon.clear();
    m_allapot = Allapot::Beszuras;
    emit allapotValtozott();
}

void Tabla::szerkeszt()
{
    ellenoriz();
    if (m_csakOlvas)
        throw StoreHiba(QString("A(z) %1 tábla csak olvasható.").arg(m_leiras->nev));
    if (szerkesztes())
        return;
    if (ures())
        throw StoreHiba("Nincs szerkeszthető sor.");
    // the page cache may be older than another program's change: the edit starts from the store
    const qint64 kulcs = aktualisKulcs();
    Sor sor;
    if (!sorOlvas(kulcs, sor, m_eredeti)) {
        frissit();
        throw MasikProgramHiba("A sort közben egy másik program törölte.");
    }
    m_cache.insert(kulcs, sor);
    m_puffer = sor;
    m_modositott = QVector<bool>(m_leiras->mezok.size(), false);
    m_szerkesztettKulcs = kulcs;
    m_sorszamMezo.clear();
    m_mentesAzon.clear();
    m_allapot = Allapot::Szerkesztes;
    emit allapotValtozott();
}

// The row by key with its lookup fields as the cursor shows them, and its fields as stored.
bool Tabla::sorOlvas(qint64 rowid, Sor &olvasottSor, Sor &tarolt, bool zarol) const
{
    // on the server the posting transaction holds the row until it commits
    const QString zar = zarol && Adatbazis::motor() == Adatbazis::Motor::PostgreSQL ? " FOR UPDATE OF t" : "";
    QSqlQuery q = Adatbazis::lekerdez(selectResz() + " WHERE t." + m_azon + " = ?" + zar, {rowid});
    if (!q.next())
        return false;
    const int n = int(m_oszlopok.size());
    olvasottSor = Sor(n);
    tarolt = Sor(m_leiras->mezok.size());
    for (int c = 0; c < n; ++c) {
        const QVariant v = q.value(c + 1);
        olvasottSor[c] = olvasott(c, v);
        if (c < tarolt.size())
            tarolt[c] = v.isNull() ? QVariant() : v;
    }
    return true;
}

int Tabla::kovetkezoSzam(const QString &mezo, const QString &csoportMezo, const QVariant &csoport) const
{
    const MezoLeiras *m = m_leiras->mezo(mezo), *cs = m_leiras->mezo(csoportMezo);
    if (!m || !cs)
        throw StoreHiba(QString("Ismeretlen mező: %1").arg(m ? csoportMezo : mezo));
    // "IS ?" would keep the server off its index
    const QVariant ertek = tarolhato(cs->nev, csoport);
    const QString sql = QString("SELECT max(%1) FROM %2 WHERE %3").arg(m->nev, m_leiras->nev, cs->nev);
    const QVariant max = ertek.isNull() ? Adatbazis::ertek(sql + " IS NULL") : Adatbazis::ertek(sql + " = ?", {ertek});
    return max.isNull() ? 1 : max.toInt() + 1;
}

void Tabla::sorszamoz(const QString &mezo, const QString &csoportMezo)
{
    if (m_allapot != Allapot::Beszuras)
        throw StoreHiba(QString("A(z) %1 tábla nincs beszúrás állapotban.").arg(m_leiras->nev));
    const MezoLeiras *m = m_leiras->mezo(mezo), *cs = m_leiras->mezo(csoportMezo);
    if (!m || !cs)
        throw StoreHiba(QString("Ismeretlen mező: %1").arg(m ? csoportMezo : mezo));
    m_sorszamMezo = m->nev;
    m_sorszamCsoport = cs->nev;
}

qint64 Tabla::beszuras()
{
    QStringList mezok, jelek;
    QVariantList ertekek;
    for (int c = 0; c < m_leiras->mezok.size(); ++c) {
        const MezoLeiras &m = m_leiras->mezok[c];
        if (m.tipus == MezoTipus::Autoinc)
            continue;
        mezok << m.nev;
        jelek << "?";
        ertekek << tarolhato(m.nev, m_puffer.value(c));
    }
    if (!m_sorszamMezo.isEmpty()) {
        // the number shown stays unless another program took it (or a higher one) meanwhile
        const int i = int(mezok.indexOf(m_sorszamMezo));
        // the server has no lock on the whole register: one per group, held until the commit
        if (Adatbazis::motor() == Adatbazis::Motor::PostgreSQL)
            Adatbazis::ertek("SELECT pg_advisory_xact_lock(hashtext(?))",
                             {QString("%1.%2.%3").arg(m_leiras->nev, m_sorszamMezo,
                                                      m_puffer.value(oszlop(m_sorszamCsoport)).toString())});
        const int kovetkezo = kovetkezoSzam(m_sorszamMezo, m_sorszamCsoport, m_puffer.value(oszlop(m_sorszamCsoport)));
        if (ertekek[i].isNull() || ertekek[i].toLongLong() < kovetkezo)
            ertekek[i] = qlonglong(kovetkezo);
    }
    QSqlQuery q = Adatbazis::lekerdez(QString("INSERT INTO %1 (%2) VALUES (%3)").arg(m_leiras->nev, mezok.join(", "), jelek.join(", "))
                                          + MotorSql::visszaad(m_azon),
                                      ertekek);
    if (Adatbazis::motor() != Adatbazis::Motor::PostgreSQL)
        return q.lastInsertId().toLongLong();
    if (!q.next())
        throw StoreHiba(QString("A(z) %1 tábla új sorának kulcsa nem olvasható vissza.").arg(m_leiras->nev));
    const qint64 kulcs = q.value(0).toLongLong();
    if (!m_mentesAzon.isEmpty()) {
        m_kuldott = Sor(m_leiras->mezok.size());
        for (int c = 0, i = 0; c < m_leiras->mezok.size(); ++c)
            m_kuldott[c] = m_leiras->mezok[c].tipus == MezoTipus::Autoinc ? QVariant(kulcs) : ertekek[i++];
        Adatbazis::vegrehajt("UPDATE mentesek SET kulcs = ? WHERE azon = ?", {kulcs, m_mentesAzon});
    }
    return kulcs;
}

// Only the fields this edit changed are written, and only while nobody else has changed them
// since szerkeszt() read the row: two programs editing different fields of a row both keep
// their changes, and neither silently undoes the other's.
void Tabla::modositas()
{
    QStringList jelek;
    QVariantList ertekek;
    QList<int> valtozott;
    for (int c = 0; c < m_leiras->mezok.size(); ++c) {
        const MezoLeiras &m = m_leiras->mezok[c];
        if (m.tipus == MezoTipus::Autoinc || !m_modositott.value(c))
            continue;
        const QVariant v = tarolhato(m.nev, m_puffer.value(c));
        if (azonos(v, m_eredeti.value(c)))
            continue;
        valtozott << c;
        jelek << m.nev + " = ?";
        ertekek << v;
    }
    Sor sor, most;
    if (!sorOlvas(m_szerkesztettKulcs, sor, most, true)) {
        m_frissitKell = true;
        throw MasikProgramHiba("A sort közben egy másik program törölte, ezért a változtatás nem menthető.");
    }
    QStringList utkozo;
    for (int c : std::as_const(valtozott))
        if (!azonos(most.value(c), m_eredeti.value(c))) {
            const MezoLeiras &m = m_leiras->mezok[c];
            utkozo << (m.cimke.isEmpty() ? m.nev : m.cimke);
        }
    if (!utkozo.isEmpty()) {
        m_frissitKell = true;
        throw MasikProgramHiba(QString("A sort közben egy másik program is módosította (%1), ezért ez a változtatás "
                                       "nem menthető.\r\nA Mégsem után a friss adatokkal kezdheti újra.")
                                   .arg(utkozo.join(", ")));
    }
    m_kuldott = m_eredeti;
    for (int i = 0; i < valtozott.size(); ++i)
        m_kuldott[valtozott[i]] = ertekek[i];
    if (valtozott.isEmpty())
        return;
    ertekek << m_szerkesztettKulcs;
    Adatbazis::vegrehajt(QString("UPDATE %1 SET %2 WHERE %3 = ?").arg(m_leiras->nev, jelek.join(", "), m_azon), ertekek);
}

// The first statement of a post's transaction on the server. An earlier attempt of this edit
// whose commit reply was lost either left its identity (it was committed) or did not; a
// transaction of it still running on the server is waited for.
void Tabla::mentesAzonosit()
{
    if (m_mentesAzon.isEmpty())
        m_mentesAzon = QUuid::createUuid().toString(QUuid::WithoutBraces);
    if (Adatbazis::lekerdez("INSERT INTO mentesek (azon) VALUES (?) ON CONFLICT (azon) DO NOTHING RETURNING azon",
                            {m_mentesAzon})
            .next())
        return;
    // committed after all: the row holds what that attempt wrote, and this attempt writes only
    // what the user changed since
    const QVariant kulcs = Adatbazis::ertek("SELECT kulcs FROM mentesek WHERE azon = ?", {m_mentesAzon});
    if (m_allapot == Allapot::Beszuras) {
        if (kulcs.isNull())
            throw StoreHiba(QString("A(z) %1 tábla korábban mentett sora nem található.").arg(m_leiras->nev));
        m_szerkesztettKulcs = kulcs.toLongLong();
        for (int c = 0; c < m_leiras->mezok.size(); ++c)
            if (m_leiras->mezok[c].tipus == MezoTipus::Autoinc || m_leiras->mezok[c].nev == m_sorszamMezo)
                m_puffer[c] = olvasott(c, m_kuldott.value(c));
        m_sorszamMezo.clear();
        m_allapot = Allapot::Szerkesztes;
    }
    m_eredeti = m_kuldott;
    m_mentesAzon = QUuid::createUuid().toString(QUuid::WithoutBraces);
    Adatbazis::vegrehajt("INSERT INTO mentesek (azon, kulcs) VALUES (?, ?)", {m_mentesAzon, m_szerkesztettKulcs});
}

void Tabla::post()
{
    ellenoriz();
    if (!szerkesztes())
        return;
    // the comparison and the numbering hold only under the write lock; a caller's own
    // transaction already has it
    std::optional<Adatbazis::Tranzakcio> tr;
    if (!Adatbazis::tranzakcioban())
        tr.emplace();
    qint64 kulcs = -1;
    try {
        if (tr && Adatbazis::motor() == Adatbazis::Motor::PostgreSQL)
            mentesAzonosit();
        kulcs = m_szerkesztettKulcs;
        if (m_allapot == Allapot::Beszuras)
            kulcs = beszuras();
        else
            modositas();
        if (tr)
            tr->commit();   // throws; the row stays in edit state
    } catch (const KapcsolatHiba &) {
        m_frissitKell = true;   // the commit may have happened: the rows are read again after the edit
        throw;
    }
    // stored: whatever the re-read below meets, the post has succeeded
    const int regi = m_sor;
    m_allapot = Allapot::Tallozas;
    m_puffer.clear();
    m_eredeti.clear();
    m_kuldott.clear();
    m_mentesAzon.clear();
    m_sorszamMezo.clear();
    m_frissitKell = false;
    try {
        try {
            kulcsokOlvas();
        } catch (const KapcsolatHiba &) {
            kulcsokOlvas();   // lost after the commit: a new connection reads the posted row
        }
    } catch (const StoreHiba &) {
        // mostly a busy register, so another program is writing: its change re-reads the rows
        m_cache.clear();
        m_frissitKell = true;
    }
    const int p = pozicio(kulcs);
    aktualisra(p >= 0 ? p : regi);
    emit allapotValtozott();
    emit postUtan();
}

void Tabla::megse()
{
    if (!szerkesztes())
        return;
    m_allapot = Allapot::Tallozas;
    m_puffer.clear();
    m_eredeti.clear();
    m_kuldott.clear();
    m_mentesAzon.clear();
    m_sorszamMezo.clear();
    emit allapotValtozott();
    if (m_frissitKell) {
        // what another program wrote during the edit shows now
        m_cache.clear();
        try {
            frissit();
            return;
        } catch (const StoreHiba &) {
            // the keys are read again at the next change or post
        }
    }
    emit mozgasUtan();
}

void Tabla::torol()
{
    ellenoriz();
    if (m_csakOlvas)
        throw StoreHiba(QString("A(z) %1 tábla csak olvasható.").arg(m_leiras->nev));
    if (szerkesztes())
        megse();
    if (ures())
        throw StoreHiba("Nincs törölhető sor.");
    Adatbazis::lekerdez(QString("DELETE FROM %1 WHERE %2 = ?").arg(m_leiras->nev, m_azon), {aktualisKulcs()});
    const int regi = m_sor;
    kulcsokOlvas();
    aktualisra(regi);
}
