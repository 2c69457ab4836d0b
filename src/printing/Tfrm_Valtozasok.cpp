#include "Tfrm_Valtozasok.h"
#include "Adatbazis.h"
#include "AblakBetu.h"
#include "Beall.h"
#include "Export.h"
#include "KurzorModell.h"
#include "Naplo.h"
#include "Seged.h"
#include "StoreHiba.h"
#include "Tabla.h"

#include <QComboBox>
#include <QDateEdit>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QSqlQuery>
#include <QTableView>
#include <QVBoxLayout>

namespace {

// Table names as the user knows them.
QString tablaNev(const QString &t)
{
    static const QHash<QString, QString> n = {
        {"doksi", "levél"}, {"doksi_megj", "megjegyzés"}, {"megj", "dokumentum"}, {"reklamacio", "reklamáció"},
        {"marka", "márka"}, {"alkatresz", "alkatrész"}, {"ugyfel", "ügyfél"}, {"felhasznalo", "felhasználó"},
        {"beallit", "beállítás"}, {"tulajdonos", "tulajdonos"}, {"SQL", "SQL utasítás"}};
    return n.value(t, t);
}

QStringList kulonbozo(const QString &mezo)
{
    QStringList l;
    for (QSqlQuery q = Adatbazis::lekerdez(QString("SELECT DISTINCT %1 FROM naplo WHERE %1 IS NOT NULL ORDER BY %1").arg(mezo));
         q.next();)
        l << q.value(0).toString();
    return l;
}

} // namespace

Tfrm_Valtozasok::Tfrm_Valtozasok(Mod mod, const QString &tabla, const QString &kulcs, QWidget *szulo)
    : QDialog(szulo), m_mod(mod), m_tbl(new Tabla("naplo"))
{
    setWindowTitle(mod == Mod::Level ? QString("Változások - levél") : mod == Mod::Torzs ? QString("Változások - %1").arg(tablaNev(tabla))
                                                                                      : QString("Változások"));
    setFont(AblakBetu());
    auto *fo = new QVBoxLayout(this);
    if (mod == Mod::Osszes) {
        auto *sz = new QHBoxLayout;
        edtTol = new QDateEdit(QDate::currentDate().addMonths(-1), this);
        edtIg = new QDateEdit(QDate::currentDate(), this);
        for (QDateEdit *d : {edtTol, edtIg}) {
            d->setCalendarPopup(true);
            d->setDisplayFormat("yyyy.MM.dd");
        }
        cbFelhasznalo = new QComboBox(this);
        cbTabla = new QComboBox(this);
        cbFelhasznalo->addItem("(mind)");
        cbFelhasznalo->addItems(kulonbozo("felhasznalo"));
        cbTabla->addItem("(mind)", QString());
        for (const QString &t : kulonbozo("tabla"))
            cbTabla->addItem(tablaNev(t), t);
        btnSzures = new QPushButton("Szűrés", this);
        sz->addWidget(new QLabel("Ettől:", this));
        sz->addWidget(edtTol);
        sz->addWidget(new QLabel("Eddig:", this));
        sz->addWidget(edtIg);
        sz->addWidget(new QLabel("Felhasználó:", this));
        sz->addWidget(cbFelhasznalo);
        sz->addWidget(new QLabel("Tábla:", this));
        sz->addWidget(cbTabla);
        sz->addWidget(btnSzures);
        sz->addStretch();
        fo->addLayout(sz);
        connect(btnSzures, &QPushButton::clicked, this, &Tfrm_Valtozasok::szures);
    }
    grdNaplo = new QTableView(this);
    fo->addWidget(grdNaplo, 1);
    auto *gombok = new QHBoxLayout;
    lblSzam = new QLabel(this);
    btnVisszaallit = new QPushButton("Visszaállítás", this);
    btnExport = new QPushButton("Export...", this);
    btnBezar = new QPushButton("Bezár", this);
    gombok->addWidget(lblSzam);
    gombok->addStretch();
    gombok->addWidget(btnVisszaallit);
    gombok->addWidget(btnExport);
    gombok->addWidget(btnBezar);
    fo->addLayout(gombok);
    // only an administrator brings rows back
    btnVisszaallit->setVisible(Beall.rendszergazda);

    if (mod == Mod::Level)
        m_tbl->setFeltetel("t.doksi = ?", {kulcs.toLongLong()});
    else if (mod == Mod::Torzs)
        m_tbl->setFeltetel("t.tabla = ? AND t.kulcs = ?", {tabla, kulcs});
    m_tbl->setCsakOlvas(true);
    m_tbl->setIndex("naplo");
    if (mod == Mod::Osszes)
        szures();
    m_tbl->megnyit();
    m_modell = new KurzorModell(
        m_tbl,
        {{"ido", "időpont"},
         {"felhasznalo", "felhasználó"},
         {"gep", "gép"},
         {"tabla", "tábla", [](const QVariant &v) { return tablaNev(v.toString()); }},
         {"kulcs", "kulcs"},
         {"mezo", "mező"},
         {"regi", "régi érték"},
         {"uj", "új érték"}},
        this);
    grdNaplo->setModel(m_modell);
    grdNaplo->setSelectionBehavior(QAbstractItemView::SelectRows);
    grdNaplo->setSelectionMode(QAbstractItemView::SingleSelection);
    grdNaplo->verticalHeader()->hide();
    grdNaplo->horizontalHeader()->setStretchLastSection(true);
    m_modell->kovet(grdNaplo);
    for (int c = 0; c < 6; ++c)
        grdNaplo->resizeColumnToContents(c);
    grdNaplo->setColumnWidth(6, 200);
    connect(m_tbl, &Tabla::mozgasUtan, this, &Tfrm_Valtozasok::allapot);
    connect(btnVisszaallit, &QPushButton::clicked, this, &Tfrm_Valtozasok::btnVisszaallitClick);
    connect(btnExport, &QPushButton::clicked, this, [this] { HataroltExport(*m_tbl, "valtozasok.txt", this); });
    connect(btnBezar, &QPushButton::clicked, this, &QDialog::accept);
    m_tbl->utolso();
    resize(980, 480);
    allapot();
}

Tfrm_Valtozasok::~Tfrm_Valtozasok()
{
    delete m_modell;
    delete m_tbl;
}

void Tfrm_Valtozasok::szures()
{
    QStringList f{"t.ido >= ?", "t.ido < ?"};
    QVariantList e{edtTol->date().toString(Qt::ISODate), edtIg->date().addDays(1).toString(Qt::ISODate)};
    if (cbFelhasznalo->currentIndex() > 0) {
        f << "t.felhasznalo = ?";
        e << cbFelhasznalo->currentText();
    }
    if (cbTabla->currentIndex() > 0) {
        f << "t.tabla = ?";
        e << cbTabla->currentData().toString();
    }
    try {
        m_tbl->setFeltetel(f.join(" AND "), e);
        if (m_tbl->nyitva())
            m_tbl->utolso();
    } catch (const StoreHiba &h) {
        HibaUzenet("A változások nem olvashatók:\r\n" + h.uzenet(), this);
    }
}

void Tfrm_Valtozasok::allapot()
{
    lblSzam->setText(QString("%1 bejegyzés").arg(m_tbl->rekordSzam()));
    btnVisszaallit->setEnabled(!m_tbl->ures() && m_tbl->ertek("mezo").isNull()
                               && Naplo::visszaallithato(m_tbl->ertek("tabla").toString(), m_tbl->ertek("regi"), m_tbl->ertek("uj")));
}

void Tfrm_Valtozasok::btnVisszaallitClick()
{
    if (!JogEllenoriz(Beall.rendszergazda, this) || m_tbl->ures())
        return;
    try {
        const Naplo::Visszaallitas v = Naplo::visszaallit(m_tbl->ertek("naplo").toLongLong());
        m_tbl->frissit();
        m_tbl->utolso();
        Uzenet(v.uzenet(), this);
    } catch (const StoreHiba &h) {
        HibaUzenet("A sor nem állítható vissza:\r\n" + h.uzenet(), this);
    }
}

namespace {
void mutat(Tfrm_Valtozasok::Mod m, const QString &tabla, const QString &kulcs, QWidget *szulo)
{
    try {
        Tfrm_Valtozasok f(m, tabla, kulcs, szulo);
        f.exec();
    } catch (const StoreHiba &h) {
        HibaUzenet("A változások nem olvashatók:\r\n" + h.uzenet(), szulo);
    }
}
} // namespace

void LevelValtozasai(qint64 doksi, QWidget *szulo) { mutat(Tfrm_Valtozasok::Mod::Level, "doksi", QString::number(doksi), szulo); }
void TorzsValtozasai(const QString &tabla, const QString &kulcs, QWidget *szulo) { mutat(Tfrm_Valtozasok::Mod::Torzs, tabla, kulcs, szulo); }
void OsszesValtozas(QWidget *szulo)
{
    if (JogEllenoriz(Beall.rendszergazda, szulo))
        mutat(Tfrm_Valtozasok::Mod::Osszes, {}, {}, szulo);
}
