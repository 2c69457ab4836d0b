#include "Adatbazis.h"
#include "Beall.h"
#include "Export.h"
#include "HuSzoveg.h"
#include "Lekerdezes.h"
#include "NyomtatasPdf.h"
#include "ProgramFutas.h"
#include "RegiszterFajl.h"
#include "StoreHiba.h"
#include "Tabla.h"
#include "TesztKornyezet.h"
#include "Tfrm_Main.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QProcess>
#include <QTest>
#include <memory>
#include <unistd.h>
#include <vector>

namespace {

QByteArray tartalom(const QString &ut)
{
    QFile f(ut);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<nincs>");
}

QStringList fajlok(const QString &mappa)
{
    return QDir(mappa).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}

void levelek()
{
    Adatbazis::Tranzakcio t;
    for (int i = 1; i <= 40; ++i)
        Adatbazis::vegrehajt("INSERT INTO doksi (doksi_id, prntip, datum, rendszam) VALUES (?, ?, '2026-03-04', ?)",
                             {i, i % 2 ? "J" : "S", QString("ABC-%1").arg(i)});
    t.commit();
}

// One writer of the program, run in the test's process; throws StoreHiba on failure.
void ir(const QString &iro, const QString &fajl)
{
    if (iro == "export") {
        Tabla t("doksi");
        t.setCsakOlvas(true);
        LevelListaKurzor(t, "J");
        t.megnyit();
        HataroltIr(t, fajl, ";", '"');
    } else if (iro == "csv") {
        Lekerdezes q("SELECT doksi_id, rendszam FROM doksi");
        QString hiba;
        if (!CsvIr(q, fajl, "|", &hiba))
            throw StoreHiba(hiba);
    } else if (iro == "pdf") {
        ListaPdf(QChar('J'), fajl);
    } else if (iro == "szoveg") {
        HuSzoveg::fajlIr(fajl, "szöveg\r\n");
    }
}

const QStringList KIMENETEK = {"export", "csv", "pdf"};

} // namespace

class KimenetTeszt : public QObject {
    Q_OBJECT

private slots:
    // However the path is spelled, an output never lands on one of the register's files.
    void sajatFajlokVedve_data()
    {
        QTest::addColumn<QString>("iro");
        QTest::addColumn<QString>("cel");
        for (const QString &iro : KIMENETEK)
            for (const char *cel : {"Data/dorvprg.db", "./Data/../Data/dorvprg.db", "link", "kemeny",
                                    "Data/dorvprg.db-journal", "Data/s1.txt", "DorvPrg.ini",
                                    "dorvido.ini", "halott-link"})
                QTest::newRow(qPrintable(iro + " " + cel)) << iro << QString(cel);
    }
    void sajatFajlokVedve()
    {
        QFETCH(QString, iro);
        QFETCH(QString, cel);
        TesztKornyezet k;
        levelek();
        const QDir p(k.programMappa());
        HuSzoveg::fajlIr(IniFajlUt(), "[Adatbazis]\r\nUtvonal=" + k.adatMappa() + "\r\n");
        HuSzoveg::fajlIr(DorvidoFajlUt(), "1 év\r\n");
        const QString db = p.filePath("Data/dorvprg.db");
        QVERIFY(QFile::link(db, p.filePath("link")));
        QVERIFY(::link(QFile::encodeName(db).constData(), QFile::encodeName(p.filePath("kemeny")).constData()) == 0);
        QVERIFY(QFile::link(p.filePath("Data/dorvprg.db-journal"), p.filePath("halott-link")));
        const QStringList vedett = {db, p.filePath("Data/s1.txt"), IniFajlUt(), DorvidoFajlUt()};
        QList<QByteArray> elotte;
        for (const QString &f : vedett)
            elotte << tartalom(f);

        const QString ut = p.filePath(cel);
        QVERIFY2(!RegiszterFajl(ut).isEmpty(), qPrintable(ut));
        try {
            ir(iro, ut);
            QFAIL("the register's file was accepted as output");
        } catch (const StoreHiba &h) {
            QVERIFY2(h.uzenet().startsWith("A program saját fájlja nem írható felül: "), qPrintable(h.uzenet()));
        }
        for (int i = 0; i < vedett.size(); ++i)
            QVERIFY2(tartalom(vedett[i]) == elotte[i], qPrintable(vedett[i]));
        QVERIFY(!QFileInfo::exists(p.filePath("Data/dorvprg.db-journal")));
        QVERIFY(QFileInfo(p.filePath("link")).isSymLink());
        QCOMPARE(Adatbazis::ertek("SELECT count(*) FROM doksi").toInt(), 40);
    }

    // Outputs beside the register, and a file named like one in another folder, are fine.
    void szomszedosFajlokIrhatok()
    {
        TesztKornyezet k;
        levelek();
        QDir(k.programMappa()).mkpath("Masik");
        for (const char *cel : {"Data/export.csv", "Masik/dorvprg.db", "Masik/DorvPrg.ini", "Data/dorvprg.db.csv"}) {
            const QString ut = QDir(k.programMappa()).filePath(cel);
            QVERIFY2(RegiszterFajl(ut).isEmpty(), cel);
            ir("export", ut);
            QVERIFY2(tartalom(ut).contains("\"ABC-39\""), cel);
        }
    }

    // A write that fails anywhere leaves the earlier file whole and nothing under the name.
    void sikertelenIras_data()
    {
        QTest::addColumn<QString>("iro");
        QTest::addColumn<QString>("hely");
        for (const QString &iro : KIMENETEK + QStringList{"szoveg"})
            for (const char *hely : {"devfull", "tele", "csakolvas"})
                QTest::newRow(qPrintable(iro + " " + hely)) << iro << QString(hely);
    }
    void sikertelenIras()
    {
        QFETCH(QString, iro);
        QFETCH(QString, hely);
        TesztKornyezet k;
        levelek();
        if (hely == "devfull") {
            QVERIFY_THROWS_EXCEPTION(StoreHiba, ir(iro, "/dev/full"));
            QVERIFY(QFileInfo("/dev/full").isWritable());
            return;
        }
        KisLemez lemez(k.programMappa() + "/lemez");
        if (!lemez.rendben())
            QSKIP("a tmpfs cannot be mounted here (tests need root)");
        const QString cel = lemez.mappa() + "/kimenet.csv";
        HuSzoveg::fajlIr(cel, "régi tartalom\r\n");
        const QByteArray regi = tartalom(cel);
        QVERIFY(hely == "tele" ? lemez.tele() : lemez.csakOlvashato());
        const QStringList elotte = fajlok(lemez.mappa());
        try {
            ir(iro, cel);
            QFAIL("the write was reported as done");
        } catch (const StoreHiba &h) {
            QVERIFY2(h.uzenet().contains(hely == "tele" ? "Megtelt a lemez." : "csak olvasható"), qPrintable(h.uzenet()));
        }
        QCOMPARE(tartalom(cel), regi);
        QCOMPARE(fajlok(lemez.mappa()), elotte);
    }

    // A writer killed mid-write leaves its hidden temporary file: the next write of that target
    // and the next start on the register's folder remove such leftovers, but not one a living
    // program is writing, not another target's elsewhere, and nothing named otherwise.
    void maradekFajlok()
    {
        TesztKornyezet k;
        levelek();
        Adatbazis::bezar();
        HuSzoveg::fajlIr(IniFajlUt(), "[Adatbazis]\r\nUtvonal=" + k.adatMappa() + "\r\n");
        const QString ki = QDir(k.programMappa()).filePath("Ki");
        QVERIFY(QDir().mkpath(ki));
        // a writer holds its lock as the program does; -9 ends it without any clean-up
        std::vector<std::unique_ptr<QProcess>> irok;
        auto iro = [&](const QString &ut) {
            auto p = std::make_unique<QProcess>();
            p->start("sh", {"-c", "exec 9>>\"$0\" && flock -x 9 && echo ok && exec sleep 300", ut});
            const bool kesz = p->waitForReadyRead(10000) && p->readAll().startsWith("ok");
            irok.push_back(std::move(p));
            return kesz;
        };
        auto megolt = [&](const QString &ut) {
            if (!iro(ut))
                return false;
            irok.back()->kill();
            return irok.back()->waitForFinished(10000);
        };
        const QString elo = ".export.csv.dorvprg-";
        QVERIFY(megolt(ki + "/" + elo + "Halott"));
        QVERIFY(iro(ki + "/" + elo + "Eleven"));
        QVERIFY(megolt(ki + "/.masik.csv.dorvprg-Masik1"));
        QFile regi(ki + "/" + elo + "regi");
        QVERIFY(regi.open(QIODevice::WriteOnly) && regi.write("a felhasznalo fajlja") == 20 && regi.flush());
        regi.close();
        QVERIFY(QDir().mkpath(ki + "/" + elo + "Mappa1"));
        QVERIFY(QFile::link(k.adatMappa() + "/s1.txt", ki + "/" + elo + "Link01"));
        QVERIFY(megolt(k.adatMappa() + "/.s1.txt.dorvprg-Halot2"));
        QVERIFY(megolt(k.adatMappa() + "/.export.csv.dorvprg-Halot3"));
        QVERIFY(iro(k.adatMappa() + "/.s2.txt.dorvprg-Eleven"));
        const QStringList ures = fajlok(ki);

        const ProgramFutas f = ProgramFuttat(k.programMappa(), {"--export", "J", ki + "/export.csv"});
        QCOMPARE(f.kod, 0);
        QVERIFY(tartalom(ki + "/export.csv").contains("\"ABC-39\""));
        QCOMPARE(QDir(ki).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name),
                 QStringList({elo + "Eleven", elo + "Link01", elo + "Mappa1", elo + "regi", ".masik.csv.dorvprg-Masik1",
                              "export.csv"}));
        QCOMPARE(fajlok(k.adatMappa()).filter(".dorvprg-"), QStringList(".s2.txt.dorvprg-Eleven"));
        QVERIFY(ures.contains(elo + "Halott"));
        QCOMPARE(tartalom(ki + "/" + elo + "regi"), QByteArray("a felhasznalo fajlja"));
        for (auto &p : irok) {
            p->kill();
            p->waitForFinished();
        }
    }

    // The settings file on a full disk stays as it was; the close reports it.
    void iniTeleLemezen()
    {
        TesztKornyezet k;
        KisLemez lemez(k.programMappa() + "/prg");
        if (!lemez.rendben())
            QSKIP("a tmpfs cannot be mounted here (tests need root)");
        setProgramMappa(lemez.mappa());
        Beall.AdatbazisUtvonal = k.adatMappa();
        BeallitasIr(QRect(10, 20, 700, 500));
        const QByteArray regi = tartalom(IniFajlUt());
        QVERIFY(regi.contains("Utvonal=" + k.adatMappa().toUtf8()));
        QVERIFY(lemez.tele());
        Beall.AdatbazisUtvonal = "/mashol";
        QVERIFY_THROWS_EXCEPTION(StoreHiba, BeallitasIr(QRect(0, 0, 640, 400)));
        QCOMPARE(tartalom(IniFajlUt()), regi);
        QCOMPARE(tartalom(IniFajlUt() + ".bak"), regi);
        QCOMPARE(BeallitasOlvas(), IniAllapot::Rendben);
        QCOMPARE(Beall.AdatbazisUtvonal, k.adatMappa());
    }

    // An emptied or unreadable settings file does not quietly open an empty register:
    // the user is offered the folder of the spare copy, the default one, or leaving.
    void hibasIniFajl_data()
    {
        QTest::addColumn<QString>("hiba");
        QTest::addColumn<QList<bool>>("valaszok");
        QTest::addColumn<QString>("eredmeny");
        QTest::newRow("üres, előző mappa") << "ures" << QList<bool>{true} << "Masik";
        QTest::newRow("üres, alapértelmezett") << "ures" << QList<bool>{false, true} << "Data";
        QTest::newRow("üres, kilép") << "ures" << QList<bool>{false, false} << "";
        QTest::newRow("mappa a helyén, előző mappa") << "mappa" << QList<bool>{true} << "Masik";
        QTest::newRow("szemét, előző mappa") << "szemet" << QList<bool>{true} << "Masik";
        QTest::newRow("üres, nincs tartalék") << "ures-tartalek-nelkul" << QList<bool>{false} << "";
    }
    void hibasIniFajl()
    {
        QFETCH(QString, hiba);
        QFETCH(QList<bool>, valaszok);
        QFETCH(QString, eredmeny);
        TesztKornyezet k(false);
        const QString masik = QDir(k.programMappa()).filePath("Masik");
        QDir().mkpath(masik);
        Adatbazis::megnyit(masik);
        Adatbazis::vegrehajt("INSERT INTO doksi (doksi_id, prntip) VALUES (7, 'J')");
        Adatbazis::bezar();
        Beall.AdatbazisUtvonal = masik;
        BeallitasIr(QRect(0, 0, 640, 400));
        QFile::remove(IniFajlUt());
        if (hiba == "mappa")
            QVERIFY(QDir().mkpath(IniFajlUt()));
        else
            HuSzoveg::fajlIr(IniFajlUt(), hiba == "szemet" ? QString("\x01\x02 garbage") : QString());
        if (hiba == "ures-tartalek-nelkul")
            QVERIFY(QFile::remove(IniFajlUt() + ".bak"));
        const QByteArray ini = tartalom(IniFajlUt());

        k.valaszok(valaszok);
        Tfrm_Main w;
        const bool indult = w.inditas();
        QCOMPARE(k.uzenetek().size(), valaszok.size());
        QVERIFY2(k.szovegek().first().contains(QDir::toNativeSeparators(IniFajlUt())), qPrintable(k.szovegek().first()));
        if (hiba != "ures-tartalek-nelkul")
            QVERIFY(k.szovegek().first().contains(masik));
        QCOMPARE(indult, !eredmeny.isEmpty());
        if (eredmeny.isEmpty()) {
            QVERIFY(!Adatbazis::nyitva());
            QCOMPARE(tartalom(IniFajlUt()), ini);
            QVERIFY(!QFileInfo::exists(k.adatMappa() + "/dorvprg.db"));
            return;
        }
        QCOMPARE(Adatbazis::mappa(), QDir(k.programMappa()).filePath(eredmeny));
        QCOMPARE(w.statusPanel(0)->text(), QString(eredmeny == "Masik" ? "1/1" : "0/0"));
    }

    // The command line: a register file or a failing target is an error with a non-zero exit.
    void parancssor_data()
    {
        QTest::addColumn<QStringList>("arg");
        QTest::addColumn<QString>("uzenet");
        QTest::newRow("export a db-re") << QStringList{"--export", "J", "Data/dorvprg.db"} << "saját fájlja";
        QTest::newRow("export s1.txt-re") << QStringList{"--export", "S", "Data/s1.txt"} << "saját fájlja";
        QTest::newRow("pdf a db-re") << QStringList{"--pdf", "lista", "J", "./Data/../Data/dorvprg.db"} << "saját fájlja";
        QTest::newRow("pdf az ini-re") << QStringList{"--pdf", "lista", "S", "DorvPrg.ini"} << "saját fájlja";
        QTest::newRow("export /dev/full") << QStringList{"--export", "J", "/dev/full"} << "Megtelt a lemez.";
        QTest::newRow("pdf /dev/full") << QStringList{"--pdf", "lista", "J", "/dev/full"} << "Megtelt a lemez.";
    }
    void parancssor()
    {
        QFETCH(QStringList, arg);
        QFETCH(QString, uzenet);
        TesztKornyezet k;
        levelek();
        Adatbazis::bezar();
        HuSzoveg::fajlIr(IniFajlUt(), "[Adatbazis]\r\nUtvonal=" + k.adatMappa() + "\r\n");
        const QByteArray db = tartalom(k.adatMappa() + "/dorvprg.db");
        const QByteArray ini = tartalom(IniFajlUt());
        const QByteArray s1 = tartalom(k.adatMappa() + "/s1.txt");
        const ProgramFutas f = ProgramFuttat(k.programMappa(), arg);
        QVERIFY2(f.kod > 0, qPrintable(QString("%1 %2").arg(f.kod).arg(f.hiba)));
        QVERIFY2(f.hiba.contains(uzenet), qPrintable(f.hiba));
        QCOMPARE(f.hiba.count('\n'), 1);
        QCOMPARE(tartalom(k.adatMappa() + "/dorvprg.db"), db);
        QCOMPARE(tartalom(IniFajlUt()), ini);
        QCOMPARE(tartalom(k.adatMappa() + "/s1.txt"), s1);
    }

    // A damaged settings file sends no form to the default register; --data still works.
    void parancssorHibasIni()
    {
        TesztKornyezet k;
        levelek();
        Adatbazis::bezar();
        Beall.AdatbazisUtvonal = k.adatMappa();
        BeallitasIr(QRect(0, 0, 640, 400));
        HuSzoveg::fajlIr(IniFajlUt(), QString());
        const QString cel = k.programMappa() + "/lista.csv";
        ProgramFutas f = ProgramFuttat(k.programMappa(), {"--export", "J", cel});
        QCOMPARE(f.kod, 1);
        QVERIFY2(f.hiba.contains("A beállítások fájlja üres vagy sérült: " + IniFajlUt())
                     && f.hiba.contains("legutóbb: " + k.adatMappa()), qPrintable(f.hiba));
        QVERIFY(!QFileInfo::exists(cel));
        QCOMPARE(tartalom(IniFajlUt()), QByteArray());
        f = ProgramFuttat(k.programMappa(), {"--data", k.adatMappa(), "--export", "J", cel});
        QVERIFY2(f.kod == 0, qPrintable(f.hiba));
        QVERIFY(tartalom(cel).contains("\"ABC-39\""));
    }
};

QTEST_MAIN(KimenetTeszt)
#include "tst_kimenetek.moc"
