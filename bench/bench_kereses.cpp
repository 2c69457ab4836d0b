// bench_kereses FOLDER [N]: the detailed search on a generated register of N letters
// (default 1,000,000; written into FOLDER first when it is not there yet). A register of an
// older version is brought up to date when it opens: give the benchmark a copy of one that
// must stay as it is.
// Reports the median time of each method for a text that matches a few letters, one that
// matches thousands and one too short for the trigram index: the first screen of the window
// (query opened, 64 rows fetched, as the result grid does) and every row fetched; wall clock
// and the process's CPU time (the machine may be shared). Each figure is also printed as one
// JSON line, {"measure": "search_<text>_m<method>_<first_screen|all_rows>[_cpu]", ...}.
#include "Adatbazis.h"
#include "Generator.h"
#include "KeresoLekerdezes.h"
#include "Lekerdezes.h"
#include "Meres.h"
#include "StoreHiba.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <cstdio>

namespace {

// cel: goals of method 0, first screen and all rows, in ms (0: none)
void meres(const QString &szoveg, const char *leiras, const char *nev, double celElso, double celMind)
{
    for (int m = 0; m < 3; ++m) {
        QList<double> elso, elsoCpu, mind, mindCpu;
        int sorok = 0;
        for (int i = 0; i < 5; ++i) {
            QElapsedTimer t;
            t.start();
            const double c0 = CpuMs();
            Lekerdezes q;
            KeresoLekerdezes::epit(q, szoveg, m);
            q.megnyit();
            q.betolt(64);
            elso << t.nsecsElapsed() / 1e6;
            elsoCpu << CpuMs() - c0;
            sorok = q.osszesBetolt();
            mind << t.nsecsElapsed() / 1e6;
            mindCpu << CpuMs() - c0;
        }
        QString cel;
        auto celSzoveg = [&](const char *mi, double ertek, double hatar) {
            if (m == 0 && hatar > 0)
                cel += QString("  %1 < %2 ms: %3").arg(mi).arg(hatar).arg(ertek < hatar ? "OK" : "LASSÚ");
        };
        celSzoveg("első képernyő", Median(elso), celElso);
        celSzoveg("minden sor", Median(mind), celMind);
        std::printf("%-12s %-12s módszer %d: első képernyő %8.1f ms (CPU %8.1f), minden sor %8.1f ms (CPU %8.1f)"
                    "  (%d sor)%s\n", leiras, qPrintable('"' + szoveg + '"'), m, Median(elso), Median(elsoCpu),
                    Median(mind), Median(mindCpu), sorok, qPrintable(cel));
        const QString alap = QString("search_%1_m%2_").arg(nev).arg(m);
        JsonSor(alap + "first_screen", Median(elso), "ms");
        JsonSor(alap + "first_screen_cpu", Median(elsoCpu), "ms");
        JsonSor(alap + "all_rows", Median(mind), "ms");
        JsonSor(alap + "all_rows_cpu", Median(mindCpu), "ms");
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
        meres(ritka, "kevés sor", "few", 0, 0);
        meres(gyakori, "sok sor", "many", 100, 150);
        meres(gyakori.left(2), "rövid szöveg", "short", 100, 0);
    } catch (const StoreHiba &h) {
        std::fprintf(stderr, "%s\n", qPrintable(h.uzenet()));
        return 1;
    }
    return 0;
}
