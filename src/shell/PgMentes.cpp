#include "PgMentes.h"
#include "Adatbazis.h"
#include "ArchivIro.h"
#include "Adatbazis.h"
#include "KapcsolatLeiras.h"

#include <QSqlError>
#include <QSqlQuery>
#include <optional>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

const char *const PgMentes::FAJLNEV = "dorvprg.pgdump";

namespace {
constexpr int ZARVARAS_MS = 5000;   // the program's own lock_timeout
}

QString PgMentes::pgDumpProgram()
{
    int legujabb = -1;
    QString ut;
    const QDir d("/usr/lib/postgresql");
    for (const QString &v : d.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        bool ok = false;
        const int n = v.toInt(&ok);
        const QString p = d.filePath(v + "/bin/pg_dump");
        if (ok && n > legujabb && QFileInfo(p).isExecutable()) {
            legujabb = n;
            ut = p;
        }
    }
    return ut.isEmpty() ? QStandardPaths::findExecutable("pg_dump") : ut;
}

namespace {
// A transaction whose snapshot the dump takes, read in again once the dump is done; rolled
// back when it goes.
struct Pillanat {
    static constexpr char NEV[] = "DorvPrgArchivPillanat";
    QString azonosito;
    explicit Pillanat(const QString &kapcsolat)
    {
        QSqlDatabase d = Adatbazis::kapcsolodik(NEV, kapcsolat);
        QSqlQuery q(d);
        if (!q.exec("BEGIN ISOLATION LEVEL REPEATABLE READ, READ ONLY") || !q.exec("SELECT pg_export_snapshot()")
            || !q.next())
            throw StoreHiba(QString("Az adatbázis pillanatképe nem készíthető el: %1").arg(q.lastError().databaseText()));
        azonosito = q.value(0).toString();
    }
    ~Pillanat()
    {
        {
            QSqlDatabase d = QSqlDatabase::database(NEV, false);
            if (d.isOpen())
                QSqlQuery(d).exec("ROLLBACK");
            d.close();
        }
        QSqlDatabase::removeDatabase(NEV);
    }
};
} // namespace

void PgMentes::ment(const QString &kapcsolat, const QString &fajl, const std::function<bool()> &folytat,
                    const std::function<void(QSqlDatabase &)> &pillanatban)
{
    const QString program = pgDumpProgram();
    if (program.isEmpty())
        throw StoreHiba("A kiszolgálón tartott adatbázis mentéséhez a pg_dump program kell "
                        "(postgresql-client csomag), de nem található.");
    // the keywords the program connects with, never a password (refused before): the
    // command line is visible to every local user
    KapcsolatLeiras::Kulcsok kulcsok = KapcsolatLeiras::alapokkal(KapcsolatLeiras::elemez(kapcsolat), "pg_dump");
    std::optional<Pillanat> pillanat;
    if (pillanatban)
        pillanat.emplace(kapcsolat);
    QProcess p;
    // the register's own server, logged in to with a name and password typed at the start:
    // the dump logs in as that role; the password goes in its environment, which only this
    // user can read, never on its command line
    const Adatbazis::Belepes b = Adatbazis::belepes();
    if (!b.nev.isEmpty() && kapcsolat.trimmed() == Adatbazis::kapcsolat()) {
        kulcsok.removeIf([](const auto &kv) { return kv.first == "user"; });
        kulcsok.append({QByteArray("user"), b.nev});
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("PGPASSWORD", b.jelszo);
        p.setProcessEnvironment(env);
    }
    const QString leiras = KapcsolatLeiras::szoveg(kulcsok);
    p.setProgram(program);
    // no compression of its own: the archive packs the dump on every core; a table locked by
    // someone else is waited for as long as the program waits for a lock, not for ever
    QStringList arg{"--format=custom", "--compress=0", "--no-password",
                    QString("--lock-wait-timeout=%1").arg(ZARVARAS_MS), "--file=" + fajl, "--dbname=" + leiras};
    if (pillanat)
        arg << "--snapshot=" + pillanat->azonosito;
    p.setArguments(arg);
    p.setStandardInputFile(QProcess::nullDevice());
    p.setStandardOutputFile(QProcess::nullDevice());
    p.start();
    if (!p.waitForStarted())
        throw StoreHiba(QString("A pg_dump nem indítható: %1\r\n%2").arg(program, p.errorString()));
    while (!p.waitForFinished(100)) {
        if (p.state() == QProcess::NotRunning)
            break;
        if (folytat && !folytat()) {
            p.kill();
            p.waitForFinished(-1);
            QFile::remove(fajl);
            throw ArchivMegszakitva();
        }
    }
    const QString uzenet = QString::fromLocal8Bit(p.readAllStandardError()).trimmed().replace('\n', "\r\n");
    if (p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
        QFile::remove(fajl);
        // pg_dump times its LOCK TABLE statements out (statement_timeout) when it waits
        const bool zarvaMaradt = uzenet.contains("lock timeout")
            || (uzenet.contains("statement timeout") && uzenet.contains("LOCK TABLE"));
        const QString zarva = zarvaMaradt
            ? QString("Egy tábla zárolva volt (egy másik program vagy a rendszergazda dolgozik rajta); a mentés %1 "
                      "másodperc várakozás után leállt.\r\n").arg(ZARVARAS_MS / 1000)
            : QString();
        throw StoreHiba(zarva + QString("Az adatbázis mentése (pg_dump) nem sikerült (kilépési kód: %1).\r\n%2")
                            .arg(p.exitStatus() == QProcess::NormalExit ? QString::number(p.exitCode()) : QString("összeomlás"),
                                 uzenet));
    }
    // a dump that ended with code 0 but is not there whole is no dump
    QFile f(fajl);
    if (!f.open(QIODevice::ReadOnly) || f.read(5) != "PGDMP")
        throw StoreHiba(QString("Az adatbázis mentése (pg_dump) nem írt érvényes fájlt: %1\r\n%2").arg(fajl, uzenet));
    // after the dump, which waited for the tables' locks first: the same snapshot still
    if (pillanat) {
        QSqlDatabase d = QSqlDatabase::database(Pillanat::NEV, false);
        pillanatban(d);
    }
}
