#pragma once

#include "Garancia.h"

#include <QHash>
#include <QMainWindow>
#include <functional>

class KurzorModell;
class QAction;
class QLabel;
class QLineEdit;
class QMenu;
class QMenuBar;
class QTabBar;
class QTableView;
class QToolBar;
class QWidget;
class Tabla;

// The main window: the register of letters in two views, the quick search, the letter
// counter and every command of the program. It owns the letter cursor Tbl for the whole run.
class Tfrm_Main : public QMainWindow {
    Q_OBJECT
public:
    explicit Tfrm_Main(QWidget *szulo = nullptr);
    ~Tfrm_Main() override;

    // The creation step of the start: settings, store, caption, login, the letter list.
    // False when the program must end (no database, login not completed); the reason has
    // been shown already.
    bool inditas();

    // shared cursors
    Tabla &Tbl() { return *m_tbl; }
    Tabla &TblMegj() { return *m_tblMegj; }
    KurzorModell &ds() { return *m_ds; }

    // the current view: 0 'J' (Jótállás), 1 'S' (Szereléssel)
    int nezet() const;
    QString nezetTipus() const { return nezet() == 1 ? "S" : "J"; }

    QAction *akcio(const QString &nev) const { return m_akciok.value(nev); }
    const QList<QAction *> &akciok() const { return m_akcioSorrend; }
    // Enables an action and runs f when it fires, after the right check of the action and
    // with a store failure going to the top-level error box.
    void bekot(QAction *a, std::function<void()> f);

    // widgets, for the windows and tests that work with them
    QLineEdit *Edit1() const { return m_edit1; }
    QTabBar *TabSet1() const { return m_tabSet; }
    QTableView *DBGrid1() const { return m_grid[0]; }
    QTableView *DBGrid2() const { return m_grid[1]; }
    QTableView *aktualisGrid() const { return m_grid[nezet()]; }
    QLabel *statusPanel(int i) const { return m_panel[i]; }
    QToolBar *ToolBar1() const { return m_toolBar1; }
    QToolBar *ToolBar2() const { return m_toolBar2; }
    QMenuBar *MainMenu1() const { return m_menuSor; }
    QMenu *PopupMenu(int i) const;   // 1 print, 2 notes, 3 grid

    void Elrendez();
    void setVisible(bool lathato) override;

protected:
    bool event(QEvent *e) override;
    bool eventFilter(QObject *o, QEvent *e) override;
    void showEvent(QShowEvent *e) override;
    void closeEvent(QCloseEvent *e) override;
    QMenu *createPopupMenu() override { return nullptr; }   // the bands stay: no menu to hide them

private:
    void akciokLetrehoz();
    void akciokBekotese();
    void menukEpit();
    void gombsorEpit();
    QWidget *gridPanel(int i);
    void statusSorEpit();
    bool adatbazisNyit();
    bool hibasIniValasztas();
    void feliratBeallit();
    void ujraNyit();   // the register and the letter list opened again (after a restore)
    bool belepes();
    void listaBeallit();
    void TabSet1Change(int index);
    void Edit1Change(const QString &szoveg);
    void kodraUgrik(QChar tipus, int szam);
    void szamlalo();
    // grey for a letter whose warranty has ended, when the settings say so
    QVariant lejartSzin(int sor) const;
    void AppHint(const QString &tipp);
    void torles();
    void elsoMegjelenes();
    void elhelyez();
    bool bezaras();
    void kulsoValtozasFigyel();

    Tabla *m_tbl = nullptr;
    Tabla *m_tblMegj = nullptr;
    KurzorModell *m_ds = nullptr;           // the model of the grid shown
    KurzorModell *m_racsModell[2] = {};     // one for each grid; the hidden one sleeps
    mutable QHash<QString, Garancia::Idotartam> m_idotartamok;   // period texts read for the grids
    QHash<QString, QAction *> m_akciok;
    QList<QAction *> m_akcioSorrend;
    QToolBar *m_toolBar1 = nullptr;
    QToolBar *m_toolBar2 = nullptr;
    QMenuBar *m_menuSor = nullptr;
    QMenu *m_popup[3] = {};
    QLineEdit *m_edit1 = nullptr;
    QWidget *m_panelek[2] = {};
    QTableView *m_grid[2] = {};
    QLabel *m_panel[4] = {};
    QTabBar *m_tabSet = nullptr;
    bool m_elsoMegjelenes = true;
    bool m_nyitva = false;       // the creation step succeeded: closing writes the settings
    bool m_bezarva = false;
    bool m_kulsoFrissites = false;   // another program's change not yet re-read everywhere
};
