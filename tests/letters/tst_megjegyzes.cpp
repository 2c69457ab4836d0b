#include "Adatbazis.h"
#include "Beall.h"
#include "LevelNyomtatas.h"
#include "Levelek.h"
#include "Mezo.h"
#include "Nyomtatas.h"
#include "Tabla.h"
#include "TesztKornyezet.h"
#include "Tfrm_Elonezet.h"
#include "Tfrm_Megjegyzes.h"
#include "Tfrm_Megjegyzes_Szerkeszt.h"

#include <QAction>
#include <QApplication>
#include <QDateEdit>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QTableView>
#include <QTest>
#include <QTimer>

namespace {
// A failed check inside a modal window must not leave the window open and the test hanging.
void zarBiztosan(QWidget *w)
{
    QTimer::singleShot(3000, w, [w] {
        if (auto *d = qobject_cast<QDialog *>(w); d && d->isVisible())
            d->reject();
    });
}

int level()
{
    Adatbazis::vegrehajt("INSERT INTO doksi (doksi_id, prntip, datum) VALUES (1, 'J', '2026-01-05')");
    return Adatbazis::ertek("SELECT last_insert_rowid()").toInt();
}

void jegyzetKurzor(Tabla &t, int doksi)
{
    t.setIndex("doksi_megj");
    t.setSzuro(QString("doksi=%1").arg(doksi));
    t.setSzurt(true);
    t.megnyit();
}

// On the next note editor: title, a date shift, then accept (Ctrl+Enter) or cancel (Esc).
void szerkesztoben(const QString &cim, int napok, bool elfogad)
{
    TesztKornyezet::modalisan([=](QWidget *w) {
        zarBiztosan(w);
        auto *e = qobject_cast<Tfrm_Megjegyzes_Szerkeszt *>(w);
        QVERIFY(e);
        QCOMPARE(e->focusWidget(), e->DateTimePicker1);
        e->DBEdit1->setText(cim);
        e->DBMemo1->setPlainText("szöveg " + cim);
        e->DateTimePicker1->setDate(e->DateTimePicker1->date().addDays(napok));
        QTest::keyClick(e->DBMemo1, elfogad ? Qt::Key_Return : Qt::Key_Escape,
                        elfogad ? Qt::ControlModifier : Qt::NoModifier);
    });
}

QStringList cimek(Tabla &t)
{
    QStringList r;
    for (int i = 0; i < t.rekordSzam(); ++i)
        r << MezoSzoveg(t.ertekSor(i, "rovid"));
    return r;
}
} // namespace

class MegjegyzesTeszt : public QObject {
    Q_OBJECT

private slots:
    void letrehozasiSorrend()
    {
        TesztKornyezet k;
        const int d = level();
        Tabla t("doksi_megj");
        jegyzetKurzor(t, d);
        Tfrm_Megjegyzes f(t, d);
        QCOMPARE(f.size(), QSize(402, 389));
        for (const char *c : {"első", "második", "harmadik"}) {
            szerkesztoben(QString::fromUtf8(c), 0, true);
            f.aUjExecute();
        }
        QCOMPARE(t.rekordSzam(), 3);
        QCOMPARE(t.ertekSor(2, "datum").toDate(), QDate::currentDate());
        QCOMPARE(t.ertekSor(2, "doksi").toInt(), d);
        // the oldest note moved to a later day stays first
        t.elso();
        szerkesztoben(QString::fromUtf8("első"), 30, true);
        f.aSzerkesztExecute();
        QCOMPARE(cimek(t), (QStringList{"első", "második", "harmadik"}));
        QCOMPARE(t.ertekSor(0, "datum").toDate(), QDate::currentDate().addDays(30));
        // the memo under the grid shows the current note
        t.ugrik(1);
        QCOMPARE(f.DBMemo1->toPlainText(), QString::fromUtf8("szöveg második"));
        QCOMPARE(f.DBGrid1->model()->rowCount(), 3);
    }

    void megseNemTarol()
    {
        TesztKornyezet k;
        const int d = level();
        Tabla t("doksi_megj");
        jegyzetKurzor(t, d);
        Tfrm_Megjegyzes f(t, d);
        szerkesztoben("eldobott", 0, false);
        f.aUjExecute();
        QCOMPARE(Adatbazis::ertek("SELECT count(*) FROM doksi_megj").toInt(), 0);
        szerkesztoben("marad", 0, true);
        f.aUjExecute();
        szerkesztoben("valtozott", 5, false);
        f.aSzerkesztExecute();
        QCOMPARE(Adatbazis::ertek("SELECT rovid || datum FROM doksi_megj").toString(),
                 "marad" + QDate::currentDate().toString(Qt::ISODate));
        // deleting asks first; No keeps the note
        k.valaszok({false, true});
        f.aTorolExecute();
        QCOMPARE(t.rekordSzam(), 1);
        f.aTorolExecute();
        QCOMPARE(t.rekordSzam(), 0);
        QCOMPARE(k.szovegek(), (QStringList{"Valóban töröljem a sort?", "Valóban töröljem a sort?"}));
        // on an empty list edit and delete do nothing
        f.aSzerkesztExecute();
        f.aTorolExecute();
        QCOMPARE(k.szovegek().size(), 2);
    }

    // A post the store refuses keeps the editor open with the text; the next OK stores it.
    void elutasitottTarolasSzovegMarad()
    {
        TesztKornyezet k;
        const int d = level();
        Tabla t("doksi_megj");
        jegyzetKurzor(t, d);
        Tfrm_Megjegyzes f(t, d);
        Adatbazis::vegrehajt("CREATE TRIGGER tilt BEFORE INSERT ON doksi_megj BEGIN SELECT RAISE(ABORT, 'most nem'); END");
        const QString hosszu = QString("hosszú megjegyzés ").repeated(20);
        bool masodszor = false;
        TesztKornyezet::modalisan([&](QWidget *w) {
            zarBiztosan(w);
            auto *e = qobject_cast<Tfrm_Megjegyzes_Szerkeszt *>(w);
            QVERIFY(e);
            e->DBEdit1->setText("cím");
            e->DBMemo1->setPlainText(hosszu);
            TesztKornyezet::modalisan([&, e](QWidget *w2) {
                zarBiztosan(w2);
                QCOMPARE(w2, e);
                masodszor = true;
                QCOMPARE(e->DBEdit1->text(), QString("cím"));
                QCOMPARE(e->DBMemo1->toPlainText(), hosszu);
                Adatbazis::vegrehajt("DROP TRIGGER tilt");
                QTest::keyClick(e->DBMemo1, Qt::Key_Return, Qt::ControlModifier);
            });
            QTest::keyClick(e->DBMemo1, Qt::Key_Return, Qt::ControlModifier);
        });
        f.aUjExecute();
        QVERIFY(masodszor);
        QCOMPARE(k.uzenetek().size(), 1);
        QCOMPARE(k.uzenetek()[0].tipus, UzenetKeres::Hiba);
        QVERIFY2(k.szovegek()[0].contains("most nem"), qPrintable(k.szovegek()[0]));
        QCOMPARE(Adatbazis::ertek("SELECT megjegyzes FROM doksi_megj WHERE rovid = 'cím'").toString(), hosszu);
    }

    void belyegzo_data()
    {
        QTest::addColumn<QString>("nev");
        QTest::addColumn<QString>("eleje");
        QTest::newRow("without login") << QString() << "--  ";
        QTest::newRow("logged in") << QString::fromUtf8("Szerelő") << QString::fromUtf8("-- Szerelő ");
    }
    void belyegzo()
    {
        QFETCH(QString, nev);
        QFETCH(QString, eleje);
        TesztKornyezet k;
        Beall.FelhasznaloNev = nev;
        QCOMPARE(Tfrm_Megjegyzes_Szerkeszt::belyegzo(QDateTime(QDate(2006, 3, 7), QTime(14, 5))),
                 eleje + "2006.03.07 14:05 --");

        Tabla t("doksi_megj");
        jegyzetKurzor(t, level());
        t.beszur();
        Tfrm_Megjegyzes_Szerkeszt e(t);
        QTest::keyClicks(e.DBMemo1, "ab");
        e.DBMemo1->moveCursor(QTextCursor::Start);
        QTest::keyClick(e.DBMemo1, Qt::Key_Right);
        e.DBEdit1->setFocus();   // the memo is the target wherever the focus is
        e.DatumBeszuras();
        e.DatumBeszuras();       // the second replaces the first, still selected
        const QString szoveg = e.DBMemo1->toPlainText();
        const QRegularExpression re("^a" + QRegularExpression::escape(eleje)
                                    + "\\d{4}\\.\\d\\d\\.\\d\\d \\d\\d:\\d\\d --b$");
        QVERIFY2(re.match(szoveg).hasMatch(), qPrintable(szoveg));
        QCOMPARE(e.DBMemo1->textCursor().selectedText(), szoveg.mid(1, szoveg.size() - 2));
        QCOMPARE(e.DBMemo1->textCursor().position(), szoveg.size() - 1);
        QCOMPARE(t.ertek("megjegyzes").toString(), szoveg);   // bound to the row
        t.megse();
    }

    void foablakbolUjMegjegyzes()
    {
        TesztKornyezet k;
        const int d = level();
        Tabla tblMegj("doksi_megj");
        tblMegj.setIndex("doksi_megj");
        szerkesztoben("telefonált", 0, true);
        UjMegjegyzes(tblMegj, d);
        QVERIFY(!tblMegj.nyitva());
        bool latta = false;
        TesztKornyezet::modalisan([&](QWidget *w) {
            zarBiztosan(w);
            auto *f = qobject_cast<Tfrm_Megjegyzes *>(w);
            QVERIFY(f);
            QCOMPARE(f->DBGrid1->model()->rowCount(), 1);
            QCOMPARE(f->DBGrid1->model()->index(0, 1).data().toString(), QString::fromUtf8("telefonált"));
            QCOMPARE(f->DBMemo1->toPlainText(), QString::fromUtf8("szöveg telefonált"));
            latta = true;
            f->aBezar->trigger();
        });
        MegjegyzesLista(d);
        QVERIFY(latta);
        // a cancelled one from the main window leaves nothing
        szerkesztoben("nem", 0, false);
        UjMegjegyzes(tblMegj, d);
        QCOMPARE(Adatbazis::ertek("SELECT count(*) FROM doksi_megj").toInt(), 1);
    }

    void nincsLevel()
    {
        TesztKornyezet k;
        level();
        Tabla tblMegj("doksi_megj");
        UjMegjegyzes(tblMegj, 0);   // no editor opens: nothing to answer
        UjMegjegyzes(tblMegj, 999);
        Tabla t("doksi_megj");
        jegyzetKurzor(t, 0);
        Tfrm_Megjegyzes f(t, 0);
        QVERIFY(!f.aUj->isEnabled());
        f.aUjExecute();
        QCOMPARE(Adatbazis::ertek("SELECT count(*) FROM doksi_megj").toInt(), 0);
        QVERIFY(!tblMegj.nyitva());
    }

    // Ctrl+K previews, Ctrl+P prints the notes of the letter the window shows
    void nyomtatas()
    {
        TesztKornyezet k;
        level();
        const int d = level();   // the second letter, so the key is not 1 by chance
        Adatbazis::vegrehajt("INSERT INTO doksi_megj (doksi, rovid) VALUES (?, 'x')", {d});
        struct Hivas {
            NyomtatoBelepes belepes;
            int doksi;
            bool nyomtat;
        };
        QList<Hivas> hivasok;
        setLevelNyomtato([&](NyomtatoBelepes b, int doksi, bool nyomtat, QWidget *) { hivasok << Hivas{b, doksi, nyomtat}; });
        auto vissza = qScopeGuard([] { setLevelNyomtato({}); });
        TesztKornyezet::modalisan([&](QWidget *w) {
            zarBiztosan(w);
            auto *f = qobject_cast<Tfrm_Megjegyzes *>(w);
            QVERIFY(f);
            f->activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(f));
            QVERIFY(f->aNyomtatkep->isEnabled() && f->aNyomtat->isEnabled());
            QTest::keyClick(f->DBGrid1, Qt::Key_K, Qt::ControlModifier);
            QTest::keyClick(f->DBGrid1, Qt::Key_P, Qt::ControlModifier);
            f->aBezar->trigger();
        });
        MegjegyzesLista(d);
        QCOMPARE(hivasok.size(), 2);
        for (int i = 0; i < 2; ++i) {
            QCOMPARE(reinterpret_cast<void *>(hivasok[i].belepes), reinterpret_cast<void *>(&MegjegyzesNyomtat));
            QCOMPARE(hivasok[i].doksi, d);
            QCOMPARE(hivasok[i].nyomtat, i == 1);
        }
    }

    // the real preview of the notes opens over the list and closes again
    void valodiElonezet()
    {
        TesztKornyezet k;
        const int d = level();
        Adatbazis::vegrehajt("INSERT INTO doksi_megj (doksi, rovid, datum) VALUES (?, 'x', '2026-01-06')", {d});
        QString cim;
        bool bezarult = false;
        TesztKornyezet::modalisan([&](QWidget *w) {
            zarBiztosan(w);
            auto *f = qobject_cast<Tfrm_Megjegyzes *>(w);
            QVERIFY(f);
            std::function<void(int)> var;
            var = [&, f](int proba) {
                QTimer::singleShot(20, f, [&, proba] {
                    Tfrm_Elonezet *p = nullptr;
                    for (QWidget *t : QApplication::topLevelWidgets())
                        if (auto *e = qobject_cast<Tfrm_Elonezet *>(t); e && e->isVisible())
                            p = e;
                    if (!p || !p->aNyomtat->isEnabled()) {
                        if (proba < 250)
                            var(proba + 1);
                        return;
                    }
                    cim = p->windowTitle();
                    p->close();
                });
            };
            var(0);
            f->aNyomtatkep->trigger();   // returns when the preview has closed
            bezarult = true;
            f->aBezar->trigger();
        });
        MegjegyzesLista(d);
        QVERIFY(bezarult);
        QCOMPARE(cim, QString("Megjegyzések"));
    }
};

QTEST_MAIN(MegjegyzesTeszt)
#include "tst_megjegyzes.moc"
