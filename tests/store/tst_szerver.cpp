#include "Adatbazis.h"
#include "HuSzoveg.h"
#include "Lekerdezes.h"
#include "MasikProgram.h"
#include "MasikProgramHiba.h"
#include "PgSzerver.h"
#include "Sema.h"
#include "StoreHiba.h"
#include "Tabla.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>
#include <atomic>
#include <memory>
#include <thread>
#include <vector>

namespace {

QString adatbazisNev(const QString &kapcsolat) { return kapcsolat.section("dbname=", 1).section(' ', 0, 0); }

// Qt's warnings of a test function: a statement it could not free says so only there.
QStringList g_figyelmeztetesek;
QtMessageHandler g_eredetiKezelo = nullptr;
void figyelmeztetesGyujt(QtMsgType t, const QMessageLogContext &k, const QString &s)
{
    if (t == QtWarningMsg)
        g_figyelmeztetesek << s;
    g_eredetiKezelo(t, k, s);
}

} // namespace

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
    void init() { g_figyelmeztetesek.clear(); }

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

    // Four desks save and edit letters while every backend caught idle inside a transaction is
    // terminated. Each save a desk was told of is stored once, with the number and the row its
    // cursor shows; no number is given twice; every kill reached a desk as a failure.
    void asztalokMegszakitva()
    {
        bool uj = false;
        const QString k = kapcsolodik(uj);
        std::vector<std::unique_ptr<MasikProgram>> asztalok;
        for (int i = 0; i < 4; ++i) {
            asztalok.push_back(std::make_unique<MasikProgram>(QStringList{"asztal", m_mappa.path(), "J", "40"}));
            QVERIFY(asztalok.back()->var("varok"));
        }
        Adatbazis::bezar();
        int megszakitott = 0;
        QByteArray ki;
        {
            TranzakcioMegszakito m(*m_sz, adatbazisNev(k), 60);
            QVERIFY2(m.hiba().isEmpty(), qPrintable(m.hiba()));
            for (auto &a : asztalok)
                a->tovabb();
            for (auto &a : asztalok) {
                const int kod = a->vege(90000);
                QVERIFY2(kod == 0, a->kimenet().right(900).constData());   // the end says why
                ki += a->kimenet();
            }
            megszakitott = m.megszakitott();
        }
        QVERIFY2(!ki.contains("idegen sor") && !ki.contains("utkozes"), ki.constData());
        QVERIFY2(megszakitott >= 10, qPrintable(QString::number(megszakitott)));
        int kapcsolatHibak = 0;
        for (const QRegularExpressionMatch &t : QRegularExpression("kapcsolat=(\\d+)").globalMatch(QString::fromUtf8(ki)))
            kapcsolatHibak += t.captured(1).toInt();
        // a kill just before a desk's very last commit may find that commit already answered
        QVERIFY2(kapcsolatHibak <= megszakitott && kapcsolatHibak >= megszakitott - 4,
                 qPrintable(QString("%1 of %2").arg(kapcsolatHibak).arg(megszakitott)));

        QVERIFY(Adatbazis::megnyit(m_mappa.path(), k) == false);
        QHash<qint64, QStringList> tarolt;   // doksi -> number, plate, serial
        for (QSqlQuery q = Adatbazis::lekerdez("SELECT doksi, doksi_id, rendszam, sorozatszam FROM doksi"); q.next();)
            tarolt.insert(q.value(0).toLongLong(), {q.value(1).toString(), q.value(2).toString(), q.value(3).toString()});
        QCOMPARE(tarolt.size(), 160);
        QCOMPARE(Adatbazis::ertek("SELECT count(DISTINCT doksi_id) FROM doksi WHERE prntip = 'J'").toInt(), 160);
        int mentve = 0, modositva = 0;
        for (const QByteArray &sor : ki.split('\n')) {
            const QStringList r = QString::fromUtf8(sor).split(' ');
            if (r.value(0) == "mentve") {
                ++mentve;
                QCOMPARE(tarolt.value(r.value(1).toLongLong()).mid(0, 2), (QStringList{r.value(2), r.value(3)}));
            } else if (r.value(0) == "modositva") {
                ++modositva;
                QCOMPARE(tarolt.value(r.value(1).toLongLong()).value(2), r.value(2));
            }
        }
        QCOMPARE(mentve, 160);
        QCOMPARE(modositva, 160);
    }

    // The reply to a COMMIT is lost after the commit was made durable (it waits for a standby
    // that does not exist, then the server stops). Saving again stores the letter once, with the
    // cursor on it, and an edit is not taken for another program's.
    void valaszElveszett_data()
    {
        QTest::addColumn<bool>("ujLevel");
        QTest::newRow("új levél") << true;
        QTest::newRow("módosítás") << false;
    }
    void valaszElveszett()
    {
        QFETCH(bool, ujLevel);
        bool uj = false;
        const QString k = kapcsolodik(uj);
        const QString db = adatbazisNev(k);
        Adatbazis::vegrehajt("INSERT INTO doksi (doksi_id, prntip, rendszam) VALUES (7, 'J', 'AAA-111')");
        QVERIFY(!m_sz->sql("postgres", "ALTER SYSTEM SET synchronous_standby_names = 'nincsilyen'").isNull());
        QVERIFY(!m_sz->sql("postgres", "SELECT pg_reload_conf()").isNull());
        const auto vissza = qScopeGuard([&] {
            m_sz->indul();
            m_sz->sql("postgres", "ALTER SYSTEM RESET synchronous_standby_names");
            m_sz->sql("postgres", "SELECT pg_reload_conf()");
        });
        Tabla t("doksi");
        t.setIndex("idx_doksi_id_desc");
        t.megnyit();
        if (ujLevel) {
            t.beszur();
            t.sorszamoz("doksi_id", "prntip");
            t.setErtek("doksi_id", 8);
            t.setErtek("prntip", "J");
            t.setErtek("rendszam", "UJ-1");
        } else {
            t.szerkeszt();
            t.setErtek("rendszam", "BBB-222");
        }
        // only this session waits for the standby (the test server commits asynchronously)
        Adatbazis::vegrehajt("SET synchronous_commit = on");
        std::atomic<bool> leallt = false;
        std::thread leallito([&] {
            for (int i = 0; i < 200; ++i) {
                if (m_sz->sql(db, "SELECT count(*) FROM pg_stat_activity WHERE wait_event = 'SyncRep'").trimmed() == "1") {
                    leallt = m_sz->leall();
                    return;
                }
                std::this_thread::sleep_for(std::chrono::milliseconds(50));
            }
        });
        QVERIFY_THROWS_EXCEPTION(KapcsolatHiba, t.post());
        leallito.join();
        QVERIFY(leallt);
        QVERIFY(t.szerkesztes());
        QVERIFY(m_sz->indul());
        const QString vart = ujLevel ? "UJ-1" : "BBB-222";
        // the commit did happen: the case this test is about
        QCOMPARE(m_sz->sql(db, QString("SELECT count(*) FROM doksi WHERE rendszam = '%1'").arg(vart)).trimmed(), QString("1"));
        t.post();
        QVERIFY(!t.szerkesztes());
        QCOMPARE(Adatbazis::ertek("SELECT count(*) FROM doksi").toInt(), ujLevel ? 2 : 1);
        QCOMPARE(Adatbazis::ertek("SELECT count(*) FROM doksi WHERE rendszam = ?", {vart}).toInt(), 1);
        QCOMPARE(t.ertek("rendszam").toString(), vart);
        QCOMPARE(t.ertek("doksi_id").toInt(), ujLevel ? 8 : 7);
        QCOMPARE(t.rekordSzam(), ujLevel ? 2 : 1);
    }

    // A save the server refuses frees the statements it prepared once it is rolled back, and
    // the same edit saves when corrected.
    void elutasitottMentes()
    {
        bool uj = false;
        kapcsolodik(uj);
        const int elotte = Adatbazis::ertek("SELECT count(*) FROM pg_prepared_statements").toInt();
        Tabla t("felhasznalo");
        t.megnyit();
        t.beszur();
        t.setErtek("felhasznalo", "rendszergazda");   // taken: the primary key refuses it
        t.setErtek("jelszo", "x");
        QVERIFY_THROWS_EXCEPTION(StoreHiba, t.post());
        QVERIFY(t.szerkesztes());
        QVERIFY(!Adatbazis::tranzakcioban());
        QCOMPARE(Adatbazis::ertek("SELECT count(*) FROM pg_prepared_statements").toInt(), elotte);
        t.setErtek("felhasznalo", "kovacs");
        t.post();
        QCOMPARE(Adatbazis::ertek("SELECT count(*) FROM felhasznalo").toInt(), 2);
        QVERIFY2(!g_figyelmeztetesek.join('\n').contains("Unable to free statement"), qPrintable(g_figyelmeztetesek.join('\n')));
    }

    // A register left idle while the server restarts hears of the changes of other desks again:
    // the first look after the restart connects, listens and counts as a change; a later
    // change of another desk arrives as a notification.
    void ujraindulasUtanFigyel()
    {
        bool uj = false;
        const QString k = kapcsolodik(uj);
        const QString db = adatbazisNev(k);
        Adatbazis::masikProgramIrt();
        QVERIFY(m_sz->leall());
        QVERIFY(m_sz->indul());
        const auto hallja = [] {
            for (int i = 0; i < 100; ++i) {
                QCoreApplication::processEvents();
                try {
                    if (Adatbazis::masikProgramIrt())
                        return true;
                } catch (const KapcsolatHiba &) {
                    // the server is still starting
                }
                QTest::qWait(50);
            }
            return false;
        };
        QVERIFY(!m_sz->sql(db, "INSERT INTO marka (marka_nev) VALUES ('Opel')").isNull());
        QVERIFY(hallja());
        QVERIFY(!Adatbazis::masikProgramIrt());
        QVERIFY(!m_sz->sql(db, "INSERT INTO marka (marka_nev) VALUES ('Fiat')").isNull());
        QVERIFY(hallja());
    }
};

int main(int argc, char *argv[])
{
    const int masik = MasikProgramFuttat(argc, argv);
    if (masik >= 0)
        return masik;
    QCoreApplication app(argc, argv);
    g_eredetiKezelo = qInstallMessageHandler(figyelmeztetesGyujt);
    SzerverTeszt t;
    return QTest::qExec(&t, argc, argv);
}
#include "tst_szerver.moc"
