#include "Parancssor.h"
#include "Adatbazis.h"
#include "Beall.h"
#include "ParadoxImport.h"
#include "StoreHiba.h"

#include <QDir>
#include <QFileInfo>
#include <QTextStream>
#include <cstring>
#include <functional>
#include <unistd.h>

namespace {

QTextStream &ki()
{
    static QTextStream s(stdout);
    return s;
}

QTextStream &hiba()
{
    static QTextStream s(stderr);
    return s;
}

// Opens the database folder of DorvPrg.ini, or the one given with --data.
[[maybe_unused]] void adatbazisNyit(const QString &mappa)
{
    if (!mappa.isEmpty()) {
        if (!QFileInfo(mappa).isDir())
            throw StoreHiba(QString("Nem létező adatbázis mappa: %1").arg(mappa));
        Beall.AdatbazisUtvonal = QDir(mappa).absolutePath();
    }
    Adatbazis::megnyit(Beall.AdatbazisUtvonal);
}

// --import-paradox MAPPA: the earlier program's tables into a new database of the folder.
int paradoxImportForma(const QStringList &a, const QString &data)
{
    const QString mappa = a.isEmpty() ? data : a.first();
    if (mappa.isEmpty()) {
        hiba() << "Hiányzik a mappa: dorvprg --import-paradox MAPPA\n";
        return 2;
    }
    // progress only for a person watching, not into a script's log
    const bool terminal = isatty(STDERR_FILENO);
    try {
        const ParadoxImport::Eredmeny e = ParadoxImport::importal(mappa, [&](const QString &t, qint64 kesz, qint64 osszes) {
            if (terminal && !t.isEmpty()) {
                hiba() << "\r" << t << ": " << kesz << " / " << osszes << " sor      ";
                hiba().flush();
            }
            return true;
        });
        if (terminal)
            hiba() << "\r" << QString(60, ' ') << "\r";
        ki() << "Átvett adatbázis: " << QDir::toNativeSeparators(QDir(mappa).absoluteFilePath(Adatbazis::FAJLNEV)) << "\n";
        for (const QString &s : e.sorok())
            ki() << s << "\n";
        ki() << "Összesen: " << e.osszesSor() << " sor\n";
        return 0;
    } catch (const StoreHiba &h) {
        if (terminal)
            hiba() << "\n";
        hiba() << "Az importálás nem sikerült, a mappa változatlan maradt.\n"
               << QString(h.uzenet()).replace("\r\n", " ") << "\n";
        return 1;
    }
}

struct Forma {
    const char *nev;
    const char *sugo;   // one line of --help
    // gets the arguments after the form's name and the --data folder; returns the exit code
    std::function<int(const QStringList &, const QString &)> futtat;
};

// The forms; each feature adds its line here.
const QList<Forma> &formak()
{
    static const QList<Forma> f = {
        {"--import-paradox",
         "--import-paradox MAPPA\n      a korábbi program Paradox tábláinak átvétele a mappa új adatbázisába",
         paradoxImportForma},
    };
    return f;
}

void sugo()
{
    ki() << "Használat: dorvprg [--data MAPPA] FORMA [ARGUMENTUMOK]\n"
         << "Argumentum nélkül a program ablakos módban indul.\n\n"
         << "Formák:\n";
    for (const Forma &f : formak())
        ki() << "  " << f.sugo << "\n";
    ki() << "  --help\n      ez a leírás\n\n"
         << "  --data MAPPA   az adatbázis mappája (alapértelmezés: a DorvPrg.ini beállítása)\n";
    ki().flush();
}

} // namespace

bool ParancssorKell(int argc, char *argv[])
{
    for (int i = 1; i < argc; ++i)
        if (std::strncmp(argv[i], "--", 2) == 0)
            return true;
    return false;
}

bool ParancssorFuttat(const QStringList &argumentumok, int &kilepesiKod)
{
    QStringList a = argumentumok.mid(1);
    if (a.isEmpty())
        return false;
    QString mappa;
    const int d = a.indexOf("--data");
    if (d >= 0) {
        if (d + 1 >= a.size()) {
            hiba() << "Hiányzik a mappa a --data után.\n";
            hiba().flush();
            kilepesiKod = 2;
            return true;
        }
        mappa = a[d + 1];
        a.remove(d, 2);
    }
    if (a.isEmpty() || a.first() == "--help" || a.first() == "-h") {
        sugo();
        kilepesiKod = a.isEmpty() ? 2 : 0;
        return true;
    }
    for (const Forma &f : formak()) {
        if (a.first() != QLatin1String(f.nev))
            continue;
        try {
            BeallitasOlvas();
            kilepesiKod = f.futtat(a.mid(1), mappa);
        } catch (const StoreHiba &h) {
            hiba() << QString(h.uzenet()).replace("\r\n", " ") << "\n";
            kilepesiKod = 1;
        }
        Adatbazis::bezar();
        ki().flush();
        hiba().flush();
        return true;
    }
    hiba() << "Ismeretlen forma: " << a.first() << " (dorvprg --help a formák listája)\n";
    hiba().flush();
    kilepesiKod = 2;
    return true;
}
