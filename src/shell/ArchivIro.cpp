#include "ArchivIro.h"
#include "Adatbazis.h"
#include "RegiszterFajl.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QList>
#include <QRegularExpression>

#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sqlite3.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zip.h>
#include <zlib.h>

namespace {

// Classic ZIP limits: the archive is written without 64-bit extensions.
constexpr qint64 ZIP_MAX_MERET = 0xFFFFFFFFLL;
constexpr int ZIP_MAX_BEJEGYZES = 0xFFFF;
constexpr qint64 JELZES_LEPES = 4 << 20;

QString rendszerHiba(int e) { return QString::fromLocal8Bit(std::strerror(e)); }

struct Bejegyzes {
    QString ut;          // absolute path
    QString nev;         // path inside the archive
    qint64 meret = 0;
    time_t mtime = 0;
    mode_t mod = 0;
    quint32 crc = 0;     // of the bytes actually packed
    qint64 olvasott = 0;
};

struct Allapot {
    ArchivFigyelo figyelo;
    qint64 kesz = 0;
    qint64 osszes = 0;
    qint64 jelzett = -JELZES_LEPES;
    bool megszakitva = false;
    QString hiba;        // first file error, named; libzip's own text does not say which file

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

// A source that reads one file and keeps its CRC, so that the archive can be compared with
// exactly the bytes that went into it.
struct Forras {
    Bejegyzes *b;
    Allapot *a;
    int fd = -1;
    zip_error_t hiba;
};

zip_int64_t forrasHiba(Forras *f, int ze, int se, const QString &szoveg)
{
    zip_error_set(&f->hiba, ze, se);
    if (f->a->hiba.isEmpty() && !szoveg.isEmpty())
        f->a->hiba = szoveg;
    return -1;
}

zip_int64_t forrasFuggveny(void *ud, void *data, zip_uint64_t len, zip_source_cmd_t cmd)
{
    auto *f = static_cast<Forras *>(ud);
    Bejegyzes &b = *f->b;
    switch (cmd) {
    case ZIP_SOURCE_OPEN: {
        // O_NONBLOCK: a FIFO in the folder must not hang the program
        f->fd = ::open(QFile::encodeName(b.ut).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        if (f->fd < 0) {
            const int e = errno;
            return forrasHiba(f, ZIP_ER_OPEN, e, QString("A fájl nem olvasható: %1\r\n%2").arg(b.nev, rendszerHiba(e)));
        }
        struct stat st;
        if (::fstat(f->fd, &st) != 0 || !S_ISREG(st.st_mode)) {
            ::close(f->fd);
            f->fd = -1;
            return forrasHiba(f, ZIP_ER_OPEN, 0, QString("A fájl nem olvasható: %1\r\nNem közönséges fájl.").arg(b.nev));
        }
        b.crc = quint32(crc32(0, nullptr, 0));
        b.olvasott = 0;
        return 0;
    }
    case ZIP_SOURCE_READ: {
        if (!f->a->jelez())
            return forrasHiba(f, ZIP_ER_CANCELLED, 0, {});
        ssize_t n;
        do
            n = ::read(f->fd, data, len);
        while (n < 0 && errno == EINTR);
        if (n < 0) {
            const int e = errno;
            return forrasHiba(f, ZIP_ER_READ, e, QString("A fájl nem olvasható: %1\r\n%2").arg(b.nev, rendszerHiba(e)));
        }
        b.crc = quint32(crc32(b.crc, static_cast<const Bytef *>(data), uInt(n)));
        b.olvasott += n;
        f->a->kesz += n;
        return n;
    }
    case ZIP_SOURCE_CLOSE:
        if (f->fd >= 0)
            ::close(f->fd);
        f->fd = -1;
        return 0;
    case ZIP_SOURCE_STAT: {
        auto *st = static_cast<zip_stat_t *>(data);
        zip_stat_init(st);
        st->valid = ZIP_STAT_SIZE | ZIP_STAT_MTIME;
        st->size = zip_uint64_t(b.meret);
        st->mtime = b.mtime;
        return sizeof(zip_stat_t);
    }
    case ZIP_SOURCE_ERROR:
        return zip_error_to_data(&f->hiba, data, len);
    case ZIP_SOURCE_FREE:
        if (f->fd >= 0)
            ::close(f->fd);
        zip_error_fini(&f->hiba);
        delete f;
        return 0;
    case ZIP_SOURCE_SUPPORTS:
        return zip_source_make_command_bitmap(ZIP_SOURCE_OPEN, ZIP_SOURCE_READ, ZIP_SOURCE_CLOSE, ZIP_SOURCE_STAT,
                                              ZIP_SOURCE_ERROR, ZIP_SOURCE_FREE, -1);
    default:
        zip_error_set(&f->hiba, ZIP_ER_OPNOTSUPP, 0);
        return -1;
    }
}

// ".<archive name>.archiv-XXXXXX": the work folder of one archive, beside its target
const QRegularExpression &munkaNev()
{
    static const QRegularExpression r("^\\..+\\.archiv-[A-Za-z0-9]{6}$");
    return r;
}

// What the packing leaves out: the archive itself, the work folders of archives (this one's
// and others' running or left over), and, when the database is packed from its snapshot,
// the live database's journal files, which belong to the live file only.
struct Kihagyas {
    QString cel;         // canonical path of the target
    bool pillanatkep = false;

    bool kihagy(const QString &ut, const QString &nev) const
    {
        const QStringList reszek = nev.split('/');
        for (int i = 0; i + 1 < reszek.size(); ++i)
            if (munkaNev().match(reszek[i]).hasMatch())
                return true;
        if (pillanatkep) {
            const QString db = Adatbazis::FAJLNEV;
            if (nev == db + "-journal" || nev == db + "-wal" || nev == db + "-shm")
                return true;
        }
        return QFileInfo(ut).canonicalFilePath() == cel;
    }
};

Bejegyzes bejegyzes(const QString &ut, const QString &nev)
{
    Bejegyzes b;
    b.ut = ut;
    b.nev = nev;
    struct stat st;
    if (::stat(QFile::encodeName(ut).constData(), &st) != 0)
        throw StoreHiba(QString("A fájl nem olvasható: %1\r\n%2").arg(nev, rendszerHiba(errno)));
    if (!S_ISREG(st.st_mode))
        throw StoreHiba(QString("A fájl nem olvasható: %1\r\nNem közönséges fájl.").arg(nev));
    if (st.st_size >= ZIP_MAX_MERET)
        throw StoreHiba(QString("A fájl nagyobb, mint amit a ZIP archívum 4 GB-os korlátja enged: %1").arg(nev));
    b.meret = st.st_size;
    b.mtime = st.st_mtime;
    b.mod = st.st_mode;
    return b;
}

QList<Bejegyzes> fajlokListaja(const QString &mappa, const Kihagyas &kihagyas)
{
    QList<Bejegyzes> l;
    QDirIterator it(mappa, QDir::Files | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    const QDir alap(mappa);
    while (it.hasNext()) {
        const QString ut = it.next();
        const QString nev = alap.relativeFilePath(ut);
        if (!kihagyas.kihagy(ut, nev))
            l << bejegyzes(ut, nev);
    }
    if (l.isEmpty())
        throw StoreHiba(QString("Az adatbázis mappában nincs archiválható fájl: %1").arg(mappa));
    if (l.size() > ZIP_MAX_BEJEGYZES)
        throw StoreHiba(QString("Túl sok fájl (%1): a ZIP archívum legfeljebb %2 fájlt tarthat.")
                            .arg(l.size()).arg(ZIP_MAX_BEJEGYZES));
    std::sort(l.begin(), l.end(), [](const Bejegyzes &x, const Bejegyzes &y) { return x.nev < y.nev; });
    return l;
}

// Removes the regular files of a work folder (it holds nothing else of ours).
void tartalomTorol(int mappaFd)
{
    const int fd = ::dup(mappaFd);
    DIR *d = fd >= 0 ? ::fdopendir(fd) : nullptr;
    if (!d) {
        if (fd >= 0)
            ::close(fd);
        return;
    }
    ::rewinddir(d);
    while (const dirent *e = ::readdir(d)) {
        struct stat st;
        if (::fstatat(mappaFd, e->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(st.st_mode))
            ::unlinkat(mappaFd, e->d_name, 0);
    }
    ::closedir(d);
}

bool ugyanazMappa(int fd, const QByteArray &ut)
{
    struct stat a, b;
    return ::fstat(fd, &a) == 0 && ::lstat(ut.constData(), &b) == 0 && a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// Work folders that archives of earlier runs left behind (killed, power cut). A folder
// whose lock is held belongs to an archive being written now and stays.
void maradekTorol(const QString &mappa)
{
    const QDir d(mappa);
    for (const QString &n : d.entryList(QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot | QDir::NoSymLinks)) {
        if (!munkaNev().match(n).hasMatch())
            continue;
        const QByteArray ut = QFile::encodeName(d.filePath(n));
        const int fd = ::open(ut.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (fd < 0)
            continue;
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0 && ugyanazMappa(fd, ut)) {
            tartalomTorol(fd);
            ::rmdir(ut.constData());
        }
        ::close(fd);
    }
}

// A hidden folder of this archive beside its target, locked for as long as the archive is
// made: the snapshot of the database and libzip's work file are written there, and whatever
// a failure or a kill leaves there is known for ours and removed by the next archive.
class MunkaMappa {
public:
    MunkaMappa(const QString &celMappa, const QString &celNev)
    {
        for (int proba = 0; proba < 5; ++proba) {
            QByteArray minta = QFile::encodeName(QDir(celMappa).filePath("." + celNev + ".archiv-XXXXXX"));
            if (!::mkdtemp(minta.data()))
                throw StoreHiba(QString("Az archív állomány nem hozható létre: %1\r\n%2")
                                    .arg(QDir(celMappa).filePath(celNev), rendszerHiba(errno)));
            const int fd = ::open(minta.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
            const bool zarva = fd >= 0 && ::flock(fd, LOCK_EX | LOCK_NB) == 0;
            // a file system without locks: the folder is still ours, the next archive leaves it alone
            const bool zarNelkul = fd >= 0 && !zarva && errno != EWOULDBLOCK;
            // another archive's clean-up may have taken it between its making and the lock
            if ((zarva || zarNelkul) && ugyanazMappa(fd, minta)) {
                m_fd = fd;
                m_ut = minta;
                return;
            }
            if (fd >= 0)
                ::close(fd);
        }
        throw StoreHiba(QString("Az archív állomány munkamappája nem hozható létre: %1").arg(celMappa));
    }
    ~MunkaMappa()
    {
        tartalomTorol(m_fd);
        ::rmdir(m_ut.constData());
        ::close(m_fd);
    }
    QString fajl(const char *nev) const { return QFile::decodeName(m_ut + '/' + nev); }
    MunkaMappa(const MunkaMappa &) = delete;
    MunkaMappa &operator=(const MunkaMappa &) = delete;

private:
    QByteArray m_ut;
    int m_fd = -1;
};

// Copies the database through SQLite's online backup inside one read transaction: the copy
// holds every committed transaction wholly or not at all, however long the packing takes
// and whatever another program commits meanwhile.
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

void iras(const QString &ideiglenes, const QString &cel, QList<Bejegyzes> &fajlok, Allapot &a)
{
    int hibakod = 0;
    zip_t *za = zip_open(QFile::encodeName(ideiglenes).constData(), ZIP_CREATE | ZIP_TRUNCATE, &hibakod);
    if (!za) {
        zip_error_t e;
        zip_error_init_with_code(&e, hibakod);
        const QString s = QString::fromLocal8Bit(zip_error_strerror(&e));
        zip_error_fini(&e);
        throw StoreHiba(QString("Az archív állomány nem hozható létre: %1\r\n%2").arg(cel, s));
    }
    auto elvet = [&](const QString &szoveg) {
        const QString s = QString::fromLocal8Bit(zip_strerror(za));
        zip_discard(za);
        throw StoreHiba(szoveg.isEmpty() ? QString("Az archív állomány nem írható: %1\r\n%2").arg(cel, s) : szoveg);
    };
    for (Bejegyzes &b : fajlok) {
        auto *f = new Forras{&b, &a, -1, {}};
        zip_error_init(&f->hiba);
        zip_source_t *src = zip_source_function(za, forrasFuggveny, f);
        if (!src) {
            zip_error_fini(&f->hiba);
            delete f;
            elvet({});
        }
        const zip_int64_t i = zip_file_add(za, b.nev.toUtf8().constData(), src, ZIP_FL_ENC_UTF_8 | ZIP_FL_OVERWRITE);
        if (i < 0) {
            zip_source_free(src);
            elvet({});
        }
        if (zip_set_file_compression(za, zip_uint64_t(i), ZIP_CM_DEFLATE, 1) != 0
            || zip_file_set_external_attributes(za, zip_uint64_t(i), 0, ZIP_OPSYS_UNIX,
                                                zip_uint32_t(b.mod & 0177777) << 16) != 0)
            elvet({});
    }
    if (zip_close(za) != 0) {
        if (a.megszakitva) {
            zip_discard(za);
            throw ArchivMegszakitva();
        }
        elvet(a.hiba);
    }
}

// Reads the written archive back: every entry in order, its name, size and CRC against the
// bytes packed, and its data unpacked again.
void ellenorzes(const QString &ideiglenes, const QString &cel, const QList<Bejegyzes> &fajlok, Allapot &a)
{
    auto hiba = [&](const QString &s) {
        throw StoreHiba(QString("Az elkészült archívum ellenőrzése nem sikerült: %1\r\n%2").arg(cel, s));
    };
    int hibakod = 0;
    zip_t *za = zip_open(QFile::encodeName(ideiglenes).constData(), ZIP_RDONLY | ZIP_CHECKCONS, &hibakod);
    if (!za) {
        zip_error_t e;
        zip_error_init_with_code(&e, hibakod);
        const QString s = QString::fromLocal8Bit(zip_error_strerror(&e));
        zip_error_fini(&e);
        hiba(s);
    }
    struct Zaro {
        zip_t *za;
        ~Zaro() { zip_discard(za); }
    } zaro{za};
    if (zip_get_num_entries(za, 0) != fajlok.size())
        hiba(QString("%1 bejegyzés helyett %2.").arg(fajlok.size()).arg(zip_get_num_entries(za, 0)));
    QByteArray be(1 << 18, Qt::Uninitialized), ki(1 << 20, Qt::Uninitialized);
    for (int i = 0; i < fajlok.size(); ++i) {
        const Bejegyzes &b = fajlok[i];
        if (b.olvasott != b.meret)
            hiba(QString("A fájl mérete csomagolás közben megváltozott: %1").arg(b.nev));
        zip_stat_t st;
        if (zip_stat_index(za, zip_uint64_t(i), 0, &st) != 0)
            hiba(QString::fromLocal8Bit(zip_strerror(za)));
        if (QString::fromUtf8(st.name) != b.nev || qint64(st.size) != b.meret || st.crc != b.crc)
            hiba(QString("A bejegyzés nem egyezik a fájllal: %1").arg(b.nev));
        // the stored bytes are inflated here rather than through libzip, which would
        // checksum them a second time
        if (st.comp_method != ZIP_CM_DEFLATE && st.comp_method != ZIP_CM_STORE)
            hiba(QString("Váratlan tömörítési mód: %1").arg(b.nev));
        zip_file_t *zf = zip_fopen_index(za, zip_uint64_t(i), ZIP_FL_COMPRESSED);
        if (!zf)
            hiba(QString("%1: %2").arg(b.nev, QString::fromLocal8Bit(zip_strerror(za))));
        z_stream z{};
        const bool tomoritett = st.comp_method == ZIP_CM_DEFLATE;
        if (tomoritett && inflateInit2(&z, -MAX_WBITS) != Z_OK) {
            zip_fclose(zf);
            hiba("zlib");
        }
        uLong crc = crc32(0, nullptr, 0);
        qint64 n = 0;
        zip_int64_t r = 0;
        int zr = Z_OK;
        while (zr != Z_STREAM_END && (r = zip_fread(zf, be.data(), zip_uint64_t(be.size()))) > 0) {
            if (!tomoritett) {
                crc = crc32(crc, reinterpret_cast<const Bytef *>(be.constData()), uInt(r));
                n += r;
                a.kesz += r;
                continue;
            }
            z.next_in = reinterpret_cast<Bytef *>(be.data());
            z.avail_in = uInt(r);
            while (z.avail_in > 0 && zr != Z_STREAM_END) {
                z.next_out = reinterpret_cast<Bytef *>(ki.data());
                z.avail_out = uInt(ki.size());
                zr = inflate(&z, Z_NO_FLUSH);
                if (zr != Z_OK && zr != Z_STREAM_END)
                    break;
                const qint64 k = ki.size() - z.avail_out;
                crc = crc32(crc, reinterpret_cast<const Bytef *>(ki.constData()), uInt(k));
                n += k;
                a.kesz += k;
            }
            if (zr != Z_OK && zr != Z_STREAM_END)
                break;
            if (!a.jelez()) {
                if (tomoritett)
                    inflateEnd(&z);
                zip_fclose(zf);
                throw ArchivMegszakitva();
            }
        }
        const QString fhiba = r < 0 ? QString::fromLocal8Bit(zip_file_strerror(zf)) : QString();
        if (tomoritett)
            inflateEnd(&z);
        zip_fclose(zf);
        if (r < 0)
            hiba(QString("%1: %2").arg(b.nev, fhiba));
        if (tomoritett && zr != Z_STREAM_END)
            hiba(QString("Sérült tömörített adat: %1").arg(b.nev));
        if (n != b.meret || quint32(crc) != b.crc)
            hiba(QString("A bejegyzés tartalma nem egyezik a fájllal: %1").arg(b.nev));
    }
}

// The archive gets the rights of the one it replaces, or those of any new file (libzip's
// work file is private), and reaches the disk before it takes the target's name.
void lemezre(const QString &ut, mode_t jog)
{
    const int fd = ::open(QFile::encodeName(ut).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0 || ::fchmod(fd, jog) != 0 || ::fsync(fd) != 0) {
        const int e = errno;
        if (fd >= 0)
            ::close(fd);
        throw StoreHiba(QString("Az archív állomány nem írható ki a lemezre: %1\r\n%2").arg(ut, rendszerHiba(e)));
    }
    ::close(fd);
}

void mappaLemezre(const QString &ut)
{
    const int fd = ::open(QFile::encodeName(ut).constData(), O_DIRECTORY | O_RDONLY | O_CLOEXEC);
    if (fd < 0 || ::fsync(fd) != 0) {
        const int e = errno;
        if (fd >= 0)
            ::close(fd);
        // some file systems cannot sync a folder
        if (e == EINVAL || e == EBADF)
            return;
        throw StoreHiba(QString("Az archív állomány nem írható ki a lemezre: %1\r\n%2").arg(ut, rendszerHiba(e)));
    }
    ::close(fd);
}

} // namespace

ArchivMegszakitva::ArchivMegszakitva() : StoreHiba("Az archiválás megszakítva.") {}

QString ArchivNev(const QDate &nap) { return nap.toString("yyyyMMdd") + ".zip"; }

void ArchivMappaLetrehoz(const QString &mappa)
{
    if (QFileInfo(mappa).isDir())
        return;
    if (::mkdir(QFile::encodeName(mappa).constData(), 0777) != 0 && errno != EEXIST)
        throw StoreHiba(QString("Az archív mappa nem hozható létre: %1\r\n%2").arg(mappa, rendszerHiba(errno)));
}

ArchivOsszegzes ArchivIr(const QString &mappa, const QString &cel, const ArchivFigyelo &figyelo)
{
    const QFileInfo mi(mappa);
    if (mappa.isEmpty() || !mi.isDir())
        throw StoreHiba(QString("Az adatbázis mappa nem létezik: %1").arg(mappa));
    if (cel.isEmpty() || QFileInfo(cel).fileName().isEmpty())
        throw StoreHiba("Nincs megadva az archív állomány neve.");
    RegiszterFajlVed(cel);
    // a link to an archive is followed: the archive it names is replaced
    const QFileInfo ci(QFileInfo(cel).exists() ? QFileInfo(cel).canonicalFilePath() : QFileInfo(cel).absoluteFilePath());
    const QFileInfo celMappa(ci.absolutePath());
    if (!celMappa.isDir())
        throw StoreHiba(QString("Az archív állomány mappája nem létezik: %1").arg(ci.absolutePath()));
    if (ci.isDir())
        throw StoreHiba(QString("Az archív állomány helyén mappa van: %1").arg(cel));
    struct stat cst;
    const bool vanCel = ::stat(QFile::encodeName(ci.absoluteFilePath()).constData(), &cst) == 0;
    // a device or a pipe would be replaced by the rename, not written
    if (vanCel && !S_ISREG(cst.st_mode))
        throw StoreHiba(QString("Az archív állomány helyén nem közönséges fájl van: %1").arg(cel));
    const mode_t maszk = ::umask(0);
    ::umask(maszk);
    const mode_t jog = vanCel ? (cst.st_mode & 07777) : (0666 & ~maszk);

    const QString forras = mi.canonicalFilePath();
    Kihagyas kihagyas;
    kihagyas.cel = QDir(celMappa.canonicalFilePath()).filePath(ci.fileName());
    kihagyas.pillanatkep = Adatbazis::vanAdatbazis(forras);
    maradekTorol(celMappa.canonicalFilePath());
    if (QDir(forras) != QDir(celMappa.canonicalFilePath()))
        maradekTorol(forras);
    QList<Bejegyzes> fajlok = fajlokListaja(forras, kihagyas);
    Allapot a;
    a.figyelo = figyelo;
    for (const Bejegyzes &b : fajlok)
        a.osszes += 2 * b.meret;   // packing, then reading back
    Bejegyzes *db = nullptr;
    for (Bejegyzes &b : fajlok)
        if (kihagyas.pillanatkep && b.nev == Adatbazis::FAJLNEV)
            db = &b;
    if (db)
        a.osszes += db->meret;     // and copying the database first
    a.jelez(true);

    const MunkaMappa munka(celMappa.canonicalFilePath(), ci.fileName());
    if (db) {
        const QString masolat = munka.fajl("adatbazis.db");
        pillanatkep(db->ut, masolat, db->meret, a);
        const mode_t mod = db->mod;
        *db = bejegyzes(masolat, db->nev);
        db->mod = mod;
        a.osszes = a.kesz;
        for (const Bejegyzes &b : fajlok)
            a.osszes += 2 * b.meret;
    }
    const QString zip = munka.fajl("archiv.zip");
    iras(zip, cel, fajlok, a);
    if (QFileInfo(zip).size() > ZIP_MAX_MERET)
        throw StoreHiba(QString("Az archív állomány nagyobb lenne 4 GB-nál: %1").arg(cel));
    ellenorzes(zip, cel, fajlok, a);
    lemezre(zip, jog);
    if (::rename(QFile::encodeName(zip).constData(), QFile::encodeName(ci.absoluteFilePath()).constData()) != 0)
        throw StoreHiba(QString("Az archív állomány nem írható: %1\r\n%2").arg(cel, rendszerHiba(errno)));
    mappaLemezre(celMappa.absoluteFilePath());
    a.kesz = a.osszes;
    a.jelez(true);

    ArchivOsszegzes o;
    o.fajlok = int(fajlok.size());
    for (const Bejegyzes &b : fajlok)
        o.bajtok += b.meret;
    return o;
}
