#pragma once

#include "Seged.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

// A program folder of its own for one test: a temporary folder as ProgramMappa, its Data
// folder with a new database open, and scripted answers for every message box. Under the
// global data row "pg" of motorok() the register is a fresh database on the test program's
// PostgreSQL server instead of the folder's SQLite file.
class TesztKornyezet {
public:
    explicit TesztKornyezet(bool adatbazisNyit = true);
    ~TesztKornyezet();

    // In initTestCase_data(): a global row per engine, every test function runs on both.
    // DORVPRG_MOTOR=sqlite or pg keeps one (CTest runs the server rows apart, labelled pg).
    static void motorok();
    // The current row's engine is the server.
    static bool szerveren();
    // In init(): why the server row cannot run (QSKIP with it), empty when it can.
    static QString szerverHiba();
    // The connection string of this test's register, empty for SQLite; a new empty server
    // database of its own on every call with uj.
    QString kapcsolat() const { return m_kapcsolat; }
    static QString ujSzerverAdatbazis();

    QString programMappa() const { return m_dir.path(); }
    // Writes the folder's DorvPrg.ini naming this register (its folder, and its server on the
    // server row), so the program started there (ProgramFuttat) works on it.
    void iniIr() const;
    QString adatMappa() const;

    // Answers given to the next questions, in order (Yes when the list runs out).
    void valaszok(const QList<bool> &v) { m_valaszok = v; }
    const QList<UzenetKeres> &uzenetek() const { return m_uzenetek; }
    QStringList szovegek() const;       // the texts shown so far
    void uzenetekTorol() { m_uzenetek.clear(); }

    // Runs f on the next modal window that appears (QTimer driven), e.g. to click a button.
    static void modalisan(std::function<void(QWidget *)> f, int kesleltetes = 0);

private:
    QTemporaryDir m_dir;
    QString m_kapcsolat;
    QList<bool> m_valaszok;
    QList<UzenetKeres> m_uzenetek;
};

// Damages a register's SQLite file as a crash or a bad disk leaves it: "ures" empties it,
// "csonka" cuts its last two pages, "lap" overwrites the root page of the letters (doksi) and
// moves the change counter on, as another program's commit does, so an open connection reads
// the page again. False when the file could not be read or written.
bool RegiszterRongal(const QString &fajl, const QString &mod);
