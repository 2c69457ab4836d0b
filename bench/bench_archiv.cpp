// Archives the database folder of a generated register with the program's writer and, in the
// same run, with `zip -1 -r -q` (Info-ZIP) on the same folder, in turns (A B A B ...), and
// prints both times of every round, their medians and the ratio of the medians, each figure
// also as one JSON line.
//   bench_archiv [DATABASE_FOLDER] [LETTERS] [ROUNDS]
// Without a folder a register of LETTERS (default 1,000,000) letters is generated first; the
// folder is only read. ROUNDS defaults to 5 (at least 3).
#include "Adatbazis.h"
#include "ArchivIro.h"
#include "Meres.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <sys/resource.h>

#if __has_include("common/Generator.h")
#include "common/Generator.h"
#define VAN_GENERATOR 1
#endif

namespace {

double cpu(int ki)
{
    rusage r;
    getrusage(ki, &r);
    return r.ru_utime.tv_sec + r.ru_stime.tv_sec + (r.ru_utime.tv_usec + r.ru_stime.tv_usec) / 1e6;
}

qint64 mappaMeret(const QString &m)
{
    qint64 n = 0;
    QDirIterator it(m, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext())
        n += QFileInfo(it.next()).size();
    return n;
}

// reads every file once so that both writers start from the page cache
void melegit(const QString &m)
{
    QDirIterator it(m, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    QByteArray b(1 << 20, Qt::Uninitialized);
    while (it.hasNext()) {
        QFile f(it.next());
        if (f.open(QIODevice::ReadOnly))
            while (f.read(b.data(), b.size()) > 0) {
            }
    }
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QTemporaryDir tmp;
    QString mappa = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString();
    if (mappa.isEmpty() || !Adatbazis::vanAdatbazis(mappa)) {
#ifdef VAN_GENERATOR
        const int n = argc > 2 ? atoi(argv[2]) : 1000000;
        if (mappa.isEmpty())
            mappa = tmp.filePath("Data");
        QDir().mkpath(mappa);
        QElapsedTimer g;
        g.start();
        RegiszterGeneral(mappa, n);
        Adatbazis::bezar();
        std::printf("generated %d letters in %.1f s\n", n, g.elapsed() / 1000.0);
#else
        std::fprintf(stderr, "no database in '%s' and no generator built in\n", qPrintable(mappa));
        return 2;
#endif
    }
    Adatbazis::bezar();
    const QString ki = tmp.filePath("ki");
    QDir().mkpath(ki);
    melegit(mappa);
    std::printf("folder %s: %.1f MB\n", qPrintable(mappa), mappaMeret(mappa) / 1048576.0);

    const int korok = std::max(3, argc > 3 ? atoi(argv[3]) : 5);
    QList<double> sajat, sajatCpu, infozip, infozipCpu, sajatMeret, infozipMeret;
    for (int kor = 0; kor < korok; ++kor) {
        QElapsedTimer t;
        t.start();
        const double c0 = cpu(RUSAGE_SELF);
        const QString a = QDir(ki).filePath("sajat.zip");
        double csomagolva = 0, csomagolvaCpu = 0;   // packing done, reading back starts
        try {
            ArchivIr(mappa, a, [&](qint64 kesz, qint64 osszes) {
                if (csomagolva == 0 && kesz * 2 >= osszes) {
                    csomagolva = t.elapsed() / 1000.0;
                    csomagolvaCpu = cpu(RUSAGE_SELF) - c0;
                }
                return true;
            });
        } catch (const StoreHiba &h) {
            std::fprintf(stderr, "%s\n", qPrintable(h.uzenet()));
            return 1;
        }
        const double ts = t.nsecsElapsed() / 1e9;
        const double cs = cpu(RUSAGE_SELF) - c0;
        const qint64 ms = QFileInfo(a).size();
        QFile::remove(a);

        const QString b = QDir(ki).filePath("infozip.zip");
        QProcess p;
        p.setWorkingDirectory(mappa);
        const double z0 = cpu(RUSAGE_CHILDREN);
        t.restart();
        p.start("zip", {"-1", "-r", "-q", b, "."});
        if (!p.waitForFinished(-1) || p.exitCode() != 0) {
            std::fprintf(stderr, "zip failed: %s\n", p.readAllStandardError().constData());
            return 1;
        }
        const double tz = t.nsecsElapsed() / 1e9;
        const double cz = cpu(RUSAGE_CHILDREN) - z0;
        const qint64 zs = QFileInfo(b).size();
        QFile::remove(b);
        std::printf("round %d: ArchivIr %.2f s wall, %.2f s CPU (packed in %.2f s / %.2f s CPU, then read back; %.1f MB)\n"
                    "         zip -1   %.2f s wall, %.2f s CPU (%.1f MB); wall ratio %.2f, CPU ratio %.2f\n",
                    kor + 1, ts, cs, csomagolva, csomagolvaCpu, ms / 1048576.0, tz, cz, zs / 1048576.0, ts / tz, cs / cz);
        std::fflush(stdout);
        sajat << ts * 1000;
        sajatCpu << cs * 1000;
        infozip << tz * 1000;
        infozipCpu << cz * 1000;
        sajatMeret << double(ms);
        infozipMeret << double(zs);
    }
    const double arany = Median(sajat) / Median(infozip);
    const double cpuArany = Median(sajatCpu) / Median(infozipCpu);
    std::printf("median of %d rounds: ArchivIr %.2f s, zip -1 %.2f s, ratio %.2f (goal <= 0.50); CPU %.2f s against "
                "%.2f s, ratio %.2f (goal <= 1.00)\n",
                korok, Median(sajat) / 1000, Median(infozip) / 1000, arany, Median(sajatCpu) / 1000,
                Median(infozipCpu) / 1000, cpuArany);
    JsonSor("archive", Median(sajat), "ms", arany);
    JsonSor("archive_cpu", Median(sajatCpu), "ms", cpuArany);
    JsonSor("archive_zip", Median(infozip), "ms");
    JsonSor("archive_zip_cpu", Median(infozipCpu), "ms");
    JsonSor("archive_size", Median(sajatMeret), "bytes", Median(sajatMeret) / Median(infozipMeret));
    JsonSor("archive_zip_size", Median(infozipMeret), "bytes");
    return 0;
}
