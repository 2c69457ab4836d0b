#include "Adatbazis.h"
#include "ArchivEllenor.h"
#include "ArchivIro.h"
#include "ArchivLeiras.h"
#include "ArchivTartalom.h"
#include "Archival.h"
#include "Beall.h"
#include "HuSzoveg.h"
#include "ProgramFutas.h"
#include "TesztKornyezet.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QJsonArray>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTest>
#include <QUrl>

#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>

// What an archive holds beside the register's files (the period list, the attached documents
// and their map in the description) and what becomes of the archives once one is made (the
// newest kept, a copy in a second folder).
namespace {

QByteArray veletlen(int n)
{
    QByteArray b(n, Qt::Uninitialized);
    QRandomGenerator::global()->fillRange(reinterpret_cast<quint32 *>(b.data()), n / 4);
    return b;
}

void fajlIr(const QString &ut, const QByteArray &tartalom)
{
    QDir().mkpath(QFileInfo(ut).absolutePath());
    QFile f(ut);
    QVERIFY2(f.open(QIODevice::WriteOnly) && f.write(tartalom) == tartalom.size() && f.flush(), qPrintable(ut));
}

QByteArray fajlOlvas(const QString &ut)
{
    QFile f(ut);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

double crc(const QByteArray &b) { return double(crc32(0, reinterpret_cast<const Bytef *>(b.constData()), uInt(b.size()))); }

QStringList bejegyzesek(const QString &mappa)
{
    return QDir(mappa).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

// The menu's archive: the save dialog answered with the path.
bool menubol(const QString &zip)
{
    TesztKornyezet::modalisan([zip](QWidget *w) {
        auto *fd = qobject_cast<QFileDialog *>(w);
        if (!fd) {
            w->close();
            return;
        }
        fd->selectFile(zip);
        static_cast<QDialog *>(fd)->accept();
    });
    return Archival();
}

int futtat(const QString &prog, const QStringList &arg, const QString &mappa = {})
{
    QProcess p;
    p.setWorkingDirectory(mappa);
    p.start(prog, arg);
    return p.waitForFinished(60000) && p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
}

} // namespace

class ArchivTartalomTeszt : public QObject {
    Q_OBJECT

private slots:
    void initTestCase_data() { TesztKornyezet::motorok(); }
    void init()
    {
        if (const QString h = TesztKornyezet::szerverHiba(); !h.isEmpty())
            QSKIP(qPrintable(h));
    }

    // Every document that is a file goes into the archive byte for byte, under its megj key,
    // with its row in the description; rows naming one file share a copy; web and mail
    // addresses are left alone; what cannot be read is named (a few, the rest counted) and
    // the archive is made all the same. The setting leaves the documents out. dorvido.ini goes
    // along either way, and --verify checks the copies against the description.
    void dokumentumok_data()
    {
        QTest::addColumn<bool>("dokumentumok");
        QTest::addColumn<int>("hianyzo");
        QTest::newRow("dokumentumokkal") << true << 2;
        QTest::newRow("sok hiányzó") << true << 7;
        QTest::newRow("kihagyva") << false << 2;
    }
    void dokumentumok()
    {
        QFETCH(bool, dokumentumok);
        QFETCH(int, hianyzo);
        TesztKornyezet k;
        const QString dm = k.programMappa() + "/Dokumentumok";
        const QByteArray a = veletlen(300000), b = "kép\n", c = QByteArray("ékezetes szöveg\n").repeated(1000);
        fajlIr(dm + "/szamla 1.pdf", a);
        fajlIr(dm + "/kep.jpg", b);
        fajlIr(dm + "/ékezetes: név.txt", c);
        const QString cUrl = QUrl::fromLocalFile(dm + "/ékezetes: név.txt").toString();
        DokumentumSor(1, 10, dm + "/szamla 1.pdf");
        DokumentumSor(2, 10, "Dokumentumok/kep.jpg");   // relative to the program folder
        DokumentumSor(3, 11, cUrl);
        DokumentumSor(4, 12, dm + "/../Dokumentumok/szamla 1.pdf");
        DokumentumSor(5, 12, "https://example.com/garancia.pdf");
        DokumentumSor(6, 12, "mailto:iroda@example.com");
        DokumentumSor(7, 12, "www.example.com");
        QStringList hianyzok{dm};   // a folder is no document
        for (int i = 1; i < hianyzo; ++i)
            hianyzok << QString("/nincs/ilyen/level_%1.pdf").arg(i);
        for (int i = 0; i < hianyzok.size(); ++i)
            DokumentumSor(100 + i, 13, hianyzok[i]);
        const QByteArray dorvido = "6 h\xf3nap\r\n1 \xe9v\r\n";
        fajlIr(DorvidoFajlUt(), dorvido);
        Beall.ArchivDokumentumok = dokumentumok;
        k.iniIr();

        const QString zip = QDir(k.programMappa()).filePath("mentes.zip");
        const ProgramFutas f = ProgramFuttat(k.programMappa(), {"--archive", zip});
        QVERIFY2(f.kod == 0, qPrintable(f.hiba));
        QString hiba;
        const auto t = ZipTartalom(zip, &hiba);
        QVERIFY2(!t.isEmpty(), qPrintable(hiba));
        QCOMPARE(t.value(ARCHIV_DORVIDO), dorvido);
        const QJsonObject l = ZipLeiras(zip);
        QCOMPARE(l.value("sorok").toObject().value("megj").toInt(), 7 + hianyzo);
        QCOMPARE(l.value("motor").toString(), QString(TesztKornyezet::szerveren() ? "PostgreSQL" : "SQLite"));
        const QStringList masolatok = QStringList(t.keys()).filter(QRegularExpression("^\\.dorvprg-archiv/dokumentumok/"));
        const ArchivVizsgalat v = ArchivEllenoriz(zip);
        QVERIFY2(v.rendben, qPrintable(v.ok));
        QVERIFY(v.dorvido);
        if (!dokumentumok) {
            QCOMPARE(masolatok, QStringList());
            QVERIFY(l.value("dokumentumok_kihagyva").toBool());
            QCOMPARE(l.value("dokumentumok").toArray().size(), 0);
            QVERIFY2(!f.hiba.contains("csatolt"), qPrintable(f.hiba));
            QVERIFY(v.dokumentumokKihagyva);
            return;
        }
        QCOMPARE(masolatok.size(), 3);
        const QJsonArray d = l.value("dokumentumok").toArray();
        QCOMPARE(d.size(), 4);
        const QList<QPair<QString, QByteArray>> vart{
            {dm + "/szamla 1.pdf", a}, {"Dokumentumok/kep.jpg", b}, {cUrl, c}, {dm + "/../Dokumentumok/szamla 1.pdf", a}};
        for (int i = 0; i < 4; ++i) {
            const QJsonObject o = d[i].toObject();
            QCOMPARE(o.value("megj").toInt(), i + 1);
            QCOMPARE(o.value("doksi").toInt(), i < 2 ? 10 : i == 2 ? 11 : 12);
            QCOMPARE(o.value("doknev").toString(), vart[i].first);
            const QString n = o.value("bejegyzes").toString();
            QCOMPARE(t.value(n), vart[i].second);
            QCOMPARE(o.value("meret").toDouble(), double(vart[i].second.size()));
            QCOMPARE(o.value("crc").toDouble(), crc(vart[i].second));
        }
        // rows naming one file share its copy; a colon never reaches an entry name
        QCOMPARE(d[3].toObject().value("bejegyzes"), d[0].toObject().value("bejegyzes"));
        QCOMPARE(d[0].toObject().value("bejegyzes").toString(), QString(".dorvprg-archiv/dokumentumok/1_szamla 1.pdf"));
        QCOMPARE(d[2].toObject().value("bejegyzes").toString(), QString(".dorvprg-archiv/dokumentumok/3_ékezetes_ név.txt"));
        const QJsonArray h = l.value("hianyzo_dokumentumok").toArray();
        QCOMPARE(h.size(), hianyzo);
        QCOMPARE(h[0].toObject().value("doknev").toString(), dm);
        QVERIFY2(f.hiba.contains(QString("%1 csatolt fájl nem található: %2").arg(hianyzo).arg(dm)), qPrintable(f.hiba));
        QCOMPARE(f.hiba.contains(QString("és további %1").arg(hianyzo - 5)), hianyzo > 5);
        QVERIFY2(f.ki.contains("ebből 3 csatolt dokumentum"), qPrintable(f.ki));
        QCOMPARE(v.dokumentumFajlok, 3);
        QCOMPARE(v.dokumentumSorok, 4);
        QCOMPARE(v.hianyzoDokumentumok, hianyzo);
        const ProgramFutas e = ProgramFuttat(k.programMappa(), {"--verify", zip});
        QVERIFY2(e.kod == 0 && e.ki.contains(QString("Csatolt dokumentumok az archívumban: 3 fájl (4 sorhoz), archiváláskor "
                                                     "nem található: %1").arg(hianyzo)),
                 qPrintable(e.ki + e.hiba));
        if (hianyzo > 5)
            return;

        // a description that names a copy the archive does not hold is refused
        const QString m = k.programMappa() + "/m";
        QByteArray j = t.value(ARCHIV_LEIRAS);
        const QByteArray regi = "\"bejegyzes\": \".dorvprg-archiv/dokumentumok/2_kep.jpg\"";
        QVERIFY(j.contains(regi));
        fajlIr(m + "/" + ARCHIV_LEIRAS, j.replace(regi, "\"bejegyzes\": \".dorvprg-archiv/dokumentumok/2_kep.png\""));
        QCOMPARE(futtat("zip", {"-q", zip, ARCHIV_LEIRAS}, m), 0);
        const ProgramFutas r = ProgramFuttat(k.programMappa(), {"--verify", zip});
        QCOMPARE(r.kod, 1);
        QVERIFY2(r.hiba.contains("hiányzik egy csatolt dokumentum, amelyet a leírása említ: .dorvprg-archiv/dokumentumok/2_kep.png"),
                 qPrintable(r.hiba));

        // the menu says the same beside its message
        if (!TesztKornyezet::szerveren()) {
            QVERIFY(menubol(QDir(Beall.MentesUtvonal).filePath(ArchivNev())));
            QCOMPARE(k.szovegek().value(0), QString("Archív állomány kész.\r\n%1 csatolt fájl nem található: %2, %3")
                                                  .arg(hianyzo).arg(dm, hianyzok[1]));
        }
    }

    // An archive past the classic 65,535 entries is refused before anything is packed, with
    // nothing left in the archive folder; here the documents make it so (a register whose
    // rows name 65,540 small files), and the same register is archived once they are left out.
    void bejegyzesKorlat()
    {
        if (TesztKornyezet::szerveren())
            QSKIP("the limit is counted before either engine's data is packed");
        TesztKornyezet k;
        const QString dm = k.programMappa() + "/sok";
        QVERIFY(QDir().mkpath(dm));
        constexpr int N = 65540;
        for (int i = 1; i <= N; ++i) {
            QFile f(QString("%1/%2.txt").arg(dm).arg(i));
            QVERIFY(f.open(QIODevice::WriteOnly) && f.write(QByteArray::number(i)) > 0);
        }
        Adatbazis::vegrehajt(QString("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < %1) "
                                     "INSERT INTO megj (megj, doksi, doknev) SELECT i, 1, '%2/' || i || '.txt' FROM n")
                                 .arg(N).arg(dm));
        k.iniIr();
        const ProgramFutas f = ProgramFuttat(k.programMappa(), {"--archive"});
        QCOMPARE(f.kod, 1);
        QVERIFY2(f.hiba.contains(QString("%1 csatolt dokumentum), a ZIP archívum 64 bites kiterjesztés nélkül legfeljebb "
                                         "65535 bejegyzést tarthat").arg(N)),
                 qPrintable(f.hiba));
        QCOMPARE(bejegyzesek(Beall.MentesUtvonal), QStringList());

        Beall.ArchivDokumentumok = false;
        k.iniIr();
        const ProgramFutas g = ProgramFuttat(k.programMappa(), {"--archive"});
        QVERIFY2(g.kod == 0, qPrintable(g.hiba));
        QCOMPARE(bejegyzesek(Beall.MentesUtvonal), QStringList{ArchivNev()});
        QVERIFY(ArchivEllenoriz(QDir(Beall.MentesUtvonal).filePath(ArchivNev())).rendben);
    }

    // Of the program's own dated archives the newest N stay once a new one is made and
    // checked (0: all); the user's files, a ZIP of another program and the differently named
    // archives are never removed, and a failed archive removes nothing.
    void megtartas_data()
    {
        QTest::addColumn<int>("megtart");
        QTest::addColumn<bool>("sikeres");
        QTest::newRow("mind") << 0 << true;
        QTest::newRow("1") << 1 << true;
        QTest::newRow("3") << 3 << true;
        QTest::newRow("1, az új archívum nem készül el") << 1 << false;
    }
    void megtartas()
    {
        QFETCH(int, megtart);
        QFETCH(bool, sikeres);
        if (TesztKornyezet::szerveren())
            QSKIP("the archive folder is the same with either engine");
        TesztKornyezet k;
        const QString am = Beall.MentesUtvonal;
        ArchivMappaLetrehoz(am);
        QStringList regiek;
        for (int n = 1; n <= 4; ++n) {
            regiek << QString("2020010%1.zip").arg(n);
            ArchivIr(k.adatMappa(), QDir(am).filePath(regiek.last()));
        }
        ArchivIr(k.adatMappa(), QDir(am).filePath("elotte-20200101-120000.zip"));
        fajlIr(am + "/jegyzet.txt", "marad");
        QCOMPARE(futtat("zip", {"-jq", am + "/20200105.zip", am + "/jegyzet.txt"}), 0);   // another program's
        fajlIr(am + "/20201340.zip", fajlOlvas(QDir(am).filePath(regiek.first())));       // no real day
        if (!sikeres)
            QCOMPARE(::mkfifo(QFile::encodeName(k.adatMappa() + "/cso").constData(), 0600), 0);
        Beall.ArchivMegtart = megtart;
        k.iniIr();
        const ProgramFutas f = ProgramFuttat(k.programMappa(), {"--archive"});
        QCOMPARE(f.kod == 0, sikeres);

        QStringList vart{"20200105.zip", "20201340.zip", "elotte-20200101-120000.zip", "jegyzet.txt"};
        if (sikeres)
            vart << ArchivNev();
        vart << (megtart == 0 || !sikeres ? regiek : regiek.mid(4 - (megtart - 1)));
        vart.sort();
        QCOMPARE(bejegyzesek(am), vart);
        QCOMPARE(f.ki.count("Régebbi archívum törölve"), megtart == 0 || !sikeres ? 0 : 4 - (megtart - 1));
    }

    // Every new archive gets a checked copy in the second folder; a folder that is missing
    // (not made: a drive not plugged in), read-only or full is told, on the command line with
    // exit code 1, and the archive itself stays whole in the archive folder, nothing of the
    // copy left behind. The second folder keeps the same number of dated archives.
    void masodikMappa_data()
    {
        QTest::addColumn<QString>("eset");
        QTest::addColumn<QString>("ok");
        QTest::newRow("rendben") << "rendben" << QString();
        QTest::newRow("hiányzik") << "hianyzik" << "A második mentési mappa nem érhető el";
        QTest::newRow("írásvédett") << "irasvedett" << "Read-only file system";
        QTest::newRow("megtelt") << "tele" << "No space left on device";
    }
    void masodikMappa()
    {
        QFETCH(QString, eset);
        QFETCH(QString, ok);
        if (TesztKornyezet::szerveren())
            QSKIP("the second folder is the same with either engine");
        TesztKornyezet k;
        const QString usb = k.programMappa() + "/usb";
        std::unique_ptr<KisLemez> lemez;
        if (eset == "irasvedett" || eset == "tele") {
            if (geteuid() != 0)
                QSKIP("the tmpfs mount needs root");
            lemez = std::make_unique<KisLemez>(usb);
            QVERIFY(lemez->rendben());
            QVERIFY(eset == "tele" ? lemez->tele() : lemez->csakOlvashato());
        } else if (eset == "rendben") {
            ArchivMappaLetrehoz(usb);
            ArchivIr(k.adatMappa(), usb + "/20200101.zip");
        }
        const QStringList elotte = bejegyzesek(usb);
        fajlIr(k.adatMappa() + "/nagy.bin", veletlen(1 << 20));   // more than the full disk holds
        Beall.MasodikMentesUtvonal = usb;
        Beall.ArchivMegtart = 1;
        k.iniIr();
        const ProgramFutas f = ProgramFuttat(k.programMappa(), {"--archive"});
        const QString zip = QDir(Beall.MentesUtvonal).filePath(ArchivNev());
        const ArchivVizsgalat v = ArchivEllenoriz(zip);
        QVERIFY2(v.rendben, qPrintable(v.ok + f.hiba));
        if (eset == "rendben") {
            QVERIFY2(f.kod == 0, qPrintable(f.hiba));
            QCOMPARE(bejegyzesek(usb), QStringList{ArchivNev()});
            QCOMPARE(fajlOlvas(usb + "/" + ArchivNev()), fajlOlvas(zip));
            QCOMPARE(QFileInfo(usb + "/" + ArchivNev()).permissions() & 0x0777, QFileDevice::ReadUser | QFileDevice::WriteUser);
            QVERIFY(f.ki.contains("Másolat: " + usb + "/" + ArchivNev()));
            return;
        }
        QCOMPARE(f.kod, 1);
        QVERIFY2(f.hiba.contains("Az archívum elkészült, de a második mentési mappába nem került másolat: ")
                     && f.hiba.contains(ok), qPrintable(f.hiba));
        QVERIFY(f.ki.contains("Archív állomány kész"));
        QCOMPARE(bejegyzesek(usb), elotte);
        QCOMPARE(QFileInfo::exists(usb), eset != "hianyzik");
        // the menu: an error box, the archive made and dated
        Beall.MentesDatum = QDate::currentDate().addDays(-9);
        QVERIFY(menubol(zip));
        QCOMPARE(k.uzenetek().size(), 1);
        QCOMPARE(k.uzenetek().first().tipus, UzenetKeres::Hiba);
        QVERIFY2(k.szovegek().first().startsWith("Archív állomány kész.\r\nA második mentési mappába nem került másolat "
                                                 "(az archívum elkészült):\r\n"),
                 qPrintable(k.szovegek().first()));
        QCOMPARE(Beall.MentesDatum, QDate::currentDate());
        QCOMPARE(bejegyzesek(usb), elotte);
    }
};

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    ArchivTartalomTeszt t;
    return QTest::qExec(&t, argc, argv);
}

#include "tst_archivtartalom.moc"
