#include "ArchivCsomagolo.h"
#include "ArchivLeiras.h"

#include <QFile>

#include <cerrno>
#include <ctime>
#include <fcntl.h>
#include <unistd.h>
#include <zlib.h>

namespace ArchivBelso {

void Csomagolo::tomorit(Darab &d)
{
    const Bejegyzes &b = m_fajlok[d.fajl];
    const int fd = fajl(d, d.hiba);
    // each worker's buffer is kept: a fresh one would cost page faults for every piece
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
        d.crc = crcSzamol(0, be.constData(), n);
        if (darabTomorit(be.constData(), n, d.utolso, d.adat))
            d.tomoritett = d.adat.size();
        else
            d.hiba = "zlib";
    }
    if (fd >= 0)
        fajlKesz(d);
    kesz(d);
}

void Csomagolo::kicsomagol(Darab &d)
{
    if (!darabEgyezik(d.adat, d.utolso, std::min(d.olvasott, d.hossz), d.crc))
        d.hiba = QString("A bejegyzés tartalma nem egyezik a fájllal: %1").arg(m_fajlok[d.fajl].nev);
    d.adat.clear();
    kesz(d);
}

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
    int *atadott;             // files handed over wholly
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
                // the classic limit, told before libzip would write past it
                f->a->zipMeret += d.tomoritett;
                if (f->a->zipMeret > ZIP_MAX_MERET)
                    return forrasHiba(f, ZIP_ER_WRITE,
                                      "Az archív állomány nagyobb lenne 4 GB-nál, amennyit a ZIP archívum 64 bites "
                                      "kiterjesztés nélkül tarthat. Az archív állomány nem készült el.");
                if (d.utolso) {
                    f->vege = true;
                    ++*f->atadott;
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

// Hands libzip the description, made when libzip comes to it after the files: their sizes and
// CRCs are known by then. libzip deflates it itself.
struct LeirasForras {
    const std::function<QByteArray()> *keszit;
    Allapot *a;
    const int *atadott;       // files handed over wholly, of fajlok
    int fajlok;
    QByteArray adat;
    bool kesz = false;
    qint64 poz = 0;
    time_t mtime = ::time(nullptr);
    zip_error_t hiba;
};

zip_int64_t leirasFuggveny(void *ud, void *data, zip_uint64_t len, zip_source_cmd_t cmd)
{
    auto *l = static_cast<LeirasForras *>(ud);
    auto hiba = [l](int ze) {
        zip_error_set(&l->hiba, ze, 0);
        return zip_int64_t(-1);
    };
    // made once, and never before every file is in
    auto keszit = [l] {
        if (!l->kesz && *l->atadott == l->fajlok) {
            try {
                l->adat = (*l->keszit)();
                l->kesz = true;
            } catch (const StoreHiba &h) {
                if (l->a->hiba.isEmpty())
                    l->a->hiba = h.uzenet();
            }
        }
        return l->kesz;
    };
    switch (cmd) {
    case ZIP_SOURCE_OPEN:
        l->poz = 0;
        return keszit() ? 0 : hiba(ZIP_ER_READ);
    case ZIP_SOURCE_READ: {
        const qint64 n = std::min(qint64(len), l->adat.size() - l->poz);
        std::memcpy(data, l->adat.constData() + l->poz, size_t(n));
        l->poz += n;
        return zip_int64_t(n);
    }
    case ZIP_SOURCE_CLOSE:
        return 0;
    case ZIP_SOURCE_STAT: {
        if (!keszit())
            return hiba(ZIP_ER_READ);
        auto *st = static_cast<zip_stat_t *>(data);
        zip_stat_init(st);
        st->valid = ZIP_STAT_SIZE | ZIP_STAT_MTIME | ZIP_STAT_COMP_METHOD | ZIP_STAT_ENCRYPTION_METHOD;
        st->size = zip_uint64_t(l->adat.size());
        st->mtime = l->mtime;
        st->comp_method = ZIP_CM_STORE;
        st->encryption_method = ZIP_EM_NONE;
        return sizeof(zip_stat_t);
    }
    case ZIP_SOURCE_ERROR:
        return zip_error_to_data(&l->hiba, data, len);
    case ZIP_SOURCE_FREE:
        zip_error_fini(&l->hiba);
        delete l;
        return 0;
    case ZIP_SOURCE_SUPPORTS:
        return zip_source_make_command_bitmap(ZIP_SOURCE_OPEN, ZIP_SOURCE_READ, ZIP_SOURCE_CLOSE, ZIP_SOURCE_STAT,
                                              ZIP_SOURCE_ERROR, ZIP_SOURCE_FREE, -1);
    default:
        return hiba(ZIP_ER_OPNOTSUPP);
    }
}

void iras(const QString &ideiglenes, const QString &cel, QList<Bejegyzes> &fajlok, Csomagolo &cs, Allapot &a,
          const std::function<QByteArray()> &leiras)
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
    a.zipMeret = 22 + qint64(sizeof ARCHIV_JEL) + ZIP_FEJLEC;   // end record, comment, the description's entry
    for (const Bejegyzes &b : fajlok)
        a.zipMeret += ZIP_FEJLEC + 2 * b.nev.toUtf8().size();
    int atadott = 0;
    for (int i = 0; i < fajlok.size(); ++i) {
        Bejegyzes &b = fajlok[i];
        auto *f = new Forras{&cs, &a, &b, i, &atadott, -1, 0, false, {}};
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
    auto *l = new LeirasForras{&leiras, &a, &atadott, int(fajlok.size()), {}, false, 0, ::time(nullptr), {}};
    zip_error_init(&l->hiba);
    zip_source_t *ls = zip_source_function(za, leirasFuggveny, l);
    if (!ls) {
        zip_error_fini(&l->hiba);
        delete l;
        elvet({});
    }
    const zip_int64_t j = zip_file_add(za, ARCHIV_LEIRAS, ls, ZIP_FL_ENC_UTF_8);
    if (j < 0) {
        zip_source_free(ls);
        elvet({});
    }
    if (zip_set_file_compression(za, zip_uint64_t(j), ZIP_CM_DEFLATE, 1) != 0
        || zip_set_archive_comment(za, ARCHIV_JEL, zip_uint16_t(sizeof ARCHIV_JEL - 1)) != 0)
        elvet({});
    if (zip_close(za) != 0) {
        if (a.megszakitva) {
            zip_discard(za);
            throw ArchivMegszakitva();
        }
        elvet(a.hiba);
    }
}

} // namespace ArchivBelso
