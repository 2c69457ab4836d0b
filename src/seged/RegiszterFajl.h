#pragma once

#include <QString>

// The register's own files: the database file with its journal, the printed texts
// s1.txt-s3.txt, dorvido.ini and DorvPrg.ini (with its spare copy). No output (export, PDF, archive, saved SQL)
// may be written onto one of them, however the path is spelled: files are compared by
// device and inode after links are resolved, and a file not there yet by its folder's
// identity and its name.

// The path of the register file that cel is, or an empty string.
QString RegiszterFajl(const QString &cel);
// Throws StoreHiba with a message naming the file when cel is one of the register's files.
void RegiszterFajlVed(const QString &cel);
