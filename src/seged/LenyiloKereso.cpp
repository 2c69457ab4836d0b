#include "LenyiloKereso.h"
#include "HuSzoveg.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>

namespace {
constexpr int SOROK = 20;
// a pause longer than this starts a new search (a hesitant typist needs more than Qt's 400 ms)
int szunet() { return std::max(1000, QApplication::keyboardInputInterval()); }
}

LenyiloKereso *LenyiloKereso::bekot(QComboBox *c, Kereso kereso) { return new LenyiloKereso(c, std::move(kereso)); }

LenyiloKereso::LenyiloKereso(QComboBox *c, Kereso kereso) : QObject(c), m_c(c), m_kereso(std::move(kereso))
{
    c->setMaxVisibleItems(SOROK);
    c->installEventFilter(this);
    c->view()->installEventFilter(this);   // after the list's own filter, so this one sees keys first
    QAbstractItemModel *m = c->model();
    const auto elavult = [this] { m_kulcsok.clear(); };
    connect(m, &QAbstractItemModel::modelReset, this, elavult);
    connect(m, &QAbstractItemModel::rowsInserted, this, elavult);
    connect(m, &QAbstractItemModel::rowsRemoved, this, elavult);
    connect(m, &QAbstractItemModel::dataChanged, this, elavult);
}

int LenyiloKereso::talalat(const QString &keresett)
{
    if (m_kereso)
        return m_kereso(keresett);
    if (m_kulcsok.size() != m_c->count()) {
        m_kulcsok.clear();
        m_kulcsok.reserve(m_c->count());
        for (int i = 0; i < m_c->count(); ++i)
            m_kulcsok << HuSzoveg::rendezoKulcs(m_c->itemText(i));
    }
    const QString k = HuSzoveg::rendezoKulcs(keresett);
    for (int i = 0; i < m_kulcsok.size(); ++i)
        if (m_kulcsok.at(i).startsWith(k))
            return i;
    return -1;
}

bool LenyiloKereso::eventFilter(QObject *o, QEvent *e)
{
    if (e->type() != QEvent::KeyPress)
        return false;
    const auto *k = static_cast<QKeyEvent *>(e);
    if (k->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
        return false;
    QString szoveg;
    if (k->key() == Qt::Key_Backspace) {
        if (m_keresett.isEmpty())
            return true;
        szoveg = m_keresett.chopped(1);
    } else {
        const QString t = k->text();
        if (t.isEmpty() || !t.at(0).isPrint())
            return false;   // arrows, Enter, Esc, F4 ... as the box and its list handle them
        szoveg = (m_utolso.isValid() && m_utolso.elapsed() <= szunet() ? m_keresett : QString()) + t;
    }
    m_keresett = szoveg;
    m_utolso.start();
    const int i = szoveg.isEmpty() ? -1 : talalat(szoveg);
    if (i >= 0) {
        if (o == m_c->view())
            m_c->view()->setCurrentIndex(m_c->model()->index(i, m_c->modelColumn(), m_c->rootModelIndex()));
        else
            m_c->setCurrentIndex(i);
    }
    return true;
}
