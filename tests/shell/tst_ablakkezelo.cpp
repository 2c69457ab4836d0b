// The real program under a real window manager: Xvfb with openbox, driven by xdotool.
// Checks what only a window manager shows: frames, the work area, the place a window keeps
// over several starts, and the keys that travel through it (F10, Alt + letter, Enter).

#include "Adatbazis.h"
#include "HuSzoveg.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <sys/prctl.h>

namespace {

// Every process started here dies with the test, whatever ends it.
void gyerekkent(QProcess &p)
{
    p.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGKILL); });
}

// Asks first (Xvfb then removes its lock file), then makes sure.
void leallit(QProcess &p)
{
    if (p.state() == QProcess::NotRunning)
        return;
    p.terminate();
    if (!p.waitForFinished(5000)) {
        p.kill();
        p.waitForFinished(5000);
    }
}

struct Ablak {
    QRect kliens;
    QMargins keret;   // the frame the window manager put around the client
    QRect teljes() const { return kliens.marginsAdded(keret); }
};

// An X display of its own (Xvfb picks a free number itself, so parallel runs do not meet)
// with openbox managing it.
class Asztal {
public:
    explicit Asztal(const QString &otthon)
    {
        gyerekkent(m_x);
        m_x.start("Xvfb", {"-displayfd", "1", "-screen", "0", "1024x768x24", "-nolisten", "tcp"});
        // the display number comes on the descriptor once the server listens
        QByteArray szam;
        while (!szam.contains('\n') && m_x.waitForReadyRead(20000))
            szam += m_x.readAllStandardOutput();
        if (!szam.contains('\n'))
            return;
        m_kornyezet = QProcessEnvironment::systemEnvironment();
        m_kornyezet.insert("DISPLAY", ":" + QString::fromLatin1(szam.trimmed()));
        m_kornyezet.insert("HOME", otthon);   // no settings of the user running the tests
        m_kornyezet.insert("XDG_CONFIG_HOME", otthon + "/.config");
        m_kornyezet.insert("XDG_RUNTIME_DIR", otthon);
        m_kornyezet.remove("QT_QPA_PLATFORM");
        gyerekkent(m_wm);
        m_wm.setProcessEnvironment(m_kornyezet);
        m_wm.start("openbox", {"--sm-disable", "--startup", "echo kesz"});
        QByteArray ki;
        while (!ki.contains("kesz") && m_wm.waitForReadyRead(20000))
            ki += m_wm.readAllStandardOutput();
        m_rendben = ki.contains("kesz");
    }
    ~Asztal()
    {
        leallit(m_wm);
        leallit(m_x);
    }
    bool rendben() const { return m_rendben; }
    const QProcessEnvironment &kornyezet() const { return m_kornyezet; }

    // runs an X tool on this display; its output, or an empty text when it failed
    QString eszkoz(const QString &prog, const QStringList &arg) const
    {
        QProcess p;
        gyerekkent(p);
        p.setProcessEnvironment(m_kornyezet);
        p.start(prog, arg);
        if (!p.waitForFinished(20000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
            return {};
        return QString::fromUtf8(p.readAllStandardOutput());
    }
    bool billentyu(const QStringList &billentyuk) const
    {
        QProcess p;
        p.setProcessEnvironment(m_kornyezet);
        p.start("xdotool", QStringList{"key", "--delay", "60"} + billentyuk);
        return p.waitForFinished(20000) && p.exitCode() == 0;
    }
    // gives the window the keyboard, as a click on it would
    bool aktival(const QString &id) const
    {
        return !id.isEmpty() && !eszkoz("xdotool", {"windowactivate", "--sync", id, "getactivewindow"}).isEmpty();
    }
    bool gepel(const QString &szoveg) const
    {
        QProcess p;
        p.setProcessEnvironment(m_kornyezet);
        p.start("xdotool", {"type", "--delay", "40", szoveg});
        return p.waitForFinished(20000) && p.exitCode() == 0;
    }

    // the visible windows of a process whose title matches
    QStringList ablakok(qint64 pid, const QString &cim) const
    {
        return eszkoz("xdotool", {"search", "--all", "--onlyvisible", "--pid", QString::number(pid), "--name", cim})
            .split('\n', Qt::SkipEmptyParts);
    }

    QList<qint64> szamok(const QString &prog, const QStringList &arg) const
    {
        QList<qint64> l;
        static const QRegularExpression re("0x[0-9a-fA-F]+|-?\\d+");   // xprop writes window ids in hex
        static const QRegularExpression nev("[=#]");   // the values after the property's name
        const QString ki = eszkoz(prog, arg);
        for (auto it = re.globalMatch(ki.mid(ki.indexOf(nev) + 1)); it.hasNext();)
            l << it.next().captured().toLongLong(nullptr, 0);
        return l;
    }

    Ablak ablak(const QString &id) const
    {
        Ablak a;
        const QString g = eszkoz("xdotool", {"getwindowgeometry", "--shell", id});
        QHash<QString, int> e;
        for (const QString &sor : g.split('\n', Qt::SkipEmptyParts))
            e.insert(sor.section('=', 0, 0), sor.section('=', 1).toInt());
        const QList<qint64> k = szamok("xprop", {"-id", id, "_NET_FRAME_EXTENTS"});   // left, right, top, bottom
        if (k.size() == 4)
            a.keret = QMargins(int(k[0]), int(k[2]), int(k[1]), int(k[3]));
        // xdotool counts the client's offset in its frame twice
        a.kliens = QRect(e.value("X") - a.keret.left(), e.value("Y") - a.keret.top(), e.value("WIDTH"), e.value("HEIGHT"));
        return a;
    }

    QRect munkaterulet() const
    {
        const QList<qint64> m = szamok("xprop", {"-root", "_NET_WORKAREA"});
        return m.size() >= 4 ? QRect(int(m[0]), int(m[1]), int(m[2]), int(m[3])) : QRect();
    }

    // the windows' places in the window manager's stacking order, bottom first (-1: not there)
    QList<int> sorrend(const QStringList &idk) const
    {
        const QList<qint64> verem = szamok("xprop", {"-root", "_NET_CLIENT_LIST_STACKING"});
        QList<int> l;
        for (const QString &id : idk)
            l << int(verem.indexOf(id.toLongLong()));
        // ranks among the windows asked about
        QList<int> rang;
        for (int x : l)
            rang << (x < 0 ? -1 : int(std::count_if(l.begin(), l.end(), [x](int y) { return y >= 0 && y < x; })));
        return rang;
    }

    bool maximalt(const QString &id) const
    {
        const QString s = eszkoz("xprop", {"-id", id, "_NET_WM_STATE"});
        return s.contains("_NET_WM_STATE_MAXIMIZED_VERT") && s.contains("_NET_WM_STATE_MAXIMIZED_HORZ");
    }

private:
    QProcess m_x, m_wm;
    QProcessEnvironment m_kornyezet;
    bool m_rendben = false;
};

// The built program, from a copy in a program folder of its own.
class Program {
public:
    Program(const QString &mappa, const Asztal &a)
    {
        const QString prog = QDir(mappa).filePath("dorvprg");
        if (!QFile::exists(prog))
            QFile::copy(qEnvironmentVariable("DORVPRG_TEST_BIN"), prog);
        gyerekkent(m_p);
        m_p.setProcessEnvironment(a.kornyezet());
        m_p.setWorkingDirectory(mappa);
        m_p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_p.start(prog, {});
        m_p.waitForStarted(20000);
    }
    ~Program() { leallit(m_p); }
    qint64 pid() const { return m_p.processId(); }
    bool fut() const { return m_p.state() == QProcess::Running; }
    bool vegeVan(int ms) { return m_p.state() == QProcess::NotRunning || m_p.waitForFinished(ms); }
    int kod() const { return m_p.exitCode(); }

private:
    QProcess m_p;
};

void iniIr(const QString &mappa, const QString &alapertek)
{
    HuSzoveg::fajlIr(QDir(mappa).filePath("DorvPrg.ini"),
                     QString("[Alapertek]\r\n%1\r\n[Archiv]\r\nMentesDatum=%2\r\n")
                         .arg(alapertek, QDate::currentDate().toString(HuSzoveg::ROVID_DATUM)));
}

QRect iniHely(const QString &mappa)
{
    QSettings ini(QDir(mappa).filePath("DorvPrg.ini"), QSettings::IniFormat);
    return QRect(ini.value("Alapertek/Bal").toInt(), ini.value("Alapertek/Felul").toInt(),
                 ini.value("Alapertek/Szeles").toInt(), ini.value("Alapertek/Magas").toInt());
}

const QString FOABLAK = "^DorvPrg: \\[";

} // namespace

class AblakkezeloTeszt : public QObject {
    Q_OBJECT

    QTemporaryDir m_otthon;
    std::unique_ptr<Asztal> m_asztal;

    // the main window of a started program, once it is shown and managed
    QString foablak(const Program &p)
    {
        QString id;
        for (int i = 0; i < 300 && id.isEmpty() && p.fut(); ++i) {
            const QStringList l = m_asztal->ablakok(p.pid(), FOABLAK);
            if (!l.isEmpty() && m_asztal->ablak(l.first()).keret.top() > 0)
                id = l.first();
            else
                QTest::qWait(100);
        }
        return id;
    }

    // closes the program's main window as the user does (Alt+F4 through the window manager)
    bool bezar(Program &p, const QString &id)
    {
        m_asztal->aktival(id);
        m_asztal->billentyu({"alt+F4"});
        return p.vegeVan(30000) && p.kod() == 0;
    }

    bool megjelenik(const Program &p, const QString &cim)
    {
        for (int i = 0; i < 200 && p.fut(); ++i) {
            if (!m_asztal->ablakok(p.pid(), cim).isEmpty())
                return true;
            QTest::qWait(100);
        }
        return false;
    }

private slots:
    void initTestCase()
    {
        for (const char *prog : {"Xvfb", "openbox", "xdotool", "xprop"})
            if (QStandardPaths::findExecutable(prog).isEmpty())
                QFAIL(qPrintable(QString("%1 is missing: run scripts/deps.sh").arg(prog)));
        m_asztal = std::make_unique<Asztal>(m_otthon.path());
        QVERIFY(m_asztal->rendben());
        QVERIFY(m_asztal->munkaterulet().isValid());
    }

    void cleanupTestCase() { m_asztal.reset(); }

    // First start, no settings file: the window fills the work area with its frame.
    void elsoInditasTeljesKepernyo()
    {
        QTemporaryDir mappa;
        Program p(mappa.path(), *m_asztal);
        const QString id = foablak(p);
        QVERIFY(!id.isEmpty());
        QTRY_VERIFY(m_asztal->maximalt(id));
        const QRect munka = m_asztal->munkaterulet();
        QTRY_COMPARE(m_asztal->ablak(id).teljes(), munka);
        const Ablak a = m_asztal->ablak(id);
        QVERIFY2(munka.contains(a.teljes()), qPrintable(QString("%1 %2").arg(a.teljes().y()).arg(a.teljes().height())));
    }

    // The same place over several close/start cycles; the file keeps the same numbers.
    void nincsVandorlas()
    {
        QTemporaryDir mappa;
        iniIr(mappa.path(), "TeljesKep=0\r\nBal=100\r\nFelul=50\r\nMagas=300\r\nSzeles=500");
        QRect elso;
        for (int kor = 0; kor < 4; ++kor) {
            Program p(mappa.path(), *m_asztal);
            const QString id = foablak(p);
            QVERIFY(!id.isEmpty());
            const Ablak a = m_asztal->ablak(id);
            QCOMPARE(a.teljes().topLeft(), QPoint(100, 50));
            QCOMPARE(a.kliens.size(), QSize(500, 300));
            QVERIFY(!m_asztal->maximalt(id));
            QVERIFY(bezar(p, id));
            QCOMPARE(iniHely(mappa.path()), QRect(100, 50, 500, 300));
            if (kor == 0)
                elso = a.teljes();
            QCOMPARE(a.teljes(), elso);
        }
    }

    // A stored place outside the screen comes back onto it, title bar and all.
    void kepernyonKivuliHely_data()
    {
        QTest::addColumn<QString>("hely");
        QTest::newRow("right and above") << "Bal=3000\r\nFelul=-900\r\nMagas=300\r\nSzeles=500";
        QTest::newRow("title bar above the top") << "Bal=0\r\nFelul=-11\r\nMagas=300\r\nSzeles=500";
    }

    void kepernyonKivuliHely()
    {
        QFETCH(QString, hely);
        QTemporaryDir mappa;
        iniIr(mappa.path(), "TeljesKep=0\r\n" + hely);
        Program p(mappa.path(), *m_asztal);
        const QString id = foablak(p);
        QVERIFY(!id.isEmpty());
        const Ablak a = m_asztal->ablak(id);
        QVERIFY2(m_asztal->munkaterulet().contains(a.teljes()),
                 qPrintable(QString("%1,%2 %3x%4").arg(a.teljes().x()).arg(a.teljes().y()).arg(a.teljes().width())
                                .arg(a.teljes().height())));
        QCOMPARE(a.kliens.size(), QSize(500, 300));
    }

    // F10 and Alt + the underlined letter open the main menus; the arrow keys move between
    // them and within them, Enter runs the item.
    void menukBillentyuzettel()
    {
        QTemporaryDir mappa;
        iniIr(mappa.path(), "TeljesKep=0\r\nBal=10\r\nFelul=10\r\nMagas=500\r\nSzeles=700");
        Program p(mappa.path(), *m_asztal);
        const QString id = foablak(p);
        QVERIFY(!id.isEmpty());
        QVERIFY(m_asztal->aktival(id));
        // F10: the first menu; five to the right: "Súgó"; its last item: "Névjegy"
        QVERIFY(m_asztal->billentyu({"F10", "Right", "Right", "Right", "Right", "Right", "Up", "Return"}));
        QVERIFY(megjelenik(p, "^Névjegy$"));
        QVERIFY(m_asztal->aktival(m_asztal->ablakok(p.pid(), "^Névjegy$").value(0)));
        QVERIFY(m_asztal->billentyu({"Escape"}));
        QTRY_VERIFY(m_asztal->ablakok(p.pid(), "^Névjegy$").isEmpty());
        // Alt+R: "Rendszer"; its last item: "Beállítások"
        QVERIFY(m_asztal->aktival(id));
        QVERIFY(m_asztal->billentyu({"alt+r", "Up", "Return"}));
        QVERIFY(megjelenik(p, "^Beállítások$"));
        const QString beallit = m_asztal->ablakok(p.pid(), "^Beállítások$").value(0);
        QVERIFY(m_asztal->aktival(beallit));
        // Tab to the database folder's button, Enter: the folder dialog opens above the settings,
        // which stay above the main window
        QVERIFY(m_asztal->billentyu({"Tab", "Tab", "Tab", "Return"}));
        QVERIFY(megjelenik(p, "^Adatbázis útvonal$"));
        const QString valaszto = m_asztal->ablakok(p.pid(), "^Adatbázis útvonal$").value(0);
        QTRY_COMPARE(m_asztal->sorrend({id, beallit, valaszto}), (QList<int>{0, 1, 2}));
        QVERIFY(m_asztal->aktival(valaszto));
        QVERIFY(m_asztal->billentyu({"Escape"}));
        QTRY_VERIFY(m_asztal->ablakok(p.pid(), "^Adatbázis útvonal$").isEmpty());
        QCOMPARE(m_asztal->sorrend({id, beallit}), (QList<int>{0, 1}));
        QVERIFY(m_asztal->aktival(beallit));
        QVERIFY(m_asztal->billentyu({"Escape"}));
        QTRY_VERIFY(m_asztal->ablakok(p.pid(), "^Beállítások$").isEmpty());
        QVERIFY(bezar(p, id));
    }

    // Login: name, Enter, password, Enter puts the focus on OK; Enter there logs in.
    void enterAFokuszaltOkGombon()
    {
        QTemporaryDir mappa;
        iniIr(mappa.path(), "TeljesKep=0\r\nBal=10\r\nFelul=10\r\nMagas=500\r\nSzeles=700");
        const QString adat = QDir(mappa.path()).filePath("Data");
        QVERIFY(QDir().mkpath(adat));
        Adatbazis::megnyit(adat);
        Adatbazis::vegrehajt("UPDATE beallit SET vanbelep = 'I'");
        Adatbazis::bezar();
        Program p(mappa.path(), *m_asztal);
        QVERIFY(megjelenik(p, "^Belépés azonosítás$"));
        QVERIFY(m_asztal->aktival(m_asztal->ablakok(p.pid(), "^Belépés azonosítás$").value(0)));
        QVERIFY(m_asztal->gepel("rendszergazda"));
        QVERIFY(m_asztal->billentyu({"Return"}));
        QVERIFY(m_asztal->gepel("admin"));
        QVERIFY(m_asztal->billentyu({"Return"}));
        QVERIFY(m_asztal->ablakok(p.pid(), FOABLAK).isEmpty());   // the focus is on OK, nothing pressed yet
        QVERIFY(m_asztal->billentyu({"Return"}));
        const QString id = foablak(p);
        QVERIFY(!id.isEmpty());
        QVERIFY(bezar(p, id));
    }
};

QTEST_MAIN(AblakkezeloTeszt)
#include "tst_ablakkezelo.moc"
