#include "Export.h"
#include "BiztosFajl.h"
#include "HuSzoveg.h"
#include "Lekerdezes.h"
#include "Mezo.h"
#include "RegiszterFajl.h"
#include "Sema.h"
#include "StoreHiba.h"
#include "Tabla.h"

#include <QDate>
#include <QHash>
#include <QSignalBlocker>
#include <QVector>
#include <charconv>
#include <vector>

namespace {

// Code page 1250 a piece at a time: ASCII as it is, any other character by a table that
// takes the encoder's own byte for it the first time it shows up. A surrogate, or a
// character the encoder gives no single byte for, leaves the whole piece to the encoder.
class Kodolo1250 {
public:
    const QByteArray &kodol(const QString &s)
    {
        m_ki.resize(s.size());
        char *p = m_ki.data();
        const char16_t *c = reinterpret_cast<const char16_t *>(s.constData());
        for (qsizetype i = 0; i < s.size(); ++i) {
            if (c[i] < 0x80) {
                p[i] = char(c[i]);
                continue;
            }
            qint16 &b = m_tabla[c[i]];
            if (b == ISMERETLEN)
                b = egyBajt(c[i]);
            if (b == NINCS) {
                m_ki = HuSzoveg::kodol1250(s);
                return m_ki;
            }
            p[i] = char(b);
        }
        return m_ki;
    }

private:
    static constexpr qint16 ISMERETLEN = -2, NINCS = -1;
    static qint16 egyBajt(char16_t c)
    {
        if (QChar::isSurrogate(c))
            return NINCS;
        const QByteArray b = HuSzoveg::kodol1250(QString(QChar(c)));
        return b.size() == 1 ? qint16(uchar(b[0])) : NINCS;
    }
    std::vector<qint16> m_tabla = std::vector<qint16>(0x10000, ISMERETLEN);
    QByteArray m_ki;
};

// Collects lines and hands them to the file in 1250 in large pieces: one encoder call
// per piece instead of one per line keeps a half-million-row export quick.
class SorIro {
public:
    SorIro(BiztosFajl &f) : m_f(f) { m_puffer.reserve(DARAB + 4096); }
    QString &puffer() { return m_puffer; }
    void sorVege()
    {
        m_puffer += QLatin1String("\r\n");
        if (m_puffer.size() >= DARAB)
            kiir();
    }
    void kiir()
    {
        if (m_puffer.isEmpty())
            return;
        m_f.irMind(m_kodolo.kodol(m_puffer));
        m_puffer.clear();
    }
    void lezar()
    {
        kiir();
        m_f.veglegesit();
    }

private:
    static constexpr int DARAB = 1 << 16;
    BiztosFajl &m_f;
    QString m_puffer;
    Kodolo1250 m_kodolo;
};

void szamHozzafuz(QString &ki, qint64 n)
{
    char b[24];
    const auto r = std::to_chars(b, b + sizeof b, n);
    ki += QLatin1StringView(b, r.ptr - b);
}

void ketJegy(QString &ki, int n)
{
    ki += QChar(u'0' + n / 10);
    ki += QChar(u'0' + n % 10);
}

// A value as text, appended: the same text as MezoSzoveg, with the common types done
// by hand and without a text in between (QDate::toString with a format is slow over
// millions of values).
void szovegHozzafuz(QString &ki, const QVariant &v)
{
    if (v.isNull() || !v.isValid())
        return;
    switch (v.typeId()) {
    case QMetaType::Int: szamHozzafuz(ki, v.toInt()); return;
    case QMetaType::LongLong: szamHozzafuz(ki, v.toLongLong()); return;
    case QMetaType::QString: ki += *static_cast<const QString *>(v.constData()); return;
    case QMetaType::QDate: {
        const QDate d = v.toDate();
        if (d.isValid() && d.year() >= 1000 && d.year() <= 9999) {
            szamHozzafuz(ki, d.year());
            ki += u'.';
            ketJegy(ki, d.month());
            ki += u'.';
            ketJegy(ki, d.day());
            ki += u'.';
            return;
        }
        break;
    }
    default: break;
    }
    ki += MezoSzoveg(v);
}

// A text between qualifiers (a qualifier inside it doubled) and the separator after it;
// ir appends the text in place, with no copy of it in between.
template <typename Ir>
void jeloltHozzafuz(QString &ki, QChar jelolo, const QString &elvalaszto, Ir ir)
{
    if (jelolo.isNull()) {
        ir(ki);
        ki += elvalaszto;
        return;
    }
    ki += jelolo;
    const qsizetype eleje = ki.size();
    ir(ki);
    if (QStringView(ki).sliced(eleje).contains(jelolo)) {
        QString szoveg = ki.sliced(eleje);
        ki.truncate(eleje);
        ki += szoveg.replace(jelolo, QString(2, jelolo));
    }
    ki += jelolo;
    ki += elvalaszto;
}

// The table the lookup field's name comes from (its looked-up field), e.g. marka for
// marka_nev; nullptr when no other table has such a field.
const TablaLeiras *keresoForras(const Tabla &ds, const QString &nev)
{
    for (const TablaLeiras &t : Sema::tablak())
        if (t.nev != ds.leiras().nev && t.mezo(nev) && ds.leiras().mezo(t.kulcs))
            return &t;
    return nullptr;
}

} // namespace

QStringList HataroltMezok(const Tabla &ds)
{
    const TablaLeiras &l = ds.leiras();
    const QStringList osszes = ds.mezoNevek();
    QStringList kereso;
    for (const QString &n : osszes)
        if (!l.mezo(n))
            kereso << n;
    QStringList ki;
    for (const MezoLeiras &m : l.mezok) {
        ki << m.nev;
        for (const QString &k : kereso) {
            const TablaLeiras *t = keresoForras(ds, k);
            if (t && t->kulcs.compare(m.nev, Qt::CaseInsensitive) == 0 && !ki.contains(k))
                ki << k;
        }
    }
    for (const QString &k : kereso)   // lookups whose own field is not known go last
        if (!ki.contains(k))
            ki << k;
    return ki;
}

QStringList HataroltFejlec(const Tabla &ds)
{
    QStringList ki;
    for (const QString &n : HataroltMezok(ds)) {
        const MezoLeiras *m = ds.leiras().mezo(n);
        if (!m) {
            const TablaLeiras *t = keresoForras(ds, n);
            m = t ? t->mezo(n) : nullptr;
        }
        ki << (m && !m->cimke.isEmpty() ? m->cimke : n);
    }
    return ki;
}

ExportEredmeny HataroltIr(Tabla &ds, const QString &fajl, const QString &elvalaszto, QChar jelolo,
                          const ExportHaladas &haladas)
{
    if (!ds.nyitva())
        ds.megnyit();
    const QStringList mezok = HataroltMezok(ds);
    QVector<int> oszlopok;
    QVector<bool> blob;
    for (const QString &n : mezok) {
        oszlopok << ds.oszlop(n);
        const MezoLeiras *m = ds.leiras().mezo(n);
        blob << (m && m->tipus == MezoTipus::Memo);
    }

    RegiszterFajlVed(fajl);
    BiztosFajl f(fajl);
    f.megnyit();
    SorIro iro(f);
    QString &sor = iro.puffer();
    for (const QString &c : HataroltFejlec(ds))
        jeloltHozzafuz(sor, jelolo, elvalaszto, [&c](QString &ki) { ki += c; });
    iro.sorVege();

    ExportEredmeny e;
    const int n = ds.rekordSzam();
    {
        // the grids on the cursor do not follow the rows while they are read
        const QSignalBlocker csend(&ds);
        // one ordered pass over the view: far cheaper than reading the rows by position
        ds.bejar([&](int i, const QVector<QVariant> &adat) {
            if (haladas && !haladas(i, n)) {
                e.megallitva = true;
                return false;
            }
            for (int c = 0; c < oszlopok.size(); ++c) {
                const QVariant &v = adat[oszlopok[c]];
                jeloltHozzafuz(sor, jelolo, elvalaszto, [&](QString &ki) {
                    if (blob[c])
                        ki += QLatin1StringView("BLOB");
                    else
                        szovegHozzafuz(ki, v);
                });
            }
            iro.sorVege();
            ++e.sorok;
            return true;
        });
        iro.lezar();
    }
    if (n > 0)
        ds.ugrik(e.megallitva ? e.sorok : n - 1);
    return e;
}

void LevelListaKurzor(Tabla &t, const QString &prntip)
{
    t.keresoMezo("marka_nev", "marka", "marka", "marka_nev", 25);
    t.keresoMezo("alkatresz_nev", "alkatresz", "alkatresz", "alkatresz_nev", 50);
    t.keresoMezo("ugyfel_nev", "ugyfel", "ugyfel", "ugyfel_nev", 50);
    t.setIndex("idx_doksi_id_desc");
    t.setSzuro(QString("prntip='%1'").arg(prntip == "S" ? "S" : "J"));
    t.setSzurt(true);
}

bool CsvIr(Lekerdezes &q, const QString &fajl, const QString &elvalaszto, QString *nyitasHiba)
{
    const bool voltNyitva = q.nyitva();
    if (!voltNyitva)
        q.megnyit();
    struct Zaro {
        Lekerdezes &q;
        bool kell;
        ~Zaro() { if (kell) q.bezar(); }
    } zaro{q, !voltNyitva};

    BiztosFajl f(fajl);
    try {
        RegiszterFajlVed(fajl);
        f.megnyit();
    } catch (const StoreHiba &h) {
        if (nyitasHiba)
            *nyitasHiba = h.uzenet();
        return false;
    }
    SorIro iro(f);
    QString &sor = iro.puffer();
    const QStringList nevek = q.mezoNevek();
    for (const QString &n : nevek) {
        sor += n;
        sor += elvalaszto;
    }
    iro.sorVege();
    // by row number: the query's own current row is left where the caller had it
    for (int r = 0; r < q.betoltott() || q.betolt(r + 1) > r; ++r) {
        for (int c = 0; c < nevek.size(); ++c) {
            szovegHozzafuz(sor, q.ertek(r, c));
            sor += elvalaszto;
        }
        iro.sorVege();
    }
    iro.lezar();
    return true;
}

ExportEredmeny HataroltLevelekIr(const QList<qint64> &doksik, const QStringList &pluszFejlec,
                                 const std::function<QStringList(int i)> &plusz, const QString &fajl,
                                 const QString &elvalaszto, QChar jelolo, const ExportHaladas &haladas)
{
    Tabla ds("doksi");
    ds.setCsakOlvas(true);
    ds.keresoMezo("marka_nev", "marka", "marka", "marka_nev", 25);
    ds.keresoMezo("alkatresz_nev", "alkatresz", "alkatresz", "alkatresz_nev", 50);
    ds.keresoMezo("ugyfel_nev", "ugyfel", "ugyfel", "ugyfel_nev", 50);
    ds.megnyit();
    const QStringList mezok = HataroltMezok(ds);
    QVector<int> oszlopok;
    QVector<bool> blob;
    for (const QString &n : mezok) {
        oszlopok << ds.oszlop(n);
        const MezoLeiras *m = ds.leiras().mezo(n);
        blob << (m && m->tipus == MezoTipus::Memo);
    }
    QHash<qint64, int> hely;
    for (int i = 0; i < doksik.size(); ++i)
        hely.insert(doksik[i], i);
    // the wanted rows, found in one pass over the letters, kept until they are written in order
    QVector<QVector<QVariant>> sorok(doksik.size());
    const int kulcs = ds.oszlop("doksi");
    ds.bejar([&](int, const QVector<QVariant> &adat) {
        if (const auto h = hely.constFind(adat[kulcs].toLongLong()); h != hely.constEnd())
            sorok[*h] = adat;
        return true;
    });
    ds.bezar();

    RegiszterFajlVed(fajl);
    BiztosFajl f(fajl);
    f.megnyit();
    SorIro iro(f);
    QString &sor = iro.puffer();
    for (const QString &c : HataroltFejlec(ds) + pluszFejlec)
        jeloltHozzafuz(sor, jelolo, elvalaszto, [&c](QString &ki) { ki += c; });
    iro.sorVege();
    ExportEredmeny e;
    for (int i = 0; i < sorok.size(); ++i) {
        if (haladas && !haladas(i, int(sorok.size()))) {
            e.megallitva = true;
            break;
        }
        const QVector<QVariant> &adat = sorok[i];
        if (adat.isEmpty())
            continue;
        for (int c = 0; c < oszlopok.size(); ++c)
            jeloltHozzafuz(sor, jelolo, elvalaszto, [&](QString &ki) {
                if (blob[c])
                    ki += QLatin1StringView("BLOB");
                else
                    szovegHozzafuz(ki, adat[oszlopok[c]]);
            });
        for (const QString &p : plusz(i))
            jeloltHozzafuz(sor, jelolo, elvalaszto, [&p](QString &ki) { ki += p; });
        iro.sorVege();
        ++e.sorok;
    }
    iro.lezar();
    return e;
}
