#include "MasikProgram.h"
#include "Adatbazis.h"
#include "MasikProgramHiba.h"
#include "Sema.h"
#include "Tabla.h"

#include <QCoreApplication>
#include <cstdio>

namespace {

void mond(const QString &s)
{
    std::printf("%s\n", s.toUtf8().constData());
    std::fflush(stdout);
}

void sorraVar()
{
    char sor[64];
    if (!std::fgets(sor, sizeof sor, stdin))
        throw StoreHiba("a bemenet véget ért");
}

int modosit(const QStringList &a)
{
    Tabla t(a.value(2));
    t.megnyit();
    if (!t.ugrikKulcsra(a.value(3).toLongLong()))
        throw StoreHiba("nincs ilyen sor");
    t.szerkeszt();
    mond("olvasva");
    sorraVar();
    t.setErtek(a.value(4), a.value(5));
    try {
        t.post();
    } catch (const MasikProgramHiba &h) {
        mond("elutasitva: " + h.uzenet());
        if (t.szerkesztes())
            mond("szerkesztesben");
        return 2;
    }
    return 0;
}

int torol(const QStringList &a)
{
    Tabla t(a.value(2));
    t.megnyit();
    if (!t.ugrikKulcsra(a.value(3).toLongLong()))
        throw StoreHiba("nincs ilyen sor");
    t.torol();
    return 0;
}

int beszur(const QStringList &a)
{
    Tabla t(a.value(2));
    t.megnyit();
    t.beszur();
    t.setErtek(a.value(3), a.value(4));
    t.post();
    return 0;
}

// A step the busy register refused is tried again, as the user would (at most 20 times).
template <class F>
auto probal(int &foglalt, F f)
{
    for (int proba = 0;; ++proba) {
        try {
            return f();
        } catch (const MasikProgramHiba &) {
            if (proba == 20)
                throw;
            ++foglalt;
        }
    }
}

// The main window's view of one kind, then the start signal of the test.
void nezetreVar(Tabla &t, const QString &tipus)
{
    t.setIndex("idx_doksi_id_desc");
    t.setSzuro(QString("prntip='%1'").arg(tipus));
    t.setSzurt(true);
    t.megnyit();
    mond("varok");
    sorraVar();
}

// As LevelSzerkeszt: the number shown comes from the store, the post may give another one.
int uj(const QStringList &a)
{
    const QString tipus = a.value(2);
    Tabla t("doksi");
    nezetreVar(t, tipus);
    int atszamozva = 0, foglalt = 0;
    for (int i = 0; i < a.value(3).toInt(); ++i) {
        const int szam = probal(foglalt, [&] { return t.kovetkezoSzam("doksi_id", "prntip", tipus); });
        t.beszur();
        t.sorszamoz("doksi_id", "prntip");
        t.setErtek("doksi_id", szam);
        t.setErtek("prntip", tipus);
        t.setErtek("rendszam", QString("P%1-%2").arg(QCoreApplication::applicationPid()).arg(i));
        probal(foglalt, [&] {
            t.post();   // a refused post keeps the row in insert state
            return 0;
        });
        if (probal(foglalt, [&] { return t.ertek("doksi_id").toInt(); }) != szam)
            ++atszamozva;
    }
    mond(QString("atszamozva=%1 foglalt=%2").arg(atszamozva).arg(foglalt));
    return 0;
}

// A desk under failures: every failed save is saved again (the edit stays open), at most 50 times.
int asztal(const QStringList &a)
{
    const QString tipus = a.value(2);
    Tabla t("doksi");
    nezetreVar(t, tipus);
    int kapcsolat = 0, hibak = 0;
    const auto ujra = [&](auto f) {
        for (int proba = 0;; ++proba) {
            try {
                return f();
            } catch (const StoreHiba &h) {
                // nobody else edits this desk's letters: a refusal of its own change is a fault
                if (h.uzenet().contains("másik program is módosította") || h.uzenet().contains("törölte"))
                    mond("utkozes: " + h.uzenet());
                if (proba == 50)
                    throw;
                ++hibak;
                if (dynamic_cast<const KapcsolatHiba *>(&h))
                    ++kapcsolat;
            }
        }
    };
    const auto sajat = [&](const QString &rendszam) {
        if (t.ertek("rendszam").toString() != rendszam)
            mond(QString("idegen sor: %1 helyett %2").arg(rendszam, t.ertek("rendszam").toString()));
    };
    const qint64 pid = QCoreApplication::applicationPid();
    for (int i = 0; i < a.value(3).toInt(); ++i) {
        const QString rendszam = QString("P%1-%2").arg(pid).arg(i);
        const int szam = ujra([&] { return t.kovetkezoSzam("doksi_id", "prntip", tipus); });
        t.beszur();
        t.sorszamoz("doksi_id", "prntip");
        t.setErtek("doksi_id", szam);
        t.setErtek("prntip", tipus);
        t.setErtek("rendszam", rendszam);
        ujra([&] { t.post(); return 0; });
        // reading the row back may meet a kill that came just after the commit: a desk reads again
        ujra([&] {
            sajat(rendszam);
            mond(QString("mentve %1 %2 %3").arg(t.ertek("doksi").toLongLong()).arg(t.ertek("doksi_id").toInt()).arg(rendszam));
            return 0;
        });
        ujra([&] { t.szerkeszt(); return 0; });
        const QString sorozat = QString("E%1-%2").arg(pid).arg(i);
        t.setErtek("sorozatszam", sorozat);
        ujra([&] { t.post(); return 0; });
        ujra([&] {
            sajat(rendszam);
            mond(QString("modositva %1 %2").arg(t.ertek("doksi").toLongLong()).arg(sorozat));
            return 0;
        });
    }
    mond(QString("kapcsolat=%1 hibak=%2").arg(kapcsolat).arg(hibak));
    return 0;
}

int zarol()
{
    if (Adatbazis::motor() == Adatbazis::Motor::PostgreSQL) {
        // the server's nearest to SQLite's write lock: every table closed to writers
        Adatbazis::vegrehajt("BEGIN");
        QStringList t;
        for (const TablaLeiras &l : Sema::tablak())
            t << l.nev;
        Adatbazis::vegrehajt("LOCK TABLE " + t.join(", ") + " IN EXCLUSIVE MODE");
    } else {
        Adatbazis::vegrehajt("BEGIN IMMEDIATE");
    }
    mond("zarolva");
    sorraVar();
    Adatbazis::vegrehajt("ROLLBACK");
    return 0;
}

} // namespace

int MasikProgramFuttat(int argc, char *argv[])
{
    if (!qEnvironmentVariableIsSet("DORVPRG_MASIK"))
        return -1;
    QCoreApplication app(argc, argv);
    const QStringList a = app.arguments().mid(1);
    try {
        Adatbazis::megnyit(a.value(1), qEnvironmentVariable("DORVPRG_KAPCSOLAT"));
        const QString p = a.value(0);
        const int kod = p == "modosit" ? modosit(a) : p == "torol" ? torol(a) : p == "beszur" ? beszur(a)
                      : p == "uj" ? uj(a) : p == "asztal" ? asztal(a) : p == "zarol" ? zarol() : 3;
        Adatbazis::bezar();
        if (kod == 0)
            mond("kesz");
        return kod;
    } catch (const StoreHiba &h) {
        mond("hiba: " + h.uzenet());
        return 3;
    }
}

MasikProgram::MasikProgram(const QStringList &parancs)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("DORVPRG_MASIK", "1");
    // the same register: the folder is in the command, a server's connection string here
    env.insert("DORVPRG_KAPCSOLAT", Adatbazis::kapcsolat());
    m_p.setProcessEnvironment(env);
    m_p.setProcessChannelMode(QProcess::MergedChannels);
    m_p.start(QCoreApplication::applicationFilePath(), parancs);
    m_p.waitForStarted();
}

MasikProgram::~MasikProgram()
{
    if (m_p.state() != QProcess::NotRunning) {
        m_p.kill();
        m_p.waitForFinished();
    }
}

bool MasikProgram::var(const QByteArray &jel)
{
    for (;;) {
        m_ki += m_p.readAllStandardOutput();
        if (m_ki.contains(jel))
            return true;
        if (m_p.state() == QProcess::NotRunning || !m_p.waitForReadyRead(60000)) {
            m_ki += m_p.readAllStandardOutput();
            return m_ki.contains(jel);
        }
    }
}

void MasikProgram::tovabb()
{
    m_p.write("tovabb\n");
    m_p.waitForBytesWritten();
}

int MasikProgram::vege(int ezredmp)
{
    const bool vegzett = m_p.state() == QProcess::NotRunning || m_p.waitForFinished(ezredmp);
    m_ki += m_p.readAllStandardOutput();
    return vegzett && m_p.exitStatus() == QProcess::NormalExit ? m_p.exitCode() : -1;
}
