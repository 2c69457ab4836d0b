#include "ArchivMegorzes.h"
#include "ArchivBelso.h"
#include "BiztosFajl.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zip.h>
#include <zlib.h>

using namespace ArchivBelso;

namespace {

QByteArray fajlNev(const QString &ut) { return QFile::encodeName(ut); }

// ".<name>.masolat-XXXXXX": a copy being written, locked while it is
const QRegularExpression &masolatNev()
{
    static const QRegularExpression r(R"(^\..+\.masolat-[A-Za-z0-9]{6}$)");
    return r;
}

// Copies that a killed or cut-off run left in the second folder; one being written stays.
void maradekMasolatTorol(const QString &mappa)
{
    for (const QString &n : QDir(mappa).entryList(QDir::Files | QDir::Hidden | QDir::System)) {
        if (!masolatNev().match(n).hasMatch())
            continue;
        const QByteArray ut = fajlNev(QDir(mappa).filePath(n));
        const int fd = ::open(ut.constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
        if (fd < 0)
            continue;
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0)
            ::unlink(ut.constData());
        ::close(fd);
    }
}

// CRC and length of a whole file read from the start; false with the reason when it cannot be read.
bool fajlCrc(int fd, quint32 &crc, qint64 &hossz, QString &hiba)
{
    QByteArray b(1 << 20, Qt::Uninitialized);
    uLong c = crc32(0, nullptr, 0);
    hossz = 0;
    for (;;) {
        const ssize_t n = ::pread(fd, b.data(), size_t(b.size()), hossz);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            hiba = rendszerHiba(errno);
            return false;
        }
        if (n == 0)
            break;
        c = crc32(c, reinterpret_cast<const Bytef *>(b.constData()), uInt(n));
        hossz += n;
    }
    crc = quint32(c);
    return true;
}

// The checked copy; the reason when it could not be made, nothing of it left behind.
QString masol(const QString &archiv, const QString &mappa, QString &kesz)
{
    QString cel;
    const QFileInfo mi(mappa);
    if (!mi.isDir())
        return QString("A második mentési mappa nem érhető el: %1").arg(QDir::toNativeSeparators(mappa));
    if (QFileInfo(QFileInfo(archiv).absolutePath()).canonicalFilePath() == mi.canonicalFilePath())
        return QString("A második mentési mappa ugyanaz, mint az archív mappa: %1").arg(QDir::toNativeSeparators(mappa));
    cel = QDir(mi.absoluteFilePath()).filePath(QFileInfo(archiv).fileName());
    const QString hol = QDir::toNativeSeparators(cel);
    if (const QFileInfo ci(cel); ci.exists() && !ci.isFile())
        return QString("A másolat helyén nem közönséges fájl van: %1").arg(hol);
    maradekMasolatTorol(mi.absoluteFilePath());

    const int be = ::open(fajlNev(archiv).constData(), O_RDONLY | O_CLOEXEC);
    if (be < 0)
        return QString("Az archív állomány nem olvasható: %1\r\n%2").arg(archiv, rendszerHiba(errno));
    QByteArray ideiglenes = fajlNev(QDir(mi.absoluteFilePath()).filePath("." + QFileInfo(archiv).fileName() + ".masolat-XXXXXX"));
    const int ki = ::mkostemp(ideiglenes.data(), O_CLOEXEC);
    if (ki < 0) {
        const int e = errno;
        ::close(be);
        return QString("A másolat nem írható: %1\r\n%2").arg(hol, rendszerHiba(e));
    }
    ::flock(ki, LOCK_EX | LOCK_NB);
    QString hiba;
    uLong crc = crc32(0, nullptr, 0);
    qint64 hossz = 0;
    QByteArray b(1 << 20, Qt::Uninitialized);
    while (hiba.isEmpty()) {
        const ssize_t n = ::read(be, b.data(), size_t(b.size()));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            hiba = QString("Az archív állomány nem olvasható: %1\r\n%2").arg(archiv, rendszerHiba(errno));
            break;
        }
        if (n == 0)
            break;
        crc = crc32(crc, reinterpret_cast<const Bytef *>(b.constData()), uInt(n));
        hossz += n;
        for (ssize_t k = 0; k < n && hiba.isEmpty();) {
            const ssize_t w = ::write(ki, b.constData() + k, size_t(n - k));
            if (w < 0 && errno == EINTR)
                continue;
            if (w <= 0)
                hiba = QString("A másolat nem írható: %1\r\n%2").arg(hol, rendszerHiba(w < 0 ? errno : ENOSPC));
            else
                k += w;
        }
    }
    ::close(be);
    if (hiba.isEmpty() && (::fchmod(ki, 0600) != 0 || ::fsync(ki) != 0))
        hiba = QString("A másolat nem írható ki a lemezre: %1\r\n%2").arg(hol, rendszerHiba(errno));
    if (hiba.isEmpty()) {
        // read back from the device, not from what the cache still holds of the writing
        ::posix_fadvise(ki, 0, 0, POSIX_FADV_DONTNEED);
        quint32 vissza = 0;
        qint64 visszaHossz = 0;
        QString ok;
        if (!fajlCrc(ki, vissza, visszaHossz, ok))
            hiba = QString("A másolat nem olvasható vissza: %1\r\n%2").arg(hol, ok);
        else if (vissza != quint32(crc) || visszaHossz != hossz)
            hiba = QString("A másolat nem egyezik az archívummal: %1").arg(hol);
    }
    if (::close(ki) != 0 && hiba.isEmpty())
        hiba = QString("A másolat nem írható ki a lemezre: %1\r\n%2").arg(hol, rendszerHiba(errno));
    if (hiba.isEmpty() && ::rename(ideiglenes.constData(), fajlNev(cel).constData()) != 0)
        hiba = QString("A másolat nem írható: %1\r\n%2").arg(hol, rendszerHiba(errno));
    if (!hiba.isEmpty()) {
        ::unlink(ideiglenes.constData());
        return hiba;
    }
    if (const int e = LemezreKod(mi.absoluteFilePath()))
        return QString("A másolat nem írható ki a lemezre: %1\r\n%2").arg(hol, rendszerHiba(e));
    kesz = cel;
    return {};
}

// The program's dated archives of a folder beyond the newest megtart; the one just made stays.
void ritkit(const QString &mappa, int megtart, const QString &uj, ArchivMegorzesEredmeny &e)
{
    QStringList nevek;
    for (const QString &n : QDir(mappa).entryList(QDir::Files | QDir::NoSymLinks))
        if (DatumosArchivNev(n))
            nevek << n;
    std::sort(nevek.begin(), nevek.end(), std::greater<>());
    const QString ujNev = QFileInfo(uj).fileName();
    int maradt = 0;
    for (const QString &n : nevek) {
        const QString ut = QDir(mappa).filePath(n);
        if (n == ujNev || !sajatArchiv(ut)) {
            maradt += n == ujNev;
            continue;
        }
        if (maradt < megtart) {
            ++maradt;
            continue;
        }
        if (::unlink(fajlNev(ut).constData()) == 0)
            e.toroltek << ut;
        else
            e.torlesHibak << QString("%1: %2").arg(QDir::toNativeSeparators(ut), rendszerHiba(errno));
    }
}

} // namespace

bool DatumosArchivNev(const QString &fajlnev)
{
    static const QRegularExpression r(R"(^(\d{8})\.zip$)");
    const auto m = r.match(fajlnev);
    return m.hasMatch() && QDate::fromString(m.captured(1), "yyyyMMdd").isValid();
}

QString ArchivMegorzesEredmeny::szoveg() const
{
    QStringList s;
    if (!masolat.isEmpty())
        s << QString("Másolat a második mentési mappában: %1").arg(QDir::toNativeSeparators(masolat));
    if (!masolatHiba.isEmpty())
        s << "A második mentési mappába nem került másolat (az archívum elkészült):\r\n" + masolatHiba;
    if (!toroltek.isEmpty())
        s << QString("%1 régebbi archívum törölve.").arg(toroltek.size());
    if (!torlesHibak.isEmpty())
        s << "Régebbi archívum nem törölhető: " + torlesHibak.join("; ");
    return s.join("\r\n");
}

ArchivMegorzesEredmeny ArchivMegoriz(const QString &archiv, const QString &archivMappa, int megtart,
                                     const QString &masodikMappa)
{
    ArchivMegorzesEredmeny e;
    const QFileInfo ai(archiv);
    const bool archivMappaban = !archivMappa.isEmpty() && QFileInfo(archivMappa).isDir()
                                && QFileInfo(ai.absolutePath()).canonicalFilePath() == QFileInfo(archivMappa).canonicalFilePath();
    if (!masodikMappa.trimmed().isEmpty()) {
        e.masolatHiba = masol(ai.absoluteFilePath(), masodikMappa.trimmed(), e.masolat);
        if (megtart > 0 && !e.masolat.isEmpty() && archivMappaban)
            ritkit(QFileInfo(e.masolat).absolutePath(), megtart, e.masolat, e);
    }
    if (megtart > 0 && archivMappaban)
        ritkit(ai.absolutePath(), megtart, archiv, e);
    return e;
}
