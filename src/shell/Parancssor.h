#pragma once

#include <QStringList>

// The program started with arguments works without windows: runs one form, prints what it
// did and gives the exit code. Returns false when there are no arguments for it (start the
// windows as usual).
bool ParancssorFuttat(const QStringList &argumentumok, int &kilepesiKod);
// Whether the arguments ask for a form that needs no display (set before QApplication starts).
bool ParancssorKell(int argc, char *argv[]);
