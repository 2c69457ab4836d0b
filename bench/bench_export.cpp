// Exports the 'J' view of the generated register (1,000,000 letters, 500,000 of them 'J')
// through the export writer and, in the same run, lets the sqlite3 command-line tool write
// the same rows with the same joins as CSV.
// Usage: bench_export [REGISTER_FOLDER] (default /tmp/dorvprg-bench; generated when missing;
// needs sqlite3 on the PATH for the comparison)
#include "Adatbazis.h"
#include "Export.h"
#include "Generator.h"
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
    const QString mappa = argc > 1 ? QString(argv[1]) : QString("/tmp/dorvprg-bench");
    QElapsedTimer ora;
    ora.start();
    RegiszterGeneral(mappa);
    std::printf("register in %s ready in %.2f s\n", qPrintable(mappa), ora.elapsed() / 1000.0);
    QTemporaryDir dir;
    Adatbazis::megnyit(mappa);

    const QString ki = QDir(dir.path()).filePath("DorvPrg.CSV");
    ora.restart();
    Tabla t("doksi");
    LevelListaKurzor(t, "J");
    t.megnyit();
    const double nyitas = ora.elapsed() / 1000.0;
    ora.restart();
    const ExportEredmeny e = HataroltIr(t, ki, ";", '"');
    const double iras = ora.elapsed() / 1000.0;
    std::printf("export writer: %d rows, %lld bytes; cursor opened in %.2f s, written in %.2f s, total %.2f s\n",
                e.sorok, QFileInfo(ki).size(), nyitas, iras, nyitas + iras);
    const QString dbFajl = QDir(mappa).filePath(Adatbazis::FAJLNEV);
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
