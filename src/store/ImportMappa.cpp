#include "ImportMappa.h"
#include "BiztosFajl.h"
#include "StoreHiba.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const char *const ZAR = ".zar";

QString nativ(const QString &ut) { return QDir::toNativeSeparators(ut); }

// Opens (creating) the lock file of a folder and takes its lock without waiting; -1 when
// another import holds it or the file cannot be made.
int zarol(const QString &mappa)
{
    const QByteArray ut = QFile::encodeName(QDir(mappa).filePath(ZAR));
    const int fd = ::open(ut.constData(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0)
        return -1;
    int r;
    do r = ::flock(fd, LOCK_EX | LOCK_NB);
    while (r < 0 && errno == EINTR);
    if (r < 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

} // namespace

const char *const ImportMappa::ELOTAG = ".dorvprg-import-";

ImportMappa::ImportMappa(const QString &mappa)
{
    static const char betuk[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    int hiba = 0;
    for (int proba = 0; proba < 20; ++proba) {
        QString nev = ELOTAG;
        for (int i = 0; i < 6; ++i)
            nev += QChar(betuk[QRandomGenerator::global()->bounded(int(sizeof betuk) - 1)]);
        const QString ut = QDir(mappa).filePath(nev);
        if (::mkdir(QFile::encodeName(ut).constData(), 0700) != 0) {
            hiba = errno;
            if (hiba == EEXIST)
                continue;
            break;
        }
        // A cleaner of another import may have seen the new, still unlocked folder and be
        // removing it: the lock counts only on the lock file that is still in the folder.
        const int fd = zarol(ut);
        struct stat a, b;
        if (fd >= 0 && ::fstat(fd, &a) == 0
            && ::stat(QFile::encodeName(QDir(ut).filePath(ZAR)).constData(), &b) == 0 && a.st_ino == b.st_ino
            && a.st_dev == b.st_dev) {
            m_ut = ut;
            m_zar = fd;
            return;
        }
        hiba = EAGAIN;
        if (fd >= 0)
            ::close(fd);
    }
    throw StoreHiba(QString("Az adatbázis mappában nem hozható létre ideiglenes mappa: %1\r\n%2")
                        .arg(nativ(mappa), RendszerHibaSzoveg(hiba)));
}

ImportMappa::~ImportMappa()
{
    QDir(m_ut).removeRecursively();
    ::close(m_zar);
}

QStringList ImportMappa::fajlok() const
{
    QStringList l = QDir(m_ut).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
    l.removeAll(ZAR);
    return l;
}

void ImportMappa::maradekokTorol(const QString &mappa)
{
    static const QRegularExpression minta(QString("^%1[A-Za-z0-9]{6}$").arg(QRegularExpression::escape(ELOTAG)));
    const QDir d(mappa);
    for (const QString &nev : d.entryList(QDir::Dirs | QDir::Hidden | QDir::NoSymLinks | QDir::NoDotAndDotDot)) {
        if (!minta.match(nev).hasMatch())
            continue;
        const QString ut = d.filePath(nev);
        const int fd = zarol(ut);
        if (fd < 0)
            continue;   // a running import holds it, or it is not ours to write
        QDir(ut).removeRecursively();
        ::close(fd);
    }
}

bool Athelyez(const QString &honnan, const QString &hova)
{
    const QByteArray h = QFile::encodeName(honnan), c = QFile::encodeName(hova);
    if (::renameat2(AT_FDCWD, h.constData(), AT_FDCWD, c.constData(), RENAME_NOREPLACE) == 0)
        return true;
    int kod = errno;
    if (kod == EINVAL || kod == ENOSYS) {
        // a file system without the no-replace rename (a network share): look, then rename
        struct stat st;
        if (::lstat(c.constData(), &st) == 0)
            return false;
        if (::rename(h.constData(), c.constData()) == 0)
            return true;
        kod = errno;
    }
    if (kod == EEXIST)
        return false;
    throw StoreHiba(QString("A fájl nem helyezhető a helyére: %1\r\n%2").arg(nativ(hova), RendszerHibaSzoveg(kod)));
}

void Lemezre(const QString &ut)
{
    if (const int kod = LemezreKod(ut))
        throw StoreHiba(QString("A fájl nem írható lemezre: %1\r\n%2").arg(nativ(ut), RendszerHibaSzoveg(kod)));
}
