#include "VisszaallitasAblak.h"
#include "Adatbazis.h"
#include "ArchivEllenor.h"
#include "ArchivLeiras.h"
#include "ArchivVisszaallito.h"
#include "BemenetZar.h"
#include "Beall.h"
#include "Elfoglalt.h"
#include "RegiszterZar.h"
#include "Seged.h"

#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QHash>
#include <QHeaderView>
#include <QLabel>
#include <QProgressDialog>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include <zip.h>

namespace {

bool vanBejegyzes(const QString &zip, const char *nev)
{
    int hiba = 0;
    zip_t *z = zip_open(QFile::encodeName(zip).constData(), ZIP_RDONLY, &hiba);
    if (!z)
        return false;
    const bool van = zip_name_locate(z, nev, 0) >= 0;
    zip_discard(z);
    return van;
}

// The question: the archive's rows beside the register's, and the period list when it has one.
bool megerosit(QWidget *szulo, const QString &zip, const ArchivVizsgalat &v, bool &dorvido)
{
    QDialog d(szulo);
    d.setObjectName("dlgVisszaallitas");
    d.setWindowTitle("Adatbázis visszaállítása");
    auto *l = new QVBoxLayout(&d);
    const QList<QPair<QString, qint64>> most = JelenlegiSorok(Beall.AdatbazisUtvonal);
    l->addWidget(new QLabel(QString("Archívum: %1\nKészült: %2\n\nA mostani adatbázis helyére az archívumé kerül. "
                                    "A mostani állapot előbb az archív mappába kerül (elotte-...zip).")
                                .arg(QDir::toNativeSeparators(zip),
                                     v.datum.isValid() ? v.datum.toString("yyyy.MM.dd HH:mm") : QString("nem ismert")),
                            &d));
    auto *t = new QTableWidget(&d);
    t->setObjectName("tblSorok");
    t->setColumnCount(3);
    t->setHorizontalHeaderLabels({"Tábla", "Archívum", "Most"});
    QHash<QString, qint64> mostSorok;
    for (const auto &[n, db] : most)
        mostSorok.insert(n, db);
    QStringList nevek;
    for (const auto &[n, db] : v.tablak)
        // the register's own tables; the search index and the program's bookkeeping follow them
        if (QStringList{"alkatresz", "beallit", "doksi", "doksi_megj", "felhasznalo", "marka", "megj", "reklamacio",
                        "tulajdonos", "ugyfel"}.contains(n))
            nevek << n;
    t->setRowCount(int(nevek.size()) + 1);
    int sor = 0;
    auto cella = [&](int oszlop, const QString &s) {
        auto *c = new QTableWidgetItem(s);
        c->setFlags(Qt::ItemIsEnabled);
        if (oszlop > 0)
            c->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        t->setItem(sor, oszlop, c);
    };
    qint64 levelek = 0;
    for (const auto &[k, db] : v.levelek)
        levelek += db;
    cella(0, "levelek (doksi)");
    cella(1, QString::number(levelek));
    cella(2, mostSorok.contains("doksi") ? QString::number(mostSorok.value("doksi")) : QString("-"));
    for (const auto &[n, db] : v.tablak) {
        if (!nevek.contains(n) || n == "doksi")
            continue;
        ++sor;
        cella(0, n);
        cella(1, QString::number(db));
        cella(2, mostSorok.contains(n) ? QString::number(mostSorok.value(n)) : QString("-"));
    }
    t->setRowCount(sor + 1);
    t->verticalHeader()->hide();
    t->verticalHeader()->setDefaultSectionSize(t->fontMetrics().height() + 6);
    t->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    t->setMinimumSize(360, 240);
    l->addWidget(t);
    QCheckBox *cb = nullptr;
    if (vanBejegyzes(zip, (QString(ARCHIV_SAJAT_MAPPA) + "dorvido.ini").toUtf8().constData())) {
        cb = new QCheckBox("A garanciaidők listáját (dorvido.ini) is visszaállítja a program mappájába", &d);
        cb->setObjectName("cbDorvido");
        l->addWidget(cb);
    }
    auto *gombok = new QDialogButtonBox(&d);
    QPushButton *igen = gombok->addButton("Visszaállítás", QDialogButtonBox::AcceptRole);
    igen->setObjectName("btnVisszaallit");
    QPushButton *nem = gombok->addButton("Mégsem", QDialogButtonBox::RejectRole);
    nem->setDefault(true);
    QObject::connect(gombok, &QDialogButtonBox::accepted, &d, &QDialog::accept);
    QObject::connect(gombok, &QDialogButtonBox::rejected, &d, &QDialog::reject);
    l->addWidget(gombok);
    if (d.exec() != QDialog::Accepted)
        return false;
    dorvido = cb && cb->isChecked();
    return true;
}

} // namespace

bool ArchivVisszaallitasAblak(QWidget *szulo, const std::function<void()> &bezar, const std::function<void()> &ujraNyit)
{
    QFileDialog od(szulo, "Adatbázis visszaállítása", Beall.MentesUtvonal, "ZIP archívumok (*.zip)");
    od.setObjectName("odVisszaallit");
    od.setAcceptMode(QFileDialog::AcceptOpen);
    od.setFileMode(QFileDialog::ExistingFile);
    if (od.exec() != QDialog::Accepted || od.selectedFiles().isEmpty())
        return false;
    const QString zip = od.selectedFiles().constFirst();
    const QString kapcsolat = Adatbazis::nyitva() ? Adatbazis::kapcsolat() : QString();
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const ArchivVizsgalat v = ArchivEllenoriz(zip);
    QApplication::restoreOverrideCursor();
    if (const QString ok = VisszaallitasAkadaly(v, !kapcsolat.isEmpty()); !ok.isEmpty()) {
        HibaUzenet(QString("Az archívum nem állítható vissza: %1\r\n%2").arg(QDir::toNativeSeparators(zip), ok), szulo);
        return false;
    }
    if (kapcsolat.isEmpty() && RegiszterZar::masikNyitva(Beall.AdatbazisUtvonal)) {
        HibaUzenet("A nyilvántartást most egy másik program is nyitva tartja, ezért nem állítható vissza: a "
                   "visszaállítás után az a régi fájlba írna.\r\nZárja be a többi programot, és próbálja újra.",
                   szulo);
        return false;
    }
    bool dorvido = false;
    if (!megerosit(szulo, zip, v, dorvido))
        return false;

    QProgressDialog haladas("Az adatbázis visszaállítása...", QString(), 0, 1000, szulo);
    haladas.setWindowTitle("Adatbázis visszaállítása");
    haladas.setMinimumWidth(CimSzelesseg(haladas.windowTitle()));
    haladas.setWindowModality(Qt::ApplicationModal);
    haladas.setMinimumDuration(400);
    haladas.setAutoReset(false);
    haladas.setAutoClose(false);
    VisszaallitasEredmeny e;
    QString hiba;
    {
        const BemenetZar zar(&haladas);
        // the local register's own file is let go: the restore holds it alone
        if (kapcsolat.isEmpty())
            bezar();
        try {
            e = ArchivVisszaallit(zip, Beall.AdatbazisUtvonal, kapcsolat, Beall.MentesUtvonal, dorvido,
                                  [&haladas](qint64 kesz, qint64 osszes) {
                                      haladas.setValue(osszes > 0 ? int(kesz * 1000 / osszes) : 1000);
                                      QCoreApplication::processEvents();
                                      return true;
                                  });
        } catch (const StoreHiba &h) {
            hiba = h.uzenet();
        }
        haladas.close();
        ujraNyit();
    }
    if (!hiba.isEmpty()) {
        HibaUzenet("Hiba a visszaállítás közben\r\n" + hiba, szulo);
        return false;
    }
    Uzenet(QString(e.szoveg()).replace("\n", "\r\n"), szulo);
    return true;
}
