#include "KurzorModell.h"
#include "Mezo.h"
#include "Seged.h"
#include "StoreHiba.h"
#include "Tabla.h"

#include <QAbstractItemView>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QPainter>
#include <QPolygon>
#include <QTableView>

KurzorModell::KurzorModell(Tabla *tabla, const QList<Oszlop> &oszlopok, QObject *szulo)
    : QAbstractTableModel(szulo), m_tabla(tabla), m_oszlopok(oszlopok)
{
    connect(tabla, &Tabla::adatValtozott, this, &KurzorModell::ujraolvas);
    ujraolvas();
}

void KurzorModell::ujraolvas()
{
    if (m_alszik && m_sorok == 0)
        return;
    beginResetModel();
    m_index.clear();
    for (const Oszlop &o : m_oszlopok)
        m_index << (m_tabla->nyitva() ? m_tabla->oszlop(o.mezo) : -1);
    m_sorok = m_tabla->nyitva() && !m_alszik ? m_tabla->rekordSzam() : 0;
    endResetModel();
}

void KurzorModell::setAlszik(bool alszik)
{
    if (alszik == m_alszik)
        return;
    m_alszik = alszik;
    ujraolvas();
}

void KurzorModell::setSorSzin(std::function<QVariant(int)> szin)
{
    m_sorSzin = std::move(szin);
    if (m_sorok > 0)
        emit dataChanged(index(0, 0), index(m_sorok - 1, columnCount() - 1), {Qt::ForegroundRole});
}

int KurzorModell::rowCount(const QModelIndex &parent) const { return parent.isValid() ? 0 : m_sorok; }

int KurzorModell::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_oszlopok.size());
}

QVariant KurzorModell::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_sorok || index.column() >= m_oszlopok.size())
        return {};
    const Oszlop &o = m_oszlopok[index.column()];
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(o.igazitas);
    if (role == Qt::ForegroundRole)
        return m_sorSzin ? m_sorSzin(index.row()) : QVariant();
    if (role != Qt::DisplayRole)
        return {};
    const QVariant v = m_tabla->ertekSor(index.row(), m_index[index.column()]);
    return o.formatum ? o.formatum(v) : MezoSzoveg(v);
}

QVariant KurzorModell::headerData(int section, Qt::Orientation o, int role) const
{
    if (role != Qt::DisplayRole)
        return {};
    if (o == Qt::Horizontal)
        return section >= 0 && section < m_oszlopok.size() ? QVariant(m_oszlopok[section].cim) : QVariant();
    return QVariant();
}

void KurzorModell::kovet(QAbstractItemView *nezet)
{
    auto igazit = [this, nezet] {
        if (m_igazit || !m_tabla->nyitva())
            return;
        m_igazit = true;
        const int sor = m_tabla->sor();
        if (sor >= 0 && sor < m_sorok) {
            const QModelIndex i = index(sor, std::max(0, nezet->currentIndex().column()));
            nezet->selectionModel()->setCurrentIndex(
                i, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
            nezet->scrollTo(i);
        }
        m_igazit = false;
    };
    connect(m_tabla, &Tabla::mozgasUtan, nezet, igazit);
    connect(nezet->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this, nezet](const QModelIndex &aktualis) {
                if (m_igazit || !aktualis.isValid() || !m_tabla->nyitva() || aktualis.row() == m_tabla->sor())
                    return;
                m_igazit = true;
                try {
                    m_tabla->ugrik(aktualis.row());
                } catch (const StoreHiba &h) {
                    FelsoHiba(h.uzenet(), nezet);
                }
                m_igazit = false;
            });
    // a model reset drops the view's selection; put the cursor's row back afterwards
    connect(this, &QAbstractItemModel::modelReset, nezet, igazit, Qt::QueuedConnection);
    igazit();
}

void RacsBeallit(QTableView *racs, QAbstractItemModel *modell)
{
    racs->setModel(modell);
    racs->setSelectionBehavior(QAbstractItemView::SelectRows);
    racs->setSelectionMode(QAbstractItemView::SingleSelection);
    racs->setEditTriggers(QAbstractItemView::NoEditTriggers);
    racs->setTabKeyNavigation(false);   // rows are chosen, not cells: Tab goes on to the next control
    SorJelzoBeallit(racs);
}

void SorJelzo::paintSection(QPainter *p, const QRect &r, int sor) const
{
    p->save();
    QHeaderView::paintSection(p, r, sor);
    p->restore();
    const QItemSelectionModel *s = selectionModel();
    if (!s || !s->currentIndex().isValid() || s->currentIndex().row() != sor)
        return;
    p->save();
    p->setRenderHint(QPainter::Antialiasing);
    p->setPen(Qt::NoPen);
    p->setBrush(palette().color(QPalette::WindowText));
    const QPoint c = r.center();
    p->drawPolygon(QPolygon({QPoint(c.x() - 2, c.y() - 4), QPoint(c.x() + 2, c.y()), QPoint(c.x() - 2, c.y() + 4)}));
    p->restore();
}

void SorJelzoBeallit(QTableView *racs)
{
    auto *jelzo = new SorJelzo(racs);
    racs->setVerticalHeader(jelzo);
    jelzo->setSectionResizeMode(QHeaderView::Fixed);
    jelzo->setDefaultSectionSize(racs->fontMetrics().height() + 4);
    jelzo->setFixedWidth(12);
}
