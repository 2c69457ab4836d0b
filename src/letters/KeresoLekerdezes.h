#pragma once

#include <QString>

class Lekerdezes;

// The detailed search over all letters: the text, upper-cased, compared with part, brand,
// registration, customer and serial number. The text always travels as a bound value.
namespace KeresoLekerdezes {
enum Modszer { Barhol = 0, Elejen = 1, Egyezo = 2 };
// The rows the result grid shows first.
constexpr int ELSO_LAP = 64;

// The pattern of a method from the typed text: "%T%", "T%" or "T", T upper-cased.
QString minta(const QString &szoveg, int modszer);
// The part of the pattern the substring index can look for (at least three characters
// without wildcards), or empty when the rows must be compared one by one.
QString indexResz(const QString &minta, int modszer);
// Puts the statement and its values into q (not opened): the letters found with the columns
// doksi, doksi_id, datum and ugyfel_nev, ordered by number and key.
void epit(Lekerdezes &q, const QString &szoveg, int modszer);
}
