#pragma once

#include "Export.h"

#include <QDialog>

class QLineEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QToolButton;
class Tabla;

// "Határolt szöveg export": writes a cursor to delimited text with the separator and the
// text qualifier the user picks. The rows are written through HataroltIr, or the writer of
// another list of letters.
class Tfrm_Hatarolt : public QDialog {
    Q_OBJECT
public:
    Tfrm_Hatarolt(Tabla &ds, const QString &fajlnev, QWidget *szulo = nullptr);
    // rows of another list, written by iro (sorok: their number)
    Tfrm_Hatarolt(HataroltIro iro, int sorok, const QString &fajlnev, QWidget *szulo = nullptr);

    bool fut() const { return m_fut; }

    // controls, named as in the window (tests drive them)
    QRadioButton *rbPontosvesszo, *rbTabulator, *rbVesszo;
    QRadioButton *rbIdezojel, *rbAposztrof, *rbSemmi;
    QLineEdit *edFajl;
    QToolButton *btnTallozas;
    QPushButton *btnMegallit, *btnExport, *btnBezar;
    QProgressBar *pbHaladas;

public slots:
    void btnExportClick();
    void btnMegallitClick();
    void btnTallozasClick();
    void reject() override;

protected:
    void closeEvent(QCloseEvent *e) override;

private:
    Tabla *m_ds = nullptr;
    HataroltIro m_iro;
    int m_sorok = 0;
    bool m_fut = false;
    bool m_bezarKell = false;   // closing asked while an export runs: stop, then close
};
