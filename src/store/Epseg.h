#pragma once

#include <QString>

struct sqlite3;

// Whether the register's SQLite file is sound. The header is looked at on every open (the
// size it names against the file's, the free list); the full PRAGMA quick_check reads every
// page, so an open runs it only on a small file, and an archive on its copy before the archive
// is called good.
namespace Epseg {
// Files up to this size get the full check at open too: about 2-3 ms a MiB measured here
// (a register of 200,000 letters, 97 MB, took 200-300 ms), so a large one is checked in full
// only by the archive.
constexpr long long NYITASKOR_TELJES = 4LL << 20;

// The header of the main file of h against its size, read through SQLite's own handle; call
// inside a read transaction, so that no commit is half written. Empty when sound, else the reason.
QString fejlec(sqlite3 *h);
// PRAGMA quick_check: empty when sound, else the first faults it names. Throws StoreHiba when
// the check itself cannot run (not for damage).
QString gyorsEllenorzes(sqlite3 *h);
// Both, on the file at its path, through a read-only connection of its own (any thread).
QString fajlEllenoriz(const QString &fajl);
// The open check of the store's connection: the header, and on a small file every page.
// Throws StoreHiba naming the file as damaged.
void nyitaskor(sqlite3 *h, const QString &fajl);
// "Az adatbázis fájlja sérült: FILE" with the reason and what to do.
QString uzenet(const QString &fajl, const QString &ok);
}
