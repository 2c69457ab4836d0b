#include "Adatbazis.h"
#include "ImportMappa.h"
#include "ParadoxImport.h"
#include "ProgramFutas.h"
#include "StoreHiba.h"
#include "TesztKornyezet.h"
#include "tst_paradoxMinta.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace ParadoxMinta;

namespace {

QByteArray olvas(const QString &ut, qint64 hely = 0, qint64 n = -1)
{
    QFile f(ut);
    if (!f.open(QIODevice::ReadOnly) || !f.seek(hely))
        return {};
    return n < 0 ? f.readAll() : f.read(n);
}

void felulir(const QString &ut, qint64 hely, const QByteArray &b)
{
    QFile f(ut);
    QVERIFY(f.open(QIODevice::ReadWrite));
    QVERIFY(f.seek(hely));
    QCOMPARE(f.write(b), b.size());
    QVERIFY(f.flush());
}

int le16(const QByteArray &b, qint64 i) { return uchar(b[i]) | (uchar(b[i + 1]) << 8); }
QByteArray le16(int v) { return QByteArray(1, char(v & 0xFF)) + char((v >> 8) & 0xFF); }
QByteArray le32(quint32 v) { return le16(int(v & 0xFFFF)) + le16(int(v >> 16)); }

// Where the parts of a fixture table lie, read from its header.
struct Geometria {
    qint64 fejlec = 0, blokk = 0;
    int blokkSzam = 0, utolso = 0, rekord = 0, mezok = 0;
    qint64 blokkHely(int szam) const { return fejlec + (szam - 1) * blokk; }
    qint64 tablaNev() const { return 0x78 + 6 * mezok + 4; }
};

Geometria geometria(const QString &ut)
{
    const QByteArray h = olvas(ut, 0, 0x78);
    Geometria g;
    g.rekord = le16(h, 0);
    g.fejlec = le16(h, 2);
    g.blokk = uchar(h[5]) * 1024;
    g.blokkSzam = le16(h, 0x0C);
    g.utolso = le16(h, 0x10);
    g.mezok = le16(h, 0x21);
    return g;
}

// The first block of a memo file of a type (2: a memo of its own, 3: shared) and at least
// so many 4k units.
qint64 memoBlokk(const QString &ut, int tipus, int legalabb = 1)
{
    const QByteArray d = olvas(ut);
    for (qint64 hely = 4096; hely + 3 <= d.size();) {
        const int darab = le16(d, hely + 1);
        if (uchar(d[hely]) == tipus && darab >= legalabb)
            return hely;
        hely += qMax(1, darab) * 4096;
    }
    return -1;
}

void mappaMasol(const QString &honnan, const QString &hova)
{
    for (const QString &n : QDir(honnan).entryList(QDir::Files))
        QVERIFY(QFile::copy(QDir(honnan).filePath(n), QDir(hova).filePath(n)));
}

int nyitottFajlok() { return int(QDir("/proc/self/fd").entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot).size()); }

QStringList maradekok(const QString &mappa)
{
    return QDir(mappa).entryList({QString(ImportMappa::ELOTAG) + "*"}, QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
}

} // namespace

// Damaged copies of the earlier program's register: every one ends quickly with a clear
// message naming the file and leaves the folder as it was, or, where the damage is harmless,
// imports exactly what the undamaged register holds.
class ParadoxSerultTeszt : public QObject {
    Q_OBJECT

    QTemporaryDir m_minta;      // the whole register, written once
    QTemporaryDir m_egyTabla;   // the letter table alone, for the byte-by-byte damage
    QTemporaryDir m_program;    // a copy of the program, run with a time limit
    RegiMappa m_regi;
    Sorok m_levelek;
    Geometria m_doksi, m_megj;

    QString minta(const QString &fajl) const { return QDir(m_minta.path()).filePath(fajl); }

    // The new database of the folder holds exactly these rows.
    static void egyezik(const QString &mappa, const QHash<QString, Sorok> &sorok)
    {
        Adatbazis::megnyit(mappa);
        for (auto i = sorok.cbegin(); i != sorok.cend() && !QTest::currentTestFailed(); ++i)
            osszevet(*Sema::tabla(i.key()), i.value());
        Adatbazis::bezar();
    }

private slots:
    void initTestCase()
    {
        m_regi = regiMappaIr(m_minta.path());
        const TablaLeiras &d = *Sema::tabla("doksi");
        m_levelek = mintaSorok(d, 40);
        tablaIr(m_egyTabla.path(), "DOKSI.DB", pxMezok(d), m_levelek);
        m_doksi = geometria(minta("DOKSI.DB"));
        m_megj = geometria(minta("Doksi_Megj.DB"));
        // the chain cases need a table of several blocks, the first header 2k as old tables have it
        QVERIFY(m_doksi.blokkSzam >= 3);
        QCOMPARE(m_doksi.fejlec, qint64(0x800));
        QVERIFY(QFile::exists(qEnvironmentVariable("DORVPRG_TEST_BIN")));
    }

    void serultMappa_data()
    {
        QTest::addColumn<QString>("fajl");
        QTest::addColumn<QString>("muvelet");      // ir, meret, szemet, fifo, mappa, torol
        QTest::addColumn<qint64>("hely");           // where to write, or the size to cut to
        QTest::addColumn<QByteArray>("bajtok");
        QTest::addColumn<QString>("uzenet");        // part of the message; empty: harmless damage

        const Geometria &g = m_doksi;
        auto ir = [](const char *nev, const QString &fajl, qint64 hely, const QByteArray &b, const QString &uzenet) {
            QTest::newRow(nev) << fajl << "ir" << hely << b << uzenet;
        };
        auto mas = [](const char *nev, const QString &fajl, const QString &muvelet, qint64 hely, const QString &uzenet) {
            QTest::newRow(nev) << fajl << muvelet << hely << QByteArray() << uzenet;
        };
        const QString D = "DOKSI.DB";
        // cut and rubbish
        mas("üres fájl", D, "meret", 0, "rövidebb a fejlécnél");
        mas("csonka fejléc", D, "meret", 40, "rövidebb a fejlécnél");
        mas("csonka mezőleírás", D, "meret", 0x100, "fejléc hossza");
        mas("csonka adatblokk", D, "meret", g.blokkHely(2) + g.blokk / 2, "csonka");
        mas("szemét", "marka.DB", "szemet", 5000, "marka.DB");
        // the common header
        ir("nulla rekordhossz", D, 0, le16(0), "rekordhossz");
        ir("rekordhossz a blokknál nagyobb", D, 0, le16(0xFFFF), "rekordhossz");
        ir("a fejléc hossza elcsúszott", D, 2, le16(0xFFFF), "csonka");
        ir("nem adattábla", D, 4, "\x01", "nem Paradox adattábla");
        ir("nulla blokkméret", D, 5, QByteArray(1, 0), "blokkméret");
        ir("túl nagy blokkméret", D, 5, "\x21", "blokkméret");
        ir("eggyel több rekord a fejlécben", D, 6, le32(40 + 1), "rekordot jelez");
        ir("negatív rekordszám", D, 6, le32(0xFFFFFFFF), "rekordszám");
        ir("több blokk a fejlécben, mint a fájlban", D, 0x0C, le16(0xFFFF), "csonka");
        ir("az első blokk a fájlon kívül", D, 0x0E, le16(0x7FFF), "kívülre");
        ir("az utolsó blokk nem a lánc vége", D, 0x10, le16(1), "utolsó blokk");
        ir("nulla mező", D, 0x21, le16(0), "mezőszám");
        ir("256 mező", D, 0x21, le16(256), "mezőszám");
        ir("eggyel kevesebb mező", D, 0x21, le16(g.mezok - 1), "mezők hossza");
        ir("ismeretlen változat", D, 0x39, "\x20", "változat");
        ir("jelszóval védett", D, 0x25, le32(0x01020304), "jelszóval");
        ir("a fejléc rövidebb a mezőneveknél", D, 2, le16(0x100), "rövidebb a mezők");
        // the field list
        ir("ismeretlen mezőtípus", D, 0x78, "\x30", "típusa vagy hossza");
        ir("a hossz nem illik a típushoz", D, 0x78 + 2 + 1, "\x02", "típusa vagy hossza");
        ir("prntip logikai", D, 0x78 + 2 * 9, "\x09", "prntip mezője");
        ir("a dátum szövegként", D, 0x78 + 2 * 2, "\x01", "datum mezője");
        // a known field's name, one byte of it damaged: never imported as an empty field
        const qint64 rendszam = olvas(minta(D), 0, g.fejlec).indexOf(QByteArray("rendszam", 9));
        QVERIFY(rendszam > 0);
        ir("mezőnév bájtja megfordítva", D, rendszam + 4, QByteArray(1, char(~'s')), "rendszam mező neve sérült");
        ir("mezőnév egy betűje más", D, rendszam + 6, "b", "rendszam mező neve sérült");
        // the block chain
        ir("az első blokk önmagára mutat", D, g.fejlec, le16(1), "körbe");
        ir("az utolsó blokk az elsőre mutat", D, g.blokkHely(g.utolso), le16(1), "körbe");
        ir("a második blokk az elsőre mutat", D, g.blokkHely(2), le16(1), "körbe");
        ir("a következő blokk a fájlon kívül", D, g.fejlec, le16(0xFFFF), "kívülre");
        ir("hibás visszamutatás", D, g.blokkHely(2) + 2, le16(3), "visszafelé");
        ir("több rekord a blokkban, mint amennyi elfér", D, g.fejlec + 4, le16(0x7FFF), "blokk fejléce");
        ir("a rekordhatár közé eső eltolás", D, g.fejlec + 4, le16(1), "blokk fejléce");
        ir("kiürült első blokk", D, g.fejlec + 4, le16(-g.rekord), "rekordot jelez");
        // harmless: bytes nobody reads
        ir("ismeretlen fejlécbájt", D, 0x2B, "\x5A", "");
        ir("a tábla neve a fejlécben", D, g.tablaNev(), "XYZ", "");
        ir("a módosítás ideje", D, 0x60, le32(0x12345678), "");
        // the memo file and the pointers into it
        const QString M = "Doksi_Megj.MB";
        const QString mb = minta(M);
        const qint64 sajat = memoBlokk(mb, 2), nagy = memoBlokk(mb, 2, 2), kozos = memoBlokk(mb, 3);
        QVERIFY(sajat > 0 && nagy > 0 && kozos > 0);
        const qint64 mbMeret = QFileInfo(mb).size();
        mas("hiányzó memó", M, "torol", 0, "Hiányzik a memó fájl");
        mas("csonka memó a fejléc után", M, "meret", 4096 + 100, M);
        mas("csonka memó a saját blokkú memóban", M, "meret", sajat + 100, M);
        mas("csonka memó a közös blokk rekeszeinél", M, "meret", kozos + 40, M);
        mas("csonka memó a végén", M, "meret", mbMeret - 1, M);
        ir("a memó fájl fejléce", M, 0, "\x07", "fejléce hibás");
        ir("a közös blokk típusa", M, kozos, "\x07", "nem a hivatkozott");
        ir("a saját blokk típusa", M, sajat, "\x07", "nem a hivatkozott");
        ir("a saját blokk memóhossza", M, sajat + 3, le32(0x7FFFFFF0), "nem a hivatkozott");
        ir("a saját blokk kisebb a memónál", M, nagy + 1, le16(1), "hosszabb a blokkjánál");
        ir("a rekesz helye a blokkon túl", M, kozos + 12 + 63 * 5, "\xFF", "túlnyúlik");
        ir("a rekesz hossza", M, kozos + 12 + 63 * 5 + 1, "\xFF", "nem a hivatkozott");
        // record 3 of the notes holds a memo of 300 characters in a shared block
        const qint64 memoMezo = m_megj.fejlec + 6 + 3 * m_megj.rekord + 4 + 4 + 4 + 50 + 20;
        ir("a memó helye a fájlon túl", "Doksi_Megj.DB", memoMezo, le32(0x00F00000), M);
        ir("a memó helye nem blokkhatár", "Doksi_Megj.DB", memoMezo + 1, "\x11", M);
        ir("a memó hossza a rekordban", "Doksi_Megj.DB", memoMezo + 4, le32(0x7FFFFFFF), M);
        ir("rövid memó a rekordban túl hosszúnak jelölve", "Doksi_Megj.DB", m_megj.fejlec + 6 + 4 + 4 + 4 + 50 + 24,
           le32(5000), "memó");
        // something else in a table's place
        mas("FIFO a tábla helyén", "marka.DB", "fifo", 0, "FIFO");
        mas("FIFO a levelek helyén", D, "fifo", 0, "FIFO");
        mas("mappa a tábla helyén", "marka.DB", "mappa", 0, "mappa");
        mas("FIFO a memó helyén", M, "fifo", 0, "FIFO");
    }

    // The program itself is run with a time limit: a loop in the reader fails the test
    // instead of hanging the suite.
    void serultMappa()
    {
        QFETCH(QString, fajl);
        QFETCH(QString, muvelet);
        QFETCH(qint64, hely);
        QFETCH(QByteArray, bajtok);
        QFETCH(QString, uzenet);
        QTemporaryDir d;
        const QString m = d.path();
        mappaMasol(m_minta.path(), m);
        const QString ut = QDir(m).filePath(fajl);
        if (muvelet == "ir") {
            QVERIFY(hely + bajtok.size() <= QFileInfo(ut).size());
            QVERIFY(olvas(ut, hely, bajtok.size()) != bajtok);
            felulir(ut, hely, bajtok);
        } else if (muvelet == "meret") {
            QVERIFY(hely < QFileInfo(ut).size());
            QVERIFY(QFile(ut).resize(hely));
        } else if (muvelet == "szemet") {
            QByteArray b(hely, 0);
            for (int i = 0; i < b.size(); ++i)
                b[i] = char((i * 7919) >> 3);
            QVERIFY(QFile::remove(ut));
            felulir(ut, 0, b);
        } else {
            QVERIFY(QFile::remove(ut));
            if (muvelet == "fifo")
                QCOMPARE(::mkfifo(QFile::encodeName(ut).constData(), 0600), 0);
            else if (muvelet == "mappa")
                QVERIFY(QDir().mkdir(ut));
        }
        if (QTest::currentTestFailed())
            return;
        const QStringList elotte = mappaTartalom(m);

        const ProgramFutas f = ProgramFuttat(m_program.path(), {"--import-paradox", m}, 60000);
        QVERIFY2(f.kod != -1, "the import hung or crashed");
        if (uzenet.isEmpty()) {
            QVERIFY2(f.kod == 0, qPrintable(f.hiba));
            egyezik(m, m_regi.sorok);
            return;
        }
        QCOMPARE(f.kod, 1);
        QVERIFY2(f.ki.isEmpty(), qPrintable(f.ki));
        // one line on stderr: the failure, the file and what is wrong with it
        QVERIFY2(f.hiba.endsWith('\n') && f.hiba.count('\n') == 1 && !f.hiba.contains('\r'), qPrintable(f.hiba));
        QVERIFY2(f.hiba.startsWith("Az importálás nem sikerült") && f.hiba.contains(uzenet)
                     && f.hiba.contains(fajl.section('.', 0, 0), Qt::CaseInsensitive),
                 qPrintable(f.hiba));
        QCOMPARE(mappaTartalom(m), elotte);
    }

    // Every byte of the letter table's header and field list and of its block heads, turned
    // over one at a time: each copy ends in a message naming the file or, where the byte is
    // one nobody reads, imports every letter unchanged. Nothing is left open.
    void bajtonkentiSerules()
    {
        const QString eredeti = QDir(m_egyTabla.path()).filePath("DOKSI.DB");
        const Geometria g = geometria(eredeti);
        const QByteArray tabla = olvas(eredeti);
        QList<qint64> helyek;
        for (qint64 i = 0; i < 0x78 + 2 * g.mezok; ++i)
            helyek << i;
        for (int b = 1; b <= g.blokkSzam; ++b)
            for (int i = 0; i < 6; ++i)
                helyek << g.blokkHely(b) + i;
        const int fajlokElotte = nyitottFajlok();
        int hibak = 0, atvettek = 0;
        for (qint64 hely : helyek) {
            QTemporaryDir d;
            const QString ut = QDir(d.path()).filePath("DOKSI.DB");
            QByteArray b = tabla;
            b[hely] = char(~b[hely]);
            felulir(ut, 0, b);
            const QStringList elotte = mappaTartalom(d.path());
            const QString hol = QString("byte 0x%1").arg(hely, 0, 16);
            try {
                ParadoxImport::importal(d.path());
                ++atvettek;
                egyezik(d.path(), {{"doksi", m_levelek}});
                if (QTest::currentTestFailed())
                    qWarning() << hol << "imported with other data";
            } catch (const StoreHiba &h) {
                ++hibak;
                QVERIFY2(h.uzenet().contains(ut), qPrintable(hol + ": " + h.uzenet()));
                QVERIFY2(mappaTartalom(d.path()) == elotte, qPrintable(hol));
            }
            if (QTest::currentTestFailed())
                return;
        }
        qInfo("%d damaged copies: %d refused, %d harmless", int(helyek.size()), hibak, atvettek);
        QVERIFY(hibak > 0 && atvettek > 0);
        QCOMPARE(nyitottFajlok(), fajlokElotte);
    }

    // On a nearly full disk, with the free room grown a page at a time: either everything
    // arrives (database and texts whole) or the failure is reported and the folder stays as
    // it was. Never an empty text or a database reported as done.
    void teleLemez()
    {
        TesztKornyezet k(false);
        KisLemez lemez(k.programMappa() + "/lemez", "4m");
        if (!lemez.rendben())
            QSKIP("a tmpfs cannot be mounted here (tests need root)");
        const QString m = lemez.mappa();
        mappaMasol(m_egyTabla.path(), m);
        // the texts a whole import writes
        QTemporaryDir minta;
        mappaMasol(m_egyTabla.path(), minta.path());
        ParadoxImport::importal(minta.path());
        QHash<QString, QByteArray> szovegek;
        for (const QString &n : QDir(minta.path()).entryList({"*.txt"}, QDir::Files))
            szovegek[n] = olvas(QDir(minta.path()).filePath(n));
        QCOMPARE(szovegek.size(), 3);

        const QString kitolto = QDir(m).filePath(".kitolto");
        int hibak = 0;
        bool sikerult = false;
        for (qint64 szabad = 0; !sikerult && szabad <= 3 * 1024 * 1024; szabad += 4096) {
            QFile::remove(kitolto);
            QVERIFY(lemez.tele());
            QVERIFY(QFile(kitolto).resize(qMax<qint64>(0, QFileInfo(kitolto).size() - szabad)));
            const QStringList elotte = mappaTartalom(m);
            try {
                ParadoxImport::importal(m);
                sikerult = true;
            } catch (const StoreHiba &h) {
                ++hibak;
                QVERIFY2(h.uzenet().contains("Megtelt a lemez"), qPrintable(h.uzenet()));
                QCOMPARE(mappaTartalom(m), elotte);
            }
            if (QTest::currentTestFailed())
                return;
        }
        QVERIFY(sikerult);
        QVERIFY(hibak > 0);
        qInfo("%d imports refused before the free room was enough", hibak);
        QFile::remove(kitolto);
        for (auto i = szovegek.cbegin(); i != szovegek.cend(); ++i)
            QCOMPARE(olvas(QDir(m).filePath(i.key())), i.value());
        QVERIFY(maradekok(m).isEmpty());
        egyezik(m, {{"doksi", m_levelek}});

        // the command line says so in one line and exits non-zero
        QVERIFY(QFile::remove(QDir(m).filePath(Adatbazis::FAJLNEV)));
        QVERIFY(lemez.tele());
        const QStringList elotte = mappaTartalom(m);
        const ProgramFutas f = ProgramFuttat(m_program.path(), {"--import-paradox", m}, 60000);
        QCOMPARE(f.kod, 1);
        QVERIFY2(f.hiba.count('\n') == 1 && f.hiba.contains("Megtelt a lemez"), qPrintable(f.hiba));
        QCOMPARE(mappaTartalom(m), elotte);
    }

    // Folders left by killed imports go when the next import starts; one a running import
    // holds stays, and so does everything not named exactly like ours.
    void maradekokTorlese()
    {
        QTemporaryDir d, kulso;
        const QString m = d.path();
        mappaMasol(m_egyTabla.path(), m);
        const QDir md(m);
        const QString elotag = ImportMappa::ELOTAG;
        for (const QString &n : {elotag + "abc123", elotag + "Zz9Yy8", elotag + "abc12", elotag + "abc1234",
                                 QString("dorvprg-import-abc123"), elotag + "ab_cd1"})
            QVERIFY(md.mkdir(n));
        felulir(md.filePath(elotag + "abc123/dorvprg.db"), 0, "félkész");
        felulir(md.filePath(elotag + "Zz9Yy8/dorvprg.db"), 0, "fut");
        felulir(md.filePath(elotag + "fajl01"), 0, "nem mappa");
        felulir(QDir(kulso.path()).filePath("marad.txt"), 0, "kívül");
        QVERIFY(QFile::link(kulso.path(), md.filePath(elotag + "link01")));
        // a running import's lock on its folder
        const int zar = ::open(QFile::encodeName(md.filePath(elotag + "Zz9Yy8/.zar")).constData(), O_RDWR | O_CREAT, 0600);
        QVERIFY(zar >= 0);
        QCOMPARE(::flock(zar, LOCK_EX | LOCK_NB), 0);

        ParadoxImport::importal(m);
        ::close(zar);
        QStringList maradt = maradekok(m), vart = {elotag + "Zz9Yy8", elotag + "abc12", elotag + "abc1234",
                                                   elotag + "fajl01", elotag + "ab_cd1", elotag + "link01"};
        maradt.sort();
        vart.sort();
        QCOMPARE(maradt, vart);
        QCOMPARE(olvas(md.filePath(elotag + "Zz9Yy8/dorvprg.db")), QByteArray("fut"));
        QVERIFY(md.exists("dorvprg-import-abc123"));
        QCOMPARE(olvas(QDir(kulso.path()).filePath("marad.txt")), QByteArray("kívül"));
        egyezik(m, {{"doksi", m_levelek}});
    }

    // A kill -9 in the middle of an import leaves its folder and no database; the next
    // import removes the folder and brings the register over.
    void megoltImport()
    {
        QTemporaryDir d;
        const QString m = d.path();
        const TablaLeiras &t = *Sema::tabla("doksi");
        tablaIr(m, "DOKSI.DB", pxMezok(t), mintaSorok(t, 200));
        ProgramFuttat(m_program.path(), {"--help"});    // places the program copy
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "offscreen");
        p.setProcessEnvironment(env);
        p.setWorkingDirectory(m_program.path());
        p.start(QDir(m_program.path()).filePath("dorvprg"), {"--import-paradox", m});
        QVERIFY(p.waitForStarted());
        bool megolve = false;
        while (p.state() != QProcess::NotRunning && !megolve) {
            if (!maradekok(m).isEmpty()) {
                ::kill(pid_t(p.processId()), SIGKILL);
                megolve = true;
            }
            ::usleep(200);
        }
        p.waitForFinished();
        QVERIFY2(megolve, "the import ended before its folder was seen");
        QCOMPARE(maradekok(m).size(), 1);
        QVERIFY(!Adatbazis::vanAdatbazis(m));

        const ProgramFutas f = ProgramFuttat(m_program.path(), {"--import-paradox", m}, 60000);
        QVERIFY2(f.kod == 0, qPrintable(f.hiba));
        QVERIFY(f.ki.contains("doksi: 200 sor"));
        QVERIFY(maradekok(m).isEmpty());
    }
};

QTEST_MAIN(ParadoxSerultTeszt)
#include "tst_paradoxSerult.moc"
