#include "Adatbazis.h"
#include "ParadoxImport.h"
#include "Sema.h"
#include "StoreHiba.h"
#include "TesztKornyezet.h"
#include "tst_paradoxIro.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSqlQuery>
#include <QTest>

namespace {

using Sorok = QList<QVariantList>;

const QString EKEZET = QStringLiteral("Árvíztűrő tükörfúrógép – őŐűŰ € ");
const qint64 MAGAS_KULCS = 2000000000;

QString hosszuSzoveg(int hossz, int mag)
{
    QString s = QString::number(mag) + ' ';
    while (s.size() < hossz)
        s += EKEZET + (s.size() % 3 ? "" : "\r\n");
    return s.left(hossz);
}

// Deterministic values for field f of row i; every fifth row holds nulls outside the key.
QVariant minta(const TablaLeiras &t, const MezoLeiras &f, int i)
{
    const bool kulcs = f.nev == t.kulcs;
    if (!kulcs && i % 5 == 4)
        return {};
    switch (f.tipus) {
    case MezoTipus::Autoinc: return i == 0 ? MAGAS_KULCS : qint64(i * 3 + 1);
    case MezoTipus::Egesz: {
        static const qint64 v[] = {0, 1, -1, 2147483647, -2147483647, 12345, -98765, 42};
        return v[i % 8];
    }
    case MezoTipus::Datum: {
        static const QDate d[] = {QDate(1, 1, 1), QDate(1899, 12, 31), QDate(2000, 2, 29),
                                  QDate(2024, 12, 31), QDate(2099, 12, 31), QDate(1970, 1, 1)};
        return d[i % 6];
    }
    case MezoTipus::Szoveg:
        if (kulcs)
            return QString("%1 ő%2").arg(t.nev.left(f.meret - 6)).arg(i);
        if (f.meret == 1)
            return QString(QStringLiteral("JSIŐ").at(i % 4));
        // odd rows fill the field to its last character
        return hosszuSzoveg(i % 2 ? f.meret : qMin(f.meret, 3 + i % 17), i);
    case MezoTipus::Memo: {
        // in the record (up to 20), in a shared block, in a block of its own
        static const int h[] = {5, 20, 21, 300, 2047, 2049, 6000, 1};
        return hosszuSzoveg(h[i % 8], i);
    }
    }
    return {};
}

Sorok mintaSorok(const TablaLeiras &t, int n)
{
    Sorok s;
    for (int i = 0; i < n; ++i) {
        QVariantList sor;
        for (const MezoLeiras &f : t.mezok)
            sor << minta(t, f, i);
        s << sor;
    }
    return s;
}

int mezoIndex(const TablaLeiras &t, const QString &nev)
{
    for (int i = 0; i < t.mezok.size(); ++i)
        if (t.mezok[i].nev == nev)
            return i;
    return -1;
}

struct RegiMappa {
    QHash<QString, Sorok> sorok;        // by our table name
    QHash<QString, QString> fajlnev;    // the .DB name written
};

void tablaIr(const QString &mappa, const QString &fajl, const QList<PxMezo> &mezok, const Sorok &sorok)
{
    bool memo = false;
    for (const PxMezo &m : mezok)
        memo = memo || m.tipus == pxfMemoBLOb;
    const QString ut = QDir(mappa).filePath(fajl);
    PxIro iro(ut, mezok, memo ? ut.left(ut.size() - 3) + ".MB" : QString());
    for (const QVariantList &s : sorok)
        iro.sor(s);
}

// All nine tables, with the file names in the letter case old folders show.
RegiMappa regiMappaIr(const QString &mappa, const QStringList &kihagy = {})
{
    static const QHash<QString, int> db = {{"doksi", 40},      {"marka", 9},   {"alkatresz", 9},
                                           {"ugyfel", 9},      {"doksi_megj", 24}, {"megj", 9},
                                           {"felhasznalo", 3}, {"beallit", 1}, {"tulajdonos", 1}};
    static const QHash<QString, QString> nevek = {{"doksi", "DOKSI.DB"}, {"doksi_megj", "Doksi_Megj.DB"}};
    RegiMappa r;
    for (const TablaLeiras &t : Sema::tablak()) {
        Sorok s = mintaSorok(t, db.value(t.nev));
        if (t.nev == "doksi_megj" || t.nev == "megj") {
            // notes point at real letters, one at a letter deleted long ago
            const Sorok &levelek = r.sorok["doksi"];
            const int k = mezoIndex(t, "doksi");
            for (int i = 0; i < s.size(); ++i)
                s[i][k] = levelek[i % levelek.size()][0];
            s[1][k] = MAGAS_KULCS + 5;
        }
        r.sorok[t.nev] = s;
        r.fajlnev[t.nev] = nevek.value(t.nev, t.nev + ".DB");
        if (!kihagy.contains(t.nev))
            tablaIr(mappa, r.fajlnev[t.nev], pxMezok(t), s);
    }
    return r;
}

QString sqlHiba(const QSqlQuery &q) { return q.lastQuery(); }

void osszevet(const TablaLeiras &t, const Sorok &sorok)
{
    QCOMPARE(Adatbazis::ertek(QString("SELECT count(*) FROM %1").arg(t.nev)).toInt(), int(sorok.size()));
    QStringList mezok;
    for (const MezoLeiras &f : t.mezok)
        mezok << f.nev;
    const int k = mezoIndex(t, t.kulcs);
    for (const QVariantList &sor : sorok) {
        QSqlQuery q(Adatbazis::db());
        QVERIFY(q.prepare(QString("SELECT %1 FROM %2 WHERE %3 = ?").arg(mezok.join(", "), t.nev, t.kulcs)));
        q.addBindValue(sor[k]);
        QVERIFY(q.exec());
        QVERIFY2(q.next(), qPrintable(QString("%1: no row %2").arg(t.nev, sor[k].toString())));
        for (int j = 0; j < t.mezok.size(); ++j) {
            const QVariant v = q.value(j);
            const QVariant e = sor[j];
            const QString hol = QString("%1.%2, key %3").arg(t.nev, t.mezok[j].nev, sor[k].toString());
            if (!e.isValid())
                QVERIFY2(v.isNull(), qPrintable(hol + " should be null: " + v.toString()));
            else if (e.typeId() == QMetaType::QDate)
                QCOMPARE(v.toString(), e.toDate().toString(Qt::ISODate));
            else if (e.typeId() == QMetaType::LongLong)
                QCOMPARE(v.toLongLong(), e.toLongLong());
            else
                QVERIFY2(v.toString() == e.toString(), qPrintable(hol + ": " + v.toString().left(60)));
        }
    }
}

QStringList mappaTartalom(const QString &mappa)
{
    QStringList l;
    for (const QFileInfo &fi : QDir(mappa).entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name))
        l << QString("%1 %2").arg(fi.fileName()).arg(fi.size());
    return l;
}

void csonkit(const QString &ut, qint64 meret)
{
    QFile f(ut);
    QVERIFY(f.resize(meret));
}

} // namespace

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
        QTest::newRow("felhasznalo") << "felhasznalo" << "SELECT jelszo FROM felhasznalo WHERE felhasznalo='rendszergazda'"
                                     << "admin" << "felhasznalo: nincs felhasznalo.DB, az alapértékek maradtak (1 sor)";
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
        // floating number, the completion date as text
        QList<PxMezo> mezok;
        for (const PxMezo &p : pxMezok(t)) {
            if (p.nev == "hiba3")
                continue;
            if (p.nev == "ft_varhato")
                mezok << PxMezo{"FT_VARHATO", pxfNumber, 8};
            else if (p.nev == "dat_befejez")
                mezok << PxMezo{"dat_befejez", pxfAlpha, 10};
            else
                mezok << PxMezo{p.nev.toUpper(), p.tipus, p.hossz};
            if (p.nev == "rendszam")
                mezok << PxMezo{"regi_megj", pxfAlpha, 30} << PxMezo{"Archiv", pxfLogical, 1};
        }
        tablaIr(m, "doksi.DB", mezok,
                {{7, 101, QDate(2005, 3, 4), "1 év", 2, 3, "ABC-123", "kék", true, 4, "SN-ő", "S", "12 000", "egyéb",
                  1234.4, "sérült", "nem indul", QDate(2005, 3, 1), "független", "forgalmi", "h1", "h2",
                  "2005-03-10", "megjegyzés", "elvállalt"}});
        const ParadoxImport::Eredmeny e = ParadoxImport::importal(m);
        const ParadoxImport::TablaEredmeny &d = e.tablak.first();
        QCOMPARE(d.tabla, QString("doksi"));
        QCOMPARE(d.sorok, 1);
        QCOMPARE(d.kimaradtMezok, QStringList({"regi_megj", "Archiv", "dat_befejez (más típusú)"}));
        QCOMPARE(d.hianyzoMezok, QStringList({"hiba3", "dat_befejez"}));
        QVERIFY(e.sorok().contains("    kimaradt mezők: regi_megj, Archiv, dat_befejez (más típusú)"));
        Adatbazis::megnyit(m);
        QSqlQuery q(Adatbazis::db());
        QVERIFY(q.exec("SELECT doksi, doksi_id, datum, rendszam, sorozatszam, ft_varhato, hiba2, hiba3, dat_befejez, elvjavitas FROM doksi"));
        QVERIFY(q.next());
        QCOMPARE(q.value(0).toInt(), 7);
        QCOMPARE(q.value(1).toInt(), 101);
        QCOMPARE(q.value(2).toString(), QString("2005-03-04"));
        QCOMPARE(q.value(3).toString(), QString("ABC-123"));
        QCOMPARE(q.value(4).toString(), QString("SN-ő"));
        QCOMPARE(q.value(5).toInt(), 1234);
        QCOMPARE(q.value(6).toString(), QString("h2"));
        QVERIFY(q.value(7).isNull());
        QVERIFY(q.value(8).isNull());
        QCOMPARE(q.value(9).toString(), QString("elvállalt"));
    }

    void serultFajl_data()
    {
        QTest::addColumn<QString>("fajl");      // the file damaged
        QTest::addColumn<int>("meret");         // cut to this size; -1 removes it, -2 fills it with rubbish
        QTest::addColumn<QString>("uzenet");    // part of the message
        QTest::newRow("csonka adatblokk") << "DOKSI.DB" << 30000 << "DOKSI.DB";
        QTest::newRow("csonka fejléc") << "DOKSI.DB" << 40 << "DOKSI.DB";
        QTest::newRow("szemét") << "marka.DB" << -2 << "marka.DB";
        QTest::newRow("hiányzó memó") << "Doksi_Megj.MB" << -1 << "Hiányzik a memó fájl";
        QTest::newRow("csonka memó") << "Doksi_Megj.MB" << 4096 + 100 << "Doksi_Megj.MB";
    }

    void serultFajl()
    {
        QFETCH(QString, fajl);
        QFETCH(int, meret);
        QFETCH(QString, uzenet);
        TesztKornyezet k(false);
        const QString m = k.adatMappa();
        regiMappaIr(m);
        const QString ut = QDir(m).filePath(fajl);
        QVERIFY(QFile::exists(ut));
        if (meret == -1) {
            QVERIFY(QFile::remove(ut));
        } else if (meret == -2) {
            QFile f(ut);
            QVERIFY(f.open(QIODevice::WriteOnly));
            QByteArray b(5000, 0);
            for (int i = 0; i < b.size(); ++i)
                b[i] = char((i * 7919) >> 3);
            f.write(b);
        } else {
            csonkit(ut, meret);
        }
        const QStringList elotte = mappaTartalom(m);
        try {
            ParadoxImport::importal(m);
            QFAIL("a damaged folder was imported");
        } catch (const StoreHiba &h) {
            QVERIFY2(h.uzenet().contains(uzenet), qPrintable(h.uzenet()));
            QVERIFY2(h.uzenet().contains(fajl, Qt::CaseInsensitive) || meret == -1, qPrintable(h.uzenet()));
        }
        QCOMPARE(mappaTartalom(m), elotte);
        QVERIFY(!Adatbazis::nyitva());
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

    void megszakitas()
    {
        TesztKornyezet k(false);
        const QString m = k.adatMappa();
        regiMappaIr(m);
        const QStringList elotte = mappaTartalom(m);
        int hivas = 0;
        try {
            ParadoxImport::importal(m, [&](const QString &, qint64, qint64) { return ++hivas < 3; });
            QFAIL("the import went on after cancel");
        } catch (const StoreHiba &h) {
            QCOMPARE(h.uzenet(), QString("Az importálás megszakítva."));
        }
        QCOMPARE(mappaTartalom(m), elotte);
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
