#include "Beall.h"
#include "ProgramFutas.h"
#include "Seged.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

// Where an installed program keeps its files: the program folder or the user's data folder,
// the help pages, and the administrator's default DorvPrg.ini of every user.
class TelepitesTeszt : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QString ut(const QString &relativ) const { return QDir(m_dir.path()).filePath(relativ); }
    static bool ir(const QString &ut, const QByteArray &b)
    {
        QDir().mkpath(QFileInfo(ut).path());
        QFile f(ut);
        return f.open(QIODevice::WriteOnly) && f.write(b) == b.size() && f.flush();
    }
    static QByteArray olvas(const QString &ut)
    {
        QFile f(ut);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<nincs>");
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        qputenv("XDG_DATA_HOME", QFile::encodeName(ut("adat")));
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(ut("sajatconfig")));
        qputenv("XDG_CONFIG_DIRS", QFile::encodeName(ut("xdg1") + ":" + ut("xdg2")));
        setValaszolo([](const UzenetKeres &) { return true; });
    }

    void programMappa_data()
    {
        QTest::addColumn<QString>("konyvtar");
        QTest::addColumn<QStringList>("mappak");   // made before the choice
        QTest::addColumn<bool>("atiranyitva");
        QTest::newRow("fordítás mappája") << "build/src/app" << QStringList{"build/src/app"} << false;
        // root may write /usr/bin, yet an installed program must not fill it
        QTest::newRow("telepítve") << "usr/bin" << QStringList{"usr/bin", "usr/share/dorvprg"} << true;
        QTest::newRow("bin, telepített fájlok nélkül") << "opt/bin" << QStringList{"opt/bin", "opt/share/masik"} << false;
        QTest::newRow("share/dorvprg, de nem bin") << "opt/dorvprg/prg"
                                                   << QStringList{"opt/dorvprg/prg", "opt/dorvprg/share/dorvprg"} << false;
    }
    void programMappa()
    {
        QFETCH(QString, konyvtar);
        QFETCH(QStringList, mappak);
        QFETCH(bool, atiranyitva);
        for (const QString &m : mappak)
            QVERIFY(QDir().mkpath(ut(m)));
        QDir(ut("adat")).removeRecursively();
        bool at = !atiranyitva;
        const QString m = ProgramMappaValaszt(ut(konyvtar) + "/", at);
        QCOMPARE(at, atiranyitva);
        QCOMPARE(m, atiranyitva ? ut("adat/DorvPrg") : ut(konyvtar));
        // the user's folder is there for the first write
        QCOMPARE(QFileInfo(ut("adat/DorvPrg")).isDir(), atiranyitva);
    }

    void nemIrhatoProgramMappa()
    {
        KisLemez lemez(ut("rom"));
        QVERIFY(lemez.rendben());
        QVERIFY(QDir().mkpath(ut("rom/bin")));
        QVERIFY(lemez.csakOlvashato());
        bool at = false;
        QCOMPARE(ProgramMappaValaszt(ut("rom/bin"), at), ut("adat/DorvPrg"));
        QVERIFY(at);
    }

    void sugo_data()
    {
        QTest::addColumn<QStringList>("oldalak");   // help pages present
        QTest::addColumn<QString>("vart");
        const QString prg = "s/usr/bin", sajat = "s/sajat";
        QTest::newRow("a program mappájában") << QStringList{sajat + "/Help/index.htm", prg + "/Help/index.htm"}
                                              << sajat + "/Help/index.htm";
        QTest::newRow("a program mellett") << QStringList{prg + "/Help/index.htm", "s/usr/share/dorvprg/Help/index.htm"}
                                           << prg + "/Help/index.htm";
        QTest::newRow("telepítve") << QStringList{"s/usr/share/dorvprg/Help/index.htm"}
                                   << "s/usr/share/dorvprg/Help/index.htm";
        // no page anywhere: the desktop gets the program folder's path and reports it missing
        QTest::newRow("sehol") << QStringList{} << sajat + "/Help/index.htm";
    }
    void sugo()
    {
        QFETCH(QStringList, oldalak);
        QFETCH(QString, vart);
        QDir(ut("s")).removeRecursively();
        QVERIFY(QDir().mkpath(ut("s/usr/share/dorvprg")));
        for (const QString &o : oldalak)
            QVERIFY(ir(ut(o), "<html></html>"));
        setProgramMappa(ut("s/sajat"), true);
        QCOMPARE(SugoFajl("index.htm", ut("s/usr/bin")), ut(vart));
    }

    // The administrator's default, read when the user has no DorvPrg.ini; never written.
    void rendszerAlapertek_data()
    {
        QTest::addColumn<QByteArray>("sajat");      // the user's DorvPrg.ini; "-" none
        QTest::addColumn<QString>("rendszer");      // where the administrator's file is
        QTest::addColumn<int>("allapot");
        QTest::addColumn<QString>("adatbazis");     // the database folder taken
        QTest::addColumn<QString>("olvasott");      // the file read
        QTest::newRow("nincs saját: a közös") << QByteArray("-") << "xdg2" << int(IniAllapot::Rendben) << "kozos" << "xdg2";
        QTest::newRow("az első rendszermappa előbb") << QByteArray("-") << "xdg1" << int(IniAllapot::Rendben) << "kozos"
                                                     << "xdg1";
        QTest::newRow("a saját nyer") << QByteArray("[Adatbazis]\r\nUtvonal=%k/sajatadat\r\n") << "xdg2"
                                      << int(IniAllapot::Rendben) << "sajatadat" << "prg";
        // the user's ~/.config is no administrator's default
        QTest::newRow("saját config mappa nem számít") << QByteArray("-") << "sajatconfig" << int(IniAllapot::Rendben)
                                                       << "prg/Data" << "prg";
        QTest::newRow("sérült közös") << QByteArray("-") << "xdg2:" << int(IniAllapot::Hibas) << "prg/Data" << "xdg2";
        QTest::newRow("közös, nem létező mappával") << QByteArray("-") << "xdg2:nincs" << int(IniAllapot::MappaVisszaallitva)
                                                    << "prg/Data" << "xdg2";
    }
    void rendszerAlapertek()
    {
        QFETCH(QByteArray, sajat);
        QFETCH(QString, rendszer);
        QFETCH(int, allapot);
        QFETCH(QString, adatbazis);
        QFETCH(QString, olvasott);
        for (const char *m : {"prg", "xdg1", "xdg2", "sajatconfig"})
            QDir(ut(m)).removeRecursively();
        for (const char *m : {"prg/Data", "kozos", "kozosarchiv", "sajatadat"})
            QVERIFY(QDir().mkpath(ut(m)));
        setProgramMappa(ut("prg"));
        const QString k = m_dir.path();
        if (sajat != "-")
            QVERIFY(ir(ut("prg/DorvPrg.ini"), QByteArray(sajat).replace("%k", QFile::encodeName(k))));
        // "xdg2:" an empty file, "xdg2:nincs" a folder that does not exist
        const QString hely = rendszer.section(':', 0, 0);
        QByteArray tartalom = "[Adatbazis]\r\nUtvonal=%k/kozos\r\n[Archiv]\r\nMentesUtvonal=%k/kozosarchiv\r\n";
        if (rendszer.endsWith(':'))
            tartalom.clear();
        else if (rendszer.endsWith(":nincs"))
            tartalom = "[Adatbazis]\r\nUtvonal=%k/nincs\r\n";
        const QString rendszerFajl = ut(hely + "/DorvPrg/DorvPrg.ini");
        QVERIFY(ir(rendszerFajl, tartalom.replace("%k", QFile::encodeName(k))));
        if (hely == "xdg1")   // a second default further down the list is not read
            QVERIFY(ir(ut("xdg2/DorvPrg/DorvPrg.ini"), "[Adatbazis]\r\nUtvonal=" + QFile::encodeName(ut("sajatadat")) + "\r\n"));
        const QByteArray rendszerElotte = olvas(rendszerFajl);

        QCOMPARE(int(BeallitasOlvas()), allapot);
        QCOMPARE(Beall.AdatbazisUtvonal, ut(adatbazis));
        QCOMPARE(OlvasottIniFajlUt(), olvasott == "prg" ? ut("prg/DorvPrg.ini") : ut(olvasott + "/DorvPrg/DorvPrg.ini"));
        if (adatbazis == "kozos")
            QCOMPARE(Beall.MentesUtvonal, ut("kozosarchiv"));

        // the close writes the user's own file and leaves the administrator's alone
        BeallitasIr(QRect(1, 2, 300, 200));
        QCOMPARE(olvas(rendszerFajl), rendszerElotte);
        QVERIFY(olvas(ut("prg/DorvPrg.ini")).contains("Utvonal=" + QFile::encodeName(ut(adatbazis)) + "\r\n"));
        QCOMPARE(int(BeallitasOlvas()), int(IniAllapot::Rendben));
        QCOMPARE(OlvasottIniFajlUt(), ut("prg/DorvPrg.ini"));
    }
};

QTEST_MAIN(TelepitesTeszt)
#include "tst_telepites.moc"
