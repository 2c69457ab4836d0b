#include "Tfrm_FelhasznaloSzerkeszt.h"
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

    btnOK = new QPushButton("OK", this);
    btnOK->setObjectName("btnOK");
    btnOK->setGeometry(144, 117, 75, 25);
    btnMegsem = new QPushButton("Mégsem", this);
    btnMegsem->setObjectName("btnMegsem");
    btnMegsem->setGeometry(224, 117, 75, 25);
    btnOK->setAutoDefault(false);
    btnMegsem->setAutoDefault(false);
    setTabOrder(edtFelhasznalo, edtJelszo);
    setTabOrder(edtJelszo, edtJelszo2);
    setTabOrder(edtJelszo2, btnOK);
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
