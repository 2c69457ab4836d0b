#pragma once

#include <QApplication>

// The application object: its title, and the top-level error box for a store failure that
// no window caught (shown with the store's message; the program goes on).
class DorvAlkalmazas : public QApplication {
    Q_OBJECT
public:
    // ablakos false: the window-less forms, for which no window icon is read
    DorvAlkalmazas(int &argc, char **argv, bool ablakos = true);
    bool notify(QObject *cel, QEvent *e) override;
};

// The windowed start: the main window's creation step, its showing, the message loop.
// Returns the program's exit code.
int Inditas();
