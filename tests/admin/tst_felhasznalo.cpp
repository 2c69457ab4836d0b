#include "Adatbazis.h"
#include "Admin.h"
#include "Ikonok.h"
#include "Jelszo.h"
#include "Tabla.h"
#include "TesztKornyezet.h"
#include "Tfrm_Felhasznalo.h"
#include "Tfrm_FelhasznaloSzerkeszt.h"

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTest>

// The users list and editor: what is stored, and the three refusals.
class FelhasznaloTeszt : public QObject {
    Q_OBJECT

    static void kitolt(QWidget *w, const QString &nev, const QString &jelszo, const QString &ujra)
    {
        w->findChild<QLineEdit *>("edtFelhasznalo")->setText(nev);
        w->findChild<QLineEdit *>("edtJelszo")->setText(jelszo);
        w->findChild<QLineEdit *>("edtJelszo2")->setText(ujra);
    }
    static void kattint(QWidget *w, const char *gomb) { QTest::mouseClick(w->findChild<QPushButton *>(gomb), Qt::LeftButton); }
    static QStringList felhasznalok()
    {
        QStringList s;
        Tabla t("felhasznalo");
        t.setIndex("felhasznalo");
        t.megnyit();
        // a stored hash shows as the text of these that it matches, anything else as it is
        const QStringList szovegek{"admin", "Kulcs1", "masik", "1234567890"};
        for (int i = 0; i < t.rekordSzam(); ++i) {
            const QString h = t.ertekSor(i, "jelszo").toString();
            QString j = "tarolt:" + h;
            for (const QString &sz : szovegek)
                if (Jelszo::egyezik(sz, h))
                    j = sz;
            s << t.ertekSor(i, "felhasznalo").toString() + ":" + j;
        }
        return s;
    }

private slots:
    void ikonok()
    {
        TesztKornyezet k;
        Tfrm_Felhasznalo f;
        for (QAction *a : {f.aUj, f.aSzerkeszt, f.aTorol, f.aBezar})
            QVERIFY2(a->icon().pixmap(16, 16).toImage() == AkcioIkon(a->objectName()).pixmap(16, 16).toImage(),
                     qPrintable(a->objectName()));
    }

    void ujFelhasznalo()
    {
        TesztKornyezet k;
        Tfrm_Felhasznalo f;
        TesztKornyezet::modalisan([](QWidget *w) {
            QCOMPARE(w->windowTitle(), QString("Felhasználó adatainak szerkesztése"));
            QCOMPARE(w->findChild<QLineEdit *>("edtJelszo2")->text(), QString());   // a new row has no password
            kitolt(w, "Béla", "Kulcs1", "Kulcs1");
            kattint(w, "btnOK");
        });
        f.aUj->trigger();
        QVERIFY(k.szovegek().isEmpty());
        QCOMPARE(felhasznalok(), (QStringList{"Béla:Kulcs1", "rendszergazda:admin"}));
        // no rights and no full name come from this window
        QCOMPARE(Adatbazis::ertek("SELECT coalesce(felhasznalo_nev,'') || coalesce(rendszergazda,'') || "
                                  "coalesce(torzsszerkeszt,'') FROM felhasznalo WHERE felhasznalo='Béla'")
                     .toString(),
                 QString());
        QCOMPARE(f.tabla()->ertek("felhasznalo").toString(), QString("Béla"));
    }

    void uzenetek_data()
    {
        QTest::addColumn<QString>("nev");
        QTest::addColumn<QString>("jelszo");
        QTest::addColumn<QString>("ujra");
        QTest::addColumn<QString>("uzenet");
        QTest::newRow("ures jelszo") << "uj" << "" << "" << "Hiányos adat megadás";
        QTest::newRow("eltero ismetles") << "uj" << "abc" << "ABC" << "Hibás jelszó megadás";
        QTest::newRow("ures nev") << "" << "abc" << "abc" << "Hiányos adat megadás";
        QTest::newRow("letezo nev") << "rendszergazda" << "abc" << "abc" << "Hiányos adat megadás";
    }
    void uzenetek()
    {
        QFETCH(QString, nev);
        QFETCH(QString, jelszo);
        QFETCH(QString, ujra);
        TesztKornyezet k;
        Tfrm_Felhasznalo f;
        bool nyitvaMaradt = false;
        QString fokusz;
        TesztKornyezet::modalisan([&](QWidget *w) {
            kitolt(w, nev, jelszo, ujra);
            kattint(w, "btnOK");
            nyitvaMaradt = w->isVisible();
            fokusz = w->focusWidget() ? w->focusWidget()->objectName() : QString();
            kattint(w, "btnMegsem");
        });
        f.aUj->trigger();
        QVERIFY(nyitvaMaradt);
        if (jelszo.isEmpty() || jelszo != ujra)
            QCOMPARE(fokusz, QString("edtJelszo"));   // Enter must not repeat the message
        QTEST(k.szovegek().join("|"), "uzenet");
        QCOMPARE(felhasznalok(), QStringList{"rendszergazda:admin"});
        QVERIFY(!f.tabla()->szerkesztes());
    }

    void szerkesztes()
    {
        TesztKornyezet k;
        Tfrm_Felhasznalo f;
        // only the name changes: two untouched, empty boxes keep the stored password
        TesztKornyezet::modalisan([](QWidget *w) {
            QCOMPARE(w->findChild<QLineEdit *>("edtJelszo")->text(), QString());
            QCOMPARE(w->findChild<QLineEdit *>("edtJelszo2")->text(), QString());
            w->findChild<QLineEdit *>("edtFelhasznalo")->setText("admin");
            kattint(w, "btnOK");
        });
        f.aSzerkeszt->trigger();
        QCOMPARE(felhasznalok(), QStringList{"admin:admin"});

        // Mégsem after typing a new password keeps the stored one
        TesztKornyezet::modalisan([](QWidget *w) {
            kitolt(w, "admin", "masik", "masik");
            QTest::keyClick(w, Qt::Key_Escape);
        });
        f.aSzerkeszt->trigger();
        QCOMPARE(felhasznalok(), QStringList{"admin:admin"});
        QVERIFY(!f.tabla()->szerkesztes());

        // a password longer than the field can never be confirmed
        TesztKornyezet::modalisan([](QWidget *w) {
            kitolt(w, "admin", "12345678901", "12345678901");
            kattint(w, "btnOK");
            kattint(w, "btnMegsem");
        });
        f.aSzerkeszt->trigger();
        QCOMPARE(k.szovegek(), QStringList{"Hibás jelszó megadás"});
        QCOMPARE(felhasznalok(), QStringList{"admin:admin"});

        // a new text in both boxes sets a new password; one box alone is refused
        k.uzenetekTorol();
        TesztKornyezet::modalisan([](QWidget *w) {
            kitolt(w, "admin", "", "masik");
            kattint(w, "btnOK");
            kitolt(w, "admin", "masik", "masik");
            kattint(w, "btnOK");
        });
        f.aSzerkeszt->trigger();
        QCOMPARE(k.szovegek(), QStringList{"Hiányos adat megadás"});
        QCOMPARE(felhasznalok(), QStringList{"admin:masik"});
    }

    void billentyuk()
    {
        TesztKornyezet k;
        Tfrm_Felhasznalo f;
        f.show();
        QVERIFY(QTest::qWaitForWindowActive(&f));
        auto *grid = f.findChild<QTableView *>("DBGrid1");
        QCOMPARE(QApplication::focusWidget(), grid);
        QStringList megnyitva;
        const auto figyel = [&] {
            TesztKornyezet::modalisan([&](QWidget *w) {
                megnyitva << w->findChild<QLineEdit *>("edtFelhasznalo")->text();
                QTest::keyClick(w, Qt::Key_Escape);
            });
        };
        figyel();
        QTest::keyClick(grid, Qt::Key_Insert);
        f.activateWindow();   // the offscreen platform does not give it back after the editor
        QVERIFY(QTest::qWaitForWindowActive(&f));
        figyel();
        QTest::keyClick(grid, Qt::Key_Return);
        f.activateWindow();   // the offscreen platform does not give it back after the editor
        QVERIFY(QTest::qWaitForWindowActive(&f));
        figyel();
        QTest::keyClick(grid, Qt::Key_F2);
        QCOMPARE(megnyitva, (QStringList{"", "rendszergazda", "rendszergazda"}));
        QVERIFY(!f.tabla()->szerkesztes());
        QCOMPARE(f.tabla()->rekordSzam(), 1);
        f.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&f));
        QTest::keyClick(grid, Qt::Key_Escape);
        QVERIFY(!f.isVisible());
        QCOMPARE(f.result(), int(QDialog::Accepted));
    }

    void torles()
    {
        TesztKornyezet k;
        Adatbazis::vegrehajt("INSERT INTO felhasznalo (felhasznalo, jelszo) VALUES ('zoli', 'z')");
        Tfrm_Felhasznalo f;
        f.findChild<QTableView *>("DBGrid1")->setCurrentIndex(f.findChild<QTableView *>("DBGrid1")->model()->index(1, 0));
        QCOMPARE(f.tabla()->ertek("felhasznalo").toString(), QString("zoli"));
        k.valaszok({false});
        f.aTorol->trigger();
        QCOMPARE(felhasznalok().size(), 2);
        f.aTorol->trigger();
        QCOMPARE(k.szovegek(), (QStringList{"Valóban töröljem a sort?", "Valóban töröljem a sort?"}));
        QCOMPARE(felhasznalok(), QStringList{"rendszergazda:admin"});
    }
};

QTEST_MAIN(FelhasznaloTeszt)
#include "tst_felhasznalo.moc"
