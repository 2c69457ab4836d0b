#include "ArchivIro.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QList>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
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

QList<Bejegyzes> fajlokListaja(const QString &mappa, const QString &kihagy)
{
    QList<Bejegyzes> l;
    QDirIterator it(mappa, QDir::Files | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    const QDir alap(mappa);
    while (it.hasNext()) {
        const QString ut = it.next();
        const QFileInfo fi(ut);
        if (!kihagy.isEmpty() && fi.canonicalFilePath() == kihagy)
            continue;
        Bejegyzes b;
        b.ut = ut;
        b.nev = alap.relativeFilePath(ut);
        struct stat st;
        if (::stat(QFile::encodeName(ut).constData(), &st) != 0)
            throw StoreHiba(QString("A fájl nem olvasható: %1\r\n%2").arg(b.nev, rendszerHiba(errno)));
        if (!S_ISREG(st.st_mode))
            throw StoreHiba(QString("A fájl nem olvasható: %1\r\nNem közönséges fájl.").arg(b.nev));
        if (st.st_size >= ZIP_MAX_MERET)
            throw StoreHiba(QString("A fájl nagyobb, mint amit a ZIP archívum 4 GB-os korlátja enged: %1").arg(b.nev));
        b.meret = st.st_size;
        b.mtime = st.st_mtime;
        b.mod = st.st_mode;
        l << b;
    }
    if (l.size() > ZIP_MAX_BEJEGYZES)
        throw StoreHiba(QString("Túl sok fájl (%1): a ZIP archívum legfeljebb %2 fájlt tarthat.")
                            .arg(l.size()).arg(ZIP_MAX_BEJEGYZES));
    std::sort(l.begin(), l.end(), [](const Bejegyzes &x, const Bejegyzes &y) { return x.nev < y.nev; });
    return l;
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

void lemezre(const QString &ut, bool mappa)
{
    const int fd = ::open(QFile::encodeName(ut).constData(), (mappa ? O_DIRECTORY : 0) | O_RDONLY | O_CLOEXEC);
    if (fd < 0 || ::fsync(fd) != 0) {
        const int e = errno;
        if (fd >= 0)
            ::close(fd);
        // some file systems cannot sync a folder; the archive file itself must be synced
        if (mappa && (e == EINVAL || e == EBADF))
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
    const QFileInfo ci(cel);
    const QFileInfo celMappa(ci.absolutePath());
    if (!celMappa.isDir())
        throw StoreHiba(QString("Az archív állomány mappája nem létezik: %1").arg(ci.absolutePath()));
    if (ci.isDir())
        throw StoreHiba(QString("Az archív állomány helyén mappa van: %1").arg(cel));
    const QString celKanonikus = QDir(celMappa.canonicalFilePath()).filePath(ci.fileName());

    QList<Bejegyzes> fajlok = fajlokListaja(mi.canonicalFilePath(), celKanonikus);
    Allapot a;
    a.figyelo = figyelo;
    for (const Bejegyzes &b : fajlok)
        a.osszes += 2 * b.meret;   // packing, then reading back
    a.jelez(true);

    // a name of our own beside the target; libzip renames its work file onto it at close
    QByteArray minta = QFile::encodeName(QDir(celMappa.absoluteFilePath()).filePath("." + ci.fileName() + ".XXXXXX"));
    const int fd = ::mkstemp(minta.data());
    if (fd < 0)
        throw StoreHiba(QString("Az archív állomány nem hozható létre: %1\r\n%2").arg(cel, rendszerHiba(errno)));
    // mkstemp makes it private; the archive gets the usual rights of a new file
    const mode_t maszk = ::umask(0);
    ::umask(maszk);
    ::fchmod(fd, 0666 & ~maszk);
    ::close(fd);
    const QString ideiglenes = QFile::decodeName(minta);
    try {
        iras(ideiglenes, cel, fajlok, a);
        if (QFileInfo(ideiglenes).size() > ZIP_MAX_MERET)
            throw StoreHiba(QString("Az archív állomány nagyobb lenne 4 GB-nál: %1").arg(cel));
        ellenorzes(ideiglenes, cel, fajlok, a);
        lemezre(ideiglenes, false);
        if (::rename(minta.constData(), QFile::encodeName(ci.absoluteFilePath()).constData()) != 0)
            throw StoreHiba(QString("Az archív állomány nem írható: %1\r\n%2").arg(cel, rendszerHiba(errno)));
    } catch (...) {
        ::unlink(minta.constData());
        throw;
    }
    lemezre(celMappa.absoluteFilePath(), true);
    a.kesz = a.osszes;
    a.jelez(true);

    ArchivOsszegzes o;
    o.fajlok = int(fajlok.size());
    for (const Bejegyzes &b : fajlok)
        o.bajtok += b.meret;
    return o;
}
