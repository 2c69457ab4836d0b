#include "Adatbazis.h"
#include "Sema.h"
#include "StoreHiba.h"
#include "Tabla.h"
#include "TesztKornyezet.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

#include <unistd.h>

namespace {

QByteArray ujjlenyomat(const QString &ut)
{
    QFile f(ut);
    return f.open(QIODevice::ReadOnly) ? QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256) : QByteArray();
}

QString hibaSzovege(const std::function<void()> &f)
{
    try {
        f();
    } catch (const StoreHiba &h) {
        return h.uzenet();
    }
    return {};
}

int futtat(const QString &prog, const QStringList &arg)
{
    QProcess p;
    p.start(prog, arg);
    return p.waitForFinished(60000) && p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
}


// A register of 300 'J' letters in the folder, left open.
void haromszazLevel(const QString &mappa)
{
    Adatbazis::megnyit(mappa);
    Adatbazis::Tranzakcio tr;
    for (int i = 1; i <= 300; ++i)
        Adatbazis::vegrehajt("INSERT INTO doksi (doksi_id, prntip, rendszam) VALUES (?, 'J', 'ABC-123')", {i});
    tr.commit();
}
} // namespace

// Opening a register: a newer one is left alone, a damaged search index is rebuilt, and the
// store's failures reach the user in Hungarian.
class MegnyitasTeszt : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { Adatbazis::bezar(); }

    // Made by a newer program: refused with a Hungarian reason, not a byte of it changed.
    void ujabbVerzio()
    {
        QTemporaryDir d;
        Adatbazis::megnyit(d.path());
        Adatbazis::vegrehajt("UPDATE meta SET ertek = ? WHERE kulcs = 'verzio'", {Sema::verzio() + 1});
        Adatbazis::vegrehajt("DROP TABLE marka_nagybetu");   // would be rebuilt if it were ours
        Adatbazis::bezar();
        const QString fajl = d.filePath(Adatbazis::FAJLNEV);
        const QByteArray elotte = ujjlenyomat(fajl);

        const QString h = hibaSzovege([&] { Adatbazis::megnyit(d.path()); });
        QVERIFY2(h.contains("a program egy újabb változata készítette"), qPrintable(h));
        QVERIFY2(h.contains("nem módosíthatja"), qPrintable(h));
        QVERIFY(!Adatbazis::nyitva());
        QCOMPARE(ujjlenyomat(fajl), elotte);
        QVERIFY(!QFileInfo::exists(fajl + "-journal"));
    }

    void keresoHianyzik_data()
    {
        QTest::addColumn<QStringList>("torles");
        QTest::newRow("keskeny tábla") << QStringList{"DROP TABLE doksi_nagybetu"};
        QTest::newRow("trigram tábla") << QStringList{"DROP TABLE ugyfel_kereso"};
        QTest::newRow("trigger a nyilvántartáson") << QStringList{"DROP TRIGGER marka_nagy_mod"};
        QTest::newRow("trigger a keskeny táblán") << QStringList{"DROP TRIGGER alkatresz_nagybetu_be"};
        QTest::newRow("mind") << QStringList{"DROP TABLE doksi_kereso", "DROP TABLE doksi_nagybetu",
                                             "DROP TABLE marka_kereso", "DROP TABLE marka_nagybetu",
                                             "DROP TABLE alkatresz_nagybetu", "DROP TABLE ugyfel_nagybetu"};
    }

    // A search table or trigger dropped by hand: every save failed with "no such table". The
    // index is built anew and filled when the register opens; saves and searches work again.
    void keresoHianyzik()
    {
        QFETCH(QStringList, torles);
        QTemporaryDir d;
        Adatbazis::megnyit(d.path());
        Adatbazis::vegrehajt("INSERT INTO marka (marka, marka_nev) VALUES (1, 'Škoda')");
        Adatbazis::vegrehajt("INSERT INTO alkatresz (alkatresz, alkatresz_nev) VALUES (1, 'féltárcsa')");
        Adatbazis::vegrehajt("INSERT INTO ugyfel (ugyfel, ugyfel_nev) VALUES (1, 'Őry Ödön')");
        Adatbazis::vegrehajt("INSERT INTO doksi (doksi, doksi_id, prntip, rendszam, sorozatszam) "
                             "VALUES (1, 1, 'J', 'abc-123', 'gy-77')");
        for (const QString &s : torles)
            Adatbazis::vegrehajt(s);
        Adatbazis::bezar();

        Adatbazis::megnyit(d.path());
        for (const QString &n : Sema::keresoObjektumok())
            QVERIFY2(Adatbazis::ertek("SELECT count(*) FROM sqlite_master WHERE name = ?", {n}).toInt() == 1,
                     qPrintable(n));
        // rows from before the damage are found, by the narrow tables and by their trigrams
        QCOMPARE(Adatbazis::ertek("SELECT sorozatszam FROM doksi_nagybetu WHERE rendszam = 'ABC-123'").toString(),
                 QString("GY-77"));
        QCOMPARE(Adatbazis::ertek("SELECT rowid FROM doksi_kereso WHERE rendszam LIKE '%BC-1%'").toInt(), 1);
        QCOMPARE(Adatbazis::ertek("SELECT rowid FROM marka_kereso WHERE marka_nev LIKE '%KOD%'").toInt(), 1);
        QCOMPARE(Adatbazis::ertek("SELECT rowid FROM alkatresz_kereso WHERE alkatresz_nev LIKE '%TÁRCS%'").toInt(), 1);
        QCOMPARE(Adatbazis::ertek("SELECT rowid FROM ugyfel_kereso WHERE ugyfel_nev LIKE '%ÖDÖN%'").toInt(), 1);
        // and saves go through the triggers again
        Adatbazis::vegrehajt("UPDATE marka SET marka_nev = 'Ŝkoda Auto' WHERE marka = 1");
        Adatbazis::vegrehajt("INSERT INTO alkatresz (alkatresz, alkatresz_nev) VALUES (2, 'kuplung')");
        Adatbazis::vegrehajt("INSERT INTO doksi (doksi, doksi_id, prntip, rendszam) VALUES (2, 2, 'J', 'xyz-9')");
        QCOMPARE(Adatbazis::ertek("SELECT rowid FROM marka_kereso WHERE marka_nev LIKE '%AUTO%'").toInt(), 1);
        QCOMPARE(Adatbazis::ertek("SELECT rowid FROM alkatresz_kereso WHERE alkatresz_nev LIKE '%UPLU%'").toInt(), 2);
        QCOMPARE(Adatbazis::ertek("SELECT rowid FROM doksi_kereso WHERE rendszam LIKE '%YZ-%'").toInt(), 2);
        QCOMPARE(Adatbazis::ertek("SELECT count(*) FROM doksi_nagybetu").toInt(), 2);
        QCOMPARE(Adatbazis::ertek("PRAGMA integrity_check").toString(), QString("ok"));
        QCOMPARE(Adatbazis::ertek("SELECT ertek FROM meta WHERE kulcs = 'verzio'").toInt(), Sema::verzio());
    }

    void magyarHibak_data()
    {
        QTest::addColumn<QString>("eset");
        QTest::addColumn<QString>("mondat");
        QTest::addColumn<QString>("sajat");   // the store's own text, kept after the sentence
        QTest::newRow("megtelt lemez") << "tele" << "Megtelt a lemez" << "database or disk is full";
        QTest::newRow("csak olvasható") << "olvas" << "Az adatbázis csak olvasható" << "attempt to write a readonly database";
        QTest::newRow("több utasítás") << "tobb" << "Egyszerre csak egy SQL utasítás"
                                       << "Unable to execute multiple statements at a time";
        // texts of failures a test cannot bring about at will
        QTest::newRow("zárolt") << "szoveg:database is locked Unable to fetch row"
                                << "Az adatbázist egy másik program" << "database is locked";
        QTest::newRow("lemezhiba") << "szoveg:disk I/O error Unable to fetch row" << "Lemezhiba" << "disk I/O error";
        QTest::newRow("ismeretlen") << "szoveg:no such column: x" << QString() << "no such column: x";
    }

    // The common store failures start with a Hungarian sentence; the store's text follows it,
    // and a message wrapped again keeps one sentence only.
    void magyarHibak()
    {
        QFETCH(QString, eset);
        QFETCH(QString, mondat);
        QFETCH(QString, sajat);
        QTemporaryDir d;
        QString h;
        if (eset == "tele") {
            if (geteuid() != 0)
                QSKIP("the tmpfs mount needs root");
            QVERIFY(futtat("mount", {"-t", "tmpfs", "-o", "size=512k", "tmpfs", d.path()}) == 0);
        }
        auto leszerel = qScopeGuard([&] {
            Adatbazis::bezar();
            if (eset == "tele")
                futtat("umount", {d.path()});
        });
        if (eset.startsWith("szoveg:")) {
            h = StoreHiba(eset.mid(7)).uzenet();
        } else {
            Adatbazis::megnyit(d.path());
            h = hibaSzovege([&] {
                if (eset == "tele") {
                    for (int i = 0; i < 100; ++i)
                        Adatbazis::vegrehajt("INSERT INTO megj (doknev) VALUES (?)", {QString(250, QChar('x'))
                                                                                            + QString::number(i)});
                    Adatbazis::vegrehajt("CREATE TABLE tolto (b BLOB)");
                    for (int i = 0; i < 100; ++i)
                        Adatbazis::vegrehajt("INSERT INTO tolto VALUES (randomblob(65536))");
                } else if (eset == "olvas") {
                    Adatbazis::vegrehajt("PRAGMA query_only = 1");
                    Adatbazis::vegrehajt("INSERT INTO marka (marka_nev) VALUES ('Bosch')");
                } else {
                    Adatbazis::vegrehajt("SELECT 1; SELECT 2");
                }
            });
        }
        QVERIFY2(h.contains(sajat), qPrintable(h));
        if (mondat.isEmpty()) {
            QCOMPARE(h, sajat);
            return;
        }
        QVERIFY2(h.startsWith(mondat), qPrintable(h));
        QVERIFY2(h.indexOf(sajat) > h.indexOf("\r\n"), qPrintable(h));
        const QString burok = StoreHiba("Az adatbázis nem nyitható meg: x.db\r\n" + h).uzenet();
        QCOMPARE(burok.count(mondat), 1);
        QVERIFY(burok.endsWith(h));
    }

    // A damaged register is refused at open, named as damaged with its file, and left as it
    // was; the default letters of a new one must not take its place.
    void serultNyitaskor_data()
    {
        QTest::addColumn<QString>("mod");
        QTest::addColumn<QString>("ok");
        QTest::newRow("üres fájl") << "ures" << "A fájl üres (0 bájt).";
        QTest::newRow("levágott vég") << "csonka" << "database disk image is malformed";
        QTest::newRow("sérült lap") << "lap" << "";
    }
    void serultNyitaskor()
    {
        QFETCH(QString, mod);
        QFETCH(QString, ok);
        QTemporaryDir d;
        haromszazLevel(d.path());
        Adatbazis::bezar();
        const QString fajl = d.filePath(Adatbazis::FAJLNEV);
        QVERIFY(RegiszterRongal(fajl, mod));
        const QByteArray elotte = ujjlenyomat(fajl);

        const QString h = hibaSzovege([&] { Adatbazis::megnyit(d.path()); });
        QVERIFY2(h.contains("Az adatbázis fájlja sérült: " + QDir::toNativeSeparators(fajl) + "\r\n"), qPrintable(h));
        QVERIFY2(h.contains(ok), qPrintable(h));
        QVERIFY(!Adatbazis::nyitva());
        QCOMPARE(ujjlenyomat(fajl), elotte);
        QVERIFY(!QFileInfo::exists(fajl + "-journal"));
        // a sound register opens as before, and says nothing
        QTemporaryDir jo;
        Adatbazis::megnyit(jo.path());
        QVERIFY(!Adatbazis::megnyit(jo.path()));
    }

    // A page that goes bad while the register is open (another program, the disk): the pass of
    // the list and the export stops with the damaged file named in Hungarian, SQLite's own text after.
    void serultMunkaKozben()
    {
        QTemporaryDir d;
        haromszazLevel(d.path());
        Tabla t("doksi");
        t.setSzuro("prntip='J'");
        t.setSzurt(true);
        t.megnyit();
        QCOMPARE(t.rekordSzam(), 300);
        const QString fajl = d.filePath(Adatbazis::FAJLNEV);
        QVERIFY(RegiszterRongal(fajl, "lap"));
        const QString h = hibaSzovege([&] { t.bejar([](int, const QVector<QVariant> &) { return true; }); });
        QVERIFY2(h.startsWith("Az adatbázis fájlja sérült: " + QDir::toNativeSeparators(fajl) + "\r\n"), qPrintable(h));
        QVERIFY2(h.contains("database disk image is malformed"), qPrintable(h));
        QCOMPARE(StoreHiba("Hiba:\r\n" + h).uzenet().count("sérült"), 1);
    }
};

QTEST_GUILESS_MAIN(MegnyitasTeszt)
#include "tst_megnyitas.moc"
