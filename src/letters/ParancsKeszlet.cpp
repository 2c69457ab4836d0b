#include "ParancsKeszlet.h"

#include <QAction>
#include <QMenu>
#include <QToolBar>

ParancsKeszlet::ParancsKeszlet(QWidget *ablak, QToolBar *eszkozok)
    : m_ablak(ablak), m_eszkozok(eszkozok), m_menu(new QMenu(ablak))
{
}

QAction *ParancsKeszlet::uj(const QString &szoveg, const QKeySequence &billentyu)
{
    auto *a = new QAction(szoveg, m_ablak);
    a->setStatusTip(szoveg);
    a->setShortcut(billentyu);
    m_eszkozok->addAction(a);
    m_menu->addAction(a);
    m_ablak->addAction(a);
    return a;
}

void ParancsKeszlet::elvalaszto()
{
    m_eszkozok->addSeparator();
    m_menu->addSeparator();
}
