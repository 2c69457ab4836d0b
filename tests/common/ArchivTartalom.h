#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QMap>
#include <QString>

// What an archive holds, as a ZIP tool sees it: every entry unpacked by Info-ZIP after
// `unzip -t` accepted the archive, path -> bytes; empty when it was refused (the tool's
// output in hiba).
QMap<QString, QByteArray> ZipTartalom(const QString &zip, QString *hiba = nullptr);

// The archive's description (the program's leiras.json), empty when it has none.
QJsonObject ZipLeiras(const QString &zip);

// A megj row of the open register naming a document by the text given (a path, a web or
// mail address), under the key given.
void DokumentumSor(qint64 megj, qint64 doksi, const QString &doknev);
