#pragma once

#include "MasikProgramHiba.h"

#include <QString>

// Which programs have the local register open, and a restore's hand-over of the folder.
//
// Every program with the local register open holds a shared flock() on the database folder
// (never on the database file: closing any descriptor of that file would drop the fcntl
// locks SQLite holds on it in this process). A restore takes it exclusively: it
// gets it only while no other program has the register open, and holds it while it puts the
// restored files in place, so a program starting meanwhile waits and then opens the new file.
// A program that was open on a file that was replaced anyway (an older program without the
// lock, a folder shared over a network) sees that the file's identity changed.
//
// A restore unpacks into a hidden folder beside the database folder
// (".NAME.dorvprg-visszaallitas-XXXXXX", locked while it runs); a file "kesz" in it says
// that everything there is whole and on disk, from which point the files are only moved
// into the folder, the database file last. What a killed restore left is finished (with
// "kesz") or removed (without it) by the next opening or restore.
namespace RegiszterZar {

// The shared lock on the database folder, taken after what killed restores left is
// dealt with; waits up to varMs while a restore holds it. Throws StoreHiba.
void bejelentkezik(const QString &mappa, int varMs = 10000);
void kijelentkezik();
// The database file this program registered on is no longer the one the folder names.
bool cserelve();
// The register's file was replaced while this program had it open: nothing more is written
// into the old one; the program opens the register again.
class AdatbazisCserelve : public MasikProgramHiba {
public:
    using MasikProgramHiba::MasikProgramHiba;
};
// Throws AdatbazisCserelve; the store's write transactions and its look for other programs'
// changes call it when cserelve().
[[noreturn]] void cserelveHiba();
// Another program holds the register open (this program's own lock set aside for the look).
bool masikNyitva(const QString &mappa);

// The exclusive hold of a restore on the folder's database file (none when there is no
// file). Throws StoreHiba naming the reason when another program has it open.
class Kizarolagos {
public:
    explicit Kizarolagos(const QString &mappa);
    ~Kizarolagos();
    Kizarolagos(const Kizarolagos &) = delete;
    Kizarolagos &operator=(const Kizarolagos &) = delete;

private:
    int m_fd = -1;
};

// The hidden work folder of one restore beside the database folder, locked while it lives;
// removed by the destructor unless atadva() (then the files were moved into the folder).
class Munkahely {
public:
    explicit Munkahely(const QString &mappa);
    ~Munkahely();
    QString ut() const { return m_ut; }
    QString uj() const { return m_ut + "/uj"; }   // the restored folder's files
    // Records a file written outside the database folder (a document put back), removed
    // again when the restore does not reach its end.
    void kihelyezett(const QString &fajl);
    // Everything under uj() is whole and on disk: marks it so, then moves the files into the
    // database folder. From the mark on a kill leaves the rest to the next opening.
    void befejez();
    Munkahely(const Munkahely &) = delete;
    Munkahely &operator=(const Munkahely &) = delete;

private:
    QString m_mappa;
    QString m_ut;
    int m_fd = -1;
    bool m_kesz = false;
};

// Finishes or removes what killed restores of the folder left (those whose lock is free).
void maradekRendez(const QString &mappa);

// fsync of a file or folder; throws StoreHiba naming it.
void lemezre(const QString &ut);

} // namespace RegiszterZar
