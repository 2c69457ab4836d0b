#pragma once

#include <QDialog>

class QAction;
class QComboBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QTableView;
class Tabla;

// "Reklamációk": the claims of one letter, oldest first, with the letter and its warranty
// above them.
class Tfrm_Reklamacio : public QDialog {
    Q_OBJECT
public:
    Tfrm_Reklamacio(Tabla &tbl, int doksi, QWidget *szulo = nullptr);

    QLabel *lblLevel = nullptr;
    QTableView *DBGrid1 = nullptr;
    QPlainTextEdit *DBMemo1 = nullptr;
    QAction *aUj = nullptr, *aSzerkeszt = nullptr, *aTorol = nullptr, *aLapKep = nullptr, *aLapNyomtat = nullptr,
            *aLista = nullptr, *aBezar = nullptr;

    void aUjExecute();
    void aSzerkesztExecute();
    void aTorolExecute();

private:
    void reszletFrissit();
    void levelFrissit();
    Tabla &Tbl;
    int m_doksi;
};

// "Reklamáció": one claim bound to the row of the claims cursor, which is in insert or edit
// state.
class Tfrm_Reklamacio_Szerkeszt : public QDialog {
    Q_OBJECT
public:
    Tfrm_Reklamacio_Szerkeszt(Tabla &tbl, int doksi, QWidget *szulo = nullptr);

    QDateEdit *dtDatum = nullptr, *dtKuldes = nullptr, *dtLezaras = nullptr;
    QLineEdit *edKmora = nullptr, *edBeszallito = nullptr, *edEredmeny = nullptr, *edKoltseg = nullptr,
              *edIndok = nullptr;
    QPlainTextEdit *mmPanasz = nullptr, *mmDontes = nullptr;
    QComboBox *cbAllapot = nullptr;
    QLabel *lblFigyelmeztet = nullptr;

    // Shows the editor; on accept checks the claim rules and posts (offering the replacement
    // letter for "Cserélve"); a refused post keeps the window for another try. True when posted.
    bool futtat();

private:
    void mezokbe();
    void vissza();
    void kesesFrissit();
    bool ment();
    Tabla &m_tbl;
    int m_doksi;
};
