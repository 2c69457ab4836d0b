#include "Adatbazis.h"
#include "Admin.h"
#include "TesztKornyezet.h"
#include "Tfrm_Nevjegy.h"
#include "Tfrm_Readme.h"
#include "Tfrm_Tulajdonos.h"

#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

// The owner details window, and the two information windows of the help menu.
class TulajdonosTeszt : public QObject {
    Q_OBJECT

    static void kattint(QWidget *w, const char *gomb) { QTest::mouseClick(w->findChild<QPushButton *>(gomb), Qt::LeftButton); }
    static void beir(QWidget *w, const char *mezo, const QString &s) { w->findChild<QLineEdit *>(QString("edt_") + mezo)->setText(s); }
    static QString sor()
    {
        return Adatbazis::ertek("SELECT group_concat(coalesce(tulajdonos,'-') || '|' || coalesce(telefon,'-') || '|' || "
                                "coalesce(varos,'-') || '|' || coalesce(honlap,'-') || '|' || coalesce(adoszam,'-') || '|' || "
                                "coalesce(bankszamlaszam,'-') || '|' || coalesce(betujel,'-'), ';') FROM tulajdonos")
            .toString();
    }

private slots:
    void rejtettMezokMegmaradnak()
    {
        TesztKornyezet k;
        Adatbazis::vegrehajt("UPDATE tulajdonos SET adoszam='12345678-1', bankszamlaszam='11111111-22222222', betujel='KB'");
        TesztKornyezet::modalisan([](QWidget *w) {
            QCOMPARE(w->findChild<QLineEdit *>("edt_tulajdonos")->text(), QString("Saját műhely"));
            QVERIFY(w->findChild<QLineEdit *>("edt_tulajdonos")->font().bold());
            QCOMPARE(w->findChild<QLineEdit *>("edt_irsz")->maxLength(), 5);
            beir(w, "tulajdonos", "Kerék Kft.");
            beir(w, "telefon", "+36 1 234 5678");
            beir(w, "varos", "Győr");
            kattint(w, "btnOK");
        });
        TulajdonosSzerkeszt();
        QCOMPARE(sor(), QString("Kerék Kft.|+36 1 234 5678|Győr|-|12345678-1|11111111-22222222|KB"));
        QVERIFY(k.szovegek().isEmpty());
    }

    void megsemNemValtoztat()
    {
        TesztKornyezet k;
        const QString elotte = sor();
        TesztKornyezet::modalisan([](QWidget *w) {
            for (const char *m : {"tulajdonos", "telefon", "mobil", "fax", "irsz", "varos", "cim", "emil", "honlap"})
                beir(w, m, "x");
            kattint(w, "btnMegsem");
        });
        TulajdonosSzerkeszt();
        QCOMPARE(sor(), elotte);
    }

    void uresTabla()
    {
        TesztKornyezet k;
        Adatbazis::vegrehajt("DELETE FROM tulajdonos");
        TesztKornyezet::modalisan([](QWidget *w) {
            QCOMPARE(w->findChild<QLineEdit *>("edt_tulajdonos")->text(), QString());
            beir(w, "tulajdonos", "Új Műhely Bt.");
            beir(w, "honlap", "www.ujmuhely.hu");
            kattint(w, "btnOK");
        });
        TulajdonosSzerkeszt();
        QCOMPARE(sor(), QString("Új Műhely Bt.|-|-|www.ujmuhely.hu|-|-|-"));
    }

    void elutasitottMentes()
    {
        // the owner name is the row's key: an empty one is refused and the window stays open
        TesztKornyezet k;
        const QString elotte = sor();
        bool nyitva = false;
        TesztKornyezet::modalisan([&](QWidget *w) {
            beir(w, "tulajdonos", "");
            kattint(w, "btnOK");
            nyitva = w->isVisible();
            beir(w, "tulajdonos", "Javított Kft.");
            kattint(w, "btnOK");
        });
        TulajdonosSzerkeszt();
        QVERIFY(nyitva);
        QCOMPARE(k.szovegek(), QStringList{"Hiba az adatok mentése során"});
        QVERIFY(sor().startsWith("Javított Kft.|"));
        QVERIFY(elotte.startsWith("Saját műhely|"));
    }

    void informaciosAblakok()
    {
        TesztKornyezet k;
        Tfrm_Nevjegy n;
        QCOMPARE(n.programNev(), QString("DorvPrg\r\nV1.2.1.33"));
        QCOMPARE(n.findChild<QLabel *>("lblProgram")->text(), QString("DorvPrg\nV1.2.1.33"));
        QCOMPARE(n.windowTitle(), QString("Névjegy"));
        TesztKornyezet::modalisan([](QWidget *w) { kattint(w, "btnOK"); });
        Nevjegy();

        Tfrm_Readme r;
        const QString s = r.findChild<QPlainTextEdit *>("Memo1")->toPlainText();
        QVERIFY(s.contains("rendszergazda"));
        QVERIFY(r.findChild<QPlainTextEdit *>("Memo1")->isReadOnly());
        QCOMPARE(r.windowTitle(), QString("Fontos információk"));
    }
};

QTEST_MAIN(TulajdonosTeszt)
#include "tst_tulajdonos.moc"
