// The windows when a second program works on the same database folder (MasikProgram).
#include "Adatbazis.h"
#include "Beall.h"
#include "MasikProgram.h"
#include "Tabla.h"
#include "TesztKornyezet.h"
#include "Tfrm_Beallit.h"
#include "Tfrm_Hatarolt.h"
#include "Tfrm_FelhasznaloSzerkeszt.h"
#include "Tfrm_Main.h"
#include "Tfrm_SQL.h"
#include "Tfrm_Megjegyzes_Szerkeszt.h"
#include "Tfrm_Szerkeszt.h"
#include "Tfrm_TorzsMarka_Szerkeszt.h"
#include "Tfrm_TorzsUgyfel_Szerkeszt.h"
#include "Tfrm_Tulajdonos.h"

#include <QAbstractItemModel>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <Qsci/qsciscintilla.h>

namespace {

void levelek(int n)
{
    Adatbazis::Tranzakcio t;
    for (int i = 1; i <= n; ++i)
        Adatbazis::vegrehajt("INSERT INTO doksi (doksi_id, prntip, datum) VALUES (?, 'J', '2026-01-15')", {i});
    t.commit();
}

// The other program adds one letter of kind J.
void masikUjLevel(const TesztKornyezet &k)
{
    MasikProgram m({"uj", k.adatMappa(), "J", "1"});
    QVERIFY2(m.var("varok"), m.kimenet().constData());
    m.tovabb();
    QCOMPARE(m.vege(), 0);
}

void aktival(QWidget *w)
{
    QEvent e(QEvent::WindowActivate);
    QApplication::sendEvent(w, &e);
}

std::unique_ptr<QDialog> szerkeszto(const QString &tabla, Tabla *t)
{
    if (tabla == "marka")
        return std::make_unique<Tfrm_TorzsMarka_Szerkeszt>(t, 0);
    if (tabla == "ugyfel")
        return std::make_unique<Tfrm_TorzsUgyfel_Szerkeszt>(t);
    if (tabla == "felhasznalo")
        return std::make_unique<Tfrm_FelhasznaloSzerkeszt>(t);
    if (tabla == "tulajdonos")
        return std::make_unique<Tfrm_Tulajdonos>(t);
    return std::make_unique<Tfrm_Beallit>(t);
}

} // namespace

class KetProgramAblakTeszt : public QObject {
    Q_OBJECT

private slots:
    // The main window's list takes in a letter of the other program when the window is
    // activated, and while it stands idle, keeping the current letter.
    void foablakAtveszi()
    {
        TesztKornyezet k;
        levelek(3);
        Tfrm_Main w;
        QVERIFY(w.inditas());
        QVERIFY(w.Tbl().keres("doksi_id", 2));
        QCOMPARE(w.statusPanel(0)->text(), QString("3/2"));
        masikUjLevel(k);
        aktival(&w);
        QCOMPARE(w.statusPanel(0)->text(), QString("4/3"));
        QCOMPARE(w.Tbl().ertek("doksi_id").toInt(), 2);
        QCOMPARE(w.DBGrid1()->model()->rowCount(), 4);
        QCOMPARE(w.DBGrid1()->model()->index(0, 0).data().toString(), QString("No:00004"));
        // no activation: the idle check finds it
        masikUjLevel(k);
        QTRY_COMPARE_WITH_TIMEOUT(w.statusPanel(0)->text(), QString("5/4"), 60000);
        QCOMPARE(w.Tbl().ertek("doksi_id").toInt(), 2);
    }

    // While the free SQL window's statement or the export's pass steps and the window keeps
    // its events going, the main window's change watcher leaves the connection alone (its
    // ticks and an activation); what the other program wrote meanwhile shows afterwards.
    void hosszuMunkaKozbenNemOlvas_data()
    {
        QTest::addColumn<bool>("kivitel");
        QTest::addColumn<QString>("utana");   // the counter afterwards: the same letter stays current
        QTest::newRow("SQL") << false << "4/2";
        QTest::newRow("export") << true << "30001/30001";   // the export leaves the last row current
    }

    void hosszuMunkaKozbenNemOlvas()
    {
        QFETCH(bool, kivitel);
        QFETCH(QString, utana);
        TesztKornyezet k;
        const int n = kivitel ? 30000 : 3;   // a pass long enough to look at events
        levelek(n);
        Tfrm_Main w;
        QVERIFY(w.inditas());
        const QString elotte = QString("%1/1").arg(n);
        QCOMPARE(w.statusPanel(0)->text(), elotte);
        std::function<bool()> fut;
        int ujraolvasKozben = 0, utesKozben = 0, esemenyKozben = 0;
        connect(&w.Tbl(), &Tabla::adatValtozott, this, [&] { ujraolvasKozben += fut && fut(); });
        auto *figyelo = w.findChild<QTimer *>("ValtozasFigyelo");
        QVERIFY(figyelo);
        connect(figyelo, &QTimer::timeout, this, [&] { utesKozben += fut && fut(); });
        QString panelKozben;
        int sorokKozben = -1;
        const auto kozben = [&] {
            ++esemenyKozben;
            aktival(&w);
            panelKozben = w.statusPanel(0)->text();
            sorokKozben = w.Tbl().rekordSzam();
        };
        if (kivitel) {
            // committed before the pass, not seen yet: the watcher's first look would re-read
            masikUjLevel(k);
            const QString ut = QDir(k.programMappa()).filePath("lista.csv");
            Tfrm_Hatarolt d(w.Tbl(), ut, &w);
            fut = [&d] { return d.fut(); };
            QTimer::singleShot(0, &d, kozben);
            d.btnExport->click();
            QCOMPARE(k.szovegek(), QStringList{ut + " file export kész."});
            QFile f(ut);
            QVERIFY(f.open(QIODevice::ReadOnly));
            QCOMPARE(f.readAll().count("\r\n"), n + 2);   // the header, and the table as the pass read it
        } else {
            Tfrm_SQL f(&w);
            f.show();
            f.edSQL->setText("SELECT (WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c) SELECT count(*) FROM c)");
            fut = [&f] { return f.fut(); };
            // the other program commits while the statement steps; the window stops it after
            // more than one tick of the watcher
            QTimer::singleShot(300, &f, [&] {
                masikUjLevel(k);
                kozben();
                QTimer::singleShot(2800, &f, [&] {
                    kozben();
                    f.btnMegallit->click();
                });
            });
            f.aFuttat->trigger();
            QCOMPARE(esemenyKozben, 2);
            QVERIFY2(utesKozben >= 1, "no tick of the watcher while the statement ran");
            QCOMPARE(k.szovegek().size(), 1);
            QVERIFY2(k.szovegek()[0].startsWith("SQL hiba:\r\nA futás leállítva."), qPrintable(k.szovegek()[0]));
        }
        QVERIFY(esemenyKozben >= 1);
        QCOMPARE(ujraolvasKozben, 0);
        QCOMPARE(panelKozben, elotte);
        QCOMPARE(sorokKozben, n);
        aktival(&w);
        QCOMPARE(w.statusPanel(0)->text(), utana);
    }

    // The number a new letter shows comes from the store, not from a list that has not seen
    // the other program's letter yet. When the other program takes it during the edit, the
    // open edit is not disturbed, the letter gets the next free number and the user is told.
    void szamotElviszikSzerkesztesKozben()
    {
        TesztKornyezet k;
        levelek(3);
        Tfrm_Main w;
        QVERIFY(w.inditas());
        masikUjLevel(k);   // letter 4, not in the list yet
        bool lefutott = false;
        TesztKornyezet::modalisan([&](QWidget *ablak) {
            auto *e = qobject_cast<Tfrm_Szerkeszt *>(ablak);
            QVERIFY(e);
            QCOMPARE(qobject_cast<QLineEdit *>(e->mezo("doksi_id", 0))->text(), QString("No:00005"));
            QTest::keyClicks(e->mezo("rendszam", 0), "sajat-1");
            const QString lista = w.statusPanel(0)->text();
            masikUjLevel(k);   // takes 5
            aktival(&w);
            QVERIFY(w.Tbl().szerkesztes());
            QCOMPARE(w.Tbl().ertek("rendszam").toString(), QString("SAJAT-1"));
            QCOMPARE(w.statusPanel(0)->text(), lista);
            QCOMPARE(qobject_cast<QLineEdit *>(e->mezo("rendszam", 0))->text(), QString("SAJAT-1"));
            lefutott = true;
            e->ok[0]->click();
        });
        w.akcio("aUj")->trigger();
        QVERIFY(lefutott);
        QCOMPARE(k.uzenetek().size(), 1);
        QCOMPARE(k.uzenetek().last().tipus, UzenetKeres::Info);
        QCOMPARE(k.uzenetek().last().szoveg,
                 QString("A No:00005 számot közben egy másik program kiadta, ezért a levél a No:00006 számot kapta."));
        QCOMPARE(w.statusPanel(0)->text(), QString("6/1"));
        QCOMPARE(w.Tbl().ertek("doksi_id").toInt(), 6);
        QCOMPARE(w.Tbl().ertek("rendszam").toString(), QString("SAJAT-1"));
        QCOMPARE(Adatbazis::ertek("SELECT count(DISTINCT doksi_id) FROM doksi WHERE prntip = 'J'").toInt(), 6);
    }

    // Master rows, users, the owner row and the settings: a field the other program changed
    // meanwhile is refused with the reason, the window stays open and the edit is kept.
    void elutasitasAblakokban_data()
    {
        QTest::addColumn<QString>("tabla");
        QTest::addColumn<QString>("mezo");
        QTest::addColumn<QStringList>("vezerlok");   // set to the new value ("" for a check box: ticked)
        QTest::addColumn<QString>("ertek");
        QTest::newRow("márka") << "marka" << "marka_nev" << QStringList{"ed_marka_nev"} << "Opel Hungária";
        QTest::newRow("ügyfél") << "ugyfel" << "telefon" << QStringList{"ed_telefon"} << "06-1-111";
        QTest::newRow("felhasználó") << "felhasznalo" << "jelszo" << QStringList{"edtJelszo", "edtJelszo2"} << "Uj1";
        QTest::newRow("tulajdonos") << "tulajdonos" << "telefon" << QStringList{"edt_telefon"} << "06-1-111";
        QTest::newRow("beállítások") << "beallit" << "vanbelep" << QStringList{"chkVanBelep"} << "";
    }

    void elutasitasAblakokban()
    {
        QFETCH(QString, tabla);
        QFETCH(QString, mezo);
        QFETCH(QStringList, vezerlok);
        QFETCH(QString, ertek);
        TesztKornyezet k;
        Adatbazis::vegrehajt("INSERT INTO marka (marka_nev) VALUES ('Opel')");
        Adatbazis::vegrehajt("INSERT INTO ugyfel (ugyfel_nev, telefon) VALUES ('Kovács', '06-1-000')");
        Tabla t(tabla);
        t.megnyit();
        t.szerkeszt();
        const QString kulcs = QString::number(t.aktualisKulcs());
        auto d = szerkeszto(tabla, &t);
        d->show();
        for (const QString &v : vezerlok) {
            if (auto *e = d->findChild<QLineEdit *>(v))
                e->setText(ertek);
            else
                d->findChild<QCheckBox *>(v)->setChecked(true);
        }
        MasikProgram m({"modosit", k.adatMappa(), tabla, kulcs, mezo, "I"});
        QVERIFY2(m.var("olvasva"), m.kimenet().constData());
        m.tovabb();
        QCOMPARE(m.vege(), 0);

        d->findChild<QPushButton *>("btnOK")->click();
        QVERIFY(!k.uzenetek().isEmpty());
        QVERIFY2(k.uzenetek().last().szoveg.contains("másik program is módosította"),
                 qPrintable(k.uzenetek().last().szoveg));
        QVERIFY(d->isVisible());
        QVERIFY(d->result() != QDialog::Accepted);
        QVERIFY(t.szerkesztes());
        if (!ertek.isEmpty())
            QCOMPARE(d->findChild<QLineEdit *>(vezerlok.first())->text(), ertek);
        QCOMPARE(Adatbazis::ertek(QString("SELECT %1 FROM %2 WHERE rowid = ?").arg(mezo, tabla), {kulcs}).toString(),
                 QString("I"));
        d->reject();
        t.megse();
        QCOMPARE(t.ertek(mezo).toString(), QString("I"));   // the other program's value shows now
    }

    // The settings window whose row another program changed: the refused OK and then Mégsem
    // leave dorvido.ini as it was (or absent); OK after the other program's row is taken in
    // writes it.
    void beallitasElutasitvaDorvidoMarad_data()
    {
        QTest::addColumn<bool>("volt");
        QTest::newRow("meglévő") << true;
        QTest::newRow("hiányzó") << false;
    }

    void beallitasElutasitvaDorvidoMarad()
    {
        QFETCH(bool, volt);
        TesztKornyezet k;
        const QByteArray regi = "1 év\r\n2 év";
        if (volt) {
            QFile f(DorvidoFajlUt());
            QVERIFY(f.open(QIODevice::WriteOnly) && f.write(regi) == regi.size());
        }
        const auto tartalom = [] {
            QFile f(DorvidoFajlUt());
            return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<nincs>");
        };
        const QByteArray elotte = volt ? regi : QByteArray("<nincs>");
        QCOMPARE(tartalom(), elotte);
        Tabla t("beallit");
        t.megnyit();
        t.szerkeszt();
        Tfrm_Beallit d(&t);
        d.show();
        d.findChild<QPlainTextEdit *>("memDorvido")->setPlainText("3 hónap\n6 hónap");
        d.findChild<QCheckBox *>("chkVanBelep")->setChecked(true);   // the field the other program changes
        MasikProgram m({"modosit", k.adatMappa(), "beallit", QString::number(t.aktualisKulcs()), "vanbelep", "I"});
        QVERIFY2(m.var("olvasva"), m.kimenet().constData());
        m.tovabb();
        QCOMPARE(m.vege(), 0);
        d.findChild<QPushButton *>("btnOK")->click();
        QCOMPARE(k.uzenetek().size(), 1);
        QVERIFY(d.isVisible());
        QCOMPARE(tartalom(), elotte);
        QCOMPARE(QDir(QFileInfo(DorvidoFajlUt()).path()).entryList(QDir::Files | QDir::Hidden).filter("dorvido").size(),
                 volt ? 1 : 0);   // no staged copy left beside it
        d.findChild<QPushButton *>("btnMegsem")->click();
        QCOMPARE(d.result(), int(QDialog::Rejected));
        t.megse();
        QCOMPARE(tartalom(), elotte);

        // again on the row as the other program left it: now both are stored
        t.szerkeszt();
        Tfrm_Beallit e(&t);
        e.show();
        e.findChild<QPlainTextEdit *>("memDorvido")->setPlainText("3 hónap\n6 hónap");
        e.findChild<QPushButton *>("btnOK")->click();
        QCOMPARE(e.result(), int(QDialog::Accepted));
        QCOMPARE(tartalom(), QByteArray("3 h\xf3nap\r\n6 h\xf3nap"));
    }

    // The note editor: the refused post shows the reason and the editor comes back with the
    // text typed; leaving it keeps the other program's note.
    void jegyzetSzerkesztoElutasitas()
    {
        TesztKornyezet k;
        levelek(1);
        Adatbazis::vegrehajt("INSERT INTO doksi_megj (doksi, datum, rovid) VALUES (1, '2026-01-15', 'régi')");
        Tabla t("doksi_megj");
        t.megnyit();
        t.szerkeszt();
        Tfrm_Megjegyzes_Szerkeszt e(t);
        int kor = 0;
        TesztKornyezet::modalisan([&](QWidget *) {
            ++kor;
            e.DBEdit1->setText("saját");
            MasikProgram m({"modosit", k.adatMappa(), "doksi_megj", QString::number(t.aktualisKulcs()), "rovid", "másik"});
            QVERIFY2(m.var("olvasva"), m.kimenet().constData());
            m.tovabb();
            QCOMPARE(m.vege(), 0);
            TesztKornyezet::modalisan([&](QWidget *) {
                ++kor;
                QCOMPARE(e.DBEdit1->text(), QString("saját"));
                QVERIFY(t.szerkesztes());
                e.reject();
            });
            QTest::keyClick(e.DBMemo1, Qt::Key_Return, Qt::ControlModifier);
        });
        QVERIFY(!e.futtat());
        QCOMPARE(kor, 2);
        QCOMPARE(k.uzenetek().size(), 1);
        QVERIFY2(k.szovegek()[0].contains("másik program is módosította (rövid leírás)"), qPrintable(k.szovegek()[0]));
        QVERIFY(!t.szerkesztes());
        QCOMPARE(t.ertek("rovid").toString(), QString("másik"));
    }
};

int main(int argc, char *argv[])
{
    const int masik = MasikProgramFuttat(argc, argv);
    if (masik >= 0)
        return masik;
    QApplication app(argc, argv);
    KetProgramAblakTeszt t;
    return QTest::qExec(&t, argc, argv);
}

#include "tst_ketprogram_ablak.moc"
