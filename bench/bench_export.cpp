// bench_export [REGISTER_FOLDER [DORVPRG [ROUNDS]]]: the export of the 'J' view of a generated
// register (half of its letters; a new one has 1,000,000) by the whole program, `dorvprg --data
// FOLDER --export J FILE`, against the sqlite3 command-line tool writing the same rows with the
// same joins as CSV. The two run in turn (A B A B ..., after one round not counted) and the
// ratio of their medians is printed, of the wall clock and of the CPU time (the machine may be
// shared). The register folder defaults to /tmp/dorvprg-bench (generated when missing; one of
// an older version is exported from a copy, as the program would bring it up to date);
// dorvprg defaults to the one built beside this program; 5 rounds.
#include "Adatbazis.h"
#include "Generator.h"
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

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList a = app.arguments();
    QString mappa = QDir(a.size() > 1 ? a[1] : QString("/tmp/dorvprg-bench")).absolutePath();
    const QString dorvprg = a.size() > 2 ? a[2] : QDir(app.applicationDirPath()).filePath("../src/app/dorvprg");
    const int korok = a.size() > 3 ? std::max(3, a[3].toInt()) : 5;
    const QString sqlite = QStandardPaths::findExecutable("sqlite3");
    if (!QFileInfo(dorvprg).isExecutable() || sqlite.isEmpty()) {
        std::fprintf(stderr, "Nem található: %s\n", qPrintable(sqlite.isEmpty() ? QString("sqlite3") : dorvprg));
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
        const QString ki = QDir(dir.path()).filePath("DorvPrg.CSV"), ki2 = QDir(dir.path()).filePath("sqlite3.csv");
        const QString db = QDir(mappa).filePath("dorvprg.db");
        const auto export_ = [&] { return futtat(dorvprg, {"--data", mappa, "--export", "J", ki}, {}, ki); };
        const auto sqlite3 = [&] { return futtat(sqlite, {"-csv", "-header", db, SQLITE_LEKERDEZES}, ki2, ki2); };

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
            std::printf("%d. kör: dorvprg --export %8.0f ms (CPU %8.0f ms, %lld bájt), sqlite3 -csv %8.0f ms "
                        "(CPU %8.0f ms, %lld bájt)\n", i + 1, x.fal, x.cpu, x.bajt, y.fal, y.cpu, y.bajt);
            std::fflush(stdout);
        }
        const double arany = Median(aFal) / Median(bFal), cpuArany = Median(aCpu) / Median(bCpu);
        std::printf("medián: dorvprg --export %.0f ms, sqlite3 -csv %.0f ms, arány %.2f (CPU-idő aránya %.2f)\n",
                    Median(aFal), Median(bFal), arany, cpuArany);
        JsonSor("export_J_dorvprg", Median(aFal), "ms", arany);
        JsonSor("export_J_sqlite3", Median(bFal), "ms");
        JsonSor("export_J_dorvprg_cpu", Median(aCpu), "ms", cpuArany);
        JsonSor("export_J_sqlite3_cpu", Median(bCpu), "ms");
    } catch (const StoreHiba &h) {
        std::fprintf(stderr, "%s\n", qPrintable(h.uzenet()));
        return 1;
    }
    return 0;
}
