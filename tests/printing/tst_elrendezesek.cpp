// The six printouts against their millimetre tables: each text is looked up in the PDF
// and its position compared with where the table puts it.

#include "Adatbazis.h"
#include "NyomtatasPdf.h"
#include "NyomtatasTeszt.h"
#include "TesztKornyezet.h"

#include <QHash>
#include <QTest>

namespace {
// top of each band on the page (10 mm margin), per layout
double savTeteje(const QString &lay, char sav)
{
    const bool level = lay.startsWith("TqrDorv");
    switch (sav) {
    case 'H': return 10;
    case 'G': return 10 + 22.2;             // notes group header
    case 'D': return level ? 10 + 35.4 : lay == "TqrLista" ? 10 + 30.1 : 10 + 22.2 + 7.9;
    case 'F': return level ? 297 - 10 - 42.0 : 297 - 10 - 14.6;
    }
    return 0;
}
}

class ElrendezesTeszt : public QObject {
    Q_OBJECT

    QHash<QString, QList<PdfSzo>> m_pdf;
    TesztKornyezet *m_k = nullptr;

    const QList<PdfSzo> &pdf(const QString &lay)
    {
        if (!m_pdf.contains(lay)) {
            NyomtatvanyFajta f;
            if (!FajtaNevbol(lay, f))
                qFatal("unknown layout");
            const QString fajl = QDir(m_k->programMappa()).filePath(lay + ".pdf");
            if (f == NyomtatvanyFajta::Lista)
                ListaPdf(QChar('S'), fajl);
            else
                NyomtatvanyPdf(f, m_doksi, fajl);
            if (!qEnvironmentVariableIsEmpty("NYOMTATAS_PDF_MAPPA"))
                QFile::copy(fajl, QDir(qEnvironmentVariable("NYOMTATAS_PDF_MAPPA")).filePath(lay + ".pdf"));
            m_pdf.insert(lay, pdfSzavak(fajl));
        }
        return m_pdf[lay];
    }
    int m_doksi = 0;

private slots:
    void initTestCase()
    {
        m_k = new TesztKornyezet;
        m_doksi = mintaLevel(42, "S");
        Adatbazis::vegrehajt("INSERT INTO doksi_megj (doksi, datum, rovid, megjegyzes) VALUES (?, '2024-04-02', 'Visszahívás', 'Ügyfél értesítve')",
                             {m_doksi});
    }
    void cleanupTestCase() { delete m_k; }

    // hely: L left edge at x, C centred at x (band centre is 95), R right edge at x
    void elemHelye_data()
    {
        QTest::addColumn<QString>("lay");
        QTest::addColumn<QString>("szoveg");
        QTest::addColumn<char>("sav");
        QTest::addColumn<double>("fent");
        QTest::addColumn<char>("hely");
        QTest::addColumn<double>("x");

        struct Sor { const char *lay, *szoveg; char sav; double fent; char hely; double x; };
        // the owner block (left form), letter number and footer lines of the four letter forms
        const QList<Sor> kozos = {
            {"", "Őrség Autó Kft.", 'H', 1.3, 'L', 0}, {"", "9021, Győr", 'H', 6.6, 'L', 0},
            {"", "Űrhajós utca 5.", 'H', 10.6, 'L', 0}, {"", "06-96-123456", 'H', 14.6, 'L', 0},
            {"", "info@orseg.hu", 'H', 18.5, 'L', 0}, {"", "www.orseg.hu", 'H', 23.8, 'L', 0},
            {"", "No: 00042", 'H', 1.3, 'R', 190},
            {"", "DorvPrg", 'F', 27.8, 'L', 0}, {"", "oldal: 1", 'F', 35.7, 'L', 0},
            {"", "www.pelikor.hu", 'F', 35.7, 'C', 95},
        };
        const QList<Sor> sajat = {
            {"TqrDorv", "Jótállási tanusítvány", 'H', 25.1, 'C', 95},
            {"TqrDorv", "Garancia kezdete", 'D', 4.0, 'C', 95},
            {"TqrDorv", "2024.03.15.", 'D', 10.6, 'C', 95},
            {"TqrDorv", "Tisztelt megrendelőnk!", 'D', 17.2, 'L', 0},
            {"TqrDorv", "Az általunk javított alkatrészért", 'D', 23.8, 'C', 95},
            {"TqrDorv", "12 hónap", 'D', 30.4, 'C', 95},
            {"TqrDorv", "Alkatrész típusa (márka/típus)", 'D', 63.5, 'L', 0},
            {"TqrDorv", "Bosch", 'D', 63.5, 'L', 49.3},
            {"TqrDorv", "-", 'D', 63.5, 'C', 75.7},
            {"TqrDorv", "Generátor", 'D', 63.5, 'L', 78.7},
            {"TqrDorv", "Sorozatszám", 'D', 70.1, 'L', 0},
            {"TqrDorv", "SN98765", 'D', 70.1, 'L', 48.9},
            {"TqrDorv", "Megjegyzés", 'D', 87.3, 'L', 0},
            {"TqrDorv", "Kopott ház", 'D', 87.3, 'L', 48.9},
            {"TqrDorv", "Kovács Béla", 'D', 113.8, 'L', 49.3},
            {"TqrDorv", "Megrendelő", 'D', 115.1, 'L', 0},
            {"TqrDorv", "6720", 'D', 120.4, 'L', 49.3},
            {"TqrDorv", ",", 'D', 120.4, 'C', 64.8},
            {"TqrDorv", "Szeged", 'D', 120.4, 'L', 66.8},
            {"TqrDorv", "Fő tér 1.", 'D', 127.0, 'L', 49.3},
            {"TqrDorv", "Gépjármű (márka/rendszám)", 'D', 134.9, 'L', 0},
            {"TqrDorv", "Bosch", 'D', 134.9, 'L', 49.3},
            {"TqrDorv", "ABC-123", 'D', 134.9, 'L', 78.7},
            {"TqrDorv", "Szervíz részéről aláírás PH", 'F', 17.2, 'C', 121.7 + 55.9 / 2},
            {"TqrDorv", "qrDorv", 'F', 35.7, 'R', 190},
            {"TqrDorv", "Jótállási tanusítvány", 'F', 31.8, 'R', 190},

            {"TqrDorv2", "Jótállási tanusítvány", 'H', 11.9, 'C', 95},
            {"TqrDorv2", "Javított alkatrészre", 'H', 19.8, 'C', 95},
            {"TqrDorv2", "gépjárműből ki és beszereléssel", 'H', 26.5, 'C', 95},
            {"TqrDorv2", "Az általunk javított alkatrészért, illetve a ki és beszerelésért", 'D', 23.8, 'C', 95},
            {"TqrDorv2", "12 hónap", 'D', 30.4, 'C', 95},
            {"TqrDorv2", "Gépjármű típusa", 'D', 63.5, 'L', 0},
            {"TqrDorv2", "Bosch", 'D', 63.5, 'L', 49.3},
            {"TqrDorv2", "Rendszám", 'D', 70.1, 'L', 0},
            {"TqrDorv2", "ABC-123", 'D', 70.1, 'L', 48.9},
            {"TqrDorv2", "Kilométeróra állás", 'D', 76.7, 'L', 0},
            {"TqrDorv2", "123456", 'D', 76.7, 'L', 48.9},
            {"TqrDorv2", "Javított alkatrész", 'D', 83.3, 'L', 0},
            {"TqrDorv2", "Generátor", 'D', 83.3, 'L', 48.9},
            {"TqrDorv2", "Megjegyzés", 'D', 91.3, 'L', 0},
            {"TqrDorv2", "Kopott ház", 'D', 91.3, 'L', 48.9},
            {"TqrDorv2", "Kovács Béla", 'D', 104.5, 'L', 49.3},
            {"TqrDorv2", "Megrendelő", 'D', 105.8, 'L', 0},
            {"TqrDorv2", "6720", 'D', 111.1, 'L', 49.3},
            {"TqrDorv2", "Szeged", 'D', 111.1, 'L', 66.8},
            {"TqrDorv2", "Fő tér 1.", 'D', 117.7, 'L', 49.3},
            {"TqrDorv2", "Egyéb javítások", 'D', 125.7, 'L', 0},
            {"TqrDorv2", "Fékcsere", 'D', 125.7, 'L', 49.3},
            {"TqrDorv2", "qrDorv2", 'F', 35.7, 'R', 190},

            {"TqrDorv3", "Javításra hozott gépkocsi", 'H', 15.9, 'C', 95},
            {"TqrDorv3", "megrendelőlap", 'H', 23.8, 'C', 95},
            {"TqrDorv3", "Beérkezés", 'D', 4.0, 'C', 95},
            {"TqrDorv3", "2024.03.10.", 'D', 10.6, 'C', 95},
            {"TqrDorv3", "Gépjármű típusa", 'D', 25.1, 'L', 0},
            {"TqrDorv3", "Bosch", 'D', 25.1, 'L', 49.6},
            {"TqrDorv3", "Rendszám", 'D', 34.4, 'L', 0},
            {"TqrDorv3", "ABC-123", 'D', 34.4, 'L', 49.6},
            {"TqrDorv3", "Kilométeróra állás", 'D', 43.7, 'L', 0},
            {"TqrDorv3", "123456", 'D', 43.7, 'L', 49.6},
            {"TqrDorv3", "Kovács Béla", 'D', 52.9, 'L', 49.6},
            {"TqrDorv3", "Megrendelő", 'D', 54.2, 'L', 0},
            {"TqrDorv3", "6720", 'D', 59.5, 'L', 49.6},
            {"TqrDorv3", ",", 'D', 59.5, 'C', 64.8},
            {"TqrDorv3", "Szeged", 'D', 59.5, 'L', 66.8},
            {"TqrDorv3", "Fő tér 1.", 'D', 66.1, 'L', 49.6},
            {"TqrDorv3", "hibajelenség", 'D', 74.1, 'L', 0},
            {"TqrDorv3", "Zörög", 'D', 74.1, 'L', 49.6},
            {"TqrDorv3", "elvállalt javítások", 'D', 95.2, 'L', 0},
            {"TqrDorv3", "Tekercselés", 'D', 95.2, 'L', 49.6},
            {"TqrDorv3", "várható költség", 'D', 117.7, 'L', 0},
            {"TqrDorv3", "45000", 'D', 117.7, 'L', 49.6},
            {"TqrDorv3", "Látható sérülések", 'D', 127.0, 'L', 0},
            {"TqrDorv3", "Karcos", 'D', 127.0, 'L', 49.6},
            {"TqrDorv3", "Kérjük, átvételkor a megrendelőlapot hozza magával!", 'F', 4.0, 'L', 0},
            {"TqrDorv3", "Szervíz részéről aláírás PH", 'F', 17.2, 'C', 121.7 + 55.9 / 2},
            {"TqrDorv3", "qrDorv3", 'F', 35.7, 'R', 190},

            {"TqrDorv4", "Szerelő munkalap", 'H', 22.5, 'C', 95},
            {"TqrDorv4", "Gépjármű típusa", 'D', 4.0, 'L', 0},
            {"TqrDorv4", "Bosch", 'D', 4.0, 'L', 50.3},
            {"TqrDorv4", "Rendszám", 'D', 10.6, 'L', 0},
            {"TqrDorv4", "ABC-123", 'D', 10.6, 'L', 50.3},
            {"TqrDorv4", "Kovács Béla", 'D', 17.2, 'L', 50.3},
            {"TqrDorv4", "Megrendelő", 'D', 18.5, 'L', 0},
            {"TqrDorv4", "6720", 'D', 23.8, 'L', 50.3},
            {"TqrDorv4", "Szeged", 'D', 23.8, 'L', 68.1},
            {"TqrDorv4", "Fő tér 1.", 'D', 30.4, 'L', 50.3},
            {"TqrDorv4", "Átvett okmányok", 'D', 37.0, 'L', 0},
            {"TqrDorv4", "Forgalmi", 'D', 37.0, 'L', 50.3},
            {"TqrDorv4", "Átvétel dátuma", 'D', 43.7, 'L', 0},
            {"TqrDorv4", "2024.03.10.", 'D', 43.7, 'L', 50.3},
            {"TqrDorv4", "hibajelenség", 'D', 50.3, 'L', 0},
            {"TqrDorv4", "Zörög", 'D', 50.3, 'L', 50.3},
            {"TqrDorv4", "Javítással összefüggésben", 'D', 71.4, 'L', 0},
            {"TqrDorv4", "Ékszíj", 'D', 71.4, 'L', 49.3},
            {"TqrDorv4", "Elvégzett javítások", 'D', 92.6, 'L', 0},
            {"TqrDorv4", "Szíjcsere", 'D', 92.6, 'L', 49.3},
            {"TqrDorv4", "Egyéb észrevételek", 'D', 113.8, 'L', 0},
            {"TqrDorv4", "Nincs", 'D', 113.8, 'L', 49.3},
            {"TqrDorv4", "Befejezési határidő", 'D', 140.2, 'L', 0},
            {"TqrDorv4", "2024.03.20.", 'D', 140.2, 'L', 50.3},
            {"TqrDorv4", "A megrendelőlapon feltüntetett adatokkal egyetértek, a javítást megrendelem", 'F', 1.3, 'L', 0},
            {"TqrDorv4", "Szerelő aláírás PH", 'F', 17.2, 'C', 10.6 + 55.9 / 2},
            {"TqrDorv4", "Megrendelő aláírás", 'F', 17.2, 'C', 116.4 + 55.9 / 2},
            {"TqrDorv4", "qrDorv4", 'F', 35.7, 'R', 190},

            {"TqrLista", "Egyszerű lista", 'H', 1.3, 'L', 0},
            {"TqrLista", "Őrség Autó Kft.", 'H', 1.3, 'R', 190},
            {"TqrLista", "9021, Győr", 'H', 6.6, 'R', 190},
            {"TqrLista", "Űrhajós utca 5.", 'H', 10.6, 'R', 190},
            {"TqrLista", "06-96-123456", 'H', 14.6, 'R', 190},
            {"TqrLista", "ID", 'H', 23.8, 'L', 0},
            {"TqrLista", "dátum", 'H', 23.8, 'L', 13.2},
            {"TqrLista", "dorv.idő", 'H', 23.8, 'L', 35.7},
            {"TqrLista", "márka", 'H', 23.8, 'L', 56.9},
            {"TqrLista", "alkatrész", 'H', 23.8, 'L', 82.0},
            {"TqrLista", "rendszám", 'H', 23.8, 'L', 111.1},
            {"TqrLista", "sorozatszám", 'H', 23.8, 'L', 129.6},
            {"TqrLista", "ügyfél", 'H', 23.8, 'L', 153.5},
            {"TqrLista", "00042", 'D', 1.3, 'L', 0},
            {"TqrLista", "2024.03.15.", 'D', 1.3, 'L', 13.2},
            {"TqrLista", "12 hónap", 'D', 1.3, 'L', 35.7},
            {"TqrLista", "Bosch", 'D', 1.3, 'L', 56.9},
            {"TqrLista", "Generátor", 'D', 1.3, 'L', 82.0},
            {"TqrLista", "ABC-123", 'D', 1.3, 'L', 111.1},
            {"TqrLista", "SN98765", 'D', 1.3, 'L', 129.6},
            {"TqrLista", "Kovács Béla", 'D', 1.3, 'L', 153.5},
            {"TqrLista", "Kopott ház", 'D', 6.6, 'L', 2.6},
            {"TqrLista", "DorvPrg", 'F', 1.3, 'L', 0},
            {"TqrLista", "Egyszerű lista", 'F', 5.3, 'R', 190},
            {"TqrLista", "oldal: 1", 'F', 9.3, 'L', 0},
            {"TqrLista", "www.pelikor.hu", 'F', 9.3, 'C', 95},
            {"TqrLista", "qrLista", 'F', 9.3, 'R', 190},

            {"TqrMegjegyzes", "Megjegyzések", 'H', 1.3, 'L', 0},
            {"TqrMegjegyzes", "Őrség Autó Kft.", 'H', 1.3, 'R', 190},
            {"TqrMegjegyzes", "06-96-123456", 'H', 14.6, 'R', 190},
            {"TqrMegjegyzes", "42", 'G', 1.3, 'L', 0},
            {"TqrMegjegyzes", "téma", 'G', 1.3, 'L', 30.4},
            {"TqrMegjegyzes", "Bosch Generátor ABC-123", 'G', 1.3, 'L', 43.7},
            {"TqrMegjegyzes", "2024.04.02.", 'D', 1.3, 'L', 1.3},
            {"TqrMegjegyzes", "Visszahívás", 'D', 1.3, 'L', 30.4},
            {"TqrMegjegyzes", "Ügyfél értesítve", 'D', 6.6, 'L', 1.3},
            {"TqrMegjegyzes", "Megjegyzések", 'F', 5.3, 'R', 190},
            {"TqrMegjegyzes", "oldal: 1", 'F', 9.3, 'L', 0},
            {"TqrMegjegyzes", "qrMegjegyzes", 'F', 9.3, 'R', 190},
        };
        for (const char *lay : {"TqrDorv", "TqrDorv2", "TqrDorv3", "TqrDorv4"})
            for (const Sor &s : kozos)
                QTest::addRow("%s %s", lay, s.szoveg) << lay << s.szoveg << s.sav << s.fent << s.hely << s.x;
        for (const Sor &s : sajat)
            QTest::addRow("%s %s %c%.1f", s.lay, s.szoveg, s.sav, s.fent)
                << s.lay << s.szoveg << s.sav << s.fent << s.hely << s.x;
    }

    void elemHelye()
    {
        QFETCH(QString, lay);
        QFETCH(QString, szoveg);
        QFETCH(char, sav);
        QFETCH(double, fent);
        QFETCH(char, hely);
        QFETCH(double, x);
        const double vartFent = savTeteje(lay, sav) + fent;
        PdfSzo w;
        QVERIFY2(kifejezes(pdf(lay), szoveg, 0, vartFent, w), qPrintable(szoveg + " missing"));
        // the word box starts at the top of the font's ascent, just below the box top
        QVERIFY2(std::abs(w.fent - vartFent) < 0.8,
                 qPrintable(QString("top %1, expected %2").arg(w.fent).arg(vartFent)));
        const double mert = hely == 'L' ? w.bal : hely == 'R' ? w.jobb : (w.bal + w.jobb) / 2;
        QVERIFY2(std::abs(mert - (10 + x)) < 0.5,
                 qPrintable(QString("%1 edge %2, expected %3").arg(hely).arg(mert).arg(10 + x)));
    }

    // every layout: one A4 page for one letter, paper size as the tables assume
    void egyOldal_data()
    {
        QTest::addColumn<QString>("lay");
        for (const char *l : {"TqrDorv", "TqrDorv2", "TqrDorv3", "TqrDorv4", "TqrLista", "TqrMegjegyzes"})
            QTest::newRow(l) << l;
    }
    void egyOldal()
    {
        QFETCH(QString, lay);
        pdf(lay);
        const QString fajl = QDir(m_k->programMappa()).filePath(lay + ".pdf");
        QCOMPARE(pdfLapok(fajl), 1);
        QProcess p;
        p.start("pdfinfo", {fajl});
        p.waitForFinished();
        QVERIFY(QString(p.readAllStandardOutput()).contains("(A4)"));
    }
};

QTEST_MAIN(ElrendezesTeszt)
#include "tst_elrendezesek.moc"
