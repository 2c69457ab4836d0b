// bench_garancia FOLDER [N]: the counter's question and the worklist on a generated register
// of N letters (default 1,000,000; written into FOLDER first when it holds no register). A
// register already there is never written: one of an older version is measured on a copy.
// warranty_lookup: the letters of a serial number with their state (the counter window's and
// --warranty's answer), median over 25 serial numbers spread over the register;
// counter_window: the same typed into the counter window and Enter, to its list filled;
// expiring_90d: the letters whose warranty ends within 90 days from today, median of 7 runs.
// Each figure is also printed as one JSON line.
#include "Adatbazis.h"
#include "Generator.h"
#include "GaranciaKereso.h"
#include "Meres.h"
#include "StoreHiba.h"
#include "Tfrm_GaranciaEllenorzes.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QDir>
#include <QLineEdit>
#include <QSqlQuery>
#include <QTableWidget>
#include <QKeyEvent>
#include <QTemporaryDir>
#include <cstdio>

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList a = app.arguments();
    if (a.size() < 2) {
        std::fprintf(stderr, "Használat: bench_garancia MAPPA [LEVELEK]\n");
        return 2;
    }
    const int n = a.size() > 2 ? a[2].toInt() : 1000000;
    QTemporaryDir masolat;
    try {
        QString mappa = QDir(a[1]).absolutePath();
        // a register given is measured as it is (on a copy when opening would upgrade it);
        // only an empty folder gets the generated one
        if (Adatbazis::vanAdatbazis(mappa))
            mappa = RegiszterOlvasasra(mappa, masolat.filePath("Data"));
        else
            RegiszterGeneral(mappa, n);
        Adatbazis::megnyit(mappa);
        const int levelek = Adatbazis::ertek("SELECT count(*) FROM doksi").toInt();
        std::printf("regiszter: %s, %d levél, %d reklamáció, %d különböző garanciaidő\n", qPrintable(mappa), levelek,
                    Adatbazis::ertek("SELECT count(*) FROM reklamacio").toInt(),
                    Adatbazis::ertek("SELECT count(DISTINCT dorvido) FROM doksi").toInt());
        std::fflush(stdout);
        const QDate ma = QDate::currentDate();

        QStringList szamok;
        for (QSqlQuery q = Adatbazis::lekerdez("SELECT sorozatszam FROM doksi WHERE doksi % ? = 1", {qMax(1, levelek / 25)});
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

        // the window: the text as a scanner types it, Enter, the rows in the grid
        ido.clear();
        cpu.clear();
        {
            Tfrm_GaranciaEllenorzes w;
            w.show();
            for (const QString &sz : szamok) {
                w.Edit1->setFocus();
                w.Edit1->setText(sz);
                QElapsedTimer t;
                t.start();
                const double c0 = CpuMs();
                QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, "\r");
                QCoreApplication::sendEvent(w.Edit1, &enter);
                QCoreApplication::processEvents();
                ido << t.nsecsElapsed() / 1e6;
                cpu << CpuMs() - c0;
                if (w.Grid->rowCount() == 0)
                    throw StoreHiba(QString("A számláló ablak nem talált levelet: %1").arg(sz));
            }
        }
        std::printf("garancia ellenőrzés ablak, Enter a lista kitöltéséig: %8.2f ms (CPU %8.2f)  < 100 ms: %s\n",
                    Median(ido), Median(cpu), Median(ido) < 100 ? "OK" : "LASSÚ");
        JsonSor("counter_window", Median(ido), "ms");
        JsonSor("counter_window_cpu", Median(cpu), "ms");

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
