#pragma once

#include <QList>
#include <QPair>
#include <QString>

// The change history (table naplo): every insert, change and delete of the register's tables
// is recorded by triggers in the transaction of the change itself, so a change that is rolled
// back leaves no entry and no write path can pass it by. A change of a row gives one entry
// per changed field; an insert or a delete one entry with the row's values as JSON text. A
// password hash is never written: its change is recorded as "(megváltozott)".
//
// On SQLite the triggers are the connection's own (TEMP), made when the register opens, and
// ask the program who works; another program writing the file records nothing. On the server
// they are the database's and record every client's changes; the desk names itself through
// its session settings.
namespace Naplo {
// Who works: the logged-in login name; empty means the system user (the login is off).
void setFelhasznalo(const QString &bejelentkezett);
QString felhasznalo();
QString gep();                 // the desk's host name

// Called by the store on the connection it opened: SQLite gets the functions and triggers;
// a server session gets these settings (name, value: the desk's user and host name, whether
// the history is written), which the store sets with its own.
void sqliteKapcsolodott();
QList<QPair<QString, QString>> pgBeallitasok();

// While it lives no history is written through this connection (a bulk import, the bench's
// comparison).
class Szunet {
public:
    Szunet();
    ~Szunet();
    Szunet(const Szunet &) = delete;
    Szunet &operator=(const Szunet &) = delete;

private:
    bool m_elozo;
};

// A statement of the free SQL window that changed the register: its text and the number of
// rows it changed, as one entry of table "SQL" (the rows themselves are recorded by the
// triggers). Throws StoreHiba.
void sqlUtasitas(const QString &sql, int sorok);

// Restoring a deleted row from its delete entry: letters, notes, documents and claims.
struct Visszaallitas {
    QString tabla;
    qint64 kulcs = 0;       // the row's key as stored again
    qint64 szam = 0;        // a letter's number (doksi_id), else the key
    qint64 eredetiSzam = 0;
    bool ujSzam() const { return szam != eredetiSzam; }
    QString uzenet() const; // what the user is told
};
// Whether the entry is a delete entry of such a table.
bool visszaallithato(const QString &tabla, const QVariant &regi, const QVariant &uj);
// Writes the row again in one transaction: with its own number when it is free, else with
// the next one of its kind. A note, document or claim needs its letter. Throws StoreHiba.
Visszaallitas visszaallit(qint64 naploAzon);
}
