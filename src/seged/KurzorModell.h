#pragma once

#include <QAbstractTableModel>
#include <QHeaderView>
#include <functional>

class QAbstractItemView;
class QTableView;
class Tabla;

// Shows a cursor in a grid. Rows are asked of the cursor by position when the grid paints
// them, so a view of any size opens at once; the cursor's current row and the grid's
// current row follow each other.
class KurzorModell : public QAbstractTableModel {
    Q_OBJECT
public:
    struct Oszlop {
        QString mezo;
        QString cim;
        std::function<QString(const QVariant &)> formatum = {};   // default: MezoSzoveg
        Qt::Alignment igazitas = Qt::AlignLeft | Qt::AlignVCenter;
    };

    KurzorModell(Tabla *tabla, const QList<Oszlop> &oszlopok, QObject *szulo = nullptr);
    Tabla *tabla() const { return m_tabla; }
    const QList<Oszlop> &oszlopok() const { return m_oszlopok; }

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation o, int role = Qt::DisplayRole) const override;

    // Keeps the view's current row and the cursor's current row in step.
    void kovet(QAbstractItemView *nezet);

    // The model of a grid not shown sleeps: no rows, and the cursor's re-reads pass it by,
    // so the grid's header does not lay out a million rows nobody sees. Woken, it shows the
    // cursor's rows again and its grid follows the current row.
    void setAlszik(bool alszik);
    bool alszik() const { return m_alszik; }

    // The colour of a row's text by its position (a colour, or none for the grid's own);
    // only colours: the columns stay as they are.
    void setSorSzin(std::function<QVariant(int sor)> szin);

private:
    void ujraolvas();
    Tabla *m_tabla;
    QList<Oszlop> m_oszlopok;
    QList<int> m_index;   // column of each field in the cursor
    int m_sorok = 0;
    bool m_igazit = false;
    bool m_alszik = false;
    std::function<QVariant(int)> m_sorSzin;
};

// The read-only grids of the program: whole rows selected one at a time, no cell editing,
// rows as high as a line of the grid's font, the row indicator beside them.
void RacsBeallit(QTableView *racs, QAbstractItemModel *modell);

// The row indicator: a small arrow beside the current row, no numbers.
class SorJelzo : public QHeaderView {
public:
    explicit SorJelzo(QWidget *szulo = nullptr) : QHeaderView(Qt::Vertical, szulo) {}

protected:
    void paintSection(QPainter *p, const QRect &r, int sor) const override;
};

// Gives a grid that indicator, 12 pixels wide, its rows one line of its font high.
void SorJelzoBeallit(QTableView *racs);
