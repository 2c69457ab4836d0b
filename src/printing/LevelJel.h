#pragma once

#include <QByteArray>
#include <QChar>
#include <QString>

// How a letter is named outside the register: in the name of a saved printout and in the
// code printed on its forms, which a scanner types back into the quick search.

// "J00039": the kind and the number with at least five digits.
QString LevelJel(QChar prntip, int doksiId);

// A text as a safe part of a file name: accents dropped ("Jótállási" -> "Jotallasi"), every
// run of anything but ASCII letters and digits one '_', none at either end.
QString FajlNevResz(const QString &s);

// The proposed PDF name of a printout: "Jotallasi_tanusitvany_J00039.pdf"; without a letter
// (prntip null) only the printout's name: "Egyszeru_lista.pdf".
QString PdfNevJavaslat(const QString &nyomtatvanyNev, QChar prntip = {}, int doksiId = 0);

// The code of a letter: "DORV:J:00039".
QString LevelKod(QChar prntip, int doksiId);
// Reads a code as a scanner types it (letter case and blanks around it do not matter);
// false when the text is not one.
bool LevelKodBol(const QString &s, QChar &prntip, int &doksiId);
// Whether the text could still grow into a code ("D", "DORV:", "dorv:s:12"): the quick search
// waits for the rest instead of taking it for a number.
bool LevelKodEleje(const QString &s);

// The modules of a QR code of the text (libqrencode, error correction M): meret x meret
// values, row by row, non-zero for a dark module. Empty when the text cannot be encoded.
struct QrModulok {
    int meret = 0;
    QByteArray sotet;
    bool sotetE(int x, int y) const { return sotet.at(y * meret + x) != 0; }
};
QrModulok QrKodol(const QString &szoveg);
