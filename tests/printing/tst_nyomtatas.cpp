// Behaviour of the printouts, checked through their PDF output and the preview window.

#include "Adatbazis.h"
#include "Beall.h"
#include "Betuk.h"
#include "EmailKuldes.h"
#include "LevelJel.h"
#include "LevelezoHelyettes.h"
#include "Export.h"
#include "HuSzoveg.h"
#include "Lapozo.h"
#include "Nyomtatas.h"
#include "NyomtatasPdf.h"
#include "NyomtatasTeszt.h"
#include "StoreHiba.h"
#include "Tabla.h"
#include "TesztKornyezet.h"
#include "Tfrm_Elonezet.h"

#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QTest>
#include <QScopeGuard>
#include <QTimer>

namespace {
// The QR codes a real decoder finds on a PDF's first page rendered at 300 dpi.
QStringList qrKodok(const QString &pdf)
{
    const QString kep = pdf + "-lap";
    QProcess r;
    r.start("pdftoppm", {"-r", "300", "-png", "-singlefile", "-f", "1", pdf, kep});
    if (!r.waitForFinished(60000) || r.exitCode() != 0)
        return {"<pdftoppm hiba>"};
    QProcess z;
    z.start("zbarimg", {"--raw", "-q", kep + ".png"});
    z.waitForFinished(60000);
    return QString::fromUtf8(z.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
}

QString fajl(const TesztKornyezet &k, const QString &nev) { return QDir(k.programMappa()).filePath(nev); }

void s(const TesztKornyezet &k, const char *nev, const QString &szoveg)
{
    HuSzoveg::fajlIr(QDir(k.adatMappa()).filePath(nev), szoveg);
}

bool van(const QList<PdfSzo> &sz, int lap, const QString &szoveg)
{
    PdfSzo w;
    return kifejezes(sz, szoveg, lap, 0, w);
}

Tfrm_Elonezet *elonezetAblak()
{
    for (QWidget *w : QApplication::topLevelWidgets())
        if (auto *e = qobject_cast<Tfrm_Elonezet *>(w); e && e->isVisible())
            return e;
    return nullptr;
}

// runs f on the preview once it is shown, then the test closes it with Esc
void elonezetben(std::function<void(Tfrm_Elonezet *)> f, int probak = 0)
{
    QTimer::singleShot(20, [f, probak] {
        Tfrm_Elonezet *e = elonezetAblak();
        if (!e || !e->aNyomtat->isEnabled()) {
            if (probak < 250)
                elonezetben(f, probak + 1);
            return;
        }
        // the window closes even when a check inside f fails, so the entry returns
        auto zar = qScopeGuard([e] { e->close(); });
        e->activateWindow();
        QTest::qWaitForWindowActive(e);
        f(e);
    });
}
}

class NyomtatasTeszt : public QObject {
    Q_OBJECT

private slots:
    void initTestCase_data() { TesztKornyezet::motorok(); }
    void init()
    {
        if (const QString h = TesztKornyezet::szerverHiba(); !h.isEmpty())
            QSKIP(qPrintable(h));
    }

    // the text layout rules, with the metrics of the font that prints
    // box widths are given as a text the box just takes (its width plus 0.3 mm), so the
    // rows hold for the printed font's own measures
    void sorokraTor_data()
    {
        QTest::addColumn<QString>("szoveg");
        QTest::addColumn<QString>("doboz");
        QTest::addColumn<bool>("sortores");
        QTest::addColumn<bool>("autoMeret");
        QTest::addColumn<QStringList>("vart");
        QTest::newRow("fits") << "alma körte" << "alma körte" << false << false << QStringList{"alma körte"};
        QTest::newRow("no wrap keeps the words that fit")
            << "alma körte szilva barack" << "alma körte szi" << false << false << QStringList{"alma körte "};
        QTest::newRow("wrap") << "alma körte szilva barack" << "alma körte szilva" << true << false
                              << QStringList{"alma körte szilva ", "barack"};
        QTest::newRow("hyphen ends a word") << "Kis-Nagy-Szabó" << "Kis-Nagy-Sz" << true << false
                                            << QStringList{"Kis-Nagy-", "Szabó"};
        QTest::newRow("too wide word cut, no wrap")
            << "Nagyonhosszúszó egybe" << "Nagyonhossz" << false << false << QStringList{"Nagyonhossz"};
        QTest::newRow("too wide word broken, wrap")
            << "Nagyonhosszúszóegybeírva" << "Nagyonhossz" << true << false
            << QStringList{"Nagyonhossz", "úszóegybeírv", "a"};
        QTest::newRow("lines each shown, no wrap")
            << "első sor\r\nmásodik sor" << "második sorok" << false << false << QStringList{"első sor", "második sor"};
        QTest::newRow("line feed alone breaks too") << "egy\nkettő" << "kettő és" << false << false
                                                    << QStringList{"egy", "kettő"};
        QTest::newRow("auto size never wraps") << "alma körte szilva barack" << "a" << true << true
                                               << QStringList{"alma körte szilva barack"};
    }
    void sorokraTor()
    {
        QFETCH(QString, szoveg);
        QFETCH(QString, doboz);
        QFETCH(bool, sortores);
        QFETCH(bool, autoMeret);
        QFETCH(QStringList, vart);
        const QFontMetricsF fm(Betuk::font(Betu{"Tahoma", 10, false, false}));
        const double szeles = fm.horizontalAdvance(doboz) / Betuk::EGYSEG + 0.3;
        const QStringList sorok = Lapozo::sorokraTor(szoveg, fm, szeles, sortores, autoMeret);
        if (QTest::currentDataTag() == QLatin1String("too wide word broken, wrap")) {
            // the rest of the word goes on, each piece cut where the box ends
            QCOMPARE(sorok.first(), vart.first());
            QCOMPARE(sorok.join(""), szoveg);
        } else {
            QCOMPARE(sorok, vart);
        }
        for (const QString &s : sorok)
            if (!autoMeret)
                QVERIFY(fm.horizontalAdvance(s.trimmed()) / Betuk::EGYSEG < szeles);
    }

    void betukMagyarBetukkel()
    {
        // every named font maps to an installed twin that has ő and ű
        for (const char *n : {"Tahoma", "Arial", "Times New Roman", "Courier New"}) {
            const QFont f = Betuk::font(Betu{n, 10, false, false});
            QVERIFY2(QFontInfo(f).family() == Betuk::csalad(n), n);
            const QFontMetricsF fm(f);
            for (QChar c : QString("őűŐŰ"))
                QVERIFY2(fm.inFont(c), qPrintable(QString(n) + " lacks " + c));
        }
        QCOMPARE(Betuk::csalad("Arial"), QString("Liberation Sans"));
        QVERIFY(Betuk::csalad("Tahoma").contains("Tahoma"));
    }

    void levelSzam_data()
    {
        QTest::addColumn<int>("id");
        QTest::addColumn<QString>("vart");
        QTest::newRow("7") << 7 << "00007";
        QTest::newRow("42") << 42 << "00042";
        QTest::newRow("six digits") << 123456 << "123456";
    }
    void levelSzam()
    {
        QFETCH(int, id);
        QFETCH(QString, vart);
        TesztKornyezet k;
        const int d = mintaLevel(id);
        const QString f = fajl(k, "a.pdf");
        QCOMPARE(NyomtatvanyPdf(NyomtatvanyFajta::Jotallas, d, f), 1);
        PdfSzo w;
        QVERIFY(kifejezes(pdfSzavak(f), "No: " + vart, 0, 11.3, w));
        QVERIFY(std::abs(w.jobb - 200) < 0.3);   // right edge on the band's right edge
        QVERIFY(pdfSzoveg(f).contains("Őrség Autó Kft."));
        QVERIFY(pdfSzoveg(f).contains("Űrhajós utca 5."));
    }

    // the brand box is 24.5 mm wide and does not wrap: a long name shows its first words only
    void nemTordeloDobozVag()
    {
        TesztKornyezet k;
        const int d = mintaLevel(1, "J", "Mercedes Benz Teherautó Részleg");
        const QString f = fajl(k, "a.pdf");
        NyomtatvanyPdf(NyomtatvanyFajta::Jotallas, d, f);
        const QList<PdfSzo> sz = pdfSzavak(f);
        int mercedes = 0;
        for (const PdfSzo &w : sz) {
            QVERIFY2(w.szoveg != "Teherautó" && w.szoveg != "Részleg", qPrintable(w.szoveg));
            if (w.szoveg == "Mercedes") {
                ++mercedes;
                QVERIFY(w.jobb < 10 + 49.3 + 24.5);
            }
        }
        QCOMPARE(mercedes, 2);   // both occurrences of the brand
        // a centred title stays centred whatever its length
        PdfSzo c;
        QVERIFY(kifejezes(sz, "Az általunk javított alkatrészért", 0, 69, c));
        QVERIFY(std::abs((c.bal + c.jobb) / 2 - 105) < 0.3);
    }

    void s1Tordel()
    {
        TesztKornyezet k;
        const int d = mintaLevel();
        // one long paragraph and a second line; the 21.5 mm box takes five lines
        QString hosszu;
        for (int i = 1; i <= 60; ++i)
            hosszu += QString("szó%1 ").arg(i);
        s(k, "s1.txt", hosszu + "\r\nmásodik bekezdés");
        const QString f = fajl(k, "a.pdf");
        NyomtatvanyPdf(NyomtatvanyFajta::Jotallas, d, f);
        const QList<PdfSzo> sz = pdfSzavak(f);
        QList<double> sorok;
        for (const PdfSzo &w : sz)
            if (w.szoveg.startsWith("szó") || w.szoveg == "második") {
                QVERIFY(w.jobb <= 10 + 189.5);
                QVERIFY(w.lent <= 45.4 + 41.0 + 21.5 + 0.5);   // nothing below the box
                if (!sorok.contains(w.fent))
                    sorok << w.fent;
            }
        QVERIFY2(sorok.size() >= 2 && sorok.size() <= 5, qPrintable(QString::number(sorok.size())));
        QVERIFY(van(sz, 0, "szó1"));
        // the rest of the page stays where it was
        PdfSzo a;
        QVERIFY(kifejezes(sz, "Alkatrész típusa (márka/típus)", 0, 108.9, a));
        QVERIFY(std::abs(a.fent - 108.9) < 0.8);
    }

    // a long s2.txt grows the detail band: the footer stays at the bottom, the text goes on
    // to page 2 below the page header, and both pages carry the footer with their numbers
    void autoNyujtasMasodikOldalra()
    {
        TesztKornyezet k;
        const int d = mintaLevel();
        QStringList sorok;
        for (int i = 1; i <= 40; ++i)
            sorok << QString("Feltétel %1").arg(i);
        s(k, "s2.txt", sorok.join("\r\n"));
        const QString f = fajl(k, "a.pdf");
        QCOMPARE(NyomtatvanyPdf(NyomtatvanyFajta::Jotallas, d, f), 2);
        const QList<PdfSzo> sz = pdfSzavak(f);
        for (int lap : {0, 1}) {
            QVERIFY(van(sz, lap, "Őrség Autó Kft."));
            QVERIFY(van(sz, lap, "No: 00042"));
            QVERIFY(van(sz, lap, QString("oldal: %1").arg(lap + 1)));
            PdfSzo w;
            QVERIFY(kifejezes(sz, "Szervíz részéről aláírás PH", lap, 262.2, w));
            QVERIFY(std::abs(w.fent - 262.2) < 0.8);
        }
        double utolsoLap0 = 0, elsoLap1 = 1000;
        for (int i = 1; i <= 40; ++i) {
            PdfSzo w;
            const bool l0 = kifejezes(sz, QString("Feltétel %1").arg(i), 0, 0, w);
            const bool l1 = !l0 && kifejezes(sz, QString("Feltétel %1").arg(i), 1, 0, w);
            QVERIFY2(l0 || l1, qPrintable(QString("line %1 lost").arg(i)));
            QVERIFY(w.lent <= 245.2);   // above the page footer
            if (l0)
                utolsoLap0 = std::max(utolsoLap0, w.fent);
            else
                elsoLap1 = std::min(elsoLap1, w.fent);
        }
        QVERIFY(utolsoLap0 > 230);   // the band used the page
        QVERIFY(elsoLap1 >= 45.4 - 0.5 && elsoLap1 < 50);   // right below the page header
        // the detail's other items are not repeated
        QVERIFY(!van(sz, 1, "Garancia kezdete"));
    }

    void ismeretlenKulcs_data()
    {
        QTest::addColumn<int>("fajta");
        QTest::addColumn<QString>("reszlet");
        QTest::newRow("certificate") << int(NyomtatvanyFajta::Jotallas) << "Garancia kezdete";
        QTest::newRow("order form") << int(NyomtatvanyFajta::Javitas) << "Beérkezés";
        QTest::newRow("notes") << int(NyomtatvanyFajta::Megjegyzes) << "téma";
    }
    void ismeretlenKulcs()
    {
        QFETCH(int, fajta);
        QFETCH(QString, reszlet);
        TesztKornyezet k;
        mintaLevel();
        const QString f = fajl(k, "a.pdf");
        QCOMPARE(NyomtatvanyPdf(NyomtatvanyFajta(fajta), 9999, f), 1);
        const QList<PdfSzo> sz = pdfSzavak(f);
        QVERIFY(van(sz, 0, "Őrség Autó Kft."));
        QVERIFY(van(sz, 0, "oldal: 1"));
        QVERIFY(!van(sz, 0, reszlet));
        QVERIFY(!van(sz, 0, "No:"));
    }

    void uresIrszVaros()
    {
        TesztKornyezet k;
        mintaLevel();
        Adatbazis::vegrehajt("UPDATE tulajdonos SET irsz=NULL, varos=NULL");
        const QString f = fajl(k, "a.pdf");
        NyomtatvanyPdf(NyomtatvanyFajta::Szerelo, 1, f);
        PdfSzo w;
        QVERIFY(kifejezes(pdfSzavak(f), ",", 0, 16.6, w));
        QVERIFY(std::abs(w.fent - 16.6) < 0.8 && std::abs(w.bal - 10) < 0.5);
    }

    void hianyzoSzovegFajl_data()
    {
        QTest::addColumn<QString>("fajlnev");
        QTest::addColumn<int>("melyik");
        QTest::newRow("s1 certificate") << "s1.txt" << 0;
        QTest::newRow("s2 certificate S") << "s2.txt" << 1;
        QTest::newRow("s3 order form") << "s3.txt" << 2;
    }
    void hianyzoSzovegFajl()
    {
        QFETCH(QString, fajlnev);
        QFETCH(int, melyik);
        TesztKornyezet k;
        const int d = mintaLevel();
        QVERIFY(QFile::remove(QDir(k.adatMappa()).filePath(fajlnev)));
        // a preview would block the entry: this timer, gone with the test, would close it
        bool elonezetVolt = false;
        QTimer figyelo;
        connect(&figyelo, &QTimer::timeout, [&] {
            if (Tfrm_Elonezet *e = elonezetAblak()) {
                elonezetVolt = true;
                e->close();
            }
        });
        figyelo.start(50);
        if (melyik == 0)
            JotallasNyomtat(d, false);
        else if (melyik == 1)
            SzerelesNyomtat(d, false);
        else
            JavitasNyomtat(d, false);
        QVERIFY(!elonezetVolt);
        QCOMPARE(k.uzenetek().size(), 1);
        QCOMPARE(k.uzenetek().first().tipus, UzenetKeres::Hiba);
        QVERIFY2(k.szovegek().first().contains(fajlnev), qPrintable(k.szovegek().first()));
        // the PDF route says the same
        try {
            NyomtatvanyPdf(NyomtatvanyFajta(melyik == 2 ? 2 : melyik), d, fajl(k, "x.pdf"));
            QFAIL("no failure");
        } catch (const StoreHiba &h) {
            QVERIFY(h.uzenet().contains(fajlnev));
        }
        QVERIFY(!QFile::exists(fajl(k, "x.pdf")));
        // the worksheet needs no text file
        QCOMPARE(NyomtatvanyPdf(NyomtatvanyFajta::Szerelo, d, fajl(k, "y.pdf")), 1);
    }

    // After the database folder was changed in the settings, the printouts take their texts
    // from the new folder, while the store stays on the one opened at start.
    void szovegekAzUjMappabol()
    {
        TesztKornyezet k;
        const int d = mintaLevel();
        const QString uj = fajl(k, "UjAdat");
        QVERIFY(QDir().mkpath(uj));
        for (const char *n : {"s1.txt", "s3.txt"}) {
            s(k, n, QString("Régimappa %1").arg(n));
            HuSzoveg::fajlIr(QDir(uj).filePath(n), QString("Újmappa %1").arg(n));
        }
        HuSzoveg::fajlIr(QDir(uj).filePath("s2.txt"), "második");
        Beall.AdatbazisUtvonal = uj;
        NyomtatvanyPdf(NyomtatvanyFajta::Jotallas, d, fajl(k, "j.pdf"));
        NyomtatvanyPdf(NyomtatvanyFajta::Javitas, d, fajl(k, "m.pdf"));
        const QString j = pdfSzoveg(fajl(k, "j.pdf")), m = pdfSzoveg(fajl(k, "m.pdf"));
        QVERIFY2(j.contains("Újmappa s1.txt") && !j.contains("Régimappa"), qPrintable(j));
        QVERIFY2(m.contains("Újmappa s3.txt") && !m.contains("Régimappa"), qPrintable(m));
        QCOMPARE(QDir(Adatbazis::mappa()).canonicalPath(), QDir(k.adatMappa()).canonicalPath());
    }

    // The command line's list prints the customer names as the window's list does: cut to
    // 50 characters. A name of decomposed accents (a letter and a combining mark, as some
    // programs paste them) is narrow enough for the cut to show in the column.
    void parancssoriListaMintAzAblake()
    {
        TesztKornyezet k;
        mintaLevel();
        const QString nev = QString("i\u0301").repeated(26);   // 26 letters, 52 characters
        Adatbazis::vegrehajt("UPDATE ugyfel SET ugyfel_nev = ?", {nev});
        Tabla t("doksi");
        LevelListaKurzor(t, "J");
        t.megnyit();
        ListaPdf(t, fajl(k, "ablak.pdf"));
        ListaPdf(QChar('J'), fajl(k, "parancssor.pdf"));
        // the letters of the name printed on the letter's line
        const auto nevBetui = [](const QString &pdf) {
            for (const QString &sor : pdfSzoveg(pdf, {"-layout"}).split('\n'))
                if (sor.trimmed().startsWith("00042"))
                    return int(sor.section("SN98765", 1).normalized(QString::NormalizationForm_D).count(QChar(u'i')));
            return -1;
        };
        QCOMPARE(nevBetui(fajl(k, "ablak.pdf")), 25);
        QCOMPARE(nevBetui(fajl(k, "parancssor.pdf")), 25);
    }

    // Bold prints bold: the same text in the bold Tahoma of the forms leaves clearly more ink
    // than in the regular one, on paper (pixels) as in the preview.
    void felkoverTobbTinta()
    {
        using namespace Tervezo;
        Elrendezes e;
        Sav s;
        s.tipus = SavTipus::Reszlet;
        s.magas = 60;
        const QString minta = "Jótállási jegy ABCDEFGH 0123456789";
        s.elemek << cimke(0, Balra, 0, minta, tahoma(10)) << cimke(30, Balra, 0, minta, tahoma(10, true));
        e.savok << s;
        SorForras egySor;
        Lapozo l(e, &egySor);
        const Oldalak o = l.lapoz();
        QCOMPARE(o.lapok.size(), 1);
        QImage kep(840, 1188, QImage::Format_RGB32);   // 4 pixels a millimetre
        kep.fill(Qt::white);
        {
            QPainter p(&kep);
            p.setRenderHint(QPainter::Antialiasing);
            LapRajzol(p, o, 0, kep.rect());
        }
        // the ink of a strip of the page, from fent to le millimetres
        const auto tinta = [&](double fent, double le) {
            qint64 t = 0;
            for (int y = int(fent * 4); y < int(le * 4); ++y)
                for (int x = 0; x < kep.width(); ++x)
                    t += 255 - qGray(kep.pixel(x, y));
            return t;
        };
        const qint64 normal = tinta(10, 25), felkover = tinta(40, 55);
        QVERIFY(normal > 0);
        QVERIFY2(felkover > normal * 13 / 10, qPrintable(QString("%1 / %2").arg(felkover).arg(normal)));
    }

    void pdfHibak()
    {
        TesztKornyezet k;
        const int d = mintaLevel();
        QVERIFY_THROWS_EXCEPTION(StoreHiba, NyomtatvanyPdf(NyomtatvanyFajta::Jotallas, d,
                                                           fajl(k, "nincs/ilyen/mappa/a.pdf")));
        QVERIFY_THROWS_EXCEPTION(StoreHiba, ListaPdf(QChar('X'), fajl(k, "a.pdf")));
        NyomtatvanyFajta f;
        QVERIFY(FajtaNevbol("TqrDorv3", f) && f == NyomtatvanyFajta::Javitas);
        QVERIFY(FajtaNevbol("megjegyzes", f) && f == NyomtatvanyFajta::Megjegyzes);
        QVERIFY(!FajtaNevbol("semmi", f));
    }

    // 60 letters: the list breaks between rows, every page repeats its header and numbers
    // its footer, each row's two lines stay together above the footer
    void listaTores()
    {
        TesztKornyezet k;
        mintaLevel(1, "S");
        for (int i = 2; i <= 60; ++i)
            Adatbazis::vegrehajt("INSERT INTO doksi (doksi_id, prntip, datum, rendszam, megjegyzes) VALUES (?, 'S', '2024-01-02', ?, ?)",
                                 {i, QString("R%1").arg(i), QString("Megj%1").arg(i)});
        Adatbazis::vegrehajt("UPDATE doksi SET megjegyzes = ? WHERE doksi_id = 30", {QString::fromUtf8("első sor\r\nmásodik sor")});
        Adatbazis::vegrehajt("INSERT INTO doksi (doksi_id, prntip) VALUES (500, 'J')");
        Tabla t("doksi");
        t.setIndex("idx_doksi_id_desc");
        t.setSzuro("prntip='S'");
        t.setSzurt(true);
        t.keresoMezo("marka_nev", "marka", "marka", "marka_nev", 25);
        t.megnyit();
        const QString f = fajl(k, "l.pdf");
        const int lapok = ListaPdf(t, f);
        QVERIFY(lapok >= 3);
        QCOMPARE(t.ertek("doksi_id").toInt(), 1);   // the cursor is left on the last row
        const QList<PdfSzo> sz = pdfSzavak(f);
        for (int lap = 0; lap < lapok; ++lap) {
            QVERIFY(van(sz, lap, "Egyszerű lista"));
            QVERIFY(van(sz, lap, "sorozatszám"));
            QVERIFY(van(sz, lap, QString("oldal: %1").arg(lap + 1)));
        }
        for (int i = 2; i <= 60; ++i) {
            int talalt = 0, lapR = -1, lapM = -2;
            for (const PdfSzo &w : sz) {
                if (w.szoveg == QString("%1").arg(i, 5, 10, QChar('0'))) {
                    ++talalt;
                    lapR = w.lap;
                    QVERIFY(w.lent < 297 - 10 - 14.6);
                }
                if (w.szoveg == QString("Megj%1").arg(i) || (i == 30 && w.szoveg == "második")) {
                    lapM = w.lap;
                    QVERIFY(w.lent < 297 - 10 - 14.6);
                }
            }
            QCOMPARE(talalt, 1);
            QCOMPARE(lapR, lapM);
        }
        QVERIFY(!pdfSzoveg(f).contains("00500"));   // the other kind is not listed
        // the remark of two lines makes its row taller
        PdfSzo a, b;
        int lap30 = -1;
        for (const PdfSzo &w : sz)
            if (w.szoveg == "00030")
                lap30 = w.lap;
        QVERIFY(kifejezes(sz, "első sor", lap30, 0, a));
        QVERIFY(kifejezes(sz, "második sor", lap30, 0, b));
        QVERIFY(b.fent - a.fent > 3);
    }

    void megjegyzesekSorrendje()
    {
        TesztKornyezet k;
        const int d = mintaLevel();
        Adatbazis::vegrehajt("INSERT INTO doksi_megj (doksi, datum, rovid, megjegyzes) VALUES (?, '2024-01-05', 'régi', 'x')", {d});
        Adatbazis::vegrehajt("INSERT INTO doksi_megj (doksi, datum, rovid, megjegyzes) VALUES (?, '2024-06-01', 'új', 'y')", {d});
        QString hosszu;
        for (int i = 0; i < 400; ++i)
            hosszu += QString("hosszú%1 ").arg(i);
        Adatbazis::vegrehajt("INSERT INTO doksi_megj (doksi, datum, rovid, megjegyzes) VALUES (?, '2024-03-01', 'közép', ?)", {d, hosszu});
        const QString f = fajl(k, "m.pdf");
        NyomtatvanyPdf(NyomtatvanyFajta::Megjegyzes, d, f);
        const QList<PdfSzo> sz = pdfSzavak(f);
        PdfSzo uj, kozep, regi;
        QVERIFY(kifejezes(sz, "2024.06.01.", 0, 0, uj));
        QVERIFY(kifejezes(sz, "2024.03.01.", 0, 0, kozep));
        QVERIFY(kifejezes(sz, "2024.01.05.", 0, 0, regi));
        QVERIFY(uj.fent < kozep.fent && kozep.fent < regi.fent);
        QVERIFY(regi.fent - kozep.fent > 20);   // the long note wrapped and grew its row
        int tema = 0;
        for (const PdfSzo &w : sz)
            if (w.szoveg == "téma") {
                ++tema;
                QVERIFY(w.lap == 0);
            }
        QCOMPARE(tema, 1);
        for (const PdfSzo &w : sz)
            if (w.szoveg.startsWith("hosszú"))
                QVERIFY(w.jobb <= 10 + 1.3 + 186.9);
    }

    // preview: caption, paging with the keys, zoom modes, status bar, PDF save, Esc ends the entry
    void elonezet()
    {
        TesztKornyezet k;
        const int d = mintaLevel();
        QStringList sorok;
        for (int i = 1; i <= 40; ++i)
            sorok << QString("Feltétel %1").arg(i);
        s(k, "s2.txt", sorok.join("\r\n"));
        bool ellenorizve = false;
        const QString pdf = fajl(k, "elonezet.pdf");
        elonezetben([&](Tfrm_Elonezet *e) {
            QCOMPARE(e->windowTitle(), QString("Jótállási tanusítvány"));
            QVERIFY(e->windowState() & Qt::WindowMaximized);
            QCOMPARE(e->lapSzam(), 2);
            QCOMPARE(e->allapotSzoveg(), QString("1. oldal / 2"));
            QCOMPARE(e->nagyitas(), 1.0);
            QTest::keyClick(e, Qt::Key_PageDown);
            QCOMPARE(e->aktualis(), 1);
            QCOMPARE(e->allapotSzoveg(), QString("2. oldal / 2"));
            QTest::keyClick(e, Qt::Key_PageDown);
            QCOMPARE(e->aktualis(), 1);
            QTest::keyClick(e, Qt::Key_Home);
            QCOMPARE(e->aktualis(), 0);
            QTest::keyClick(e, Qt::Key_PageDown, Qt::ControlModifier);
            QCOMPARE(e->aktualis(), 1);
            QTest::keyClick(e, Qt::Key_PageUp, Qt::ControlModifier);
            QCOMPARE(e->aktualis(), 0);
            QTest::keyClick(e, Qt::Key_End);
            QCOMPARE(e->aktualis(), 1);
            QTest::keyClick(e, Qt::Key_PageUp);
            QCOMPARE(e->aktualis(), 0);
            e->aEgeszLap->trigger();
            const double egesz = e->nagyitas();
            QVERIFY(egesz < 1.0);
            QVERIFY(e->lapKep().height() < e->centralWidget()->height());
            e->showNormal();
            e->resize(500, 900);
            QCoreApplication::processEvents();
            QVERIFY(e->nagyitas() != egesz);   // the fit is applied again
            e->aSzelesseg->trigger();
            QVERIFY(e->lapKep().width() < e->centralWidget()->width());
            e->pdfMentes(pdf);
            ellenorizve = true;
            QTest::keyClick(e, Qt::Key_Escape);
        });
        JotallasNyomtat(d, false);
        QVERIFY2(ellenorizve, qPrintable(k.szovegek().join('|')));
        QVERIFY(!elonezetAblak());
        QCOMPARE(pdfLapok(pdf), 2);
        QVERIFY(pdfSzoveg(pdf).contains("Feltétel 40"));
        QVERIFY(k.uzenetek().isEmpty());
    }

    // The proposed PDF name: the printout's name ASCII-folded, with the letter's kind and number
    void pdfNev_data()
    {
        QTest::addColumn<int>("fajta");
        QTest::addColumn<QString>("prntip");
        QTest::addColumn<int>("szam");   // 0: no letter under the key
        QTest::addColumn<QString>("nev");
        QTest::newRow("jótállási") << int(NyomtatvanyFajta::Jotallas) << "J" << 39 << "Jotallasi_tanusitvany_J00039.pdf";
        QTest::newRow("szereléssel") << int(NyomtatvanyFajta::Szereles) << "S" << 7
                                     << "Jotallasi_tanusitvany_ki_es_beszerelessel_S00007.pdf";
        QTest::newRow("megrendelőlap hat számjegy") << int(NyomtatvanyFajta::Javitas) << "S" << 123456
                                                    << "Javitasra_hozott_gepkocsi_megrendelolap_S123456.pdf";
        QTest::newRow("munkalap J levélre") << int(NyomtatvanyFajta::Szerelo) << "J" << 1 << "Szerelo_munkalap_J00001.pdf";
        QTest::newRow("megjegyzések nélkül") << int(NyomtatvanyFajta::Megjegyzes) << "J" << 42 << "Megjegyzesek_J00042.pdf";
        QTest::newRow("nincs ilyen levél") << int(NyomtatvanyFajta::Jotallas) << "J" << 0 << "Jotallasi_tanusitvany.pdf";
    }
    void pdfNev()
    {
        QFETCH(int, fajta);
        QFETCH(QString, prntip);
        QFETCH(int, szam);
        QFETCH(QString, nev);
        TesztKornyezet k;
        const int d = szam ? mintaLevel(szam, prntip) : 999;
        QCOMPARE(NyomtatasiMunka::nyit(NyomtatvanyFajta(fajta), d)->pdfNev(), nev);
        // nothing of a file name's own syntax gets through
        QCOMPARE(PdfNevJavaslat("../Ő ű/*?:\\ x", QChar('J'), 5), QString("O_u_x_J00005.pdf"));
        QCOMPARE(PdfNevJavaslat("", QChar(), 0), QString("DorvPrg.pdf"));
    }

    // The letter's code on the forms, read back from the rendered page by a real decoder; the
    // text below it names the code; the worksheet and a form with the setting off carry none.
    void qrKod_data()
    {
        QTest::addColumn<int>("fajta");
        QTest::addColumn<QString>("prntip");
        QTest::addColumn<int>("szam");
        QTest::addColumn<bool>("bekapcsolva");
        QTest::addColumn<QString>("kod");
        QTest::newRow("jótállási") << int(NyomtatvanyFajta::Jotallas) << "J" << 39 << true << "DORV:J:00039";
        QTest::newRow("szereléssel") << int(NyomtatvanyFajta::Szereles) << "S" << 7 << true << "DORV:S:00007";
        QTest::newRow("megrendelőlap") << int(NyomtatvanyFajta::Javitas) << "S" << 123456 << true << "DORV:S:123456";
        // the code is the letter's own kind, whatever layout prints it
        QTest::newRow("J levél a szereléses lapon") << int(NyomtatvanyFajta::Szereles) << "J" << 8 << true << "DORV:J:00008";
        QTest::newRow("kikapcsolva") << int(NyomtatvanyFajta::Jotallas) << "J" << 39 << false << "";
        QTest::newRow("munkalap") << int(NyomtatvanyFajta::Szerelo) << "S" << 7 << true << "";
    }
    void qrKod()
    {
        QFETCH(int, fajta);
        QFETCH(QString, prntip);
        QFETCH(int, szam);
        QFETCH(bool, bekapcsolva);
        QFETCH(QString, kod);
        TesztKornyezet k;
        Beall.QrKod = bekapcsolva;
        const int d = mintaLevel(szam, prntip);
        const QString pdf = fajl(k, "kod.pdf");
        QCOMPARE(NyomtatvanyPdf(NyomtatvanyFajta(fajta), d, pdf), 1);
        QCOMPARE(qrKodok(pdf), kod.isEmpty() ? QStringList() : QStringList{kod});
        const QList<PdfSzo> szavak = pdfSzavak(pdf);
        PdfSzo w;
        QCOMPARE(kifejezes(szavak, kod.isEmpty() ? QString("DORV") : kod, 0, 30, w), !kod.isEmpty());
        if (!kod.isEmpty()) {
            // under the letter number in the free top right corner, inside the page header
            QVERIFY2(w.bal > 10 + 190 - KOD_SZELES && w.jobb <= 200.5 && w.fent > 10 + 7 + KOD_SZELES - 1
                         && w.lent < 10 + 35.4, qPrintable(QString("%1 %2 %3 %4").arg(w.bal).arg(w.fent).arg(w.jobb).arg(w.lent)));
            PdfSzo no;
            QVERIFY(kifejezes(szavak, QString("No: %1").arg(szam, 5, 10, QChar('0')), 0, 11, no));
            QVERIFY(no.lent < 10 + 7.0);
        }
    }

    // "Küldés e-mailben": the printout's PDF in the program's own folder handed to xdg-email
    // with the customer's address and the templates of the settings (read back from the ini
    // file); without a mail program a message and the folder opened instead.
    void email_data()
    {
        QTest::addColumn<QString>("emil");
        QTest::addColumn<int>("mod");
        QTest::addColumn<QStringList>("cimek");
        QTest::addColumn<QString>("uzenet");   // the start of the one message shown; empty: none
        QTest::newRow("címmel") << "kovacs.bela@pelda.hu" << int(LevelezoHelyettes::Rendben)
                                << QStringList{"kovacs.bela@pelda.hu"} << "";
        QTest::newRow("cím nélkül") << "" << int(LevelezoHelyettes::Rendben) << QStringList{} << "";
        QTest::newRow("két cím, egy opciónak látszó") << "a@pelda.hu; -oProxy@x.hu, b@pelda.hu" << int(LevelezoHelyettes::Rendben)
                                                      << QStringList{"a@pelda.hu", "b@pelda.hu"}
                                                      << "Az ügyfél e-mail címe nem érvényes cím, a levél csak az érvényes";
        QTest::newRow("levelező hibával") << "kovacs.bela@pelda.hu" << int(LevelezoHelyettes::Hibas)
                                          << QStringList{"kovacs.bela@pelda.hu"} << "Nem található levelezőprogram";
        QTest::newRow("nincs xdg-email") << "kovacs.bela@pelda.hu" << int(LevelezoHelyettes::Hianyzik) << QStringList{}
                                         << "Nem található levelezőprogram, amely mellékletet fogad.\r\nAz xdg-email program nincs telepítve";
    }
    void email()
    {
        QFETCH(QString, emil);
        QFETCH(int, mod);
        QFETCH(QStringList, cimek);
        QFETCH(QString, uzenet);
        TesztKornyezet k;
        LevelezoHelyettes h{LevelezoHelyettes::Mod(mod)};
        const int d = mintaLevel(42, "J");
        Adatbazis::vegrehajt("UPDATE ugyfel SET emil = ?", {emil});
        Beall.EmailTargy = "{fajta} - {szam}";
        Beall.EmailSzoveg = "Tisztelt {ugyfel}!\n\nC:\\mappa\\{szam} {nincs}\n{muhely}  \n";
        BeallitasIr(QRect(5, 5, 640, 400));
        Beall.EmailTargy.clear();
        Beall.EmailSzoveg.clear();
        BeallitasOlvas();

        EmailKuld(NyomtatvanyFajta::Jotallas, d, nullptr);
        const QString pdf = QDir(h.mellekletMappa()).filePath("Jotallasi_tanusitvany_J00042.pdf");
        QVERIFY(QFileInfo::exists(pdf));
        const QFileDevice::Permissions jog = QFileInfo(h.mellekletMappa()).permissions();
        QCOMPARE(int(jog & 0x7077), 0x7000);   // the user's own: rwx for the owner, nothing for others
        QVERIFY(pdfSzoveg(pdf).contains("Kovács Béla"));
        QVERIFY(pdfSzoveg(pdf).contains("No: 00042"));
        const QStringList sz = k.szovegek();
        if (uzenet.isEmpty())
            QVERIFY2(sz.isEmpty(), qPrintable(sz.join('|')));
        else
            QVERIFY2(!sz.isEmpty() && sz.first().startsWith(uzenet), qPrintable(sz.join('|')));
        const bool atadva = mod == LevelezoHelyettes::Rendben;
        // no mail program: the folder with the PDF opened, after the message naming the file
        QCOMPARE(k.uzenetek().size() && k.uzenetek().last().cim == "DokumentumNyit" ? k.uzenetek().last().szoveg : QString(),
                 atadva ? QString() : h.mellekletMappa());
        if (!atadva)
            QVERIFY(sz.value(sz.size() - 2).contains(pdf));
        QCOMPARE(h.hivtak(), mod != LevelezoHelyettes::Hianyzik);
        if (!h.hivtak())
            return;
        QCOMPARE(h.argumentumok().value(0), QString("--utf8"));
        QCOMPARE(h.opcio("--subject"), QString("Jótállási tanusítvány - J00042"));
        QCOMPARE(h.opcio("--body"), QString("Tisztelt Kovács Béla!\n\nC:\\mappa\\J00042 {nincs}\nŐrség Autó Kft."));
        QCOMPARE(h.opcio("--attach"), pdf);
        QCOMPARE(h.cimek(), cimek);

        // a day later the attachment goes at the next start; a newer file stays
        const QString uj = QDir(h.mellekletMappa()).filePath("uj.pdf");
        QVERIFY(QFile::copy(pdf, uj));
        QFile regi(pdf);
        QVERIFY(regi.open(QIODevice::ReadWrite));
        QVERIFY(regi.setFileTime(QDateTime::currentDateTime().addSecs(-25 * 3600), QFileDevice::FileModificationTime));
        regi.close();
        QCOMPARE(EmailKuldes::regiekTorlese(), 1);
        QVERIFY(!QFileInfo::exists(pdf));
        QVERIFY(QFileInfo::exists(uj));
    }

    // In the preview without a printer, Ctrl+P says so and offers the PDF, whose save dialog
    // proposes the printout's name; "Küldés e-mailben" sends the pages shown.
    void elonezetNyomtatoNelkul()
    {
        if (VanNyomtato())
            QSKIP("a printer is installed here");
        TesztKornyezet k;
        LevelezoHelyettes h;
        const int d = mintaLevel(39, "S");
        QString javasolt;
        bool ellenorizve = false;
        elonezetben([&](Tfrm_Elonezet *e) {
            k.valaszok({false});
            QTest::keyClick(e, Qt::Key_P, Qt::ControlModifier);
            QCOMPARE(k.szovegek(), QStringList{"Nincs telepített nyomtató, a nyomtatvány nem nyomtatható ki.\r\n\r\n"
                                               "Menti PDF fájlba?"});
            k.valaszok({true});
            TesztKornyezet::modalisan([&](QWidget *w) {
                if (auto *fd = qobject_cast<QFileDialog *>(w)) {
                    javasolt = QFileInfo(fd->selectedFiles().value(0)).fileName();
                    fd->reject();
                }
            });
            QTest::keyClick(e, Qt::Key_P, Qt::ControlModifier);
            QCOMPARE(javasolt, QString("Javitasra_hozott_gepkocsi_megrendelolap_S00039.pdf"));
            QVERIFY(e->aEmail->isEnabled());
            e->aEmail->trigger();
            ellenorizve = true;
        });
        JavitasNyomtat(d, false);
        QVERIFY(ellenorizve);
        QCOMPARE(h.opcio("--attach"), QDir(h.mellekletMappa()).filePath(javasolt));
        QVERIFY(pdfSzoveg(h.opcio("--attach")).contains("megrendelőlap"));
    }

    void elonezetListaEsMegjegyzes()
    {
        TesztKornyezet k;
        const int d = mintaLevel(5, "J");
        Tabla t("doksi");
        t.setIndex("idx_doksi_id_desc");
        t.megnyit();
        QStringList cimek;
        auto bezar = [&](Tfrm_Elonezet *e) { cimek << e->windowTitle() << e->allapotSzoveg(); e->close(); };
        elonezetben(bezar);
        ListaNyomtat(t, false);
        elonezetben(bezar);
        MegjegyzesNyomtat(d, false);
        elonezetben(bezar);
        SzereloNyomtat(d, false);
        QVERIFY2(k.uzenetek().isEmpty(), qPrintable(k.szovegek().join('|')));
        QCOMPARE(cimek, (QStringList{"Egyszerű lista", "1. oldal / 1", "Megjegyzések", "1. oldal / 1",
                                     "Szerelő munkalap", "1. oldal / 1"}));
        // printing straight away without a printer installed produces nothing and says nothing
        if (!VanNyomtato()) {
            JotallasNyomtat(d, true);
            QVERIFY(k.uzenetek().isEmpty());
        }
    }
};

QTEST_MAIN(NyomtatasTeszt)
#include "tst_nyomtatas.moc"
