#include "Adatbazis.h"
#include "Jelszo.h"
#include "ArchivIro.h"
#include "Beall.h"
#include "PgMentes.h"
#include "PgSzerver.h"
#include "ProgramFutas.h"
#include "Sema.h"
#include "StoreHiba.h"
#include "Tabla.h"
#include "TesztKornyezet.h"
#include "Tfrm_Main.h"
#include "../store/tst_paradoxIro.h"

#include <QAction>
#include <QDate>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QProcess>
#include <QRect>
#include <QScopeGuard>
#include <QSqlQuery>
#include <QSysInfo>
#include <QUrl>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTest>
#include <sqlite3.h>
#include <sys/stat.h>

// The program around a register on a PostgreSQL server: the start against a server that is
// down (message, Újra, Kilépés), the command line's exit codes, --copy-to from a local
// register (rows, keys, counters; a database in use refused; a failure half-way leaves it
// empty) and the archive's dump restored with pg_restore.
class PgSzerverTeszt : public QObject {
    Q_OBJECT

    PgSzerver *m_sz = nullptr;

    static QString adatbazisNev(const QString &kapcsolat) { return kapcsolat.section("dbname=", 1).section(' ', 0, 0); }

    // Every row of every table as the program reads them, rows in a fixed order.
    static QMap<QString, QStringList> tartalom()
    {
        QMap<QString, QStringList> m;
        for (const TablaLeiras &t : Sema::tablak()) {
            QStringList oszlopok;
            for (const MezoLeiras &mz : t.mezok)
                oszlopok << mz.nev;
            QSqlQuery q = Adatbazis::lekerdez(QString("SELECT %1 FROM %2").arg(oszlopok.join(", "), t.nev));
            QStringList sorok;
            while (q.next()) {
                QStringList s;
                for (int i = 0; i < oszlopok.size(); ++i) {
                    const QVariant v = q.value(i);
                    s << (v.isNull() ? QString("<null>")
                                     : v.typeId() == QMetaType::QDate ? v.toDate().toString(Qt::ISODate) : v.toString());
                }
                sorok << s.join('|');
            }
            sorok.sort();
            m.insert(t.nev, sorok);
        }
        return m;
    }

    // A local register with rows in every table: texts with the characters COPY escapes,
    // nulls, keys with a gap and a deleted last letter.
    static void helyiRegiszter()
    {
        Adatbazis::vegrehajt("INSERT INTO marka (marka, marka_nev, kep) VALUES (3, 'Škoda', 2), (7, 'Árvíztűrő', NULL)");
        Adatbazis::vegrehajt("INSERT INTO alkatresz (alkatresz, alkatresz_nev) VALUES (1, 'fék\tbetét'), (4, 'back\\slash')");
        Adatbazis::vegrehajt("INSERT INTO ugyfel (ugyfel, ugyfel_nev, telefon, cim_varos) VALUES "
                             "(2, 'Kovács Ödön', '+36 1 234 5678', 'Győr'), (6, 'Nagy\r\nÉva', NULL, '')");
        for (int i = 1; i <= 12; ++i)
            Adatbazis::vegrehajt("INSERT INTO doksi (doksi, doksi_id, datum, marka, alkatresz, ugyfel, rendszam, prntip, "
                                 "megjegyzes, dat_beerk) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?)",
                                 {i, i <= 8 ? i : i - 8, QDate(2024, 1, i).toString(Qt::ISODate), i % 2 ? 3 : 7,
                                  i % 2 ? 1 : 4, i % 3 ? 2 : 6, QString("ABC-%1").arg(i, 3, 10, QChar('0')),
                                  i <= 8 ? "J" : "S", i == 5 ? QVariant() : QVariant(QString("sor\nmásik \\N sor %1").arg(i)),
                                  i == 2 ? QVariant() : QVariant(QDate(2024, 2, i).toString(Qt::ISODate))});
        Adatbazis::vegrehajt("DELETE FROM doksi WHERE doksi IN (4, 12)");
        Adatbazis::vegrehajt("INSERT INTO doksi_megj (doksi_megj, doksi, datum, rovid, megjegyzes) VALUES "
                             "(1, 1, '2024-03-01', 'rövid', 'hosszú\nmegjegyzés\ttabbal'), (2, 12, NULL, NULL, NULL)");
        Adatbazis::vegrehajt("INSERT INTO megj (megj, doksi, doknev, doknev_rovid, datum) VALUES "
                             "(5, 3, 'Data/levél.pdf', 'levél', '2024-04-05')");
        Adatbazis::vegrehajt("INSERT INTO reklamacio (reklamacio, doksi, datum, kmora, panasz, allapot, dat_kuldes, koltseg, "
                             "felhasznalo) VALUES (2, 1, '2024-05-02', '12 000', 'zörög\tcsörög \\N', 'Beszállítónál', "
                             "'2024-05-03', 15000, 'recepcio'), (9, 3, NULL, NULL, NULL, 'Javítva', NULL, NULL, NULL)");
        Adatbazis::vegrehajt("INSERT INTO felhasznalo VALUES ('recepcio', 'Recepció', ?, 'N', 'I')", {Jelszo::hash("jelszó")});
        Adatbazis::vegrehajt("UPDATE tulajdonos SET tulajdonos = 'Próba Műhely Kft.', varos = 'Pécs'");
    }

    // The local register of k's folder copied by the program to a new server database.
    ProgramFutas masolas(TesztKornyezet &k, const QString &kapcsolat)
    {
        Adatbazis::bezar();
        return ProgramFuttat(k.programMappa(), {"--data", k.adatMappa(), "--copy-to", kapcsolat});
    }

    // DorvPrg.ini of k names the server kapcsolat
    static void iniKapcsolat(TesztKornyezet &k, const QString &kapcsolat)
    {
        Beall.AdatbazisUtvonal = k.adatMappa();
        Beall.AdatbazisKapcsolat = kapcsolat;
        BeallitasIr(QRect(0, 0, 640, 400));
    }

    QString tablak(const QString &kapcsolat)
    {
        return m_sz->sql(adatbazisNev(kapcsolat), "SELECT string_agg(relname, ',' ORDER BY relname) FROM pg_class c "
                                                 "JOIN pg_namespace n ON n.oid = c.relnamespace "
                                                 "WHERE n.nspname = 'public' AND relkind IN ('r', 'S')").trimmed();
    }

private slots:
    void initTestCase()
    {
        m_sz = PgSzerver::kozos();
        if (!m_sz)
            QSKIP(qPrintable("Nincs PostgreSQL-kiszolgáló: " + PgSzerver::hibaSzoveg()));
    }

    // The administrator's script: a role that may only log in and own its database, a
    // password set from stdin, a second run that changes nothing, a role with more rights
    // cut back, and a database of another owner refused untouched.
    void pgSetup()
    {
        const auto futtat = [&](const QStringList &arg, const QByteArray &be = {}) { return m_sz->pgSetup(arg, be); };
        const auto jogok = [&](const QString &szerep) {
            return m_sz->sql("postgres", QString("SELECT rolcanlogin, rolsuper, rolcreatedb, rolcreaterole, rolpassword IS NOT NULL "
                                                 "FROM pg_authid WHERE rolname = '%1'").arg(szerep)).trimmed();
        };
        const auto tulaj = [&](const QString &db) {
            return m_sz->sql("postgres", QString("SELECT pg_get_userbyid(datdba) FROM pg_database WHERE datname = '%1'")
                                             .arg(db)).trimmed();
        };

        auto [kod, ki] = futtat({"--role", "muhely", "--database", "muhely_db", "--password-stdin"}, "titok jelszó\n");
        QVERIFY2(kod == 0, qPrintable(ki));
        QCOMPARE(jogok("muhely"), QString("t|f|f|f|t"));
        QCOMPARE(tulaj("muhely_db"), QString("muhely"));
        QVERIFY2(ki.contains("Kapcsolat=") && ki.contains("dbname=muhely_db user=muhely") && !ki.contains("titok"),
                 qPrintable(ki));
        // the program's role reaches it, another role does not
        QCOMPARE(m_sz->sql("postgres", "SELECT has_database_privilege('muhely', 'muhely_db', 'CONNECT'), "
                                       "has_database_privilege('dorvprg', 'muhely_db', 'CONNECT')").trimmed(),
                 QString("t|f"));

        std::tie(kod, ki) = futtat({"--role", "muhely", "--database", "muhely_db", "--no-password"});
        QVERIFY2(kod == 0 && ki.contains("már létezett"), qPrintable(ki));
        QCOMPARE(jogok("muhely"), QString("t|f|f|f|t"));

        QVERIFY(!m_sz->sql("postgres", "CREATE ROLE tobbjog CREATEDB CREATEROLE NOLOGIN").isNull());
        std::tie(kod, ki) = futtat({"--role", "tobbjog", "--database", "tobbjog_db", "--no-password"});
        QVERIFY2(kod == 0, qPrintable(ki));
        QCOMPARE(jogok("tobbjog"), QString("t|f|f|f|f"));

        std::tie(kod, ki) = futtat({"--role", "tobbjog", "--database", "muhely_db", "--no-password"});
        QCOMPARE(kod, 1);
        QVERIFY2(ki.contains("muhely_db") && ki.contains("tulajdonosa muhely"), qPrintable(ki));
        QCOMPARE(tulaj("muhely_db"), QString("muhely"));

        // a new role without any way to give it a password is not made half-way
        std::tie(kod, ki) = futtat({"--role", "jelszonelkul"});
        QCOMPARE(kod, 1);
        QCOMPARE(jogok("jelszonelkul"), QString());
        std::tie(kod, ki) = futtat({"--ismeretlen"});
        QCOMPARE(kod, 2);
    }

    // Started while the server is down: the message names the server and libpq's reason;
    // Újra after the server came back opens the register, Kilépés ends the start.
    void indulasElerhetetlenKiszolgalo_data()
    {
        QTest::addColumn<bool>("ujra");
        QTest::newRow("újra, a kiszolgáló közben elindult") << true;
        QTest::newRow("kilépés") << false;
    }
    void indulasElerhetetlenKiszolgalo()
    {
        QFETCH(bool, ujra);
        TesztKornyezet k(false);
        const QString kapcsolat = m_sz->ujAdatbazis();
        QVERIFY2(!kapcsolat.isEmpty(), qPrintable(m_sz->hiba()));
        Beall.AdatbazisKapcsolat = kapcsolat;
        BeallitasIr(QRect(0, 0, 640, 400));
        QVERIFY(m_sz->leall());
        QList<UzenetKeres> kerdesek;
        setValaszolo([&](const UzenetKeres &u) {
            kerdesek << u;
            if (u.tipus == UzenetKeres::Kerdes && ujra)
                return m_sz->indul();
            return u.tipus != UzenetKeres::Kerdes;
        });
        Tfrm_Main w;
        const bool indult = w.inditas();
        if (!ujra)
            QVERIFY(m_sz->indul());
        QCOMPARE(indult, ujra);
        QCOMPARE(kerdesek.size(), 1);
        const UzenetKeres &u = kerdesek.first();
        QCOMPARE(u.tipus, UzenetKeres::Kerdes);
        QCOMPARE(u.cim, QString("A kiszolgáló nem érhető el"));
        QVERIFY2(u.szoveg.contains(m_sz->socketMappa()) && u.szoveg.contains(QString::number(m_sz->port()))
                     && u.szoveg.contains("Újra") && u.szoveg.contains("Kilépés"),
                 qPrintable(u.szoveg));
        // libpq's own reason travels along
        QVERIFY2(u.szoveg.contains("No such file or directory") || u.szoveg.contains("Connection refused"),
                 qPrintable(u.szoveg));
        QCOMPARE(Adatbazis::nyitva(), ujra);
        if (ujra) {
            QCOMPARE(w.statusPanel(0)->text(), QString("0/0"));
            QCOMPARE(Adatbazis::motor(), Adatbazis::Motor::PostgreSQL);
            // the register made on first use: its default rows are on the server
            QCOMPARE(m_sz->sql(adatbazisNev(kapcsolat), "SELECT count(*) FROM felhasznalo").trimmed(), QString("1"));
        }
        // the folder did not get a local register instead
        QVERIFY(!Adatbazis::vanAdatbazis(k.adatMappa()));
    }

    // The command line on a server register: a form works on it; a server that is down is
    // one line on stderr and exit code 1; a wrong call of --copy-to is 2.
    void parancssorKilepesiKodok()
    {
        TesztKornyezet k(false);
        const QString kapcsolat = m_sz->ujAdatbazis();
        QVERIFY(!kapcsolat.isEmpty());
        Adatbazis::megnyit(k.adatMappa(), kapcsolat);
        Adatbazis::vegrehajt("INSERT INTO doksi (doksi_id, prntip, rendszam) VALUES (1, 'J', 'XYZ-001')");
        Adatbazis::bezar();
        Beall.AdatbazisKapcsolat = kapcsolat;
        BeallitasIr(QRect(0, 0, 640, 400));
        const QString csv = QDir(k.programMappa()).filePath("ki.csv");

        ProgramFutas f = ProgramFuttat(k.programMappa(), {"--export", "J", csv});
        QVERIFY2(f.kod == 0, qPrintable(f.hiba));
        QFile be(csv);
        QVERIFY(be.open(QIODevice::ReadOnly));
        QVERIFY(be.readAll().contains("XYZ-001"));

        QVERIFY(m_sz->leall());
        const ProgramFutas le = ProgramFuttat(k.programMappa(), {"--export", "J", csv});
        const ProgramFutas arch = ProgramFuttat(k.programMappa(), {"--archive", QDir(k.programMappa()).filePath("a.zip")});
        QVERIFY(m_sz->indul());
        for (const ProgramFutas &p : {le, arch}) {
            QCOMPARE(p.kod, 1);
            QVERIFY2(p.hiba.count('\n') == 1, qPrintable(p.hiba));
            QVERIFY2(p.hiba.contains(m_sz->socketMappa()) && p.hiba.contains(QString::number(m_sz->port())),
                     qPrintable(p.hiba));
        }
        QVERIFY(!QFile::exists(QDir(k.programMappa()).filePath("a.zip")));

        for (const QStringList &a : {QStringList{"--copy-to"}, QStringList{"--copy-to", kapcsolat, "tobb"},
                                     QStringList{"--copy-to", " "}}) {
            f = ProgramFuttat(k.programMappa(), a);
            QVERIFY2(f.kod == 2, qPrintable(a.join(' ') + ": " + f.hiba));
        }
        f = ProgramFuttat(k.programMappa(), {"--help"});
        QVERIFY(f.ki.contains("--copy-to KAPCSOLAT") && f.ki.contains("Kapcsolat="));
    }

    // --copy-to into an empty database: every row of every table arrives as it was, and the
    // counters go on after the highest key given (the deleted last letter's too).
    void masolasUresAdatbazisba()
    {
        TesztKornyezet k;
        helyiRegiszter();
        const QMap<QString, QStringList> helyi = tartalom();
        Tabla helyiLevelek("doksi");
        helyiLevelek.megnyit();
        const int jKovetkezo = helyiLevelek.kovetkezoSzam("doksi_id", "prntip", "J");
        QCOMPARE(jKovetkezo, 9);
        helyiLevelek.bezar();
        const QString kapcsolat = m_sz->ujAdatbazis();
        const ProgramFutas f = masolas(k, kapcsolat);
        QVERIFY2(f.kod == 0, qPrintable(f.hiba));
        // the history of the local register's writes goes along, row for row
        const qsizetype naplo = helyi.value("naplo").size();
        QVERIFY(naplo > 0);
        QVERIFY2(f.ki.contains("doksi: 10 sor") && f.ki.contains("reklamacio: 2 sor")
                     && f.ki.contains(QString("naplo: %1 sor").arg(naplo))
                     && f.ki.contains(QString("Átmásolva a kiszolgálóra: %1 sor").arg(25 + naplo))
                     && f.ki.contains("áthelyezettként megjelölve"),
                 qPrintable(f.ki));
        // the old local register is refused, by the program too when Kapcsolat= is emptied,
        // and its rows are kept as they were
        try {
            Adatbazis::megnyit(k.adatMappa());
            QFAIL("a moved register opened");
        } catch (const StoreHiba &h) {
            QVERIFY2(h.uzenet().contains("átmásolták a kiszolgálóra") && h.uzenet().contains(adatbazisNev(kapcsolat))
                         && h.uzenet().contains("Kapcsolat="),
                     qPrintable(h.uzenet()));
        }
        QCOMPARE(Adatbazis::nyitva(), false);
        const ProgramFutas helyiFutas = ProgramFuttat(k.programMappa(), {"--data", k.adatMappa(), "--export", "J",
                                                                          QDir(k.programMappa()).filePath("ki.csv")});
        QCOMPARE(helyiFutas.kod, 1);
        QVERIFY2(helyiFutas.hiba.contains("átmásolták a kiszolgálóra"), qPrintable(helyiFutas.hiba));
        Adatbazis::megnyit(k.adatMappa(), {}, true);
        QCOMPARE(tartalom(), helyi);

        Adatbazis::megnyit(k.adatMappa(), kapcsolat);
        QCOMPARE(Adatbazis::motor(), Adatbazis::Motor::PostgreSQL);
        const QMap<QString, QStringList> szerver = tartalom();
        for (auto it = helyi.cbegin(); it != helyi.cend(); ++it)
            QCOMPARE(szerver.value(it.key()), it.value());
        // the search index was built for the copied rows
        QCOMPARE(Adatbazis::ertek("SELECT count(*) FROM doksi_nagybetu").toInt(), 10);

        Tabla t("doksi");
        t.megnyit();
        t.beszur();
        t.setErtek("prntip", "J");
        t.setErtek("doksi_id", t.kovetkezoSzam("doksi_id", "prntip", "J"));
        t.sorszamoz("doksi_id", "prntip");
        t.post();
        QCOMPARE(t.ertek("doksi").toInt(), 13);
        QCOMPARE(t.ertek("doksi_id").toInt(), jKovetkezo);
        t.bezar();
        Tabla m("marka");
        m.megnyit();
        m.beszur();
        m.setErtek("marka_nev", "Új márka");
        m.post();
        QCOMPARE(m.ertek("marka").toInt(), 8);
        m.bezar();
        Adatbazis::vegrehajt("INSERT INTO reklamacio (doksi) VALUES (1)");
        QCOMPARE(Adatbazis::ertek("SELECT max(reklamacio) FROM reklamacio").toInt(), 10);
        // a table keyed by text gets its row identity counted on too
        Adatbazis::vegrehajt("INSERT INTO felhasznalo (felhasznalo) VALUES ('uj')");
        QCOMPARE(Adatbazis::ertek("SELECT count(DISTINCT rowid) FROM felhasznalo").toInt(), 3);
    }

    // A folder of the earlier program's tables: taken over into a local register first, then
    // copied, the old keys kept.
    void masolasParadoxMappabol()
    {
        TesztKornyezet k(false);
        PxIro d(QDir(k.adatMappa()).filePath("DOKSI.DB"), pxMezok(*Sema::tabla("doksi")));
        d.sor({5, 1, QDate(2004, 5, 6), "1 év", 3, {}, "ÁBC-123", {}, "SN-ő", "J"});
        d.sor({9, 1, QDate(2004, 6, 1), {}, {}, {}, "ŐŰ-001", {}, {}, "S"});
        d.bezar();
        PxIro m(QDir(k.adatMappa()).filePath("marka.DB"), pxMezok(*Sema::tabla("marka")));
        m.sor({3, "Škoda", 7});
        m.bezar();
        const QString kapcsolat = m_sz->ujAdatbazis();
        const ProgramFutas f = masolas(k, kapcsolat);
        QVERIFY2(f.kod == 0, qPrintable(f.hiba));
        QVERIFY2(f.ki.contains("Átvett Paradox táblák") && f.ki.contains("doksi: 2 sor"), qPrintable(f.ki));
        QVERIFY(Adatbazis::vanAdatbazis(k.adatMappa()));
        const QString db = adatbazisNev(kapcsolat);
        QCOMPARE(m_sz->sql(db, "SELECT string_agg(doksi || ':' || rendszam || ':' || datum, ',' ORDER BY doksi) FROM doksi")
                     .trimmed(),
                 QString("5:ÁBC-123:2004-05-06,9:ŐŰ-001:2004-06-01"));
        QCOMPARE(m_sz->sql(db, "SELECT marka || ':' || marka_nev FROM marka").trimmed(), QString("3:Škoda"));
    }

    // The server goes away during work: the command's error names the server and says the
    // next action connects again; after the restart the same command does its work.
    void kapcsolatMegszakadMunkaKozben()
    {
        TesztKornyezet k(false);
        const QString kapcsolat = m_sz->ujAdatbazis();
        Adatbazis::megnyit(k.adatMappa(), kapcsolat);
        Adatbazis::vegrehajt("INSERT INTO doksi (doksi_id, prntip, rendszam) VALUES (1, 'J', 'MEGY-001')");
        Adatbazis::bezar();
        Beall.AdatbazisKapcsolat = kapcsolat;
        BeallitasIr(QRect(0, 0, 640, 400));
        Tfrm_Main w;
        QVERIFY(w.inditas());
        QCOMPARE(w.statusPanel(0)->text(), QString("1/1"));
        QVERIFY(m_sz->leall());
        k.uzenetekTorol();
        w.akcio("aTorol")->trigger();
        QVERIFY(m_sz->indul());
        QCOMPARE(k.uzenetek().size(), 2);   // the confirmation, then the failure
        const QString hiba = k.szovegek().last();
        QVERIFY2(hiba.contains(m_sz->socketMappa()) && hiba.contains("következő műveletnél újra kapcsolódik"),
                 qPrintable(hiba));
        QCOMPARE(m_sz->sql(adatbazisNev(kapcsolat), "SELECT count(*) FROM doksi").trimmed(), QString("1"));
        k.uzenetekTorol();
        w.akcio("aTorol")->trigger();
        QCOMPARE(k.uzenetek().size(), 1);
        QCOMPARE(m_sz->sql(adatbazisNev(kapcsolat), "SELECT count(*) FROM doksi").trimmed(), QString("0"));

        // a view switch that fails leaves the tab on the view whose rows are shown
        Adatbazis::vegrehajt("INSERT INTO doksi (doksi_id, prntip, rendszam) VALUES (2, 'S', 'SZER-002')");
        QVERIFY(m_sz->leall());
        k.uzenetekTorol();
        w.TabSet1()->setCurrentIndex(1);
        QVERIFY(m_sz->indul());
        QCOMPARE(k.uzenetek().size(), 1);
        QCOMPARE(w.TabSet1()->currentIndex(), 0);
        QCOMPARE(w.Tbl().szuro(), QString("prntip='J'"));
        k.uzenetekTorol();
        w.TabSet1()->setCurrentIndex(1);
        QVERIFY2(k.uzenetek().isEmpty(), qPrintable(k.szovegek().join('\n')));
        QCOMPARE(w.Tbl().szuro(), QString("prntip='S'"));
        QCOMPARE(w.Tbl().rekordSzam(), 1);
        QCOMPARE(w.Tbl().ertek("rendszam").toString(), QString("SZER-002"));
    }

    // A database that already holds something is refused and left as it was; so is the
    // second copy into a filled database. A value the server cannot take late in the copy
    // leaves the database empty.
    void masolasElutasitva_data()
    {
        QTest::addColumn<QString>("eset");
        QTest::newRow("idegen tábla") << "idegen";
        QTest::newRow("második másolás") << "masodik";
        QTest::newRow("hiba félúton") << "felut";
        QTest::newRow("a helyi adatbázist más írja") << "zarolt";
    }
    void masolasElutasitva()
    {
        QFETCH(QString, eset);
        TesztKornyezet k;
        helyiRegiszter();
        const QString kapcsolat = m_sz->ujAdatbazis();
        const QString db = adatbazisNev(kapcsolat);
        if (eset == "idegen")
            QVERIFY(!m_sz->sql(db, "CREATE TABLE idegen (x int); INSERT INTO idegen VALUES (42)").isNull());
        if (eset == "masodik") {
            const ProgramFutas elso = ProgramFuttat(k.programMappa(), {"--data", k.adatMappa(), "--copy-to", kapcsolat});
            QVERIFY2(elso.kod == 0, qPrintable(elso.hiba));
            Adatbazis::megnyit(k.adatMappa(), {}, true);   // marked as moved by the first copy
            Adatbazis::vegrehajt("INSERT INTO marka (marka_nev) VALUES ('csak helyben')");
        }
        if (eset == "felut")   // the notes' table comes after the letters and the masters
            Adatbazis::vegrehajt("INSERT INTO megj (megj, doksi) VALUES (9, 'nem szám')");
        const QString tablakElotte = tablak(kapcsolat);
        const QString markak = m_sz->sql(db, eset == "masodik" ? "SELECT string_agg(marka_nev, ',' ORDER BY marka) FROM marka"
                                                               : "SELECT 1");

        // another program holds the local register's write lock: the copy would miss what it writes
        sqlite3 *masik = nullptr;
        const auto elenged = qScopeGuard([&masik] { sqlite3_close(masik); });
        if (eset == "zarolt") {
            QCOMPARE(sqlite3_open(QFile::encodeName(QDir(k.adatMappa()).filePath(Adatbazis::FAJLNEV)).constData(), &masik),
                     SQLITE_OK);
            QCOMPARE(sqlite3_exec(masik, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), SQLITE_OK);
        }
        const ProgramFutas f = masolas(k, kapcsolat);
        QVERIFY2(f.kod == 1, qPrintable(f.ki + f.hiba));
        QCOMPARE(f.hiba.count('\n'), 1);
        if (eset == "zarolt") {
            QVERIFY2(f.hiba.contains("másik program"), qPrintable(f.hiba));
            QCOMPARE(sqlite3_exec(masik, "ROLLBACK", nullptr, nullptr, nullptr), SQLITE_OK);
            // not marked: the local register opens as before
            Adatbazis::megnyit(k.adatMappa());
            QCOMPARE(Adatbazis::ertek("SELECT count(*) FROM doksi").toInt(), 10);
        } else if (eset == "felut")
            QVERIFY2(f.hiba.contains("megj") && f.hiba.contains("nem szám"), qPrintable(f.hiba));
        else
            QVERIFY2(f.hiba.contains("nem üres"), qPrintable(f.hiba));
        QCOMPARE(tablak(kapcsolat), tablakElotte);
        if (eset == "felut")
            QCOMPARE(tablakElotte, QString());
        if (eset == "idegen")
            QCOMPARE(m_sz->sql(db, "SELECT x FROM idegen").trimmed(), QString("42"));
        if (eset == "masodik")
            QCOMPARE(m_sz->sql(db, "SELECT string_agg(marka_nev, ',' ORDER BY marka) FROM marka"), markak);
    }

    // The archive of a server register holds its dump beside the folder's files; restored
    // into a new database with pg_restore, every table equals the original.
    void archivVisszaallitva()
    {
        TesztKornyezet k(false);
        // the local register it was once copied from stays in the folder, but is not this one
        Adatbazis::megnyit(k.adatMappa());
        Adatbazis::vegrehajt("INSERT INTO marka (marka_nev) VALUES ('régi helyi')");
        Adatbazis::bezar();
        const QString kapcsolat = m_sz->ujAdatbazis();
        Adatbazis::megnyit(k.adatMappa(), kapcsolat);
        helyiRegiszter();
        Adatbazis::bezar();
        // a stale file of the dump's name in the folder is not what the archive holds
        QFile regi(QDir(k.adatMappa()).filePath(PgMentes::FAJLNEV));
        QVERIFY(regi.open(QIODevice::WriteOnly) && regi.write("régi") == 5 && regi.flush());
        regi.close();
        Beall.AdatbazisKapcsolat = kapcsolat;
        BeallitasIr(QRect(0, 0, 640, 400));
        const QString zip = QDir(k.programMappa()).filePath("mentes.zip");
        const mode_t maszk = ::umask(0);
        const ProgramFutas f = ProgramFuttat(k.programMappa(), {"--archive", zip});
        ::umask(maszk);
        QVERIFY2(f.kod == 0, qPrintable(f.hiba));
        QCOMPARE(QFileInfo(zip).permissions() & 0x0777, QFileDevice::ReadUser | QFileDevice::WriteUser);

        QTemporaryDir ki;
        QProcess unzip;
        unzip.start("unzip", {"-q", zip, "-d", ki.path()});
        QVERIFY(unzip.waitForFinished() && unzip.exitCode() == 0);
        for (const char *n : {"s1.txt", "s2.txt", "s3.txt"})
            QVERIFY2(QFile::exists(QDir(ki.path()).filePath(n)), n);
        QVERIFY(Adatbazis::vanAdatbazis(k.adatMappa()));
        QVERIFY(!Adatbazis::vanAdatbazis(ki.path()));
        const QString dump = QDir(ki.path()).filePath(PgMentes::FAJLNEV);
        QVERIFY(QFileInfo(dump).size() > 1000);

        const QString uj = m_sz->ujAdatbazis();
        QProcess visszaallit;
        visszaallit.setProcessChannelMode(QProcess::MergedChannels);
        visszaallit.start(PgSzerver::binMappa() + "/pg_restore", {"--no-owner", "--exit-on-error", "--dbname=" + uj, dump});
        QVERIFY(visszaallit.waitForFinished(120000));
        QVERIFY2(visszaallit.exitCode() == 0, visszaallit.readAll().constData());
        for (const TablaLeiras &t : Sema::tablak()) {
            const QString s = QString("SELECT * FROM %1 ORDER BY %2").arg(t.nev, Sema::sorAzonosito(t, Adatbazis::Motor::PostgreSQL));
            const QString eredeti = m_sz->sql(adatbazisNev(kapcsolat), s);
            QVERIFY(!eredeti.isEmpty());
            QCOMPARE(m_sz->sql(adatbazisNev(uj), s), eredeti);
        }
        // the restored register opens as it is and counts on
        Adatbazis::megnyit(k.adatMappa(), uj);
        Adatbazis::vegrehajt("INSERT INTO marka (marka_nev) VALUES ('visszaállítva')");
        QCOMPARE(Adatbazis::ertek("SELECT max(marka) FROM marka").toInt(), 8);
    }

    // A connection string in any form libpq reads reaches the server: URIs (a socket folder
    // in the query or percent-encoded as host) and a database name with a quote, a blank and
    // a ';'. The program's connections say which program and desk they are.
    void kapcsolatFormai_data()
    {
        QTest::addColumn<QString>("forma");
        QTest::newRow("URI, host a lekérdezésben") << "uri";
        QTest::newRow("URI, kódolt socket mappa") << "uri-kodolt";
        QTest::newRow("idézőjel, szóköz, pontosvessző a névben") << "nev";
    }
    void kapcsolatFormai()
    {
        QFETCH(QString, forma);
        TesztKornyezet k(false);
        QString db = adatbazisNev(m_sz->ujAdatbazis());
        const QString sock = m_sz->socketMappa(), port = QString::number(m_sz->port());
        QString kapcsolat;
        if (forma == "uri")
            kapcsolat = QString("postgresql://dorvprg@/%1?host=%2&port=%3").arg(db, sock, port);
        else if (forma == "uri-kodolt")
            kapcsolat = QString("postgres://dorvprg@%1:%2/%3").arg(QString::fromLatin1(QUrl::toPercentEncoding(sock)), port, db);
        else {
            db = "dorv;prg 'x' ő";
            QVERIFY(!m_sz->sql("postgres", "CREATE DATABASE \"dorv;prg 'x' ő\" OWNER dorvprg TEMPLATE template0 ENCODING 'UTF8'")
                         .isNull());
            kapcsolat = QString("host=%1 port=%2 user=dorvprg dbname='dorv;prg \\'x\\' ő'").arg(sock, port);
        }
        Adatbazis::megnyit(k.adatMappa(), kapcsolat);
        QCOMPARE(Adatbazis::motor(), Adatbazis::Motor::PostgreSQL);
        Adatbazis::vegrehajt("INSERT INTO doksi (doksi_id, prntip, rendszam) VALUES (1, 'J', 'URI-001')");
        QCOMPARE(m_sz->sql("postgres", QString("SELECT application_name FROM pg_stat_activity WHERE datname = '%1'")
                                           .arg(QString(db).replace('\'', "''"))).trimmed(),
                 QString("DorvPrg (%1)").arg(QSysInfo::machineHostName()));
        Adatbazis::bezar();
        iniKapcsolat(k, kapcsolat);
        const QString csv = QDir(k.programMappa()).filePath("ki.csv");
        const ProgramFutas f = ProgramFuttat(k.programMappa(), {"--export", "J", csv});
        QVERIFY2(f.kod == 0, qPrintable(f.hiba));
        QFile be(csv);
        QVERIFY(be.open(QIODevice::ReadOnly) && be.readAll().contains("URI-001"));
    }

    // A password in DorvPrg.ini, in whatever form Qt or libpq would take it, is refused by the
    // window and the command line alike, naming the key and the file, and never used.
    void jelszoAzIniben_data()
    {
        QTest::addColumn<QString>("minta");   // %1: the test database's keywords
        QTest::newRow("kulcsszó") << "%1 password=titok";
        QTest::newRow("pontosvesszővel, ahogy a Qt olvasná") << "%1;password=titok";
        QTest::newRow("URI") << "URI";
    }
    void jelszoAzIniben()
    {
        QFETCH(QString, minta);
        TesztKornyezet k(false);
        const QString jo = m_sz->ujAdatbazis();
        const QString kapcsolat = minta == "URI"
            ? QString("postgresql://dorvprg:titok@/%1?host=%2&port=%3").arg(adatbazisNev(jo), m_sz->socketMappa()).arg(m_sz->port())
            : minta.arg(jo);
        iniKapcsolat(k, kapcsolat);
        const QString csv = QDir(k.programMappa()).filePath("ki.csv");
        const ProgramFutas f = ProgramFuttat(k.programMappa(), {"--export", "J", csv});
        QCOMPARE(f.kod, 1);
        for (const QString &uzenet : {f.hiba, [&] {
                 QStringList l;
                 setValaszolo([&](const UzenetKeres &u) { l << u.szoveg; return false; });
                 Tfrm_Main w;
                 const bool indult = w.inditas();
                 setValaszolo({});
                 return indult ? QString("elindult") : l.join('\n');
             }()}) {
            QVERIFY2(uzenet.contains("Kapcsolat=") && uzenet.contains(IniFajlUt()) && uzenet.contains("jelszót")
                         && !uzenet.contains("titok"),
                     qPrintable(uzenet));
        }
        QVERIFY(!QFile::exists(csv));
        QVERIFY(!Adatbazis::nyitva());
        // nobody connected: the register was never made
        QCOMPARE(tablak(jo), QString());
    }

    // The server of a service entry that is down is told with the entry's port; one that is
    // up opens.
    void szolgaltatasPortja_data()
    {
        QTest::addColumn<bool>("fut");
        QTest::newRow("leállt") << false;
        QTest::newRow("fut") << true;
    }
    void szolgaltatasPortja()
    {
        QFETCH(bool, fut);
        TesztKornyezet k(false);
        QTemporaryDir dir;
        const int port = fut ? m_sz->port() : m_sz->port() + 7;
        QFile f(dir.filePath("pg_service.conf"));
        QVERIFY(f.open(QIODevice::WriteOnly));
        const QByteArray szoveg = QString("[dorvprg_proba]\nhost=%1\nport=%2\ndbname=%3\nuser=dorvprg\n")
                                      .arg(m_sz->socketMappa()).arg(port).arg(adatbazisNev(m_sz->ujAdatbazis())).toUtf8();
        QVERIFY(f.write(szoveg) == szoveg.size() && f.flush());
        f.close();
        qputenv("PGSERVICEFILE", QFile::encodeName(f.fileName()));
        const auto vissza = qScopeGuard([] { qunsetenv("PGSERVICEFILE"); });
        try {
            Adatbazis::megnyit(k.adatMappa(), "service=dorvprg_proba");
            QVERIFY(fut);
            QCOMPARE(Adatbazis::motor(), Adatbazis::Motor::PostgreSQL);
        } catch (const KapcsolatHiba &h) {
            QVERIFY2(!fut, qPrintable(h.uzenet()));
            QCOMPARE(h.port(), QString::number(port));
            QCOMPARE(h.gep(), m_sz->socketMappa());
            QVERIFY2(h.uzenet().contains(QString::number(port)) && !h.uzenet().contains("5432"), qPrintable(h.uzenet()));
        }
    }

    // A table another session holds locked: pg_dump (named as the program's, with the desk)
    // gives up after the program's lock wait instead of waiting for ever, and the archive
    // says why; once free, the archive is made.
    void mentesZaroltTabla()
    {
        TesztKornyezet k(false);
        const QString kapcsolat = m_sz->ujAdatbazis();
        Adatbazis::megnyit(k.adatMappa(), kapcsolat);
        Adatbazis::bezar();
        iniKapcsolat(k, kapcsolat);
        const QString zip = QDir(k.programMappa()).filePath("mentes.zip");
        {
            QSqlDatabase z = Adatbazis::kapcsolodik("DorvPrgZarolo", kapcsolat);
            QSqlQuery q(z);
            QVERIFY(q.exec("BEGIN") && q.exec("LOCK TABLE doksi IN ACCESS EXCLUSIVE MODE"));
            QProcess p;
            ProgramIndit(p, k.programMappa(), {"--archive", zip});
            QString varakozo;
            QTRY_VERIFY_WITH_TIMEOUT(!(varakozo = m_sz->sql(adatbazisNev(kapcsolat),
                                                            "SELECT application_name FROM pg_stat_activity "
                                                            "WHERE wait_event_type = 'Lock'").trimmed()).isEmpty(),
                                     30000);
            QCOMPARE(varakozo, QString("DorvPrg pg_dump (%1)").arg(QSysInfo::machineHostName()));
            QVERIFY(p.waitForFinished(120000));
            const QString hiba = QString::fromUtf8(p.readAllStandardError());
            QCOMPARE(p.exitCode(), 1);
            QVERIFY2(hiba.contains("zárolva") && hiba.contains("pg_dump"), qPrintable(hiba));
            QVERIFY(!QFile::exists(zip));
            z.close();
        }
        QSqlDatabase::removeDatabase("DorvPrgZarolo");
        const ProgramFutas f = ProgramFuttat(k.programMappa(), {"--archive", zip});
        QVERIFY2(f.kod == 0, qPrintable(f.hiba));
        QVERIFY(QFile::exists(zip));
    }
};

QTEST_MAIN(PgSzerverTeszt)
#include "tst_pgszerver.moc"
