// Times the import of an earlier program's register: writes Paradox tables with pxlib (letters,
// their brands, parts, customers, notes with memos and documents), then imports them.
//   bench_import [LETTERS [FOLDER]]   default 100000 letters in a temporary folder; a FOLDER
//   that already holds the tables is imported again as it is (pxlib writes big tables slowly)
#include "../tests/store/tst_paradoxIro.h"
#include "ParadoxImport.h"
#include "Sema.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTextStream>

namespace {

QTextStream ki(stdout);

const QStringList NEVEK = {"Kovács", "Szabó", "Tóth", "Horváth", "Kiss", "Molnár", "Németh", "Farkas", "Balogh", "Papp"};
const QStringList ALKATRESZEK = {"fékbetét", "féktárcsa", "lengéscsillapító", "kuplungszett", "vezérműszíj",
                                 "akkumulátor", "kipufogódob", "gyújtógyertya", "olajszűrő", "generátor"};

QString nev(int i) { return NEVEK[i % NEVEK.size()] + ' ' + NEVEK[(i / 10) % NEVEK.size()] + QString(" %1").arg(i); }

void tabla(const QString &mappa, const QString &t, int n, const std::function<QVariantList(int)> &sor)
{
    const TablaLeiras &l = *Sema::tabla(t);
    bool memo = false;
    for (const MezoLeiras &m : l.mezok)
        memo = memo || m.tipus == MezoTipus::Memo;
    const QString ut = QDir(mappa).filePath(t + ".DB");
    PxIro iro(ut, pxMezok(l, 60), memo ? QDir(mappa).filePath(t + ".MB") : QString());
    for (int i = 0; i < n; ++i)
        iro.sor(sor(i));
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const int n = argc > 1 ? QString(argv[1]).toInt() : 100000;
    const int marka = 300, alkatresz = 5000, ugyfel = 20000, megjegyzes = n / 5, csatolt = n / 10;
    QTemporaryDir dir;
    const QString m = argc > 2 ? QString(argv[2]) : dir.path();
    QDir().mkpath(m);
    QFile::remove(QDir(m).filePath("dorvprg.db"));
    QElapsedTimer ora;
    ora.start();
    if (!QFile::exists(QDir(m).filePath("doksi.DB"))) {
    tabla(m, "marka", marka, [](int i) { return QVariantList{i + 1, QString("Márka %1").arg(i), i % 48}; });
    tabla(m, "alkatresz", alkatresz, [](int i) {
        return QVariantList{i + 1, QString("%1 %2").arg(ALKATRESZEK[i % ALKATRESZEK.size()]).arg(i)};
    });
    tabla(m, "ugyfel", ugyfel, [](int i) {
        return QVariantList{i + 1, nev(i), "06-1-234-5678", "06-30-123-4567", {}, QString("ugyfel%1@pelda.hu").arg(i),
                            {}, "1234", "Budapest", QString("Fő utca %1.").arg(i % 200), nev(i + 7)};
    });
    tabla(m, "doksi", n, [&](int i) {
        const QDate d = QDate(2000, 1, 1).addDays(i / 20);
        return QVariantList{i + 1, i / 2 + 1, d, "1 év", i % marka + 1, i % alkatresz + 1,
                            QString("ABC-%1").arg(i % 1000, 3, 10, QChar('0')), i % ugyfel + 1,
                            QString("SN%1-őű").arg(i * 7), i % 2 ? "S" : "J", QString::number(i * 13 % 300000),
                            "olajcsere", (i % 50) * 1000, "bal első sárvédő karcos", "kopog a futómű", d,
                            {}, "forgalmi engedély", "csapágy", {}, {}, d.addDays(3), "Köszönjük a bizalmat!", "futómű javítás"};
    });
    tabla(m, "doksi_megj", megjegyzes, [&](int i) {
        // a third of the notes outgrow the in-record part and live in the memo file
        const QString memo = i % 3 ? QString("Rövid megjegyzés %1").arg(i)
                                   : QString("Hosszú megjegyzés árvíztűrő tükörfúrógép %1. ").arg(i).repeated(8);
        return QVariantList{i + 1, i * 5 % n + 1, QDate(2010, 1, 1).addDays(i % 4000), "telefonált", memo};
    });
    tabla(m, "megj", csatolt, [&](int i) {
        return QVariantList{i + 1, i * 10 % n + 1, QString("C:\\Dokumentumok\\számla_%1.pdf").arg(i), "számla",
                            QDate(2012, 1, 1).addDays(i % 3000)};
    });
    tabla(m, "felhasznalo", 3, [](int i) { return QVariantList{QString("user%1").arg(i), nev(i), "titok", "I", "I"}; });
    tabla(m, "beallit", 1, [](int) { return QVariantList{1, "N"}; });
    tabla(m, "tulajdonos", 1, [](int) { return QVariantList{"Teszt Autószerviz Kft.", "06-1-111-2222"}; });
    }
    ki << "Paradox tables written in " << ora.elapsed() << " ms (" << n << " letters, " << megjegyzes << " notes, "
       << ugyfel << " customers)\n";
    ki.flush();

    ora.restart();
    qint64 utolso = -1;
    const ParadoxImport::Eredmeny e = ParadoxImport::importal(m, [&](const QString &, qint64 kesz, qint64) {
        utolso = kesz;
        return true;
    });
    const qint64 ido = ora.elapsed();
    for (const QString &s : e.sorok())
        ki << s << "\n";
    ki << "import: " << e.osszesSor() << " rows in " << ido << " ms (progress reached " << utolso << ")\n";
    ki << "database file: " << QFileInfo(QDir(m).filePath("dorvprg.db")).size() / 1024 << " KiB\n";
    return 0;
}
