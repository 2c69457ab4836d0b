// bench_kereses FOLDER [N]: the detailed search on a generated register of N letters
// (default 1,000,000; written into FOLDER first when it is not there yet).
// Reports the median time of each method for a text that matches a few letters, one that
// matches thousands and one too short for the trigram index: the first screen of the window
// (query opened, 64 rows fetched, as the result grid does) and every row fetched; wall clock
// and the process's CPU time (the machine may be shared).
#include "Adatbazis.h"
#include "Generator.h"
#include "KeresoLekerdezes.h"
#include "Lekerdezes.h"
#include "StoreHiba.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <algorithm>
#include <ctime>
#include <cstdio>

namespace {

double median(QList<double> v)
{
    std::sort(v.begin(), v.end());
    return v.isEmpty() ? 0 : v[v.size() / 2];
}

double cpuMs()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

void meres(const QString &szoveg, const char *leiras)
{
    for (int m = 0; m < 3; ++m) {
        QList<double> elso, elsoCpu, mind, mindCpu;
        int sorok = 0;
        for (int i = 0; i < 5; ++i) {
            QElapsedTimer t;
            t.start();
            const double c0 = cpuMs();
            Lekerdezes q;
            KeresoLekerdezes::epit(q, szoveg, m);
            q.megnyit();
            q.betolt(64);
            elso << t.nsecsElapsed() / 1e6;
            elsoCpu << cpuMs() - c0;
            sorok = q.osszesBetolt();
            mind << t.nsecsElapsed() / 1e6;
            mindCpu << cpuMs() - c0;
        }
        std::printf("%-12s %-12s módszer %d: első képernyő %8.1f ms (CPU %8.1f), minden sor %8.1f ms (CPU %8.1f)"
                    "  (%d sor)%s\n", leiras, qPrintable('"' + szoveg + '"'), m, median(elso), median(elsoCpu),
                    median(mind), median(mindCpu), sorok,
                    m == 0 ? (median(mind) < 100 ? "  cél < 100 ms: OK" : "  cél < 100 ms: LASSÚ") : "");
        std::fflush(stdout);
    }
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList a = app.arguments();
    if (a.size() < 2) {
        std::fprintf(stderr, "használat: bench_kereses MAPPA [LEVELEK]\n");
        return 2;
    }
    const QString mappa = a[1];
    const int n = a.size() > 2 ? a[2].toInt() : 1000000;
    try {
        RegiszterGeneral(mappa, n);
        QElapsedTimer t;
        t.start();
        Adatbazis::megnyit(mappa);   // an older register gets its search index here
        std::printf("adatbázis megnyitva: %.1f ms\n", t.nsecsElapsed() / 1e6);
        std::fflush(stdout);
        // a registration number belongs to a few letters; a word of a customer name to thousands
        const QString ritka = Adatbazis::ertek("SELECT rendszam FROM doksi WHERE rendszam IS NOT NULL "
                                               "ORDER BY doksi LIMIT 1 OFFSET ?", {n / 3}).toString();
        const QString nev = Adatbazis::ertek("SELECT ugyfel_nev FROM ugyfel WHERE ugyfel = 1").toString();
        const QString gyakori = nev.section(' ', 0, 0);
        meres(ritka, "kevés sor");
        meres(gyakori, "sok sor");
        meres(gyakori.left(2), "rövid szöveg");
    } catch (const StoreHiba &h) {
        std::fprintf(stderr, "%s\n", qPrintable(h.uzenet()));
        return 1;
    }
    return 0;
}
