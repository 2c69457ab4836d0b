#pragma once

#include <QDialog>

class QLineEdit;
class QPushButton;
class Tabla;

// The login window: checks a user name and password against felhasznalo and sets the
// rights of the run; also lets a user change their own password. On a server that wants a
// password of its own (kiszolgalo), the name and password are the server's: the check opens
// the register with them, and the rights come from the role's groups.
class Tfrm_Login : public QDialog {
    Q_OBJECT
public:
    explicit Tfrm_Login(QWidget *szulo = nullptr, const QString &kiszolgalo = {});
    ~Tfrm_Login() override;

    // Checks the two boxes; on success sets the rights and the user name in Beall.
    bool Ellenoriz();
    bool belepett() const { return Belepett; }

protected:
    void showEvent(QShowEvent *e) override;

private:
    void btnOKClick();
    void btnUjJelszoClick();
    bool keres();   // makes the user named in the box current; exact match

    int szerverEllenoriz();

    Tabla *Tbl = nullptr;
    QString m_kiszolgalo;   // the connection string when the server checks the login
    bool Belepett = false;
    QLineEdit *edtFelhasznalo;
    QLineEdit *edtJelszo;
    QPushButton *btnOK;
    QPushButton *btnUjJelszo;
    QPushButton *btnMegsem;
};
