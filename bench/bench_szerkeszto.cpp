// bench_szerkeszto FOLDER [ROUNDS=15]: the letter editor opened from the main window on its
// letter cursor, for a new letter and for an existing one, in the 'J' and the 'S' view of the
// register in FOLDER (a copy of it: nothing is written into FOLDER once it holds a register;
// an empty FOLDER first gets the generated one of 1,000,000 letters).
// Reports medians from the call to the editor's first paint (the window cancelled each time,
// nothing posted), wall clock and the process's CPU time, and one key typed into the customer
// drop-down of an open editor.
#include "Adatbazis.h"
#include "Beall.h"
#include "Generator.h"
#include "HuSzoveg.h"
#include "Inditas.h"
#include "Levelek.h"
#include "Meres.h"
#include "Seged.h"
#include "StoreHiba.h"
#include "Tabla.h"
#include "Tfrm_Main.h"
#include "Tfrm_Szerkeszt.h"

#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QKeyEvent>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>
#include <functional>
#include <random>

namespace {

// The files of the register folder into another one; false on any short copy.
bool regiszterMasol(const QString &honnan, const QString &hova)
{
    for (const QFileInfo &f : QDir(honnan).entryInfoList(QDir::Files)) {
        const QString cel = QDir(hova).filePath(f.fileName());
        if (!QFile::copy(f.filePath(), cel) || QFileInfo(cel).size() != f.size()) {
            std::fprintf(stderr, "másolás sikertelen: %s\n", qPrintable(f.filePath()));
            return false;
        }
    }
    return true;
}

// Opens the editor the way the main window does and runs f on it once it has painted;
// returns the wall and CPU milliseconds from the call to that first paint.
struct Nyitas {
    double fal = 0, cpu = 0;
};

Nyitas szerkesztoMer(Tfrm_Main &w, bool uj, const std::function<void(Tfrm_Szerkeszt *)> &f = {})
{
    struct Festes : QObject {
        QElapsedTimer ora;
        double cpu0 = 0;
        Nyitas eredmeny;
        bool kesz = false;
        std::function<void(Tfrm_Szerkeszt *)> f;
        bool eventFilter(QObject *o, QEvent *e) override
        {
            if (kesz || e->type() != QEvent::Paint || !o->isWidgetType())
                return false;
            auto *sz = qobject_cast<Tfrm_Szerkeszt *>(static_cast<QWidget *>(o)->window());
            if (!sz)
                return false;
            kesz = true;
            eredmeny = {ora.nsecsElapsed() / 1e6, CpuMs() - cpu0};
            QTimer::singleShot(0, sz, [this, sz] {
                if (f)
                    f(sz);
                sz->reject();
            });
            return false;
        }
    } festes;
    festes.f = f;
    qApp->installEventFilter(&festes);
    const QString tipus = w.TabSet1()->currentIndex() == 0 ? "J" : "S";
    festes.cpu0 = CpuMs();
    festes.ora.start();
    LevelSzerkeszt(w.Tbl(), uj, uj ? tipus : QString(), &w);
    qApp->removeEventFilter(&festes);
    if (!festes.kesz)
        throw StoreHiba("a szerkesztő nem jelent meg");
    return festes.eredmeny;
}

void sor(const QString &mit, double fal, double cpu)
{
    std::printf("%-40s %10.3f ms (CPU %.3f ms)\n", qPrintable(mit), fal, cpu);
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    DorvAlkalmazas app(argc, argv);
    const QStringList a = app.arguments();
    if (a.size() < 2) {
        std::fprintf(stderr, "Használat: bench_szerkeszto MAPPA [KÖRÖK]\n");
        return 2;
    }
    const QString mappa = QDir(a[1]).absolutePath();
    const int korok = a.size() > 2 ? std::max(1, a[2].toInt()) : 15;
    setValaszolo([](const UzenetKeres &k) {
        std::fprintf(stderr, "üzenet: %s\n", qPrintable(k.szoveg));
        return false;
    });
    try {
        if (!QFile::exists(QDir(mappa).filePath(Adatbazis::FAJLNEV))) {
            std::printf("regiszter írása: %s (1000000 levél)...\n", qPrintable(mappa));
            std::fflush(stdout);
            RegiszterGeneral(mappa, 1000000);
        }
        QTemporaryDir program;
        const QString masolat = QDir(program.path()).filePath("Data");
        if (!program.isValid() || !QDir().mkpath(masolat) || !regiszterMasol(mappa, masolat))
            return 1;
        setProgramMappa(program.path());
        HuSzoveg::fajlIr(IniFajlUt(), "[Adatbazis]\r\nUtvonal=" + masolat + "\r\n[Archiv]\r\nMentesDatum=" +
                                          QDate::currentDate().toString(HuSzoveg::ROVID_DATUM) + "\r\n");

        Tfrm_Main w;
        if (!w.inditas())
            return 1;
        w.show();
        QCoreApplication::processEvents();
        std::printf("márkák %s, alkatrészek %s, ügyfelek %s\n",
                    qPrintable(Adatbazis::ertek("SELECT count(*) FROM marka").toString()),
                    qPrintable(Adatbazis::ertek("SELECT count(*) FROM alkatresz").toString()),
                    qPrintable(Adatbazis::ertek("SELECT count(*) FROM ugyfel").toString()));

        std::mt19937 g(16);
        for (const QString tipus : {"J", "S"}) {
            w.TabSet1()->setCurrentIndex(tipus == "J" ? 0 : 1);
            const int n = w.Tbl().rekordSzam();
            std::printf("'%s' nézet: %d levél\n", qPrintable(tipus), n);
            if (n == 0)
                return 1;
            QList<double> ujFal, ujCpu, regiFal, regiCpu;
            // one opening of each before the rounds: the first one loads fonts and styles
            szerkesztoMer(w, true);
            for (int k = 0; k < korok; ++k) {
                const Nyitas u = szerkesztoMer(w, true);
                ujFal << u.fal;
                ujCpu << u.cpu;
                w.Tbl().ugrik(int(g() % unsigned(n)));   // a letter anywhere, with its own customer
                const Nyitas r = szerkesztoMer(w, false);
                regiFal << r.fal;
                regiCpu << r.cpu;
            }
            sor(tipus + " új levél", Median(ujFal), Median(ujCpu));
            sor(tipus + " meglévő levél", Median(regiFal), Median(regiCpu));
            JsonSor("editor_open_" + tipus, Median(ujFal + regiFal), "ms");
            JsonSor("editor_open_" + tipus + "_cpu", Median(ujCpu + regiCpu), "ms");
        }
        // a letter typed into the customer drop-down: the first customer whose name begins so
        // (the first letter also reads the names' search keys)
        QList<double> betu, betuCpu;
        w.TabSet1()->setCurrentIndex(0);
        szerkesztoMer(w, true, [&](Tfrm_Szerkeszt *sz) {
            auto *c = qobject_cast<QComboBox *>(sz->mezo("ugyfel", 0));
            c->setFocus();
            const QString betuk = "KNTSHVBFMJÖ";
            for (int i = 0; i < 4 * korok; ++i) {
                const QString b = betuk.at(i % betuk.size());
                QElapsedTimer t;
                t.start();
                const double c0 = CpuMs();
                QKeyEvent le(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, b);
                QCoreApplication::sendEvent(c, &le);
                betu << t.nsecsElapsed() / 1e6;
                betuCpu << CpuMs() - c0;
                if (!HuSzoveg::rendezoKulcs(c->currentText()).startsWith(HuSzoveg::rendezoKulcs(b)))
                    std::fprintf(stderr, "nem %s kezdetű ügyfél: %s\n", qPrintable(b), qPrintable(c->currentText()));
                // Backspace takes the letter back, so the next one is a search of its own
                QKeyEvent vissza(QEvent::KeyPress, Qt::Key_Backspace, Qt::NoModifier);
                QCoreApplication::sendEvent(c, &vissza);
            }
        });
        sor("első betű az ügyfél listában", betu.first(), betuCpu.first());
        sor("további betűk az ügyfél listában", Median(betu.mid(1)), Median(betuCpu.mid(1)));
        JsonSor("editor_name_first_key", betu.first(), "ms");
        JsonSor("editor_name_key", Median(betu.mid(1)), "ms");
    } catch (const StoreHiba &h) {
        std::fprintf(stderr, "%s\n", qPrintable(h.uzenet()));
        return 1;
    }
    Adatbazis::bezar();
    return 0;
}
