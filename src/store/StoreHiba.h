#pragma once

#include <QString>
#include <stdexcept>

// Every failure of the store or of a file it handles: carries the readable message
// that windows show behind a first line of their own. The common store failures (disk full,
// locked, read-only, I/O error, more than one statement) get a Hungarian sentence in front
// of the store's own text.
class StoreHiba : public std::runtime_error {
public:
    explicit StoreHiba(const QString &uzenet);
    const QString &uzenet() const { return m_uzenet; }
    // The engine's own (English) text of a refused statement, with a Hungarian sentence of what
    // it means in front: the common cases by name, any other as the engine's error.
    static StoreHiba motor(const QString &uzenet);

private:
    QString m_uzenet;
};

// The register's file, named by the message of a damaged database ("database disk image is
// malformed"); empty when no SQLite register is open. Any thread may raise a StoreHiba.
void SerultFajlBeallit(const QString &fajl);

// The database server cannot be reached, or the connection to it was lost: the message names
// the host and port and libpq's own reason. After a lost connection the next action of the
// store connects again.
class KapcsolatHiba : public StoreHiba {
public:
    KapcsolatHiba(const QString &uzenet, const QString &gep, const QString &port)
        : StoreHiba(uzenet), m_gep(gep), m_port(port)
    {
    }
    // The message: what happened, naming host and port, then libpq's own reason.
    static KapcsolatHiba keszit(bool megszakadt, const QString &gep, const QString &port, const QString &ok);
    QString gep() const { return m_gep; }
    QString port() const { return m_port; }
    // The server refused the login, or asked for a password the desk cannot give (no
    // ~/.pgpass entry): the user may log in with a name and password of the server's.
    bool bejelentkezes() const { return m_bejelentkezes; }

private:
    QString m_gep, m_port;
    bool m_bejelentkezes = false;
};
