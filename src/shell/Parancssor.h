#pragma once

#include <QStringList>

// The program started with arguments works without windows: runs one form, prints what it
// did and gives the exit code. Returns false when there are no arguments for it (start the
// windows as usual).
bool ParancssorFuttat(const QStringList &argumentumok, int &kilepesiKod);
// Whether the program runs window-less: any argument at all. Decided before QApplication
// starts, which then gets no argument to take for its own (-platform, -display).
bool ParancssorKell(int argc, char *argv[]);
