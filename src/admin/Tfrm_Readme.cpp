#include "Tfrm_Readme.h"
#include "Admin.h"
#include "Kozepre.h"

#include <QGuiApplication>
#include <QPlainTextEdit>
#include <QScreen>
#include <QVBoxLayout>

QString Tfrm_Readme::szoveg()
{
    return QStringLiteral(
        "DorvPrg - Garanciajegy nyilvántartás\n"
        "====================================\n"
        "\n"
        "BELÉPÉS\n"
        "-------\n"
        "Ha a Beállítások ablakban be van kapcsolva a \"Belépésnél jelszót kér\"\n"
        "jelölő, a program indításkor felhasználónevet és jelszót kér.\n"
        "\n"
        "  Alapértelmezett felhasználó: rendszergazda\n"
        "  Alapértelmezett jelszó:      admin\n"
        "\n"
        "A felhasználónévben és a jelszóban a kis- és nagybetűk különböznek:\n"
        "\"Rendszergazda\" nem azonos a \"rendszergazda\" névvel.\n"
        "Az első belépés után változtassa meg a jelszót az \"Új jelszó\" gombbal!\n"
        "A jelszó legfeljebb 10 karakter hosszú lehet.\n"
        "\n"
        "FELHASZNÁLÁSI FELTÉTELEK\n"
        "------------------------\n"
        "A program a vásárló cég saját nyilvántartására használható. Másolatát\n"
        "harmadik félnek átadni, bérbe adni vagy továbbértékesíteni nem szabad.\n"
        "A program visszafejtése és módosítása nem megengedett.\n"
        "\n"
        "GARANCIA\n"
        "--------\n"
        "A készítő a program hibáit a vásárlástól számított egy évig díjmentesen\n"
        "javítja. Az adatok rendszeres mentése (Rendszer / Adatbázis archiválása)\n"
        "a felhasználó feladata; az elveszett adatokért és a program használatából\n"
        "eredő közvetett károkért a készítő felelősséget nem vállal.\n"
        "\n"
        "RENDSZERKÖVETELMÉNYEK\n"
        "---------------------\n"
        "  - 64 bites Linux asztali környezet (X11 vagy Wayland)\n"
        "  - Qt 6 futtatókörnyezet, SQLite\n"
        "  - legalább 1024 x 768 képpontos kijelző\n"
        "  - a nyomtatáshoz a rendszerben beállított nyomtató\n"
        "  - 50 MB szabad lemezterület (az archívumoknak több)\n"
        "\n"
        "EGY GÉP, TÖBB PÉLDÁNY\n"
        "---------------------\n"
        "A program egy számítógépen, egy felhasználóra készült; az adatbázist\n"
        "egyszerre csak egy példány használhatja. Ha több cég (például két\n"
        "vállalkozás) nyilvántartását kell vezetni, telepítse a programot külön\n"
        "mappákba: a példányok egymás mellett futhatnak, mindegyik a saját\n"
        "beállításaival és adatbázisával.\n"
        "\n"
        "TELEPÍTETT PROGRAM\n"
        "------------------\n"
        "A csomagból telepített program (dorvprg) minden felhasználónál a saját\n"
        "mappájában tartja a beállításait, az adatbázisát és az archívumait:\n"
        "  ~/.local/share/DorvPrg (DorvPrg.ini, Data, Archiv)\n"
        "A rendszergazda az /etc/xdg/DorvPrg/DorvPrg.ini fájlban mindenkinek\n"
        "közös kiinduló beállítást adhat (például egy közös adatbázis mappát);\n"
        "ezt a program akkor olvassa, ha a felhasználónak még nincs saját\n"
        "DorvPrg.ini fájlja. A használt adatbázis mappát a Névjegy ablak mutatja.\n"
        "\n"
        "ELÉRHETŐSÉG\n"
        "-----------\n"
        "  Pelikor Bt.\n"
        "  Honlap: https://www.pelikor.hu\n"
        "  E-mail: info@pelikor.hu\n"
        "  A Súgó menü \"Levélküldés Pelikornak\" pontjával levelet is írhat.\n");
}

Tfrm_Readme::Tfrm_Readme(QWidget *szulo)
    : QDialog(szulo, Qt::Window | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::WindowMaximizeButtonHint)
{
    setWindowTitle("Fontos információk");
    setObjectName("Tfrm_Readme");
    resize(552, 399);
    auto *lay = new QVBoxLayout(this);
    lay->setContentsMargins(0, 0, 0, 0);
    Memo1 = new QPlainTextEdit(this);
    Memo1->setObjectName("Memo1");
    Memo1->setReadOnly(true);
    Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    QFont f("Courier New");
    f.setStyleHint(QFont::Monospace);
    f.setPointSize(9);
    Memo1->setFont(f);
    Memo1->setPlainText(szoveg());
    lay->addWidget(Memo1);
    kepernyoKozepre(this);
}

void FontosInformaciok(QWidget *szulo)
{
    Tfrm_Readme f(szulo);
    f.exec();
}
