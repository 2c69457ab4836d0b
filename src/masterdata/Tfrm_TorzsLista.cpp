#include "Tfrm_TorzsLista.h"
#include "Tfrm_Valtozasok.h"
#include "Sema.h"
#include "AblakBetu.h"
#include "Beall.h"
#include "Ikonok.h"
#include "Kozepre.h"
#include "KurzorModell.h"
#include "Mezo.h"
#include "Seged.h"
#include "StoreHiba.h"
#include "Tabla.h"

#include <QAction>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QStyle>
#include <QTableView>
#include <QTimer>
#include <QToolBar>
#include <QVBoxLayout>

#include <memory>

namespace {

QAction *akcio(QWidget *ablak, const char *nev, const QString &felirat, const QString &sugo,
               const QKeySequence &gomb)
{
    auto *a = new QAction(AkcioIkon(nev), felirat, ablak);
    a->setObjectName(nev);
    a->setToolTip(sugo.isEmpty() ? felirat : sugo);
    a->setStatusTip(sugo);
    a->setShortcut(gomb);
    a->setShortcutContext(Qt::WindowShortcut);
    ablak->addAction(a);
    return a;
}

} // namespace

Tfrm_TorzsLista::Tfrm_TorzsLista(const TorzsLeiras &leiras, bool valaszt, QWidget *szulo)
    : QDialog(szulo), m_leiras(leiras), m_valaszt(valaszt), Tbl(new Tabla(leiras.tabla, this))
{
    setObjectName("frm_Torzs_" + leiras.tabla);
    setWindowTitle(leiras.cim);
    setFont(AblakBetu());
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint
                   | Qt::WindowCloseButtonHint);

    aUj = akcio(this, "aUj", "Új sor", "Új sor", Qt::Key_Insert);
    aSzerkeszt = akcio(this, "aSzerkeszt", "Szerkeszt", "Szerkeszt", Qt::Key_F2);
    aTorol = akcio(this, "aTorol", "Sor törlése", "Sor törlése", Qt::CTRL | Qt::Key_Delete);
    aKeres = akcio(this, "aKeres", "Kereső", {}, Qt::CTRL | Qt::Key_F);
    aElfogad = akcio(this, "aElfogad", "Elfogad", {}, Qt::Key_Return);
    aElfogad->setShortcuts({Qt::Key_Return, Qt::Key_Enter});
    aBezar = akcio(this, "aBezar", "Bezár", "Bezár", Qt::Key_Escape);
    aElfogad->setEnabled(valaszt);
    aElfogad->setVisible(valaszt);

    connect(aUj, &QAction::triggered, this, &Tfrm_TorzsLista::aUjExecute);
    connect(aSzerkeszt, &QAction::triggered, this, &Tfrm_TorzsLista::aSzerkesztExecute);
    connect(aTorol, &QAction::triggered, this, &Tfrm_TorzsLista::aTorolExecute);
    connect(aKeres, &QAction::triggered, this, [this] { edKeres->setFocus(Qt::ShortcutFocusReason); });
    connect(aElfogad, &QAction::triggered, this, &Tfrm_TorzsLista::aElfogadExecute);
    connect(aBezar, &QAction::triggered, this, &QDialog::reject);

    edKeres = new QLineEdit(this);
    edKeres->setObjectName("edKeres");
    edKeres->setFixedWidth(leiras.keresoSzeles);
    if (leiras.keresoFelkover)
        edKeres->setFont(Felkover(edKeres->font()));
    edKeres->installEventFilter(this);
    connect(edKeres, &QLineEdit::textChanged, this, &Tfrm_TorzsLista::edKeresChange);
    // browse mode: Enter goes on to the grid (in pick mode the accept shortcut takes it first)
    connect(edKeres, &QLineEdit::returnPressed, this, [this] {
        if (!m_valaszt)
            grid->setFocus(Qt::OtherFocusReason);
    });

    auto *eszkoztar = new QToolBar(this);
    eszkoztar->setObjectName("ToolBar1");
    eszkoztar->setToolButtonStyle(Qt::ToolButtonIconOnly);
    eszkoztar->setIconSize(QSize(16, 16));
    eszkoztar->addWidget(edKeres);
    eszkoztar->addSeparator();
    eszkoztar->addAction(aKeres);
    eszkoztar->addSeparator();
    eszkoztar->addActions({aUj, aSzerkeszt, aTorol});
    eszkoztar->addSeparator();
    eszkoztar->addActions({aElfogad, aBezar});

    QList<KurzorModell::Oszlop> oszlopok;
    for (const auto &o : leiras.oszlopok)
        oszlopok << KurzorModell::Oszlop{o.mezo, o.cim};
    m_modell = new KurzorModell(Tbl, oszlopok, this);

    grid = new QTableView(this);
    grid->setObjectName("grid");
    grid->setModel(m_modell);
    SorJelzoBeallit(grid);
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid->setSelectionMode(QAbstractItemView::SingleSelection);
    grid->setTabKeyNavigation(false);
    grid->setWordWrap(false);
    grid->horizontalHeader()->setHighlightSections(false);
    grid->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    for (int i = 0; i < leiras.oszlopok.size(); ++i)
        grid->setColumnWidth(i, leiras.oszlopok[i].szeles);
    // the selection stays visible when the grid has no focus
    QPalette p = grid->palette();
    p.setColor(QPalette::Inactive, QPalette::Highlight, p.color(QPalette::Active, QPalette::Highlight));
    p.setColor(QPalette::Inactive, QPalette::HighlightedText, p.color(QPalette::Active, QPalette::HighlightedText));
    grid->setPalette(p);
    grid->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(grid, &QWidget::customContextMenuRequested, this, &Tfrm_TorzsLista::gridContextMenu);
    connect(grid, &QAbstractItemView::doubleClicked, this, &Tfrm_TorzsLista::gridDblClick);

    auto *l = new QVBoxLayout(this);
    l->setContentsMargins(0, 0, 0, 0);
    l->setSpacing(0);
    l->addWidget(eszkoztar);
    l->addWidget(grid, 1);
    setFixedSize(leiras.meret);

    Tbl->setIndex(leiras.nevMezo);
    Tbl->megnyit();
    m_modell->kovet(grid);
    kepernyoKozepre(this);
}

Tfrm_TorzsLista::~Tfrm_TorzsLista()
{
    if (Tbl->nyitva()) {
        Tbl->megse();
        Tbl->bezar();
    }
}

void Tfrm_TorzsLista::pozicional(int kulcs)
{
    // a key that is not there (-1 from the main window, 0 for an empty field, a deleted row)
    // leaves the first row by name current
    if (!Tbl->keres(m_leiras.kulcs, kulcs, Tabla::KeresMod::Pontos))
        Tbl->elso();
}

int Tfrm_TorzsLista::futtat(int kulcs)
{
    pozicional(kulcs);
    const bool elfogadva = exec() == QDialog::Accepted;
    const int eredmeny = elfogadva ? MezoEgesz(Tbl->ertek(m_leiras.kulcs)) : -1;
    Tbl->bezar();
    return eredmeny;
}

void Tfrm_TorzsLista::showEvent(QShowEvent *e)
{
    QDialog::showEvent(e);
    edKeres->setFocus(Qt::OtherFocusReason);
}

bool Tfrm_TorzsLista::eventFilter(QObject *o, QEvent *e)
{
    if (o == edKeres) {
        if (e->type() == QEvent::FocusIn) {
            // after the click that gave the focus, so the click does not drop the selection
            QTimer::singleShot(0, edKeres, &QLineEdit::selectAll);
        } else if (e->type() == QEvent::ShortcutOverride) {
            // the window's commands come before the edit's own keys (Ctrl+Del deletes the row)
            auto *k = static_cast<QKeyEvent *>(e);
            const QKeySequence s(k->keyCombination());
            for (QAction *a : actions())
                if (a->isEnabled() && a->shortcuts().contains(s)) {
                    e->ignore();
                    return true;
                }
        }
    }
    return QDialog::eventFilter(o, e);
}

void Tfrm_TorzsLista::edKeresChange(const QString &szoveg)
{
    // no match: the cursor stays, without a word
    try {
        Tbl->keres(m_leiras.nevMezo, szoveg, Tabla::KeresMod::ReszletesKisNagy);
    } catch (const StoreHiba &h) {
        FelsoHiba(h.uzenet(), this);
    }
}

void Tfrm_TorzsLista::szerkesztes(bool uj)
{
    if (!JogEllenoriz(Beall.torzsszerkeszt, this))
        return;
    try {
        if (uj || Tbl->ures()) {
            Tbl->beszur();
            if (m_leiras.ujSor)
                m_leiras.ujSor(Tbl);
        } else {
            Tbl->szerkeszt();
        }
        std::unique_ptr<QDialog> szerkeszto(m_leiras.szerkeszto(Tbl, this));
        // the editor posts on OK; anything else throws the change away
        if (szerkeszto->exec() != QDialog::Accepted || Tbl->szerkesztes())
            Tbl->megse();
    } catch (const StoreHiba &h) {
        Tbl->megse();
        FelsoHiba(h.uzenet(), this);
    }
    grid->setFocus(Qt::OtherFocusReason);
}

void Tfrm_TorzsLista::aUjExecute() { szerkesztes(true); }

void Tfrm_TorzsLista::aSzerkesztExecute() { szerkesztes(false); }

void Tfrm_TorzsLista::aTorolExecute()
{
    if (!JogEllenoriz(Beall.torzsszerkeszt, this) || !TorlesMegerosites(this))
        return;
    if (Tbl->ures())
        return;
    try {
        Tbl->torol();
    } catch (const StoreHiba &h) {
        FelsoHiba(h.uzenet(), this);
    }
}

void Tfrm_TorzsLista::aElfogadExecute()
{
    if (m_valaszt)
        accept();
}

void Tfrm_TorzsLista::gridDblClick()
{
    if (m_valaszt)
        aElfogad->trigger();
    else
        aSzerkeszt->trigger();
}

void Tfrm_TorzsLista::gridContextMenu(const QPoint &hol)
{
    QMenu m(this);
    m.addActions({aUj, aSzerkeszt, aTorol});
    m.addSeparator();
    m.addAction("Változások", this, [this] {
        if (!Tbl->ures())
            TorzsValtozasai(m_leiras.tabla, Tbl->ertek(Tbl->leiras().kulcs).toString(), this);
    });
    m.addSeparator();
    m.addAction(aKeres);
    m.addSeparator();
    m.addActions({aElfogad, aBezar});
    m.exec(grid->viewport()->mapToGlobal(hol));
}
