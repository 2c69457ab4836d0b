#include "Epseg.h"
#include "StoreHiba.h"

#include <QDir>
#include <QFile>
#include <QStringList>
#include <cstring>
#include <sqlite3.h>

namespace {

bool serulesKod(int rc)
{
    const int k = rc & 0xff;
    return k == SQLITE_CORRUPT || k == SQLITE_NOTADB || rc == SQLITE_IOERR_SHORT_READ;
}

quint32 szam(const unsigned char *b) { return quint32(b[0]) << 24 | quint32(b[1]) << 16 | quint32(b[2]) << 8 | b[3]; }

} // namespace

QString Epseg::fejlec(sqlite3 *h)
{
    sqlite3_file *f = nullptr;
    if (sqlite3_file_control(h, "main", SQLITE_FCNTL_FILE_POINTER, &f) != SQLITE_OK || !f || !f->pMethods)
        return {};
    sqlite3_int64 meret = 0;
    if (f->pMethods->xFileSize(f, &meret) != SQLITE_OK)
        return {};
    if (meret == 0)
        return "A fájl üres (0 bájt).";
    unsigned char b[100];
    const int rc = f->pMethods->xRead(f, b, sizeof b, 0);
    if (rc == SQLITE_IOERR_SHORT_READ)
        return QString("A fájl csonka: %1 bájt.").arg(meret);
    // a file that is no database at all is told so by the caller's first read
    if (rc != SQLITE_OK || std::memcmp(b, "SQLite format 3", 16) != 0)
        return {};
    const quint32 lap = (b[16] << 8 | b[17]) == 1 ? 65536u : quint32(b[16] << 8 | b[17]);
    if (lap < 512 || lap > 65536 || (lap & (lap - 1)) != 0)
        return "Hibás lapméret a fájl fejlécében.";
    // in WAL mode a checkpoint may be writing the file under a reader: its size proves nothing
    const bool wal = b[18] == 2 || b[19] == 2;
    // the page count of the header counts when written by a program that keeps it
    const bool fejlecSzamol = szam(b + 92) == szam(b + 24) && szam(b + 28) != 0;
    const qint64 lapok = fejlecSzamol ? qint64(szam(b + 28)) : meret / lap;
    if (!wal && fejlecSzamol && meret < lapok * lap)
        return QString("A fájl rövidebb, mint a fejléce szerint: %1 bájt %2 helyett.").arg(meret).arg(lapok * lap);
    if (!wal && meret % lap != 0)
        return QString("A fájl mérete (%1 bájt) nem a lapméret többszöröse.").arg(meret);
    if (szam(b + 32) > lapok || szam(b + 36) > lapok)
        return "Hibás a szabad lapok listája a fájl fejlécében.";
    return {};
}

QString Epseg::gyorsEllenorzes(sqlite3 *h)
{
    sqlite3_stmt *st = nullptr;
    int rc = sqlite3_prepare_v2(h, "PRAGMA quick_check(20)", -1, &st, nullptr);
    QStringList hibak;
    if (rc == SQLITE_OK)
        while ((rc = sqlite3_step(st)) == SQLITE_ROW)
            hibak << QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(st, 0)));
    const QString uzenet = QString::fromUtf8(sqlite3_errmsg(h));
    sqlite3_finalize(st);
    if (rc != SQLITE_DONE) {
        if (serulesKod(rc))
            return uzenet;
        throw StoreHiba(QString("Az adatbázis ellenőrzése nem sikerült: %1").arg(uzenet));
    }
    if (hibak == QStringList("ok"))
        return {};
    // a long list says no more than its first lines
    return hibak.mid(0, 5).join("\r\n");
}

QString Epseg::fajlEllenoriz(const QString &fajl)
{
    struct Kapcsolat {
        sqlite3 *h = nullptr;
        ~Kapcsolat() { sqlite3_close(h); }
    } k;
    const QByteArray f = QFile::encodeName(fajl);
    if (sqlite3_open_v2(f.constData(), &k.h, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK)
        throw StoreHiba(QString("Az adatbázis nem nyitható meg: %1\r\n%2").arg(fajl, sqlite3_errmsg(k.h)));
    sqlite3_busy_timeout(k.h, 30000);
    // every page is read once: mapped, they need no read call each (a speed-up only, so its
    // answer does not matter)
    sqlite3_exec(k.h, "PRAGMA mmap_size = 2147418112", nullptr, nullptr, nullptr);
    const int rc = sqlite3_exec(k.h, "BEGIN; SELECT count(*) FROM sqlite_master;", nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK) {
        if (serulesKod(sqlite3_extended_errcode(k.h)))
            return QString::fromUtf8(sqlite3_errmsg(k.h));
        throw StoreHiba(QString("Az adatbázis nem olvasható: %1\r\n%2").arg(fajl, sqlite3_errmsg(k.h)));
    }
    QString ok = fejlec(k.h);
    if (ok.isEmpty())
        ok = gyorsEllenorzes(k.h);
    sqlite3_exec(k.h, "COMMIT", nullptr, nullptr, nullptr);
    return ok;
}

void Epseg::nyitaskor(sqlite3 *h, const QString &fajl)
{
    // the shared lock keeps other programs' commits out while the header is read; the schema
    // version is on the first page, so a damaged schema is told by the checks below
    if (sqlite3_exec(h, "BEGIN; PRAGMA schema_version;", nullptr, nullptr, nullptr) != SQLITE_OK) {
        const QString u = QString::fromUtf8(sqlite3_errmsg(h));
        sqlite3_exec(h, "ROLLBACK", nullptr, nullptr, nullptr);
        throw StoreHiba(u);
    }
    QString ok;
    try {
        ok = fejlec(h);
        sqlite3_int64 meret = 0;
        sqlite3_file *f = nullptr;
        if (ok.isEmpty() && sqlite3_file_control(h, "main", SQLITE_FCNTL_FILE_POINTER, &f) == SQLITE_OK && f
            && f->pMethods && f->pMethods->xFileSize(f, &meret) == SQLITE_OK && meret <= NYITASKOR_TELJES)
            ok = gyorsEllenorzes(h);
    } catch (const StoreHiba &) {
        sqlite3_exec(h, "ROLLBACK", nullptr, nullptr, nullptr);
        throw;
    }
    sqlite3_exec(h, "COMMIT", nullptr, nullptr, nullptr);
    if (!ok.isEmpty())
        throw StoreHiba(uzenet(fajl, ok));
}

QString Epseg::uzenet(const QString &fajl, const QString &ok)
{
    return QString("Az adatbázis fájlja sérült: %1\r\n%2\r\nÁllítsa vissza a legutóbbi jó archívumból.")
        .arg(QDir::toNativeSeparators(fajl), ok);
}
