#include "Tfrm_Megjegyzes.h"
#include "AblakBetu.h"
#include "ParancsKeszlet.h"
#include "Adatbazis.h"
#include "Kozepre.h"
#include "KurzorModell.h"
#include "LevelNyomtatas.h"
#include "Levelek.h"
#include "Mezo.h"
#include "Nyomtatas.h"
#include "Seged.h"
#include "StoreHiba.h"
#include "Tabla.h"
#include "Tfrm_Megjegyzes_Szerkeszt.h"

#include <QAction>
#include <QHeaderView>
#include <QMenu>
#include <QPlainTextEdit>
#include <QSplitter>
#include <QTableView>
#include <QToolBar>
#include <QVBoxLayout>

namespace {
// A note belongs to a stored letter; key 0 (no current letter) or a deleted one takes none.
bool levelLetezik(int doksi)
{
    return doksi > 0 && Adatbazis::ertek("SELECT 1 FROM doksi WHERE doksi = ?", {doksi}).isValid();
}
} // namespace

Tfrm_Megjegyzes::Tfrm_Megjegyzes(Tabla &tbl, int doksi, QWidget *szulo)
    : QDialog(szulo), Tbl(tbl), m_doksi(doksi)
{
    setFont(AblakBetu());
    setWindowTitle("Megjegyzések");
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);
    auto *fo = new QVBoxLayout(this);
    fo->setContentsMargins(2, 2, 2, 2);
    auto *eszkozok = new QToolBar(this);
    eszkozok->setToolButtonStyle(Qt::ToolButtonTextOnly);
    fo->addWidget(eszkozok);

    ParancsKeszlet parancsok(this, eszkozok);
    QMenu *menu = parancsok.menu();
    aUj = parancsok.uj("Új", Qt::Key_Insert);
    aSzerkeszt = parancsok.uj("Szerkeszt", Qt::Key_F2);
    aTorol = parancsok.uj("Töröl", QKeySequence(Qt::CTRL | Qt::Key_Delete));
    parancsok.elvalaszto();
    aNyomtatkep = parancsok.uj("Nyomtatási kép", QKeySequence(Qt::CTRL | Qt::Key_K));
    aNyomtat = parancsok.uj("Nyomtat", QKeySequence(Qt::CTRL | Qt::Key_P));
    parancsok.elvalaszto();
    aBezar = parancsok.uj("Bezár", Qt::Key_Escape);

    auto *oszto = new QSplitter(Qt::Vertical, this);
    DBGrid1 = new QTableView;
    auto *modell = new KurzorModell(&Tbl, {{"datum", "dátum"}, {"rovid", "rövid leírás"}}, this);
    RacsBeallit(DBGrid1, modell);
    DBGrid1->setColumnWidth(0, 69);
    DBGrid1->setColumnWidth(1, 298);
    DBGrid1->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(DBGrid1, &QWidget::customContextMenuRequested, this,
            [this, menu](const QPoint &p) { menu->popup(DBGrid1->viewport()->mapToGlobal(p)); });
    modell->kovet(DBGrid1);
    oszto->addWidget(DBGrid1);
    DBMemo1 = new QPlainTextEdit;
    DBMemo1->setReadOnly(true);
    DBMemo1->setFont(QFont("Courier New", 9));
    oszto->addWidget(DBMemo1);
    oszto->setSizes({220, 140});
    fo->addWidget(oszto, 1);

    connect(&Tbl, &Tabla::mozgasUtan, this, &Tfrm_Megjegyzes::memoFrissit);
    connect(DBGrid1, &QTableView::doubleClicked, this, &Tfrm_Megjegyzes::aSzerkesztExecute);
    connect(aUj, &QAction::triggered, this, &Tfrm_Megjegyzes::aUjExecute);
    connect(aSzerkeszt, &QAction::triggered, this, &Tfrm_Megjegyzes::aSzerkesztExecute);
    connect(aTorol, &QAction::triggered, this, &Tfrm_Megjegyzes::aTorolExecute);
    connect(aBezar, &QAction::triggered, this, &QDialog::reject);
    // the printout reads the stored notes of the letter this window shows
    connect(aNyomtatkep, &QAction::triggered, this, [this] { LevelNyomtat(MegjegyzesNyomtat, m_doksi, false, this); });
    connect(aNyomtat, &QAction::triggered, this, [this] { LevelNyomtat(MegjegyzesNyomtat, m_doksi, true, this); });
    aUj->setEnabled(levelLetezik(m_doksi));
    memoFrissit();
    setFixedSize(402, 389);
}

void Tfrm_Megjegyzes::memoFrissit()
{
    DBMemo1->setPlainText(Tbl.nyitva() && !Tbl.ures() ? MezoSzoveg(Tbl.ertek("megjegyzes")) : QString());
}

void Tfrm_Megjegyzes::aUjExecute()
{
    if (!levelLetezik(m_doksi))
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
    Tfrm_Megjegyzes_Szerkeszt e(Tbl, this);
    e.futtat();
    memoFrissit();
}

void Tfrm_Megjegyzes::aSzerkesztExecute()
{
    if (Tbl.ures())
        return;
    try {
        Tbl.szerkeszt();
    } catch (const StoreHiba &h) {
        FelsoHiba(h.uzenet(), this);
        return;
    }
    Tfrm_Megjegyzes_Szerkeszt e(Tbl, this);
    e.futtat();
    memoFrissit();
}

void Tfrm_Megjegyzes::aTorolExecute()
{
    if (Tbl.ures() || !TorlesMegerosites(this))
        return;
    try {
        Tbl.torol();
    } catch (const StoreHiba &h) {
        FelsoHiba(h.uzenet(), this);
    }
    memoFrissit();
}

void MegjegyzesLista(int doksi, QWidget *szulo)
{
    Tabla tbl("doksi_megj");
    tbl.setIndex("doksi_megj");
    tbl.setSzuro(QString("doksi=%1").arg(doksi));
    tbl.setSzurt(true);
    tbl.megnyit();
    {
        Tfrm_Megjegyzes f(tbl, doksi, szulo);
        kepernyoKozepre(&f);
        f.exec();
    }
    tbl.bezar();
}

void UjMegjegyzes(Tabla &tblMegj, int doksi, QWidget *szulo)
{
    if (!levelLetezik(doksi))
        return;
    const bool nyitva = tblMegj.nyitva();
    if (!nyitva)
        tblMegj.megnyit();
    try {
        tblMegj.beszur();
        tblMegj.setErtek("doksi", doksi);
        tblMegj.setErtek("datum", QDate::currentDate());
        Tfrm_Megjegyzes_Szerkeszt e(tblMegj, szulo);
        e.futtat();
    } catch (const StoreHiba &h) {
        tblMegj.megse();
        FelsoHiba(h.uzenet(), szulo);
    }
    if (!nyitva)
        tblMegj.bezar();
}
