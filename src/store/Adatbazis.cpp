#include "Adatbazis.h"
#include "BiztosFajl.h"
#include "Epseg.h"
#include "HuSzoveg.h"
#include "Jelszo.h"
#include "KapcsolatLeiras.h"
#include "MasikProgramHiba.h"
#include "RegiszterZar.h"
#include "Naplo.h"
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
#include <memory>
#include <sqlite3.h>
#include <vector>

const char *const Adatbazis::KAPCSOLAT = "DorvPrg";
const char *const Adatbazis::FAJLNEV = "dorvprg.db";
const char *const Adatbazis::ATHELYEZVE = "kiszolgalora_masolva";

namespace {

QString g_mappa;
QSet<Tabla *> g_kurzorok;
qint64 g_adatVerzio = -1;   // PRAGMA data_version at the last look
Adatbazis::Motor g_motor = Adatbazis::Motor::SQLite;
QString g_kapcsolat;
Adatbazis::Belepes g_belepes;   // typed in the server's login window; kept for reconnecting
bool g_masikJelzett = false;   // another desk's notification since the last look
bool g_ujraKell = false;       // the connection failed: the next action connects anew
int g_tranzakciok = 0;         // Tranzakcio objects open on the connection
bool g_nyitottTranzakcio = false;   // the server session was inside a transaction after its last statement
// prepared statements that failed inside a transaction: Qt frees a statement when its query
// goes, and a DEALLOCATE in an aborted transaction fails and leaves it on the session; they go
// after the rollback
QList<QSqlQuery> g_felszabaditando;
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
// All of it, with the history's values of the session, in one statement: each round trip waits
// for the server's turn, which on a loaded machine is most of a short command's start.
void munkamenet(QSqlDatabase &d, const QString &kapcsolat)
{
    QList<QPair<QString, QString>> beallitasok = {{"lock_timeout", "5s"}, {"jit", "off"}, {"cursor_tuple_fraction", "1"}};
    beallitasok += Naplo::pgBeallitasok();
    QByteArray sql = "SELECT ";
    QList<QByteArray> szovegek;
    for (qsizetype i = 0; i < beallitasok.size(); ++i) {
        sql += (i ? ", " : "") + QByteArray("set_config($") + QByteArray::number(2 * i + 1) + ", $"
            + QByteArray::number(2 * i + 2) + ", false)";
        szovegek << beallitasok[i].first.toUtf8() << beallitasok[i].second.toUtf8();
    }
    std::vector<const char *> ertekek;
    for (const QByteArray &b : szovegek)
        ertekek.push_back(b.constData());
    PGconn *c = pgKezelo(d);
    PGresult *r = PQexecParams(c, sql.constData(), int(ertekek.size()), nullptr, ertekek.data(), nullptr, nullptr, 0);
    const bool rendben = PQresultStatus(r) == PGRES_TUPLES_OK;
    const QString hiba = rendben ? QString() : QString::fromUtf8(r ? PQresultErrorMessage(r) : PQerrorMessage(c)).trimmed();
    PQclear(r);
    if (!rendben)
        kapcsolatHiba(kapcsolat, hiba, false, c);
}

// The name and password of the server's login window, in place of the string's user and
// ~/.pgpass; the password goes to libpq alone, never into a string.
void belepesre(QSqlDatabase &d)
{
    if (g_belepes.nev.isEmpty())
        return;
    d.setUserName(g_belepes.nev);
    d.setPassword(g_belepes.jelszo);
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
        // a privilege the logged-in role lacks
        JogHiba::ellenoriz(kod.toLatin1().constData());
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

// A table a later version brings (6: the claims, 8: the change history, which starts empty),
// on either engine, inside the caller's upgrade transaction; one already there is left alone.
void tablaFelvesz(const QString &nev, const QStringList &utasitasok)
{
    const bool van = g_motor == Adatbazis::Motor::PostgreSQL
                         ? !Adatbazis::ertek("SELECT to_regclass(?)", {nev}).isNull()
                         : Adatbazis::ertek("SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = ?", {nev}).isValid();
    if (van)
        return;
    for (const QString &s : utasitasok)
        Adatbazis::vegrehajt(s);
}

// Version 7: the passwords, kept in clear before, become hashes, within the caller's
// transaction; the server's column gets the width a hash needs.
void jelszavakHashelese()
{
    if (g_motor == Adatbazis::Motor::PostgreSQL)
        Adatbazis::vegrehajt("ALTER TABLE felhasznalo ALTER COLUMN jelszo TYPE VARCHAR(128)");
    else
        Adatbazis::vegrehajt("PRAGMA secure_delete = ON");   // the replaced texts are zeroed, not left in free space
    QList<QPair<QString, QString>> sorok;
    for (QSqlQuery q = Adatbazis::lekerdez("SELECT felhasznalo, jelszo FROM felhasznalo"); q.next();)
        if (!q.value(1).isNull() && !q.value(1).toString().isEmpty() && !Jelszo::hashe(q.value(1).toString()))
            sorok << qMakePair(q.value(0).toString(), q.value(1).toString());
    for (const auto &s : sorok)
        Adatbazis::vegrehajt("UPDATE felhasznalo SET jelszo = ? WHERE felhasznalo = ?", {Jelszo::hash(s.second), s.first});
}

[[noreturn]] void ujabbValtozat(int v)
{
    throw StoreHiba(QString("Az adatbázist a program egy újabb változata készítette (adatbázis-változat: %1, "
                            "ez a program legfeljebb a %2. változatot ismeri). Ez a program nem módosíthatja; "
                            "használja az újabb programot.").arg(v).arg(Sema::verzio()));
}

// The server's register of an older version gets what its version lacks, all or nothing: the
// search index anew before version 4, the record of posts before 5.
void pgFrissit()
{
    // the version and the warranty's index in one round trip
    QSqlQuery q = Adatbazis::lekerdez(QString("SELECT (SELECT ertek FROM meta WHERE kulcs = 'verzio'), (SELECT count(*) "
                                              "FROM pg_indexes WHERE schemaname = current_schema() AND indexname = '%1')")
                                          .arg(Sema::GARANCIA_INDEX));
    q.next();
    const int v = q.value(0).toInt();
    if (v > Sema::verzio())
        ujabbValtozat(v);
    const bool garanciaIndex = q.value(1).toInt() > 0;
    if (v == Sema::verzio() && garanciaIndex)
        return;
    // with a login role per user only the tables' owner changes the schema
    if (!Adatbazis::ertek("SELECT pg_has_role(current_user, relowner, 'USAGE') FROM pg_class "
                          "WHERE oid = 'doksi'::regclass").toBool())
        throw StoreHiba(QString("A nyilvántartást a program egy korábbi változata készítette, és a frissítéséhez a "
                                "bejelentkezett %1 szerepnek nincs joga. Indítsa el egyszer a programot a táblák "
                                "tulajdonosaként, majd futtassa újra a pg-setup.sh --roles parancsot.")
                            .arg(Adatbazis::ertek("SELECT current_user").toString()));
    Adatbazis::Tranzakcio t;
    if (!garanciaIndex)
        Adatbazis::vegrehajt(Sema::garanciaIndex());
    if (v < 4)
        for (const QString &s : Sema::pgKeresoUjraepit())
            Adatbazis::vegrehajt(s);
    if (v < 5)
        for (const QString &s : Sema::pgMentesek())
            Adatbazis::vegrehajt(s);
    if (v < 6)
        tablaFelvesz("reklamacio", Sema::reklamacioFelvesz(g_motor));
    if (v < 7)
        jelszavakHashelese();
    if (v < 8)
        tablaFelvesz(Sema::NAPLO, Sema::naploFelvesz(g_motor));
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
    try {
        // a post's identity matters only until its next attempt; a week keeps the table small
        Adatbazis::vegrehajt("DELETE FROM mentesek WHERE ido < now() - interval '7 days'");
    } catch (const KapcsolatHiba &) {
        throw;
    } catch (const StoreHiba &) {
        // another desk clearing the same rows: the next opening clears them
    }
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
    QHash<QString, QString> nevek;   // name, CREATE statement
    for (QSqlQuery q = Adatbazis::lekerdez("SELECT name, sql FROM sqlite_master"); q.next();)
        nevek.insert(q.value(0).toString(), q.value(1).toString());
    bool hianyos = false;
    for (const QString &n : Sema::keresoObjektumok(qMax(v, 3)))
        hianyos = hianyos || !nevek.contains(n);
    const bool garanciaIndex = nevek.contains(Sema::GARANCIA_INDEX);
    // an index the search reads with other columns than an earlier version made it with
    const QStringList csere = v < 4 || hianyos ? QStringList() : Sema::keresoIndexCsere(nevek);
    if (v == Sema::verzio() && !hianyos && garanciaIndex && csere.isEmpty())
        return;
    Adatbazis::Tranzakcio t;
    if (!garanciaIndex)
        Adatbazis::vegrehajt(Sema::garanciaIndex());
    // a whole index of version 3 keeps its upper-cased texts and trigrams; any other is built
    // anew; version 4 differs from 5 on the server only
    if (v < 4 || hianyos)
        for (const QString &s : v == 3 && !hianyos ? Sema::keresoFrissit() : Sema::keresoUjraepit())
            Adatbazis::vegrehajt(s);
    for (const QString &s : csere)
        Adatbazis::vegrehajt(s);
    if (v < 6)
        tablaFelvesz("reklamacio", Sema::reklamacioFelvesz(g_motor));
    if (v < 7)
        jelszavakHashelese();
    if (v < 8)
        tablaFelvesz(Sema::NAPLO, Sema::naploFelvesz(g_motor));
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
    // a second connection to the register's own server logs in as the desk's role too
    if (nev == KAPCSOLAT || kapcsolat.trimmed() == g_kapcsolat)
        belepesre(d);
    if (!d.open())
        kapcsolatHiba(kapcsolat, d.lastError().databaseText(), false);
    munkamenet(d, kapcsolat);
    return d;
}

Adatbazis::Motor Adatbazis::motor() { return g_motor; }
QString Adatbazis::kapcsolat() { return g_kapcsolat; }

bool Adatbazis::megnyit(const QString &mappa, const QString &kapcsolat, bool athelyezettIs, const Belepes &belepes)
{
    bezar();
    g_belepes = kapcsolat.trimmed().isEmpty() ? Belepes() : belepes;
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
        QSqlDatabase d;
        try {
            d = kapcsolodik(KAPCSOLAT, g_kapcsolat);
        } catch (const StoreHiba &) {
            g_belepes = {};
            throw;
        }
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
            g_belepes = {};
            throw;
        } catch (const StoreHiba &h) {
            d.close();
            g_mappa.clear();
            g_belepes = {};
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

    // a restore killed half-way is finished or undone first; one running now is waited for
    RegiszterZar::bejelentkezik(mappa);
    QSqlDatabase d = QSqlDatabase::contains(KAPCSOLAT) ? QSqlDatabase::database(KAPCSOLAT, false)
                                                       : QSqlDatabase::addDatabase("QSQLITE", KAPCSOLAT);
    d.setDatabaseName(fajl);
    // another program's write lock is waited for this long before the user is told
    d.setConnectOptions("QSQLITE_BUSY_TIMEOUT=5000");
    if (!d.open()) {
        RegiszterZar::kijelentkezik();
        throw StoreHiba(QString("Az adatbázis nem nyitható meg: %1\r\n%2").arg(fajl, d.lastError().text()));
    }
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
            RegiszterZar::bejelentkezik(mappa, 0);
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
        Naplo::sqliteKapcsolodott();
        g_adatVerzio = ertek("PRAGMA data_version").toLongLong();
    } catch (const StoreHiba &h) {
        d.close();
        RegiszterZar::kijelentkezik();
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
    // after SQLite's own file handle is gone: closing a descriptor of the file drops its locks
    RegiszterZar::kijelentkezik();
    g_mappa.clear();
    g_belepes = {};
    SerultFajlBeallit({});
}

Adatbazis::Belepes Adatbazis::belepes() { return g_belepes; }

QString Adatbazis::belepesNev()
{
    if (!szerveren() || !nyitva())
        return {};
    return QString::fromUtf8(PQuser(pgHandle()));
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
        // A transaction went with its session: a new one would run the rest of it (a post's
        // COMMIT) on its own, without the rows and numbers it locked. The transaction's owner
        // ends it first; one begun by hand is reported lost once.
        if (g_tranzakciok > 0 || g_nyitottTranzakcio) {
            g_ujraKell = true;
            g_nyitottTranzakcio = false;
            const PGconn *c = d.isOpen() ? pgKezelo(d) : nullptr;
            kapcsolatHiba(g_kapcsolat,
                          c ? QString::fromUtf8(PQerrorMessage(c)) : QString("A kapcsolat le van zárva."), true);
        }
        // lost earlier: this action tries a new connection; the cursors keep what they hold
        g_felszabaditando.clear();
        d.close();
        KapcsolatLeiras::beallit(d, g_kapcsolat);
        belepesre(d);
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
    if (szerveren()) {
        // a lost session's transaction is still the caller's until it ends it
        if (g_tranzakciok > 0)
            return true;
        PGconn *c = pgHandle();
        return PQstatus(c) == CONNECTION_OK ? PQtransactionStatus(c) != PQTRANS_IDLE : g_nyitottTranzakcio;
    }
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
    throw StoreHiba::motor(e.text());
}

namespace {

// After every statement on the server: the session's state as libpq sees it. A connection
// lost after the reply (a prepared statement's freeing) fails the statement too.
void pgUtan()
{
    PGconn *c = Adatbazis::pgHandle();
    if (PQstatus(c) != CONNECTION_OK) {
        g_ujraKell = true;
        kapcsolatHiba(g_kapcsolat, QString::fromUtf8(PQerrorMessage(c)), true, c);
    }
    g_nyitottTranzakcio = PQtransactionStatus(c) != PQTRANS_IDLE;
}

[[noreturn]] void sikertelen(QSqlQuery &q, bool elokeszitett)
{
    if (szerveren()) {
        PGconn *c = Adatbazis::pgHandle();
        if (elokeszitett && PQstatus(c) == CONNECTION_OK && PQtransactionStatus(c) == PQTRANS_INERROR)
            g_felszabaditando << q;
        if (PQstatus(c) == CONNECTION_OK)
            g_nyitottTranzakcio = PQtransactionStatus(c) != PQTRANS_IDLE;
    }
    foglaltHiba(q.lastError());
    throw StoreHiba::motor(q.lastError().text());
}

// The prepared statements of a transaction that failed, freed on the idle session.
void felszabadit()
{
    g_felszabaditando.clear();
    if (szerveren() && PQstatus(Adatbazis::pgHandle()) != CONNECTION_OK)
        g_ujraKell = true;
}

} // namespace

QSqlQuery Adatbazis::lekerdez(const QString &sql, const QVariantList &ertekek)
{
    QSqlQuery q(db());
    // see Lekerdezes::megnyit: a server result is read whole, so callers may run statements
    // while they read it
    q.setForwardOnly(!szerveren());
    // the server prepares only queries and DML; a statement without values runs as it is
    if (szerveren() && ertekek.isEmpty()) {
        if (!q.exec(sql))
            sikertelen(q, false);
        pgUtan();
        return q;
    }
    if (!q.prepare(sql))
        sikertelen(q, false);
    for (const QVariant &v : ertekek)
        q.addBindValue(v);
    if (!q.exec())
        sikertelen(q, true);
    if (szerveren())
        pgUtan();
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
        if (!g_ujraKell && PQstatus(c) == CONNECTION_OK && PQtransactionStatus(c) == PQTRANS_IDLE && PQconsumeInput(c))
            while (PGnotify *n = PQnotifies(c)) {
                if (n->be_pid != PQbackendPID(c))
                    g_masikJelzett = true;
                PQfreemem(n);
            }
        // A lost connection hears nothing more (a server restarted under an idle window):
        // connecting again listens again and counts as a change. Throws KapcsolatHiba while
        // the server is away.
        if ((g_ujraKell || PQstatus(c) != CONNECTION_OK) && !tranzakcioban())
            db();
        const bool valtozott = g_masikJelzett;
        g_masikJelzett = false;
        return valtozott;
    }
    if (RegiszterZar::cserelve())
        RegiszterZar::cserelveHiba();
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
    // A file replaced under this program (restored from an archive) is not written: the
    // change would go to the old file, gone from the folder.
    if (!szerveren() && RegiszterZar::cserelve())
        RegiszterZar::cserelveHiba();
    vegrehajt(szerveren() ? "BEGIN" : "BEGIN IMMEDIATE");
    ++g_tranzakciok;
}

Adatbazis::Tranzakcio::~Tranzakcio()
{
    if (m_kesz)
        return;
    --g_tranzakciok;
    if (!nyitva()) {
        g_felszabaditando.clear();
        return;
    }
    if (!szerveren()) {
        QSqlDatabase::database(KAPCSOLAT, false).rollback();
        return;
    }
    // a lost server connection took its transaction with it; no reconnect in a destructor
    PGconn *c = pgHandle();
    if (PQstatus(c) == CONNECTION_OK && PQtransactionStatus(c) != PQTRANS_IDLE)
        PQclear(PQexec(c, "ROLLBACK"));
    // a lost one is over too: its owner has been told, the next action reconnects
    g_nyitottTranzakcio = PQstatus(c) == CONNECTION_OK && PQtransactionStatus(c) != PQTRANS_IDLE;
    felszabadit();
}

void Adatbazis::Tranzakcio::commit()
{
    if (!szerveren()) {
        vegrehajt("COMMIT");   // a refused commit leaves the transaction to the rollback
        m_kesz = true;
        --g_tranzakciok;
        return;
    }
    // Straight through libpq, never reconnecting: a COMMIT on a new session would commit
    // nothing and say so with a mere warning.
    PGconn *c = pgHandle();
    if (PQstatus(c) != CONNECTION_OK) {
        g_ujraKell = true;
        kapcsolatHiba(g_kapcsolat, QString::fromUtf8(PQerrorMessage(c)), true, c);
    }
    // a failed statement whose error was not raised: the server would answer the COMMIT
    // with a rollback
    if (PQtransactionStatus(c) != PQTRANS_INTRANS)
        throw StoreHiba("A tranzakció egy hibás utasítás miatt nem zárható le, a változás nincs mentve.");
    std::unique_ptr<PGresult, void (*)(PGresult *)> r(PQexec(c, "COMMIT"), PQclear);
    const bool rendben = PQresultStatus(r.get()) == PGRES_COMMAND_OK && qstrcmp(PQcmdStatus(r.get()), "COMMIT") == 0
                      && PQtransactionStatus(c) == PQTRANS_IDLE;
    if (PQstatus(c) != CONNECTION_OK) {
        // the reply is lost and the commit may have happened: the caller finds out on its next
        // attempt (a post by its identity)
        m_kesz = true;
        --g_tranzakciok;
        g_nyitottTranzakcio = false;
        g_felszabaditando.clear();
        g_ujraKell = true;
        kapcsolatHiba(g_kapcsolat, QString::fromUtf8(PQerrorMessage(c)), true, c);
    }
    if (!rendben) {
        // refused at the end (a deferred check, a serialization failure): rolled back
        const char *kod = PQresultErrorField(r.get(), PG_DIAG_SQLSTATE);
        const QString szoveg = QString::fromUtf8(PQresultErrorMessage(r.get())).trimmed();
        if (PQtransactionStatus(c) == PQTRANS_IDLE) {
            m_kesz = true;
            --g_tranzakciok;
            g_nyitottTranzakcio = false;
            felszabadit();
        }   // otherwise the destructor rolls back
        if (kod && (qstrcmp(kod, "40001") == 0 || qstrcmp(kod, "40P01") == 0 || qstrcmp(kod, "55P03") == 0))
            foglalt();
        throw StoreHiba(szoveg.isEmpty() ? QString("A változás nem menthető: a kiszolgáló nem hagyta jóvá.") : szoveg);
    }
    m_kesz = true;
    --g_tranzakciok;
    g_nyitottTranzakcio = false;
    felszabadit();
}
