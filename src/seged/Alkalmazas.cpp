#include "Alkalmazas.h"
#include "Ikonok.h"
#include "AblakBetu.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QDateTimeEdit>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QIdentityProxyModel>
#include <QKeyEvent>
#include <QMenuBar>
#include <QLibraryInfo>
#include <QListView>
#include <QLocale>
#include <QPainter>
#include <QProxyStyle>
#include <QRegularExpression>
#include <QPushButton>
#include <QStyleOption>
#include <QTabBar>
#include <QTabWidget>
#include <QTableView>
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

    void drawControl(ControlElement e, const QStyleOption *o, QPainter *p, const QWidget *w) const override
    {
        if (e == CE_ItemViewItem && racsSzoveg(o, p, w))
            return;
        QProxyStyle::drawControl(e, o, p, w);
        if (e == CE_PushButton && (o->state & State_HasFocus))
            fokuszKeret(o, p, w);
    }

private:
    // Grid cells: the text a pixel from the left line and up to the right one, as in the
    // grids the windows were measured for; the base style's margins on both sides cut the
    // numbers and dates of columns sized for them.
    bool racsSzoveg(const QStyleOption *o, QPainter *p, const QWidget *w) const
    {
        const auto *v = qstyleoption_cast<const QStyleOptionViewItem *>(o);
        if (!v || !qobject_cast<const QTableView *>(w) || v->text.isEmpty()
            || (v->features & (QStyleOptionViewItem::HasDecoration | QStyleOptionViewItem::HasCheckIndicator)))
            return false;
        QStyleOptionViewItem hatter(*v);
        hatter.text.clear();
        QProxyStyle::drawControl(CE_ItemViewItem, &hatter, p, w);   // background, selection, focus
        const QPalette::ColorGroup cg = !(v->state & State_Enabled) ? QPalette::Disabled
                                      : (v->state & State_Active) ? QPalette::Normal : QPalette::Inactive;
        const QRect r = v->rect.adjusted(1, 0, 0, 0);
        p->save();
        p->setClipRect(v->rect);
        p->setFont(v->font);
        p->setPen(v->palette.color(cg, (v->state & State_Selected) ? QPalette::HighlightedText : QPalette::Text));
        static const QRegularExpression sorvege("[\\r\\n]");
        const QString sor = v->text.left(v->text.indexOf(sorvege));   // a cell shows one line
        // a text as wide as the room, to the rounded pixel, is not cut
        const bool fer = v->fontMetrics.horizontalAdvance(sor) <= r.width();
        p->drawText(r, int(v->displayAlignment) | Qt::TextSingleLine,
                    fer ? sor : v->fontMetrics.elidedText(sor, v->textElideMode, r.width()));
        p->restore();
        return true;
    }

    // The base style marks a focused button only after Tab was used in the window; a button
    // reached by Enter or focused when the window opened must show it too.
    void fokuszKeret(const QStyleOption *o, QPainter *p, const QWidget *w) const
    {
        const QRect r = subElementRect(SE_PushButtonFocusRect, o, w).adjusted(1, 1, -2, -2);
        p->save();
        p->setPen(QPen(o->palette.color(QPalette::Active, QPalette::Highlight), 1, Qt::DotLine));
        p->setBrush(Qt::NoBrush);
        p->drawRect(r);
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

// Keys every window shares, taken before the focused control can keep them:
// - Ctrl+Tab, Ctrl+Shift+Tab, Ctrl+PgDn and Ctrl+PgUp turn the pages of the nearest page
//   control whichever of its controls has the focus (a grid, a date box or the statement
//   editor would keep them). Page keys in a date box turn pages too and never move the date
//   (a spin box steps ten years on them); outside pages they do nothing there.
// - Shift+F10 opens the context menu as the Menu key does.
class KozosBillentyuk : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *o, QEvent *e) override
    {
        if (e->type() != QEvent::KeyPress || !o->isWidgetType())
            return false;
        auto *w = static_cast<QWidget *>(o);
        if (w != QApplication::focusWidget())
            return false;   // only the first delivery; a key passed on to a parent was not ours
        const auto *k = static_cast<const QKeyEvent *>(e);
        if (k->key() == Qt::Key_F10 && k->modifiers() == Qt::ShiftModifier) {
            // placed where the Menu key places it: at the control's cursor (a grid's current cell)
            const QPoint p = w->inputMethodQuery(Qt::ImCursorRectangle).toRect().center();
            QContextMenuEvent menu(QContextMenuEvent::Keyboard, p, w->mapToGlobal(p), Qt::NoModifier);
            QCoreApplication::sendEvent(w, &menu);
            return true;
        }
        const bool ctrl = k->modifiers() & Qt::ControlModifier;
        const bool datum = datumMezo(w);
        int irany = 0;
        if (k->key() == Qt::Key_Tab && ctrl)
            irany = (k->modifiers() & Qt::ShiftModifier) ? -1 : 1;
        else if (k->key() == Qt::Key_Backtab && ctrl)
            irany = -1;
        else if ((k->key() == Qt::Key_PageDown || k->key() == Qt::Key_PageUp) && (ctrl || datum))
            irany = k->key() == Qt::Key_PageDown ? 1 : -1;
        if (!irany)
            return false;
        QTabWidget *lapok = lapozo(w);
        if (!lapok)
            return datum;   // a date box swallows page keys; other controls keep theirs
        lapot(lapok, irany, w);
        return true;
    }

private:
    static bool datumMezo(QWidget *w)
    {
        for (QWidget *p = w; p; p = p->isWindow() ? nullptr : p->parentWidget())
            if (qobject_cast<QDateTimeEdit *>(p))
                return true;
        return false;
    }

    static QTabWidget *lapozo(QWidget *w)
    {
        for (QWidget *p = w; p; p = p->isWindow() ? nullptr : p->parentWidget())
            if (auto *t = qobject_cast<QTabWidget *>(p); t && t->count() > 1)
                return t;
        return nullptr;
    }

    static void lapot(QTabWidget *lapok, int irany, QWidget *fokusz)
    {
        const int n = lapok->count();
        int i = lapok->currentIndex();
        for (int lepes = 0; lepes < n; ++lepes) {
            i = (i + irany + n) % n;
            if (lapok->isTabEnabled(i))
                break;
        }
        lapok->setCurrentIndex(i);
        if (fokusz == lapok->tabBar())
            return;   // turning pages on the tab bar leaves the focus there
        QWidget *lap = lapok->widget(i);
        QWidget *j = lap;   // a page may be a control itself (the statement editor)
        do {
            if ((j == lap || lap->isAncestorOf(j)) && (j->focusPolicy() & Qt::TabFocus) && j->isEnabled()
                && j->isVisibleTo(lap) && !j->focusProxy()) {
                j->setFocus(Qt::TabFocusReason);
                return;
            }
            j = j->nextInFocusChain();
        } while (j && j != lap);
        lapok->tabBar()->setFocus(Qt::TabFocusReason);
    }
};

// Qt's Hungarian cancel buttons say "Mégse"; the program's own say "Mégsem", and so do
// Qt's in this program. Asked before Qt's own translation, as installed after it.
class SajatSzavak : public QTranslator {
public:
    using QTranslator::QTranslator;
    bool isEmpty() const override { return false; }
    QString translate(const char *, const char *forras, const char *, int) const override
    {
        if (qstrcmp(forras, "Cancel") == 0)
            return QStringLiteral("Mégsem");
        if (qstrcmp(forras, "&Cancel") == 0)
            return QStringLiteral("&Mégsem");
        return {};
    }
};

// Qt's file dialog writes the modification time in the system's locale ("9 Dec 2026" where the
// desk's locale is not Hungarian) and leaves the type of a folder untranslated; its other
// texts come from Qt's Hungarian translation.
class MagyarFajlLista : public QIdentityProxyModel {
public:
    using QIdentityProxyModel::QIdentityProxyModel;
    QVariant data(const QModelIndex &i, int szerep) const override
    {
        const auto *fajlok = qobject_cast<const QFileSystemModel *>(sourceModel());
        if (szerep != Qt::DisplayRole || !fajlok || (i.column() != 2 && i.column() != 3))
            return QIdentityProxyModel::data(i, szerep);
        const QFileInfo f = fajlok->fileInfo(mapToSource(i));
        if (i.column() == 3)
            return QLocale(QLocale::Hungarian, QLocale::Hungary).toString(f.lastModified(), QLocale::ShortFormat);
        if (f.isDir())
            return QStringLiteral("Mappa");
        return f.suffix().isEmpty() ? QStringLiteral("Fájl") : f.suffix().toUpper() + QStringLiteral(" fájl");
    }
};

class FajlParbeszed : public QObject {
public:
    using QObject::QObject;
    bool eventFilter(QObject *o, QEvent *e) override
    {
        auto *d = e->type() == QEvent::Show ? qobject_cast<QFileDialog *>(o) : nullptr;
        if (!d)
            return false;
        if (!dynamic_cast<MagyarFajlLista *>(d->proxyModel()))
            d->setProxyModel(new MagyarFajlLista(d));
        // the places on the left ("Számítógép") whole, not cut to "Számí..."
        if (auto *helyek = d->findChild<QListView *>("sidebar")) {
            int szeles = 0;
            for (int i = 0; i < helyek->model()->rowCount(); ++i)
                szeles = qMax(szeles, helyek->fontMetrics().horizontalAdvance(helyek->model()->index(i, 0).data().toString()));
            helyek->setMinimumWidth(szeles + helyek->iconSize().width() + 32);
        }
        return false;
    }
};

} // namespace

void AlkalmazasKonvenciok(QApplication &app, bool ablakIkon)
{
    auto *forditas = new QTranslator(&app);
    if (forditas->load("qtbase_hu", QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        QCoreApplication::installTranslator(forditas);
        QCoreApplication::installTranslator(new SajatSzavak(&app));
    } else {
        delete forditas;   // without the package Qt's own texts stay English; the program still runs
    }
    QApplication::setFont(AblakBetu());
    // every window carries the program's icon, grouped with the menu entry by the task bar
    if (ablakIkon)
        QApplication::setWindowIcon(ProgramIkon());
    QGuiApplication::setDesktopFileName(ASZTALI_BEJEGYZES);
    QApplication::setStyle(new AlkalmazasStilus(QApplication::style()->name()));
    app.installEventFilter(new GombEnter(&app));
    app.installEventFilter(new KozosBillentyuk(&app));
    app.installEventFilter(new FajlParbeszed(&app));
}

void MenuBillentyu(QWidget *ablak, QMenuBar *menu)
{
    auto *f10 = new QAction(ablak);
    f10->setObjectName("MenuBillentyu");
    f10->setShortcut(QKeySequence(Qt::Key_F10));
    f10->setShortcutContext(Qt::WindowShortcut);
    ablak->addAction(f10);
    QObject::connect(f10, &QAction::triggered, menu, [menu] { menu->setActiveAction(menu->actions().value(0)); });
}
