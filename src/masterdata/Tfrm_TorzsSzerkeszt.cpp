#include "Tfrm_TorzsSzerkeszt.h"
#include "AblakBetu.h"
#include "Kozepre.h"
#include "MasikProgramHiba.h"
#include "Mezo.h"
#include "MezoKonvencio.h"
#include "Sema.h"
#include "Seged.h"
#include "StoreHiba.h"
#include "Tabla.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

Tfrm_TorzsSzerkeszt::Tfrm_TorzsSzerkeszt(Tabla *tabla, const SzerkesztoLeiras &leiras, QWidget *szulo)
    : QDialog(szulo), Tbl(tabla)
{
    setWindowTitle(leiras.cim);
    setFont(AblakBetu());
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint
                   | Qt::WindowCloseButtonHint);
    setFixedSize(leiras.meret);

    QWidget *elozo = nullptr;
    for (int i = 0; i < leiras.mezok.size(); ++i) {
        const SzerkesztoLeiras::Mezo &m = leiras.mezok[i];
        auto *e = new QLineEdit(this);
        e->setObjectName("ed_" + m.mezo);
        const MezoLeiras *ml = Tbl->leiras().mezo(m.mezo);
        if (ml && ml->tipus == MezoTipus::Szoveg)
            e->setMaxLength(ml->meret);   // a longer name cannot even be typed
        if (i == 0 && leiras.felkover) {
            e->setFont(Felkover(e->font()));
        }
        e->setText(MezoSzoveg(Tbl->ertek(m.mezo)));
        e->setCursorPosition(0);
        e->setGeometry(m.bal, m.felul, m.szeles, 21);
        const QString nev = m.mezo;
        connect(e, &QLineEdit::textEdited, this, [this, nev](const QString &s) { Tbl->setErtek(nev, s); });
        auto *c = new QLabel(m.cimke, this);
        c->setGeometry(m.bal, m.felul - 16, m.szeles, 15);
        c->setBuddy(e);
        m_mezok.insert(m.mezo, e);
        if (elozo)
            setTabOrder(elozo, e);
        elozo = e;
    }

    btnOK = new QPushButton("OK", this);
    btnOK->setObjectName("btnOK");
    btnOK->setGeometry(QRect(leiras.ok, QSize(75, 25)));
    btnMegse = new QPushButton("Mégsem", this);
    btnMegse->setObjectName("btnMegse");
    btnMegse->setGeometry(QRect(leiras.megse, QSize(75, 25)));
    setTabOrder(elozo, btnOK);
    setTabOrder(btnOK, btnMegse);
    connect(btnOK, &QPushButton::clicked, this, &Tfrm_TorzsSzerkeszt::btnOKClick);
    connect(btnMegse, &QPushButton::clicked, this, &QDialog::reject);
    kepernyoKozepre(this);
}

void Tfrm_TorzsSzerkeszt::konvenciok(const QList<QWidget *> &szinezetlen)
{
    m_konvencio = new MezoKonvencio(this);
    m_konvencio->szinezMind(szinezetlen);
    m_konvencio->enterBekot();
}

void Tfrm_TorzsSzerkeszt::btnOKClick()
{
    try {
        for (auto i = m_mezok.cbegin(); i != m_mezok.cend(); ++i)
            Tbl->setErtek(i.key(), i.value()->text());
        postElott();
        Tbl->post();
        accept();
    } catch (const MasikProgramHiba &h) {
        HibaUzenet(h.uzenet(), this);   // another program, not the input: say so
    } catch (const StoreHiba &h) {
        // the row stays in insert or edit state: the user corrects it or leaves with Mégsem
        HibaUzenet("Hiányos, vagy hibás adatmegadás\r\n" + h.uzenet(), this);
    }
}
