#pragma once

#include <QString>
#include <QStringList>
#include <atomic>
#include <utility>
#include <thread>

// A throw-away PostgreSQL 15 server for one test program: its own cluster in a temporary
// folder, reached only through a Unix socket in that folder, run as the unprivileged
// `postgres` user (the tests run as root, and the server refuses root). Every database it
// hands out belongs to the role `dorvprg`, which has no more rights than the program gets
// from scripts/pg-setup.sh. The destructor stops the server and removes the folder.
class PgSzerver {
public:
    PgSzerver();
    ~PgSzerver();
    PgSzerver(const PgSzerver &) = delete;
    PgSzerver &operator=(const PgSzerver &) = delete;

    // The one server of this test program, started on first use; nullptr when it could not
    // be started (hibaSzoveg() says why).
    static PgSzerver *kozos();
    static QString hibaSzoveg();

    bool fut() const { return m_fut; }
    QString hiba() const { return m_hiba; }

    // A new, empty database owned by the program's role; returns its libpq connection
    // string ("host=... port=... dbname=... user=..."), empty on failure (see hiba()).
    QString ujAdatbazis();
    QString kapcsolat(const QString &adatbazis) const;

    // Runs SQL as the superuser on a database; returns psql's output (tuples only,
    // unaligned, '|' between fields), or a null string on failure (see hiba()).
    QString sql(const QString &adatbazis, const QString &utasitas);

    // Runs SQL as a role logging in with its password (SCRAM: every role but the superuser and
    // the program's own needs one); the output as sql() gives it, a null string on failure
    // with psql's message in hiba().
    QString sqlSzerepkent(const QString &adatbazis, const QString &szerep, const QString &jelszo,
                          const QString &utasitas);
    // scripts/pg-setup.sh run as the postgres user against this server, bemenet on its input:
    // exit code (-1 when it did not end) and everything it printed.
    std::pair<int, QString> pgSetup(const QStringList &arg, const QByteArray &bemenet = {});

    bool leall();   // stops the server (fast shutdown: connections are cut)
    bool indul();   // starts it again on the same cluster, socket and port

    QString socketMappa() const { return m_mappa; }
    int port() const { return m_port; }
    static QString binMappa();   // /usr/lib/postgresql/15/bin

private:
    bool futtat(const QString &program, const QStringList &arg, bool postgreskent, QString *ki = nullptr);

    QString m_mappa;
    int m_port = 5432;
    bool m_fut = false;
    QString m_hiba;
    int m_sorszam = 0;
};

// Terminates every backend of a database that waits for its client inside a transaction (idle
// in transaction: between a post's statements, before its COMMIT), from a thread of its own,
// every few milliseconds, as the superuser, until destroyed or legfeljebb backends are gone.
class TranzakcioMegszakito {
public:
    TranzakcioMegszakito(const PgSzerver &sz, const QString &adatbazis, int legfeljebb);
    ~TranzakcioMegszakito();
    TranzakcioMegszakito(const TranzakcioMegszakito &) = delete;
    TranzakcioMegszakito &operator=(const TranzakcioMegszakito &) = delete;
    int megszakitott() const { return m_db; }   // backends terminated so far
    QString hiba() const { return m_hiba; }       // why it could not work, empty when it could

private:
    std::atomic<bool> m_vege = false;
    std::atomic<int> m_db = 0;
    QString m_hiba;
    std::thread m_szal;
};
