#include "Adatbazis.h"
#include "Beall.h"
#include "PgSzerver.h"
#include "ProgramFutas.h"
#include "TesztKornyezet.h"

#include <QRect>
#include <QTest>

// The restore of a register kept on the test server: its dump back into the database in one
// transaction, refused while another desk is connected.
class VisszaallitasPgTeszt : public QObject {
    Q_OBJECT

    static QStringList levelek()
    {
        QStringList l;
        for (QSqlQuery q = Adatbazis::lekerdez("SELECT doksi, prntip, doksi_id, coalesce(rendszam, '') FROM doksi ORDER BY doksi");
             q.next();)
            l << QString("%1 %2 %3 %4").arg(q.value(0).toString(), q.value(1).toString(), q.value(2).toString(),
                                            q.value(3).toString());
        for (QSqlQuery q = Adatbazis::lekerdez("SELECT megj, doknev FROM megj ORDER BY megj"); q.next();)
            l << QString("megj %1 %2").arg(q.value(0).toString(), q.value(1).toString());
        return l;
    }

private slots:
    void szerverKorbe()
    {
        PgSzerver *sz = PgSzerver::kozos();
        if (!sz)
            QSKIP(qPrintable("Nincs PostgreSQL-kiszolgáló: " + PgSzerver::hibaSzoveg()));
        qputenv("DORVPRG_MOTOR", "sqlite");
        TesztKornyezet k;
        Adatbazis::vegrehajt("INSERT INTO doksi (doksi_id, prntip, rendszam) VALUES (1, 'J', 'ABC-001'), "
                             "(2, 'J', 'ABC-002'), (1, 'S', 'XYZ-001')");
        Adatbazis::vegrehajt("INSERT INTO megj (megj, doksi, doknev, doknev_rovid) VALUES (1, 1, 'x.pdf', 'x')");
        Adatbazis::bezar();
        const QString kapcsolat = sz->ujAdatbazis();
        QVERIFY2(!kapcsolat.isEmpty(), qPrintable(sz->hiba()));
        const ProgramFutas m = ProgramFuttat(k.programMappa(), {"--data", k.adatMappa(), "--copy-to", kapcsolat});
        QVERIFY2(m.kod == 0, qPrintable(m.hiba));
        Beall.AdatbazisUtvonal = k.adatMappa();
        Beall.AdatbazisKapcsolat = kapcsolat;
        BeallitasIr(QRect(0, 0, 640, 400));
        const QString zip = QDir(k.programMappa()).filePath("szerver.zip");
        const ProgramFutas a = ProgramFuttat(k.programMappa(), {"--archive", zip});
        QVERIFY2(a.kod == 0, qPrintable(a.hiba));

        Adatbazis::megnyit(k.adatMappa(), kapcsolat);
        const QStringList archivalt = levelek();
        Adatbazis::vegrehajt("UPDATE doksi SET rendszam = 'MAS' WHERE doksi_id = 1");
        Adatbazis::vegrehajt("DELETE FROM doksi WHERE doksi_id = 2");
        Adatbazis::vegrehajt("DELETE FROM megj");
        const QStringList valtozott = levelek();
        QVERIFY(valtozott != archivalt);
        // this test's connection is another desk: refused, nothing changed
        const ProgramFutas el = ProgramFuttat(k.programMappa(), {"--restore", zip});
        QCOMPARE(el.kod, 1);
        QVERIFY2(el.hiba.contains("másik program kapcsolódik"), qPrintable(el.hiba));
        QCOMPARE(levelek(), valtozott);
        Adatbazis::bezar();

        const ProgramFutas f = ProgramFuttat(k.programMappa(), {"--restore", zip});
        QVERIFY2(f.kod == 0, qPrintable(f.hiba + f.ki));
        Adatbazis::megnyit(k.adatMappa(), kapcsolat);
        QCOMPARE(levelek(), archivalt);
        // a new letter still gets a key past the restored ones
        Adatbazis::vegrehajt("INSERT INTO doksi (doksi_id, prntip) VALUES (5, 'J')");
        QVERIFY(Adatbazis::ertek("SELECT max(doksi) FROM doksi").toInt() > 3);
        Adatbazis::bezar();

        // the state before, from the safety archive the message names
        const int i = f.ki.indexOf("archívuma: ");
        QVERIFY(i >= 0);
        const QString elotte = f.ki.mid(i + 11).section('\n', 0, 0).trimmed();
        const ProgramFutas g = ProgramFuttat(k.programMappa(), {"--restore", elotte});
        QVERIFY2(g.kod == 0, qPrintable(g.hiba));
        Adatbazis::megnyit(k.adatMappa(), kapcsolat);
        QCOMPARE(levelek(), valtozott);
        Adatbazis::bezar();
    }
};

QTEST_GUILESS_MAIN(VisszaallitasPgTeszt)
#include "tst_visszaallitas_pg.moc"
