#pragma once

#include "GaranciaKereso.h"

#include <QDialog>
#include <QList>

class QComboBox;
class QDateEdit;
class QLabel;
class QPushButton;
class QSpinBox;
class QTableWidget;

// "Lejáró garanciák": the letters whose warranty ends within a number of days, between two
// days, or ended in the last days, of one kind or both, ordered by the end date.
class Tfrm_LejaroGaranciak : public QDialog {
    Q_OBJECT
public:
    explicit Tfrm_LejaroGaranciak(QWidget *szulo = nullptr);

    QComboBox *cbIdoszak = nullptr, *cbFajta = nullptr;
    QDateEdit *dtTol = nullptr, *dtIg = nullptr;
    QSpinBox *spNapok = nullptr;
    QTableWidget *Grid = nullptr;
    QLabel *Allapot = nullptr;
    QPushButton *btnLista = nullptr, *btnMegnyit = nullptr, *btnExport = nullptr, *btnNyomtat = nullptr,
                *btnBezar = nullptr;

    void lista();
    const QList<GaranciaSor> &sorok() const { return m_sorok; }
    GaranciaSor valasztott() const { return m_valasztott; }

protected:
    bool eventFilter(QObject *o, QEvent *e) override;

private:
    void megnyit();
    void exportal();
    void nyomtat();
    QList<GaranciaSor> m_sorok;
    QString m_idoszak;   // "2026.12.10. - 2027.03.10.", for the printed list
    GaranciaSor m_valasztott;
};
