#include "Adatbazis.h"
#include "Admin.h"
#include "Alkalmazas.h"
#include "Beall.h"
#include "Jelszo.h"
#include "TesztKornyezet.h"
#include "Tfrm_Login.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

// The login: exact names and passwords, the rights it grants and the password change.
class BelepesTeszt : public QObject {
    Q_OBJECT

    static void felhasznalo(const QString &nev, const QVariant &jelszo, const QString &rg, const QString &tsz,
                            const QString &teljesNev = "Teszt Elek")
    {
        const QVariant h = jelszo.isNull() || jelszo.toString().isEmpty() ? jelszo : QVariant(Jelszo::hash(jelszo.toString()));
        Adatbazis::vegrehajt("INSERT INTO felhasznalo VALUES (?, ?, ?, ?, ?)", {nev, teljesNev, h, rg, tsz});
    }
    static void kitolt(Tfrm_Login &f, const QString &nev, const QString &jelszo)
    {
        f.findChild<QLineEdit *>("edtFelhasznalo")->setText(nev);
        f.findChild<QLineEdit *>("edtJelszo")->setText(jelszo);
    }
    static void kattint(Tfrm_Login &f, const char *gomb) { QTest::mouseClick(f.findChild<QPushButton *>(gomb), Qt::LeftButton); }
    static QString jelszo(const QString &nev)
    {
        return Adatbazis::ertek("SELECT jelszo FROM felhasznalo WHERE felhasznalo=?", {nev}).toString();
    }

private slots:
    void initTestCase() { AlkalmazasKonvenciok(*qApp); }   // as the program starts

    // The password shows as "*", and Enter walks name, password, OK, then logs in.
    void csillagokEsEnter()
    {
        TesztKornyezet k;
        Tfrm_Login f;
        f.show();
        QVERIFY(QTest::qWaitForWindowActive(&f));
        auto *nev = f.findChild<QLineEdit *>("edtFelhasznalo");
        auto *jelszo = f.findChild<QLineEdit *>("edtJelszo");
        nev->setFocus();
        QTest::keyClicks(nev, "rendszergazda");
        QTest::keyClick(nev, Qt::Key_Return);
        QCOMPARE(QApplication::focusWidget(), jelszo);
        QTest::keyClicks(jelszo, "admin");
        QCOMPARE(jelszo->displayText(), QString("*****"));
        QTest::keyClick(jelszo, Qt::Key_Return);
        QCOMPARE(QApplication::focusWidget(), f.findChild<QPushButton *>("btnOK"));
        QVERIFY(f.isVisible());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QVERIFY(!f.isVisible());
        QCOMPARE(f.result(), int(QDialog::Accepted));
        QVERIFY(k.szovegek().isEmpty());
    }

    void ellenoriz_data()
    {
        QTest::addColumn<QString>("nev");
        QTest::addColumn<QString>("jelszo");
        QTest::addColumn<bool>("siker");
        QTest::newRow("helyes") << "kati" << "Titok9" << true;
        QTest::newRow("nev mas betumerettel") << "Kati" << "Titok9" << false;
        QTest::newRow("jelszo mas betumerettel") << "kati" << "titok9" << false;
        QTest::newRow("jelszo resze") << "kati" << "Titok" << false;
        QTest::newRow("szokoz a nev vegen") << "kati " << "Titok9" << false;
        QTest::newRow("ismeretlen nev") << "senki" << "Titok9" << false;
        QTest::newRow("ures jelszo null jelszonal") << "ures" << "" << false;
        QTest::newRow("barmi null jelszonal") << "ures" << "x" << false;
        QTest::newRow("ekezetes nev") << "Ősz Ödön" << "ŐŰőű" << true;
    }
    void ellenoriz()
    {
        QFETCH(QString, nev);
        QFETCH(QString, jelszo);
        QFETCH(bool, siker);
        TesztKornyezet k;
        felhasznalo("kati", "Titok9", "N", "I", "Kovács Kati");
        felhasznalo("ures", QVariant(), "I", "I");
        felhasznalo("Ősz Ödön", "ŐŰőű", "I", "N", "Ősz Ödön");
        Beall.torzsszerkeszt = Beall.rendszergazda = false;
        Tfrm_Login f;
        kitolt(f, nev, jelszo);
        QCOMPARE(f.Ellenoriz(), siker);
        if (siker) {
            QVERIFY(k.szovegek().isEmpty());
            QVERIFY(!Beall.FelhasznaloNev.isEmpty());
        } else {
            QCOMPARE(k.szovegek(), QStringList{"Érvénytelen felhasználó, vagy jelszó"});
            QVERIFY(!Beall.torzsszerkeszt && !Beall.rendszergazda);
            QVERIFY(Beall.FelhasznaloNev.isEmpty());
        }
    }

    void jogok_data()
    {
        QTest::addColumn<QVariant>("rg");
        QTest::addColumn<QVariant>("tsz");
        QTest::addColumn<bool>("rendszergazda");
        QTest::addColumn<bool>("torzsszerkeszt");
        QTest::newRow("I N") << QVariant("I") << QVariant("N") << true << false;
        QTest::newRow("N I") << QVariant("N") << QVariant("I") << false << true;
        QTest::newRow("kisbetus i") << QVariant("i") << QVariant("i") << false << false;
        QTest::newRow("null") << QVariant() << QVariant() << false << false;
        QTest::newRow("igen szo nem jog") << QVariant("Y") << QVariant("1") << false << false;
    }
    void jogok()
    {
        QFETCH(QVariant, rg);
        QFETCH(QVariant, tsz);
        TesztKornyezet k;
        Adatbazis::vegrehajt("INSERT INTO felhasznalo VALUES ('jani', NULL, ?, ?, ?)", {Jelszo::hash("pw"), rg, tsz});
        Beall.torzsszerkeszt = Beall.rendszergazda = true;   // what the start-up had granted before
        Beall.FelhasznaloNev = "valaki";
        Tfrm_Login f;
        kitolt(f, "jani", "pw");
        QVERIFY(f.Ellenoriz());
        QTEST(Beall.rendszergazda, "rendszergazda");
        QTEST(Beall.torzsszerkeszt, "torzsszerkeszt");
        QCOMPARE(Beall.FelhasznaloNev, QString());   // null full name reads as empty
    }

    void okEsMegsem()
    {
        TesztKornyezet k;
        // a wrong password keeps the window open; the right one closes it with OK
        TesztKornyezet::modalisan([](QWidget *w) {
            auto &f = *static_cast<Tfrm_Login *>(w);
            kitolt(f, "rendszergazda", "Admin");
            kattint(f, "btnOK");
            QVERIFY(f.isVisible());
            QCOMPARE(f.findChild<QLineEdit *>("edtJelszo")->text(), QString("Admin"));
            kitolt(f, "rendszergazda", "admin");
            kattint(f, "btnOK");
        });
        Beall.rendszergazda = Beall.torzsszerkeszt = false;
        QVERIFY(Belepes());
        QCOMPARE(k.szovegek(), QStringList{"Érvénytelen felhasználó, vagy jelszó"});
        QVERIFY(Beall.rendszergazda && Beall.torzsszerkeszt);
        QCOMPARE(Beall.FelhasznaloNev, QString("Rendszergazda"));

        // a check made only for a password change does not complete the login
        Beall.rendszergazda = false;
        TesztKornyezet::modalisan([](QWidget *w) {
            auto &f = *static_cast<Tfrm_Login *>(w);
            kitolt(f, "rendszergazda", "admin");
            kattint(f, "btnUjJelszo");   // the scripted input answers Mégsem
            kattint(f, "btnMegsem");
        });
        setJelszoValaszolo([](const QString &, const QString &, QString &) { return false; });
        QVERIFY(!Belepes());

        TesztKornyezet::modalisan([](QWidget *w) { QTest::keyClick(w, Qt::Key_Escape); });
        QVERIFY(!Belepes());
    }

    void ujJelszo()
    {
        TesztKornyezet k;
        QStringList kerdesek;
        QStringList valaszok{"Uj-Jelszo", "Uj-Jelszo"};
        setJelszoValaszolo([&](const QString &cim, const QString &kerdes, QString &szoveg) {
            kerdesek << cim + "|" + kerdes + "|" + szoveg;
            szoveg = valaszok.takeFirst();
            return true;
        });
        Tfrm_Login f;
        kitolt(f, "rendszergazda", "admin");
        kattint(f, "btnUjJelszo");
        QCOMPARE(kerdesek, (QStringList{"Jelszó megadása|Add meg az új jelszót|", "Megerősítés|Add újra az új jelszót|"}));
        QCOMPARE(k.szovegek(), QStringList{"Jelszó változtatás kész."});
        QVERIFY(Jelszo::egyezik("Uj-Jelszo", jelszo("rendszergazda")));
        // the box keeps the old password, which no longer logs in
        QCOMPARE(f.findChild<QLineEdit *>("edtJelszo")->text(), QString("admin"));
        k.uzenetekTorol();
        QVERIFY(!f.Ellenoriz());
        QCOMPARE(k.szovegek(), QStringList{"Érvénytelen felhasználó, vagy jelszó"});
        kitolt(f, "rendszergazda", "Uj-Jelszo");
        QVERIFY(f.Ellenoriz());
    }

    void ujJelszoElutasitva_data()
    {
        QTest::addColumn<QString>("elso");
        QTest::addColumn<QString>("masodik");
        QTest::addColumn<QString>("uzenet");
        QTest::newRow("elteronek") << "abc" << "abC" << "A megadott jelszavak nem egyezőek";
        QTest::newRow("ures") << "" << "" << "Hiányos adat megadás";
        QTest::newRow("tul hosszu") << "12345678901" << "12345678901" << "A jelszó legfeljebb 10 karakter hosszú lehet.";
    }
    void ujJelszoElutasitva()
    {
        QFETCH(QString, elso);
        QFETCH(QString, masodik);
        QFETCH(QString, uzenet);
        TesztKornyezet k;
        QStringList valaszok{elso, masodik};
        setJelszoValaszolo([&](const QString &, const QString &, QString &szoveg) {
            szoveg = valaszok.takeFirst();
            return true;
        });
        Tfrm_Login f;
        kitolt(f, "rendszergazda", "admin");
        kattint(f, "btnUjJelszo");
        QCOMPARE(k.szovegek(), QStringList{uzenet});
        QVERIFY(Jelszo::egyezik("admin", jelszo("rendszergazda")));
    }

    void ujJelszoRosszRegiJelszoval()
    {
        TesztKornyezet k;
        int kerdes = 0;
        setJelszoValaszolo([&](const QString &, const QString &, QString &) { return ++kerdes, true; });
        Tfrm_Login f;
        kitolt(f, "rendszergazda", "rossz");
        kattint(f, "btnUjJelszo");
        QCOMPARE(kerdes, 0);
        QCOMPARE(k.szovegek(), QStringList{"Érvénytelen felhasználó, vagy jelszó"});
    }

    // Five wrong passwords in a row for a name make even the right one wait; another name
    // and, after the wait, the right password log in again.
    void tevesztesekUtanVar()
    {
        TesztKornyezet k;
        felhasznalo("kati", "Titok9", "N", "N");
        Tfrm_Login f;
        for (int i = 0; i < 5; ++i) {
            kitolt(f, "rendszergazda", "rossz");
            QVERIFY(!f.Ellenoriz());
        }
        k.uzenetekTorol();
        kitolt(f, "rendszergazda", "admin");
        QVERIFY(!f.Ellenoriz());
        QCOMPARE(k.szovegek().size(), 1);
        QVERIFY2(k.szovegek().first().startsWith("Túl sok hibás jelszó"), qPrintable(k.szovegek().first()));
        kitolt(f, "kati", "Titok9");
        QVERIFY(f.Ellenoriz());
        QTest::qWait(5100);
        kitolt(f, "rendszergazda", "admin");
        QVERIFY(f.Ellenoriz());
    }

    void tizKarakteresJelszoMegmarad()
    {
        TesztKornyezet k;
        setJelszoValaszolo([](const QString &, const QString &, QString &szoveg) { return szoveg = "Ő123456789", true; });
        Tfrm_Login f;
        kitolt(f, "rendszergazda", "admin");
        kattint(f, "btnUjJelszo");
        QVERIFY(Jelszo::egyezik("Ő123456789", jelszo("rendszergazda")));
        kitolt(f, "rendszergazda", "Ő123456789");
        QVERIFY(f.Ellenoriz());
    }
};

QTEST_MAIN(BelepesTeszt)
#include "tst_belepes.moc"
