#include "Adatbazis.h"
#include "ParadoxImport.h"
#include "Sema.h"
#include "StoreHiba.h"
#include "TesztKornyezet.h"
#include "tst_paradoxMinta.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSqlQuery>
#include <QTest>
#include <sqlite3.h>

using namespace ParadoxMinta;

class ParadoxTeszt : public QObject {
    Q_OBJECT

private slots:
    void mindenErtekAtjon()
    {
        TesztKornyezet k(false);
        const QString m = k.adatMappa();
        const RegiMappa r = regiMappaIr(m);
        // pxlib puts the long notes into the memo file, not only their first part into the record
        const QByteArray mb = [&] {
            QFile f(ParadoxImport::tablaFajl(m, "Doksi_Megj.MB"));
            return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
        }();
        QVERIFY(mb.size() > 4096);
        QVERIFY(mb.contains(HuSzoveg::kodol1250(hosszuSzoveg(6000, 6).mid(5000, 200))));
        QVERIFY(mb.contains(HuSzoveg::kodol1250(hosszuSzoveg(300, 3).mid(100))));
        // an old printed text stays as the workshop wrote it
        HuSzoveg::fajlIr(QDir(m).filePath("s1.txt"), "Régi jótállási szöveg");
        QVERIFY(ParadoxImport::vanRegiAdatbazis(m));

        QList<qint64> lepesek;
        qint64 osszes = -1;
        const ParadoxImport::Eredmeny e = ParadoxImport::importal(m, [&](const QString &, qint64 kesz, qint64 o) {
            lepesek << kesz;
            osszes = o;
            return true;
        });
        QVERIFY(!Adatbazis::nyitva());
        QVERIFY(!ParadoxImport::vanRegiAdatbazis(m));
        qint64 sorok = 0;
        for (const Sorok &s : r.sorok)
            sorok += s.size();
        QCOMPARE(osszes, sorok);
        QCOMPARE(lepesek.last(), sorok);
        QVERIFY(std::is_sorted(lepesek.begin(), lepesek.end()));
        QCOMPARE(e.osszesSor(), int(sorok));
        QVERIFY(e.sorok().contains("doksi: 40 sor"));
        QVERIFY(e.sorok().contains("felhasznalo: 3 sor"));

        QVERIFY(!Adatbazis::megnyit(m));
        for (const TablaLeiras &t : Sema::tablak())
            osszevet(t, r.sorok[t.nev]);
        if (QTest::currentTestFailed())
            return;
        // the default administrator of a new database is not mixed into the old users
        QVERIFY(!Adatbazis::ertek("SELECT 1 FROM felhasznalo WHERE felhasznalo='rendszergazda'").isValid());
        QCOMPARE(HuSzoveg::fajlOlvas(QDir(m).filePath("s1.txt")), QString("Régi jótállási szöveg"));
        QVERIFY(QFile::exists(QDir(m).filePath("s3.txt")));
        QCOMPARE(mappaTartalom(m).filter(".dorvprg-import").size(), 0);

        // the search index holds every imported letter and brand, and follows new rows
        auto sorLista = [](const QString &sql) {
            QSqlQuery q(Adatbazis::db());
            QStringList l;
            if (q.exec(sql))
                while (q.next())
                    l << q.value(0).toString() + '|' + q.value(1).toString() + '|' + q.value(2).toString();
            return l;
        };
        QCOMPARE(sorLista("SELECT rowid, rendszam, sorozatszam FROM doksi_kereso ORDER BY rowid"),
                 sorLista("SELECT doksi, UPPER(rendszam), UPPER(sorozatszam) FROM doksi ORDER BY doksi"));
        QCOMPARE(sorLista("SELECT rowid, marka_nev, '' FROM marka_kereso ORDER BY rowid"),
                 sorLista("SELECT marka, UPPER(marka_nev), '' FROM marka ORDER BY marka"));
        QCOMPARE(sorLista("SELECT rowid, marka_nev, '' FROM marka_kereso ORDER BY rowid").size(), 9);
        QVERIFY(Adatbazis::ertek("SELECT count(*) FROM sqlite_master WHERE name = 'idx_doksi_id_desc'").toInt() == 1);

        // counters continue past the highest key, and past a note's deleted letter
        Adatbazis::vegrehajt("INSERT INTO doksi (doksi_id, prntip) VALUES (1, 'J')");
        QCOMPARE(Adatbazis::ertek("SELECT max(doksi) FROM doksi").toLongLong(), MAGAS_KULCS + 6);
        Adatbazis::vegrehajt("INSERT INTO marka (marka_nev) VALUES ('Új')");
        QCOMPARE(Adatbazis::ertek("SELECT marka FROM marka WHERE marka_nev='Új'").toLongLong(), MAGAS_KULCS + 1);
        QCOMPARE(Adatbazis::ertek("SELECT rowid FROM marka_kereso WHERE marka_nev = 'ÚJ'").toLongLong(), MAGAS_KULCS + 1);
        Adatbazis::vegrehajt("INSERT INTO beallit (vanbelep) VALUES ('N')");
        QCOMPARE(Adatbazis::ertek("SELECT max(beallit) FROM beallit").toLongLong(), MAGAS_KULCS + 1);
    }

    void hianyzoTabla_data()
    {
        QTest::addColumn<QString>("tabla");
        QTest::addColumn<QString>("sql");       // what the new database holds instead
        QTest::addColumn<QString>("vart");
        QTest::addColumn<QString>("sor");
        QTest::newRow("megj") << "megj" << "SELECT count(*) FROM megj" << "0" << "megj: nincs megj.DB, üres tábla";
        QTest::newRow("marka") << "marka" << "SELECT count(*) FROM marka" << "0" << "marka: nincs marka.DB, üres tábla";
        // the earlier program kept no claims: the register starts without any
        QTest::newRow("reklamacio") << "reklamacio" << "SELECT count(*) FROM reklamacio" << "0"
                                    << "reklamacio: nincs reklamacio.DB, üres tábla";
        QTest::newRow("felhasznalo") << "felhasznalo" << "SELECT felhasznalo_nev FROM felhasznalo WHERE felhasznalo='rendszergazda'"
                                     << "Rendszergazda" << "felhasznalo: nincs felhasznalo.DB, az alapértékek maradtak (1 sor)";
        QTest::newRow("beallit") << "beallit" << "SELECT vanbelep FROM beallit" << "N"
                                 << "beallit: nincs beallit.DB, az alapértékek maradtak (1 sor)";
        QTest::newRow("tulajdonos") << "tulajdonos" << "SELECT count(*) FROM tulajdonos" << "1"
                                    << "tulajdonos: nincs tulajdonos.DB, az alapértékek maradtak (1 sor)";
    }

    void hianyzoTabla()
    {
        QFETCH(QString, tabla);
        QFETCH(QString, sql);
        QFETCH(QString, vart);
        QFETCH(QString, sor);
        TesztKornyezet k(false);
        const RegiMappa r = regiMappaIr(k.adatMappa(), {tabla});
        const ParadoxImport::Eredmeny e = ParadoxImport::importal(k.adatMappa());
        QVERIFY2(e.sorok().contains(sor), qPrintable(e.sorok().join('\n')));
        Adatbazis::megnyit(k.adatMappa());
        QCOMPARE(Adatbazis::ertek(sql).toString(), vart);
        QCOMPARE(Adatbazis::ertek("SELECT count(*) FROM doksi").toInt(), int(r.sorok["doksi"].size()));
    }

    void ismeretlenEsHianyzoMezok()
    {
        TesztKornyezet k(false);
        const QString m = k.adatMappa();
        const TablaLeiras &t = *Sema::tabla("doksi");
        // an older layout: upper-case names, an extra text and flag, no hiba3, the price as a
        // floating number
        QList<PxMezo> mezok;
        for (const PxMezo &p : pxMezok(t)) {
            if (p.nev == "hiba3")
                continue;
            if (p.nev == "ft_varhato")
                mezok << PxMezo{"FT_VARHATO", pxfNumber, 8};
            else
                mezok << PxMezo{p.nev.toUpper(), p.tipus, p.hossz};
            if (p.nev == "rendszam")
                mezok << PxMezo{"regi_megj", pxfAlpha, 30} << PxMezo{"Archiv", pxfLogical, 1};
        }
        tablaIr(m, "doksi.DB", mezok,
                {{7, 101, QDate(2005, 3, 4), "1 év", 2, 3, "ABC-123", "kék", true, 4, "SN-ő", "S", "12 000", "egyéb",
                  1234.4, "sérült", "nem indul", QDate(2005, 3, 1), "független", "forgalmi", "h1", "h2",
                  QDate(2005, 3, 10), "megjegyzés", "elvállalt"}});
        const ParadoxImport::Eredmeny e = ParadoxImport::importal(m);
        const ParadoxImport::TablaEredmeny &d = e.tablak.first();
        QCOMPARE(d.tabla, QString("doksi"));
        QCOMPARE(d.sorok, 1);
        QCOMPARE(d.kimaradtMezok, QStringList({"regi_megj", "Archiv"}));
        QCOMPARE(d.hianyzoMezok, QStringList({"hiba3"}));
        QVERIFY(e.sorok().contains("    kimaradt mezők: regi_megj, Archiv"));
        Adatbazis::megnyit(m);
        QSqlQuery q(Adatbazis::db());
        QVERIFY(q.exec("SELECT doksi, doksi_id, datum, rendszam, sorozatszam, ft_varhato, hiba2, hiba3, dat_befejez, elvjavitas, prntip FROM doksi"));
        QVERIFY(q.next());
        QCOMPARE(q.value(0).toInt(), 7);
        QCOMPARE(q.value(1).toInt(), 101);
        QCOMPARE(q.value(2).toString(), QString("2005-03-04"));
        QCOMPARE(q.value(3).toString(), QString("ABC-123"));
        QCOMPARE(q.value(4).toString(), QString("SN-ő"));
        QCOMPARE(q.value(5).toInt(), 1234);
        QCOMPARE(q.value(6).toString(), QString("h2"));
        QVERIFY(q.value(7).isNull());
        QCOMPARE(q.value(8).toString(), QString("2005-03-10"));
        QCOMPARE(q.value(9).toString(), QString("elvállalt"));
        QCOMPARE(q.value(10).toString(), QString("S"));
    }

    // A field we know, in a type it cannot arrive in, stops the import naming the table and
    // the field: a column left empty would hide every letter or switch the login off.
    void masTipusuMezo_data()
    {
        QTest::addColumn<QString>("tabla");
        QTest::addColumn<QByteArray>("mezo");
        QTest::addColumn<int>("tipus");
        QTest::addColumn<int>("hossz");
        QTest::newRow("prntip logikai") << "doksi" << QByteArray("prntip") << pxfLogical << 1;
        QTest::newRow("vanbelep logikai") << "beallit" << QByteArray("vanbelep") << pxfLogical << 1;
        QTest::newRow("dátum szövegként") << "doksi" << QByteArray("dat_befejez") << pxfAlpha << 10;
        QTest::newRow("szöveg számként") << "ugyfel" << QByteArray("ugyfel_nev") << pxfLong << 4;
        QTest::newRow("kulcs dátumként") << "marka" << QByteArray("marka") << pxfDate << 4;
        QTest::newRow("memó bináris") << "doksi_megj" << QByteArray("megjegyzes") << pxfBLOb << 30;
    }

    void masTipusuMezo()
    {
        QFETCH(QString, tabla);
        QFETCH(QByteArray, mezo);
        QFETCH(int, tipus);
        QFETCH(int, hossz);
        TesztKornyezet k(false);
        const QString m = k.adatMappa();
        regiMappaIr(m, {tabla});
        const TablaLeiras &t = *Sema::tabla(tabla);
        QList<PxMezo> mezok = pxMezok(t);
        for (PxMezo &p : mezok)
            if (p.nev == mezo)
                p = PxMezo{mezo, tipus, hossz};
        const QString fajl = tabla + ".DB";
        tablaIr(m, fajl, mezok, {});
        const QStringList elotte = mappaTartalom(m);
        try {
            ParadoxImport::importal(m);
            QFAIL("a field of another type was imported");
        } catch (const StoreHiba &h) {
            QVERIFY2(h.uzenet().contains(fajl) && h.uzenet().contains(QString(" %1 mezője").arg(QString(mezo))), qPrintable(h.uzenet()));
        }
        QCOMPARE(mappaTartalom(m), elotte);
    }

    void meglevoAdatbazisMarad()
    {
        TesztKornyezet k(false);
        const QString m = k.adatMappa();
        regiMappaIr(m);
        Adatbazis::megnyit(m);
        Adatbazis::vegrehajt("INSERT INTO marka (marka_nev) VALUES ('Opel')");
        Adatbazis::bezar();
        QVERIFY(!ParadoxImport::vanRegiAdatbazis(m));
        const QStringList elotte = mappaTartalom(m);
        QVERIFY_THROWS_EXCEPTION(StoreHiba, ParadoxImport::importal(m));
        QCOMPARE(mappaTartalom(m), elotte);
        Adatbazis::megnyit(m);
        QCOMPARE(Adatbazis::ertek("SELECT marka_nev FROM marka").toString(), QString("Opel"));
        QCOMPARE(Adatbazis::ertek("SELECT count(*) FROM marka").toInt(), 1);
    }

    void nincsMitAtvenni()
    {
        TesztKornyezet k(false);
        QVERIFY(!ParadoxImport::vanRegiAdatbazis(k.adatMappa()));
        QVERIFY_THROWS_EXCEPTION(StoreHiba, ParadoxImport::importal(k.adatMappa()));
        QVERIFY_THROWS_EXCEPTION(StoreHiba, ParadoxImport::importal(k.adatMappa() + "/nincs"));
        QVERIFY(!Adatbazis::vanAdatbazis(k.adatMappa()));
    }

    // Mégse is heard inside SQLite's long statements too, while the rows are stored and while
    // the indexes are built; either way the folder stays as it was.
    void megszakitas_data()
    {
        QTest::addColumn<bool>("indexeknel");
        QTest::newRow("a sorok tárolásakor") << false;
        QTest::newRow("az indexek építésekor") << true;
    }

    void megszakitas()
    {
        QFETCH(bool, indexeknel);
        TesztKornyezet k(false);
        const QString m = k.adatMappa();
        const TablaLeiras &t = *Sema::tabla("doksi");
        tablaIr(m, "DOKSI.DB", pxMezok(t), mintaSorok(t, 200));
        const QStringList elotte = mappaTartalom(m);
        auto utasitasFut = [] {
            sqlite3 *h = Adatbazis::handle();
            for (sqlite3_stmt *st = sqlite3_next_stmt(h, nullptr); st; st = sqlite3_next_stmt(h, st))
                if (sqlite3_stmt_busy(st))
                    return true;
            return false;
        };
        bool leallitva = false;
        qint64 keszKor = -1, osszes = -1;
        try {
            ParadoxImport::importal(m, [&](const QString &tabla, qint64 kesz, qint64 o) {
                if (tabla.isEmpty() != indexeknel || !utasitasFut())
                    return true;
                leallitva = true;
                keszKor = kesz;
                osszes = o;
                return false;
            });
            QFAIL("the import went on after cancel");
        } catch (const ParadoxImport::Megszakitva &h) {
            QCOMPARE(h.uzenet(), QString("Az importálás megszakítva."));
        }
        QVERIFY(leallitva);
        // the indexes are built after the last row
        QCOMPARE(keszKor == osszes, indexeknel);
        QCOMPARE(mappaTartalom(m), elotte);
        QVERIFY(!Adatbazis::nyitva());
    }

    void parancssor()
    {
        const QString prg = qEnvironmentVariable("DORVPRG_TEST_BIN");
        QVERIFY(QFile::exists(prg));
        QProcess sugo;
        sugo.start(prg, {"--help"});
        QVERIFY(sugo.waitForFinished(30000));
        if (!sugo.readAllStandardOutput().contains("--import-paradox"))
            QSKIP("the program does not run its command-line forms yet");

        TesztKornyezet k(false);
        const QString m = k.adatMappa();
        const RegiMappa r = regiMappaIr(m, {"megj"});
        QProcess p;
        p.start(prg, {"--import-paradox", m});
        QVERIFY(p.waitForFinished(60000));
        const QString ki = QString::fromUtf8(p.readAllStandardOutput());
        QVERIFY2(p.exitCode() == 0, qPrintable(QString::fromUtf8(p.readAllStandardError())));
        QVERIFY2(ki.contains("doksi: 40 sor") && ki.contains("megj: nincs megj.DB, üres tábla"), qPrintable(ki));
        QVERIFY(Adatbazis::vanAdatbazis(m));

        // a second run refuses: the folder has our database now
        p.start(prg, {"--import-paradox", m});
        QVERIFY(p.waitForFinished(60000));
        QVERIFY(p.exitCode() != 0);
        QVERIFY(QString::fromUtf8(p.readAllStandardError()).contains("már van adatbázis"));
        p.start(prg, {"--import-paradox"});
        QVERIFY(p.waitForFinished(60000));
        QVERIFY(p.exitCode() != 0);
    }
};

QTEST_MAIN(ParadoxTeszt)
#include "tst_paradox.moc"
