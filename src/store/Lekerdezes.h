#pragma once

#include <QHash>
#include <QSqlQuery>
#include <QStringList>
#include <QVariant>
#include <QVector>

// A query with named parameters (":pdoksi") whose result is a read-only cursor with named
// columns. Rows are fetched as they are asked for, so a result of any size opens at once.
// Columns named like the register's date fields come back as QDate.
class Lekerdezes {
public:
    explicit Lekerdezes(const QString &sql = {});
    void setSql(const QString &sql);
    QString sql() const { return m_sql; }
    void setParam(const QString &nev, const QVariant &ertek);   // name with or without ':'
    // A result read in two statements: the first elsoSorok rows by the statement (which
    // limits itself to them), the rest, once a row past them is asked for, by folytatas, whose
    // values :utolso_<column> are the columns of the last row read. The order must be total,
    // so that folytatas goes on right after that row.
    void setFolytatas(int elsoSorok, const QString &folytatas);

    void megnyit();            // runs the query; throws StoreHiba
    void vegrehajt();          // a statement without result; throws StoreHiba
    void bezar();
    bool nyitva() const { return m_nyitva; }
    int erintettSorok() const { return m_erintett; }

    QStringList mezoNevek() const { return m_nevek; }
    int oszlop(const QString &nev) const;       // case-insensitive, -1 when unknown

    // position by row number
    int betoltott() const { return int(m_sorok.size()); }
    bool mindBetoltve() const { return m_vege; }
    int betolt(int meddig);     // fetches rows up to (not including) meddig; returns rows loaded
    int osszesBetolt();
    QVariant ertek(int sor, int oszlop);
    QVariant ertek(int sor, const QString &nev);

    // cursor-like use
    void elso() { m_sor = 0; }
    void kovetkezo() { ++m_sor; }
    bool eof();
    QVariant ertek(const QString &nev);   // current row; null past the end
    int rekordSzam();                     // fetches everything

private:
    void futtat(const QString &sql);
    QVariant atalakit(int oszlop, const QVariant &v) const;

    QString m_sql;
    QString m_folytatas;
    int m_elsoSorok = 0;
    bool m_folytatva = false;
    QHash<QString, QVariant> m_parameterek;
    QSqlQuery m_q;
    QStringList m_nevek;
    QVector<bool> m_datum;
    QVector<QVector<QVariant>> m_sorok;
    bool m_nyitva = false;
    bool m_vege = true;
    int m_sor = 0;
    int m_erintett = 0;
};
