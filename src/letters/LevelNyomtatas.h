#pragma once

#include <functional>

class QWidget;

// The printouts the letter windows start. They go through one caller so that tests can
// watch which entry is chosen without a preview window in the way.
using NyomtatoBelepes = void (*)(int doksi, bool nyomtat, QWidget *szulo);
using LevelNyomtato = std::function<void(NyomtatoBelepes belepes, int doksi, bool nyomtat, QWidget *szulo)>;
void setLevelNyomtato(LevelNyomtato n);   // empty: the entries are called directly again

// Calls the entry through the caller above.
void LevelNyomtat(NyomtatoBelepes belepes, int doksi, bool nyomtat, QWidget *szulo);

// The printout that belongs to a page of the letter editor (0 to 3).
NyomtatoBelepes LapNyomtatvanya(int lap);
