#pragma once

#include "StoreHiba.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <functional>

// Brings a register kept by the earlier program (a folder of Paradox tables, text in code
// page 1250) into a new database of ours in the same folder. Keys are kept as they were, so
// letters, notes and documents still point at their brand, part, customer and letter.
namespace ParadoxImport {

struct TablaEredmeny {
    QString tabla;              // our table
    QString fajl;               // the Paradox file read; empty when the folder had none
    int sorok = 0;              // rows brought over
    bool alapSorok = false;     // no file: the new database's default rows were kept
    QStringList kimaradtMezok;  // fields of the old table we have no place for
    QStringList hianyzoMezok;   // fields of ours the old table lacks (left empty)
    int rovidites = 0;          // texts cut to the size of our field
};

struct Eredmeny {
    QList<TablaEredmeny> tablak;
    int osszesSor() const;
    // One line per table (with what was left out), for the window and the command line.
    QStringList sorok() const;
};

// Progress: the table being read (empty while the indexes are built at the end), rows done
// and rows in all tables. Called often enough to keep a window alive, also inside long
// statements. Returning false cancels.
using Folyamat = std::function<bool(const QString &tabla, qint64 kesz, qint64 osszes)>;

// The import stopped because the progress callback asked so; the folder is as it was.
class Megszakitva : public StoreHiba {
public:
    using StoreHiba::StoreHiba;
};

// The entry of a table in the folder, its name's letter case ignored ("DOKSI.DB" too);
// empty when there is none. It may be something other than a file (reading it says so).
QString tablaFajl(const QString &mappa, const QString &tabla);
// The folder holds the old letter table and no database of ours: the import is worth offering.
bool vanRegiAdatbazis(const QString &mappa);

// Reads every table into a new database of the folder inside one transaction. Every table's
// header and block chain is checked before anything is written. The database file appears
// only when everything arrived and is on disk; on any failure or cancel the folder stays as
// it was and a StoreHiba names the file at fault. A folder that already has our database is
// refused. Folders left in it by an earlier import that was killed are removed first.
// Closes the database that is open now; the new one is left closed.
Eredmeny importal(const QString &mappa, const Folyamat &folyamat = {});

} // namespace ParadoxImport
