#include "Lapozo.h"

#include "Betuk.h"
#include "HuSzoveg.h"
#include "LevelJel.h"

#include <QPainter>
#include <QPen>
#include <QTextLayout>

#include <cmath>

namespace {
constexpr double TURES = 0.01;   // mm; rounding of the tables' tenths

double ptMm(double pt) { return pt * 25.4 / 72.0; }

// measured width in millimetres, trailing blanks left out
double szelesseg(const QFontMetricsF &fm, const QString &s)
{
    int n = s.size();
    while (n > 0 && s.at(n - 1) == ' ')
        --n;
    return fm.horizontalAdvance(n == s.size() ? s : s.left(n)) / Betuk::EGYSEG;
}

QString jobbVagott(const QString &s)
{
    int n = s.size();
    while (n > 0 && s.at(n - 1) == ' ')
        --n;
    return s.left(n);
}
}

QStringList Lapozo::sorokraTor(const QString &szoveg, const QFontMetricsF &fm, double szeles,
                               bool sortores, bool autoMeret)
{
    return sorokraTor(szoveg, [&fm](const QString &s) { return szelesseg(fm, s); }, szeles, sortores, autoMeret);
}

QStringList Lapozo::sorokraTor(const QString &szoveg, const std::function<double(const QString &)> &szelesseg,
                               double szeles, bool sortores, bool autoMeret)
{
    // lines end at carriage returns; line feeds alone (texts typed on Linux) end lines too
    QStringList bekezdesek;
    if (!szoveg.contains('\r') && !szoveg.contains('\n')) {
        bekezdesek << szoveg;
    } else {
        QString t = szoveg;
        t.replace("\r\n", "\n");
        t.replace('\r', '\n');
        bekezdesek = t.split('\n');
    }
    if (autoMeret)
        return bekezdesek;

    QStringList ki;
    for (const QString &bek : bekezdesek) {
        if (bek.isEmpty() || szelesseg(bek) < szeles) {
            ki << bek;
            continue;
        }
        // words end after a space or a hyphen
        QStringList szavak;
        int kezd = 0;
        for (int i = 0; i < bek.size(); ++i)
            if (bek.at(i) == ' ' || bek.at(i) == '-') {
                szavak << bek.mid(kezd, i + 1 - kezd);
                kezd = i + 1;
            }
        if (kezd < bek.size())
            szavak << bek.mid(kezd);

        QString sor;
        int i = 0;
        bool vege = false;
        while (i < szavak.size() && !vege) {
            const QString jelolt = sor + szavak.at(i);
            if (szelesseg(jelolt) < szeles) {
                sor = jelolt;
                ++i;
                continue;
            }
            if (!sor.isEmpty()) {
                ki << sor;
                sor.clear();
                vege = !sortores;   // without wrap only the first printed line shows
                continue;
            }
            // a word wider than the box by itself: cut after its last fitting character
            const QString &szo = szavak.at(i);
            int n = 1;
            while (n < szo.size() && szelesseg(szo.left(n + 1)) < szeles)
                ++n;
            ki << szo.left(n);
            if (!sortores) {
                vege = true;
                continue;
            }
            szavak[i] = szo.mid(n);
            if (jobbVagott(szavak[i]).isEmpty())
                ++i;
        }
        if (!vege && !sor.isEmpty())
            ki << sor;
    }
    return ki;
}

double Lapozo::Elhelyezett::szuksegesMagas() const
{
    if (!e->nyujthato)
        return magas;
    return std::max(magas, sorok.size() * sorMagas);
}

Lapozo::Lapozo(const Elrendezes &e, Adatforras *fo, QHash<QString, Adatforras *> tobbi)
    : m_e(e), m_fo(fo), m_tobbi(std::move(tobbi)), m_most(QDateTime::currentDateTime())
{
}

int Lapozo::betuIndex(const Betu &b)
{
    const QString kulcs = QString("%1|%2|%3|%4").arg(b.nev).arg(b.meret).arg(b.felkover).arg(b.dolt);
    auto it = m_betuIndex.constFind(kulcs);
    if (it != m_betuIndex.constEnd())
        return *it;
    const QFont f = Betuk::font(b);
    m_o.betuk << f;
    m_metrikak << std::make_shared<QFontMetricsF>(f);
    m_kepek.append(QHash<QString, Kep>());
    const int i = int(m_o.betuk.size()) - 1;
    m_betuIndex.insert(kulcs, i);
    return i;
}

Lapozo::Kep &Lapozo::kep(int betu, const QString &s)
{
    QHash<QString, Kep> &k = m_kepek[betu];
    if (k.size() > 50000)
        k.clear();   // a bound for very long printouts; the pages keep what they use
    return k[s];
}

double Lapozo::meres(int betu, const QString &s)
{
    const QString t = jobbVagott(s);
    Kep &k = kep(betu, t);
    if (k.szeles < 0)
        k.szeles = szelesseg(*m_metrikak.at(betu), t);
    return k.szeles;
}

const QList<QGlyphRun> &Lapozo::futasok(int betu, const QString &s)
{
    Kep &k = kep(betu, s);
    if (k.alakitva)
        return k.futasok;
    k.alakitva = true;
    // control characters and right-to-left text keep the painter's own text drawing
    if (s.isRightToLeft())
        return k.futasok;
    for (QChar c : s)
        if (c.unicode() < 0x20 || c.category() == QChar::Other_Format)
            return k.futasok;
    QTextLayout l(s, m_o.betuk.at(betu));
    QTextOption o;
    o.setWrapMode(QTextOption::NoWrap);
    l.setTextOption(o);
    l.beginLayout();
    QTextLine sor = l.createLine();
    l.endLayout();
    if (!sor.isValid())
        return k.futasok;
    // the line's advance is the measure of the text (the sum of the same glyph advances)
    if (k.szeles < 0 && s == jobbVagott(s))
        k.szeles = sor.horizontalAdvance() / Betuk::EGYSEG;
    // shaped as the painter shapes a text drawn at a point: baseline moved to y 0
    const double alap = sor.y() + sor.ascent();
    for (QGlyphRun f : sor.glyphRuns()) {
        QList<QPointF> hely = f.positions();
        for (QPointF &h : hely)
            h.ry() -= alap;
        f.setPositions(hely);
        k.futasok << f;
    }
    return k.futasok;
}

Betu Lapozo::betuje(const Sav &s, const Elem &e) const
{
    if (e.betu)
        return *e.betu;
    if (s.betu)
        return *s.betu;
    return m_e.alapBetu;
}

QString Lapozo::szoveg(const Elem &e) const
{
    switch (e.tipus) {
    case ElemTipus::Cimke:
        return e.szoveg;
    case ElemTipus::Adat: {
        Adatforras *f = e.forras.isEmpty() ? m_fo : m_tobbi.value(e.forras.toLower());
        if (!f || (f == m_fo && !m_vanSor))
            return {};
        return MegjelenoSzoveg(f->ertek(e.mezo), e.formatum);
    }
    case ElemTipus::Rendszer:
        switch (e.rendszer) {
        case RendszerErtek::DatumIdo: {
            QString s = m_most.date().toString(HuSzoveg::ROVID_DATUM);
            if (m_most.time() != QTime(0, 0))
                s += ' ' + m_most.time().toString("H:mm:ss");
            return e.szoveg + s;
        }
        case RendszerErtek::Oldalszam:
            return e.szoveg + QString::number(m_o.lapok.size());
        case RendszerErtek::Cim:
            return e.szoveg + m_e.cim;
        }
        break;
    case ElemTipus::Kod: {
        if (!m_vanSor)
            return {};
        const QString tipus = m_fo->ertek("prntip").toString();
        const QVariant szam = m_fo->ertek("doksi_id");
        if (tipus.size() != 1 || szam.isNull())
            return {};
        return LevelKod(tipus.at(0), szam.toInt());
    }
    case ElemTipus::Alakzat:
        break;
    }
    return {};
}

QList<Lapozo::Elhelyezett> Lapozo::elhelyez(const Sav &s)
{
    QList<Elhelyezett> ki;
    ki.reserve(s.elemek.size());
    for (const Elem &e : s.elemek) {
        Elhelyezett h;
        h.e = &e;
        h.bal = e.bal;
        h.fent = e.fent;
        h.szeles = e.szeles;
        h.magas = e.magas;
        if (e.tipus != ElemTipus::Alakzat) {
            auto bi = m_elemBetu.constFind(&e);
            if (bi == m_elemBetu.constEnd())
                bi = m_elemBetu.insert(&e, betuIndex(betuje(s, e)));
            h.betu = *bi;
            const QFontMetricsF &fm = *m_metrikak.at(h.betu);
            h.sorMagas = fm.height() / Betuk::EGYSEG;
            h.emelkedes = fm.ascent() / Betuk::EGYSEG;
            const int betu = h.betu;
            const QString sz = szoveg(e);
            // a one-line text is most often printed as it is: shaped once, it is measured too
            if (!sz.contains('\r') && !sz.contains('\n') && !jobbVagott(sz).isEmpty())
                futasok(betu, jobbVagott(sz));
            h.sorok = sorokraTor(sz, [this, betu](const QString &s) { return meres(betu, s); }, e.szeles,
                                 e.sortores, e.autoMeret);
            if (e.tipus == ElemTipus::Kod)
                h.sorok = QStringList{sz};   // the code is never cut: it is what the square holds
            // widths matter only where the box is placed by them
            const bool merni = e.autoMeret || e.igazitas != Igazitas::Bal;
            double legszelesebb = 0;
            for (QString &sor : h.sorok) {
                sor = jobbVagott(sor);
                h.sorSzeles << (merni ? meres(h.betu, sor) : 0.0);
                legszelesebb = std::max(legszelesebb, h.sorSzeles.last());
            }
            if (e.autoMeret) {
                // the box keeps the edge (or centre) its alignment names
                const double horgony = e.bal + (e.igazitas == Igazitas::Bal ? 0.0
                                                : e.igazitas == Igazitas::Kozep ? e.szeles / 2 : e.szeles);
                h.szeles = legszelesebb;
                h.bal = horgony - (e.igazitas == Igazitas::Bal ? 0.0
                                   : e.igazitas == Igazitas::Kozep ? legszelesebb / 2 : legszelesebb);
                h.magas = std::max(e.magas, h.sorok.size() * h.sorMagas);
            }
        }
        ki << h;
    }
    return ki;
}

void Lapozo::keret(const Keret &k, const QRectF &r)
{
    if (!k.van())
        return;
    auto vonal = [&](QPointF a, QPointF b) {
        RajzMuvelet m;
        m.tipus = RajzMuvelet::Vonal;
        m.a = a;
        m.b = b;
        m.szin = k.szin;
        m.vastagsag = k.vastagsag;
        m.pontozott = k.pontozott;
        m_lap->muveletek << m;
    };
    if (k.fent) vonal(r.topLeft(), r.topRight());
    if (k.lent) vonal(r.bottomLeft(), r.bottomRight());
    if (k.bal) vonal(r.topLeft(), r.bottomLeft());
    if (k.jobb) vonal(r.topRight(), r.bottomRight());
}

void Lapozo::rajzol(const Sav &s, const QList<Elhelyezett> &elemek, double y, double magas)
{
    const double x0 = m_e.margo;
    // the band's background is white like the paper; only its frame is drawn
    const qsizetype savEleje = m_lap->muveletek.size();
    keret(s.keret, QRectF(x0, y, m_e.nyomtathatoSzeles(), magas));
    // an opaque box hides what lies under it; on white paper that is only what this band drew
    auto takar = [&](const QRectF &r) {
        for (qsizetype i = savEleje; i < m_lap->muveletek.size(); ++i) {
            const RajzMuvelet &m = m_lap->muveletek.at(i);
            if (m.tipus != RajzMuvelet::Szoveg && QRectF(m.a, m.b).normalized().adjusted(-0.5, -0.5, 0.5, 0.5).intersects(r))
                return true;
        }
        return false;
    };
    for (const Elhelyezett &h : elemek) {
        const Elem &e = *h.e;
        const double dobozMagas = e.nyujthato ? std::min(h.szuksegesMagas(), magas - h.fent) : h.magas;
        const QRectF r(x0 + h.bal, y + h.fent, h.szeles, std::max(0.0, dobozMagas));
        if (e.tipus == ElemTipus::Alakzat) {
            RajzMuvelet m;
            m.tipus = RajzMuvelet::Vonal;
            m.vastagsag = 0.5;
            m.a = r.topLeft();
            m.b = r.topRight();
            m_lap->muveletek << m;
            m.a = r.bottomLeft();
            m.b = r.bottomRight();
            m_lap->muveletek << m;
            continue;
        }
        if (e.tipus == ElemTipus::Kod) {
            kod(h, r);
            continue;
        }
        if (!e.atlatszo && !h.sorok.isEmpty() && !(h.sorok.size() == 1 && h.sorok.first().isEmpty()) && takar(r)) {
            RajzMuvelet m;
            m.tipus = RajzMuvelet::Kitoltes;
            m.szin = Qt::white;
            m.a = r.topLeft();
            m.b = r.bottomRight();
            m_lap->muveletek << m;
        }
        keret(e.keret, r);
        for (int i = 0; i < h.sorok.size(); ++i) {
            if ((i + 1) * h.sorMagas > r.height() + TURES)
                break;   // below the box
            if (h.sorok.at(i).isEmpty())
                continue;
            double x = r.left();
            if (e.igazitas == Igazitas::Kozep)
                x += (r.width() - h.sorSzeles.at(i)) / 2;
            else if (e.igazitas == Igazitas::Jobb)
                x += r.width() - h.sorSzeles.at(i);
            RajzMuvelet m;
            m.tipus = RajzMuvelet::Szoveg;
            m.a = QPointF(x, r.top() + i * h.sorMagas + h.emelkedes);
            m.betu = h.betu;
            m.szoveg = h.sorok.at(i);
            m.futasok = futasok(h.betu, m.szoveg);
            m_lap->muveletek << m;
        }
    }
}

// The square of the code fills the box's width, with the quiet zone of four modules inside it;
// each row's runs of dark modules are one fill. The code's text stands centred below.
void Lapozo::kod(const Elhelyezett &h, const QRectF &r)
{
    const QString szoveg = h.sorok.value(0);
    const QrModulok q = QrKodol(szoveg);
    if (szoveg.isEmpty() || q.meret == 0)
        return;
    const int csend = 4;
    const double modul = r.width() / (q.meret + 2 * csend);
    const QPointF bal(r.left() + csend * modul, r.top() + csend * modul);
    for (int y = 0; y < q.meret; ++y)
        for (int x = 0; x < q.meret;) {
            if (!q.sotetE(x, y)) {
                ++x;
                continue;
            }
            int v = x;
            while (v < q.meret && q.sotetE(v, y))
                ++v;
            RajzMuvelet m;
            m.tipus = RajzMuvelet::Kitoltes;
            m.szin = Qt::black;
            m.a = bal + QPointF(x * modul, y * modul);
            // a hair over the next row, so no seam shows between rows on a screen
            m.b = bal + QPointF(v * modul, (y + 1) * modul + (y + 1 < q.meret ? modul * 0.02 : 0.0));
            m_lap->muveletek << m;
            x = v;
        }
    RajzMuvelet t;
    t.tipus = RajzMuvelet::Szoveg;
    t.a = QPointF(r.left() + (r.width() - h.sorSzeles.value(0)) / 2, r.top() + r.width() + h.emelkedes);
    t.betu = h.betu;
    t.szoveg = szoveg;
    t.futasok = futasok(h.betu, szoveg);
    m_lap->muveletek << t;
}

void Lapozo::lapKezd()
{
    m_o.lapok.append(Lap());
    m_lap = &m_o.lapok.last();
    m_y = m_e.margo;
    if (const Sav *f = m_e.sav(SavTipus::Fejlec)) {
        const QList<Elhelyezett> el = elhelyez(*f);
        double magas = f->magas;
        for (const Elhelyezett &h : el)
            magas = std::max(magas, f->magas + h.szuksegesMagas() - h.magas);
        rajzol(*f, el, m_y, magas);
        m_y += magas;
    }
    m_fejlecAlja = m_y;
}

void Lapozo::lapZar()
{
    if (const Sav *l = m_e.sav(SavTipus::Lablec))
        rajzol(*l, elhelyez(*l), m_lablecTeteje, l->magas);
}

void Lapozo::savNyomtat(const Sav &s)
{
    QList<Elhelyezett> el = elhelyez(s);
    double alap = s.magas;
    bool folytatas = false;
    for (;;) {
        double no = 0;
        for (const Elhelyezett &h : el)
            no = std::max(no, h.szuksegesMagas() - h.magas);
        const double teljes = alap + no;
        const double hely = m_lablecTeteje - m_y;
        const bool friss = m_y <= m_fejlecAlja + TURES;
        if (teljes <= hely + TURES || (friss && alap > hely)) {
            rajzol(s, el, m_y, teljes);
            m_y += teljes;
            return;
        }
        if (!friss && (teljes <= m_lablecTeteje - m_fejlecAlja + TURES || alap > hely + TURES)) {
            lapZar();
            lapKezd();
            continue;
        }
        // taller than any page: grow as far as this page allows, the rest goes on
        const double noHet = hely - alap;
        QList<Elhelyezett> maradek;
        for (Elhelyezett &h : el) {
            if (!h.e->nyujthato || h.szuksegesMagas() <= h.magas + noHet + TURES)
                continue;
            int elfer = int(std::floor((h.magas + noHet + TURES) / h.sorMagas));
            if (friss && folytatas)
                elfer = std::max(elfer, 1);   // always progress on a new page
            Elhelyezett tovabb = h;
            tovabb.fent = 0;
            tovabb.magas = 0;
            tovabb.sorok = h.sorok.mid(elfer);
            tovabb.sorSzeles = h.sorSzeles.mid(elfer);
            h.sorok = h.sorok.mid(0, elfer);
            h.sorSzeles = h.sorSzeles.mid(0, elfer);
            maradek << tovabb;
        }
        rajzol(s, el, m_y, hely);
        m_y += hely;
        lapZar();
        lapKezd();
        el = maradek;
        alap = 0;
        folytatas = true;
    }
}

Oldalak Lapozo::lapoz()
{
    m_o = Oldalak();
    m_betuIndex.clear();
    m_metrikak.clear();
    m_kepek.clear();
    m_elemBetu.clear();
    m_o.cim = m_e.cim;
    m_o.papirSzeles = m_e.papirSzeles;
    m_o.papirMagas = m_e.papirMagas;
    m_megszakitva = false;
    const Sav *lablec = m_e.sav(SavTipus::Lablec);
    m_lablecTeteje = m_e.papirMagas - m_e.margo - (lablec ? lablec->magas : 0);
    const Sav *csoport = m_e.sav(SavTipus::CsoportFejlec);
    const Sav *reszlet = m_e.sav(SavTipus::Reszlet);

    const int osszes = m_fo ? m_fo->sorokSzama() : 0;
    int szam = 0;
    QVariant elozoCsoport;
    bool zarva = false;
    auto sor = [&]() -> bool {
        if (szam == 0) {
            m_vanSor = true;
            lapKezd();
        }
        if (csoport) {
            const QVariant c = m_fo->ertek(csoport->csoportMezo);
            if (szam == 0 || c != elozoCsoport)
                savNyomtat(*csoport);
            elozoCsoport = c;
        }
        if (reszlet)
            savNyomtat(*reszlet);
        ++szam;
        if (m_haladas && osszes > 0 && !m_haladas(int(qint64(szam) * 100 / osszes))) {
            m_megszakitva = true;
            lapZar();   // still on the row where it stopped
            zarva = true;
            return false;
        }
        return true;
    };
    m_vanSor = false;
    if (m_fo)
        m_fo->bejar(sor);
    if (szam == 0)
        lapKezd();
    m_vanSor = false;
    if (!zarva)
        lapZar();
    return std::move(m_o);
}

namespace {
// A bold face whose outlines are as thin as the regular one's is made bold by drawing the
// text four times more, half the given width to each side: every stem grows by that width
// and the metrics of the face stay as measured. It stays text in a PDF, a few bytes a copy
// (outlines drawn as curves cost kilobytes a line), and text extraction takes the copies
// for one, as it does with any double-struck bold.
void vastagit(QPainter &p, const RajzMuvelet &m, double toll)
{
    const double E = Betuk::EGYSEG;
    const double f = toll / 2;
    for (const QPointF eltol : {QPointF(-f, 0), QPointF(f, 0), QPointF(0, -f), QPointF(0, f)}) {
        if (m.futasok.isEmpty())
            p.drawText(m.a * E + eltol, m.szoveg);
        else
            for (const QGlyphRun &r : m.futasok)
                p.drawGlyphRun(m.a * E + eltol, r);
    }
}
} // namespace

void LapRajzol(QPainter &p, const Oldalak &o, int lap, const QRectF &cel)
{
    if (lap < 0 || lap >= o.lapok.size())
        return;
    p.save();
    p.translate(cel.topLeft());
    p.scale(cel.width() / (o.papirSzeles * Betuk::EGYSEG), cel.height() / (o.papirMagas * Betuk::EGYSEG));
    const double E = Betuk::EGYSEG;
    int betu = -1;
    bool szovegToll = false;
    QColor szovegSzin;
    for (const RajzMuvelet &m : o.lapok.at(lap).muveletek) {
        switch (m.tipus) {
        case RajzMuvelet::Szoveg:
            if (m.betu != betu) {
                betu = m.betu;
                p.setFont(o.betuk.at(betu));
            }
            if (!szovegToll || m.szin != szovegSzin) {
                p.setPen(m.szin);   // once for a run of texts, not for each
                szovegToll = true;
                szovegSzin = m.szin;
            }
            if (m.futasok.isEmpty())
                p.drawText(m.a * E, m.szoveg);
            else
                for (const QGlyphRun &f : m.futasok)
                    p.drawGlyphRun(m.a * E, f);
            if (const double v = Betuk::vastagitas(o.betuk.at(betu)); v > 0)
                vastagit(p, m, v);
            break;
        case RajzMuvelet::Vonal: {
            szovegToll = false;
            QPen toll(m.szin, ptMm(m.vastagsag) * E);
            toll.setCapStyle(Qt::FlatCap);
            if (m.pontozott)
                toll.setStyle(Qt::DotLine);
            p.setPen(toll);
            p.drawLine(m.a * E, m.b * E);
            break;
        }
        case RajzMuvelet::Kitoltes:
            p.fillRect(QRectF(m.a * E, m.b * E), m.szin);
            break;
        }
    }
    p.restore();
}
