#include "Adatbazis.h"
#include "Admin.h"
#include "Beall.h"
#include "MasikProgramHiba.h"
#include "Mezo.h"
#include "PgMentes.h"
#include "PgSzerver.h"
#include "StoreHiba.h"
#include "Szerepek.h"
#include "Tabla.h"
#include "TesztKornyezet.h"
#include "Tfrm_Felhasznalo.h"
#include "Tfrm_FelhasznaloSzerkeszt.h"
#include "Tfrm_Main.h"

#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>
#include <QRect>
#include <QTest>
#include <unistd.h>

// A server register whose users are login roles of their own (pg-setup.sh --roles): the
// script's groups and grants, the server refusing a clerk's writes from the program and from
// psql alike, the administrator's users window keeping roles through the functions, and the
// login window logging in to the server.
class SzerepekTeszt : public QObject {
    Q_OBJECT

    PgSzerver *m_sz = nullptr;
    QString m_db, m_kapcsolat;
    // the login roles of the shared register and their passwords
    QString m_ugyintezo, m_torzs, m_admin;
    const QString m_jelszo = "Titok-77";

    static QString adatbazisNev(const QString &kapcsolat) { return kapcsolat.section("dbname=", 1).section(' ', 0, 0); }
    // the connection a desk of such a register has: no user, no password
    QString asztalKapcsolat() const { return QString("host=%1 port=%2 dbname=%3").arg(m_sz->socketMappa()).arg(m_sz->port()).arg(m_db); }

    // A new server register with its tables, made by the program as the owner; "" on failure.
    QString ujRegiszter(const QString &mappa)
    {
        const QString k = m_sz->ujAdatbazis();
        if (k.isEmpty())
            return {};
        Adatbazis::megnyit(mappa, k);
        Adatbazis::bezar();
        return adatbazisNev(k);
    }
    // a login role of the register made by the superuser, in the groups named
    bool szerep(const QString &db, const QString &nev, const QStringList &csoportok)
    {
        QString sql = QString("CREATE ROLE \"%1\" LOGIN PASSWORD '%2'").arg(nev, m_jelszo);
        for (const QString &c : csoportok)
            sql += QString("; GRANT \"%1_%2\" TO \"%3\"").arg(db, c, nev);
        return !m_sz->sql(db, sql).isNull();
    }
    // the program's register opened as that role
    void belep(const QString &nev, const QString &jelszo = {})
    {
        Adatbazis::megnyit(Beall.AdatbazisUtvonal, asztalKapcsolat(), false, {nev, jelszo.isNull() ? m_jelszo : jelszo});
    }
    bool belephet(const QString &nev, const QString &jelszo)
    {
        return !m_sz->sqlSzerepkent(m_db, nev, jelszo, "SELECT 1").isNull();
    }
    QString csoportjai(const QString &nev)
    {
        return m_sz->sql("postgres", QString("SELECT string_agg(g.rolname, ',' ORDER BY g.rolname) FROM pg_auth_members m "
                                             "JOIN pg_roles g ON g.oid = m.roleid JOIN pg_roles r ON r.oid = m.member "
                                             "WHERE r.rolname = '%1'").arg(QString(nev).replace('\'', "''")))
            .trimmed();
    }

private slots:
    void initTestCase()
    {
        m_sz = PgSzerver::kozos();
        if (!m_sz)
            QSKIP(qPrintable("Nincs PostgreSQL-kiszolgáló: " + PgSzerver::hibaSzoveg()));
        TesztKornyezet k(false);
        m_db = ujRegiszter(k.adatMappa());
        QVERIFY2(!m_db.isEmpty(), qPrintable(m_sz->hiba()));
        const QString p = QString("u%1").arg(getpid() % 100000);
        m_ugyintezo = p + "_ugy";
        m_torzs = p + "_torzs";
        m_admin = p + "_admin";
        const auto [kod, ki] = m_sz->pgSetup({"--database", m_db, "--roles", "--admin", m_admin, "--password-stdin"},
                                             (m_jelszo + "\n").toUtf8());
        QVERIFY2(kod == 0, qPrintable(ki));
        QVERIFY(szerep(m_db, m_ugyintezo, {"mindenki"}));
        QVERIFY(szerep(m_db, m_torzs, {"mindenki", "torzsszerkeszt"}));
    }
    void cleanup() { Adatbazis::bezar(); }

    // The script: refused before the tables exist; then groups, the meta rows of the mode,
    // functions that run as their owner with the catalog's search path, a desk's connection
    // without user or password; the change history insert only for every user, read for
    // administrators; a table the list does not name is reported.
    void beallitas()
    {
        const QString ures = adatbazisNev(m_sz->ujAdatbazis());
        auto [kod, ki] = m_sz->pgSetup({"--database", ures, "--roles", "--no-password"});
        QCOMPARE(kod, 1);
        QVERIFY2(ki.contains("még nincsenek meg a program táblái"), qPrintable(ki));
        QCOMPARE(m_sz->sql("postgres", QString("SELECT count(*) FROM pg_roles WHERE rolname LIKE '%1\\_%'").arg(ures)).trimmed(),
                 QString("0"));

        TesztKornyezet k(false);
        const QString db = ujRegiszter(k.adatMappa());
        QVERIFY(!m_sz->sql(db, "SET ROLE dorvprg; CREATE TABLE idegen (x int)").isNull());
        std::tie(kod, ki) = m_sz->pgSetup({"--database", db, "--roles", "--no-password"});
        QVERIFY2(kod == 0, qPrintable(ki));
        QVERIFY2(ki.contains(QString("Kapcsolat=host=%1 port=%2 dbname=%3\n").arg(m_sz->socketMappa()).arg(m_sz->port()).arg(db)),
                 qPrintable(ki));
        QVERIFY2(ki.contains("nincsenek a jogosultsági listán, csak a(z) dorvprg éri el őket: idegen"), qPrintable(ki));
        QVERIFY2(!ki.contains("még nem létező"), qPrintable(ki));
        QCOMPARE(m_sz->sql(db, "SELECT string_agg(kulcs || '=' || ertek, ',' ORDER BY kulcs) FROM meta WHERE kulcs LIKE 'szerep%'").trimmed(),
                 QString("szerep_mindenki=%1_mindenki,szerep_rendszergazda=%1_rendszergazda,szerep_torzsszerkeszt=%1_torzsszerkeszt").arg(db));
        QCOMPARE(m_sz->sql(db, QString("SELECT count(*) FROM pg_proc WHERE proname LIKE 'dorvprg_felhasznalo_%' AND prosecdef "
                                       "AND proconfig = '{\"search_path=pg_catalog, pg_temp\"}' "
                                       "AND pg_get_userbyid(proowner) = '%1_szerepkezelo' "
                                       "AND NOT has_function_privilege('%1_mindenki', oid, 'EXECUTE') "
                                       "AND has_function_privilege('%1_rendszergazda', oid, 'EXECUTE')").arg(db)).trimmed(),
                 QString("5"));
        QCOMPARE(m_sz->sql("postgres", QString("SELECT string_agg(rolname || ':' || rolcanlogin::int || rolcreaterole::int, ',' ORDER BY rolname) "
                                               "FROM pg_roles WHERE rolname LIKE '%1\\_%'").arg(db)).trimmed(),
                 QString("%1_mindenki:00,%1_rendszergazda:00,%1_szerepkezelo:01,%1_torzsszerkeszt:00").arg(db));

        // the change history: every user adds to it, only administrators read it
        QVERIFY(szerep(db, db + "_u", {"mindenki"}));
        QVERIFY(szerep(db, db + "_a", {"mindenki", "rendszergazda"}));
        std::tie(kod, ki) = m_sz->pgSetup({"--database", db, "--roles", "--no-password"});
        QVERIFY2(kod == 0 && !ki.contains("még nem létező"), qPrintable(ki));
        const auto db_ = [&](const QString &nev, const QString &sql) {
            return !m_sz->sqlSzerepkent(db, nev, m_jelszo, sql).isNull();
        };
        QVERIFY2(db_(db + "_u", "INSERT INTO naplo (tabla) VALUES ('egy')"), qPrintable(m_sz->hiba()));
        QVERIFY(!db_(db + "_u", "SELECT count(*) FROM naplo"));
        QVERIFY(m_sz->hiba().contains("permission denied"));
        QVERIFY(!db_(db + "_u", "UPDATE naplo SET tabla = 'más'"));
        QVERIFY2(db_(db + "_a", "SELECT count(*) FROM naplo"), qPrintable(m_sz->hiba()));
        QVERIFY(!db_(db + "_a", "DELETE FROM naplo"));
    }

    // What each group may write, refused by the server from psql and from the program alike;
    // the program shows a refusal as "Nincs jogosultság a művelethez.".
    void kiszolgaloTiltja_data()
    {
        QTest::addColumn<QString>("ki");
        QTest::addColumn<QString>("sql");
        QTest::addColumn<bool>("szabad");
        const QString uj = "INSERT INTO doksi (doksi_id, prntip, rendszam) VALUES (900 + (random() * 1000)::int, 'J', 'ABC-123')";
        QTest::newRow("ügyintéző: levél") << "ugyintezo" << uj << true;
        QTest::newRow("ügyintéző: reklamáció") << "ugyintezo" << "INSERT INTO reklamacio (doksi, panasz) VALUES (1, 'zörög')" << true;
        QTest::newRow("ügyintéző: márka") << "ugyintezo" << "INSERT INTO marka (marka_nev) VALUES ('Opel')" << false;
        QTest::newRow("ügyintéző: ügyfél") << "ugyintezo" << "UPDATE ugyfel SET ugyfel_nev = 'x'" << false;
        QTest::newRow("ügyintéző: saját joga") << "ugyintezo" << "UPDATE felhasznalo SET rendszergazda = 'I'" << false;
        QTest::newRow("ügyintéző: jelszavak") << "ugyintezo" << "SELECT jelszo FROM felhasznalo" << false;
        QTest::newRow("ügyintéző: beállítás") << "ugyintezo" << "UPDATE beallit SET vanbelep = 'N'" << false;
        QTest::newRow("ügyintéző: tulajdonos") << "ugyintezo" << "UPDATE tulajdonos SET tulajdonos = 'x'" << false;
        QTest::newRow("ügyintéző: szerepkezelés") << "ugyintezo" << "SELECT dorvprg_felhasznalo_torol('x')" << false;
        QTest::newRow("törzsadatos: márka") << "torzs" << "INSERT INTO marka (marka_nev) VALUES ('Škoda')" << true;
        QTest::newRow("törzsadatos: ügyfél") << "torzs" << "UPDATE ugyfel SET ugyfel_nev = 'x'" << true;
        QTest::newRow("törzsadatos: felhasználó") << "torzs" << "UPDATE felhasznalo SET torzsszerkeszt = 'I'" << false;
        QTest::newRow("törzsadatos: beállítás") << "torzs" << "UPDATE beallit SET vanbelep = 'N'" << false;
        QTest::newRow("rendszergazda: beállítás") << "admin" << "UPDATE beallit SET vanbelep = 'N'" << true;
        QTest::newRow("rendszergazda: teljes név") << "admin" << "UPDATE felhasznalo SET felhasznalo_nev = 'Kata' WHERE felhasznalo = current_user::text COLLATE \"default\"" << true;
        QTest::newRow("rendszergazda: jog kézzel") << "admin" << "UPDATE felhasznalo SET rendszergazda = 'N'" << false;
        QTest::newRow("rendszergazda: változat") << "admin" << "UPDATE meta SET ertek = '99' WHERE kulcs = 'verzio'" << false;
    }
    void kiszolgaloTiltja()
    {
        QFETCH(QString, ki);
        QFETCH(QString, sql);
        QFETCH(bool, szabad);
        const QString nev = ki == "ugyintezo" ? m_ugyintezo : ki == "torzs" ? m_torzs : m_admin;
        const bool psql = !m_sz->sqlSzerepkent(m_db, nev, m_jelszo, sql).isNull();
        QVERIFY2(psql == szabad, qPrintable(m_sz->hiba()));
        if (!szabad)
            QVERIFY2(m_sz->hiba().contains("permission denied"), qPrintable(m_sz->hiba()));

        TesztKornyezet k(false);
        belep(nev);
        QCOMPARE(Adatbazis::belepesNev(), nev);
        try {
            Adatbazis::Tranzakcio t;
            Adatbazis::vegrehajt(sql);
            t.commit();
            QVERIFY(szabad);
        } catch (const JogHiba &h) {
            QVERIFY(!szabad);
            QCOMPARE(h.uzenet(), QString("Nincs jogosultság a művelethez."));
        }
    }

    // The login window of a desk without user or password: the server checks the name and
    // password (a wrong one is the usual message), the rights are the role's groups, and a
    // cursor's post the server refuses says so; the own password changes on the server.
    void belepes_data()
    {
        QTest::addColumn<QString>("ki");
        QTest::addColumn<bool>("torzsszerkeszt");
        QTest::addColumn<bool>("rendszergazda");
        QTest::newRow("ügyintéző") << "ugyintezo" << false << false;
        QTest::newRow("törzsadatos") << "torzs" << true << false;
        QTest::newRow("rendszergazda") << "admin" << true << true;
    }
    void belepes()
    {
        QFETCH(QString, ki);
        QFETCH(bool, torzsszerkeszt);
        QFETCH(bool, rendszergazda);
        const QString nev = ki == "ugyintezo" ? m_ugyintezo : ki == "torzs" ? m_torzs : m_admin;
        TesztKornyezet k(false);
        Beall.AdatbazisKapcsolat = asztalKapcsolat();
        BeallitasIr(QRect(0, 0, 640, 400));
        // "vanbelep" of the one-role set-up asks nothing more
        QVERIFY(!m_sz->sql(m_db, "UPDATE beallit SET vanbelep = 'I'").isNull());
        QStringList lepesek;
        const auto kitolt = [&](const QString &jelszo, const char *gomb) {
            TesztKornyezet::modalisan([&, jelszo, gomb](QWidget *w) {
                lepesek << w->objectName();
                w->findChild<QLineEdit *>("edtFelhasznalo")->setText(nev);
                w->findChild<QLineEdit *>("edtJelszo")->setText(jelszo);
                QTest::mouseClick(w->findChild<QPushButton *>(gomb), Qt::LeftButton);
            });
        };
        // a wrong password, then the right one
        kitolt("rossz", "btnOK");
        setValaszolo([&](const UzenetKeres &u) {
            lepesek << u.szoveg;
            if (u.szoveg == "Érvénytelen felhasználó, vagy jelszó")
                kitolt(m_jelszo, "btnOK");
            return true;
        });
        Tfrm_Main w;
        QVERIFY(w.inditas());
        QCOMPARE(lepesek, (QStringList{"Tfrm_Login", "Érvénytelen felhasználó, vagy jelszó", "Tfrm_Login"}));
        QCOMPARE(Adatbazis::belepesNev(), nev);
        QCOMPARE(Beall.torzsszerkeszt, torzsszerkeszt);
        QCOMPARE(Beall.rendszergazda, rendszergazda);
        // the full name of the users window's row, the login name without one
        QCOMPARE(Beall.FelhasznaloNev, ki == "admin" ? QString("Kata") : nev);

        Tabla t("marka");
        t.megnyit();
        t.beszur();
        t.setErtek("marka_nev", "Belépéssel " + ki);
        try {
            t.post();
            QVERIFY(torzsszerkeszt);
        } catch (const JogHiba &h) {
            QVERIFY(!torzsszerkeszt);
            QCOMPARE(h.uzenet(), QString("Nincs jogosultság a művelethez."));
            QVERIFY(t.szerkesztes());
            t.megse();
        }
        t.bezar();
        Adatbazis::bezar();
        if (ki != "ugyintezo")
            return;

        // Új jelszó: the role's own password, set on the server as a verifier
        setJelszoValaszolo([](const QString &, const QString &, QString &szoveg) {
            szoveg = "Masik-Titok-123";
            return true;
        });
        QStringList uzenetek;
        setValaszolo([&](const UzenetKeres &u) {
            uzenetek << u.szoveg;
            return true;
        });
        TesztKornyezet::modalisan([&](QWidget *l) {
            l->findChild<QLineEdit *>("edtFelhasznalo")->setText(nev);
            l->findChild<QLineEdit *>("edtJelszo")->setText(m_jelszo);
            QTest::mouseClick(l->findChild<QPushButton *>("btnUjJelszo"), Qt::LeftButton);
            // the check for the change did not log in
            QVERIFY(!Adatbazis::nyitva());
            QTest::mouseClick(l->findChild<QPushButton *>("btnMegsem"), Qt::LeftButton);
        });
        QVERIFY(!KiszolgaloBelepes(asztalKapcsolat()));
        setJelszoValaszolo({});
        QCOMPARE(uzenetek, QStringList{"Jelszó változtatás kész."});
        QVERIFY(belephet(nev, "Masik-Titok-123"));
        QVERIFY(!belephet(nev, m_jelszo));
        QVERIFY(m_sz->sql("postgres", QString("SELECT rolpassword LIKE 'SCRAM-SHA-256$%' FROM pg_authid WHERE rolname = '%1'")
                                          .arg(nev)).trimmed() == "t");
        QVERIFY(!m_sz->sql("postgres", QString("ALTER ROLE \"%1\" PASSWORD '%2'").arg(nev, m_jelszo)).isNull());
    }

    // The archive's dump logs in as the role the desk logged in with: an administrator's holds
    // the register, a clerk's is refused by the server (no password hashes for a clerk).
    void archivum()
    {
        TesztKornyezet k(false);
        const QString dump = QDir(k.programMappa()).filePath("dorvprg.pgdump");
        belep(m_admin);
        PgMentes::ment(asztalKapcsolat(), dump, {});
        QVERIFY(QFileInfo(dump).size() > 0);
        QVERIFY(QFile::remove(dump));
        belep(m_ugyintezo);
        try {
            PgMentes::ment(asztalKapcsolat(), dump, {});
            QFAIL("az ügyintéző mentése");
        } catch (const StoreHiba &h) {
            QVERIFY2(h.uzenet().contains("permission denied"), qPrintable(h.uzenet()));
        }
        QVERIFY(!QFile::exists(dump));
    }

    // The administrator's users window: a new user becomes a login role (its name taken as it
    // is, quotes and all) with the groups ticked, is renamed keeping its password, changes
    // groups and is removed with its row; roles outside the register are not the window's,
    // and a password never reaches the server in clear.
    void felhasznalokAblaka()
    {
        TesztKornyezet k(false);
        belep(m_admin);
        const QString nev = QString("a\"b'; -- %1").arg(getpid() % 1000);
        const QString ujNev = QString("c\"d %1").arg(getpid() % 1000);
        const auto szerkeszto = [&](const QString &n, const QString &jelszo, bool torzs, bool rg) {
            TesztKornyezet::modalisan([=](QWidget *w) {
                QVERIFY(qobject_cast<Tfrm_FelhasznaloSzerkeszt *>(w));
                w->findChild<QLineEdit *>("edtFelhasznalo")->setText(n);
                w->findChild<QLineEdit *>("edtJelszo")->setText(jelszo);
                w->findChild<QLineEdit *>("edtJelszo2")->setText(jelszo);
                w->findChild<QCheckBox *>("chkTorzsszerkeszt")->setChecked(torzs);
                w->findChild<QCheckBox *>("chkRendszergazda")->setChecked(rg);
                QTest::mouseClick(w->findChild<QPushButton *>("btnOK"), Qt::LeftButton);
                if (w->isVisible())
                    QTest::mouseClick(w->findChild<QPushButton *>("btnMegsem"), Qt::LeftButton);
            });
        };
        Tfrm_Felhasznalo f;
        szerkeszto(nev, "Elso-Jelszo", true, false);
        f.aUj->trigger();
        QVERIFY2(k.szovegek().isEmpty(), qPrintable(k.szovegek().join('\n')));
        QCOMPARE(csoportjai(nev), QString("%1_mindenki,%1_torzsszerkeszt").arg(m_db));
        QVERIFY(belephet(nev, "Elso-Jelszo"));
        QCOMPARE(Adatbazis::ertek("SELECT coalesce(jelszo, '-') || torzsszerkeszt || rendszergazda FROM felhasznalo "
                                  "WHERE felhasznalo = ?", {nev}).toString(), QString("-IN"));
        QCOMPARE(MezoSzoveg(f.tabla()->ertek("felhasznalo")), nev);
        QCOMPARE(m_sz->sql(m_db, "SELECT count(*) FROM doksi").isNull(), false);   // the quote ran nothing

        // renamed with untouched password boxes: the password stays; groups change
        szerkeszto(ujNev, "", false, true);
        f.aSzerkeszt->trigger();
        QVERIFY2(k.szovegek().isEmpty(), qPrintable(k.szovegek().join('\n')));
        QVERIFY(!Szerepek::letezik(nev));
        QCOMPARE(csoportjai(ujNev), QString("%1_mindenki,%1_rendszergazda").arg(m_db));
        QVERIFY(belephet(ujNev, "Elso-Jelszo"));
        QCOMPARE(Adatbazis::ertek("SELECT count(*) FROM felhasznalo WHERE felhasznalo IN (?, ?)", {nev, ujNev}).toInt(), 1);

        // a name the server has already is refused, the window stays open
        szerkeszto("postgres", "", false, true);
        f.aSzerkeszt->trigger();
        QCOMPARE(k.szovegek().size(), 1);
        QVERIFY2(k.szovegek().first().startsWith("Hiányos adat megadás") && k.szovegek().first().contains("már létezik"),
                 qPrintable(k.szovegek().first()));
        QVERIFY(belephet(ujNev, "Elso-Jelszo"));
        k.uzenetekTorol();

        // removed with its row
        QVERIFY(f.tabla()->keres("felhasznalo", ujNev));
        k.valaszok({true});
        f.aTorol->trigger();
        QVERIFY(!Szerepek::letezik(ujNev));
        QCOMPARE(Adatbazis::ertek("SELECT count(*) FROM felhasznalo WHERE felhasznalo = ?", {ujNev}).toInt(), 0);
        QVERIFY(!f.tabla()->keres("felhasznalo", ujNev));

        // roles that are not this register's users, and passwords in clear
        for (const QString &idegen : {QString("postgres"), QString("dorvprg"), m_db + "_rendszergazda"}) {
            try {
                Adatbazis::Tranzakcio t;
                Szerepek::atnevez(idegen, "elvitt");
                QFAIL(qPrintable(idegen));
            } catch (const JogHiba &) {
            }
        }
        try {
            Adatbazis::vegrehajt("SELECT dorvprg_felhasznalo_uj('nyilt', 'jelszo', false, false)");
            QFAIL("nyílt jelszó");
        } catch (const StoreHiba &h) {
            QVERIFY2(h.uzenet().contains("SCRAM"), qPrintable(h.uzenet()));
        }
        QVERIFY(!Szerepek::letezik("nyilt") && !Szerepek::letezik("elvitt"));
    }
};

QTEST_MAIN(SzerepekTeszt)
#include "tst_szerepek.moc"
