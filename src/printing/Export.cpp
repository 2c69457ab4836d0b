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
#include <algorithm>
#include <charconv>
#include <cstring>
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

    // The byte of one character, or a negative number when the encoder must take the text.
    qint16 bajt(char16_t c)
    {
        qint16 &b = m_tabla[c];
        if (b == ISMERETLEN)
            b = egyBajt(c);
        return b;
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

// Texts as they are, each an entry of its own (a header, the columns after a letter's own).
void szovegekHozzafuz(QString &ki, const QStringList &szovegek, QChar jelolo, const QString &elvalaszto)
{
    for (const QString &sz : szovegek)
        jeloltHozzafuz(ki, jelolo, elvalaszto, [&sz](QString &k) { k += sz; });
}

// The columns of the delimited file (HataroltMezok): their places in the cursor's rows and
// which are memos, written as "BLOB".
struct HataroltOszlopok {
    QVector<int> hely;
    QVector<bool> blob;
    explicit HataroltOszlopok(const Tabla &ds)
    {
        for (const QString &n : HataroltMezok(ds)) {
            hely << ds.oszlop(n);
            const MezoLeiras *m = ds.leiras().mezo(n);
            blob << (m && m->tipus == MezoTipus::Memo);
        }
    }
    // a row of the cursor as the text path writes it
    void hozzafuz(QString &ki, const QVector<QVariant> &adat, QChar jelolo, const QString &elvalaszto) const
    {
        for (qsizetype c = 0; c < hely.size(); ++c)
            jeloltHozzafuz(ki, jelolo, elvalaszto, [&](QString &k) {
                if (blob[c])
                    k += QLatin1StringView("BLOB");
                else
                    szovegHozzafuz(k, adat[hely[c]]);
            });
    }
};

// The byte path of HataroltIr: each value of a raw pass goes from its stored UTF-8 straight
// into code page 1250 in a large output buffer, with the entries, qualifiers and separators
// of jeloltHozzafuz; a value the table cannot encode (a character beyond 16 bits, one the
// code page lacks a byte for, bytes that are no UTF-8) takes the text path of the old writer
// for that value alone, so the bytes are the same as SorIro's.
class BajtIro {
public:
    // jelolo: null or an ASCII character
    BajtIro(BiztosFajl &f, const QString &elvalaszto, QChar jelolo)
        : m_f(f), m_jelolo(jelolo.isNull() ? -1 : char(jelolo.unicode())), m_jeloloQ(jelolo)
    {
        m_elvalaszto = m_kodolo.kodol(elvalaszto);
        m_puffer.resize(DARAB + (1 << 16));
    }
    // one entry: the value (or "BLOB") between qualifiers, the separator after it
    void ertek(const NyersErtek &e, bool blob)
    {
        hely(64);
        if (m_jelolo >= 0)
            m_puffer.data()[m_hossz++] = char(m_jelolo);
        if (blob)
            ascii("BLOB", 4);
        else
            switch (e.fajta) {
            case NyersErtek::Fajta::Ures: break;
            case NyersErtek::Fajta::Egesz: {
                const auto r = std::to_chars(m_puffer.data() + m_hossz, m_puffer.data() + m_hossz + 24, e.egesz);
                m_hossz = r.ptr - m_puffer.data();
                break;
            }
            case NyersErtek::Fajta::Datum:
                if (e.ev >= 1000 && e.ev <= 9999) {
                    char *p = m_puffer.data() + m_hossz;
                    p[0] = char('0' + e.ev / 1000);
                    p[1] = char('0' + e.ev / 100 % 10);
                    p[2] = char('0' + e.ev / 10 % 10);
                    p[3] = char('0' + e.ev % 10);
                    p[4] = '.';
                    p[5] = char('0' + e.ho / 10);
                    p[6] = char('0' + e.ho % 10);
                    p[7] = '.';
                    p[8] = char('0' + e.nap / 10);
                    p[9] = char('0' + e.nap % 10);
                    p[10] = '.';
                    m_hossz += 11;
                } else {
                    szovegUt(MezoSzoveg(QDate(e.ev, e.ho, e.nap)));
                }
                break;
            case NyersErtek::Fajta::Szoveg:
                if (!utf8(e.utf8, e.hossz))
                    szovegUt(QString::fromUtf8(e.utf8, e.hossz));
                break;
            case NyersErtek::Fajta::Mas: {
                QString t;
                szovegHozzafuz(t, e.mas);
                szovegUt(t);
                break;
            }
            }
        hely(m_elvalaszto.size() + 1);
        char *p = m_puffer.data() + m_hossz;
        if (m_jelolo >= 0)
            *p++ = char(m_jelolo);
        if (m_elvalaszto.size() == 1)
            *p++ = m_elvalaszto[0];
        else
            p = std::copy(m_elvalaszto.cbegin(), m_elvalaszto.cend(), p);
        m_hossz = p - m_puffer.data();
    }
    // bytes already in 1250 (the header line)
    void bajtok(const QByteArray &b)
    {
        hely(b.size());
        ascii(b.constData(), b.size());
    }
    void sorVege()
    {
        hely(2);
        ascii("\r\n", 2);
        if (m_hossz >= DARAB)
            kiir();
    }
    void lezar()
    {
        kiir();
        m_f.veglegesit();
    }

private:
    static constexpr qsizetype DARAB = 1 << 20;

    void kiir()
    {
        if (m_hossz == 0)
            return;
        m_f.irMind(QByteArray::fromRawData(m_puffer.constData(), m_hossz));
        m_hossz = 0;
    }
    // room for n more bytes
    void hely(qsizetype n)
    {
        if (m_hossz + n <= m_puffer.size())
            return;
        kiir();
        if (n > m_puffer.size())
            m_puffer.resize(n);
    }
    void ascii(const char *p, qsizetype n)
    {
        std::memcpy(m_puffer.data() + m_hossz, p, size_t(n));
        m_hossz += n;
    }
    // A UTF-8 text into 1250 with the qualifier doubled; false (nothing written) when a
    // character needs the encoder itself.
    bool utf8(const char *p, int n)
    {
        hely(qsizetype(n) * 2);
        const auto *b = reinterpret_cast<const uchar *>(p);
        char *ki = m_puffer.data() + m_hossz;
        char *const eleje = ki;
        for (int i = 0; i < n;) {
            const uchar c = b[i];
            if (c < 0x80) {
                if (int(c) == m_jelolo)
                    *ki++ = char(c);
                *ki++ = char(c);
                ++i;
                continue;
            }
            char16_t u;
            if (c >= 0xC2 && c <= 0xDF && i + 1 < n && (b[i + 1] & 0xC0) == 0x80) {
                u = char16_t(((c & 0x1F) << 6) | (b[i + 1] & 0x3F));
                i += 2;
            } else if (c >= 0xE0 && c <= 0xEF && i + 2 < n && (b[i + 1] & 0xC0) == 0x80 && (b[i + 2] & 0xC0) == 0x80
                       && (c != 0xE0 || b[i + 1] >= 0xA0) && (c != 0xED || b[i + 1] < 0xA0)) {
                u = char16_t(((c & 0x0F) << 12) | ((b[i + 1] & 0x3F) << 6) | (b[i + 2] & 0x3F));
                i += 3;
            } else {
                return false;   // beyond 16 bits, or no UTF-8
            }
            const qint16 k = m_kodolo.bajt(u);
            if (k < 0)
                return false;
            *ki++ = char(k);
        }
        m_hossz += ki - eleje;
        return true;
    }
    // a text the old way: qualifier doubled, encoded by the shared table or the encoder
    void szovegUt(QString t)
    {
        if (!m_jeloloQ.isNull() && t.contains(m_jeloloQ))
            t.replace(m_jeloloQ, QString(2, m_jeloloQ));
        const QByteArray &b = m_kodolo.kodol(t);
        hely(b.size());
        ascii(b.constData(), b.size());
    }

    BiztosFajl &m_f;
    const int m_jelolo;   // -1: none
    const QChar m_jeloloQ;
    QByteArray m_elvalaszto;
    QByteArray m_puffer;   // detached once: data() is a plain pointer afterwards
    qsizetype m_hossz = 0;
    Kodolo1250 m_kodolo;
};

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
    // a closed cursor without progress is read without its keys; progress needs their number
    const bool kulcsNelkul = !ds.nyitva() && !haladas && jelolo.unicode() < 0x80;
    if (!ds.nyitva() && !kulcsNelkul)
        ds.megnyit();
    const HataroltOszlopok oszlopok(ds);

    RegiszterFajlVed(fajl);
    BiztosFajl f(fajl);
    f.megnyit();
    ExportEredmeny e;
    const int n = ds.rekordSzam();
    if (jelolo.unicode() < 0x80) {
        BajtIro iro(f, elvalaszto, jelolo);
        {
            Kodolo1250 k;
            QString fejlec;
            szovegekHozzafuz(fejlec, HataroltFejlec(ds), jelolo, elvalaszto);
            iro.bajtok(k.kodol(fejlec));
        }
        iro.sorVege();
        const QSignalBlocker csend(&ds);
        const auto sorFv = [&](int i, const QVector<NyersErtek> &adat) {
            if (haladas && !haladas(i, n)) {
                e.megallitva = true;
                return false;
            }
            const int *o = oszlopok.hely.constData();
            const bool *b = oszlopok.blob.constData();
            for (qsizetype c = 0; c < oszlopok.hely.size(); ++c)
                iro.ertek(adat[o[c]], b[c]);
            iro.sorVege();
            ++e.sorok;
            return true;
        };
        if (kulcsNelkul)
            ds.bejarNyersKulcsNelkul(sorFv);
        else
            ds.bejarNyers(sorFv);
        iro.lezar();
        if (n > 0)
            ds.ugrik(e.megallitva ? e.sorok : n - 1);
        return e;
    }
    // a qualifier beyond ASCII: the text path
    SorIro iro(f);
    QString &sor = iro.puffer();
    szovegekHozzafuz(sor, HataroltFejlec(ds), jelolo, elvalaszto);
    iro.sorVege();
    {
        // the grids on the cursor do not follow the rows while they are read
        const QSignalBlocker csend(&ds);
        // one ordered pass over the view: far cheaper than reading the rows by position
        ds.bejar([&](int i, const QVector<QVariant> &adat) {
            if (haladas && !haladas(i, n)) {
                e.megallitva = true;
                return false;
            }
            oszlopok.hozzafuz(sor, adat, jelolo, elvalaszto);
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
    // a few letters are read by their keys (numbers, written as they are); for a large part
    // of the register one pass over all letters costs less than finding each
    constexpr qsizetype KULCSOKKAL_LEGFELJEBB = 200000;
    if (doksik.isEmpty()) {
        ds.setFeltetel("1 = 0");
    } else if (doksik.size() <= KULCSOKKAL_LEGFELJEBB) {
        QStringList kulcsSzoveg;
        kulcsSzoveg.reserve(doksik.size());
        for (const qint64 d : doksik)
            kulcsSzoveg << QString::number(d);
        ds.setFeltetel("t.doksi IN (" + kulcsSzoveg.join(',') + ')');
    }
    ds.megnyit();
    const HataroltOszlopok oszlopok(ds);
    QHash<qint64, int> hely;
    for (int i = 0; i < doksik.size(); ++i)
        hely.insert(doksik[i], i);
    // the wanted rows, found in one pass, kept as their text until they are written in the
    // order asked; a row's text is never empty, every column ends in the separator
    QVector<QString> sorok(doksik.size());
    const int kulcs = ds.oszlop("doksi");
    ds.bejar([&](int, const QVector<QVariant> &adat) {
        const auto h = hely.constFind(adat[kulcs].toLongLong());
        if (h == hely.constEnd())
            return true;
        sorok[*h].clear();
        oszlopok.hozzafuz(sorok[*h], adat, jelolo, elvalaszto);
        return true;
    });
    ds.bezar();

    RegiszterFajlVed(fajl);
    BiztosFajl f(fajl);
    f.megnyit();
    SorIro iro(f);
    QString &sor = iro.puffer();
    szovegekHozzafuz(sor, HataroltFejlec(ds) + pluszFejlec, jelolo, elvalaszto);
    iro.sorVege();
    ExportEredmeny e;
    for (int i = 0; i < sorok.size(); ++i) {
        if (haladas && !haladas(i, int(sorok.size()))) {
            e.megallitva = true;
            break;
        }
        if (sorok[i].isEmpty())
            continue;
        sor += sorok[i];
        sorok[i] = QString();
        szovegekHozzafuz(sor, plusz(i), jelolo, elvalaszto);
        iro.sorVege();
        ++e.sorok;
    }
    iro.lezar();
    return e;
}
