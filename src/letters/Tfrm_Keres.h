#pragma once

#include "Lekerdezes.h"

#include <QDialog>

class QButtonGroup;
class QLineEdit;
class QPushButton;
class QTabWidget;
class QTableView;
class EredmenyModell;

// "Termék keresése": one text compared with five columns of every letter of both kinds.
class Tfrm_Keres : public QDialog {
    Q_OBJECT
public:
    explicit Tfrm_Keres(QWidget *szulo = nullptr);
    ~Tfrm_Keres() override;

    QLineEdit *Edit1 = nullptr;
    QButtonGroup *RadioGroup1 = nullptr;
    QTabWidget *PageControl1 = nullptr;
    QTableView *DBGrid1 = nullptr;
    QPushButton *btnKeres = nullptr;
    QPushButton *btnMegvan = nullptr;

    void btnKeresClick();
    // key doksi of the result row the user stands on, -1 when there is none
    qint64 valasztott() const;
    int talalatok() const;

protected:
    void showEvent(QShowEvent *e) override;

private:
    Lekerdezes Qry;
    EredmenyModell *m_modell;
};
