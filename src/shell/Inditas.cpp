#include "Inditas.h"
#include "Adatbazis.h"
#include "Alkalmazas.h"
#include "Ikonok.h"
#include "Seged.h"
#include "StoreHiba.h"
#include "Tfrm_Main.h"

DorvAlkalmazas::DorvAlkalmazas(int &argc, char **argv, bool ablakos) : QApplication(argc, argv)
{
    setApplicationName("DorvPrg");
    setOrganizationName("Pelikor");
    AlkalmazasKonvenciok(*this, ablakos);   // before the first window: font, style, Qt's texts in Hungarian
}

bool DorvAlkalmazas::notify(QObject *cel, QEvent *e)
{
    try {
        return QApplication::notify(cel, e);
    } catch (const StoreHiba &h) {
        FelsoHiba(h.uzenet());
    } catch (const std::exception &h) {
        FelsoHiba(QString::fromLocal8Bit(h.what()));
    }
    return false;
}

int Inditas()
{
    // arguments that named no window-less form: the windows still get the program's icon
    if (QApplication::windowIcon().isNull())
        QApplication::setWindowIcon(ProgramIkon());
    ProgramMappa();
    Tfrm_Main foablak;
    if (!foablak.inditas()) {
        Adatbazis::bezar();
        return 1;
    }
    foablak.show();
    const int kod = QApplication::exec();
    Adatbazis::bezar();
    return kod;
}
