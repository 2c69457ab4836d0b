#include "Alkalmazas.h"
#include "AblakBetu.h"

#include <QAbstractButton>
#include <QApplication>
#include <QKeyEvent>
#include <QLibraryInfo>
#include <QPainter>
#include <QProxyStyle>
#include <QPushButton>
#include <QStyleOption>
#include <QToolButton>
#include <QTranslator>

namespace {

class AlkalmazasStilus : public QProxyStyle {
public:
    using QProxyStyle::QProxyStyle;

    int styleHint(StyleHint h, const QStyleOption *o, const QWidget *w, QStyleHintReturn *r) const override
    {
        switch (h) {
        case SH_LineEdit_PasswordCharacter:
            return '*';
        case SH_ComboBox_Popup:
            return 0;   // a list of at most maxVisibleItems rows under the box, not a menu as high as the screen
        case SH_MenuBar_AltKeyNavigation:
            return 1;
        default:
            return QProxyStyle::styleHint(h, o, w, r);
        }
    }

    // The base style marks a focused button only after Tab was used in the window; a button
    // reached by Enter or focused when the window opened must show it too.
    void drawControl(ControlElement e, const QStyleOption *o, QPainter *p, const QWidget *w) const override
    {
        QProxyStyle::drawControl(e, o, p, w);
        if (e != CE_PushButton || !(o->state & State_HasFocus))
            return;
        QStyleOptionFocusRect f;
        f.QStyleOption::operator=(*o);
        f.rect = subElementRect(SE_PushButtonFocusRect, o, w).adjusted(1, 1, -1, -1);
        p->save();
        QPen toll(o->palette.color(QPalette::Active, QPalette::Highlight), 1, Qt::DotLine);
        p->setPen(toll);
        p->setBrush(Qt::NoBrush);
        p->drawRect(f.rect.adjusted(0, 0, -1, -1));
        p->restore();
    }
};

// Enter on a focused push or tool button presses it, in every window; the windows' own
// Enter convention (move to the next field) leaves buttons alone.
class GombEnter : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *o, QEvent *e) override
    {
        if (e->type() != QEvent::KeyPress)
            return false;
        const auto *k = static_cast<QKeyEvent *>(e);
        if ((k->key() != Qt::Key_Return && k->key() != Qt::Key_Enter)
            || (k->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier)
            return false;
        auto *b = qobject_cast<QAbstractButton *>(o);
        if (!b || !(qobject_cast<QPushButton *>(b) || qobject_cast<QToolButton *>(b)) || !b->hasFocus()
            || !b->isEnabled())
            return false;
        b->click();
        return true;
    }
};

} // namespace

void AlkalmazasKonvenciok(QApplication &app)
{
    auto *forditas = new QTranslator(&app);
    if (forditas->load("qtbase_hu", QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(forditas);
    else
        delete forditas;   // without the package Qt's own texts stay English; the program still runs
    QApplication::setFont(AblakBetu());
    QApplication::setStyle(new AlkalmazasStilus(QApplication::style()->name()));
    app.installEventFilter(new GombEnter(&app));
}
