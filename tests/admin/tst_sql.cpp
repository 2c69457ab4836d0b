#include "Adatbazis.h"
#include "Alkalmazas.h"
#include "Ikonok.h"
#include "SzabadLekerdezes.h"
#include "TesztKornyezet.h"
#include "Tfrm_SQL.h"

#include <QAbstractItemModelTester>
#include <QAction>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QGuiApplication>
#include <QHeaderView>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <Qsci/qsciscintilla.h>

namespace {

// Answers the next file dialog with a path; returns what the dialog proposed.
void fajlValasz(const QString &ut, QString *javasolt = nullptr)
{
    TesztKornyezet::modalisan([ut, javasolt](QWidget *w) {
        auto *d = qobject_cast<QFileDialog *>(w);
        if (!d) {
            w->close();
            return;
        }
        if (javasolt)
            *javasolt = d->selectedFiles().value(0);
        d->selectFile(ut);
        static_cast<QDialog *>(d)->accept();
    });
}

QByteArray olvas(const QString &ut)
{
    QFile f(ut);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<nincs>");
}

void markak() { Adatbazis::vegrehajt("INSERT INTO marka (marka, marka_nev) VALUES (1, 'Bosch'), (2, 'Főnix')"); }

} // namespace

class SqlTeszt : public QObject {
    Q_OBJECT

private slots:
    // the window runs on whichever store is open
    void initTestCase_data() { TesztKornyezet::motorok(); }
    void initTestCase() { AlkalmazasKonvenciok(*qApp); }   // the keys every window shares
    void init()
    {
        if (const QString h = TesztKornyezet::szerverHiba(); !h.isEmpty())
            QSKIP(qPrintable(h));
    }

    void ablakNyitaskor()
    {
        TesztKornyezet k;
        Tfrm_SQL f;
        QCOMPARE(f.windowTitle(), QString("SQL lekérdezés"));
        QCOMPARE(f.pcLapok->currentIndex(), 0);
        QVERIFY(!f.aExport->isEnabled());
        QCOMPARE(f.aFuttat->shortcut(), QKeySequence("F5"));
        // the program's own pictures: a command looks the same here as in the other windows
        const QList<QPair<QAction *, const char *>> kepek = {
            {f.aUj, "aUj"}, {f.aMegnyit, "aMegnyit"}, {f.aMent, "aMent"}, {f.aExport, "aExcel"},
            {f.aBezar, "aBezar"}, {f.aKivag, "aKivag"}, {f.aMasol, "aMasol"}, {f.aBeilleszt, "aBeilleszt"},
            {f.aMindet, "aMindet"}, {f.aFuttat, "aFuttat"}, {f.aMegallit, "aMegallit"}};
        for (const auto &[a, nev] : kepek)
            QVERIFY2(a->icon().pixmap(16, 16).toImage() == AkcioIkon(nev).pixmap(16, 16).toImage(), nev);
        // Scintilla keeps colours as BGR
        QCOMPARE(f.edSQL->SendScintilla(QsciScintillaBase::SCI_GETCARETLINEBACK), long(225 | 240 << 8 | 255 << 16));
        QCOMPARE(f.edSQL->SendScintilla(QsciScintillaBase::SCI_GETCARETLINEVISIBLE), 1L);
        QVERIFY(f.edSQL->marginWidth(0) >= QFontMetrics(QFont("Courier New", 10)).horizontalAdvance("000"));
        QCOMPARE(f.edSQL->marginType(0), QsciScintilla::NumberMargin);
    }

    // The keyboard alone reaches everything: Tab leaves the result grid, Ctrl+Tab and
    // Ctrl+Shift+Tab turn the pages from the grid and the editor, the menus have their Alt
    // letters and F10, and Esc closes the window while nothing runs.
    void billentyuzettel()
    {
        TesztKornyezet k;
        Tfrm_SQL f;
        f.show();
        f.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&f));
        f.edSQL->setText("SELECT 1 AS a, 2 AS b");
        f.aFuttat->trigger();
        QCOMPARE(f.pcLapok->currentIndex(), 1);
        f.grdEredmeny->setFocus();
        QTest::keyClick(f.grdEredmeny, Qt::Key_Tab);
        QVERIFY(!f.grdEredmeny->hasFocus());
        f.grdEredmeny->setFocus();
        QTest::keyClick(f.grdEredmeny, Qt::Key_Backtab, Qt::ShiftModifier);
        QVERIFY(!f.grdEredmeny->hasFocus());
        f.grdEredmeny->setFocus();
        QTest::keyClick(f.grdEredmeny, Qt::Key_Tab, Qt::ControlModifier);
        QCOMPARE(f.pcLapok->currentIndex(), 0);
        QVERIFY(f.edSQL->isAncestorOf(QApplication::focusWidget()) || f.edSQL->hasFocus());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(f.pcLapok->currentIndex(), 1);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_PageUp, Qt::ControlModifier);
        QCOMPARE(f.pcLapok->currentIndex(), 0);

        auto *menu = f.findChild<QMenuBar *>();
        QStringList cimek;
        for (QAction *a : menu->actions())
            cimek << a->text();
        QCOMPARE(cimek, QStringList({"&Fájl", "S&zerkesztés", "S&QL"}));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_F10);
        QCOMPARE(menu->activeAction(), menu->actions().value(0));
        QVERIFY(QApplication::activePopupWidget());
        QTest::keyClick(QApplication::activePopupWidget(), Qt::Key_Escape);
        QTRY_VERIFY(!QApplication::activePopupWidget());
        QVERIFY(f.isVisible());   // Esc in the menu only closes the menu
        f.edSQL->setFocus();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        QVERIFY(!f.isVisible());
    }

    // A SELECT in any case, after blank lines, opens the result page with 64-pixel columns.
    void lekerdezes_data()
    {
        QTest::addColumn<QString>("sql");
        QTest::newRow("nagybetűs") << "SELECT marka, marka_nev FROM marka ORDER BY marka";
        QTest::newRow("kisbetűs, üres sorok után") << "\r\n\n   \tselect marka, marka_nev from marka order by marka";
    }

    void lekerdezes()
    {
        QFETCH(QString, sql);
        TesztKornyezet k;
        markak();
        Tfrm_SQL f;
        f.edSQL->setText(sql);
        f.aFuttat->trigger();
        QVERIFY(k.szovegek().isEmpty());
        QCOMPARE(f.pcLapok->currentIndex(), 1);
        QVERIFY(f.aExport->isEnabled());
        QAbstractItemModel *m = f.grdEredmeny->model();
        QCOMPARE(m->rowCount(), 2);
        QCOMPARE(m->columnCount(), 2);
        QCOMPARE(m->headerData(1, Qt::Horizontal).toString(), QString("marka_nev"));
        QCOMPARE(m->index(1, 1).data().toString(), QString("Főnix"));
        QCOMPARE(f.grdEredmeny->columnWidth(0), 64);
        QCOMPARE(f.grdEredmeny->columnWidth(1), 64);
        QCOMPARE(f.edSQL->text(), sql);   // the text is left as typed
    }

    void utasitasEsHibak()
    {
        TesztKornyezet k;
        markak();
        Tfrm_SQL f;
        f.edSQL->setText("SELECT * FROM marka");
        f.aFuttat->trigger();
        QVERIFY(f.aExport->isEnabled());
        f.pcLapok->setCurrentIndex(0);

        // a statement without result: done message, the result closed, export disabled
        f.edSQL->setText("UPDATE felhasznalo SET torzsszerkeszt = 'N'");
        f.aFuttat->trigger();
        QCOMPARE(k.szovegek(), QStringList{"SQL futtatás kész."});
        QCOMPARE(Adatbazis::ertek("SELECT torzsszerkeszt FROM felhasznalo").toString(), QString("N"));
        QVERIFY(!f.aExport->isEnabled());
        QVERIFY(!f.eredmenyNyitva());
        QCOMPARE(f.pcLapok->currentIndex(), 0);

        // a comment first: not a SELECT, runs without result
        k.uzenetekTorol();
        f.edSQL->setText("-- darab\nSELECT count(*) FROM marka");
        f.aFuttat->trigger();
        QCOMPARE(k.szovegek(), QStringList{"SQL futtatás kész."});
        QCOMPARE(f.pcLapok->currentIndex(), 0);

        // errors: what the engine's text means in Hungarian, then that text, behind the
        // window's first line; nothing else changes
        const QList<std::pair<QString, QString>> hibas = {
            {"SELEC * FROM marka", "Szintaktikai hiba az SQL utasításban."},
            {"SELECT * FROM nincsilyen", "Nincs ilyen tábla az adatbázisban."},
            {"SELECT nincsfv(marka) FROM marka", "Nincs ilyen SQL függvény."},
            {"UPDATE marka SET nincs = 1", "Nincs ilyen mező a táblában."},
            {"INSERT INTO marka (marka, marka_nev) VALUES (1, 'Ismét')", "Ilyen kulcsú sor már van, a változás nem menthető."},
        };
        for (const auto &[sql, magyar] : hibas) {
            k.uzenetekTorol();
            f.edSQL->setText(sql);
            f.aFuttat->trigger();
            QCOMPARE(k.uzenetek().size(), 1);
            QCOMPARE(k.uzenetek()[0].tipus, UzenetKeres::Hiba);
            const QStringList sorok = k.szovegek()[0].split("\r\n");
            QVERIFY2(sorok.size() > 2 && sorok[0] == "SQL hiba:" && sorok[1] == magyar, qPrintable(k.szovegek()[0]));
            QCOMPARE(f.edSQL->text(), sql);
            QCOMPARE(f.pcLapok->currentIndex(), 0);
            QVERIFY(!f.aExport->isEnabled());
        }
        QVERIFY(k.szovegek()[0].contains("marka"));
    }

    // A statement failing while its rows are made leaves nothing behind that the next one
    // trips over; the window's own transaction holds its statements together.
    void futasKozbeniHibaEsTranzakcio()
    {
        TesztKornyezet k;
        markak();
        Tfrm_SQL f;
        const auto futtat = [&](const QString &sql) {
            k.uzenetekTorol();
            f.edSQL->setText(sql);
            f.aFuttat->trigger();
        };
        futtat(TesztKornyezet::szerveren() ? "SELECT 1 / (marka - marka) FROM marka" : "SELECT json(marka_nev) FROM marka");
        QCOMPARE(k.szovegek().size(), 1);
        QVERIFY2(k.szovegek()[0].startsWith("SQL hiba:\r\n") && !k.szovegek()[0].contains("leállítva"),
                 qPrintable(k.szovegek()[0]));
        for (int i = 0; i < 2; ++i) {
            futtat("SELECT marka_nev FROM marka ORDER BY marka");
            QVERIFY2(k.szovegek().isEmpty(), qPrintable(k.szovegek().join('\n')));
            QCOMPARE(f.grdEredmeny->model()->rowCount(), 2);
            QCOMPARE(f.grdEredmeny->model()->index(1, 0).data().toString(), QString("Főnix"));
        }

        futtat("BEGIN");
        futtat("UPDATE marka SET marka_nev = 'X'");
        futtat("SELECT count(*) FROM marka WHERE marka_nev = 'X'");
        QCOMPARE(f.grdEredmeny->model()->index(0, 0).data().toString(), QString("2"));
        futtat("ROLLBACK");
        QCOMPARE(k.szovegek(), QStringList{"SQL futtatás kész."});
        QVERIFY(!Adatbazis::tranzakcioban());
        QCOMPARE(Adatbazis::ertek("SELECT count(*) FROM marka WHERE marka_nev = 'X'").toInt(), 0);

        if (TesztKornyezet::szerveren()) {
            // the server's SELECT ... INTO, which no cursor can hold, still runs
            futtat("SELECT marka, marka_nev INTO marka_masolat FROM marka");
            QVERIFY2(!k.szovegek().join('\n').contains("SQL hiba"), qPrintable(k.szovegek().join('\n')));
            QCOMPARE(Adatbazis::ertek("SELECT count(*) FROM marka_masolat").toInt(), 2);
            // a real syntax error is reported at its place in the user's text
            futtat("SELECT marka_nev FROM marka WHERE");
            QCOMPARE(k.szovegek().size(), 1);
            QVERIFY2(k.szovegek()[0].startsWith("SQL hiba:\r\n") && !k.szovegek()[0].contains("DECLARE"),
                     qPrintable(k.szovegek()[0]));
        }
    }

    void csakAKijelolt()
    {
        TesztKornyezet k;
        markak();
        Tfrm_SQL f;
        f.edSQL->setText("UPDATE marka SET marka_nev = 'X';\nSELECT marka_nev FROM marka WHERE marka = 2");
        f.edSQL->setSelection(1, 0, 1, f.edSQL->text(1).size());
        f.show();
        QVERIFY(QTest::qWaitForWindowActive(&f));
        f.edSQL->setFocus();
        QTest::keyClick(f.edSQL, Qt::Key_F5);
        QCOMPARE(f.pcLapok->currentIndex(), 1);
        QCOMPARE(f.grdEredmeny->model()->rowCount(), 1);
        QCOMPARE(Adatbazis::ertek("SELECT marka_nev FROM marka WHERE marka = 1").toString(), QString("Bosch"));
    }

    // A selection typed over is no selection: F5 runs the whole new text, also after "Új".
    void felulirtKijeloles()
    {
        TesztKornyezet k;
        markak();
        Tfrm_SQL f;
        f.show();
        QVERIFY(QTest::qWaitForWindowActive(&f));
        f.edSQL->setFocus();
        QTest::keyClicks(f.edSQL, "SELECT marka FROM marka");
        QTest::keyClick(f.edSQL, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(f.edSQL, "SELECT marka_nev FROM marka WHERE marka = 2");
        QCOMPARE(f.edSQL->text(), QString("SELECT marka_nev FROM marka WHERE marka = 2"));
        QTest::keyClick(f.edSQL, Qt::Key_F5);
        QVERIFY2(k.szovegek().isEmpty(), qPrintable(k.szovegek().join('|')));
        QCOMPARE(f.pcLapok->currentIndex(), 1);
        QCOMPARE(f.grdEredmeny->model()->rowCount(), 1);
        QCOMPARE(f.grdEredmeny->model()->index(0, 0).data().toString(), QString("Főnix"));

        f.pcLapok->setCurrentIndex(0);
        f.aUj->trigger();
        f.edSQL->setFocus();
        QTest::keyClicks(f.edSQL, "SELECT count(*) AS db FROM marka");
        QTest::keyClick(f.edSQL, Qt::Key_F5);
        QVERIFY2(k.szovegek().isEmpty(), qPrintable(k.szovegek().join('|')));
        QCOMPARE(f.grdEredmeny->model()->index(0, 0).data().toString(), QString("2"));
    }

    void vagolap()
    {
        TesztKornyezet k;
        markak();
        Tfrm_SQL f;
        f.edSQL->setText("SELECT * FROM marka");
        f.aMindet->trigger();
        f.aMasol->trigger();
        QCOMPARE(QGuiApplication::clipboard()->text(), QString("SELECT * FROM marka"));
        f.aFuttat->trigger();
        QCOMPARE(f.pcLapok->currentIndex(), 1);
        // on the result page the clipboard commands leave the clipboard and the editor alone
        QGuiApplication::clipboard()->setText("régi");
        f.edSQL->selectAll();
        f.aMasol->trigger();
        f.aKivag->trigger();
        QCOMPARE(QGuiApplication::clipboard()->text(), QString("régi"));
        QCOMPARE(f.edSQL->text(), QString("SELECT * FROM marka"));
    }

    void mentesEsMegnyitas()
    {
        TesztKornyezet k;
        Tfrm_SQL f;
        const QString ut = QDir(k.programMappa()).filePath("SQL/levelek.sql");
        f.edSQL->setText("SELECT * FROM doksi -- ő, ű");
        QString javasolt = "x";
        fajlValasz(ut, &javasolt);
        f.aMent->trigger();
        QCOMPARE(f.fajlnev(), ut);
        QVERIFY(javasolt.isEmpty() || QFileInfo(javasolt).isDir() || javasolt.endsWith("/SQL/"));
        QCOMPARE(olvas(ut), QByteArray("SELECT * FROM doksi -- \xF5, \xFB"));

        // "Új SQL" keeps the name; the next save proposes it and replaces the file
        f.aUj->trigger();
        QVERIFY(f.edSQL->text().isEmpty());
        f.edSQL->setText("SELECT 2");
        fajlValasz(ut, &javasolt);
        f.aMent->trigger();
        QCOMPARE(javasolt, ut);
        QCOMPARE(olvas(ut), QByteArray("SELECT 2"));

        // a text 1250 cannot hold is kept whole (as UTF-8)
        f.edSQL->setText("SELECT '→'");
        fajlValasz(ut);
        f.aMent->trigger();
        QCOMPARE(olvas(ut), QString("SELECT '→'").toUtf8());

        Tfrm_SQL g;
        fajlValasz(ut);
        g.aMegnyit->trigger();
        QCOMPARE(g.edSQL->text(), QString("SELECT '→'"));
        QCOMPARE(g.fajlnev(), ut);
        // cancelling changes nothing
        TesztKornyezet::modalisan([](QWidget *w) { w->close(); });
        g.aMegnyit->trigger();
        QCOMPARE(g.edSQL->text(), QString("SELECT '→'"));
    }

    void export_()
    {
        TesztKornyezet k;
        markak();
        Tfrm_SQL f;
        f.edSQL->setText("SELECT marka, marka_nev FROM marka ORDER BY marka");
        f.aFuttat->trigger();
        const QString ut = QDir(k.programMappa()).filePath("ki.csv");
        QString javasolt;
        fajlValasz(ut, &javasolt);
        f.aExport->trigger();
        QVERIFY(javasolt.endsWith("Mernu4_exp.csv"));
        QCOMPARE(olvas(ut), QByteArray("marka|marka_nev|\r\n1|Bosch|\r\n2|F\xF5nix|\r\n"));
        fajlValasz(ut, &javasolt);
        f.aExport->trigger();
        QCOMPARE(javasolt, ut);
    }

    // A big result opens with one page of rows; scrolling fetches more.
    void lustaModell()
    {
        TesztKornyezet k;
        Tfrm_SQL f;
        QAbstractItemModelTester teszter(f.grdEredmeny->model(), QAbstractItemModelTester::FailureReportingMode::QtTest);
        f.edSQL->setText("SELECT * FROM (WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c WHERE x < 100000)"
                         " SELECT x, x * 2 AS y FROM c) AS t");
        f.aFuttat->trigger();
        QAbstractItemModel *m = f.grdEredmeny->model();
        const int n = m->rowCount();   // the first page, and what the grid and the tester asked for
        QVERIFY(n >= LekerdezesModell::LAP && n < 10 * LekerdezesModell::LAP);
        QVERIFY(m->canFetchMore({}));
        m->fetchMore({});
        QCOMPARE(m->rowCount(), n + LekerdezesModell::LAP);
        QCOMPARE(m->index(300, 1).data().toString(), QString("602"));
    }

    // A query without end shows that it runs; "Megállít" stops it and the window works on.
    void hosszuLekerdezesMegallitasa()
    {
        TesztKornyezet k;
        Tfrm_SQL f;
        f.show();
        f.edSQL->setText("SELECT (WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c) SELECT count(*) FROM c)");
        bool latszott = false, futott = false, tiltva = false;
        QTimer::singleShot(700, &f, [&] {
            futott = f.fut();
            latszott = f.pbFut->isVisible();
            tiltva = !f.aFuttat->isEnabled();
            f.btnMegallit->click();
        });
        f.aFuttat->trigger();
        QVERIFY(futott);
        QVERIFY(latszott);
        QVERIFY(tiltva);
        QVERIFY(!f.fut());
        QVERIFY(!f.pbFut->isVisible());
        QCOMPARE(k.szovegek().size(), 1);
        QVERIFY(k.szovegek()[0].startsWith("SQL hiba:\r\nA futás leállítva."));
        QCOMPARE(f.pcLapok->currentIndex(), 0);
        QVERIFY(f.aFuttat->isEnabled());

        // an endless UPDATE stops the same way and changes nothing
        k.uzenetekTorol();
        markak();
        f.edSQL->setText("UPDATE marka SET marka_nev = 'X' WHERE marka IN"
                         " (WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c) SELECT max(x) FROM c)");
        QTimer::singleShot(400, &f, [&] { f.close(); });   // closing stops it too
        f.aFuttat->trigger();
        QVERIFY(!f.isVisible());
        QVERIFY(k.szovegek().isEmpty());
        QCOMPARE(Adatbazis::ertek("SELECT count(*) FROM marka WHERE marka_nev = 'X'").toInt(), 0);

        // the connection is usable afterwards
        Tfrm_SQL g;
        g.edSQL->setText("select count(*) from marka");
        g.aFuttat->trigger();
        QCOMPARE(g.grdEredmeny->model()->index(0, 0).data().toString(), QString("2"));
    }
};

QTEST_MAIN(SqlTeszt)
#include "tst_sql.moc"
