// nyilvantartas MAPPA N: a register in MAPPA with N letters of the warranty view, made through
// the store as the program's first windowed start makes it (the command line never makes one).
#include "Adatbazis.h"
#include "StoreHiba.h"

#include <QCoreApplication>
#include <QDir>
#include <cstdio>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList a = app.arguments();
    bool ok = a.size() == 3;
    const int n = ok ? a[2].toInt(&ok) : 0;
    if (!ok) {
        std::fprintf(stderr, "Használat: nyilvantartas MAPPA LEVELEK\n");
        return 2;
    }
    try {
        QDir().mkpath(a[1]);   // as the windowed start makes the default folder
        if (!Adatbazis::megnyit(a[1]))
            throw StoreHiba("A mappában már van adatbázis: " + a[1]);
        Adatbazis::Tranzakcio t;
        for (int i = 1; i <= n; ++i)
            Adatbazis::vegrehajt("INSERT INTO doksi (doksi_id, prntip, datum) VALUES (?, 'J', '2026-12-01')", {i});
        t.commit();
        Adatbazis::bezar();
    } catch (const StoreHiba &h) {
        std::fprintf(stderr, "%s\n", qPrintable(h.uzenet()));
        return 1;
    }
    return 0;
}
