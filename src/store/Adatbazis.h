#pragma once

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <QVariant>

struct sqlite3;
class Tabla;

// The one connection "DorvPrg" on a database folder. The whole database is one SQLite
// file inside that folder, so packing the folder packs the register.
namespace Adatbazis {
extern const char *const KAPCSOLAT;   // "DorvPrg"
extern const char *const FAJLNEV;     // the database file inside the folder

// Opens the database of the folder; a folder without one gets a new, empty register with
// its default rows and text files. Throws StoreHiba naming the folder or file on failure.
// Returns true when a new database was created.
bool megnyit(const QString &mappa);
void bezar();                        // closes every open cursor, then the connection
void kurzorokBezar();                // closes every cursor, keeps the connection
bool nyitva();
QString mappa();                     // folder of the open database
bool vanAdatbazis(const QString &mappa);
QSqlDatabase db();                   // throws when closed
sqlite3 *handle();
void megszakit();                    // interrupts a running statement (free SQL window)

// A statement without result, values bound by position; throws StoreHiba.
void vegrehajt(const QString &sql, const QVariantList &ertekek = {});
// A query run forward-only with values bound by position; throws StoreHiba.
QSqlQuery lekerdez(const QString &sql, const QVariantList &ertekek = {});
// First column of the first row, or an invalid QVariant when there is no row.
QVariant ertek(const QString &sql, const QVariantList &ertekek = {});

// Another program's lock outlasted the busy timeout: throws MasikProgramHiba saying so.
[[noreturn]] void foglalt();
// True when another program has committed to the database since the last call (PRAGMA
// data_version; this connection's own writes do not count).
bool masikProgramIrt();
// Re-reads every open cursor after another program's change; one being edited is re-read
// when its edit ends.
void kurzorokFrissit();

// The schema's default texts written into a new database folder (code page 1250).
void alapSzovegekIr(const QString &mappa);

// cursors register themselves so that closing the connection closes them
void kurzorBejegyez(Tabla *t);
void kurzorKijegyez(Tabla *t);

// RAII write transaction (BEGIN IMMEDIATE): rolls back unless committed.
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
