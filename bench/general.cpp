// general FOLDER [N]: writes the benchmark register of N letters (default 1,000,000) into FOLDER.
#include "Generator.h"
#include "StoreHiba.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <cstdio>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList a = app.arguments();
    if (a.size() < 2) {
        std::fprintf(stderr, "Használat: general MAPPA [LEVELEK]\n");
        return 2;
    }
    bool ok = true;
    const int n = a.size() > 2 ? a[2].toInt(&ok) : 1000000;
    if (!ok || n < 0) {
        std::fprintf(stderr, "Hibás levélszám: %s\n", qPrintable(a[2]));
        return 2;
    }
    try {
        if (RegiszterKesz(a[1], n)) {
            std::printf("%s: már kész (%d levél)\n", qPrintable(a[1]), n);
            return 0;
        }
        QElapsedTimer t;
        t.start();
        RegiszterGeneral(a[1], n);
        std::printf("%s: %d levél, %.1f s\n", qPrintable(a[1]), n, t.elapsed() / 1000.0);
    } catch (const StoreHiba &h) {
        std::fprintf(stderr, "%s\n", qPrintable(h.uzenet()));
        return 1;
    }
    return 0;
}
