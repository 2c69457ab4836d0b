#include "ArchivPillanatkep.h"

namespace ArchivBelso {

void pillanatkep(const QString &forras, const QString &cel, qint64 meret, Allapot &a)
{
    struct Kapcsolat {
        sqlite3 *h = nullptr;
        ~Kapcsolat() { sqlite3_close(h); }
    } be, ki;
    auto hiba = [](const QString &mit, const QString &ut, const QString &sqlite) {
        return StoreHiba(QString("%1: %2\r\n%3").arg(mit, ut, sqlite));
    };
    const QByteArray f = QFile::encodeName(forras);
    if (sqlite3_open_v2(f.constData(), &be.h, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK)
        throw hiba("Az adatbázis nem nyitható meg", forras, sqlite3_errmsg(be.h));
    sqlite3_busy_timeout(be.h, 30000);
    if (sqlite3_exec(be.h, "BEGIN; SELECT count(*) FROM sqlite_master;", nullptr, nullptr, nullptr) != SQLITE_OK)
        throw hiba("Az adatbázis nem olvasható", forras, sqlite3_errmsg(be.h));
    if (const QString ok = Epseg::fejlec(be.h); !ok.isEmpty())
        throw StoreHiba(Epseg::uzenet(forras, ok));
    // a copy only for packing: no journal, no sync; a failed write still fails the step
    const QByteArray c = QFile::encodeName(cel);
    if (sqlite3_open_v2(c.constData(), &ki.h, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) != SQLITE_OK
        || sqlite3_exec(ki.h, "PRAGMA journal_mode = OFF; PRAGMA synchronous = OFF;", nullptr, nullptr, nullptr) != SQLITE_OK)
        throw hiba("Az adatbázis másolata nem hozható létre", cel, sqlite3_errmsg(ki.h));
    sqlite3_backup *b = sqlite3_backup_init(ki.h, "main", be.h, "main");
    if (!b)
        throw hiba("Az adatbázis másolata nem hozható létre", cel, sqlite3_errmsg(ki.h));
    const qint64 kezdet = a.kesz;
    int rc;
    do {
        rc = sqlite3_backup_step(b, 256);
        const int lapok = sqlite3_backup_pagecount(b);
        a.kesz = kezdet + (lapok > 0 ? meret * (lapok - sqlite3_backup_remaining(b)) / lapok : 0);
        if (rc == SQLITE_OK && !a.jelez()) {
            sqlite3_backup_finish(b);
            throw ArchivMegszakitva();
        }
    } while (rc == SQLITE_OK);
    const int vege = sqlite3_backup_finish(b);
    if (rc != SQLITE_DONE || vege != SQLITE_OK)
        throw hiba("Az adatbázis másolata nem írható", cel, sqlite3_errstr(rc != SQLITE_DONE ? rc : vege));
    const int zaras = sqlite3_close(ki.h);
    ki.h = nullptr;
    if (zaras != SQLITE_OK)
        throw hiba("Az adatbázis másolata nem írható", cel, sqlite3_errstr(zaras));
}

} // namespace ArchivBelso
