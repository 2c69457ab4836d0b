// bench_szerver FOLDER CONNECTION: the store on a PostgreSQL server, with the register of FOLDER
// (a local one, e.g. written by bench_foablak) copied into the empty server database of
// CONNECTION first (a database that already holds a register is used as it is).
// Reports medians: the 'J' view of the letters ready with its counter, a screenful of rows at a
// random place, a quick-search locate with the counter, and the detailed search's first screen
// (64 rows) and all rows per method; each also as a JSON line {"measure": "pg_...", ...}.
#include "Adatbazis.h"
#include "Generator.h"
#include "KeresoLekerdezes.h"
#include "Lekerdezes.h"
#include "Masolas.h"
#include "Meres.h"
#include "Sema.h"
#include "StoreHiba.h"
#include "Tabla.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QSqlError>
#include <QTemporaryDir>
#include <cstdio>
#include <functional>
#include <random>

namespace {

// True when the server database holds no table yet (a new one to copy the register into).
bool uresSzerver(const QString &kapcsolat)
{
    bool ures = false;
    {
        QSqlDatabase d = Adatbazis::kapcsolodik("bench_szerver_ures", kapcsolat);
        QSqlQuery q(d);
        if (!q.exec("SELECT count(*) FROM pg_class c JOIN pg_namespace n ON n.oid = c.relnamespace"
                    " WHERE n.nspname = current_schema() AND c.relkind IN ('r', 'p', 'v', 'S')")
            || !q.next())
            throw StoreHiba(q.lastError().text());
        ures = q.value(0).toLongLong() == 0;
    }
    QSqlDatabase::removeDatabase("bench_szerver_ures");
    return ures;
}

// The local register of the folder copied to the server as `dorvprg --copy-to` does it (from a
// copy of a register of an older version, which opening brings up to date), then its tables
// analysed for the planner.
void masol(const QString &mappa, const QString &kapcsolat)
{
    QTemporaryDir dir;
    Adatbazis::megnyit(RegiszterOlvasasra(mappa, dir.filePath("Data")));
    Masolas::masol(kapcsolat);
    Adatbazis::bezar();
}

void elemez()
{
    QStringList tablak;   // the register's own: the role may not analyze the catalog
    for (const TablaLeiras &t : Sema::tablak())
        tablak << t.nev << Sema::nagybetusTabla(t.nev);
    for (const QString &t : tablak)
        if (Adatbazis::ertek("SELECT to_regclass(?) IS NOT NULL", {t}).toBool())
            Adatbazis::vegrehajt("ANALYZE " + t);
}

double ido(const std::function<void()> &f)
{
    QElapsedTimer t;
    t.start();
    f();
    return t.nsecsElapsed() / 1e6;
}

void kiir(const char *mit, const char *nev, const QList<double> &ertekek, double cel = 0)
{
    const double m = Median(ertekek);
    std::printf("%-40s %10.3f ms%s\n", mit, m,
                cel > 0 ? qPrintable(QString("  < %1 ms: %2").arg(cel).arg(m < cel ? "OK" : "LASSÚ")) : "");
    JsonSor(QString("pg_") + nev, m, "ms");
    std::fflush(stdout);
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList a = app.arguments();
    if (a.size() < 3) {
        std::fprintf(stderr, "használat: bench_szerver MAPPA KAPCSOLAT\n");
        return 2;
    }
    try {
        QTemporaryDir fajlok;   // the server register's text files
        const bool ures = uresSzerver(a[2]);
        if (ures) {
            const double m = ido([&] { masol(a[1], a[2]); });
            std::printf("másolás: %.1f s\n", m / 1000);
            JsonSor("pg_copy_register", m, "ms");
        }
        Adatbazis::megnyit(fajlok.path(), a[2]);
        if (ures)
            elemez();
        QList<double> nezet, kepernyo, kereses;
        std::mt19937 g(20260109);
        for (int i = 0; i < 5; ++i) {
            Tabla t("doksi");
            t.setIndex("idx_doksi_id_desc");
            t.setSzuro("prntip='J'");
            t.setSzurt(true);
            t.keresoMezo("marka_nev", "marka", "marka", "marka_nev", 25);
            t.keresoMezo("alkatresz_nev", "alkatresz", "alkatresz", "alkatresz_nev", 50);
            t.keresoMezo("ugyfel_nev", "ugyfel", "ugyfel", "ugyfel_nev", 100);
            nezet << ido([&] {
                t.megnyit();
                (void)t.rekordSzam();
            });
            const int n = t.rekordSzam();
            for (int j = 0; j < 10; ++j) {
                const int hol = int(g() % std::max(1, n - 40));
                kepernyo << ido([&] {
                    for (int s = hol; s < hol + 40; ++s)
                        for (int c = 0; c < t.mezoNevek().size(); ++c)
                            (void)t.ertekSor(s, c);
                });
                const int id = t.ertekSor(int(g() % std::max(1, n)), "doksi_id").toInt();
                kereses << ido([&] {
                    t.keres("doksi_id", id);
                    (void)t.rekordSzamlalo();
                });
            }
            if (i == 0)
                std::printf("'J' nézet: %d levél\n", n);
        }
        kiir("'J' nézet kész", "view_ready", nezet, 1000);
        kiir("egy képernyő véletlen helyen", "screenful_random", kepernyo, 10);
        kiir("gyorskeresés + számláló", "quick_search", kereses, 1);

        // a registration number from three tenths into the register, whatever its size: a fixed
        // offset past the end of a smaller register would search the empty text (every letter)
        const qint64 rendszamok = Adatbazis::ertek("SELECT count(*) FROM doksi WHERE rendszam IS NOT NULL").toLongLong();
        const QString ritka = Adatbazis::ertek("SELECT rendszam FROM doksi WHERE rendszam IS NOT NULL "
                                               "ORDER BY doksi LIMIT 1 OFFSET ?", {rendszamok * 3 / 10}).toString();
        if (ritka.isEmpty())
            throw StoreHiba("A nyilvántartásban nincs rendszám: a ritka szöveg nem választható.");
        const QString gyakori = Adatbazis::ertek("SELECT ugyfel_nev FROM ugyfel ORDER BY ugyfel LIMIT 1")
                                    .toString().section(' ', 0, 0);
        for (const auto &[szoveg, nev] : {std::pair{ritka, "few"}, {gyakori, "many"}, {gyakori.left(2), "short"}})
            for (int m = 0; m < 3; ++m) {
                QList<double> elso, mind;
                int sorok = 0;
                for (int i = 0; i < 5; ++i) {
                    QElapsedTimer t;
                    t.start();
                    Lekerdezes q;
                    KeresoLekerdezes::epit(q, szoveg, m);
                    q.megnyit();
                    q.betolt(64);
                    elso << t.nsecsElapsed() / 1e6;
                    sorok = q.osszesBetolt();
                    mind << t.nsecsElapsed() / 1e6;
                }
                const QString c = QString("részletes \"%1\" m%2 (%3 sor)").arg(szoveg).arg(m).arg(sorok);
                kiir(qPrintable(c + " első"), qPrintable(QString("search_%1_m%2_first_screen").arg(nev).arg(m)), elso, 150);
                kiir(qPrintable(c + " mind"), qPrintable(QString("search_%1_m%2_all_rows").arg(nev).arg(m)), mind);
            }
        Adatbazis::bezar();
    } catch (const StoreHiba &h) {
        std::fprintf(stderr, "%s\n", qPrintable(h.uzenet()));
        return 1;
    }
    return 0;
}
