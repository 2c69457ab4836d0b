#include "MarkaKepek.h"

#include <QFont>
#include <QFontMetricsF>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QRadialGradient>
#include <QVector>

namespace {

constexpr int MERET = 48;

// Our own badges: the make's short name in colours that recall it, no maker's artwork.
struct Jelveny {
    const char *szoveg;
    QRgb hatter;
    QRgb betu;
};

const Jelveny JELVENYEK[] = {
    {nullptr, 0, 0},                       // 0: the early car, drawn below
    {"CHEV", 0xffd4a21c, 0xff1d2a4a},      // Chevrolet
    {"CIT", 0xffb0121b, 0xffffffff},       // Citroën
    {"Ford", 0xff123f8c, 0xffffffff},      // Ford
    {"JAG", 0xff17402f, 0xffd8d8d8},       // Jaguar
    {"KIA", 0xffc4161c, 0xffffffff},       // Kia
    {"MB", 0xffb9bec4, 0xff1f2328},        // Mercedes-Benz
    {"OPEL", 0xfff5c400, 0xff222222},      // Opel
    {"PEU", 0xff1b2f5c, 0xffffffff},       // Peugeot
    {"SAAB", 0xff9e1b22, 0xffffffff},      // Saab
    {"SEAT", 0xffd71920, 0xffffffff},      // SEAT
    {"SUZ", 0xffe30613, 0xffffffff},       // Suzuki
    {"S", 0xff1c5bb8, 0xffffffff},         // the blue emblem with a white S
    {"VOLVO", 0xff2c3e57, 0xffffffff},     // Volvo
    {"VW", 0xff1a4f9c, 0xffffffff},        // Volkswagen
    {"AUDI", 0xffc8ccd0, 0xff1a1a1a},      // Audi
    {"SUB", 0xff0c2c74, 0xffffffff},       // Subaru
    {"TOY", 0xffd2001f, 0xffffffff},       // Toyota
    {"NIS", 0xffbfc3c7, 0xff2a2a2a},       // Nissan
    {"AR", 0xff8f1d21, 0xffffffff},        // Alfa Romeo
    {"BMW", 0xff2266b0, 0xffffffff},       // BMW
    {"MIT", 0xffd6001c, 0xffffffff},       // Mitsubishi
    {"DAI", 0xffc8102e, 0xffffffff},       // Daihatsu
    {"MAZ", 0xff4a4f55, 0xffffffff},       // Mazda
    {"FER", 0xfffdd017, 0xff111111},       // Ferrari
    {"FIAT", 0xff8b1b2c, 0xffffffff},      // Fiat
    {"ISU", 0xffc8102e, 0xffffffff},       // Isuzu
    {"IVE", 0xff004a93, 0xffffffff},       // Iveco
    {"LADA", 0xff1d4e9e, 0xffffffff},      // Lada
    {"LAN", 0xff233f8f, 0xffffffff},       // Lancia
    {"LR", 0xff1c4d32, 0xffffffff},        // Land Rover
    {"MAN", 0xffb4b9be, 0xff1a1a1a},       // MAN
    {"POR", 0xffc9a227, 0xff111111},       // Porsche
    {"\xC5\xA0K", 0xff2e7d32, 0xffffffff}, // Škoda
    {"REN", 0xfff4c300, 0xff111111},       // Renault
    {"smart", 0xff222222, 0xfff4d000},     // smart
};

constexpr int DARAB = int(sizeof(JELVENYEK) / sizeof(JELVENYEK[0]));
static_assert(DARAB == 36);

void regiAuto(QPainter &p)
{
    const QColor test(0x8b, 0x1a, 0x1a), sotet(0x2b, 0x2b, 0x2b), kerek(0x30, 0x30, 0x30);
    p.setPen(QPen(sotet, 1.2));
    // cabin with a flat roof on thin posts, open at the side
    p.setBrush(Qt::NoBrush);
    p.drawLine(QPointF(17, 14), QPointF(17, 25));
    p.drawLine(QPointF(31, 14), QPointF(31, 25));
    p.setBrush(sotet);
    p.drawRect(QRectF(14, 12, 20, 2.5));
    // body: a tall box behind, a long hood in front
    QPainterPath test1;
    test1.moveTo(8, 34);
    test1.lineTo(8, 24);
    test1.lineTo(33, 24);
    test1.lineTo(33, 27);
    test1.lineTo(43, 28);
    test1.quadTo(45, 29, 45, 33);
    test1.lineTo(45, 34);
    test1.closeSubpath();
    p.setBrush(test);
    p.drawPath(test1);
    // radiator and lamp
    p.setBrush(QColor(0xd9, 0xb3, 0x4a));
    p.drawRect(QRectF(42.5, 28.5, 2, 5));
    p.drawEllipse(QPointF(41, 26), 1.8, 1.8);
    // seat back and steering wheel
    p.setPen(QPen(sotet, 1.5));
    p.drawLine(QPointF(12, 24), QPointF(11, 18));
    p.drawLine(QPointF(30, 24), QPointF(27, 20));
    // mudguards
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(sotet, 1.6));
    p.drawArc(QRectF(6, 29, 14, 10), 0, 180 * 16);
    p.drawArc(QRectF(31, 29, 14, 10), 0, 180 * 16);
    // spoked wheels
    for (const QPointF c : {QPointF(13, 37), QPointF(38, 37)}) {
        p.setPen(QPen(kerek, 2.2));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(c, 6, 6);
        p.setPen(QPen(kerek, 0.8));
        for (int i = 0; i < 4; ++i) {
            p.save();
            p.translate(c);
            p.rotate(45 * i);
            p.drawLine(QPointF(-5, 0), QPointF(5, 0));
            p.restore();
        }
        p.setBrush(kerek);
        p.drawEllipse(c, 1.3, 1.3);
    }
}

void jelveny(QPainter &p, const Jelveny &j)
{
    const QColor hatter = QColor::fromRgba(j.hatter), betu = QColor::fromRgba(j.betu);
    const QRectF kor(2.5, 2.5, MERET - 5, MERET - 5);
    QRadialGradient g(QPointF(18, 16), 30);
    g.setColorAt(0, hatter.lighter(135));
    g.setColorAt(1, hatter.darker(115));
    p.setPen(QPen(hatter.darker(160), 2));
    p.setBrush(g);
    p.drawEllipse(kor);
    // inner ring in the letter colour, thin
    QColor gyuru = betu;
    gyuru.setAlpha(150);
    p.setPen(QPen(gyuru, 1));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(kor.adjusted(3.5, 3.5, -3.5, -3.5));

    const QString s = QString::fromUtf8(j.szoveg);
    QFont f("DejaVu Sans");
    f.setBold(true);
    f.setPixelSize(s.size() <= 1 ? 28 : 16);
    const qreal maxSzeles = s.size() <= 2 ? 30 : 34;
    QFontMetricsF fm(f);
    while (fm.horizontalAdvance(s) > maxSzeles && f.pixelSize() > 7) {
        f.setPixelSize(f.pixelSize() - 1);
        fm = QFontMetricsF(f);
    }
    p.setFont(f);
    p.setPen(betu);
    p.drawText(QRectF(0, 0, MERET, MERET), Qt::AlignCenter, s);
}

QPixmap rajzol(int i)
{
    QPixmap pm(MERET, MERET);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    if (i == 0)
        regiAuto(p);
    else
        jelveny(p, JELVENYEK[i]);
    return pm;
}

} // namespace

int MarkaKepSzam() { return DARAB; }

QPixmap MarkaKep(int index)
{
    // drawn once per run; pixmaps need the GUI thread, which is the only thread we have
    static QVector<QPixmap> kepek;
    if (index < 0 || index >= DARAB)
        return QPixmap();
    if (kepek.isEmpty())
        for (int i = 0; i < DARAB; ++i)
            kepek << rajzol(i);
    return kepek[index];
}
