#include "Tfrm_Hatarolt.h"
#include "AblakBetu.h"
#include "Elfoglalt.h"
#include "Ikonok.h"
#include "Kozepre.h"
#include "Export.h"
#include "MezoKonvencio.h"
#include "Seged.h"
#include "StoreHiba.h"
#include "Tabla.h"

#include <QApplication>
#include <QCloseEvent>
#include <QElapsedTimer>
#include <QFile>
#include <QFileDialog>
#include <QFontDatabase>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

QGroupBox *radioCsoport(QWidget *szulo, const QString &cim, const QRect &hely, const QStringList &elemek,
                        QList<QRadioButton *> &gombok)
{
    auto *g = new QGroupBox(cim, szulo);
    g->setGeometry(hely);
    auto *l = new QVBoxLayout(g);
    l->setContentsMargins(8, 4, 8, 4);
    l->setSpacing(2);
    for (const QString &e : elemek) {
        auto *r = new QRadioButton(e, g);
        l->addWidget(r);
        gombok << r;
    }
    gombok.first()->setChecked(true);
    return g;
}

} // namespace

Tfrm_Hatarolt::Tfrm_Hatarolt(Tabla &ds, const QString &fajlnev, QWidget *szulo)
    : Tfrm_Hatarolt(
          [&ds](const QString &fajl, const QString &elvalaszto, QChar jelolo, const ExportHaladas &haladas) {
              return HataroltIr(ds, fajl, elvalaszto, jelolo, haladas);
          },
          0, fajlnev, szulo)
{
    m_ds = &ds;
}

Tfrm_Hatarolt::Tfrm_Hatarolt(HataroltIro iro, int sorok, const QString &fajlnev, QWidget *szulo)
    : QDialog(szulo), m_iro(std::move(iro)), m_sorok(sorok)
{
    setWindowTitle("Határolt szöveg export");
    setFont(AblakBetu());
    setFixedSize(355, 207);

    QList<QRadioButton *> e, j;
    radioCsoport(this, "Határoló karakter", {8, 8, 165, 81}, {"Pontosvessző (;)", "Tabulátor", "Vessző (,)"}, e);
    radioCsoport(this, "Szövegjelölő", {180, 8, 165, 81}, {"Idézőjel (\")", "Aposztróf (')", "Semmi"}, j);
    rbPontosvesszo = e[0];
    rbTabulator = e[1];
    rbVesszo = e[2];
    rbIdezojel = j[0];
    rbAposztrof = j[1];
    rbSemmi = j[2];

    auto *lbl = new QLabel("Filenév", this);
    lbl->move(8, 100);
    edFajl = new QLineEdit(fajlnev, this);
    edFajl->setGeometry(8, 116, 313, 21);
    lbl->setBuddy(edFajl);
    btnTallozas = new QToolButton(this);
    btnTallozas->setGeometry(320, 116, 23, 22);
    btnTallozas->setIcon(AkcioIkon("aMent"));
    btnTallozas->setToolTip("Tallózás");

    btnMegallit = new QPushButton("Megállít", this);
    btnMegallit->setGeometry(12, 156, 75, 25);
    btnMegallit->setEnabled(false);
    btnExport = new QPushButton("Export indítás", this);
    btnExport->setGeometry(184, 156, 75, 25);
    btnExport->setDefault(true);
    btnBezar = new QPushButton("Bezár", this);
    btnBezar->setGeometry(268, 156, 75, 25);
    for (QPushButton *b : {btnMegallit, btnBezar})
        b->setAutoDefault(false);

    pbHaladas = new QProgressBar(this);
    pbHaladas->setGeometry(0, 207 - 17, 355, 17);
    pbHaladas->setValue(0);
    pbHaladas->setTextVisible(false);

    auto *konv = new MezoKonvencio(this, false);
    konv->szinez(edFajl);

    connect(btnExport, &QPushButton::clicked, this, &Tfrm_Hatarolt::btnExportClick);
    connect(btnMegallit, &QPushButton::clicked, this, &Tfrm_Hatarolt::btnMegallitClick);
    connect(btnBezar, &QPushButton::clicked, this, &Tfrm_Hatarolt::reject);
    connect(btnTallozas, &QToolButton::clicked, this, &Tfrm_Hatarolt::btnTallozasClick);

    kepernyoKozepre(this);
}

void Tfrm_Hatarolt::btnTallozasClick()
{
    QFileDialog d(this, "Mentés másként");
    d.setAcceptMode(QFileDialog::AcceptSave);
    d.setNameFilters({"CSV állományok (*.csv)", "Text állományok (*.txt)", "Minden állomány (*.*)"});
    d.setDefaultSuffix("csv");
    d.selectFile(edFajl->text());
    if (d.exec() == QDialog::Accepted && !d.selectedFiles().isEmpty())
        edFajl->setText(d.selectedFiles().first());
}

void Tfrm_Hatarolt::btnExportClick()
{
    if (m_fut)
        return;   // one export at a time
    const QString fajl = edFajl->text();
    if (fajl.trimmed().isEmpty()) {
        HibaUzenet("Nincs filenév megadva.", this);
        edFajl->setFocus();
        return;
    }
    const QString elvalaszto = rbTabulator->isChecked() ? "\t" : rbVesszo->isChecked() ? "," : ";";
    const QChar jelolo = rbAposztrof->isChecked() ? QChar('\'') : rbSemmi->isChecked() ? QChar() : QChar('"');
    btnMegallit->setEnabled(true);
    m_fut = true;
    try {
        pbHaladas->setValue(0);
        pbHaladas->setMaximum(std::max(1, m_ds ? (m_ds->nyitva() ? m_ds->rekordSzam() : 0) : m_sorok));
        QElapsedTimer ora;
        ora.start();
        const Adatbazis::Elfoglalt elfoglalt;   // the pass steps on the connection while events run
        m_iro(fajl, elvalaszto, jelolo, [this, &ora](int kesz, int) {
            // a look at the window's events now and then is enough for "Megállít" to act
            // between two rows, and keeps the writing quick
            if (ora.elapsed() >= 15) {
                QApplication::processEvents();
                ora.restart();
            }
            if (!m_fut)
                return false;
            pbHaladas->setValue(kesz + 1);
            return true;
        });
        pbHaladas->setValue(0);
        Uzenet(fajl + " file export kész.", this);
    } catch (const StoreHiba &h) {
        HibaUzenet("Hiba: " + h.uzenet(), this);
    } catch (const std::exception &h) {
        HibaUzenet(QString("Hiba: ") + QString::fromLocal8Bit(h.what()), this);
    }
    m_fut = false;
    btnMegallit->setEnabled(false);
    if (m_bezarKell)
        QDialog::reject();
}

void Tfrm_Hatarolt::btnMegallitClick() { m_fut = false; }

void Tfrm_Hatarolt::reject()
{
    if (m_fut) {
        // "Bezár" or Esc during an export: stop it, write what was gathered, then close
        m_bezarKell = true;
        m_fut = false;
        return;
    }
    QDialog::reject();
}

void Tfrm_Hatarolt::closeEvent(QCloseEvent *e)
{
    if (m_fut) {
        m_bezarKell = true;
        m_fut = false;
        e->ignore();
        return;
    }
    QDialog::closeEvent(e);
}

void HataroltExport(Tabla &ds, const QString &alapFajlnev, QWidget *szulo)
{
    Tfrm_Hatarolt d(ds, alapFajlnev, szulo);
    d.exec();
}

void HataroltExport(const HataroltIro &iro, int sorok, const QString &alapFajlnev, QWidget *szulo)
{
    Tfrm_Hatarolt d(iro, sorok, alapFajlnev, szulo);
    d.exec();
}

void CsvMentes(Lekerdezes &q, const QString &fajl, const QString &elvalaszto)
{
    QString nev = fajl;
    if (nev.isEmpty()) {
        QFileDialog d(QApplication::activeWindow(), "Karakter határolt szöveg mentése");
        d.setAcceptMode(QFileDialog::AcceptSave);
        d.setNameFilter("CSV file-ok (*.csv)");
        d.setDefaultSuffix("csv");
        d.selectFile("Qry.csv");
        if (d.exec() != QDialog::Accepted || d.selectedFiles().isEmpty())
            return;
        nev = d.selectedFiles().first();
    }
    QString hiba;
    if (!CsvIr(q, nev, elvalaszto, &hiba))
        HibaUzenet("File megnyitási hiba\r\n" + hiba, QApplication::activeWindow());
}
