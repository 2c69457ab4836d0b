#include "Adatbazis.h"
#include "Beall.h"
#include "TesztKornyezet.h"
#include "Tfrm_Main.h"
#include "Tfrm_Nevjegy.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QTest>

// An installed program keeps its files in the user's folder: the first start says once where
// the settings and the register are, and the about window shows the register's folder.
class ElsoInditasTeszt : public QObject {
    Q_OBJECT

private slots:
    void elsoInditas_data()
    {
        QTest::addColumn<bool>("kozos");   // the administrator's default names a shared folder
        QTest::newRow("saját mappa") << false;
        QTest::newRow("közös mappa az /etc/xdg-ből") << true;
    }
    void elsoInditas()
    {
        QFETCH(bool, kozos);
        TesztKornyezet k(false);
        const QString prg = k.programMappa();
        QString adat = QDir(prg).filePath("Data");
        if (kozos) {
            adat = QDir(prg).filePath("kozos");
            QVERIFY(QDir().mkpath(adat));
            QVERIFY(QDir().mkpath(prg + "/xdg/DorvPrg"));
            QFile f(prg + "/xdg/DorvPrg/DorvPrg.ini");
            const QByteArray b = "[Adatbazis]\r\nUtvonal=" + QFile::encodeName(adat) + "\r\n";
            QVERIFY(f.open(QIODevice::WriteOnly) && f.write(b) == b.size() && f.flush());
        }
        qputenv("XDG_CONFIG_DIRS", QFile::encodeName(prg + "/xdg"));
        setProgramMappa(prg, true);
        k.valaszok({true, false});   // the message, then no archive at close
        {
            Tfrm_Main w;
            QVERIFY(w.inditas());
            QCOMPARE(k.szovegek(), QStringList{QString("A program a beállításait ebben a mappában tartja:\r\n%1\r\n\r\n"
                                                       "Az adatbázis mappája:\r\n%2").arg(prg, adat)});
            QCOMPARE(Adatbazis::mappa(), adat);
            QCOMPARE(Tfrm_Nevjegy().findChild<QLabel *>("lblAdatbazis")->text(), "Adatbázis:\n" + adat);
            w.close();
        }
        QVERIFY(QFile::exists(IniFajlUt()));
        // once: the settings file is there from now on, and keeps the shared folder
        k.uzenetekTorol();
        k.valaszok({false});
        Tfrm_Main w;
        QVERIFY(w.inditas());
        QCOMPARE(k.szovegek(), QStringList{});
        QCOMPARE(Adatbazis::mappa(), adat);
        w.close();
        qunsetenv("XDG_CONFIG_DIRS");
    }

    // running from a folder the user can write (the build folder) says nothing
    void programMappaMellett()
    {
        TesztKornyezet k(false);
        k.valaszok({false});
        Tfrm_Main w;
        QVERIFY(w.inditas());
        QCOMPARE(k.szovegek(), QStringList{});
        w.close();
    }
};

QTEST_MAIN(ElsoInditasTeszt)
#include "tst_elsoinditas.moc"
