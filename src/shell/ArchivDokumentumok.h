#pragma once

// The program's own entries packed beside the register's files: the period list of the
// program folder and the copies of the attached documents, with what the description
// says of them. Not for use outside the archive's own code.

#include "ArchivBelso.h"

#include <QJsonArray>
#include <QList>
#include <QString>
#include <QStringList>

struct sqlite3;

namespace ArchivBelso {

// A megj row naming a document.
struct DokumentumSor {
    qint64 megj = 0;
    qint64 doksi = 0;
    QString doknev;
};

// The rows of megj with a document text, in key order, read through the connection (inside
// the snapshot's read transaction, so they are the rows the archive holds). Throws StoreHiba.
QList<DokumentumSor> dokumentumSorok(sqlite3 *h);
// The same from a database file.
QList<DokumentumSor> dokumentumSorok(const QString &dbFajl);

struct Dokumentumok {
    QJsonArray leiras;          // the description's "dokumentumok"
    QJsonArray hianyzoLeiras;   // the description's "hianyzo_dokumentumok"
    QStringList hianyzok;       // the texts of the rows whose file could not be read
    int sorok = 0;              // rows with a copy
    int fajlok = 0;             // copies packed (rows naming one file share it)
    int elso = -1;              // index of the first copy among the entries
};

// Adds every document that is a readable file to the entries (after the ones there, under
// ArchivDokumentumBejegyzes); a web or mail address is no file, an unreadable or missing one
// is listed in hianyzok. A document that is the register's own database is not copied again.
Dokumentumok dokumentumokHozzaad(const QList<DokumentumSor> &sorok, QList<Bejegyzes> &fajlok,
                                 const QString &adatbazisFajl);

// Fills the description's objects with each copy's CRC once it is packed.
void dokumentumCrc(Dokumentumok &d, const QList<Bejegyzes> &fajlok);

} // namespace ArchivBelso
