#include "Adatbazis.h"
#include "Jelszo.h"
#include "Naplo.h"
#include "Sema.h"
#include "StoreHiba.h"
#include "Tabla.h"
#include "TesztKornyezet.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QSqlQuery>
#include <QTest>
#include <functional>

// The change history on both engines: what each write path records, who is named, that a
// change rolled back leaves nothing, and deleted rows brought back from it.
class NaploTeszt : public QObject {
    Q_OBJECT

    struct Eset {
        const char *nev;
        std::function<void(qint64 level)> muvelet;
        QStringList varhato;   // "tabla.mezo: regi -> uj", "+tabla mezo=érték" (insert), "-tabla ..." (delete)
    };

    static void beszur(const QString &tabla, const QVariantMap &ertekek)
    {
        Tabla t(tabla);
        t.megnyit();
        t.beszur();
        for (auto it = ertekek.cbegin(); it != ertekek.cend(); ++it)
            t.setErtek(it.key(), it.value());
        t.post();
    }
    static void modosit(const QString &tabla, const QString &szuro, const QVariantMap &ertekek)
    {
        Tabla t(tabla);
        if (!szuro.isEmpty()) {
            t.setSzuro(szuro);
            t.setSzurt(true);
        }
        t.megnyit();
        t.szerkeszt();
        for (auto it = ertekek.cbegin(); it != ertekek.cend(); ++it)
            t.setErtek(it.key(), it.value());
        t.post();
    }
    static void torol(const QString &tabla, const QString &szuro)
    {
        Tabla t(tabla);
        t.setSzuro(szuro);
        t.setSzurt(true);
        t.megnyit();
        t.torol();
    }

    static const QList<Eset> &esetek()
    {
        static const QList<Eset> e = {
            {"levél felvétele", [](qint64) { beszur("doksi", {{"prntip", "J"}, {"doksi_id", 2}, {"rendszam", "ABC-123"}}); },
             {"+doksi rendszam=ABC-123"}},
            {"levél módosítása", [](qint64 l) { modosit("doksi", QString("doksi=%1").arg(l), {{"rendszam", "XYZ-987"}, {"kmora", "80000"}}); },
             {"doksi.rendszam: RGI-001 -> XYZ-987", "doksi.kmora:  -> 80000"}},
            {"levél törlése", [](qint64 l) { torol("doksi", QString("doksi=%1").arg(l)); }, {"-doksi rendszam=RGI-001"}},
            {"márka", [](qint64) { beszur("marka", {{"marka_nev", "Opel"}}); modosit("marka", "", {{"marka_nev", "Opel AG"}}); },
             {"+marka marka_nev=Opel", "marka.marka_nev: Opel -> Opel AG"}},
            {"megjegyzés", [](qint64 l) { beszur("doksi_megj", {{"doksi", l}, {"rovid", "telefonált"}}); },
             {"+doksi_megj rovid=telefonált"}},
            {"dokumentum", [](qint64 l) { beszur("megj", {{"doksi", l}, {"doknev", "/x/szamla.pdf"}}); },
             {"+megj doknev=/x/szamla.pdf"}},
            {"reklamáció",
             [](qint64 l) {
                 beszur("reklamacio", {{"doksi", l}, {"panasz", "zörög"}, {"allapot", "Bejelentve"}});
                 modosit("reklamacio", "", {{"allapot", "Lezárva"}});
             },
             {"+reklamacio panasz=zörög", "reklamacio.allapot: Bejelentve -> Lezárva"}},
            {"jelszó és jog",
             [](qint64) { modosit("felhasznalo", "", {{"jelszo", Jelszo::hash("titok")}, {"torzsszerkeszt", "N"}}); },
             {"felhasznalo.jelszo:  -> (megváltozott)", "felhasznalo.torzsszerkeszt: I -> N"}},
            {"új felhasználó",
             [](qint64) { beszur("felhasznalo", {{"felhasznalo", "kata"}, {"jelszo", Jelszo::hash("k")}, {"rendszergazda", "N"}}); },
             {"+felhasznalo felhasznalo=kata"}},
            {"beállítás", [](qint64) { modosit("beallit", "", {{"vanbelep", "I"}}); }, {"beallit.vanbelep: N -> I"}},
            {"tulajdonos", [](qint64) { modosit("tulajdonos", "", {{"telefon", "06-1-234"}}); }, {"tulajdonos.telefon:  -> 06-1-234"}},
            {"szabad SQL",
             [](qint64) {
                 const QString sql = "UPDATE doksi SET egyebjav = 'olaj'";
                 Adatbazis::vegrehajt(sql);
                 Naplo::sqlUtasitas(sql, 1);
                 Naplo::sqlUtasitas("UPDATE felhasznalo SET jelszo = 'nyilt'", 1);
             },
             {"doksi.egyebjav:  -> olaj", "SQL.utasítás:  -> UPDATE doksi SET egyebjav = 'olaj'",
              "SQL.utasítás:  -> UPDATE felhasznalo SET jelszo = '***'"}},
        };
        return e;
    }

    // The entries after azon, in the form of Eset::varhato, sorted (the server lists a row's
    // fields in its own order).
    static QStringList bejegyzesek(qint64 azon, const QStringList &varhato)
    {
        QStringList ki;
        QSqlQuery q = Adatbazis::lekerdez("SELECT tabla, mezo, regi, uj FROM naplo WHERE naplo > ? ORDER BY naplo", {azon});
        while (q.next()) {
            const QString tabla = q.value(0).toString();
            if (!q.value(1).isNull()) {
                ki << QString("%1.%2: %3 -> %4").arg(tabla, q.value(1).toString(), q.value(2).toString(), q.value(3).toString());
                continue;
            }
            const bool uj = !q.value(3).isNull();
            const QString json = (uj ? q.value(3) : q.value(2)).toString();
            const QJsonObject o = QJsonDocument::fromJson(json.toUtf8()).object();
            if (o.isEmpty() || o.contains("jelszo") || json.contains("argon2"))
                ki << "hibás sor: " + json;
            // the field the expectation names for this table
            QString mezo = "?";
            for (const QString &v : varhato)
                if (v.startsWith(QString(uj ? '+' : '-') + tabla + ' '))
                    mezo = v.section(' ', 1).section('=', 0, 0);
            ki << QString("%1%2 %3=%4").arg(uj ? '+' : '-').arg(tabla, mezo, o.value(mezo).toVariant().toString());
        }
        ki.sort();
        return ki;
    }

    static qint64 utolso() { return Adatbazis::ertek("SELECT coalesce(max(naplo), 0) FROM naplo").toLongLong(); }

    // A letter written before the history is looked at.
    static qint64 regiLevel(int szam = 1)
    {
        const Naplo::Szunet sz;
        beszur("doksi", {{"prntip", "J"}, {"doksi_id", szam}, {"rendszam", "RGI-001"}});
        return Adatbazis::ertek("SELECT max(doksi) FROM doksi").toLongLong();
    }

private slots:
    void initTestCase_data() { TesztKornyezet::motorok(); }
    void init()
    {
        if (const QString h = TesztKornyezet::szerverHiba(); !h.isEmpty())
            QSKIP(qPrintable(h));
        Naplo::setFelhasznalo({});
    }

    void irasUtak_data()
    {
        QTest::addColumn<int>("eset");
        QTest::addColumn<QString>("bejelentkezett");
        for (int i = 0; i < esetek().size(); ++i)
            QTest::newRow(esetek()[i].nev) << i << (i % 2 ? QString("kata") : QString());
    }
    // Every write path leaves its entries, with the user and the desk, and nothing else.
    void irasUtak()
    {
        QFETCH(int, eset);
        QFETCH(QString, bejelentkezett);
        TesztKornyezet k;
        QCOMPARE(utolso(), 0);   // a new register starts with an empty history
        const qint64 level = regiLevel();
        QCOMPARE(utolso(), 0);
        Naplo::setFelhasznalo(bejelentkezett);
        const Eset &e = esetek()[eset];
        e.muvelet(level);
        QStringList varhato = e.varhato;
        varhato.sort();
        QCOMPARE(bejegyzesek(0, e.varhato), varhato);
        const QString ki = bejelentkezett.isEmpty() ? Naplo::felhasznalo() : bejelentkezett;
        QVERIFY(!ki.isEmpty());
        QCOMPARE(Adatbazis::ertek("SELECT count(*) FROM naplo WHERE felhasznalo = ? AND gep = ? AND ido LIKE ?",
                                  {ki, Naplo::gep(), QDate::currentDate().toString(Qt::ISODate) + " __:__:__"})
                     .toInt(),
                 e.varhato.size());
        // the rows of a letter name it
        QCOMPARE(Adatbazis::ertek("SELECT count(*) FROM naplo WHERE tabla IN ('doksi_megj', 'megj', 'reklamacio') "
                                  "AND (doksi IS NULL OR doksi <> ?)", {level}).toInt(), 0);
        QCOMPARE(Adatbazis::ertek("SELECT count(*) FROM naplo WHERE tabla = 'doksi' AND (doksi IS NULL OR "
                                  "CAST(doksi AS TEXT) <> kulcs)").toInt(), 0);
        Naplo::setFelhasznalo({});
    }

    // A post that fails, or a transaction rolled back after posts, leaves no entry.
    void sikertelenNemIr()
    {
        TesztKornyezet k;
        regiLevel();
        try {
            beszur("felhasznalo", {{"felhasznalo", "rendszergazda"}});   // the key is taken
            QFAIL("a taken key was posted");
        } catch (const StoreHiba &) {
        }
        try {
            Adatbazis::Tranzakcio tr;
            modosit("doksi", "", {{"rendszam", "UJ-1"}});
            beszur("marka", {{"marka_nev", "Fiat"}});
            Adatbazis::vegrehajt("INSERT INTO felhasznalo (felhasznalo) VALUES ('rendszergazda')");
            tr.commit();
            QFAIL("a taken key was written");
        } catch (const StoreHiba &) {
        }
        QCOMPARE(utolso(), 0);
        QCOMPARE(Adatbazis::ertek("SELECT rendszam FROM doksi").toString(), QString("RGI-001"));
        // the next post is recorded again
        modosit("doksi", "", {{"rendszam", "UJ-2"}});
        QCOMPARE(bejegyzesek(0, {}), QStringList{"doksi.rendszam: RGI-001 -> UJ-2"});
    }

    // A register of version 7 gets its history table when it opens; the history starts empty.
    void regiRegiszter()
    {
        TesztKornyezet k;
        regiLevel();
        Adatbazis::vegrehajt(TesztKornyezet::szerveren() ? "DROP FUNCTION naplo_ir() CASCADE" : "SELECT 1");
        Adatbazis::vegrehajt("DROP TABLE naplo");
        Adatbazis::vegrehajt("UPDATE meta SET ertek = '7' WHERE kulcs = 'verzio'");
        Adatbazis::megnyit(k.adatMappa(), k.kapcsolat());
        QCOMPARE(Adatbazis::ertek("SELECT ertek FROM meta WHERE kulcs = 'verzio'").toInt(), Sema::verzio());
        QCOMPARE(utolso(), 0);
        modosit("doksi", "", {{"rendszam", "UJ-3"}});
        QCOMPARE(bejegyzesek(0, {}), QStringList{"doksi.rendszam: RGI-001 -> UJ-3"});
    }

    void visszaallitas_data()
    {
        QTest::addColumn<QString>("tabla");
        QTest::addColumn<bool>("foglalt");     // the number is taken meanwhile
        QTest::addColumn<QString>("varhato");
        QTest::newRow("levél a saját számával") << "doksi" << false << "A levél visszaállítva a saját számával (1).";
        QTest::newRow("levél új számmal") << "doksi" << true << "A levél száma (1) már foglalt, ezért a következő számmal (3) állt vissza.";
        QTest::newRow("megjegyzés") << "doksi_megj" << false << "A megjegyzés visszaállítva a saját számával (%1).";
        QTest::newRow("reklamáció") << "reklamacio" << false << "A reklamáció visszaállítva a saját számával (%1).";
        QTest::newRow("dokumentum, a levele nélkül") << "megj" << false << QString();
    }
    // A deleted row comes back whole from its delete entry, its own number kept when free.
    void visszaallitas()
    {
        QFETCH(QString, tabla);
        QFETCH(bool, foglalt);
        QFETCH(QString, varhato);
        TesztKornyezet k;
        const qint64 level = regiLevel();
        if (tabla != "doksi")
            beszur(tabla, {{"doksi", level}, {tabla == "megj" ? "doknev" : tabla == "reklamacio" ? "panasz" : "rovid", "régi szöveg"},
                           {"datum", QDate(2026, 3, 4)}});
        const QString kulcsMezo = Sema::tabla(tabla)->kulcs;
        const qint64 kulcs = Adatbazis::ertek(QString("SELECT max(%1) FROM %2").arg(kulcsMezo, tabla)).toLongLong();
        const QString elotte = Adatbazis::ertek(QString("SELECT uj FROM naplo WHERE tabla = ? AND mezo IS NULL"), {tabla}).toString();
        torol(tabla, QString("%1=%2").arg(kulcsMezo).arg(kulcs));
        if (tabla == "megj")
            torol("doksi", QString("doksi=%1").arg(level));
        if (foglalt) {
            beszur("doksi", {{"prntip", "J"}, {"doksi_id", 1}});
            beszur("doksi", {{"prntip", "J"}, {"doksi_id", 2}});
        }
        const qint64 azon = Adatbazis::ertek("SELECT max(naplo) FROM naplo WHERE tabla = ? AND uj IS NULL AND mezo IS NULL",
                                             {tabla}).toLongLong();
        QVERIFY(azon > 0);
        if (varhato.isEmpty()) {
            QVERIFY_THROWS_EXCEPTION(StoreHiba, Naplo::visszaallit(azon));
            QCOMPARE(Adatbazis::ertek(QString("SELECT count(*) FROM %1").arg(tabla)).toInt(), 0);
            return;
        }
        const Naplo::Visszaallitas v = Naplo::visszaallit(azon);
        QCOMPARE(v.uzenet(), varhato.contains("%1") ? varhato.arg(kulcs) : varhato);
        QCOMPARE(v.kulcs, kulcs);   // a deleted key is never given again
        // the row as it was, apart from a number taken meanwhile; its coming back is recorded
        QSqlQuery q = Adatbazis::lekerdez(QString("SELECT * FROM %1 WHERE %2 = ?").arg(tabla, kulcsMezo), {v.kulcs});
        QVERIFY(q.next());
        if (tabla == "doksi") {
            QCOMPARE(q.value("rendszam").toString(), QString("RGI-001"));
            QCOMPARE(q.value("doksi_id").toLongLong(), foglalt ? 3 : 1);
        } else {
            QCOMPARE(q.value("datum").toString().left(10), QString("2026-03-04"));
            QCOMPARE(q.value("doksi").toLongLong(), level);
            QVERIFY(!elotte.isEmpty());
        }
        QCOMPARE(Adatbazis::ertek("SELECT count(*) FROM naplo WHERE tabla = ? AND kulcs = ? AND uj IS NOT NULL AND mezo IS NULL",
                                  {tabla, QString::number(v.kulcs)}).toInt(), tabla == "doksi" ? 1 : 2);
    }
};

QTEST_GUILESS_MAIN(NaploTeszt)
#include "tst_naplo.moc"
