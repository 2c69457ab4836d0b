#include "Tfrm_Tulajdonos.h"
#include "AblakBetu.h"
#include "EgySorosTabla.h"
#include "Admin.h"
#include "MasikProgramHiba.h"
#include "Mezo.h"
#include "MezoKonvencio.h"
#include "Sema.h"
#include "Seged.h"
#include "StoreHiba.h"
#include "Tabla.h"
#include "Kozepre.h"

#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>

namespace {
struct Elhelyezes {
    const char *mezo;
    int x, y, szeles;
};
// rows of the window, in tab order
const Elhelyezes MEZOK[] = {
    {"tulajdonos", 20, 36, 425}, {"telefon", 20, 80, 137}, {"mobil", 164, 80, 137}, {"fax", 308, 80, 137},
    {"irsz", 20, 124, 69},       {"varos", 96, 124, 137},  {"cim", 240, 124, 205},  {"emil", 20, 168, 137},
    {"honlap", 164, 168, 157},
};
} // namespace

Tfrm_Tulajdonos::Tfrm_Tulajdonos(Tabla *tbl, QWidget *szulo)
    : QDialog(szulo, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      Tbl(tbl)
{
    setWindowTitle("Tulajdonos adatai");
    setFont(AblakBetu());
    setObjectName("Tfrm_Tulajdonos");
    setFixedSize(466, 248);
    const TablaLeiras &t = Tbl->leiras();
    QWidget *elozo = nullptr;
    for (const Elhelyezes &e : MEZOK) {
        const MezoLeiras *m = t.mezo(e.mezo);
        auto *l = new QLabel(m->cimke, this);
        l->move(e.x, e.y - 16);
        auto *edt = new QLineEdit(this);
        edt->setObjectName(QString("edt_") + e.mezo);
        edt->setGeometry(e.x, e.y, e.szeles, 21);
        edt->setMaxLength(m->meret);
        edt->setText(MezoSzoveg(Tbl->ertek(e.mezo)));
        l->setBuddy(edt);
        if (elozo)
            setTabOrder(elozo, edt);
        elozo = edt;
        m_mezok.insert(e.mezo, edt);
    }
    m_mezok["tulajdonos"]->setFont(Felkover(m_mezok["tulajdonos"]->font()));

    btnOK = new QPushButton("OK", this);
    btnOK->setObjectName("btnOK");
    btnOK->setGeometry(264, 208, 87, 25);
    btnMegsem = new QPushButton("Mégsem", this);
    btnMegsem->setObjectName("btnMegsem");
    btnMegsem->setGeometry(358, 208, 87, 25);
    btnOK->setAutoDefault(false);
    btnMegsem->setAutoDefault(false);
    setTabOrder(elozo, btnOK);
    setTabOrder(btnOK, btnMegsem);
    connect(btnOK, &QPushButton::clicked, this, &Tfrm_Tulajdonos::btnOKClick);
    connect(btnMegsem, &QPushButton::clicked, this, &QDialog::reject);

    auto *mk = new MezoKonvencio(this);
    mk->szinezMind();
    mk->enterBekot();
    kepernyoKozepre(this);
    m_mezok["tulajdonos"]->setFocus();
}

void Tfrm_Tulajdonos::btnOKClick()
{
    if (Tbl->szerkesztes()) {
        try {
            for (auto it = m_mezok.cbegin(); it != m_mezok.cend(); ++it)
                Tbl->setErtek(it.key(), it.value()->text());
            Tbl->post();
        } catch (const MasikProgramHiba &h) {
            HibaUzenet(h.uzenet(), this);   // another program, not the input: say so
            return;
        } catch (const StoreHiba &) {
            HibaUzenet("Hiba az adatok mentése során", this);
            return;
        }
    }
    accept();
}

void TulajdonosSzerkeszt(QWidget *szulo)
{
    EgySorSzerkeszt<Tfrm_Tulajdonos>("tulajdonos", szulo);
}
