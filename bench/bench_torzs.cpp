// One keystroke's locate in the customer browser on a register of many customers:
// the key goes to the search box, the cursor moves, the grid follows and repaints.
// Usage: bench_torzs [searches=400]
#include "Adatbazis.h"
#include "Seged.h"
#include "Tabla.h"
#include "Tfrm_TorzsUgyfel.h"

#if __has_include("Generator.h")
#include "Generator.h"
#define SAJAT_GENERATOR 0
#else
#define SAJAT_GENERATOR 1
#endif

#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QLineEdit>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>

namespace {

const QStringList VEZETEK = {"Kovács", "Nagy", "Tóth", "Szabó", "Horváth", "Varga", "Kiss", "Molnár", "Németh",
                             "Farkas", "Balogh", "Papp", "Takács", "Juhász", "Lakatos", "Mészáros", "Oláh", "Simon",
                             "Rácz", "Fekete", "Szilágyi", "Török", "Fehér", "Balázs", "Gál", "Kis", "Szűcs", "Kocsis",
                             "Orsós", "Pintér", "Fodor", "Szalai", "Sipos", "Magyar", "Lukács", "Gulyás", "Bíró",
                             "Király", "Katona", "László", "Jakab", "Bogdán", "Balog", "Sándor", "Boros", "Fazekas",
                             "Kelemen", "Antal", "Orosz", "Somogyi", "Ördög", "Ujvári", "Écsi", "Őri", "Ács"};
const QStringList UTO = {"Ádám", "Béla", "Csaba", "Dénes", "Erzsébet", "Éva", "Ferenc", "Gábor", "Ildikó", "János",
                         "Katalin", "László", "Mária", "Nóra", "Ödön", "Péter", "Rozália", "Sándor", "Tamás", "Zoltán"};

QString nev(QRandomGenerator &r)
{
    QString n = VEZETEK[r.bounded(int(VEZETEK.size()))] + ' ' + UTO[r.bounded(int(UTO.size()))];
    if (r.bounded(4) == 0)
        n += QString(" és Társa %1 Kft.").arg(r.bounded(1000));
    else
        n += QString(" %1").arg(r.bounded(100000));
    return n;
}

[[maybe_unused]] void ugyfelekGeneral(int n)
{
    QRandomGenerator r(20260105);
    Adatbazis::Tranzakcio t;
    for (int i = 0; i < n; ++i)
        Adatbazis::vegrehajt("INSERT INTO ugyfel (ugyfel_nev, telefon, mobil, kapcsolat, cim_varos) "
                             "VALUES (?, ?, ?, ?, ?)",
                             {nev(r), QString("06-1-%1").arg(r.bounded(1000000, 9999999)),
                              QString("06-30-%1").arg(r.bounded(1000000, 9999999)),
                              UTO[r.bounded(int(UTO.size()))], "Budapest"});
    t.commit();
}

double median(QVector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.isEmpty() ? 0 : v[v.size() / 2];
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int keresesek = argc > 1 ? atoi(argv[1]) : 400;

    QTemporaryDir mappa;
    setProgramMappa(mappa.path());
    QElapsedTimer ora;
    ora.start();
#if SAJAT_GENERATOR
    Adatbazis::megnyit(mappa.path());
    ugyfelekGeneral(100000);
#else
    // the shared register (100,000 customers); few letters, they play no part here
    RegiszterGeneral(mappa.path(), 1000);
    Adatbazis::megnyit(mappa.path());
#endif
    std::printf("register of %d customers written in %lld ms\n",
                Adatbazis::ertek("SELECT count(*) FROM ugyfel").toInt(), ora.elapsed());

    ora.restart();
    Tfrm_TorzsUgyfel ablak(false);
    ablak.pozicional(-1);
    ablak.show();
    app.processEvents();
    std::printf("browser opened on %d rows in %lld ms\n", ablak.tabla()->rekordSzam(), ora.elapsed());

    auto *kereso = ablak.findChild<QLineEdit *>("edKeres");
    QRandomGenerator r(7);
    QVector<double> idok, csakKereses;
    int talalt = 0;
    for (int k = 0; k < keresesek; ++k) {
        kereso->clear();
        app.processEvents();
        // a name of the register as a user types it, in lower case, up to a dozen letters
        const int ugyfelek = ablak.tabla()->rekordSzam();
        const QString szoveg = Adatbazis::ertek("SELECT ugyfel_nev FROM ugyfel LIMIT 1 OFFSET ?",
                                                {r.bounded(ugyfelek)}).toString().toLower().left(4 + r.bounded(9));
        for (const QChar c : szoveg) {
            QKeyEvent le(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
            QKeyEvent fel(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, QString(c));
            QElapsedTimer t;
            t.start();
            QApplication::sendEvent(kereso, &le);
            QApplication::sendEvent(kereso, &fel);
            const qint64 kereses = t.nsecsElapsed();
            app.processEvents();   // the grid's repaint belongs to the keystroke
            idok << t.nsecsElapsed() / 1e6;
            csakKereses << kereses / 1e6;
        }
        talalt += ablak.tabla()->ertek("ugyfel_nev").toString().toLower().startsWith(szoveg);
    }
    QVector<double> rendezett = idok;
    std::sort(rendezett.begin(), rendezett.end());
    std::printf("keystrokes: %lld, searches ending on a name that begins with the typed text: %d of %d\n",
                qlonglong(idok.size()), talalt, keresesek);
    std::printf("one keystroke's locate: median %.3f ms, 90th percentile %.3f ms, max %.3f ms (goal < 2 ms)\n",
                median(idok), rendezett[int(rendezett.size() * 0.9)], rendezett.last());
    std::sort(csakKereses.begin(), csakKereses.end());
    std::printf("of which the locate and the grid's move before painting: median %.3f ms, 90th percentile %.3f ms\n",
                median(csakKereses), csakKereses[int(csakKereses.size() * 0.9)]);
    ablak.hide();
    Adatbazis::bezar();
    return 0;
}
