#include "PgSzerver.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <chrono>
#include <libpq-fe.h>
#include <memory>
#include <pwd.h>
#include <random>
#include <unistd.h>

namespace {
const char *const SZEREP = "dorvprg";

std::unique_ptr<PgSzerver> &kozosPeldany()
{
    static std::unique_ptr<PgSzerver> p;
    return p;
}
QString &kozosHiba()
{
    static QString h;
    return h;
}
}

QString PgSzerver::binMappa() { return "/usr/lib/postgresql/15/bin"; }

PgSzerver *PgSzerver::kozos()
{
    auto &p = kozosPeldany();
    if (!p && kozosHiba().isEmpty()) {
        p = std::make_unique<PgSzerver>();
        if (!p->fut()) {
            kozosHiba() = p->hiba();
            p.reset();
        }
    }
    return p.get();
}

QString PgSzerver::hibaSzoveg() { return kozosHiba(); }

PgSzerver::PgSzerver()
{
    if (!QFileInfo(binMappa() + "/initdb").isExecutable()) {
        m_hiba = "PostgreSQL 15 nincs telepítve: " + binMappa() + "/initdb hiányzik (scripts/deps.sh)";
        return;
    }
    const passwd *pw = getpwnam("postgres");
    if (!pw) {
        m_hiba = "nincs 'postgres' felhasználó";
        return;
    }
    QByteArray minta = QDir::temp().filePath("dorvprg-pg-XXXXXX").toLocal8Bit();
    if (!mkdtemp(minta.data())) {
        m_hiba = "az ideiglenes mappa nem hozható létre";
        return;
    }
    m_mappa = QString::fromLocal8Bit(minta);
    if (chown(minta.constData(), pw->pw_uid, pw->pw_gid) != 0) {
        m_hiba = "az ideiglenes mappa nem adható át a postgres felhasználónak";
        return;
    }
    // no fsync: the cluster is thrown away, and the tests should not wait for the disk
    if (!futtat(binMappa() + "/initdb", {"-D", m_mappa + "/adat", "-U", "postgres", "--auth=trust",
                                         "--encoding=UTF8", "--locale=C.UTF-8", "--no-sync"}, true))
        return;
    QFile conf(m_mappa + "/adat/postgresql.conf");
    if (!conf.open(QIODevice::Append)
        || conf.write(QString("listen_addresses = ''\nunix_socket_directories = '%1'\nport = %2\n"
                              "fsync = off\nsynchronous_commit = off\nfull_page_writes = off\n")
                          .arg(m_mappa).arg(m_port).toUtf8()) < 0
        || !conf.flush()) {
        m_hiba = "postgresql.conf nem írható";
        return;
    }
    conf.close();
    // the superuser and the program's role as before; any other role logs in with its password
    // (SCRAM), as the users of a register with a login role each do
    QFile hba(m_mappa + "/adat/pg_hba.conf");
    if (!hba.open(QIODevice::WriteOnly | QIODevice::Truncate)
        || hba.write("local all postgres trust\nlocal all dorvprg trust\nlocal all all scram-sha-256\n") < 0
        || !hba.flush()) {
        m_hiba = "pg_hba.conf nem írható";
        return;
    }
    hba.close();
    if (!indul())
        return;
    // A test program that crashes or is killed never runs the destructor: a watcher stops its
    // server and removes the folder once the program is gone.
    QProcess::startDetached("sh", {"-c", QString("exec </dev/null >/dev/null 2>&1; while [ -d /proc/%1 ]; do sleep 2; done; "
                                                 "runuser -u postgres -- %2/pg_ctl -D '%3/adat' -m immediate stop; "
                                                 "rm -rf '%3'")
                                             .arg(getpid()).arg(binMappa(), m_mappa)});
    m_fut = sql("postgres", QString("CREATE ROLE %1 LOGIN NOSUPERUSER NOCREATEDB NOCREATEROLE").arg(SZEREP))
                .isNull() == false;
}

PgSzerver::~PgSzerver()
{
    if (m_fut)
        leall();
    if (!m_mappa.isEmpty())
        QDir(m_mappa).removeRecursively();
}

bool PgSzerver::futtat(const QString &program, const QStringList &arg, bool postgreskent, QString *ki)
{
    QProcess p;
    p.setWorkingDirectory(m_mappa);   // the postgres user cannot enter the tester's folder
    p.setProcessChannelMode(ki ? QProcess::SeparateChannels : QProcess::MergedChannels);
    if (postgreskent)
        p.start("runuser", QStringList{"-u", "postgres", "--", program} + arg);
    else
        p.start(program, arg);
    if (!p.waitForFinished(180000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
        p.kill();
        m_hiba = QString("%1 %2: %3").arg(QFileInfo(program).fileName(), arg.join(' '),
                                         QString::fromLocal8Bit(p.readAllStandardOutput() + (ki ? p.readAllStandardError() : QByteArray())).trimmed());
        return false;
    }
    if (ki)
        *ki = QString::fromUtf8(p.readAllStandardOutput());
    return true;
}

bool PgSzerver::indul()
{
    const bool ok = futtat(binMappa() + "/pg_ctl", {"-D", m_mappa + "/adat", "-l", m_mappa + "/naplo.txt",
                                                    "-w", "-t", "120", "start"}, true);
    if (!ok)
        m_hiba += "\n" + [&] {
            QFile f(m_mappa + "/naplo.txt");
            return f.open(QIODevice::ReadOnly) ? QString::fromLocal8Bit(f.readAll().right(2000)) : QString();
        }();
    return ok;
}

bool PgSzerver::leall()
{
    return futtat(binMappa() + "/pg_ctl", {"-D", m_mappa + "/adat", "-m", "fast", "-w", "-t", "120", "stop"}, true);
}

QString PgSzerver::kapcsolat(const QString &adatbazis) const
{
    return QString("host=%1 port=%2 dbname=%3 user=%4").arg(m_mappa).arg(m_port).arg(adatbazis, SZEREP);
}

QString PgSzerver::sql(const QString &adatbazis, const QString &utasitas)
{
    QString ki;
    if (!futtat(binMappa() + "/psql", {"-X", "-q", "-A", "-t", "-v", "ON_ERROR_STOP=1", "-h", m_mappa,
                                       "-p", QString::number(m_port), "-U", "postgres", "-d", adatbazis,
                                       "-c", utasitas}, false, &ki))
        return {};
    return ki.isNull() ? QString("") : ki;
}

QString PgSzerver::sqlSzerepkent(const QString &adatbazis, const QString &szerep, const QString &jelszo,
                                 const QString &utasitas)
{
    QProcess p;
    p.setWorkingDirectory(m_mappa);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("PGPASSWORD", jelszo);   // no ~/.pgpass of the tester's
    env.insert("PGPASSFILE", "/dev/null");
    p.setProcessEnvironment(env);
    p.start(binMappa() + "/psql", {"-X", "-q", "-A", "-t", "-v", "ON_ERROR_STOP=1", "-h", m_mappa, "-p",
                                   QString::number(m_port), "-U", szerep, "-d", adatbazis, "-c", utasitas});
    if (!p.waitForFinished(60000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
        p.kill();
        m_hiba = QString::fromUtf8(p.readAllStandardError()).trimmed();
        return {};
    }
    const QString ki = QString::fromUtf8(p.readAllStandardOutput());
    return ki.isNull() ? QString("") : ki;
}

std::pair<int, QString> PgSzerver::pgSetup(const QStringList &arg, const QByteArray &bemenet)
{
    // the postgres user reads the script from a folder of its reach and runs in one it may enter
    QTemporaryDir dir;
    const QString szkript = dir.filePath("pg-setup.sh");
    if (!QFile::copy(QString(DORVPRG_FORRAS "/scripts/pg-setup.sh"), szkript)
        || !QFile::setPermissions(dir.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner
                                                  | QFileDevice::ReadOther | QFileDevice::ExeOther)
        || !QFile::setPermissions(szkript, QFileDevice::ReadOwner | QFileDevice::ExeOwner | QFileDevice::ReadOther
                                               | QFileDevice::ExeOther))
        return {-1, "a pg-setup.sh nem másolható"};
    QProcess p;
    p.setWorkingDirectory(dir.path());
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("PGHOST", m_mappa);
    env.insert("PGPORT", QString::number(m_port));
    p.setProcessEnvironment(env);
    p.start("runuser", QStringList{"-u", "postgres", "--", szkript} + arg);
    p.write(bemenet);
    p.closeWriteChannel();
    p.waitForFinished(120000);
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
            QString::fromUtf8(p.readAllStandardOutput() + p.readAllStandardError())};
}

QString PgSzerver::ujAdatbazis()
{
    const QString nev = QString("dorvprg_%1_%2").arg(getpid()).arg(++m_sorszam);
    if (sql("postgres", QString("CREATE DATABASE %1 OWNER %2 TEMPLATE template0 ENCODING 'UTF8'").arg(nev, SZEREP)).isNull())
        return {};
    return kapcsolat(nev);
}

TranzakcioMegszakito::TranzakcioMegszakito(const PgSzerver &sz, const QString &adatbazis, int legfeljebb)
{
    const QByteArray k = QString("host=%1 port=%2 dbname=%3 user=postgres").arg(sz.socketMappa()).arg(sz.port()).arg(adatbazis).toUtf8();
    PGconn *c = PQconnectdb(k.constData());
    if (PQstatus(c) != CONNECTION_OK) {
        m_hiba = QString::fromUtf8(PQerrorMessage(c));
        PQfinish(c);
        return;
    }
    const QByteArray sql = QString("SELECT count(*) FILTER (WHERE pg_terminate_backend(pid)) FROM pg_stat_activity "
                                   "WHERE datname = '%1' AND state = 'idle in transaction' AND pid <> pg_backend_pid()")
                               .arg(adatbazis).toUtf8();
    m_szal = std::thread([this, c, sql, legfeljebb] {
        std::mt19937 v(12345);
        while (!m_vege && m_db < legfeljebb) {
            PGresult *r = PQexec(c, sql.constData());
            if (PQresultStatus(r) == PGRES_TUPLES_OK)
                m_db += std::atoi(PQgetvalue(r, 0, 0));
            PQclear(r);
            // uneven gaps, so the kills land on every statement of a post in turn
            std::this_thread::sleep_for(std::chrono::milliseconds(2 + v() % 25));
        }
        PQfinish(c);
    });
}

TranzakcioMegszakito::~TranzakcioMegszakito()
{
    m_vege = true;
    if (m_szal.joinable())
        m_szal.join();
}
