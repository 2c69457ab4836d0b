#pragma once

#include "ArchivBelso.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QRegularExpression>

namespace ArchivBelso {

// ".<archive name>.archiv-XXXXXX": the work folder of one archive, beside its target
const QRegularExpression &munkaNev();

// Removes the regular files of a work folder (it holds nothing else of ours).
void tartalomTorol(int mappaFd);

bool ugyanazMappa(int fd, const QByteArray &ut);

// Work folders that archives of earlier runs left behind (killed, power cut). A folder
// whose lock is held belongs to an archive being written now and stays.
void maradekTorol(const QString &mappa);

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

} // namespace ArchivBelso
