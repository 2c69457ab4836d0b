#include "Kozepre.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

void kepernyoKozepre(QWidget *ablak)
{
    const QWidget *szulo = ablak->parentWidget();
    QScreen *s = szulo ? szulo->screen() : QGuiApplication::primaryScreen();
    if (s)
        ablak->move(s->availableGeometry().center() - ablak->rect().center());
}
