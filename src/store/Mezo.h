#pragma once

#include <QString>
#include <QVariant>

// Conversions of nullable field values used by every window and printout.
QString MezoSzoveg(const QVariant &v);   // null -> "", dates in the short date format
int MezoEgesz(const QVariant &v);        // null -> 0; throws StoreHiba for a text without an integer
