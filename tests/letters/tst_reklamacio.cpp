// Claims of a letter: the rules of the claims window on both engines, the replacement letter,
// a second program recording a claim meanwhile, the upgrade of an older register, printouts.
#include "Adatbazis.h"
#include "MasikProgram.h"
#include "Reklamacio.h"
#include "ReklamacioNyomtatas.h"
#include "Sema.h"
#include "Tabla.h"
#include "TesztKornyezet.h"
#include "Tfrm_Reklamacio.h"

#include <QApplication>
#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QSqlQuery>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProcess>
#include <QTest>
#include <QTimer>

namespace {
const QDate MA = QDate::currentDate();

// Three masters and a letter with the given key, kind, start, period and odometer reading.
void level(int doksi, const QString &tipus, const QDate &datum, const QString &dorvido, const QString &kmora = {})
{
    if (!Adatbazis::ertek("SELECT 1 FROM ugyfel WHERE ugyfel = 1").isValid()) {
        Adatbazis::vegrehajt("INSERT INTO ugyfel (ugyfel, ugyfel_nev, cim_varos) VALUES (1, 'Kovács Éva', 'Győr')");
        Adatbazis::vegrehajt("INSERT INTO marka (marka, marka_nev) VALUES (1, 'Bosch')");
        Adatbazis::vegrehajt("INSERT INTO alkatresz (alkatresz, alkatresz_nev) VALUES (1, 'generátor')");
    }
    Adatbazis::vegrehajt("INSERT INTO doksi (doksi, doksi_id, prntip, datum, dorvido, kmora, ugyfel, marka, alkatresz, "
                         "sorozatszam) VALUES (?, ?, ?, ?, ?, ?, 1, 1, 1, 'GX-1')",
                         {doksi, doksi, tipus, datum, dorvido, kmora.isEmpty() ? QVariant() : QVariant(kmora)});
}

void reklamacio(int doksi, const QString &allapot, const QDate &datum = MA, const QString &beszallito = {})
{
    Adatbazis::vegrehajt("INSERT INTO reklamacio (doksi, datum, allapot, panasz, beszallito) VALUES (?, ?, ?, ?, ?)",
                         {doksi, datum, allapot, "zörög " + allapot, beszallito.isEmpty() ? QVariant() : beszallito});
}

struct Kurzor {
    Tabla tbl{"reklamacio"};
    explicit Kurzor(int doksi)
    {
        tbl.setSzuro(QString("doksi=%1").arg(doksi));
        tbl.setSzurt(true);
        tbl.megnyit();
    }
};

// A failed check inside a modal window must not leave it open and the test hanging.
void zarBiztosan(QWidget *w)
{
    QTimer::singleShot(4000, w, [w] {
        if (auto *d = qobject_cast<QDialog *>(w); d && d->isVisible())
            d->reject();
    });
}

using Kitolto = std::function<void(Tfrm_Reklamacio_Szerkeszt *)>;
// On the next claim editors, one step each: fill it and accept; an empty step cancels.
void szerkesztokben(QList<Kitolto> lepesek)
{
    TesztKornyezet::modalisan([lepesek](QWidget *w) mutable {
        zarBiztosan(w);
        auto *e = qobject_cast<Tfrm_Reklamacio_Szerkeszt *>(w);
        QVERIFY(e);
        const Kitolto f = lepesek.takeFirst();
        if (!lepesek.isEmpty())
            szerkesztokben(lepesek);   // the editor comes back after a refused accept
        if (!f) {
            e->reject();
            return;
        }
        f(e);
        e->accept();
    }, 20);
}

Kitolto allapotra(const QString &a, const QString &kmora = {}, const QString &indok = {})
{
    return [=](Tfrm_Reklamacio_Szerkeszt *e) {
        e->cbAllapot->setCurrentText(a);
        e->mmPanasz->setPlainText("nem tölt");
        if (!kmora.isEmpty())
            e->edKmora->setText(kmora);
        if (!indok.isEmpty())
            e->edIndok->setText(indok);
    };
}

QString pdfSzoveg(const QString &fajl)
{
    QProcess p;
    p.start("pdftotext", {"-layout", fajl, "-"});
    p.waitForFinished(60000);
    return QString::fromUtf8(p.readAllStandardOutput());
}
} // namespace

class ReklamacioTeszt : public QObject {
    Q_OBJECT

private slots:
    void initTestCase_data() { TesztKornyezet::motorok(); }
    void init()
    {
        if (const QString h = TesztKornyezet::szerverHiba(); !h.isEmpty())
            QSKIP(qPrintable(h));
    }

    // A claim in time is stored as typed; one after the warranty's end or past its kilometre
    // limit is refused until its reason is given, with the warning saying why.
    void kesoiReklamacio_data()
    {
        QTest::addColumn<QString>("tipus");
        QTest::addColumn<int>("napja");        // the letter's age in days
        QTest::addColumn<QString>("dorvido");
        QTest::addColumn<QString>("kmora");     // at fitting
        QTest::addColumn<QString>("rekKm");     // at the claim
        QTest::addColumn<QString>("ok");        // expected in the warning, empty: in time
        QTest::newRow("érvényes") << "J" << 10 << "1 év" << "" << "" << "";
        QTest::newRow("utolsó nap") << "J" << 365 << "1 év" << "" << "" << "";
        QTest::newRow("lejárt") << "J" << 800 << "1 év" << "" << "" << "lejárt";
        QTest::newRow("km-en belül") << "S" << 30 << "1 év vagy 20000 km" << "100 000" << "119 999" << "";
        QTest::newRow("km túllépve") << "S" << 30 << "1 év vagy 20 000 km" << "100 000" << "120 001 km"
                                     << "120001 km) túllépi a garancia határát (120000 km";
        QTest::newRow("km 'J' levélen") << "J" << 30 << "1 év vagy 20000 km" << "100 000" << "150 000" << "";
        QTest::newRow("nem értelmezhető") << "J" << 5000 << "amíg bírja" << "" << "" << "";
    }
    void kesoiReklamacio()
    {
        QFETCH(QString, tipus);
        QFETCH(int, napja);
        QFETCH(QString, dorvido);
        QFETCH(QString, kmora);
        QFETCH(QString, rekKm);
        QFETCH(QString, ok);
        TesztKornyezet k;
        // a year counts from the same day of the month, so "the last day" is a year back
        const QDate kezdet = napja == 365 ? MA.addYears(-1) : MA.addDays(-napja);
        level(1, tipus, kezdet, dorvido, kmora);
        Kurzor c(1);
        Tfrm_Reklamacio f(c.tbl, 1);
        if (ok.isEmpty()) {
            szerkesztokben({allapotra("Beérkezett", rekKm)});
        } else {
            szerkesztokben({allapotra("Beérkezett", rekKm), [](Tfrm_Reklamacio_Szerkeszt *e) {
                                QVERIFY(e->lblFigyelmeztet->text().startsWith("Késői reklamáció"));
                                e->edIndok->setText("régi vevő, méltányosság");
                            }});
        }
        f.aUjExecute();
        QCOMPARE(c.tbl.rekordSzam(), 1);
        QCOMPARE(Adatbazis::ertek("SELECT indok FROM reklamacio").toString(),
                 ok.isEmpty() ? QString() : QString("régi vevő, méltányosság"));
        if (ok.isEmpty()) {
            QCOMPARE(k.szovegek(), QStringList());
        } else {
            QCOMPARE(k.szovegek().size(), 1);
            QVERIFY2(k.szovegek().first().contains(ok), qPrintable(k.szovegek().first()));
            QVERIFY(k.szovegek().first().contains("indokát meg kell adni"));
        }
        QCOMPARE(Adatbazis::ertek("SELECT allapot FROM reklamacio").toString(), QString("Beérkezett"));
        QCOMPARE(Adatbazis::ertek("SELECT kmora FROM reklamacio").toString(), rekKm);
    }

    // One open claim a letter: a new one, or an old one opened again, is refused naming the
    // open one; a closed claim leaves room; the counts per letter follow.
    void masodikNyitott()
    {
        TesztKornyezet k;
        level(1, "J", MA, "1 év");
        level(2, "J", MA, "1 év");
        reklamacio(1, "Javítva", MA.addDays(-20));
        reklamacio(1, "Beszállítónál", QDate(2026, 3, 4));
        reklamacio(2, "Elutasítva");
        const int nyitott = Adatbazis::ertek("SELECT reklamacio FROM reklamacio WHERE allapot = 'Beszállítónál'").toInt();
        QCOMPARE(Reklamacio::nyitottSzam(1), 1);
        QCOMPARE(Reklamacio::nyitottSzamok({1, 2, 3}), (QHash<int, int>{{1, 1}}));

        Kurzor c(1);
        Tfrm_Reklamacio f(c.tbl, 1);
        f.aUjExecute();   // refused before any editor opens
        QCOMPARE(c.tbl.rekordSzam(), 2);
        QCOMPARE(k.szovegek().size(), 1);
        QVERIFY2(k.szovegek().first().contains(QString("a 2026.03.04-i reklamáció (Beszállítónál, azonosító: %1)").arg(nyitott)),
                 qPrintable(k.szovegek().first()));
        // the closed one opened again: refused, the editor stays; cancelled, nothing changes
        QVERIFY(c.tbl.ugrikKulcsra(Adatbazis::ertek("SELECT reklamacio FROM reklamacio WHERE allapot = 'Javítva'").toInt()));
        k.uzenetekTorol();
        szerkesztokben({allapotra("Beérkezett"), {}});
        f.aSzerkesztExecute();
        QCOMPARE(k.szovegek().size(), 1);
        QVERIFY(k.szovegek().first().contains("már van nyitott reklamációja"));
        QCOMPARE(Adatbazis::ertek("SELECT count(*) FROM reklamacio WHERE doksi = 1 AND allapot = 'Javítva'").toInt(), 1);
        // the open one closed: a new claim goes in, stamped with its user and dates
        QVERIFY(c.tbl.ugrikKulcsra(nyitott));
        szerkesztokben({allapotra("Visszatérítve")});
        f.aSzerkesztExecute();
        QCOMPARE(Adatbazis::ertek("SELECT dat_lezaras FROM reklamacio WHERE reklamacio = ?", {nyitott}).toDate(), MA);
        QCOMPARE(Reklamacio::nyitottSzam(1), 0);
        szerkesztokben({allapotra("Beszállítónál")});
        f.aUjExecute();
        QCOMPARE(c.tbl.rekordSzam(), 3);
        QCOMPARE(Reklamacio::nyitottSzamok({1, 2}), (QHash<int, int>{{1, 1}}));
        QCOMPARE(Adatbazis::ertek("SELECT dat_kuldes FROM reklamacio WHERE allapot = 'Beszállítónál'").toDate(), MA);
        // deleting asks first
        k.uzenetekTorol();
        k.valaszok({false});
        f.aTorolExecute();
        QCOMPARE(k.szovegek(), QStringList{"Valóban töröljem a sort?"});
        QCOMPARE(c.tbl.rekordSzam(), 3);
    }

    // "Cserélve": on Yes a new letter of the same kind, customer, brand, part and period,
    // dated today with the next number, and a note in each letter naming the other; on No
    // only the claim is closed.
    void csere_data()
    {
        QTest::addColumn<bool>("igen");
        QTest::newRow("új levél") << true;
        QTest::newRow("nem kér") << false;
    }
    void csere()
    {
        QFETCH(bool, igen);
        TesztKornyezet k;
        level(1, "S", MA.addMonths(-3), "1 év vagy 20000 km", "5000");
        level(7, "S", MA.addMonths(-1), "6 hó");   // the kind's highest number so far
        reklamacio(1, "Beszállító elfogadta");
        Kurzor c(1);
        Tfrm_Reklamacio f(c.tbl, 1);
        k.valaszok({igen});
        szerkesztokben({allapotra("Cserélve")});
        f.aSzerkesztExecute();
        QCOMPARE(Adatbazis::ertek("SELECT allapot FROM reklamacio").toString(), QString("Cserélve"));
        QCOMPARE(Adatbazis::ertek("SELECT count(*) FROM doksi").toInt(), igen ? 3 : 2);
        if (!igen) {
            QVERIFY(Adatbazis::ertek("SELECT csere_doksi FROM reklamacio").isNull());
            QCOMPARE(Adatbazis::ertek("SELECT count(*) FROM doksi_megj").toInt(), 0);
            return;
        }
        const int uj = Adatbazis::ertek("SELECT csere_doksi FROM reklamacio").toInt();
        QSqlQuery q = Adatbazis::lekerdez("SELECT prntip, doksi_id, datum, dorvido, ugyfel, marka, alkatresz, sorozatszam "
                                          "FROM doksi WHERE doksi = ?", {uj});
        QVERIFY(q.next());
        QCOMPARE(q.value(0).toString(), QString("S"));
        QCOMPARE(q.value(1).toInt(), 8);
        QCOMPARE(q.value(2).toDate(), MA);
        QCOMPARE(q.value(3).toString(), QString("1 év vagy 20000 km"));
        QCOMPARE(q.value(4).toInt() * 100 + q.value(5).toInt() * 10 + q.value(6).toInt(), 111);
        QVERIFY(q.value(7).isNull());   // a new part, a new serial number
        auto megjegyzes = [](int doksi) {
            return Adatbazis::ertek("SELECT rovid || ' / ' || megjegyzes FROM doksi_megj WHERE doksi = ?", {doksi}).toString();
        };
        QVERIFY2(megjegyzes(1).contains("S-00008"), qPrintable(megjegyzes(1)));
        QVERIFY2(megjegyzes(uj).contains("S-00001"), qPrintable(megjegyzes(uj)));
        QVERIFY(k.szovegek().last().contains("S-00008"));
        // closed now: the replacement is not offered twice
        k.uzenetekTorol();
        szerkesztokben({[](Tfrm_Reklamacio_Szerkeszt *e) { e->edEredmeny->setText("cserélve"); }});
        f.aSzerkesztExecute();
        QCOMPARE(k.szovegek(), QStringList());
        QCOMPARE(Adatbazis::ertek("SELECT count(*) FROM doksi").toInt(), 3);
    }

    // Another program records an open claim of the letter while this one's editor is open:
    // this one's claim is refused naming it. Another's change of a different field of a claim
    // stays beside this one's.
    void ketProgram()
    {
        TesztKornyezet k;
        level(1, "J", MA, "1 év");
        Kurzor c(1);
        Tfrm_Reklamacio f(c.tbl, 1);
        szerkesztokben({[&k](Tfrm_Reklamacio_Szerkeszt *e) {
                            MasikProgram m({"beszur", k.adatMappa(), "reklamacio", "doksi", "1"});
                            QCOMPARE(m.vege(), 0);
                            allapotra("Beérkezett")(e);
                        },
                        {}});
        f.aUjExecute();
        QCOMPARE(Adatbazis::ertek("SELECT count(*) FROM reklamacio").toInt(), 1);
        QVERIFY2(k.szovegek().value(0).contains("már van nyitott reklamációja: a dátum nélküli reklamáció (állapot nélkül"),
                 qPrintable(k.szovegek().value(0)));

        c.tbl.frissit();
        QCOMPARE(c.tbl.rekordSzam(), 1);
        const QString kulcs = QString::number(c.tbl.aktualisKulcs());
        szerkesztokben({[&](Tfrm_Reklamacio_Szerkeszt *e) {
            MasikProgram m({"modosit", k.adatMappa(), "reklamacio", kulcs, "beszallito", "Alfa Kft."});
            QVERIFY(m.var("olvasva"));
            m.tovabb();
            QCOMPARE(m.vege(), 0);
            e->mmDontes->setPlainText("elfogadva");
        }});
        f.aSzerkesztExecute();
        QCOMPARE(Adatbazis::ertek("SELECT beszallito || ' / ' || dontes FROM reklamacio").toString(),
                 QString("Alfa Kft. / elfogadva"));
    }

    // A register of version 5 gets the claims table when it opens, in the same transaction as
    // the version; its letters stay and claims can be recorded, keys going on after one
    // written as it is.
    void regiRegiszter()
    {
        TesztKornyezet k;
        level(1, "J", MA, "1 év");
        if (TesztKornyezet::szerveren())
            Adatbazis::vegrehajt("DROP TABLE reklamacio CASCADE"), Adatbazis::vegrehajt("DROP FUNCTION reklamacio_kulcs()");
        else
            Adatbazis::vegrehajt("DROP TABLE reklamacio");
        Adatbazis::vegrehajt("UPDATE meta SET ertek = '5' WHERE kulcs = 'verzio'");
        Adatbazis::bezar();
        QVERIFY(!Adatbazis::megnyit(k.adatMappa(), k.kapcsolat()));
        QCOMPARE(Adatbazis::ertek("SELECT ertek FROM meta WHERE kulcs = 'verzio'").toInt(), Sema::verzio());
        QCOMPARE(Adatbazis::ertek("SELECT count(*) FROM doksi").toInt(), 1);
        Adatbazis::vegrehajt("INSERT INTO reklamacio (reklamacio, doksi, allapot) VALUES (40, 1, 'Javítva')");
        Kurzor c(1);
        c.tbl.beszur();
        c.tbl.setErtek("doksi", 1);
        c.tbl.setErtek("allapot", "Beérkezett");
        c.tbl.post();
        QCOMPARE(c.tbl.aktualisKulcs(), 41);
        QCOMPARE(Reklamacio::nyitottSzam(1), 1);
        // opened again as it is now: nothing to do
        Adatbazis::bezar();
        QVERIFY(!Adatbazis::megnyit(k.adatMappa(), k.kapcsolat()));
        QCOMPARE(Adatbazis::ertek("SELECT count(*) FROM reklamacio").toInt(), 2);
    }

    // The claim form and the period's list as PDF text: the letter, the customer, the
    // complaint, the decision, the signatures; the list only the period's claims of the
    // supplier asked for, letter case ignored.
    void nyomtatvanyok()
    {
        TesztKornyezet k;
        level(1, "J", QDate(2026, 2, 1), "1 év");
        level(2, "J", QDate(2026, 2, 1), "1 év");
        reklamacio(1, "Beszállítónál", QDate(2026, 5, 10), "Alfa Kft.");
        reklamacio(2, "Beérkezett", QDate(2026, 5, 12), "Béta Bt.");
        reklamacio(2, "Javítva", QDate(2026, 7, 1), "Alfa Kft.");
        Adatbazis::vegrehajt("UPDATE reklamacio SET dontes = 'A beszállító cserét vállal', koltseg = 12500, kmora = '88 000' "
                             "WHERE doksi = 1");
        const QString lap = k.programMappa() + "/lap.pdf", lista = k.programMappa() + "/lista.pdf";
        QCOMPARE(ReklamacioNyomtatas::lapPdf(Adatbazis::ertek("SELECT reklamacio FROM reklamacio WHERE doksi = 1").toInt(), lap), 1);
        const QString t = pdfSzoveg(lap);
        for (const QString &s : {"Reklamációs lap", "J-00001", "2026.02.01", "Bosch – generátor", "GX-1", "Kovács Éva", "Győr",
                                 "zörög Beszállítónál", "2026.05.10", "88 000", "Alfa Kft.", "A beszállító cserét vállal",
                                 "12 500 Ft", "az ügyfél aláírása", "a szerviz részéről aláírás PH", "Saját műhely"})
            QVERIFY2(t.contains(s), qPrintable(s + "\n" + t));

        QCOMPARE(ReklamacioNyomtatas::listaPdf(QDate(2026, 5, 1), QDate(2026, 5, 31), "alfa kft.", lista), 1);
        const QString l = pdfSzoveg(lista);
        QVERIFY2(l.contains("J-00001") && l.contains("zörög Beszállítónál"), qPrintable(l));
        QVERIFY2(!l.contains("J-00002") && !l.contains("zörög Javítva"), qPrintable(l));
        QVERIFY2(l.contains("2026.05.01. – 2026.05.31., beszállító: alfa kft."), qPrintable(l));
        ReklamacioNyomtatas::listaPdf(QDate(2026, 5, 1), QDate(2026, 7, 1), {}, lista);
        const QString m = pdfSzoveg(lista);
        QVERIFY2(m.contains("J-00001") && m.contains("zörög Beérkezett") && m.contains("zörög Javítva"), qPrintable(m));
        QVERIFY(m.contains("minden beszállító"));
    }
};

int main(int argc, char *argv[])
{
    const int masik = MasikProgramFuttat(argc, argv);
    if (masik >= 0)
        return masik;
    QApplication app(argc, argv);
    ReklamacioTeszt t;
    return QTest::qExec(&t, argc, argv);
}

#include "tst_reklamacio.moc"
