#include "BemenetZar.h"

#include <QCoreApplication>
#include <QEvent>
#include <QWidget>
#include <QWindow>

BemenetZar::BemenetZar(QWidget *enged) : m_enged(enged) { QCoreApplication::instance()->installEventFilter(this); }

BemenetZar::~BemenetZar()
{
    if (QCoreApplication::instance())
        QCoreApplication::instance()->removeEventFilter(this);
}

bool BemenetZar::eventFilter(QObject *o, QEvent *e)
{
    switch (e->type()) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::Shortcut:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::Wheel:
    case QEvent::ContextMenu:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::Drop:
    case QEvent::Close:
        break;
    default:
        return false;
    }
    if (m_enged) {
        if (o->isWidgetType() && static_cast<QWidget *>(o)->window() == m_enged)
            return false;
        if (o->isWindowType() && static_cast<QWindow *>(o) == m_enged->windowHandle())
            return false;
    }
    // only what the user sends: a window the program closes itself still closes
    if (e->type() == QEvent::Close && !e->spontaneous())
        return false;
    e->ignore();   // an ignored close keeps the window; an ignored key is no shortcut override
    return true;
}
