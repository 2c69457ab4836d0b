#include "NyomtatasPdf.h"

#include "BiztosFajl.h"
#include "RegiszterFajl.h"
#include "StoreHiba.h"
#include "Tabla.h"

#include <QFileInfo>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>

namespace {
constexpr int FELBONTAS = 1200;   // dpi of the PDF's device space
}

void OldalakPdf(const Oldalak &o, const QString &fajl)
{
    RegiszterFajlVed(fajl);
    BiztosFajl f(fajl);
    f.megnyit();
    {
        QPdfWriter w(&f);
        w.setResolution(FELBONTAS);
        w.setPageLayout(QPageLayout(QPageSize(QSizeF(o.papirSzeles, o.papirMagas), QPageSize::Millimeter),
                                    QPageLayout::Portrait, QMarginsF()));
        w.setTitle(o.cim);
        w.setCreator("DorvPrg");
        QPainter p;
        if (!p.begin(&w))
            throw StoreHiba(QString("A PDF fájl nem írható: %1").arg(fajl));
        const QRectF cel(0, 0, o.papirSzeles / 25.4 * FELBONTAS, o.papirMagas / 25.4 * FELBONTAS);
        for (int i = 0; i < o.lapok.size(); ++i) {
            if (i > 0)
                w.newPage();
            LapRajzol(p, o, i, cel);
        }
        if (!p.end())
            throw StoreHiba(QString("A PDF fájl nem írható: %1").arg(fajl));
    }
    // QPdfWriter does not look at write()'s result; the file remembers a failed write
    f.veglegesit();
}

int NyomtatvanyPdf(NyomtatvanyFajta f, int doksi, const QString &fajl)
{
    if (f == NyomtatvanyFajta::Lista)
        return ListaPdf(QChar('J'), fajl);
    auto m = NyomtatasiMunka::nyit(f, doksi);
    const Oldalak o = m->lapoz();
    OldalakPdf(o, fajl);
    return int(o.lapok.size());
}

int ListaPdf(Tabla &tbl, const QString &fajl)
{
    auto m = NyomtatasiMunka::lista(tbl);
    const Oldalak o = m->lapoz();
    OldalakPdf(o, fajl);
    return int(o.lapok.size());
}

int ListaPdf(QChar prntip, const QString &fajl)
{
    if (prntip != 'J' && prntip != 'S')
        throw StoreHiba(QString("Ismeretlen levélfajta: %1 (J vagy S lehet)").arg(prntip));
    // the main window's cursor: the kind's letters with the three lookup names
    Tabla t("doksi");
    t.setCsakOlvas(true);
    t.setIndex("idx_doksi_id_desc");
    t.setSzuro(QString("prntip='%1'").arg(prntip));
    t.setSzurt(true);
    t.keresoMezo("marka_nev", "marka", "marka", "marka_nev", 25);
    t.keresoMezo("alkatresz_nev", "alkatresz", "alkatresz", "alkatresz_nev", 50);
    t.keresoMezo("ugyfel_nev", "ugyfel", "ugyfel", "ugyfel_nev", 50);   // cut as the window's list cuts them
    t.megnyit();
    return ListaPdf(t, fajl);
}
