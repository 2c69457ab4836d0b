#pragma once

#include <QObject>
#include <QPointer>

class QWidget;

// While it lives, keys, clicks, the wheel, context menus, shortcuts and the window manager's
// close reach only the window given (a progress window, which may not be shown yet) and
// are dropped everywhere else, as a modal window drops them. For long work that keeps events
// going before its modal window appears.
class BemenetZar : public QObject {
public:
    explicit BemenetZar(QWidget *enged = nullptr);
    ~BemenetZar() override;

protected:
    bool eventFilter(QObject *o, QEvent *e) override;

private:
    QPointer<QWidget> m_enged;
};
