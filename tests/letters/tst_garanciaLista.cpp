#include "Adatbazis.h"
#include "Garancia.h"
#include "GaranciaKereso.h"
#include "ProgramFutas.h"
#include "TesztKornyezet.h"
#include "ReklamacioNyomtatas.h"
#include "Tfrm_GaranciaEllenorzes.h"
#include "Tfrm_Hatarolt.h"
#include "Tfrm_LejaroGaranciak.h"

#include <QLineEdit>
#include <QTableWidget>

#include <QFile>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

// The counter's question and the worklist on a generated register, against a plain reading
// of every letter judged by the rule itself.
class GaranciaListaTeszt : public QObject {
    Q_OBJECT

    inline static const QStringList IDOK = {"1 hó",   "1 hónap", "6 hónap", "1 év",   "1,5 év", "2 év vagy 20000 km",
                                            "30 nap", "2 hét",   "élettartam", "sokáig", "3 HÓNAPOS"};

    // 600 letters of both kinds over three years, month ends and leap days among the dates
    static void regiszter()
    {
        Adatbazis::Tranzakcio t;
        for (int u = 1; u <= 5; ++u)
            Adatbazis::vegrehajt("INSERT INTO ugyfel (ugyfel, ugyfel_nev, telefon, emil) VALUES (?, ?, ?, ?)",
                                 {u, QString("Ügyfél %1 Kft.").arg(u), QString("+36 1 %1").arg(u), QString("u%1@p.hu").arg(u)});
        for (int i = 1; i <= 600; ++i) {
            const QDate d = i % 37 == 0 ? QDate() : QDate(2023, 12, 31).addDays((i * 7919) % 1100);
            Adatbazis::vegrehajt("INSERT INTO doksi (doksi, doksi_id, prntip, datum, dorvido, ugyfel, sorozatszam, rendszam, kmora) "
                                 "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)",
                                 {i, (i + 1) / 2, i % 2 ? "J" : "S", d.isValid() ? QVariant(d.toString(Qt::ISODate)) : QVariant(),
                                  IDOK[i % IDOK.size()], 1 + i % 5, QString("SN%1").arg(i % 300, 4, 10, QChar('0')),
                                  QString("ABC-%1").arg(i), QString::number(i * 100)});
        }
        t.commit();
    }

private slots:
    void initTestCase_data() { TesztKornyezet::motorok(); }
    void init()
    {
        if (const QString h = TesztKornyezet::szerverHiba(); !h.isEmpty())
            QSKIP(qPrintable(h));
    }

    void lejarok()
    {
        TesztKornyezet k;
        regiszter();
        const QDate ma(2025, 2, 28);
        QList<QPair<QDate, QString>> minden;   // end date, kind and letter
        for (QSqlQuery q = Adatbazis::lekerdez("SELECT doksi, prntip, datum, dorvido FROM doksi"); q.next();) {
            const auto v = Garancia::vege(QDate::fromString(q.value(2).toString().left(10), Qt::ISODate),
                                          Garancia::ertelmez(q.value(3).toString()));
            if (v)
                minden << qMakePair(*v, q.value(1).toString() + q.value(0).toString());
        }
        const struct { QDate tol, ig; const char *tipus; } esetek[] = {
            {ma, ma.addDays(90), ""},                       {ma, ma.addDays(30), "J"},
            {ma.addDays(-60), ma.addDays(-1), "S"},         {QDate(2024, 2, 29), QDate(2024, 2, 29), ""},
            {QDate(2024, 1, 31), QDate(2024, 3, 31), ""},   {QDate(2020, 1, 1), QDate(2030, 1, 1), ""},
            {QDate(2026, 2, 28), QDate(2026, 3, 1), "S"},
        };
        for (const auto &e : esetek) {
            QStringList vart, kapott;
            for (const auto &m : minden)
                if (m.first >= e.tol && m.first <= e.ig && m.second.startsWith(e.tipus))
                    vart << m.second;
            QDate elozo;
            for (const GaranciaSor &s : GaranciaKereso::lejarok(e.tol, e.ig, e.tipus, ma)) {
                kapott << s.prntip + QString::number(s.doksi);
                QVERIFY(!elozo.isValid() || elozo <= s.allapot.veg);   // by end date
                elozo = s.allapot.veg;
                QCOMPARE(s.email, QString("u%1@p.hu").arg(1 + s.doksi % 5));
            }
            vart.sort();
            kapott.sort();
            QCOMPARE(kapott, vart);
            QVERIFY(!vart.isEmpty() || e.tol == e.ig);
        }
    }

    void keres()
    {
        TesztKornyezet k;
        regiszter();
        const QDate ma(2025, 2, 28);
        // serial numbers repeat every 300 letters: both, newest first; letter case ignored
        QList<GaranciaSor> s = GaranciaKereso::keres("sn0007", ma);
        QCOMPARE(s.size(), 2);
        QVERIFY(s[0].datum >= s[1].datum);
        QCOMPARE(s[0].allapot, Garancia::allapot(s[0].datum, s[0].dorvido, ma, s[0].prntip == "S" ? s[0].kmora : QString()));
        // a registration exactly, a customer's name by its beginning, a number of both kinds
        QCOMPARE(GaranciaKereso::keres("ABC-12", ma).size(), 1);
        QCOMPARE(GaranciaKereso::keres("ügyfél 3", ma).size(), 120);
        s = GaranciaKereso::keres("No:00012", ma);
        QCOMPARE(s.size(), 2);
        QCOMPARE(QSet<QString>({s[0].prntip, s[1].prntip}), QSet<QString>({"J", "S"}));
        // the code of a certificate's QR code: that letter alone, as the quick search reads it
        s = GaranciaKereso::keres(" dorv:s:00012 ", ma);
        QCOMPARE(s.size(), 1);
        QCOMPARE(s[0].prntip + QString::number(s[0].doksiId), QString("S12"));
        QVERIFY(GaranciaKereso::keres("DORV:J:99999", ma).isEmpty());
        QVERIFY(GaranciaKereso::keres("nincs ilyen", ma).isEmpty());
        QVERIFY(GaranciaKereso::keres("'; DROP TABLE doksi; --", ma).isEmpty());
        QCOMPARE(Adatbazis::ertek("SELECT count(*) FROM doksi").toInt(), 600);
    }

    // The window: a scanned text and Enter lists the letters, Enter on the list chooses one.
    void ablak()
    {
        TesztKornyezet k;
        regiszter();
        Tfrm_GaranciaEllenorzes w;
        w.show();
        w.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        QTest::keyClicks(w.Edit1, "SN0007");
        QTest::keyClick(w.Edit1, Qt::Key_Return);
        QCOMPARE(w.Grid->rowCount(), 2);
        const GaranciaSor elso = w.sorok().first();
        QCOMPARE(w.Grid->item(0, 8)->text(), Garancia::szoveg(elso.allapot));
        QCOMPARE(w.Grid->item(0, 6)->text(), QString("SN0007"));
        QVERIFY(w.Grid->hasFocus());
        // the next scan while the list has the focus: a code goes to its letter
        QTest::keyClicks(w.Grid, "DORV:J:00012");
        QCOMPARE(w.Edit1->text(), QString("DORV:J:00012"));
        QTest::keyClick(w.Edit1, Qt::Key_Return);
        QCOMPARE(w.Grid->rowCount(), 1);
        QCOMPARE(w.sorok()[0].prntip + QString::number(w.sorok()[0].doksiId), QString("J12"));
        QVERIFY(w.isVisible());
        QTest::keyClicks(w.Grid, "SN0007");
        QTest::keyClick(w.Edit1, Qt::Key_Return);
        QCOMPARE(w.Grid->rowCount(), 2);
        QTest::keyClick(w.Grid, Qt::Key_Down);
        QTest::keyClick(w.Grid, Qt::Key_Return);
        QCOMPARE(w.result(), int(QDialog::Accepted));
        QCOMPARE(w.valasztott().doksi, w.sorok()[1].doksi);
        QTest::keyClicks(w.Edit1, "semmi");
        QTest::keyClick(w.Edit1, Qt::Key_Return);
        QCOMPARE(w.Grid->rowCount(), 0);
    }

    // The worklist window of today: its rows through the export dialog with the end date
    // last, and printed as a list.
    void lejaroAblak()
    {
        TesztKornyezet k;
        regiszter();
        const QDate ma = QDate::currentDate();
        Tfrm_LejaroGaranciak w;
        const QList<GaranciaSor> vart = GaranciaKereso::lejarok(ma, ma.addDays(90), {}, ma);
        QVERIFY(!vart.isEmpty());
        QCOMPARE(w.Grid->rowCount(), int(vart.size()));
        QCOMPARE(w.sorok().first().doksi, vart.first().doksi);

        const QString fajl = k.programMappa() + "/lejaro.txt";
        TesztKornyezet::modalisan([&](QWidget *d) {
            auto *e = qobject_cast<Tfrm_Hatarolt *>(d);
            QVERIFY(e);
            e->rbTabulator->setChecked(true);
            e->rbSemmi->setChecked(true);
            e->edFajl->setText(fajl);
            e->btnExport->click();
            e->reject();
        });
        w.btnExport->click();
        QCOMPARE(k.szovegek(), QStringList{fajl + " file export kész."});
        QFile be(fajl);
        QVERIFY(be.open(QIODevice::ReadOnly));
        const QList<QByteArray> sorok = be.readAll().split('\n');
        QCOMPARE(sorok.size() - 2, int(vart.size()));
        QVERIFY(sorok.first().endsWith("\tgarancia v\xe9ge\t\r"));
        QVERIFY(sorok[1].endsWith("\t" + Garancia::datumSzoveg(vart.first().allapot.veg).toLatin1() + "\t\r"));

        const QString pdf = k.programMappa() + "/lejaro.pdf";
        QVERIFY(GaranciaNyomtatas::lejaroPdf(GaranciaKereso::nyomtatasra(w.sorok()), "garancia vége 90 nap", pdf) >= 1);
        QProcess p;
        p.start("pdftotext", {"-layout", pdf, "-"});
        QVERIFY(p.waitForFinished(60000));
        const QString szoveg = QString::fromUtf8(p.readAllStandardOutput());
        const GaranciaSor &elso = vart.first();
        for (const QString &t : {QString("Lejáró garanciák"), QString("garancia vége 90 nap"),
                                 QString("%1-%2").arg(elso.prntip).arg(elso.doksiId, 5, 10, QChar('0')),
                                 Garancia::datumSzoveg(elso.allapot.veg), elso.telefon, elso.email,
                                 Garancia::szoveg(elso.allapot)})
            QVERIFY2(szoveg.contains(t), qPrintable(t + "\n" + szoveg.left(2000)));
    }

    // The two command lines on the same register.
    void parancssor()
    {
        TesztKornyezet k;
        regiszter();
        k.iniIr();
        Adatbazis::bezar();
        ProgramFutas f = ProgramFuttat(k.programMappa(), {"--warranty", "ABC-24"});
        QVERIFY2(f.kod == 0, qPrintable(f.hiba + f.ki));
        const QStringList r = f.ki.trimmed().split('\t');
        QCOMPARE(r.size(), 7);
        QCOMPARE(r.mid(0, 2), QStringList({"S", "12"}));
        QCOMPARE(r[3], IDOK[24 % IDOK.size()]);
        f = ProgramFuttat(k.programMappa(), {"--warranty", "semmi ilyen"});
        QCOMPARE(f.kod, 1);
        QVERIFY(f.ki.isEmpty());

        const QString fajl = k.programMappa() + "/lejaro.csv";
        f = ProgramFuttat(k.programMappa(), {"--expiring", "2025-01-01", "2025-03-31", fajl});
        QVERIFY2(f.kod == 0, qPrintable(f.hiba));
        QFile be(fajl);
        QVERIFY(be.open(QIODevice::ReadOnly));
        const QList<QByteArray> sorok = be.readAll().split('\n');
        QVERIFY(sorok.first().endsWith("\"garancia v\xe9ge\";\r"));   // code page 1250, as the export
        Adatbazis::megnyit(k.adatMappa(), k.kapcsolat());
        const int n = GaranciaKereso::lejarok(QDate(2025, 1, 1), QDate(2025, 3, 31), {}, QDate(2025, 1, 1)).size();
        QVERIFY(n > 0);
        QCOMPARE(sorok.size() - 2, n);   // title line, and the empty piece after the last line end
        for (int i = 1; i < sorok.size() - 1; ++i) {
            const QList<QByteArray> mezok = sorok[i].trimmed().split(';');
            const QDate veg = QDate::fromString(QString(mezok[mezok.size() - 2]).remove('"'), "yyyy.MM.dd.");
            QVERIFY2(veg >= QDate(2025, 1, 1) && veg <= QDate(2025, 3, 31), sorok[i].constData());
        }
        QCOMPARE(ProgramFuttat(k.programMappa(), {"--expiring", "2025-02-30", "2025-03-31", fajl}).kod, 2);
    }
};

QTEST_MAIN(GaranciaListaTeszt)
#include "tst_garanciaLista.moc"
