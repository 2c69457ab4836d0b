#pragma once

#include <QDateTime>
#include <QList>
#include <QPair>
#include <QString>

// Checks an archive without changing anything: every entry read back against its CRC, the
// entry names safe to unpack, the database copy opened and its pages checked, and what it
// holds told. Works on any archive of the program and on one made by hand with zip.
struct ArchivVizsgalat {
    bool rendben = false;
    QString ok;                  // the reason on one line when not rendben
    int bejegyzesek = 0;
    qint64 bajtok = 0;           // unpacked
    QDateTime datum;             // the newest entry's time
    bool helyi = false;          // holds the local database file
    bool szerver = false;        // holds a server register's dump
    bool leiras = false;         // holds the program's description of the archive
    int semaVerzio = 0;          // of the database copy; 0 when not known
    QList<QPair<QString, qint64>> levelek;   // letters per kind of the database copy
    QList<QPair<QString, qint64>> tablak;    // rows of every table of the database copy
    qint64 dokumentumok = 0;     // rows naming an attached document
    // from the description: copies of documents packed, the rows they belong to, the rows
    // whose file was missing when archived; -1 when the archive has no such list
    int dokumentumFajlok = -1;
    int dokumentumSorok = 0;
    int hianyzoDokumentumok = 0;
    bool dokumentumokKihagyva = false;   // the settings left them out
    bool dorvido = false;        // holds the period list of the program folder

    // What it holds, in a few lines for a person.
    QString leirasSzoveg() const;
};

// Never throws; a file that is no archive at all is a failed check.
ArchivVizsgalat ArchivEllenoriz(const QString &zip);
