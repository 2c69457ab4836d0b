#pragma once

#include "Nyomtatvany.h"

#include <QFont>

// Fonts of the printouts. The forms name Windows fonts; each name is mapped to an installed
// metric twin so that the measures of the forms hold. The QFont returned is the one both
// measured and printed: its pixel size is in hundredths of a millimetre, hinting off, so
// its metrics do not depend on the device.
namespace Betuk {
constexpr double EGYSEG = 100.0;   // painting units per millimetre

QFont font(const Betu &b);
QString csalad(const QString &nev);   // the installed family printed for a named font
// Loads the Tahoma twin once; safe to call repeatedly (needs a QGuiApplication).
void betolt();
// The pen width (in painting units) that makes a bold text of this font print bold, or 0.
// The Tahoma twin's bold face has the bold metrics but outlines as thin as the regular one.
double vastagitas(const QFont &f);
}
