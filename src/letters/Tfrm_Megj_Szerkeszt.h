#pragma once

#include <QDialog>

class QLineEdit;
class QPushButton;
class QToolButton;
class Tabla;

// "Csatolt dokumentum": one reference, bound to the row of the documents cursor.
class Tfrm_Megj_Szerkeszt : public QDialog {
    Q_OBJECT
public:
    explicit Tfrm_Megj_Szerkeszt(Tabla &tbl, QWidget *szulo = nullptr);

    QLineEdit *DBEdit2 = nullptr;   // leírás
    QLineEdit *DBEdit1 = nullptr;   // dokumentum
    QToolButton *btnTalloz = nullptr;
    QPushButton *btnOK = nullptr;
    QPushButton *btnMegse = nullptr;

    void btnTallozClick();

private:
    Tabla &m_tbl;
};
