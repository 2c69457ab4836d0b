#pragma once

#include "Seged.h"
#include "StoreHiba.h"
#include "Tabla.h"

#include <QDialog>

// The one-row tables (beallit, tulajdonos) are edited through their first row; a table
// without a row gets it now. The window works on the row in edit state and posts it
// itself; anything else leaves the row as it was.
template <class Ablak>
void EgySorSzerkeszt(const QString &tabla, QWidget *szulo)
{
    Tabla tbl(tabla);
    try {
        tbl.megnyit();
        if (tbl.ures())
            tbl.beszur();
        else
            tbl.szerkeszt();
        Ablak f(&tbl, szulo);
        if (f.exec() != QDialog::Accepted && tbl.szerkesztes())
            tbl.megse();
    } catch (const StoreHiba &h) {
        if (tbl.szerkesztes())
            tbl.megse();
        FelsoHiba(h.uzenet(), szulo);
    }
    tbl.bezar();
}
