#pragma once

// What the units that make an archive share: the entries being packed, the progress told to
// the caller, and the classic ZIP limits. Not for use outside the archive's own code.

#include "StoreHiba.h"
#include "ArchivIro.h"

#include <QList>
#include <QString>

#include <cstring>
#include <sys/stat.h>
#include <sys/types.h>

namespace ArchivBelso {

// Classic ZIP limits: the archive is written without 64-bit extensions.
constexpr qint64 ZIP_MAX_MERET = 0xFFFFFFFFLL;
constexpr int ZIP_MAX_BEJEGYZES = 0xFFFF;
constexpr qint64 JELZES_LEPES = 4 << 20;
// What an entry costs beside its name and data: local header, data descriptor and its
// central directory record, rounded up.
constexpr qint64 ZIP_FEJLEC = 128;

// The comment every archive of the program carries, so that a later archive of a folder that
// holds one (saved there, or moved in) knows it for a backup and leaves it out.
constexpr char ARCHIV_JEL[] = "DorvPrg archiv";

inline QString rendszerHiba(int e) { return QString::fromLocal8Bit(std::strerror(e)); }

struct Bejegyzes {
    QString ut;          // absolute path
    QString nev;         // path inside the archive
    qint64 meret = 0;
    time_t mtime = 0;
    mode_t mod = 0;
    quint32 crc = 0;     // of the bytes actually packed
    qint64 olvasott = 0;
    qint64 tomoritett = 0;
};

struct Allapot {
    ArchivFigyelo figyelo;
    qint64 kesz = 0;
    qint64 osszes = 0;
    qint64 jelzett = -JELZES_LEPES;
    bool megszakitva = false;
    QString hiba;        // first file error, named; libzip's own text does not say which file
    qint64 zipMeret = 0; // the archive's size so far as libzip will write it: headers and pieces handed over

    bool jelez(bool mindenkepp = false)
    {
        if (!figyelo || megszakitva)
            return !megszakitva;
        if (!mindenkepp && kesz - jelzett < JELZES_LEPES)
            return true;
        jelzett = kesz;
        if (!figyelo(kesz, osszes))
            megszakitva = true;
        return !megszakitva;
    }
};

// A regular file under its name in the archive; throws StoreHiba naming it when it cannot be
// packed (unreadable, not a regular file, past the 4 GB limit).
Bejegyzes bejegyzes(const QString &ut, const QString &nev);

// The written archive's file and folder reaching the disk.
void kiirasIndit(const QString &ut);
void lemezre(const QString &ut, mode_t jog);
void mappaLemezre(const QString &ut);
// Whether the file is an archive this program wrote.
bool sajatArchiv(const QString &ut);

} // namespace ArchivBelso
