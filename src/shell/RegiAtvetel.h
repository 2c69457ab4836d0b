#pragma once

#include <QString>

class QWidget;

// At start-up on a folder that holds the earlier program's Paradox tables but no database of
// ours: offers to bring them over, shows progress and reports what arrived or why not.
// Returns false when the program should not go on to open (and so create) a database there:
// the import failed and the user chose not to start with an empty register.
bool RegiAdatbazisAtvetel(const QString &mappa, QWidget *szulo = nullptr);
