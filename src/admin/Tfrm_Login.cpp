#include "Tfrm_Login.h"
#include "Adatbazis.h"
#include "KapcsolatLeiras.h"
#include "Szerepek.h"
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
#include <QScopeGuard>
#include <QScreen>

Tfrm_Login::Tfrm_Login(QWidget *szulo, const QString &kiszolgalo)
    : QDialog(szulo, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      m_kiszolgalo(kiszolgalo)
{
    setWindowTitle("Belépés azonosítás");
    setFont(AblakBetu());
    setObjectName("Tfrm_Login");
    setFixedSize(256, 127);
    if (m_kiszolgalo.isEmpty()) {
        Tbl = new Tabla("felhasznalo", this);
        Tbl->setIndex("felhasznalo");
        Tbl->megnyit();   // here, so that a store failure surfaces from the creation
    }

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
    // the program's own passwords keep their limit; a server role's is the server's
    edtJelszo->setMaxLength(m_kiszolgalo.isEmpty() ? Jelszo::MAX_HOSSZ : 100);
    if (!m_kiszolgalo.isEmpty())
        try {
            edtFelhasznalo->setText(KapcsolatLeiras::ertek(KapcsolatLeiras::elemez(m_kiszolgalo), "user"));
        } catch (const StoreHiba &) {
            // the connection's own message comes with the check
        }
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
    if (Tbl)
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
    if (!m_kiszolgalo.isEmpty()) {
        const int e = szerverEllenoriz();
        if (e > 0) {
            g_tevesztesek.remove(nev);
            return true;
        }
        if (e < 0)
            return false;   // not the name or password: shown as it is
    } else if (keres()) {
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

// The server checks the name and password: the register opens with them (1). A pair the
// server refuses is 0; any other failure is shown as it is, with the register closed (-1).
int Tfrm_Login::szerverEllenoriz()
{
    try {
        Adatbazis::megnyit(Beall.AdatbazisUtvonal, m_kiszolgalo, false, {edtFelhasznalo->text(), edtJelszo->text()});
        KiszolgaloJogok();
        return 1;
    } catch (const KapcsolatHiba &h) {
        if (h.bejelentkezes())
            return 0;
        HibaUzenet(h.uzenet(), this);
    } catch (const StoreHiba &h) {
        HibaUzenet(h.uzenet(), this);
    }
    Adatbazis::bezar();
    return -1;
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
    // on the server the check opened the register; every way out below closes it again
    auto zar = qScopeGuard([this] {
        if (!m_kiszolgalo.isEmpty())
            Adatbazis::bezar();
    });
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
    const int hossz = edtJelszo->maxLength();
    if (uj.size() > hossz) {
        HibaUzenet(QString("A jelszó legfeljebb %1 karakter hosszú lehet.").arg(hossz), this);
        return;
    }
    if (!m_kiszolgalo.isEmpty()) {
        // the role's own password on the server; the check opened the register only for this
        try {
            Szerepek::sajatJelszo(uj);
        } catch (const StoreHiba &h) {
            Adatbazis::bezar();
            FelsoHiba(h.uzenet(), this);
            return;
        }
        Adatbazis::bezar();
        Uzenet("Jelszó változtatás kész.", this);
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

void KiszolgaloJogok()
{
    if (!Szerepek::aktiv())
        return;
    const Szerepek::Jogok j = Szerepek::jogok();
    Beall.torzsszerkeszt = j.torzsszerkeszt;
    Beall.rendszergazda = j.rendszergazda;
    // the full name when the users window's row has one, the login name otherwise
    const QString nev = Adatbazis::belepesNev();
    const QString teljes = MezoSzoveg(Adatbazis::ertek("SELECT felhasznalo_nev FROM felhasznalo WHERE felhasznalo = ?", {nev}));
    Beall.FelhasznaloNev = teljes.isEmpty() ? nev : teljes;
}

bool KiszolgaloBelepes(const QString &kapcsolat, QWidget *szulo)
{
    try {
        Tfrm_Login f(szulo, kapcsolat);
        const bool ok = f.exec() == QDialog::Accepted && f.belepett();
        if (!ok)
            Adatbazis::bezar();
        return ok;
    } catch (const std::exception &h) {
        Adatbazis::bezar();
        const auto *s = dynamic_cast<const StoreHiba *>(&h);
        HibaUzenet("Ismeretlen hiba, indítsa újra a programot.\r\n" + (s ? s->uzenet() : QString::fromLocal8Bit(h.what())),
                   szulo);
        return false;
    }
}
