#pragma once

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <QVariant>

struct sqlite3;
struct pg_conn;
class Tabla;

// The one connection "DorvPrg" on a database folder. The register is either one SQLite file
// inside that folder, so packing the folder packs the register, or the tables of a
// PostgreSQL database several desks share; the folder keeps the text files and documents
// in both cases.
namespace Adatbazis {
extern const char *const KAPCSOLAT;   // "DorvPrg"
extern const char *const FAJLNEV;     // the database file inside the folder
// The meta key of a local register copied to a server ("yyyy-MM-dd HH:mm" and the connection).
extern const char *const ATHELYEZVE;

enum class Motor { SQLite, PostgreSQL };

// Opens the database of the folder, or with a libpq connection string ("host=... port=...
// dbname=... user=..." or "service=...") the tables on that server; a folder without a
// database, or an empty server database, gets a new register with its default rows (and the
// folder its text files). Throws StoreHiba naming the folder or file on failure, KapcsolatHiba
// when the server cannot be reached. Returns true when a new register was created.
// A local register copied to a server is refused (StoreHiba saying so) unless athelyezettIs.
//
// belepes: the name and password typed in the server's login window, which the connection
// logs in with (and connects again with) instead of the string's user and ~/.pgpass; a
// KapcsolatHiba with bejelentkezes() says the server refused them or wants them.
struct Belepes {
    QString nev, jelszo;
};
bool megnyit(const QString &mappa, const QString &kapcsolat = {}, bool athelyezettIs = false,
             const Belepes &belepes = {});
// The role the server connection logged in as; empty for the local register.
QString belepesNev();
// The name and password the open register was logged in to with (megnyit's belepes), for the
// dump of an archive; empty when none was typed.
Belepes belepes();
Motor motor();
QString kapcsolat();                 // the connection string, empty for the local register
// A second, named server connection with the same options and error messages (copying a
// register to a server); the caller removes it. Throws KapcsolatHiba.
QSqlDatabase kapcsolodik(const QString &nev, const QString &kapcsolat);
void bezar();                        // closes every open cursor, then the connection
void kurzorokBezar();                // closes every cursor, keeps the connection
bool nyitva();
QString mappa();                     // folder of the open database
bool vanAdatbazis(const QString &mappa);
QSqlDatabase db();                   // throws when closed
sqlite3 *handle();                   // the SQLite engine only
pg_conn *pgHandle();                 // the server engine only
void megszakit();                    // interrupts a running statement (free SQL window); on the server from any thread
// f(arg) every lepes steps of a running statement, which stops when f returns non-zero; a
// null f ends it. SQLite calls back; the server's statement runs in one piece (libpq blocks),
// so there it only clears, and megszakit() from another thread cancels.
void haladasFigyel(int lepes, int (*f)(void *), void *arg);
bool tranzakcioban();                // a transaction of this connection is open
void kapcsolatElveszett();           // the server connection failed: the next action reconnects

// A statement without result, values bound by position; throws StoreHiba.
void vegrehajt(const QString &sql, const QVariantList &ertekek = {});
// A query run forward-only with values bound by position; throws StoreHiba.
QSqlQuery lekerdez(const QString &sql, const QVariantList &ertekek = {});
// A failed statement as the store reports it: MasikProgramHiba for another program's lock,
// KapcsolatHiba for a lost server connection, StoreHiba with the text otherwise.
[[noreturn]] void hiba(const QSqlError &e);
// First column of the first row, or an invalid QVariant when there is no row.
QVariant ertek(const QString &sql, const QVariantList &ertekek = {});

// Another program's lock outlasted the busy timeout: throws MasikProgramHiba saying so.
[[noreturn]] void foglalt();
// True when another program has committed to the database since the last call (PRAGMA
// data_version; on the server a notification from another connection; this connection's own
// writes do not count).
bool masikProgramIrt();
// Re-reads every open cursor after another program's change; one being edited is re-read
// when its edit ends.
void kurzorokFrissit();

// The schema's default texts written into a new database folder (code page 1250).
void alapSzovegekIr(const QString &mappa);

// cursors register themselves so that closing the connection closes them
void kurzorBejegyez(Tabla *t);
void kurzorKijegyez(Tabla *t);

// RAII write transaction (BEGIN IMMEDIATE on SQLite; on the server rows and numbers are
// locked where they are written): rolls back unless committed.
class Tranzakcio {
public:
    Tranzakcio();
    ~Tranzakcio();
    void commit();
    Tranzakcio(const Tranzakcio &) = delete;
    Tranzakcio &operator=(const Tranzakcio &) = delete;

private:
    bool m_kesz = false;
};
}
