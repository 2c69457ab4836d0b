#pragma once

#include <QIcon>
#include <QString>

// The 16 x 16 icons of the actions, drawn once in code (no image files to keep in step).
// The name is the action's name ("aUj", "aTorol" ...); an unknown name gives a plain page.
QIcon AkcioIkon(const QString &akcio);
