#pragma once

#include <QString>
#include <QStringList>

// What becomes of the archives once a new one is made and checked: a checked copy of it in a
// second folder, and only the newest dated archives kept.
struct ArchivMegorzesEredmeny {
    QString masolat;          // the copy in the second folder, empty when none was made
    QString masolatHiba;      // why the second folder did not get it (empty: no error)
    QStringList toroltek;     // older archives removed
    QStringList torlesHibak;  // removals that failed, with the reason

    // The lines the user is told after "Archív állomány kész.".
    QString szoveg() const;
};

// The archive names kept by the count: "yyyymmdd.zip" of a real day.
bool DatumosArchivNev(const QString &fajlnev);

// After the archive `archiv` was made and checked:
// - masodikMappa (when not empty) gets a copy of it under the same name, written beside the
//   target, synced, read back from the disk and compared with the archive, and only then
//   renamed into place; a folder that is missing is not made (a drive not plugged in must not
//   become a folder of the root disk), a full or read-only one is told; either leaves the
//   archive itself as it is.
// - megtart > 0: of the program's own dated archives ("yyyymmdd.zip" carrying the program's
//   mark) in the archive's folder, when that is archivMappa, the newest megtart are kept (the
//   new one among them) and the older removed; the same in the second folder once its copy is
//   there. Other files are never touched.
// Never throws.
ArchivMegorzesEredmeny ArchivMegoriz(const QString &archiv, const QString &archivMappa, int megtart,
                                     const QString &masodikMappa);
