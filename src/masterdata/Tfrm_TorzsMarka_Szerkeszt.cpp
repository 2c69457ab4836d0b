#include "Tfrm_TorzsMarka_Szerkeszt.h"
#include "MarkaKepValaszto.h"
#include "Tabla.h"

#include <QPushButton>

namespace {
SzerkesztoLeiras leiras()
{
    return {"Márka szerkesztés", {304, 122}, {{"marka_nev", "márka", 12, 28, 277}}, {120, 72}, {204, 72}, true};
}
} // namespace

Tfrm_TorzsMarka_Szerkeszt::Tfrm_TorzsMarka_Szerkeszt(Tabla *tabla, int kep, QWidget *szulo)
    : Tfrm_TorzsSzerkeszt(tabla, leiras(), szulo)
{
    cbKep = new MarkaKepValaszto(this);
    cbKep->setObjectName("cbKep");
    const QSize h = cbKep->sizeHint();
    cbKep->setGeometry(12, 60, 85, h.height());
    // a position outside the list shows no entry, and is stored so
    cbKep->setCurrentIndex(kep >= 0 && kep < cbKep->count() ? kep : -1);
    setTabOrder(btnMegse, cbKep);
    konvenciok({cbKep});
}

void Tfrm_TorzsMarka_Szerkeszt::postElott() { Tbl->setErtek("kep", cbKep->currentIndex()); }
