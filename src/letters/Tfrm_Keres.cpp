#include "Tfrm_Keres.h"
#include "Adatbazis.h"
#include "AblakBetu.h"
#include "KurzorModell.h"
#include "KeresoLekerdezes.h"
#include "Levelek.h"
#include "MezoKonvencio.h"
#include "Mezo.h"
#include "Seged.h"
#include "StoreHiba.h"
#include "Tabla.h"

#include <QAbstractTableModel>
#include <QButtonGroup>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSqlQuery>
#include <QTabWidget>
#include <QTableView>
#include <QVBoxLayout>

// The rows of the search, fetched as the grid scrolls.
class EredmenyModell : public QAbstractTableModel {
public:
    explicit EredmenyModell(Lekerdezes &q, QObject *szulo) : QAbstractTableModel(szulo), m_q(q) {}

    void ujra()
    {
        beginResetModel();
        m_fajtak.clear();
        if (m_q.nyitva())
            fajtakOlvas(m_q.betolt(KeresoLekerdezes::ELSO_LAP));
        endResetModel();
    }
    int rowCount(const QModelIndex &p = {}) const override { return p.isValid() || !m_q.nyitva() ? 0 : m_q.betoltott(); }
    int columnCount(const QModelIndex &p = {}) const override { return p.isValid() ? 0 : 4; }
    bool canFetchMore(const QModelIndex &p) const override { return !p.isValid() && m_q.nyitva() && !m_q.mindBetoltve(); }
    void fetchMore(const QModelIndex &) override
    {
        const int regi = m_q.betoltott();
        const int uj = m_q.betolt(regi + 256);
        if (uj > regi) {
            beginInsertRows({}, regi, uj - 1);
            fajtakOlvas(uj);
            endInsertRows();
        }
    }
    QVariant data(const QModelIndex &i, int role) const override
    {
        if (!i.isValid() || role != Qt::DisplayRole)
            return {};
        if (i.column() == 3)
            return i.row() < m_fajtak.size() ? m_fajtak[i.row()] : QString();
        static const char *const mezok[] = {"doksi_id", "datum", "ugyfel_nev"};
        return MezoSzoveg(m_q.ertek(i.row(), mezok[i.column()]));
    }
    QVariant headerData(int s, Qt::Orientation o, int role) const override
    {
        if (o != Qt::Horizontal || role != Qt::DisplayRole)
            return {};
        static const char *const cimek[] = {"id", "dátum", "ügyfél", "fajta"};
        return s >= 0 && s < 4 ? QString(cimek[s]) : QVariant();
    }

private:
    // The numbers of the two kinds overlap, so each row says its kind ('J' or 'S'), read by
    // key for the rows just fetched: the search itself stays on the narrow tables.
    void fajtakOlvas(int meddig)
    {
        while (m_fajtak.size() < meddig) {
            const int tol = int(m_fajtak.size());
            const int ig = qMin(meddig, tol + 256);
            QVariantList kulcsok;
            for (int r = tol; r < ig; ++r)
                kulcsok << m_q.ertek(r, "doksi");
            QStringList jelek(kulcsok.size(), "?");
            QSqlQuery q = Adatbazis::lekerdez(
                QString("SELECT doksi, prntip FROM doksi WHERE doksi IN (%1)").arg(jelek.join(',')), kulcsok);
            QHash<qint64, QString> fajta;
            while (q.next())
                fajta.insert(q.value(0).toLongLong(), q.value(1).toString());
            for (const QVariant &k : std::as_const(kulcsok))
                m_fajtak << fajta.value(k.toLongLong());
        }
    }

    Lekerdezes &m_q;
    QStringList m_fajtak;
};

Tfrm_Keres::Tfrm_Keres(QWidget *szulo) : QDialog(szulo)
{
    setFont(AblakBetu());
    setWindowTitle("Termék keresése");
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);
    auto *fo = new QVBoxLayout(this);
    fo->setContentsMargins(4, 4, 4, 4);
    PageControl1 = new QTabWidget(this);
    fo->addWidget(PageControl1);

    // page "Keresés"
    auto *lap1 = new QWidget;
    auto *l1 = new QGridLayout(lap1);
    l1->addWidget(new QLabel("Keresendő szöveg"), 0, 0);
    Edit1 = new QLineEdit;
    l1->addWidget(Edit1, 1, 0);
    auto *csoport = new QGroupBox(" Módszer ");
    auto *cl = new QVBoxLayout(csoport);
    RadioGroup1 = new QButtonGroup(this);
    const char *const modszerek[] = {"Bárhol előforduló (id, téma, kulcsszavak, figyelmeztetés)",
                                     "A mező elején (id, téma)", "A mezővel teljesen egyező (id, téma)"};
    for (int i = 0; i < 3; ++i) {
        auto *r = new QRadioButton(modszerek[i]);
        RadioGroup1->addButton(r, i);
        cl->addWidget(r);
    }
    RadioGroup1->button(0)->setChecked(true);
    l1->addWidget(csoport, 2, 0);
    auto *gombok1 = new QVBoxLayout;
    btnKeres = new QPushButton("Keres");
    auto *bezar1 = new QPushButton("Bezár");
    gombok1->addWidget(btnKeres);
    gombok1->addWidget(bezar1);
    gombok1->addStretch();
    l1->addLayout(gombok1, 0, 1, 3, 1);
    l1->setRowStretch(3, 1);
    PageControl1->addTab(lap1, "Keresés");

    // page "Eredmény"
    auto *lap2 = new QWidget;
    auto *l2 = new QHBoxLayout(lap2);
    m_modell = new EredmenyModell(Qry, this);
    DBGrid1 = new QTableView;
    RacsBeallit(DBGrid1, m_modell);
    DBGrid1->setColumnWidth(0, 60);
    DBGrid1->setColumnWidth(1, 66);
    DBGrid1->setColumnWidth(2, 145);   // leaves room for the kind beside it
    DBGrid1->setColumnWidth(3, 34);
    l2->addWidget(DBGrid1, 1);
    auto *gombok2 = new QVBoxLayout;
    btnMegvan = new QPushButton("Megvan");
    btnMegvan->setEnabled(false);
    auto *bezar2 = new QPushButton("Bezár");
    gombok2->addWidget(btnMegvan);
    gombok2->addWidget(bezar2);
    gombok2->addStretch();
    l2->addLayout(gombok2);
    PageControl1->addTab(lap2, "Eredmény");

    // the default button belongs to the page in front
    auto alapGomb = [this](int lap) {
        btnKeres->setDefault(lap == 0);
        btnMegvan->setDefault(lap == 1);
    };
    connect(PageControl1, &QTabWidget::currentChanged, this, alapGomb);
    alapGomb(0);
    connect(btnKeres, &QPushButton::clicked, this, &Tfrm_Keres::btnKeresClick);
    connect(btnMegvan, &QPushButton::clicked, this, &QDialog::accept);
    connect(bezar1, &QPushButton::clicked, this, &QDialog::reject);
    connect(bezar2, &QPushButton::clicked, this, &QDialog::reject);
    connect(DBGrid1, &QTableView::doubleClicked, this, &QDialog::accept);

    auto *konv = new MezoKonvencio(this, false);
    konv->szinez(Edit1);
    setFixedSize(456, 242);
}

Tfrm_Keres::~Tfrm_Keres() = default;

void Tfrm_Keres::btnKeresClick()
{
    Qry.bezar();
    try {
        KeresoLekerdezes::epit(Qry, Edit1->text(), RadioGroup1->checkedId());
        Qry.megnyit();
        Qry.betolt(1);
    } catch (const StoreHiba &h) {
        Qry.bezar();
        m_modell->ujra();
        FelsoHiba(h.uzenet(), this);
        return;
    }
    m_modell->ujra();
    if (Qry.betoltott() > 0) {
        btnMegvan->setEnabled(true);
        PageControl1->setCurrentIndex(1);
        DBGrid1->setCurrentIndex(m_modell->index(0, 0));
        DBGrid1->setFocus();
    } else {
        Qry.bezar();
        m_modell->ujra();
        HibaUzenet("Nincs ilyen sor, keresés sikertelen", this);
    }
}

qint64 Tfrm_Keres::valasztott() const
{
    const QModelIndex i = DBGrid1->currentIndex();
    if (!Qry.nyitva() || !i.isValid())
        return -1;
    return const_cast<Lekerdezes &>(Qry).ertek(i.row(), "doksi").toLongLong();
}

int Tfrm_Keres::talalatok() const { return m_modell->rowCount(); }

void Tfrm_Keres::showEvent(QShowEvent *e)
{
    QDialog::showEvent(e);
    // near the bottom right corner of the main window
    if (QWidget *fo = parentWidget() ? parentWidget()->window() : nullptr) {
        const QRect f = fo->frameGeometry();
        const QSize s = frameGeometry().size();
        move(f.left() + f.width() - s.width() - 25, f.top() + f.height() - s.height() - 25);
    }
    Edit1->setFocus();
}

void ReszletesKeres(Tabla &tbl, QWidget *szulo)
{
    Tfrm_Keres f(szulo);
    if (f.exec() != QDialog::Accepted)
        return;
    const qint64 doksi = f.valasztott();
    // only a letter of the view the list shows becomes current
    if (doksi >= 0 && tbl.nyitva())
        tbl.ugrikKulcsra(doksi);
}
