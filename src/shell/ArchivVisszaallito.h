#pragma once

#include "ArchivEllenor.h"
#include "ArchivIro.h"

#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

// Brings an archive back into the database folder, without any window, so that the menu and
// the command line restore the same way. The archive is checked first (ArchivEllenoriz); the
// register open now is archived into the archive folder ("elotte-yyyymmdd-hhmmss.zip") before
// anything changes; the files are unpacked into a hidden folder beside the database folder,
// synced and only then moved into place, the database file last (RegiszterZar). A server
// register gets its dump back into the configured database in one transaction.

struct VisszaallitasEredmeny {
    QString elotte;           // the archive of the register before the restore; empty when there was none
    int fajlok = 0;           // files put into the database folder
    int dokVissza = 0;        // documents written back to their own path
    int dokHelyen = 0;        // documents already there with the same bytes
    int dokMappaba = 0;       // documents put under the database folder, their rows pointed there
    QString dokMappa;
    QStringList dokHiba;      // documents that could not be restored, with the reason
    bool dorvidoVan = false;  // the archive holds dorvido.ini
    bool dorvidoIrva = false;

    // The final message, in lines for a person.
    QString szoveg() const;
};

// Rows of every table of the register in the folder (or on the server when the store is open
// on it); empty when the folder holds none.
QList<QPair<QString, qint64>> JelenlegiSorok(const QString &mappa);

// The check of an archive for a restore: ArchivEllenoriz, and the register it holds must fit
// the engine the register is kept on. Empty when it may be restored, else the reason.
QString VisszaallitasAkadaly(const ArchivVizsgalat &v, bool szerverre);

// The folder of relocated documents, under the database folder.
extern const char *const VISSZAALLITOTT_DOKUMENTUMOK;

// Restores zip into the database folder mappa (the register on the server of kapcsolat when
// it is given); the safety archive goes into mentesMappa. dorvido restores the period list
// into the program folder as well. The caller has closed its own store. Throws StoreHiba with
// the reason; until the moment the files are moved nothing in the folder has changed.
VisszaallitasEredmeny ArchivVisszaallit(const QString &zip, const QString &mappa, const QString &kapcsolat,
                                        const QString &mentesMappa, bool dorvido, const ArchivFigyelo &figyelo = {});
