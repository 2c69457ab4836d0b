#include "MezoKonvencio.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QComboBox>
#include <QEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>
#include <QWidget>

namespace {
const QColor EGKEK(166, 202, 240);

bool tobbsoros(QObject *o)
{
    for (QObject *p = o; p; p = p->parent())
        if (qobject_cast<QPlainTextEdit *>(p) || qobject_cast<QTextEdit *>(p))
            return true;
    return false;
}

void hatter(QWidget *w, bool fokusz)
{
    const QPalette alap = QApplication::palette(w);
    QPalette p = w->palette();
    p.setColor(QPalette::Base, fokusz ? EGKEK : alap.color(QPalette::Base));
    auto *c = qobject_cast<QComboBox *>(w);
    // a drop-down without an edit box paints its face as a button
    if (c && !c->lineEdit())
        p.setColor(QPalette::Button, fokusz ? EGKEK : alap.color(QPalette::Button));
    w->setPalette(p);
    if (!c)
        return;
    if (c->lineEdit())
        c->lineEdit()->setPalette(p);
    // the open list is a child of the box and would take its colours: it keeps the window's
    QWidget *lista = c->view()->parentWidget() ? c->view()->parentWidget() : c->view();
    QPalette lp = lista->palette();
    for (QPalette::ColorRole r : {QPalette::Base, QPalette::Button})
        lp.setColor(r, alap.color(r));
    lista->setPalette(lp);
}
} // namespace

MezoKonvencio::MezoKonvencio(QWidget *ablak, bool enterTovabb)
    : QObject(ablak), m_ablak(ablak), m_enter(enterTovabb)
{
}

void MezoKonvencio::szinez(QWidget *mezo)
{
    if (!mezo || m_szinezett.contains(mezo))
        return;
    m_szinezett.insert(mezo);
    mezo->installEventFilter(this);
    if (auto *c = qobject_cast<QComboBox *>(mezo); c && c->lineEdit())
        c->lineEdit()->installEventFilter(this);
    if (auto *s = qobject_cast<QAbstractSpinBox *>(mezo))
        s->findChild<QLineEdit *>()->installEventFilter(this);
}

void MezoKonvencio::szinezMind(const QList<QWidget *> &kiveve)
{
    for (QWidget *w : m_ablak->findChildren<QWidget *>()) {
        if (kiveve.contains(w))
            continue;
        const bool mezo = (qobject_cast<QLineEdit *>(w) && !qobject_cast<QAbstractSpinBox *>(w->parent())
                           && !qobject_cast<QComboBox *>(w->parent()))
            || qobject_cast<QPlainTextEdit *>(w) || qobject_cast<QTextEdit *>(w) || qobject_cast<QComboBox *>(w)
            || qobject_cast<QAbstractSpinBox *>(w);
        if (mezo)
            szinez(w);
    }
}

void MezoKonvencio::enterBekot()
{
    if (!m_enter)
        return;
    for (QWidget *w : m_ablak->findChildren<QWidget *>())
        if (!m_szinezett.contains(w))
            w->installEventFilter(this);
}

bool MezoKonvencio::eventFilter(QObject *o, QEvent *e)
{
    auto *w = qobject_cast<QWidget *>(o);
    if (!w)
        return false;
    // the focus colour belongs to the registered field even when its inner edit has the focus
    QWidget *mezo = w;
    while (mezo && !m_szinezett.contains(mezo))
        mezo = mezo->parentWidget();
    if (mezo && (e->type() == QEvent::FocusIn || e->type() == QEvent::FocusOut))
        hatter(mezo, e->type() == QEvent::FocusIn);
    if (m_enter && e->type() == QEvent::KeyPress) {
        auto *k = static_cast<QKeyEvent *>(e);
        if ((k->key() == Qt::Key_Return || k->key() == Qt::Key_Enter) && k->modifiers() == Qt::NoModifier
            && !tobbsoros(o) && !qobject_cast<QAbstractButton *>(w)) {
            if (auto *c = qobject_cast<QComboBox *>(w); c && c->view() && c->view()->isVisible())
                return false;
            QWidget *kov = QApplication::focusWidget() ? QApplication::focusWidget() : w;
            for (QWidget *j = kov->nextInFocusChain(); j && j != kov; j = j->nextInFocusChain()) {
                if ((j->focusPolicy() & Qt::TabFocus) && j->isEnabled() && j->isVisible()
                    && m_ablak->isAncestorOf(j) && !j->focusProxy()) {
                    j->setFocus(Qt::TabFocusReason);
                    break;
                }
            }
            return true;
        }
    }
    return false;
}

void memoKorlat(QPlainTextEdit *memo, int hossz)
{
    QObject::connect(memo->document(), &QTextDocument::contentsChange, memo,
                     [memo, hossz](int, int, int hozzaadva) {
                         QTextDocument *d = memo->document();
                         const int tobb = d->characterCount() - 1 - hossz;
                         if (tobb <= 0 || hozzaadva <= 0)
                             return;
                         // the end of what came in goes (typing and pasting leave the cursor
                         // there; the change's own range may cover the whole paragraph), what
                         // was there stays
                         const int vege = memo->textCursor().position();
                         const int db = std::min({tobb, hozzaadva, vege});
                         if (db <= 0)
                             return;
                         QTextCursor c(d);
                         c.setPosition(vege - db);
                         c.setPosition(vege, QTextCursor::KeepAnchor);
                         c.removeSelectedText();
                         QApplication::beep();
                     });
}
