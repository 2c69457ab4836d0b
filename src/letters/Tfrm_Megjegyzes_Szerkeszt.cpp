#include "Tfrm_Megjegyzes_Szerkeszt.h"
#include "AblakBetu.h"
#include "Beall.h"
#include "Ikonok.h"
#include "Kozepre.h"
#include "Mezo.h"
#include "MezoKonvencio.h"
#include "Seged.h"
#include "StoreHiba.h"
#include "Tabla.h"

#include <QAction>
#include <QApplication>
#include <QDateEdit>
#include <QFormLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QStyle>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

Tfrm_Megjegyzes_Szerkeszt::Tfrm_Megjegyzes_Szerkeszt(Tabla &tbl, QWidget *szulo) : QDialog(szulo), m_tbl(tbl)
{
    setFont(AblakBetu());
    setWindowTitle("Megjegyzés szerkesztése");
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);
    auto *fo = new QVBoxLayout(this);
    fo->setContentsMargins(4, 2, 4, 4);
    fo->setSpacing(3);

    auto *eszkozok = new QToolBar(this);
    eszkozok->setIconSize(QSize(16, 16));
    eszkozok->setFont(AblakBetu(7));   // seven commands fit in the fixed width
    eszkozok->setToolButtonStyle(Qt::ToolButtonTextOnly);
    fo->addWidget(eszkozok);

    auto *mezok = new QFormLayout;
    DateTimePicker1 = new QDateEdit;
    DateTimePicker1->setCalendarPopup(false);
    DateTimePicker1->setDisplayFormat("yyyy.MM.dd.");
    mezok->addRow("dátum", DateTimePicker1);
    DBEdit1 = new QLineEdit;
    DBEdit1->setMaxLength(50);
    mezok->addRow("rövid", DBEdit1);
    fo->addLayout(mezok);
    fo->addWidget(new QLabel("megjegyzés"));
    DBMemo1 = new QPlainTextEdit;
    DBMemo1->setFont(QFont("Courier New", 9));
    DBMemo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    fo->addWidget(DBMemo1, 1);

    auto akcio = [this, eszkozok](const QString &szoveg, const QKeySequence &k, const QString &tipp = {}) {
        auto *a = new QAction(szoveg, this);
        a->setToolTip(tipp.isEmpty() ? szoveg : tipp);
        a->setStatusTip(a->toolTip());
        a->setShortcut(k);
        eszkozok->addAction(a);
        addAction(a);
        return a;
    };
    connect(akcio("Dátum beszúrása szövegbe", {}), &QAction::triggered, this,
            &Tfrm_Megjegyzes_Szerkeszt::DatumBeszuras);
    eszkozok->addSeparator();
    // cut, copy and paste act on the focused text control; the controls' own keys serve them
    auto szerkeszto = [](auto muvelet) {
        return [muvelet] {
            QWidget *f = QApplication::focusWidget();
            if (auto *e = qobject_cast<QLineEdit *>(f))
                muvelet(e);
            else if (auto *m = qobject_cast<QPlainTextEdit *>(f))
                muvelet(m);
        };
    };
    QAction *kivag = akcio("Kivág", QKeySequence::Cut, "Cut");
    QAction *masol = akcio("Másol", QKeySequence::Copy, "Copy");
    QAction *beilleszt = akcio("Beilleszt", QKeySequence::Paste, "Paste");
    connect(kivag, &QAction::triggered, this, szerkeszto([](auto *w) { w->cut(); }));
    connect(masol, &QAction::triggered, this, szerkeszto([](auto *w) { w->copy(); }));
    connect(beilleszt, &QAction::triggered, this, szerkeszto([](auto *w) { w->paste(); }));
    // the three editing commands as the program's pictures, so all seven fit
    const std::pair<QAction *, const char *> kepek[] = {{kivag, "aKivag"}, {masol, "aMasol"}, {beilleszt, "aBeilleszt"}};
    for (const auto &[a, nev] : kepek) {
        a->setIcon(AkcioIkon(nev));
        if (auto *g = qobject_cast<QToolButton *>(eszkozok->widgetForAction(a)))
            g->setToolButtonStyle(Qt::ToolButtonIconOnly);
    }
    eszkozok->addSeparator();
    connect(akcio("Elfogad", QKeySequence(Qt::CTRL | Qt::Key_Return)), &QAction::triggered, this, &QDialog::accept);
    connect(akcio("Mégsem", {}), &QAction::triggered, this, &QDialog::reject);   // Esc rejects a dialog
    auto *enter = new QAction(this);   // the keypad's Enter too
    enter->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Enter));
    addAction(enter);
    connect(enter, &QAction::triggered, this, &QDialog::accept);

    // the row's values, written back as they are typed
    DBEdit1->setText(MezoSzoveg(m_tbl.ertek("rovid")));
    DBMemo1->setPlainText(MezoSzoveg(m_tbl.ertek("megjegyzes")));
    connect(DBEdit1, &QLineEdit::textChanged, this, [this](const QString &s) { m_tbl.setErtek("rovid", s); });
    connect(DBMemo1, &QPlainTextEdit::textChanged, this,
            [this] { m_tbl.setErtek("megjegyzes", DBMemo1->toPlainText()); });

    DBMemo1->installEventFilter(this);
    auto *konv = new MezoKonvencio(this);
    konv->szinezMind();
    konv->enterBekot();
    setTabOrder(DateTimePicker1, DBEdit1);
    setTabOrder(DBEdit1, DBMemo1);
    setFixedSize(421, 259);
    DateTimePicker1->setFocus();
}

bool Tfrm_Megjegyzes_Szerkeszt::eventFilter(QObject *o, QEvent *e)
{
    // the memo would take Ctrl+Enter as a new line; here it means "Elfogad"
    if (o == DBMemo1 && e->type() == QEvent::KeyPress) {
        auto *k = static_cast<QKeyEvent *>(e);
        if ((k->key() == Qt::Key_Return || k->key() == Qt::Key_Enter) && k->modifiers() == Qt::ControlModifier) {
            accept();
            return true;
        }
    }
    return QDialog::eventFilter(o, e);
}

QString Tfrm_Megjegyzes_Szerkeszt::belyegzo(const QDateTime &ido)
{
    return "-- " + Beall.FelhasznaloNev + ' ' + ido.toString("yyyy.MM.dd hh:mm") + " --";
}

void Tfrm_Megjegyzes_Szerkeszt::DatumBeszuras()
{
    const QString b = belyegzo();
    QTextCursor c = DBMemo1->textCursor();
    const int kezd = c.selectionStart();
    c.insertText(b);
    c.setPosition(kezd);
    c.setPosition(kezd + int(b.size()), QTextCursor::KeepAnchor);
    DBMemo1->setTextCursor(c);
}

bool Tfrm_Megjegyzes_Szerkeszt::futtat()
{
    const QVariant d = m_tbl.ertek("datum");
    DateTimePicker1->setDate(d.isNull() ? QDate::currentDate() : d.toDate());
    kepernyoKozepre(this);
    // a post the store refuses keeps the window, and what was typed, for another try
    while (exec() == QDialog::Accepted) {
        try {
            m_tbl.setErtek("datum", DateTimePicker1->date());
            m_tbl.post();
            return true;
        } catch (const StoreHiba &h) {
            HibaUzenet(h.uzenet(), parentWidget());
        }
    }
    m_tbl.megse();
    return false;
}
