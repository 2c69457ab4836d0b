#include "ArchivCsomagolo.h"
#include "ArchivLeiras.h"

#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace ArchivBelso {

void ellenorzes(const QString &ideiglenes, const QString &cel, const QList<Bejegyzes> &fajlok, Csomagolo &cs, Allapot &a,
                const QByteArray &leiras)
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
    if (zip_get_num_entries(za, 0) != fajlok.size() + 1)
        hiba(QString("%1 bejegyzés helyett %2.").arg(fajlok.size() + 1).arg(zip_get_num_entries(za, 0)));
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
            d.adat.reserve(qsizetype(d.tomoritett) + 2);   // the check adds two bytes
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
    // the description, last: exactly what was meant
    const zip_uint64_t utolso = zip_uint64_t(fajlok.size());
    zip_stat_t st;
    QByteArray vissza;
    if (zip_stat_index(za, utolso, 0, &st) == 0 && QByteArray(st.name) == ARCHIV_LEIRAS
        && (zaro.zf = zip_fopen_index(za, utolso, 0))) {
        vissza.resize(leiras.size() + 1);
        const zip_int64_t n = zip_fread(zaro.zf, vissza.data(), zip_uint64_t(vissza.size()));
        vissza.resize(n < 0 ? 0 : qsizetype(n));
    }
    if (vissza != leiras)
        throw StoreHiba(QString("Az archív állomány leírásának visszaolvasása nem sikerült: %1").arg(cel));
}

} // namespace ArchivBelso
