#include "Kozepre.h"

#include <QGuiApplication>
#include <algorithm>
#include <QScreen>
#include <QWidget>

void kepernyoKozepre(QWidget *ablak)
{
    const QWidget *szulo = ablak->parentWidget();
    QScreen *s = szulo ? szulo->screen() : QGuiApplication::primaryScreen();
    if (s)
        ablak->move(s->availableGeometry().center() - ablak->rect().center());
}

namespace {
// the strip of the frame that must stay reachable to drag the window: its title bar
constexpr int CIMSOR = 24;
constexpr int FOGAS = 48;   // that much of the title bar's width must be on a screen
}

QRect KepernyoreHoz(const QRect &hely, const QList<QRect> &munkaTeruletek, const QMargins &keret)
{
    if (munkaTeruletek.isEmpty())
        return hely;
    // the work area holding most of a strip of the window
    const auto legtobb = [&](const QRect &csik) -> const QRect * {
        const QRect *m = nullptr;
        qint64 t = 0;
        for (const QRect &terulet : munkaTeruletek) {
            const QRect k = terulet.intersected(csik);
            if (!k.isEmpty() && qint64(k.width()) * k.height() > t) {
                t = qint64(k.width()) * k.height();
                m = &terulet;
            }
        }
        return m;
    };
    const QSize keretMeret(keret.left() + keret.right(), keret.top() + keret.bottom());
    QRect r(hely.topLeft(), hely.size() + keretMeret);   // the whole window, frame included
    const QRect cimsor(r.left(), r.top(), r.width(), CIMSOR);
    if (const QRect *m = legtobb(cimsor); m && m->intersected(cimsor).width() >= std::min(FOGAS, r.width())) {
        if (r.top() < m->top())
            r.moveTop(m->top());   // a title bar above the work area cannot be dragged down
        return QRect(r.topLeft(), hely.size());
    }
    const QRect *m = legtobb(r);
    const QRect t = m ? *m : munkaTeruletek.first();
    r.setWidth(std::min(r.width(), t.width()));
    r.setHeight(std::min(r.height(), t.height()));
    r.moveLeft(std::clamp(r.left(), t.left(), t.right() + 1 - r.width()));
    r.moveTop(std::clamp(r.top(), t.top(), t.bottom() + 1 - r.height()));
    return QRect(r.topLeft(), r.size() - keretMeret);
}
