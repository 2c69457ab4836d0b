// Renders the simple list of 20,000 letters to PDF and reports the time and pages per
// second (goal: under 5 s). When LibreOffice is installed, the same rows go from CSV to
// PDF through `soffice --headless --convert-to pdf` for comparison. The figures also go out
// as JSON lines: list_pdf (ms, with the ratio to LibreOffice when it ran) and
// list_pdf_bytes_per_page.
// Usage: bench_nyomtatas [folder]   (default: a temporary folder)

#include "Adatbazis.h"
#include "Generator.h"
#include "Meres.h"
#include "Lekerdezes.h"
#include "Mezo.h"
#include "NyomtatasPdf.h"
#include "StoreHiba.h"
#include "Tabla.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTextStream>

#include <cstdio>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);   // fonts need a GUI application
    const int N = 20000;
    QTemporaryDir tmp;
    const QString mappa = argc > 1 ? QString(argv[1]) : tmp.filePath("Data");
    QDir().mkpath(mappa);
    try {
        RegiszterGeneral(mappa, N);
        Adatbazis::megnyit(mappa);

        // the main window's cursor on the 'J' letters, plus the 'S' ones: 20,000 rows in all
        Adatbazis::vegrehajt("UPDATE doksi SET prntip = 'J'");
        Tabla t("doksi");
        t.setCsakOlvas(true);
        t.setIndex("idx_doksi_id_desc");
        t.setSzuro("prntip='J'");
        t.setSzurt(true);
        t.keresoMezo("marka_nev", "marka", "marka", "marka_nev", 25);
        t.keresoMezo("alkatresz_nev", "alkatresz", "alkatresz", "alkatresz_nev", 50);
        t.keresoMezo("ugyfel_nev", "ugyfel", "ugyfel", "ugyfel_nev", 100);
        t.megnyit();
        std::printf("letters in the list: %d\n", t.rekordSzam());

        const QString pdf = tmp.filePath("lista.pdf");
        QElapsedTimer ido;
        ido.start();
        auto munka = NyomtatasiMunka::lista(t);
        const Oldalak o = munka->lapoz();
        const double lapozas = ido.nsecsElapsed() / 1e9;
        OldalakPdf(o, pdf);
        const int lapok = int(o.lapok.size());
        const double mp = ido.nsecsElapsed() / 1e9;
        std::printf("pagination %.2f s, PDF writing %.2f s\n", lapozas, mp - lapozas);
        std::printf("simple list to PDF: %d pages in %.2f s, %.0f pages/s, %.1f MB (goal < 5 s: %s)\n",
                    lapok, mp, lapok / mp, QFileInfo(pdf).size() / 1e6, mp < 5 ? "met" : "missed");

        double arany = -1;   // DorvPrg / LibreOffice, when it ran
        const QString soffice = QStandardPaths::findExecutable("soffice");
        if (soffice.isEmpty()) {
            std::printf("LibreOffice (soffice) is not installed: no comparison\n");
        } else {
            const QString csv = tmp.filePath("lista.csv");
            QFile f(csv);
            if (!f.open(QIODevice::WriteOnly))
                throw StoreHiba("cannot write " + csv);
            QTextStream ki(&f);
            const QStringList mezok{"doksi_id", "datum", "dorvido", "marka_nev", "alkatresz_nev",
                                    "rendszam", "sorozatszam", "ugyfel_nev", "megjegyzes"};
            ki << mezok.join(';') << '\n';
            for (int i = 0; i < t.rekordSzam(); ++i) {
                QStringList s;
                for (const QString &m : mezok)
                    s << MezoSzoveg(t.ertekSor(i, m)).replace(';', ',').replace('\n', ' ').replace('\r', ' ');
                ki << s.join(';') << '\n';
            }
            f.close();
            QElapsedTimer lo;
            lo.start();
            QProcess p;
            p.start(soffice, {"--headless", "--convert-to", "pdf", "--outdir", tmp.path(), csv});
            p.waitForFinished(-1);
            const double lmp = lo.nsecsElapsed() / 1e9;
            std::printf("LibreOffice CSV to PDF: %.2f s (exit %d); ratio LibreOffice / DorvPrg: %.1f\n",
                        lmp, p.exitCode(), lmp / mp);
            if (p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0) {
                arany = mp / lmp;
                JsonSor("list_pdf_libreoffice", lmp * 1000, "ms");
            }
        }
        JsonSor("list_pdf", mp * 1000, "ms", arany);
        JsonSor("list_pdf_bytes_per_page", double(QFileInfo(pdf).size()) / lapok, "bytes");
        Adatbazis::bezar();
    } catch (const StoreHiba &h) {
        std::fprintf(stderr, "%s\n", qPrintable(h.uzenet()));
        return 1;
    }
    return 0;
}
