// bench_export [REGISTER_FOLDER [DORVPRG [ROUNDS]]]: the export of the 'J' view of a generated
// register (half of its letters; a new one has 1,000,000) by the whole program, `dorvprg --data
// FOLDER --export J FILE`, against the sqlite3 command-line tool writing the same rows with the
// same joins as CSV. The two run in turn (A B A B ..., after one round not counted) and the
// ratio of their medians is printed, of the wall clock and of the CPU time (the machine may be
// shared). The register folder defaults to /tmp/dorvprg-bench (generated when missing; one of
// an older version is exported from a copy, as the program would bring it up to date);
// dorvprg defaults to the one built beside this program; 5 rounds.
// With a fifth argument, a libpq CONNECTION, the register is the one on that server (an empty
// database there first gets the folder's register by `dorvprg --copy-to`), the program reads
// it through a DorvPrg.ini naming the server, and the peer is psql writing the same rows with
// `\copy` from the same joins. The program takes no password in its DorvPrg.ini: one in the
// connection string is given to it through a password file of the benchmark's temporary
// folder (PGPASSFILE), and psql gets the string as it is.
#include "Adatbazis.h"
#include "Generator.h"
#include "KapcsolatLeiras.h"
#include "Meres.h"
#include "StoreHiba.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <cstdio>
#include <functional>
#include <libpq-fe.h>
#include <sys/resource.h>

namespace {

// The same rows and joins for the command-line tool, newest number first.
const char *SQLITE_LEKERDEZES =
    "SELECT t.doksi, t.doksi_id, t.datum, t.dorvido, t.marka, substr(k0.marka_nev, 1, 25), t.alkatresz,"
    " substr(k1.alkatresz_nev, 1, 50), t.rendszam, t.ugyfel, substr(k2.ugyfel_nev, 1, 100), t.sorozatszam,"
    " t.prntip, t.kmora, t.egyebjav, t.ft_varhato, t.serulesek, t.hibajelenseg, t.dat_beerk,"
    " t.hibajel_fuggetlen, t.okmanyok, t.hiba1, t.hiba2, t.hiba3, t.dat_befejez, t.megjegyzes, t.elvjavitas"
    " FROM doksi t LEFT OUTER JOIN marka k0 ON k0.marka = t.marka"
    " LEFT OUTER JOIN alkatresz k1 ON k1.alkatresz = t.alkatresz"
    " LEFT OUTER JOIN ugyfel k2 ON k2.ugyfel = t.ugyfel"
    " WHERE t.prntip = 'J' ORDER BY t.doksi_id DESC, t.rowid DESC;";

// The same on the server, where the letters' key is their row identity.
QString psqlParancs(const QString &fajl)
{
    QString sql = QString(SQLITE_LEKERDEZES).replace("t.rowid", "t.doksi");
    sql.chop(1);
    return QString("\\copy (%1) TO '%2' WITH (FORMAT csv, HEADER)").arg(sql, fajl);
}

double gyerekCpuMs()
{
    rusage r{};
    getrusage(RUSAGE_CHILDREN, &r);
    return (r.ru_utime.tv_sec + r.ru_stime.tv_sec) * 1e3 + (r.ru_utime.tv_usec + r.ru_stime.tv_usec) / 1e3;
}

struct Futas {
    double fal = 0, cpu = 0;
    qint64 bajt = 0;
};

// One whole process, its standard output into a file; throws when it fails.
Futas futtat(const QString &program, const QStringList &argumentumok, const QString &kimenet, const QString &fajl)
{
    QFile::remove(fajl);
    QProcess p;
    if (!kimenet.isEmpty())
        p.setStandardOutputFile(kimenet);
    Futas f;
    const double c0 = gyerekCpuMs();
    QElapsedTimer t;
    t.start();
    p.start(program, argumentumok);
    if (!p.waitForFinished(-1) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
        throw StoreHiba(QString("%1: kilépési kód %2\n%3").arg(program).arg(p.exitCode())
                            .arg(QString::fromLocal8Bit(p.readAllStandardError())));
    f.fal = t.nsecsElapsed() / 1e6;
    f.cpu = gyerekCpuMs() - c0;
    f.bajt = QFileInfo(fajl).size();
    if (f.bajt <= 0)
        throw StoreHiba(QString("%1: üres kimenet").arg(program));
    return f;
}

// The connection string without its password, which goes into a password file in the
// folder (mode 0600) named by PGPASSFILE for the processes started from here.
QString jelszoFajlba(const QString &kapcsolat, const QString &mappa)
{
    char *hiba = nullptr;
    PQconninfoOption *o = PQconninfoParse(kapcsolat.toUtf8().constData(), &hiba);
    if (!o) {
        const QString szoveg = QString::fromUtf8(hiba ? hiba : "").trimmed();
        PQfreemem(hiba);
        throw StoreHiba("Hibás kapcsolat: " + szoveg);
    }
    KapcsolatLeiras::Kulcsok kulcsok;
    QString jelszo;
    for (const PQconninfoOption *k = o; k->keyword; ++k) {
        if (!k->val)
            continue;
        if (qstrcmp(k->keyword, "password") == 0)
            jelszo = QString::fromUtf8(k->val);
        else
            kulcsok.append({QByteArray(k->keyword), QString::fromUtf8(k->val)});
    }
    PQconninfoFree(o);
    if (jelszo.isEmpty())
        return kapcsolat;
    // any host, port, database and user: the string names them
    QString sor = "*:*:*:*:" + QString(jelszo).replace("\\", "\\\\").replace(":", "\\:") + "\n";
    const QString ut = QDir(mappa).filePath("pgpass");
    QFile f(ut);
    if (!f.open(QIODevice::WriteOnly) || !f.setPermissions(QFile::ReadOwner | QFile::WriteOwner)
        || f.write(sor.toUtf8()) < 0 || !f.flush())
        throw StoreHiba("A jelszófájl nem írható: " + ut);
    qputenv("PGPASSFILE", QFile::encodeName(ut));
    return KapcsolatLeiras::szoveg(kulcsok);
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList a = app.arguments();
    QString mappa = QDir(a.size() > 1 ? a[1] : QString("/tmp/dorvprg-bench")).absolutePath();
    const QString dorvprg = a.size() > 2 ? a[2] : QDir(app.applicationDirPath()).filePath("../src/app/dorvprg");
    const int korok = a.size() > 3 ? std::max(3, a[3].toInt()) : 5;
    const QString kapcsolat = a.size() > 4 ? a[4] : QString();
    const QString tars = QStandardPaths::findExecutable(kapcsolat.isEmpty() ? "sqlite3" : "psql");
    if (!QFileInfo(dorvprg).isExecutable() || tars.isEmpty()) {
        std::fprintf(stderr, "Nem található: %s\n",
                     qPrintable(tars.isEmpty() ? QString(kapcsolat.isEmpty() ? "sqlite3" : "psql") : dorvprg));
        return 2;
    }
    try {
        QElapsedTimer ora;
        ora.start();
        QTemporaryDir dir;
        if (!Adatbazis::vanAdatbazis(mappa))
            RegiszterGeneral(mappa);
        mappa = RegiszterOlvasasra(mappa, dir.filePath("Data"));
        std::printf("regiszter: %s (%.2f s)\n", qPrintable(mappa), ora.elapsed() / 1000.0);
        const QString ki = QDir(dir.path()).filePath("DorvPrg.CSV"), ki2 = QDir(dir.path()).filePath("tars.csv");
        const QString db = QDir(mappa).filePath("dorvprg.db");
        QString program = dorvprg;
        std::function<Futas()> tarsFut = [&] { return futtat(tars, {"-csv", "-header", db, SQLITE_LEKERDEZES}, ki2, ki2); };
        const char *tarsNev = "sqlite3 -csv";
        if (!kapcsolat.isEmpty()) {
            // the program reads the server named in the DorvPrg.ini of its own folder
            const QString pm = dir.filePath("program");
            program = QDir(pm).filePath("dorvprg");
            const QString sajatKapcsolat = jelszoFajlba(kapcsolat, dir.path());
            QFile ini(QDir(pm).filePath("DorvPrg.ini"));
            if (!QDir().mkpath(pm) || !QFile::copy(dorvprg, program) || !ini.open(QIODevice::WriteOnly)
                || ini.write(QString("[Adatbazis]\r\nUtvonal=%1\r\nKapcsolat=%2\r\n").arg(mappa, sajatKapcsolat).toUtf8()) < 0
                || !ini.flush())
                throw StoreHiba("A program mappája nem írható: " + pm);
            ini.close();
            QProcess m;
            m.start(program, {"--data", mappa, "--copy-to", sajatKapcsolat});
            m.waitForFinished(-1);
            std::printf("--copy-to: kilépési kód %d%s\n", m.exitCode(),
                        m.exitCode() != 0 ? " (a kiszolgáló adatbázisa már tartalmazza a nyilvántartást)" : "");
            tarsFut = [&] { return futtat(tars, {kapcsolat, "-X", "-q", "-c", psqlParancs(ki2)}, {}, ki2); };
            tarsNev = "psql \\copy";
        }
        const auto export_ = [&] { return futtat(program, {"--data", mappa, "--export", "J", ki}, {}, ki); };
        const auto sqlite3 = tarsFut;

        // a round not counted: the file in the system's cache for both, an older register brought up to date
        export_();
        sqlite3();
        QList<double> aFal, aCpu, bFal, bCpu;
        for (int i = 0; i < korok; ++i) {
            const Futas x = export_();
            const Futas y = sqlite3();
            aFal << x.fal;
            aCpu << x.cpu;
            bFal << y.fal;
            bCpu << y.cpu;
            std::printf("%d. kör: dorvprg --export %8.0f ms (CPU %8.0f ms, %lld bájt), %s %8.0f ms "
                        "(CPU %8.0f ms, %lld bájt)\n", i + 1, x.fal, x.cpu, x.bajt, tarsNev, y.fal, y.cpu, y.bajt);
            std::fflush(stdout);
        }
        const double arany = Median(aFal) / Median(bFal), cpuArany = Median(aCpu) / Median(bCpu);
        std::printf("medián: dorvprg --export %.0f ms, %s %.0f ms, arány %.2f (CPU-idő aránya %.2f)\n",
                    Median(aFal), tarsNev, Median(bFal), arany, cpuArany);
        // the server's figures under names of their own
        const QString sajat = kapcsolat.isEmpty() ? "export_J_dorvprg" : "pg_export_J_dorvprg";
        const QString tarsJson = kapcsolat.isEmpty() ? "export_J_sqlite3" : "pg_export_J_psql";
        JsonSor(sajat, Median(aFal), "ms", arany);
        JsonSor(tarsJson, Median(bFal), "ms");
        JsonSor(sajat + "_cpu", Median(aCpu), "ms", cpuArany);
        JsonSor(tarsJson + "_cpu", Median(bCpu), "ms");
    } catch (const StoreHiba &h) {
        std::fprintf(stderr, "%s\n", qPrintable(h.uzenet()));
        return 1;
    }
    return 0;
}
