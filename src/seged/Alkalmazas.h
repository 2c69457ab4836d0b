#pragma once

class QApplication;
class QMenuBar;
class QWidget;

// What every window of the program shares and no single window can set for itself: the
// window font, Qt's own texts in Hungarian (file, print and message dialogs, the edit
// boxes' context menu), the program's style (password boxes show "*", a focused push
// button shows its focus frame, drop-down lists scroll instead of filling the screen,
// Alt reaches the menu bar), Enter pressing the focused push button, and Ctrl+Tab /
// Ctrl+PgDn turning the pages of a page control from any of its controls.
// Called once, before the first window is made. Without ablakIkon the program's icon is not
// read (the window-less forms: its pictures are a good part of their start).
void AlkalmazasKonvenciok(QApplication &app, bool ablakIkon = true);

// F10 opens the first menu of the window's menu bar, as in any desktop program.
void MenuBillentyu(QWidget *ablak, QMenuBar *menu);
