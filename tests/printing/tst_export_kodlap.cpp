#include "Adatbazis.h"
#include "Export.h"
#include "HuSzoveg.h"
#include "Tabla.h"
#include "TesztKornyezet.h"

#include <QDir>
#include <QFile>
#include <QTest>

// The export writes code page 1250 by a table of its own: every character must come out as
// the code page's encoder writes it, those outside the code page and beyond 16 bits too,
// in every piece of a long file.
class ExportKodlapTeszt : public QObject {
    Q_OBJECT

private slots:
    void mintAKodolo_data()
    {
        QTest::addColumn<QString>("szoveg");
        QTest::newRow("magyar betűk, euró") << QString::fromUtf8("Ő ű Á é € „x” – ä");
        QTest::newRow("a kódlapon kívül") << QString::fromUtf8("Жук 中文 ø");
        QTest::newRow("16 biten túl") << QString::fromUtf8("𝄞 kulcs 😀");
    }

    void mintAKodolo()
    {
        QFETCH(QString, szoveg);
        TesztKornyezet k;
        // enough letters for the file to be written in several pieces
        Adatbazis::vegrehajt("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 3000)"
                             " INSERT INTO doksi (doksi_id, prntip, sorozatszam, hibajelenseg) SELECT i, 'J', ?, 'Rendben' FROM n",
                             {szoveg});
        Tabla t("doksi");
        LevelListaKurzor(t, "J");
        t.megnyit();
        const QString ut = QDir(k.programMappa()).filePath("ki.csv");
        QCOMPARE(HataroltIr(t, ut, "\t", '"').sorok, 3000);
        QFile f(ut);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QList<QByteArray> sorok = f.readAll().split('\n');
        QCOMPARE(sorok.size(), 3002);
        const QByteArray vart = HuSzoveg::kodol1250('"' + szoveg + '"');
        for (int i = 1; i <= 3000; ++i) {
            const QList<QByteArray> mezok = sorok[i].split('\t');
            QCOMPARE(mezok.value(11), vart);
            QCOMPARE(mezok.value(17), QByteArray("\"Rendben\""));
        }
    }
};

QTEST_MAIN(ExportKodlapTeszt)
#include "tst_export_kodlap.moc"
