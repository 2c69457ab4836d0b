#pragma once

#include "Adatbazis.h"

#include <QHash>
#include <QList>
#include <QSqlDatabase>
#include <QString>

// The tables of the register, described once: the schema is created from this,
// the cursors cut and convert values by it, grids and exports take labels from it.
enum class MezoTipus { Autoinc, Egesz, Datum, Szoveg, Memo };

struct MezoLeiras {
    QString nev;
    MezoTipus tipus;
    int meret = 0;          // characters, for Szoveg
    QString cimke;          // label in grids, editors and exports
};

struct TablaLeiras {
    QString nev;
    QString kulcs;          // primary key field
    QList<MezoLeiras> mezok;

    const MezoLeiras *mezo(const QString &nev) const;   // case-insensitive, nullptr when unknown
    bool autoinc() const;
};

namespace Sema {
const QList<TablaLeiras> &tablak();
const TablaLeiras *tabla(const QString &nev);   // also takes "doksi.DB"
int verzio();
QStringList letrehozo();                        // CREATE statements of a new database
// The statements of a new register on that engine: tables, indexes, search index, triggers,
// the version; with alapSorok the default rows too.
QStringList letrehozo(Adatbazis::Motor m, bool alapSorok);
// Runs them on any connection, inside the caller's transaction if it has one; throws StoreHiba.
void letrehoz(QSqlDatabase db, Adatbazis::Motor m, bool alapSorok);
// The server's search index dropped and built anew, filled from the register.
QStringList pgKeresoUjraepit();
// The server's record of posts (version 5): each post writes its identity in its own
// transaction, so a post whose commit reply was lost learns on its next attempt whether that
// commit happened.
QStringList pgMentesek();
// The claims table with its indexes (and on the server its key counter and notification),
// added to a register of version 5.
QStringList reklamacioFelvesz(Adatbazis::Motor m);
// The change history (version 8): its table with its indexes, and on the server the
// triggers that fill it (SQLite's are the connection's own, see Naplo).
extern const char *const NAPLO;   // "naplo"
QStringList naploFelvesz(Adatbazis::Motor m);
// The letters by period text and date (the warranties ending in a period), on both engines;
// a register without it gets it when it opens.
extern const char *const GARANCIA_INDEX;
QString garanciaIndex();
// The server's row identity of a table: the key of an autoincrement table, otherwise a
// column "rowid" of its own (SQLite's rowid everywhere on SQLite).
QString sorAzonosito(const TablaLeiras &t, Adatbazis::Motor m);
QStringList keresoIndex();                      // the search index: tables, triggers, indexes
QStringList keresoFeltolt();                    // refills the search index from the register
QStringList keresoFrissit();                    // brings a whole search index of version 3 up to date
QStringList keresoUjraepit();                   // drops what is left of any search index, builds it filled
// names of the tables, indexes and triggers of the search index of that version (3 or later),
// to find a missing one
QStringList keresoObjektumok(int verzio = Sema::verzio());
// the local search indexes whose columns changed since they were made (meglevok: name and
// CREATE statement of what the database holds), dropped and made anew
QStringList keresoIndexCsere(const QHash<QString, QString> &meglevok);
QString nagybetusTabla(const QString &tabla);   // upper-cased searched texts of a table
QString keresoTabla(const QString &tabla);      // trigram table over those
}
