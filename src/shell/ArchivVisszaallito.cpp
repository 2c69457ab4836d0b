#include "ArchivVisszaallito.h"
#include "Adatbazis.h"
#include "ArchivLeiras.h"
#include "Beall.h"
#include "BiztosFajl.h"
#include "KapcsolatLeiras.h"
#include "PgMentes.h"
#include "RegiszterZar.h"
#include "Seged.h"
#include "StoreHiba.h"

#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSet>
#include <QSqlQuery>

#include <cerrno>
#include <fcntl.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zip.h>
#include <zlib.h>

const char *const VISSZAALLITOTT_DOKUMENTUMOK = "visszaallitott_dokumentumok";

namespace {

// A small entry of the archive whole; the archive was read back against its CRCs before, so
// a failure here is the file changing underneath.
QByteArray bejegyzesOlvas(zip_t *z, zip_uint64_t i)
{
    QByteArray b;
    zip_file_t *f = zip_fopen_index(z, i, 0);
    zip_int64_t k = -1;
    if (f) {
        char p[65536];
        while ((k = zip_fread(f, p, sizeof p)) > 0)
            b.append(p, int(k));
        zip_fclose(f);
    }
    if (k < 0)
        throw StoreHiba(QString("Az archívum egy bejegyzése nem olvasható: %1").arg(QString::fromUtf8(zip_get_name(z, i, 0))));
    return b;
}

QByteArray enc(const QString &s) { return QFile::encodeName(s); }

[[noreturn]] void rendszerHiba(const QString &mit, const QString &ut, int e)
{
    throw StoreHiba(QString("%1: %2\r\n%3").arg(mit, QDir::toNativeSeparators(ut), RendszerHibaSzoveg(e)));
}

struct Zip {
    zip_t *z = nullptr;
    explicit Zip(const QString &ut)
    {
        int hiba = 0;
        z = zip_open(enc(ut).constData(), ZIP_RDONLY, &hiba);
        if (!z)
            throw StoreHiba(QString("Az archívum nem olvasható: %1").arg(QDir::toNativeSeparators(ut)));
    }
    ~Zip() { zip_discard(z); }
};

struct Sqlite {
    sqlite3 *h = nullptr;
    ~Sqlite() { sqlite3_close(h); }
};

// An entry of the archive into a new file (never over one), every write checked, synced.
// Returns the CRC of what was written.
quint32 kicsomagol(zip_t *z, zip_uint64_t i, const QString &cel, mode_t mod, qint64 &kesz, const ArchivFigyelo &figyelo,
                   qint64 osszes)
{
    zip_file_t *f = zip_fopen_index(z, i, 0);
    if (!f)
        throw StoreHiba(QString("Az archívum bejegyzése nem olvasható: %1").arg(QString::fromUtf8(zip_strerror(z))));
    const int fd = ::open(enc(cel).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mod);
    if (fd < 0) {
        const int e = errno;
        zip_fclose(f);
        rendszerHiba("A fájl nem hozható létre", cel, e);
    }
    QByteArray puffer(1 << 20, Qt::Uninitialized);
    uLong crc = crc32(0, nullptr, 0);
    QString ok;
    int e = 0;
    for (;;) {
        const zip_int64_t n = zip_fread(f, puffer.data(), zip_uint64_t(puffer.size()));
        if (n < 0) {
            ok = QString("Az archívum sérült: %1").arg(QString::fromUtf8(zip_file_strerror(f)));
            break;
        }
        if (n == 0)
            break;
        crc = crc32(crc, reinterpret_cast<const Bytef *>(puffer.constData()), uInt(n));
        for (qint64 k = 0; k < n;) {
            const ssize_t w = ::write(fd, puffer.constData() + k, size_t(n - k));
            if (w < 0 && errno == EINTR)
                continue;
            if (w <= 0) {
                e = w < 0 ? errno : ENOSPC;
                break;
            }
            k += w;
        }
        if (e)
            break;
        kesz += n;
        if (figyelo && !figyelo(kesz, osszes)) {
            ok = "A visszaállítás megszakítva.";
            break;
        }
    }
    zip_fclose(f);
    if (!e && ok.isEmpty() && ::fsync(fd) != 0)
        e = errno;
    if (::close(fd) != 0 && !e && ok.isEmpty())
        e = errno;
    if (e)
        rendszerHiba("A fájl nem írható", cel, e);
    if (!ok.isEmpty())
        throw StoreHiba(ok);
    return quint32(crc);
}

bool fajlCrc(const QString &ut, qint64 meret, quint32 crc)
{
    QFile f(ut);
    if (f.size() != meret || !f.open(QIODevice::ReadOnly))
        return false;
    uLong c = crc32(0, nullptr, 0);
    while (!f.atEnd()) {
        const QByteArray b = f.read(1 << 20);
        if (b.isEmpty())
            return false;
        c = crc32(c, reinterpret_cast<const Bytef *>(b.constData()), uInt(b.size()));
    }
    return quint32(c) == crc;
}

void mappaKeszit(const QString &ut, QSet<QString> &mappak)
{
    if (QFileInfo(ut).isDir())
        return;
    mappaKeszit(QFileInfo(ut).absolutePath(), mappak);
    if (::mkdir(enc(ut).constData(), 0777) != 0 && errno != EEXIST)
        rendszerHiba("A mappa nem hozható létre", ut, errno);
    mappak.insert(QFileInfo(ut).absolutePath());
    mappak.insert(ut);
}

int lefuttat(sqlite3 *h, const QString &sql, const QVariantList &ertekek = {})
{
    sqlite3_stmt *s = nullptr;
    int rc = sqlite3_prepare_v2(h, sql.toUtf8().constData(), -1, &s, nullptr);
    QList<QByteArray> tarto;
    for (int i = 0; rc == SQLITE_OK && i < ertekek.size(); ++i) {
        if (ertekek[i].typeId() == QMetaType::LongLong || ertekek[i].typeId() == QMetaType::Int)
            sqlite3_bind_int64(s, i + 1, ertekek[i].toLongLong());
        else {
            tarto << ertekek[i].toString().toUtf8();
            sqlite3_bind_text(s, i + 1, tarto.last().constData(), int(tarto.last().size()), SQLITE_STATIC);
        }
    }
    if (rc == SQLITE_OK)
        while ((rc = sqlite3_step(s)) == SQLITE_ROW) {
        }
    sqlite3_finalize(s);
    return rc == SQLITE_DONE ? SQLITE_OK : rc;
}

QString pgRestoreProgram()
{
    const QString d = PgMentes::pgDumpProgram();
    if (d.isEmpty())
        return {};
    const QString r = QFileInfo(d).absoluteDir().filePath("pg_restore");
    return QFileInfo(r).isExecutable() ? r : QString();
}

// The dump into the configured database, dropping the tables of the register first, all in
// one transaction: a failure leaves the server's register as it was.
void pgVisszaallit(const QString &kapcsolat, const QString &dump)
{
    const QString program = pgRestoreProgram();
    if (program.isEmpty())
        throw StoreHiba("A kiszolgálón tartott adatbázis visszaállításához a pg_restore program kell "
                        "(postgresql-client csomag), de nem található.");
    const QString leiras = KapcsolatLeiras::szoveg(
        KapcsolatLeiras::alapokkal(KapcsolatLeiras::elemez(kapcsolat), "pg_restore"));
    QProcess p;
    p.setProgram(program);
    p.setArguments({"--single-transaction", "--exit-on-error", "--clean", "--if-exists", "--no-owner",
                    "--no-privileges", "--no-password", "--dbname=" + leiras, dump});
    p.setStandardInputFile(QProcess::nullDevice());
    p.setStandardOutputFile(QProcess::nullDevice());
    p.start();
    if (!p.waitForStarted() || !p.waitForFinished(-1) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
        throw StoreHiba(QString("Az adatbázis visszaállítása (pg_restore) nem sikerült, a kiszolgáló adatbázisa "
                                "változatlan.\r\n%1")
                            .arg(QString::fromLocal8Bit(p.readAllStandardError()).trimmed().replace('\n', "\r\n")));
}

// Other desks on the server's database; none may be there while its tables are replaced.
int masikAsztal()
{
    return Adatbazis::ertek("SELECT count(*) FROM pg_stat_activity WHERE datname = current_database() "
                            "AND pid <> pg_backend_pid() AND backend_type = 'client backend'").toInt();
}

} // namespace

QString VisszaallitasEredmeny::szoveg() const
{
    QStringList s;
    s << "Az adatbázis visszaállítva az archívumból.";
    s << (elotte.isEmpty() ? QString("A visszaállítás előtt nem volt menthető adatbázis a mappában.")
                           : QString("A korábbi állapot archívuma: %1").arg(QDir::toNativeSeparators(elotte)));
    if (dokVissza + dokHelyen + dokMappaba + dokHiba.size() > 0) {
        s << QString("Csatolt fájlok: %1 az eredeti helyére visszaírva, %2 már a helyén volt, %3 az adatbázis "
                     "mappájába került (%4).")
                 .arg(dokVissza).arg(dokHelyen).arg(dokMappaba).arg(QDir::toNativeSeparators(dokMappa));
        if (!dokHiba.isEmpty())
            s << QString("%1 csatolt fájl nem állítható vissza: %2").arg(dokHiba.size()).arg(dokHiba.join("; "));
    }
    if (dorvidoVan)
        s << (dorvidoIrva ? QString("A garanciaidők listája (dorvido.ini) visszaállítva.")
                          : QString("A garanciaidők listája (dorvido.ini) nem lett visszaállítva; a program mappájának "
                                    "listája maradt."));
    return s.join('\n');
}

QList<QPair<QString, qint64>> JelenlegiSorok(const QString &mappa)
{
    QList<QPair<QString, qint64>> l;
    if (Adatbazis::nyitva() && Adatbazis::motor() == Adatbazis::Motor::PostgreSQL) {
        const QStringList tablak = {"alkatresz", "beallit", "doksi", "doksi_megj", "felhasznalo", "marka",
                                    "megj", "reklamacio", "tulajdonos", "ugyfel"};
        for (const QString &t : tablak)
            l << qMakePair(t, Adatbazis::ertek(QString("SELECT count(*) FROM %1").arg(t)).toLongLong());
        return l;
    }
    const QString fajl = QDir(mappa).filePath(Adatbazis::FAJLNEV);
    if (!QFileInfo::exists(fajl))
        return l;
    Sqlite db;
    if (sqlite3_open_v2(enc(fajl).constData(), &db.h, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK)
        return l;
    QStringList nevek;
    sqlite3_stmt *s = nullptr;
    if (sqlite3_prepare_v2(db.h, "SELECT name FROM sqlite_master WHERE type = 'table' AND name NOT LIKE 'sqlite\\_%' "
                                 "ESCAPE '\\' ORDER BY name", -1, &s, nullptr) == SQLITE_OK)
        while (sqlite3_step(s) == SQLITE_ROW)
            nevek << QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(s, 0)));
    sqlite3_finalize(s);
    for (const QString &n : nevek) {
        const QByteArray sql = QString("SELECT count(*) FROM \"%1\"").arg(QString(n).replace('"', "\"\"")).toUtf8();
        if (sqlite3_prepare_v2(db.h, sql.constData(), -1, &s, nullptr) == SQLITE_OK && sqlite3_step(s) == SQLITE_ROW)
            l << qMakePair(n, qint64(sqlite3_column_int64(s, 0)));
        sqlite3_finalize(s);
    }
    return l;
}

QString VisszaallitasAkadaly(const ArchivVizsgalat &v, bool szerverre)
{
    if (!v.rendben)
        return v.ok;
    if (szerverre && !v.szerver)
        return "Az archívum helyi adatbázist tart, a nyilvántartás pedig kiszolgálón van: a kiszolgálóra a "
               "visszaállított helyi adatbázisból a --copy-to viszi át.";
    if (!szerverre && !v.helyi)
        return "Az archívum kiszolgálón tartott adatbázis mentése, a nyilvántartás pedig helyi: előbb a kiszolgáló "
               "kapcsolatát kell beállítani.";
    return {};
}

VisszaallitasEredmeny ArchivVisszaallit(const QString &zipUt, const QString &mappaUt, const QString &kapcsolat,
                                        const QString &mentesMappa, bool dorvido, const ArchivFigyelo &figyelo)
{
    const bool szerverre = !kapcsolat.isEmpty();
    const QString zip = QFileInfo(zipUt).absoluteFilePath();
    if (!QFileInfo(mappaUt).isDir())
        throw StoreHiba(QString("Az adatbázis mappa nem létezik: %1").arg(QDir::toNativeSeparators(mappaUt)));
    const QString mappa = QFileInfo(mappaUt).canonicalFilePath();
    const ArchivVizsgalat v = ArchivEllenoriz(zip);
    if (const QString ok = VisszaallitasAkadaly(v, szerverre); !ok.isEmpty())
        throw StoreHiba("Az archívum nem állítható vissza, semmi sem változott: " + ok);
    if (szerverre && (!Adatbazis::nyitva() || Adatbazis::motor() != Adatbazis::Motor::PostgreSQL))
        throw StoreHiba("A kiszolgáló adatbázisa nincs megnyitva.");

    RegiszterZar::maradekRendez(mappa);
    // no other program on the register from here until the files are in place
    const RegiszterZar::Kizarolagos kizaras(mappa);
    if (szerverre && masikAsztal() > 0)
        throw StoreHiba(QString("A kiszolgáló adatbázisához most %1 másik program kapcsolódik; a visszaállítás "
                                "előtt zárják be a többi asztalon a programot.").arg(masikAsztal()));

    // held open from here: what is unpacked is the file that was checked, whatever happens
    // to its name meanwhile
    Zip z(zip);
    VisszaallitasEredmeny e;
    // the register as it is now, first
    QDir m(mappa);
    const bool vanMit = szerverre || Adatbazis::vanAdatbazis(mappa)
                     || !m.entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot).isEmpty();
    if (vanMit) {
        ArchivMappaLetrehoz(mentesMappa);
        // never over an archive there, least of all the one being restored (two restores
        // within a second)
        const QString alap = QDir(mentesMappa).filePath("elotte-" + QDateTime::currentDateTime().toString("yyyyMMdd-HHmmss"));
        e.elotte = alap + ".zip";
        for (int k = 2; QFileInfo::exists(e.elotte) || QFileInfo(e.elotte).isSymLink(); ++k)
            e.elotte = QString("%1-%2.zip").arg(alap).arg(k);
        try {
            ArchivIr(mappa, e.elotte, {}, kapcsolat);
        } catch (const StoreHiba &h) {
            throw StoreHiba("A visszaállítás előtti archívum nem készült el, semmi sem változott:\r\n" + h.uzenet());
        }
    }

    RegiszterZar::Munkahely munka(mappa);
    const QString uj = munka.uj();
    const QString db = Adatbazis::FAJLNEV;
    const zip_int64_t n = zip_get_num_entries(z.z, 0);
    qint64 kesz = 0;
    const qint64 osszes = v.bajtok;
    QSet<QString> mappak{uj};
    QHash<QString, zip_uint64_t> sajat;   // the program's own entries by name
    QString dump;
    for (zip_int64_t i = 0; i < n; ++i) {
        zip_stat_t st;
        if (zip_stat_index(z.z, zip_uint64_t(i), ZIP_FL_ENC_RAW, &st) != 0)
            throw StoreHiba("Az archívum bejegyzése nem olvasható.");
        const QString nev = QString::fromUtf8(st.name);
        if (nev.endsWith('/'))
            continue;
        if (nev.startsWith(ARCHIV_SAJAT_MAPPA)) {
            sajat.insert(nev, zip_uint64_t(i));
            continue;
        }
        // an archive made by hand may hold the journals of its file: they are the file's
        // own and are applied below
        QString cel = QDir(uj).filePath(nev);
        if (nev == PgMentes::FAJLNEV) {
            if (!szerverre)
                continue;
            cel = QDir(munka.ut()).filePath(PgMentes::FAJLNEV);
            dump = cel;
        } else if (szerverre && nev.startsWith(db)) {
            continue;   // beside a server register a local file is an old one
        } else {
            ++e.fajlok;
        }
        mappaKeszit(QFileInfo(cel).absolutePath(), mappak);
        kicsomagol(z.z, zip_uint64_t(i), cel, 0666, kesz, figyelo, osszes);
    }

    // the description, when the archive has one
    QJsonArray dokumentumok;
    if (const auto it = sajat.constFind(ARCHIV_LEIRAS); it != sajat.constEnd()) {
        const QByteArray b = bejegyzesOlvas(z.z, *it);
        dokumentumok = QJsonDocument::fromJson(b).object().value("dokumentumok").toArray();
    }

    const QString ujDb = QDir(uj).filePath(db);
    Sqlite h;
    if (!szerverre) {
        // the unpacked file made whole by itself: a journal packed beside it is applied, and it
        // keeps no journal of its own into the folder
        if (sqlite3_open_v2(enc(ujDb).constData(), &h.h, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK
            || lefuttat(h.h, "PRAGMA journal_mode = DELETE") != SQLITE_OK
            || lefuttat(h.h, "SELECT count(*) FROM sqlite_master") != SQLITE_OK)
            throw StoreHiba(QString("Az archívum adatbázisa nem nyitható meg: %1").arg(QString::fromUtf8(sqlite3_errmsg(h.h))));
    }

    // the documents: back to their own path where nothing is, else under the database folder
    const QString dokMappa = QDir(mappa).filePath(VISSZAALLITOTT_DOKUMENTUMOK);
    e.dokMappa = dokMappa;
    QList<QPair<qint64, QString>> athelyezett;   // on the server: set once the dump is back
    for (const QJsonValue &jv : dokumentumok) {
        const QJsonObject d = jv.toObject();
        const qint64 megj = qint64(d.value("megj").toDouble(-1));
        const QString bejegyzes = d.value("bejegyzes").toString();
        const qint64 meret = qint64(d.value("meret").toDouble(-1));
        const quint32 crc = quint32(d.value("crc").toDouble(0));
        const QString doknev = d.value("doknev").toString();
        const auto it = sajat.constFind(bejegyzes);
        if (it == sajat.constEnd() || !bejegyzes.startsWith(QString(ARCHIV_SAJAT_MAPPA) + "dokumentumok/") || megj < 0) {
            e.dokHiba << QString("%1 (nincs az archívumban)").arg(doknev);
            continue;
        }
        const QString eredeti = QDir(ProgramMappa()).absoluteFilePath(doknev);
        if (QFileInfo::exists(eredeti) && fajlCrc(eredeti, meret, crc)) {
            ++e.dokHelyen;
            continue;
        }
        bool vissza = false;
        if (!QFileInfo::exists(eredeti) && !QFileInfo(eredeti).isSymLink() && QFileInfo(QFileInfo(eredeti).absolutePath()).isDir()) {
            // beside its place under a temporary name, then linked to it: a file that appeared
            // meanwhile is never replaced
            const QString ideiglenes = QFileInfo(eredeti).absolutePath() + "/." + QFileInfo(eredeti).fileName()
                                     + ".dorvprg-visszaallitas";
            ::unlink(enc(ideiglenes).constData());
            try {
                qint64 k = 0;
                if (kicsomagol(z.z, *it, ideiglenes, 0666, k, {}, 0) == crc
                    && ::link(enc(ideiglenes).constData(), enc(eredeti).constData()) == 0) {
                    munka.kihelyezett(eredeti);
                    RegiszterZar::lemezre(QFileInfo(eredeti).absolutePath());
                    vissza = true;
                }
            } catch (const StoreHiba &) {
                // not writable there: under the database folder instead
            }
            ::unlink(enc(ideiglenes).constData());
        }
        if (vissza) {
            ++e.dokVissza;
            continue;
        }
        QString nev = QString("%1_%2").arg(megj).arg(QFileInfo(doknev).fileName());
        QString cel = QDir(dokMappa).filePath(nev);
        for (int k = 2; QFileInfo::exists(cel) && !fajlCrc(cel, meret, crc); ++k)
            cel = QDir(dokMappa).filePath(QString("%1_%2").arg(k).arg(nev));
        if (!QFileInfo::exists(cel)) {
            const QString ide = QDir(uj).filePath(QDir(mappa).relativeFilePath(cel));
            mappaKeszit(QFileInfo(ide).absolutePath(), mappak);
            qint64 k = 0;
            if (kicsomagol(z.z, *it, ide, 0666, k, {}, 0) != crc)
                throw StoreHiba(QString("Az archívum csatolt fájlja sérült: %1").arg(bejegyzes));
        }
        if (szerverre)
            athelyezett << qMakePair(megj, cel);
        else if (lefuttat(h.h, "UPDATE megj SET doknev = ? WHERE megj = ?", {cel, megj}) != SQLITE_OK)
            throw StoreHiba(QString("A csatolt fájl helye nem írható az adatbázisba: %1").arg(QString::fromUtf8(sqlite3_errmsg(h.h))));
        ++e.dokMappaba;
    }
    if (h.h) {
        if (sqlite3_close(h.h) != SQLITE_OK)
            throw StoreHiba("Az archívum adatbázisa nem zárható le.");
        h.h = nullptr;
        for (const char *j : {"-journal", "-wal", "-shm"})
            if (QFileInfo::exists(ujDb + j))
                throw StoreHiba("Az archívum adatbázisa nem tehető egy fájlba (a naplója megmaradt).");
    }
    // everything unpacked reaches the disk before the mark
    {
        QDirIterator it(uj, QDir::Files | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
        while (it.hasNext())
            RegiszterZar::lemezre(it.next());
        for (const QString &m : mappak)
            RegiszterZar::lemezre(m);
    }
    if (szerverre) {
        if (dump.isEmpty())
            throw StoreHiba("Az archívumban nincs a kiszolgáló adatbázisának mentése.");
        pgVisszaallit(kapcsolat, dump);
        // the documents relocated above point to their new place in the restored rows
        try {
            for (const auto &[megj, cel] : athelyezett)
                Adatbazis::vegrehajt("UPDATE megj SET doknev = ? WHERE megj = ?", {cel, megj});
        } catch (const StoreHiba &h) {
            e.dokHiba << QString("a csatolt fájlok új helye nem írható a kiszolgálóra: %1").arg(h.uzenet());
        }
    }
    munka.befejez();

    const auto dv = sajat.constFind(QString(ARCHIV_SAJAT_MAPPA) + "dorvido.ini");
    e.dorvidoVan = dv != sajat.constEnd();
    if (e.dorvidoVan && dorvido) {
        const QByteArray b = bejegyzesOlvas(z.z, *dv);
        BiztosFajl ki(DorvidoFajlUt());
        ki.megnyit();
        ki.irMind(b);
        ki.veglegesit();
        e.dorvidoIrva = true;
    }
    return e;
}
