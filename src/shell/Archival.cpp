#include "Archival.h"
#include "Adatbazis.h"
#include "ArchivIro.h"
#include "ArchivMegorzes.h"
#include "Beall.h"
#include "BemenetZar.h"
#include "Elfoglalt.h"
#include "Seged.h"

#include <QCoreApplication>
#include <QFileDialog>
#include <QProgressDialog>

bool Archival(QWidget *szulo)
{
    const QString mentes = Beall.MentesUtvonal;
    try {
        ArchivMappaLetrehoz(mentes);
    } catch (const StoreHiba &h) {
        FelsoHiba(h.uzenet(), szulo);
        return false;
    }

    QFileDialog sd1(szulo, "Adatbázis mentése", mentes, "ZIP archívumok (*.zip)");
    sd1.setObjectName("sd1");
    sd1.setAcceptMode(QFileDialog::AcceptSave);
    sd1.setFileMode(QFileDialog::AnyFile);
    sd1.setDefaultSuffix("zip");
    sd1.setOption(QFileDialog::DontConfirmOverwrite);
    sd1.selectFile(ArchivNev());
    if (sd1.exec() != QDialog::Accepted || sd1.selectedFiles().isEmpty())
        return false;
    const QString cel = sd1.selectedFiles().constFirst();

    QProgressDialog haladas("Az adatbázis archiválása...", "Mégsem", 0, 1000, szulo);
    haladas.setWindowTitle("Adatbázis archiválása");
    haladas.setMinimumWidth(CimSzelesseg(haladas.windowTitle()));
    haladas.setWindowModality(Qt::ApplicationModal);
    haladas.setMinimumDuration(400);
    haladas.setAutoReset(false);
    haladas.setAutoClose(false);
    ArchivOsszegzes o;
    try {
        // the progress window blocks input only once it shows; until then nothing in the
        // other windows may start a command (a delete, a second archive, closing)
        const BemenetZar zar(&haladas);
        const Adatbazis::Elfoglalt elfoglalt;
        // the register open now: on a server its dump goes into the archive
        o = ArchivIr(Beall.AdatbazisUtvonal, cel, [&haladas](qint64 kesz, qint64 osszes) {
            haladas.setValue(osszes > 0 ? int(kesz * 1000 / osszes) : 1000);
            QCoreApplication::processEvents();
            return !haladas.wasCanceled();
        }, Adatbazis::nyitva() ? Adatbazis::kapcsolat() : QString());
    } catch (const ArchivMegszakitva &) {
        haladas.close();
        Uzenet("Az archiválás megszakítva, az archív állomány nem készült el.", szulo);
        return false;
    } catch (const StoreHiba &h) {
        haladas.close();
        HibaUzenet("Hiba az archiválás közben\r\n" + h.uzenet(), szulo);
        return false;
    }
    Beall.MentesDatum = QDate::currentDate();
    // the archive stands; the copy and the clean-up after it never undo it
    haladas.setLabelText("Másolat a második mentési mappába...");
    haladas.setCancelButton(nullptr);
    QCoreApplication::processEvents();
    const ArchivMegorzesEredmeny m = ArchivMegoriz(cel, Beall.MentesUtvonal, Beall.ArchivMegtart,
                                                   Beall.MasodikMentesUtvonal);
    haladas.close();
    QStringList uzenet{"Archív állomány kész."};
    for (const QString &s : {ArchivFigyelmeztetes(o), m.szoveg()})
        if (!s.isEmpty())
            uzenet << s;
    if (m.masolatHiba.isEmpty())
        Uzenet(uzenet.join("\r\n"), szulo);
    else
        HibaUzenet(uzenet.join("\r\n"), szulo);
    return true;
}

bool ArchivalZaraskor(QWidget *szulo, const QDate &ma)
{
    if (!ArchivKerdesKell(ma))
        return false;
    if (!Kerdes("Az adatbázis több mint 5 napja nem lett archiválva. Archiváljam most?", "Kérdés", szulo))
        return false;
    return Archival(szulo);
}
