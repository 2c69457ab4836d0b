#pragma once

#include <QPixmap>
#include <QTimer>
#include <QWidget>

// The splash window: a borderless 400 x 240 picture on top of the desktop, its grey parts
// see-through. It closes itself four seconds after it is shown and frees itself then.
class Tfrm_Logo : public QWidget {
    Q_OBJECT
public:
    explicit Tfrm_Logo(QWidget *szulo = nullptr);
    static QPixmap kep();          // the picture; grey (128, 128, 128) stands for transparent
    QTimer &Timer1() { return m_timer; }

protected:
    void showEvent(QShowEvent *e) override;
    void paintEvent(QPaintEvent *e) override;

private:
    QPixmap m_kep;
    QTimer m_timer;
};
