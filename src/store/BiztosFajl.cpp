#include "BiztosFajl.h"
#include "StoreHiba.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

int folytatva(int r) { return r < 0 && errno == EINTR ? 1 : 0; }

// fsync of a folder or a device may be refused as unsupported; that is no lost data
bool szinkron(int fd)
{
    int r;
    do r = ::fsync(fd);
    while (folytatva(r));
    return r == 0 || errno == EINVAL || errno == EROFS;
}

mode_t alapJog()
{
    const mode_t m = ::umask(0);
    ::umask(m);
    return 0666 & ~m;
}

constexpr char UTOTAG[] = ".dorvprg-";
constexpr qint64 KIIRAS_LEPES = 1 << 20;

bool ugyanaz(int fd, const QByteArray &ut)
{
    struct stat a, b;
    return ::fstat(fd, &a) == 0 && ::lstat(ut.constData(), &b) == 0 && a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

} // namespace

int LemezreKod(const QString &ut)
{
    const int fd = ::open(QFile::encodeName(ut).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return errno;
    int r;
    do r = ::fsync(fd);
    while (folytatva(r));
    const int kod = r < 0 && errno != EINVAL && errno != EBADF ? errno : 0;
    ::close(fd);
    return kod;
}

void BiztosFajlMaradekTorol(const QString &mappa, const QString &celNev)
{
    // mkstemp's six letters or digits
    static const QRegularExpression minta(QString("^\\..+\\.dorvprg-[A-Za-z0-9]{6}$"));
    const QDir d(mappa);
    const QString elotag = "." + celNev + UTOTAG;
    for (const QString &n : d.entryList(QDir::Files | QDir::Hidden | QDir::System | QDir::NoSymLinks)) {
        if (!minta.match(n).hasMatch() || (!celNev.isEmpty() && (!n.startsWith(elotag) || n.size() != elotag.size() + 6)))
            continue;
        const QByteArray ut = QFile::encodeName(d.filePath(n));
        const int fd = ::open(ut.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0)
            continue;
        struct stat st;
        // the writer's lock gone with its process; a file system without locks keeps them all
        if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && ::flock(fd, LOCK_EX | LOCK_NB) == 0 && ugyanaz(fd, ut))
            ::unlink(ut.constData());
        ::close(fd);
    }
}

QString RendszerHibaSzoveg(int kod)
{
    QString elo;
    switch (kod) {
    case ENOSPC:
    case EDQUOT: elo = "Megtelt a lemez."; break;
    case EROFS: elo = "A hely csak olvasható."; break;
    case EACCES:
    case EPERM: elo = "Nincs írási jog."; break;
    case EIO: elo = "Lemezhiba (I/O hiba)."; break;
    case EISDIR: elo = "Ez egy mappa, nem fájl."; break;
    case ENOENT: elo = "A mappa nem létezik."; break;
    default: break;
    }
    const QString rendszer = QString::fromLocal8Bit(std::strerror(kod));
    return elo.isEmpty() ? rendszer : elo + " (" + rendszer + ")";
}

BiztosFajl::BiztosFajl(const QString &cel) : m_cel(cel) {}

BiztosFajl::~BiztosFajl() { eldob(); }

void BiztosFajl::hiba(int kod)
{
    if (!m_hibaKod)
        m_hibaKod = kod;
    throw StoreHiba(QString("Nem írható a fájl: %1\r\n%2")
                        .arg(QDir::toNativeSeparators(QFileInfo(m_cel).absoluteFilePath()), RendszerHibaSzoveg(m_hibaKod)));
}

void BiztosFajl::megnyit()
{
    if (m_cel.isEmpty())
        throw StoreHiba("Nincs megadva a fájl neve.");
    const QFileInfo fi(m_cel);
    m_vegleges = fi.exists() ? fi.canonicalFilePath() : fi.absoluteFilePath();
    struct stat st;
    const QByteArray vegleges = QFile::encodeName(m_vegleges);
    const bool van = ::stat(vegleges.constData(), &st) == 0;
    if (van && S_ISDIR(st.st_mode))
        hiba(EISDIR);
    if (van && !S_ISREG(st.st_mode)) {
        // a device or a pipe: no rename is possible, write straight into it
        do m_fd = ::open(vegleges.constData(), O_WRONLY | O_TRUNC | O_CLOEXEC);
        while (m_fd < 0 && errno == EINTR);
        if (m_fd < 0)
            hiba(errno);
    } else {
        const QFileInfo vi(m_vegleges);
        BiztosFajlMaradekTorol(vi.absolutePath(), vi.fileName());
        for (int proba = 0; m_ideiglenes.isEmpty(); ++proba) {
            QByteArray minta = QFile::encodeName(vi.absolutePath() + "/." + vi.fileName() + UTOTAG + "XXXXXX");
            m_fd = ::mkostemp(minta.data(), O_CLOEXEC);
            if (m_fd < 0)
                hiba(errno);
            // locked for as long as it is written; another program's clean-up may have taken it
            // between its making and the lock
            const bool zarva = ::flock(m_fd, LOCK_EX | LOCK_NB) == 0 || errno != EWOULDBLOCK;
            if (zarva && ugyanaz(m_fd, minta)) {
                m_ideiglenes = QFile::decodeName(minta);
            } else {
                ::close(m_fd);
                m_fd = -1;
                if (proba == 4)
                    hiba(EEXIST);
            }
        }
        // the new file gets the rights the old one had, or those of any new file
        if (::fchmod(m_fd, van ? (st.st_mode & 07777) : alapJog()) != 0)
            hiba(errno);
    }
    QIODevice::open(QIODevice::WriteOnly | QIODevice::Unbuffered);
}

qint64 BiztosFajl::writeData(const char *adat, qint64 hossz)
{
    if (m_hibaKod || m_fd < 0)
        return -1;
    qint64 kesz = 0;
    while (kesz < hossz) {
        const ssize_t r = ::write(m_fd, adat + kesz, size_t(hossz - kesz));
        if (r < 0 && errno == EINTR)
            continue;
        if (r <= 0) {
            m_hibaKod = r < 0 ? errno : EIO;
            setErrorString(RendszerHibaSzoveg(m_hibaKod));
            return -1;
        }
        kesz += r;
    }
    // what is written goes on to the disk while the caller makes the rest: the sync at the
    // end waits only for the last part (a hint; the sync still decides)
    m_irva += kesz;
    if (!m_ideiglenes.isEmpty() && m_irva - m_kiirasIndult >= KIIRAS_LEPES) {
        ::sync_file_range(m_fd, m_kiirasIndult, m_irva - m_kiirasIndult, SYNC_FILE_RANGE_WRITE);
        m_kiirasIndult = m_irva;
    }
    return kesz;
}

void BiztosFajl::irMind(const QByteArray &b)
{
    if (write(b) != b.size())
        hiba(m_hibaKod ? m_hibaKod : EIO);
}

void BiztosFajl::veglegesit()
{
    if (m_fd < 0)
        hiba(m_hibaKod ? m_hibaKod : EBADF);
    if (m_hibaKod)
        hiba(m_hibaKod);
    if (!szinkron(m_fd))
        hiba(errno);
    // renamed while still open and locked, so no clean-up takes it for a leftover
    const bool helyben = m_ideiglenes.isEmpty();
    if (!helyben && ::rename(QFile::encodeName(m_ideiglenes).constData(), QFile::encodeName(m_vegleges).constData()) != 0)
        hiba(errno);
    m_ideiglenes.clear();
    const int fd = m_fd;
    m_fd = -1;
    QIODevice::close();
    if (::close(fd) != 0 && errno != EINTR)
        hiba(errno);
    if (helyben)
        return;
    // the rename itself must survive a power cut too
    const int mappa = ::open(QFile::encodeName(QFileInfo(m_vegleges).absolutePath()).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (mappa >= 0) {
        const bool ok = szinkron(mappa);
        const int kod = errno;
        ::close(mappa);
        if (!ok)
            hiba(kod);
    }
}

void BiztosFajl::eldob()
{
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
    if (isOpen())
        QIODevice::close();
    if (!m_ideiglenes.isEmpty()) {
        ::unlink(QFile::encodeName(m_ideiglenes).constData());
        m_ideiglenes.clear();
    }
}
