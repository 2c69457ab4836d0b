#include "Nyomtatas.h"

#include "Nyomtatvanyok.h"
#include "ReklamacioNyomtatas.h"
#include "Seged.h"
#include "StoreHiba.h"
#include "Tfrm_Elonezet.h"

#include <QEventLoop>
#include <QPrinter>
#include <QPrinterInfo>

namespace {

// Straight to the default printer: one copy, portrait, no dialog; no printer, no output.
void nyomtatora(NyomtatasiMunka &m, QWidget *szulo)
{
    if (!VanNyomtato())
        return;
    QPrinter p(QPrinterInfo::defaultPrinter(), QPrinter::HighResolution);
    p.setPageOrientation(QPageLayout::Portrait);
    p.setCopyCount(1);
    LapokNyomtat(p, m.lapoz(), szulo);
}

// Shows the preview and keeps the application's events flowing until it closes.
void elonezet(NyomtatasiMunka &m, QWidget *szulo)
{
    Tfrm_Elonezet w(m, szulo);
    QEventLoop hurok;
    QObject::connect(&w, &Tfrm_Elonezet::bezarva, &hurok, &QEventLoop::quit);
    w.showMaximized();
    w.keszit();
    if (w.isVisible())
        hurok.exec();
}

template<typename Nyito>
void futtat(Nyito nyit, bool nyomtat, QWidget *szulo)
{
    try {
        // opening reads every dataset and text file, so a failure stops before any page
        std::unique_ptr<NyomtatasiMunka> m = nyit();
        if (nyomtat)
            nyomtatora(*m, szulo);
        else
            elonezet(*m, szulo);
    } catch (const StoreHiba &h) {
        FelsoHiba(h.uzenet(), szulo);
    }
}

void level(NyomtatvanyFajta f, int doksi, bool nyomtat, QWidget *szulo)
{
    futtat([&] { return NyomtatasiMunka::nyit(f, doksi); }, nyomtat, szulo);
}

} // namespace

void JotallasNyomtat(int doksi, bool nyomtat, QWidget *szulo) { level(NyomtatvanyFajta::Jotallas, doksi, nyomtat, szulo); }
void SzerelesNyomtat(int doksi, bool nyomtat, QWidget *szulo) { level(NyomtatvanyFajta::Szereles, doksi, nyomtat, szulo); }
void JavitasNyomtat(int doksi, bool nyomtat, QWidget *szulo) { level(NyomtatvanyFajta::Javitas, doksi, nyomtat, szulo); }
void SzereloNyomtat(int doksi, bool nyomtat, QWidget *szulo) { level(NyomtatvanyFajta::Szerelo, doksi, nyomtat, szulo); }
void MegjegyzesNyomtat(int doksi, bool nyomtat, QWidget *szulo) { level(NyomtatvanyFajta::Megjegyzes, doksi, nyomtat, szulo); }

void ListaNyomtat(Tabla &tbl, bool nyomtat, QWidget *szulo)
{
    futtat([&] { return NyomtatasiMunka::lista(tbl); }, nyomtat, szulo);
}

void ReklamacioLapNyomtat(int reklamacio, bool nyomtat, QWidget *szulo)
{
    futtat([&] { return ReklamacioNyomtatas::lap(reklamacio); }, nyomtat, szulo);
}

void ReklamacioListaNyomtat(const QDate &tol, const QDate &ig, const QString &beszallito, bool nyomtat, QWidget *szulo)
{
    futtat([&] { return ReklamacioNyomtatas::lista(tol, ig, beszallito); }, nyomtat, szulo);
}

void LejaroListaNyomtat(const QList<QHash<QString, QVariant>> &sorok, const QString &idoszak, bool nyomtat, QWidget *szulo)
{
    futtat([&] { return GaranciaNyomtatas::lejaro(sorok, idoszak); }, nyomtat, szulo);
}
