// bench_szerver FOLDER CONNECTION: the store on a PostgreSQL server, with the register of FOLDER
// (a local one, e.g. written by bench_foablak) copied into the empty server database of
// CONNECTION first (a database that already holds a register is used as it is).
// Reports medians: the 'J' view of the letters ready with its counter, a screenful of rows at a
// random place, a quick-search locate with the counter, and the detailed search's first screen
// (64 rows) and all rows per method; each also as a JSON line {"measure": "pg_...", ...}.
#include "Adatbazis.h"
#include "KeresoLekerdezes.h"
#include "Lekerdezes.h"
#include "Meres.h"
#include "Sema.h"
#include "StoreHiba.h"
#include "Tabla.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <cstdio>
#include <functional>
#include <libpq-fe.h>
#include <random>
#include <sqlite3.h>

namespace {

// COPY's text form of one value
void masolSzoveg(QByteArray &ki, const char *p, int n)
{
    for (int i = 0; i < n; ++i) {
        switch (p[i]) {
        case '\\': ki += "\\\\"; break;
        case '\t': ki += "\\t"; break;
        case '\n': ki += "\\n"; break;
        case '\r': ki += "\\r"; break;
        default: ki += p[i];
        }
    }
}

// The local register's rows into the server's tables through COPY, one transaction; the
// default rows of the new server register give way to the copied ones.
void masol(const QString &mappa)
{
    sqlite3 *h = nullptr;
    if (sqlite3_open_v2(QFile::encodeName(QDir(mappa).filePath(Adatbazis::FAJLNEV)).constData(), &h,
                        SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK)
        throw StoreHiba("A helyi nyilvántartás nem nyitható meg: " + mappa);
    const std::unique_ptr<sqlite3, int (*)(sqlite3 *)> zar(h, sqlite3_close);
    PGconn *c = Adatbazis::pgHandle();
    Adatbazis::Tranzakcio tr;
    for (const TablaLeiras &t : Sema::tablak()) {
        Adatbazis::vegrehajt("DELETE FROM " + t.nev);
        QStringList mezok;
        for (const MezoLeiras &m : t.mezok)
            mezok << m.nev;
        sqlite3_stmt *st = nullptr;
        sqlite3_prepare_v2(h, QString("SELECT %1 FROM %2").arg(mezok.join(", "), t.nev).toUtf8().constData(), -1, &st,
                           nullptr);
        const std::unique_ptr<sqlite3_stmt, int (*)(sqlite3_stmt *)> vege(st, sqlite3_finalize);
        PQclear(PQexec(c, QString("COPY %1 (%2) FROM STDIN").arg(t.nev, mezok.join(", ")).toUtf8().constData()));
        QByteArray puffer;
        qint64 sorok = 0;
        while (sqlite3_step(st) == SQLITE_ROW) {
            for (int i = 0; i < mezok.size(); ++i) {
                if (i)
                    puffer += '\t';
                if (sqlite3_column_type(st, i) == SQLITE_NULL)
                    puffer += "\\N";
                else
                    masolSzoveg(puffer, reinterpret_cast<const char *>(sqlite3_column_text(st, i)),
                                sqlite3_column_bytes(st, i));
            }
            puffer += '\n';
            ++sorok;
            if (puffer.size() > (1 << 20)) {
                if (PQputCopyData(c, puffer.constData(), int(puffer.size())) != 1)
                    throw StoreHiba(PQerrorMessage(c));
                puffer.clear();
            }
        }
        if (PQputCopyData(c, puffer.constData(), int(puffer.size())) != 1 || PQputCopyEnd(c, nullptr) != 1)
            throw StoreHiba(PQerrorMessage(c));
        PGresult *r = PQgetResult(c);
        const bool jo = PQresultStatus(r) == PGRES_COMMAND_OK;
        const QString hiba = QString::fromUtf8(PQresultErrorMessage(r));
        PQclear(r);
        while ((r = PQgetResult(c)))
            PQclear(r);
        if (!jo)
            throw StoreHiba(t.nev + ": " + hiba);
        std::printf("%-12s %9lld sor átmásolva\n", qPrintable(t.nev), sorok);
        std::fflush(stdout);
    }
    tr.commit();
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
        if (Adatbazis::megnyit(fajlok.path(), a[2])) {
            const double m = ido([&] { masol(a[1]); });
            std::printf("másolás: %.1f s\n", m / 1000);
            JsonSor("pg_copy_register", m, "ms");
        }
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

        const QString ritka = Adatbazis::ertek("SELECT rendszam FROM doksi WHERE rendszam IS NOT NULL "
                                               "ORDER BY doksi LIMIT 1 OFFSET 300000").toString();
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
