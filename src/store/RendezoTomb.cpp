#include "RendezoTomb.h"

#include <algorithm>

void EgeszTomb::reserve(qsizetype n)
{
    if (m_szeles)
        m_64.reserve(size_t(n));
    else
        m_32.reserve(size_t(n));
}

void EgeszTomb::urit()
{
    m_32.clear();
    m_64 = {};   // a wide fill starts narrow again
    m_szeles = false;
}

void EgeszTomb::szelesen(qint64 v)
{
    if (!m_szeles) {
        m_64.reserve(std::max(m_32.capacity(), m_32.size() + 1));
        m_64.assign(m_32.cbegin(), m_32.cend());
        m_32 = {};
        m_szeles = true;
    }
    m_64.push_back(v);
}

qsizetype EgeszTomb::indexOf(qint64 v) const
{
    const auto hely = [](const auto &t, auto x) {
        const auto it = std::find(t.cbegin(), t.cend(), x);
        return it == t.cend() ? qsizetype(-1) : qsizetype(it - t.cbegin());
    };
    if (m_szeles)
        return hely(m_64, v);
    return v == qint32(v) ? hely(m_32, qint32(v)) : -1;
}

void RendezoTomb::reserve(qsizetype n)
{
    m_szamok.reserve(n);
}

void RendezoTomb::urit()
{
    m_szakaszok.clear();
    m_szamok.urit();
    m_szovegek.clear();
    m_szovegVeg.urit();
    m_db = 0;
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
