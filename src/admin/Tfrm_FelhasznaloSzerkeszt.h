#pragma once

#include <QDialog>

class QCheckBox;
class QLineEdit;
class QPushButton;
class Tabla;

// Edits the login name and password of the row the cursor is inserting or editing;
// OK posts the row, the caller cancels it on any other result. On a register whose users
// are server roles it also sets the two rights (the role's groups), and OK goes through the
// server's users functions instead of a post: the cursor's edit is then cancelled and the
// rows read again.
class Tfrm_FelhasznaloSzerkeszt : public QDialog {
    Q_OBJECT
public:
    explicit Tfrm_FelhasznaloSzerkeszt(Tabla *tbl, QWidget *szulo = nullptr);

protected:
    void showEvent(QShowEvent *e) override;

private:
    void btnOKClick();
    bool szerepMentes();

    Tabla *Tbl;
    QLineEdit *edtFelhasznalo;
    QLineEdit *edtJelszo;
    QLineEdit *edtJelszo2;
    QPushButton *btnOK;
    QPushButton *btnMegsem;
    // server roles
    bool m_szerepek = false;
    QString m_regiNev;          // the row's name when the editor opened, empty for a new one
    bool m_vanSzerep = false;   // the server has a role of that name
    QCheckBox *chkTorzsszerkeszt = nullptr;
    QCheckBox *chkRendszergazda = nullptr;
};
