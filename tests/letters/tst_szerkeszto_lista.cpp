// The letter editor's brand, part and customer drop-downs on master lists of thousands of rows
// with gaps in their keys: the name shown, typing, choosing, and another program's changes.
#include "Adatbazis.h"
#include "Levelek.h"
#include "MasikProgram.h"
#include "Tabla.h"
#include "TesztKornyezet.h"
#include "Tfrm_Szerkeszt.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

namespace {

constexpr int SOROK = 3000;   // far more than a page of the cursor or a screen of the list

void zarBiztosan(QWidget *w)
{
    QTimer::singleShot(5000, w, [w] {
        if (auto *d = qobject_cast<QDialog *>(w); d && d->isVisible())
            d->reject();
    });
}

struct Nezet {
    Tabla tbl{"doksi"};
    explicit Nezet(const QString &tipus)
    {
        tbl.setIndex("idx_doksi_id_desc");
        tbl.setSzuro(QString("prntip='%1'").arg(tipus));
        tbl.setSzurt(true);
        tbl.megnyit();
    }
};

// Runs the editor (a new letter, or the current one) with f acting on it once it shows.
void szerkeszt(Tabla &t, bool uj, const QString &tipus, std::function<void(Tfrm_Szerkeszt *)> f)
{
    TesztKornyezet::modalisan([f](QWidget *w) {
        zarBiztosan(w);
        auto *e = qobject_cast<Tfrm_Szerkeszt *>(w);
        QVERIFY(e);
        f(e);
    });
    LevelSzerkeszt(t, uj, tipus);
}

// SOROK rows named "Töltelék N" in each master table, every seventh key then deleted, so
// that a row's place in the list is not its key.
void torzsekToltese()
{
    for (const char *t : {"marka", "alkatresz", "ugyfel"}) {
        Adatbazis::vegrehajt(QString("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < %2) "
                                     "INSERT INTO %1 (%1_nev) SELECT 'Töltelék ' || i FROM n")
                                 .arg(t)
                                 .arg(SOROK));
        Adatbazis::vegrehajt(QString("DELETE FROM %1 WHERE %1 % 7 = 3").arg(t));
    }
}

// Adds rows after the fillers (so far down the list), in this order; returns their keys.
QList<int> nevekHozzaad(const QString &tabla, const QStringList &nevek)
{
    QList<int> kulcsok;
    for (const QString &n : nevek) {
        Adatbazis::vegrehajt(QString("INSERT INTO %1 (%1_nev) VALUES (?)").arg(tabla), {n});
        kulcsok << Adatbazis::ertek("SELECT last_insert_rowid()").toInt();
    }
    return kulcsok;
}

int helye(const QString &tabla, int kulcs)
{
    return Adatbazis::ertek(QString("SELECT count(*) FROM %1 WHERE %1 < ?").arg(tabla), {kulcs}).toInt();
}

QString neve(const QString &tabla, const QVariant &kulcs)
{
    return Adatbazis::ertek(QString("SELECT %1_nev FROM %1 WHERE %1 = ?").arg(tabla), {kulcs}).toString();
}

QVariant tarolt(const QString &mezo)
{
    return Adatbazis::ertek(QString("SELECT %1 FROM doksi").arg(mezo));
}

void gepel(QWidget *w, const QString &szoveg)
{
    for (const QChar b : szoveg)
        QTest::sendKeyEvent(QTest::Click, w, b == ' ' ? Qt::Key_Space : Qt::Key_unknown, QString(b), Qt::NoModifier);
}

QComboBox *lenyilo(Tfrm_Szerkeszt *e, const QString &mezo, int lap = 0)
{
    return qobject_cast<QComboBox *>(e->mezo(mezo, lap));
}

} // namespace

class SzerkesztoListaTeszt : public QObject {
    Q_OBJECT

private slots:
    // An existing letter shows its names on every page wherever they are in the lists, an
    // empty box for a key without a row, and keeps every key as stored.
    void taroltNevek_data()
    {
        QTest::addColumn<QString>("mezo");
        QTest::addColumn<QVariant>("kulcs");   // 0: the key of the row added last
        QTest::newRow("márka a lista végén") << "marka" << QVariant(0);
        QTest::newRow("alkatrész a lista végén") << "alkatresz" << QVariant(0);
        QTest::newRow("ügyfél a lista végén") << "ugyfel" << QVariant(0);
        QTest::newRow("ügyfél a lista közepén") << "ugyfel" << QVariant(1702);
        QTest::newRow("márka törölt sora") << "marka" << QVariant(1704);
        QTest::newRow("ügyfél nem létező kulcs") << "ugyfel" << QVariant(987654);
        QTest::newRow("alkatrész üresen") << "alkatresz" << QVariant();
    }
    void taroltNevek()
    {
        QFETCH(QString, mezo);
        QFETCH(QVariant, kulcs);
        TesztKornyezet k;
        torzsekToltese();
        const QList<int> utolsok = {nevekHozzaad("marka", {"Zárómárka"}).last(),
                                    nevekHozzaad("alkatresz", {"Záróalkatrész"}).last(),
                                    nevekHozzaad("ugyfel", {"Záró Ügyfél"}).last()};
        if (kulcs == QVariant(0))
            kulcs = utolsok[QStringList{"marka", "alkatresz", "ugyfel"}.indexOf(mezo)];
        // the other two fields hold a row near the front, so each box reads its own row
        Adatbazis::vegrehajt("INSERT INTO doksi (doksi_id, prntip, marka, alkatresz, ugyfel) VALUES (1, 'S', 2, 2, 2)");
        Adatbazis::vegrehajt(QString("UPDATE doksi SET %1 = ?").arg(mezo), {kulcs});
        const QString nev = kulcs.isNull() ? QString() : neve(mezo, kulcs);
        const int hely = nev.isEmpty() ? -1 : helye(mezo, kulcs.toInt());
        QVERIFY(hely == -1 || hely > 1000);
        Nezet s("S");
        szerkeszt(s.tbl, false, {}, [&](Tfrm_Szerkeszt *e) {
            for (int lap = 0; lap < 4; ++lap) {
                QCOMPARE(lenyilo(e, mezo, lap)->currentText(), nev);
                QCOMPARE(lenyilo(e, mezo, lap)->currentIndex(), hely);
                for (const QString m : {"marka", "alkatresz", "ugyfel"})
                    if (m != mezo)
                        QCOMPARE(lenyilo(e, m, lap)->currentText(), neve(m, 2));
            }
            QTest::keyClicks(e->mezo("rendszam", 0), "abc-1");
            e->ok[0]->click();
        });
        QCOMPARE(tarolt("rendszam").toString(), QString("ABC-1"));
        QCOMPARE(tarolt(mezo).isNull(), kulcs.isNull());
        QCOMPARE(tarolt(mezo).toInt(), kulcs.toInt());
        for (const QString m : {"marka", "alkatresz", "ugyfel"})
            if (m != mezo)
                QCOMPARE(tarolt(m).toInt(), 2);
    }

    // Typing picks the first name of the list (in key order) that begins with the text,
    // letter case ignored, accented letters apart, in the closed box or the open list.
    void gepeles_data()
    {
        QTest::addColumn<QString>("mezo");
        QTest::addColumn<QString>("gepelt");
        QTest::addColumn<QString>("vart");   // empty: nothing chosen
        QTest::addColumn<bool>("nyitva");
        for (const bool ny : {false, true}) {
            const char *hol = ny ? "nyitott lista" : "zárt doboz";
            QTest::addRow("ö: a lista elsője, nem az ábécéé (%s)", hol) << "ugyfel" << "ö" << "öreg Ház Kft." << ny;
            QTest::addRow("ÖD nagybetűvel (%s)", hol) << "ugyfel" << "ÖD" << "Ödön Bt." << ny;
            QTest::addRow("o nem ö (%s)", hol) << "ugyfel" << "o" << "Orbán Ödön" << ny;
            QTest::addRow("szóközzel (%s)", hol) << "ugyfel" << "nagy i" << "Nagy Ildikó" << ny;
            QTest::addRow("két egyező, az első (%s)", hol) << "ugyfel" << "NAGY B" << "nagy Béla" << ny;
            QTest::addRow("a nem á (%s)", hol) << "marka" << "a" << "Abarth" << ny;
            QTest::addRow("á (%s)", hol) << "marka" << "á" << "Ábel Autó" << ny;
            QTest::addRow("alkatrész (%s)", hol) << "alkatresz" << "fékbetét h" << "fékbetét hátsó" << ny;
        }
        // (Enter in the open list takes its current row, found or not)
        QTest::newRow("nincs ilyen") << "ugyfel" << "qx" << "" << false;
    }
    void gepeles()
    {
        QFETCH(QString, mezo);
        QFETCH(QString, gepelt);
        QFETCH(QString, vart);
        QFETCH(bool, nyitva);
        TesztKornyezet k;
        torzsekToltese();
        nevekHozzaad("ugyfel", {"öreg Ház Kft.", "Orbán Ödön", "Ödön Bt.", "nagy Béla", "Nagy Ildikó", "Nagy Béla 2"});
        nevekHozzaad("marka", {"Ábel Autó", "Abarth"});
        nevekHozzaad("alkatresz", {"Fékbetét első", "fékbetét hátsó"});
        Nezet j("J");
        szerkeszt(j.tbl, true, "J", [&](Tfrm_Szerkeszt *e) {
            e->activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(e));
            QComboBox *c = lenyilo(e, mezo);
            c->setFocus();
            if (nyitva) {
                c->showPopup();
                QTRY_VERIFY(c->view()->isVisible());
                gepel(c->view(), gepelt);
                QTest::keyClick(c->view(), Qt::Key_Return);
                QTRY_VERIFY(!c->view()->isVisible());
            } else {
                gepel(c, gepelt);
                QVERIFY(!c->view()->isVisible());
            }
            QCOMPARE(c->currentText(), vart);
            e->ok[0]->click();
        });
        const QVariant kulcs = tarolt(mezo);
        if (vart.isEmpty())
            QVERIFY(kulcs.isNull());
        else
            QCOMPARE(neve(mezo, kulcs), vart);
    }

    // Choosing with the arrow keys and the mouse stores the key of the row chosen, which
    // is not its place in the list.
    void valasztas_data()
    {
        QTest::addColumn<QString>("mod");
        QTest::addColumn<int>("lepes");   // rows below the stored one
        QTest::newRow("le nyíl") << "nyil" << 1;
        QTest::newRow("fel nyíl") << "nyil" << -1;
        QTest::newRow("egér a nyitott listában") << "eger" << 3;
        QTest::newRow("nyilak és Enter a nyitott listában") << "lista" << 2;
    }
    void valasztas()
    {
        QFETCH(QString, mod);
        QFETCH(int, lepes);
        TesztKornyezet k;
        torzsekToltese();
        const int eredeti = 2001;   // 2002 is gone: the next row's key is not one more
        Adatbazis::vegrehajt("INSERT INTO doksi (doksi_id, prntip, ugyfel) VALUES (1, 'J', ?)", {eredeti});
        const int hely = helye("ugyfel", eredeti);
        const int vart = Adatbazis::ertek("SELECT ugyfel FROM ugyfel ORDER BY ugyfel LIMIT 1 OFFSET ?", {hely + lepes})
                             .toInt();
        Nezet j("J");
        szerkeszt(j.tbl, false, {}, [&](Tfrm_Szerkeszt *e) {
            e->activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(e));
            QComboBox *c = lenyilo(e, "ugyfel");
            QCOMPARE(c->currentIndex(), hely);
            c->setFocus();
            if (mod == "nyil") {
                QTest::keyClick(c, lepes > 0 ? Qt::Key_Down : Qt::Key_Up);
            } else {
                c->showPopup();
                QTRY_VERIFY(c->view()->isVisible());
                QCOMPARE(c->view()->currentIndex().row(), hely);
                if (mod == "lista") {
                    for (int i = 0; i < lepes; ++i)
                        QTest::keyClick(c->view(), Qt::Key_Down);
                    QTest::keyClick(c->view(), Qt::Key_Return);
                } else {
                    const QModelIndex i = c->model()->index(hely + lepes, c->modelColumn());
                    const QPoint p = c->view()->visualRect(i).center();
                    QVERIFY(c->view()->viewport()->rect().contains(p));
                    QTest::mouseClick(c->view()->viewport(), Qt::LeftButton, {}, p);
                }
                QTRY_VERIFY(!c->view()->isVisible());
            }
            QCOMPARE(c->currentIndex(), hely + lepes);
            QCOMPARE(c->currentText(), neve("ugyfel", vart));
            e->ok[0]->click();
        });
        QCOMPARE(tarolt("ugyfel").toInt(), vart);
    }

    // Another program adds, renames and deletes customers while the editor is open. When the
    // main window's watch re-reads the cursors, the list shows the change, the box keeps the
    // letter's customer, and the new customer can be typed and stored.
    void masikProgramValtoztat()
    {
        TesztKornyezet k;
        torzsekToltese();
        const QList<int> kulcsok = nevekHozzaad("ugyfel", {"Régi Név", "Törlendő Tibor", "Maradó Mária"});
        Adatbazis::vegrehajt("INSERT INTO doksi (doksi_id, prntip, ugyfel) VALUES (1, 'J', ?)", {kulcsok[2]});
        (void)Adatbazis::masikProgramIrt();
        Nezet j("J");
        szerkeszt(j.tbl, false, {}, [&](Tfrm_Szerkeszt *e) {
            e->activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(e));
            QComboBox *c = lenyilo(e, "ugyfel");
            QCOMPARE(c->currentText(), QString("Maradó Mária"));
            const int sorok = c->count();
            for (const QStringList &parancs :
                 {QStringList{"beszur", k.adatMappa(), "ugyfel", "ugyfel_nev", "Újonnan Érkező"},
                  QStringList{"modosit", k.adatMappa(), "ugyfel", QString::number(kulcsok[0]), "ugyfel_nev", "Átnevezett"},
                  QStringList{"torol", k.adatMappa(), "ugyfel", QString::number(kulcsok[1])}}) {
                MasikProgram m(parancs);
                if (parancs[0] == "modosit") {
                    QVERIFY(m.var("olvasva"));
                    m.tovabb();
                }
                QCOMPARE(m.vege(), 0);
            }
            // what the main window's timer does when it sees another program's commit
            QVERIFY(Adatbazis::masikProgramIrt());
            Adatbazis::kurzorokFrissit();
            QCOMPARE(c->count(), sorok);   // one added, one deleted
            QCOMPARE(c->currentText(), QString("Maradó Mária"));
            QCOMPARE(c->itemText(c->count() - 1), QString("Újonnan Érkező"));
            QCOMPARE(c->findText("Átnevezett"), helye("ugyfel", kulcsok[0]));
            QCOMPARE(c->findText("Törlendő Tibor"), -1);
            QCOMPARE(j.tbl.ertek("ugyfel").toInt(), kulcsok[2]);   // the re-read chose nothing
            c->setFocus();
            gepel(c, "újonnan");
            QCOMPARE(c->currentText(), QString("Újonnan Érkező"));
            e->ok[0]->click();
        });
        QCOMPARE(neve("ugyfel", tarolt("ugyfel")), QString("Újonnan Érkező"));
    }
};

int main(int argc, char *argv[])
{
    const int masik = MasikProgramFuttat(argc, argv);
    if (masik >= 0)
        return masik;
    QApplication app(argc, argv);
    SzerkesztoListaTeszt t;
    return QTest::qExec(&t, argc, argv);
}

#include "tst_szerkeszto_lista.moc"
