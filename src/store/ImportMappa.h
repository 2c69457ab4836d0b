#pragma once

#include <QString>
#include <QStringList>

// The folder an import builds the new database in, beside the old tables, and the moving of
// the finished files into place. The folder's name tells it as ours (ELOTAG and six letters
// or digits) and a lock held on a file inside it for the whole import tells it in use; a
// folder left by a killed run has no holder, and the next import removes it.
class ImportMappa {
public:
    static const char *const ELOTAG;    // ".dorvprg-import-"

    // Creates the folder in `mappa` and takes its lock; throws StoreHiba when it cannot.
    explicit ImportMappa(const QString &mappa);
    ~ImportMappa();    // removes the folder and everything still in it
    ImportMappa(const ImportMappa &) = delete;
    ImportMappa &operator=(const ImportMappa &) = delete;

    const QString &ut() const { return m_ut; }
    // The files built here other than the lock, by name.
    QStringList fajlok() const;

    // Removes the folders of earlier imports in `mappa` that no running import holds;
    // nothing else, not even a folder of a like name that is not exactly ours.
    static void maradekokTorol(const QString &mappa);

private:
    QString m_ut;
    int m_zar = -1;
};

// Moves a file to a name where nothing is yet: returns false, leaving both as they were,
// when the target exists; throws StoreHiba naming the target on any other failure.
bool Athelyez(const QString &honnan, const QString &hova);
// fsync of a file or a folder (a folder's entries: what was moved into it); throws StoreHiba.
void Lemezre(const QString &ut);
