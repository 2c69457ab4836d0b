#include "Tfrm_Login.h"
#include "AblakBetu.h"
#include "Admin.h"
#include "Beall.h"
#include "Jelszo.h"
#include "Naplo.h"
#include "Mezo.h"
#include "MezoKonvencio.h"
#include "Sema.h"
#include "Seged.h"
#include "StoreHiba.h"
#include "Tabla.h"
#include "Kozepre.h"

#include <QDateTime>
#include <QGuiApplication>
#include <QHash>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>

Tfrm_Login::Tfrm_Login(QWidget *szulo)
    : QDialog(szulo, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      Tbl(new Tabla("felhasznalo", this))
{
    setWindowTitle("Belépés azonosítás");
    setFont(AblakBetu());
    setObjectName("Tfrm_Login");
    setFixedSize(256, 127);
    Tbl->setIndex("felhasznalo");
    Tbl->megnyit();   // here, so that a store failure surfaces from the creation

    auto *l1 = new QLabel("Felhasználó", this);
    l1->move(12, 20);
    edtFelhasznalo = new QLineEdit(this);
    edtFelhasznalo->setObjectName("edtFelhasznalo");
    edtFelhasznalo->setGeometry(92, 16, 149, 21);
    edtFelhasznalo->setMaxLength(Sema::tabla("felhasznalo")->mezo("felhasznalo")->meret);
    auto *l2 = new QLabel("Jelszó", this);
    l2->move(12, 56);
    edtJelszo = new QLineEdit(this);
    edtJelszo->setObjectName("edtJelszo");
    edtJelszo->setGeometry(92, 52, 149, 21);
    edtJelszo->setEchoMode(QLineEdit::Password);
    edtJelszo->setMaxLength(Jelszo::MAX_HOSSZ);
    l1->setBuddy(edtFelhasznalo);
    l2->setBuddy(edtJelszo);

    btnOK = new QPushButton("OK", this);
    btnOK->setObjectName("btnOK");
    btnOK->setGeometry(92, 92, 75, 25);
    btnUjJelszo = new QPushButton("Új jelszó", this);
    btnUjJelszo->setObjectName("btnUjJelszo");
    btnUjJelszo->setGeometry(12, 92, 75, 25);
    btnMegsem = new QPushButton("Mégsem", this);
    btnMegsem->setObjectName("btnMegsem");
    btnMegsem->setGeometry(172, 92, 75, 25);
    // Enter moves between the fields, so no button is the default one
    for (QPushButton *b : {btnOK, btnUjJelszo, btnMegsem})
        b->setAutoDefault(false);

    setTabOrder(edtFelhasznalo, edtJelszo);
    setTabOrder(edtJelszo, btnOK);
    setTabOrder(btnOK, btnUjJelszo);
    setTabOrder(btnUjJelszo, btnMegsem);

    connect(btnOK, &QPushButton::clicked, this, &Tfrm_Login::btnOKClick);
    connect(btnUjJelszo, &QPushButton::clicked, this, &Tfrm_Login::btnUjJelszoClick);
    connect(btnMegsem, &QPushButton::clicked, this, &QDialog::reject);

    auto *mk = new MezoKonvencio(this);
    mk->szinezMind();
    mk->enterBekot();

    kepernyoKozepre(this);
}

Tfrm_Login::~Tfrm_Login()
{
    Tbl->bezar();
}

void Tfrm_Login::showEvent(QShowEvent *e)
{
    edtFelhasznalo->setFocus();
    QDialog::showEvent(e);
}

bool Tfrm_Login::keres()
{
    // the store's own locate ignores letter case; login names must match exactly
    const QString nev = edtFelhasznalo->text();
    for (int i = 0; i < Tbl->rekordSzam(); ++i)
        if (Tbl->ertekSor(i, "felhasznalo").toString() == nev)
            return Tbl->ugrik(i);
    return false;
}

namespace {
// wrong passwords in a row per login name, for this run of the program
struct Tevesztes {
    int szam = 0;
    QDateTime utolso;
};
QHash<QString, Tevesztes> g_tevesztesek;
constexpr int TEVESZTES_HATAR = 5;
constexpr int VARAKOZAS_MP = 5;
} // namespace

bool Tfrm_Login::Ellenoriz()
{
    const QString nev = edtFelhasznalo->text();
    Tevesztes &t = g_tevesztesek[nev];
    if (t.szam >= TEVESZTES_HATAR) {
        const qint64 hatra = VARAKOZAS_MP - t.utolso.secsTo(QDateTime::currentDateTimeUtc());
        if (hatra > 0) {
            // not even a right password is checked before the wait is over
            HibaUzenet(QString("Túl sok hibás jelszó: a következő próbálkozás %1 másodperc múlva lehetséges.")
                           .arg(hatra),
                       this);
            return false;
        }
    }
    if (keres()) {
        // an empty stored password matches nothing, not even an empty box
        if (Jelszo::egyezik(edtJelszo->text(), MezoSzoveg(Tbl->ertek("jelszo")))) {
            g_tevesztesek.remove(nev);
            Beall.torzsszerkeszt = Tbl->ertek("torzsszerkeszt").toString() == "I";
            Beall.rendszergazda = Tbl->ertek("rendszergazda").toString() == "I";
            Beall.FelhasznaloNev = MezoSzoveg(Tbl->ertek("felhasznalo_nev"));
            Naplo::setFelhasznalo(MezoSzoveg(Tbl->ertek("felhasznalo")));
            return true;
        }
    }
    ++t.szam;
    t.utolso = QDateTime::currentDateTimeUtc();
    HibaUzenet("Érvénytelen felhasználó, vagy jelszó", this);
    return false;
}

void Tfrm_Login::btnOKClick()
{
    Belepett = Ellenoriz();
    if (Belepett)
        accept();
}

void Tfrm_Login::btnUjJelszoClick()
{
    if (!Ellenoriz())
        return;
    QString uj, ujra;
    if (!JelszoBekeres("Jelszó megadása", "Add meg az új jelszót", QString(), uj, this))
        return;
    if (!JelszoBekeres("Megerősítés", "Add újra az új jelszót", QString(), ujra, this))
        return;
    if (uj != ujra) {
        HibaUzenet("A megadott jelszavak nem egyezőek", this);
        return;
    }
    if (uj.isEmpty()) {
        HibaUzenet("Hiányos adat megadás", this);
        return;
    }
    // the field would cut a longer password, leaving the user with one they never typed
    const int hossz = Jelszo::MAX_HOSSZ;
    if (uj.size() > hossz) {
        HibaUzenet(QString("A jelszó legfeljebb %1 karakter hosszú lehet.").arg(hossz), this);
        return;
    }
    try {
        const QString h = Jelszo::hash(uj);
        Tbl->szerkeszt();
        Tbl->setErtek("jelszo", h);
        Tbl->post();
    } catch (const StoreHiba &h) {
        if (Tbl->szerkesztes())
            Tbl->megse();
        FelsoHiba(h.uzenet(), this);
        return;
    }
    Uzenet("Jelszó változtatás kész.", this);
}

bool Belepes(QWidget *szulo)
{
    try {
        Tfrm_Login f(szulo);
        const bool ok = f.exec() == QDialog::Accepted && f.belepett();
        return ok;
    } catch (const std::exception &h) {
        const auto *s = dynamic_cast<const StoreHiba *>(&h);
        HibaUzenet("Ismeretlen hiba, indítsa újra a programot.\r\n" + (s ? s->uzenet() : QString::fromLocal8Bit(h.what())),
                   szulo);
        return false;
    }
}
