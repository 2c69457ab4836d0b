#pragma once

#include <QDialog>
#include <QHash>

class QLineEdit;
class QPushButton;
class Tabla;

// The workshop's own details, edited on the owner row that the cursor holds in
// insert or edit state. Fields the window does not show are left as stored.
class Tfrm_Tulajdonos : public QDialog {
    Q_OBJECT
public:
    explicit Tfrm_Tulajdonos(Tabla *tbl, QWidget *szulo = nullptr);
    QLineEdit *mezo(const QString &nev) const { return m_mezok.value(nev); }

private:
    void btnOKClick();

    Tabla *Tbl;
    QHash<QString, QLineEdit *> m_mezok;
    QPushButton *btnOK;
    QPushButton *btnMegsem;
};
