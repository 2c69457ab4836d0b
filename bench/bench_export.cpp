// Exports the 'J' view of a register of 500,000 letters through the export writer and,
// in the same run, lets the sqlite3 command-line tool write the same rows with the same
// joins as CSV. Usage: bench_export [letters] (needs sqlite3 on the PATH for the comparison)
#include "Adatbazis.h"
#include "Export.h"
#include "Tabla.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <cstdio>

namespace {

// Letters of both kinds with brands, parts and customers, filled by SQL in one transaction.
void regiszterToltes(int n)
{
    Adatbazis::Tranzakcio t;
    Adatbazis::vegrehajt("WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c WHERE x < 200)"
                         " INSERT INTO marka (marka, marka_nev) SELECT x, 'Márka ' || x FROM c");
    Adatbazis::vegrehajt("WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c WHERE x < 5000)"
                         " INSERT INTO alkatresz (alkatresz, alkatresz_nev) SELECT x, 'Alkatrész ő ű ' || x FROM c");
    Adatbazis::vegrehajt("WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c WHERE x < 20000)"
                         " INSERT INTO ugyfel (ugyfel, ugyfel_nev) SELECT x, 'Ügyfél Kft. ' || x FROM c");
    Adatbazis::vegrehajt(
        "WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c WHERE x < ?)"
        " INSERT INTO doksi (doksi_id, datum, dorvido, marka, alkatresz, rendszam, ugyfel, sorozatszam, prntip,"
        " kmora, egyebjav, ft_varhato, serulesek, hibajelenseg, dat_beerk, okmanyok, megjegyzes)"
        " SELECT (x + 1) / 2, date('2020-01-01', '+' || (x % 2000) || ' days'), '1 év', x % 200 + 1,"
        " x % 5000 + 1, 'ABC-' || (x % 1000), x % 20000 + 1, 'SN' || x || ';\"x\"', CASE x % 2 WHEN 0 THEN 'J' ELSE 'S' END,"
        " x % 300000, CASE WHEN x % 7 = 0 THEN 'olajcsere, szűrő' END, x % 90000, NULL, 'zörög', NULL, NULL,"
        " CASE WHEN x % 11 = 0 THEN 'megjegyzés' END FROM c",
        {2 * n});
    t.commit();
}

// The same rows and joins for the command-line tool, newest number first.
const char *SQLITE_LEKERDEZES =
    "SELECT t.doksi, t.doksi_id, t.datum, t.dorvido, t.marka, substr(k0.marka_nev, 1, 25), t.alkatresz,"
    " substr(k1.alkatresz_nev, 1, 50), t.rendszam, t.ugyfel, substr(k2.ugyfel_nev, 1, 100), t.sorozatszam,"
    " t.prntip, t.kmora, t.egyebjav, t.ft_varhato, t.serulesek, t.hibajelenseg, t.dat_beerk,"
    " t.hibajel_fuggetlen, t.okmanyok, t.hiba1, t.hiba2, t.hiba3, t.dat_befejez, t.megjegyzes, t.elvjavitas"
    " FROM doksi t LEFT OUTER JOIN marka k0 ON k0.marka = t.marka"
    " LEFT OUTER JOIN alkatresz k1 ON k1.alkatresz = t.alkatresz"
    " LEFT OUTER JOIN ugyfel k2 ON k2.ugyfel = t.ugyfel"
    " WHERE t.prntip = 'J' ORDER BY t.doksi_id DESC, t.rowid DESC;";

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const int n = argc > 1 ? QString(argv[1]).toInt() : 500000;
    QTemporaryDir dir;
    Adatbazis::megnyit(dir.path());
    QElapsedTimer ora;
    ora.start();
    regiszterToltes(n);
    std::printf("register: %d letters per view, filled in %.2f s\n", n, ora.elapsed() / 1000.0);

    const QString ki = QDir(dir.path()).filePath("DorvPrg.CSV");
    ora.restart();
    Tabla t("doksi");
    LevelListaKurzor(t, "J");
    t.megnyit();
    const double nyitas = ora.elapsed() / 1000.0;
    {
        ora.restart();
        qint64 db = 0;
        for (int i = 0; i < t.rekordSzam(); ++i)
            for (int c = 0; c < t.mezoNevek().size(); ++c)
                db += t.ertekSor(i, c).isNull();
        std::printf("cursor read only: %.2f s (%lld)\n", ora.elapsed() / 1000.0, db);
    }
    ora.restart();
    const ExportEredmeny e = HataroltIr(t, ki, ";", '"');
    const double iras = ora.elapsed() / 1000.0;
    std::printf("export writer: %d rows, %lld bytes; cursor opened in %.2f s, written in %.2f s, total %.2f s\n",
                e.sorok, QFileInfo(ki).size(), nyitas, iras, nyitas + iras);
    const QString dbFajl = QDir(dir.path()).filePath(Adatbazis::FAJLNEV);
    Adatbazis::bezar();

    const QString sqlite = QStandardPaths::findExecutable("sqlite3");
    if (sqlite.isEmpty()) {
        std::printf("sqlite3: not found on the PATH, no comparison\n");
        return 0;
    }
    const QString ki2 = QDir(dir.path()).filePath("sqlite3.csv");
    QProcess p;
    p.setStandardOutputFile(ki2);
    ora.restart();
    p.start(sqlite, {"-csv", "-header", dbFajl, SQLITE_LEKERDEZES});
    p.waitForFinished(-1);
    const double s3 = ora.elapsed() / 1000.0;
    std::printf("sqlite3 -csv: exit %d, %lld bytes, %.2f s\n", p.exitCode(), QFileInfo(ki2).size(), s3);
    std::printf("ratio export/sqlite3: %.2f\n", (nyitas + iras) / s3);
    return 0;
}
