// bench_garancia FOLDER [N]: the counter's question and the worklist on a generated register
// of N letters (default 1,000,000; written into FOLDER first when it is not there yet).
// warranty_lookup: the letters of a serial number with their state (the counter window's and
// --warranty's answer), median over 25 serial numbers spread over the register;
// expiring_90d: the letters whose warranty ends within 90 days from today, median of 7 runs.
// Each figure is also printed as one JSON line.
#include "Adatbazis.h"
#include "Generator.h"
#include "GaranciaKereso.h"
#include "Meres.h"
#include "StoreHiba.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QSqlQuery>
#include <cstdio>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList a = app.arguments();
    if (a.size() < 2) {
        std::fprintf(stderr, "Használat: bench_garancia MAPPA [LEVELEK]\n");
        return 2;
    }
    const int n = a.size() > 2 ? a[2].toInt() : 1000000;
    try {
        RegiszterGeneral(a[1], n);
        Adatbazis::megnyit(a[1]);
        const QDate ma = QDate::currentDate();

        QStringList szamok;
        for (QSqlQuery q = Adatbazis::lekerdez("SELECT sorozatszam FROM doksi WHERE doksi % ? = 1", {qMax(1, n / 25)});
             q.next();)
            szamok << q.value(0).toString();
        QList<double> ido, cpu;
        int talalat = 0;
        for (const QString &sz : szamok) {
            QElapsedTimer t;
            t.start();
            const double c0 = CpuMs();
            talalat += int(GaranciaKereso::keres(sz, ma).size());
            ido << t.nsecsElapsed() / 1e6;
            cpu << CpuMs() - c0;
        }
        std::printf("garancia ellenőrzés sorozatszámra: %8.2f ms (CPU %8.2f), %d szám, %d levél  < 100 ms: %s\n",
                    Median(ido), Median(cpu), int(szamok.size()), talalat, Median(ido) < 100 ? "OK" : "LASSÚ");
        JsonSor("warranty_lookup", Median(ido), "ms");
        JsonSor("warranty_lookup_cpu", Median(cpu), "ms");

        ido.clear();
        cpu.clear();
        int sorok = 0;
        for (int i = 0; i < 7; ++i) {
            QElapsedTimer t;
            t.start();
            const double c0 = CpuMs();
            sorok = int(GaranciaKereso::lejarok(ma, ma.addDays(90), {}, ma).size());
            ido << t.nsecsElapsed() / 1e6;
            cpu << CpuMs() - c0;
        }
        std::printf("90 napon belül lejáró garanciák: %8.2f ms (CPU %8.2f), %d levél  < 300 ms: %s\n", Median(ido),
                    Median(cpu), sorok, Median(ido) < 300 ? "OK" : "LASSÚ");
        JsonSor("expiring_90d", Median(ido), "ms");
        JsonSor("expiring_90d_cpu", Median(cpu), "ms");
        Adatbazis::bezar();
    } catch (const StoreHiba &h) {
        std::fprintf(stderr, "%s\n", qPrintable(h.uzenet()));
        return 1;
    }
    return 0;
}
