#pragma once

#include <QObject>
#include <QSet>

class QPlainTextEdit;
class QWidget;

// The data-entry conventions of a window: the focused field turns sky blue (166, 202, 240)
// and back to the window colour when it loses the focus; Enter moves to the next field of
// the tab order, except in multi-line fields, where it starts a new line.
class MezoKonvencio : public QObject {
    Q_OBJECT
public:
    explicit MezoKonvencio(QWidget *ablak, bool enterTovabb = true);
    // Colours every edit, memo, combo box, spin and date box of the window, except those given.
    void szinezMind(const QList<QWidget *> &kiveve = {});
    void szinez(QWidget *mezo);
    // Hooks the Enter convention onto every child (call after the window is built).
    void enterBekot();

protected:
    bool eventFilter(QObject *o, QEvent *e) override;

private:
    QWidget *m_ablak;
    bool m_enter;
    QSet<QWidget *> m_szinezett;
};

// A memo whose field keeps at most hossz characters takes no more: typing stops at the
// limit and a paste is taken only as far as it fits, with a beep, so a post never cuts
// the text silently.
void memoKorlat(QPlainTextEdit *memo, int hossz);
