#pragma once

#include <QKeySequence>
#include <QString>

class QAction;
class QMenu;
class QToolBar;
class QWidget;

// A list window's commands: each one stands in its tool bar and its context menu at once,
// and its key works anywhere in the window.
class ParancsKeszlet {
public:
    ParancsKeszlet(QWidget *ablak, QToolBar *eszkozok);
    QAction *uj(const QString &szoveg, const QKeySequence &billentyu);
    void elvalaszto();
    QMenu *menu() const { return m_menu; }

private:
    QWidget *m_ablak;
    QToolBar *m_eszkozok;
    QMenu *m_menu;
};
