#include "ArchivMunkaMappa.h"

#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace ArchivBelso {

const QRegularExpression &munkaNev()
{
    static const QRegularExpression r("^\\..+\\.archiv-[A-Za-z0-9]{6}$");
    return r;
}

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

} // namespace ArchivBelso
