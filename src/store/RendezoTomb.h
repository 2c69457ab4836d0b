#pragma once

#include <QList>
#include <QString>
#include <QStringView>
#include <QVariant>
#include <vector>

// Whole numbers, four bytes each while every one fits, eight once one does not: the row ids
// of a view of millions of letters take a fraction of a QVariant list, and are read faster.
class EgeszTomb {
public:
    qsizetype size() const { return qsizetype(m_szeles ? m_64.size() : m_32.size()); }
    bool isEmpty() const { return size() == 0; }
    qint64 operator[](qsizetype i) const { return m_szeles ? m_64[size_t(i)] : m_32[size_t(i)]; }
    // inline and without QList's checks: a view's read appends millions
    void append(qint64 v)
    {
        if (!m_szeles && v == qint32(v))
            m_32.push_back(qint32(v));
        else
            szelesen(v);
    }
    void reserve(qsizetype n);
    qsizetype indexOf(qint64 v) const;   // first position, -1 when not there
    void clear() { *this = EgeszTomb(); }   // the memory goes too
    // Empty, with the memory kept for the next fill: memory touched again costs nothing,
    // fresh memory a page fault per page.
    void urit();

private:
    void szelesen(qint64 v);
    std::vector<qint32> m_32;
    std::vector<qint64> m_64;   // all of them, once one did not fit in m_32
    bool m_szeles = false;
};

// The first ordering value of every row of a view, in the view's order, typed as SQLite
// gives it: null, number or text. SQLite orders the kinds apart (nulls, numbers, texts, or
// the other way round when descending), so the rows are kept as runs of one kind: the
// numbers in an EgeszTomb, the texts one after the other in one string.
class RendezoTomb {
public:
    enum class Fajta : quint8 { Ures, Szam, Szoveg };   // in SQLite's order

    qsizetype size() const { return m_db; }
    void reserve(qsizetype n);
    void clear() { *this = RendezoTomb(); }
    void urit();   // empty, the memory kept (EgeszTomb::urit)
    void hozzaadUres() { hozzaad(Fajta::Ures, 0); }
    void hozzaadSzam(qint64 v)
    {
        hozzaad(Fajta::Szam, m_szamok.size());
        m_szamok.append(v);
    }
    void hozzaadSzoveg(QStringView s);

    Fajta fajta(qsizetype i) const { return szakasz(i).fajta; }
    qint64 szam(qsizetype i) const;          // row i holds a number
    QStringView szoveg(qsizetype i) const;   // row i holds a text
    // Row i's value against v in SQLite's order (negative, zero, positive): numbers as whole
    // numbers, texts by their UTF-16 code units, as locate has always compared them.
    int hasonlit(qsizetype i, const QVariant &v) const;

private:
    struct Szakasz {
        qsizetype kezdet;   // its first row
        qsizetype elso;     // that row's place among the values of its kind
        Fajta fajta;
    };
    const Szakasz &szakasz(qsizetype i) const;
    void hozzaad(Fajta f, qsizetype hely)
    {
        if (m_szakaszok.isEmpty() || m_szakaszok.last().fajta != f)
            m_szakaszok.append({m_db, hely, f});
        ++m_db;
    }

    QList<Szakasz> m_szakaszok;
    EgeszTomb m_szamok;
    QString m_szovegek;
    EgeszTomb m_szovegVeg;   // where each text ends in m_szovegek
    qsizetype m_db = 0;
};
