#include "Adatbazis.h"
#include "HuSzoveg.h"
#include "Lekerdezes.h"
#include "PgSzerver.h"
#include "Sema.h"
#include "StoreHiba.h"
#include "Tabla.h"

#include <QDir>
#include <QFile>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>
#include <atomic>
#include <thread>

// The register on a PostgreSQL server: what only the server has (an empty database, its
// version, a server that cannot be reached or stops while a letter is being edited).
class SzerverTeszt : public QObject {
    Q_OBJECT

    PgSzerver *m_sz = nullptr;
    QTemporaryDir m_mappa;

    QString kapcsolodik(bool &uj)
    {
        const QString k = m_sz->ujAdatbazis();
        uj = Adatbazis::megnyit(m_mappa.path(), k);
        return k;
    }

private slots:
    void initTestCase()
    {
        m_sz = PgSzerver::kozos();
        if (!m_sz)
            QSKIP(qPrintable(PgSzerver::hibaSzoveg()));
    }
    void cleanup() { Adatbazis::bezar(); }

    // An empty database gets the register, its default rows and the folder's texts; opened
    // again it is kept as it is.
    void uresAdatbazis()
    {
        bool uj = false;
        const QString k = kapcsolodik(uj);
        QVERIFY(uj);
        QCOMPARE(Adatbazis::motor(), Adatbazis::Motor::PostgreSQL);
        QCOMPARE(Adatbazis::kapcsolat(), k);
        QVERIFY(!QFile::exists(QDir(m_mappa.path()).filePath(Adatbazis::FAJLNEV)));
        QVERIFY(QFile::exists(QDir(m_mappa.path()).filePath("s1.txt")));
        QCOMPARE(Adatbazis::ertek("SELECT ertek FROM meta WHERE kulcs = 'verzio'").toInt(), Sema::verzio());
        QCOMPARE(Adatbazis::ertek("SELECT felhasznalo FROM felhasznalo").toString(), QString("rendszergazda"));
        Adatbazis::vegrehajt("INSERT INTO marka (marka_nev) VALUES ('Opel')");
        QVERIFY(!Adatbazis::megnyit(m_mappa.path(), k));
        QCOMPARE(Adatbazis::ertek("SELECT count(*) FROM marka").toInt(), 1);
    }

    // The server's ordering key is the program's own, so locate by name works on the
    // ordering values as on the local register.
    void magyarRendezoKulcs_data()
    {
        QTest::addColumn<QString>("szoveg");
        QTest::newRow("ékezetek") << QString::fromUtf8("Árvíztűrő tükörfúrógép");
        QTest::newRow("kis és nagy") << QString::fromUtf8("öböl ÖBÖL ÜRÜ üdítő");
        QTest::newRow("számok, jelek") << QString::fromUtf8("12-es (B) ű/ő");
        QTest::newRow("más írás") << QString::fromUtf8("Ωmega ČAČ");
    }
    void magyarRendezoKulcs()
    {
        QFETCH(QString, szoveg);
        if (!Adatbazis::nyitva() || Adatbazis::motor() != Adatbazis::Motor::PostgreSQL) {
            bool uj = false;
            kapcsolodik(uj);
        }
        QCOMPARE(Adatbazis::ertek("SELECT hurendez(?)", {szoveg}).toString(), HuSzoveg::rendezoKulcs(szoveg));
    }

    void nevSorrend()
    {
        bool uj = false;
        kapcsolodik(uj);
        const QStringList nevek{"Zala", "ábel", "Abroncs", "Öntöde", "oázis", "Ő", "", "Ügyes", "Ugar", "123"};
        for (const QString &n : nevek)
            Adatbazis::vegrehajt("INSERT INTO marka (marka_nev) VALUES (?)", {n.isEmpty() ? QVariant() : QVariant(n)});
        Tabla t("marka");
        t.setIndex("marka_nev");
        t.megnyit();
        QStringList kapott, vart;
        for (int i = 0; i < t.rekordSzam(); ++i)
            kapott << t.ertekSor(i, "marka_nev").toString();
        QStringList rendezett = nevek;
        std::stable_sort(rendezett.begin(), rendezett.end(), [](const QString &a, const QString &b) {
            return HuSzoveg::rendezoKulcs(a) < HuSzoveg::rendezoKulcs(b);
        });
        QCOMPARE(kapott, rendezett);
        QVERIFY(t.keres("marka_nev", QString::fromUtf8("öN"), Tabla::KeresMod::ReszletesKisNagy));
        QCOMPARE(t.ertek("marka_nev").toString(), QString::fromUtf8("Öntöde"));
    }

    // The cursor's own reads through libpq between the fetches of a query still being read,
    // and a whole-view pass that reads rows while a query is open: neither loses rows.
    void lekerdezesMellett()
    {
        bool uj = false;
        kapcsolodik(uj);
        Adatbazis::vegrehajt("INSERT INTO doksi (doksi_id, prntip) SELECT i, 'J' FROM generate_series(1, 3000) i");
        Lekerdezes q("SELECT doksi_id FROM doksi ORDER BY doksi_id");
        q.megnyit();
        QCOMPARE(q.betolt(10), 10);
        Tabla t("doksi");
        t.setIndex("idx_doksi_id_desc");
        t.megnyit();
        QCOMPARE(t.rekordSzam(), 3000);
        int bejart = 0;
        t.bejar([&](int, const QVector<QVariant> &) { return ++bejart > 0; });
        QCOMPARE(bejart, 3000);
        QCOMPARE(q.osszesBetolt(), 3000);
        QCOMPARE(q.ertek(2999, "doksi_id").toInt(), 3000);
    }

    // A long statement is cancelled from another thread (the free SQL window's stop); the
    // connection goes on working.
    void megszakit()
    {
        bool uj = false;
        kapcsolodik(uj);
        std::atomic<bool> kesz = false;
        std::thread t([&] {
            // until the statement has been cancelled: a cancel before it started is lost
            while (!kesz) {
                Adatbazis::megszakit();
                std::this_thread::sleep_for(std::chrono::milliseconds(50));
            }
        });
        QString h;
        try {
            Lekerdezes q("SELECT pg_sleep(600)");
            q.megnyit();
        } catch (const StoreHiba &e) {
            h = e.uzenet();
        }
        kesz = true;
        t.join();
        QVERIFY2(h.contains("57014"), qPrintable(h));   // query_canceled
        QCOMPARE(Adatbazis::ertek("SELECT 1 + 1").toInt(), 2);
    }

    // A newer register is refused unchanged; an older one gets its search index anew in one go.
    void verziok()
    {
        bool uj = false;
        const QString k = kapcsolodik(uj);
        Adatbazis::vegrehajt("INSERT INTO ugyfel (ugyfel_nev) VALUES ('Kő Ödön')");
        Adatbazis::vegrehajt("UPDATE meta SET ertek = '3' WHERE kulcs = 'verzio'");
        Adatbazis::vegrehajt("DROP TABLE ugyfel_nagybetu CASCADE");
        QVERIFY(!Adatbazis::megnyit(m_mappa.path(), k));
        QCOMPARE(Adatbazis::ertek("SELECT ugyfel_nev FROM ugyfel_nagybetu").toString(), QString::fromUtf8("KŐ ÖDÖN"));
        QCOMPARE(Adatbazis::ertek("SELECT ertek FROM meta WHERE kulcs = 'verzio'").toInt(), Sema::verzio());

        Adatbazis::vegrehajt("UPDATE meta SET ertek = ? WHERE kulcs = 'verzio'", {QString::number(Sema::verzio() + 1)});
        Adatbazis::vegrehajt("DROP TABLE marka_nagybetu CASCADE");
        Adatbazis::bezar();
        try {
            Adatbazis::megnyit(m_mappa.path(), k);
            QFAIL("a newer register opened");
        } catch (const StoreHiba &h) {
            QVERIFY2(h.uzenet().contains("újabb változata"), qPrintable(h.uzenet()));
        }
        QVERIFY(!Adatbazis::nyitva());
        QVERIFY(m_sz->sql(k.section("dbname=", 1).section(' ', 0, 0), "SELECT to_regclass('marka_nagybetu')").trimmed().isEmpty());
    }

    void idegenAdatbazis()
    {
        const QString k = m_sz->ujAdatbazis();
        QVERIFY(!m_sz->sql(k.section("dbname=", 1).section(' ', 0, 0), "CREATE TABLE szamla (id int)").isNull());
        QVERIFY_THROWS_EXCEPTION(StoreHiba, Adatbazis::megnyit(m_mappa.path(), k));
        QVERIFY(!Adatbazis::nyitva());
    }

    // The string goes to libpq as it is: a service of a service file and libpq's own options
    // reach the server.
    void szolgaltatasFajl()
    {
        const QString k = m_sz->ujAdatbazis();
        const QString db = k.section("dbname=", 1).section(' ', 0, 0);
        QTemporaryDir d;
        QFile f(d.filePath("pg_service.conf"));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(QString("[dorvprg_proba]\nhost=%1\nport=%2\ndbname=%3\nuser=dorvprg\n")
                    .arg(m_sz->socketMappa()).arg(m_sz->port()).arg(db).toUtf8());
        f.close();
        qputenv("PGSERVICEFILE", QFile::encodeName(f.fileName()));
        const auto vissza = qScopeGuard([] { qunsetenv("PGSERVICEFILE"); });
        QVERIFY(Adatbazis::megnyit(m_mappa.path(), "service=dorvprg_proba sslmode=disable application_name=dorvprg_proba"));
        QCOMPARE(Adatbazis::ertek("SELECT current_database()").toString(), db);
        QCOMPARE(Adatbazis::ertek("SELECT current_setting('application_name')").toString(), QString("dorvprg_proba"));
    }

    // Nobody listens on the port: the message names host, port and libpq's reason.
    void elerhetetlen()
    {
        const QString k = QString("host=%1 port=1 dbname=x user=dorvprg").arg(m_sz->socketMappa());
        try {
            Adatbazis::megnyit(m_mappa.path(), k);
            QFAIL("opened without a server");
        } catch (const KapcsolatHiba &h) {
            QCOMPARE(h.gep(), m_sz->socketMappa());
            QCOMPARE(h.port(), QString("1"));
            QVERIFY2(h.uzenet().contains("Nem sikerült kapcsolódni") && h.uzenet().contains("port: 1")
                         && h.uzenet().contains(".s.PGSQL.1"),
                     qPrintable(h.uzenet()));
        }
        QVERIFY(!Adatbazis::nyitva());
    }

    // The server stops while a letter is being edited: the post fails with the connection's
    // message, the edit stays, and after the restart the same post stores it.
    void leallMunkaKozben()
    {
        bool uj = false;
        kapcsolodik(uj);
        Adatbazis::vegrehajt("INSERT INTO doksi (doksi_id, prntip, rendszam) VALUES (1, 'J', 'AAA-111')");
        Tabla t("doksi");
        t.setIndex("idx_doksi_id_desc");
        t.megnyit();
        t.szerkeszt();
        t.setErtek("rendszam", "BBB-222");
        QVERIFY(m_sz->leall());
        QVERIFY_THROWS_EXCEPTION(KapcsolatHiba, t.post());
        QVERIFY(t.szerkesztes());
        QCOMPARE(t.ertek("rendszam").toString(), QString("BBB-222"));
        // still down: the next action says so again
        QVERIFY_THROWS_EXCEPTION(KapcsolatHiba, t.post());
        QVERIFY(m_sz->indul());
        t.post();
        QVERIFY(!t.szerkesztes());
        QCOMPARE(Adatbazis::ertek("SELECT rendszam FROM doksi").toString(), QString("BBB-222"));
        QCOMPARE(t.rekordSzam(), 1);
    }
};

QTEST_GUILESS_MAIN(SzerverTeszt)
#include "tst_szerver.moc"
