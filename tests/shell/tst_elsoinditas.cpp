#include "Adatbazis.h"
#include "Beall.h"
#include "HuSzoveg.h"
#include "PgSzerver.h"
#include "TesztKornyezet.h"
#include "Tfrm_Main.h"
#include "Tfrm_Nevjegy.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QRegularExpression>
#include <QTest>

// An installed program keeps its files in the user's folder: the first start says once where
// the settings and the register are, and the about window shows the register's folder.
class ElsoInditasTeszt : public QObject {
    Q_OBJECT

private slots:
    void elsoInditas_data()
    {
        QTest::addColumn<bool>("kozos");   // the administrator's default names a shared folder
        QTest::addColumn<bool>("szerver");  // ... and the test program's server
        QTest::newRow("saját mappa") << false << false;
        QTest::newRow("közös mappa az /etc/xdg-ből") << true << false;
        QTest::newRow("kiszolgáló az /etc/xdg-ből") << true << true;
    }
    void elsoInditas()
    {
        QFETCH(bool, kozos);
        QFETCH(bool, szerver);
        if (szerver && !PgSzerver::kozos())
            QSKIP(qPrintable(PgSzerver::hibaSzoveg()));
        TesztKornyezet k(false);
        const QString kapcsolat = szerver ? TesztKornyezet::ujSzerverAdatbazis() : QString();
        const QString prg = k.programMappa();
        QString adat = QDir(prg).filePath("Data");
        if (kozos) {
            adat = QDir(prg).filePath("kozos");
            QVERIFY(QDir().mkpath(adat));
            QVERIFY(QDir().mkpath(prg + "/xdg/DorvPrg"));
            QFile f(prg + "/xdg/DorvPrg/DorvPrg.ini");
            const QByteArray b = "[Adatbazis]\r\nUtvonal=" + QFile::encodeName(adat) + "\r\nKapcsolat="
                                 + kapcsolat.toUtf8() + "\r\n";
            QVERIFY(f.open(QIODevice::WriteOnly) && f.write(b) == b.size() && f.flush());
        }
        // the period list: the usual periods in a new folder, a list already there kept
        if (kozos)
            HuSzoveg::fajlIr(prg + "/dorvido.ini", "12 hónap\r\n");
        qputenv("XDG_CONFIG_DIRS", QFile::encodeName(prg + "/xdg"));
        setProgramMappa(prg, true);
        // Data beside the program is made only when it is the folder used
        const QString data = QDir(prg).filePath("Data");
        QVERIFY(QDir(data).removeRecursively());
        k.valaszok({true, false});   // the message, then no archive at close
        {
            Tfrm_Main w;
            QVERIFY(w.inditas());
            // a server is named by host, port and database, the folder keeps the texts there
            const auto m = QRegularExpression("host=(\\S+) port=(\\d+) dbname=(\\S+)").match(kapcsolat);
            const QString szerverNev = QString("%1:%2, adatbázis: %3").arg(m.captured(1), m.captured(2), m.captured(3));
            const QString hely = szerver ? "Az adatbázis PostgreSQL kiszolgálón van:\r\n" + szerverNev
                                               + "\r\n\r\nA szövegfájlok és a dokumentumok mappája:\r\n" + adat
                                         : "Az adatbázis mappája:\r\n" + adat;
            QCOMPARE(k.szovegek(), QStringList{QString("A program a beállításait ebben a mappában tartja:\r\n%1\r\n\r\n"
                                                       "%2").arg(prg, hely)});
            QCOMPARE(Adatbazis::mappa(), adat);
            QCOMPARE(QFileInfo(data).isDir(), !kozos);
            QCOMPARE(Tfrm_Nevjegy().findChild<QLabel *>("lblAdatbazis")->text(),
                     szerver ? "Adatbázis (PostgreSQL kiszolgáló):\n" + szerverNev : "Adatbázis:\n" + adat);
            w.close();
        }
        QVERIFY(QFile::exists(IniFajlUt()));
        QCOMPARE(HuSzoveg::fajlSorok(DorvidoFajlUt()),
                 kozos ? QStringList{"12 hónap"} : QStringList({"6 hónap", "1 év", "2 év", "3 év"}));
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

    void mappaKodlaponKivul_data()
    {
        QTest::addColumn<QString>("nev");
        QTest::addColumn<bool>("utf8");   // the file must be UTF-8; else code page 1250 as before
        QTest::newRow("norvég és cirill") << "ø-Ж-mappa" << true;
        QTest::newRow("magyar ékezetek") << "Őrház-mappa" << false;
        // its 1250 bytes C3 A9 would read back as UTF-8 "é"
        QTest::newRow("1250-ben UTF-8-nak látszó") << "Ă©-mappa" << true;
    }

    // Folders chosen in the settings survive a real close and the next start, in both the
    // file and its spare copy, whatever characters they hold.
    void mappaKodlaponKivul()
    {
        QFETCH(QString, nev);
        QFETCH(bool, utf8);
        TesztKornyezet k(false);
        const QString adat = QDir(k.programMappa()).filePath(nev);
        const QString archiv = adat + "-archiv";
        QVERIFY(QDir().mkpath(adat) && QDir().mkpath(archiv));
        k.valaszok({false, false, false});   // no archive at the closes
        {
            Tfrm_Main w;
            QVERIFY(w.inditas());
            Beall.AdatbazisUtvonal = adat;    // as the settings window leaves them
            Beall.MentesUtvonal = archiv;
            QVERIFY(w.close());
        }
        const QByteArray vart = "Utvonal=" + (utf8 ? adat.toUtf8() : HuSzoveg::kodol1250(adat)) + "\r\n";
        for (const QString &f : {IniFajlUt(), IniFajlUt() + ".bak"}) {
            QFile ini(f);
            QVERIFY(ini.open(QIODevice::ReadOnly));
            const QByteArray b = ini.readAll();
            QVERIFY2(b.contains(vart), b.constData());
            QCOMPARE(HuSzoveg::dekodol(b).contains("MentesUtvonal=" + archiv + "\r\n"), true);
        }
        for (int i = 0; i < 2; ++i) {   // and again after the second close wrote it back
            Beall = TBeall();
            Tfrm_Main w;
            QVERIFY(w.inditas());
            QCOMPARE(Adatbazis::mappa(), adat);
            QCOMPARE(Beall.MentesUtvonal, archiv);
            QVERIFY(w.close());
        }
        QVERIFY(!k.szovegek().contains("Nem létező adatbázis mappa, alapértelmezés visszaállítva."));
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
