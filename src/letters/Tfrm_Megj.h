#pragma once

#include <QDialog>

class QAction;
class QLabel;
class QTableView;
class Tabla;

// "Csatolt dokumentumok": references to files of one letter, newest first.
class Tfrm_Megj : public QDialog {
    Q_OBJECT
public:
    Tfrm_Megj(Tabla &tbl, int doksi, const QString &szam, QWidget *szulo = nullptr);

    QLabel *Panel1 = nullptr;    // heading strip with the letter number
    QTableView *DBGrid1 = nullptr;
    QLabel *lblUt = nullptr;     // the current path, drawn as a link
    QAction *aUj = nullptr, *aSzerkeszt = nullptr, *aTorol = nullptr, *aMegnyit = nullptr, *aBezar = nullptr;

    void aUjExecute();
    void aSzerkesztExecute();
    void aTorolExecute();
    void aMegnyitExecute();

protected:
    bool eventFilter(QObject *o, QEvent *e) override;

private:
    void szerkeszto();
    void utFrissit();
    Tabla &Tbl;
    int m_doksi;
};
