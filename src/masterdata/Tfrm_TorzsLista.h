#pragma once

#include <QDialog>
#include <QList>
#include <QSize>
#include <functional>

class QAction;
class QLineEdit;
class QTableView;
class KurzorModell;
class Tabla;

// What makes one master list window differ from the others.
struct TorzsLeiras {
    struct Oszlop {
        QString mezo;
        QString cim;
        int szeles;
    };
    QString tabla;          // marka, alkatresz, ugyfel
    QString kulcs;          // the auto-numbered key
    QString nevMezo;        // order and search field
    QList<Oszlop> oszlopok;
    QString cim;            // window caption
    QSize meret;            // client area
    int keresoSzeles = 93;
    bool keresoFelkover = true;
    // Sets up a new row in insert state (brands start on picture 0).
    std::function<void(Tabla *)> ujSor = {};
    // The editor of the row in insert or edit state; it posts the row itself on OK.
    std::function<QDialog *(Tabla *, QWidget *)> szerkeszto;
};

// A master list window: browse mode to look through and maintain the list, pick mode to
// choose a row for the caller. The cursor is open while the window exists.
class Tfrm_TorzsLista : public QDialog {
    Q_OBJECT
public:
    Tfrm_TorzsLista(const TorzsLeiras &leiras, bool valaszt, QWidget *szulo = nullptr);
    ~Tfrm_TorzsLista() override;

    // Shows the window modally on the given key (or the first row by name);
    // the accepted row's key, or -1 when closed otherwise.
    int futtat(int kulcs);
    void pozicional(int kulcs);

    Tabla *tabla() const { return Tbl; }
    bool valaszt() const { return m_valaszt; }

    QAction *aUj = nullptr;
    QAction *aSzerkeszt = nullptr;
    QAction *aTorol = nullptr;
    QAction *aKeres = nullptr;
    QAction *aElfogad = nullptr;
    QAction *aBezar = nullptr;

protected:
    void showEvent(QShowEvent *e) override;
    bool eventFilter(QObject *o, QEvent *e) override;

private:
    void aUjExecute();
    void aSzerkesztExecute();
    void aTorolExecute();
    void aElfogadExecute();
    void edKeresChange(const QString &szoveg);
    void gridDblClick();
    void gridContextMenu(const QPoint &hol);
    void szerkesztes(bool uj);

    TorzsLeiras m_leiras;
    bool m_valaszt;
    Tabla *Tbl;
    KurzorModell *m_modell;
    QLineEdit *edKeres;
    QTableView *grid;
};
