#include "Adatbazis.h"
#include "Beall.h"
#include "HuSzoveg.h"
#include "KurzorModell.h"
#include "Tabla.h"
#include "TesztKornyezet.h"
#include "Tfrm_Logo.h"
#include "Tfrm_Main.h"

#include <QAbstractItemModelTester>
#include <QAction>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QSettings>
#include <QStatusBar>
#include <QTabBar>
#include <QTableView>
#include <QTest>
#include <QContextMenuEvent>
#include <QToolBar>
#include <memory>

namespace {

// Letters 1..n of kind J and 100..100+m-1 of kind S, with a brand, part and customer.
void levelek(int j, int s)
{
    Adatbazis::vegrehajt("INSERT INTO marka (marka, marka_nev) VALUES (1, 'Škoda')");
    Adatbazis::vegrehajt("INSERT INTO alkatresz (alkatresz, alkatresz_nev) VALUES (1, 'Fékbetét')");
    Adatbazis::vegrehajt("INSERT INTO ugyfel (ugyfel, ugyfel_nev) VALUES (1, 'Őry Ödön')");
    Adatbazis::Tranzakcio t;
    for (int i = 1; i <= j; ++i)
        Adatbazis::vegrehajt("INSERT INTO doksi (doksi_id, prntip, datum, marka, alkatresz, ugyfel, rendszam) "
                             "VALUES (?, 'J', '2026-01-15', 1, 1, 1, 'ABC-123')", {i});
    for (int i = 0; i < s; ++i)
        Adatbazis::vegrehajt("INSERT INTO doksi (doksi_id, prntip, datum) VALUES (?, 'S', '2026-02-01')", {100 + i});
    t.commit();
}

// A file's bytes, or "<nincs>" when it cannot be read.
QByteArray olvasFajl(const QString &ut)
{
    QFile f(ut);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<nincs>");
}

int aktualisId(Tfrm_Main &w) { return w.Tbl().ertek("doksi_id").toInt(); }

void gepel(QLineEdit *e, const QString &szoveg)
{
    e->setFocus();
    for (const QChar c : szoveg)
        QTest::keyClick(e, c.toLatin1());
}

} // namespace

class FoablakTeszt : public QObject {
    Q_OBJECT

private slots:
    void indulasUtan()
    {
        TesztKornyezet k;
        levelek(30, 4);
        Tfrm_Main w;
        QVERIFY(w.inditas());
        QCOMPARE(w.windowTitle(), QString("DorvPrg: [Saját műhely]"));
        QVERIFY(Beall.torzsszerkeszt && Beall.rendszergazda);   // no login: both rights
        QVERIFY(Beall.FelhasznaloNev.isEmpty());
        QCOMPARE(w.nezet(), 0);
        QCOMPARE(w.statusPanel(0)->text(), QString("30/1"));
        // newest number first, the eight columns with their titles and formats
        QAbstractItemModel *m = w.DBGrid1()->model();
        QCOMPARE(m->columnCount(), 8);
        QStringList cimek;
        for (int c = 0; c < 8; ++c)
            cimek << m->headerData(c, Qt::Horizontal).toString();
        QCOMPARE(cimek, QStringList({"ID", "dátum", "dorv.idő", "márka", "alkatrész", "rendszám", "ügyfél",
                                     "sorozatszám"}));
        QCOMPARE(m->index(0, 0).data().toString(), QString("No:00030"));
        QCOMPARE(m->index(29, 0).data().toString(), QString("No:00001"));
        QCOMPARE(m->index(0, 1).data().toString(), QString("2026.01.15."));
        QCOMPARE(m->index(0, 3).data().toString(), QString("Škoda"));
        QCOMPARE(m->index(0, 4).data().toString(), QString("Fékbetét"));
        QCOMPARE(m->index(0, 6).data().toString(), QString("Őry Ödön"));
        QVERIFY(m->index(0, 7).data().toString().isEmpty());

        // every action is there with its category; the unfinished ones are disabled
        QCOMPARE(w.akciok().size(), 40);
        QCOMPARE(w.akcio("aValtozasok")->property("kategoria").toString(), QString("Garancialevelek"));
        QCOMPARE(w.akcio("aOsszesValtozas")->property("kategoria").toString(), QString("Rendszer"));
        QCOMPARE(w.akcio("aGaranciaEllenorzes")->shortcut(), QKeySequence("Ctrl+G"));
        QCOMPARE(w.akcio("aLejaroGaranciak")->property("kategoria").toString(), QString("Keresés"));
        QCOMPARE(w.akcio("aExcel")->toolTip(), QString("Excelbe"));
        QCOMPARE(w.akcio("aUj")->shortcut(), QKeySequence(Qt::Key_Insert));
        QCOMPARE(w.akcio("aNyomSzerelo")->shortcut(), QKeySequence("Ctrl+Alt+P"));
        QCOMPARE(w.akcio("aBeallit")->property("kategoria").toString(), QString("Rendszer"));
        for (QAction *a : w.akciok())
            QVERIFY2(!a->icon().isNull(), qPrintable(a->objectName()));
    }

    void modellTeszter()
    {
        TesztKornyezet k;
        levelek(250, 3);
        Tfrm_Main w;
        QVERIFY(w.inditas());
        QAbstractItemModelTester t(&w.ds(), QAbstractItemModelTester::FailureReportingMode::QtTest);
        w.TabSet1()->setCurrentIndex(1);
        w.TabSet1()->setCurrentIndex(0);
        w.Tbl().ugrik(200);
        QCOMPARE(w.DBGrid1()->currentIndex().row(), 200);
        w.DBGrid1()->setCurrentIndex(w.ds().index(17, 2));
        QCOMPARE(w.Tbl().sor(), 17);
    }

    // Letters whose warranty has ended are grey while the setting is on; the texts stay.
    void lejartSzurken()
    {
        TesztKornyezet k;
        const QDate ma = QDate::currentDate();
        const struct { const char *ido; QDate datum; bool szurke; } levelek[] = {
            {"1 év", ma.addYears(-1), false},            {"1 év", ma.addYears(-1).addDays(-1), true},
            {"sokáig", ma.addYears(-9), false},          {"2 hét", ma.addDays(-15), true},
            {"élettartam", ma.addYears(-30), false},     {"1 hó", QDate(), false},
        };
        for (int i = 0; i < int(std::size(levelek)); ++i)
            Adatbazis::vegrehajt("INSERT INTO doksi (doksi_id, prntip, datum, dorvido) VALUES (?, 'J', ?, ?)",
                                 {i + 1, levelek[i].datum.isValid() ? QVariant(levelek[i].datum) : QVariant(),
                                  levelek[i].ido});
        QVERIFY(Beall.LejartSzurke);   // on by default
        Tfrm_Main w;
        QVERIFY(w.inditas());
        QAbstractItemModel *m = w.DBGrid1()->model();
        const int n = int(std::size(levelek));
        for (int i = 0; i < n; ++i) {
            const QModelIndex c = m->index(n - 1 - i, 2);   // newest number first
            QCOMPARE(c.data().toString(), QString::fromUtf8(levelek[i].ido));
            QCOMPARE(c.data(Qt::ForegroundRole).isValid(), levelek[i].szurke);
        }
        Beall.LejartSzurke = false;
        for (int i = 0; i < n; ++i)
            QVERIFY(!m->index(i, 0).data(Qt::ForegroundRole).isValid());
        Beall.LejartSzurke = true;
    }

    void gyorskereses_data()
    {
        QTest::addColumn<QString>("gepelt");
        QTest::addColumn<QList<int>>("utana");   // current number after each key
        QTest::newRow("1, 12, 123") << "123" << QList<int>{1, 12, 123};
        QTest::newRow("a hiányzó szám nem mozdít") << "900" << QList<int>{9, 90, 90};
        QTest::newRow("a másik fajta nem mozdít") << "500" << QList<int>{5, 50, 50};
    }

    void gyorskereses()
    {
        QFETCH(QString, gepelt);
        QFETCH(QList<int>, utana);
        TesztKornyezet k;
        levelek(200, 0);
        Adatbazis::vegrehajt("INSERT INTO doksi (doksi_id, prntip) VALUES (500, 'S')");
        Tfrm_Main w;
        QVERIFY(w.inditas());
        for (int i = 0; i < gepelt.size(); ++i) {
            QTest::keyClick(w.Edit1(), gepelt[i].toLatin1());
            QCOMPARE(aktualisId(w), utana[i]);
            QCOMPARE(w.statusPanel(0)->text(), QString("200/%1").arg(201 - utana[i]));
        }
        QVERIFY(k.szovegek().isEmpty());
    }

    // A scanner types a form's code and Enter into the quick search: the letter's view, the
    // letter there, and the code selected so the next scan replaces it; no error on the way.
    void gyorskeresesKoddal()
    {
        TesztKornyezet k;
        levelek(20, 3);
        Tfrm_Main w;
        QVERIFY(w.inditas());
        gepel(w.Edit1(), "DORV:S:00101");
        QTest::keyClick(w.Edit1(), Qt::Key_Return);
        QCOMPARE(w.TabSet1()->currentIndex(), 1);
        QCOMPARE(aktualisId(w), 101);
        QCOMPARE(w.Edit1()->selectedText(), QString("DORV:S:00101"));
        gepel(w.Edit1(), "dorv:j:00007");
        QTest::keyClick(w.Edit1(), Qt::Key_Enter);
        QCOMPARE(w.TabSet1()->currentIndex(), 0);
        QCOMPARE(aktualisId(w), 7);
        QVERIFY2(k.szovegek().isEmpty(), qPrintable(k.szovegek().join('|')));
        // what can no longer become a code is a wrong number, as before
        w.Edit1()->setText("DORV:X");
        QCOMPARE(k.szovegek(), QStringList{"'DORV:X' is not a valid integer value"});
    }

    void gyorskeresesHibasSzoveg_data()
    {
        QTest::addColumn<QString>("szoveg");
        QTest::newRow("betűk") << "1x";
        QTest::newRow("30 számjegy") << QString(30, '9');
        QTest::newRow("szóköz közben") << "1 2";
    }

    void gyorskeresesHibasSzoveg()
    {
        QFETCH(QString, szoveg);
        TesztKornyezet k;
        levelek(20, 0);
        Tfrm_Main w;
        QVERIFY(w.inditas());
        w.Tbl().ugrik(3);
        w.Edit1()->setText(szoveg);
        QCOMPARE(k.uzenetek().size(), 1);
        QCOMPARE(k.uzenetek().first().szoveg, QString("'%1' is not a valid integer value").arg(szoveg));
        QCOMPARE(k.uzenetek().first().cim, QString("DorvPrg - Garanciajegy nyilvántartás"));
        QCOMPARE(w.Tbl().sor(), 3);
        w.Edit1()->clear();   // an empty text does nothing
        QCOMPARE(k.uzenetek().size(), 1);
        QCOMPARE(w.Tbl().sor(), 3);
    }

    // A right click on the bands opens no menu that could hide them.
    void savokonNincsMenu()
    {
        TesztKornyezet k;
        Tfrm_Main w;
        QVERIFY(w.inditas());
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        for (QToolBar *t : {w.ToolBar1(), w.ToolBar2()}) {
            const QPoint p(t->width() - 3, t->height() / 2);
            QContextMenuEvent e(QContextMenuEvent::Mouse, p, t->mapToGlobal(p));
            QApplication::sendEvent(t, &e);
            QVERIFY(!QApplication::activePopupWidget());
            QVERIFY(t->isVisible());
        }
    }

    void nezetValtasBillentyuvel()
    {
        TesztKornyezet k;
        levelek(7, 3);
        Tfrm_Main w;
        QVERIFY(w.inditas());
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        w.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        QCOMPARE(QApplication::focusWidget(), w.Edit1());
        gepel(w.Edit1(), "5");
        QCOMPARE(aktualisId(w), 5);
        QTest::keyClick(&w, Qt::Key_2, Qt::AltModifier);
        QCOMPARE(w.nezet(), 1);
        QVERIFY(w.DBGrid2()->isVisible() && !w.DBGrid1()->isVisible());
        QVERIFY(!w.DBGrid1()->parentWidget()->isEnabled());
        QCOMPARE(w.statusPanel(0)->text(), QString("3/1"));
        QCOMPARE(aktualisId(w), 102);
        QCOMPARE(w.Edit1()->text(), QString("5"));   // the search text stays
        QCOMPARE(QApplication::focusWidget(), w.Edit1());
        QTest::keyClick(&w, Qt::Key_1, Qt::AltModifier);
        QCOMPARE(w.nezet(), 0);
        QCOMPARE(w.statusPanel(0)->text(), QString("7/1"));
        QVERIFY(w.DBGrid1()->isVisible() && !w.DBGrid2()->isVisible());
        // the search box gives up the commands' keys: Ctrl+F selects its text
        w.Edit1()->deselect();
        QTest::keyClick(w.Edit1(), Qt::Key_F, Qt::ControlModifier);
        QCOMPARE(w.Edit1()->selectedText(), QString("5"));
    }

    void torles_data()
    {
        QTest::addColumn<bool>("igen");
        QTest::newRow("Igen") << true;
        QTest::newRow("Nem") << false;
    }

    void torles()
    {
        QFETCH(bool, igen);
        TesztKornyezet k;
        levelek(10, 2);
        Tfrm_Main w;
        QVERIFY(w.inditas());
        QVERIFY(w.Tbl().keres("doksi_id", 4));
        k.valaszok({igen});
        w.akcio("aTorol")->trigger();
        QCOMPARE(k.uzenetek().size(), 1);
        QCOMPARE(k.uzenetek().first().szoveg, QString("Valóban töröljem a sort?"));
        QCOMPARE(k.uzenetek().first().cim, QString("Megerősítés"));
        QCOMPARE(Adatbazis::ertek("SELECT count(*) FROM doksi WHERE doksi_id = 4").toInt(), igen ? 0 : 1);
        QCOMPARE(Adatbazis::ertek("SELECT count(*) FROM doksi").toInt(), igen ? 11 : 12);
        QCOMPARE(w.statusPanel(0)->text(), igen ? QString("9/7") : QString("10/7"));
    }

    void uresNezetbenNincsTorles()
    {
        TesztKornyezet k;
        Tfrm_Main w;
        QVERIFY(w.inditas());
        QCOMPARE(w.statusPanel(0)->text(), QString("0/0"));
        w.akcio("aTorol")->trigger();
        QVERIFY(k.uzenetek().isEmpty());
    }

    void jogok()
    {
        TesztKornyezet k;
        Tfrm_Main w;
        QVERIFY(w.inditas());
        QStringList futott;
        // aTulajdonos, aFelhasznalo and aBeallit open their real windows and refuse on their own
        for (const char *n : {"aSQL", "aArchiv", "aArchivEllenor", "aVisszaallit"})
            w.bekot(w.akcio(n), [&futott, n] { futott << n; });
        Beall.rendszergazda = false;
        TesztKornyezet::modalisan([](QWidget *d) { d->close(); });   // aArchiv's own save dialog
        for (const char *n : {"aTulajdonos", "aFelhasznalo", "aSQL", "aBeallit", "aArchiv", "aArchivEllenor", "aVisszaallit"})
            w.akcio(n)->trigger();
        QCOMPARE(futott, QStringList({"aArchiv", "aArchivEllenor"}));   // archiving and checking need no right
        QCOMPARE(k.szovegek(), QStringList(5, "Nincs jogosultság a művelethez."));
        QCOMPARE(k.uzenetek().first().cim, QString("Hiba"));
        Beall.rendszergazda = true;
        k.uzenetekTorol();
        w.akcio("aSQL")->trigger();
        QCOMPARE(futott.last(), QString("aSQL"));
        QVERIFY(k.uzenetek().isEmpty());
    }

    void dokumentumok()
    {
        TesztKornyezet k;
        Tfrm_Main w;
        QVERIFY(w.inditas());
        w.akcio("aSugo")->trigger();
        w.akcio("aUjdonsag")->trigger();
        w.akcio("aLevel")->trigger();
        QCOMPARE(k.uzenetek().size(), 3);
        QCOMPARE(k.szovegek()[0], QDir(k.programMappa()).filePath("Help/index.htm"));
        QCOMPARE(k.szovegek()[1], QDir(k.programMappa()).filePath("Ujdonsag.exe"));
        QVERIFY(k.szovegek()[2].startsWith("mailto:"));
    }

    void elrendezes()
    {
        TesztKornyezet k;
        levelek(3, 0);
        Tfrm_Main w;
        QVERIFY(w.inditas());
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        for (int szeles : {640, 1000}) {
            w.resize(szeles, 400);
            QTRY_COMPARE(w.statusBar()->width(), szeles);
            const int g = w.DBGrid1()->width() - 33;
            const double aranyok[8] = {0.08, 0.10, 0.10, 0.10, 0.12, 0.14, 0.20, 0.15};
            for (int c = 0; c < 8; ++c)
                QCOMPARE(w.DBGrid1()->columnWidth(c), int(g * aranyok[c]));
            QCOMPARE(w.TabSet1()->geometry(), QRect(szeles - 170, 2, 150, 17));
            QCOMPARE(w.statusPanel(3)->width(), szeles - 150 - 345);
        }
    }

    // The first showing brings the splash window for four seconds; it goes with its timer, or
    // with the main window when the program ends sooner.
    void nyitokep()
    {
        TesztKornyezet k;
        for (const bool idozito : {true, false}) {
            auto w = std::make_unique<Tfrm_Main>();
            QVERIFY(w->inditas());
            w->show();
            QVERIFY(QTest::qWaitForWindowExposed(w.get()));
            const QList<Tfrm_Logo *> kepek = w->findChildren<Tfrm_Logo *>();
            QCOMPARE(kepek.size(), 1);
            QPointer<Tfrm_Logo> logo = kepek.first();
            QVERIFY(logo->isWindow() && logo->isVisible());
            QCOMPARE(logo->size(), QSize(400, 240));
            QVERIFY(logo->Timer1().isActive());
            QCOMPARE(logo->Timer1().interval(), 4000);
            if (idozito) {
                logo->Timer1().start(1);   // its connection, without the four seconds
                QTRY_VERIFY(logo.isNull());
                QVERIFY(w->isVisible());
            } else {
                w.reset();
                QVERIFY(logo.isNull());
            }
        }
    }

    void bezarasIrjaAzIniFajlt()
    {
        TesztKornyezet k;
        Tfrm_Main w;
        QVERIFY(w.inditas());
        QVERIFY(!QFile::exists(IniFajlUt()));
        // a missing MentesDatum counts as ten days ago: the archive question comes
        k.valaszok({false});
        w.move(20, 30);
        w.resize(700, 450);
        QVERIFY(w.close());
        QCOMPARE(k.szovegek(), QStringList("Az adatbázis több mint 5 napja nem lett archiválva. Archiváljam most?"));
        QCOMPARE(k.uzenetek().first().cim, QString("Kérdés"));
        QVERIFY(!Adatbazis::nyitva());
        QSettings ini(IniFajlUt(), QSettings::IniFormat);
        QCOMPARE(ini.value("Adatbazis/Utvonal").toString(), k.adatMappa());
        QCOMPARE(ini.value("Alapertek/TeljesKep").toString(), QString("1"));
        QCOMPARE(ini.value("Alapertek/Szeles").toInt(), 700);
        QCOMPARE(ini.value("Alapertek/Magas").toInt(), 450);
        QCOMPARE(ini.value("Archiv/MentesDatum").toString(),
                 QDate::currentDate().addDays(-10).toString(HuSzoveg::ROVID_DATUM));
    }

    void frissArchivNemKerdez()
    {
        TesztKornyezet k;
        HuSzoveg::fajlIr(IniFajlUt(), QString("[Archiv]\r\nMentesDatum=%1\r\n")
                                          .arg(QDate::currentDate().addDays(-4).toString(HuSzoveg::ROVID_DATUM)));
        Tfrm_Main w;
        QVERIFY(w.inditas());
        QVERIFY(w.close());
        QVERIFY(k.uzenetek().isEmpty());
    }

    void irhatatlanIniFajl_data()
    {
        QTest::addColumn<QString>("eset");
        QTest::addColumn<QString>("ok");   // the reason on the line after the file's name
        QTest::newRow("mappa a fájl helyén") << "mappa" << "Ez egy mappa, nem fájl.";
        QTest::newRow("szóköz az adatbázis mappa végén") << "szokoz" << "nem tárolható változatlanul";
        QTest::newRow("sortörés az archív mappában") << "sortores" << "nem tárolható változatlanul";
    }
    // The file cannot be written, or a folder would not read back as it is: the close says so
    // with the reason and leaves the file and its spare copy as they were.
    void irhatatlanIniFajl()
    {
        QFETCH(QString, eset);
        QFETCH(QString, ok);
        TesztKornyezet k;
        Tfrm_Main w;
        QVERIFY(w.inditas());
        Beall.MentesDatum = QDate::currentDate();
        if (eset == "mappa") {
            // a folder in the file's place cannot be written, not even by root
            QVERIFY(QDir().mkpath(IniFajlUt()));
        } else {
            BeallitasIr(QRect(5, 5, 640, 400));
            (eset == "szokoz" ? Beall.AdatbazisUtvonal : Beall.MentesUtvonal) += eset == "szokoz" ? " " : "\nmasik";
        }
        const QByteArray ini = olvasFajl(IniFajlUt()), tartalek = olvasFajl(IniFajlUt() + ".bak");
        QVERIFY(w.close());
        QCOMPARE(k.szovegek().size(), 1);
        const QString uzenet = k.szovegek().first();
        QVERIFY2(uzenet.startsWith(QString("Unable to write to %1\r\n").arg(IniFajlUt())) && uzenet.contains(ok),
                 qPrintable(uzenet));
        QCOMPARE(olvasFajl(IniFajlUt()), ini);
        QCOMPARE(olvasFajl(IniFajlUt() + ".bak"), tartalek);
        QVERIFY(!Adatbazis::nyitva());
    }

    void nemLetezoAdatbazisMappa()
    {
        TesztKornyezet k;
        Adatbazis::vegrehajt("INSERT INTO doksi (doksi_id, prntip) VALUES (1, 'J')");
        Adatbazis::bezar();
        HuSzoveg::fajlIr(IniFajlUt(), "[Adatbazis]\r\nUtvonal=" + k.programMappa() + "/torolt\r\n");
        Tfrm_Main w;
        QVERIFY(w.inditas());
        QCOMPARE(k.szovegek(), QStringList("Nem létező adatbázis mappa, alapértelmezés visszaállítva."));
        QCOMPARE(Beall.AdatbazisUtvonal, k.adatMappa());
        QCOMPARE(w.statusPanel(0)->text(), QString("1/1"));
    }

    void nemAdatbazisFajl()
    {
        TesztKornyezet k(false);
        const QString fajl = QDir(k.adatMappa()).filePath(Adatbazis::FAJLNEV);
        const QByteArray tartalom(5000, 'x');
        QFile f(fajl);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(tartalom);
        f.close();
        Tfrm_Main w;
        QVERIFY(!w.inditas());
        QCOMPARE(k.uzenetek().size(), 1);
        QVERIFY2(k.szovegek().first().contains(fajl), qPrintable(k.szovegek().first()));
        QVERIFY(!Adatbazis::nyitva());
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), tartalom);   // nothing overwritten
        f.close();
        QVERIFY(w.close());                // no question, no settings file
        QVERIFY(!QFile::exists(IniFajlUt()));
        QCOMPARE(k.uzenetek().size(), 1);
    }
};

QTEST_MAIN(FoablakTeszt)
#include "tst_foablak.moc"
