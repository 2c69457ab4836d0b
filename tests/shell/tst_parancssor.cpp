#include "Adatbazis.h"
#include "ArchivIro.h"
#include "Beall.h"
#include "Export.h"
#include "Tabla.h"
#include "LevelezoHelyettes.h"
#include "TesztKornyezet.h"
#include "Tfrm_Main.h"

#include <QDirIterator>
#include <QProcess>
#include <QRandomGenerator>
#include <QScopeGuard>
#include <QSettings>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

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

void fajlIr(const QString &ut, const QByteArray &tartalom)
{
    QDir().mkpath(QFileInfo(ut).absolutePath());
    QFile f(ut);
    QVERIFY2(f.open(QIODevice::WriteOnly) && f.write(tartalom) == tartalom.size() && f.flush(), qPrintable(ut));
}

QByteArray veletlen(int n)
{
    QByteArray b(n, Qt::Uninitialized);
    for (int i = 0; i < n; ++i)
        b[i] = char(QRandomGenerator::global()->bounded(256));
    return b;
}

int parancs(const QString &prog, const QStringList &arg)
{
    QProcess p;
    p.start(prog, arg);
    return p.waitForFinished(60000) && p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
}

// Fills the folder's file system to the last byte.
bool feltolt(const QString &mappa)
{
    QFile f(QDir(mappa).filePath("tolto.bin"));
    if (!f.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return false;
    const QByteArray b(4096, 'x');
    while (f.write(b) == b.size()) {
    }
    while (f.write(b.left(1)) == 1) {
    }
    return f.error() != QFileDevice::NoError;
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
    // program: run instead of the copy in its folder (a shell that hands it raw bytes)
    void indit(QProcess &p, const TesztKornyezet &k, const QStringList &arg, bool kijelzo = true,
               const QString &program = {})
    {
        const QString prog = QDir(k.programMappa()).filePath("dorvprg");
        if (!QFile::exists(prog))
            QFile::copy(m_bin, prog);
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "offscreen");
        env.insert("XDG_RUNTIME_DIR", k.programMappa());
        if (!kijelzo)   // as from cron or ssh: no display and no platform chosen
            for (const char *v : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"})
                env.remove(v);
        p.setProcessEnvironment(env);
        p.setWorkingDirectory(k.programMappa());
        p.start(program.isEmpty() ? prog : program, arg);
    }

    Futas futtat(const TesztKornyezet &k, const QStringList &arg, bool kijelzo = true)
    {
        QProcess p;
        indit(p, k, arg, kijelzo);
        return vege(p);
    }

    static Futas vege(QProcess &p)
    {
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
        QVERIFY(nevek.removeAll(".dorvprg-archiv/leiras.json") == 1);   // the program's own description
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

    void ellenorzes_data()
    {
        QTest::addColumn<QString>("mit");
        QTest::addColumn<int>("kod");
        QTest::addColumn<QStringList>("szovegek");
        QTest::newRow("a program archívuma") << "sajat" << 0 << QStringList{"rendben", "levelek: J: 8, S: 4", "leírása egyezik"};
        QTest::newRow("leírás átírva") << "leiras" << 1 << QStringList{"doksi táblájában 12 sor van, a leírása szerint 13"};
        QTest::newRow("kézzel, zip-pel") << "zip" << 0 << QStringList{"rendben", "levelek: J: 8, S: 4", "nincs leírás"};
        QTest::newRow("egy bájt átírva") << "serult" << 1 << QStringList{"sérült"};
        QTest::newRow("csonka") << "csonka" << 1 << QStringList{"nem olvasható"};
        QTest::newRow("nem ZIP") << "szoveg" << 1 << QStringList{"nem olvasható"};
        QTest::newRow("adatbázis nélkül") << "ures" << 1 << QStringList{"nincs adatbázis"};
        QTest::newRow("kilépő név") << "kilepo" << 1 << QStringList{"nem biztonságos", "../kint.txt"};
        QTest::newRow("újabb program") << "ujabb" << 1 << QStringList{"újabb program készítette"};
    }

    // --verify: a sound archive told with what it holds, anything else refused on one line
    // with exit 1; the archive itself is never changed.
    void ellenorzes()
    {
        QFETCH(QString, mit);
        QFETCH(int, kod);
        QFETCH(QStringList, szovegek);
        TesztKornyezet k;
        levelek();
        const QString zip = QDir(k.programMappa()).filePath("a.zip");
        auto archival = [&] {
            const Futas a = futtat(k, {"--archive", zip});
            QVERIFY2(a.kod == 0, qPrintable(a.hiba));
        };
        auto zipTool = [&](const QString &mappa, const QStringList &fajlok) {
            QProcess z;
            z.setWorkingDirectory(mappa);
            z.start("zip", QStringList{"-q", "-r", zip} + fajlok);
            QVERIFY(z.waitForFinished() && z.exitCode() == 0);
        };
        if (mit == "leiras") {
            archival();
            QProcess p;
            p.start("unzip", {"-p", zip, ".dorvprg-archiv/leiras.json"});
            QVERIFY(p.waitForFinished() && p.exitCode() == 0);
            QByteArray l = p.readAllStandardOutput();
            QVERIFY(l.contains("\"doksi\": 12"));
            l.replace("\"doksi\": 12", "\"doksi\": 13");
            fajlIr(k.programMappa() + "/m/.dorvprg-archiv/leiras.json", l);
            zipTool(k.programMappa() + "/m", {".dorvprg-archiv/leiras.json"});
        } else if (mit == "sajat" || mit == "serult" || mit == "csonka") {
            archival();
            QByteArray b = fajlOlvas(zip);
            if (mit == "serult")
                b[b.size() / 2] = char(b[b.size() / 2] ^ 0x40);
            if (mit == "csonka")
                b.chop(b.size() / 3);
            fajlIr(zip, b);
        } else if (mit == "zip") {
            Adatbazis::bezar();
            zipTool(k.adatMappa(), {"."});
        } else if (mit == "szoveg") {
            fajlIr(zip, "nem archívum\n");
        } else if (mit == "ures" || mit == "kilepo") {
            fajlIr(k.programMappa() + "/kint.txt", "x");
            fajlIr(k.programMappa() + "/belul/s1.txt", "x");
            zipTool(k.programMappa() + "/belul", {mit == "ures" ? "s1.txt" : "../kint.txt"});
        } else if (mit == "ujabb") {
            Adatbazis::vegrehajt("UPDATE meta SET ertek = '999' WHERE kulcs = 'verzio'");
            Adatbazis::bezar();
            zipTool(k.adatMappa(), {Adatbazis::FAJLNEV});
        }
        const QByteArray elotte = fajlOlvas(zip);
        const Futas f = futtat(k, {"--verify", zip});
        QVERIFY2(f.kod == kod, qPrintable(f.ki + f.hiba));
        const QString kimenet = kod == 0 ? f.ki : f.hiba;
        if (kod != 0)
            QVERIFY2(f.hiba.count('\n') == 1 && f.ki.isEmpty(), qPrintable(f.ki + f.hiba));
        for (const QString &sz : szovegek)
            QVERIFY2(kimenet.contains(sz), qPrintable(sz + " / " + kimenet));
        QCOMPARE(fajlOlvas(zip), elotte);
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

    // --email: the printout's PDF handed to the mail program with the customer's address;
    // without one a message naming the PDF and exit code 1
    void email_data()
    {
        QTest::addColumn<int>("mod");
        QTest::newRow("levelezővel") << int(LevelezoHelyettes::Rendben);
        QTest::newRow("xdg-email nélkül") << int(LevelezoHelyettes::Hianyzik);
    }
    void email()
    {
        QFETCH(int, mod);
        TesztKornyezet k;
        LevelezoHelyettes h{LevelezoHelyettes::Mod(mod)};
        levelek();
        Adatbazis::vegrehajt("UPDATE ugyfel SET emil = 'ory.odon@pelda.hu'");
        const QString kulcs = Adatbazis::ertek("SELECT doksi FROM doksi WHERE doksi_id = 3 AND prntip = 'S'").toString();
        Adatbazis::bezar();
        const Futas f = futtat(k, {"--email", "javitas", kulcs});
        const QString pdf = QDir(h.mellekletMappa()).filePath("Javitasra_hozott_gepkocsi_megrendelolap_S00003.pdf");
        QVERIFY(QFileInfo::exists(pdf));
        QProcess p;
        p.start("pdftotext", {pdf, "-"});
        QVERIFY(p.waitForFinished(60000));
        QVERIFY(QString::fromUtf8(p.readAllStandardOutput()).contains("ABC-3"));
        if (mod == LevelezoHelyettes::Hianyzik) {
            QCOMPARE(f.kod, 1);
            QVERIFY2(f.hiba.startsWith("Nem található levelezőprogram") && f.hiba.contains(pdf), qPrintable(f.hiba));
            return;
        }
        QVERIFY2(f.kod == 0, qPrintable(f.hiba));
        QCOMPARE(f.ki, "Levél átadva a levelezőprogramnak: ory.odon@pelda.hu, melléklet: " + pdf + "\n");
        QCOMPARE(h.opcio("--attach"), pdf);
        QCOMPARE(h.cimek(), QStringList{"ory.odon@pelda.hu"});
        QCOMPARE(h.opcio("--subject"), QString("Javításra hozott gépkocsi megrendelőlap - S00003"));
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
                                               << "Nem írható a fájl";
        QTest::newRow("archív nem írható helyre") << QStringList{"--archive", "%1/nincs/a.zip"} << 1 << "nincs";
        QTest::newRow("archív két fájllal") << QStringList{"--archive", "a.zip", "b.zip"} << 2 << "Túl sok argumentum";
        QTest::newRow("archív üres névvel") << QStringList{"--archive", ""} << 2 << "Üres fájlnév";
        QTest::newRow("archív eszközre") << QStringList{"--archive", "/dev/full"} << 1 << "nem közönséges fájl";
        QTest::newRow("mappa adatbázis nélkül") << QStringList{"--data", "%1/ures", "--archive"} << 1
                                                << "A mappában nincs adatbázis";
        QTest::newRow("nem létező mappa") << QStringList{"--data", "%1/sehol", "--export", "J", "%1/a.csv"} << 1
                                          << "Nem létező adatbázis mappa";
        QTest::newRow("üres --data") << QStringList{"--data", "", "--export", "J", "%1/a.csv"} << 2
                                     << "Üres mappanév a --data után";
        QTest::newRow("import két mappával") << QStringList{"--import-paradox", "%1/ures", "%1/masik"} << 2
                                             << "Túl sok argumentum";
    }

    void fajlnevBajtjai_data()
    {
        QTest::addColumn<QString>("argumentumok");   // for sh: printf makes the raw bytes
        QTest::addColumn<QString>("vartNev");        // the file written; empty: refused
        QTest::addColumn<QString>("uzenetben");
        QTest::newRow("nem UTF-8 fájlnév") << "--export J \"$(printf 'bad\\377.csv')\"" << "" << "bad\\xFF.csv";
        QTest::newRow("nem UTF-8 mappa") << "--data \"$(printf 'Dat\\341')\" --export J a.csv" << "" << "Dat\\xE1";
        QTest::newRow("1250-en kívüli név") << "--export J 'ø-Ж.csv'" << "ø-Ж.csv" << "ø-Ж.csv";
    }

    // Arguments are bytes: one the program cannot hand back unchanged is refused (exit 2,
    // nothing written) instead of naming another file; any valid name is written as given.
    void fajlnevBajtjai()
    {
        QFETCH(QString, argumentumok);
        QFETCH(QString, vartNev);
        QFETCH(QString, uzenetben);
        TesztKornyezet k;
        levelek();
        Adatbazis::bezar();
        futtat(k, {"--help"});   // the program copied into its folder
        const QStringList elotte = mindenFajl(k.programMappa());
        QProcess p;
        indit(p, k, {"-c", "exec ./dorvprg " + argumentumok}, true, "/bin/sh");
        const Futas f = vege(p);
        QStringList utana = mindenFajl(k.programMappa());
        if (vartNev.isEmpty()) {
            QCOMPARE(f.kod, 2);
            QVERIFY2(f.hiba.contains("nem érvényes UTF-8") && f.hiba.contains(uzenetben), qPrintable(f.hiba));
            QCOMPARE(f.hiba.count('\n'), 1);
            QCOMPARE(utana, elotte);
            return;
        }
        QVERIFY2(f.kod == 0, qPrintable(f.hiba));
        QVERIFY2(f.ki.contains(QDir(k.programMappa()).filePath(vartNev)), qPrintable(f.ki));
        QCOMPARE(utana, QStringList(elotte) << vartNev);
        QCOMPARE(fajlOlvas(QDir(k.programMappa()).filePath(vartNev)).count("\r\n"), 9);
    }

    // A scheduled archive while the window is open: the close neither asks for an archive nor
    // writes back the older date it read at start.
    void archivNyitottAblakMellett()
    {
        TesztKornyezet k;
        levelek();
        Adatbazis::bezar();
        Beall.MentesDatum = QDate::currentDate().addDays(-9);
        BeallitasIr(QRect(5, 5, 640, 400));
        k.valaszok({false});   // a question would be wrong; No keeps it from archiving again
        Tfrm_Main w;
        QVERIFY(w.inditas());
        QCOMPARE(Beall.MentesDatum, QDate::currentDate().addDays(-9));
        const Futas f = futtat(k, {"--archive"});
        QVERIFY2(f.kod == 0, qPrintable(f.hiba));
        QVERIFY(w.close());
        QCOMPARE(k.szovegek(), QStringList{});
        QSettings ini(IniFajlUt(), QSettings::IniFormat);
        QCOMPARE(ini.value("Archiv/MentesDatum").toString(), QDate::currentDate().toString("yyyy.MM.dd."));
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

    void kijelzoNelkul_data()
    {
        QTest::addColumn<QStringList>("arg");
        QTest::addColumn<int>("kod");
        QTest::addColumn<QString>("kimenetben");   // on stdout for 0, on stderr otherwise
        QTest::newRow("-h") << QStringList{"-h"} << 0 << "Használat: dorvprg";
        QTest::newRow("--help") << QStringList{"--help"} << 0 << "--archive [FÁJL]";
        QTest::newRow("ismeretlen szó") << QStringList{"foo"} << 2 << "Ismeretlen forma: foo";
        QTest::newRow("Qt kapcsolója") << QStringList{"-platform", "xcb"} << 2 << "Ismeretlen forma: -platform";
        QTest::newRow("mappa forma nélkül") << QStringList{"--data", "x"} << 2 << "Használat: dorvprg";
    }

    // Without a display every argument runs the window-less path: no abort, the usage or a
    // one-line refusal.
    void kijelzoNelkul()
    {
        QFETCH(QStringList, arg);
        QFETCH(int, kod);
        QFETCH(QString, kimenetben);
        TesztKornyezet k(false);
        const Futas f = futtat(k, arg, false);
        QCOMPARE(f.kod, kod);
        QVERIFY2((kod == 0 ? f.ki : f.ki + f.hiba).contains(kimenetben), qPrintable(f.ki + f.hiba));
        if (kod == 0)
            QVERIFY2(f.hiba.isEmpty(), qPrintable(f.hiba));
    }

    void inibenNincsMappa_data()
    {
        QTest::addColumn<QStringList>("arg");
        QTest::newRow("archív") << QStringList{"--archive"};
        QTest::newRow("archív fájlba") << QStringList{"--archive", "%1/a.zip"};
        QTest::newRow("export") << QStringList{"--export", "J", "%1/a.csv"};
    }

    // DorvPrg.ini names a database folder that is gone: the default Data folder is not taken
    // instead; nothing is written and no archive date recorded.
    void inibenNincsMappa()
    {
        QFETCH(QStringList, arg);
        TesztKornyezet k;
        levelek();
        Adatbazis::bezar();
        Beall.AdatbazisUtvonal = QDir(k.programMappa()).filePath("elkoltozott");
        Beall.MentesDatum = QDate::currentDate().addDays(-9);
        BeallitasIr(QRect(5, 5, 640, 400));
        const QByteArray ini = fajlOlvas(IniFajlUt());
        const QStringList elotte = mindenFajl(k.programMappa());
        arg.replaceInStrings("%1", k.programMappa());

        const Futas f = futtat(k, arg);
        QCOMPARE(f.kod, 1);
        QVERIFY2(f.hiba.startsWith("Nem létező adatbázis mappa a beállításokban"), qPrintable(f.hiba));
        QCOMPARE(f.hiba.count('\n'), 1);
        QStringList utana = mindenFajl(k.programMappa());
        utana.removeAll("dorvprg");
        QCOMPARE(utana, elotte);
        QCOMPARE(fajlOlvas(IniFajlUt()), ini);

        // the folder given with --data still works
        const Futas g = futtat(k, QStringList{"--data", k.adatMappa()} + arg);
        QVERIFY2(g.kod == 0, qPrintable(g.hiba));
    }

    void archivIrasHiba_data()
    {
        QTest::addColumn<QString>("eset");
        QTest::addColumn<QString>("uzenetben");
        QTest::newRow("előre megtelt lemez") << "tele" << "Megtelt a lemez";
        QTest::newRow("írásvédett mappa") << "irasvedett" << "Read-only file system";
        QTest::newRow("eszköz az archív helyén") << "eszkoz" << "nem közönséges fájl";
    }

    // A failed archive: one line on stderr, exit 1, the earlier archive byte for byte, nothing
    // else left in its folder, no date in DorvPrg.ini.
    void archivIrasHiba()
    {
        QFETCH(QString, eset);
        QFETCH(QString, uzenetben);
        if (geteuid() != 0)
            QSKIP("the tmpfs mount needs root");
        TesztKornyezet k;
        levelek();
        Adatbazis::bezar();
        Beall.MentesDatum = QDate::currentDate().addDays(-9);
        BeallitasIr(QRect(5, 5, 640, 400));
        const QByteArray ini = fajlOlvas(IniFajlUt());
        const QString archiv = QDir(k.programMappa()).filePath("Archiv");
        QVERIFY(QDir().mkpath(archiv));
        const QString cel = QDir(archiv).filePath(ArchivNev());
        QCOMPARE(parancs("mount", {"-t", "tmpfs", "-o", "size=1m", "tmpfs", archiv}), 0);
        auto leszerel = qScopeGuard([&] { parancs("umount", {archiv}); });
        const QByteArray korabbi = "egy korabbi archivum" + QByteArray(20000, 'x');
        if (eset != "eszkoz") {
            fajlIr(cel, korabbi);
        } else {
            // /dev/full named as the archive: a rename would put the archive in its place
            QCOMPARE(::mknod(QFile::encodeName(cel).constData(), S_IFCHR | 0666, makedev(1, 7)), 0);
        }
        if (eset == "tele")
            QVERIFY(feltolt(archiv));
        if (eset == "irasvedett")
            QCOMPARE(parancs("mount", {"-o", "remount,ro", archiv}), 0);
        const QStringList elotte = QDir(archiv).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);

        const Futas f = futtat(k, {"--archive"});
        QCOMPARE(f.kod, 1);
        QVERIFY2(f.hiba.contains(uzenetben), qPrintable(f.hiba));
        QCOMPARE(f.hiba.count('\n'), 1);
        QVERIFY(f.ki.isEmpty());
        QCOMPARE(QDir(archiv).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), elotte);
        if (eset == "eszkoz")
            QVERIFY(QFileInfo(cel).exists() && !QFileInfo(cel).isFile());
        else
            QCOMPARE(fajlOlvas(cel), korabbi);
        QCOMPARE(fajlOlvas(IniFajlUt()), ini);
    }

    // The report line of a finished archive that cannot be written (stdout on a full disk)
    // is a failure as well.
    void kimenetNemIrhato()
    {
        TesztKornyezet k;
        Adatbazis::bezar();
        QProcess p;
        p.setStandardOutputFile("/dev/full");
        indit(p, k, {"--archive", QDir(k.programMappa()).filePath("a.zip")});
        const Futas f = vege(p);
        QCOMPARE(f.kod, 1);
        QVERIFY2(f.hiba.contains("A kimenet nem írható"), qPrintable(f.hiba));
        QCOMPARE(f.hiba.count('\n'), 1);
    }

    void regiszterFajlra_data()
    {
        QTest::addColumn<QString>("cel");    // relative to the program folder, its working folder
        QTest::addColumn<QString>("link");   // made a link to the database first
        QTest::newRow("az adatbázis") << "Data/dorvprg.db" << "";
        QTest::newRow("kerülő úton") << "./Data/../Data/dorvprg.db" << "";
        QTest::newRow("szimbolikus link") << "mentes.zip" << "szimbolikus";
        QTest::newRow("kemény link") << "mentes.zip" << "kemeny";
        QTest::newRow("nyomtatott szöveg") << "Data/s2.txt" << "";
        QTest::newRow("még nem létező DorvPrg.ini") << "DorvPrg.ini" << "";
    }

    // An archive is never written onto one of the register's own files, however named.
    void regiszterFajlra()
    {
        QFETCH(QString, cel);
        QFETCH(QString, link);
        TesztKornyezet k;
        levelek();
        Adatbazis::bezar();
        const QString db = QDir(k.adatMappa()).filePath(Adatbazis::FAJLNEV);
        const QString celUt = QDir(k.programMappa()).filePath(cel);
        if (link == "szimbolikus")
            QVERIFY(QFile::link(db, celUt));
        if (link == "kemeny")
            QCOMPARE(::link(QFile::encodeName(db).constData(), QFile::encodeName(celUt).constData()), 0);
        const QByteArray adatbazis = fajlOlvas(db);
        const QByteArray szoveg = fajlOlvas(k.adatMappa() + "/s2.txt");
        const QStringList elotte = mindenFajl(k.programMappa());

        const Futas f = futtat(k, {"--archive", cel});
        QCOMPARE(f.kod, 1);
        QVERIFY2(f.hiba.startsWith("A program saját fájlja nem írható felül"), qPrintable(f.hiba));
        QCOMPARE(f.hiba.count('\n'), 1);
        QCOMPARE(fajlOlvas(db), adatbazis);
        QCOMPARE(fajlOlvas(k.adatMappa() + "/s2.txt"), szoveg);
        QStringList utana = mindenFajl(k.programMappa());
        utana.removeAll("dorvprg");
        QCOMPARE(utana, elotte);
        if (link == "szimbolikus")
            QVERIFY(QFileInfo(celUt).isSymLink());
    }

    // An archive killed half-way leaves its locked work folder; the next archive removes it,
    // leaves alone the one another running archive holds, and packs neither.
    void megszakitottArchivum()
    {
        TesztKornyezet k;
        for (int i = 0; i < 4; ++i)
            fajlIr(QString("%1/Dok/nagy%2.bin").arg(k.adatMappa()).arg(i), veletlen(10 << 20));
        Adatbazis::bezar();
        const QString cel = QDir(k.adatMappa()).filePath("kesz.zip");
        QProcess p;
        indit(p, k, {"--archive", cel});
        // killed once its work folder holds a good part of an archive
        QString munka;
        while (munka.isEmpty() && !p.waitForFinished(5)) {
            for (const QFileInfo &m : QDir(k.adatMappa()).entryInfoList({".kesz.zip.archiv-*"}, QDir::Dirs | QDir::Hidden))
                for (const QFileInfo &f : QDir(m.filePath()).entryInfoList(QDir::Files | QDir::Hidden))
                    if (f.size() > (4 << 20))
                        munka = m.filePath();
        }
        QVERIFY2(!munka.isEmpty(), "the archive ended before it could be killed");
        p.kill();
        QVERIFY(p.waitForFinished());
        QVERIFY(QFileInfo(munka).isDir());
        QVERIFY(!QFileInfo::exists(cel));

        // another program's archive being written: its folder is locked
        const QString masik = QDir(k.adatMappa()).filePath(".masik.zip.archiv-Ab12Cd");
        QVERIFY(QDir().mkpath(masik));
        fajlIr(masik + "/archiv.zip.Qw3rTy", "egy futo archivum resze");
        const int zar = ::open(QFile::encodeName(masik).constData(), O_RDONLY | O_DIRECTORY);
        QVERIFY(zar >= 0);
        auto elenged = qScopeGuard([zar] { ::close(zar); });
        QCOMPARE(::flock(zar, LOCK_EX), 0);
        // a file that only looks like a work folder is the user's
        const QString hasonlo = QDir(k.adatMappa()).filePath(".kesz.zip.archiv-QwErTy");
        fajlIr(hasonlo, "nem munkamappa");

        const Futas f = futtat(k, {"--archive", cel});
        QVERIFY2(f.kod == 0, qPrintable(f.hiba));
        QVERIFY(!QFileInfo::exists(munka));
        QCOMPARE(fajlOlvas(masik + "/archiv.zip.Qw3rTy"), QByteArray("egy futo archivum resze"));
        QVERIFY(QFileInfo::exists(hasonlo));
        QProcess l;
        l.start("unzip", {"-Z1", cel});
        QVERIFY(l.waitForFinished());
        QStringList nevek = QString::fromUtf8(l.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
        QVERIFY(nevek.removeAll(".dorvprg-archiv/leiras.json") == 1);   // the program's own description
        nevek.sort();
        QStringList vart = mindenFajl(k.adatMappa());
        vart.removeAll("kesz.zip");
        vart.removeAll(".masik.zip.archiv-Ab12Cd/archiv.zip.Qw3rTy");
        QCOMPARE(nevek, vart);
        QVERIFY(vart.contains(".kesz.zip.archiv-QwErTy"));
    }
};

QTEST_MAIN(ParancssorTeszt)
#include "tst_parancssor.moc"
