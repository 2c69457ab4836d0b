#pragma once

#include "Nyomtatvany.h"

#include <QDateTime>
#include <QFont>
#include <QFontMetricsF>
#include <QGlyphRun>
#include <QList>
#include <QPointF>
#include <QRectF>
#include <QStringList>

#include <functional>
#include <memory>

class QPainter;

// One drawing step of a page, in millimetres from the paper's top-left corner.
struct RajzMuvelet {
    enum Tipus : quint8 { Szoveg, Vonal, Kitoltes } tipus = Szoveg;
    QPointF a;            // text: left end of the baseline; line: start; fill: top-left
    QPointF b;            // line: end; fill: bottom-right
    int betu = -1;        // text: index into Oldalak::betuk
    QString szoveg;
    QList<QGlyphRun> futasok;   // text: the shaped glyphs, baseline at y 0 (drawText when empty)
    QColor szin = Qt::black;
    double vastagsag = 0; // line width in points
    bool pontozott = false;
};

struct Lap {
    QList<RajzMuvelet> muveletek;
};

// The pages of one printout, independent of any device.
struct Oldalak {
    QString cim;
    double papirSzeles = 210, papirMagas = 297;
    QList<QFont> betuk;
    QList<Lap> lapok;
};

// Paints one page so that the paper fills cel (device coordinates of the painter).
void LapRajzol(QPainter &p, const Oldalak &o, int lap, const QRectF &cel);

// Turns a layout and its datasets into pages.
class Lapozo {
public:
    // haladas gets the percentage done and returns false to stop (the pages made so far stay)
    using Haladas = std::function<bool(int szazalek)>;

    Lapozo(const Elrendezes &e, Adatforras *fo, QHash<QString, Adatforras *> tobbi = {});
    void setMost(const QDateTime &most) { m_most = most; }
    void setHaladas(Haladas h) { m_haladas = std::move(h); }
    Oldalak lapoz();
    bool megszakitva() const { return m_megszakitva; }

    // The printed lines of a text in a box of the given width (the text layout rules).
    static QStringList sorokraTor(const QString &szoveg, const QFontMetricsF &fm, double szeles,
                                  bool sortores, bool autoMeret);
    // The same with a measure of its own: the width in millimetres of a text
    static QStringList sorokraTor(const QString &szoveg, const std::function<double(const QString &)> &szelesseg,
                                  double szeles, bool sortores, bool autoMeret);

private:
    struct Elhelyezett {
        const Elem *e = nullptr;
        double bal = 0, fent = 0, szeles = 0, magas = 0;
        int betu = -1;
        double sorMagas = 0, emelkedes = 0;
        QStringList sorok;
        QList<double> sorSzeles;
        double szuksegesMagas() const;   // the box height after auto stretch
    };

    // a line of text once measured and shaped in one font; list values repeat a lot
    struct Kep {
        double szeles = -1;              // mm, trailing blanks left out; -1 until measured
        bool alakitva = false;
        QList<QGlyphRun> futasok;
    };
    Kep &kep(int betu, const QString &s);
    double meres(int betu, const QString &s);
    const QList<QGlyphRun> &futasok(int betu, const QString &s);

    int betuIndex(const Betu &b);
    Betu betuje(const Sav &s, const Elem &e) const;
    QString szoveg(const Elem &e) const;
    QList<Elhelyezett> elhelyez(const Sav &s);
    void rajzol(const Sav &s, const QList<Elhelyezett> &elemek, double y, double magas);
    void keret(const Keret &k, const QRectF &r);
    void kod(const Elhelyezett &h, const QRectF &r);
    void savNyomtat(const Sav &s);
    void lapKezd();
    void lapZar();

    const Elrendezes &m_e;
    Adatforras *m_fo;
    QHash<QString, Adatforras *> m_tobbi;
    QDateTime m_most;
    Haladas m_haladas;
    bool m_megszakitva = false;
    bool m_vanSor = false;

    Oldalak m_o;
    QHash<QString, int> m_betuIndex;
    QHash<const Elem *, int> m_elemBetu;
    QList<std::shared_ptr<QFontMetricsF>> m_metrikak;
    QList<QHash<QString, Kep>> m_kepek;   // by font index
    Lap *m_lap = nullptr;
    double m_y = 0;
    double m_fejlecAlja = 0;
    double m_lablecTeteje = 0;
};
