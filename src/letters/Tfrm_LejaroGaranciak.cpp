#include "Tfrm_LejaroGaranciak.h"
#include "AblakBetu.h"
#include "Export.h"
#include "Levelek.h"
#include "Nyomtatas.h"
#include "Seged.h"
#include "StoreHiba.h"

#include <QComboBox>
#include <QDateEdit>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {
const char *const OSZLOPOK[] = {"garancia vége", "fajta", "szám", "dátum", "dorv.idő", "ügyfél", "telefon",
                                "e-mail", "alkatrész", "márka", "sorozatszám", "állapot", "nyitott rekl."};
const int NAPOK[] = {30, 60, 90, 180, 365};
}

Tfrm_LejaroGaranciak::Tfrm_LejaroGaranciak(QWidget *szulo) : QDialog(szulo)
{
    setFont(AblakBetu());
    setWindowTitle("Lejáró garanciák");
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);
    auto *v = new QVBoxLayout(this);
    auto *sor = new QHBoxLayout;
    cbIdoszak = new QComboBox;
    for (int n : NAPOK)
        cbIdoszak->addItem(QString("%1 napon belül lejár").arg(n));
    cbIdoszak->addItem("két dátum között jár le");
    cbIdoszak->addItem("lejárt az elmúlt napokban");
    cbIdoszak->setCurrentIndex(2);
    dtTol = new QDateEdit(QDate::currentDate());
    dtIg = new QDateEdit(QDate::currentDate().addDays(90));
    for (QDateEdit *d : {dtTol, dtIg})
        d->setDisplayFormat("yyyy.MM.dd.");
    spNapok = new QSpinBox;
    spNapok->setRange(1, 3650);
    spNapok->setValue(30);
    spNapok->setSuffix(" nap");
    cbFajta = new QComboBox;
    cbFajta->addItems({"mindkettő", "Jótállás (J)", "Szereléssel (S)"});
    btnLista = new QPushButton("Lista");
    btnLista->setAutoDefault(false);
    sor->addWidget(cbIdoszak);
    sor->addWidget(dtTol);
    sor->addWidget(new QLabel("-"));
    sor->addWidget(dtIg);
    sor->addWidget(spNapok);
    sor->addWidget(new QLabel("fajta:"));
    sor->addWidget(cbFajta);
    sor->addWidget(btnLista);
    sor->addStretch();
    v->addLayout(sor);
    const auto allit = [this] {
        const int i = cbIdoszak->currentIndex();
        dtTol->setEnabled(i == 5);
        dtIg->setEnabled(i == 5);
        spNapok->setEnabled(i == 6);
    };
    connect(cbIdoszak, &QComboBox::currentIndexChanged, this, allit);
    allit();

    Grid = new QTableWidget(0, int(std::size(OSZLOPOK)));
    QStringList cimek;
    for (const char *c : OSZLOPOK)
        cimek << QString::fromUtf8(c);
    Grid->setHorizontalHeaderLabels(cimek);
    Grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    Grid->setSelectionMode(QAbstractItemView::SingleSelection);
    Grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    Grid->verticalHeader()->hide();
    Grid->installEventFilter(this);
    v->addWidget(Grid, 1);
    Allapot = new QLabel;
    v->addWidget(Allapot);
    auto *gombok = new QHBoxLayout;
    btnMegnyit = new QPushButton("Megnyitás");
    btnExport = new QPushButton("Excelbe...");
    btnNyomtat = new QPushButton("Nyomtatási kép");
    btnBezar = new QPushButton("Bezár");
    for (QPushButton *b : {btnMegnyit, btnExport, btnNyomtat, btnBezar}) {
        b->setAutoDefault(false);
        gombok->addWidget(b);
    }
    gombok->insertStretch(3);
    v->addLayout(gombok);
    connect(btnLista, &QPushButton::clicked, this, &Tfrm_LejaroGaranciak::lista);
    connect(btnMegnyit, &QPushButton::clicked, this, &Tfrm_LejaroGaranciak::megnyit);
    connect(btnExport, &QPushButton::clicked, this, &Tfrm_LejaroGaranciak::exportal);
    connect(btnNyomtat, &QPushButton::clicked, this, &Tfrm_LejaroGaranciak::nyomtat);
    connect(btnBezar, &QPushButton::clicked, this, &QDialog::reject);
    connect(Grid, &QTableWidget::cellDoubleClicked, this, &Tfrm_LejaroGaranciak::megnyit);
    resize(1100, 480);
    lista();
}

void Tfrm_LejaroGaranciak::lista()
{
    const QDate ma = QDate::currentDate();
    const int i = cbIdoszak->currentIndex();
    QDate tol = ma, ig;
    if (i < 5) {
        ig = ma.addDays(NAPOK[i]);
    } else if (i == 5) {
        tol = dtTol->date();
        ig = dtIg->date();
    } else {
        tol = ma.addDays(-spNapok->value());
        ig = ma.addDays(-1);
    }
    const QString fajta = cbFajta->currentIndex() == 1 ? "J" : cbFajta->currentIndex() == 2 ? "S" : QString();
    try {
        m_sorok = GaranciaKereso::lejarok(tol, ig, fajta, ma);
    } catch (const KapcsolatHiba &) {
        throw;
    } catch (const StoreHiba &h) {
        m_sorok.clear();
        Allapot->setText(h.uzenet());
    }
    Grid->setRowCount(int(m_sorok.size()));
    for (int r = 0; r < m_sorok.size(); ++r) {
        const GaranciaSor &s = m_sorok[r];
        const QStringList t = {Garancia::datumSzoveg(s.allapot.veg), s.prntip, QString("No:%1").arg(s.doksiId, 5, 10, QChar('0')),
                               Garancia::datumSzoveg(s.datum), s.dorvido, s.ugyfel, s.telefon, s.email, s.alkatresz,
                               s.marka, s.sorozatszam, Garancia::szoveg(s.allapot), QString::number(s.nyitottReklamacio)};
        for (int c = 0; c < t.size(); ++c)
            Grid->setItem(r, c, new QTableWidgetItem(t[c]));
    }
    m_idoszak = QString("garancia vége %1 - %2%3")
                    .arg(Garancia::datumSzoveg(tol), Garancia::datumSzoveg(ig),
                         fajta.isEmpty() ? QString() : QString(", csak '%1' levelek").arg(fajta));
    Allapot->setText(tol > ig ? QString("Hibás időszak.") : QString("%1 levél, %2").arg(m_sorok.size()).arg(m_idoszak));
    btnMegnyit->setEnabled(!m_sorok.isEmpty());
    btnExport->setEnabled(!m_sorok.isEmpty());
    btnNyomtat->setEnabled(!m_sorok.isEmpty());
    if (!m_sorok.isEmpty())
        Grid->selectRow(0);
}

void Tfrm_LejaroGaranciak::megnyit()
{
    const int r = Grid->currentRow();
    if (r < 0 || r >= m_sorok.size())
        return;
    m_valasztott = m_sorok[r];
    accept();
}

void Tfrm_LejaroGaranciak::exportal()
{
    // the export dialog of the letter list, writing these letters with the end date last
    QList<qint64> kulcsok;
    for (const GaranciaSor &s : m_sorok)
        kulcsok << s.doksi;
    const QList<GaranciaSor> sorok = m_sorok;
    HataroltExport(
        [kulcsok, sorok](const QString &fajl, const QString &elvalaszto, QChar jelolo, const ExportHaladas &haladas) {
            return HataroltLevelekIr(
                kulcsok, {"garancia vége"}, [&sorok](int i) { return QStringList{Garancia::datumSzoveg(sorok[i].allapot.veg)}; },
                fajl, elvalaszto, jelolo, haladas);
        },
        int(kulcsok.size()), "lejaro_garanciak.csv", this);
}

void Tfrm_LejaroGaranciak::nyomtat()
{
    LejaroListaNyomtat(GaranciaKereso::nyomtatasra(m_sorok), m_idoszak, false, this);
}

bool Tfrm_LejaroGaranciak::eventFilter(QObject *o, QEvent *e)
{
    if (o == Grid && e->type() == QEvent::KeyPress) {
        const int k = static_cast<QKeyEvent *>(e)->key();
        if (k == Qt::Key_Return || k == Qt::Key_Enter) {
            megnyit();
            return true;
        }
    }
    return QDialog::eventFilter(o, e);
}

bool LejaroGaranciak(GaranciaSor &valasztott, QWidget *szulo)
{
    Tfrm_LejaroGaranciak w(szulo);
    if (w.exec() != QDialog::Accepted)
        return false;
    valasztott = w.valasztott();
    return true;
}
