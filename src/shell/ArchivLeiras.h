#pragma once

#include <QByteArray>
#include <QDir>
#include <QFileInfo>
#include <QString>
#include <QUrl>

#include "Seged.h"

// The program's own entries of an archive live under this folder, whose name the register's
// folder never holds (names starting with ".dorvprg-" are the program's own), so that they
// cannot collide with a file of the database folder.
constexpr char ARCHIV_SAJAT_MAPPA[] = ".dorvprg-archiv/";
// The description: program, schema version, engine, date, folder, rows of every table, each
// entry's size and CRC, and the attached documents (JSON). Its array "dokumentumok" holds one
// object per megj row whose document was packed: {"megj": key, "doksi": letter key, "doknev":
// the stored text exactly, "bejegyzes": entry name, "meret": bytes, "crc": crc32}; rows naming
// the same file share its entry. "hianyzo_dokumentumok" lists the rows whose file could not
// be read ({"megj", "doksi", "doknev"}); "dokumentumok_kihagyva" is true when the settings
// left the documents out.
constexpr char ARCHIV_LEIRAS[] = ".dorvprg-archiv/leiras.json";
// The warranty period list of the program folder, when it exists.
constexpr char ARCHIV_DORVIDO[] = ".dorvprg-archiv/dorvido.ini";
// The copies of the attached documents.
constexpr char ARCHIV_DOKUMENTUMOK[] = ".dorvprg-archiv/dokumentumok/";

// The file an attached document's text (megj.doknev) names, as the program opens it: a path
// relative to the program folder, or a file:// address; empty for web and mail addresses
// and for an empty text.
inline QString ArchivDokumentumFajl(const QString &doknev)
{
    const QString s = doknev.trimmed();
    if (s.isEmpty() || s.startsWith("mailto:", Qt::CaseInsensitive) || s.startsWith("www.", Qt::CaseInsensitive))
        return {};
    if (s.contains("://")) {
        const QUrl u(s);
        return u.isLocalFile() ? QDir::cleanPath(u.toLocalFile()) : QString();
    }
    return QDir::cleanPath(QDir(ProgramMappa()).absoluteFilePath(s));
}

// The entry a document's copy is packed under: ".dorvprg-archiv/dokumentumok/<megj>_<file
// name>". The name is kept as far as every unpacking tool takes it safely: separators,
// colons and control characters become '_', and a name longer than 180 bytes keeps its end
// (the extension) after its first part.
inline QString ArchivDokumentumBejegyzes(qint64 megj, const QString &fajl)
{
    QString nev = QFileInfo(QString(fajl).replace('\\', '/')).fileName();
    for (QChar &c : nev)
        if (c == ':' || c == '/' || c == '\\' || c.unicode() < 0x20 || c.unicode() == 0x7f)
            c = '_';
    if (nev.isEmpty() || nev == "." || nev == "..")
        nev = "dokumentum";
    while (nev.toUtf8().size() > 180)
        nev.remove(nev.size() / 2, 1);
    return QString(ARCHIV_DOKUMENTUMOK) + QString::number(megj) + '_' + nev;
}
