#include "Adatbazis.h"
#include "Alkalmazas.h"
#include "LevelNyomtatas.h"
#include "Levelek.h"
#include "Mezo.h"
#include "Nyomtatas.h"
#include "Tabla.h"
#include "TesztKornyezet.h"
#include "Tfrm_Elonezet.h"
#include "Tfrm_Szerkeszt.h"
#include "Tfrm_TorzsLista.h"

#include <QLabel>
#include <QAction>
#include <QAbstractItemView>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDateEdit>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QStyleOptionViewItem>
#include <QTest>
#include <QTimer>

namespace {
void zarBiztosan(QWidget *w)
{
    QTimer::singleShot(3000, w, [w] {
        if (auto *d = qobject_cast<QDialog *>(w); d && d->isVisible())
            d->reject();
    });
}

struct Nezet {
    Tabla tbl{"doksi"};
    explicit Nezet(const char *tipus)
    {
        tbl.setIndex("idx_doksi_id_desc");
        tbl.keresoMezo("marka_nev", "marka", "marka", "marka_nev", 25);
        tbl.setSzuro(QString("prntip='%1'").arg(tipus));
        tbl.setSzurt(true);
        tbl.megnyit();
    }
};

// Runs the editor for a new letter of the kind, with f acting on it.
void ujLevel(Tabla &t, const QString &tipus, std::function<void(Tfrm_Szerkeszt *)> f)
{
    TesztKornyezet::modalisan([f](QWidget *w) {
        zarBiztosan(w);
        auto *e = qobject_cast<Tfrm_Szerkeszt *>(w);
        QVERIFY(e);
        f(e);
    });
    LevelSzerkeszt(t, true, tipus);
}

// A printout the editor asked for, with what was true at the moment of the call.
struct Hivas {
    NyomtatoBelepes belepes = nullptr;
    int doksi = 0;
    bool nyomtat = true;
    bool szerkesztoLathato = true;
    int taroltSor = 0;   // rows of the store holding that key and the typed number plate
};

struct Figyelo {
    QList<Hivas> hivasok;
    Figyelo()
    {
        setLevelNyomtato([this](NyomtatoBelepes b, int doksi, bool nyomtat, QWidget *) {
            Hivas h{b, doksi, nyomtat, false, 0};
            for (QWidget *w : QApplication::topLevelWidgets())
                if (qobject_cast<Tfrm_Szerkeszt *>(w) && w->isVisible())
                    h.szerkesztoLathato = true;
            h.taroltSor = Adatbazis::ertek("SELECT count(*) FROM doksi WHERE doksi = ? AND rendszam = 'NY-1'",
                                           {doksi})
                              .toInt();
            hivasok << h;
        });
    }
    ~Figyelo() { setLevelNyomtato({}); }
};
} // namespace

class SzerkesztoTeszt : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { AlkalmazasKonvenciok(*qApp); }   // the keys every window shares

    // A clerk without a mouse: from the first control of every page Ctrl+Tab, Ctrl+Shift+Tab
    // and the page keys turn the pages, the focus follows into the page, and no page key moves
    // a date; Alt + a page's letter brings it up. A focused lookup box shows it with the sky
    // blue face while its open list keeps the window's colour.
    void billentyuzettel()
    {
        TesztKornyezet k;
        Adatbazis::vegrehajt("INSERT INTO marka (marka, marka_nev) VALUES (1, 'Bosch')");
        Nezet s("S");
        ujLevel(s.tbl, "S", [&](Tfrm_Szerkeszt *e) {
            e->activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(e));
            QTabWidget *lapok = e->PageControl1;
            const QDate datum = e->datumok[0]->date();
            const struct {
                Qt::Key k;
                Qt::KeyboardModifiers m;
                int irany;
            } billentyuk[] = {{Qt::Key_Tab, Qt::ControlModifier, 1},
                              {Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier, -1},
                              {Qt::Key_PageDown, Qt::NoModifier, 1},
                              {Qt::Key_PageUp, Qt::NoModifier, -1},
                              {Qt::Key_PageDown, Qt::ControlModifier, 1},
                              {Qt::Key_PageUp, Qt::ControlModifier, -1}};
            for (const auto &b : billentyuk) {
                for (int lap = 0; lap < 4; ++lap) {
                    lapok->setCurrentIndex(lap);
                    e->datumok[lap]->setFocus();
                    QTest::keyClick(QApplication::focusWidget(), b.k, b.m);
                    const QString hol = QString("%1 a %2. lapon").arg(QKeySequence(b.k | b.m).toString()).arg(lap);
                    QVERIFY2(lapok->currentIndex() == (lap + b.irany + 4) % 4, qPrintable(hol));
                    QVERIFY2(lapok->currentWidget()->isAncestorOf(QApplication::focusWidget()), qPrintable(hol));
                    for (QDateEdit *d : e->datumok)
                        QVERIFY2(d->date() == datum, qPrintable(hol));
                }
            }
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_E, Qt::AltModifier);
            QCOMPARE(lapok->currentIndex(), 3);

            lapok->setCurrentIndex(0);
            auto *c = qobject_cast<QComboBox *>(e->mezo("marka", 0));
            const auto kekes = [](QWidget *w, QPoint p) {
                const QColor sz = w->grab().toImage().pixelColor(p);
                return sz.blue() - sz.red() > 40;
            };
            const QPoint arc(c->width() / 3, c->height() / 2);
            QVERIFY(!kekes(c, arc));
            c->setFocus();
            QVERIFY(kekes(c, arc));
            c->showPopup();
            QVERIFY(c->view()->isVisible());
            QVERIFY(!kekes(c->view()->viewport(), QPoint(c->view()->viewport()->width() / 2, c->view()->viewport()->height() - 3)));
            c->hidePopup();
            e->datumok[0]->setFocus();
            QVERIFY(!kekes(c, arc));
            e->megse[0]->click();
        });
    }

    void szamozasFajtankent()
    {
        TesztKornyezet k;
        Nezet j("J"), s("S");
        for (int i = 0; i < 2; ++i)
            ujLevel(j.tbl, "J", [](Tfrm_Szerkeszt *e) {
                QCOMPARE(e->PageControl1->count(), 1);
                e->ok[0]->click();
            });
        QCOMPARE(j.tbl.ertek("doksi_id").toInt(), 2);
        s.tbl.frissit();
        // the first 'S' letter is number 1 although 'J' letters exist
        ujLevel(s.tbl, "S", [](Tfrm_Szerkeszt *e) {
            QCOMPARE(e->PageControl1->count(), 4);
            QCOMPARE(qobject_cast<QLineEdit *>(e->mezo("doksi_id", 3))->text(), QString("No:00001"));
            QCOMPARE(e->focusWidget(), e->datumok[0]);
            e->ok[0]->click();
        });
        QCOMPARE(s.tbl.ertek("doksi_id").toInt(), 1);
        QCOMPARE(s.tbl.ertek("prntip").toString(), QString("S"));
        QCOMPARE(s.tbl.ertek("datum").toDate(), QDate::currentDate());
        // a cancelled new letter leaves no row and does not use up its number
        ujLevel(s.tbl, "S", [](Tfrm_Szerkeszt *e) {
            QTest::keyClick(e->datumok[0], Qt::Key_Escape);
        });
        QCOMPARE(Adatbazis::ertek("SELECT count(*) FROM doksi WHERE prntip = 'S'").toInt(), 1);
        ujLevel(s.tbl, "S", [](Tfrm_Szerkeszt *e) { e->ok[0]->click(); });
        QCOMPARE(s.tbl.ertek("doksi_id").toInt(), 2);
    }

    void mezokKozosekEsNagybetusek()
    {
        TesztKornyezet k;
        Nezet s("S");
        ujLevel(s.tbl, "S", [](Tfrm_Szerkeszt *e) {
            e->activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(e));
            e->PageControl1->setCurrentIndex(1);
            auto *rsz = qobject_cast<QLineEdit *>(e->mezo("rendszam", 1));
            QTest::keyClicks(rsz, "abc-123");
            QCOMPARE(rsz->text(), QString("ABC-123"));
            QCOMPARE(qobject_cast<QLineEdit *>(e->mezo("rendszam", 3))->text(), QString("ABC-123"));
            auto *km = qobject_cast<QLineEdit *>(e->mezo("kmora", 1));
            QTest::keyClicks(km, "12e km");
            QCOMPARE(km->text(), QString("12e km"));
            auto *sor = qobject_cast<QLineEdit *>(e->mezo("sorozatszam", 1));
            QTest::sendKeyEvent(QTest::Click, sor, Qt::Key_unknown, QString::fromUtf8("ő"), Qt::NoModifier);
            QCOMPARE(sor->text(), QString::fromUtf8("Ő"));
            // Enter moves on in an edit, makes a new line in a memo
            rsz->setFocus();
            QTest::keyClick(rsz, Qt::Key_Return);
            QCOMPARE(e->focusWidget(), e->mezo("megjegyzes", 1));
            QTest::keyClicks(e->mezo("megjegyzes", 1), "a");
            QTest::keyClick(e->mezo("megjegyzes", 1), Qt::Key_Return);
            QTest::keyClicks(e->mezo("megjegyzes", 1), "b");
            QCOMPARE(qobject_cast<QPlainTextEdit *>(e->mezo("megjegyzes", 0))->toPlainText(), QString("a\nb"));
            // the shared date: changed on page 2, taken when its box is left
            e->PageControl1->setCurrentIndex(2);
            e->datumok[2]->setFocus();
            e->datumok[2]->setDate(QDate(2025, 5, 6));
            e->mezo("dorvido", 2)->setFocus();
            QCOMPARE(e->datumok[0]->date(), QDate(2025, 5, 6));
            // the warranty's state stands whole in the page's tool bar
            for (QLabel *l : e->findChildren<QLabel *>("GaranciaAllapot"))
                if (l->isVisible())
                    QVERIFY2(!l->text().isEmpty() && l->width() >= l->fontMetrics().horizontalAdvance(l->text()),
                             qPrintable(QString("%1: %2 px").arg(l->text()).arg(l->width())));
            e->ok[2]->click();
        });
        QCOMPARE(s.tbl.ertek("rendszam").toString(), QString("ABC-123"));
        QCOMPARE(s.tbl.ertek("kmora").toString(), QString("12e km"));
        QCOMPARE(s.tbl.ertek("megjegyzes").toString(), QString("a\nb"));
        QCOMPARE(s.tbl.ertek("datum").toDate(), QDate(2025, 5, 6));
    }

    void hibasDatumEsElutasitottPost()
    {
        TesztKornyezet k;
        Nezet s("S");
        Adatbazis::vegrehajt("CREATE TRIGGER tilt BEFORE INSERT ON doksi WHEN new.rendszam = 'TILOS' "
                             "BEGIN SELECT RAISE(ABORT, 'tiltott rendszám'); END");
        int kor = 0;
        TesztKornyezet::modalisan([&](QWidget *w) {
            zarBiztosan(w);
            auto *e = qobject_cast<Tfrm_Szerkeszt *>(w);
            QVERIFY(e);
            ++kor;
            e->PageControl1->setCurrentIndex(3);
            auto *be = qobject_cast<QLineEdit *>(e->mezo("dat_beerk", 3));
            QTest::keyClicks(be, "2025.13.45.");
            e->ok[3]->click();                      // refused: the window stays
            QVERIFY(e->isVisible());
            QVERIFY(k.szovegek().last().contains("beérkezett"));
            be->setText("2025.03.04.");
            be->setModified(true);
            QTest::keyClicks(e->mezo("rendszam", 3), "tilos");
            // the store refuses the post: message, editor shown again with the row kept
            TesztKornyezet::modalisan([&](QWidget *w2) {
                zarBiztosan(w2);
                auto *e2 = qobject_cast<Tfrm_Szerkeszt *>(w2);
                QVERIFY(e2);
                ++kor;
                QCOMPARE(qobject_cast<QLineEdit *>(e2->mezo("rendszam", 0))->text(), QString("TILOS"));
                QLineEdit *r = qobject_cast<QLineEdit *>(e2->mezo("rendszam", 0));
                r->selectAll();
                QTest::keyClicks(r, "jo-1");
                e2->ok[0]->click();
            });
            e->ok[3]->click();
        });
        LevelSzerkeszt(s.tbl, true, "S");
        QCOMPARE(kor, 2);
        QVERIFY(k.szovegek().last().contains("tiltott rendszám"));
        QCOMPARE(s.tbl.ertek("rendszam").toString(), QString("JO-1"));
        QCOMPARE(s.tbl.ertek("dat_beerk").toDate(), QDate(2025, 3, 4));
        QVERIFY(!s.tbl.szerkesztes());
    }

    // A memo takes no more than its field keeps: typing stops, a paste goes in as far as it
    // fits, and the post stores exactly what the box shows.
    void memoMezoHossza()
    {
        TesztKornyezet k;
        Nezet j("J");
        QString mutatott;
        ujLevel(j.tbl, "J", [&](Tfrm_Szerkeszt *e) {
            e->activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(e));
            auto *m = qobject_cast<QPlainTextEdit *>(e->mezo("megjegyzes", 0));
            m->setFocus();
            QTest::keyClicks(m, QString(300, 'x'));
            QCOMPARE(m->toPlainText(), QString(255, 'x'));
            // a paste at the front: what fits goes in there, the text after it stays
            for (int i = 0; i < 5; ++i)
                QTest::keyClick(m, Qt::Key_Backspace);
            QApplication::clipboard()->setText("ABCDEFGHIJ");
            QTest::keyClick(m, Qt::Key_Home, Qt::ControlModifier);
            QTest::keyClick(m, Qt::Key_V, Qt::ControlModifier);
            QCOMPARE(m->toPlainText(), "ABCDE" + QString(250, 'x'));
            mutatott = m->toPlainText();
            e->ok[0]->click();
        });
        QCOMPARE(j.tbl.ertek("megjegyzes").toString(), mutatott);
    }

    // The lookup boxes: typing picks by the leading part, spaces and accents included,
    // without the list opening at the space. The open customer list names the town of each
    // (two "Nagy Béla" apart), the box the name only.
    void nevGepelessel()
    {
        TesztKornyezet k;
        Adatbazis::vegrehajt("INSERT INTO ugyfel (ugyfel_nev, cim_varos) VALUES ('Kiss Anna', NULL), "
                             "('Nagy Béla', 'Szeged'), ('Nagy Béla', 'Pécs'), ('Nagy Ildikó', '')");
        Nezet j("J");
        ujLevel(j.tbl, "J", [&](Tfrm_Szerkeszt *e) {
            e->activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(e));
            auto *c = qobject_cast<QComboBox *>(e->mezo("ugyfel", 0));
            QCOMPARE(c->maxVisibleItems(), 20);
            c->setFocus();
            for (const QChar b : QString("nagy i"))
                QTest::sendKeyEvent(QTest::Click, c, b == ' ' ? Qt::Key_Space : Qt::Key_unknown, QString(b),
                                    Qt::NoModifier);
            QVERIFY(!c->view()->isVisible());
            QCOMPARE(c->currentText(), QString("Nagy Ildikó"));
            QStyleOptionViewItem o;
            o.initFrom(c->view());
            const auto szeles = [&](int sor) {
                return c->view()->itemDelegate()->sizeHint(o, c->model()->index(sor, 0)).width();
            };
            const QFontMetrics fm(o.font);
            QCOMPARE(szeles(1) - szeles(3), fm.horizontalAdvance("Nagy Béla  (Szeged)") - fm.horizontalAdvance("Nagy Ildikó"));
            QCOMPARE(szeles(2) - szeles(3), fm.horizontalAdvance("Nagy Béla  (Pécs)") - fm.horizontalAdvance("Nagy Ildikó"));
            QCOMPARE(szeles(0) - szeles(3), fm.horizontalAdvance("Kiss Anna") - fm.horizontalAdvance("Nagy Ildikó"));
            e->ok[0]->click();
        });
        QCOMPARE(j.tbl.ertek("ugyfel").toInt(),
                 Adatbazis::ertek("SELECT ugyfel FROM ugyfel WHERE ugyfel_nev = 'Nagy Ildikó'").toInt());
    }

    void valasztoEsMegse()
    {
        TesztKornyezet k;
        Adatbazis::vegrehajt("INSERT INTO marka (marka_nev) VALUES ('Opel'), ('Bosch')");
        Nezet j("J");
        ujLevel(j.tbl, "J", [&](Tfrm_Szerkeszt *e) {
            // the brand browser opens in pick mode; its accepted row is stored
            TesztKornyezet::modalisan([](QWidget *w) {
                zarBiztosan(w);
                auto *l = qobject_cast<Tfrm_TorzsLista *>(w);
                QVERIFY(l);
                l->tabla()->keres("marka_nev", "Bosch");
                l->aElfogad->trigger();
            });
            e->valaszto("marka", 0)->click();
            QCOMPARE(qobject_cast<QComboBox *>(e->mezo("marka", 0))->currentText(), QString("Bosch"));
            e->ok[0]->click();
        });
        QCOMPARE(j.tbl.ertek("marka_nev").toString(), QString("Bosch"));
        // an edited letter closed with Mégsem keeps its values
        TesztKornyezet::modalisan([](QWidget *w) {
            zarBiztosan(w);
            auto *e = qobject_cast<Tfrm_Szerkeszt *>(w);
            QVERIFY(e);
            qobject_cast<QComboBox *>(e->mezo("marka", 0))->setCurrentIndex(0);
            QTest::keyClicks(e->mezo("rendszam", 0), "xyz");
            e->megse[0]->click();
        });
        LevelSzerkeszt(j.tbl, false, "J");
        QCOMPARE(j.tbl.ertek("marka_nev").toString(), QString("Bosch"));
        QVERIFY(j.tbl.ertek("rendszam").isNull());
        // editing an empty view does nothing
        Nezet s("S");
        LevelSzerkeszt(s.tbl, false, "S");
        QCOMPARE(Adatbazis::ertek("SELECT count(*) FROM doksi").toInt(), 1);
    }

    // "OK, nyomtat" stores the letter, then opens the printout of the page in front
    void nyomtatasLaponkent_data()
    {
        QTest::addColumn<QString>("tipus");
        QTest::addColumn<int>("lap");
        QTest::addColumn<void *>("belepes");
        QTest::newRow("J tanúsítvány") << "J" << 0 << reinterpret_cast<void *>(&JotallasNyomtat);
        QTest::newRow("S első lap") << "S" << 0 << reinterpret_cast<void *>(&JotallasNyomtat);
        QTest::newRow("S ki/besz") << "S" << 1 << reinterpret_cast<void *>(&SzerelesNyomtat);
        QTest::newRow("S megrendelőlap") << "S" << 2 << reinterpret_cast<void *>(&JavitasNyomtat);
        QTest::newRow("S munkalap") << "S" << 3 << reinterpret_cast<void *>(&SzereloNyomtat);
    }
    void nyomtatasLaponkent()
    {
        QFETCH(QString, tipus);
        QFETCH(int, lap);
        QFETCH(void *, belepes);
        TesztKornyezet k;
        // letters of the other kind first, so the key differs from the letter's number
        const QString masik = tipus == "J" ? "S" : "J";
        Adatbazis::vegrehajt("INSERT INTO doksi (doksi_id, prntip) VALUES (7, ?), (8, ?), (9, ?)", {masik, masik, masik});
        Nezet n(tipus.toLatin1().constData());
        Figyelo fig;
        // plain "OK" and "Mégsem" print nothing
        ujLevel(n.tbl, tipus, [](Tfrm_Szerkeszt *e) { e->ok[0]->click(); });
        ujLevel(n.tbl, tipus, [](Tfrm_Szerkeszt *e) { e->megse[0]->click(); });
        QVERIFY(fig.hivasok.isEmpty());

        ujLevel(n.tbl, tipus, [lap](Tfrm_Szerkeszt *e) {
            e->PageControl1->setCurrentIndex(lap);
            QTest::keyClicks(e->mezo("rendszam", lap), "ny-1");
            e->okNyomtat[lap]->click();
        });
        QCOMPARE(fig.hivasok.size(), 1);
        const Hivas h = fig.hivasok[0];
        QCOMPARE(reinterpret_cast<void *>(h.belepes), belepes);
        QCOMPARE(h.nyomtat, false);
        QCOMPARE(h.doksi, n.tbl.ertek("doksi").toInt());
        QCOMPARE(n.tbl.ertek("doksi_id").toInt(), 2);
        QVERIFY(h.doksi > 3);
        QVERIFY(!h.szerkesztoLathato);
        QCOMPARE(h.taroltSor, 1);

        // editing an existing letter prints the same way, and a later plain "OK" does not
        TesztKornyezet::modalisan([lap](QWidget *w) {
            zarBiztosan(w);
            auto *e = qobject_cast<Tfrm_Szerkeszt *>(w);
            QVERIFY(e);
            e->PageControl1->setCurrentIndex(lap);
            e->okNyomtat[lap]->click();
        });
        LevelSzerkeszt(n.tbl, false, QString());
        ujLevel(n.tbl, tipus, [](Tfrm_Szerkeszt *e) { e->ok[0]->click(); });
        QCOMPARE(fig.hivasok.size(), 2);
        QCOMPARE(reinterpret_cast<void *>(fig.hivasok[1].belepes), belepes);
        QCOMPARE(fig.hivasok[1].doksi, h.doksi);
    }

    // a refused post shows the editor again; the printout follows the post that succeeds
    void elutasitottPostUtanNyomtat()
    {
        TesztKornyezet k;
        Adatbazis::vegrehajt("CREATE TRIGGER tilt BEFORE INSERT ON doksi WHEN new.rendszam = 'TILOS' "
                             "BEGIN SELECT RAISE(ABORT, 'tiltott rendszám'); END");
        Nezet s("S");
        Figyelo fig;
        int kor = 0;
        TesztKornyezet::modalisan([&](QWidget *w) {
            zarBiztosan(w);
            auto *e = qobject_cast<Tfrm_Szerkeszt *>(w);
            QVERIFY(e);
            ++kor;
            e->PageControl1->setCurrentIndex(3);
            QTest::keyClicks(e->mezo("rendszam", 3), "tilos");
            TesztKornyezet::modalisan([&](QWidget *w2) {
                zarBiztosan(w2);
                auto *e2 = qobject_cast<Tfrm_Szerkeszt *>(w2);
                QVERIFY(e2);
                ++kor;
                QVERIFY(fig.hivasok.isEmpty());
                auto *r = qobject_cast<QLineEdit *>(e2->mezo("rendszam", 3));
                r->selectAll();
                QTest::keyClicks(r, "ny-1");
                e2->okNyomtat[3]->click();
            });
            e->okNyomtat[3]->click();
        });
        LevelSzerkeszt(s.tbl, true, "S");
        QCOMPARE(kor, 2);
        QCOMPARE(fig.hivasok.size(), 1);
        QCOMPARE(reinterpret_cast<void *>(fig.hivasok[0].belepes), reinterpret_cast<void *>(&SzereloNyomtat));
        QCOMPARE(fig.hivasok[0].taroltSor, 1);
    }

    // the real preview opens on the stored letter and Esc ends it
    void valodiElonezet()
    {
        TesztKornyezet k;
        Nezet s("S");
        QString cim;
        int lapok = 0;
        bool szerkesztoLathato = true;
        std::function<void(int)> var = [&](int proba) {
            QTimer::singleShot(20, [&, proba] {
                Tfrm_Elonezet *p = nullptr;
                for (QWidget *w : QApplication::topLevelWidgets()) {
                    if (auto *e = qobject_cast<Tfrm_Elonezet *>(w); e && e->isVisible())
                        p = e;
                }
                if (!p || !p->aNyomtat->isEnabled()) {
                    if (proba < 250)
                        var(proba + 1);
                    return;
                }
                auto zar = qScopeGuard([p] { p->close(); });   // the entry returns whatever happens
                szerkesztoLathato = false;
                for (QWidget *w : QApplication::topLevelWidgets())
                    if (qobject_cast<Tfrm_Szerkeszt *>(w) && w->isVisible())
                        szerkesztoLathato = true;
                cim = p->windowTitle();
                lapok = p->lapSzam();
                p->activateWindow();
                (void)QTest::qWaitForWindowActive(p);
                QTest::keyClick(p, Qt::Key_Escape);
                QVERIFY(!p->isVisible());
            });
        };
        var(0);
        ujLevel(s.tbl, "S", [](Tfrm_Szerkeszt *e) {
            e->PageControl1->setCurrentIndex(2);
            QTest::keyClicks(e->mezo("rendszam", 2), "ny-1");
            e->okNyomtat[2]->click();
        });
        QCOMPARE(cim, QString("Javításra hozott gépkocsi megrendelőlap"));
        QVERIFY(lapok >= 1);
        QVERIFY(!szerkesztoLathato);
        QCOMPARE(Adatbazis::ertek("SELECT rendszam FROM doksi WHERE prntip = 'S'").toString(), QString("NY-1"));
    }
};

QTEST_MAIN(SzerkesztoTeszt)
#include "tst_szerkeszto.moc"
