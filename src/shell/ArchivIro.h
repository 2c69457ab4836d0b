#pragma once

#include "StoreHiba.h"

#include <QDate>
#include <QString>
#include <functional>

// Packs a folder into a ZIP archive without any window, so that the menu and the command
// line write the same archive.

// Told the bytes done so far out of all (packing and checking); returns false to stop.
using ArchivFigyelo = std::function<bool(qint64 kesz, qint64 osszes)>;

struct ArchivOsszegzes {
    int fajlok = 0;
    qint64 bajtok = 0;
};

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
// no Zip64, the target itself left out. The archive is written beside the target under a
// temporary name, read back and compared with what was packed, flushed to disk and only then
// renamed over the target: a failure leaves an earlier archive of that name untouched and no
// partial file behind. Throws StoreHiba with a readable message.
ArchivOsszegzes ArchivIr(const QString &mappa, const QString &cel, const ArchivFigyelo &figyelo = {});
