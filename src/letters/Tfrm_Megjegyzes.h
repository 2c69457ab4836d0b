#pragma once

#include <QDialog>

class QAction;
class QPlainTextEdit;
class QTableView;
class Tabla;

// "Megjegyzések": the notes of one letter in the order they were written.
class Tfrm_Megjegyzes : public QDialog {
    Q_OBJECT
public:
    Tfrm_Megjegyzes(Tabla &tbl, int doksi, QWidget *szulo = nullptr);

    QTableView *DBGrid1 = nullptr;
    QPlainTextEdit *DBMemo1 = nullptr;
    QAction *aUj = nullptr, *aSzerkeszt = nullptr, *aTorol = nullptr, *aNyomtatkep = nullptr,
            *aNyomtat = nullptr, *aBezar = nullptr;

    void aUjExecute();
    void aSzerkesztExecute();
    void aTorolExecute();

private:
    void memoFrissit();
    Tabla &Tbl;
    int m_doksi;
};
