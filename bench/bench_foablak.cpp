// bench_foablak FOLDER [N]: the main window on a generated register of N letters
// (default 1,000,000; written into FOLDER first when it is not there yet).
// Reports medians: store opened and the 'J' view ready with its counter, one quick-search
// locate with the counter, a view switch, a screenful of rows at a random position, and
// the peak resident memory.
#include "Adatbazis.h"
#include "Beall.h"
#include "Generator.h"
#include "HuSzoveg.h"
#include "KurzorModell.h"
#include "Seged.h"
#include "StoreHiba.h"
#include "Tabla.h"
#include "Tfrm_Main.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QTabBar>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <memory>
#include <random>

namespace {

double median(QList<double> v)
{
    std::sort(v.begin(), v.end());
    return v.isEmpty() ? 0 : v[v.size() / 2];
}

long vmHwmKb()
{
    QFile f("/proc/self/status");
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &sor : f.readAll().split('\n'))
        if (sor.startsWith("VmHWM:"))
            return sor.mid(6).trimmed().split(' ').first().toLong();
    return -1;
}

void sor(const char *mit, double ertek, const char *egyseg, double cel)
{
    std::printf("%-44s %10.3f %-3s (cél < %g %s) %s\n", mit, ertek, egyseg, cel, egyseg, ertek < cel ? "OK" : "LASSÚ");
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList a = app.arguments();
    if (a.size() < 2) {
        std::fprintf(stderr, "Használat: bench_foablak MAPPA [LEVELEK]\n");
        return 2;
    }
    const QString mappa = QDir(a[1]).absolutePath();
    const int n = a.size() > 2 ? a[2].toInt() : 1000000;
    setValaszolo([](const UzenetKeres &k) {
        std::fprintf(stderr, "üzenet: %s\n", qPrintable(k.szoveg));
        return false;
    });
    try {
        if (!RegiszterKesz(mappa, n)) {
            std::printf("regiszter írása: %s (%d levél)...\n", qPrintable(mappa), n);
            std::fflush(stdout);
            RegiszterGeneral(mappa, n);
        }
        // a program folder of its own whose settings point at the register
        QTemporaryDir program;
        setProgramMappa(program.path());
        HuSzoveg::fajlIr(IniFajlUt(), "[Adatbazis]\r\nUtvonal=" + mappa + "\r\n[Archiv]\r\nMentesDatum=" +
                                          QDate::currentDate().toString(HuSzoveg::ROVID_DATUM) + "\r\n");

        // 1. store opened, the 'J' view ready with its counter
        QList<double> nyitas;
        std::unique_ptr<Tfrm_Main> w;
        QString szamlalo;
        for (int i = 0; i < 5; ++i) {
            w.reset();
            Adatbazis::bezar();
            QElapsedTimer t;
            t.start();
            w = std::make_unique<Tfrm_Main>();
            if (!w->inditas())
                return 1;
            szamlalo = w->statusPanel(0)->text();
            nyitas << t.nsecsElapsed() / 1e6;
        }
        const int jDb = w->Tbl().rekordSzam();
        std::printf("%d levél, 'J' nézet: %d, számláló: %s\n", n, jDb, qPrintable(szamlalo));

        std::mt19937 g(7);
        // 2. quick search: one locate and the counter
        QList<double> kereses;
        for (int i = 0; i < 2000; ++i) {
            const QString szam = QString::number(1 + int(g() % unsigned(std::max(1, jDb))));
            QElapsedTimer t;
            t.start();
            w->Edit1()->setText(szam);
            szamlalo = w->statusPanel(0)->text();
            kereses << t.nsecsElapsed() / 1e6;
        }

        // 3. view switch
        QList<double> valtas;
        for (int i = 0; i < 10; ++i) {
            QElapsedTimer t;
            t.start();
            w->TabSet1()->setCurrentIndex(1 - w->TabSet1()->currentIndex());
            szamlalo = w->statusPanel(0)->text();
            valtas << t.nsecsElapsed() / 1e6;
        }

        // 4. a screenful (30 rows of the eight columns) at a random place
        QList<double> kepernyo;
        KurzorModell &m = w->ds();
        const int sorok = m.rowCount();
        for (int i = 0; i < 200 && sorok > 0; ++i) {
            const int p = int(g() % unsigned(std::max(1, sorok - 30)));
            QElapsedTimer t;
            t.start();
            w->Tbl().ugrik(p);
            int hossz = 0;
            for (int r = p; r < std::min(sorok, p + 30); ++r)
                for (int c = 0; c < m.columnCount(); ++c)
                    hossz += m.index(r, c).data().toString().size();
            kepernyo << t.nsecsElapsed() / 1e6;
            if (hossz == 0)
                std::fprintf(stderr, "üres sorok a %d. helyen\n", p);
        }

        sor("adatbázis nyitás + 'J' nézet számlálóval", median(nyitas), "ms", 500);
        sor("gyorskeresés + számláló", median(kereses), "ms", 1);
        sor("nézetváltás", median(valtas), "ms", 300);
        sor("egy képernyőnyi sor véletlen helyen", median(kepernyo), "ms", 5);
        sor("csúcs memória (VmHWM)", vmHwmKb() / 1024.0, "MB", 200);
        w.reset();
        Adatbazis::bezar();
    } catch (const StoreHiba &h) {
        std::fprintf(stderr, "%s\n", qPrintable(h.uzenet()));
        return 1;
    }
    return 0;
}
