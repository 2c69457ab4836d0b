#include "ArchivIro.h"
#include "Adatbazis.h"
#include "Beall.h"
#include "BiztosFajl.h"
#include "Epseg.h"
#include "PgMentes.h"
#include "RegiszterFajl.h"
#include "Sema.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QDirIterator>
#include <QFileInfo>
#include <QList>
#include <QRegularExpression>
#include <QSqlError>
#include <QSqlQuery>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>
#include <dirent.h>
#include <fcntl.h>
#include <sqlite3.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zip.h>
#include <zlib.h>

#include "ArchivBelso.h"
#include "ArchivLeiras.h"
#include "ArchivDokumentumok.h"
#include "ArchivCsomagolo.h"
#include "ArchivMunkaMappa.h"
#include "ArchivPillanatkep.h"

using namespace ArchivBelso;

namespace ArchivBelso {

Bejegyzes bejegyzes(const QString &ut, const QString &nev)
{
    Bejegyzes b;
    b.ut = ut;
    b.nev = nev;
    struct stat st;
    if (::stat(QFile::encodeName(ut).constData(), &st) != 0)
        throw StoreHiba(QString("A fájl nem olvasható: %1\r\n%2").arg(nev, rendszerHiba(errno)));
    if (!S_ISREG(st.st_mode))
        throw StoreHiba(QString("A fájl nem olvasható: %1\r\nNem közönséges fájl.").arg(nev));
    if (st.st_size >= ZIP_MAX_MERET)
        throw StoreHiba(QString("A fájl nagyobb, mint amit a ZIP archívum 4 GB-os korlátja enged: %1").arg(nev));
    b.meret = st.st_size;
    b.mtime = st.st_mtime;
    b.mod = st.st_mode;
    return b;
}

// The written archive starts for the disk at once: the check reads it meanwhile, and the sync
// before the rename waits only for what is left.
void kiirasIndit(const QString &ut)
{
    const int fd = ::open(QFile::encodeName(ut).constData(), O_RDONLY | O_CLOEXEC);
    if (fd >= 0) {
        ::sync_file_range(fd, 0, 0, SYNC_FILE_RANGE_WRITE);
        ::close(fd);
    }
}

// The archive gets the rights of the one it replaces, or those of any new file (libzip's
// work file is private), and reaches the disk before it takes the target's name.
void lemezre(const QString &ut, mode_t jog)
{
    const int fd = ::open(QFile::encodeName(ut).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0 || ::fchmod(fd, jog) != 0 || ::fsync(fd) != 0) {
        const int e = errno;
        if (fd >= 0)
            ::close(fd);
        throw StoreHiba(QString("Az archív állomány nem írható ki a lemezre: %1\r\n%2").arg(ut, rendszerHiba(e)));
    }
    ::close(fd);
}

void mappaLemezre(const QString &ut)
{
    if (const int e = LemezreKod(ut))
        throw StoreHiba(QString("Az archív állomány nem írható ki a lemezre: %1\r\n%2").arg(ut, rendszerHiba(e)));
}

// Whether the file is an archive this program wrote (its comment says so).
bool sajatArchiv(const QString &ut)
{
    int hiba = 0;
    zip_t *za = zip_open(QFile::encodeName(ut).constData(), ZIP_RDONLY, &hiba);
    if (!za)
        return false;
    int hossz = 0;
    const char *m = zip_get_archive_comment(za, &hossz, ZIP_FL_ENC_RAW);
    const bool jel = m && QByteArray(m, hossz) == ARCHIV_JEL;
    zip_discard(za);
    return jel;
}

} // namespace ArchivBelso

namespace {

// What the packing leaves out: the archive itself, the work folders of archives (this one's
// and others' running or left over), earlier archives (the program's own anywhere, any ZIP in
// the folder archives go to), and, when the database is packed from its snapshot, the live
// database's journal files, which belong to the live file only.
struct Kihagyas {
    QString cel;         // canonical path of the target
    QStringList archivMappak;   // canonical: the target's folder and the archive folder
    bool pillanatkep = false;
    bool pgMentes = false;   // the server's dump is packed under its name, not a file of that name
    bool helyiRegi = false;  // the local database and its journals are not the register

    bool kihagy(const QString &ut, const QString &nev) const
    {
        if (nev.endsWith(".zip", Qt::CaseInsensitive)
            && (archivMappak.contains(QFileInfo(ut).canonicalPath()) || ArchivBelso::sajatArchiv(ut)))
            return true;
        // the program's own entries of an archive unpacked here by hand are made anew
        if (nev.startsWith(ARCHIV_SAJAT_MAPPA))
            return true;
        const QStringList reszek = nev.split('/');
        for (int i = 0; i + 1 < reszek.size(); ++i)
            if (munkaNev().match(reszek[i]).hasMatch())
                return true;
        if (pillanatkep || helyiRegi) {
            const QString db = Adatbazis::FAJLNEV;
            if (nev == db + "-journal" || nev == db + "-wal" || nev == db + "-shm" || (helyiRegi && nev == db))
                return true;
        }
        if (pgMentes && nev == PgMentes::FAJLNEV)
            return true;
        return QFileInfo(ut).canonicalFilePath() == cel;
    }
};

QList<Bejegyzes> fajlokListaja(const QString &mappa, const Kihagyas &kihagyas)
{
    QList<Bejegyzes> l;
    QDirIterator it(mappa, QDir::Files | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    const QDir alap(mappa);
    while (it.hasNext()) {
        const QString ut = it.next();
        const QString nev = alap.relativeFilePath(ut);
        if (!kihagyas.kihagy(ut, nev))
            l << bejegyzes(ut, nev);
    }
    if (l.isEmpty() && !kihagyas.pgMentes)
        throw StoreHiba(QString("Az adatbázis mappában nincs archiválható fájl: %1").arg(mappa));
    if (l.size() > ZIP_MAX_BEJEGYZES)
        throw StoreHiba(QString("Túl sok fájl (%1): a ZIP archívum legfeljebb %2 fájlt tarthat.")
                            .arg(l.size()).arg(ZIP_MAX_BEJEGYZES));
    std::sort(l.begin(), l.end(), [](const Bejegyzes &x, const Bejegyzes &y) { return x.nev < y.nev; });
    return l;
}

// The server's register dumped into the work folder and packed among the folder's files.
// With the dump, from its very snapshot: the rows of every table, and the megj rows naming a
// document when they are asked for.
void pgMentesHozzaad(const QString &dump, const QString &kapcsolat, QList<Bejegyzes> &fajlok, Allapot &a,
                     QJsonObject &sorok, QList<DokumentumSor> *dokumentumok)
{
    PgMentes::ment(kapcsolat, dump, [&a] { return a.jelez(true); }, [&](QSqlDatabase &d) {
        QSqlQuery q(d);
        auto hiba = [&q] {
            // a table another session locked after the dump is told as the dump tells it
            const bool zarva = q.lastError().nativeErrorCode() == "55P03";
            return StoreHiba(QString(zarva ? "Egy tábla zárolva volt (egy másik program vagy a rendszergazda dolgozik rajta).\r\n" : "")
                             + QString("Az archív állomány leírása nem készíthető el: %1").arg(q.lastError().databaseText()));
        };
        QStringList tablak;
        if (!q.exec("SELECT table_name FROM information_schema.tables WHERE table_schema = current_schema() "
                    "AND table_type = 'BASE TABLE' ORDER BY 1"))
            throw hiba();
        while (q.next())
            tablak << q.value(0).toString();
        for (const QString &t : tablak) {
            if (!q.exec(QString("SELECT count(*) FROM \"%1\"").arg(QString(t).replace('"', "\"\""))) || !q.next())
                throw hiba();
            sorok.insert(t, double(q.value(0).toLongLong()));
        }
        if (!dokumentumok)
            return;
        if (!q.exec("SELECT megj, coalesce(doksi, 0), doknev FROM megj WHERE coalesce(doknev, '') <> '' ORDER BY megj"))
            throw hiba();
        while (q.next())
            dokumentumok->append({q.value(0).toLongLong(), q.value(1).toLongLong(), q.value(2).toString()});
    });
    const Bejegyzes b = bejegyzes(dump, PgMentes::FAJLNEV);
    a.osszes += 2 * b.meret;
    fajlok.insert(std::lower_bound(fajlok.begin(), fajlok.end(), b,
                                   [](const Bejegyzes &x, const Bejegyzes &y) { return x.nev < y.nev; }),
                  b);
}

// Rows of every table of the checked database copy.
QJsonObject sorokSzama(const QString &db)
{
    QJsonObject o;
    sqlite3 *h = nullptr;
    auto hiba = [&] {
        const QString t = QString::fromUtf8(sqlite3_errmsg(h));
        sqlite3_close(h);
        return StoreHiba(QString("Az archív állomány leírása nem készíthető el: %1").arg(t));
    };
    if (sqlite3_open_v2(QFile::encodeName(db).constData(), &h, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK)
        throw hiba();
    QStringList nevek;
    sqlite3_stmt *s = nullptr;
    if (sqlite3_prepare_v2(h, "SELECT name FROM sqlite_master WHERE type = 'table' AND name NOT LIKE 'sqlite\\_%' ESCAPE '\\'",
                           -1, &s, nullptr) != SQLITE_OK)
        throw hiba();
    while (sqlite3_step(s) == SQLITE_ROW)
        nevek << QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(s, 0)));
    sqlite3_finalize(s);
    for (const QString &n : nevek) {
        const QByteArray sql = QString("SELECT count(*) FROM \"%1\"").arg(QString(n).replace('"', "\"\"")).toUtf8();
        if (sqlite3_prepare_v2(h, sql.constData(), -1, &s, nullptr) != SQLITE_OK || sqlite3_step(s) != SQLITE_ROW) {
            sqlite3_finalize(s);
            throw hiba();
        }
        o.insert(n, double(sqlite3_column_int64(s, 0)));
        sqlite3_finalize(s);
    }
    sqlite3_close(h);
    return o;
}

// The description of the archive, its last entry, in the place the register never holds a
// file: what made it, when, from where, the rows of every table and every entry's size and CRC.
QByteArray leirasAdat(const QList<Bejegyzes> &fajlok, const QString &forras, const QString &dbMasolat, bool szerver,
                      const QJsonObject &szerverSorok, const Dokumentumok &dok, bool dokumentumokKihagyva)
{
    QJsonObject o;
    o.insert("program", QCoreApplication::applicationName() + " " + QCoreApplication::applicationVersion());
    o.insert("semaVerzio", Sema::verzio());
    o.insert("motor", szerver ? "PostgreSQL" : "SQLite");
    o.insert("datum", QDateTime::currentDateTime().toString(Qt::ISODate));
    o.insert("adatbazisMappa", forras);
    if (!dbMasolat.isEmpty())
        o.insert("sorok", sorokSzama(dbMasolat));
    else if (szerver)
        o.insert("sorok", szerverSorok);
    QJsonArray b;
    for (const Bejegyzes &f : fajlok)
        b.append(QJsonObject{{"nev", f.nev}, {"meret", double(f.meret)}, {"crc", double(f.crc)}});
    o.insert("bejegyzesek", b);
    o.insert("dokumentumok", dok.leiras);
    o.insert("hianyzo_dokumentumok", dok.hianyzoLeiras);
    o.insert("dokumentumok_kihagyva", dokumentumokKihagyva);
    return QJsonDocument(o).toJson();
}

} // namespace

ArchivMegszakitva::ArchivMegszakitva() : StoreHiba("Az archiválás megszakítva.") {}

QString ArchivNev(const QDate &nap) { return nap.toString("yyyyMMdd") + ".zip"; }

QString ArchivFigyelmeztetes(const ArchivOsszegzes &o)
{
    QStringList s;
    // a few names in full, the rest counted: a message box must stay on the screen
    constexpr int LEGFELJEBB = 5;
    auto lista = [](const QStringList &l) {
        QStringList r = l.mid(0, LEGFELJEBB);
        for (QString &n : r)
            n = QDir::toNativeSeparators(n);
        QString t = r.join(", ");
        if (l.size() > LEGFELJEBB)
            t += QString(" és további %1").arg(l.size() - LEGFELJEBB);
        return t;
    };
    if (!o.hianyzoDokumentumok.isEmpty())
        s << QString("%1 csatolt fájl nem található: %2").arg(o.hianyzoDokumentumok.size()).arg(lista(o.hianyzoDokumentumok));
    if (!o.nemOlvashato.isEmpty())
        s << QString("Nem olvasható, kimaradt az archívumból: %1").arg(lista(o.nemOlvashato));
    return s.join("\r\n");
}

void ArchivMappaLetrehoz(const QString &mappa)
{
    if (QFileInfo(mappa).isDir())
        return;
    if (::mkdir(QFile::encodeName(mappa).constData(), 0777) != 0 && errno != EEXIST)
        throw StoreHiba(QString("Az archív mappa nem hozható létre: %1\r\n%2").arg(mappa, rendszerHiba(errno)));
}

ArchivOsszegzes ArchivIr(const QString &mappa, const QString &cel, const ArchivFigyelo &figyelo,
                         const QString &kapcsolat)
{
    const QFileInfo mi(mappa);
    if (mappa.isEmpty() || !mi.isDir())
        throw StoreHiba(QString("Az adatbázis mappa nem létezik: %1").arg(mappa));
    if (cel.isEmpty() || QFileInfo(cel).fileName().isEmpty())
        throw StoreHiba("Nincs megadva az archív állomány neve.");
    RegiszterFajlVed(cel);
    // a link to an archive is followed: the archive it names is replaced
    const QFileInfo ci(QFileInfo(cel).exists() ? QFileInfo(cel).canonicalFilePath() : QFileInfo(cel).absoluteFilePath());
    const QFileInfo celMappa(ci.absolutePath());
    if (!celMappa.isDir())
        throw StoreHiba(QString("Az archív állomány mappája nem létezik: %1").arg(ci.absolutePath()));
    if (ci.isDir())
        throw StoreHiba(QString("Az archív állomány helyén mappa van: %1").arg(cel));
    struct stat cst;
    const bool vanCel = ::stat(QFile::encodeName(ci.absoluteFilePath()).constData(), &cst) == 0;
    // a device or a pipe would be replaced by the rename, not written
    if (vanCel && !S_ISREG(cst.st_mode))
        throw StoreHiba(QString("Az archív állomány helyén nem közönséges fájl van: %1").arg(cel));
    // the whole register is in it: its owner's alone, whatever the umask or the file it replaces
    const mode_t jog = 0600;

    const QString forras = mi.canonicalFilePath();
    Kihagyas kihagyas;
    kihagyas.cel = QDir(celMappa.canonicalFilePath()).filePath(ci.fileName());
    kihagyas.archivMappak << celMappa.canonicalFilePath();
    for (const QString &m : {Beall.MentesUtvonal, Beall.MasodikMentesUtvonal})
        if (const QFileInfo am(m); !m.isEmpty() && am.isDir())
            kihagyas.archivMappak << am.canonicalFilePath();
    kihagyas.pgMentes = !kapcsolat.isEmpty();
    // beside a server register a local database file is the old one it was copied from
    kihagyas.helyiRegi = kihagyas.pgMentes && Adatbazis::vanAdatbazis(forras);
    kihagyas.pillanatkep = !kihagyas.pgMentes && Adatbazis::vanAdatbazis(forras);
    maradekTorol(celMappa.canonicalFilePath());
    if (QDir(forras) != QDir(celMappa.canonicalFilePath()))
        maradekTorol(forras);
    QList<Bejegyzes> fajlok = fajlokListaja(forras, kihagyas);
    Allapot a;
    a.figyelo = figyelo;
    for (const Bejegyzes &b : fajlok)
        a.osszes += 2 * b.meret;   // packing, then reading back
    Bejegyzes *db = nullptr;
    for (Bejegyzes &b : fajlok)
        if (kihagyas.pillanatkep && b.nev == Adatbazis::FAJLNEV)
            db = &b;
    if (db)
        a.osszes += db->meret;     // and copying the database first
    a.jelez(true);

    const bool dokumentumokKell = Beall.ArchivDokumentumok;
    QList<DokumentumSor> dokSorok;
    QJsonObject szerverSorok;
    const MunkaMappa munka(celMappa.canonicalFilePath(), ci.fileName());
    std::unique_ptr<FolyoPillanatkep> folyo;
    const int dbFajl = db ? int(db - fajlok.constData()) : -1;   // a server's dump may move the list
    if (db) {
        const QString masolat = munka.fajl("adatbazis.db");
        folyo = std::make_unique<FolyoPillanatkep>(db->ut, masolat, [&](sqlite3 *h) {
            if (dokumentumokKell)
                dokSorok = dokumentumSorok(h);
        });
        const mode_t mod = db->mod;
        if (folyo->folyik()) {
            if (folyo->meret() >= ZIP_MAX_MERET)
                throw StoreHiba(QString("A fájl nagyobb, mint amit a ZIP archívum 4 GB-os korlátja enged: %1").arg(db->nev));
            db->ut = masolat;
            db->meret = folyo->meret();
            db->mtime = ::time(nullptr);
        } else {
            folyo.reset();
            pillanatkep(db->ut, masolat, db->meret, a);
            *db = bejegyzes(masolat, db->nev);
            if (dokumentumokKell)
                dokSorok = dokumentumSorok(masolat);
        }
        db->mod = mod;
        a.osszes = a.kesz;
        for (const Bejegyzes &b : fajlok)
            a.osszes += 2 * b.meret;
    }
    if (kihagyas.pgMentes)
        pgMentesHozzaad(munka.fajl(PgMentes::FAJLNEV), kapcsolat, fajlok, a, szerverSorok,
                        dokumentumokKell ? &dokSorok : nullptr);
    // the program's own entries after the folder's: the period list, then the documents
    const int sajatElso = int(fajlok.size());
    QStringList nemOlvashato;
    if (const QString dorvido = DorvidoFajlUt(); QFileInfo::exists(dorvido)) {
        try {
            fajlok << bejegyzes(dorvido, ARCHIV_DORVIDO);
        } catch (const StoreHiba &) {
            nemOlvashato << QDir::toNativeSeparators(dorvido);
        }
    }
    Dokumentumok dok = dokumentumokHozzaad(dokSorok, fajlok, db ? QDir(forras).filePath(Adatbazis::FAJLNEV) : QString());
    for (int i = sajatElso; i < fajlok.size(); ++i)
        a.osszes += 2 * fajlok[i].meret;
    // the classic ZIP limit, before anything is packed: the description is one entry more
    if (fajlok.size() + 1 > ZIP_MAX_BEJEGYZES) {
        QString ok = QString("Az archívum %1 bejegyzést tartana (%2 fájl az adatbázis mappájából")
                         .arg(fajlok.size() + 1).arg(sajatElso);
        if (dok.fajlok > 0)
            ok += QString(", %1 csatolt dokumentum").arg(dok.fajlok);
        ok += QString("), a ZIP archívum 64 bites kiterjesztés nélkül legfeljebb %1 bejegyzést tarthat. Az archív "
                      "állomány nem készült el.").arg(ZIP_MAX_BEJEGYZES);
        if (dok.fajlok > 0)
            ok += "\r\nA csatolt dokumentumok a Beállításokban kihagyhatók az archívumból.";
        throw StoreHiba(ok);
    }
    const QString zip = munka.fajl("archiv.zip");
    Csomagolo cs(fajlok);
    if (folyo)
        cs.elerheto = [&folyo, dbFajl](int fajl, qint64 ig, QString &hiba) {
            return fajl != dbFajl || folyo->var(ig, hiba);
        };
    const QString masolat = dbFajl >= 0 ? munka.fajl("adatbazis.db") : QString();
    auto serult = [&](const QString &serules) {
        return StoreHiba(Epseg::uzenet(QDir(forras).filePath(Adatbazis::FAJLNEV), serules)
                         + "\r\nAz archív állomány nem készült el: sérült adatbázisról nem lenne jó mentés.");
    };
    // the description goes in with the files, once they are packed: the check reads back the
    // very file that is put in place
    QByteArray leiras;
    bool leirasKell = false;
    try {
        iras(zip, cel, fajlok, cs, a, [&] {
            leirasKell = true;
            dokumentumCrc(dok, fajlok);
            leiras = leirasAdat(fajlok, forras, masolat, kihagyas.pgMentes, szerverSorok, dok, !dokumentumokKell);
            return leiras;
        });
    } catch (const StoreHiba &) {
        // a damaged copy may fail the description's count of rows: the damage is told
        if (leirasKell && leiras.isEmpty() && !masolat.isEmpty())
            if (const QString serules = Epseg::fajlEllenoriz(masolat); !serules.isEmpty())
                throw serult(serules);
        throw;
    }
    if (QFileInfo(zip).size() > ZIP_MAX_MERET)
        throw StoreHiba(QString("Az archív állomány nagyobb lenne 4 GB-nál: %1").arg(cel));
    kiirasIndit(zip);
    // the copy packed is checked page by page beside the read-back: a damaged register makes
    // no archive that would pass for a good backup
    QString serules, ellenorHiba;
    struct Szal {
        std::thread t;
        ~Szal()
        {
            if (t.joinable())
                t.join();
        }
    } ellenor;
    if (dbFajl >= 0)
        ellenor.t = std::thread([&serules, &ellenorHiba, &masolat] {
            try {
                serules = Epseg::fajlEllenoriz(masolat);
            } catch (const StoreHiba &h) {
                ellenorHiba = h.uzenet();
            }
        });
    ellenorzes(zip, cel, fajlok, cs, a, leiras);
    if (ellenor.t.joinable())
        ellenor.t.join();
    if (!serules.isEmpty())
        throw serult(serules);
    if (!ellenorHiba.isEmpty())
        throw StoreHiba(ellenorHiba);
    lemezre(zip, jog);
    if (::rename(QFile::encodeName(zip).constData(), QFile::encodeName(ci.absoluteFilePath()).constData()) != 0)
        throw StoreHiba(QString("Az archív állomány nem írható: %1\r\n%2").arg(cel, rendszerHiba(errno)));
    mappaLemezre(celMappa.absoluteFilePath());
    a.kesz = a.osszes;
    a.jelez(true);

    ArchivOsszegzes o;
    o.fajlok = int(fajlok.size());
    for (const Bejegyzes &b : fajlok)
        o.bajtok += b.meret;
    o.dokumentumok = dok.fajlok;
    o.dokumentumSorok = dok.sorok;
    o.hianyzoDokumentumok = dok.hianyzok;
    o.nemOlvashato = nemOlvashato;
    o.dokumentumokKihagyva = !dokumentumokKell;
    return o;
}
