#include "RegiszterZar.h"
#include "Adatbazis.h"
#include "BiztosFajl.h"
#include "StoreHiba.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>
#include <QThread>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

int g_fd = -1;            // the shared lock of this program's register
QByteArray g_fajl;        // the database file it was taken on
bool g_figyel = false;   // the database file's identity is watched
dev_t g_dev = 0;
ino_t g_ino = 0;

constexpr char KESZ[] = "kesz";
constexpr char KIHELYEZETT[] = "kihelyezett";

QByteArray enc(const QString &s) { return QFile::encodeName(s); }

QString dbFajl(const QString &mappa) { return QDir(mappa).filePath(Adatbazis::FAJLNEV); }

// The folder as one name, links resolved, so that every spelling finds the same work folders.
QFileInfo mappaInfo(const QString &mappa)
{
    const QFileInfo i(mappa);
    return QFileInfo(i.exists() ? i.canonicalFilePath() : i.absoluteFilePath());
}

// The lock is held on the database folder, never on the database file: a descriptor of the
// database file closed in this process would drop every POSIX lock SQLite holds on it, and
// another program could then write into a transaction of this one. The folder stays when a
// restore moves the files in.
QString zarFajl(const QString &mappa) { return mappaInfo(mappa).absoluteFilePath(); }

// The folder opened for its lock; -1 when it cannot be opened.
int zarNyit(const QString &mappa)
{
    return ::open(enc(zarFajl(mappa)).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
}

QRegularExpression munkaMinta(const QString &mappa)
{
    return QRegularExpression("^\\." + QRegularExpression::escape(mappaInfo(mappa).fileName())
                              + "\\.dorvprg-visszaallitas-[A-Za-z0-9]{6}$");
}

QStringList munkahelyek(const QString &mappa)
{
    const QFileInfo mi = mappaInfo(mappa);
    const QDir szulo(mi.absolutePath());
    const QRegularExpression m = munkaMinta(mappa);
    QStringList l;
    for (const QString &n : szulo.entryList(QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot | QDir::NoSymLinks))
        if (m.match(n).hasMatch())
            l << szulo.filePath(n);
    return l;
}

[[noreturn]] void rendszerHiba(const QString &mit, const QString &ut, int e)
{
    throw StoreHiba(QString("%1: %2\r\n%3").arg(mit, QDir::toNativeSeparators(ut), RendszerHibaSzoveg(e)));
}

void mappaKeszit(const QString &ut)
{
    if (QFileInfo(ut).isDir())
        return;
    mappaKeszit(QFileInfo(ut).absolutePath());
    if (::mkdir(enc(ut).constData(), 0777) != 0 && errno != EEXIST)
        rendszerHiba("A mappa nem hozható létre", ut, errno);
}

void kihelyezettTorol(const QString &munka)
{
    QFile f(munka + "/" + KIHELYEZETT);
    if (!f.open(QIODevice::ReadOnly))
        return;
    for (const QByteArray &sor : f.readAll().split('\n'))
        if (!sor.isEmpty())
            ::unlink(sor.constData());
}

void torol(const QString &munka)
{
    QDir(munka).removeRecursively();
    RegiszterZar::lemezre(QFileInfo(munka).absolutePath());
}

// The restored files moved into the folder, the database file last, after the journals of
// the old one (consistent by then: nothing writes it under the restore's lock). A second run
// after a kill moves what is left.
void gorget(const QString &munka, const QString &mappa)
{
    const QString uj = munka + "/uj";
    const QString db = Adatbazis::FAJLNEV;
    QSet<QString> mappak{mappa};
    QDirIterator it(uj, QDir::Files | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    const QDir alap(uj);
    QStringList fajlok;
    while (it.hasNext())
        fajlok << alap.relativeFilePath(it.next());
    for (const QString &n : fajlok) {
        if (n == db)
            continue;
        const QString cel = QDir(mappa).filePath(n);
        mappaKeszit(QFileInfo(cel).absolutePath());
        if (::rename(enc(alap.filePath(n)).constData(), enc(cel).constData()) != 0)
            rendszerHiba("A visszaállított fájl nem tehető a helyére", cel, errno);
        mappak.insert(QFileInfo(cel).absolutePath());
    }
    for (const QString &m : mappak)
        RegiszterZar::lemezre(m);
    if (QFileInfo::exists(alap.filePath(db))) {
        for (const char *v : {"-journal", "-wal", "-shm"}) {
            const QString j = dbFajl(mappa) + v;
            if (::unlink(enc(j).constData()) != 0 && errno != ENOENT)
                rendszerHiba("A régi adatbázis naplója nem törölhető", j, errno);
        }
        if (::rename(enc(alap.filePath(db)).constData(), enc(dbFajl(mappa)).constData()) != 0)
            rendszerHiba("A visszaállított adatbázis nem tehető a helyére", dbFajl(mappa), errno);
        RegiszterZar::lemezre(mappa);
    }
    torol(munka);
}

bool keszVar(const QString &mappa)
{
    for (const QString &m : munkahelyek(mappa))
        if (QFileInfo::exists(m + "/" + KESZ))
            return true;
    return false;
}

bool ugyanaz(int fd, const QByteArray &ut)
{
    struct stat a, b;
    return ::fstat(fd, &a) == 0 && ::stat(ut.constData(), &b) == 0 && a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

} // namespace

void RegiszterZar::lemezre(const QString &ut)
{
    if (const int e = LemezreKod(ut))
        rendszerHiba("A fájl nem írható ki a lemezre", ut, e);
}

void RegiszterZar::maradekRendez(const QString &mappa)
{
    for (const QString &m : munkahelyek(mappa)) {
        const int fd = ::open(enc(m).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fd < 0)
            continue;
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK) {
            ::close(fd);   // a restore running now
            continue;
        }
        try {
            if (QFileInfo::exists(m + "/" + KESZ)) {
                // finished under the restore's own hold on the old file
                const Kizarolagos k(mappa);
                gorget(m, mappa);
            } else {
                kihelyezettTorol(m);
                torol(m);
            }
        } catch (const StoreHiba &) {
            ::close(fd);
            throw;
        }
        ::close(fd);
    }
}

void RegiszterZar::bejelentkezik(const QString &mappa, int varMs)
{
    kijelentkezik();
    const QByteArray fajl = enc(dbFajl(mappa));
    QDeadlineTimer hatar(varMs);
    for (;;) {
        try {
            maradekRendez(mappa);
        } catch (const StoreHiba &) {
            // another program is on the old file while a restore waits to finish: it waits
        }
        if (!QFileInfo::exists(QFile::decodeName(fajl)))
            return;
        const int fd = zarNyit(mappa);
        const bool zarva = fd >= 0 && ::flock(fd, LOCK_SH | LOCK_NB) == 0;
        // a read-only folder or a file system without flock: nothing to register with, the
        // database file's identity is still watched
        const bool zarNelkul = !zarva && (fd < 0 || errno != EWOULDBLOCK);
        struct stat st;
        if ((zarva || zarNelkul) && !keszVar(mappa) && ::stat(fajl.constData(), &st) == 0) {
            g_fd = fd;
            g_fajl = fajl;
            g_dev = st.st_dev;
            g_ino = st.st_ino;
            g_figyel = true;
            return;
        }
        if (fd >= 0)
            ::close(fd);
        if (hatar.hasExpired())
            throw StoreHiba(QString("Az adatbázist most egy másik program állítja vissza archívumból: %1\r\n"
                                    "Próbálja újra, amikor a visszaállítás befejeződött.")
                                .arg(QDir::toNativeSeparators(QFile::decodeName(fajl))));
        QThread::msleep(50);
    }
}

void RegiszterZar::kijelentkezik()
{
    if (g_fd >= 0)
        ::close(g_fd);
    g_fd = -1;
    g_figyel = false;
    g_fajl.clear();
}

bool RegiszterZar::cserelve()
{
    if (!g_figyel)
        return false;
    struct stat st;
    return ::stat(g_fajl.constData(), &st) != 0 || st.st_dev != g_dev || st.st_ino != g_ino;
}

void RegiszterZar::cserelveHiba()
{
    throw AdatbazisCserelve(QString("Az adatbázis fájlját közben egy másik program kicserélte (archívumból "
                                    "visszaállította): %1\r\nA változás nincs mentve; az adatbázist újra meg kell nyitni.")
                                .arg(QDir::toNativeSeparators(QFile::decodeName(g_fajl))));
}

bool RegiszterZar::masikNyitva(const QString &mappa)
{
    const QByteArray fajl = enc(zarFajl(mappa));
    if (g_fd >= 0 && ugyanaz(g_fd, fajl)) {
        if (::flock(g_fd, LOCK_EX | LOCK_NB) == 0) {
            ::flock(g_fd, LOCK_SH);
            return false;
        }
        const bool masik = errno == EWOULDBLOCK;
        ::flock(g_fd, LOCK_SH);   // a failed conversion may have dropped it
        return masik;
    }
    const int fd = ::open(fajl.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool masik = ::flock(fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK;
    ::close(fd);
    return masik;
}

RegiszterZar::Kizarolagos::Kizarolagos(const QString &mappa)
{
    const QString fajl = dbFajl(mappa);
    if (!QFileInfo::exists(fajl))
        return;
    m_fd = zarNyit(mappa);
    if (m_fd < 0)
        rendszerHiba("Az adatbázis mappája nem nyitható meg", zarFajl(mappa), errno);
    if (::flock(m_fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK) {
        ::close(m_fd);
        m_fd = -1;
        throw StoreHiba(QString("A nyilvántartást most egy másik program nyitva tartja: %1\r\nA visszaállítás előtt "
                                "zárja be a többi programot, amely ezt az adatbázist használja (a visszaállítás "
                                "után azok a régi fájlba írnának).").arg(QDir::toNativeSeparators(fajl)));
    }
}

RegiszterZar::Kizarolagos::~Kizarolagos()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

RegiszterZar::Munkahely::Munkahely(const QString &mappa) : m_mappa(mappaInfo(mappa).absoluteFilePath())
{
    const QFileInfo mi(m_mappa);
    for (int proba = 0; proba < 5; ++proba) {
        QByteArray minta = enc(QDir(mi.absolutePath()).filePath("." + mi.fileName() + ".dorvprg-visszaallitas-XXXXXX"));
        if (!::mkdtemp(minta.data()))
            rendszerHiba("A visszaállítás munkamappája nem hozható létre az adatbázis mappa mellett",
                         mi.absolutePath(), errno);
        const int fd = ::open(minta.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        const bool zarva = fd >= 0 && (::flock(fd, LOCK_EX | LOCK_NB) == 0 || errno != EWOULDBLOCK);
        // another start's clean-up may have taken it between its making and the lock
        struct stat a, b;
        if (zarva && ::fstat(fd, &a) == 0 && ::stat(minta.constData(), &b) == 0 && a.st_ino == b.st_ino) {
            m_fd = fd;
            m_ut = QFile::decodeName(minta);
            if (::mkdir(enc(uj()).constData(), 0700) != 0)
                rendszerHiba("A visszaállítás munkamappája nem hozható létre", uj(), errno);
            return;
        }
        if (fd >= 0)
            ::close(fd);
    }
    throw StoreHiba(QString("A visszaállítás munkamappája nem hozható létre: %1").arg(mi.absolutePath()));
}

RegiszterZar::Munkahely::~Munkahely()
{
    // from the mark on the files belong to the folder: the next opening finishes the move
    if (!m_kesz) {
        kihelyezettTorol(m_ut);
        try {
            torol(m_ut);
        } catch (const StoreHiba &) {
        }
    }
    ::close(m_fd);
}

void RegiszterZar::Munkahely::kihelyezett(const QString &fajl)
{
    QFile f(m_ut + "/" + KIHELYEZETT);
    const QByteArray sor = enc(fajl) + '\n';
    if (!f.open(QIODevice::Append) || f.write(sor) != sor.size() || !f.flush() || ::fsync(f.handle()) != 0)
        rendszerHiba("A visszaállítás munkamappája nem írható", f.fileName(), errno);
}

void RegiszterZar::Munkahely::befejez()
{
    const QString kesz = m_ut + "/" + KESZ;
    const int fd = ::open(enc(kesz).constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0 || ::fsync(fd) != 0 || ::close(fd) != 0)
        rendszerHiba("A visszaállítás munkamappája nem írható", kesz, errno);
    lemezre(m_ut);
    m_kesz = true;
    gorget(m_ut, m_mappa);
}
