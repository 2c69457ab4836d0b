#include "Tfrm_Main.h"
#include "Szerepek.h"
#include "Adatbazis.h"
#include "Admin.h"
#include "ArchivEllenorAblak.h"
#include "RegiszterZar.h"
#include "VisszaallitasAblak.h"
#include "Archival.h"
#include "Elfoglalt.h"
#include "Beall.h"
#include "AblakBetu.h"
#include "Alkalmazas.h"
#include "EmailKuldes.h"
#include "Export.h"
#include "LevelJel.h"
#include "HuSzoveg.h"
#include "Ikonok.h"
#include "Levelek.h"
#include "KurzorModell.h"
#include "Kozepre.h"
#include "Mezo.h"
#include "Naplo.h"
#include "Nyomtatas.h"
#include "RegiAtvetel.h"
#include "Seged.h"
#include "Sema.h"
#include "StoreHiba.h"
#include "SzabadLekerdezes.h"
#include "Tabla.h"
#include "Tfrm_Logo.h"
#include "Tfrm_Valtozasok.h"
#include "TorzsLista.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QStatusBar>
#include "Garancia.h"
#include "GaranciaKereso.h"
#include <QStatusTipEvent>
#include <QSignalBlocker>
#include <QTabBar>
#include <QTableView>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QToolTip>
#include <QVBoxLayout>

namespace {

// A command's store failure in the top-level error box. A lost server connection is not the
// end of the work: the store connects again on the next action, and says so.
void muveletHiba(const StoreHiba &h, QWidget *szulo)
{
    if (dynamic_cast<const KapcsolatHiba *>(&h))
        FelsoHiba(h.uzenet() + "\r\n\r\nA program a következő műveletnél újra kapcsolódik.", szulo);
    else
        FelsoHiba(h.uzenet(), szulo);
}

struct AkcioLeiras {
    const char *nev;
    const char *felirat;
    const char *kategoria;
    QKeySequence gyorsbillentyu;
    bool rendszergazda = false;   // needs the administrator right
};

// Every command of the program, in the order of the menus.
const QList<AkcioLeiras> &akcioTabla()
{
    static const QList<AkcioLeiras> t = {
        {"aUj", "Új", "Garancialevelek", QKeySequence(Qt::Key_Insert)},
        {"aSzerkeszt", "Szerkeszt", "Garancialevelek", QKeySequence(Qt::Key_F2)},
        {"aTorol", "Töröl", "Garancialevelek", QKeySequence(Qt::CTRL | Qt::Key_Delete)},
        {"aNyomtatkep", "Nyomtatási kép", "Garancialevelek", QKeySequence(Qt::CTRL | Qt::Key_K)},
        {"aNyomtat", "Nyomtat", "Garancialevelek", QKeySequence(Qt::CTRL | Qt::Key_P)},
        {"aExcel", "Excelbe...", "Garancialevelek", QKeySequence(Qt::CTRL | Qt::Key_E)},
        {"aEmail", "Küldés e-mailben", "Garancialevelek", {}},
        {"aBezar", "Bezár", "Garancialevelek", {}},
        {"aCsatolt", "Csatolt dokumentumok", "Garancialevelek", QKeySequence(Qt::CTRL | Qt::Key_D)},
        {"aMegjegyzes", "Megjegyzések", "Garancialevelek", QKeySequence(Qt::CTRL | Qt::Key_M)},
        {"aMegjegyzesUj", "Új megjegyzés", "Garancialevelek", QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_M)},
        {"aReklamacio", "Reklamációk", "Garancialevelek", QKeySequence(Qt::CTRL | Qt::Key_R)},
        {"aValtozasok", "Változások", "Garancialevelek", {}},
        {"aKeres", "Keresés", "Keresés", QKeySequence(Qt::CTRL | Qt::Key_F)},
        {"aKeresReszletes", "Részletes keresés", "Keresés", QKeySequence(Qt::CTRL | Qt::Key_T)},
        {"aGaranciaEllenorzes", "Garancia ellenőrzés", "Keresés", QKeySequence(Qt::CTRL | Qt::Key_G)},
        {"aLejaroGaranciak", "Lejáró garanciák", "Keresés", QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_G)},
        {"aTorzsMarka", "Márkák", "Törzsadatok", {}},
        {"aTorzsAlkatresz", "Alkatrészek", "Törzsadatok", {}},
        {"aTorzsUgyfel", "Ügyfelek", "Törzsadatok", {}},
        {"aNyomLista", "Egyszerű lista", "Nyomtatások", {}},
        {"aNyomJavitas", "Javításra hozott gépkocsi megrendelőlap", "Nyomtatások",
         QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_P)},
        {"aNyomSzerelo", "Szerelő munkalap", "Nyomtatások", QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_P)},
        {"aNyomReklamacio", "Reklamációk listája", "Nyomtatások", {}},
        {"aJotallas", "Jótállások (szerelés nélkül)", "Ablak", QKeySequence(Qt::ALT | Qt::Key_1)},
        {"aSzereles", "Jótállások (szereléssel)", "Ablak", QKeySequence(Qt::ALT | Qt::Key_2)},
        {"aTulajdonos", "Tulajdonos adatai", "Rendszer", {}, true},
        {"aFelhasznalo", "Felhasználók", "Rendszer", {}, true},
        {"aSQL", "Szabad lekérdezés", "Rendszer", {}, true},
        {"aOsszesValtozas", "Összes változás", "Rendszer", {}, true},
        {"aArchiv", "Adatbázis archiválása", "Rendszer", {}},
        {"aArchivEllenor", "Archívum ellenőrzése", "Rendszer", {}},
        {"aVisszaallit", "Adatbázis visszaállítása...", "Rendszer", {}, true},
        {"aBeallit", "Beállítások", "Rendszer", {}, true},
        {"aSugo", "Súgó", "Súgó", QKeySequence(Qt::Key_F1)},
        {"aFontos", "Fontos információk", "Súgó", {}},
        {"aHonlap", "Pelikor honlapja", "Súgó", {}},
        {"aLevel", "Levélküldés Pelikornak", "Súgó", {}},
        {"aUjdonsag", "Újdonságok", "Súgó", {}},
        {"aNevjegy", "Névjegy", "Súgó", {}},
    };
    return t;
}

const char *const HONLAP = "https://www.pelikor.hu";
const char *const LEVELCIM = "mailto:info@pelikor.hu?subject=DorvPrg%20-%20Garanciajegy%20nyilv%C3%A1ntart%C3%A1s";

// Column widths of the grids, as parts of the grid's width less 33 pixels.
const double ARANYOK[8] = {0.08, 0.10, 0.10, 0.10, 0.12, 0.14, 0.20, 0.15};

QString szamFormatum(const QVariant &v)
{
    if (v.isNull() || !v.isValid())
        return {};
    return QString("No:%1").arg(v.toInt(), 5, 10, QChar('0'));
}

} // namespace

Tfrm_Main::Tfrm_Main(QWidget *szulo) : QMainWindow(szulo)
{
    setObjectName("frm_Main");
    setWindowTitle("DorvPrg");
    resize(657, 528);
    setFont(AblakBetu());

    m_tbl = new Tabla("doksi", this);
    LevelListaKurzor(*m_tbl, "J");
    m_tblMegj = new Tabla("doksi_megj", this);

    QList<KurzorModell::Oszlop> oszlopok;
    for (const char *m : {"doksi_id", "datum", "dorvido", "marka_nev", "alkatresz_nev", "rendszam",
                          "ugyfel_nev", "sorozatszam"})
        oszlopok << KurzorModell::Oszlop{m, {}};
    // titles are the field labels; lookup fields take the label of the field they show
    for (KurzorModell::Oszlop &o : oszlopok) {
        const MezoLeiras *m = m_tbl->leiras().mezo(o.mezo);
        for (const char *t : {"marka", "alkatresz", "ugyfel"})
            if (!m && o.mezo == QString(t) + "_nev")
                m = Sema::tabla(t)->mezo(o.mezo);
        o.cim = m ? m->cimke : o.mezo;
    }
    oszlopok[0].formatum = szamFormatum;
    for (KurzorModell *&m : m_racsModell) {
        m = new KurzorModell(m_tbl, oszlopok, this);
        m->setSorSzin([this](int sor) { return lejartSzin(sor); });
    }
    m_racsModell[1]->setAlszik(true);
    m_ds = m_racsModell[0];

    akciokLetrehoz();
    menukEpit();
    gombsorEpit();

    auto *kozep = new QWidget(this);
    auto *l = new QVBoxLayout(kozep);
    l->setContentsMargins(0, 0, 0, 0);
    l->setSpacing(0);
    l->addWidget(gridPanel(0));
    l->addWidget(gridPanel(1));
    setCentralWidget(kozep);
    statusSorEpit();
    m_panelek[1]->hide();
    m_panelek[1]->setEnabled(false);

    akciokBekotese();

    // another program on the same database: its changes show within seconds while this one
    // is idle, and at once when the window is activated
    auto *figyelo = new QTimer(this);
    figyelo->setObjectName("ValtozasFigyelo");
    connect(figyelo, &QTimer::timeout, this, &Tfrm_Main::kulsoValtozasFigyel);
    figyelo->start(2500);
}

Tfrm_Main::~Tfrm_Main() = default;

// ---------------------------------------------------------------------------------------
// Actions

void Tfrm_Main::akciokLetrehoz()
{
    for (const AkcioLeiras &l : akcioTabla()) {
        auto *a = new QAction(AkcioIkon(l.nev), QString::fromUtf8(l.felirat), this);
        a->setObjectName(l.nev);
        a->setToolTip(a->text());
        a->setStatusTip(a->text());
        a->setProperty("kategoria", QString::fromUtf8(l.kategoria));
        a->setProperty("rendszergazda", l.rendszergazda);
        a->setShortcut(l.gyorsbillentyu);
        a->setShortcutContext(Qt::WindowShortcut);
        a->setEnabled(false);   // until its command is connected
        addAction(a);           // shortcuts work without a menu entry
        m_akciok.insert(l.nev, a);
        m_akcioSorrend << a;
    }
    m_akciok["aExcel"]->setToolTip("Excelbe");
    m_akciok["aExcel"]->setStatusTip("Excelbe");
}

void Tfrm_Main::bekot(QAction *a, std::function<void()> f)
{
    const bool jogKell = a->property("rendszergazda").toBool();
    a->setEnabled(true);
    disconnect(a, &QAction::triggered, this, nullptr);   // one command per action: a new binding replaces the old
    connect(a, &QAction::triggered, this, [this, jogKell, f] {
        if (jogKell && !JogEllenoriz(Beall.rendszergazda, this))
            return;
        try {
            f();
        } catch (const StoreHiba &h) {
            muveletHiba(h, this);
        }
    });
}

// One block per action. An action whose window is not in the program yet stays disabled;
// its owner connects it here with bekot() when the window arrives.
void Tfrm_Main::akciokBekotese()
{
    bekot(m_akciok["aUj"], [this] { LevelSzerkeszt(*m_tbl, true, nezetTipus(), this); });
    bekot(m_akciok["aSzerkeszt"], [this] { LevelSzerkeszt(*m_tbl, false, nezetTipus(), this); });   // empty view: nothing

    bekot(m_akciok["aTorol"], [this] { torles(); });

    // the certificate follows the view; an empty view prints for key 0 (a page without a letter)
    const auto bizonylat = [this](bool nyomtat) {
        const int doksi = m_tbl->nyitva() && !m_tbl->ures() ? MezoEgesz(m_tbl->ertek("doksi")) : 0;
        (nezetTipus() == "J" ? JotallasNyomtat : SzerelesNyomtat)(doksi, nyomtat, this);
    };
    bekot(m_akciok["aNyomtatkep"], [bizonylat] { bizonylat(false); });
    bekot(m_akciok["aNyomtat"], [bizonylat] { bizonylat(true); });
    bekot(m_akciok["aExcel"], [this] { HataroltExport(*m_tbl, "DorvPrg.CSV", this); });
    // the certificate of the view, as the preview shows it, to the customer
    bekot(m_akciok["aEmail"], [this] {
        if (m_tbl->nyitva() && !m_tbl->ures())
            EmailKuld(nezetTipus() == "J" ? NyomtatvanyFajta::Jotallas : NyomtatvanyFajta::Szereles,
                      MezoEgesz(m_tbl->ertek("doksi")), this);
    });

    bekot(m_akciok["aBezar"], [this] { close(); });

    // with an empty view there is no letter: the notes list opens on key 0, the others do nothing
    bekot(m_akciok["aCsatolt"], [this] {
        if (m_tbl->nyitva() && !m_tbl->ures())
            CsatoltLista(MezoEgesz(m_tbl->ertek("doksi")), QString::number(MezoEgesz(m_tbl->ertek("doksi_id"))), this);
    });
    bekot(m_akciok["aMegjegyzes"], [this] { MegjegyzesLista(MezoEgesz(m_tbl->ertek("doksi")), this); });
    bekot(m_akciok["aMegjegyzesUj"], [this] {
        if (m_tbl->nyitva() && !m_tbl->ures())
            UjMegjegyzes(*m_tblMegj, MezoEgesz(m_tbl->ertek("doksi")), this);
    });

    bekot(m_akciok["aReklamacio"], [this] {
        if (m_tbl->nyitva() && !m_tbl->ures())
            ReklamacioAblak(MezoEgesz(m_tbl->ertek("doksi")), this);
    });
    bekot(m_akciok["aNyomReklamacio"], [this] { ReklamacioListaKer(this); });
    bekot(m_akciok["aValtozasok"], [this] {
        if (m_tbl->nyitva() && !m_tbl->ures())
            LevelValtozasai(MezoEgesz(m_tbl->ertek("doksi")), this);
    });
    bekot(m_akciok["aOsszesValtozas"], [this] { OsszesValtozas(this); });

    bekot(m_akciok["aKeres"], [this] {
        m_edit1->selectAll();
        m_edit1->setFocus();
    });

    bekot(m_akciok["aKeresReszletes"], [this] { ReszletesKeres(*m_tbl, this); });
    const auto garanciaLista = [this](bool (*ablak)(GaranciaSor &, QWidget *)) {
        GaranciaSor s;
        if (!ablak(s, this))
            return;
        // the letter's own view, the letter made current there, then its editor
        m_tabSet->setCurrentIndex(s.prntip == "S" ? 1 : 0);
        if (m_tbl->keres("doksi_id", s.doksiId) && MezoEgesz(m_tbl->ertek("doksi")) == s.doksi)
            LevelSzerkeszt(*m_tbl, false, nezetTipus(), this);
    };
    bekot(m_akciok["aGaranciaEllenorzes"], [garanciaLista] { garanciaLista(GaranciaEllenorzes); });
    bekot(m_akciok["aLejaroGaranciak"], [garanciaLista] { garanciaLista(LejaroGaranciak); });
    // the letters show the master names: re-read them after a list was maintained
    const auto torzs = [this](int (*lista)(int, bool, QWidget *)) {
        lista(-1, false, this);
        if (m_tbl->nyitva())
            m_tbl->frissit();
    };
    bekot(m_akciok["aTorzsMarka"], [torzs] { torzs(MarkaLista); });
    bekot(m_akciok["aTorzsAlkatresz"], [torzs] { torzs(AlkatreszLista); });
    bekot(m_akciok["aTorzsUgyfel"], [torzs] { torzs(UgyfelLista); });
    bekot(m_akciok["aNyomLista"], [this] { ListaNyomtat(*m_tbl, false, this); });
    // the workshop forms need a current letter
    bekot(m_akciok["aNyomJavitas"], [this] {
        if (m_tbl->nyitva() && !m_tbl->ures())
            JavitasNyomtat(MezoEgesz(m_tbl->ertek("doksi")), false, this);
    });
    bekot(m_akciok["aNyomSzerelo"], [this] {
        if (m_tbl->nyitva() && !m_tbl->ures())
            SzereloNyomtat(MezoEgesz(m_tbl->ertek("doksi")), false, this);
    });

    bekot(m_akciok["aJotallas"], [this] { m_tabSet->setCurrentIndex(0); });
    bekot(m_akciok["aSzereles"], [this] { m_tabSet->setCurrentIndex(1); });

    bekot(m_akciok["aTulajdonos"], [this] { TulajdonosSzerkeszt(this); });
    bekot(m_akciok["aFelhasznalo"], [this] { FelhasznaloLista(this); });
    bekot(m_akciok["aSQL"], [this] { SzabadLekerdezes(this); });   // bekot checks the right
    // the archive reads the open register through a snapshot of its own; the store stays open
    bekot(m_akciok["aArchiv"], [this] { Archival(this); });
    bekot(m_akciok["aArchivEllenor"], [this] { ArchivEllenorzesAblak(this); });
    bekot(m_akciok["aVisszaallit"], [this] {
        ArchivVisszaallitasAblak(this, [] { Adatbazis::bezar(); }, [this] { ujraNyit(); });
    });
    bekot(m_akciok["aBeallit"], [this] {
        Beallitasok(this);
        for (QTableView *g : m_grid)
            g->viewport()->update();   // the grey rows follow the setting at once
    });

    bekot(m_akciok["aSugo"], [] { DokumentumNyit(SugoFajl("index.htm")); });

    bekot(m_akciok["aFontos"], [this] { FontosInformaciok(this); });

    bekot(m_akciok["aHonlap"], [] { DokumentumNyit(HONLAP); });
    bekot(m_akciok["aLevel"], [] { DokumentumNyit(LEVELCIM); });
    bekot(m_akciok["aUjdonsag"], [] { DokumentumNyit(QDir(ProgramMappa()).filePath("Ujdonsag.exe")); });

    bekot(m_akciok["aNevjegy"], [this] { Nevjegy(this); });
}

QMenu *Tfrm_Main::PopupMenu(int i) const { return i >= 1 && i <= 3 ? m_popup[i - 1] : nullptr; }

void Tfrm_Main::menukEpit()
{
    auto menu = [this](QWidget *szulo, const QStringList &elemek) {
        auto *m = new QMenu(szulo);
        for (const QString &e : elemek) {
            if (e == "-")
                m->addSeparator();
            else
                m->addAction(m_akciok.value(e));
        }
        return m;
    };
    m_toolBar2 = new QToolBar("ToolBar2", this);
    m_toolBar2->setObjectName("ToolBar2");
    m_toolBar2->setMovable(false);
    m_toolBar2->setFloatable(false);
    m_toolBar2->setToolButtonStyle(Qt::ToolButtonTextOnly);
    const QList<QPair<QString, QStringList>> fomenu = {
        {"Garancialevelek", {"aUj", "aSzerkeszt", "aTorol", "-", "aNyomtatkep", "aNyomtat", "aEmail", "aExcel", "-",
                             "aCsatolt", "aMegjegyzes", "aMegjegyzesUj", "aReklamacio", "aValtozasok", "-", "aBezar"}},
        {"Keresés", {"aKeres", "aKeresReszletes", "aGaranciaEllenorzes", "aLejaroGaranciak"}},
        {"Törzsadatok", {"aTorzsMarka", "aTorzsAlkatresz", "aTorzsUgyfel"}},
        {"Nyomtatások", {"aNyomLista", "-", "aNyomJavitas", "aNyomSzerelo", "-", "aNyomReklamacio"}},
        {"Rendszer", {"aTulajdonos", "-", "aFelhasznalo", "aSQL", "aOsszesValtozas", "aArchiv", "aArchivEllenor",
                      "aVisszaallit", "-", "aBeallit"}},
        {"Súgó", {"aSugo", "aFontos", "-", "aHonlap", "aLevel", "aUjdonsag", "-", "aNevjegy"}},
    };
    // The six menus are a menu bar of their own inside the first band, so that the keyboard
    // reaches them as any menu bar: Alt + the underlined letter, F10, the arrow keys.
    m_menuSor = new QMenuBar(m_toolBar2);
    m_menuSor->setObjectName("MainMenu1");
    m_menuSor->setNativeMenuBar(false);
    m_menuSor->setStyleSheet("QMenuBar::item { min-width: 70px; min-height: 15px; padding: 3px 6px; }");   // 82 x 21
    for (const auto &[cim, elemek] : fomenu) {
        QMenu *m = menu(m_menuSor, elemek);
        m->setTitle("&" + cim);
        m->setObjectName("menu_" + cim);
        m_menuSor->addMenu(m);
    }
    m_toolBar2->addWidget(m_menuSor);
    addToolBar(Qt::TopToolBarArea, m_toolBar2);
    MenuBillentyu(this, m_menuSor);
    addToolBarBreak(Qt::TopToolBarArea);

    m_popup[0] = menu(this, {"aNyomtat", "aNyomtatkep", "-", "aNyomJavitas", "aNyomSzerelo"});
    m_popup[1] = menu(this, {"aMegjegyzes", "aMegjegyzesUj"});
    m_popup[2] = menu(this, {"aUj", "aSzerkeszt", "aTorol", "-", "aNyomtat", "aNyomtatkep", "aEmail", "aExcel", "-",
                             "aReklamacio", "aValtozasok", "-", "aBezar"});
}

void Tfrm_Main::gombsorEpit()
{
    m_toolBar1 = new QToolBar("ToolBar1", this);
    m_toolBar1->setObjectName("ToolBar1");
    m_toolBar1->setMovable(false);
    m_toolBar1->setFloatable(false);
    m_toolBar1->setIconSize(QSize(16, 16));
    m_edit1 = new QLineEdit(m_toolBar1);
    m_edit1->setObjectName("Edit1");
    m_edit1->setFixedWidth(121);
    m_edit1->setToolTip("Gyorskeresés sorszámra");
    m_edit1->installEventFilter(this);
    connect(m_edit1, &QLineEdit::textChanged, this, &Tfrm_Main::Edit1Change);
    // a scanned code ends with Enter: the next scan replaces it instead of adding to it
    connect(m_edit1, &QLineEdit::returnPressed, this, [this] {
        QChar tipus;
        int szam = 0;
        if (LevelKodBol(m_edit1->text(), tipus, szam)) {
            kodraUgrik(tipus, szam);
            m_edit1->selectAll();
        }
    });
    m_toolBar1->addWidget(m_edit1);
    auto gomb = [this](const char *nev) { m_toolBar1->addAction(m_akciok.value(nev)); };
    auto legordulo = [this](const char *nev, QMenu *menu) {
        auto *g = new QToolButton(m_toolBar1);
        g->setDefaultAction(m_akciok.value(nev));
        g->setMenu(menu);
        g->setPopupMode(QToolButton::MenuButtonPopup);
        g->setAutoRaise(true);
        g->setFocusPolicy(Qt::NoFocus);   // as the bar's other buttons: Tab goes from the search box to the list
        m_toolBar1->addWidget(g);
    };
    m_toolBar1->addSeparator();
    gomb("aKeres");
    gomb("aKeresReszletes");
    gomb("aGaranciaEllenorzes");
    m_toolBar1->addSeparator();
    gomb("aUj");
    gomb("aSzerkeszt");
    gomb("aTorol");
    m_toolBar1->addSeparator();
    legordulo("aNyomtat", m_popup[0]);
    m_toolBar1->addSeparator();
    gomb("aCsatolt");
    legordulo("aMegjegyzes", m_popup[1]);
    m_toolBar1->addSeparator();
    gomb("aSugo");
    m_toolBar1->addSeparator();
    gomb("aHonlap");
    gomb("aLevel");
    gomb("aUjdonsag");
    m_toolBar1->addSeparator();
    gomb("aBezar");
    addToolBar(Qt::TopToolBarArea, m_toolBar1);
}

QWidget *Tfrm_Main::gridPanel(int i)
{
    auto *p = new QWidget(this);
    p->setObjectName(QString("Panel%1").arg(i));
    auto *l = new QVBoxLayout(p);
    l->setContentsMargins(0, 0, 0, 0);
    auto *g = new QTableView(p);
    g->setObjectName(QString("DBGrid%1").arg(i + 1));
    g->setModel(m_racsModell[i]);
    g->setSelectionBehavior(QAbstractItemView::SelectRows);
    g->setSelectionMode(QAbstractItemView::SingleSelection);
    g->setEditTriggers(QAbstractItemView::NoEditTriggers);
    g->setShowGrid(true);
    g->setWordWrap(false);
    g->setAlternatingRowColors(false);
    g->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    g->horizontalHeader()->setHighlightSections(false);
    SorJelzoBeallit(g);
    // the selected row stays marked while the focus is elsewhere
    QPalette pal = g->palette();
    pal.setColor(QPalette::Inactive, QPalette::Highlight, pal.color(QPalette::Active, QPalette::Highlight));
    pal.setColor(QPalette::Inactive, QPalette::HighlightedText, pal.color(QPalette::Active, QPalette::HighlightedText));
    g->setPalette(pal);
    g->setTabKeyNavigation(false);   // Tab leaves the list instead of walking its cells
    g->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(g, &QWidget::customContextMenuRequested, this,
            [this, g](const QPoint &p) { m_popup[2]->popup(g->viewport()->mapToGlobal(p)); });
    connect(g, &QAbstractItemView::doubleClicked, this, [this] { m_akciok["aSzerkeszt"]->trigger(); });
    g->installEventFilter(this);
    m_racsModell[i]->kovet(g);
    l->addWidget(g);
    m_panelek[i] = p;
    m_grid[i] = g;
    return p;
}

void Tfrm_Main::statusSorEpit()
{
    QStatusBar *sb = statusBar();
    sb->setObjectName("StatusBar1");
    sb->setSizeGripEnabled(false);
    const int szelesseg[4] = {75, 200, 50, 50};
    for (int i = 0; i < 4; ++i) {
        m_panel[i] = new QLabel(sb);
        m_panel[i]->setObjectName(QString("Panel_%1").arg(i));
        m_panel[i]->setFixedWidth(szelesseg[i]);
        m_panel[i]->setFrameShape(QFrame::StyledPanel);
        m_panel[i]->setFrameShadow(QFrame::Sunken);
        sb->addWidget(m_panel[i]);
    }
    Beall.FulSzeles = 150;
    m_tabSet = new QTabBar(sb);
    m_tabSet->setObjectName("TabSet1");
    m_tabSet->setShape(QTabBar::RoundedSouth);
    m_tabSet->setDrawBase(false);
    m_tabSet->setExpanding(true);
    m_tabSet->setDocumentMode(true);
    m_tabSet->addTab("Jótállás");
    m_tabSet->addTab("Szereléssel");
    m_tabSet->setCurrentIndex(0);
    m_tabSet->setGeometry(sb->width() - Beall.FulSzeles - 20, 2, Beall.FulSzeles, 17);
    m_tabSet->setFocusPolicy(Qt::NoFocus);
    // the tabs fit the 17 pixels of the status bar
    m_tabSet->setStyleSheet("QTabBar::tab { height: 15px; padding: 0px 6px; margin: 0px; } QTabBar::tab:selected { background: palette(base); }");
    sb->installEventFilter(this);
}

int Tfrm_Main::nezet() const { return m_tabSet && m_tabSet->currentIndex() == 1 ? 1 : 0; }

// ---------------------------------------------------------------------------------------
// Start-up

bool Tfrm_Main::inditas()
{
    // settings in the user's folder (installed program): say where, the first time
    const bool ujMappa = !QFileInfo::exists(IniFajlUt());
    const bool elsoInditas = ProgramMappaAtiranyitva() && ujMappa;
    const IniAllapot ini = BeallitasOlvas();
    // a new workshop finds the usual periods in the editor; a list of its own is never touched
    if (ujMappa && !QFileInfo::exists(DorvidoFajlUt())) {
        try {
            HuSzoveg::fajlIr(DorvidoFajlUt(), "6 hónap\r\n1 év\r\n2 év\r\n3 év\r\n");
        } catch (const StoreHiba &h) {
            HibaUzenet("A garanciaidők alapértelmezett listája nem írható:\r\n" + h.uzenet(), this);
        }
    }
    if (elsoInditas)
        Uzenet(QString("A program a beállításait ebben a mappában tartja:\r\n%1\r\n\r\n%2")
                   .arg(QDir::toNativeSeparators(ProgramMappa()), AdatbazisHelye()),
               this);
    EmailKuldes::regiekTorlese();   // the mail programs had a day to take their attachments
    if (ini == IniAllapot::MappaVisszaallitva)
        HibaUzenet("Nem létező adatbázis mappa, alapértelmezés visszaállítva.", this);
    if (ini == IniAllapot::Hibas && !hibasIniValasztas())
        return false;
    // the default folder beside the program is made only when it is the one to be used
    if (QDir::cleanPath(Beall.AdatbazisUtvonal) == QDir::cleanPath(AlapAdatbazisMappa())
        && !QDir().mkpath(Beall.AdatbazisUtvonal)) {
        HibaUzenet(QString("Az adatbázis mappa nem hozható létre:\r\n%1")
                       .arg(QDir::toNativeSeparators(Beall.AdatbazisUtvonal)), this);
        return false;
    }
    if (!adatbazisNyit())
        return false;

    // tool tips in the program's own colour
    QPalette tipp = QToolTip::palette();
    tipp.setColor(QPalette::ToolTipBase, QColor(255, 218, 181));
    tipp.setColor(QPalette::ToolTipText, Qt::black);
    QToolTip::setPalette(tipp);

    try {
        feliratBeallit();
        Beall.VanBelep = Adatbazis::ertek("SELECT vanbelep FROM beallit ORDER BY beallit LIMIT 1").toString() == "I";
    } catch (const StoreHiba &h) {
        FelsoHiba(h.uzenet(), this);
        Adatbazis::bezar();
        return false;
    }
    if (!belepes()) {
        Adatbazis::bezar();
        return false;
    }
    try {
        listaBeallit();
    } catch (const StoreHiba &h) {
        FelsoHiba(h.uzenet(), this);
        Adatbazis::bezar();
        return false;
    }
    m_nyitva = true;
    return true;
}

// A damaged or emptied DorvPrg.ini must not silently start an empty register elsewhere:
// the user picks the folder the spare copy remembers, the default one, or leaves.
bool Tfrm_Main::hibasIniValasztas()
{
    const QString fajl = QDir::toNativeSeparators(OlvasottIniFajlUt());
    const QString elozo = ElozoAdatbazisMappa();
    if (!elozo.isEmpty()
        && Kerdes(QString("A beállítások fájlja üres vagy sérült:\r\n%1\r\n\r\n"
                          "Az adatbázis legutóbb ebben a mappában volt:\r\n%2\r\n\r\nEzt a mappát használjam?")
                      .arg(fajl, QDir::toNativeSeparators(elozo)),
                  "Kérdés", this)) {
        Beall.AdatbazisUtvonal = elozo;
        return true;
    }
    const QString alap = QDir::toNativeSeparators(AlapAdatbazisMappa());
    const QString eleje = elozo.isEmpty()
        ? QString("A beállítások fájlja üres vagy sérült:\r\n%1\r\nAz adatbázis mappája nem ismert.\r\n\r\n").arg(fajl)
        : QString();
    return Kerdes(eleje + QString("Az alapértelmezett adatbázis mappát használjam?\r\n%1\r\n\r\n"
                                  "Nem: a program kilép, és nem változtat semmin.").arg(alap),
                  "Kérdés", this);
}

bool Tfrm_Main::adatbazisNyit()
{
    // the earlier program's tables are taken over into a local register only; a server's
    // register is filled from one with --copy-to
    QString kapcsolat;
    try {
        kapcsolat = IniKapcsolat();
    } catch (const StoreHiba &h) {
        FelsoHiba(h.uzenet(), this);
        return false;
    }
    if (kapcsolat.isEmpty() && !RegiAdatbazisAtvetel(Beall.AdatbazisUtvonal, this))
        return false;
    while (true) {
        try {
            Adatbazis::megnyit(Beall.AdatbazisUtvonal, kapcsolat);
            return true;
        } catch (const KapcsolatHiba &h) {
            // a server that wants a name and password of its own: its login window
            if (h.bejelentkezes())
                return KiszolgaloBelepes(kapcsolat, this);
            // the server may only be starting or the network coming up: the user tries again
            if (!Kerdes(h.uzenet() + "\r\n\r\nÚjra: újabb kapcsolódási kísérlet. Kilépés: a program kilép.",
                        "A kiszolgáló nem érhető el", "Újra", "Kilépés", this))
                return false;
        } catch (const StoreHiba &h) {
            FelsoHiba(h.uzenet(), this);
            return false;
        }
    }
}

void Tfrm_Main::ujraNyit()
{
    Adatbazis::bezar();
    if (!adatbazisNyit())
        return;
    try {
        feliratBeallit();
        m_tbl->megnyit();
        szamlalo();
    } catch (const StoreHiba &h) {
        muveletHiba(h, this);
    }
}

void Tfrm_Main::feliratBeallit()
{
    Tabla t("tulajdonos");
    t.setCsakOlvas(true);
    t.megnyit();
    setWindowTitle(QString("DorvPrg: [%1]").arg(MezoSzoveg(t.ertek("tulajdonos"))));
    t.bezar();
}

bool Tfrm_Main::belepes()
{
    Beall.FelhasznaloNev.clear();
    Naplo::setFelhasznalo({});   // the history names the system user until someone logs in
    // users who are server roles logged in to the server: their groups are the rights
    try {
        if (Szerepek::aktiv()) {
            Beall.torzsszerkeszt = Beall.rendszergazda = false;
            Naplo::setFelhasznalo(Adatbazis::belepesNev());   // the role logged in to the server
            KiszolgaloJogok();
            return true;
        }
    } catch (const StoreHiba &h) {
        FelsoHiba(h.uzenet(), this);
        return false;
    }
    if (!Beall.VanBelep) {
        Beall.torzsszerkeszt = Beall.rendszergazda = true;
        return true;
    }
    // the rights come from the login alone; a failure to show it is reported by Belepes
    Beall.torzsszerkeszt = Beall.rendszergazda = false;
    return Belepes(this);
}

void Tfrm_Main::listaBeallit()
{
    connect(m_tbl, &Tabla::mozgasUtan, this, &Tfrm_Main::szamlalo);
    m_tbl->setSzuro("prntip='J'");
    m_tbl->setSzurt(true);
    m_tbl->megnyit();
    m_tabSet->setCurrentIndex(0);
    // attached only now, so that the first selection triggers nothing
    connect(m_tabSet, &QTabBar::currentChanged, this, &Tfrm_Main::TabSet1Change);
    szamlalo();
}

void Tfrm_Main::showEvent(QShowEvent *e)
{
    QMainWindow::showEvent(e);
    if (m_elsoMegjelenes) {
        m_elsoMegjelenes = false;
        elsoMegjelenes();
    }
}

void Tfrm_Main::setVisible(bool lathato)
{
    // placed before the native window exists: a position given then is the frame's, while
    // a move() after it would place the client area and the window would creep at every start
    if (lathato && m_elsoMegjelenes)
        elhelyez();
    QMainWindow::setVisible(lathato);
}

void Tfrm_Main::elhelyez()
{
    if (Beall.TeljesKep) {
        // maximised, the window manager fits the frame into the work area as well
        setWindowState(windowState() | Qt::WindowMaximized);
        return;
    }
    // Bal and Felul are the frame's position, Szeles and Magas the client size, as the close
    // writes them (pos() and size()), so the same numbers leave the window where it was
    QList<QRect> teruletek;
    for (const QScreen *s : QGuiApplication::screens())
        teruletek << s->availableGeometry();
    // the frame is not known before the window is shown: room for a usual one
    const QRect hely = KepernyoreHoz(QRect(Beall.Bal, Beall.Felul, Beall.Szeles, Beall.Magas), teruletek,
                                     QMargins(8, 32, 8, 8));
    resize(hely.size());
    move(hely.topLeft());
}

void Tfrm_Main::elsoMegjelenes()
{
    // owned by the main window: a program that ends within the four seconds frees it too
    (new Tfrm_Logo(this))->show();
    m_edit1->setFocus();
    Elrendez();
}

// ---------------------------------------------------------------------------------------
// The list

void Tfrm_Main::TabSet1Change(int index)
{
    const auto mutat = [this](int i) {
        for (QWidget *p : m_panelek) {
            p->setEnabled(false);
            p->hide();
        }
        m_panelek[i]->setEnabled(true);
        m_panelek[i]->show();
        m_panelek[i]->raise();
        // the hidden grid's model sleeps; the shown one wakes up once the rows are read
        m_racsModell[1 - i]->setAlszik(true);
        m_ds = m_racsModell[i];
    };
    const auto szur = [this](int i) {
        m_tbl->setSzuro(QString("prntip='%1'").arg(i == 1 ? "S" : "J"));
        if (!m_tbl->szurt())   // switching it on again would read the rows twice
            m_tbl->setSzurt(true);
    };
    const int i = index == 1 ? 1 : 0;
    mutat(i);
    try {
        szur(i);
    } catch (const StoreHiba &h) {
        muveletHiba(h, this);
        // the rows shown are still those of the view before: its tab, grid and filter come back
        const QSignalBlocker csend(m_tabSet);
        m_tabSet->setCurrentIndex(1 - i);
        mutat(1 - i);
        try {
            szur(1 - i);
        } catch (const StoreHiba &) {
            // the same failure, just shown; the cursor keeps the rows it had
        }
    }
    m_ds->setAlszik(false);
    m_edit1->setFocus();
    Elrendez();
}

// The letter of a scanned code: its view, then its number there.
void Tfrm_Main::kodraUgrik(QChar tipus, int szam)
{
    const int nezetIndex = tipus == 'S' ? 1 : 0;
    if (m_tabSet->currentIndex() != nezetIndex)
        m_tabSet->setCurrentIndex(nezetIndex);
    if (m_tabSet->currentIndex() != nezetIndex)
        return;   // the view could not be switched; its failure was shown
    try {
        m_tbl->keres("doksi_id", szam);
    } catch (const StoreHiba &h) {
        muveletHiba(h, this);
    }
}

void Tfrm_Main::Edit1Change(const QString &szoveg)
{
    if (szoveg.isEmpty())
        return;
    // a scanner types the code of a form one character after the other
    QChar tipus;
    int kodSzam = 0;
    if (LevelKodBol(szoveg, tipus, kodSzam)) {
        kodraUgrik(tipus, kodSzam);
        return;
    }
    if (LevelKodEleje(szoveg))
        return;
    bool ok = false;
    const int szam = szoveg.toInt(&ok);
    if (!ok) {
        FelsoHiba(QString("'%1' is not a valid integer value").arg(szoveg), this);
        return;
    }
    try {
        m_tbl->keres("doksi_id", szam);
    } catch (const StoreHiba &h) {
        muveletHiba(h, this);
    }
}

QVariant Tfrm_Main::lejartSzin(int sor) const
{
    if (!Beall.LejartSzurke || !m_tbl->nyitva())
        return {};
    const int datum = m_tbl->oszlop("datum"), ido = m_tbl->oszlop("dorvido");
    if (datum < 0 || ido < 0)
        return {};
    // a screenful holds few period texts: each is read once
    const QString szoveg = m_tbl->ertekSor(sor, ido).toString();
    auto i = m_idotartamok.constFind(szoveg);
    if (i == m_idotartamok.constEnd()) {
        if (m_idotartamok.size() > 1000)
            m_idotartamok.clear();
        i = m_idotartamok.insert(szoveg, Garancia::ertelmez(szoveg));
    }
    const Garancia::Allapot a = Garancia::allapot(m_tbl->ertekSor(sor, datum).toDate(), *i, QDate::currentDate());
    return a.fajta == Garancia::Allapot::Fajta::Lejart ? QVariant(QColor(128, 128, 128)) : QVariant();
}

void Tfrm_Main::szamlalo()
{
    const bool ny = m_tbl->nyitva();
    m_panel[0]->setText(QString("%1/%2").arg(ny ? m_tbl->rekordSzam() : 0).arg(ny ? m_tbl->rekordSzamlalo() : 0));
    // the current letter's warranty in the free panel
    QString garancia;
    if (ny && !m_tbl->ures()) {
        try {
            garancia = Garancia::szoveg(Garancia::allapot(m_tbl->ertek("datum").toDate(), m_tbl->ertek("dorvido").toString(),
                                                          QDate::currentDate(),
                                                          m_tbl->ertek("prntip").toString() == "S" ? m_tbl->ertek("kmora").toString()
                                                                                                 : QString()));
        } catch (const KapcsolatHiba &) {
            throw;
        } catch (const StoreHiba &) {
            // the row could not be read: the counter stays, the state is left out
        }
    }
    m_panel[3]->setText(garancia);
    m_panel[3]->setToolTip(garancia);
}

void Tfrm_Main::AppHint(const QString &tipp) { m_panel[1]->setText(tipp); }

void Tfrm_Main::torles()
{
    if (!m_tbl->nyitva() || m_tbl->ures())
        return;
    if (!TorlesMegerosites(this))
        return;
    m_tbl->torol();
}

void Tfrm_Main::Elrendez()
{
    // both panels fill the same place; the hidden one has not been laid out lately
    const int w = m_grid[nezet()]->width() - 33;
    for (QTableView *g : m_grid)
        for (int c = 0; c < 8; ++c)
            g->setColumnWidth(c, int(w * ARANYOK[c]));
    QStatusBar *sb = statusBar();
    m_tabSet->setGeometry(sb->width() - Beall.FulSzeles - 20, 2, Beall.FulSzeles, 17);
    m_panel[3]->setFixedWidth(std::max(0, sb->width() - Beall.FulSzeles - 345));
}

// ---------------------------------------------------------------------------------------
// Events

bool Tfrm_Main::event(QEvent *e)
{
    // hints go to panel 1, not over the whole status bar
    if (e->type() == QEvent::StatusTip) {
        AppHint(static_cast<QStatusTipEvent *>(e)->tip());
        return true;
    }
    if (e->type() == QEvent::WindowActivate)
        kulsoValtozasFigyel();
    return QMainWindow::event(e);
}

void Tfrm_Main::kulsoValtozasFigyel()
{
    // a statement stepping under a window that keeps events going: the next tick comes
    if (!Adatbazis::nyitva() || Adatbazis::elfoglalt())
        return;
    // another program restored an archive over the file open here: the old one is gone from
    // the folder, nothing more is written into it
    if (RegiszterZar::cserelve() && !Adatbazis::tranzakcioban() && !QApplication::activeModalWidget()) {
        Adatbazis::bezar();
        Uzenet(QString("Az adatbázist közben egy másik program visszaállította archívumból.\r\n%1\r\n"
                       "A program újra megnyitja, a lista a visszaállított leveleket mutatja.")
                   .arg(QDir::toNativeSeparators(QDir(Beall.AdatbazisUtvonal).filePath(Adatbazis::FAJLNEV))),
               this);
        ujraNyit();
        return;
    }
    try {
        if (Adatbazis::masikProgramIrt() || m_kulsoFrissites) {
            m_kulsoFrissites = true;
            Adatbazis::kurzorokFrissit();   // a cursor being edited is re-read when its edit ends
            m_kulsoFrissites = false;
        }
    } catch (const StoreHiba &) {
        // the store is busy: the next tick tries again, without a message every few seconds
    }
}

bool Tfrm_Main::eventFilter(QObject *o, QEvent *e)
{
    if (o == m_edit1 && e->type() == QEvent::ShortcutOverride) {
        // the commands' keys win over the edit's own (Ctrl+Del, Ctrl+K, Ctrl+E ...)
        auto *k = static_cast<QKeyEvent *>(e);
        const QKeySequence s(k->keyCombination());
        for (const QAction *a : std::as_const(m_akcioSorrend))
            if (!a->shortcut().isEmpty() && a->shortcut() == s && a->isEnabled())
                return true;
    }
    if (e->type() == QEvent::Resize && (o == statusBar() || o == m_grid[nezet()]))
        Elrendez();
    return QMainWindow::eventFilter(o, e);
}

void Tfrm_Main::closeEvent(QCloseEvent *e)
{
    if (!bezaras()) {
        e->ignore();
        return;
    }
    e->accept();
}

bool Tfrm_Main::bezaras()
{
    if (m_bezarva || !m_nyitva) {
        m_bezarva = true;
        return true;
    }
    MentesDatumFrissit();   // an archive made meanwhile by another program counts
    ArchivalZaraskor(this);
    try {
        BeallitasIr(QRect(pos(), size()));
    } catch (const StoreHiba &h) {
        FelsoHiba(h.uzenet(), this);
    }
    Adatbazis::bezar();
    m_bezarva = true;
    return true;
}
