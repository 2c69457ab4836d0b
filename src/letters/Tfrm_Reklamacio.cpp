#include "Tfrm_Reklamacio.h"

#include "AblakBetu.h"
#include "Adatbazis.h"
#include "Beall.h"
#include "Garancia.h"
#include "Kozepre.h"
#include "KurzorModell.h"
#include "Levelek.h"
#include "Mezo.h"
#include "MezoKonvencio.h"
#include "Nyomtatas.h"
#include "ParancsKeszlet.h"
#include "Reklamacio.h"
#include "Seged.h"
#include "StoreHiba.h"
#include "Tabla.h"

#include <QAction>
#include <QComboBox>
#include <QDateEdit>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSplitter>
#include <QSqlQuery>
#include <QTableView>
#include <QTimer>
#include <QToolBar>
#include <QVBoxLayout>

#include <optional>

namespace {
// an empty date box shows its lowest date as nothing
const QDate URES_DATUM(1900, 1, 1);

QDateEdit *datumMezo(bool lehetUres)
{
    auto *d = new QDateEdit;
    d->setDisplayFormat("yyyy.MM.dd.");
    d->setCalendarPopup(true);
    if (lehetUres) {
        d->setMinimumDate(URES_DATUM);
        d->setSpecialValueText(" ");
    }
    return d;
}

QVariant datumErtek(const QDateEdit *d) { return d->date() == URES_DATUM ? QVariant() : QVariant(d->date()); }
void datumBe(QDateEdit *d, const QVariant &v) { d->setDate(v.isNull() ? URES_DATUM : v.toDate()); }

QVariant szovegErtek(const QString &s) { return s.trimmed().isEmpty() ? QVariant() : QVariant(s); }

struct Level {
    bool van = false;
    QString tipus, leiras;
};

Level levelOlvas(int doksi)
{
    QSqlQuery q = Adatbazis::lekerdez("SELECT d.prntip, d.doksi_id, d.datum, d.dorvido, d.kmora, m.marka_nev, "
                                      "a.alkatresz_nev, u.ugyfel_nev, d.sorozatszam FROM doksi d "
                                      "LEFT JOIN marka m ON m.marka = d.marka "
                                      "LEFT JOIN alkatresz a ON a.alkatresz = d.alkatresz "
                                      "LEFT JOIN ugyfel u ON u.ugyfel = d.ugyfel WHERE d.doksi = ?",
                                      {doksi});
    Level l;
    if (!q.next())
        return l;
    l.van = true;
    l.tipus = q.value(0).toString().trimmed();
    QStringList resz{Reklamacio::levelNev(l.tipus, q.value(1).toInt()), Garancia::datumSzoveg(q.value(2).toDate())};
    for (int i : {5, 6, 7})
        if (!q.value(i).toString().trimmed().isEmpty())
            resz << q.value(i).toString().trimmed();
    if (!q.value(8).toString().trimmed().isEmpty())
        resz << "sorozatszám: " + q.value(8).toString().trimmed();
    l.leiras = resz.join(", ") + "\n" + q.value(3).toString().trimmed() + " – " +
               Garancia::szoveg(Garancia::allapot(q.value(2).toDate(), q.value(3).toString(), QDate::currentDate(),
                                                  l.tipus == "S" ? q.value(4).toString() : QString()));
    return l;
}
} // namespace

Tfrm_Reklamacio::Tfrm_Reklamacio(Tabla &tbl, int doksi, QWidget *szulo) : QDialog(szulo), Tbl(tbl), m_doksi(doksi)
{
    setFont(AblakBetu());
    setWindowTitle("Reklamációk");
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);
    auto *fo = new QVBoxLayout(this);
    fo->setContentsMargins(2, 2, 2, 2);
    auto *eszkozok = new QToolBar(this);
    eszkozok->setToolButtonStyle(Qt::ToolButtonTextOnly);
    fo->addWidget(eszkozok);

    ParancsKeszlet parancsok(this, eszkozok);
    QMenu *menu = parancsok.menu();
    aUj = parancsok.uj("Új", Qt::Key_Insert);
    aSzerkeszt = parancsok.uj("Szerkeszt", Qt::Key_F2);
    aTorol = parancsok.uj("Töröl", QKeySequence(Qt::CTRL | Qt::Key_Delete));
    parancsok.elvalaszto();
    aLapKep = parancsok.uj("Reklamációs lap", QKeySequence(Qt::CTRL | Qt::Key_K));
    aLapNyomtat = parancsok.uj("Nyomtat", QKeySequence(Qt::CTRL | Qt::Key_P));
    aLista = parancsok.uj("Lista", QKeySequence(Qt::CTRL | Qt::Key_L));
    parancsok.elvalaszto();
    aBezar = parancsok.uj("Bezár", Qt::Key_Escape);

    lblLevel = new QLabel;
    lblLevel->setWordWrap(true);
    fo->addWidget(lblLevel);

    auto *oszto = new QSplitter(Qt::Vertical, this);
    DBGrid1 = new QTableView;
    auto *modell = new KurzorModell(&Tbl,
                                    {{"datum", "dátum"},
                                     {"allapot", "állapot"},
                                     {"beszallito", "beszállító"},
                                     {"koltseg", "költség (Ft)", {}, Qt::AlignRight | Qt::AlignVCenter},
                                     {"dat_lezaras", "lezárva"}},
                                    this);
    RacsBeallit(DBGrid1, modell);
    DBGrid1->setColumnWidth(0, 75);
    DBGrid1->setColumnWidth(1, 150);
    DBGrid1->setColumnWidth(2, 150);
    DBGrid1->setColumnWidth(3, 80);
    DBGrid1->setColumnWidth(4, 75);
    DBGrid1->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(DBGrid1, &QWidget::customContextMenuRequested, this,
            [this, menu](const QPoint &p) { menu->popup(DBGrid1->viewport()->mapToGlobal(p)); });
    modell->kovet(DBGrid1);
    oszto->addWidget(DBGrid1);
    DBMemo1 = new QPlainTextEdit;
    DBMemo1->setReadOnly(true);
    oszto->addWidget(DBMemo1);
    oszto->setSizes({200, 160});
    fo->addWidget(oszto, 1);

    connect(&Tbl, &Tabla::mozgasUtan, this, &Tfrm_Reklamacio::reszletFrissit);
    connect(DBGrid1, &QTableView::doubleClicked, this, &Tfrm_Reklamacio::aSzerkesztExecute);
    connect(aUj, &QAction::triggered, this, &Tfrm_Reklamacio::aUjExecute);
    connect(aSzerkeszt, &QAction::triggered, this, &Tfrm_Reklamacio::aSzerkesztExecute);
    connect(aTorol, &QAction::triggered, this, &Tfrm_Reklamacio::aTorolExecute);
    connect(aBezar, &QAction::triggered, this, &QDialog::reject);
    auto lap = [this](bool nyomtat) {
        if (!Tbl.ures())
            ReklamacioLapNyomtat(int(Tbl.aktualisKulcs()), nyomtat, this);
    };
    connect(aLapKep, &QAction::triggered, this, [lap] { lap(false); });
    connect(aLapNyomtat, &QAction::triggered, this, [lap] { lap(true); });
    connect(aLista, &QAction::triggered, this, [this] { ReklamacioListaKer(this); });
    levelFrissit();
    reszletFrissit();
    resize(560, 460);
}

void Tfrm_Reklamacio::levelFrissit()
{
    try {
        const Level l = levelOlvas(m_doksi);
        lblLevel->setText(l.van ? l.leiras : QString("A levél nem található."));
        aUj->setEnabled(l.van);
    } catch (const StoreHiba &h) {
        lblLevel->setText(h.uzenet());
    }
}

void Tfrm_Reklamacio::reszletFrissit()
{
    if (!Tbl.nyitva() || Tbl.ures()) {
        DBMemo1->clear();
        return;
    }
    QStringList s;
    auto sor = [&](const QString &cim, const char *mezo) {
        const QString v = MezoSzoveg(Tbl.ertek(mezo)).trimmed();
        if (!v.isEmpty())
            s << cim + ": " + v;
    };
    sor("Panasz", "panasz");
    sor("Km.óra", "kmora");
    sor("Beszállítónak küldve", "dat_kuldes");
    sor("Beszállító döntése", "dontes");
    sor("Eredmény", "eredmeny");
    sor("Késői reklamáció indoka", "indok");
    sor("Rögzítette", "felhasznalo");
    DBMemo1->setPlainText(s.join("\n"));
}

void Tfrm_Reklamacio::aUjExecute()
{
    try {
        if (!levelOlvas(m_doksi).van)
            return;
        if (const auto n = Reklamacio::nyitott(m_doksi)) {
            HibaUzenet(Reklamacio::masodikNyitottUzenet(*n), this);
            return;
        }
        Tbl.beszur();
        Tbl.setErtek("doksi", m_doksi);
        Tbl.setErtek("datum", QDate::currentDate());
        Tbl.setErtek("allapot", Reklamacio::allapotok().first());
        Tbl.setErtek("felhasznalo", Beall.FelhasznaloNev);
    } catch (const StoreHiba &h) {
        Tbl.megse();
        FelsoHiba(h.uzenet(), this);
        return;
    }
    Tfrm_Reklamacio_Szerkeszt e(Tbl, m_doksi, this);
    e.futtat();
    reszletFrissit();
}

void Tfrm_Reklamacio::aSzerkesztExecute()
{
    if (Tbl.ures())
        return;
    try {
        Tbl.szerkeszt();
    } catch (const StoreHiba &h) {
        FelsoHiba(h.uzenet(), this);
        return;
    }
    Tfrm_Reklamacio_Szerkeszt e(Tbl, m_doksi, this);
    e.futtat();
    reszletFrissit();
}

void Tfrm_Reklamacio::aTorolExecute()
{
    if (Tbl.ures() || !TorlesMegerosites(this))
        return;
    try {
        Tbl.torol();
    } catch (const StoreHiba &h) {
        FelsoHiba(h.uzenet(), this);
    }
    reszletFrissit();
}

Tfrm_Reklamacio_Szerkeszt::Tfrm_Reklamacio_Szerkeszt(Tabla &tbl, int doksi, QWidget *szulo)
    : QDialog(szulo), m_tbl(tbl), m_doksi(doksi)
{
    setFont(AblakBetu());
    setWindowTitle("Reklamáció");
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);
    auto *fo = new QVBoxLayout(this);
    auto *mezok = new QFormLayout;
    dtDatum = datumMezo(false);
    mezok->addRow("dátum", dtDatum);
    edKmora = new QLineEdit;
    edKmora->setMaxLength(15);
    mezok->addRow("km.óra", edKmora);
    mmPanasz = new QPlainTextEdit;
    mmPanasz->setTabChangesFocus(true);
    mmPanasz->setFixedHeight(60);
    mezok->addRow("panasz", mmPanasz);
    cbAllapot = new QComboBox;
    cbAllapot->addItems(Reklamacio::allapotok());
    mezok->addRow("állapot", cbAllapot);
    edBeszallito = new QLineEdit;
    edBeszallito->setMaxLength(100);
    mezok->addRow("beszállító", edBeszallito);
    dtKuldes = datumMezo(true);
    mezok->addRow("beszállítónak küldve", dtKuldes);
    mmDontes = new QPlainTextEdit;
    mmDontes->setTabChangesFocus(true);
    mmDontes->setFixedHeight(45);
    mezok->addRow("beszállító döntése", mmDontes);
    edEredmeny = new QLineEdit;
    edEredmeny->setMaxLength(255);
    mezok->addRow("eredmény", edEredmeny);
    edKoltseg = new QLineEdit;
    edKoltseg->setValidator(new QIntValidator(0, 2000000000, edKoltseg));
    mezok->addRow("átvállalt költség (Ft)", edKoltseg);
    dtLezaras = datumMezo(true);
    mezok->addRow("lezárva", dtLezaras);
    edIndok = new QLineEdit;
    edIndok->setMaxLength(255);
    mezok->addRow("késői reklamáció indoka", edIndok);
    fo->addLayout(mezok);
    lblFigyelmeztet = new QLabel;
    lblFigyelmeztet->setWordWrap(true);
    lblFigyelmeztet->setStyleSheet("color: #b00000");
    fo->addWidget(lblFigyelmeztet);
    auto *gombok = new QDialogButtonBox;
    gombok->addButton("Elfogad", QDialogButtonBox::AcceptRole);
    gombok->addButton("Mégsem", QDialogButtonBox::RejectRole);
    connect(gombok, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(gombok, &QDialogButtonBox::rejected, this, &QDialog::reject);
    fo->addWidget(gombok);
    for (const QKeySequence &k : {QKeySequence(Qt::CTRL | Qt::Key_Return), QKeySequence(Qt::CTRL | Qt::Key_Enter)}) {
        auto *a = new QAction(this);
        a->setShortcut(k);
        addAction(a);
        connect(a, &QAction::triggered, this, &QDialog::accept);
    }
    connect(dtDatum, &QDateEdit::dateChanged, this, &Tfrm_Reklamacio_Szerkeszt::kesesFrissit);
    connect(edKmora, &QLineEdit::textChanged, this, &Tfrm_Reklamacio_Szerkeszt::kesesFrissit);
    auto *konv = new MezoKonvencio(this);
    konv->szinezMind();
    resize(470, 0);
}

void Tfrm_Reklamacio_Szerkeszt::mezokbe()
{
    const QVariant d = m_tbl.ertek("datum");
    dtDatum->setDate(d.isNull() ? QDate::currentDate() : d.toDate());
    edKmora->setText(MezoSzoveg(m_tbl.ertek("kmora")));
    mmPanasz->setPlainText(MezoSzoveg(m_tbl.ertek("panasz")));
    const QString a = m_tbl.ertek("allapot").toString();
    if (!a.isEmpty() && cbAllapot->findText(a) < 0)
        cbAllapot->addItem(a);   // a state written by hand stays as it was
    cbAllapot->setCurrentIndex(a.isEmpty() ? 0 : cbAllapot->findText(a));
    edBeszallito->setText(MezoSzoveg(m_tbl.ertek("beszallito")));
    datumBe(dtKuldes, m_tbl.ertek("dat_kuldes"));
    mmDontes->setPlainText(MezoSzoveg(m_tbl.ertek("dontes")));
    edEredmeny->setText(MezoSzoveg(m_tbl.ertek("eredmeny")));
    const QVariant k = m_tbl.ertek("koltseg");
    edKoltseg->setText(k.isNull() ? QString() : QString::number(k.toLongLong()));
    datumBe(dtLezaras, m_tbl.ertek("dat_lezaras"));
    edIndok->setText(MezoSzoveg(m_tbl.ertek("indok")));
    // the odometer reading belongs to fitting letters ('S')
    edKmora->setEnabled(Adatbazis::ertek("SELECT prntip FROM doksi WHERE doksi = ?", {m_doksi}).toString().trimmed() == "S"
                        || !edKmora->text().isEmpty());
    kesesFrissit();
}

// Only what differs from the row goes into it: the cursor writes changed fields only.
void Tfrm_Reklamacio_Szerkeszt::vissza()
{
    auto ir = [this](const char *mezo, const QVariant &v) {
        const QVariant regi = m_tbl.ertek(mezo);
        if (regi.isNull() != v.isNull() || (!v.isNull() && MezoSzoveg(regi) != MezoSzoveg(v)))
            m_tbl.setErtek(mezo, v);
    };
    const QString allapot = cbAllapot->currentText();
    // a claim sent to the supplier or closed gets the day when that was not typed
    if (allapot == "Beszállítónál" && datumErtek(dtKuldes).isNull())
        dtKuldes->setDate(QDate::currentDate());
    if (Reklamacio::lezart(allapot) && datumErtek(dtLezaras).isNull())
        dtLezaras->setDate(QDate::currentDate());
    ir("datum", dtDatum->date());
    ir("kmora", szovegErtek(edKmora->text()));
    ir("panasz", szovegErtek(mmPanasz->toPlainText()));
    ir("allapot", allapot);
    ir("beszallito", szovegErtek(edBeszallito->text()));
    ir("dat_kuldes", datumErtek(dtKuldes));
    ir("dontes", szovegErtek(mmDontes->toPlainText()));
    ir("eredmeny", szovegErtek(edEredmeny->text()));
    ir("koltseg", edKoltseg->text().trimmed().isEmpty() ? QVariant() : QVariant(edKoltseg->text().toLongLong()));
    ir("dat_lezaras", datumErtek(dtLezaras));
    ir("indok", szovegErtek(edIndok->text()));
}

void Tfrm_Reklamacio_Szerkeszt::kesesFrissit()
{
    QString k;
    try {
        k = Reklamacio::kesoi(m_doksi, dtDatum->date(), edKmora->text());
    } catch (const StoreHiba &) {
        // shown again on accept, where the check runs once more
    }
    lblFigyelmeztet->setText(k.isEmpty() ? QString() : "Késői reklamáció: " + k + ". Az indokot meg kell adni.");
}

bool Tfrm_Reklamacio_Szerkeszt::ment()
{
    vissza();
    const QString allapot = cbAllapot->currentText();
    const int sajat = m_tbl.allapot() == Tabla::Allapot::Beszuras ? 0 : int(m_tbl.aktualisKulcs());
    const QString kesoi = Reklamacio::kesoi(m_doksi, dtDatum->date(), edKmora->text());
    if (!kesoi.isEmpty() && edIndok->text().trimmed().isEmpty()) {
        HibaUzenet(QString("Késői reklamáció: %1. A reklamáció rögzíthető, de a késői reklamáció indokát meg kell adni.")
                       .arg(kesoi),
                   this);
        edIndok->setFocus();
        return false;
    }
    const bool csere = allapot == Reklamacio::CSERELVE && m_tbl.ertek("csere_doksi").isNull()
                       && Kerdes("Az alkatrészt garanciában cserélték. Készüljön új levél a csere alkatrészre "
                                 "(ugyanaz az ügyfél, márka, alkatrész és időtartam, mai dátummal)?",
                                 "Csere", this);
    std::optional<int> ujLevel;
    std::optional<Reklamacio::Nyitott> masik;
    {
        Adatbazis::Tranzakcio t;
        Reklamacio::zarol(m_doksi);
        // checked under the write lock: two programs cannot both open a claim of the letter
        if (!Reklamacio::lezart(allapot))
            masik = Reklamacio::nyitott(m_doksi, sajat);
        // refused: rolled back before the message, so no lock is held while it shows
        if (!masik) {
            m_tbl.post();
            if (csere) {
                const int kulcs = int(m_tbl.aktualisKulcs());
                ujLevel = Reklamacio::csereLevel(m_doksi, kulcs);
                Adatbazis::vegrehajt("UPDATE reklamacio SET csere_doksi = ? WHERE reklamacio = ?", {*ujLevel, kulcs});
            }
            t.commit();
        }
    }
    if (masik) {
        HibaUzenet(Reklamacio::masodikNyitottUzenet(*masik), this);
        return false;
    }
    if (ujLevel) {
        m_tbl.frissit();
        Adatbazis::kurzorokFrissit();
        const QVariant szam = Adatbazis::ertek("SELECT doksi_id FROM doksi WHERE doksi = ?", {*ujLevel});
        const QVariant tipus = Adatbazis::ertek("SELECT prntip FROM doksi WHERE doksi = ?", {*ujLevel});
        Uzenet(QString("A csere alkatrész új levele elkészült: %1. A két levél megjegyzése megnevezi egymást.")
                   .arg(Reklamacio::levelNev(tipus.toString(), szam.toInt())),
               this);
    }
    return true;
}

bool Tfrm_Reklamacio_Szerkeszt::futtat()
{
    mezokbe();
    kepernyoKozepre(this);
    dtDatum->setFocus();
    while (exec() == QDialog::Accepted) {
        try {
            if (ment())
                return true;
        } catch (const StoreHiba &h) {
            // a post refused or a commit failed: what is stored is read again, the typing stays
            HibaUzenet(h.uzenet(), parentWidget());
            if (!m_tbl.szerkesztes()) {
                m_tbl.frissit();
                return false;
            }
        }
    }
    m_tbl.megse();
    return false;
}

void ReklamacioAblak(int doksi, QWidget *szulo, bool uj)
{
    Tabla tbl("reklamacio");
    tbl.setSzuro(QString("doksi=%1").arg(doksi));
    tbl.setSzurt(true);
    try {
        tbl.megnyit();
    } catch (const StoreHiba &h) {
        FelsoHiba(h.uzenet(), szulo);
        return;
    }
    {
        Tfrm_Reklamacio f(tbl, doksi, szulo);
        kepernyoKozepre(&f);
        if (uj)
            QTimer::singleShot(0, &f, &Tfrm_Reklamacio::aUjExecute);
        f.exec();
    }
    tbl.bezar();
}

void ReklamacioListaKer(QWidget *szulo)
{
    QDialog d(szulo);
    d.setFont(AblakBetu());
    d.setWindowTitle("Reklamációk listája");
    d.setWindowFlags(d.windowFlags() & ~Qt::WindowContextHelpButtonHint);
    auto *fo = new QVBoxLayout(&d);
    auto *mezok = new QFormLayout;
    QDateEdit *tol = datumMezo(false), *ig = datumMezo(false);
    const QDate ma = QDate::currentDate();
    tol->setDate(QDate(ma.year(), ma.month(), 1));
    ig->setDate(ma);
    mezok->addRow("dátumtól", tol);
    mezok->addRow("dátumig", ig);
    auto *beszallito = new QComboBox;
    beszallito->setEditable(true);
    beszallito->addItem(QString());
    try {
        for (QSqlQuery q = Adatbazis::lekerdez("SELECT DISTINCT trim(beszallito) FROM reklamacio WHERE trim(beszallito) <> '' "
                                               "ORDER BY 1");
             q.next();)
            beszallito->addItem(q.value(0).toString());
    } catch (const StoreHiba &h) {
        FelsoHiba(h.uzenet(), szulo);
        return;
    }
    mezok->addRow("beszállító (üresen: mind)", beszallito);
    fo->addLayout(mezok);
    auto *gombok = new QDialogButtonBox;
    QPushButton *kep = gombok->addButton("Nyomtatási kép", QDialogButtonBox::AcceptRole);
    QPushButton *nyomtat = gombok->addButton("Nyomtat", QDialogButtonBox::AcceptRole);
    gombok->addButton("Mégsem", QDialogButtonBox::RejectRole);
    bool nyomtatora = false;
    QObject::connect(kep, &QPushButton::clicked, &d, [&] { nyomtatora = false; d.accept(); });
    QObject::connect(nyomtat, &QPushButton::clicked, &d, [&] { nyomtatora = true; d.accept(); });
    QObject::connect(gombok, &QDialogButtonBox::rejected, &d, &QDialog::reject);
    fo->addWidget(gombok);
    kep->setDefault(true);
    kepernyoKozepre(&d);
    if (d.exec() != QDialog::Accepted)
        return;
    if (ig->date() < tol->date()) {
        HibaUzenet("A lista vége nem lehet korábbi a kezdeténél.", szulo);
        return;
    }
    ReklamacioListaNyomtat(tol->date(), ig->date(), beszallito->currentText(), nyomtatora, szulo);
}
