#include "Adatbazis.h"
#include "Tabla.h"
#include "TesztKornyezet.h"
#include "Tfrm_Main.h"
#include "../store/tst_paradoxIro.h"

#include <QDir>
#include <QFile>
#include <QTest>

namespace {

// The earlier program's folder: three letters (two warranty, one with installation) and a brand.
void regiTablak(const QString &mappa)
{
    PxIro d(QDir(mappa).filePath("DOKSI.DB"), pxMezok(*Sema::tabla("doksi")));
    d.sor({5, 1, QDate(2004, 5, 6), "1 év", 3, {}, "ÁBC-123", {}, "SN-ő", "J"});
    d.sor({6, 2, QDate(2004, 5, 7), "2 év", 3, {}, "XYZ-999", {}, {}, "J"});
    d.sor({9, 1, QDate(2004, 6, 1), {}, {}, {}, "ŐŰ-001", {}, {}, "S"});
    d.bezar();
    PxIro m(QDir(mappa).filePath("marka.DB"), pxMezok(*Sema::tabla("marka")));
    m.sor({3, "Škoda", 7});
}

QStringList fajlok(const QString &mappa)
{
    QStringList l;
    for (const QFileInfo &fi : QDir(mappa).entryInfoList(QDir::Files | QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name))
        l << fi.fileName() + ' ' + QString::number(fi.size());
    return l;
}

} // namespace

class ParadoxAtvetelTeszt : public QObject {
    Q_OBJECT

private slots:
    void indulaskorAtveszi()
    {
        TesztKornyezet k(false);
        regiTablak(k.adatMappa());
        k.valaszok({true});
        Tfrm_Main w;
        QVERIFY(w.inditas());
        const QStringList sz = k.szovegek();
        QCOMPARE(sz.size(), 2);
        QVERIFY(sz[0].contains("korábbi program adatai"));
        QVERIFY2(sz[1].contains("4 sor került át") && sz[1].contains("doksi: 3 sor") && sz[1].contains("marka: 1 sor")
                     && sz[1].contains("megj: nincs megj.DB, üres tábla"),
                 qPrintable(sz[1]));
        QCOMPARE(k.uzenetek()[1].tipus, UzenetKeres::Info);
        // the main list shows the imported warranty letters, newest number first
        QCOMPARE(w.Tbl().rekordSzam(), 2);
        QCOMPARE(w.Tbl().ertek("doksi").toInt(), 6);
        QCOMPARE(w.Tbl().ertek("rendszam").toString(), QString("XYZ-999"));
        QCOMPARE(w.Tbl().ertek("marka_nev").toString(), QString("Škoda"));
    }

    void elutasitvaUresAdatbazis()
    {
        TesztKornyezet k(false);
        regiTablak(k.adatMappa());
        const qint64 meret = QFileInfo(QDir(k.adatMappa()).filePath("DOKSI.DB")).size();
        k.valaszok({false});
        Tfrm_Main w;
        QVERIFY(w.inditas());
        QCOMPARE(k.szovegek().size(), 1);
        QCOMPARE(w.Tbl().rekordSzam(), 0);
        QCOMPARE(QFileInfo(QDir(k.adatMappa()).filePath("DOKSI.DB")).size(), meret);
    }

    void hibanalNemNyitUres_data()
    {
        QTest::addColumn<bool>("uresIndul");
        QTest::newRow("kilép") << false;
        QTest::newRow("üres adatbázissal") << true;
    }

    void hibanalNemNyitUres()
    {
        QFETCH(bool, uresIndul);
        TesztKornyezet k(false);
        regiTablak(k.adatMappa());
        QVERIFY(QFile(QDir(k.adatMappa()).filePath("DOKSI.DB")).resize(2048 + 100));
        const QStringList elotte = fajlok(k.adatMappa());
        k.valaszok({true, true, uresIndul});   // the error box takes an answer too
        Tfrm_Main w;
        QCOMPARE(w.inditas(), uresIndul);
        const QList<UzenetKeres> &u = k.uzenetek();
        QCOMPARE(u.size(), 3);
        QCOMPARE(u[1].tipus, UzenetKeres::Hiba);
        QVERIFY2(u[1].szoveg.contains("nem sikerült") && u[1].szoveg.contains("DOKSI.DB"), qPrintable(u[1].szoveg));
        if (!uresIndul)
            QCOMPARE(fajlok(k.adatMappa()).join(" | "), elotte.join(" | "));
        QCOMPARE(Adatbazis::vanAdatbazis(k.adatMappa()), uresIndul);
    }

    void sajatAdatbazisnalNemKerdez()
    {
        TesztKornyezet k;
        regiTablak(k.adatMappa());
        Adatbazis::bezar();
        Tfrm_Main w;
        QVERIFY(w.inditas());
        QVERIFY(k.szovegek().isEmpty());
    }
};

QTEST_MAIN(ParadoxAtvetelTeszt)
#include "tst_paradoxAtvetel.moc"
