#include "Tfrm_Megj_Szerkeszt.h"
#include "AblakBetu.h"
#include "Ikonok.h"
#include "Mezo.h"
#include "MezoKonvencio.h"
#include "Tabla.h"

#include <QFileDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QToolButton>

Tfrm_Megj_Szerkeszt::Tfrm_Megj_Szerkeszt(Tabla &tbl, QWidget *szulo) : QDialog(szulo), m_tbl(tbl)
{
    setFont(AblakBetu());
    setWindowTitle("Csatolt dokumentum");
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);
    auto *r = new QGridLayout(this);
    r->addWidget(new QLabel("leírás"), 0, 0);
    DBEdit2 = new QLineEdit;
    DBEdit2->setMaxLength(50);
    r->addWidget(DBEdit2, 0, 1, 1, 2);
    r->addWidget(new QLabel("dokumentum"), 1, 0);
    DBEdit1 = new QLineEdit;
    DBEdit1->setMaxLength(255);
    r->addWidget(DBEdit1, 1, 1);
    btnTalloz = new QToolButton;
    btnTalloz->setIcon(AkcioIkon("aMegnyit"));
    btnTalloz->setToolTip("Tallózás");
    r->addWidget(btnTalloz, 1, 2);
    auto *gombok = new QHBoxLayout;
    gombok->addStretch();
    btnOK = new QPushButton("OK");
    btnMegse = new QPushButton("Mégsem");
    // Enter means nothing here: no default button
    btnOK->setAutoDefault(false);
    btnMegse->setAutoDefault(false);
    gombok->addWidget(btnOK);
    gombok->addWidget(btnMegse);
    r->addLayout(gombok, 2, 0, 1, 3);
    r->setRowStretch(3, 1);

    DBEdit2->setText(MezoSzoveg(m_tbl.ertek("doknev_rovid")));
    DBEdit1->setText(MezoSzoveg(m_tbl.ertek("doknev")));
    connect(DBEdit2, &QLineEdit::textChanged, this, [this](const QString &s) { m_tbl.setErtek("doknev_rovid", s); });
    connect(DBEdit1, &QLineEdit::textChanged, this, [this](const QString &s) { m_tbl.setErtek("doknev", s); });
    connect(btnTalloz, &QToolButton::clicked, this, &Tfrm_Megj_Szerkeszt::btnTallozClick);
    connect(btnOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(btnMegse, &QPushButton::clicked, this, &QDialog::reject);

    auto *konv = new MezoKonvencio(this, false);
    konv->szinez(DBEdit2);
    konv->szinez(DBEdit1);
    setTabOrder(DBEdit2, DBEdit1);
    setFixedSize(412, 143);
    DBEdit2->setFocus();
}

void Tfrm_Megj_Szerkeszt::btnTallozClick()
{
    const QString ut = QFileDialog::getOpenFileName(this);
    if (!ut.isEmpty())
        DBEdit1->setText(ut);   // the text box writes it into the row
}
