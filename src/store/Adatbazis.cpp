#include "Adatbazis.h"
#include "BiztosFajl.h"
#include "Epseg.h"
#include "HuSzoveg.h"
#include "KapcsolatLeiras.h"
#include "MasikProgramHiba.h"
#include "Sema.h"
#include "StoreHiba.h"
#include "Tabla.h"

#include <QDir>
#include <QFileInfo>
#include <QMutex>
#include <QSet>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <libpq-fe.h>
#include <sqlite3.h>

const char *const Adatbazis::KAPCSOLAT = "DorvPrg";
const char *const Adatbazis::FAJLNEV = "dorvprg.db";
const char *const Adatbazis::ATHELYEZVE = "kiszolgalora_masolva";

namespace {

QString g_mappa;
QSet<Tabla *> g_kurzorok;
qint64 g_adatVerzio = -1;   // PRAGMA data_version at the last look
Adatbazis::Motor g_motor = Adatbazis::Motor::SQLite;
QString g_kapcsolat;
bool g_masikJelzett = false;   // another desk's notification since the last look
bool g_ujraKell = false;       // the connection failed: the next action connects anew
// the cancel handle of the open server connection, for megszakit() from any thread
QMutex g_megszakitoZar;
PGcancel *g_megszakito = nullptr;

void megszakitoBeallit(PGconn *c)
{
    QMutexLocker z(&g_megszakitoZar);
    if (g_megszakito)
        PQfreeCancel(g_megszakito);
    g_megszakito = c ? PQgetCancel(c) : nullptr;
}

const char *const CSATORNA = "dorvprg";   // the notification channel of the register's changes

bool szerveren() { return g_motor == Adatbazis::Motor::PostgreSQL; }

// Host and port as the message names them: from the string, else a service's entry, else
// libpq's environment and defaults.
std::pair<QString, QString> gepPort(const QString &kapcsolat, PGconn *c = nullptr)
{
    if (c && PQhost(c) && *PQhost(c))
        return {QString::fromUtf8(PQhost(c)), QString::fromUtf8(PQport(c))};
    QString gep, port, szolgaltatas;
    char *hiba = nullptr;
    if (PQconninfoOption *o = PQconninfoParse(kapcsolat.toUtf8().constData(), &hiba)) {
        for (const PQconninfoOption *p = o; p->keyword; ++p) {
            if (!p->val || !*p->val)
                continue;
            const QString v = QString::fromUtf8(p->val);
            if (qstrcmp(p->keyword, "host") == 0 || (qstrcmp(p->keyword, "hostaddr") == 0 && gep.isEmpty()))
                gep = v;
            else if (qstrcmp(p->keyword, "port") == 0)
                port = v;
            else if (qstrcmp(p->keyword, "service") == 0)
                szolgaltatas = v;
        }
        PQconninfoFree(o);
    }
    PQfreemem(hiba);
    if (szolgaltatas.isEmpty())
        szolgaltatas = qEnvironmentVariable("PGSERVICE");
    if (!szolgaltatas.isEmpty() && (gep.isEmpty() || port.isEmpty())) {
        // only libpq knows which service file holds the entry; it reads it when a connection
        // starts (this attempt is dropped at once)
        if (PGconn *p = PQconnectStart(kapcsolat.toUtf8().constData())) {
            if (gep.isEmpty() && PQhost(p) && *PQhost(p))
                gep = QString::fromUtf8(PQhost(p));
            if (port.isEmpty() && PQport(p) && *PQport(p))
                port = QString::fromUtf8(PQport(p));
            PQfinish(p);
        }
    }
    if (gep.isEmpty())
        gep = !szolgaltatas.isEmpty() ? QString("service=%1").arg(szolgaltatas)
                                      : qEnvironmentVariable("PGHOST", "/var/run/postgresql");
    if (port.isEmpty())
        port = qEnvironmentVariable("PGPORT", "5432");
    return {gep, port};
}

[[noreturn]] void kapcsolatHiba(const QString &kapcsolat, const QString &ok, bool megszakadt, PGconn *c = nullptr)
{
    const auto [gep, port] = gepPort(kapcsolat, c);
    throw KapcsolatHiba::keszit(megszakadt, gep, port, ok);
}

PGconn *pgKezelo(const QSqlDatabase &d)
{
    const QVariant v = d.driver()->handle();
    if (!v.isValid() || (qstrcmp(v.typeName(), "PGconn*") != 0 && qstrcmp(v.typeName(), "pg_conn*") != 0))
        throw StoreHiba("Az adatbázis kezelője nem érhető el.");
    return *static_cast<PGconn *const *>(v.data());
}

// The session of every server connection: lock waits as long as SQLite's busy timeout, no JIT
// compiling, which costs a search over every letter more than it saves, and cursors planned for
// reading all their rows (a whole-view pass and the free SQL window read every row; planned for
// the first tenth, a view of the letters was joined by an index lookup per row, ten times slower).
void munkamenet(QSqlDatabase &d, const QString &kapcsolat)
{
    QSqlQuery q(d);
    if (!q.exec("SET lock_timeout = '5s'") || !q.exec("SET jit = off") || !q.exec("SET cursor_tuple_fraction = 1"))
        kapcsolatHiba(kapcsolat, q.lastError().databaseText(), false, pgKezelo(d));
}

void foglaltHiba(const QSqlError &e)
{
    if (szerveren()) {
        const QString kod = e.nativeErrorCode();
        // connection failures (08...) and a server shutting down (57P0x) end this connection
        if (PQstatus(Adatbazis::pgHandle()) == CONNECTION_BAD || kod.startsWith("08") || kod.startsWith("57P0")) {
            g_ujraKell = true;
            kapcsolatHiba(g_kapcsolat, e.databaseText(), true, Adatbazis::pgHandle());
        }
        // lock wait past lock_timeout, deadlock, serialization failure
        if (kod == "55P03" || kod == "40P01" || kod == "40001")
            Adatbazis::foglalt();
        return;
    }
    if ((e.nativeErrorCode().toInt() & 0xff) == SQLITE_BUSY)
        Adatbazis::foglalt();
}

// LISTEN through the driver: its signal marks another desk's commit, whenever the event loop
// runs; masikProgramIrt() also reads what libpq holds already.
void figyel(QSqlDatabase &d)
{
    QSqlDriver *drv = d.driver();
    drv->subscribeToNotification(CSATORNA);
    QObject::disconnect(drv, &QSqlDriver::notification, nullptr, nullptr);
    QObject::connect(drv, &QSqlDriver::notification, drv,
                     [](const QString &, QSqlDriver::NotificationSource forras, const QVariant &) {
                         if (forras != QSqlDriver::SelfSource)
                             g_masikJelzett = true;
                     });
}

QString szovegArg(sqlite3_value *v)
{
    const auto *p = reinterpret_cast<const char *>(sqlite3_value_text(v));
    return QString::fromUtf8(p, sqlite3_value_bytes(v));
}

void eredmeny(sqlite3_context *ctx, const QString &s)
{
    const QByteArray b = s.toUtf8();
    sqlite3_result_text(ctx, b.constData(), int(b.size()), SQLITE_TRANSIENT);
}

template <QString (*F)(const QString &)>
void szovegFuggveny(sqlite3_context *ctx, int, sqlite3_value **argv)
{
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL) {
        sqlite3_result_null(ctx);
        return;
    }
    eredmeny(ctx, F(szovegArg(argv[0])));
}

void fuggvenyekBejegyez(sqlite3 *h)
{
    // innocuous: the search index triggers call UPPER
    const int f = SQLITE_UTF8 | SQLITE_DETERMINISTIC | SQLITE_INNOCUOUS;
    sqlite3_create_function(h, "UPPER", 1, f, nullptr, szovegFuggveny<HuSzoveg::nagybetu>, nullptr, nullptr);
    sqlite3_create_function(h, "LOWER", 1, f, nullptr, szovegFuggveny<HuSzoveg::kisbetu>, nullptr, nullptr);
    sqlite3_create_function(h, "HURENDEZ", 1, f, nullptr, szovegFuggveny<HuSzoveg::rendezoKulcs>, nullptr, nullptr);
}

void letrehoz()
{
    Adatbazis::Tranzakcio t;
    Sema::letrehoz(Adatbazis::db(), g_motor, true);
    t.commit();
}

[[noreturn]] void ujabbValtozat(int v)
{
    throw StoreHiba(QString("Az adatbázist a program egy újabb változata készítette (adatbázis-változat: %1, "
                            "ez a program legfeljebb a %2. változatot ismeri). Ez a program nem módosíthatja; "
                            "használja az újabb programot.").arg(v).arg(Sema::verzio()));
}

// The server's register of an older version gets its search index anew, all or nothing.
void pgFrissit()
{
    const int v = Adatbazis::ertek("SELECT ertek FROM meta WHERE kulcs = 'verzio'").toInt();
    if (v > Sema::verzio())
        ujabbValtozat(v);
    if (v == Sema::verzio())
        return;
    Adatbazis::Tranzakcio t;
    for (const QString &s : Sema::pgKeresoUjraepit())
        Adatbazis::vegrehajt(s);
    Adatbazis::vegrehajt("UPDATE meta SET ertek = ? WHERE kulcs = 'verzio'", {QString::number(Sema::verzio())});
    t.commit();
}

// The tables on the server: a database without any table gets the register; one with
// other tables but not the program's is refused.
bool pgMegnyit(const QString &mappa)
{
    // the catalog, not information_schema: that lists only tables this role may use
    const QString tablak = "SELECT count(*) FROM pg_class c JOIN pg_namespace n ON n.oid = c.relnamespace "
                           "WHERE n.nspname = current_schema() AND c.relkind IN ('r', 'p')";
    if (Adatbazis::ertek(tablak + " AND c.relname = 'doksi'").toInt() == 0) {
        if (Adatbazis::ertek(tablak).toInt() > 0)
            throw StoreHiba("Az adatbázis nem üres, de nem a program adatbázisa.");
        letrehoz();
        Adatbazis::alapSzovegekIr(mappa);
        return true;
    }
    pgFrissit();
    return false;
}

// A database of an older version gets what its version lacks, all or nothing; a search
// index with a table, index or trigger missing (dropped by hand) is built anew. One of a newer
// version is left untouched: this program does not know what it holds.
void frissit()
{
    const int v = Adatbazis::ertek("SELECT ertek FROM meta WHERE kulcs = 'verzio'").toInt();
    if (v > Sema::verzio())
        ujabbValtozat(v);
    QSet<QString> nevek;
    for (QSqlQuery q = Adatbazis::lekerdez("SELECT name FROM sqlite_master"); q.next();)
        nevek.insert(q.value(0).toString());
    bool hianyos = false;
    for (const QString &n : Sema::keresoObjektumok(qMax(v, 3)))
        hianyos = hianyos || !nevek.contains(n);
    if (v == Sema::verzio() && !hianyos)
        return;
    Adatbazis::Tranzakcio t;
    // a whole index of version 3 keeps its upper-cased texts and trigrams; any other is built anew
    for (const QString &s : v == 3 && !hianyos ? Sema::keresoFrissit() : Sema::keresoUjraepit())
        Adatbazis::vegrehajt(s);
    Adatbazis::vegrehajt("UPDATE meta SET ertek = ? WHERE kulcs = 'verzio'", {QString::number(Sema::verzio())});
    t.commit();
}

} // namespace

bool Adatbazis::vanAdatbazis(const QString &mappa)
{
    return QFileInfo::exists(QDir(mappa).filePath(FAJLNEV));
}

QSqlDatabase Adatbazis::kapcsolodik(const QString &nev, const QString &kapcsolat)
{
    QSqlDatabase d = QSqlDatabase::contains(nev) ? QSqlDatabase::database(nev, false)
                                                 : QSqlDatabase::addDatabase("QPSQL", nev);
    if (!d.isValid())
        throw StoreHiba("A PostgreSQL-kiszolgáló nem érhető el: a Qt PostgreSQL-meghajtója (libqt6sql6-psql) "
                        "nincs telepítve.");
    d.close();
    KapcsolatLeiras::beallit(d, kapcsolat);
    if (!d.open())
        kapcsolatHiba(kapcsolat, d.lastError().databaseText(), false);
    munkamenet(d, kapcsolat);
    return d;
}

Adatbazis::Motor Adatbazis::motor() { return g_motor; }
QString Adatbazis::kapcsolat() { return g_kapcsolat; }

bool Adatbazis::megnyit(const QString &mappa, const QString &kapcsolat, bool athelyezettIs)
{
    bezar();
    const QFileInfo mi(mappa);
    if (mappa.isEmpty() || !mi.isDir())
        throw StoreHiba(QString("Az adatbázis mappa nem létezik: %1").arg(mappa));
    // what writers killed in this folder left (texts, exports saved here)
    BiztosFajlMaradekTorol(mappa);
    if (!kapcsolat.trimmed().isEmpty()) {
        // a connection of the other engine under the same name is replaced
        if (QSqlDatabase::contains(KAPCSOLAT) && QSqlDatabase::database(KAPCSOLAT, false).driverName() != "QPSQL")
            QSqlDatabase::removeDatabase(KAPCSOLAT);
        g_motor = Motor::PostgreSQL;
        g_kapcsolat = kapcsolat.trimmed();
        QSqlDatabase d = kapcsolodik(KAPCSOLAT, g_kapcsolat);
        g_mappa = QDir::cleanPath(mi.absoluteFilePath());
        try {
            const bool uj = pgMegnyit(mappa);
            figyel(d);
            megszakitoBeallit(pgKezelo(d));
            g_masikJelzett = false;
            return uj;
        } catch (const KapcsolatHiba &) {
            d.close();
            g_mappa.clear();
            throw;
        } catch (const StoreHiba &h) {
            d.close();
            g_mappa.clear();
            throw StoreHiba(QString("Az adatbázis nem nyitható meg: %1\r\n%2").arg(g_kapcsolat, h.uzenet()));
        }
    }
    if (QSqlDatabase::contains(KAPCSOLAT) && QSqlDatabase::database(KAPCSOLAT, false).driverName() != "QSQLITE")
        QSqlDatabase::removeDatabase(KAPCSOLAT);
    g_motor = Motor::SQLite;
    g_kapcsolat.clear();
    const QString fajl = QDir(mappa).filePath(FAJLNEV);
    const bool uj = !QFileInfo::exists(fajl);
    if (uj && !QFileInfo(mappa).isWritable())
        throw StoreHiba(QString("Az adatbázis mappa nem írható: %1").arg(mappa));

    QSqlDatabase d = QSqlDatabase::contains(KAPCSOLAT) ? QSqlDatabase::database(KAPCSOLAT, false)
                                                       : QSqlDatabase::addDatabase("QSQLITE", KAPCSOLAT);
    d.setDatabaseName(fajl);
    // another program's write lock is waited for this long before the user is told
    d.setConnectOptions("QSQLITE_BUSY_TIMEOUT=5000");
    if (!d.open())
        throw StoreHiba(QString("Az adatbázis nem nyitható meg: %1\r\n%2").arg(fajl, d.lastError().text()));
    g_mappa = QDir::cleanPath(mi.absoluteFilePath());
    SerultFajlBeallit(fajl);
    try {
        fuggvenyekBejegyez(handle());
        // a damaged register is told at once, not by the first action that meets its page
        if (!uj)
            Epseg::nyitaskor(handle(), fajl);
        // A file that is not a database fails here, before anything is written to it.
        vegrehajt("PRAGMA foreign_keys = OFF");
        ertek("SELECT count(*) FROM sqlite_master");
        vegrehajt("PRAGMA synchronous = FULL");
        // a larger page cache for the joins of whole-view passes (list, export, search)
        vegrehajt("PRAGMA cache_size = -32768");
        if (uj) {
            letrehoz();
            alapSzovegekIr(mappa);
        } else if (!ertek("SELECT name FROM sqlite_master WHERE type='table' AND name='doksi'").isValid()) {
            throw StoreHiba(QString("A fájl nem a program adatbázisa: %1").arg(fajl));
        } else {
            // the register went to a server: working on the old rows here would split it
            const QString athelyezve = ertek("SELECT ertek FROM meta WHERE kulcs = ?", {ATHELYEZVE}).toString();
            if (!athelyezve.isEmpty() && !athelyezettIs)
                throw StoreHiba(QString("Ezt a helyi adatbázist %1-kor átmásolták a kiszolgálóra (%2), a nyilvántartás "
                                        "azóta ott van; ez a fájl a másoláskori régi adatokat őrzi, változatlanul. A "
                                        "program nem nyitja meg, hogy ne dolgozzon tovább a régi adatokon: írja vissza "
                                        "a kiszolgáló kapcsolatát a DorvPrg.ini [Adatbazis] Kapcsolat= kulcsába.")
                                    .arg(athelyezve.section(' ', 0, 1), athelyezve.section(' ', 2)));
            frissit();
        }
        g_adatVerzio = ertek("PRAGMA data_version").toLongLong();
    } catch (const StoreHiba &h) {
        d.close();
        g_mappa.clear();
        if (uj)
            QFile::remove(fajl);
        throw StoreHiba(QString("Az adatbázis nem nyitható meg: %1\r\n%2").arg(fajl, h.uzenet()));
    }
    return uj;
}

void Adatbazis::kurzorokBezar()
{
    const QSet<Tabla *> k = g_kurzorok;
    for (Tabla *t : k)
        t->bezar();
}

void Adatbazis::bezar()
{
    kurzorokBezar();
    megszakitoBeallit(nullptr);
    if (QSqlDatabase::contains(KAPCSOLAT)) {
        QSqlDatabase d = QSqlDatabase::database(KAPCSOLAT, false);
        d.close();
    }
    g_mappa.clear();
    SerultFajlBeallit({});
}

bool Adatbazis::nyitva()
{
    // a server register stays open while its connection is lost; the next action reconnects
    if (szerveren())
        return !g_mappa.isEmpty() && QSqlDatabase::contains(KAPCSOLAT);
    return QSqlDatabase::contains(KAPCSOLAT) && QSqlDatabase::database(KAPCSOLAT, false).isOpen();
}

QString Adatbazis::mappa() { return g_mappa; }

QSqlDatabase Adatbazis::db()
{
    if (!nyitva())
        throw StoreHiba("Az adatbázis nincs megnyitva.");
    QSqlDatabase d = QSqlDatabase::database(KAPCSOLAT, false);
    if (szerveren() && (g_ujraKell || !d.isOpen() || PQstatus(pgKezelo(d)) == CONNECTION_BAD)) {
        // lost earlier: this action tries a new connection; the cursors keep what they hold
        d.close();
        KapcsolatLeiras::beallit(d, g_kapcsolat);
        if (!d.open())
            kapcsolatHiba(g_kapcsolat, d.lastError().databaseText(), true);
        g_ujraKell = false;
        munkamenet(d, g_kapcsolat);
        figyel(d);
        megszakitoBeallit(pgKezelo(d));
        g_masikJelzett = true;   // what other desks did meanwhile is unknown
    }
    return d;
}

pg_conn *Adatbazis::pgHandle()
{
    if (!szerveren())
        throw StoreHiba("Az adatbázis nem PostgreSQL-kiszolgálón van.");
    if (!nyitva())
        throw StoreHiba("Az adatbázis nincs megnyitva.");
    return pgKezelo(QSqlDatabase::database(KAPCSOLAT, false));
}

void Adatbazis::kapcsolatElveszett() { g_ujraKell = true; }

void Adatbazis::haladasFigyel(int lepes, int (*f)(void *), void *arg)
{
    if (nyitva() && !szerveren())
        sqlite3_progress_handler(handle(), f ? lepes : 0, f, f ? arg : nullptr);
}

bool Adatbazis::tranzakcioban()
{
    if (szerveren())
        return PQtransactionStatus(pgHandle()) != PQTRANS_IDLE;
    return !sqlite3_get_autocommit(handle());
}

sqlite3 *Adatbazis::handle()
{
    const QVariant v = db().driver()->handle();
    if (!v.isValid() || qstrcmp(v.typeName(), "sqlite3*") != 0)
        throw StoreHiba("Az adatbázis kezelője nem érhető el.");
    return *static_cast<sqlite3 *const *>(v.data());
}

void Adatbazis::megszakit()
{
    if (szerveren()) {
        // no Qt object here: another thread may ask while this one waits for the server
        QMutexLocker z(&g_megszakitoZar);
        char hiba[256];
        if (g_megszakito)
            PQcancel(g_megszakito, hiba, sizeof hiba);
        return;
    }
    if (nyitva())
        sqlite3_interrupt(handle());
}

void Adatbazis::hiba(const QSqlError &e)
{
    foglaltHiba(e);
    throw StoreHiba(e.text());
}

QSqlQuery Adatbazis::lekerdez(const QString &sql, const QVariantList &ertekek)
{
    QSqlQuery q(db());
    // see Lekerdezes::megnyit: a server result is read whole, so callers may run statements
    // while they read it
    q.setForwardOnly(!szerveren());
    // the server prepares only queries and DML; a statement without values runs as it is
    if (szerveren() && ertekek.isEmpty()) {
        if (!q.exec(sql)) {
            foglaltHiba(q.lastError());
            throw StoreHiba(q.lastError().text());
        }
        return q;
    }
    if (!q.prepare(sql)) {
        foglaltHiba(q.lastError());
        throw StoreHiba(q.lastError().text());
    }
    for (const QVariant &v : ertekek)
        q.addBindValue(v);
    if (!q.exec()) {
        foglaltHiba(q.lastError());
        throw StoreHiba(q.lastError().text());
    }
    return q;
}

void Adatbazis::vegrehajt(const QString &sql, const QVariantList &ertekek)
{
    Adatbazis::lekerdez(sql, ertekek);
}

QVariant Adatbazis::ertek(const QString &sql, const QVariantList &ertekek)
{
    QSqlQuery q = Adatbazis::lekerdez(sql, ertekek);
    return q.next() ? q.value(0) : QVariant();
}

void Adatbazis::foglalt()
{
    throw MasikProgramHiba("A nyilvántartást most egy másik program használja, ezért a művelet nem "
                           "hajtható végre.\r\nPróbálja újra néhány másodperc múlva.");
}

bool Adatbazis::masikProgramIrt()
{
    if (szerveren()) {
        PGconn *c = pgHandle();
        if (PQstatus(c) == CONNECTION_OK && PQtransactionStatus(c) == PQTRANS_IDLE && PQconsumeInput(c))
            while (PGnotify *n = PQnotifies(c)) {
                if (n->be_pid != PQbackendPID(c))
                    g_masikJelzett = true;
                PQfreemem(n);
            }
        const bool valtozott = g_masikJelzett;
        g_masikJelzett = false;
        return valtozott;
    }
    const qint64 v = ertek("PRAGMA data_version").toLongLong();
    const bool valtozott = v != g_adatVerzio;
    g_adatVerzio = v;
    return valtozott;
}

void Adatbazis::kurzorokFrissit()
{
    const QSet<Tabla *> k = g_kurzorok;
    for (Tabla *t : k)
        if (g_kurzorok.contains(t))   // a re-read may close another cursor
            t->kulsoValtozas();
}

void Adatbazis::kurzorBejegyez(Tabla *t) { g_kurzorok.insert(t); }
void Adatbazis::kurzorKijegyez(Tabla *t) { g_kurzorok.remove(t); }

Adatbazis::Tranzakcio::Tranzakcio()
{
    // the write lock at once: a transaction that reads first and writes later could meet
    // another program's writer with no busy wait at all (the server locks rows instead)
    vegrehajt(szerveren() ? "BEGIN" : "BEGIN IMMEDIATE");
}

Adatbazis::Tranzakcio::~Tranzakcio()
{
    if (m_kesz || !nyitva())
        return;
    // a lost server connection took its transaction with it; no reconnect in a destructor
    if (szerveren() && PQstatus(pgHandle()) != CONNECTION_OK)
        return;
    QSqlDatabase::database(KAPCSOLAT, false).rollback();
}

void Adatbazis::Tranzakcio::commit()
{
    vegrehajt("COMMIT");   // a refused commit leaves the transaction to the rollback
    m_kesz = true;
}
