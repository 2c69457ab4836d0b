#include "Adatbazis.h"
#include "ArchivIro.h"
#include "Beall.h"
#include "Export.h"
#include "Tabla.h"
#include "TesztKornyezet.h"
#include "Tfrm_Main.h"

#include <QDirIterator>
#include <QProcess>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTest>

namespace {

struct Futas {
    int kod = -1;
    QString ki, hiba;
};

QByteArray fajlOlvas(const QString &ut)
{
    QFile f(ut);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QStringList mindenFajl(const QString &mappa)
{
    QStringList l;
    QDirIterator it(mappa, QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext())
        l << QDir(mappa).relativeFilePath(it.next());
    l.sort();
    return l;
}

// Letters of both kinds with texts that need quoting and accents.
void levelek()
{
    Adatbazis::vegrehajt("INSERT INTO marka (marka, marka_nev) VALUES (1, 'Škoda \"Octavia\"')");
    Adatbazis::vegrehajt("INSERT INTO ugyfel (ugyfel, ugyfel_nev) VALUES (1, 'Őry; Ödön, ''ifj.''')");
    Adatbazis::Tranzakcio t;
    for (int i = 1; i <= 12; ++i)
        Adatbazis::vegrehajt("INSERT INTO doksi (doksi_id, prntip, datum, marka, ugyfel, rendszam, sorozatszam) "
                             "VALUES (?, ?, '2026-03-04', 1, 1, ?, 'GY-7')",
                             {i, i % 3 ? "J" : "S", QString("ABC-%1").arg(i)});
    t.commit();
}

} // namespace

// The window-less forms, run as the built program in a program folder of its own.
class ParancssorTeszt : public QObject {
    Q_OBJECT

    QString m_bin;

    // The program copied beside the test's Data folder: it takes its ini file from there.
    Futas futtat(const TesztKornyezet &k, const QStringList &arg)
    {
        const QString prog = QDir(k.programMappa()).filePath("dorvprg");
        if (!QFile::exists(prog))
            QFile::copy(m_bin, prog);
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "offscreen");
        env.insert("XDG_RUNTIME_DIR", k.programMappa());
        p.setProcessEnvironment(env);
        p.setWorkingDirectory(k.programMappa());
        p.start(prog, arg);
        Futas f;
        if (!p.waitForFinished(120000))
            return f;
        f.kod = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
        f.ki = QString::fromUtf8(p.readAllStandardOutput());
        f.hiba = QString::fromUtf8(p.readAllStandardError());
        return f;
    }

private slots:
    void initTestCase()
    {
        m_bin = qEnvironmentVariable("DORVPRG_TEST_BIN");
        QVERIFY2(QFileInfo(m_bin).isExecutable(), "DORVPRG_TEST_BIN does not name the built program");
    }

    void archiv()
    {
        TesztKornyezet k;
        levelek();
        QDir().mkpath(k.adatMappa() + "/Dok");
        QFile d(k.adatMappa() + "/Dok/szamla.txt");
        QVERIFY(d.open(QIODevice::WriteOnly));
        d.write("csatolt dokumentum");
        d.close();

        const Futas f = futtat(k, {"--archive"});
        QVERIFY2(f.kod == 0, qPrintable(f.hiba));
        const QString zip = QDir(k.programMappa()).filePath("Archiv/" + ArchivNev());
        QVERIFY2(f.ki.contains("Archív állomány kész: " + zip), qPrintable(f.ki));
        QProcess t;
        t.start("unzip", {"-t", zip});
        QVERIFY(t.waitForFinished());
        QCOMPARE(t.exitCode(), 0);
        QProcess l;
        l.start("unzip", {"-Z1", zip});
        QVERIFY(l.waitForFinished());
        QStringList nevek = QString::fromUtf8(l.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
        nevek.sort();
        QCOMPARE(nevek, mindenFajl(k.adatMappa()));
        // the reminder at close knows about it
        Beall.MentesDatum = {};
        BeallitasOlvas();
        QCOMPARE(Beall.MentesDatum, QDate::currentDate());

        // a name given without extension gets .zip, as in the save dialog
        const Futas g = futtat(k, {"--archive", QDir(k.programMappa()).filePath("kezi")});
        QVERIFY2(g.kod == 0, qPrintable(g.hiba));
        QVERIFY(QFileInfo::exists(QDir(k.programMappa()).filePath("kezi.zip")));
    }

    void exportAblakkalAzonos_data()
    {
        QTest::addColumn<QString>("nezet");
        QTest::addColumn<QStringList>("opciok");
        QTest::addColumn<QString>("elvalaszto");
        QTest::addColumn<QString>("jelolo");
        QTest::newRow("J, alapértelmezés") << "J" << QStringList{} << ";" << "\"";
        QTest::newRow("S, tab, aposztróf") << "S" << QStringList{"--separator", "tab", "--qualifier", "'"} << "\t" << "'";
        QTest::newRow("J, vessző, semmi") << "J" << QStringList{"--qualifier", "none", "--separator", ","} << "," << "";
    }

    // Byte for byte what the export writes from the main window's letter list.
    void exportAblakkalAzonos()
    {
        QFETCH(QString, nezet);
        QFETCH(QStringList, opciok);
        QFETCH(QString, elvalaszto);
        QFETCH(QString, jelolo);
        TesztKornyezet k;
        levelek();
        const QString vart = QDir(k.programMappa()).filePath("ablak.csv");
        {
            Tfrm_Main w;
            QVERIFY(w.inditas());
            w.TabSet1()->setCurrentIndex(nezet == "S" ? 1 : 0);
            HataroltIr(w.Tbl(), vart, elvalaszto, jelolo.isEmpty() ? QChar() : jelolo[0]);
        }
        const QString fajl = QDir(k.programMappa()).filePath("parancs.csv");
        const Futas f = futtat(k, QStringList{"--export", nezet, fajl} + opciok);
        QVERIFY2(f.kod == 0, qPrintable(f.hiba));
        const int sorok = nezet == "S" ? 4 : 8;
        QVERIFY2(f.ki.contains(QString("Exportálva: %1 levél").arg(sorok)), qPrintable(f.ki));
        const QByteArray b = fajlOlvas(fajl);
        QCOMPARE(b.count("\r\n"), sorok + 1);
        QCOMPARE(b, fajlOlvas(vart));
    }

    void pdf_data()
    {
        QTest::addColumn<QStringList>("forma");   // FORM and KEY (%k: the key of letter 3 'S')
        QTest::addColumn<QStringList>("szovegben");
        QTest::newRow("javítási megrendelő") << QStringList{"javitas", "%k"} << QStringList{"00003", "ABC-3", "Őry; Ödön"};
        QTest::newRow("jótállási jegy") << QStringList{"szereles", "%k"} << QStringList{"00003", "ABC-3", "Škoda \"Octavia\""};
        QTest::newRow("szerelői lap") << QStringList{"szerelo", "%k"} << QStringList{"00003", "ABC-3"};
        QTest::newRow("lista S") << QStringList{"lista", "S"} << QStringList{"ABC-3", "ABC-6", "ABC-9", "ABC-12"};
    }

    // The printout saved as PDF holds the letter's number and data.
    void pdf()
    {
        QFETCH(QStringList, forma);
        QFETCH(QStringList, szovegben);
        TesztKornyezet k;
        levelek();
        const QString kulcs = Adatbazis::ertek("SELECT doksi FROM doksi WHERE doksi_id = 3 AND prntip = 'S'").toString();
        forma.replaceInStrings("%k", kulcs);
        Adatbazis::bezar();
        const QString fajl = QDir(k.programMappa()).filePath("ki.pdf");
        const Futas f = futtat(k, QStringList{"--pdf"} + forma + QStringList{fajl});
        QVERIFY2(f.kod == 0, qPrintable(f.hiba));
        QVERIFY2(f.ki.startsWith("PDF kész: " + fajl), qPrintable(f.ki));
        QProcess p;
        p.start("pdftotext", {"-layout", fajl, "-"});
        QVERIFY(p.waitForFinished(60000));
        const QString szoveg = QString::fromUtf8(p.readAllStandardOutput());
        for (const QString &s : szovegben)
            QVERIFY2(szoveg.contains(s), qPrintable(s + " is missing from:\n" + szoveg));
        if (forma.first() == "lista")
            QVERIFY(!szoveg.contains("ABC-1 ") && !szoveg.contains("ABC-2 "));   // only kind S
    }

    // A one-line message, a non-zero exit, and nothing written.
    void hibak_data()
    {
        QTest::addColumn<QStringList>("arg");
        QTest::addColumn<int>("kod");
        QTest::addColumn<QString>("uzenetben");
        QTest::newRow("ismeretlen forma") << QStringList{"--nincs-ilyen"} << 2 << "Ismeretlen forma";
        QTest::newRow("export argumentum nélkül") << QStringList{"--export"} << 2 << "Hiányzó argumentum";
        QTest::newRow("export fájl nélkül") << QStringList{"--export", "J"} << 2 << "Hiányzó argumentum";
        QTest::newRow("rossz nézet") << QStringList{"--export", "X", "%1/a.csv"} << 2 << "Hibás argumentum";
        QTest::newRow("rossz határoló") << QStringList{"--export", "J", "%1/a.csv", "--separator", "|"} << 2
                                        << "Ismeretlen határoló";
        QTest::newRow("rossz jelölő") << QStringList{"--export", "J", "%1/a.csv", "--qualifier", "x"} << 2
                                      << "Ismeretlen szövegjelölő";
        QTest::newRow("opció érték nélkül") << QStringList{"--export", "J", "%1/a.csv", "--separator"} << 2
                                            << "Hiányzik az opció értéke";
        QTest::newRow("export nem írható helyre") << QStringList{"--export", "J", "%1/nincs/a.csv"} << 1 << "a.csv";
        QTest::newRow("ismeretlen nyomtatvány") << QStringList{"--pdf", "szamla", "1", "%1/a.pdf"} << 2
                                                << "Ismeretlen nyomtatvány";
        QTest::newRow("pdf fájl nélkül") << QStringList{"--pdf", "javitas", "1"} << 2 << "Hiányzó argumentum";
        QTest::newRow("nem létező kulcs") << QStringList{"--pdf", "javitas", "999", "%1/a.pdf"} << 1
                                          << "Nincs levél ezzel a kulccsal: 999";
        QTest::newRow("kulcs nem szám") << QStringList{"--pdf", "jotallas", "x1", "%1/a.pdf"} << 2 << "Hibás kulcs";
        QTest::newRow("lista rossz nézettel") << QStringList{"--pdf", "lista", "Q", "%1/a.pdf"} << 2 << "Hibás nézet";
        QTest::newRow("pdf nem írható helyre") << QStringList{"--pdf", "lista", "J", "%1/nincs/a.pdf"} << 1
                                               << "A PDF fájl nem írható";
        QTest::newRow("archív nem írható helyre") << QStringList{"--archive", "%1/nincs/a.zip"} << 1 << "nincs";
        QTest::newRow("archív két fájllal") << QStringList{"--archive", "a.zip", "b.zip"} << 2 << "Túl sok argumentum";
        QTest::newRow("mappa adatbázis nélkül") << QStringList{"--data", "%1/ures", "--archive"} << 1
                                                << "A mappában nincs adatbázis";
        QTest::newRow("nem létező mappa") << QStringList{"--data", "%1/sehol", "--export", "J", "%1/a.csv"} << 1
                                          << "Nem létező adatbázis mappa";
    }

    void hibak()
    {
        QFETCH(QStringList, arg);
        QFETCH(int, kod);
        QFETCH(QString, uzenetben);
        TesztKornyezet k;
        Adatbazis::bezar();
        QDir().mkpath(QDir(k.programMappa()).filePath("ures"));
        for (QString &a : arg)
            a.replace("%1", k.programMappa());
        const QDateTime modositva = QFileInfo(QDir(k.adatMappa()).filePath(Adatbazis::FAJLNEV)).lastModified();
        const QStringList elotte = mindenFajl(k.programMappa());

        const Futas f = futtat(k, arg);
        QCOMPARE(f.kod, kod);
        QVERIFY2(f.hiba.contains(uzenetben), qPrintable(f.hiba));
        QCOMPARE(f.hiba.count('\n'), 1);
        QVERIFY(f.ki.isEmpty());
        QStringList utana = mindenFajl(k.programMappa());
        utana.removeAll("dorvprg");
        QCOMPARE(utana, elotte);   // no ini, no archive, no export, no database created
        QCOMPARE(QFileInfo(QDir(k.adatMappa()).filePath(Adatbazis::FAJLNEV)).lastModified(), modositva);
    }
};

QTEST_MAIN(ParancssorTeszt)
#include "tst_parancssor.moc"
