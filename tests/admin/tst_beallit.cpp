#include "Adatbazis.h"
#include "Admin.h"
#include "Beall.h"
#include "Ikonok.h"
#include "HuSzoveg.h"
#include "TesztKornyezet.h"
#include "Tfrm_Beallit.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <QTabWidget>
#include <QToolButton>

// The settings window: what OK stores (memory, dorvido.ini, beallit) and what Mégsem keeps.
class BeallitTeszt : public QObject {
    Q_OBJECT

    static QByteArray fajl(const QString &ut)
    {
        QFile f(ut);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<nincs>");
    }
    static void mindentAtir(QWidget *w)
    {
        w->findChild<QCheckBox *>("chkTeljesKep")->setChecked(false);
        w->findChild<QCheckBox *>("chkVanBelep")->setChecked(true);
        w->findChild<QCheckBox *>("chkLejartSzurke")->setChecked(false);
        w->findChild<QLineEdit *>("edtAdatbazis")->setText("/masik/adat");
        w->findChild<QLineEdit *>("edtMentes")->setText("/masik/mentes");
        w->findChild<QPlainTextEdit *>("memDorvido")->setPlainText("6 hónap\n\n1 év ");
        w->findChild<QCheckBox *>("chkDokumentumok")->setChecked(false);
        w->findChild<QSpinBox *>("spnMegtart")->setValue(7);
        w->findChild<QLineEdit *>("edtMasodik")->setText(" /media/usb ");
    }
    static void kattint(QWidget *w, const char *gomb) { QTest::mouseClick(w->findChild<QPushButton *>(gomb), Qt::LeftButton); }

private slots:
    void elfogadas()
    {
        TesztKornyezet k;
        const QString adat = Beall.AdatbazisUtvonal;
        QString betoltott;
        TesztKornyezet::modalisan([&](QWidget *w) {
            // the page's picture is the settings command's own
            auto *lapok = w->findChild<QTabWidget *>();
            QVERIFY(lapok && lapok->tabIcon(0).pixmap(16, 16).toImage() == AkcioIkon("aBeallit").pixmap(16, 16).toImage());
            QVERIFY(w->findChild<QCheckBox *>("chkTeljesKep")->isChecked());
            QVERIFY(!w->findChild<QCheckBox *>("chkVanBelep")->isChecked());
            // grey rows: on by default, its whole text in the free place beside the period list
            auto *szurke = w->findChild<QCheckBox *>("chkLejartSzurke");
            QVERIFY(szurke->isChecked());
            QVERIFY(szurke->sizeHint().width() <= szurke->width());
            for (QWidget *masik : szurke->parentWidget()->findChildren<QWidget *>(Qt::FindDirectChildrenOnly))
                QVERIFY2(masik == szurke || !masik->geometry().intersects(szurke->geometry()),
                         qPrintable(masik->objectName()));
            QCOMPARE(w->findChild<QLineEdit *>("edtAdatbazis")->text(), adat);
            betoltott = w->findChild<QPlainTextEdit *>("memDorvido")->toPlainText();
            mindentAtir(w);
            // the text buttons use the folder in effect, not the one typed
            kattint(w, "btnSzoveg3");
            kattint(w, "btnOK");
        });
        Beallitasok();
        QCOMPARE(betoltott, QString());   // no dorvido.ini yet
        QVERIFY(!Beall.TeljesKep);
        QVERIFY(!Beall.LejartSzurke);
        QCOMPARE(Beall.AdatbazisUtvonal, QString("/masik/adat"));
        QCOMPARE(Beall.MentesUtvonal, QString("/masik/mentes"));
        QCOMPARE(Adatbazis::ertek("SELECT vanbelep FROM beallit").toString(), QString("I"));
        QCOMPARE(Adatbazis::ertek("SELECT count(*) FROM beallit").toInt(), 1);
        // CR LF between lines, code page 1250, the empty line and the trailing blank kept
        QCOMPARE(fajl(DorvidoFajlUt()), QByteArray("6 h\xf3nap\r\n\r\n1 \xe9v "));
        QCOMPARE(k.szovegek(), QStringList{QDir(adat).filePath("s3.txt")});
        // the archive page: kept in memory, and in DorvPrg.ini across a start
        QVERIFY(!Beall.ArchivDokumentumok);
        QCOMPARE(Beall.ArchivMegtart, 7);
        QCOMPARE(Beall.MasodikMentesUtvonal, QString("/media/usb"));
        BeallitasIr(QRect(0, 0, 640, 400));
        Beall = TBeall();
        BeallitasOlvas();
        QVERIFY(!Beall.ArchivDokumentumok);
        QCOMPARE(Beall.ArchivMegtart, 7);
        QCOMPARE(Beall.MasodikMentesUtvonal, QString("/media/usb"));
    }

    void megsem()
    {
        TesztKornyezet k;
        Adatbazis::vegrehajt("UPDATE beallit SET vanbelep='I'");
        HuSzoveg::fajlIr(DorvidoFajlUt(), "1 év\r\n2 év\r\n");
        const QByteArray eredeti = fajl(DorvidoFajlUt());
        const TBeall elotte = Beall;
        QString betoltott;
        TesztKornyezet::modalisan([&](QWidget *w) {
            QVERIFY(w->findChild<QCheckBox *>("chkVanBelep")->isChecked());
            betoltott = w->findChild<QPlainTextEdit *>("memDorvido")->toPlainText();
            mindentAtir(w);
            w->findChild<QCheckBox *>("chkVanBelep")->setChecked(false);
            QTest::keyClick(w, Qt::Key_Escape);
        });
        Beallitasok();
        QCOMPARE(betoltott, QString("1 év\n2 év\n"));
        QCOMPARE(Beall.TeljesKep, elotte.TeljesKep);
        QCOMPARE(Beall.LejartSzurke, elotte.LejartSzurke);
        QCOMPARE(Beall.AdatbazisUtvonal, elotte.AdatbazisUtvonal);
        QCOMPARE(Beall.MentesUtvonal, elotte.MentesUtvonal);
        QCOMPARE(Beall.ArchivDokumentumok, elotte.ArchivDokumentumok);
        QCOMPARE(Beall.ArchivMegtart, elotte.ArchivMegtart);
        QCOMPARE(Beall.MasodikMentesUtvonal, elotte.MasodikMentesUtvonal);
        QCOMPARE(fajl(DorvidoFajlUt()), eredeti);
        QCOMPARE(Adatbazis::ertek("SELECT vanbelep FROM beallit").toString(), QString("I"));
    }

    void visszairasValtozatlanul()
    {
        // a list read from the file and accepted untouched is written back byte for byte
        TesztKornyezet k;
        const QByteArray eredeti("3 h\xf3nap\r\n1 \xe9v\r\n\r\n");
        QFile f(DorvidoFajlUt());
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(eredeti);
        f.close();
        TesztKornyezet::modalisan([](QWidget *w) { kattint(w, "btnOK"); });
        Beallitasok();
        QCOMPARE(fajl(DorvidoFajlUt()), eredeti);
        QCOMPARE(Adatbazis::ertek("SELECT vanbelep FROM beallit").toString(), QString("N"));
    }

    // Periods code page 1250 cannot hold are kept (the file turns UTF-8), never replaced by
    // substitutes; the letter editor's list reads them back as typed.
    void kodlaponKivul()
    {
        TesztKornyezet k;
        const QString lista = "6 hónap\n1 год\n2 år";
        TesztKornyezet::modalisan([&](QWidget *w) {
            w->findChild<QPlainTextEdit *>("memDorvido")->setPlainText(lista);
            kattint(w, "btnOK");
        });
        Beallitasok();
        QCOMPARE(fajl(DorvidoFajlUt()), QString(lista).replace("\n", "\r\n").toUtf8());
        QCOMPARE(HuSzoveg::fajlSorok(DorvidoFajlUt()), lista.split('\n'));
        QVERIFY(k.szovegek().isEmpty());
    }

    void uresTablaEsUresLista()
    {
        TesztKornyezet k;
        Adatbazis::vegrehajt("DELETE FROM beallit");
        TesztKornyezet::modalisan([](QWidget *w) {
            w->findChild<QCheckBox *>("chkVanBelep")->setChecked(true);
            kattint(w, "btnOK");
        });
        Beallitasok();
        QCOMPARE(Adatbazis::ertek("SELECT group_concat(vanbelep) FROM beallit").toString(), QString("I"));
        QVERIFY(QFile::exists(DorvidoFajlUt()));
        QCOMPARE(fajl(DorvidoFajlUt()), QByteArray());
    }

    void mappaGombok()
    {
        TesztKornyezet k;
        QString valasz = "/valasztott/mappa";
        Tfrm_Beallit::setMappaValaszto([&](QWidget *) { return valasz; });
        TesztKornyezet::modalisan([&](QWidget *w) {
            QTest::mouseClick(w->findChild<QToolButton *>("edtMentesGomb"), Qt::LeftButton);
            valasz.clear();   // cancelled: the box keeps its text
            QTest::mouseClick(w->findChild<QToolButton *>("edtAdatbazisGomb"), Qt::LeftButton);
            kattint(w, "btnOK");
        });
        const QString adat = Beall.AdatbazisUtvonal;
        Beallitasok();
        Tfrm_Beallit::setMappaValaszto({});
        QCOMPARE(Beall.MentesUtvonal, QString("/valasztott/mappa"));
        QCOMPARE(Beall.AdatbazisUtvonal, adat);
    }

    void irasiHibaNemValtoztat()
    {
        TesztKornyezet k;
        // dorvido.ini that cannot be replaced: a folder stands in its place
        QVERIFY(QDir().mkpath(DorvidoFajlUt()));
        const TBeall elotte = Beall;
        bool nyitva = false;
        TesztKornyezet::modalisan([&](QWidget *w) {
            mindentAtir(w);
            kattint(w, "btnOK");
            nyitva = w->isVisible();
            kattint(w, "btnMegsem");
        });
        Beallitasok();
        QVERIFY(nyitva);
        QCOMPARE(k.szovegek().size(), 1);
        QVERIFY(k.szovegek().first().contains("dorvido.ini"));
        QCOMPARE(Beall.AdatbazisUtvonal, elotte.AdatbazisUtvonal);
        QCOMPARE(Beall.TeljesKep, elotte.TeljesKep);
        QCOMPARE(Adatbazis::ertek("SELECT vanbelep FROM beallit").toString(), QString("N"));
    }
};

QTEST_MAIN(BeallitTeszt)
#include "tst_beallit.moc"
