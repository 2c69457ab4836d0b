#include "Lekerdezes.h"
#include "Adatbazis.h"
#include "Sema.h"
#include "StoreHiba.h"

#include <QDate>
#include <QSqlError>
#include <QSqlRecord>

namespace {
bool datumMezo(const QString &nev)
{
    for (const TablaLeiras &t : Sema::tablak()) {
        const MezoLeiras *m = t.mezo(nev);
        if (m && m->tipus == MezoTipus::Datum)
            return true;
    }
    return false;
}
} // namespace

Lekerdezes::Lekerdezes(const QString &sql) : m_sql(sql) {}

void Lekerdezes::setSql(const QString &sql)
{
    bezar();
    m_sql = sql;
    m_folytatas.clear();
}

void Lekerdezes::setFolytatas(int elsoSorok, const QString &folytatas)
{
    bezar();
    m_elsoSorok = elsoSorok;
    m_folytatas = folytatas;
}

void Lekerdezes::setParam(const QString &nev, const QVariant &ertek)
{
    m_parameterek.insert(nev.startsWith(':') ? nev : ':' + nev, ertek);
}

void Lekerdezes::bezar()
{
    m_q = QSqlQuery();
    m_nevek.clear();
    m_datum.clear();
    m_sorok.clear();
    m_nyitva = false;
    m_vege = true;
    m_folytatva = false;
    m_sor = 0;
}

void Lekerdezes::futtat(const QString &sql)
{
    m_q = QSqlQuery(Adatbazis::db());
    // Qt's server driver reads a forward-only result row by row and drops the rest when the
    // connection runs another statement; there the whole result is read at once
    const bool szerveren = Adatbazis::motor() == Adatbazis::Motor::PostgreSQL;
    m_q.setForwardOnly(!szerveren);
    bool ertekes = false;
    for (auto it = m_parameterek.cbegin(); it != m_parameterek.cend(); ++it)
        ertekes = ertekes || sql.contains(it.key(), Qt::CaseInsensitive);
    if (szerveren && !ertekes) {
        // the server prepares only queries and DML; the free SQL window runs anything
        if (!m_q.exec(sql))
            Adatbazis::hiba(m_q.lastError());
    } else {
        if (!m_q.prepare(sql))
            Adatbazis::hiba(m_q.lastError());
        for (auto it = m_parameterek.cbegin(); it != m_parameterek.cend(); ++it)
            if (sql.contains(it.key(), Qt::CaseInsensitive))
                m_q.bindValue(it.key(), it.value());
        if (!m_q.exec())
            Adatbazis::hiba(m_q.lastError());
    }
}

void Lekerdezes::megnyit()
{
    bezar();
    futtat(m_sql);
    const QSqlRecord r = m_q.record();
    for (int i = 0; i < r.count(); ++i) {
        m_nevek << r.fieldName(i);
        m_datum << datumMezo(r.fieldName(i));
    }
    m_erintett = m_q.numRowsAffected();
    m_nyitva = true;
    m_vege = !m_q.isSelect();
}

void Lekerdezes::vegrehajt()
{
    megnyit();
    m_q.finish();
    m_vege = true;
}

int Lekerdezes::oszlop(const QString &nev) const
{
    for (int i = 0; i < m_nevek.size(); ++i)
        if (m_nevek[i].compare(nev, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

QVariant Lekerdezes::atalakit(int oszlop, const QVariant &v) const
{
    if (v.isNull())
        return QVariant();
    if (m_datum.value(oszlop) && v.typeId() == QMetaType::QString) {
        const QDate d = QDate::fromString(v.toString().left(10), Qt::ISODate);
        if (d.isValid())
            return d;
    }
    return v;
}

int Lekerdezes::betolt(int meddig)
{
    const int n = int(m_nevek.size());
    while (!m_vege && m_sorok.size() < meddig) {
        if (!m_q.next()) {
            m_vege = true;
            if (m_q.lastError().isValid())
                Adatbazis::hiba(m_q.lastError());
            m_q.finish();
            // the first statement gave all it may: the rest comes after its last row
            if (!m_folytatas.isEmpty() && !m_folytatva && m_elsoSorok > 0 && m_sorok.size() == m_elsoSorok) {
                m_folytatva = true;
                for (int c = 0; c < n; ++c)
                    m_parameterek.insert(":utolso_" + m_nevek[c], m_sorok.last()[c]);
                futtat(m_folytatas);
                m_vege = false;
                continue;
            }
            break;
        }
        QVector<QVariant> s(n);
        for (int c = 0; c < n; ++c)
            s[c] = atalakit(c, m_q.value(c));
        m_sorok << s;
    }
    return betoltott();
}

int Lekerdezes::osszesBetolt() { return betolt(INT_MAX); }

QVariant Lekerdezes::ertek(int sor, int oszlop)
{
    if (sor >= m_sorok.size())
        betolt(sor + 1);
    if (sor < 0 || sor >= m_sorok.size() || oszlop < 0 || oszlop >= m_nevek.size())
        return QVariant();
    return m_sorok[sor][oszlop];
}

QVariant Lekerdezes::ertek(int sor, const QString &nev)
{
    const int c = oszlop(nev);
    if (c < 0)
        throw StoreHiba(QString("Ismeretlen mező: %1").arg(nev));
    return ertek(sor, c);
}

bool Lekerdezes::eof()
{
    if (m_sor >= m_sorok.size())
        betolt(m_sor + 1);
    return m_sor >= m_sorok.size();
}

QVariant Lekerdezes::ertek(const QString &nev) { return ertek(m_sor, nev); }

int Lekerdezes::rekordSzam() { return osszesBetolt(); }
