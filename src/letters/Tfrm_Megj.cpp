#include "Tfrm_Megj.h"
#include "AblakBetu.h"
#include "ParancsKeszlet.h"
#include "Adatbazis.h"
#include "KurzorModell.h"
#include "Levelek.h"
#include "Mezo.h"
#include "Seged.h"
#include "StoreHiba.h"
#include "Tabla.h"
#include "Tfrm_Megj_Szerkeszt.h"
#include "Kozepre.h"

#include <QAction>
#include <QDate>
#include <QEvent>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QTableView>
#include <QToolBar>
#include <QVBoxLayout>

Tfrm_Megj::Tfrm_Megj(Tabla &tbl, int doksi, const QString &szam, QWidget *szulo)
    : QDialog(szulo), Tbl(tbl), m_doksi(doksi)
{
    setFont(AblakBetu());
    setWindowTitle("Csatolt dokumentumok");
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);
    auto *fo = new QVBoxLayout(this);
    fo->setContentsMargins(2, 2, 2, 2);
    fo->setSpacing(2);
    auto *eszkozok = new QToolBar(this);
    eszkozok->setToolButtonStyle(Qt::ToolButtonTextOnly);
    fo->addWidget(eszkozok);

    ParancsKeszlet parancsok(this, eszkozok);
    QMenu *menu = parancsok.menu();
    aUj = parancsok.uj("Új dokumentum", Qt::Key_Insert);
    aSzerkeszt = parancsok.uj("Szerkeszt", Qt::Key_F2);
    aTorol = parancsok.uj("Töröl", QKeySequence(Qt::CTRL | Qt::Key_Delete));
    parancsok.elvalaszto();
    aMegnyit = parancsok.uj("Megnyit", Qt::Key_F5);
    parancsok.elvalaszto();
    aBezar = parancsok.uj("Bezár", Qt::Key_Escape);

    Panel1 = new QLabel("   " + szam);
    Panel1->setFont(AblakBetu(9, true));
    Panel1->setFrameShape(QFrame::Panel);
    Panel1->setFrameShadow(QFrame::Raised);
    fo->addWidget(Panel1);

    DBGrid1 = new QTableView;
    auto *modell = new KurzorModell(&Tbl, {{"datum", "dátum"}, {"doknev_rovid", "leírás"}}, this);
    RacsBeallit(DBGrid1, modell);
    DBGrid1->setColumnWidth(0, 81);
    DBGrid1->setColumnWidth(1, 298);
    DBGrid1->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(DBGrid1, &QWidget::customContextMenuRequested, this,
            [this, menu](const QPoint &p) { menu->popup(DBGrid1->viewport()->mapToGlobal(p)); });
    modell->kovet(DBGrid1);
    fo->addWidget(DBGrid1, 1);

    lblUt = new QLabel;
    QFont f = Felkover(lblUt->font());
    f.setUnderline(true);
    lblUt->setFont(f);
    QPalette p = lblUt->palette();
    p.setColor(QPalette::WindowText, Qt::blue);
    lblUt->setPalette(p);
    lblUt->setCursor(Qt::PointingHandCursor);
    lblUt->setSizePolicy(QSizePolicy::Maximum, QSizePolicy::Fixed);   // as wide as its text
    lblUt->installEventFilter(this);
    fo->addWidget(lblUt, 0, Qt::AlignLeft);

    connect(&Tbl, &Tabla::mozgasUtan, this, &Tfrm_Megj::utFrissit);
    connect(DBGrid1, &QTableView::doubleClicked, this, &Tfrm_Megj::aSzerkesztExecute);
    connect(aUj, &QAction::triggered, this, &Tfrm_Megj::aUjExecute);
    connect(aSzerkeszt, &QAction::triggered, this, &Tfrm_Megj::aSzerkesztExecute);
    connect(aTorol, &QAction::triggered, this, &Tfrm_Megj::aTorolExecute);
    connect(aMegnyit, &QAction::triggered, this, &Tfrm_Megj::aMegnyitExecute);
    connect(aBezar, &QAction::triggered, this, &QDialog::reject);
    // a reference belongs to a stored letter; with no current letter there is none to take it
    aUj->setEnabled(m_doksi > 0 && Adatbazis::ertek("SELECT 1 FROM doksi WHERE doksi = ?", {m_doksi}).isValid());
    utFrissit();
    setFixedSize(418, 382);
}

bool Tfrm_Megj::eventFilter(QObject *o, QEvent *e)
{
    if (o == lblUt && e->type() == QEvent::MouseButtonRelease
        && static_cast<QMouseEvent *>(e)->button() == Qt::LeftButton) {
        aMegnyitExecute();
        return true;
    }
    return QDialog::eventFilter(o, e);
}

void Tfrm_Megj::utFrissit()
{
    lblUt->setText(Tbl.nyitva() && !Tbl.ures() ? MezoSzoveg(Tbl.ertek("doknev")) : QString());
    lblUt->adjustSize();
}

void Tfrm_Megj::szerkeszto()
{
    Tfrm_Megj_Szerkeszt e(Tbl, this);
    kepernyoKozepre(&e);
    // a post the store refuses keeps the window, and what was typed, for another try
    bool tarolva = false;
    while (!tarolva && e.exec() == QDialog::Accepted) {
        try {
            Tbl.post();   // the store writes it through at once
            tarolva = true;
        } catch (const StoreHiba &h) {
            HibaUzenet(h.uzenet(), this);
        }
    }
    if (!tarolva)
        Tbl.megse();
    utFrissit();
}

void Tfrm_Megj::aUjExecute()
{
    if (!aUj->isEnabled())
        return;
    try {
        Tbl.beszur();
        Tbl.setErtek("doksi", m_doksi);
        Tbl.setErtek("datum", QDate::currentDate());
    } catch (const StoreHiba &h) {
        Tbl.megse();
        FelsoHiba(h.uzenet(), this);
        return;
    }
    szerkeszto();
}

void Tfrm_Megj::aSzerkesztExecute()
{
    if (Tbl.ures())
        return;
    try {
        Tbl.szerkeszt();
    } catch (const StoreHiba &h) {
        FelsoHiba(h.uzenet(), this);
        return;
    }
    szerkeszto();
}

void Tfrm_Megj::aTorolExecute()
{
    if (Tbl.ures() || MezoSzoveg(Tbl.ertek("doknev")).isEmpty())
        return;
    if (!Kerdes("Valóban töröljem a bejegyzést?", "Megerősítés", this))
        return;
    try {
        Tbl.torol();   // the file itself stays where it is
    } catch (const StoreHiba &h) {
        FelsoHiba(h.uzenet(), this);
    }
    utFrissit();
}

void Tfrm_Megj::aMegnyitExecute()
{
    if (Tbl.ures())
        return;
    DokumentumNyit(MezoSzoveg(Tbl.ertek("doknev")));
}

void CsatoltLista(int doksi, const QString &szam, QWidget *szulo)
{
    Tabla tbl("megj");
    tbl.setIndex("idx_datum_desc");
    tbl.setSzuro(QString("doksi=%1").arg(doksi));
    tbl.setSzurt(true);
    tbl.megnyit();
    {
        Tfrm_Megj f(tbl, doksi, szam, szulo);
        f.exec();
    }
    tbl.bezar();
}
