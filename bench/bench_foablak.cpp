// bench_foablak FOLDER [N]: the main window on a generated register of N letters
// (default 1,000,000; written into FOLDER first when it is not there yet).
// Reports medians: the start of the program to its main window shown (a process of its own
// each time), the store opened and the 'J' view ready with its counter, one quick-search
// locate with the counter, a view switch (the first of a window, which reads the other view's
// rows, and later ones, which find both views read), a screenful of rows at a random position,
// and the peak resident memory. Wall clock and the process's CPU time (the machine may be
// shared). A register of an older version is measured on a copy: the given one is never written.
#include "Adatbazis.h"
#include "Beall.h"
#include "Generator.h"
#include "HuSzoveg.h"
#include "Inditas.h"
#include "KurzorModell.h"
#include "Meres.h"
#include "Seged.h"
#include "StoreHiba.h"
#include "Tabla.h"
#include "Tfrm_Main.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QTabBar>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <random>

namespace {

const char *const INDULAS = "--indulas";

void valaszolo()
{
    setValaszolo([](const UzenetKeres &k) {
        std::fprintf(stderr, "üzenet: %s\n", qPrintable(k.szoveg));
        return false;
    });
}

// The child: the program's own start (application object, main window, its start-up, show)
// in the program folder given; says so on its output when the main window has painted once.
int indulas(int argc, char *argv[])
{
    DorvAlkalmazas app(argc, argv);
    valaszolo();
    setProgramMappa(QString::fromLocal8Bit(argv[2]));
    Tfrm_Main w;
    if (!w.inditas())
        return 1;
    struct Festes : QObject {
        QWidget *ablak;
        explicit Festes(QWidget *a) : ablak(a) {}
        bool eventFilter(QObject *o, QEvent *e) override
        {
            if (e->type() == QEvent::Paint && o->isWidgetType() && static_cast<QWidget *>(o)->window() == ablak) {
                std::printf("kész\n");
                std::fflush(stdout);
                QCoreApplication::exit(0);
            }
            return false;
        }
    } festes(&w);
    app.installEventFilter(&festes);
    w.show();
    const int kod = QApplication::exec();
    Adatbazis::bezar();
    return kod;
}

void sor(const char *mit, double fal, double cpu)
{
    std::printf("%-44s %10.3f ms (CPU %.3f ms)\n", mit, fal, cpu);
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    if (argc == 3 && std::strcmp(argv[1], INDULAS) == 0)
        return indulas(argc, argv);
    QApplication app(argc, argv);
    const QStringList a = app.arguments();
    if (a.size() < 2) {
        std::fprintf(stderr, "Használat: bench_foablak MAPPA [LEVELEK]\n");
        return 2;
    }
    QString mappa = QDir(a[1]).absolutePath();
    const int n = a.size() > 2 ? a[2].toInt() : 1000000;
    valaszolo();
    QTemporaryDir masolat;
    try {
        if (Adatbazis::vanAdatbazis(mappa))
            mappa = RegiszterOlvasasra(mappa, masolat.filePath("Data"));
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

        // 1. the program started to its main window shown, a new process each time
        QList<double> indul;
        for (int i = 0; i < 5; ++i) {
            QProcess p;
            QElapsedTimer t;
            t.start();
            p.start(app.applicationFilePath(), {INDULAS, program.path()});
            while (!p.readAllStandardOutput().contains("kész") && p.state() != QProcess::NotRunning)
                p.waitForReadyRead(100);
            const double ms = t.nsecsElapsed() / 1e6;
            p.waitForFinished(-1);
            if (p.exitCode() != 0) {
                std::fprintf(stderr, "indulás: kilépési kód %d\n%s", p.exitCode(), p.readAllStandardError().constData());
                return 1;
            }
            indul << ms;
        }

        // 2. store opened, the 'J' view ready with its counter; then the first switch of that
        // window, which reads the other view's rows (a switch back finds the 'J' rows kept)
        QList<double> nyitas, nyitasCpu, elsoValtas, elsoValtasCpu;
        std::unique_ptr<Tfrm_Main> w;
        QString szamlalo;
        for (int i = 0; i < 5; ++i) {
            w.reset();
            Adatbazis::bezar();
            QElapsedTimer t;
            t.start();
            const double c0 = CpuMs();
            w = std::make_unique<Tfrm_Main>();
            if (!w->inditas())
                return 1;
            szamlalo = w->statusPanel(0)->text();
            nyitas << t.nsecsElapsed() / 1e6;
            nyitasCpu << CpuMs() - c0;
            t.restart();
            const double c1 = CpuMs();
            w->TabSet1()->setCurrentIndex(1);
            szamlalo = w->statusPanel(0)->text();
            elsoValtas << t.nsecsElapsed() / 1e6;
            elsoValtasCpu << CpuMs() - c1;
            w->TabSet1()->setCurrentIndex(0);
            szamlalo = w->statusPanel(0)->text();
        }
        const int jDb = w->Tbl().rekordSzam();
        std::printf("%d levél, 'J' nézet: %d, számláló: %s\n", n, jDb, qPrintable(szamlalo));

        std::mt19937 g(7);
        // 3. quick search: one locate and the counter
        QList<double> kereses;
        for (int i = 0; i < 2000; ++i) {
            const QString szam = QString::number(1 + int(g() % unsigned(std::max(1, jDb))));
            QElapsedTimer t;
            t.start();
            w->Edit1()->setText(szam);
            szamlalo = w->statusPanel(0)->text();
            kereses << t.nsecsElapsed() / 1e6;
        }

        // 4. view switch, both views read already and the register unchanged
        QList<double> valtas, valtasCpu;
        for (int i = 0; i < 10; ++i) {
            QElapsedTimer t;
            t.start();
            const double c0 = CpuMs();
            w->TabSet1()->setCurrentIndex(1 - w->TabSet1()->currentIndex());
            szamlalo = w->statusPanel(0)->text();
            valtas << t.nsecsElapsed() / 1e6;
            valtasCpu << CpuMs() - c0;
        }

        // 5. a screenful (30 rows of the eight columns) at a random place
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
        const double memoria = CsucsMemoriaMb();

        std::printf("indulástól a főablakig %42.3f ms\n", Median(indul));
        sor("adatbázis nyitás + 'J' nézet számlálóval", Median(nyitas), Median(nyitasCpu));
        std::printf("%-44s %10.3f ms\n", "gyorskeresés + számláló", Median(kereses));
        sor("nézetváltás (a másik nézet sorainak olvasása)", Median(elsoValtas), Median(elsoValtasCpu));
        sor("nézetváltás (mindkét nézet olvasva)", Median(valtas), Median(valtasCpu));
        std::printf("%-44s %10.3f ms\n", "egy képernyőnyi sor véletlen helyen", Median(kepernyo));
        std::printf("%-44s %10.3f MB\n", "csúcs memória (VmHWM)", memoria);
        JsonSor("start_to_main_window", Median(indul), "ms");
        JsonSor("store_open_J_view", Median(nyitas), "ms");
        JsonSor("store_open_J_view_cpu", Median(nyitasCpu), "ms");
        JsonSor("quick_search", Median(kereses), "ms");
        JsonSor("view_switch_read", Median(elsoValtas), "ms");
        JsonSor("view_switch_read_cpu", Median(elsoValtasCpu), "ms");
        JsonSor("view_switch", Median(valtas), "ms");
        JsonSor("view_switch_cpu", Median(valtasCpu), "ms");
        JsonSor("screenful", Median(kepernyo), "ms");
        JsonSor("peak_resident_memory", memoria, "MB");
        w.reset();
        Adatbazis::bezar();
    } catch (const StoreHiba &h) {
        std::fprintf(stderr, "%s\n", qPrintable(h.uzenet()));
        return 1;
    }
    return 0;
}
