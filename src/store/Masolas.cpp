#include "Masolas.h"
#include "Adatbazis.h"
#include "Sema.h"

#include <QDate>
#include <QDateTime>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

#include <libpq-fe.h>
#include <sqlite3.h>

namespace {

const char *const MASOLO_KAPCSOLAT = "DorvPrgMasolas";
// COPY data goes to the server in pieces of about this size
constexpr qsizetype DARAB = 1 << 20;

PGconn *kezeloHa(const QSqlDatabase &db)
{
    const QVariant h = db.isValid() ? db.driver()->handle() : QVariant();
    // Qt names the type as the driver's header spelled it
    const bool pg = h.isValid() && (qstrcmp(h.typeName(), "PGconn*") == 0 || qstrcmp(h.typeName(), "pg_conn*") == 0);
    return pg ? *static_cast<PGconn *const *>(h.data()) : nullptr;
}

PGconn *kezelo(const QSqlDatabase &db)
{
    PGconn *c = kezeloHa(db);
    if (!c)
        throw StoreHiba("A kiszolgáló kapcsolata nem használható másolásra.");
    return c;
}

QString pgHiba(PGconn *c) { return QString::fromUtf8(PQerrorMessage(c)).trimmed(); }

// A failure of the server: a lost connection is told as such, naming host and port.
[[noreturn]] void hibat(PGconn *c, const QString &szoveg)
{
    if (PQstatus(c) == CONNECTION_BAD) {
        throw KapcsolatHiba::keszit(true, QString::fromUtf8(PQhost(c)), QString::fromUtf8(PQport(c)), szoveg);
    }
    throw StoreHiba(szoveg);
}

// One statement whose result has no rows; the server's own message on failure.
void pgVegrehajt(PGconn *c, const QByteArray &sql)
{
    PGresult *r = PQexec(c, sql.constData());
    const bool ok = PQresultStatus(r) == PGRES_COMMAND_OK || PQresultStatus(r) == PGRES_TUPLES_OK;
    const QString hiba = ok ? QString() : QString::fromUtf8(PQresultErrorMessage(r)).trimmed();
    PQclear(r);
    if (!ok)
        hibat(c, QString("%1\r\n%2").arg(hiba.isEmpty() ? pgHiba(c) : hiba, QString::fromUtf8(sql)));
}

qint64 pgSzam(PGconn *c, const QByteArray &sql)
{
    PGresult *r = PQexec(c, sql.constData());
    if (PQresultStatus(r) != PGRES_TUPLES_OK || PQntuples(r) != 1) {
        const QString hiba = QString::fromUtf8(PQresultErrorMessage(r)).trimmed();
        PQclear(r);
        hibat(c, QString("%1\r\n%2").arg(hiba, QString::fromUtf8(sql)));
    }
    const qint64 n = QByteArray(PQgetvalue(r, 0, 0)).toLongLong();
    PQclear(r);
    return n;
}

// Anything of a schema of the database's own (not the system's): a database that has
// such a thing is somebody's, not an empty one waiting for a register.
qint64 sajatObjektumok(PGconn *c)
{
    return pgSzam(c, "SELECT count(*) FROM pg_class c JOIN pg_namespace n ON n.oid = c.relnamespace "
                     "WHERE c.relkind IN ('r', 'p', 'v', 'm', 'S', 'f') AND n.nspname <> 'information_schema' "
                     "AND n.nspname NOT LIKE 'pg\\_%'");
}

// A statement of the local register, stepped by hand: a million rows go through Qt's
// value layer otherwise.
class SqliteLepes {
public:
    SqliteLepes(sqlite3 *h, const QString &sql) : m_h(h)
    {
        if (sqlite3_prepare_v2(h, sql.toUtf8().constData(), -1, &m_st, nullptr) != SQLITE_OK)
            throw StoreHiba(QString("%1\r\n%2").arg(QString::fromUtf8(sqlite3_errmsg(h)), sql));
    }
    ~SqliteLepes() { sqlite3_finalize(m_st); }
    bool kovetkezo()
    {
        const int rc = sqlite3_step(m_st);
        if (rc == SQLITE_ROW)
            return true;
        if (rc != SQLITE_DONE)
            throw StoreHiba(QString::fromUtf8(sqlite3_errmsg(m_h)));
        return false;
    }
    sqlite3_stmt *st() const { return m_st; }
    SqliteLepes(const SqliteLepes &) = delete;
    SqliteLepes &operator=(const SqliteLepes &) = delete;

private:
    sqlite3 *m_h;
    sqlite3_stmt *m_st = nullptr;
};

// A text in COPY's text form: the backslash and the characters that end a field or a row
// are escaped.
void szovegIr(QByteArray &ki, const char *p, int n)
{
    for (int i = 0; i < n; ++i) {
        const char ch = p[i];
        switch (ch) {
        case '\\': ki.append("\\\\", 2); break;
        case '\n': ki.append("\\n", 2); break;
        case '\r': ki.append("\\r", 2); break;
        case '\t': ki.append("\\t", 2); break;
        default: ki.append(ch);
        }
    }
}

// One value of the local register as the server's column takes it. The register's own
// values arrive unchanged; a date is taken as the program reads it (the day of an ISO
// text, anything else is no date); a whole-number column holding something that is no
// whole number stops the copy rather than changing the value.
void ertekIr(QByteArray &ki, sqlite3_stmt *st, int i, const MezoLeiras *m, const QString &tabla, qint64 sor)
{
    const int tipus = sqlite3_column_type(st, i);
    if (tipus == SQLITE_NULL) {
        ki.append("\\N", 2);
        return;
    }
    const MezoTipus mt = m ? m->tipus : MezoTipus::Egesz;
    const auto *p = reinterpret_cast<const char *>(sqlite3_column_text(st, i));
    const int n = sqlite3_column_bytes(st, i);
    const auto rossz = [&] {
        return StoreHiba(QString("A(z) %1 tábla %2. sorának %3 mezője nem vihető át: '%4'")
                             .arg(tabla)
                             .arg(sor)
                             .arg(m ? m->nev : QString("rowid"), QString::fromUtf8(p, n)));
    };
    switch (mt) {
    case MezoTipus::Autoinc:
    case MezoTipus::Egesz: {
        if (tipus == SQLITE_INTEGER) {
            ki.append(QByteArray::number(sqlite3_column_int64(st, i)));
            return;
        }
        bool ok = false;
        const qlonglong v = QByteArray(p, n).trimmed().toLongLong(&ok);
        if (!ok && tipus == SQLITE_FLOAT) {
            const double d = sqlite3_column_double(st, i);
            ok = d == double(qlonglong(d));
            if (ok) {
                ki.append(QByteArray::number(qlonglong(d)));
                return;
            }
        }
        if (!ok)
            throw rossz();
        ki.append(QByteArray::number(v));
        return;
    }
    case MezoTipus::Datum: {
        const QDate d = n >= 10 ? QDate::fromString(QString::fromLatin1(p, 10), Qt::ISODate) : QDate();
        if (d.isValid())
            ki.append(p, 10);
        else
            ki.append("\\N", 2);
        return;
    }
    case MezoTipus::Szoveg:
    case MezoTipus::Memo:
        if (tipus == SQLITE_BLOB)
            throw rossz();
        szovegIr(ki, p, n);
        return;
    }
}

// The connection of the copy, removed with the last handle to it.
struct MasoloKapcsolat {
    QSqlDatabase db;
    explicit MasoloKapcsolat(const QString &kapcsolat) : db(Adatbazis::kapcsolodik(MASOLO_KAPCSOLAT, kapcsolat)) {}
    ~MasoloKapcsolat()
    {
        if (db.isOpen()) {
            // a failure half-way: nothing of the copy stays
            if (PGconn *c = kezeloHa(db); c && PQtransactionStatus(c) != PQTRANS_IDLE)
                PQclear(PQexec(c, "ROLLBACK"));
            db.close();
        }
        db = QSqlDatabase();
        QSqlDatabase::removeDatabase(MASOLO_KAPCSOLAT);
    }
    MasoloKapcsolat(const MasoloKapcsolat &) = delete;
    MasoloKapcsolat &operator=(const MasoloKapcsolat &) = delete;
};

// The local register held for writing from the copy's first read until it is marked as
// moved: the copy is of one moment, and nothing another program writes there meanwhile
// can be left behind on the old register.
struct HelyiTranzakcio {
    sqlite3 *h;
    bool kesz = false;
    explicit HelyiTranzakcio(sqlite3 *h) : h(h)
    {
        const int rc = sqlite3_exec(h, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
        if ((rc & 0xff) == SQLITE_BUSY)
            Adatbazis::foglalt();
        if (rc != SQLITE_OK)
            throw StoreHiba(QString::fromUtf8(sqlite3_errmsg(h)));
    }
    ~HelyiTranzakcio()
    {
        if (!kesz)
            sqlite3_exec(h, "ROLLBACK", nullptr, nullptr, nullptr);
    }
    // The copy is committed on the server: the local register says so from now on.
    void athelyezve(const QString &kapcsolat)
    {
        const QString ertek = QDateTime::currentDateTime().toString("yyyy-MM-dd HH:mm") + ' ' + kapcsolat.trimmed();
        sqlite3_stmt *st = nullptr;
        int rc = sqlite3_prepare_v2(h, "INSERT OR REPLACE INTO meta (kulcs, ertek) VALUES (?, ?)", -1, &st, nullptr);
        const QByteArray kulcs(Adatbazis::ATHELYEZVE), e = ertek.toUtf8();
        if (rc == SQLITE_OK) {
            sqlite3_bind_text(st, 1, kulcs.constData(), int(kulcs.size()), SQLITE_TRANSIENT);
            sqlite3_bind_text(st, 2, e.constData(), int(e.size()), SQLITE_TRANSIENT);
            rc = sqlite3_step(st) == SQLITE_DONE ? SQLITE_OK : sqlite3_errcode(h);
        }
        sqlite3_finalize(st);
        if (rc == SQLITE_OK)
            rc = sqlite3_exec(h, "COMMIT", nullptr, nullptr, nullptr);
        if (rc != SQLITE_OK)
            throw StoreHiba(QString("A másolat a kiszolgálón elkészült, de a helyi adatbázis nem jelölhető meg "
                                    "áthelyezettként: %1\r\nA program a helyi adatbázist továbbra is megnyitja; "
                                    "ne dolgozzon rajta, csak a kiszolgálón.").arg(QString::fromUtf8(sqlite3_errmsg(h))));
        kesz = true;
    }
    HelyiTranzakcio(const HelyiTranzakcio &) = delete;
    HelyiTranzakcio &operator=(const HelyiTranzakcio &) = delete;
};

class Masolo {
public:
    Masolo(sqlite3 *forras, PGconn *cel, const Masolas::Figyelo &figyelo)
        : m_forras(forras), m_cel(cel), m_figyelo(figyelo)
    {
    }

    qint64 sorSzam(const TablaLeiras &t)
    {
        SqliteLepes q(m_forras, QString("SELECT count(*) FROM %1").arg(t.nev));
        return q.kovetkezo() ? sqlite3_column_int64(q.st(), 0) : 0;
    }

    void osszesBeallit(qint64 n) { m_osszes = n; }

    // The highest key the local table ever gave, a deleted last row's too: its notes and
    // documents may still name it, so a new row on the server must not get it again.
    qint64 legnagyobbKiadott(const TablaLeiras &t)
    {
        if (!t.autoinc())
            return 0;
        SqliteLepes q(m_forras, QString("SELECT max(coalesce((SELECT seq FROM sqlite_sequence WHERE name = '%1'), 0), "
                                        "coalesce((SELECT max(%2) FROM %1), 0))").arg(t.nev, t.kulcs));
        return q.kovetkezo() ? sqlite3_column_int64(q.st(), 0) : 0;
    }

    // The table through COPY, the row identity included, in the order of the local rows.
    qint64 tabla(const TablaLeiras &t)
    {
        const QString azonosito = Sema::sorAzonosito(t, Adatbazis::Motor::PostgreSQL);
        QStringList oszlopok;
        QList<const MezoLeiras *> mezok;
        for (const MezoLeiras &m : t.mezok) {
            oszlopok << m.nev;
            mezok << &m;
        }
        const bool kulonAzonosito = !t.mezo(azonosito);
        if (kulonAzonosito) {
            oszlopok << azonosito;
            mezok << nullptr;
        }
        const QString forrasOszlopok = kulonAzonosito ? QStringList(oszlopok.mid(0, t.mezok.size()) << "rowid").join(", ")
                                                      : oszlopok.join(", ");
        SqliteLepes q(m_forras, QString("SELECT %1 FROM %2 ORDER BY rowid").arg(forrasOszlopok, t.nev));

        PGresult *r = PQexec(m_cel, QString("COPY %1 (%2) FROM STDIN").arg(t.nev, oszlopok.join(", ")).toUtf8().constData());
        const bool kesz = PQresultStatus(r) == PGRES_COPY_IN;
        PQclear(r);
        if (!kesz)
            hibat(m_cel, QString("A(z) %1 tábla nem másolható: %2").arg(t.nev, pgHiba(m_cel)));
        QByteArray puffer;
        puffer.reserve(DARAB + 64 * 1024);
        qint64 sorok = 0;
        try {
            while (q.kovetkezo()) {
                for (int i = 0; i < mezok.size(); ++i) {
                    if (i)
                        puffer.append('\t');
                    ertekIr(puffer, q.st(), i, mezok[i], t.nev, sorok + 1);
                }
                puffer.append('\n');
                ++sorok;
                if (puffer.size() >= DARAB) {
                    kuld(puffer);
                    jelez(t.nev, sorok);
                }
            }
            if (!puffer.isEmpty())
                kuld(puffer);
        } catch (const StoreHiba &h) {
            // the server drops what it got of this COPY; the transaction is rolled back after
            PQputCopyEnd(m_cel, h.uzenet().toUtf8().left(200).constData());
            while (PGresult *v = PQgetResult(m_cel))
                PQclear(v);
            throw;
        }
        if (PQputCopyEnd(m_cel, nullptr) != 1)
            hibat(m_cel, QString("A(z) %1 tábla nem másolható: %2").arg(t.nev, pgHiba(m_cel)));
        QString hiba;
        qint64 atvett = -1;
        while (PGresult *v = PQgetResult(m_cel)) {
            if (PQresultStatus(v) == PGRES_COMMAND_OK)
                atvett = QByteArray(PQcmdTuples(v)).toLongLong();
            else if (hiba.isEmpty())
                hiba = QString::fromUtf8(PQresultErrorMessage(v)).trimmed();
            PQclear(v);
        }
        if (!hiba.isEmpty())
            hibat(m_cel, QString("A(z) %1 tábla nem másolható: %2").arg(t.nev, hiba));
        if (atvett != sorok)
            throw StoreHiba(QString("A(z) %1 táblából %2 sor helyett %3 érkezett meg.").arg(t.nev).arg(sorok).arg(atvett));
        m_kesz += sorok;
        jelez(t.nev, 0);
        return sorok;
    }

private:
    void kuld(QByteArray &puffer)
    {
        if (PQputCopyData(m_cel, puffer.constData(), int(puffer.size())) != 1)
            hibat(m_cel, pgHiba(m_cel));
        puffer.clear();
    }
    void jelez(const QString &tabla, qint64 tablaban)
    {
        if (m_figyelo)
            m_figyelo(tabla, m_kesz + tablaban, m_osszes);
    }

    sqlite3 *m_forras;
    PGconn *m_cel;
    const Masolas::Figyelo &m_figyelo;
    qint64 m_kesz = 0;
    qint64 m_osszes = 0;
};

} // namespace

qint64 Masolas::Eredmeny::osszesSor() const
{
    qint64 n = 0;
    for (const auto &t : tablak)
        n += t.second;
    return n;
}

Masolas::Eredmeny Masolas::masol(const QString &kapcsolat, const Figyelo &figyelo)
{
    if (!Adatbazis::nyitva() || Adatbazis::motor() != Adatbazis::Motor::SQLite)
        throw StoreHiba("Csak a helyi adatbázis másolható kiszolgálóra.");
    if (kapcsolat.trimmed().isEmpty())
        throw StoreHiba("Nincs megadva a kiszolgáló kapcsolata.");
    sqlite3 *forras = Adatbazis::handle();
    MasoloKapcsolat k(kapcsolat);
    PGconn *cel = kezelo(k.db);

    pgVegrehajt(cel, "BEGIN");
    // two copies started at once into one database: the second would only find the first
    // one's tables when that one commits
    if (pgSzam(cel, "SELECT pg_try_advisory_xact_lock(hashtext('dorvprg masolas'))::int") != 1)
        throw StoreHiba("Egy másik másolás tart ebbe az adatbázisba; az adatbázis változatlan maradt.");
    if (const qint64 n = sajatObjektumok(cel))
        throw StoreHiba(QString("A cél adatbázis nem üres (%1 tábla, nézet vagy sorozat van benne); a másolás csak "
                                "üres adatbázisba lehetséges, az adatbázis változatlan maradt.").arg(n));
    // index builds of the search index in memory rather than in temporary files; the
    // rebuild's notices (dropping what is not there yet) are no news to the user
    pgVegrehajt(cel, "SET LOCAL maintenance_work_mem = '256MB'");
    pgVegrehajt(cel, "SET LOCAL client_min_messages = warning");
    Sema::letrehoz(k.db, Adatbazis::Motor::PostgreSQL, false);

    Eredmeny e;
    HelyiTranzakcio helyi(forras);
    {
        Masolo m(forras, cel, figyelo);
        qint64 osszes = 0;
        for (const TablaLeiras &t : Sema::tablak())
            osszes += m.sorSzam(t);
        m.osszesBeallit(osszes);
        for (const TablaLeiras &t : Sema::tablak()) {
            // the search index is built once at the end, not row by row; the other desks
            // hear nothing of a database nobody uses yet
            pgVegrehajt(cel, QString("ALTER TABLE %1 DISABLE TRIGGER USER").arg(t.nev).toUtf8());
            e.tablak.append({t.nev, m.tabla(t)});
            pgVegrehajt(cel, QString("ALTER TABLE %1 ENABLE TRIGGER USER").arg(t.nev).toUtf8());
            // numbering goes on after the highest key (or row id) given
            pgVegrehajt(cel, QString("SELECT setval(pg_get_serial_sequence('%1', '%2'), greatest(coalesce(max(%2), 0), %3) "
                                     "+ 1, false) FROM %1")
                                 .arg(t.nev, Sema::sorAzonosito(t, Adatbazis::Motor::PostgreSQL))
                                 .arg(m.legnagyobbKiadott(t))
                                 .toUtf8());
        }
    }
    if (figyelo)
        figyelo(QString(), e.osszesSor(), e.osszesSor());
    for (const QString &u : Sema::pgKeresoUjraepit())
        pgVegrehajt(cel, u.toUtf8());
    for (const TablaLeiras &t : Sema::tablak())
        pgVegrehajt(cel, QString("ANALYZE %1").arg(t.nev).toUtf8());
    PGresult *r = PQexec(cel, "COMMIT");
    // a transaction that failed on the way answers COMMIT with ROLLBACK
    const bool ok = PQresultStatus(r) == PGRES_COMMAND_OK && qstrcmp(PQcmdStatus(r), "COMMIT") == 0;
    PQclear(r);
    if (!ok)
        hibat(cel, QString("A másolás nem véglegesíthető: %1").arg(pgHiba(cel)));
    helyi.athelyezve(kapcsolat);
    return e;
}
