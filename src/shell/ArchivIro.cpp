#include "ArchivIro.h"
#include "Adatbazis.h"
#include "Beall.h"
#include "Epseg.h"
#include "PgMentes.h"
#include "RegiszterFajl.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QList>
#include <QRegularExpression>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>
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
    qint64 tomoritett = 0;
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

// ".<archive name>.archiv-XXXXXX": the work folder of one archive, beside its target
const QRegularExpression &munkaNev()
{
    static const QRegularExpression r("^\\..+\\.archiv-[A-Za-z0-9]{6}$");
    return r;
}

// The comment every archive of the program carries, so that a later archive of a folder that
// holds one (saved there, or moved in) knows it for a backup and leaves it out.
constexpr char ARCHIV_JEL[] = "DorvPrg archiv";

bool sajatArchiv(const QString &ut)
{
    int hiba = 0;
    zip_t *za = zip_open(QFile::encodeName(ut).constData(), ZIP_RDONLY, &hiba);
    if (!za)
        return false;
    int hossz = 0;
    const char *m = zip_get_archive_comment(za, &hossz, ZIP_FL_ENC_RAW);
    const bool jel = m && QByteArray(m, hossz) == ARCHIV_JEL;
    zip_discard(za);
    return jel;
}

// What the packing leaves out: the archive itself, the work folders of archives (this one's
// and others' running or left over), earlier archives (the program's own anywhere, any ZIP in
// the folder archives go to), and, when the database is packed from its snapshot, the live
// database's journal files, which belong to the live file only.
struct Kihagyas {
    QString cel;         // canonical path of the target
    QStringList archivMappak;   // canonical: the target's folder and the archive folder
    bool pillanatkep = false;
    bool pgMentes = false;   // the server's dump is packed under its name, not a file of that name
    bool helyiRegi = false;  // the local database and its journals are not the register

    bool kihagy(const QString &ut, const QString &nev) const
    {
        if (nev.endsWith(".zip", Qt::CaseInsensitive)
            && (archivMappak.contains(QFileInfo(ut).canonicalPath()) || sajatArchiv(ut)))
            return true;
        const QStringList reszek = nev.split('/');
        for (int i = 0; i + 1 < reszek.size(); ++i)
            if (munkaNev().match(reszek[i]).hasMatch())
                return true;
        if (pillanatkep || helyiRegi) {
            const QString db = Adatbazis::FAJLNEV;
            if (nev == db + "-journal" || nev == db + "-wal" || nev == db + "-shm" || (helyiRegi && nev == db))
                return true;
        }
        if (pgMentes && nev == PgMentes::FAJLNEV)
            return true;
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
    if (l.isEmpty() && !kihagyas.pgMentes)
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

// The same snapshot taken beside the packing: under the read transaction, which no commit can
// pass in a rollback journal, the database file holds exactly the committed state, so its pages
// are copied as they are through SQLite's own file handle (another descriptor of ours on the
// file would drop SQLite's locks when closed) on a thread of their own. The packing reads each
// piece of the copy as soon as it is there; the lock is let go when the copy is done, as before.
// A database in WAL mode, whose file alone is not the committed state, gets the backup.
class FolyoPillanatkep {
public:
    FolyoPillanatkep(const QString &forras, const QString &cel) : m_cel(cel)
    {
        const QByteArray f = QFile::encodeName(forras);
        if (sqlite3_open_v2(f.constData(), &m_be, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK)
            throw hiba("Az adatbázis nem nyitható meg", forras, sqlite3_errmsg(m_be));
        sqlite3_busy_timeout(m_be, 30000);
        if (sqlite3_exec(m_be, "BEGIN; SELECT count(*) FROM sqlite_master;", nullptr, nullptr, nullptr) != SQLITE_OK)
            throw hiba("Az adatbázis nem olvasható", forras, sqlite3_errmsg(m_be));
        // a cut or empty file would be copied as it is and its archive called good
        if (const QString ok = Epseg::fejlec(m_be); !ok.isEmpty())
            throw StoreHiba(Epseg::uzenet(forras, ok));
        const qint64 lap = szam("PRAGMA page_size"), lapok = szam("PRAGMA page_count");
        if (szoveg("PRAGMA journal_mode") == "wal" || lap <= 0 || lapok < 0
            || sqlite3_file_control(m_be, "main", SQLITE_FCNTL_FILE_POINTER, &m_fajl) != SQLITE_OK || !m_fajl
            || !m_fajl->pMethods)
            return;
        m_meret = lap * lapok;
        m_fd = ::open(QFile::encodeName(cel).constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
        if (m_fd < 0)
            throw hiba("Az adatbázis másolata nem hozható létre", cel, rendszerHiba(errno));
        m_szal = std::thread([this] { masol(); });
    }
    ~FolyoPillanatkep()
    {
        m_allj = true;
        if (m_szal.joinable())
            m_szal.join();
        if (m_fd >= 0)
            ::close(m_fd);
        sqlite3_close(m_be);
    }
    FolyoPillanatkep(const FolyoPillanatkep &) = delete;
    FolyoPillanatkep &operator=(const FolyoPillanatkep &) = delete;

    bool folyik() const { return m_szal.joinable(); }
    qint64 meret() const { return m_meret; }
    // Waits until the copy holds the bytes before ig (all of it for more); false with the
    // copy's error when it failed.
    bool var(qint64 ig, QString &h)
    {
        std::unique_lock l(m_zar);
        m_jel.wait(l, [&] { return m_vege || m_kesz >= std::min(ig, m_meret + 1); });
        if (!m_hiba.isEmpty())
            h = m_hiba;
        return m_hiba.isEmpty() && (m_kesz >= ig || m_vege);
    }

private:
    static StoreHiba hiba(const QString &mit, const QString &ut, const QString &ok)
    {
        return StoreHiba(QString("%1: %2\r\n%3").arg(mit, ut, ok));
    }
    // in SQLite's words, as the backup reported a failed write
    QString irasHiba(int e) const
    {
        const int rc = e == ENOSPC || e == EDQUOT ? SQLITE_FULL : SQLITE_IOERR;
        return hiba("Az adatbázis másolata nem írható", m_cel, sqlite3_errstr(rc)).uzenet();
    }
    qint64 szam(const char *sql) { return szoveg(sql).toLongLong(); }
    QString szoveg(const char *sql)
    {
        sqlite3_stmt *st = nullptr;
        QString v;
        if (sqlite3_prepare_v2(m_be, sql, -1, &st, nullptr) == SQLITE_OK && sqlite3_step(st) == SQLITE_ROW)
            v = QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(st, 0))).toLower();
        sqlite3_finalize(st);
        return v;
    }
    void masol()
    {
        QString h;
        std::vector<char> b(size_t(1) << 20);
        for (qint64 hol = 0; h.isEmpty() && hol < m_meret && !m_allj;) {
            const int n = int(std::min<qint64>(qint64(b.size()), m_meret - hol));
            if (const int rc = m_fajl->pMethods->xRead(m_fajl, b.data(), n, hol); rc != SQLITE_OK) {
                h = hiba("Az adatbázis nem olvasható", m_cel, sqlite3_errstr(rc)).uzenet();
                break;
            }
            for (qint64 irt = 0; h.isEmpty() && irt < n;) {
                const ssize_t k = ::write(m_fd, b.data() + irt, size_t(n - irt));
                if (k < 0 && errno == EINTR)
                    continue;
                if (k <= 0)
                    h = irasHiba(k < 0 ? errno : ENOSPC);
                else
                    irt += k;
            }
            if (h.isEmpty())
                hol += n;
            {
                std::lock_guard l(m_zar);
                m_kesz = hol;
            }
            m_jel.notify_all();
        }
        if (h.isEmpty() && m_allj)
            h = "Az archiválás megszakítva.";
        if (h.isEmpty() && ::close(std::exchange(m_fd, -1)) != 0)
            h = irasHiba(errno);
        // the lock goes with the copy done: other programs may commit again
        sqlite3_exec(m_be, "COMMIT", nullptr, nullptr, nullptr);
        {
            std::lock_guard l(m_zar);
            m_hiba = h;
            m_vege = true;
        }
        m_jel.notify_all();
    }

    QString m_cel;
    sqlite3 *m_be = nullptr;
    sqlite3_file *m_fajl = nullptr;
    int m_fd = -1;
    qint64 m_meret = -1;
    std::thread m_szal;
    std::atomic<bool> m_allj{false};
    std::mutex m_zar;
    std::condition_variable m_jel;
    qint64 m_kesz = 0;
    bool m_vege = false;
    QString m_hiba;
};

// The files are packed in pieces of their own, each a raw deflate stream that starts afresh
// and, but for a file's last, ends on a byte boundary with an empty stored block: laid one
// after the other they are the file's one deflate stream, as any reader inflates it. The
// workers pack the pieces on every core ahead of libzip, which writes them as they are; for
// the check the workers inflate the pieces read back from the archive, side by side again.
constexpr qint64 DARAB_MERET = 1 << 20;

// Worker threads running what they are given, in order; stopping drops what has not started.
class Munkasok {
public:
    explicit Munkasok(int n)
    {
        for (int i = 0; i < n; ++i)
            m_szalak.emplace_back([this] { fut(); });
    }
    ~Munkasok()
    {
        {
            std::lock_guard l(m_zar);
            m_vege = true;
            m_sor.clear();
        }
        m_jel.notify_all();
        for (std::thread &t : m_szalak)
            t.join();
    }
    void ad(std::function<void()> f)
    {
        {
            std::lock_guard l(m_zar);
            m_sor.push_back(std::move(f));
        }
        m_jel.notify_one();
    }
    int szama() const { return int(m_szalak.size()); }
    Munkasok(const Munkasok &) = delete;
    Munkasok &operator=(const Munkasok &) = delete;

private:
    void fut()
    {
        for (;;) {
            std::function<void()> f;
            {
                std::unique_lock l(m_zar);
                m_jel.wait(l, [this] { return m_vege || !m_sor.empty(); });
                if (m_vege)
                    return;
                f = std::move(m_sor.front());
                m_sor.pop_front();
            }
            f();
        }
    }

    std::mutex m_zar;
    std::condition_variable m_jel;
    std::deque<std::function<void()>> m_sor;
    bool m_vege = false;
    std::vector<std::thread> m_szalak;
};

struct Darab {
    int fajl = 0;
    qint64 kezdet = 0, hossz = 0;
    bool utolso = false;      // the file's last: ends its deflate stream
    qint64 olvasott = 0;      // bytes read; more than hossz when the file grew past its size
    quint32 crc = 0;          // of the bytes read
    qint64 tomoritett = 0;
    QByteArray adat;          // the packed bytes until libzip has them
    bool kesz = false;        // packed, or checked
    QString hiba;
};

class Csomagolo {
public:
    explicit Csomagolo(QList<Bejegyzes> &fajlok)
        : m_fajlok(fajlok), m_fd(size_t(fajlok.size()), -1), m_hatra(size_t(fajlok.size()), 0),
          m_munkasok(std::make_unique<Munkasok>(int(std::clamp(std::thread::hardware_concurrency(), 2u, 8u))))
    {
        for (int i = 0; i < fajlok.size(); ++i) {
            elso.push_back(int(darabok.size()));
            const qint64 m = fajlok[i].meret;
            for (qint64 k = 0; k == 0 || k < m; k += DARAB_MERET) {
                Darab d;
                d.fajl = i;
                d.kezdet = k;
                d.hossz = std::min(DARAB_MERET, m - k);
                d.utolso = k + DARAB_MERET >= m;
                darabok.push_back(d);
                ++m_hatra[size_t(i)];
            }
        }
    }
    ~Csomagolo()
    {
        m_munkasok.reset();   // no worker may outlive the pieces and files it works on
        for (int fd : m_fd)
            if (fd >= 0)
                ::close(fd);
    }
    Csomagolo(const Csomagolo &) = delete;
    Csomagolo &operator=(const Csomagolo &) = delete;

    // Packed piece i, waited for; the pieces after it are given to the workers meanwhile.
    Darab &tomoritett(int i)
    {
        elore(i, [this](Darab &d) { tomorit(d); });
        return var(i);
    }
    // Piece i inflated from the packed bytes read back (adat), compared with what was read.
    void ellenoriz(int i)
    {
        std::lock_guard l(m_zar);
        darabok[size_t(i)].kesz = false;
        m_munkasok->ad([this, i] { kicsomagol(darabok[size_t(i)]); });
    }
    Darab &var(int i)
    {
        std::unique_lock l(m_zar);
        m_jel.wait(l, [&] { return darabok[size_t(i)].kesz; });
        return darabok[size_t(i)];
    }
    // how many pieces may be packed or checked ahead of the one being written or read
    int ablak() const { return 4 * m_munkasok->szama(); }

    std::vector<Darab> darabok;
    std::vector<int> elso;    // first piece of each file
    // Set for a file written while it is packed: waits for the bytes before ig of the file,
    // false with the error when they will not come.
    std::function<bool(int fajl, qint64 ig, QString &hiba)> elerheto;

private:
    void elore(int i, const std::function<void(Darab &)> &munka)
    {
        const int ig = std::min(int(darabok.size()), i + 1 + ablak());
        for (; m_kiadva < ig; ++m_kiadva)
            m_munkasok->ad([this, munka, j = m_kiadva] { munka(darabok[size_t(j)]); });
    }

    void kesz(Darab &d)
    {
        {
            std::lock_guard l(m_zar);
            d.kesz = true;
        }
        m_jel.notify_all();
    }

    // the file of the piece, opened by the first of its pieces to be packed; a FIFO in the
    // folder must not hang the program
    int fajl(const Darab &d, QString &hiba)
    {
        std::lock_guard l(m_zar);
        int &fd = m_fd[size_t(d.fajl)];
        const Bejegyzes &b = m_fajlok[d.fajl];
        if (fd < 0 && m_hatra[size_t(d.fajl)] > 0) {
            fd = ::open(QFile::encodeName(b.ut).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
            struct stat st;
            if (fd < 0) {
                hiba = QString("A fájl nem olvasható: %1\r\n%2").arg(b.nev, rendszerHiba(errno));
                m_hatra[size_t(d.fajl)] = 0;
            } else if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
                hiba = QString("A fájl nem olvasható: %1\r\nNem közönséges fájl.").arg(b.nev);
                ::close(fd);
                fd = -1;
                m_hatra[size_t(d.fajl)] = 0;
            }
        } else if (fd < 0) {
            hiba = QString("A fájl nem olvasható: %1").arg(b.nev);
        }
        return fd;
    }

    void fajlKesz(const Darab &d)
    {
        std::lock_guard l(m_zar);
        int &fd = m_fd[size_t(d.fajl)];
        if (--m_hatra[size_t(d.fajl)] == 0 && fd >= 0) {
            ::close(fd);
            fd = -1;
        }
    }

    void tomorit(Darab &d)
    {
        const Bejegyzes &b = m_fajlok[d.fajl];
        const int fd = fajl(d, d.hiba);
        // each worker's buffers are kept: fresh ones would cost page faults for every piece
        thread_local QByteArray be;
        be.resize(d.hossz + 1);
        // the last piece asks one byte more: a file that grew while packed must be noticed
        const qint64 kell = d.utolso ? d.hossz + 1 : d.hossz;
        // a piece of a file still being copied waits for its bytes
        if (elerheto && fd >= 0 && d.hiba.isEmpty())
            elerheto(d.fajl, d.kezdet + kell, d.hiba);
        while (fd >= 0 && d.hiba.isEmpty() && d.olvasott < kell) {
            const ssize_t n = ::pread(fd, be.data() + d.olvasott, size_t(kell - d.olvasott), d.kezdet + d.olvasott);
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0)
                d.hiba = QString("A fájl nem olvasható: %1\r\n%2").arg(b.nev, rendszerHiba(errno));
            if (n <= 0)
                break;
            d.olvasott += n;
        }
        if (d.hiba.isEmpty()) {
            const qint64 n = std::min(d.olvasott, d.hossz);
            d.crc = quint32(crc32(0, reinterpret_cast<const Bytef *>(be.constData()), uInt(n)));
            z_stream z{};
            // level 1; the larger hash of memLevel 9 is both faster and tighter on database pages
            if (deflateInit2(&z, 1, Z_DEFLATED, -MAX_WBITS, MAX_MEM_LEVEL, Z_DEFAULT_STRATEGY) != Z_OK) {
                d.hiba = "zlib";
            } else {
                d.adat.resize(qsizetype(deflateBound(&z, uLong(n)) + 16));
                z.next_in = reinterpret_cast<Bytef *>(be.data());
                z.avail_in = uInt(n);
                z.next_out = reinterpret_cast<Bytef *>(d.adat.data());
                z.avail_out = uInt(d.adat.size());
                const int r = deflate(&z, d.utolso ? Z_FINISH : Z_SYNC_FLUSH);
                if (r != (d.utolso ? Z_STREAM_END : Z_OK) || z.avail_in != 0)
                    d.hiba = "zlib";
                d.adat.resize(qsizetype(z.total_out));
                d.tomoritett = qint64(z.total_out);
                deflateEnd(&z);
            }
        }
        if (fd >= 0)
            fajlKesz(d);
        kesz(d);
    }

    void kicsomagol(Darab &d)
    {
        const qint64 vart = std::min(d.olvasott, d.hossz);
        thread_local QByteArray ki;
        ki.resize(vart + 1);   // one byte more shows a piece that inflates longer
        z_stream z{};
        bool jo = inflateInit2(&z, -MAX_WBITS) == Z_OK;
        if (jo) {
            z.next_in = reinterpret_cast<Bytef *>(d.adat.data());
            z.avail_in = uInt(d.adat.size());
            z.next_out = reinterpret_cast<Bytef *>(ki.data());
            z.avail_out = uInt(ki.size());
            const int r = inflate(&z, d.utolso ? Z_FINISH : Z_SYNC_FLUSH);
            // a piece but the last ends without ending the stream, and nothing is left over
            jo = (d.utolso ? r == Z_STREAM_END : r == Z_OK || r == Z_BUF_ERROR) && z.avail_in == 0
                 && qint64(z.total_out) == vart
                 && quint32(crc32(0, reinterpret_cast<const Bytef *>(ki.constData()), uInt(vart))) == d.crc;
            inflateEnd(&z);
        }
        if (!jo)
            d.hiba = QString("A bejegyzés tartalma nem egyezik a fájllal: %1").arg(m_fajlok[d.fajl].nev);
        d.adat.clear();
        kesz(d);
    }

    QList<Bejegyzes> &m_fajlok;
    std::mutex m_zar;
    std::condition_variable m_jel;
    std::vector<int> m_fd;
    std::vector<int> m_hatra;     // pieces of each file not yet read
    int m_kiadva = 0;             // pieces given to the workers so far
    std::unique_ptr<Munkasok> m_munkasok;
};

// The pieces of a file, in order.
std::pair<int, int> darabjai(const Csomagolo &cs, int fajl)
{
    const int tol = cs.elso[size_t(fajl)];
    const int ig = fajl + 1 < int(cs.elso.size()) ? cs.elso[size_t(fajl) + 1] : int(cs.darabok.size());
    return {tol, ig};
}

// CRC, size read and packed size of a file from its pieces.
void bejegyzesOsszegez(const Csomagolo &cs, int fajl, Bejegyzes &b)
{
    const auto [tol, ig] = darabjai(cs, fajl);
    b.crc = quint32(crc32(0, nullptr, 0));
    b.olvasott = b.tomoritett = 0;
    for (int i = tol; i < ig; ++i) {
        const Darab &d = cs.darabok[size_t(i)];
        b.crc = quint32(crc32_combine(b.crc, d.crc, z_off_t(std::min(d.olvasott, d.hossz))));
        b.olvasott += d.olvasott;
        b.tomoritett += d.tomoritett;
    }
}

// Hands libzip one file's pieces as the workers pack them: already deflated, so libzip writes
// them as they are. The CRC and the packed size are known once the last piece is handed over.
struct Forras {
    Csomagolo *cs;
    Allapot *a;
    Bejegyzes *b;
    int fajl;
    int darab = -1;           // the piece being handed over
    qint64 poz = 0;           // bytes of it handed over
    bool vege = false;
    zip_error_t hiba;
};

zip_int64_t forrasHiba(Forras *f, int ze, const QString &szoveg)
{
    zip_error_set(&f->hiba, ze, 0);
    if (f->a->hiba.isEmpty() && !szoveg.isEmpty())
        f->a->hiba = szoveg;
    return -1;
}

zip_int64_t forrasFuggveny(void *ud, void *data, zip_uint64_t len, zip_source_cmd_t cmd)
{
    auto *f = static_cast<Forras *>(ud);
    Csomagolo &cs = *f->cs;
    switch (cmd) {
    case ZIP_SOURCE_OPEN:
        f->darab = -1;
        f->poz = 0;
        f->vege = false;
        return 0;
    case ZIP_SOURCE_READ: {
        zip_uint64_t n = 0;
        while (n < len && !f->vege) {
            if (f->darab >= 0 && f->poz < cs.darabok[size_t(f->darab)].adat.size()) {
                Darab &d = cs.darabok[size_t(f->darab)];
                const qint64 k = std::min(qint64(len - n), d.adat.size() - f->poz);
                std::memcpy(static_cast<char *>(data) + n, d.adat.constData() + f->poz, size_t(k));
                n += zip_uint64_t(k);
                f->poz += k;
                continue;
            }
            if (f->darab >= 0) {   // all of it handed over
                Darab &d = cs.darabok[size_t(f->darab)];
                d.adat = QByteArray();
                f->a->kesz += d.hossz;
                if (d.utolso) {
                    f->vege = true;
                    bejegyzesOsszegez(cs, f->fajl, *f->b);
                    break;
                }
            }
            if (!f->a->jelez())
                return forrasHiba(f, ZIP_ER_CANCELLED, {});
            const int kov = f->darab < 0 ? cs.elso[size_t(f->fajl)] : f->darab + 1;
            const Darab &d = cs.tomoritett(kov);
            if (!d.hiba.isEmpty())
                return forrasHiba(f, ZIP_ER_READ, d.hiba);
            f->darab = kov;
            f->poz = 0;
        }
        return zip_int64_t(n);
    }
    case ZIP_SOURCE_CLOSE:
        return 0;
    case ZIP_SOURCE_STAT: {
        auto *st = static_cast<zip_stat_t *>(data);
        zip_stat_init(st);
        st->valid = ZIP_STAT_SIZE | ZIP_STAT_MTIME | ZIP_STAT_COMP_METHOD | ZIP_STAT_ENCRYPTION_METHOD;
        st->comp_method = ZIP_CM_DEFLATE;
        st->encryption_method = ZIP_EM_NONE;
        st->size = zip_uint64_t(f->b->meret);
        st->mtime = f->b->mtime;
        if (f->vege) {
            st->valid |= ZIP_STAT_CRC | ZIP_STAT_COMP_SIZE;
            st->crc = f->b->crc;
            st->comp_size = zip_uint64_t(f->b->tomoritett);
        }
        return sizeof(zip_stat_t);
    }
    case ZIP_SOURCE_GET_FILE_ATTRIBUTES: {
        // what libzip marks when it deflates at level 1 itself
        auto *at = static_cast<zip_file_attributes_t *>(data);
        at->valid |= ZIP_FILE_ATTRIBUTES_VERSION_NEEDED | ZIP_FILE_ATTRIBUTES_GENERAL_PURPOSE_BIT_FLAGS;
        at->version_needed = 20;
        at->general_purpose_bit_flags = 2 << 1;
        at->general_purpose_bit_mask = 0x0006;
        return sizeof(zip_file_attributes_t);
    }
    case ZIP_SOURCE_ERROR:
        return zip_error_to_data(&f->hiba, data, len);
    case ZIP_SOURCE_FREE:
        zip_error_fini(&f->hiba);
        delete f;
        return 0;
    case ZIP_SOURCE_SUPPORTS:
        return zip_source_make_command_bitmap(ZIP_SOURCE_OPEN, ZIP_SOURCE_READ, ZIP_SOURCE_CLOSE, ZIP_SOURCE_STAT,
                                              ZIP_SOURCE_ERROR, ZIP_SOURCE_FREE, ZIP_SOURCE_GET_FILE_ATTRIBUTES, -1);
    default:
        zip_error_set(&f->hiba, ZIP_ER_OPNOTSUPP, 0);
        return -1;
    }
}

void iras(const QString &ideiglenes, const QString &cel, QList<Bejegyzes> &fajlok, Csomagolo &cs, Allapot &a)
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
    for (int i = 0; i < fajlok.size(); ++i) {
        Bejegyzes &b = fajlok[i];
        auto *f = new Forras{&cs, &a, &b, i, -1, 0, false, {}};
        zip_error_init(&f->hiba);
        zip_source_t *src = zip_source_function(za, forrasFuggveny, f);
        if (!src) {
            zip_error_fini(&f->hiba);
            delete f;
            elvet({});
        }
        const zip_int64_t j = zip_file_add(za, b.nev.toUtf8().constData(), src, ZIP_FL_ENC_UTF_8 | ZIP_FL_OVERWRITE);
        if (j < 0) {
            zip_source_free(src);
            elvet({});
        }
        if (zip_file_set_external_attributes(za, zip_uint64_t(j), 0, ZIP_OPSYS_UNIX, zip_uint32_t(b.mod & 0177777) << 16) != 0)
            elvet({});
    }
    if (zip_set_archive_comment(za, ARCHIV_JEL, zip_uint16_t(sizeof ARCHIV_JEL - 1)) != 0)
        elvet({});
    if (zip_close(za) != 0) {
        if (a.megszakitva) {
            zip_discard(za);
            throw ArchivMegszakitva();
        }
        elvet(a.hiba);
    }
}

// Reads the written archive back through libzip: every entry in order, its name, size, CRC and
// packed size against what was packed, and its data inflated again piece by piece on the
// workers and compared with the CRC of the bytes read from the file.
void ellenorzes(const QString &ideiglenes, const QString &cel, const QList<Bejegyzes> &fajlok, Csomagolo &cs, Allapot &a)
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
        zip_file_t *zf = nullptr;
        ~Zaro()
        {
            if (zf)
                zip_fclose(zf);
            zip_discard(za);
        }
    } zaro{za};
    if (zip_get_num_entries(za, 0) != fajlok.size())
        hiba(QString("%1 bejegyzés helyett %2.").arg(fajlok.size()).arg(zip_get_num_entries(za, 0)));
    int jelHossz = 0;
    const char *jel = zip_get_archive_comment(za, &jelHossz, ZIP_FL_ENC_RAW);
    if (!jel || QByteArray(jel, jelHossz) != ARCHIV_JEL)
        hiba("Hiányzik az archívum jelölése.");
    auto atvesz = [&](int i) {
        const Darab &d = cs.var(i);
        if (!d.hiba.isEmpty())
            hiba(d.hiba);
        a.kesz += d.hossz;
        if (!a.jelez())
            throw ArchivMegszakitva();
    };
    for (int i = 0; i < fajlok.size(); ++i) {
        const Bejegyzes &b = fajlok[i];
        if (b.olvasott != b.meret)
            hiba(QString("A fájl mérete csomagolás közben megváltozott: %1").arg(b.nev));
        zip_stat_t st;
        if (zip_stat_index(za, zip_uint64_t(i), 0, &st) != 0)
            hiba(QString::fromLocal8Bit(zip_strerror(za)));
        if (QString::fromUtf8(st.name) != b.nev || qint64(st.size) != b.meret || st.crc != b.crc
            || qint64(st.comp_size) != b.tomoritett)
            hiba(QString("A bejegyzés nem egyezik a fájllal: %1").arg(b.nev));
        if (st.comp_method != ZIP_CM_DEFLATE)
            hiba(QString("Váratlan tömörítési mód: %1").arg(b.nev));
        zaro.zf = zip_fopen_index(za, zip_uint64_t(i), ZIP_FL_COMPRESSED);
        if (!zaro.zf)
            hiba(QString("%1: %2").arg(b.nev, QString::fromLocal8Bit(zip_strerror(za))));
        const auto [tol, ig] = darabjai(cs, i);
        int atvett = tol;
        for (int j = tol; j < ig; ++j) {
            Darab &d = cs.darabok[size_t(j)];
            d.adat.resize(qsizetype(d.tomoritett));
            for (qint64 n = 0; n < d.tomoritett;) {
                const zip_int64_t r = zip_fread(zaro.zf, d.adat.data() + n, zip_uint64_t(d.tomoritett - n));
                if (r < 0)
                    hiba(QString("%1: %2").arg(b.nev, QString::fromLocal8Bit(zip_file_strerror(zaro.zf))));
                if (r == 0)
                    hiba(QString("Sérült tömörített adat: %1").arg(b.nev));
                n += r;
            }
            cs.ellenoriz(j);
            for (; atvett <= j - cs.ablak(); ++atvett)
                atvesz(atvett);
        }
        char tobb;
        if (zip_fread(zaro.zf, &tobb, 1) != 0)
            hiba(QString("Sérült tömörített adat: %1").arg(b.nev));
        zip_fclose(zaro.zf);
        zaro.zf = nullptr;
        for (; atvett < ig; ++atvett)
            atvesz(atvett);
    }
}

// The written archive starts for the disk at once: the check reads it meanwhile, and the sync
// before the rename waits only for what is left.
void kiirasIndit(const QString &ut)
{
    const int fd = ::open(QFile::encodeName(ut).constData(), O_RDONLY | O_CLOEXEC);
    if (fd >= 0) {
        ::sync_file_range(fd, 0, 0, SYNC_FILE_RANGE_WRITE);
        ::close(fd);
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

// The server's register dumped into the work folder and packed among the folder's files.
void pgMentesHozzaad(const QString &dump, const QString &kapcsolat, QList<Bejegyzes> &fajlok, Allapot &a)
{
    PgMentes::ment(kapcsolat, dump, [&a] { return a.jelez(true); });
    const Bejegyzes b = bejegyzes(dump, PgMentes::FAJLNEV);
    a.osszes += 2 * b.meret;
    fajlok.insert(std::lower_bound(fajlok.begin(), fajlok.end(), b,
                                   [](const Bejegyzes &x, const Bejegyzes &y) { return x.nev < y.nev; }),
                  b);
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

ArchivOsszegzes ArchivIr(const QString &mappa, const QString &cel, const ArchivFigyelo &figyelo,
                         const QString &kapcsolat)
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
    // the whole register is in it: its owner's alone, whatever the umask or the file it replaces
    const mode_t jog = 0600;

    const QString forras = mi.canonicalFilePath();
    Kihagyas kihagyas;
    kihagyas.cel = QDir(celMappa.canonicalFilePath()).filePath(ci.fileName());
    kihagyas.archivMappak << celMappa.canonicalFilePath();
    if (const QFileInfo am(Beall.MentesUtvonal); !Beall.MentesUtvonal.isEmpty() && am.isDir())
        kihagyas.archivMappak << am.canonicalFilePath();
    kihagyas.pgMentes = !kapcsolat.isEmpty();
    // beside a server register a local database file is the old one it was copied from
    kihagyas.helyiRegi = kihagyas.pgMentes && Adatbazis::vanAdatbazis(forras);
    kihagyas.pillanatkep = !kihagyas.pgMentes && Adatbazis::vanAdatbazis(forras);
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
    std::unique_ptr<FolyoPillanatkep> folyo;
    const int dbFajl = db ? int(db - fajlok.constData()) : -1;   // a server's dump may move the list
    if (db) {
        const QString masolat = munka.fajl("adatbazis.db");
        folyo = std::make_unique<FolyoPillanatkep>(db->ut, masolat);
        const mode_t mod = db->mod;
        if (folyo->folyik()) {
            if (folyo->meret() >= ZIP_MAX_MERET)
                throw StoreHiba(QString("A fájl nagyobb, mint amit a ZIP archívum 4 GB-os korlátja enged: %1").arg(db->nev));
            db->ut = masolat;
            db->meret = folyo->meret();
            db->mtime = ::time(nullptr);
        } else {
            folyo.reset();
            pillanatkep(db->ut, masolat, db->meret, a);
            *db = bejegyzes(masolat, db->nev);
        }
        db->mod = mod;
        a.osszes = a.kesz;
        for (const Bejegyzes &b : fajlok)
            a.osszes += 2 * b.meret;
    }
    if (kihagyas.pgMentes)
        pgMentesHozzaad(munka.fajl(PgMentes::FAJLNEV), kapcsolat, fajlok, a);
    const QString zip = munka.fajl("archiv.zip");
    Csomagolo cs(fajlok);
    if (folyo)
        cs.elerheto = [&folyo, dbFajl](int fajl, qint64 ig, QString &hiba) {
            return fajl != dbFajl || folyo->var(ig, hiba);
        };
    iras(zip, cel, fajlok, cs, a);
    if (QFileInfo(zip).size() > ZIP_MAX_MERET)
        throw StoreHiba(QString("Az archív állomány nagyobb lenne 4 GB-nál: %1").arg(cel));
    kiirasIndit(zip);
    // the copy packed is checked page by page beside the read-back: a damaged register makes
    // no archive that would pass for a good backup
    QString serules, ellenorHiba;
    struct Szal {
        std::thread t;
        ~Szal()
        {
            if (t.joinable())
                t.join();
        }
    } ellenor;
    if (dbFajl >= 0)
        ellenor.t = std::thread([&serules, &ellenorHiba, masolat = munka.fajl("adatbazis.db")] {
            try {
                serules = Epseg::fajlEllenoriz(masolat);
            } catch (const StoreHiba &h) {
                ellenorHiba = h.uzenet();
            }
        });
    ellenorzes(zip, cel, fajlok, cs, a);
    if (ellenor.t.joinable())
        ellenor.t.join();
    if (!serules.isEmpty())
        throw StoreHiba(Epseg::uzenet(QDir(forras).filePath(Adatbazis::FAJLNEV), serules)
                        + "\r\nAz archív állomány nem készült el: sérült adatbázisról nem lenne jó mentés.");
    if (!ellenorHiba.isEmpty())
        throw StoreHiba(ellenorHiba);
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
