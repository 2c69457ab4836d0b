#include "Adatbazis.h"
#include "Export.h"
#include "Lekerdezes.h"
#include "Mezo.h"
#include "Sema.h"
#include "StoreHiba.h"
#include "Tabla.h"
#include "TesztKornyezet.h"
#include "Tfrm_Hatarolt.h"

#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QStringEncoder>
#include <QTest>

namespace {

QByteArray olvas(const QString &ut)
{
    QFile f(ut);
    if (!f.open(QIODevice::ReadOnly))
        return "<nincs fájl>";
    return f.readAll();
}

QByteArray cp(const char *utf8) { return QByteArray::fromHex(QByteArray(utf8)); }

// Two brands, a part, a customer and letters of both kinds.
void alapAdatok()
{
    Adatbazis::vegrehajt("INSERT INTO marka (marka, marka_nev) VALUES (1, 'Bosch'), (2, 'Fő \"Gyár\"; ű')");
    Adatbazis::vegrehajt("INSERT INTO alkatresz (alkatresz, alkatresz_nev) VALUES (7, 'Generátor')");
    Adatbazis::vegrehajt("INSERT INTO ugyfel (ugyfel, ugyfel_nev) VALUES (3, 'Kő Ödön')");
    Adatbazis::vegrehajt("INSERT INTO doksi (doksi, doksi_id, datum, dorvido, marka, alkatresz, rendszam, ugyfel,"
                         " sorozatszam, prntip, ft_varhato, dat_beerk) VALUES"
                         " (1, 5, '2026-03-04', '1 év', 2, 7, 'ABC-123', 3, 'a,b', 'J', 12000, NULL),"
                         " (2, 6, '2026-03-05', NULL, 1, NULL, 'O''B', NULL, NULL, 'J', NULL, '2026-12-31'),"
                         " (3, 1, '2025-01-02', NULL, NULL, NULL, 'SSS', NULL, NULL, 'S', NULL, NULL),"
                         " (4, 2, '2025-01-03', NULL, NULL, NULL, 'TTT', NULL, NULL, 'S', NULL, NULL)");
}

const QStringList LISTA_FEJLEC = {"doksi", "ID", "dátum", "dorv.idő", "marka", "márka", "alkatresz", "alkatrész",
                                  "rendszám", "ugyfel", "ügyfél", "sorozatszám", "prntip", "km.óra", "egyéb jav.",
                                  "várható ár", "sérülések", "hiba", "beérkezett", "független hiba", "okmányok",
                                  "hiba1", "hiba2", "hiba3", "befejezés", "megjegyzes", "elvjavitas"};

QByteArray sor(const QStringList &szovegek, const QString &elv, const QString &jel)
{
    QString s;
    for (const QString &t : szovegek)
        s += jel + t + jel + elv;
    QStringEncoder e("windows-1250");
    return e.encode(s + "\r\n");
}

QStringList uresek(int n) { return QStringList(n, QString()); }

} // namespace

class ExportTeszt : public QObject {
    Q_OBJECT

private slots:
    void initTestCase_data() { TesztKornyezet::motorok(); }
    void init()
    {
        if (const QString h = TesztKornyezet::szerverHiba(); !h.isEmpty())
            QSKIP(qPrintable(h));
    }

    void fejlecALevelListan()
    {
        TesztKornyezet k;
        Tabla t("doksi");
        LevelListaKurzor(t, "J");
        t.megnyit();
        QCOMPARE(HataroltFejlec(t), LISTA_FEJLEC);
        QCOMPARE(HataroltMezok(t).mid(4, 3), QStringList({"marka", "marka_nev", "alkatresz"}));
    }

    void formatumok_data()
    {
        QTest::addColumn<QString>("elv");
        QTest::addColumn<QString>("jel");
        QTest::addColumn<QByteArray>("masodikSor");
        // the letter with the highest number comes first; values hold ; " ' and , so the
        // rows show what each separator and qualifier do to them
        QTest::newRow("pontosvessző, idézőjel")
            << ";" << "\"" << sor(QStringList{"2", "6", "2026.03.05.", "", "1", "Bosch", "", "", "O'B"} + uresek(3)
                                      + QStringList{"J"} + uresek(5) + QStringList{"2026.12.31."} + uresek(8), ";", "\"");
        QTest::newRow("tabulátor, aposztróf")
            << "\t" << "'" << sor(QStringList{"2", "6", "2026.03.05.", "", "1", "Bosch", "", "", "O''B"} + uresek(3)
                                      + QStringList{"J"} + uresek(5) + QStringList{"2026.12.31."} + uresek(8), "\t", "'");
        QTest::newRow("vessző, semmi")
            << "," << "" << sor(QStringList{"2", "6", "2026.03.05.", "", "1", "Bosch", "", "", "O'B"} + uresek(3)
                                     + QStringList{"J"} + uresek(5) + QStringList{"2026.12.31."} + uresek(8), ",", "");
    }

    void formatumok()
    {
        QFETCH(QString, elv);
        QFETCH(QString, jel);
        QFETCH(QByteArray, masodikSor);
        TesztKornyezet k;
        alapAdatok();
        Tabla t("doksi");
        LevelListaKurzor(t, "J");
        t.megnyit();
        const QString ut = QDir(k.programMappa()).filePath("ki.csv");
        const ExportEredmeny e = HataroltIr(t, ut, elv, jel.isEmpty() ? QChar() : jel[0]);
        QCOMPARE(e.sorok, 2);
        QVERIFY(!e.megallitva);
        const QList<QByteArray> sorok = olvas(ut).split('\n');
        QCOMPARE(sorok.size(), 4);   // three lines and the empty piece after the last line feed
        QCOMPARE(sorok[0] + '\n', sor(LISTA_FEJLEC, elv, jel));
        QCOMPARE(sorok[1] + '\n', masodikSor);
        QVERIFY(sorok[2].endsWith((elv + "\r").toLatin1()));
        QVERIFY(sorok[3].isEmpty());
        QVERIFY(!olvas(ut).startsWith("\xEF\xBB\xBF"));
        QCOMPARE(t.sor(), 1);   // left on the last row
    }

    // A qualifier inside a value is doubled, so the column reads back whole; without a
    // qualifier the text stays as it is. ő and ű are single 1250 bytes.
    void jelolesEsKodlap_data()
    {
        QTest::addColumn<QString>("jel");
        QTest::addColumn<QByteArray>("marka");
        QTest::addColumn<QByteArray>("ugyfel");
        QTest::newRow("idézőjel") << "\"" << cp("22 46 F5 20 22 22 47 79 E1 72 22 22 3B 20 FB 22")
                                 << cp("22 4B F5 20 D6 64 F6 6E 22");
        QTest::newRow("aposztróf") << "'" << cp("27 46 F5 20 22 47 79 E1 72 22 3B 20 FB 27")
                                  << cp("27 4B F5 20 D6 64 F6 6E 27");
        QTest::newRow("semmi") << "" << cp("46 F5 20 22 47 79 E1 72 22 3B 20 FB") << cp("4B F5 20 D6 64 F6 6E");
    }

    void jelolesEsKodlap()
    {
        QFETCH(QString, jel);
        QFETCH(QByteArray, marka);
        QFETCH(QByteArray, ugyfel);
        TesztKornyezet k;
        alapAdatok();
        Tabla t("doksi");
        LevelListaKurzor(t, "J");
        t.megnyit();
        const QString ut = QDir(k.programMappa()).filePath("ki.csv");
        HataroltIr(t, ut, "\t", jel.isEmpty() ? QChar() : jel[0]);
        const QList<QByteArray> sorok = olvas(ut).split('\n');
        const QList<QByteArray> mezok = sorok[2].split('\t');   // letter 5: brand 2, customer 3
        QCOMPARE(mezok[5], marka);
        QCOMPARE(mezok[10], ugyfel);
        QCOMPARE(mezok.last(), QByteArray("\r"));
        QCOMPARE(mezok[11], jel.isEmpty() ? QByteArray("a,b") : (jel + "a,b" + jel).toLatin1());
        QCOMPARE(mezok[15], jel.isEmpty() ? QByteArray("12000") : (jel + "12000" + jel).toLatin1());
    }

    void szereltNezet()
    {
        TesztKornyezet k;
        alapAdatok();
        Tabla t("doksi");
        LevelListaKurzor(t, "S");
        t.megnyit();
        const QString ut = QDir(k.programMappa()).filePath("s.csv");
        HataroltIr(t, ut, ";", QChar());
        const QList<QByteArray> sorok = olvas(ut).split('\n');
        QCOMPARE(sorok.size(), 4);
        QVERIFY(sorok[1].startsWith("4;2;2025.01.03.;"));
        QVERIFY(sorok[2].startsWith("3;1;2025.01.02.;"));
    }

    // The writer's texts equal the shared field conversion for the common types.
    void ertekSzovegek()
    {
        TesztKornyezet k;
        Adatbazis::vegrehajt("INSERT INTO doksi (doksi, doksi_id, datum, dat_beerk, dat_befejez, prntip, ft_varhato)"
                             " VALUES (1, -3, '0999-01-09', '2026-01-01', '9999-12-31', 'J', 0)");
        Tabla t("doksi");
        t.megnyit();
        const QString ut = QDir(k.programMappa()).filePath("e.csv");
        HataroltIr(t, ut, ";", QChar());
        const QList<QByteArray> mezok = olvas(ut).split('\n')[1].split(';');
        for (const char *m : {"doksi_id", "datum", "dat_beerk", "dat_befejez", "ft_varhato", "kmora"}) {
            const int i = HataroltMezok(t).indexOf(m);
            QCOMPARE(QString::fromLatin1(mezok[i]), MezoSzoveg(t.ertek(m)));
        }
    }

    void dialogusTeljesFutas()
    {
        TesztKornyezet k;
        alapAdatok();
        Tabla t("doksi");
        LevelListaKurzor(t, "J");
        t.megnyit();
        const QString ut = QDir(k.programMappa()).filePath("DorvPrg.CSV");
        Tfrm_Hatarolt d(t, ut);
        QVERIFY(d.rbPontosvesszo->isChecked() && d.rbIdezojel->isChecked());
        QVERIFY(!d.btnMegallit->isEnabled());
        QVERIFY(d.btnExport->isDefault());
        d.rbVesszo->setChecked(true);
        d.rbSemmi->setChecked(true);
        d.btnExport->click();
        QCOMPARE(k.szovegek(), QStringList{ut + " file export kész."});
        QVERIFY(olvas(ut).startsWith("doksi,ID,"));
        QCOMPARE(olvas(ut).count("\r\n"), 3);
        QCOMPARE(t.sor(), 1);
        QVERIFY(!d.btnMegallit->isEnabled());
        QCOMPARE(d.pbHaladas->value(), 0);
    }

    void dialogusHibak()
    {
        TesztKornyezet k;
        alapAdatok();
        Tabla t("doksi");
        LevelListaKurzor(t, "J");
        t.megnyit();
        Tfrm_Hatarolt d(t, "");
        d.btnExport->click();
        QCOMPARE(k.szovegek(), QStringList{"Nincs filenév megadva."});
        // a file that cannot be created: the error, the old file (if any) untouched
        k.uzenetekTorol();
        d.edFajl->setText(QDir(k.programMappa()).filePath("nincs/ilyen/mappa.csv"));
        d.btnExport->click();
        QCOMPARE(k.szovegek().size(), 1);
        QVERIFY(k.szovegek()[0].startsWith("Hiba: "));
        QVERIFY(!d.btnMegallit->isEnabled());
        QVERIFY(!d.fut());
    }

    // "Megállít" after three rows: the header and exactly those rows, completion reported,
    // the cursor on the first row not written.
    void megallitas()
    {
        TesztKornyezet k;
        {
            Adatbazis::Tranzakcio tr;
            for (int i = 1; i <= 50; ++i)
                Adatbazis::vegrehajt("INSERT INTO doksi (doksi_id, prntip, rendszam) VALUES (?, 'J', ?)",
                                     {i, QString("R%1").arg(i)});
            tr.commit();
        }
        Tabla t("doksi");
        LevelListaKurzor(t, "J");
        t.megnyit();
        const QString ut = QDir(k.programMappa()).filePath("stop.csv");
        QFile regi(ut);
        QVERIFY(regi.open(QIODevice::WriteOnly));
        regi.write("régi tartalom, felülíródik");
        regi.close();
        Tfrm_Hatarolt d(t, ut);
        connect(d.pbHaladas, &QProgressBar::valueChanged, &d, [&d](int v) {
            QVERIFY(d.btnMegallit->isEnabled());
            if (v == 3)
                d.btnMegallit->click();
        });
        d.btnExport->click();
        const QList<QByteArray> sorok = olvas(ut).split('\n');
        QCOMPARE(sorok.size(), 5);
        QVERIFY(sorok[1].contains("\"R50\""));
        QVERIFY(sorok[3].contains("\"R48\""));
        QCOMPARE(k.szovegek(), QStringList{ut + " file export kész."});
        QCOMPARE(t.sor(), 3);
        QVERIFY(!d.btnMegallit->isEnabled());
    }

    void uresAdathalmaz()
    {
        TesztKornyezet k;
        Tabla t("doksi");
        LevelListaKurzor(t, "S");
        t.megnyit();
        const QString ut = QDir(k.programMappa()).filePath("ures.csv");
        Tfrm_Hatarolt d(t, ut);
        d.rbTabulator->setChecked(true);
        d.rbAposztrof->setChecked(true);
        d.btnExport->click();
        QCOMPARE(olvas(ut), sor(LISTA_FEJLEC, "\t", "'"));
        QCOMPARE(k.szovegek(), QStringList{ut + " file export kész."});
    }

    // The list is written from the stored bytes straight into 1250; the rows go out as the
    // writer of a list of letters by key writes them (each value as the cursor holds it), on
    // values that test every step: qualifiers, separators, line breaks, backslashes, empty
    // texts and nulls, characters outside the code page and beyond 16 bits, lookups from
    // memory and joined, and on SQLite values stored in another type than their field's.
    void bajtUtMintAKurzor_data()
    {
        QTest::addColumn<QString>("elv");
        QTest::addColumn<QString>("jel");
        QTest::newRow("pontosvessző, idézőjel") << ";" << "\"";
        QTest::newRow("tabulátor, aposztróf") << "\t" << "'";
        QTest::newRow("vessző, semmi") << "," << "";
    }

    void bajtUtMintAKurzor()
    {
        QFETCH(QString, elv);
        QFETCH(QString, jel);
        TesztKornyezet k;
        Adatbazis::vegrehajt("INSERT INTO marka (marka, marka_nev) VALUES (1, ?), (2, ?)",
                             {QString::fromUtf8("Fő \"Gyár\"; 'x', ű\\N"), QString::fromUtf8("中文 😀 Жук")});
        // a key far above the letters: this lookup is joined, not read into memory
        Adatbazis::vegrehajt("INSERT INTO ugyfel (ugyfel, ugyfel_nev) VALUES (100000, ?)",
                             {QString::fromUtf8("Kő\tÖdön\r\n\\ \"B\" ő")});
        const QStringList szovegek = {QString::fromUtf8("a;b,c\td\r\ne\"f'g"), QString::fromUtf8("\\N"),
                                      QString::fromUtf8("ü\\x41\\101 € „x” ’"), QString::fromUtf8("𝄞 Ж 中 ø"),
                                      QString(), QString("")};
        for (int i = 0; i < szovegek.size(); ++i)
            Adatbazis::vegrehajt(QString("INSERT INTO doksi (doksi_id, datum, dat_beerk, prntip, marka, ugyfel, rendszam,"
                                         " sorozatszam, megjegyzes, kmora) VALUES (?, %1, NULL, 'J', ?, ?, ?, ?, ?, ?)")
                                     .arg(i == 1 ? "'0999-01-09'" : i == 2 ? "NULL" : "'2026-03-04'"),
                                 {i + 1, i % 3 == 2 ? QVariant() : QVariant(i % 2 + 1), i % 2 ? QVariant(100000) : QVariant(7),
                                  szovegek[i], szovegek[(i + 1) % szovegek.size()], szovegek[i], i * 1000});
        if (Adatbazis::motor() == Adatbazis::Motor::SQLite)
            Adatbazis::vegrehajt("INSERT INTO doksi (doksi_id, datum, dat_beerk, dat_befejez, prntip, kmora, ft_varhato,"
                                 " dorvido, rendszam) VALUES (20, '2024-02-30', 'abc', 20240101, 'J', '12abc',"
                                 " 5000000000, 12.5, 42)");
        Tabla t("doksi");
        LevelListaKurzor(t, "J");
        t.megnyit();
        QList<qint64> kulcsok;
        for (int i = 0; i < t.rekordSzam(); ++i)
            kulcsok << t.ertekSor(i, "doksi").toLongLong();
        const QChar j = jel.isEmpty() ? QChar() : jel[0];
        const QString ut = QDir(k.programMappa()).filePath("bajt.csv"), ut2 = QDir(k.programMappa()).filePath("szoveg.csv");
        QCOMPARE(HataroltIr(t, ut, elv, j).sorok, kulcsok.size());
        QCOMPARE(HataroltLevelekIr(kulcsok, {}, [](int) { return QStringList(); }, ut2, elv, j).sorok, kulcsok.size());
        QCOMPARE(olvas(ut), olvas(ut2));
        // by key, in the order asked: an unknown key is left out, no key gives the header alone
        {
            const auto kulcsokkal = [&](const QList<qint64> &d, const QString &nev) {
                const QString u = QDir(k.programMappa()).filePath(nev);
                HataroltLevelekIr(d, {}, [](int) { return QStringList(); }, u, elv, j);
                return olvas(u);
            };
            const QByteArray fejlec = kulcsokkal({}, "ures.csv");
            QVERIFY(olvas(ut).startsWith(fejlec));
            QList<qint64> forditva(kulcsok.rbegin(), kulcsok.rend());
            QByteArray vart = fejlec;
            for (const qint64 d : forditva)
                vart += kulcsokkal({d}, "egy.csv").mid(fejlec.size());
            forditva.insert(1, kulcsok.last() + 1000);
            QCOMPARE(kulcsokkal(forditva, "forditva.csv"), vart);
        }
        // a closed cursor (the command line's): no keys read, on the server the store's own
        // connection streams the rows, and it is free again afterwards
        {
            Tabla zart("doksi");
            LevelListaKurzor(zart, "J");
            const QString ut3 = QDir(k.programMappa()).filePath("zart.csv");
            QCOMPARE(HataroltIr(zart, ut3, elv, j).sorok, kulcsok.size());
            QVERIFY(!zart.nyitva());
            QCOMPARE(olvas(ut3), olvas(ut));
            QCOMPARE(Adatbazis::ertek("SELECT count(*) FROM doksi").toInt(), kulcsok.size());
        }
        // and the cursor's own values, as the grid shows them
        QString vart;
        for (const QString &c : HataroltFejlec(t))
            vart += jel + c + jel + elv;
        vart += "\r\n";
        const QStringList mezok = HataroltMezok(t);
        for (int i = 0; i < t.rekordSzam(); ++i) {
            for (const QString &m : mezok) {
                const MezoLeiras *ml = t.leiras().mezo(m);
                QString v = ml && ml->tipus == MezoTipus::Memo ? QString("BLOB") : MezoSzoveg(t.ertekSor(i, m));
                if (!jel.isEmpty())
                    v.replace(jel, jel + jel);
                vart += jel + v + jel + elv;
            }
            vart += "\r\n";
        }
        QCOMPARE(olvas(ut), QStringEncoder("windows-1250").encode(vart));
    }

    void csvMentes()
    {
        TesztKornyezet k;
        Adatbazis::vegrehajt("INSERT INTO doksi_megj (doksi, datum, rovid, megjegyzes) VALUES"
                             " (1, '2026-02-03', 'ő|ű', 'első sor\r\nmásik \"sor\"')");
        const QString ut = QDir(k.programMappa()).filePath("q.csv");
        // a closed query is opened for the file and closed again
        Lekerdezes q("SELECT rovid, datum, megjegyzes, doksi FROM doksi_megj");
        CsvMentes(q, ut, "|");
        QVERIFY(!q.nyitva());
        QByteArray vart = "rovid|datum|megjegyzes|doksi|\r\n";
        vart += cp("F5 7C FB") + "|2026.02.03.|" + cp("65 6C 73 F5") + " sor\r\nm" + cp("E1") + "sik \"sor\"|1|\r\n";
        QCOMPARE(olvas(ut), vart);

        // an open query stays open, its current row stays, all rows are written
        Lekerdezes q2("SELECT 1 AS a, 'x' AS b UNION ALL SELECT 2, NULL");
        q2.megnyit();
        q2.elso();
        q2.kovetkezo();
        CsvMentes(q2, ut, "|");
        QVERIFY(q2.nyitva());
        QCOMPARE(q2.ertek("a").toInt(), 2);
        QCOMPARE(olvas(ut), QByteArray("a|b|\r\n1|x|\r\n2||\r\n"));

        // a file that cannot be created
        Lekerdezes q3("SELECT 1 AS a");
        CsvMentes(q3, QDir(k.programMappa()).filePath("nincs/x.csv"), ";");
        QCOMPARE(k.szovegek().size(), 1);
        QVERIFY(k.szovegek()[0].startsWith("File megnyitási hiba\r\n"));
        QVERIFY(!q3.nyitva());
    }
};

QTEST_MAIN(ExportTeszt)
#include "tst_export.moc"
