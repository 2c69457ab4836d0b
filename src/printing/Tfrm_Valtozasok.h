#pragma once

#include <QDialog>
#include <QString>

class KurzorModell;
class QComboBox;
class QDateEdit;
class QLabel;
class QPushButton;
class QTableView;
class Tabla;

// "Változások": the change history of one letter (with its notes, documents and claims), of
// one master row, or, for an administrator, of the whole register filtered by date, user and
// table. It sits beside the export it writes through; an administrator brings back a deleted
// letter, note, document or claim from its delete entry.
class Tfrm_Valtozasok : public QDialog {
    Q_OBJECT
public:
    enum class Mod { Level, Torzs, Osszes };
    Tfrm_Valtozasok(Mod mod, const QString &tabla, const QString &kulcs, QWidget *szulo = nullptr);
    ~Tfrm_Valtozasok() override;

    Tabla &tabla() { return *m_tbl; }

    // controls, named as in the window (tests drive them)
    QDateEdit *edtTol = nullptr, *edtIg = nullptr;
    QComboBox *cbFelhasznalo = nullptr, *cbTabla = nullptr;
    QPushButton *btnSzures = nullptr, *btnVisszaallit, *btnExport, *btnBezar;
    QTableView *grdNaplo;
    QLabel *lblSzam;

public slots:
    void szures();
    void btnVisszaallitClick();

private:
    void allapot();
    Mod m_mod;
    Tabla *m_tbl;
    KurzorModell *m_modell;
};

// The windows, modal: a letter's (by its key), a master row's (table and key), the whole.
void LevelValtozasai(qint64 doksi, QWidget *szulo = nullptr);
void TorzsValtozasai(const QString &tabla, const QString &kulcs, QWidget *szulo = nullptr);
void OsszesValtozas(QWidget *szulo = nullptr);
