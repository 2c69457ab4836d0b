#include "Adatbazis.h"
#include "Beall.h"
#include "Jelszo.h"
#include "TesztKornyezet.h"
#include "Tfrm_Login.h"
#include "Tfrm_Main.h"

#include <QAction>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

// The login inside the program's start: who may go on, and what a cancelled login leaves behind.
class InditasTeszt : public QObject {
    Q_OBJECT

    // a database whose settings ask for a login; the start opens it again itself
    static void beallit(TesztKornyezet &, const QString &sql = {})
    {
        Adatbazis::vegrehajt("UPDATE beallit SET vanbelep='I'");
        if (!sql.isEmpty())
            Adatbazis::vegrehajt(sql);
        Adatbazis::bezar();
        Beall = TBeall();
    }
    static void belep(const QString &nev, const QString &jelszo)
    {
        TesztKornyezet::modalisan([nev, jelszo](QWidget *w) {
            w->findChild<QLineEdit *>("edtFelhasznalo")->setText(nev);
            w->findChild<QLineEdit *>("edtJelszo")->setText(jelszo);
            QTest::mouseClick(w->findChild<QPushButton *>("btnOK"), Qt::LeftButton);
        });
    }

private slots:
    void megszakitottBelepes_data()
    {
        QTest::addColumn<bool>("esc");
        QTest::newRow("Mégsem") << false;
        QTest::newRow("Esc") << true;
    }
    void megszakitottBelepes()
    {
        QFETCH(bool, esc);
        TesztKornyezet k;
        beallit(k);
        {
            Tfrm_Main w;
            TesztKornyezet::modalisan([esc](QWidget *l) {
                QVERIFY(qobject_cast<Tfrm_Login *>(l));
                if (esc)
                    QTest::keyClick(l, Qt::Key_Escape);
                else
                    QTest::mouseClick(l->findChild<QPushButton *>("btnMegsem"), Qt::LeftButton);
            });
            QVERIFY(!w.inditas());
            QVERIFY(!Adatbazis::nyitva());
            w.close();
        }
        // no archive question although the last archive counts as ten days old, no ini file
        QVERIFY(k.szovegek().isEmpty());
        QVERIFY(!QFile::exists(IniFajlUt()));
        QVERIFY(!Beall.rendszergazda && !Beall.torzsszerkeszt);
    }

    void sikeresBelepesJogokkal()
    {
        TesztKornyezet k;
        beallit(k, QString("INSERT INTO felhasznalo VALUES ('anna', 'Kiss Anna', '%1', 'N', 'I')").arg(Jelszo::hash("a1")));
        Tfrm_Main w;
        belep("anna", "a1");
        QVERIFY(w.inditas());
        QCOMPARE(Beall.FelhasznaloNev, QString("Kiss Anna"));
        QVERIFY(Beall.torzsszerkeszt);
        QVERIFY(!Beall.rendszergazda);
        // the four administrator windows are refused, the help windows are open to her
        for (const char *a : {"aTulajdonos", "aFelhasznalo", "aBeallit"}) {
            QVERIFY(w.akcio(a)->isEnabled());
            w.akcio(a)->trigger();
        }
        QCOMPARE(k.szovegek(), QStringList(3, "Nincs jogosultság a művelethez."));
        k.uzenetekTorol();
        TesztKornyezet::modalisan([](QWidget *n) { QTest::mouseClick(n->findChild<QPushButton *>("btnOK"), Qt::LeftButton); });
        w.akcio("aNevjegy")->trigger();
        QVERIFY(k.szovegek().isEmpty());
    }

    void rendszergazdaMegnyitja()
    {
        TesztKornyezet k;
        beallit(k);
        Tfrm_Main w;
        belep("rendszergazda", "admin");
        QVERIFY(w.inditas());
        QString ablak;
        TesztKornyezet::modalisan([&ablak](QWidget *f) {
            ablak = f->windowTitle();
            QTest::keyClick(f, Qt::Key_Escape);
        });
        w.akcio("aFelhasznalo")->trigger();
        QCOMPARE(ablak, QString("Felhasználók adatai"));
        QVERIFY(k.szovegek().isEmpty());
    }

    void belepesHibaja()
    {
        TesztKornyezet k;
        beallit(k, "DROP TABLE felhasznalo");
        Tfrm_Main w;
        QVERIFY(!w.inditas());
        QCOMPARE(k.uzenetek().size(), 1);
        // the change history's triggers need every table: the register is refused when it opens,
        // naming what is missing, before any login
        QVERIFY2(k.szovegek().first().startsWith("Az adatbázis nem nyitható meg: ")
                     && k.szovegek().first().contains("felhasznalo"), qPrintable(k.szovegek().first()));
        w.close();
        QVERIFY(!QFile::exists(IniFajlUt()));
    }
};

QTEST_MAIN(InditasTeszt)
#include "tst_inditas.moc"
