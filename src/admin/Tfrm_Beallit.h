#pragma once

#include <QDialog>

class QCheckBox;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QSpinBox;
class QToolButton;
class Tabla;

// The settings window: full-screen opening, database and archive folders, the login
// requirement (the beallit row), the warranty period list and the printed texts; on its
// second page the server that holds the register instead of the local file; on the third
// the code on the letter forms and the templates of the e-mail a printout is sent with; on the
// fourth what the archives hold and keep.
class Tfrm_Beallit : public QDialog {
    Q_OBJECT
public:
    // tbl: the beallit cursor, its row already in insert or edit state
    explicit Tfrm_Beallit(Tabla *tbl, QWidget *szulo = nullptr);

    // Takes the window's values: Beall, dorvido.ini, the beallit row. Throws StoreHiba.
    void atvesz();

    // Folder picker; tests replace it (empty result = cancelled).
    static void setMappaValaszto(std::function<QString(QWidget *)> f);

private:
    void mappaValaszt(QLineEdit *cel);
    void btnOKClick();
    void kapcsolatProba();

    Tabla *Tbl;
    QCheckBox *chkTeljesKep;
    QCheckBox *chkVanBelep;
    QLineEdit *edtAdatbazis;
    QToolButton *btnAdatbazis;
    QLineEdit *edtMentes;
    QToolButton *btnMentes;
    QPlainTextEdit *memDorvido;
    QLineEdit *edtKapcsolat;
    QPushButton *btnProba;
    QCheckBox *chkDokumentumok;
    QSpinBox *spnMegtart;
    QLineEdit *edtMasodik;
    QToolButton *btnMasodik;
    QCheckBox *chkQrKod;
    QCheckBox *chkLejartSzurke;   // rows of ended warranties in grey
    QLineEdit *edtEmailTargy;
    QPlainTextEdit *memEmailSzoveg;
    QPushButton *btnSzoveg1;
    QPushButton *btnSzoveg2;
    QPushButton *btnSzoveg3;
    QPushButton *btnOK;
    QPushButton *btnMegsem;
};
