#pragma once

#include <QDialog>

class QAction;
class QTableView;
class KurzorModell;
class Tabla;

// The list of users; new, edit and delete go through the user editor.
class Tfrm_Felhasznalo : public QDialog {
    Q_OBJECT
public:
    explicit Tfrm_Felhasznalo(QWidget *szulo = nullptr);
    ~Tfrm_Felhasznalo() override;

    Tabla *tabla() const { return Tbl; }

    QAction *aUj;
    QAction *aSzerkeszt;
    QAction *aTorol;
    QAction *aBezar;

protected:
    bool eventFilter(QObject *o, QEvent *e) override;

private:
    void aUjExecute();
    void aSzerkesztExecute();
    void aTorolExecute();
    void szerkesztoFuttat();

    Tabla *Tbl;
    KurzorModell *m_modell;
    QTableView *DBGrid1;
};
