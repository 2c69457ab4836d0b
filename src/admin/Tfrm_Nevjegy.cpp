#include "Tfrm_Nevjegy.h"
#include "AblakBetu.h"
#include "Ikonok.h"
#include "Admin.h"
#include "Adatbazis.h"
#include "Beall.h"
#include "Kozepre.h"

#include <QApplication>
#include <QDir>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>

namespace {
QLabel *felirat(QWidget *szulo, const QString &szoveg, const QRect &hely, const QString &stilus,
                Qt::Alignment igazit = Qt::AlignCenter)
{
    auto *l = new QLabel(szoveg, szulo);
    l->setGeometry(hely);
    l->setAlignment(igazit);
    l->setWordWrap(true);
    l->setStyleSheet(stilus);
    return l;
}
} // namespace

Tfrm_Nevjegy::Tfrm_Nevjegy(QWidget *szulo)
    : QDialog(szulo, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      m_programNev("DorvPrg\r\nV1.2.1.33")
{
    setWindowTitle("Névjegy");
    setFont(AblakBetu());
    setObjectName("Tfrm_Nevjegy");
    setFixedSize(319, 389);

    auto *panel = new QFrame(this);
    panel->setFrameShape(QFrame::Box);
    panel->setFrameShadow(QFrame::Raised);
    panel->setGeometry(8, 8, 305, 339);

    auto *ikonDoboz = new QLabel(panel);
    ikonDoboz->setGeometry(8, 8, 56, 56);
    ikonDoboz->setFrameShape(QFrame::Panel);
    ikonDoboz->setFrameShadow(QFrame::Sunken);
    ikonDoboz->setAlignment(Qt::AlignCenter);
    ikonDoboz->setAutoFillBackground(true);
    ikonDoboz->setStyleSheet("background: #FFE4C4;");
    const QIcon ikon = QApplication::windowIcon().isNull() ? AkcioIkon("aNevjegy") : QApplication::windowIcon();
    ikonDoboz->setPixmap(ikon.pixmap(32, 32));

    lblProgram = felirat(panel, QString(m_programNev).replace("\r\n", "\n"), QRect(72, 8, 225, 44),
                         "background: #CCFFCC; padding-right: 4px;", Qt::AlignRight | Qt::AlignVCenter);
    lblProgram->setObjectName("lblProgram");
    lblProgram->setStyleSheet("background: #CCFFCC; padding-right: 4px; font-weight: bold; font-size: 15px;");
    felirat(panel, "Készítette: Pelikor Bt.", QRect(72, 54, 225, 16), "", Qt::AlignRight | Qt::AlignVCenter);
    felirat(panel, "DorvPrg - Garanciajegy nyilvántartás", QRect(8, 78, 289, 20),
            "background: #FFF8DC; font-weight: bold;");
    felirat(panel,
            "A program a vásárló cég saját nyilvántartására használható. Másolása, "
            "továbbadása és módosítása a készítő engedélye nélkül nem megengedett. "
            "Az adatok rendszeres archiválása a felhasználó feladata.",
            QRect(8, 104, 289, 72), "color: #800000;", Qt::AlignLeft | Qt::AlignTop);
    felirat(panel, "Elérhetőség", QRect(8, 184, 289, 20), "background: #FFF8DC; font-weight: bold;");
    felirat(panel, "Pelikor Bt.\nhttps://www.pelikor.hu\ninfo@pelikor.hu", QRect(8, 210, 289, 70),
            "color: #000080;");
    // where this user's register is: an installed program keeps it in the user's folder
    // on a server its host, port and database; the folder keeps only the texts there
    const QString kapcsolat = Adatbazis::nyitva() ? Adatbazis::kapcsolat() : Beall.AdatbazisKapcsolat;
    const QString hely = kapcsolat.trimmed().isEmpty()
                             ? "Adatbázis:\n" + QDir::toNativeSeparators(Beall.AdatbazisUtvonal)
                             : "Adatbázis (PostgreSQL kiszolgáló):\n" + KiszolgaloLeiras(kapcsolat);
    lblAdatbazis = felirat(panel, hely,
                           QRect(8, 286, 289, 44), "", Qt::AlignLeft | Qt::AlignTop);
    lblAdatbazis->setObjectName("lblAdatbazis");
    lblAdatbazis->setTextInteractionFlags(Qt::TextSelectableByMouse);

    auto *ok = new QPushButton("OK", this);
    ok->setObjectName("btnOK");
    ok->setGeometry(127, 358, 75, 25);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    kepernyoKozepre(this);
}

void Nevjegy(QWidget *szulo)
{
    Tfrm_Nevjegy f(szulo);
    f.exec();
}
