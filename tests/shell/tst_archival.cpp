#include "Adatbazis.h"
#include "ArchivDarab.h"
#include "ArchivIro.h"
#include "ArchivLeiras.h"
#include "Archival.h"
#include "Beall.h"
#include "HuSzoveg.h"
#include "ProgramFutas.h"
#include "Tabla.h"
#include "TesztKornyezet.h"
#include "Tfrm_Main.h"

#include <QAction>
#include <QApplication>
#include <QDirIterator>
#include <QSettings>
#include <QTabBar>
#include <QTableView>
#include <QFileDialog>
#include <QProcess>
#include <QProgressDialog>
#include <QRandomGenerator>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolBar>

#include <sqlite3.h>
#include <thread>
#include <sys/stat.h>
#include <unistd.h>
#include <zip.h>
#include <zlib.h>

namespace {

void fajlIr(const QString &ut, const QByteArray &tartalom)
{
    QDir().mkpath(QFileInfo(ut).absolutePath());
    QFile f(ut);
    QVERIFY2(f.open(QIODevice::WriteOnly), qPrintable(ut));
    f.write(tartalom);
}

QByteArray fajlOlvas(const QString &ut)
{
    QFile f(ut);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QByteArray veletlen(int n)
{
    QByteArray b(n, Qt::Uninitialized);
    for (int i = 0; i < n; ++i)
        b[i] = char(QRandomGenerator::global()->bounded(256));
    return b;
}

// Words drawn with a fixed seed: text that deflates, its blocks ending anywhere in a byte.
QByteArray szavak(int n)
{
    static const char *const SZAVAK[] = {"garancia", "levél", "alkatrész", "Bosch", "szervíz", "12", "javítás",
                                         "ügyfél", "Kovács", "2026.03.10", "önindító", "generátor", "\n"};
    QRandomGenerator r(n);
    QByteArray b;
    while (b.size() < n)
        b += QByteArray(SZAVAK[r.bounded(int(std::size(SZAVAK)))]) + ' ';
    return b.left(n);
}

// A raw deflate stream inflated by zlib, which must end exactly at its last byte.
QByteArray zlibKibont(const QByteArray &z)
{
    QByteArray ki(8 << 20, Qt::Uninitialized);
    z_stream s{};
    if (inflateInit2(&s, -MAX_WBITS) != Z_OK)
        return "inflateInit2";
    s.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(z.constData()));
    s.avail_in = uInt(z.size());
    s.next_out = reinterpret_cast<Bytef *>(ki.data());
    s.avail_out = uInt(ki.size());
    const bool jo = inflate(&s, Z_FINISH) == Z_STREAM_END && s.avail_in == 0;
    ki.resize(qsizetype(s.total_out));
    inflateEnd(&s);
    return jo ? ki : QByteArray("a folyam nem itt ér véget");
}

// Runs f once, at the first look at events after the window gets a new child widget
// (from indit() on).
class UjGyerekUtan : public QObject {
public:
    UjGyerekUtan(QWidget *ablak, std::function<void()> f) : m_f(std::move(f)) { ablak->installEventFilter(this); }
    void indit() { m_indult = true; }

protected:
    bool eventFilter(QObject *o, QEvent *e) override
    {
        if (m_indult && e->type() == QEvent::ChildAdded && static_cast<QChildEvent *>(e)->child()->isWidgetType()) {
            m_indult = false;
            QTimer::singleShot(0, this, m_f);
        }
        return QObject::eventFilter(o, e);
    }

private:
    std::function<void()> m_f;
    bool m_indult = false;
};

// relative path -> content of every file under the folder
QMap<QString, QByteArray> mappaTartalom(const QString &mappa)
{
    QMap<QString, QByteArray> m;
    QDirIterator it(mappa, QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString ut = it.next();
        m[QDir(mappa).relativeFilePath(ut)] = fajlOlvas(ut);
    }
    return m;
}

int futtat(const QString &prog, const QStringList &arg, QByteArray *kimenet = nullptr)
{
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(prog, arg);
    if (!p.waitForFinished(60000))
        return -1;
    if (kimenet)
        *kimenet = p.readAll();
    return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
}

// Unpacks with Info-ZIP after `unzip -t` accepted the archive; the program's own entries
// (its description) are left out, being no file of the folder, unless asked for.
QMap<QString, QByteArray> kicsomagol(const QString &zip, bool sajatIs = false)
{
    QByteArray ki;
    if (futtat("unzip", {"-t", zip}, &ki) != 0) {
        qWarning() << ki;
        return {};
    }
    QTemporaryDir d;
    if (futtat("unzip", {"-q", zip, "-d", d.path()}) != 0)
        return {};
    auto m = mappaTartalom(d.path());
    if (!sajatIs)
        m.removeIf([](const auto &e) { return e.key().startsWith(ARCHIV_SAJAT_MAPPA); });
    return m;
}

// The rows of every table of an SQLite file: the database is archived from a snapshot,
// whose bytes differ from the live file's (change counter) while its data is the same.
QByteArray adatbazisSorai(const QByteArray &fajl)
{
    QTemporaryDir d;
    const QString ut = d.filePath("db");
    QFile f(ut);
    if (!f.open(QIODevice::WriteOnly) || f.write(fajl) != fajl.size() || !f.flush())
        return {};
    f.close();
    sqlite3 *h = nullptr;
    QByteArray sorok;
    if (sqlite3_open_v2(QFile::encodeName(ut).constData(), &h, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
        QStringList tablak;
        sqlite3_exec(h, "SELECT name FROM sqlite_master WHERE type = 'table' ORDER BY name",
                     [](void *l, int, char **ertek, char **) {
                         static_cast<QStringList *>(l)->append(QString::fromUtf8(ertek[0]));
                         return 0;
                     }, &tablak, nullptr);
        for (const QString &t : tablak) {
            sorok += "[" + t.toUtf8() + "]";
            const QByteArray sql = QString("SELECT * FROM \"%1\"").arg(t).toUtf8();
            sqlite3_exec(h, sql.constData(), [](void *s, int n, char **ertek, char **) {
                for (int i = 0; i < n; ++i)
                    *static_cast<QByteArray *>(s) += QByteArray(ertek[i] ? ertek[i] : "NULL") + '|';
                *static_cast<QByteArray *>(s) += '\n';
                return 0;
            }, &sorok, nullptr);
        }
    }
    sqlite3_close(h);
    return sorok;
}

// A folder's or an archive's files with the database given by its rows.
QMap<QString, QByteArray> sorokkal(QMap<QString, QByteArray> m)
{
    if (m.contains(Adatbazis::FAJLNEV))
        m[Adatbazis::FAJLNEV] = adatbazisSorai(m[Adatbazis::FAJLNEV]);
    return m;
}

// Answers the save dialog with a file name (empty: cancel) and records what it offered.
struct Parbeszed {
    QString cim, szuro, mappa, fajl, utotag;
    bool felulirasKerdes = true;
};

void mentesParbeszed(const QString &valasz, Parbeszed *latott = nullptr)
{
    TesztKornyezet::modalisan([valasz, latott](QWidget *w) {
        auto *fd = qobject_cast<QFileDialog *>(w);
        if (!fd) {
            w->close();
            return;
        }
        if (latott) {
            latott->cim = fd->windowTitle();
            latott->szuro = fd->nameFilters().join('|');
            latott->mappa = fd->directory().absolutePath();
            latott->fajl = fd->selectedFiles().value(0);
            latott->utotag = fd->defaultSuffix();
            latott->felulirasKerdes = !fd->testOption(QFileDialog::DontConfirmOverwrite);
        }
        if (valasz.isEmpty()) {
            fd->reject();
            return;
        }
        fd->selectFile(valasz);
        static_cast<QDialog *>(fd)->accept();   // QFileDialog::accept, as the Save button does
    });
}

// The store can be opened again and is intact.
void adatbazisEp(const QString &mappa)
{
    QVERIFY(!Adatbazis::megnyit(mappa));
    QCOMPARE(Adatbazis::ertek("PRAGMA integrity_check").toString(), QString("ok"));
    QCOMPARE(Adatbazis::ertek("SELECT count(*) FROM felhasznalo").toInt(), 1);
}

// A small tmpfs for a full or read-only archive folder; unmounted when it goes.
struct Csatolas {
    QString ut;
    bool kesz = false;
    Csatolas(const QString &mappa, const QString &opciok) : ut(mappa)
    {
        QDir().mkpath(ut);
        kesz = futtat("mount", {"-t", "tmpfs", "-o", opciok, "tmpfs", ut}) == 0;
    }
    bool irasvedett() { return futtat("mount", {"-o", "remount,ro", ut}) == 0; }
    ~Csatolas()
    {
        if (kesz)
            futtat("umount", {ut});
    }
};

// Everything in a folder, hidden entries and folders too: what an archive may leave behind.
QStringList bejegyzesek(const QString &mappa)
{
    return QDir(mappa).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
}

constexpr int TOLTO_SOROK = 600;

// The second program of the concurrency test: commits into the register until it is killed.
// Each transaction adds the brands "par N a" and "par N b" and writes N into a filler row
// whose pages lie anywhere in the file; an archive must hold each one wholly or not at all.
int masikIro(const char *fajl)
{
    sqlite3 *h = nullptr;
    if (sqlite3_open_v2(fajl, &h, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK)
        return 3;
    sqlite3_busy_timeout(h, 120000);
    for (int n = 1;; ++n) {
        const QByteArray sql = QString("BEGIN IMMEDIATE; INSERT INTO marka (marka_nev) VALUES ('par %1 a');"
                                       "UPDATE tolto SET n = %1, b = randomblob(16000) WHERE id = %2;"
                                       "INSERT INTO marka (marka_nev) VALUES ('par %1 b'); COMMIT;")
                                   .arg(n)
                                   .arg(n % TOLTO_SOROK)
                                   .toUtf8();
        if (sqlite3_exec(h, sql.constData(), nullptr, nullptr, nullptr) != SQLITE_OK) {
            fprintf(stderr, "%s\n", sqlite3_errmsg(h));
            return 4;
        }
        ::usleep(200);
    }
}

// The register is intact and holds the transactions 1..N of masikIro, each whole; returns N.
int parokEpek(const QString &mappa)
{
    if (Adatbazis::megnyit(mappa) || Adatbazis::ertek("PRAGMA integrity_check").toString() != "ok")
        return -1;
    QMap<int, QString> parok;
    for (QSqlQuery q = Adatbazis::lekerdez("SELECT marka_nev FROM marka WHERE marka_nev LIKE 'par %' ORDER BY marka"); q.next();) {
        const QStringList r = q.value(0).toString().split(' ');
        parok[r.value(1).toInt()] += r.value(2);
    }
    const int n = int(parok.size());
    for (int i = 1; i <= n; ++i)
        if (parok.value(i) != "ab")
            return -1;
    const bool tolto = Adatbazis::ertek("SELECT max(n) FROM tolto").toInt() == n
                       && Adatbazis::ertek("SELECT n FROM tolto WHERE id = ?", {n % TOLTO_SOROK}).toInt() == n;
    const bool kereso = Adatbazis::ertek("SELECT count(*) FROM marka_nagybetu WHERE marka_nev LIKE 'PAR %'").toInt() == 2 * n;
    return tolto && kereso ? n : -1;
}

bool nincsZip64(const QString &zip)
{
    const QByteArray b = fajlOlvas(zip);
    // the end record is the last 22 bytes and the program's mark as the archive's comment; a
    // Zip64 locator would stand before it
    const QByteArray jel = "DorvPrg archiv";
    const qsizetype veg = b.size() - 22 - jel.size();
    return veg >= 20 && b.mid(veg, 4) == QByteArray("PK\x05\x06", 4) && b.mid(veg + 20, 2) == QByteArray("\x0e\x00", 2)
           && b.mid(veg + 22) == jel && b.mid(veg - 20, 4) != QByteArray("PK\x06\x07", 4)
           && !b.contains(QByteArray("PK\x06\x06", 4));
}

} // namespace

class ArchivalTeszt : public QObject {
    Q_OBJECT

private slots:
    // Every file of the folder, subfolders included, byte for byte, deflated, without Zip64.
    void teljesArchivum()
    {
        TesztKornyezet k;
        Adatbazis::vegrehajt("INSERT INTO marka (marka_nev) VALUES ('Bosch')");
        fajlIr(k.adatMappa() + "/Kepek/level 1/rajz.bin", veletlen(70000));
        fajlIr(k.adatMappa() + "/Kepek/ékezetes név.txt", QByteArray("árvíztűrő tükörfúrógép\n").repeated(500));
        fajlIr(k.adatMappa() + "/.rejtett", "rejtett fajl");
        fajlIr(k.adatMappa() + "/ures.txt", {});
        Beall.MentesDatum = QDate::currentDate().addDays(-7);
        QVERIFY(!QFileInfo::exists(Beall.MentesUtvonal));

        Parbeszed p;
        mentesParbeszed(QDir(Beall.MentesUtvonal).filePath(ArchivNev()), &p);
        QVERIFY(Archival());

        QCOMPARE(p.cim, QString("Adatbázis mentése"));
        QCOMPARE(p.szuro, QString("ZIP archívumok (*.zip)"));
        QCOMPARE(p.utotag, QString("zip"));
        QVERIFY(!p.felulirasKerdes);
        QCOMPARE(p.mappa, QDir(Beall.MentesUtvonal).absolutePath());
        QCOMPARE(QFileInfo(p.fajl).fileName(), QDate::currentDate().toString("yyyyMMdd") + ".zip");
        QCOMPARE(k.szovegek(), QStringList{"Archív állomány kész."});
        QCOMPARE(Beall.MentesDatum, QDate::currentDate());
        QVERIFY(Adatbazis::nyitva());

        const QString zip = QDir(Beall.MentesUtvonal).filePath(ArchivNev());
        const auto eredeti = mappaTartalom(k.adatMappa());
        QVERIFY(eredeti.contains(Adatbazis::FAJLNEV));
        QVERIFY(eredeti.contains("Kepek/level 1/rajz.bin"));
        QCOMPARE(sorokkal(kicsomagol(zip)), sorokkal(eredeti));
        QVERIFY(kicsomagol(zip, true).value(ARCHIV_LEIRAS).contains("\"Kepek/level 1/rajz.bin\""));
        QVERIFY(nincsZip64(zip));
        // nothing but the archive in its folder: no work files left behind
        QCOMPARE(bejegyzesek(Beall.MentesUtvonal), QStringList{ArchivNev()});

        int hiba = 0;
        zip_t *za = zip_open(QFile::encodeName(zip).constData(), ZIP_RDONLY, &hiba);
        QVERIFY(za);
        for (zip_int64_t i = 0; i < zip_get_num_entries(za, 0); ++i) {
            zip_stat_t st;
            QCOMPARE(zip_stat_index(za, zip_uint64_t(i), 0, &st), 0);
            QVERIFY2(!QByteArray(st.name).endsWith('/'), st.name);   // no folder entries
            if (st.size > 100)
                QCOMPARE(int(st.comp_method), ZIP_CM_DEFLATE);
        }
        zip_discard(za);
        adatbazisEp(k.adatMappa());
        QCOMPARE(Adatbazis::ertek("SELECT marka_nev FROM marka").toString(), QString("Bosch"));
    }

    // Same day: the proposed name again, replaced without a question; a name typed without
    // extension gets .zip; an archive inside the database folder never contains itself.
    void ismetlesEsSajatMappa()
    {
        TesztKornyezet k;
        mentesParbeszed(QDir(Beall.MentesUtvonal).filePath(ArchivNev()));
        QVERIFY(Archival());
        fajlIr(k.adatMappa() + "/masodik.txt", "csak a masodik archivumban");
        Parbeszed p;
        mentesParbeszed(QDir(Beall.MentesUtvonal).filePath(ArchivNev()), &p);
        QVERIFY(Archival());
        QCOMPARE(QFileInfo(p.fajl).fileName(), ArchivNev());
        QCOMPARE(k.szovegek(), QStringList({"Archív állomány kész.", "Archív állomány kész."}));
        QCOMPARE(sorokkal(kicsomagol(QDir(Beall.MentesUtvonal).filePath(ArchivNev()))), sorokkal(mappaTartalom(k.adatMappa())));

        for (int i = 0; i < 2; ++i) {
            mentesParbeszed(QDir(k.adatMappa()).filePath("sajat"));
            QVERIFY(Archival());
        }
        const QString sajat = QDir(k.adatMappa()).filePath("sajat.zip");
        QVERIFY(QFileInfo::exists(sajat));
        auto vart = mappaTartalom(k.adatMappa());
        vart.remove("sajat.zip");
        QCOMPARE(sorokkal(kicsomagol(sajat)), sorokkal(vart));
        QCOMPARE(bejegyzesek(k.adatMappa()).filter(".sajat"), QStringList());

        // later archives leave out that one (known by its mark) and any ZIP of the folder
        // archives go to, when those lie inside the database folder; a user's ZIP elsewhere stays
        fajlIr(k.adatMappa() + "/Kepek/regi.zip", fajlOlvas(QDir(Beall.MentesUtvonal).filePath(ArchivNev())));
        QCOMPARE(futtat("zip", {"-jq", k.adatMappa() + "/Kepek/felhasznalo.zip", k.adatMappa() + "/masodik.txt"}), 0);
        fajlIr(k.adatMappa() + "/Mentes/masik.zip", "PK\x05\x06 egy masik program archivuma");
        fajlIr(k.adatMappa() + "/Mentes/nem archiv.txt", "marad");
        Beall.MentesUtvonal = k.adatMappa() + "/Mentes";
        for (const QString &cel : {QDir(k.programMappa()).filePath("kint.zip"), k.adatMappa() + "/Mentes/bent.zip"}) {
            mentesParbeszed(cel);
            QVERIFY(Archival());
            vart = mappaTartalom(k.adatMappa());
            for (const QString &n : {"sajat.zip", "Kepek/regi.zip", "Mentes/masik.zip", "Mentes/bent.zip"})
                vart.remove(n);
            QVERIFY(vart.contains("Kepek/felhasznalo.zip") && vart.contains("Mentes/nem archiv.txt"));
            const auto kapott = kicsomagol(cel);
            QCOMPARE(kapott.keys(), vart.keys());
            QCOMPARE(sorokkal(kapott), sorokkal(vart));
        }
    }

    void megsem()
    {
        TesztKornyezet k;
        Beall.MentesDatum = QDate::currentDate().addDays(-6);
        mentesParbeszed({});
        QVERIFY(!Archival());
        QVERIFY(Adatbazis::nyitva());
        QVERIFY(k.szovegek().isEmpty());
        QCOMPARE(bejegyzesek(Beall.MentesUtvonal), QStringList());
        QCOMPARE(Beall.MentesDatum, QDate::currentDate().addDays(-6));
    }

    void zarasKerdes_data()
    {
        QTest::addColumn<int>("napja");
        QTest::addColumn<bool>("igen");
        QTest::addColumn<bool>("kerdez");
        QTest::addColumn<bool>("archival");
        QTest::newRow("ma") << 0 << true << false << false;
        QTest::newRow("4 napja") << 4 << true << false << false;
        QTest::newRow("5 napja, nem") << 5 << false << true << false;
        QTest::newRow("5 napja, igen") << 5 << true << true << true;
        QTest::newRow("10 napja, igen") << 10 << true << true << true;
    }

    void zarasKerdes()
    {
        QFETCH(int, napja);
        QFETCH(bool, igen);
        QFETCH(bool, kerdez);
        QFETCH(bool, archival);
        TesztKornyezet k;
        const QDate ma = QDate::currentDate();
        Beall.MentesDatum = ma.addDays(-napja);
        k.valaszok({igen});
        if (archival)
            mentesParbeszed(QDir(Beall.MentesUtvonal).filePath(ArchivNev()));
        QCOMPARE(ArchivalZaraskor(nullptr, ma), archival);
        const QStringList vart = kerdez ? QStringList{"Az adatbázis több mint 5 napja nem lett archiválva. Archiváljam most?"}
                                        : QStringList{};
        QCOMPARE(k.szovegek().mid(0, vart.size()), vart);
        if (kerdez)
            QCOMPARE(k.uzenetek().first().cim, QString("Kérdés"));
        QCOMPARE(QFileInfo::exists(QDir(Beall.MentesUtvonal).filePath(ArchivNev())), archival);
        QCOMPARE(Beall.MentesDatum, archival ? ma : ma.addDays(-napja));
        if (archival) {
            // no question for the next four days, then again
            QVERIFY(!ArchivKerdesKell(ma.addDays(4)));
            QVERIFY(ArchivKerdesKell(ma.addDays(5)));
        }
    }

    // From the menu the program goes on working: same folder, view and letter after the archive.
    void foablakbol()
    {
        TesztKornyezet k;
        Adatbazis::Tranzakcio t;
        for (int i = 1; i <= 5; ++i)
            Adatbazis::vegrehajt("INSERT INTO doksi (doksi_id, prntip, datum) VALUES (?, 'J', '2026-01-15')", {i});
        for (int i = 1; i <= 7; ++i)
            Adatbazis::vegrehajt("INSERT INTO doksi (doksi_id, prntip, datum) VALUES (?, 'S', '2026-02-01')", {i});
        t.commit();
        Tfrm_Main w;
        QVERIFY(w.inditas());
        w.TabSet1()->setCurrentIndex(1);
        QVERIFY(w.Tbl().keres("doksi_id", 3));
        const QVariant kulcs = w.Tbl().ertek("doksi");

        mentesParbeszed(QDir(Beall.MentesUtvonal).filePath(ArchivNev()));
        w.akcio("aArchiv")->trigger();
        QCOMPARE(k.szovegek(), QStringList{"Archív állomány kész."});
        QVERIFY(Adatbazis::nyitva());
        QCOMPARE(w.nezet(), 1);
        QCOMPARE(w.Tbl().rekordSzam(), 7);
        QCOMPARE(w.Tbl().ertek("doksi"), kulcs);
        QCOMPARE(w.DBGrid2()->model()->rowCount(), 7);
        QVERIFY(QFileInfo::exists(QDir(Beall.MentesUtvonal).filePath(ArchivNev())));
        // and the store takes writes again
        Adatbazis::vegrehajt("INSERT INTO marka (marka_nev) VALUES ('Valeo')");

        // archived today: the close asks nothing and writes today's date
        k.uzenetekTorol();
        QVERIFY(w.close());
        QVERIFY(k.szovegek().isEmpty());
        QSettings ini(IniFajlUt(), QSettings::IniFormat);
        QCOMPARE(ini.value("Archiv/MentesDatum").toString(), QDate::currentDate().toString(HuSzoveg::ROVID_DATUM));
    }

    // Until the progress window shows, keys, clicks and the window manager's close reach the
    // main window no more than afterwards: no delete, no second archive, no closing mid-way.
    void bemenetArchivalasKozben()
    {
        TesztKornyezet k;
        for (int i = 1; i <= 5; ++i)
            Adatbazis::vegrehajt("INSERT INTO doksi (doksi_id, prntip, datum) VALUES (?, 'J', '2026-01-15')", {i});
        QByteArray nagy(64 << 20, Qt::Uninitialized);   // random: an archive of a good half second
        QRandomGenerator::global()->fillRange(reinterpret_cast<quint32 *>(nagy.data()), nagy.size() / 4);
        fajlIr(QDir(k.adatMappa()).filePath("nagy.bin"), nagy);
        Tfrm_Main w;
        QVERIFY(w.inditas());
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        w.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        QWidget *torol = w.ToolBar1()->widgetForAction(w.akcio("aTorol"));
        QVERIFY(torol);
        const QPoint torolHely = torol->mapTo(&w, torol->rect().center());
        // Ctrl+Del and a click on the delete button, as the window system delivers them
        const auto torles = [&] {
            QTest::keyClick(w.windowHandle(), Qt::Key_Delete, Qt::ControlModifier);
            QTest::mouseClick(w.windowHandle(), Qt::LeftButton, {}, torolHely);
        };
        bool kozben = false, haladasLatszott = true, aktiv = false;
        // the first look at events inside the archive, once its progress window is made
        UjGyerekUtan figyel(&w, [&] {
            auto *h = w.findChild<QProgressDialog *>();
            kozben = h != nullptr;
            haladasLatszott = h && h->isVisible();
            w.activateWindow();   // where the keys go, as after the file dialog closed
            aktiv = QTest::qWaitForWindowActive(&w);
            torles();
            w.windowHandle()->close();
        });
        TesztKornyezet::modalisan([&](QWidget *d) {
            auto *fd = qobject_cast<QFileDialog *>(d);
            QVERIFY(fd);
            fd->selectFile(QDir(Beall.MentesUtvonal).filePath(ArchivNev()));
            static_cast<QDialog *>(fd)->accept();
            figyel.indit();
        });
        w.akcio("aArchiv")->trigger();
        QVERIFY(kozben);
        QVERIFY(aktiv);
        QVERIFY(!haladasLatszott);
        QCOMPARE(k.szovegek(), QStringList{"Archív állomány kész."});
        QVERIFY(w.isVisible());
        QVERIFY(Adatbazis::nyitva());
        QCOMPARE(w.Tbl().rekordSzam(), 5);
        QVERIFY(kicsomagol(QDir(Beall.MentesUtvonal).filePath(ArchivNev())).contains("nagy.bin"));

        // afterwards the same input works again: both deletes ask, the close closes
        k.uzenetekTorol();
        k.valaszok({true, true});
        w.activateWindow();   // the progress window had it
        QVERIFY(QTest::qWaitForWindowActive(&w));
        torles();
        QCOMPARE(k.szovegek(), QStringList({"Valóban töröljem a sort?", "Valóban töröljem a sort?"}));
        QCOMPARE(w.Tbl().rekordSzam(), 3);
        w.windowHandle()->close();
        QVERIFY(!w.isVisible());
    }

    // Yes to the question at close archives, and the date reaches the settings file.
    void bezaraskorIgen()
    {
        TesztKornyezet k;
        Beall.MentesDatum = QDate::currentDate().addDays(-5);
        Tfrm_Main w;
        QVERIFY(w.inditas());
        k.valaszok({true});
        mentesParbeszed(QDir(Beall.MentesUtvonal).filePath(ArchivNev()));
        QVERIFY(w.close());
        QCOMPARE(k.szovegek(), QStringList({"Az adatbázis több mint 5 napja nem lett archiválva. Archiváljam most?",
                                            "Archív állomány kész."}));
        QVERIFY(!kicsomagol(QDir(Beall.MentesUtvonal).filePath(ArchivNev())).isEmpty());
        QSettings ini(IniFajlUt(), QSettings::IniFormat);
        QCOMPARE(ini.value("Archiv/MentesDatum").toString(), QDate::currentDate().toString(HuSzoveg::ROVID_DATUM));
        QVERIFY(!Adatbazis::nyitva());
    }

    void egyszerreIrva_data()
    {
        QTest::addColumn<bool>("menu");
        QTest::newRow("menü") << true;
        QTest::newRow("parancssor") << false;
    }

    // Another program commits all the time the archive is made: the archived register is
    // whole, and every transaction is in it entirely or not at all.
    void egyszerreIrva()
    {
        QFETCH(bool, menu);
        TesztKornyezet k;
        {
            Adatbazis::Tranzakcio t;
            Adatbazis::vegrehajt("CREATE TABLE tolto (id INTEGER PRIMARY KEY, n INTEGER, b BLOB)");
            for (int i = 0; i < TOLTO_SOROK; ++i)
                Adatbazis::vegrehajt("INSERT INTO tolto VALUES (?, 0, randomblob(16000))", {i});
            t.commit();
        }
        const QString db = QDir(k.adatMappa()).filePath(Adatbazis::FAJLNEV);
        QProcess iro;
        iro.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        iro.start(QCoreApplication::applicationFilePath(), {"--masik-iro", db});
        QVERIFY(iro.waitForStarted());
        auto leallit = qScopeGuard([&] {
            iro.kill();
            iro.waitForFinished();
        });
        auto parok = [] { return Adatbazis::ertek("SELECT count(*) FROM marka WHERE marka_nev LIKE 'par % a'").toInt(); };
        QTRY_VERIFY_WITH_TIMEOUT(parok() > 0, 60000);

        const int elotte = parok();
        const QString zip = QDir(k.programMappa()).filePath("egyszerre.zip");
        if (menu) {
            mentesParbeszed(zip);
            QVERIFY(Archival());
        } else {
            const QString prog = QDir(k.programMappa()).filePath("dorvprg");
            QVERIFY(QFile::copy(qEnvironmentVariable("DORVPRG_TEST_BIN"), prog));
            QByteArray ki;
            QCOMPARE(futtat(prog, {"--archive", zip}, &ki), 0);
        }
        const int utana = parok();
        QVERIFY2(iro.state() == QProcess::Running, "the writing program stopped");
        QVERIFY2(utana > elotte, "no transaction was committed while the archive was made");

        QTemporaryDir ki;
        QCOMPARE(futtat("unzip", {"-q", zip, "-d", ki.path()}), 0);
        QVERIFY(!QFileInfo::exists(QDir(ki.path()).filePath(QString(Adatbazis::FAJLNEV) + "-journal")));
        const int n = parokEpek(ki.path());
        QVERIFY2(n >= elotte && n <= utana, qPrintable(QString("%1 pairs, %2 before, %3 after").arg(n).arg(elotte).arg(utana)));
    }

    // Faults while archiving: the message, no date change, an earlier archive of the same
    // name intact, nothing half-written, and the store usable again.
    void hibak_data()
    {
        QTest::addColumn<QString>("eset");
        QTest::addColumn<QString>("uzenetben");
        QTest::newRow("lógó szimbolikus link") << "link" << "hianyzo.db";
        QTest::newRow("FIFO a mappában") << "fifo" << "cso";
        QTest::newRow("írásvédett archív mappa") << "irasvedett" << "Read-only file system";
        QTest::newRow("megtelt archív mappa") << "tele" << "No space left on device";
        QTest::newRow("előre megtelt archív mappa") << "elore" << "Megtelt a lemez";
    }

    void hibak()
    {
        QFETCH(QString, eset);
        QFETCH(QString, uzenetben);
        TesztKornyezet k;
        const QDate regi = QDate::currentDate().addDays(-8);
        Beall.MentesDatum = regi;
        const QByteArray korabbi = "egy korabbi archivum helyett allo tartalom";
        std::unique_ptr<Csatolas> cs;
        if (eset == "irasvedett" || eset == "tele" || eset == "elore") {
            if (geteuid() != 0)
                QSKIP("a tmpfs mount needs root");
            cs = std::make_unique<Csatolas>(Beall.MentesUtvonal, "size=256k");
            QVERIFY2(cs->kesz, "mount -t tmpfs failed");
        }
        const QString zip = QDir(Beall.MentesUtvonal).filePath(ArchivNev());
        fajlIr(zip, korabbi);
        if (eset == "link") {
            // root reads any file; a link to nothing is a directory entry even root cannot read
            QVERIFY(QDir().mkpath(k.adatMappa() + "/alatt"));
            QVERIFY(QFile::link(k.adatMappa() + "/sehol.db", k.adatMappa() + "/alatt/hianyzo.db"));
        }
        if (eset == "fifo")
            QCOMPARE(::mkfifo(QFile::encodeName(k.adatMappa() + "/cso").constData(), 0600), 0);
        if (eset == "irasvedett")
            QVERIFY(cs->irasvedett());
        if (eset == "tele")
            fajlIr(k.adatMappa() + "/nagy.bin", veletlen(1 << 20));   // does not compress
        if (eset == "elore") {
            // not even the copy of the database fits
            QFile t(QDir(Beall.MentesUtvonal).filePath("tolto.bin"));
            QVERIFY(t.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
            while (t.write(QByteArray(4096, 'x')) > 0) {
            }
        }
        const QStringList elotte = bejegyzesek(Beall.MentesUtvonal);

        mentesParbeszed(zip);
        QVERIFY(!Archival());
        QCOMPARE(k.szovegek().size(), 1);
        const QString u = k.szovegek().first();
        QVERIFY2(u.startsWith("Hiba az archiválás közben\r\n"), qPrintable(u));
        QVERIFY2(u.contains(uzenetben), qPrintable(u));
        QCOMPARE(k.uzenetek().first().tipus, UzenetKeres::Hiba);
        QCOMPARE(Beall.MentesDatum, regi);
        QCOMPARE(fajlOlvas(zip), korabbi);
        QCOMPARE(bejegyzesek(Beall.MentesUtvonal), elotte);
        adatbazisEp(k.adatMappa());
    }

    // A damaged or empty register makes no archive that would pass for a good backup, from the
    // menu or the command line: the file is named as damaged, no date is kept, nothing is left.
    void serultAdatbazis_data()
    {
        QTest::addColumn<QString>("mod");
        QTest::addColumn<bool>("menu");
        for (const char *m : {"ures", "csonka", "lap"}) {
            QTest::addRow("%s, menü", m) << m << true;
            QTest::addRow("%s, parancssor", m) << m << false;
        }
    }
    void serultAdatbazis()
    {
        QFETCH(QString, mod);
        QFETCH(bool, menu);
        TesztKornyezet k;
        Adatbazis::vegrehajt("INSERT INTO marka (marka_nev) VALUES ('Bosch')");
        Adatbazis::bezar();
        const QString db = QDir(k.adatMappa()).filePath(Adatbazis::FAJLNEV);
        QVERIFY(RegiszterRongal(db, mod));
        const QDate regi = QDate::currentDate().addDays(-8);
        Beall.MentesDatum = regi;
        QVERIFY(QDir().mkpath(Beall.MentesUtvonal));
        const QString zip = QDir(Beall.MentesUtvonal).filePath(ArchivNev());
        QString u;
        if (menu) {
            mentesParbeszed(zip);
            QVERIFY(!Archival());
            QCOMPARE(k.szovegek().size(), 1);
            u = k.szovegek().first();
            QVERIFY2(u.startsWith("Hiba az archiválás közben\r\n"), qPrintable(u));
            QCOMPARE(Beall.MentesDatum, regi);
        } else {
            const ProgramFutas f = ProgramFuttat(k.programMappa(), {"--archive", zip});
            QCOMPARE(f.kod, 1);
            QVERIFY2(!f.ki.contains("kész"), qPrintable(f.ki));
            u = f.hiba;
            QVERIFY(!QFileInfo::exists(QDir(k.programMappa()).filePath("DorvPrg.ini")));   // no date written
        }
        QVERIFY2(u.contains("Az adatbázis fájlja sérült"), qPrintable(u));
        QVERIFY2(u.contains(QDir::toNativeSeparators(db)), qPrintable(u));
        QCOMPARE(bejegyzesek(Beall.MentesUtvonal), QStringList());
    }

    // The save dialog pointed at the database, also through a link: refused in the error
    // box, the register unchanged and still open.
    void sajatFajlra()
    {
        TesztKornyezet k;
        Adatbazis::vegrehajt("INSERT INTO marka (marka_nev) VALUES ('Bosch')");
        const QString db = QDir(k.adatMappa()).filePath(Adatbazis::FAJLNEV);
        const QString link = QDir(k.programMappa()).filePath("hivatkozas.zip");
        QVERIFY(QFile::link(db, link));
        const QByteArray elotte = fajlOlvas(db);
        for (const QString &cel : {db, link}) {
            k.uzenetekTorol();
            mentesParbeszed(cel);
            QVERIFY(!Archival());
            QCOMPARE(k.szovegek().size(), 1);
            QVERIFY2(k.szovegek().first().contains("A program saját fájlja nem írható felül"), qPrintable(k.szovegek().first()));
            QCOMPARE(fajlOlvas(db), elotte);
        }
        QVERIFY(QFileInfo(link).isSymLink());
        QCOMPARE(Adatbazis::ertek("SELECT marka_nev FROM marka").toString(), QString("Bosch"));
    }

    // The archive holds the whole register: its owner's alone whatever the umask, also when
    // it replaces a file anyone could read; the menu's and the command line's alike.
    void csakATulajdonose_data()
    {
        QTest::addColumn<bool>("parancssor");
        QTest::addColumn<int>("maszk");
        QTest::addColumn<int>("regiJog");   // an earlier file of the name, 0: none
        QTest::newRow("menü, umask 000") << false << 0 << 0;
        QTest::newRow("menü, 0666 felülírva") << false << 022 << 0666;
        QTest::newRow("--archive, umask 000, 0644 felülírva") << true << 0 << 0644;
        QTest::newRow("--archive, umask 022") << true << 022 << 0;
    }
    void csakATulajdonose()
    {
        QFETCH(bool, parancssor);
        QFETCH(int, maszk);
        QFETCH(int, regiJog);
        TesztKornyezet k;
        const mode_t elozo = ::umask(mode_t(maszk));
        const auto vissza = qScopeGuard([elozo] { ::umask(elozo); });
        const QString zip = QDir(k.programMappa()).filePath("mentes.zip");
        if (regiJog) {
            fajlIr(zip, "régi archívum");
            QCOMPARE(::chmod(QFile::encodeName(zip).constData(), mode_t(regiJog)), 0);
        }
        if (parancssor) {
            Adatbazis::bezar();
            BeallitasIr(QRect(0, 0, 640, 400));
            const ProgramFutas f = ProgramFuttat(k.programMappa(), {"--archive", zip});
            QVERIFY2(f.kod == 0, qPrintable(f.hiba));
        } else {
            mentesParbeszed(zip);
            QVERIFY(Archival());
        }
        struct stat st;
        QCOMPARE(::stat(QFile::encodeName(zip).constData(), &st), 0);
        QCOMPARE(int(st.st_mode & 07777), 0600);
        QVERIFY(kicsomagol(zip).contains(Adatbazis::FAJLNEV));
    }

    // An archive folder whose parent is missing: the system's message in the top-level box,
    // no dialog, the store left open.
    void hianyzoSzuloMappa()
    {
        TesztKornyezet k;
        Beall.MentesUtvonal = QDir(k.programMappa()).filePath("nincs/Archiv");
        const QDate regi = Beall.MentesDatum;
        QVERIFY(!Archival());
        QCOMPARE(k.szovegek().size(), 1);
        QVERIFY2(k.szovegek().first().contains("No such file or directory"), qPrintable(k.szovegek().first()));
        QCOMPARE(k.uzenetek().first().cim, QString("DorvPrg - Garanciajegy nyilvántartás"));
        QVERIFY(Adatbazis::nyitva());
        QCOMPARE(Beall.MentesDatum, regi);
        QVERIFY(!QFileInfo::exists(QDir(k.programMappa()).filePath("nincs")));
    }

    void darabhatarok_data()
    {
        QTest::addColumn<QList<int>>("meretek");
        constexpr int M = 1 << 20;   // files are packed in pieces of this size
        QTest::newRow("empty and tiny") << QList<int>{0, 1, 2};
        QTest::newRow("around one piece") << QList<int>{M - 1, M, M + 1};
        QTest::newRow("several pieces") << QList<int>{3 * M + 5, 5 * M};
    }
    // Files packed piece by piece on several threads come out as one deflate stream each:
    // Info-ZIP reads them back byte for byte, the entries are marked as libzip marks its own
    // level-1 deflate ("fast", version 2.0), and nothing is stored without compression.
    void darabhatarok()
    {
        QFETCH(QList<int>, meretek);
        QTemporaryDir d;
        const QString adat = d.filePath("adat");
        for (int i = 0; i < meretek.size(); ++i) {
            // half random, half text: pieces that deflate well and pieces that do not
            QByteArray b = veletlen(meretek[i] / 2);
            b += QByteArray("árvíztűrő tükörfúrógép ").repeated(meretek[i] / 20 + 1).left(meretek[i] - b.size());
            fajlIr(QString("%1/f%2.bin").arg(adat).arg(i), b);
        }
        const QString zip = d.filePath("a.zip");
        const ArchivOsszegzes o = ArchivIr(adat, zip);
        QCOMPARE(o.fajlok, meretek.size());
        QCOMPARE(sorokkal(kicsomagol(zip)), sorokkal(mappaTartalom(adat)));
        QVERIFY(nincsZip64(zip));
        const QByteArray z = fajlOlvas(zip);
        int db = 0;
        for (qsizetype i = z.indexOf(QByteArray("PK\x01\x02", 4)); i >= 0; i = z.indexOf(QByteArray("PK\x01\x02", 4), i + 4)) {
            auto szo = [&](int eltolas) { return uchar(z[i + eltolas]) | uchar(z[i + eltolas + 1]) << 8; };
            QCOMPARE(szo(6), 20);        // version needed
            QCOMPARE(szo(8), 4);         // general purpose flags: deflated, fast
            QCOMPARE(szo(10), 8);        // deflate
            ++db;
        }
        QCOMPARE(db, meretek.size() + 1);   // and the program's description
    }

    void darabReszei_data()
    {
        QTest::addColumn<QByteArray>("adat");
        QTest::addColumn<qint64>("resz");
        constexpr qint64 R = ArchivBelso::RESZ_MERET;
        QTest::newRow("text: dynamic blocks") << szavak(1 << 20) << R;
        QTest::newRow("random: stored blocks") << veletlen(3 * R + 7) << R;
        QTest::newRow("zeros") << QByteArray(5 * R + 1, 0) << R;
        QTest::newRow("small parts: fixed blocks") << szavak(40000) << qint64(200);
        QTest::newRow("parts of several blocks: zlib") << szavak(1 << 20) << qint64(1 << 20);
        QTest::newRow("empty") << QByteArray() << R;
    }
    // A piece is packed in parts joined on byte boundaries: one deflate stream that zlib
    // reads back byte for byte, ending only when the piece is a file's last. The check takes
    // the piece only whole, in its place, and with its size and CRC.
    void darabReszei()
    {
        QFETCH(QByteArray, adat);
        QFETCH(qint64, resz);
        const quint32 crc = ArchivBelso::crcSzamol(0, adat.constData(), adat.size());
        QCOMPARE(crc, quint32(crc32(0, reinterpret_cast<const Bytef *>(adat.constData()), uInt(adat.size()))));
        for (const bool utolso : {false, true}) {
            QByteArray ki;
            QVERIFY(ArchivBelso::darabTomorit(adat.constData(), adat.size(), utolso, ki, resz));
            // a final empty block after a piece but the last ends the stream
            QCOMPARE(zlibKibont(utolso ? ki : ki + QByteArray("\x03\x00", 2)), adat);
            auto egyezik = [&](const QByteArray &darab, bool vege, qint64 meret, quint32 c) {
                QByteArray b = darab;
                return ArchivBelso::darabEgyezik(b, vege, meret, c);
            };
            QVERIFY(egyezik(ki, utolso, adat.size(), crc));
            QVERIFY(!egyezik(ki, !utolso, adat.size(), crc));
            QVERIFY(!egyezik(ki, utolso, adat.size(), crc ^ 1));
            QVERIFY(!egyezik(ki, utolso, adat.size() + 1, crc));
            QVERIFY(!egyezik(ki.chopped(1), utolso, adat.size(), crc));
        }
    }

    // The database file is copied beside the packing; one in WAL mode keeps committed rows in
    // its -wal file, and the archive holds them all the same (the live journals stay out).
    void walModbanIsTeljes()
    {
        TesztKornyezet k;
        Adatbazis::vegrehajt("PRAGMA journal_mode = WAL");
        Adatbazis::vegrehajt("INSERT INTO marka (marka_nev) VALUES ('Bosch'), ('Valeo')");
        QVERIFY(QFileInfo(k.adatMappa() + "/" + Adatbazis::FAJLNEV + "-wal").size() > 0);
        QTemporaryDir cel;
        const QString zip = cel.filePath("wal.zip");
        ArchivIr(k.adatMappa(), zip);
        const auto tartalom = kicsomagol(zip);
        QVERIFY(tartalom.contains(Adatbazis::FAJLNEV));
        QVERIFY(!tartalom.contains(QString(Adatbazis::FAJLNEV) + "-wal"));
        const QByteArray sorok = adatbazisSorai(tartalom.value(Adatbazis::FAJLNEV));
        QVERIFY2(sorok.contains("Valeo"), sorok.left(400).constData());
    }

    // The check reads the written archive itself: a byte spoilt on the disk after packing
    // fails the archive, and the earlier one of that name stays.
    void ellenorzesAMegirtbol()
    {
        QTemporaryDir d;
        const QString adat = d.filePath("adat");
        // more than the pieces read ahead of the check on this machine's cores; random bytes
        // do not compress, so the spoilt offset lies in the last piece
        const int mb = 4 * int(std::max(2u, std::thread::hardware_concurrency())) + 16;
        fajlIr(adat + "/nagy.bin", veletlen(mb << 20));
        const QString zip = d.filePath("a.zip");
        fajlIr(zip, "korabbi");
        bool elrontva = false;
        QString hiba;
        try {
            ArchivIr(adat, zip, [&](qint64 kesz, qint64 osszes) {
                // reading back has begun: spoil a byte near the end of the data, not read yet
                if (!elrontva && kesz * 2 > osszes) {
                    const QStringList m = QDir(d.path()).entryList({".a.zip.archiv-*"}, QDir::Dirs | QDir::Hidden);
                    if (m.size() == 1) {
                        QFile f(QDir(d.filePath(m[0])).filePath("archiv.zip"));
                        if (f.open(QIODevice::ReadWrite) && f.seek(qint64(mb - 1) << 20)) {
                            char c = 0;
                            f.peek(&c, 1);
                            c = char(~c);
                            elrontva = f.write(&c, 1) == 1 && f.flush();
                        }
                    }
                }
                return true;
            });
        } catch (const StoreHiba &h) {
            hiba = h.uzenet();
        }
        QVERIFY(elrontva);
        QVERIFY2(hiba.contains("Az elkészült archívum ellenőrzése nem sikerült"), qPrintable(hiba));
        QVERIFY2(hiba.contains("nagy.bin"), qPrintable(hiba));
        QCOMPARE(fajlOlvas(zip), QByteArray("korabbi"));
        QCOMPARE(bejegyzesek(d.path()), QStringList({"a.zip", "adat"}));
    }

    void valtozoFajl_data()
    {
        QTest::addColumn<qint64>("ujMeret");   // bytes; -1: grows by some
        QTest::newRow("grows") << qint64(-1);
        QTest::newRow("shrinks") << qint64(3 << 20);
    }
    // A file that grows or shrinks while it is packed fails the archive with its name: its
    // pieces were planned from the size it had.
    void valtozoFajl()
    {
        QFETCH(qint64, ujMeret);
        QTemporaryDir d;
        const QString adat = d.filePath("adat");
        // more than the pieces packed ahead of the writer at the first progress report
        const int mb = 4 * int(std::clamp(std::thread::hardware_concurrency(), 2u, 8u)) + 16;
        const QString ut = adat + "/valtozo.bin";
        fajlIr(ut, veletlen(mb << 20));
        const QString zip = d.filePath("a.zip");
        bool valtozott = false;
        QString hiba;
        try {
            ArchivIr(adat, zip, [&](qint64 kesz, qint64) {
                if (!valtozott && kesz > 0) {
                    QFile f(ut);
                    valtozott = ujMeret < 0 ? f.open(QIODevice::Append) && f.write("tobb") == 4 && f.flush()
                                            : f.resize(ujMeret);
                }
                return true;
            });
        } catch (const StoreHiba &h) {
            hiba = h.uzenet();
        }
        QVERIFY(valtozott);
        QVERIFY2(hiba.contains("A fájl mérete csomagolás közben megváltozott: valtozo.bin"), qPrintable(hiba));
        QVERIFY(!QFileInfo::exists(zip));
        QCOMPARE(bejegyzesek(d.path()), QStringList({"adat"}));
    }

    // Progress reaches the end in steps; stopping leaves the earlier archive as it was.
    void haladasEsMegszakitas()
    {
        QTemporaryDir d;
        const QString adat = d.filePath("adat");
        for (int i = 0; i < 3; ++i)
            fajlIr(QString("%1/f%2.bin").arg(adat).arg(i), veletlen(6 << 20));
        const QString zip = d.filePath("a.zip");
        QList<qint64> lepesek;
        qint64 osszesen = 0;
        const ArchivOsszegzes o = ArchivIr(adat, zip, [&](qint64 kesz, qint64 osszes) {
            lepesek << kesz;
            osszesen = osszes;
            return true;
        });
        QCOMPARE(o.fajlok, 3);
        QCOMPARE(o.bajtok, qint64(18 << 20));
        QVERIFY(lepesek.size() > 5);
        QVERIFY(std::is_sorted(lepesek.begin(), lepesek.end()));
        QCOMPARE(lepesek.last(), osszesen);
        const QByteArray elso = fajlOlvas(zip);

        fajlIr(adat + "/f9.bin", "uj");
        int hivas = 0;
        QVERIFY_THROWS_EXCEPTION(ArchivMegszakitva, ArchivIr(adat, zip, [&](qint64, qint64) { return ++hivas < 3; }));
        QCOMPARE(fajlOlvas(zip), elso);
        QCOMPARE(bejegyzesek(d.path()), QStringList({"a.zip", "adat"}));
    }
};

int main(int argc, char *argv[])
{
    if (argc == 3 && qstrcmp(argv[1], "--masik-iro") == 0)
        return masikIro(argv[2]);
    QApplication app(argc, argv);
    app.setAttribute(Qt::AA_Use96Dpi, true);
    ArchivalTeszt t;
    return QTest::qExec(&t, argc, argv);
}

#include "tst_archival.moc"
