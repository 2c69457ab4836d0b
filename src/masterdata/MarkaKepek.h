#pragma once

class QPixmap;

// The brand picture list: 48 x 48 pictures, position 0 a generic early car, the others
// round badges of the makes. A brand stores the position in its field kep.
int MarkaKepSzam();
QPixmap MarkaKep(int index);   // an empty pixmap for a position outside the list
