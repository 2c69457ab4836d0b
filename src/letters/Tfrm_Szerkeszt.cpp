#include "Tfrm_Szerkeszt.h"
#include "Tfrm_Valtozasok.h"
#include "AblakBetu.h"
#include "Beall.h"
#include "HuSzoveg.h"
#include "KurzorModell.h"
#include "LevelNyomtatas.h"
#include "LenyiloKereso.h"
#include "Levelek.h"
#include "Mezo.h"
#include "MezoKonvencio.h"
#include "Seged.h"
#include "Sema.h"
#include "StoreHiba.h"
#include "Tabla.h"
#include "TorzsLista.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDateEdit>
#include "Garancia.h"
#include <QFile>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QTabWidget>
#include <QToolBar>
#include <QVBoxLayout>
#include <optional>

namespace {

// the data controls of each page in tab order
const QList<QStringList> &lapMezok()
{
    static const QList<QStringList> l = {
        {"datum", "dorvido", "marka", "alkatresz", "sorozatszam", "ugyfel", "rendszam", "megjegyzes"},
        {"datum", "dorvido", "marka", "alkatresz", "kmora", "sorozatszam", "ugyfel", "rendszam", "megjegyzes",
         "egyebjav"},
        {"datum", "dorvido", "marka", "alkatresz", "sorozatszam", "ft_varhato", "ugyfel", "rendszam", "dat_beerk",
         "megjegyzes", "elvjavitas", "serulesek", "hibajelenseg"},
        {"datum", "dorvido", "dat_beerk", "marka", "alkatresz", "sorozatszam", "okmanyok", "ugyfel", "rendszam",
         "hibajelenseg", "hiba3", "hiba1", "hiba2"},
    };
    return l;
}

// Alt + the underlined letter brings a page to the front
const char *const LAPCIMEK[] = {"&Jótállási tanusítvány", "Jótállási tanusítvány &ki/besz", "Jav.gk.&megrendelőlap",
                                "Sz&erelő munkalap"};

QString cimke(const QString &mezo)
{
    static const QHash<QString, QString> c = {
        {"doksi_id", "ID"}, {"datum", "dátum"}, {"dorvido", "dorv.idő"}, {"dat_beerk", "beérkezett"},
        {"marka", "márka"}, {"alkatresz", "alkatrész"}, {"kmora", "km.óra"}, {"sorozatszam", "sorozatszám"},
        {"ft_varhato", "várható ár"}, {"okmanyok", "okmányok (Szerelő munkalap)"}, {"ugyfel", "ügyfél"},
        {"rendszam", "rendszám"}, {"megjegyzes", "megjegyzés"}, {"egyebjav", "egyéb jav."},
        {"elvjavitas", "elvállalt jav."}, {"serulesek", "sérülések"}, {"hibajelenseg", "hiba"},
        {"hiba3", "észrevételek"}, {"hiba1", "javítással összefügg."}, {"hiba2", "egyéb javítás"},
    };
    return c.value(mezo);
}

bool memo(const QString &m)
{
    static const QStringList l = {"megjegyzes", "egyebjav", "elvjavitas", "serulesek", "hibajelenseg",
                                  "hiba1", "hiba2", "hiba3"};
    return l.contains(m);
}

bool kereso(const QString &m) { return m == "marka" || m == "alkatresz" || m == "ugyfel"; }

// The open customer list names the town beside the name, so that two customers of one name
// can be told apart; the box itself shows the name, and the choice stores the key as ever.
class VarosMellette : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

protected:
    void initStyleOption(QStyleOptionViewItem *o, const QModelIndex &i) const override
    {
        QStyledItemDelegate::initStyleOption(o, i);
        if (const QString varos = i.siblingAtColumn(1).data().toString().trimmed(); !varos.isEmpty())
            o->text += QStringLiteral("  (%1)").arg(varos);
    }
};

QString szamFormatum(const QVariant &v) { return v.isNull() ? QString() : QString("No:%1").arg(v.toInt(), 5, 10, QChar('0')); }

} // namespace

Tfrm_Szerkeszt::Tfrm_Szerkeszt(Tabla &tbl, bool szereles, QWidget *szulo)
    : QDialog(szulo), Tbl(tbl), m_szereles(szereles)
{
    setFont(AblakBetu());
    setWindowTitle("Szerkesztés");
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);
    auto *fo = new QVBoxLayout(this);
    fo->setContentsMargins(0, 0, 0, 0);
    PageControl1 = new QTabWidget(this);
    fo->addWidget(PageControl1);
    for (int lap = 0; lap < (m_szereles ? 4 : 1); ++lap)
        PageControl1->addTab(lapEpit(lap), LAPCIMEK[lap]);
    PageControl1->setCurrentIndex(0);

    // the period list of the first page
    if (QFile::exists(DorvidoFajlUt())) {
        try {
            auto *c = qobject_cast<QComboBox *>(mezo("dorvido", 0));
            const QString regi = c->currentText();
            m_tolt = true;
            for (const QString &s : HuSzoveg::fajlSorok(DorvidoFajlUt()))
                c->addItem(s);
            c->setEditText(regi);
            m_tolt = false;
        } catch (const StoreHiba &) {
            m_tolt = false;   // an unreadable list is as good as none
        }
    }

    QList<QWidget *> kiveve = mezo("doksi_id");
    for (int lap = 0; lap < 3; ++lap)
        if (QWidget *w = mezo("megjegyzes", lap))
            kiveve << w;
    auto *konv = new MezoKonvencio(this);
    konv->szinezMind(kiveve);
    konv->enterBekot();
    setFixedSize(552, 540);

    // the state follows the period and the date as they are typed
    m_garanciaIdo = Tbl.ertek("dorvido").toString();
    m_garanciaDatum = Tbl.ertek("datum").toDate();
    for (QWidget *w : mezo("dorvido"))
        if (auto *c = qobject_cast<QComboBox *>(w))
            connect(c, &QComboBox::editTextChanged, this, [this](const QString &t) {
                m_garanciaIdo = t;
                garanciaFrissit();
            });
    m_garanciaKm = Tbl.ertek("kmora").toString();
    for (QWidget *w : mezo("kmora"))
        if (auto *e = qobject_cast<QLineEdit *>(w))
            connect(e, &QLineEdit::textChanged, this, [this](const QString &t) {
                m_garanciaKm = t;
                garanciaFrissit();
            });
    for (QDateEdit *d : datumok)
        connect(d, &QDateEdit::dateChanged, this, [this](const QDate &d) {
            m_garanciaDatum = d;
            garanciaFrissit();
        });
    garanciaFrissit();
}

void Tfrm_Szerkeszt::garanciaFrissit()
{
    const Garancia::Allapot a = Garancia::allapot(m_garanciaDatum, m_garanciaIdo, QDate::currentDate(),
                                                  m_szereles ? m_garanciaKm : QString());
    const QString t = Garancia::szoveg(a);
    for (QLabel *l : garanciaCimkek) {
        l->setText(t);
        l->setToolTip(t);
        l->setStyleSheet(a.fajta == Garancia::Allapot::Fajta::Lejart || a.fajta == Garancia::Allapot::Fajta::NemErtelmezheto
                             ? "color: #a00000;" : QString());
    }
}

QWidget *Tfrm_Szerkeszt::mezo(const QString &nev, int lap) const
{
    for (QWidget *w : m_kotesek.values(nev.toLower()))
        if (m_lapja.value(w) == lap)
            return w;
    return nullptr;
}

QPushButton *Tfrm_Szerkeszt::valaszto(const QString &mezoNev, int lap) const
{
    const auto l = m_valasztok.value(mezoNev);
    return lap < l.size() ? l[lap] : nullptr;
}

QWidget *Tfrm_Szerkeszt::lapEpit(int lap)
{
    auto *oldal = new QWidget;
    auto *v = new QVBoxLayout(oldal);
    v->setContentsMargins(4, 0, 4, 4);
    v->setSpacing(2);

    // editing commands on the focused control
    auto *eszkozok = new QToolBar(oldal);
    eszkozok->setToolButtonStyle(Qt::ToolButtonTextOnly);
    auto parancs = [this, eszkozok](const QString &szoveg, const QKeySequence &k, auto muvelet) {
        auto *a = new QAction(szoveg, eszkozok);
        a->setToolTip(szoveg);
        a->setShortcut(k);
        a->setShortcutContext(Qt::WidgetWithChildrenShortcut);
        eszkozok->addAction(a);
        connect(a, &QAction::triggered, this, [muvelet] {
            QWidget *f = QApplication::focusWidget();
            if (auto *c = qobject_cast<QComboBox *>(f); c && c->lineEdit())
                f = c->lineEdit();
            if (auto *e = qobject_cast<QLineEdit *>(f))
                muvelet(e);
            else if (auto *m = qobject_cast<QPlainTextEdit *>(f))
                muvelet(m);
        });
        return a;
    };
    parancs("Kivág", QKeySequence::Cut, [](auto *w) { w->cut(); });
    parancs("Másol", QKeySequence::Copy, [](auto *w) { w->copy(); });
    parancs("Beilleszt", QKeySequence::Paste, [](auto *w) { w->paste(); });
    eszkozok->addSeparator();
    parancs("Visszavon", QKeySequence::Undo, [](auto *w) { w->undo(); });
    // the claims of a stored letter; a new one has none yet
    eszkozok->addSeparator();
    auto *reklamacio = new QAction("Reklamációk", eszkozok);
    reklamacio->setToolTip("A levél reklamációi");
    eszkozok->addAction(reklamacio);
    connect(reklamacio, &QAction::triggered, this, [this] {
        const int doksi = Tbl.allapot() == Tabla::Allapot::Beszuras ? 0 : MezoEgesz(Tbl.ertek("doksi"));
        if (doksi > 0)
            ReklamacioAblak(doksi, this);
    });
    // the warranty's state, in the free end of the tool bar: no field moves for it; it takes
    // the room the commands leave and may be cut there, never pushing a command out of sight
    auto *garancia = new QLabel(eszkozok);
    garancia->setObjectName("GaranciaAllapot");
    garancia->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    garancia->setMinimumWidth(1);
    garancia->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    garancia->setContentsMargins(0, 0, 4, 0);
    eszkozok->addWidget(garancia);
    garanciaCimkek << garancia;
    v->addWidget(eszkozok);

    auto *h = new QHBoxLayout;
    auto *racs = new QGridLayout;
    racs->setVerticalSpacing(2);
    h->addLayout(racs, 1);
    auto *gombok = new QVBoxLayout;
    h->addLayout(gombok);
    v->addLayout(h, 1);

    // the number, read-only and out of the tab order
    auto *szam = new QLineEdit;
    szam->setReadOnly(true);
    szam->setFocusPolicy(Qt::NoFocus);
    szam->setText(szamFormatum(Tbl.ertek("doksi_id")));
    szam->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(szam, &QWidget::customContextMenuRequested, this, [szam](const QPoint &p) {
        QMenu m;
        m.addAction("Kivág", szam, &QLineEdit::cut)->setEnabled(false);
        m.addAction("Másol", szam, &QLineEdit::copy);
        m.addAction("Beilleszt", szam, &QLineEdit::paste)->setEnabled(false);
        m.addSeparator();
        m.addAction("Mindet kijelöl", szam, &QLineEdit::selectAll);
        m.addSeparator();
        m.addAction("Visszavon", szam, &QLineEdit::undo)->setEnabled(false);
        m.exec(szam->mapToGlobal(p));
    });
    m_kotesek.insert("doksi_id", szam);
    m_lapja.insert(szam, lap);
    racs->addWidget(new QLabel(cimke("doksi_id")), 0, 0);
    racs->addWidget(szam, 0, 1);

    QWidget *elozo = nullptr;
    int sor = 1;
    for (const QString &m : lapMezok()[lap]) {
        QWidget *w = vezerlo(m, lap);
        auto *l = new QLabel(cimke(m));
        racs->addWidget(l, sor, 0, memo(m) ? Qt::AlignTop : Qt::Alignment());
        racs->addWidget(w, sor, 1);
        if (memo(m))
            racs->setRowStretch(sor, 1);
        if (kereso(m)) {
            auto *b = new QPushButton("...");
            b->setAutoDefault(false);
            b->setFixedWidth(24);
            b->setToolTip(cimke(m));
            connect(b, &QPushButton::clicked, this, [this, m] { btnValasztClick(m); });
            m_valasztok[m] << b;
            racs->addWidget(b, sor, 2);
        }
        if (elozo)
            setTabOrder(elozo, w);
        elozo = w;
        ++sor;
    }

    auto gomb = [gombok](const QString &szoveg) {
        auto *b = new QPushButton(szoveg);
        b->setAutoDefault(false);   // no default button: Enter moves on
        gombok->addWidget(b);
        return b;
    };
    QPushButton *b1 = gomb("OK, nyomtat"), *b2 = gomb("OK"), *b3 = gomb("Mégsem");
    gombok->addStretch();
    // the letter's history; a new letter has none yet
    if (Tbl.allapot() != Tabla::Allapot::Beszuras) {
        QPushButton *b4 = gomb("Változások");
        connect(b4, &QPushButton::clicked, this, [this] { LevelValtozasai(MezoEgesz(Tbl.ertek("doksi")), this); });
    }
    okNyomtat << b1;
    ok << b2;
    megse << b3;
    connect(b1, &QPushButton::clicked, this, [this] {
        nyomtatKell = true;
        accept();
        if (result() != QDialog::Accepted)
            nyomtatKell = false;
    });
    connect(b2, &QPushButton::clicked, this, &Tfrm_Szerkeszt::accept);
    connect(b3, &QPushButton::clicked, this, &QDialog::reject);
    setTabOrder(elozo, b1);
    setTabOrder(b1, b2);
    setTabOrder(b2, b3);
    QWidget *u = b3;
    for (const char *k : {"marka", "alkatresz", "ugyfel"}) {
        setTabOrder(u, m_valasztok[k].last());
        u = m_valasztok[k].last();
    }
    return oldal;
}

QWidget *Tfrm_Szerkeszt::vezerlo(const QString &m, int lap)
{
    QWidget *w;
    if (m == "datum") {
        auto *d = new QDateEdit;
        d->setCalendarPopup(false);
        d->setDisplayFormat("yyyy.MM.dd.");
        d->installEventFilter(this);
        datumok << d;
        m_lapja.insert(d, lap);
        return d;   // not bound: the shared date goes into the row when the window closes
    }
    if (m == "dorvido") {
        auto *c = new QComboBox;
        c->setEditable(true);
        c->setInsertPolicy(QComboBox::NoInsert);
        c->lineEdit()->setMaxLength(20);
        w = c;
    } else if (kereso(m)) {
        w = torzsLenyilo(m);
    } else if (memo(m)) {
        auto *p = new QPlainTextEdit;
        if (const MezoLeiras *ml = Tbl.leiras().mezo(m); ml && ml->tipus == MezoTipus::Szoveg)
            memoKorlat(p, ml->meret);
        p->setFont(QFont("Courier New", 9));
        p->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
        p->setTabChangesFocus(true);
        p->setMinimumHeight(36);
        w = p;
    } else {
        auto *e = new QLineEdit;
        const MezoLeiras *ml = Tbl.leiras().mezo(m);
        if (ml && ml->tipus == MezoTipus::Szoveg)
            e->setMaxLength(ml->meret);
        w = e;
    }
    m_lapja.insert(w, lap);
    kot(w, m);
    return w;
}

Tfrm_Szerkeszt::Torzs Tfrm_Szerkeszt::torzs(const QString &mezoNev)
{
    if (const auto it = m_torzsek.constFind(mezoNev); it != m_torzsek.cend())
        return *it;
    // one cursor and model per master table, shared by the drop-downs of every page
    Torzs t;
    t.tabla = new Tabla(mezoNev, this);   // in the order of its key
    t.tabla->setCsakOlvas(true);
    t.tabla->megnyit();
    QList<KurzorModell::Oszlop> oszlopok{{mezoNev + "_nev", cimke(mezoNev)}};
    if (mezoNev == "ugyfel")
        oszlopok.append(KurzorModell::Oszlop{"cim_varos", "város"});
    t.modell = new KurzorModell(t.tabla, oszlopok, this);
    // A re-read (the browser's changes, another program's) resets the model, and each
    // drop-down then makes its first row current: no choice of the user's. The model is
    // reset before this handler runs, which puts the stored key's name back.
    connect(t.modell, &QAbstractItemModel::modelAboutToBeReset, this, [this] { m_torzsUjraolvas = true; });
    connect(t.tabla, &Tabla::adatValtozott, this, [this, mezoNev] {
        m_torzsUjraolvas = false;
        m_nevKulcsok.remove(mezoNev);
        frissit(mezoNev);
    });
    m_torzsek.insert(mezoNev, t);
    return t;
}

QComboBox *Tfrm_Szerkeszt::torzsLenyilo(const QString &mezoNev)
{
    auto *c = new QComboBox;   // not editable: typing picks an existing name
    // Sized by the layout, not by the longest of all names, and rows of one height: the
    // box and its open list read only the names they show.
    c->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    if (auto *v = qobject_cast<QListView *>(c->view()))
        v->setUniformItemSizes(true);
    c->setModel(torzs(mezoNev).modell);
    if (mezoNev == "ugyfel")
        c->view()->setItemDelegate(new VarosMellette(c->view()));
    LenyiloKereso::bekot(c, [this, mezoNev](const QString &eleje) { return nevKeres(mezoNev, eleje); });
    return c;
}

int Tfrm_Szerkeszt::torzsSor(const QString &mezoNev, const QVariant &kulcs)
{
    Tabla *t = torzs(mezoNev).tabla;
    return !kulcs.isNull() && t->keres(t->leiras().kulcs, kulcs) ? t->sor() : -1;
}

int Tfrm_Szerkeszt::nevKeres(const QString &mezoNev, const QString &eleje)
{
    // The names' search keys are read in one pass at the first letter typed: a search in the
    // store would read the whole table at every letter. The pass sees the store as it is
    // now, so a hit is placed by its key, and one the list does not hold yet is passed by.
    Tabla *t = torzs(mezoNev).tabla;
    auto kulcsok = m_nevKulcsok.find(mezoNev);
    if (kulcsok == m_nevKulcsok.end()) {
        kulcsok = m_nevKulcsok.insert(mezoNev, {});
        const int kulcs = t->oszlop(t->leiras().kulcs), nev = t->oszlop(mezoNev + "_nev");
        t->bejar([&](int, const QVector<QVariant> &sor) {
            kulcsok->append({sor[kulcs], HuSzoveg::rendezoKulcs(sor[nev].toString())});
            return true;
        });
    }
    const QString keresett = HuSzoveg::rendezoKulcs(eleje);
    for (const auto &[kulcs, nevKulcs] : std::as_const(*kulcsok))
        if (nevKulcs.startsWith(keresett))
            if (const int sor = torzsSor(mezoNev, kulcs); sor >= 0)
                return sor;
    return -1;
}

void Tfrm_Szerkeszt::kot(QWidget *w, const QString &nev)
{
    m_kotesek.insert(nev, w);
    const MezoLeiras *ml = Tbl.leiras().mezo(nev);
    const bool tipusos = ml && (ml->tipus == MezoTipus::Datum || ml->tipus == MezoTipus::Egesz);
    if (auto *e = qobject_cast<QLineEdit *>(w)) {
        if (tipusos) {
            // a date or number is taken when the user moves on, so half-typed text is no error
            connect(e, &QLineEdit::editingFinished, this, [this, e, nev] {
                if (!m_tolt && e->isModified())
                    szovegBeir(e, nev);
            });
        } else {
            const bool nagy = nev == "rendszam" || nev == "sorozatszam";
            connect(e, &QLineEdit::textEdited, this, [this, e, nev, nagy](const QString &s) {
                if (m_tolt)
                    return;
                if (nagy && s != HuSzoveg::nagybetu(s)) {
                    const int p = e->cursorPosition();
                    e->setText(HuSzoveg::nagybetu(s));
                    e->setCursorPosition(p);
                }
                Tbl.setErtek(nev, e->text());
                frissit(nev, e);
            });
        }
    } else if (auto *p = qobject_cast<QPlainTextEdit *>(w)) {
        connect(p, &QPlainTextEdit::textChanged, this, [this, p, nev] {
            if (m_tolt)
                return;
            Tbl.setErtek(nev, p->toPlainText());
            frissit(nev, p);
        });
    } else if (auto *c = qobject_cast<QComboBox *>(w)) {
        if (c->isEditable()) {
            connect(c, &QComboBox::editTextChanged, this, [this, c, nev](const QString &s) {
                if (m_tolt)
                    return;
                Tbl.setErtek(nev, s);
                frissit(nev, c);
            });
        } else {
            connect(c, &QComboBox::currentIndexChanged, this, [this, c, nev](int i) {
                if (m_tolt || m_torzsUjraolvas || i < 0)
                    return;
                Tabla *t = torzs(nev).tabla;
                const QVariant kulcs = t->ertekSor(i, t->leiras().kulcs);
                if (kulcs.isNull()) {
                    frissit(nev);   // another program deleted the row since the list was read
                    return;
                }
                Tbl.setErtek(nev, kulcs);
                frissit(nev, c);
            });
        }
    }
    frissit(nev);
}

bool Tfrm_Szerkeszt::szovegBeir(QLineEdit *e, const QString &nev)
{
    try {
        Tbl.setErtek(nev, e->text());
    } catch (const StoreHiba &h) {
        const MezoLeiras *ml = Tbl.leiras().mezo(nev);
        HibaUzenet(QString("%1: %2\r\n%3")
                       .arg(cimke(nev), e->text(),
                            ml && ml->tipus == MezoTipus::Datum ? "Hibás dátum, a helyes alak: éééé.hh.nn."
                                                                : h.uzenet()),
                   this);
        e->setFocus();
        return false;
    }
    e->setModified(false);
    frissit(nev, e);
    return true;
}

void Tfrm_Szerkeszt::frissit(const QString &nev, QWidget *kiveve)
{
    const QVariant v = Tbl.ertek(nev);
    const bool regi = m_tolt;
    m_tolt = true;
    std::optional<int> torzsben;   // the row of the stored key in the master list
    for (QWidget *w : m_kotesek.values(nev)) {
        if (w == kiveve)
            continue;
        if (auto *e = qobject_cast<QLineEdit *>(w)) {
            const QString s = nev == "doksi_id" ? szamFormatum(v)
                            : v.typeId() == QMetaType::QDate ? v.toDate().toString(HuSzoveg::ROVID_DATUM)
                                                              : MezoSzoveg(v);
            if (e->text() != s)
                e->setText(s);
        } else if (auto *p = qobject_cast<QPlainTextEdit *>(w)) {
            if (p->toPlainText() != MezoSzoveg(v))
                p->setPlainText(MezoSzoveg(v));
        } else if (auto *c = qobject_cast<QComboBox *>(w)) {
            if (c->isEditable()) {
                if (c->currentText() != MezoSzoveg(v))
                    c->setEditText(MezoSzoveg(v));
            } else {
                if (!torzsben)
                    torzsben = torzsSor(nev, v);
                c->setCurrentIndex(*torzsben);
            }
        }
    }
    m_tolt = regi;
}

void Tfrm_Szerkeszt::datumBeallit(const QDate &d)
{
    kozosDatum = d;
    for (QDateEdit *e : datumok)
        if (e->date() != d)
            e->setDate(d);
}

void Tfrm_Szerkeszt::btnValasztClick(const QString &mezoNev)
{
    using Lista = int (*)(int, bool, QWidget *);
    const Lista lista = mezoNev == "marka" ? Lista(MarkaLista) : mezoNev == "alkatresz" ? Lista(AlkatreszLista)
                                                                                       : Lista(UgyfelLista);
    const int kulcs = lista(MezoEgesz(Tbl.ertek(mezoNev)), true, this);
    torzs(mezoNev).tabla->frissit();   // the browser may have added or renamed rows
    if (kulcs != -1)
        Tbl.setErtek(mezoNev, kulcs);
    frissit(mezoNev);
}

bool Tfrm_Szerkeszt::eventFilter(QObject *o, QEvent *e)
{
    // leaving a date box copies its date to the others
    if (e->type() == QEvent::FocusOut)
        if (auto *d = qobject_cast<QDateEdit *>(o); d && datumok.contains(d))
            datumBeallit(d->date());
    return QDialog::eventFilter(o, e);
}

void Tfrm_Szerkeszt::accept()
{
    // a date or number still being typed is taken now, or the window stays open
    for (const char *n : {"dat_beerk", "ft_varhato"})
        for (QWidget *w : m_kotesek.values(n))
            if (auto *e = qobject_cast<QLineEdit *>(w); e && e->isModified() && !szovegBeir(e, n))
                return;
    if (QWidget *f = QApplication::focusWidget())
        if (auto *d = qobject_cast<QDateEdit *>(f); d && datumok.contains(d))
            datumBeallit(d->date());
    QDialog::accept();
}

void LevelSzerkeszt(Tabla &tbl, bool uj, const QString &tipus, QWidget *szulo)
{
    if (!tbl.nyitva() || (!uj && tbl.ures()))
        return;   // nothing to edit
    const QString kind = uj || !tipus.isEmpty() ? tipus : MezoSzoveg(tbl.ertek("prntip"));
    int szam = 0;   // the number the editor shows for a new letter
    if (uj) {
        // from the store, not the list: another program may have added letters since it was read
        szam = tbl.kovetkezoSzam("doksi_id", "prntip", kind);
        tbl.beszur();
        tbl.sorszamoz("doksi_id", "prntip");
        tbl.setErtek("doksi_id", szam);
        tbl.setErtek("datum", QDate::currentDate());
        tbl.setErtek("prntip", kind);
    } else {
        tbl.szerkeszt();
    }
    Tfrm_Szerkeszt f(tbl, kind == "S", szulo);
    const QVariant d = tbl.ertek("datum");
    f.datumBeallit(d.isNull() ? QDate::currentDate() : d.toDate());
    f.datumok[0]->setFocus();
    for (;;) {
        const bool elfogadva = f.exec() == QDialog::Accepted;
        try {
            tbl.setErtek("datum", f.datumok[0]->date());
            if (!elfogadva) {
                tbl.megse();
                return;
            }
            tbl.post();
            break;
        } catch (const StoreHiba &h) {
            // the row stays in edit state: the user corrects it or cancels
            HibaUzenet(h.uzenet(), szulo);
            f.nyomtatKell = false;
        }
    }
    if (uj && MezoEgesz(tbl.ertek("doksi_id")) != szam)
        Uzenet(QString("A %1 számot közben egy másik program kiadta, ezért a levél a %2 számot kapta.")
                   .arg(szamFormatum(szam), szamFormatum(tbl.ertek("doksi_id"))),
               szulo);
    if (!f.nyomtatKell)
        return;
    // the editor is hidden by now; the preview shows the stored row of the page in front
    const int doksi = MezoEgesz(tbl.ertek("doksi"));
    if (doksi > 0)
        LevelNyomtat(LapNyomtatvanya(f.PageControl1->currentIndex()), doksi, false, szulo);
}
