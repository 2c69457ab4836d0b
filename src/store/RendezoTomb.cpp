#include "RendezoTomb.h"

#include <algorithm>

void EgeszTomb::reserve(qsizetype n)
{
    if (m_szeles)
        m_64.reserve(n);
    else
        m_32.reserve(n);
}

void EgeszTomb::szelesen(qint64 v)
{
    if (!m_szeles) {
        m_64.reserve(std::max(m_32.capacity(), m_32.size() + 1));
        for (qint32 x : std::as_const(m_32))
            m_64.append(x);
        m_32 = {};
        m_szeles = true;
    }
    m_64.append(v);
}

qsizetype EgeszTomb::indexOf(qint64 v) const
{
    if (m_szeles)
        return m_64.indexOf(v);
    return v == qint32(v) ? m_32.indexOf(qint32(v)) : -1;
}

void RendezoTomb::reserve(qsizetype n)
{
    m_szamok.reserve(n);
}

void RendezoTomb::hozzaad(Fajta f, qsizetype hely)
{
    if (m_szakaszok.isEmpty() || m_szakaszok.last().fajta != f)
        m_szakaszok.append({m_db, hely, f});
    ++m_db;
}

void RendezoTomb::hozzaadUres()
{
    hozzaad(Fajta::Ures, 0);
}

void RendezoTomb::hozzaadSzam(qint64 v)
{
    hozzaad(Fajta::Szam, m_szamok.size());
    m_szamok.append(v);
}

void RendezoTomb::hozzaadSzoveg(QStringView s)
{
    hozzaad(Fajta::Szoveg, m_szovegVeg.size());
    m_szovegek.append(s);
    m_szovegVeg.append(m_szovegek.size());
}

const RendezoTomb::Szakasz &RendezoTomb::szakasz(qsizetype i) const
{
    // a few runs at most: nulls, numbers, texts
    const auto it = std::upper_bound(m_szakaszok.cbegin(), m_szakaszok.cend(), i,
                                     [](qsizetype sor, const Szakasz &sz) { return sor < sz.kezdet; });
    return *(it - 1);
}

qint64 RendezoTomb::szam(qsizetype i) const
{
    const Szakasz &sz = szakasz(i);
    return m_szamok[sz.elso + i - sz.kezdet];
}

QStringView RendezoTomb::szoveg(qsizetype i) const
{
    const Szakasz &sz = szakasz(i);
    const qsizetype j = sz.elso + i - sz.kezdet;
    const qsizetype tol = j == 0 ? 0 : m_szovegVeg[j - 1];
    return QStringView(m_szovegek).mid(tol, m_szovegVeg[j] - tol);
}

int RendezoTomb::hasonlit(qsizetype i, const QVariant &v) const
{
    const Fajta vf = v.isNull() ? Fajta::Ures : v.typeId() == QMetaType::QString ? Fajta::Szoveg : Fajta::Szam;
    const Fajta f = fajta(i);
    if (f != vf)
        return f < vf ? -1 : 1;
    switch (f) {
    case Fajta::Ures: return 0;
    case Fajta::Szam: {
        const qint64 a = szam(i), b = v.toLongLong();
        return a < b ? -1 : a > b ? 1 : 0;
    }
    case Fajta::Szoveg: return szoveg(i).compare(v.toString());
    }
    return 0;
}
