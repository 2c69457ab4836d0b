#include "Tfrm_FelhasznaloSzerkeszt.h"
#include "Adatbazis.h"
#include "Szerepek.h"
#include "Jelszo.h"
#include "AblakBetu.h"
#include "MasikProgramHiba.h"
#include "Mezo.h"
#include "MezoKonvencio.h"
#include "Seged.h"
#include "Sema.h"
#include "StoreHiba.h"
#include "Tabla.h"
#include "Kozepre.h"

#include <QCheckBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>

namespace {
QLineEdit *doboz(QWidget *szulo, const QString &nev, const QString &cimke, int x, int y)
{
    auto *l = new QLabel(cimke, szulo);
    l->move(x, y - 16);
    auto *e = new QLineEdit(szulo);
    e->setObjectName(nev);
    e->setGeometry(x, y, 129, 21);
    l->setBuddy(e);
    return e;
}
} // namespace

Tfrm_FelhasznaloSzerkeszt::Tfrm_FelhasznaloSzerkeszt(Tabla *tbl, QWidget *szulo)
    : QDialog(szulo, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      Tbl(tbl)
{
    setWindowTitle("Felhasználó adatainak szerkesztése");
    setFont(AblakBetu());
    setObjectName("Tfrm_FelhasznaloSzerkeszt");
    setFixedSize(320, 156);   // wide enough for the caption in a window manager's title bar
    const TablaLeiras &t = Tbl->leiras();

    edtFelhasznalo = doboz(this, "edtFelhasznalo", "Felhasználó", 20, 32);
    edtFelhasznalo->setMaxLength(t.mezo("felhasznalo")->meret);
    edtFelhasznalo->setText(MezoSzoveg(Tbl->ertek("felhasznalo")));
    edtJelszo = doboz(this, "edtJelszo", "Jelszó", 20, 76);
    edtJelszo->setMaxLength(Jelszo::MAX_HOSSZ);
    edtJelszo->setEchoMode(QLineEdit::Password);
    edtJelszo2 = doboz(this, "edtJelszo2", "Jelszó még egyszer", 156, 76);
    edtJelszo2->setEchoMode(QLineEdit::Password);

    m_szerepek = Szerepek::aktiv();
    int gombok = 117;
    if (m_szerepek) {
        // the rights are the role's groups; a row without a role (kept from the one-role
        // set-up) shows what the row says, and OK makes its role
        m_regiNev = Tbl->allapot() == Tabla::Allapot::Szerkesztes ? MezoSzoveg(Tbl->ertek("felhasznalo")) : QString();
        m_vanSzerep = !m_regiNev.isEmpty() && Szerepek::letezik(m_regiNev);
        Szerepek::Jogok j;
        if (m_vanSzerep)
            j = Szerepek::jogok(m_regiNev);
        else if (!m_regiNev.isEmpty())
            j = {Tbl->ertek("torzsszerkeszt").toString() == "I", Tbl->ertek("rendszergazda").toString() == "I"};
        edtJelszo->setMaxLength(100);
        chkTorzsszerkeszt = new QCheckBox("Törzsadat szerkesztés", this);
        chkTorzsszerkeszt->setObjectName("chkTorzsszerkeszt");
        chkTorzsszerkeszt->setGeometry(20, 110, 134, 20);
        chkTorzsszerkeszt->setChecked(j.torzsszerkeszt);
        chkRendszergazda = new QCheckBox("Rendszergazda", this);
        chkRendszergazda->setObjectName("chkRendszergazda");
        chkRendszergazda->setGeometry(156, 110, 129, 20);
        chkRendszergazda->setChecked(j.rendszergazda);
        gombok = 145;
        setFixedSize(320, 184);
    }
    btnOK = new QPushButton("OK", this);
    btnOK->setObjectName("btnOK");
    btnOK->setGeometry(144, gombok, 75, 25);
    btnMegsem = new QPushButton("Mégsem", this);
    btnMegsem->setObjectName("btnMegsem");
    btnMegsem->setGeometry(224, gombok, 75, 25);
    btnOK->setAutoDefault(false);
    btnMegsem->setAutoDefault(false);
    setTabOrder(edtFelhasznalo, edtJelszo);
    setTabOrder(edtJelszo, edtJelszo2);
    if (m_szerepek) {
        setTabOrder(edtJelszo2, chkTorzsszerkeszt);
        setTabOrder(chkTorzsszerkeszt, chkRendszergazda);
        setTabOrder(chkRendszergazda, btnOK);
    } else {
        setTabOrder(edtJelszo2, btnOK);
    }
    setTabOrder(btnOK, btnMegsem);
    connect(btnOK, &QPushButton::clicked, this, &Tfrm_FelhasznaloSzerkeszt::btnOKClick);
    connect(btnMegsem, &QPushButton::clicked, this, &QDialog::reject);

    auto *mk = new MezoKonvencio(this);
    mk->szinezMind();
    mk->enterBekot();
    kepernyoKozepre(this);
}

void Tfrm_FelhasznaloSzerkeszt::showEvent(QShowEvent *e)
{
    edtFelhasznalo->setFocus();
    QDialog::showEvent(e);
}

void Tfrm_FelhasznaloSzerkeszt::btnOKClick()
{
    if (m_szerepek) {
        if (szerepMentes())
            accept();
        return;
    }
    // an existing user is stored again without retyping: two empty boxes keep the stored
    // hash; the focus goes back to the password, so that Enter does not repeat the message
    const bool megtart = edtJelszo->text().isEmpty() && edtJelszo2->text().isEmpty()
                         && Jelszo::hashe(MezoSzoveg(Tbl->ertek("jelszo")));
    if (edtJelszo->text().isEmpty() && !megtart) {
        HibaUzenet("Hiányos adat megadás", this);
        edtJelszo->setFocus();
        return;
    }
    if (edtJelszo->text() != edtJelszo2->text()) {
        HibaUzenet("Hibás jelszó megadás", this);
        edtJelszo->setFocus();
        edtJelszo->selectAll();
        return;
    }
    try {
        Tbl->setErtek("felhasznalo", edtFelhasznalo->text());
        if (!megtart)
            Tbl->setErtek("jelszo", Jelszo::hash(edtJelszo->text()));
        Tbl->post();
    } catch (const MasikProgramHiba &h) {
        HibaUzenet(h.uzenet(), this);   // another program, not the input: say so
        return;
    } catch (const StoreHiba &) {
        // an empty or repeated login name; the row stays in edit state
        HibaUzenet("Hiányos adat megadás", this);
        return;
    }
    accept();
}

// The server's users functions in one transaction: a new role (a row without one gets it),
// or the rename, password and groups of an existing one. Untouched password boxes keep the
// role's password.
bool Tfrm_FelhasznaloSzerkeszt::szerepMentes()
{
    const QString nev = edtFelhasznalo->text();
    if (nev.isEmpty() || (edtJelszo->text().isEmpty() && !m_vanSzerep)) {
        HibaUzenet("Hiányos adat megadás", this);
        (nev.isEmpty() ? edtFelhasznalo : edtJelszo)->setFocus();
        return false;
    }
    if (edtJelszo->text() != edtJelszo2->text()) {
        HibaUzenet("Hibás jelszó megadás", this);
        edtJelszo->setFocus();
        edtJelszo->selectAll();
        return false;
    }
    const Szerepek::Jogok j{chkTorzsszerkeszt->isChecked(), chkRendszergazda->isChecked()};
    try {
        Adatbazis::Tranzakcio t;
        if (!m_vanSzerep) {
            Szerepek::uj(nev, edtJelszo->text(), j);
            if (!m_regiNev.isEmpty() && m_regiNev != nev)
                Szerepek::torol(m_regiNev);
        } else {
            if (nev != m_regiNev)
                Szerepek::atnevez(m_regiNev, nev);
            if (!edtJelszo->text().isEmpty())
                Szerepek::jelszoBeallit(nev, edtJelszo->text());
            Szerepek::jogokBeallit(nev, j);
        }
        t.commit();
    } catch (const MasikProgramHiba &h) {
        HibaUzenet(h.uzenet(), this);   // the server's rights or another program, not the input
        return false;
    } catch (const StoreHiba &h) {
        // a name the server has already, one too long ...: the server says which
        HibaUzenet("Hiányos adat megadás\r\n" + h.uzenet(), this);
        return false;
    }
    // the functions wrote the row: the list shows it as the server has it
    Tbl->megse();
    Tbl->frissit();
    Tbl->keres("felhasznalo", nev);
    return true;
}
