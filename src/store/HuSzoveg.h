#pragma once

#include <QString>
#include <QStringList>

// Hungarian text rules shared by the store, the windows and the files.
namespace HuSzoveg {
QString nagybetu(const QString &s);       // ő -> Ő, ű -> Ű, ...
QString kisbetu(const QString &s);
// Key that orders names alphabetically, letter case ignored, accented letters right after
// their base letter. A text starts with p (case ignored) exactly when its key starts with
// p's key, so a binary search over sorted keys finds a leading part.
QString rendezoKulcs(const QString &s);

// Text files of the program (dorvido.ini, s1.txt ...) are code page 1250 on disk, UTF-8
// when 1250 cannot hold their text; a file that is valid UTF-8 (with or without BOM) is
// read as UTF-8.
QString dekodol(const QByteArray &b);
QByteArray kodol1250(const QString &s);
// The bytes of a text file that dekodol() reads back as exactly s: code page 1250 when it
// holds the text (so files stay as the earlier program wrote them), UTF-8 otherwise. Empty
// with *ok false when neither keeps it (a lone surrogate, a leading byte order mark).
QByteArray fajlKodol(const QString &s, bool *ok);
// Reads a text file; throws StoreHiba naming the file when it cannot be read.
QString fajlOlvas(const QString &ut);
QStringList fajlSorok(const QString &ut);
// fajlKodol() for the file ut: throws StoreHiba naming the file when the text cannot be kept.
QByteArray fajlBajtjai(const QString &ut, const QString &szoveg);
// Writes a text file as fajlKodol() encodes it; throws StoreHiba naming the file when the
// text cannot be kept or the file cannot be written.
void fajlIr(const QString &ut, const QString &szoveg);

extern const char *const ROVID_DATUM;    // the short date format: "yyyy.MM.dd."
}
