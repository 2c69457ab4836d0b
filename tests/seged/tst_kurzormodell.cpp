#include "Adatbazis.h"
#include "KurzorModell.h"
#include "Tabla.h"
#include "TesztKornyezet.h"

#include <QHeaderView>
#include <QSignalSpy>
#include <QTableView>
#include <QTest>

// Two grids on one cursor, as the main window's two views: the hidden grid's model sleeps.
class KurzorModellTeszt : public QObject {
    Q_OBJECT

private slots:
    void alvoModell()
    {
        TesztKornyezet k;
        Adatbazis::vegrehajt("INSERT INTO marka (marka_nev) VALUES ('a'), ('b'), ('c'), ('d'), ('e')");
        Tabla t("marka");
        t.megnyit();
        KurzorModell ebren(&t, {{"marka_nev", "márka"}}), alvo(&t, {{"marka_nev", "márka"}});
        alvo.setAlszik(true);
        QTableView racs1, racs2;
        racs1.setModel(&ebren);
        racs2.setModel(&alvo);
        ebren.kovet(&racs1);
        alvo.kovet(&racs2);
        QCOMPARE(ebren.rowCount(), 5);
        QCOMPARE(alvo.rowCount(), 0);
        QCOMPARE(racs2.verticalHeader()->count(), 0);

        // the cursor's re-reads and moves pass the sleeping model by
        QSignalSpy ebrenUjra(&ebren, &QAbstractItemModel::modelReset), alvoUjra(&alvo, &QAbstractItemModel::modelReset);
        Adatbazis::vegrehajt("INSERT INTO marka (marka_nev) VALUES ('f')");
        t.frissit();
        t.ugrik(3);
        QCOMPARE(ebrenUjra.count(), 1);
        QCOMPARE(alvoUjra.count(), 0);
        QCOMPARE(ebren.rowCount(), 6);
        QCOMPARE(alvo.rowCount(), 0);
        QCOMPARE(racs1.currentIndex().row(), 3);

        // woken, it shows the rows and its grid the cursor's current row
        alvo.setAlszik(false);
        QCOMPARE(alvo.rowCount(), 6);
        QCOMPARE(alvo.index(3, 0).data().toString(), QString("d"));
        QTRY_COMPARE(racs2.currentIndex().row(), 3);
        racs2.setCurrentIndex(alvo.index(1, 0));
        QCOMPARE(t.sor(), 1);
        QCOMPARE(racs1.currentIndex().row(), 1);

        // asleep again: no rows, and a move in the other grid does not reach it
        alvo.setAlszik(true);
        QCOMPARE(alvo.rowCount(), 0);
        racs1.setCurrentIndex(ebren.index(4, 0));
        QCOMPARE(t.sor(), 4);
        QVERIFY(!racs2.currentIndex().isValid());
    }

    // The row indicator marks the current row only, and follows the cursor's moves.
    void sorJelzo()
    {
        TesztKornyezet k;
        Adatbazis::vegrehajt("INSERT INTO marka (marka_nev) VALUES ('a'), ('b'), ('c'), ('d'), ('e')");
        Tabla t("marka");
        t.megnyit();
        KurzorModell m(&t, {{"marka_nev", "márka"}});
        QTableView racs;
        RacsBeallit(&racs, &m);
        m.kovet(&racs);
        racs.resize(200, 200);
        racs.show();
        QVERIFY(QTest::qWaitForWindowExposed(&racs));
        QHeaderView *h = racs.verticalHeader();
        QCOMPARE(h->width(), 12);
        // dark pixels in each row's section: the arrow is the only dark thing there
        const auto jeloltSorok = [h] {
            const QImage kep = h->viewport()->grab().toImage();
            QList<int> sorok;
            for (int sor = 0; sor < h->count(); ++sor) {
                int sotet = 0;
                const int y0 = h->sectionViewportPosition(sor);
                for (int y = y0; y < y0 + h->sectionSize(sor) && y < kep.height(); ++y)
                    for (int x = 0; x < kep.width(); ++x)
                        sotet += qGray(kep.pixel(x, y)) < 80;
                if (sotet >= 6)
                    sorok << sor;
            }
            return sorok;
        };
        t.ugrik(2);
        QTRY_COMPARE(jeloltSorok(), QList<int>{2});
        t.ugrik(4);
        QTRY_COMPARE(jeloltSorok(), QList<int>{4});
        racs.setCurrentIndex(m.index(0, 0));   // a click in the grid moves it as well
        QTRY_COMPARE(jeloltSorok(), QList<int>{0});
        QCOMPARE(t.sor(), 0);
    }
};

QTEST_MAIN(KurzorModellTeszt)
#include "tst_kurzormodell.moc"
