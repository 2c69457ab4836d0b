#pragma once

#include <QDialog>
#include <QHash>
#include <QList>
#include <QPoint>
#include <QSize>

class QLineEdit;
class QPushButton;
class MezoKonvencio;
class Tabla;

// Layout of one master data editor: the boxes in tab order, then "OK" and "Mégsem".
struct SzerkesztoLeiras {
    struct Mezo {
        QString mezo;
        QString cimke;
        int bal, felul, szeles;
    };
    QString cim;
    QSize meret;            // client area
    QList<Mezo> mezok;
    QPoint ok, megse;
    bool felkover = false;  // the first box in bold
};

// Edits the current row of a list window's cursor, already in insert or edit state.
// Each box is bound to its field; "OK" posts the row and closes only when the store
// takes it, otherwise the window stays open with the store's message.
class Tfrm_TorzsSzerkeszt : public QDialog {
    Q_OBJECT
public:
    Tfrm_TorzsSzerkeszt(Tabla *tabla, const SzerkesztoLeiras &leiras, QWidget *szulo = nullptr);

    QLineEdit *mezo(const QString &nev) const { return m_mezok.value(nev); }
    QPushButton *btnOK = nullptr;
    QPushButton *btnMegse = nullptr;

protected:
    // Before the post: what the window keeps outside the boxes goes into the row.
    virtual void postElott() {}
    // Call once the window's own controls are added: colours and Enter for every field.
    void konvenciok(const QList<QWidget *> &szinezetlen = {});
    Tabla *Tbl;

private:
    void btnOKClick();
    QHash<QString, QLineEdit *> m_mezok;
    MezoKonvencio *m_konvencio = nullptr;
};
