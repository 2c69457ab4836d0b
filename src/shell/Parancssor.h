#pragma once

#include <QStringList>

// The program started with arguments works without windows: runs one form, prints what it
// did and gives the exit code. Returns false when there are no arguments for it (start the
// windows as usual).
bool ParancssorFuttat(const QStringList &argumentumok, int &kilepesiKod);
// The same from main()'s arguments, taken as the bytes they are: one that the program could
// not hand back to the system unchanged (not valid UTF-8) is refused with exit code 2.
bool ParancssorFuttat(int argc, char *argv[], int &kilepesiKod);
// Whether the program runs window-less: any argument at all. Decided before QApplication
// starts, which then gets no argument to take for its own (-platform, -display).
bool ParancssorKell(int argc, char *argv[]);
