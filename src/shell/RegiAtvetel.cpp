#include "RegiAtvetel.h"
#include "ParadoxImport.h"
#include "Seged.h"
#include "StoreHiba.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProgressDialog>

bool RegiAdatbazisAtvetel(const QString &mappa, QWidget *szulo)
{
    if (!ParadoxImport::vanRegiAdatbazis(mappa))
        return true;
    const QString cim = "Adatbázis átvétele";
    if (!Kerdes(QString("Az adatbázis mappában a korábbi program adatai vannak (Paradox táblák):\r\n%1\r\n\r\n"
                        "Átvegyem őket a program új adatbázisába?\r\n"
                        "(Nem: üres adatbázissal indul a program, a régi táblák érintetlenek maradnak.)")
                    .arg(QDir::toNativeSeparators(mappa)),
                cim, szulo))
        return true;

    // The import runs here, on the window's thread: SQLite's connection belongs to it. Its
    // progress calls keep the window painted and hear Mégse, also while the indexes are
    // built; a cancel leaves the folder as it was.
    QProgressDialog folyamat("Az adatok átvétele...", "Mégsem", 0, 1000, szulo);
    folyamat.setWindowTitle(cim);
    folyamat.setWindowModality(Qt::ApplicationModal);
    folyamat.setMinimumDuration(0);
    folyamat.setAutoClose(false);
    folyamat.setAutoReset(false);
    folyamat.setValue(0);
    QElapsedTimer utolso;
    try {
        const ParadoxImport::Eredmeny e = ParadoxImport::importal(mappa, [&](const QString &tabla, qint64 kesz, qint64 osszes) {
            // a few dozen repaints a second are enough, and cost the import nothing
            if (utolso.isValid() && utolso.elapsed() < 30)
                return !folyamat.wasCanceled();
            utolso.start();
            folyamat.setLabelText(tabla.isEmpty() ? QString("Az adatok átvétele: az indexek felépítése (%1 sor)").arg(osszes)
                                                  : QString("Az adatok átvétele: %1 (%2 / %3 sor)").arg(tabla).arg(kesz).arg(osszes));
            folyamat.setValue(osszes > 0 ? int(kesz * 1000 / osszes) : 1000);
            QCoreApplication::processEvents();
            return !folyamat.wasCanceled();
        });
        folyamat.close();
        Uzenet(QString("Az adatok átvétele befejeződött, %1 sor került át.\r\n\r\n%2")
                   .arg(e.osszesSor())
                   .arg(e.sorok().join("\r\n")),
               szulo);
        return true;
    } catch (const ParadoxImport::Megszakitva &) {
        folyamat.close();   // the user asked for it: nothing to report
    } catch (const StoreHiba &h) {
        folyamat.close();
        HibaUzenet("Az adatok átvétele nem sikerült, a mappa változatlan maradt.\r\n" + h.uzenet(), szulo);
    }
    return Kerdes("Induljon a program üres adatbázissal ebben a mappában?\r\n"
                  "(Nem: a program kilép, a régi táblák átvétele később újra kérhető.)",
                  cim, szulo);
}
