#pragma once

#include <QAbstractTableModel>
#include <functional>

class QWidget;
class Lekerdezes;

// The free SQL window, modal.
void SzabadLekerdezes(QWidget *szulo = nullptr);

// Shows an open query in a grid. Only the rows fetched so far are rows of the model; the
// grid asks for more as it scrolls (canFetchMore/fetchMore), so a result of any size opens
// at once and only what was looked at is read.
class LekerdezesModell : public QAbstractTableModel {
    Q_OBJECT
public:
    static constexpr int LAP = 256;   // rows fetched at a time

    explicit LekerdezesModell(QObject *szulo = nullptr);
    // nullptr empties the grid; the query must stay alive while it is shown
    void setLekerdezes(Lekerdezes *q);
    Lekerdezes *lekerdezes() const { return m_q; }
    // Wraps every fetch (the window runs it under its stop watch).
    using Tolto = std::function<void(const std::function<void()> &)>;
    void setTolto(Tolto t) { m_tolto = std::move(t); }

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation o, int role = Qt::DisplayRole) const override;
    bool canFetchMore(const QModelIndex &parent) const override;
    void fetchMore(const QModelIndex &parent) override;

signals:
    void hiba(const QString &uzenet);   // fetching failed (or was stopped)

private:
    Lekerdezes *m_q = nullptr;
    int m_sorok = 0;
    int m_oszlopok = 0;
    bool m_tolt = false;
    bool m_reset = false;
    Tolto m_tolto;
};
