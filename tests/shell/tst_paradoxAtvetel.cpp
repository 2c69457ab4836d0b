#include "Adatbazis.h"
#include "Tabla.h"
#include "TesztKornyezet.h"
#include "Tfrm_Main.h"
#include "../store/tst_paradoxIro.h"

#include <QDir>
#include <QFile>
#include <QProgressDialog>
#include <QPushButton>
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

// Clicks Mégse of the progress window the moment it shows.
class MegseNyomo : public QObject {
public:
    bool megnyomva = false;

protected:
    bool eventFilter(QObject *o, QEvent *e) override
    {
        auto *d = qobject_cast<QProgressDialog *>(o);
        if (d && e->type() == QEvent::Show && !megnyomva)
            for (QPushButton *b : d->findChildren<QPushButton *>())
                if (b->text() == "Mégsem") {
                    b->click();
                    megnyomva = true;
                }
        return false;
    }
};

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
        QTest::addColumn<qint64>("hely");           // where the letter table is damaged
        QTest::addColumn<QByteArray>("bajtok");     // empty: cut there
        QTest::newRow("csonka, kilép") << false << qint64(2048 + 100) << QByteArray();
        QTest::newRow("csonka, üres adatbázissal") << true << qint64(2048 + 100) << QByteArray();
        // the first block pointing at itself once made the start-up hang for good
        QTest::newRow("körbe érő blokklánc") << false << qint64(0x800) << QByteArray("\x01\x00", 2);
    }

    void hibanalNemNyitUres()
    {
        QFETCH(bool, uresIndul);
        QFETCH(qint64, hely);
        QFETCH(QByteArray, bajtok);
        TesztKornyezet k(false);
        regiTablak(k.adatMappa());
        QFile doksi(QDir(k.adatMappa()).filePath("DOKSI.DB"));
        if (bajtok.isEmpty()) {
            QVERIFY(doksi.resize(hely));
        } else {
            QVERIFY(doksi.open(QIODevice::ReadWrite) && doksi.seek(hely));
            QCOMPARE(doksi.write(bajtok), bajtok.size());
            doksi.close();
        }
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

    // Mégse on the progress window stops the import with no error box: nothing is left in
    // the folder, and the user decides whether to start with an empty register.
    void megseGomb()
    {
        TesztKornyezet k(false);
        regiTablak(k.adatMappa());
        const QStringList elotte = fajlok(k.adatMappa());
        k.valaszok({true, false});
        MegseNyomo nyomo;
        qApp->installEventFilter(&nyomo);
        Tfrm_Main w;
        const bool indult = w.inditas();
        qApp->removeEventFilter(&nyomo);
        QVERIFY(nyomo.megnyomva);
        QVERIFY(!indult);
        const QList<UzenetKeres> &u = k.uzenetek();
        QCOMPARE(u.size(), 2);
        QCOMPARE(u[1].tipus, UzenetKeres::Kerdes);
        QVERIFY(u[1].szoveg.contains("üres adatbázissal"));
        QCOMPARE(fajlok(k.adatMappa()).join(" | "), elotte.join(" | "));
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
