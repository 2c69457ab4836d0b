#include "Adatbazis.h"
#include "ArchivLeiras.h"
#include "ArchivVisszaallito.h"
#include "Beall.h"
#include "ProgramFutas.h"
#include "RegiszterZar.h"
#include "TesztKornyezet.h"
#include "Tabla.h"
#include "Tfrm_Main.h"

#include <QAction>
#include <QApplication>
#include <QFileDialog>
#include <QLabel>
#include <QPushButton>

#include <QCryptographicHash>
#include <QDirIterator>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRandomGenerator>
#include <QTest>
#include <QThread>

#include <signal.h>
#include <sqlite3.h>
#include <zip.h>
#include <zlib.h>

namespace {

void fajlIr(const QString &ut, const QByteArray &b)
{
    QDir().mkpath(QFileInfo(ut).absolutePath());
    QFile f(ut);
    QVERIFY2(f.open(QIODevice::WriteOnly) && f.write(b) == b.size(), qPrintable(ut));
}

QByteArray fajlOlvas(const QString &ut)
{
    QFile f(ut);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<nincs>");
}

// Every row of every table of the folder's register, each as one text, sorted per table.
QStringList sorok(const QString &mappa)
{
    QStringList ki;
    sqlite3 *h = nullptr;
    if (sqlite3_open_v2(QFile::encodeName(QDir(mappa).filePath(Adatbazis::FAJLNEV)).constData(), &h,
                        SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
        sqlite3_close(h);
        return {"<nem nyitható>"};
    }
    QStringList tablak;
    sqlite3_stmt *s = nullptr;
    sqlite3_prepare_v2(h, "SELECT name FROM sqlite_master WHERE type = 'table' AND name NOT LIKE 'sqlite%' ORDER BY 1",
                       -1, &s, nullptr);
    while (sqlite3_step(s) == SQLITE_ROW)
        tablak << QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(s, 0)));
    sqlite3_finalize(s);
    for (const QString &t : tablak) {
        QStringList ts;
        sqlite3_prepare_v2(h, QString("SELECT * FROM \"%1\"").arg(t).toUtf8().constData(), -1, &s, nullptr);
        while (sqlite3_step(s) == SQLITE_ROW) {
            QStringList r;
            for (int i = 0; i < sqlite3_column_count(s); ++i)
                r << (sqlite3_column_type(s, i) == SQLITE_NULL
                          ? QString("NULL")
                          : QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(s, i))));
            ts << t + ": " + r.join('|');
        }
        sqlite3_finalize(s);
        ts.sort();
        ki << ts;
    }
    sqlite3_close(h);
    return ki;
}

// The folder byte for byte: every file's name and digest.
QStringList lenyomat(const QString &mappa)
{
    QStringList l;
    QDirIterator it(mappa, QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString f = it.next();
        l << QDir(mappa).relativeFilePath(f) + " "
                 + QCryptographicHash::hash(fajlOlvas(f), QCryptographicHash::Sha1).toHex();
    }
    l.sort();
    return l;
}

QStringList maradekok(const QString &programMappa)
{
    return QDir(programMappa).entryList({"*dorvprg-visszaallitas*"}, QDir::AllEntries | QDir::Hidden);
}

QString elotteArchiv(const QString &kimenet)
{
    const int i = kimenet.indexOf("archívuma: ");
    return i < 0 ? QString() : kimenet.mid(i + 11).section('\n', 0, 0).trimmed();
}

} // namespace

class VisszaallitasTeszt : public QObject {
    Q_OBJECT

    // A register with letters, notes and three documents, archived by the program itself.
    struct Allas {
        TesztKornyezet k;
        QTemporaryDir dok;
        QString zip;
        Allas()
        {
            k.iniIr();
            Adatbazis::vegrehajt("INSERT INTO doksi (doksi_id, prntip, rendszam) VALUES (1, 'J', 'ABC-001'), "
                                 "(2, 'J', 'ABC-002'), (1, 'S', 'XYZ-001')");
            for (int i = 1; i <= 3; ++i) {
                fajlIr(dok.filePath(QString("szkenn%1.pdf").arg(i)), QByteArray("%PDF ") + QByteArray::number(i).repeated(100 * i));
                Adatbazis::vegrehajt("INSERT INTO megj (megj, doksi, doknev, doknev_rovid) VALUES (?, 1, ?, ?)",
                                     {i, dok.filePath(QString("szkenn%1.pdf").arg(i)), QString("szkenn %1").arg(i)});
            }
            Adatbazis::bezar();
            fajlIr(QDir(k.adatMappa()).filePath("s1.txt"), "archivalt szoveg");
            fajlIr(QDir(k.programMappa()).filePath("dorvido.ini"), "6 hónap\r\n7 év\r\n");
            zip = QDir(k.programMappa()).filePath("mentes.zip");
            const ProgramFutas f = ProgramFuttat(k.programMappa(), {"--archive", zip});
            QVERIFY2(f.kod == 0, qPrintable(f.hiba));
        }
        // rows changed and deleted, a document gone and one replaced, a text changed
        void valtoztat()
        {
            Adatbazis::megnyit(k.adatMappa());
            Adatbazis::vegrehajt("UPDATE doksi SET rendszam = 'MAS-999' WHERE doksi_id = 1");
            Adatbazis::vegrehajt("DELETE FROM doksi WHERE doksi_id = 2");
            Adatbazis::vegrehajt("DELETE FROM megj WHERE megj = 2");
            Adatbazis::vegrehajt("INSERT INTO doksi (doksi_id, prntip, rendszam) VALUES (3, 'J', 'UJ-003')");
            Adatbazis::bezar();
            QFile::remove(dok.filePath("szkenn2.pdf"));
            fajlIr(dok.filePath("szkenn3.pdf"), "egy masik fajl ugyanazon a neven");
            fajlIr(QDir(k.adatMappa()).filePath("s1.txt"), "valtoztatott szoveg");
            fajlIr(QDir(k.programMappa()).filePath("dorvido.ini"), "1 év\r\n");
        }
    };

private slots:
    void initTestCase() { qputenv("DORVPRG_MOTOR", "sqlite"); }

    // Archive, change, restore: every row as archived, the documents back or beside, the
    // state before in the safety archive, which restores it in turn.
    void korbe()
    {
        Allas a;
        const QStringList archivalt = sorok(a.k.adatMappa());
        a.valtoztat();
        const QStringList valtozott = sorok(a.k.adatMappa());
        QVERIFY(archivalt != valtozott);
        const QByteArray dorvidoElotte = fajlOlvas(QDir(a.k.programMappa()).filePath("dorvido.ini"));

        const ProgramFutas f = ProgramFuttat(a.k.programMappa(), {"--restore", a.zip});
        QVERIFY2(f.kod == 0, qPrintable(f.hiba + f.ki));
        QVERIFY2(f.ki.contains("1 az eredeti helyére visszaírva, 1 már a helyén volt, 1 az adatbázis mappájába került"),
                 qPrintable(f.ki));
        QVERIFY2(f.ki.contains("dorvido.ini) nem lett visszaállítva"), qPrintable(f.ki));
        QCOMPARE(fajlOlvas(QDir(a.k.programMappa()).filePath("dorvido.ini")), dorvidoElotte);
        QCOMPARE(fajlOlvas(QDir(a.k.adatMappa()).filePath("s1.txt")), QByteArray("archivalt szoveg"));
        // the gone document is back, the replaced one is kept and the archived one put beside
        QCOMPARE(fajlOlvas(a.dok.filePath("szkenn2.pdf")), QByteArray("%PDF ") + QByteArray("2").repeated(200));
        QCOMPARE(fajlOlvas(a.dok.filePath("szkenn3.pdf")), QByteArray("egy masik fajl ugyanazon a neven"));
        const QString athelyezett = QDir(a.k.adatMappa()).filePath(QString(VISSZAALLITOTT_DOKUMENTUMOK) + "/3_szkenn3.pdf");
        QCOMPARE(fajlOlvas(athelyezett), QByteArray("%PDF ") + QByteArray("3").repeated(300));
        QStringList vart = archivalt;
        for (QString &s : vart)
            if (s.startsWith("megj: 3|"))
                s.replace(a.dok.filePath("szkenn3.pdf"), athelyezett);
        vart.sort();
        QStringList van = sorok(a.k.adatMappa());
        van.sort();
        QCOMPARE(van, vart);
        QVERIFY(maradekok(a.k.programMappa()).isEmpty());

        const QString elotte = elotteArchiv(f.ki);
        QVERIFY2(QFileInfo(elotte).fileName().startsWith("elotte-") && QFileInfo::exists(elotte), qPrintable(f.ki));
        QCOMPARE(QFileInfo(elotte).absolutePath(), QDir(a.k.programMappa()).filePath("Archiv"));
        const ProgramFutas g = ProgramFuttat(a.k.programMappa(), {"--restore", elotte});
        QVERIFY2(g.kod == 0, qPrintable(g.hiba));
        QCOMPARE(sorok(a.k.adatMappa()), valtozott);
        QCOMPARE(fajlOlvas(QDir(a.k.adatMappa()).filePath("s1.txt")), QByteArray("valtoztatott szoveg"));

        // an archive made by hand with zip, without a description, restores as well
        const QString kezi = QDir(a.k.programMappa()).filePath("kezi.zip");
        QProcess z;
        z.setWorkingDirectory(a.k.adatMappa());
        z.start("zip", {"-q", "-r", kezi, "."});
        QVERIFY(z.waitForFinished() && z.exitCode() == 0);
        Adatbazis::megnyit(a.k.adatMappa());
        Adatbazis::vegrehajt("DELETE FROM doksi");
        Adatbazis::bezar();
        const ProgramFutas h = ProgramFuttat(a.k.programMappa(), {"--restore", kezi});
        QVERIFY2(h.kod == 0, qPrintable(h.hiba));
        QVERIFY2(h.ki.contains("visszaállítva"), qPrintable(h.ki));
        QCOMPARE(sorok(a.k.adatMappa()), valtozott);
    }

    // Refused with the folder byte for byte as it was and no safety archive: damaged, newer,
    // without a register, and while another program has the register open.
    void elutasit_data()
    {
        QTest::addColumn<QString>("mod");
        QTest::addColumn<QString>("uzenet");
        QTest::newRow("sérült") << "serult" << "sérült";
        QTest::newRow("újabb") << "ujabb" << "egy újabb program készítette";
        QTest::newRow("adatbázis nélkül") << "ures" << "nincs adatbázis";
        QTest::newRow("másik program") << "masik" << "másik program nyitva tartja";
    }
    void elutasit()
    {
        QFETCH(QString, mod);
        QFETCH(QString, uzenet);
        Allas a;
        QString zip = a.zip;
        if (mod == "serult") {
            QFile f(zip);
            QVERIFY(f.open(QIODevice::ReadWrite));
            f.seek(f.size() / 3);
            const QByteArray b = f.read(64);
            f.seek(f.size() / 3);
            QByteArray c = b;
            for (char &x : c)
                x = char(~x);
            f.write(c);
        } else if (mod == "ujabb" || mod == "ures") {
            QTemporaryDir t;
            if (mod == "ujabb") {
                QVERIFY(QFile::copy(QDir(a.k.adatMappa()).filePath(Adatbazis::FAJLNEV), t.filePath(Adatbazis::FAJLNEV)));
                sqlite3 *h = nullptr;
                sqlite3_open(QFile::encodeName(t.filePath(Adatbazis::FAJLNEV)).constData(), &h);
                QCOMPARE(sqlite3_exec(h, "UPDATE meta SET ertek = '99' WHERE kulcs = 'verzio'", nullptr, nullptr, nullptr), SQLITE_OK);
                sqlite3_close(h);
            }
            fajlIr(t.filePath("s1.txt"), "szoveg");
            zip = QDir(a.k.programMappa()).filePath("kezi.zip");
            QProcess z;
            z.setWorkingDirectory(t.path());
            z.start("zip", {"-q", "-r", zip, "."});
            QVERIFY(z.waitForFinished() && z.exitCode() == 0);
        }
        a.valtoztat();
        if (mod == "masik")
            Adatbazis::megnyit(a.k.adatMappa());
        const QStringList elotte = lenyomat(a.k.adatMappa());
        const ProgramFutas f = ProgramFuttat(a.k.programMappa(), {"--restore", zip});
        Adatbazis::bezar();
        QCOMPARE(f.kod, 1);
        QVERIFY2(f.hiba.contains(uzenet), qPrintable(f.hiba));
        QVERIFY2(!f.hiba.contains('\n') || f.hiba.count('\n') == 1, qPrintable(f.hiba));
        QCOMPARE(lenyomat(a.k.adatMappa()), elotte);
        QVERIFY(QDir(QDir(a.k.programMappa()).filePath("Archiv")).entryList({"elotte-*"}).isEmpty());
        QVERIFY(maradekok(a.k.programMappa()).isEmpty());
        QVERIFY(QFileInfo::exists(a.dok.filePath("szkenn3.pdf")) && !QFileInfo::exists(a.dok.filePath("szkenn2.pdf")));
    }

    // The menu's restore: the archive chosen, the question answered, and the window shows
    // the restored letters at once, on its register opened again.
    void ablak()
    {
        Allas a;
        a.valtoztat();
        Tfrm_Main w;
        QVERIFY(w.inditas());
        QCOMPARE(w.Tbl().ertek("rendszam").toString(), QString("UJ-003"));
        const QString zip = a.zip;
        bool kerdezett = false;
        TesztKornyezet::modalisan([zip, &kerdezett](QWidget *d) {
            auto *fd = qobject_cast<QFileDialog *>(d);
            QVERIFY(fd);
            TesztKornyezet::modalisan([&kerdezett](QWidget *q) {
                QPushButton *b = q->findChild<QPushButton *>("btnVisszaallit");
                QVERIFY(b);
                kerdezett = true;
                b->click();
            });
            fd->selectFile(zip);
            QMetaObject::invokeMethod(fd, "accept");
        });
        w.akcio("aVisszaallit")->trigger();
        QVERIFY(kerdezett);
        QVERIFY2(!a.k.szovegek().isEmpty() && a.k.szovegek().last().startsWith("Az adatbázis visszaállítva"),
                 qPrintable(a.k.szovegek().join(" / ")));
        QVERIFY(Adatbazis::nyitva());
        QCOMPARE(w.Tbl().ertek("rendszam").toString(), QString("ABC-002"));
        QCOMPARE(w.statusPanel(0)->text(), QString("2/1"));
        QVERIFY(!RegiszterZar::cserelve());
        Adatbazis::bezar();
    }

    // A program open while another restores notices the replaced file and writes nothing
    // into the old one.
    void nyitvaMaradt()
    {
        Allas a;
        Adatbazis::megnyit(a.k.adatMappa());
        QVERIFY(!RegiszterZar::cserelve());
        // a restore that does not ask (an older program, a share without locks) replaces it
        const QString db = QDir(a.k.adatMappa()).filePath(Adatbazis::FAJLNEV);
        QVERIFY(QFile::copy(db, db + ".uj"));
        QCOMPARE(::rename(QFile::encodeName(db + ".uj").constData(), QFile::encodeName(db).constData()), 0);
        QVERIFY(RegiszterZar::cserelve());
        QVERIFY_THROWS_EXCEPTION(RegiszterZar::AdatbazisCserelve, Adatbazis::masikProgramIrt());
        QVERIFY_THROWS_EXCEPTION(RegiszterZar::AdatbazisCserelve, Adatbazis::Tranzakcio());
        Adatbazis::megnyit(a.k.adatMappa());
        QVERIFY(!RegiszterZar::cserelve());
        Adatbazis::bezar();
    }

    // kill -9 of a real restore at random moments: the register is each time the old one or
    // the archived one, whole (letters and texts together), once the next opening has dealt
    // with what the killed run left.
    void kill9()
    {
        Allas a;
        const QStringList archivalt = sorok(a.k.adatMappa());
        const QString adat = a.k.adatMappa();
        auto masikAllapot = [&] {
            Adatbazis::megnyit(adat);
            Adatbazis::vegrehajt("UPDATE doksi SET rendszam = 'UJ'");
            Adatbazis::vegrehajt("INSERT INTO doksi (doksi_id, prntip, rendszam) VALUES (9, 'S', 'UJ')");
            Adatbazis::bezar();
            fajlIr(QDir(adat).filePath("s1.txt"), "uj szoveg");
        };
        masikAllapot();
        const QStringList uj = sorok(adat);
        const QString dbUt = QDir(adat).filePath(Adatbazis::FAJLNEV);
        const QByteArray ujDb = fajlOlvas(dbUt);
        // the changed register again, byte for byte, before every kill
        auto ujra = [&] {
            fajlIr(dbUt, ujDb);
            fajlIr(QDir(adat).filePath("s1.txt"), "uj szoveg");
        };
        // how long a whole restore takes here, so the kills fall inside it
        QElapsedTimer ido;
        ido.start();
        QCOMPARE(ProgramFuttat(a.k.programMappa(), {"--restore", a.zip}).kod, 0);
        const int teljes = int(ido.elapsed());
        int regi = 0, visszaallitott = 0;
        for (int i = 0; i < 14; ++i) {
            ujra();
            QCOMPARE(sorok(adat), uj);
            QProcess p;
            ProgramIndit(p, a.k.programMappa(), {"--restore", a.zip});
            QVERIFY(p.waitForStarted());
            // from the start to a little past the usual end: a kill after the end must find it whole too
            QThread::msleep(QRandomGenerator::global()->bounded(teljes * 3 / 2 + 1));
            ::kill(pid_t(p.processId()), SIGKILL);
            p.waitForFinished();
            Adatbazis::megnyit(adat);   // finishes or undoes a killed restore
            Adatbazis::bezar();
            QVERIFY(maradekok(a.k.programMappa()).isEmpty());
            const QStringList van = sorok(adat);
            const QByteArray s1 = fajlOlvas(QDir(adat).filePath("s1.txt"));
            if (van == archivalt && s1 == "archivalt szoveg")
                ++visszaallitott;
            else if (van == uj && s1 == "uj szoveg")
                ++regi;
            else
                QFAIL(qPrintable(QString("kevert állapot a %1. leállítás után: %2").arg(i).arg(QString::fromUtf8(s1))));
        }
        qInfo("leállítás után régi: %d, visszaállított: %d (egy visszaállítás %d ms)", regi, visszaallitott, teljes);
    }
};

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    VisszaallitasTeszt t;
    return QTest::qExec(&t, argc, argv);
}
#include "tst_visszaallitas.moc"
