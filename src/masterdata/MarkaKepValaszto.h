#pragma once

#include <QComboBox>

// The brand editor's picture chooser: one entry per picture of the brand picture list,
// each 48 pixels high; the entry texts ("0", "1", ...) are never drawn.
class MarkaKepValaszto : public QComboBox {
    Q_OBJECT
public:
    explicit MarkaKepValaszto(QWidget *szulo = nullptr);
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent *e) override;
};
