#include "Ikonok.h"

#include <QHash>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <cmath>

namespace {

const QColor KEK(40, 90, 170), ZOLD(40, 140, 60), PIROS(200, 40, 40), SARGA(240, 200, 60),
    SZURKE(110, 110, 110), BARNA(150, 100, 50);

void lap(QPainter &p, const QColor &szin = Qt::white)
{
    QPainterPath u;
    u.moveTo(3, 1.5);
    u.lineTo(10, 1.5);
    u.lineTo(13.5, 5);
    u.lineTo(13.5, 14.5);
    u.lineTo(3, 14.5);
    u.closeSubpath();
    p.setPen(QPen(SZURKE, 1));
    p.setBrush(szin);
    p.drawPath(u);
    p.drawLine(QPointF(10, 1.5), QPointF(10, 5));
    p.drawLine(QPointF(10, 5), QPointF(13.5, 5));
}

void sorok(QPainter &p, int tol = 6, int ig = 13)
{
    p.setPen(QPen(QColor(120, 140, 180), 1));
    for (int y = tol; y <= ig; y += 2)
        p.drawLine(5, y, 11, y);
}

// a smaller page moved to (dx, dy), with or without lines (copy and paste)
void kisLap(QPainter &p, double dx, double dy, double meret, bool sorokkal)
{
    p.save();
    p.translate(dx, dy);
    p.scale(meret, meret);
    lap(p);
    if (sorokkal)
        sorok(p);
    p.restore();
}

void plusz(QPainter &p, const QColor &c = ZOLD)
{
    p.setPen(QPen(c, 2.5));
    p.drawLine(QPointF(12, 8), QPointF(12, 15));
    p.drawLine(QPointF(8.5, 11.5), QPointF(15.5, 11.5));
}

void nagyito(QPainter &p, double x = 6, double y = 6, double r = 4)
{
    p.setPen(QPen(SZURKE.darker(), 2));
    p.drawLine(QPointF(x + r * 0.7, y + r * 0.7), QPointF(x + r + 4.5, y + r + 4.5));
    p.setPen(QPen(KEK, 1.5));
    p.setBrush(QColor(200, 225, 255));
    p.drawEllipse(QPointF(x, y), r, r);
}

void nyomtato(QPainter &p)
{
    p.setPen(QPen(SZURKE, 1));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(4.5, 1.5, 7, 5));
    p.setBrush(QColor(190, 190, 190));
    p.drawRoundedRect(QRectF(1.5, 6.5, 13, 6), 1.5, 1.5);
    p.setBrush(Qt::white);
    p.drawRect(QRectF(4.5, 10.5, 7, 4));
    p.setPen(ZOLD);
    p.drawPoint(12, 8);
}

void szemely(QPainter &p, double x, const QColor &c)
{
    p.setPen(Qt::NoPen);
    p.setBrush(c);
    p.drawEllipse(QPointF(x, 4.5), 2.8, 2.8);
    p.drawChord(QRectF(x - 5, 8, 10, 12), 0, 180 * 16);
}

void fogaskerek(QPainter &p, const QColor &c)
{
    p.setPen(QPen(c, 2.5));
    for (int i = 0; i < 8; ++i) {
        p.save();
        p.translate(8, 8);
        p.rotate(i * 45);
        p.drawLine(QPointF(0, 4), QPointF(0, 7));
        p.restore();
    }
    p.setPen(QPen(c.darker(), 1));
    p.setBrush(c);
    p.drawEllipse(QPointF(8, 8), 4.5, 4.5);
    p.setBrush(Qt::white);
    p.drawEllipse(QPointF(8, 8), 1.8, 1.8);
}

void kor(QPainter &p, const QColor &c, const QString &betu)
{
    p.setPen(QPen(c.darker(), 1));
    p.setBrush(c);
    p.drawEllipse(QRectF(1, 1, 14, 14));
    QFont f = p.font();
    f.setBold(true);
    f.setPixelSize(11);
    p.setFont(f);
    p.setPen(Qt::white);
    p.drawText(QRectF(1, 1, 14, 14), Qt::AlignCenter, betu);
}

void betuDoboz(QPainter &p, const QColor &c, const QString &betu)
{
    p.setPen(QPen(c.darker(), 1));
    p.setBrush(c);
    p.drawRoundedRect(QRectF(1.5, 1.5, 13, 13), 2, 2);
    QFont f = p.font();
    f.setBold(true);
    f.setPixelSize(betu.size() > 1 ? 7 : 11);
    p.setFont(f);
    p.setPen(Qt::white);
    p.drawText(QRectF(1, 1, 14, 14), Qt::AlignCenter, betu);
}

void rajzol(QPainter &p, const QString &n)
{
    if (n == "aUj") {
        lap(p);
        sorok(p, 6, 9);
        plusz(p);
    } else if (n == "aSzerkeszt") {
        lap(p);
        sorok(p);
        p.setPen(QPen(BARNA, 3, Qt::SolidLine, Qt::FlatCap));
        p.drawLine(QPointF(6, 14), QPointF(14, 6));
        p.setPen(QPen(SARGA, 1.5));
        p.drawLine(QPointF(6.5, 13), QPointF(13.5, 6));
    } else if (n == "aTorol") {
        lap(p);
        sorok(p);
        p.setPen(QPen(PIROS, 2.5));
        p.drawLine(QPointF(7, 8), QPointF(14, 15));
        p.drawLine(QPointF(14, 8), QPointF(7, 15));
    } else if (n == "aNyomtatkep") {
        lap(p);
        sorok(p, 4, 7);
        nagyito(p, 8, 9, 3.5);
    } else if (n == "aNyomtat" || n == "aNyomLista") {
        nyomtato(p);
        if (n == "aNyomLista")
            sorok(p, 12, 13);
    } else if (n == "aExcel") {
        p.setPen(QPen(ZOLD.darker(), 1));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(1.5, 2.5, 13, 11));
        p.setPen(QPen(ZOLD, 1));
        for (int y = 5; y < 14; y += 3)
            p.drawLine(2, y, 14, y);
        p.drawLine(6, 3, 6, 13);
        p.drawLine(10, 3, 10, 13);
        p.fillRect(QRectF(2, 3, 12.5, 2), ZOLD);
    } else if (n == "aBezar") {
        p.setPen(QPen(BARNA.darker(), 1));
        p.setBrush(BARNA);
        p.drawRect(QRectF(2.5, 1.5, 8, 13));
        p.setPen(QPen(PIROS, 2));
        p.drawLine(QPointF(8, 8), QPointF(15, 8));
        p.drawLine(QPointF(12, 5), QPointF(15, 8));
        p.drawLine(QPointF(12, 11), QPointF(15, 8));
    } else if (n == "aCsatolt") {
        lap(p);
        p.setPen(QPen(SZURKE.darker(), 1.3));
        p.setBrush(Qt::NoBrush);
        p.drawRoundedRect(QRectF(6, 3, 4, 11), 2, 2);
        p.drawLine(QPointF(8, 5), QPointF(8, 11));
    } else if (n == "aMegjegyzes" || n == "aMegjegyzesUj") {
        p.setPen(QPen(SARGA.darker(), 1));
        p.setBrush(QColor(255, 240, 140));
        p.drawRect(QRectF(1.5, 1.5, 12, 12));
        p.setPen(QPen(BARNA, 1));
        for (int y = 5; y < 12; y += 2)
            p.drawLine(4, y, 11, y);
        if (n == "aMegjegyzesUj")
            plusz(p);
    } else if (n == "aKeres") {
        nagyito(p);
    } else if (n == "aGaranciaEllenorzes" || n == "aLejaroGaranciak") {
        // a tick (the counter's question) or a clock (the worklist) with the magnifier
        p.setPen(QPen(n == "aLejaroGaranciak" ? QColor(160, 90, 0) : QColor(0, 130, 0), 2));
        if (n == "aLejaroGaranciak") {
            p.drawEllipse(QRectF(1.5, 1.5, 9, 9));
            p.drawLine(QPointF(6, 6), QPointF(6, 3.5));
            p.drawLine(QPointF(6, 6), QPointF(8, 6));
        } else {
            p.drawLine(QPointF(1.5, 6), QPointF(4.5, 9.5));
            p.drawLine(QPointF(4.5, 9.5), QPointF(10.5, 2));
        }
        nagyito(p, 10, 10, 3.5);
    } else if (n == "aKeresReszletes") {
        lap(p);
        sorok(p);
        nagyito(p, 9, 9, 3.5);
    } else if (n == "aTorzsMarka") {
        // a little car
        p.setPen(QPen(KEK.darker(), 1));
        p.setBrush(KEK);
        QPainterPath u;
        u.moveTo(1, 11);
        u.lineTo(1, 8);
        u.lineTo(4, 7.5);
        u.lineTo(6, 4.5);
        u.lineTo(11, 4.5);
        u.lineTo(13, 7.5);
        u.lineTo(15, 8);
        u.lineTo(15, 11);
        u.closeSubpath();
        p.drawPath(u);
        p.setBrush(QColor(40, 40, 40));
        p.drawEllipse(QPointF(4.5, 11.5), 2, 2);
        p.drawEllipse(QPointF(11.5, 11.5), 2, 2);
    } else if (n == "aTorzsAlkatresz") {
        fogaskerek(p, QColor(150, 150, 160));
    } else if (n == "aTorzsUgyfel") {
        szemely(p, 8, KEK);
    } else if (n == "aNyomJavitas") {
        lap(p);
        sorok(p);
        p.fillRect(QRectF(4, 2.5, 5, 2), PIROS);
    } else if (n == "aNyomSzerelo") {
        lap(p);
        p.setPen(QPen(SZURKE.darker(), 2.5, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(5, 13), QPointF(11, 6));
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(SZURKE.darker(), 1.5));
        p.drawEllipse(QPointF(11.5, 5.5), 2.2, 2.2);
    } else if (n == "aJotallas") {
        betuDoboz(p, KEK, "J");
    } else if (n == "aSzereles") {
        betuDoboz(p, ZOLD, "S");
    } else if (n == "aTulajdonos") {
        p.setPen(QPen(BARNA.darker(), 1));
        p.setBrush(QColor(230, 210, 170));
        p.drawRect(QRectF(3.5, 7.5, 9, 7));
        p.setBrush(PIROS);
        p.drawPolygon(QPolygonF({QPointF(1.5, 8), QPointF(8, 1.5), QPointF(14.5, 8)}));
        p.setBrush(BARNA);
        p.drawRect(QRectF(7, 10.5, 2.5, 4));
    } else if (n == "aFelhasznalo") {
        szemely(p, 5.5, ZOLD);
        szemely(p, 10.5, KEK);
    } else if (n == "aSQL") {
        p.setPen(QPen(KEK.darker(), 1));
        p.setBrush(QColor(120, 160, 220));
        p.drawRect(QRectF(2.5, 4, 11, 9));
        p.drawEllipse(QRectF(2.5, 10.5, 11, 4));
        p.setBrush(QColor(170, 200, 240));
        p.drawEllipse(QRectF(2.5, 1.5, 11, 5));
    } else if (n == "aArchiv") {
        p.setPen(QPen(BARNA.darker(), 1));
        p.setBrush(QColor(210, 170, 110));
        p.drawRect(QRectF(1.5, 5.5, 13, 9));
        p.setBrush(QColor(230, 195, 140));
        p.drawRect(QRectF(0.5, 2.5, 15, 3));
        p.setPen(QPen(BARNA.darker(), 1.5));
        p.drawLine(6, 8, 10, 8);
    } else if (n == "aBeallit") {
        fogaskerek(p, QColor(90, 120, 170));
    } else if (n == "aSugo") {
        kor(p, KEK, "?");
    } else if (n == "aFontos") {
        kor(p, QColor(220, 140, 20), "!");
    } else if (n == "aNevjegy") {
        kor(p, KEK, "i");
    } else if (n == "aHonlap") {
        p.setPen(QPen(KEK.darker(), 1));
        p.setBrush(QColor(120, 180, 240));
        p.drawEllipse(QRectF(1.5, 1.5, 13, 13));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(QRectF(5, 1.5, 6, 13));
        p.drawLine(QPointF(1.5, 8), QPointF(14.5, 8));
        p.drawLine(QPointF(3, 4.5), QPointF(13, 4.5));
        p.drawLine(QPointF(3, 11.5), QPointF(13, 11.5));
    } else if (n == "aLevel" || n == "aEmail") {   // a letter to the maker, a printout to the customer
        p.setPen(QPen(SZURKE.darker(), 1));
        p.setBrush(Qt::white);
        if (n == "aEmail") {   // the page that goes with it stands out of the envelope
            p.drawRect(QRectF(5.5, 0.5, 7, 8));
            p.drawLine(QPointF(7, 3), QPointF(11, 3));
        }
        p.drawRect(QRectF(1.5, 5.5, 13, 9).translated(0, n == "aEmail" ? 0 : -2));
        const double y = n == "aEmail" ? 5.5 : 3.5;
        p.drawLine(QPointF(1.5, y), QPointF(8, y + 5.5));
        p.drawLine(QPointF(14.5, y), QPointF(8, y + 5.5));
    } else if (n == "aUjdonsag") {
        QPolygonF csillag;
        for (int i = 0; i < 10; ++i) {
            const double r = i % 2 ? 3 : 7, s = i * M_PI / 5 - M_PI / 2;
            csillag << QPointF(8 + r * std::cos(s), 8.5 + r * std::sin(s));
        }
        p.setPen(QPen(SARGA.darker(), 1));
        p.setBrush(SARGA);
        p.drawPolygon(csillag);
    } else if (n == "aElfogad") {
        p.setPen(QPen(ZOLD, 3, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.drawPolyline(QPolygonF({QPointF(2.5, 8.5), QPointF(6.5, 12.5), QPointF(13.5, 3.5)}));
    } else if (n == "aKivag") {
        p.setPen(QPen(SZURKE.darker(), 1.5));
        p.drawLine(QPointF(5, 1.5), QPointF(10.5, 10));
        p.drawLine(QPointF(11, 1.5), QPointF(5.5, 10));
        p.setPen(QPen(PIROS, 1.5));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(QPointF(4.5, 12), 2.3, 2.3);
        p.drawEllipse(QPointF(11.5, 12), 2.3, 2.3);
    } else if (n == "aMasol") {
        kisLap(p, -1.5, -1, 0.8, false);
        kisLap(p, 3, 2.5, 0.8, true);
    } else if (n == "aBeilleszt") {
        p.setPen(QPen(BARNA.darker(), 1));
        p.setBrush(QColor(200, 150, 90));
        p.drawRoundedRect(QRectF(1.5, 2.5, 10, 12), 1.5, 1.5);
        p.setBrush(QColor(200, 200, 200));
        p.drawRect(QRectF(4, 1, 5, 3));
        kisLap(p, 6, 6, 0.6, true);
    } else if (n == "aMindet") {
        p.setPen(QPen(KEK, 1, Qt::DashLine));
        p.setBrush(QColor(200, 225, 255));
        p.drawRect(QRectF(1.5, 1.5, 13, 13));
        p.setPen(QPen(KEK.darker(), 1));
        for (int y = 5; y <= 11; y += 3)
            p.drawLine(4, y, 12, y);
    } else if (n == "aMegnyit") {
        p.setPen(QPen(SARGA.darker(), 1));
        p.setBrush(SARGA.darker(110));
        p.drawPolygon(QPolygonF({QPointF(1.5, 3.5), QPointF(6, 3.5), QPointF(7.5, 5), QPointF(13.5, 5),
                                 QPointF(13.5, 13.5), QPointF(1.5, 13.5)}));
        p.setBrush(SARGA);
        p.drawPolygon(QPolygonF({QPointF(1.5, 13.5), QPointF(4, 7.5), QPointF(15.5, 7.5), QPointF(13.5, 13.5)}));
    } else if (n == "aMent") {
        p.setPen(QPen(KEK.darker(), 1));
        p.setBrush(KEK);
        p.drawRoundedRect(QRectF(1.5, 1.5, 13, 13), 1, 1);
        p.setBrush(Qt::white);
        p.drawRect(QRectF(4, 1.5, 8, 5));
        p.setBrush(QColor(200, 200, 200));
        p.drawRect(QRectF(4.5, 9.5, 7, 5));
    } else if (n == "aFuttat") {
        p.setPen(QPen(ZOLD.darker(), 1));
        p.setBrush(ZOLD);
        p.drawPolygon(QPolygonF({QPointF(3.5, 1.5), QPointF(14, 8), QPointF(3.5, 14.5)}));
    } else if (n == "aMegallit") {
        QPolygonF nyolc;
        for (int i = 0; i < 8; ++i) {
            const double s = (i + 0.5) * M_PI / 4;
            nyolc << QPointF(8 + 7 * std::cos(s), 8 + 7 * std::sin(s));
        }
        p.setPen(QPen(PIROS.darker(), 1));
        p.setBrush(PIROS);
        p.drawPolygon(nyolc);
        p.setPen(QPen(Qt::white, 2));
        p.drawLine(QPointF(4.5, 8), QPointF(11.5, 8));
    } else {
        lap(p);
    }
}

} // namespace

QIcon AkcioIkon(const QString &akcio)
{
    static QHash<QString, QIcon> kesz;
    const auto it = kesz.constFind(akcio);
    if (it != kesz.constEnd())
        return *it;
    QPixmap kep(16, 16);
    kep.fill(Qt::transparent);
    {
        QPainter p(&kep);
        p.setRenderHint(QPainter::Antialiasing);
        rajzol(p, akcio);
    }
    QIcon i(kep);
    kesz.insert(akcio, i);
    return i;
}

const char *const ASZTALI_BEJEGYZES = "hu.pelikor.dorvprg";

// the pictures live in this static library: named here so the linker keeps them
static void ikonokBetoltese() { Q_INIT_RESOURCE(ProgramIkon); }

QIcon ProgramIkon()
{
    ikonokBetoltese();
    QIcon sajat;
    for (int n : {16, 22, 24, 32, 48, 64, 128, 256})
        sajat.addFile(QString(":/ikon/dorvprg-%1.png").arg(n), QSize(n, n));
    return QIcon::fromTheme(ASZTALI_BEJEGYZES, sajat);
}
