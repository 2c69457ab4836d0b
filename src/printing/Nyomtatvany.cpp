#include "Nyomtatvany.h"

#include "HuSzoveg.h"
#include "Mezo.h"
#include "StoreHiba.h"
#include "Tabla.h"

#include <QDate>

const Sav *Elrendezes::sav(SavTipus t) const
{
    for (const Sav &s : savok)
        if (s.tipus == t)
            return &s;
    return nullptr;
}

Elem *Elrendezes::elem(const QString &nev)
{
    for (Sav &s : savok)
        for (Elem &e : s.elemek)
            if (!e.nev.isEmpty() && e.nev == nev)
                return &e;
    return nullptr;
}

const Elem *Elrendezes::elem(const QString &nev) const
{
    return const_cast<Elrendezes *>(this)->elem(nev);
}

QString IrszVaros(const QVariant &irsz, const QVariant &varos)
{
    return (MezoSzoveg(irsz) + ", " + MezoSzoveg(varos)).left(50);
}

SorForras TulajdonosOlvas()
{
    Tabla t("tulajdonos");
    t.setCsakOlvas(true);
    t.setIndex("tulajdonos");
    t.megnyit();
    QHash<QString, QVariant> sor;
    const bool van = !t.ures();
    if (van) {
        t.elso();
        for (const QString &m : t.mezoNevek())
            sor.insert(m.toLower(), t.ertek(m));
    }
    // computed on every read, also for an empty table, so the line is never missing
    sor.insert("irszvaros", IrszVaros(sor.value("irsz"), sor.value("varos")));
    t.bezar();
    return SorForras(sor, true);
}

QString MegjelenoSzoveg(const QVariant &v, Formatum f)
{
    if (!v.isValid() || v.isNull())
        return {};
    if (f != Formatum::Nincs) {
        bool ok = false;
        const qlonglong n = v.toLongLong(&ok);
        if (ok) {
            const QString szam = QString("%1").arg(n, 5, 10, QChar('0'));
            return f == Formatum::LevelSzam ? "No: " + szam : szam;
        }
    }
    return MezoSzoveg(v);
}

namespace Tervezo {

static Elem helyez(Elem e, Hely hely, double x)
{
    e.autoMeret = true;
    switch (hely) {
    case Balra: e.bal = x; e.szeles = 0; e.igazitas = Igazitas::Bal; break;
    case Kozepre: e.bal = x; e.szeles = 0; e.igazitas = Igazitas::Kozep; break;
    case SavKozepre: e.bal = 0; e.szeles = 190; e.igazitas = Igazitas::Kozep; break;
    case JobbSzelre: e.bal = 190; e.szeles = 0; e.igazitas = Igazitas::Jobb; break;
    }
    return e;
}

Elem cimke(double fent, Hely hely, double x, const QString &szoveg, const Betu &b)
{
    Elem e;
    e.tipus = ElemTipus::Cimke;
    e.fent = fent;
    e.szoveg = szoveg;
    e.betu = b;
    return helyez(e, hely, x);
}

Elem adat(double fent, Hely hely, double x, const QString &mezo, const Betu &b, const QString &forras)
{
    Elem e;
    e.tipus = ElemTipus::Adat;
    e.fent = fent;
    e.mezo = mezo;
    e.forras = forras;
    e.betu = b;
    return helyez(e, hely, x);
}

Elem doboz(Elem e, double szeles, double magas, bool sortores, bool nyujthato)
{
    e.autoMeret = false;
    e.szeles = szeles;
    e.magas = magas;
    e.sortores = sortores;
    e.nyujthato = nyujthato;
    return e;
}

Betu tahoma(double meret, bool felkover, bool dolt) { return Betu{"Tahoma", meret, felkover, dolt}; }

} // namespace Tervezo
