#include "Tfrm_Felhasznalo.h"
#include "Adatbazis.h"
#include "Mezo.h"
#include "Szerepek.h"
#include "AblakBetu.h"
#include "Ikonok.h"
#include "Admin.h"
#include "KurzorModell.h"
#include "Seged.h"
#include "StoreHiba.h"
#include "Tabla.h"
#include "Tfrm_FelhasznaloSzerkeszt.h"
#include "Kozepre.h"

#include <QAction>
#include <QApplication>
#include <QGuiApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMenu>
#include <QScreen>
#include <QStyle>
#include <QTableView>
#include <QToolBar>
#include <QVBoxLayout>

Tfrm_Felhasznalo::Tfrm_Felhasznalo(QWidget *szulo)
    : QDialog(szulo, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      Tbl(new Tabla("felhasznalo", this))
{
    setWindowTitle("Felhasználók adatai");
    setFont(AblakBetu());
    setObjectName("Tfrm_Felhasznalo");
    setFixedSize(214, 206);   // wide enough for the caption in a window manager's title bar

    const auto akcio = [this](const QString &nev, const QString &cim, const QKeySequence &k) {
        auto *a = new QAction(AkcioIkon(nev), cim, this);
        a->setObjectName(nev);
        a->setToolTip(cim);
        a->setStatusTip(cim);
        a->setShortcut(k);
        a->setShortcutContext(Qt::WindowShortcut);   // not in the editor window above it
        addAction(a);
        return a;
    };
    aUj = akcio("aUj", "Új Felhasználó", QKeySequence(Qt::Key_Insert));
    aSzerkeszt = akcio("aSzerkeszt", "Szerkeszt", QKeySequence(Qt::Key_F2));
    aTorol = akcio("aTorol", "Töröl", QKeySequence(Qt::CTRL | Qt::Key_Delete));
    aBezar = akcio("aBezar", "Bezár", QKeySequence(Qt::Key_Escape));

    auto *lay = new QVBoxLayout(this);
    lay->setContentsMargins(0, 0, 0, 0);
    lay->setSpacing(0);
    auto *tb = new QToolBar(this);
    tb->setIconSize(QSize(16, 16));
    tb->addAction(aUj);
    tb->addAction(aSzerkeszt);
    tb->addAction(aTorol);
    tb->addSeparator();
    tb->addAction(aBezar);
    lay->addWidget(tb);

    Tbl->setIndex("felhasznalo");
    m_modell = new KurzorModell(Tbl, {{"felhasznalo", "Felhasználó"}}, this);
    DBGrid1 = new QTableView(this);
    DBGrid1->setObjectName("DBGrid1");
    RacsBeallit(DBGrid1, m_modell);
    DBGrid1->setColumnWidth(0, 164);
    DBGrid1->horizontalHeader()->setStretchLastSection(true);
    // the selection keeps its colour when the grid loses the focus
    QPalette p = DBGrid1->palette();
    p.setColor(QPalette::Inactive, QPalette::Highlight, p.color(QPalette::Active, QPalette::Highlight));
    p.setColor(QPalette::Inactive, QPalette::HighlightedText, p.color(QPalette::Active, QPalette::HighlightedText));
    DBGrid1->setPalette(p);
    DBGrid1->setContextMenuPolicy(Qt::CustomContextMenu);
    DBGrid1->installEventFilter(this);
    lay->addWidget(DBGrid1);

    auto *menu = new QMenu(this);
    menu->addAction(aUj);
    menu->addAction(aSzerkeszt);
    menu->addAction(aTorol);
    menu->addSeparator();
    menu->addAction(aBezar);
    connect(DBGrid1, &QWidget::customContextMenuRequested, this,
            [this, menu](const QPoint &pt) { menu->exec(DBGrid1->viewport()->mapToGlobal(pt)); });
    connect(DBGrid1, &QAbstractItemView::doubleClicked, this, [this] { aSzerkeszt->trigger(); });

    connect(aUj, &QAction::triggered, this, &Tfrm_Felhasznalo::aUjExecute);
    connect(aSzerkeszt, &QAction::triggered, this, &Tfrm_Felhasznalo::aSzerkesztExecute);
    connect(aTorol, &QAction::triggered, this, &Tfrm_Felhasznalo::aTorolExecute);
    connect(aBezar, &QAction::triggered, this, &QDialog::accept);

    Tbl->megnyit();
    m_modell->kovet(DBGrid1);
    DBGrid1->setFocus();
    kepernyoKozepre(this);
}

Tfrm_Felhasznalo::~Tfrm_Felhasznalo()
{
    Tbl->bezar();
}

bool Tfrm_Felhasznalo::eventFilter(QObject *o, QEvent *e)
{
    if (o == DBGrid1 && e->type() == QEvent::KeyPress) {
        const int k = static_cast<QKeyEvent *>(e)->key();
        if (k == Qt::Key_Return || k == Qt::Key_Enter) {
            aSzerkeszt->trigger();
            return true;
        }
    }
    return QDialog::eventFilter(o, e);
}

void Tfrm_Felhasznalo::szerkesztoFuttat()
{
    Tfrm_FelhasznaloSzerkeszt f(Tbl, this);
    if (f.exec() != QDialog::Accepted && Tbl->szerkesztes())
        Tbl->megse();
    DBGrid1->setFocus();
}

void Tfrm_Felhasznalo::aUjExecute()
{
    Tbl->beszur();
    szerkesztoFuttat();
}

void Tfrm_Felhasznalo::aSzerkesztExecute()
{
    if (Tbl->ures())
        return;
    Tbl->szerkeszt();
    szerkesztoFuttat();
}

void Tfrm_Felhasznalo::aTorolExecute()
{
    if (Tbl->ures() || !TorlesMegerosites(this))
        return;
    try {
        if (Szerepek::aktiv()) {
            // the role goes with its row, through the server's users function
            Adatbazis::Tranzakcio t;
            Szerepek::torol(MezoSzoveg(Tbl->ertek("felhasznalo")));
            t.commit();
            Tbl->frissit();
            return;
        }
        Tbl->torol();
    } catch (const StoreHiba &h) {
        FelsoHiba(h.uzenet(), this);
    }
}

void FelhasznaloLista(QWidget *szulo)
{
    try {
        Tfrm_Felhasznalo f(szulo);
        f.exec();
    } catch (const StoreHiba &h) {
        FelsoHiba(h.uzenet(), szulo);
    }
}
