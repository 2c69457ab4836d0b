#pragma once

#include "GaranciaKereso.h"

#include <QDialog>
#include <QList>

class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;

// "Garancia ellenőrzés": one box for a serial number, registration, customer name or letter
// number (typed, or scanned: the scanner types the text and Enter), the matching letters of
// both kinds with their warranty state. Enter on the list (or "Megnyitás") chooses a letter.
class Tfrm_GaranciaEllenorzes : public QDialog {
    Q_OBJECT
public:
    explicit Tfrm_GaranciaEllenorzes(QWidget *szulo = nullptr);

    QLineEdit *Edit1 = nullptr;
    QTableWidget *Grid = nullptr;
    QLabel *Allapot = nullptr;
    QPushButton *btnMegnyit = nullptr, *btnReklamacio = nullptr, *btnBezar = nullptr;

    void keres();                       // lists what the box holds
    const QList<GaranciaSor> &sorok() const { return m_sorok; }
    // the letter chosen to open (valid after accept)
    GaranciaSor valasztott() const { return m_valasztott; }

protected:
    bool eventFilter(QObject *o, QEvent *e) override;

private:
    void megnyit();
    QList<GaranciaSor> m_sorok;
    GaranciaSor m_valasztott;
};
