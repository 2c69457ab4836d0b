#pragma once

class QApplication;

// What every window of the program shares and no single window can set for itself: the
// window font, Qt's own texts in Hungarian (file, print and message dialogs, the edit
// boxes' context menu), the program's style (password boxes show "*", a focused push
// button shows its focus frame, drop-down lists scroll instead of filling the screen,
// Alt reaches the menu bar) and Enter pressing the focused push button.
// Called once, before the first window is made.
void AlkalmazasKonvenciok(QApplication &app);
