#pragma once

#include "StoreHiba.h"

#include <QDate>
#include <QString>
#include <QStringList>
#include <functional>

// Packs a folder into a ZIP archive without any window, so that the menu and the command
// line write the same archive.

// Told the bytes done so far out of all (packing and checking); returns false to stop.
using ArchivFigyelo = std::function<bool(qint64 kesz, qint64 osszes)>;

struct ArchivOsszegzes {
    int fajlok = 0;              // entries packed, the description not counted
    qint64 bajtok = 0;
    int dokumentumok = 0;        // copies of attached documents packed
    int dokumentumSorok = 0;     // megj rows whose document is among them
    QStringList hianyzoDokumentumok;   // texts of the rows whose file could not be read
    QStringList nemOlvashato;    // the program's own files left out (dorvido.ini unreadable)
    bool dokumentumokKihagyva = false;   // the settings left the documents out
};

// What the user is told beside "Archív állomány kész.": the documents not found ("3 csatolt
// fájl nem található: ..."), a few named, the rest counted. Empty when there is nothing.
QString ArchivFigyelmeztetes(const ArchivOsszegzes &o);

// Thrown when the observer asked to stop; nothing was written.
class ArchivMegszakitva : public StoreHiba {
public:
    ArchivMegszakitva();
};

// "yyyymmdd.zip"
QString ArchivNev(const QDate &nap = QDate::currentDate());

// Creates the archive folder when it is missing (one level only); throws StoreHiba with the
// system's message when it cannot.
void ArchivMappaLetrehoz(const QString &mappa);

// Every file of the folder and its subfolders under its relative path, deflate level 1,
// no Zip64, the target itself left out; a target that is one of the register's own files
// (however spelled or linked) is refused. The database file is packed from a snapshot taken
// through SQLite's online backup, so that the archive holds each committed transaction
// wholly or not at all while other programs go on writing; its journal files are left out.
// The files are deflated in pieces on every core and the pieces checked the same way.
// Everything is written in a locked hidden work folder beside the target (".NAME.archiv-XXXXXX"),
// read back and compared with what was packed, flushed to disk and only then renamed over the
// target: a failure leaves an earlier archive of that name untouched and no partial file
// behind. Work folders of earlier runs that nobody holds any more are removed from the target's
// and the database's folder, and work folders are never packed. With the connection string of
// a server register, its dump (PgMentes) is packed beside the folder's files. Under
// ARCHIV_SAJAT_MAPPA go dorvido.ini of the program folder and, unless Beall.ArchivDokumentumok
// is off, a copy of every attached document that is a readable file (ArchivLeiras.h); those
// that cannot be read are told in the result, and the archive is made without them. An archive
// past the classic ZIP limits is refused before it is packed (entries) or as soon as the packed
// bytes pass 4 GB, in the work folder. Throws StoreHiba with a readable message.
ArchivOsszegzes ArchivIr(const QString &mappa, const QString &cel, const ArchivFigyelo &figyelo = {},
                         const QString &kapcsolat = {});
