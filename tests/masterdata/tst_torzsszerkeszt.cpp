#include "Adatbazis.h"
#include "MarkaKepValaszto.h"
#include "MarkaKepek.h"
#include "Mezo.h"
#include "Sema.h"
#include "Tabla.h"
#include "TesztKornyezet.h"
#include "Tfrm_TorzsAlkatresz_Szerkeszt.h"
#include "Tfrm_TorzsMarka_Szerkeszt.h"
#include "Tfrm_TorzsUgyfel_Szerkeszt.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSet>
#include <QTest>

namespace {

std::unique_ptr<Tfrm_TorzsSzerkeszt> szerkeszto(const QString &tabla, Tabla *t)
{
    if (tabla == "marka")
        return std::make_unique<Tfrm_TorzsMarka_Szerkeszt>(t, MezoEgesz(t->ertek("kep")));
    if (tabla == "alkatresz")
        return std::make_unique<Tfrm_TorzsAlkatresz_Szerkeszt>(t);
    return std::make_unique<Tfrm_TorzsUgyfel_Szerkeszt>(t);
}

void megmutat(QWidget *w)
{
    w->show();
    w->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(w));
}

// The fields that are bound, in the tab order the user walks.
QStringList tabSorrend(QWidget *ablak, int lepes)
{
    QStringList s;
    QWidget *w = ablak->focusWidget();
    for (int i = 0; i < lepes && w; ++i) {
        s << w->objectName();
        QTest::keyClick(w, Qt::Key_Tab);
        w = ablak->focusWidget();
    }
    return s;
}

} // namespace

class TorzsSzerkesztTeszt : public QObject {
    Q_OBJECT

private slots:
    void initTestCase_data() { TesztKornyezet::motorok(); }
    void init()
    {
        if (const QString h = TesztKornyezet::szerverHiba(); !h.isEmpty())
            QSKIP(qPrintable(h));
    }

    // Every box is bound to a field of the table, takes no more than the field holds,
    // and the tab order is the documented one.
    void mezokEsSorrend_data()
    {
        QTest::addColumn<QString>("tabla");
        QTest::addColumn<QString>("cim");
        QTest::addColumn<QStringList>("sorrend");
        QTest::newRow("márka") << "marka" << "Márka szerkesztés"
                               << QStringList({"ed_marka_nev", "btnOK", "btnMegse", "cbKep", "ed_marka_nev"});
        QTest::newRow("alkatrész") << "alkatresz" << "Alkatrész szerkesztés"
                                   << QStringList({"ed_alkatresz_nev", "btnOK", "btnMegse", "ed_alkatresz_nev"});
        QTest::newRow("ügyfél") << "ugyfel" << "Ügyfél szerkesztés"
                                << QStringList({"ed_ugyfel_nev", "ed_kapcsolat", "ed_telefon", "ed_mobil", "ed_fax",
                                                "ed_emil", "ed_honlap", "ed_cim_irsz", "ed_cim_varos", "ed_cim_cim",
                                                "btnOK", "btnMegse", "ed_ugyfel_nev"});
    }

    void mezokEsSorrend()
    {
        QFETCH(QString, tabla);
        QFETCH(QString, cim);
        QFETCH(QStringList, sorrend);
        TesztKornyezet k;
        Tabla t(tabla);
        t.megnyit();
        t.beszur();
        auto sz = szerkeszto(tabla, &t);
        QCOMPARE(sz->windowTitle(), cim);
        megmutat(sz.get());
        int mezok = 0;
        for (QLineEdit *e : sz->findChildren<QLineEdit *>()) {
            if (!e->objectName().startsWith("ed_"))
                continue;
            ++mezok;
            const MezoLeiras *m = Sema::tabla(tabla)->mezo(e->objectName().mid(3));
            QVERIFY2(m, qPrintable(e->objectName()));
            QCOMPARE(e->maxLength(), m->meret);
            // the label stands over its box
            QLabel *c = nullptr;
            for (QLabel *l : sz->findChildren<QLabel *>())
                if (l->buddy() == e)
                    c = l;
            QVERIFY(c);
            QCOMPARE(c->y(), e->y() - 16);
        }
        QCOMPARE(mezok, int(sorrend.size()) - (tabla == "marka" ? 4 : 3));
        sz->findChild<QLineEdit *>(sorrend.first())->setFocus();
        QCOMPARE(tabSorrend(sz.get(), int(sorrend.size())), sorrend);
    }

    // Typing longer than the field is cut at typing; the focused box turns sky blue;
    // Enter walks on to the next box, and from the last to OK.
    void gepelesSzinEnter()
    {
        TesztKornyezet k;
        Tabla t("ugyfel");
        t.megnyit();
        t.beszur();
        Tfrm_TorzsUgyfel_Szerkeszt sz(&t);
        megmutat(&sz);
        QLineEdit *irsz = sz.findChild<QLineEdit *>("ed_cim_irsz");
        QLineEdit *varos = sz.findChild<QLineEdit *>("ed_cim_varos");
        irsz->setFocus();
        QTest::keyClicks(irsz, "123456789");
        QCOMPARE(irsz->text(), QString("123456"));
        QCOMPARE(irsz->palette().color(QPalette::Base), QColor(166, 202, 240));
        QTest::keyClick(irsz, Qt::Key_Return);
        QCOMPARE(sz.focusWidget(), varos);
        QCOMPARE(varos->palette().color(QPalette::Base), QColor(166, 202, 240));
        QVERIFY(irsz->palette().color(QPalette::Base) != QColor(166, 202, 240));
        QTest::keyClick(varos, Qt::Key_Return);
        QTest::keyClick(sz.focusWidget(), Qt::Key_Return);
        QCOMPARE(sz.focusWidget()->objectName(), QString("btnOK"));
        QVERIFY(sz.isVisible());
        QCOMPARE(t.allapot(), Tabla::Allapot::Beszuras);
    }

    // A customer stored with a name only: the other fields stay empty (null).
    void csakNevvel()
    {
        TesztKornyezet k;
        Tabla t("ugyfel");
        t.setIndex("ugyfel_nev");
        t.megnyit();
        t.beszur();
        Tfrm_TorzsUgyfel_Szerkeszt sz(&t);
        megmutat(&sz);
        QLineEdit *nev = sz.findChild<QLineEdit *>("ed_ugyfel_nev");
        QTest::keyClicks(nev, "Kiss ");
        QTest::sendKeyEvent(QTest::Click, nev, Qt::Key_unknown, "Ö", Qt::NoModifier);
        QTest::keyClicks(nev, "d");
        QTest::sendKeyEvent(QTest::Click, nev, Qt::Key_unknown, "ö", Qt::NoModifier);
        QTest::keyClicks(nev, "n");
        sz.btnOK->click();
        QCOMPARE(sz.result(), int(QDialog::Accepted));
        QCOMPARE(t.allapot(), Tabla::Allapot::Tallozas);
        QCOMPARE(Adatbazis::ertek("SELECT ugyfel_nev FROM ugyfel").toString(), QString("Kiss Ödön"));
        QCOMPARE(Adatbazis::ertek("SELECT count(*) FROM ugyfel WHERE telefon IS NULL AND mobil IS NULL AND fax IS NULL "
                                  "AND emil IS NULL AND honlap IS NULL AND cim_irsz IS NULL AND cim_varos IS NULL "
                                  "AND cim_cim IS NULL AND kapcsolat IS NULL").toInt(), 1);
    }

    // A post the store refuses: the message with our first line, the window stays open, the
    // row stays in insert or edit state, and nothing is stored; after a fix OK stores it.
    void elutasitottPost_data()
    {
        QTest::addColumn<QString>("tabla");
        QTest::addColumn<bool>("uj");
        QTest::newRow("új márka") << "marka" << true;
        QTest::newRow("márka szerkesztése") << "marka" << false;
        QTest::newRow("új alkatrész") << "alkatresz" << true;
        QTest::newRow("ügyfél szerkesztése") << "ugyfel" << false;
    }

    void elutasitottPost()
    {
        QFETCH(QString, tabla);
        QFETCH(bool, uj);
        TesztKornyezet k;
        const QString nev = tabla + "_nev";
        Adatbazis::vegrehajt(QString("INSERT INTO %1 (%2) VALUES ('Régi')").arg(tabla, nev));
        const bool szerver = TesztKornyezet::szerveren();
        if (szerver) {
            Adatbazis::vegrehajt(QString("CREATE FUNCTION kotelezo() RETURNS trigger LANGUAGE plpgsql AS $$ BEGIN "
                                         "IF NEW.%1 IS NULL THEN RAISE EXCEPTION 'A név megadása kötelező'; END IF; "
                                         "RETURN NEW; END $$").arg(nev));
            Adatbazis::vegrehajt(QString("CREATE TRIGGER kotelezo BEFORE INSERT OR UPDATE ON %1 FOR EACH ROW "
                                         "EXECUTE FUNCTION kotelezo()").arg(tabla));
        } else {
            for (const char *mikor : {"INSERT", "UPDATE"})
                Adatbazis::vegrehajt(QString("CREATE TRIGGER kotelezo_%3 BEFORE %3 ON %1 WHEN NEW.%2 IS NULL "
                                             "BEGIN SELECT RAISE(ABORT, 'A név megadása kötelező'); END")
                                         .arg(tabla, nev, mikor));
        }
        const char *osszefuz = szerver ? "string_agg(%1, ',')" : "group_concat(%1, ',')";
        Tabla t(tabla);
        t.megnyit();
        uj ? t.beszur() : t.szerkeszt();
        auto sz = szerkeszto(tabla, &t);
        megmutat(sz.get());
        QLineEdit *e = sz->findChild<QLineEdit *>("ed_" + nev);
        e->selectAll();
        QTest::keyClick(e, Qt::Key_Delete);
        sz->btnOK->click();
        QCOMPARE(k.uzenetek().size(), 1);
        QCOMPARE(k.uzenetek()[0].tipus, UzenetKeres::Hiba);
        QVERIFY2(k.szovegek()[0].startsWith("Hiányos, vagy hibás adatmegadás\r\n"), qPrintable(k.szovegek()[0]));
        QVERIFY2(k.szovegek()[0].contains("A név megadása kötelező"), qPrintable(k.szovegek()[0]));
        QVERIFY(sz->isVisible());
        QCOMPARE(t.allapot(), uj ? Tabla::Allapot::Beszuras : Tabla::Allapot::Szerkesztes);
        QCOMPARE(Adatbazis::ertek(QString("SELECT %1 FROM %2").arg(QString(osszefuz).arg(nev), tabla)).toString(),
                 QString("Régi"));

        QTest::keyClicks(e, "Uj");
        sz->btnOK->click();
        QCOMPARE(sz->result(), int(QDialog::Accepted));
        QCOMPARE(t.allapot(), Tabla::Allapot::Tallozas);
        QCOMPARE(Adatbazis::ertek(QString("SELECT %1 FROM (SELECT %2 FROM %3 ORDER BY 1) r")
                                      .arg(QString(osszefuz).arg(nev), nev, tabla))
                     .toString(),
                 uj ? QString("Régi,Uj") : QString("Uj"));
    }

    // The chooser starts on the row's picture, and OK stores its position in kep;
    // Mégsem stores nothing.
    void kepTarolasa_data()
    {
        QTest::addColumn<int>("regi");
        QTest::addColumn<int>("uj");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<int>("vart");
        QTest::newRow("változatlan") << 7 << -2 << true << 7;
        QTest::newRow("csak a kép változik") << 7 << 33 << true << 33;
        QTest::newRow("Mégsem megtartja") << 7 << 33 << false << 7;
        QTest::newRow("utolsó kép") << 0 << 35 << true << 35;
    }

    void kepTarolasa()
    {
        QFETCH(int, regi);
        QFETCH(int, uj);
        QFETCH(bool, ok);
        QFETCH(int, vart);
        TesztKornyezet k;
        Adatbazis::vegrehajt("INSERT INTO marka (marka_nev, kep) VALUES ('Opel', ?)", {regi});
        Tabla t("marka");
        t.megnyit();
        t.szerkeszt();
        Tfrm_TorzsMarka_Szerkeszt sz(&t, MezoEgesz(t.ertek("kep")));
        megmutat(&sz);
        QCOMPARE(sz.cbKep->currentIndex(), regi);
        if (uj >= 0) {
            // with the keyboard, as a user would: Home, then Down to the wanted picture
            sz.cbKep->setFocus();
            QTest::keyClick(sz.cbKep, Qt::Key_Home);
            for (int i = 0; i < uj; ++i)
                QTest::keyClick(sz.cbKep, Qt::Key_Down);
            QCOMPARE(sz.cbKep->currentIndex(), uj);
        }
        if (ok) {
            sz.btnOK->click();
        } else {
            QTest::keyClick(&sz, Qt::Key_Escape);
            t.megse();   // what the list window does when its editor closes without OK
        }
        QCOMPARE(sz.result(), int(ok ? QDialog::Accepted : QDialog::Rejected));
        QCOMPARE(Adatbazis::ertek("SELECT marka_nev || '/' || kep FROM marka").toString(), QString("Opel/%1").arg(vart));
    }

    // Enter in the name box goes to OK (the chooser comes after Mégsem); Enter on OK stores.
    void markaEnterOK()
    {
        TesztKornyezet k;
        Tabla t("marka");
        t.megnyit();
        t.beszur();
        t.setErtek("kep", 0);
        Tfrm_TorzsMarka_Szerkeszt sz(&t, 0);
        megmutat(&sz);
        QLineEdit *e = sz.findChild<QLineEdit *>("ed_marka_nev");
        QVERIFY(e->font().bold());
        e->setFocus();
        QTest::keyClicks(e, "Dacia Sandero Stepway Extra Hosszu");
        QCOMPARE(e->text().size(), 25);
        QTest::keyClick(e, Qt::Key_Return);
        QCOMPARE(sz.focusWidget(), sz.btnOK);
        QTest::keyClick(sz.btnOK, Qt::Key_Return);
        QCOMPARE(sz.result(), int(QDialog::Accepted));
        QCOMPARE(Adatbazis::ertek("SELECT marka_nev || '/' || kep FROM marka").toString(),
                 QString("Dacia Sandero Stepway Ext/0"));
    }

    // The picture list: 36 different 48 x 48 pictures; the chooser draws them, 48 high.
    void kepLista()
    {
        QCOMPARE(MarkaKepSzam(), 36);
        QSet<QByteArray> kulonbozo;
        for (int i = 0; i < MarkaKepSzam(); ++i) {
            const QImage k = MarkaKep(i).toImage();
            QCOMPARE(k.size(), QSize(48, 48));
            // something is drawn, and the corners stay clear
            int festett = 0;
            for (int y = 0; y < 48; ++y)
                for (int x = 0; x < 48; ++x)
                    festett += qAlpha(k.pixel(x, y)) > 0;
            QVERIFY2(festett > 300, qPrintable(QString::number(i)));
            QCOMPARE(qAlpha(k.pixel(0, 0)), 0);
            kulonbozo.insert(QByteArray(reinterpret_cast<const char *>(k.constBits()), int(k.sizeInBytes())));
        }
        QCOMPARE(kulonbozo.size(), 36);
        QVERIFY(MarkaKep(-1).isNull());
        QVERIFY(MarkaKep(36).isNull());

        MarkaKepValaszto v;
        QCOMPARE(v.count(), 36);
        QCOMPARE(v.itemText(35), QString("35"));
        v.resize(85, v.sizeHint().height());
        v.setCurrentIndex(12);
        QVERIFY(v.height() >= 48);
        QCOMPARE(v.view()->sizeHintForRow(3), 48);
        // the closed chooser shows the current picture, not its number
        const QImage kep = v.grab().toImage();
        const QImage minta = MarkaKep(12).toImage();
        const QRgb kozep = minta.pixel(24, 24);
        bool megvan = false;
        for (int y = 0; y < kep.height() && !megvan; ++y)
            for (int x = 0; x < kep.width() && !megvan; ++x)
                megvan = kep.pixel(x, y) == kozep && qAlpha(kozep) == 255;
        QVERIFY(megvan);
    }
};

QTEST_MAIN(TorzsSzerkesztTeszt)
#include "tst_torzsszerkeszt.moc"
