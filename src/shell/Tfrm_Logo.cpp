#include "Tfrm_Logo.h"
#include "Kozepre.h"

#include <QBitmap>
#include <QGuiApplication>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>

namespace {
const QColor ATLATSZO(128, 128, 128);   // clGray: the see-through colour of the picture
}

Tfrm_Logo::Tfrm_Logo(QWidget *szulo)
    : QWidget(szulo, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      m_kep(kep())
{
    setObjectName("frm_Logo");
    setAttribute(Qt::WA_DeleteOnClose);
    setFixedSize(400, 240);
    setMask(m_kep.createMaskFromColor(ATLATSZO, Qt::MaskInColor));
    kepernyoKozepre(this);
    m_timer.setInterval(4000);
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, &QWidget::close);
}

void Tfrm_Logo::showEvent(QShowEvent *e)
{
    QWidget::showEvent(e);
    m_timer.start();
}

void Tfrm_Logo::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.drawPixmap(0, 0, m_kep);
}

QPixmap Tfrm_Logo::kep()
{
    QPixmap k(400, 240);
    k.fill(ATLATSZO);
    QPainter p(&k);
    // no antialiasing: blended edges would leave grey-ish pixels that are not see-through
    // and not the picture either
    QPainterPath lap;
    lap.addRoundedRect(QRectF(10, 20, 380, 200), 28, 28);
    QLinearGradient g(0, 20, 0, 220);
    g.setColorAt(0, QColor(30, 70, 140));
    g.setColorAt(1, QColor(10, 30, 80));
    p.fillPath(lap, g);
    p.setPen(QPen(QColor(240, 200, 60), 4));
    p.drawPath(lap);

    // a shield with a tick: the warranty
    QPainterPath pajzs;
    pajzs.moveTo(70, 60);
    pajzs.lineTo(120, 45);
    pajzs.lineTo(170, 60);
    pajzs.cubicTo(170, 120, 150, 160, 120, 180);
    pajzs.cubicTo(90, 160, 70, 120, 70, 60);
    p.setPen(QPen(QColor(240, 200, 60), 3));
    p.setBrush(QColor(245, 245, 245));
    p.drawPath(pajzs);
    p.setPen(QPen(QColor(40, 150, 60), 9, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPolyline(QPolygonF({QPointF(95, 110), QPointF(115, 135), QPointF(150, 85)}));

    QFont f("DejaVu Sans");
    f.setPixelSize(40);
    f.setBold(true);
    p.setFont(f);
    p.setPen(Qt::white);
    p.drawText(QRect(185, 60, 200, 50), Qt::AlignLeft | Qt::AlignVCenter, "DorvPrg");
    f.setPixelSize(15);
    f.setBold(false);
    p.setFont(f);
    p.setPen(QColor(240, 200, 60));
    p.drawText(QRect(185, 110, 200, 50), Qt::AlignLeft | Qt::TextWordWrap, "Garanciajegy nyilvántartás");
    f.setPixelSize(11);
    p.setFont(f);
    p.setPen(QColor(200, 210, 230));
    p.drawText(QRect(185, 170, 190, 20), Qt::AlignLeft, "Pelikor");
    return k;
}
