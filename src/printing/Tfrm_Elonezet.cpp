#include "Tfrm_Elonezet.h"

#include "EmailKuldes.h"
#include "NyomtatasPdf.h"
#include "Seged.h"
#include "StoreHiba.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QFileDialog>
#include <QLabel>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinterInfo>
#include <QProgressDialog>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QStatusBar>
#include <QToolBar>

bool VanNyomtato() { return !QPrinterInfo::availablePrinterNames().isEmpty(); }

bool LapokNyomtat(QPrinter &nyomtato, const Oldalak &o, QWidget *szulo)
{
    if (o.lapok.isEmpty())
        return true;
    int tol = 1, ig = int(o.lapok.size());
    if (nyomtato.printRange() == QPrinter::PageRange && nyomtato.fromPage() > 0) {
        tol = std::max(1, nyomtato.fromPage());
        ig = std::min(ig, std::max(tol, nyomtato.toPage()));
    }
    // the printer driver makes the copies when it can, otherwise the pages are repeated
    const int peldany = nyomtato.supportsMultipleCopies() ? 1 : std::max(1, nyomtato.copyCount());
    const int osszes = (ig - tol + 1) * peldany;

    QProgressDialog hal("Nyomtatás...", "Mégsem", 0, osszes, szulo);
    hal.setWindowTitle(o.cim);
    hal.setWindowFlag(Qt::WindowStaysOnTopHint);
    hal.setWindowModality(Qt::ApplicationModal);
    hal.setMinimumDuration(0);
    hal.setValue(0);

    nyomtato.setFullPage(true);
    nyomtato.setDocName(o.cim);
    QPainter p;
    if (!p.begin(&nyomtato))
        return false;
    const QRectF papir = nyomtato.paperRect(QPrinter::DevicePixel);
    const QRectF cel(0, 0, papir.width(), papir.height());
    int kesz = 0;
    bool elso = true;
    for (int pld = 0; pld < peldany; ++pld)
        for (int i = tol - 1; i < ig; ++i) {
            if (hal.wasCanceled()) {
                nyomtato.abort();
                p.end();
                return false;
            }
            if (!elso)
                nyomtato.newPage();
            elso = false;
            LapRajzol(p, o, i, cel);
            hal.setValue(++kesz);
            QCoreApplication::processEvents();
        }
    p.end();
    return true;
}

Tfrm_Elonezet::Tfrm_Elonezet(NyomtatasiMunka &munka, QWidget *szulo)
    : QMainWindow(szulo, Qt::Window), m_munka(munka), m_nyomtato(QPrinter::HighResolution)
{
    setWindowTitle(munka.elrendezes().cim);
    setAttribute(Qt::WA_DeleteOnClose, false);
    m_nyomtato.setPageOrientation(QPageLayout::Portrait);
    m_nyomtato.setCopyCount(1);

    m_terulet = new QScrollArea(this);
    m_terulet->setAlignment(Qt::AlignCenter);
    m_terulet->setBackgroundRole(QPalette::Dark);
    m_kep = new QLabel;
    m_kep->setAlignment(Qt::AlignCenter);
    m_terulet->setWidget(m_kep);
    m_terulet->setWidgetResizable(false);
    setCentralWidget(m_terulet);

    auto akcio = [this](const QString &szoveg, QList<QKeySequence> billentyuk, auto fv) {
        QAction *a = new QAction(szoveg, this);
        a->setToolTip(szoveg);
        a->setShortcuts(billentyuk);
        a->setShortcutContext(Qt::WindowShortcut);
        connect(a, &QAction::triggered, this, fv);
        addAction(a);
        return a;
    };
    aEgeszLap = akcio("Egész oldal", {}, [this] { setIllesztes(Illesztes::EgeszLap); });
    aSzaz = akcio("100 %", {}, [this] { setIllesztes(Illesztes::Szazszazalek); });
    aSzelesseg = akcio("Oldalszélesség", {}, [this] { setIllesztes(Illesztes::LapSzelesseg); });
    aElso = akcio("Első oldal", {QKeySequence(Qt::Key_Home), QKeySequence(Qt::CTRL | Qt::Key_PageUp)},
                  [this] { ugrik(0); });
    aElozo = akcio("Előző oldal", {QKeySequence(Qt::Key_PageUp)}, [this] { ugrik(m_lap - 1); });
    aKovetkezo = akcio("Következő oldal", {QKeySequence(Qt::Key_PageDown)}, [this] { ugrik(m_lap + 1); });
    aUtolso = akcio("Utolsó oldal", {QKeySequence(Qt::Key_End), QKeySequence(Qt::CTRL | Qt::Key_PageDown)},
                    [this] { ugrik(lapSzam() - 1); });
    aBeallit = akcio("Nyomtató beállítása...", {}, [this] { beallitas(); });
    aNyomtat = akcio("Nyomtatás", {QKeySequence(Qt::CTRL | Qt::Key_P)}, [this] { nyomtatas(); });
    aPdf = akcio("Mentés PDF-be...", {QKeySequence(Qt::CTRL | Qt::Key_S)}, [this] { pdfKerdez(); });
    aEmail = akcio("Küldés e-mailben", {}, [this] { EmailKuld(m_munka, m_oldalak, this); });
    aBezar = akcio("Bezár", {QKeySequence(Qt::Key_Escape)}, [this] { close(); });
    for (QAction *a : {aSzaz, aEgeszLap, aSzelesseg})
        a->setCheckable(true);

    QToolBar *tb = addToolBar("Előnézet");
    tb->setMovable(false);
    tb->addActions({aEgeszLap, aSzaz, aSzelesseg});
    tb->addSeparator();
    tb->addActions({aElso, aElozo, aKovetkezo, aUtolso});
    tb->addSeparator();
    tb->addActions({aBeallit, aNyomtat, aPdf, aEmail});
    tb->addSeparator();
    tb->addAction(aBezar);

    m_haladas = new QLabel;
    m_pozicio = new QLabel;
    m_haladas->setMinimumWidth(80);
    statusBar()->addWidget(m_haladas);
    statusBar()->addWidget(m_pozicio, 1);
    for (QAction *a : {aBeallit, aNyomtat, aPdf, aEmail})
        a->setEnabled(false);
    allapotFrissit();
}

Tfrm_Elonezet::~Tfrm_Elonezet() = default;

void Tfrm_Elonezet::keszit()
{
    int utolso = 0;
    m_oldalak = m_munka.lapoz([this, &utolso](int sz) {
        if (sz - utolso >= 5 && sz < 100) {
            utolso = sz;
            m_haladas->setText(QString("%1%").arg(sz));
            QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        }
        return true;
    });
    m_haladas->clear();
    m_kesz = true;
    for (QAction *a : {aBeallit, aNyomtat, aPdf, aEmail})
        a->setEnabled(true);
    m_lap = 0;
    setIllesztes(m_illesztes);
}

void Tfrm_Elonezet::ugrik(int lap)
{
    lap = std::clamp(lap, 0, std::max(0, lapSzam() - 1));
    if (lap == m_lap && !m_kep->pixmap().isNull())
        return;
    m_lap = lap;
    megjelenit();
    m_terulet->verticalScrollBar()->setValue(0);
}

void Tfrm_Elonezet::setIllesztes(Illesztes i)
{
    m_illesztes = i;
    aSzaz->setChecked(i == Illesztes::Szazszazalek);
    aEgeszLap->setChecked(i == Illesztes::EgeszLap);
    aSzelesseg->setChecked(i == Illesztes::LapSzelesseg);
    const double dpi = logicalDpiX();
    const QSizeF valos(m_oldalak.papirSzeles / 25.4 * dpi, m_oldalak.papirMagas / 25.4 * logicalDpiY());
    const QSize hely = m_terulet->viewport()->size();
    switch (i) {
    case Illesztes::Szazszazalek:
        m_nagyitas = 1.0;
        break;
    case Illesztes::EgeszLap:
        m_nagyitas = 0.95 * std::min(hely.width() / valos.width(), hely.height() / valos.height());
        break;
    case Illesztes::LapSzelesseg:
        m_nagyitas = 0.90 * hely.width() / valos.width();
        break;
    }
    m_nagyitas = std::max(m_nagyitas, 0.05);
    megjelenit();
}

QImage Tfrm_Elonezet::lapKep() const
{
    const QSize meret(qRound(m_oldalak.papirSzeles / 25.4 * logicalDpiX() * m_nagyitas),
                      qRound(m_oldalak.papirMagas / 25.4 * logicalDpiY() * m_nagyitas));
    QImage kep(meret, QImage::Format_RGB32);
    kep.fill(Qt::white);
    QPainter p(&kep);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    LapRajzol(p, m_oldalak, m_lap, QRectF(QPointF(0, 0), QSizeF(meret)));
    return kep;
}

void Tfrm_Elonezet::megjelenit()
{
    if (lapSzam() > 0) {
        m_kep->setPixmap(QPixmap::fromImage(lapKep()));
        m_kep->resize(m_kep->pixmap().size());
    }
    allapotFrissit();
}

QString Tfrm_Elonezet::allapotSzoveg() const
{
    return lapSzam() ? QString("%1. oldal / %2").arg(m_lap + 1).arg(lapSzam()) : QString();
}

void Tfrm_Elonezet::allapotFrissit()
{
    m_pozicio->setText(allapotSzoveg());
    aElso->setEnabled(m_lap > 0);
    aElozo->setEnabled(m_lap > 0);
    aKovetkezo->setEnabled(m_lap + 1 < lapSzam());
    aUtolso->setEnabled(m_lap + 1 < lapSzam());
}

void Tfrm_Elonezet::resizeEvent(QResizeEvent *e)
{
    QMainWindow::resizeEvent(e);
    if (m_kesz && m_illesztes != Illesztes::Szazszazalek)
        setIllesztes(m_illesztes);
}

void Tfrm_Elonezet::closeEvent(QCloseEvent *e)
{
    QMainWindow::closeEvent(e);
    emit bezarva();
}

void Tfrm_Elonezet::beallitas()
{
    QPrintDialog d(&m_nyomtato, this);
    d.setWindowTitle("Nyomtató beállítása");
    d.setMinMax(1, std::max(1, lapSzam()));
    d.setOption(QAbstractPrintDialog::PrintPageRange, true);
    d.setOption(QAbstractPrintDialog::PrintToFile, true);
    d.exec();   // the printer object keeps the choices for this preview
}

void Tfrm_Elonezet::nyomtatas()
{
    // without a printer the key must not be lost in silence: the PDF is the way out
    // (Qt turns a printer object into a nameless PDF writer when the system has no printer;
    // printing to a file chosen in the printer set-up still works)
    if (!VanNyomtato() && m_nyomtato.outputFileName().isEmpty()) {
        if (Kerdes("Nincs telepített nyomtató, a nyomtatvány nem nyomtatható ki.\r\n\r\n"
                   "Menti PDF fájlba?", "Nyomtatás", "Mentés PDF-be", "Mégsem", this))
            pdfKerdez();
        return;
    }
    // made again from the open datasets, so the date and time are those of printing
    const Oldalak o = m_munka.lapoz();
    LapokNyomtat(m_nyomtato, o, this);
}

void Tfrm_Elonezet::pdfMentes(const QString &fajl)
{
    OldalakPdf(m_oldalak, fajl);
}

void Tfrm_Elonezet::pdfKerdez()
{
    const QString nev = m_munka.pdfNev();
    const QString fajl = QFileDialog::getSaveFileName(this, "Mentés PDF-be", nev, "PDF fájl (*.pdf)");
    if (fajl.isEmpty())
        return;
    try {
        pdfMentes(fajl.endsWith(".pdf", Qt::CaseInsensitive) ? fajl : fajl + ".pdf");
    } catch (const StoreHiba &h) {
        HibaUzenet(h.uzenet(), this);
    }
}
