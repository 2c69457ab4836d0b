#pragma once

#include <QIcon>
#include <QString>

// The 16 x 16 icons of the commands, drawn once in code (no image files to keep in step and
// nothing taken from the desktop's icon theme), so that a command looks the same in every
// window. The name is the action's name: the main window's ("aUj", "aTorol" ...) and the
// other windows' own ("aElfogad", "aKivag", "aMasol", "aBeilleszt", "aMindet", "aMegnyit",
// "aMent", "aFuttat", "aMegallit"); an unknown name gives a plain page.
QIcon AkcioIkon(const QString &akcio);

// The program's own icon, the one its package installs (from the icon theme when installed,
// else the same pictures built into the program), for every window's title bar and task bar.
QIcon ProgramIkon();
// The desktop entry's name: task bars group the program's windows with its menu entry.
extern const char *const ASZTALI_BEJEGYZES;
