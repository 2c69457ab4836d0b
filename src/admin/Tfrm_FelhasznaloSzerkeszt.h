#pragma once

#include <QDialog>

class QLineEdit;
class QPushButton;
class Tabla;

// Edits the login name and password of the row the cursor is inserting or editing;
// OK posts the row, the caller cancels it on any other result.
class Tfrm_FelhasznaloSzerkeszt : public QDialog {
    Q_OBJECT
public:
    explicit Tfrm_FelhasznaloSzerkeszt(Tabla *tbl, QWidget *szulo = nullptr);

protected:
    void showEvent(QShowEvent *e) override;

private:
    void btnOKClick();

    Tabla *Tbl;
    QLineEdit *edtFelhasznalo;
    QLineEdit *edtJelszo;
    QLineEdit *edtJelszo2;
    QPushButton *btnOK;
    QPushButton *btnMegsem;
};
