#include "Tfrm_Beallit.h"
#include "AblakBetu.h"
#include "Adatbazis.h"
#include "EgySorosTabla.h"
#include "Admin.h"
#include "Beall.h"
#include "BiztosFajl.h"
#include "HuSzoveg.h"
#include "KapcsolatLeiras.h"
#include "Ikonok.h"
#include "MezoKonvencio.h"
#include "Seged.h"
#include "StoreHiba.h"
#include "Tabla.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFileDialog>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QSpinBox>
#include <QStyle>
#include <QTabWidget>
#include <QToolButton>

namespace {
std::function<QString(QWidget *)> g_mappaValaszto;

// The folder the field names, or its nearest parent that exists: a dialog opened at a
// folder that is not there shows its name in the box and cannot choose anything.
QString letezoMappa(const QString &ut)
{
    QString m = ut.trimmed().isEmpty() ? QDir::homePath() : QFileInfo(ut.trimmed()).absoluteFilePath();
    while (!QFileInfo(m).isDir()) {
        const QString szulo = QFileInfo(m).absolutePath();
        if (szulo == m)
            return QDir::homePath();
        m = szulo;
    }
    return m;
}

QString mappaDialogus(QWidget *szulo, const QString &jelenlegi)
{
    if (g_mappaValaszto)
        return g_mappaValaszto(szulo);
    return QFileDialog::getExistingDirectory(szulo, "Adatbázis útvonal", letezoMappa(jelenlegi),
                                             QFileDialog::ShowDirsOnly);
}

// the box shows lines with \n; the file keeps CR LF
QString fajlbol(const QString &s)
{
    QString t = s;
    t.replace("\r\n", "\n");
    t.replace('\r', '\n');
    return t;
}
} // namespace

void Tfrm_Beallit::setMappaValaszto(std::function<QString(QWidget *)> f) { g_mappaValaszto = std::move(f); }

Tfrm_Beallit::Tfrm_Beallit(Tabla *tbl, QWidget *szulo)
    : QDialog(szulo, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      Tbl(tbl)
{
    setWindowTitle("Beállítások");
    setFont(AblakBetu());
    setObjectName("Tfrm_Beallit");
    setFixedSize(334, 356);

    auto *lapok = new QTabWidget(this);
    lapok->setGeometry(4, 4, 326, 305);
    auto *lap = new QWidget;
    lapok->addTab(lap, AkcioIkon("aBeallit"), "Általános");

    chkTeljesKep = new QCheckBox("Megnyitáskor teljes képernyő", lap);
    chkTeljesKep->setObjectName("chkTeljesKep");
    chkTeljesKep->move(8, 12);
    chkVanBelep = new QCheckBox("Belépésnél jelszót kér", lap);
    chkVanBelep->setObjectName("chkVanBelep");
    chkVanBelep->move(176, 12);

    const auto mappaSor = [&](const QString &cimke, const QString &nev, int y, QLineEdit *&edt, QToolButton *&btn) {
        auto *cim = new QLabel(cimke, lap);
        cim->move(8, y - 16);
        edt = new QLineEdit(lap);
        edt->setObjectName(nev);
        edt->setGeometry(8, y, 281, 21);
        btn = new QToolButton(lap);
        btn->setObjectName(nev + "Gomb");
        btn->setText("...");
        btn->setToolTip("Adatbázis útvonal");
        btn->setGeometry(288, y, 23, 21);
        QLineEdit *cel = edt;
        connect(btn, &QToolButton::clicked, this, [this, cel] { mappaValaszt(cel); });
    };
    mappaSor("adatbázis elérési útvonala", "edtAdatbazis", 56, edtAdatbazis, btnAdatbazis);
    mappaSor("adatbázis mentési útvonala", "edtMentes", 100, edtMentes, btnMentes);

    auto *l = new QLabel("garanciaidők felsorolása", lap);
    l->move(8, 128);
    memDorvido = new QPlainTextEdit(lap);
    memDorvido->setObjectName("memDorvido");
    memDorvido->setGeometry(132, 128, 181, 65);
    QFont f("Courier New");
    f.setStyleHint(QFont::Monospace);
    f.setPointSize(9);
    memDorvido->setFont(f);
    memDorvido->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    memDorvido->setLineWrapMode(QPlainTextEdit::NoWrap);
    memDorvido->setTabChangesFocus(true);
    // under the period list's label, the one free place of the page
    chkLejartSzurke = new QCheckBox("lejártak szürkén", lap);
    chkLejartSzurke->setObjectName("chkLejartSzurke");
    chkLejartSzurke->setToolTip("A lejárt garanciájú levelek sorai szürkék a listában");
    chkLejartSzurke->setGeometry(8, 150, 120, 17);

    const auto szovegGomb = [&](const QString &cim, const QString &nev, int y, const QString &fajl) {
        auto *b = new QPushButton(cim, lap);
        b->setObjectName(nev);
        b->setGeometry(8, y, 209, 21);
        b->setAutoDefault(false);
        // the folder in effect, not the one typed into the box
        connect(b, &QPushButton::clicked, this, [fajl] { DokumentumNyit(QDir(Beall.AdatbazisUtvonal).filePath(fajl)); });
        return b;
    };
    btnSzoveg1 = szovegGomb("Garjegy első szöveg szerkesztése", "btnSzoveg1", 200, "s1.txt");
    btnSzoveg2 = szovegGomb("Garjegy második szöveg szerkesztése", "btnSzoveg2", 224, "s2.txt");
    btnSzoveg3 = szovegGomb("Megrendelőlap szöveg szerkesztése", "btnSzoveg3", 248, "s3.txt");

    // the server is a choice of few workshops: a page of its own keeps the first one as it was
    auto *szerverLap = new QWidget;
    lapok->addTab(szerverLap, "Kiszolgáló");
    auto *kapcsolatCim = new QLabel("Kiszolgáló (PostgreSQL kapcsolat)", szerverLap);
    kapcsolatCim->move(8, 12);
    edtKapcsolat = new QLineEdit(szerverLap);
    edtKapcsolat->setObjectName("edtKapcsolat");
    edtKapcsolat->setGeometry(8, 28, 303, 21);
    edtKapcsolat->setPlaceholderText("host=... port=5432 dbname=... user=...");
    kapcsolatCim->setBuddy(edtKapcsolat);
    auto *megjegyzes = new QLabel("Üresen hagyva a helyi adatbázis működik az adatbázis mappájában.\n\n"
                                  "A jelszó nem kerül a beállítások közé: a ~/.pgpass fájlba (vagy a PGPASSFILE "
                                  "által megnevezett fájlba) írja, vagy adjon meg szolgáltatást "
                                  "(service=dorvprg) a ~/.pg_service.conf fájlban.\n\n"
                                  "A szövegfájlok és a csatolt dokumentumok az adatbázis mappájában maradnak.\n"
                                  "A változás a program következő indításakor lép életbe.",
                                  szerverLap);
    megjegyzes->setObjectName("lblKapcsolatMegjegyzes");
    megjegyzes->setWordWrap(true);
    megjegyzes->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    megjegyzes->setGeometry(8, 88, 303, 180);
    btnProba = new QPushButton("Kapcsolat próbája", szerverLap);
    btnProba->setObjectName("btnProba");
    btnProba->setGeometry(8, 56, 145, 23);
    btnProba->setAutoDefault(false);
    connect(btnProba, &QPushButton::clicked, this, &Tfrm_Beallit::kapcsolatProba);

    auto *kuldesLap = new QWidget;
    lapok->addTab(kuldesLap, "Nyomtatvány, e-mail");
    chkQrKod = new QCheckBox("QR kód a tanusítványokon és a megrendelőlapon", kuldesLap);
    chkQrKod->setObjectName("chkQrKod");
    chkQrKod->move(8, 12);
    auto *targyCim = new QLabel("Az e-mail tárgya", kuldesLap);
    targyCim->move(8, 40);
    edtEmailTargy = new QLineEdit(kuldesLap);
    edtEmailTargy->setObjectName("edtEmailTargy");
    edtEmailTargy->setGeometry(8, 56, 303, 21);
    targyCim->setBuddy(edtEmailTargy);
    auto *szovegCim = new QLabel("Az e-mail szövege", kuldesLap);
    szovegCim->move(8, 84);
    memEmailSzoveg = new QPlainTextEdit(kuldesLap);
    memEmailSzoveg->setObjectName("memEmailSzoveg");
    memEmailSzoveg->setGeometry(8, 100, 303, 110);
    memEmailSzoveg->setTabChangesFocus(true);
    auto *helyettesitok = new QLabel("Helyettesítők: {szam} a levél száma (J00039), {fajta} a nyomtatvány neve, "
                                     "{ugyfel} az ügyfél neve, {muhely} a műhely neve.",
                                     kuldesLap);
    helyettesitok->setWordWrap(true);
    helyettesitok->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    helyettesitok->setGeometry(8, 216, 303, 56);

    auto *archivLap = new QWidget;
    // past the window's width: reached through the tab bar's arrows (or Ctrl+Tab), its name whole
    lapok->addTab(archivLap, "Archívum");
    chkDokumentumok = new QCheckBox("A csatolt dokumentumok is kerüljenek az archívumba", archivLap);
    chkDokumentumok->setObjectName("chkDokumentumok");
    chkDokumentumok->move(8, 12);
    auto *megtartCim = new QLabel("Megtartott archívumok száma (0 = mind)", archivLap);
    megtartCim->move(8, 44);
    spnMegtart = new QSpinBox(archivLap);
    spnMegtart->setObjectName("spnMegtart");
    spnMegtart->setRange(0, 9999);
    spnMegtart->setGeometry(240, 40, 71, 21);
    megtartCim->setBuddy(spnMegtart);
    auto *masodikCim = new QLabel("második mentési mappa (USB meghajtó, hálózati mappa)", archivLap);
    masodikCim->move(8, 76);
    edtMasodik = new QLineEdit(archivLap);
    edtMasodik->setObjectName("edtMasodik");
    edtMasodik->setGeometry(8, 92, 281, 21);
    masodikCim->setBuddy(edtMasodik);
    btnMasodik = new QToolButton(archivLap);
    btnMasodik->setObjectName("edtMasodikGomb");
    btnMasodik->setText("...");
    btnMasodik->setToolTip("Adatbázis útvonal");
    btnMasodik->setGeometry(288, 92, 23, 21);
    connect(btnMasodik, &QToolButton::clicked, this, [this] { mappaValaszt(edtMasodik); });
    auto *archivMegjegyzes = new QLabel("A régebbi napi archívumok (ééééhhnn.zip) csak egy új archívum elkészülte és "
                                        "ellenőrzése után törlődnek az archív mappából, és a második mappából is.\n\n"
                                        "A második mappa minden új archívumról ellenőrzött másolatot kap; ha nem "
                                        "érhető el vagy megtelt, a program szól, az archívum megmarad.",
                                        archivLap);
    archivMegjegyzes->setObjectName("lblArchivMegjegyzes");
    archivMegjegyzes->setWordWrap(true);
    archivMegjegyzes->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    archivMegjegyzes->setGeometry(8, 124, 303, 144);

    btnOK = new QPushButton("OK", this);
    btnOK->setObjectName("btnOK");
    btnOK->setGeometry(160, 320, 75, 25);
    btnMegsem = new QPushButton("Mégsem", this);
    btnMegsem->setObjectName("btnMegsem");
    btnMegsem->setGeometry(244, 320, 75, 25);
    btnOK->setAutoDefault(false);
    btnMegsem->setAutoDefault(false);

    QWidget *sorrend[] = {chkTeljesKep, chkVanBelep, edtAdatbazis, btnAdatbazis, edtMentes, btnMentes,
                          btnSzoveg1, btnSzoveg2, btnSzoveg3, memDorvido, chkLejartSzurke, edtKapcsolat, btnProba, chkDokumentumok,
                          spnMegtart, edtMasodik, btnMasodik, chkQrKod,
                          edtEmailTargy, memEmailSzoveg, btnOK, btnMegsem};
    for (size_t i = 1; i < std::size(sorrend); ++i)
        setTabOrder(sorrend[i - 1], sorrend[i]);

    connect(btnOK, &QPushButton::clicked, this, &Tfrm_Beallit::btnOKClick);
    connect(btnMegsem, &QPushButton::clicked, this, &QDialog::reject);

    chkTeljesKep->setChecked(Beall.TeljesKep);
    edtAdatbazis->setText(Beall.AdatbazisUtvonal);
    edtMentes->setText(Beall.MentesUtvonal);
    edtKapcsolat->setText(Beall.AdatbazisKapcsolat);
    chkQrKod->setChecked(Beall.QrKod);
    chkDokumentumok->setChecked(Beall.ArchivDokumentumok);
    spnMegtart->setValue(Beall.ArchivMegtart);
    edtMasodik->setText(Beall.MasodikMentesUtvonal);
    chkLejartSzurke->setChecked(Beall.LejartSzurke);
    edtEmailTargy->setText(Beall.EmailTargy);
    memEmailSzoveg->setPlainText(Beall.EmailSzoveg);
    if (QFileInfo(DorvidoFajlUt()).isFile())
        memDorvido->setPlainText(fajlbol(HuSzoveg::fajlOlvas(DorvidoFajlUt())));
    chkVanBelep->setChecked(Tbl->ertek("vanbelep").toString() == "I");

    auto *mk = new MezoKonvencio(this);
    mk->szinez(edtAdatbazis);
    mk->szinez(edtMentes);
    mk->szinez(edtKapcsolat);
    mk->szinez(edtMasodik);
    mk->szinez(memDorvido);
    mk->szinez(edtEmailTargy);
    mk->szinez(memEmailSzoveg);
    mk->enterBekot();

    const QRect hol = szulo ? szulo->window()->frameGeometry()
                            : (QGuiApplication::primaryScreen() ? QGuiApplication::primaryScreen()->availableGeometry()
                                                                : QRect());
    if (hol.isValid())
        move(hol.center() - rect().center());
    chkTeljesKep->setFocus();
}

void Tfrm_Beallit::mappaValaszt(QLineEdit *cel)
{
    const QString m = mappaDialogus(this, cel->text());
    if (!m.isEmpty())
        cel->setText(QDir::cleanPath(m));
}

// Tried before the next start depends on it: a second connection, closed at once; the open
// register is not touched.
void Tfrm_Beallit::kapcsolatProba()
{
    const QString kapcsolat = edtKapcsolat->text().trimmed();
    if (kapcsolat.isEmpty()) {
        Uzenet("Nincs megadva kiszolgáló: a program a helyi adatbázissal működik.", this);
        return;
    }
    const char *nev = "DorvPrgProba";
    QString hiba;
    try {
        QSqlDatabase d = Adatbazis::kapcsolodik(nev, kapcsolat);
        d.close();
    } catch (const StoreHiba &h) {
        hiba = h.uzenet();
    }
    QSqlDatabase::removeDatabase(nev);
    if (hiba.isEmpty())
        Uzenet("A kiszolgáló elérhető, a kapcsolat rendben.", this);
    else
        HibaUzenet(hiba, this);
}

void Tfrm_Beallit::atvesz()
{
    // the fallible steps first, so that a refused write leaves the settings in memory alone
    const QString kapcsolat = edtKapcsolat->text().trimmed();
    // libpq must read it, and it carries no password in any form
    if (!kapcsolat.isEmpty())
        KapcsolatLeiras::elemez(kapcsolat);
    QString lista = memDorvido->toPlainText();
    lista.replace('\n', "\r\n");
    // the new list waits beside dorvido.ini and replaces it only after the row is stored:
    // a refused post (another program, the server) leaves the file as it was for Mégsem
    const QByteArray bajtok = HuSzoveg::fajlBajtjai(DorvidoFajlUt(), lista);
    BiztosFajl dorvido(DorvidoFajlUt());
    dorvido.megnyit();
    dorvido.irMind(bajtok);
    Tbl->setErtek("vanbelep", chkVanBelep->isChecked() ? "I" : "N");
    Tbl->post();
    dorvido.veglegesit();
    Beall.TeljesKep = chkTeljesKep->isChecked();
    Beall.MentesUtvonal = edtMentes->text();
    Beall.AdatbazisUtvonal = edtAdatbazis->text();
    Beall.AdatbazisKapcsolat = kapcsolat;
    Beall.QrKod = chkQrKod->isChecked();
    Beall.ArchivDokumentumok = chkDokumentumok->isChecked();
    Beall.ArchivMegtart = spnMegtart->value();
    Beall.MasodikMentesUtvonal = edtMasodik->text().trimmed();
    Beall.LejartSzurke = chkLejartSzurke->isChecked();
    Beall.EmailTargy = edtEmailTargy->text();
    Beall.EmailSzoveg = memEmailSzoveg->toPlainText();
}

void Tfrm_Beallit::btnOKClick()
{
    try {
        atvesz();
    } catch (const StoreHiba &h) {
        HibaUzenet(h.uzenet(), this);
        return;
    }
    accept();
}

void Beallitasok(QWidget *szulo)
{
    EgySorSzerkeszt<Tfrm_Beallit>("beallit", szulo);
}
