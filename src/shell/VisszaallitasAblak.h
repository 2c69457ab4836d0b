#pragma once

#include <functional>

class QWidget;

// "Adatbázis visszaállítása...": an archive chosen, checked, its date and rows shown beside
// the register's, and restored when the user agrees. bezar closes the program's own register
// before the files are replaced, ujraNyit opens it and the letter list again afterwards (also
// after a failure). Returns true when the archive was restored.
bool ArchivVisszaallitasAblak(QWidget *szulo, const std::function<void()> &bezar, const std::function<void()> &ujraNyit);
