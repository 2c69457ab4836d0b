#include "SzabadLekerdezes.h"
#include "Lekerdezes.h"
#include "Mezo.h"
#include "StoreHiba.h"
#include "Tfrm_SQL.h"

LekerdezesModell::LekerdezesModell(QObject *szulo) : QAbstractTableModel(szulo) {}

void LekerdezesModell::setLekerdezes(Lekerdezes *q)
{
    beginResetModel();
    m_reset = true;
    m_q = q && q->nyitva() ? q : nullptr;
    m_oszlopok = m_q ? int(m_q->mezoNevek().size()) : 0;
    m_sorok = m_q ? m_q->betoltott() : 0;
    endResetModel();
    m_reset = false;   // no fetching from inside the reset's own signals
}

int LekerdezesModell::rowCount(const QModelIndex &parent) const { return parent.isValid() ? 0 : m_sorok; }

int LekerdezesModell::columnCount(const QModelIndex &parent) const { return parent.isValid() ? 0 : m_oszlopok; }

QVariant LekerdezesModell::data(const QModelIndex &index, int role) const
{
    // only rows already fetched: painting never runs the statement further
    if (!m_q || role != Qt::DisplayRole || !index.isValid() || index.row() >= m_sorok || index.column() >= m_oszlopok)
        return {};
    return MezoSzoveg(m_q->ertek(index.row(), index.column()));
}

QVariant LekerdezesModell::headerData(int section, Qt::Orientation o, int role) const
{
    if (role != Qt::DisplayRole)
        return {};
    if (o == Qt::Vertical)
        return section + 1;
    return m_q && section >= 0 && section < m_oszlopok ? QVariant(m_q->mezoNevek()[section]) : QVariant();
}

bool LekerdezesModell::canFetchMore(const QModelIndex &parent) const
{
    return !parent.isValid() && m_q && !m_tolt && !m_reset && (m_q->betoltott() > m_sorok || !m_q->mindBetoltve());
}

void LekerdezesModell::fetchMore(const QModelIndex &parent)
{
    if (!canFetchMore(parent))
        return;
    m_tolt = true;
    QString hibaSzoveg;
    const auto tolt = [this] { m_q->betolt(m_sorok + LAP); };
    try {
        if (m_tolto)
            m_tolto(tolt);
        else
            tolt();
    } catch (const StoreHiba &h) {
        hibaSzoveg = h.uzenet();   // the query ends here; what was fetched stays shown
    }
    if (m_q) {
        const int uj = std::min(m_q->betoltott(), m_sorok + LAP);
        if (uj > m_sorok) {
            beginInsertRows({}, m_sorok, uj - 1);
            m_sorok = uj;
            endInsertRows();
        }
    }
    m_tolt = false;   // only now: views asking for more inside rowsInserted wait their turn
    if (!hibaSzoveg.isEmpty())
        emit hiba(hibaSzoveg);
}

void SzabadLekerdezes(QWidget *szulo)
{
    Tfrm_SQL f(szulo);
    f.exec();
}
