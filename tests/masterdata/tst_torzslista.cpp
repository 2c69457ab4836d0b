#include "Adatbazis.h"
#include "Beall.h"
#include "Ikonok.h"
#include "Lekerdezes.h"
#include "Tabla.h"
#include "TesztKornyezet.h"
#include "Tfrm_TorzsLista.h"
#include "Tfrm_TorzsMarka_Szerkeszt.h"
#include "TorzsLista.h"

#include <QAction>
#include <QApplication>
#include <QHeaderView>
#include <QLineEdit>
#include <QScreen>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QTimer>

namespace {

int marka(const QString &nev, int kep = 0)
{
    Adatbazis::vegrehajt("INSERT INTO marka (marka_nev, kep) VALUES (?, ?)", {nev, kep});
    return Adatbazis::ertek("SELECT max(marka) FROM marka").toInt();
}

int ugyfel(const QString &nev)
{
    Adatbazis::vegrehajt("INSERT INTO ugyfel (ugyfel_nev, telefon) VALUES (?, '06-1')", {nev});
    return Adatbazis::ertek("SELECT max(ugyfel) FROM ugyfel").toInt();
}

Tfrm_TorzsLista *lista(QWidget *w)
{
    auto *l = qobject_cast<Tfrm_TorzsLista *>(w);
    if (!l)
        qWarning("the modal window is not a list window: %s", w ? w->metaObject()->className() : "none");
    return l;
}

QString aktualisNev(Tfrm_TorzsLista *l, const QString &mezo)
{
    return l->tabla()->ertek(mezo).toString();
}

// Types as a user would; letters outside ASCII go as key events carrying the text.
void gepel(QWidget *w, const QString &s)
{
    for (const QChar c : s) {
        if (c.unicode() < 128)
            QTest::keyClick(w, c.toLatin1());
        else
            QTest::sendKeyEvent(QTest::Click, w, Qt::Key_unknown, QString(c), Qt::NoModifier);
    }
}

void aktival(QWidget *w)
{
    w->activateWindow();
    if (!QTest::qWaitForWindowActive(w))
        qWarning("the modal window did not become active");
}

// Closes a modal window that a failed check left open, so the test ends instead of waiting.
// Also makes the window active, as a shown modal window is, so its shortcuts answer.
struct Zar {
    QWidget *w;
    explicit Zar(QWidget *ablak) : w(ablak) { aktival(w); }
    ~Zar()
    {
        if (auto *d = qobject_cast<QDialog *>(w); d && d->isVisible())
            QMetaObject::invokeMethod(d, "reject", Qt::QueuedConnection);
    }
};

QLineEdit *kereso(QWidget *w) { return w->findChild<QLineEdit *>("edKeres"); }
QTableView *racs(QWidget *w) { return w->findChild<QTableView *>("grid"); }

// QTest's double click on a widget is the second press alone; a user's starts with a click.
void duplaKattint(QTableView *g, int sor)
{
    const QPoint p = g->visualRect(g->model()->index(sor, 0)).center();
    QTest::mouseClick(g->viewport(), Qt::LeftButton, {}, p);
    QTest::mouseDClick(g->viewport(), Qt::LeftButton, {}, p);
}

} // namespace

class TorzsListaTeszt : public QObject {
    Q_OBJECT

private slots:
    void initTestCase_data() { TesztKornyezet::motorok(); }
    void init()
    {
        if (const QString h = TesztKornyezet::szerverHiba(); !h.isEmpty())
            QSKIP(qPrintable(h));
    }

    void megnyitas_data()
    {
        QTest::addColumn<QString>("kulcs");   // name of the row whose key is given, or a number
        QTest::addColumn<bool>("valaszt");
        QTest::addColumn<bool>("elfogad");
        QTest::addColumn<QString>("vartNev");
        QTest::addColumn<bool>("kulcsVissza");
        QTest::newRow("meglévő kulcs, választás") << "Citroën" << true << true << "Citroën" << true;
        QTest::newRow("főablakból -1") << "-1" << false << false << "Alfa Romeo" << false;
        QTest::newRow("üres kulcs 0") << "0" << true << true << "Alfa Romeo" << true;
        QTest::newRow("törölt kulcs") << "999" << true << true << "Alfa Romeo" << true;
        QTest::newRow("választás, Esc") << "Ford" << true << false << "Ford" << false;
    }

    void megnyitas()
    {
        QFETCH(QString, kulcs);
        QFETCH(bool, valaszt);
        QFETCH(bool, elfogad);
        QFETCH(QString, vartNev);
        QFETCH(bool, kulcsVissza);
        TesztKornyezet k;
        QHash<QString, int> kulcsok;
        for (const QString &n : {"Opel", "Ford", "Citroën", "Alfa Romeo", "Škoda"})
            kulcsok[n] = marka(n);
        bool szam = false;
        const int adott = kulcs.toInt(&szam);
        QString nev;
        bool elfogadLathato = !valaszt;
        QString fokusz;
        TesztKornyezet::modalisan([&](QWidget *w) {
            Zar zar{w};
            Tfrm_TorzsLista *l = lista(w);
            nev = aktualisNev(l, "marka_nev");
            elfogadLathato = l->aElfogad->isVisible() && l->aElfogad->isEnabled();
            fokusz = w->focusWidget() ? w->focusWidget()->objectName() : QString();
            QTest::keyClick(kereso(w), elfogad ? Qt::Key_Return : Qt::Key_Escape);
        });
        const int e = MarkaLista(szam ? adott : kulcsok[kulcs], valaszt);
        QCOMPARE(nev, vartNev);
        QCOMPARE(elfogadLathato, valaszt);
        QCOMPARE(fokusz, QString("edKeres"));
        QCOMPARE(e, kulcsVissza ? kulcsok[vartNev] : -1);
    }

    void uresLista_data()
    {
        QTest::addColumn<int>("mod");   // 0 Enter, 1 Bezár, 2 close box
        QTest::addColumn<int>("vart");
        QTest::newRow("Elfogad") << 0 << 0;
        QTest::newRow("Bezár") << 1 << -1;
        QTest::newRow("bezárógomb") << 2 << -1;
    }

    void uresLista()
    {
        QFETCH(int, mod);
        QFETCH(int, vart);
        TesztKornyezet k;
        TesztKornyezet::modalisan([mod](QWidget *w) {
            Zar zar{w};
            Tfrm_TorzsLista *l = lista(w);
            QVERIFY(l->tabla()->ures());
            if (mod == 0)
                QTest::keyClick(kereso(w), Qt::Key_Enter);
            else if (mod == 1)
                l->aBezar->trigger();
            else
                w->close();
        });
        QCOMPARE(AlkatreszLista(5, true), vart);
    }

    void kereses_data()
    {
        QTest::addColumn<QString>("szoveg");
        QTest::addColumn<QString>("vart");
        QTest::newRow("kisbetű") << "for" << "Ford";
        QTest::newRow("vegyes") << "oPE" << "Opel";
        QTest::newRow("ékezetes kisbetű nagyot talál") << "é" << "Écsi Bt";
        QTest::newRow("ékezetes nagybetű") << "ÉCS" << "Écsi Bt";
        QTest::newRow("ékezet nélkül az ékezetlen") << "ec" << "Ecset Kft";
        QTest::newRow("ö nem o") << "öv" << "Öveges Ödön";
        QTest::newRow("hosszú ő") << "őr" << "Őrsi Őrs";
        QTest::newRow("nincs folytatás: marad") << "fordx" << "Ford";
        QTest::newRow("nincs egyezés: marad az első") << "xyz" << "Alfa Romeo";
        QTest::newRow("törlés visszalép") << "op\b\b" << "Alfa Romeo";
    }

    void kereses()
    {
        QFETCH(QString, szoveg);
        QFETCH(QString, vart);
        TesztKornyezet k;
        for (const QString &n : {"Opel", "Ford", "Ecset Kft", "Écsi Bt", "Öveges Ödön", "Ozora Zrt", "Őrsi Őrs",
                                 "Alfa Romeo", "Forrás"})
            ugyfel(n);
        QString nev;
        int gridSor = -2;
        TesztKornyezet::modalisan([&](QWidget *w) {
            Zar zar{w};
            Tfrm_TorzsLista *l = lista(w);
            for (const QChar c : szoveg) {
                if (c == '\b')
                    QTest::keyClick(kereso(w), Qt::Key_Backspace);
                else
                    gepel(kereso(w), QString(c));
            }
            nev = aktualisNev(l, "ugyfel_nev");
            gridSor = racs(w)->currentIndex().row();
            QTest::keyClick(kereso(w), Qt::Key_Return);
        });
        const int e = UgyfelLista(-1, true);
        QCOMPARE(nev, vart);
        QCOMPARE(e, Adatbazis::ertek("SELECT ugyfel FROM ugyfel WHERE ugyfel_nev = ?", {vart}).toInt());
        // ordering keys compare by code point: on the server that is the "C" collation
        const QString rendez = TesztKornyezet::szerveren() ? " COLLATE \"C\"" : "";
        QCOMPARE(gridSor, Adatbazis::ertek("SELECT count(*) FROM ugyfel WHERE HURENDEZ(ugyfel_nev)" + rendez
                                               + " < HURENDEZ(?)" + rendez,
                                           {vart})
                              .toInt());
    }

    // The commands draw the program's own pictures, the same as in every other window.
    void ikonok()
    {
        TesztKornyezet k;
        TesztKornyezet::modalisan([&](QWidget *w) {
            Zar zar{w};
            Tfrm_TorzsLista *l = lista(w);
            for (QAction *a : {l->aUj, l->aSzerkeszt, l->aTorol, l->aKeres, l->aElfogad, l->aBezar})
                QVERIFY2(a->icon().pixmap(16, 16).toImage() == AkcioIkon(a->objectName()).pixmap(16, 16).toImage(),
                         qPrintable(a->objectName()));
            l->aBezar->trigger();
        });
        UgyfelLista(-1, true);
    }

    void bongeszoMod()
    {
        TesztKornyezet k;
        marka("Opel");
        marka("Audi");
        bool gridFokusz = false, menuRejtett = false, szerkesztoNyilt = false;
        TesztKornyezet::modalisan([&](QWidget *w) {
            Zar zar{w};
            Tfrm_TorzsLista *l = lista(w);
            // Enter in the search box goes to the grid and closes nothing
            QTest::keyClicks(kereso(w), "op");
            QTest::keyClick(kereso(w), Qt::Key_Return);
            gridFokusz = w->focusWidget() == racs(w) && w->isVisible();
            menuRejtett = !l->aElfogad->isVisible();
            // a double click edits the row
            TesztKornyezet::modalisan([&](QWidget *sz) {
                Zar zar{sz};
                szerkesztoNyilt = qobject_cast<Tfrm_TorzsMarka_Szerkeszt *>(sz) != nullptr
                    && sz->findChild<QLineEdit *>("ed_marka_nev")->text() == "Opel";
                sz->findChild<QPushButton *>("btnMegse")->click();
                QTimer::singleShot(0, l->aBezar, &QAction::trigger);
            });
            duplaKattint(racs(w), 1);
        });
        QCOMPARE(MarkaLista(-1, false), -1);
        QVERIFY(gridFokusz);
        QVERIFY(menuRejtett);
        QVERIFY(szerkesztoNyilt);
    }

    void dupla_kattintas_valaszt()
    {
        TesztKornyezet k;
        marka("Opel");
        const int audi = marka("Audi");
        TesztKornyezet::modalisan([&](QWidget *w) {
            Zar zar{w};
            duplaKattint(racs(w), 0);
        });
        QCOMPARE(MarkaLista(-1, true), audi);
    }

    // A new row stored through the editor stays current: Enter accepts it at once.
    void ujSorElfogadhato()
    {
        TesztKornyezet k;
        marka("Opel");
        marka("Audi");
        TesztKornyezet::modalisan([&](QWidget *w) {
            Zar zar{w};
            Tfrm_TorzsLista *l = lista(w);
            TesztKornyezet::modalisan([](QWidget *sz) {
                Zar zar{sz};
                QLineEdit *e = sz->findChild<QLineEdit *>("ed_marka_nev");
                QTest::keyClicks(e, "Dacia");
                sz->findChild<QPushButton *>("btnOK")->click();
            });
            QTest::keyClick(racs(w), Qt::Key_Insert);
            QCOMPARE(aktualisNev(l, "marka_nev"), QString("Dacia"));
            QCOMPARE(racs(w)->currentIndex().row(), 1);
            aktival(w);   // back from the editor
            QTest::keyClick(racs(w), Qt::Key_Return);
        });
        const int e = MarkaLista(-1, true);
        QCOMPARE(Adatbazis::ertek("SELECT marka_nev || '/' || kep FROM marka WHERE marka = ?", {e}).toString(),
                 QString("Dacia/0"));
    }

    // The lists and their editors open in the middle of the screen, not over the window
    // that opened them (a small window in a corner here).
    void kepernyoKozepen_data()
    {
        QTest::addColumn<QString>("tabla");
        QTest::newRow("márka") << "marka";
        QTest::newRow("alkatrész") << "alkatresz";
        QTest::newRow("ügyfél") << "ugyfel";
    }

    void kepernyoKozepen()
    {
        QFETCH(QString, tabla);
        TesztKornyezet k;
        QWidget sarok;
        sarok.setGeometry(0, 0, 260, 180);
        sarok.show();
        QVERIFY(QTest::qWaitForWindowExposed(&sarok));
        const QPoint kozep = sarok.screen()->availableGeometry().center();
        QVERIFY((sarok.geometry().center() - kozep).manhattanLength() > 100);
        QPoint listaKozep, szerkesztoKozep;
        TesztKornyezet::modalisan([&](QWidget *w) {
            Zar zar{w};
            listaKozep = w->frameGeometry().center();
            TesztKornyezet::modalisan([&](QWidget *sz) {
                Zar zar{sz};
                szerkesztoKozep = sz->frameGeometry().center();
                QTest::keyClick(sz, Qt::Key_Escape);
            });
            lista(w)->aUj->trigger();
            lista(w)->aBezar->trigger();
        });
        if (tabla == "marka")
            MarkaLista(-1, false, &sarok);
        else if (tabla == "alkatresz")
            AlkatreszLista(-1, false, &sarok);
        else
            UgyfelLista(-1, false, &sarok);
        // a few pixels for the frame around the client
        const auto hely = [](QPoint p) { return QString("%1,%2").arg(p.x()).arg(p.y()); };
        QVERIFY2((listaKozep - kozep).manhattanLength() <= 6, qPrintable(hely(listaKozep)));
        QVERIFY2((szerkesztoKozep - kozep).manhattanLength() <= 6, qPrintable(hely(szerkesztoKozep)));
    }

    void ujSorMegse()
    {
        TesztKornyezet k;
        marka("Opel");
        TesztKornyezet::modalisan([&](QWidget *w) {
            Zar zar{w};
            Tfrm_TorzsLista *l = lista(w);
            TesztKornyezet::modalisan([](QWidget *sz) {
                Zar zar{sz};
                QTest::keyClicks(sz->findChild<QLineEdit *>("ed_marka_nev"), "Dacia");
                QTest::keyClick(sz, Qt::Key_Escape);
            });
            l->aUj->trigger();
            QCOMPARE(l->tabla()->allapot(), Tabla::Allapot::Tallozas);
            QCOMPARE(l->tabla()->rekordSzam(), 1);
            l->aBezar->trigger();
        });
        QCOMPARE(MarkaLista(-1, false), -1);
        QCOMPARE(Adatbazis::ertek("SELECT count(*) FROM marka").toInt(), 1);
    }

    // Szerkeszt in an empty list starts a new row; in a full one it changes the current row.
    void szerkesztUresben()
    {
        TesztKornyezet k;
        TesztKornyezet::modalisan([&](QWidget *w) {
            Zar zar{w};
            Tfrm_TorzsLista *l = lista(w);
            TesztKornyezet::modalisan([](QWidget *sz) {
                Zar zar{sz};
                QTest::keyClicks(sz->findChild<QLineEdit *>("ed_alkatresz_nev"), "Fekbetet");
                sz->findChild<QPushButton *>("btnOK")->click();
            });
            QTest::keyClick(kereso(w), Qt::Key_F2);
            TesztKornyezet::modalisan([](QWidget *sz) {
                Zar zar{sz};
                QLineEdit *e = sz->findChild<QLineEdit *>("ed_alkatresz_nev");
                QCOMPARE(e->text(), QString("Fekbetet"));
                e->selectAll();
                QTest::keyClicks(e, "Kuplung");
                sz->findChild<QPushButton *>("btnOK")->click();
            });
            l->aSzerkeszt->trigger();
            l->aBezar->trigger();
        });
        AlkatreszLista(-1, false);
        QCOMPARE(Adatbazis::ertek(TesztKornyezet::szerveren() ? "SELECT string_agg(alkatresz_nev, ',') FROM alkatresz"
                                                              : "SELECT group_concat(alkatresz_nev) FROM alkatresz")
                     .toString(),
                 QString("Kuplung"));
    }

    void jogHianya()
    {
        TesztKornyezet k;
        const int opel = marka("Opel");
        Beall.torzsszerkeszt = false;
        QList<bool> egyedul;
        TesztKornyezet::modalisan([&](QWidget *w) {
            Zar zar{w};
            Tfrm_TorzsLista *l = lista(w);
            for (QAction *a : {l->aUj, l->aSzerkeszt, l->aTorol}) {
                a->trigger();
                egyedul << (QApplication::activeModalWidget() == w && l->tabla()->allapot() == Tabla::Allapot::Tallozas);
            }
            QTest::keyClick(kereso(w), Qt::Key_Delete, Qt::ControlModifier);
            // searching and accepting stay available
            QTest::keyClicks(kereso(w), "op");
            QTest::keyClick(kereso(w), Qt::Key_Return);
        });
        QCOMPARE(MarkaLista(-1, true), opel);
        QCOMPARE(egyedul, QList<bool>({true, true, true}));
        QCOMPARE(k.szovegek(), QStringList(4, "Nincs jogosultság a művelethez."));
        QCOMPARE(k.uzenetek().first().tipus, UzenetKeres::Hiba);
        QCOMPARE(Adatbazis::ertek("SELECT count(*) FROM marka").toInt(), 1);
    }

    void torles()
    {
        TesztKornyezet k;
        marka("Audi");
        marka("Opel");
        k.valaszok({false, true, true});
        TesztKornyezet::modalisan([&](QWidget *w) {
            Zar zar{w};
            Tfrm_TorzsLista *l = lista(w);
            QTest::keyClicks(kereso(w), "opel");
            // Ctrl+Del from the search box is the window's delete, not the edit's
            QTest::keyClick(kereso(w), Qt::Key_Delete, Qt::ControlModifier);
            QCOMPARE(l->tabla()->rekordSzam(), 2);
            QCOMPARE(kereso(w)->text(), QString("opel"));
            l->aTorol->trigger();
            QCOMPARE(l->tabla()->rekordSzam(), 1);
            QCOMPARE(aktualisNev(l, "marka_nev"), QString("Audi"));
            l->aBezar->trigger();
        });
        MarkaLista(-1, false);
        QCOMPARE(k.uzenetek().size(), 2);
        QCOMPARE(k.uzenetek()[0].szoveg, QString("Valóban töröljem a sort?"));
        QCOMPARE(k.uzenetek()[0].cim, QString("Megerősítés"));
        QCOMPARE(k.uzenetek()[0].tipus, UzenetKeres::Kerdes);
        QCOMPARE(Adatbazis::ertek(TesztKornyezet::szerveren() ? "SELECT string_agg(marka_nev, ',') FROM marka"
                                                              : "SELECT group_concat(marka_nev) FROM marka")
                     .toString(),
                 QString("Audi"));

        // an empty list: the question, then nothing, no error of our own
        k.uzenetekTorol();
        Adatbazis::vegrehajt("DELETE FROM marka");
        TesztKornyezet::modalisan([](QWidget *w) {
            Zar zar{w};
            lista(w)->aTorol->trigger();
            lista(w)->aBezar->trigger();
        });
        MarkaLista(-1, false);
        QCOMPARE(k.szovegek(), QStringList({"Valóban töröljem a sort?"}));
    }

    // Deleting a brand that letters use is allowed; the letters stay, with empty names.
    void hasznaltMarkaTorlese()
    {
        TesztKornyezet k;
        const int opel = marka("Opel");
        const int ford = marka("Ford");
        for (int i = 1; i <= 3; ++i)
            Adatbazis::vegrehajt("INSERT INTO doksi (doksi_id, prntip, marka, datum) VALUES (?, 'J', ?, '2026-01-05')",
                                 {i, i == 2 ? ford : opel});
        TesztKornyezet::modalisan([](QWidget *w) { lista(w)->aTorol->trigger(); lista(w)->aBezar->trigger(); });
        MarkaLista(opel, false);
        QCOMPARE(Adatbazis::ertek("SELECT count(*) FROM marka").toInt(), 1);

        Tabla levelek("doksi");
        levelek.setIndex("idx_doksi_id_desc");
        levelek.keresoMezo("marka_nev", "marka", "marka", "marka_nev", 25);
        levelek.megnyit();
        QCOMPARE(levelek.rekordSzam(), 3);
        QStringList nevek;
        for (int i = 0; i < 3; ++i)
            nevek << levelek.ertekSor(i, "marka_nev").toString();
        QCOMPARE(nevek, QStringList({"", "Ford", ""}));
        QCOMPARE(levelek.ertekSor(0, "marka").toInt(), opel);   // the key is kept
    }
};

QTEST_MAIN(TorzsListaTeszt)
#include "tst_torzslista.moc"
