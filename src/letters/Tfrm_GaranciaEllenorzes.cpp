#include "Tfrm_GaranciaEllenorzes.h"
#include "AblakBetu.h"
#include "Levelek.h"
#include "Seged.h"
#include "StoreHiba.h"

#include <QCoreApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {
const char *const OSZLOPOK[] = {"fajta", "szám", "dátum", "alkatrész", "márka", "ügyfél", "sorozatszám",
                                "garancia vége", "állapot", "nyitott rekl."};
}

Tfrm_GaranciaEllenorzes::Tfrm_GaranciaEllenorzes(QWidget *szulo) : QDialog(szulo)
{
    setFont(AblakBetu());
    setWindowTitle("Garancia ellenőrzés");
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);
    auto *v = new QVBoxLayout(this);
    auto *sor = new QHBoxLayout;
    auto *cimke = new QLabel("Sorozatszám, rendszám, ügyfél vagy levélszám:");
    Edit1 = new QLineEdit;
    Edit1->setObjectName("Edit1");
    Edit1->setMaxLength(100);
    cimke->setBuddy(Edit1);
    sor->addWidget(cimke);
    sor->addWidget(Edit1, 1);
    v->addLayout(sor);

    Grid = new QTableWidget(0, int(std::size(OSZLOPOK)));
    Grid->setObjectName("Grid");
    QStringList cimek;
    for (const char *c : OSZLOPOK)
        cimek << QString::fromUtf8(c);
    Grid->setHorizontalHeaderLabels(cimek);
    Grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    Grid->setSelectionMode(QAbstractItemView::SingleSelection);
    Grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    Grid->verticalHeader()->hide();
    Grid->horizontalHeader()->setStretchLastSection(true);
    Grid->installEventFilter(this);
    const int szelesseg[] = {40, 60, 76, 140, 90, 140, 100, 80, 220, 40};   // all in sight at the window's width
    for (int i = 0; i < int(std::size(szelesseg)); ++i)
        Grid->setColumnWidth(i, szelesseg[i]);
    v->addWidget(Grid, 1);

    Allapot = new QLabel;
    v->addWidget(Allapot);
    auto *gombok = new QHBoxLayout;
    btnMegnyit = new QPushButton("Megnyitás");
    btnReklamacio = new QPushButton("Reklamáció...");
    btnBezar = new QPushButton("Bezár");
    for (QPushButton *b : {btnMegnyit, btnReklamacio, btnBezar}) {
        b->setAutoDefault(false);
        gombok->addWidget(b);
    }
    gombok->insertStretch(2);
    v->addLayout(gombok);
    btnReklamacio->setToolTip("Új reklamáció a kiválasztott levélre");
    btnReklamacio->setEnabled(false);
    connect(btnReklamacio, &QPushButton::clicked, this, [this] {
        const int r = Grid->currentRow();
        if (r < 0 || r >= m_sorok.size())
            return;
        ReklamacioAblak(int(m_sorok[r].doksi), this, true);
        // the open claims may have changed
        const QString t = Edit1->text();
        keres();
        Edit1->setText(t);
        if (r < Grid->rowCount())
            Grid->selectRow(r);
    });

    connect(Edit1, &QLineEdit::returnPressed, this, &Tfrm_GaranciaEllenorzes::keres);
    connect(btnMegnyit, &QPushButton::clicked, this, &Tfrm_GaranciaEllenorzes::megnyit);
    connect(btnBezar, &QPushButton::clicked, this, &QDialog::reject);
    connect(Grid, &QTableWidget::cellDoubleClicked, this, &Tfrm_GaranciaEllenorzes::megnyit);
    resize(1000, 420);
}

void Tfrm_GaranciaEllenorzes::keres()
{
    try {
        m_sorok = GaranciaKereso::keres(Edit1->text(), QDate::currentDate());
    } catch (const KapcsolatHiba &) {
        throw;
    } catch (const StoreHiba &h) {
        m_sorok.clear();
        Allapot->setText(h.uzenet());
        Grid->setRowCount(0);
        return;
    }
    Grid->setRowCount(int(m_sorok.size()));
    for (int i = 0; i < m_sorok.size(); ++i) {
        const GaranciaSor &s = m_sorok[i];
        const QStringList t = {s.prntip, QString("No:%1").arg(s.doksiId, 5, 10, QChar('0')), Garancia::datumSzoveg(s.datum),
                               s.alkatresz, s.marka, s.ugyfel, s.sorozatszam, Garancia::datumSzoveg(s.allapot.veg),
                               Garancia::szoveg(s.allapot), QString::number(s.nyitottReklamacio)};
        const bool lejart = s.allapot.fajta == Garancia::Allapot::Fajta::Lejart;
        for (int c = 0; c < t.size(); ++c) {
            auto *cella = new QTableWidgetItem(t[c]);
            if (lejart)
                cella->setForeground(QColor(128, 128, 128));
            Grid->setItem(i, c, cella);
        }
    }
    Allapot->setText(m_sorok.isEmpty() ? QString("Nincs találat: %1").arg(Edit1->text().trimmed())
                     : m_sorok.size() >= GaranciaKereso::LEGFELJEBB
                         ? QString("Az első %1 levél látszik (a legújabbak); pontosítsa a keresést.").arg(m_sorok.size())
                         : QString("%1 levél").arg(m_sorok.size()));
    btnMegnyit->setEnabled(!m_sorok.isEmpty());
    btnReklamacio->setEnabled(!m_sorok.isEmpty());
    if (!m_sorok.isEmpty()) {
        Grid->selectRow(0);
        Grid->setFocus();
    }
    // the next scan goes into the box again
    Edit1->selectAll();
    if (m_sorok.isEmpty())
        Edit1->setFocus();
}

void Tfrm_GaranciaEllenorzes::megnyit()
{
    const int r = Grid->currentRow();
    if (r < 0 || r >= m_sorok.size())
        return;
    m_valasztott = m_sorok[r];
    accept();
}

bool Tfrm_GaranciaEllenorzes::eventFilter(QObject *o, QEvent *e)
{
    if (o == Grid && e->type() == QEvent::KeyPress) {
        auto *ke = static_cast<QKeyEvent *>(e);
        const int k = ke->key();
        if (k == Qt::Key_Return || k == Qt::Key_Enter) {
            megnyit();
            return true;
        }
        // the next scan (or typing) while the list has the focus goes into the box, replacing
        // the text there; its Enter then searches instead of opening the chosen letter
        const QString t = ke->text();
        if (!t.isEmpty() && t.at(0).isPrint() && !(ke->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
            if (!Edit1->hasFocus()) {
                Edit1->setFocus();
                Edit1->selectAll();
            }
            QCoreApplication::sendEvent(Edit1, e);
            return true;
        }
    }
    return QDialog::eventFilter(o, e);
}

bool GaranciaEllenorzes(GaranciaSor &valasztott, QWidget *szulo)
{
    Tfrm_GaranciaEllenorzes w(szulo);
    if (w.exec() != QDialog::Accepted)
        return false;
    valasztott = w.valasztott();
    return true;
}
