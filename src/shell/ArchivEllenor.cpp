#include "ArchivEllenor.h"
#include "Adatbazis.h"
#include "ArchivLeiras.h"
#include "Epseg.h"
#include "PgMentes.h"
#include "Sema.h"
#include "StoreHiba.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <QSet>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include <cerrno>
#include <cstring>
#include <functional>
#include <fcntl.h>
#include <sqlite3.h>
#include <unistd.h>
#include <zip.h>
#include <zlib.h>

namespace {


// A name that would unpack outside the folder it is unpacked into, or not as a plain path.
bool veszelyesNev(const QByteArray &n)
{
    if (n.isEmpty() || n.startsWith('/') || n.contains('\\') || n.contains('\0') || n.contains(':'))
        return true;
    for (const QByteArray &r : n.split('/'))
        if (r == "..")
            return true;
    return false;
}

struct Zip {
    zip_t *z = nullptr;
    ~Zip()
    {
        if (z)
            zip_discard(z);
    }
};

struct Sqlite {
    sqlite3 *h = nullptr;
    ~Sqlite() { sqlite3_close(h); }
};

// Reads an entry to its end, its CRC compared with the directory's; the bytes go to fd when
// one is given. Empty when sound, else the reason.
QString bejegyzesOlvas(zip_t *z, zip_uint64_t i, const zip_stat_t &st, int fd, QByteArray *tartalom = nullptr)
{
    zip_file_t *f = zip_fopen_index(z, i, 0);
    if (!f)
        return QString::fromUtf8(zip_strerror(z));
    QByteArray puffer(1 << 20, Qt::Uninitialized);
    uLong crc = crc32(0, nullptr, 0);
    qint64 osszes = 0;
    QString ok;
    for (;;) {
        const zip_int64_t n = zip_fread(f, puffer.data(), zip_uint64_t(puffer.size()));
        if (n < 0) {
            ok = QString::fromUtf8(zip_file_strerror(f));
            break;
        }
        if (n == 0)
            break;
        crc = crc32(crc, reinterpret_cast<const Bytef *>(puffer.constData()), uInt(n));
        osszes += n;
        if (tartalom) {
            if (tartalom->size() + n > (16 << 20)) {
                ok = "a leírás túl nagy";
                break;
            }
            tartalom->append(puffer.constData(), int(n));
        }
        if (fd >= 0) {
            for (qint64 k = 0; k < n;) {
                const ssize_t w = ::write(fd, puffer.constData() + k, size_t(n - k));
                if (w < 0) {
                    if (errno == EINTR)
                        continue;
                    ok = QString("az adatbázis másolata nem írható: %1").arg(QString::fromLocal8Bit(std::strerror(errno)));
                    break;
                }
                k += w;
            }
            if (!ok.isEmpty())
                break;
        }
    }
    zip_fclose(f);
    if (ok.isEmpty() && (quint32(crc) != st.crc || zip_uint64_t(osszes) != st.size))
        ok = "a tartalma nem egyezik a CRC-jével";
    return ok;
}

// The database copy looked at: its pages, its version and its rows.
QString adatbazisVizsgal(const QString &fajl, ArchivVizsgalat &v)
{
    QString serules;
    try {
        serules = Epseg::fajlEllenoriz(fajl);
    } catch (const StoreHiba &h) {
        serules = h.uzenet();
    }
    if (!serules.isEmpty())
        return "az adatbázis sérült: " + serules;
    Sqlite db;
    if (sqlite3_open_v2(QFile::encodeName(fajl).constData(), &db.h, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK)
        return QString("az adatbázis nem nyitható meg: %1").arg(QString::fromUtf8(sqlite3_errmsg(db.h)));
    auto lekerdez = [&](const QString &sql, const std::function<void(sqlite3_stmt *)> &sor) {
        sqlite3_stmt *s = nullptr;
        if (sqlite3_prepare_v2(db.h, sql.toUtf8().constData(), -1, &s, nullptr) != SQLITE_OK) {
            sqlite3_finalize(s);
            return false;
        }
        int rc;
        while ((rc = sqlite3_step(s)) == SQLITE_ROW)
            sor(s);
        sqlite3_finalize(s);
        return rc == SQLITE_DONE;
    };
    auto szoveg = [](sqlite3_stmt *s, int i) {
        return QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(s, i)));
    };
    if (!lekerdez("SELECT ertek FROM meta WHERE kulcs = 'verzio'", [&](sqlite3_stmt *s) { v.semaVerzio = sqlite3_column_int(s, 0); }))
        return "az adatbázisban nincs a nyilvántartás (a verziója nem olvasható)";
    QStringList nevek;
    lekerdez("SELECT name FROM sqlite_master WHERE type = 'table' AND name NOT LIKE 'sqlite\\_%' ESCAPE '\\' ORDER BY name",
             [&](sqlite3_stmt *s) { nevek << szoveg(s, 0); });
    for (const QString &t : nevek) {
        QString idezett = t;
        idezett.replace('"', "\"\"");
        if (!lekerdez(QString("SELECT count(*) FROM \"%1\"").arg(idezett),
                      [&](sqlite3_stmt *s) { v.tablak << qMakePair(t, qint64(sqlite3_column_int64(s, 0))); }))
            return QString("a(z) %1 tábla nem olvasható: %2").arg(t, QString::fromUtf8(sqlite3_errmsg(db.h)));
    }
    if (!lekerdez("SELECT coalesce(prntip, ''), count(*) FROM doksi GROUP BY 1 ORDER BY 1",
                  [&](sqlite3_stmt *s) { v.levelek << qMakePair(szoveg(s, 0), qint64(sqlite3_column_int64(s, 1))); }))
        return "az adatbázisban nincs levéltábla";
    // web and mail addresses are not files
    lekerdez("SELECT count(*) FROM megj WHERE coalesce(doknev, '') <> '' AND doknev NOT LIKE '%://%' "
             "AND doknev NOT LIKE 'mailto:%' AND doknev NOT LIKE 'www.%'",
             [&](sqlite3_stmt *s) { v.dokumentumok = sqlite3_column_int64(s, 0); });
    return {};
}

} // namespace

QString ArchivVizsgalat::leirasSzoveg() const
{
    QStringList s;
    s << QString("Készült: %1").arg(datum.isValid() ? datum.toString("yyyy.MM.dd HH:mm") : QString("nem ismert"));
    s << QString("%1 bejegyzés, %2 bájt").arg(bejegyzesek).arg(bajtok);
    if (helyi) {
        QStringList l;
        for (const auto &[fajta, db] : levelek)
            l << QString("%1: %2").arg(fajta.isEmpty() ? QString("jelöletlen") : fajta).arg(db);
        s << QString("Helyi adatbázis (sémaverzió %1), levelek: %2").arg(semaVerzio).arg(l.isEmpty() ? "nincs" : l.join(", "));
        s << QString("Csatolt dokumentumra hivatkozó sorok: %1").arg(dokumentumok);
    }
    if (szerver)
        s << "Szerveres adatbázis mentése (pg_dump)";
    if (dokumentumokKihagyva)
        s << "Csatolt dokumentumok: a beállítás szerint kimaradtak az archívumból.";
    else if (dokumentumFajlok >= 0) {
        QString d = QString("Csatolt dokumentumok az archívumban: %1 fájl (%2 sorhoz)").arg(dokumentumFajlok).arg(dokumentumSorok);
        if (hianyzoDokumentumok > 0)
            d += QString(", archiváláskor nem található: %1").arg(hianyzoDokumentumok);
        s << d;
    }
    if (dorvido)
        s << "A garanciaidők listája (dorvido.ini) benne van.";
    if (leiras)
        s << QString("Az archívum leírása egyezik a tartalmával (%1 tábla sorai, minden bejegyzés mérete és CRC-je).")
                 .arg(tablak.size());
    else
        s << "Az archívumban nincs leírás (korábbi változat vagy kézzel készült archívum): csak a CRC-k és az adatbázis ellenőrizhetők.";
    return s.join('\n');
}

ArchivVizsgalat ArchivEllenoriz(const QString &ut)
{
    ArchivVizsgalat v;
    auto hibas = [&](const QString &ok) {
        v.rendben = false;
        v.ok = QString(ok).replace('\r', ' ').replace('\n', ' ').simplified();
        return v;
    };
    int hibakod = 0;
    Zip z;
    z.z = zip_open(QFile::encodeName(ut).constData(), ZIP_RDONLY | ZIP_CHECKCONS, &hibakod);
    if (!z.z) {
        zip_error_t e;
        zip_error_init_with_code(&e, hibakod);
        const QString ok = QString("Az archívum nem olvasható: %1: %2").arg(ut, QString::fromUtf8(zip_error_strerror(&e)));
        zip_error_fini(&e);
        return hibas(ok);
    }
    const zip_int64_t n = zip_get_num_entries(z.z, 0);
    QTemporaryDir munka(QDir::temp().filePath("dorvprg-ellenor-XXXXXX"));
    if (!munka.isValid())
        return hibas("Az ellenőrzés munkamappája nem hozható létre: " + munka.errorString());
    const QString dbMasolat = munka.filePath("ellenor.db");
    QString pgNev = PgMentes::FAJLNEV;
    QByteArray leiras;
    QHash<QString, QPair<qint64, quint32>> meretek;
    for (zip_int64_t i = 0; i < n; ++i) {
        zip_stat_t st;
        if (zip_stat_index(z.z, zip_uint64_t(i), ZIP_FL_ENC_RAW, &st) != 0)
            return hibas(QString("Az archívum %1. bejegyzése nem olvasható: %2").arg(i + 1).arg(QString::fromUtf8(zip_strerror(z.z))));
        const QByteArray nev(st.name);
        if (veszelyesNev(nev))
            return hibas(QString("Az archívumban nem biztonságos bejegyzésnév van: %1").arg(QString::fromUtf8(nev)));
        if (nev.endsWith('/'))
            continue;
        ++v.bejegyzesek;
        v.bajtok += qint64(st.size);
        const QDateTime t = QDateTime::fromSecsSinceEpoch(st.mtime);
        if (!v.datum.isValid() || t > v.datum)
            v.datum = t;
        const bool db = nev == Adatbazis::FAJLNEV;
        v.helyi = v.helyi || db;
        v.szerver = v.szerver || QString::fromUtf8(nev) == pgNev;
        v.leiras = v.leiras || nev.startsWith(ARCHIV_SAJAT_MAPPA);
        v.dorvido = v.dorvido || nev == ARCHIV_DORVIDO;
        int fd = -1;
        if (db) {
            fd = ::open(QFile::encodeName(dbMasolat).constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
            if (fd < 0)
                return hibas(QString("Az adatbázis másolata nem írható: %1").arg(QString::fromLocal8Bit(std::strerror(errno))));
        }
        const bool leirasE = nev == ARCHIV_LEIRAS;
        if (!leirasE)
            meretek.insert(QString::fromUtf8(nev), qMakePair(qint64(st.size), quint32(st.crc)));
        const QString ok = bejegyzesOlvas(z.z, zip_uint64_t(i), st, fd, leirasE ? &leiras : nullptr);
        if (fd >= 0 && ::close(fd) != 0 && ok.isEmpty())
            return hibas("Az adatbázis másolata nem írható.");
        if (!ok.isEmpty())
            return hibas(QString("Az archívum sérült: %1: %2").arg(QString::fromUtf8(nev), ok));
    }
    if (!v.helyi && !v.szerver)
        return hibas(QString("Az archívumban nincs adatbázis (sem %1, sem %2).").arg(Adatbazis::FAJLNEV, pgNev));
    if (v.helyi) {
        if (const QString ok = adatbazisVizsgal(dbMasolat, v); !ok.isEmpty())
            return hibas("Az archívum adatbázisa: " + ok);
        if (v.semaVerzio > Sema::verzio())
            return hibas(QString("Az archívum adatbázisát egy újabb program készítette (sémaverzió %1, ez a program %2).")
                             .arg(v.semaVerzio).arg(Sema::verzio()));
    }
    if (v.leiras) {
        if (leiras.isEmpty())
            return hibas("Az archívum leírása hiányzik a helyéről.");
        QJsonParseError pe;
        const QJsonObject o = QJsonDocument::fromJson(leiras, &pe).object();
        if (pe.error != QJsonParseError::NoError || o.isEmpty())
            return hibas("Az archívum leírása nem olvasható: " + pe.errorString());
        const QJsonArray b = o.value("bejegyzesek").toArray();
        if (b.size() != meretek.size())
            return hibas(QString("Az archívumban %1 bejegyzés van, a leírása szerint %2.").arg(meretek.size()).arg(b.size()));
        for (const QJsonValue &e : b) {
            const QJsonObject x = e.toObject();
            const QString n = x.value("nev").toString();
            const auto it = meretek.constFind(n);
            if (it == meretek.constEnd())
                return hibas(QString("Az archívumból hiányzik egy bejegyzés, amelyet a leírása említ: %1").arg(n));
            if (it->first != qint64(x.value("meret").toDouble(-1)) || it->second != quint32(x.value("crc").toDouble(-1)))
                return hibas(QString("Az archívum bejegyzése nem az, amit a leírása említ: %1").arg(n));
        }
        // every copy of a document is an entry the description names with its size and CRC, and
        // no entry of that folder is left unnamed
        if (o.contains("dokumentumok")) {
            QSet<QString> masolatok, sorok;
            for (const QJsonValue &e : o.value("dokumentumok").toArray()) {
                const QJsonObject x = e.toObject();
                const QString n = x.value("bejegyzes").toString();
                const QString megj = QString::number(qint64(x.value("megj").toDouble(-1)));
                const auto it = meretek.constFind(n);
                if (!n.startsWith(ARCHIV_DOKUMENTUMOK) || it == meretek.constEnd())
                    return hibas(QString("Az archívumból hiányzik egy csatolt dokumentum, amelyet a leírása említ: %1").arg(n));
                if (it->first != qint64(x.value("meret").toDouble(-1)) || it->second != quint32(x.value("crc").toDouble(-1)))
                    return hibas(QString("Az archívum csatolt dokumentuma nem az, amit a leírása említ: %1").arg(n));
                if (sorok.contains(megj) || !x.value("doknev").isString())
                    return hibas(QString("Az archívum leírásában hibás a csatolt dokumentumok listája: %1").arg(n));
                sorok.insert(megj);
                masolatok.insert(n);
            }
            for (auto it = meretek.constBegin(); it != meretek.constEnd(); ++it)
                if (it.key().startsWith(ARCHIV_DOKUMENTUMOK) && !masolatok.contains(it.key()))
                    return hibas(QString("Az archívumban olyan csatolt dokumentum van, amelyet a leírása nem említ: %1").arg(it.key()));
            v.dokumentumFajlok = int(masolatok.size());
            v.dokumentumSorok = int(sorok.size());
            v.hianyzoDokumentumok = int(o.value("hianyzo_dokumentumok").toArray().size());
            v.dokumentumokKihagyva = o.value("dokumentumok_kihagyva").toBool();
        }
        const int sv = o.value("semaVerzio").toInt();
        if (sv > Sema::verzio())
            return hibas(QString("Az archívumot egy újabb program készítette (sémaverzió %1, ez a program %2).")
                             .arg(sv).arg(Sema::verzio()));
        if (v.helyi) {
            const QJsonObject sorok = o.value("sorok").toObject();
            QHash<QString, qint64> van;
            for (const auto &[t, db] : v.tablak)
                van.insert(t, db);
            for (auto it = sorok.constBegin(); it != sorok.constEnd(); ++it)
                if (van.value(it.key(), -1) != qint64(it.value().toDouble(-2)))
                    return hibas(QString("Az archívum adatbázisának %1 táblájában %2 sor van, a leírása szerint %3.")
                                     .arg(it.key()).arg(van.value(it.key(), 0)).arg(qint64(it.value().toDouble())));
            if (sorok.size() != van.size())
                return hibas("Az archívum adatbázisának táblái nem azok, amelyeket a leírása említ.");
        }
        const QDateTime d = QDateTime::fromString(o.value("datum").toString(), Qt::ISODate);
        if (d.isValid())
            v.datum = d;
    }
    v.rendben = true;
    return v;
}
