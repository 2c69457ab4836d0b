#include "Tfrm_SQL.h"
#include "Adatbazis.h"
#include "AblakBetu.h"
#include "Alkalmazas.h"
#include "BiztosFajl.h"
#include "Elfoglalt.h"
#include "Export.h"
#include "HuSzoveg.h"
#include "Ikonok.h"
#include "MotorSql.h"
#include "RegiszterFajl.h"
#include "Seged.h"
#include "StoreHiba.h"
#include "SzabadLekerdezes.h"
#include "Naplo.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QStringDecoder>
#include <QStringEncoder>
#include <QStyle>
#include <QTabWidget>
#include <QTableView>
#include <QToolBar>
#include <QVBoxLayout>
#include <Qsci/qscilexersql.h>
#include <Qsci/qsciscintilla.h>
#include <sqlite3.h>

namespace {

constexpr int PROGRESS_LEPES = 1000;      // SQLite VM steps between two looks at the window
constexpr int ESEMENY_MS = 30;           // how often the window answers during a run
constexpr int JELZES_MS = 300;           // a run longer than this shows that it runs

QString sqlMappa() { return QDir(ProgramMappa()).filePath("SQL"); }

QAction *elvalaszto(QObject *szulo)
{
    auto *a = new QAction(szulo);
    a->setSeparator(true);
    return a;
}

// Statement files stay in 1250 like the program's other text files; a text that 1250
// cannot hold is saved as UTF-8 instead of losing characters (reading tells them apart).
QByteArray sqlKodol(const QString &s)
{
    QStringEncoder e("windows-1250");
    const QByteArray b = e.encode(s);
    QStringDecoder d("windows-1250");
    if (!e.hasError() && QString(d.decode(b)) == s)
        return b;
    return s.toUtf8();
}

} // namespace

Tfrm_SQL::Tfrm_SQL(QWidget *szulo) : QDialog(szulo)
{
    setWindowTitle("SQL lekérdezés");
    setFont(AblakBetu());
    setSizeGripEnabled(true);
    resize(585, 405);

    // the program's own pictures; the export is the main window's "Excelbe" table
    aUj = akcio("Új SQL", AkcioIkon("aUj"), QKeySequence("Ctrl+N"));
    aMegnyit = akcio("SQL megnyitása", AkcioIkon("aMegnyit"), QKeySequence("Ctrl+O"));
    aMent = akcio("SQL mentése", AkcioIkon("aMent"), QKeySequence("Ctrl+S"));
    aExport = akcio("Export", AkcioIkon("aExcel"), QKeySequence("Ctrl+E"));
    aBezar = akcio("Bezár", AkcioIkon("aBezar"), {});
    aKivag = akcio("Kivág", AkcioIkon("aKivag"), QKeySequence("Ctrl+X"));
    aMasol = akcio("Másol", AkcioIkon("aMasol"), QKeySequence("Ctrl+C"));
    aBeilleszt = akcio("Beilleszt", AkcioIkon("aBeilleszt"), QKeySequence("Ctrl+V"));
    aMindet = akcio("Mindet kijelöl", AkcioIkon("aMindet"), QKeySequence("Ctrl+A"));
    aFuttat = akcio("SQL lekérdezés", AkcioIkon("aFuttat"), QKeySequence("F5"));
    aMegallit = akcio("Megállít", AkcioIkon("aMegallit"), QKeySequence("Esc"));
    aMegallit->setEnabled(false);

    auto *menu = new QMenuBar(this);
    QMenu *mFajl = menu->addMenu("&Fájl");
    mFajl->addActions({aUj, aMegnyit, aMent});
    mFajl->addSeparator();
    mFajl->addAction(aExport);
    mFajl->addSeparator();
    mFajl->addAction(aBezar);
    QMenu *mSzerk = menu->addMenu("S&zerkesztés");
    mSzerk->addActions({aKivag, aMasol, aBeilleszt});
    mSzerk->addSeparator();
    mSzerk->addAction(aMindet);
    QMenu *mSql = menu->addMenu("S&QL");
    mSql->addActions({aFuttat, aMegallit});
    MenuBillentyu(this, menu);

    tbEszkoz = new QToolBar(this);
    tbEszkoz->setIconSize({16, 16});
    tbEszkoz->addActions({aUj, aMegnyit, aMent});
    tbEszkoz->addSeparator();
    tbEszkoz->addAction(aExport);
    tbEszkoz->addSeparator();
    tbEszkoz->addAction(aFuttat);
    tbEszkoz->addSeparator();
    tbEszkoz->addActions({aKivag, aMasol, aBeilleszt});
    tbEszkoz->addSeparator();
    tbEszkoz->addAction(aBezar);

    // the statement editor
    edSQL = new QsciScintilla(this);
    auto *lexer = new QsciLexerSQL(edSQL);
    const QFont courier("Courier New", 10);
    lexer->setDefaultFont(courier);
    lexer->setFont(courier);   // every style
    for (int s : {QsciLexerSQL::Comment, QsciLexerSQL::CommentLine, QsciLexerSQL::CommentDoc,
                  QsciLexerSQL::CommentLineHash, QsciLexerSQL::CommentDocKeyword, QsciLexerSQL::PlusComment})
        lexer->setColor(QColor(0, 128, 0), s);
    lexer->setColor(QColor(0, 0, 255), QsciLexerSQL::Number);
    for (int s : {QsciLexerSQL::SingleQuotedString, QsciLexerSQL::DoubleQuotedString})
        lexer->setColor(QColor(255, 0, 0), s);
    edSQL->setLexer(lexer);
    edSQL->setFont(courier);
    edSQL->setUtf8(true);
    edSQL->setMarginType(0, QsciScintilla::NumberMargin);
    edSQL->setMarginLineNumbers(0, true);
    edSQL->setMarginsFont(courier);
    edSQL->setMarginWidth(0, "0000");   // three digits and a little room
    edSQL->setMarginWidth(1, 0);
    edSQL->setCaretLineVisible(true);
    edSQL->setCaretLineBackgroundColor(QColor(225, 240, 255));
    edSQL->setSelectionBackgroundColor(QColor(192, 192, 192));
    edSQL->setContextMenuPolicy(Qt::ActionsContextMenu);
    edSQL->installEventFilter(this);
    edSQL->addActions({aFuttat, elvalaszto(this), aUj, aMegnyit, aMent, elvalaszto(this), aKivag, aMasol,
                       aBeilleszt, aMindet});

    grdEredmeny = new QTableView(this);
    modell = new LekerdezesModell(this);
    modell->setTolto([this](const std::function<void()> &munka) { figyelve(munka); });
    grdEredmeny->setModel(modell);
    grdEredmeny->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grdEredmeny->setTabKeyNavigation(false);   // Tab leaves the grid for the page tabs and the bars
    grdEredmeny->horizontalHeader()->setDefaultSectionSize(64);
    grdEredmeny->verticalHeader()->setDefaultSectionSize(grdEredmeny->fontMetrics().height() + 4);
    grdEredmeny->setContextMenuPolicy(Qt::ActionsContextMenu);
    grdEredmeny->addActions({aMasol, elvalaszto(this), aExport});
    connect(modell, &LekerdezesModell::hiba, this, [this](const QString &h) { HibaUzenet("SQL hiba:\r\n" + h, this); });

    pcLapok = new QTabWidget(this);
    pcLapok->addTab(edSQL, "SQL");
    pcLapok->addTab(grdEredmeny, "Eredmény");

    // shown while a statement runs long
    auto *futSor = new QWidget(this);
    auto *fl = new QHBoxLayout(futSor);
    fl->setContentsMargins(4, 2, 4, 2);
    lblFut = new QLabel("Az SQL utasítás fut...", futSor);
    pbFut = new QProgressBar(futSor);
    pbFut->setRange(0, 0);
    pbFut->setMaximumHeight(16);
    btnMegallit = new QPushButton("Megállít", futSor);
    btnMegallit->setAutoDefault(false);
    fl->addWidget(lblFut);
    fl->addWidget(pbFut, 1);
    fl->addWidget(btnMegallit);
    futSor->hide();
    connect(btnMegallit, &QPushButton::clicked, this, &Tfrm_SQL::aMegallitExecute);

    auto *l = new QVBoxLayout(this);
    l->setContentsMargins(0, 0, 0, 0);
    l->setSpacing(0);
    l->setMenuBar(menu);
    l->addWidget(tbEszkoz);
    l->addWidget(pcLapok, 1);
    l->addWidget(futSor);

    connect(aUj, &QAction::triggered, this, &Tfrm_SQL::aUjExecute);
    connect(aMegnyit, &QAction::triggered, this, &Tfrm_SQL::aMegnyitExecute);
    connect(aMent, &QAction::triggered, this, &Tfrm_SQL::aMentExecute);
    connect(aExport, &QAction::triggered, this, &Tfrm_SQL::aExportExecute);
    connect(aBezar, &QAction::triggered, this, &QWidget::close);
    connect(aFuttat, &QAction::triggered, this, &Tfrm_SQL::aFuttatExecute);
    connect(aMegallit, &QAction::triggered, this, &Tfrm_SQL::aMegallitExecute);
    // the clipboard commands act on the editor, and only while its page is in front
    connect(aKivag, &QAction::triggered, this, [this] { if (sqlLapElol()) edSQL->cut(); });
    connect(aMasol, &QAction::triggered, this, [this] { if (sqlLapElol()) edSQL->copy(); });
    connect(aBeilleszt, &QAction::triggered, this, [this] { if (sqlLapElol()) edSQL->paste(); });
    connect(aMindet, &QAction::triggered, this, [this] { if (sqlLapElol()) edSQL->selectAll(); });

    exportAllapot();
    pcLapok->setCurrentIndex(0);
    edSQL->setFocus();
    if (szulo)
        move(szulo->window()->geometry().center() - rect().center());
}

Tfrm_SQL::~Tfrm_SQL()
{
    modell->setLekerdezes(nullptr);
    m_qry.bezar();
}

QAction *Tfrm_SQL::akcio(const QString &cim, const QIcon &ikon, const QKeySequence &billentyu)
{
    auto *a = new QAction(ikon, cim, this);
    a->setToolTip(cim);
    a->setStatusTip(cim);
    a->setShortcut(billentyu);
    a->setShortcutContext(Qt::WindowShortcut);
    addAction(a);
    return a;
}

bool Tfrm_SQL::sqlLapElol() const { return pcLapok->currentIndex() == 0; }

void Tfrm_SQL::exportAllapot() { aExport->setEnabled(m_qry.nyitva() && !m_fut); }

void Tfrm_SQL::eredmenyBezar()
{
    modell->setLekerdezes(nullptr);
    m_qry.bezar();
    exportAllapot();
}

int Tfrm_SQL::haladasVisszahivas(void *p) { return static_cast<Tfrm_SQL *>(p)->haladas(); }

int Tfrm_SQL::haladas()
{
    const qint64 most = m_ora.elapsed();
    if (most - m_utolsoEsemeny >= ESEMENY_MS) {
        m_utolsoEsemeny = most;
        if (most >= JELZES_MS && !pbFut->parentWidget()->isVisible()) {
            pbFut->parentWidget()->show();
            QApplication::setOverrideCursor(Qt::BusyCursor);
        }
        QApplication::processEvents();
    }
    return m_megallit ? 1 : 0;   // non-zero makes SQLite give up the statement ("interrupted")
}

void Tfrm_SQL::figyelve(const std::function<void()> &munka)
{
    if (m_fut) {
        munka();   // already watched (a fetch inside a run)
        return;
    }
    m_fut = true;
    m_megallit = false;
    m_utolsoEsemeny = 0;
    m_ora.start();
    const QList<QAction *> tiltott = {aUj, aMegnyit, aMent, aExport, aBezar, aFuttat};
    QList<QAction *> engedett;
    for (QAction *a : tiltott)
        if (a->isEnabled()) {
            a->setEnabled(false);
            engedett << a;
        }
    aMegallit->setEnabled(true);
    // While SQLite is inside a statement nothing else may use the connection: other windows
    // (the letter list behind) would read rows while painting, so their painting waits.
    qApp->installEventFilter(this);
    Adatbazis::haladasFigyel(PROGRESS_LEPES, &Tfrm_SQL::haladasVisszahivas, this);
    struct Vissza {
        Tfrm_SQL *f;
        QList<QAction *> engedett;
        ~Vissza()
        {
            Adatbazis::haladasFigyel(0, nullptr, nullptr);
            qApp->removeEventFilter(f);
            f->m_fut = false;
            for (QAction *a : engedett)
                a->setEnabled(true);
            f->aMegallit->setEnabled(false);
            if (f->pbFut->parentWidget()->isVisible()) {
                f->pbFut->parentWidget()->hide();
                QApplication::restoreOverrideCursor();
            }
            for (const QPointer<QWidget> &w : std::as_const(f->m_festetlen))
                if (w)
                    w->update();
            f->m_festetlen.clear();
        }
    } vissza{this, engedett};
    const Adatbazis::Elfoglalt elfoglalt;
    munka();
}

bool Tfrm_SQL::eventFilter(QObject *o, QEvent *e)
{
    // the editor keeps Esc for itself unless its completion list is open
    if (o == edSQL && e->type() == QEvent::KeyPress && static_cast<QKeyEvent *>(e)->key() == Qt::Key_Escape
        && !edSQL->isListActive()) {
        keyPressEvent(static_cast<QKeyEvent *>(e));
        return true;
    }
    if (m_fut && (e->type() == QEvent::Paint || e->type() == QEvent::UpdateRequest || e->type() == QEvent::UpdateLater)
        && o->isWidgetType()) {
        QWidget *w = static_cast<QWidget *>(o)->window();
        if (w != this) {
            if (!m_festetlen.contains(w))
                m_festetlen << w;
            return true;
        }
    }
    return QDialog::eventFilter(o, e);
}

void Tfrm_SQL::aMegallitExecute()
{
    if (m_fut)
        m_megallit = true;
}

void Tfrm_SQL::aFuttatExecute()
{
    if (m_fut)
        return;
    eredmenyBezar();
    // hasSelectedText() stays true after a selection was typed over (and after "Új"): only
    // the text actually selected counts
    const QString kijelolt = edSQL->selectedText();
    const QString sql = kijelolt.trimmed().isEmpty() ? edSQL->text() : kijelolt;
    // the test ignores case and surrounding blanks; the statement goes as it was written
    const bool select = sql.trimmed().toUpper().startsWith("SELECT");
    try {
        m_qry.setSql(sql);
        // the server runs the statement in the background while the window answers; stopping
        // cancels it there (once is enough)
        bool megszakitva = false;
        const auto kozben = [this, &megszakitva] {
            if (haladas() && !megszakitva) {
                megszakitva = true;
                Adatbazis::megszakit();
            }
        };
        if (select) {
            figyelve([&] {
                m_qry.setSql(MotorSql::hatterben(sql, true, kozben));
                struct Vege {
                    ~Vege() { MotorSql::hatterVege(); }
                } vege;
                m_qry.megnyit();
                m_qry.betolt(LekerdezesModell::LAP);
            });
            modell->setLekerdezes(&m_qry);
            for (int c = 0; c < modell->columnCount(); ++c)
                grdEredmeny->setColumnWidth(c, 64);
            pcLapok->setCurrentIndex(1);
            exportAllapot();
        } else {
            int sorok = 0;
            figyelve([&] {
                if (const QString maradek = MotorSql::hatterben(sql, false, kozben); !maradek.isEmpty()) {
                    m_qry.setSql(maradek);
                    m_qry.vegrehajt();
                    sorok = m_qry.erintettSorok();
                } else {
                    sorok = MotorSql::hatterSorok();
                }
            });
            // the statement itself, with who ran it; the rows it changed are recorded already
            Naplo::sqlUtasitas(sql, qMax(sorok, 0));
            m_qry.bezar();
            exportAllapot();
            Uzenet("SQL futtatás kész.", this);
        }
    } catch (const StoreHiba &h) {
        const bool leallitva = m_megallit;
        eredmenyBezar();
        if (!m_bezarKell)
            HibaUzenet("SQL hiba:\r\n" + (leallitva ? "A futás leállítva.\r\n" : QString()) + h.uzenet(), this);
    }
    if (m_bezarKell)
        close();
}

void Tfrm_SQL::aUjExecute() { edSQL->clear(); }

void Tfrm_SQL::aMegnyitExecute()
{
    QFileDialog d(this, "SQL megnyitás", sqlMappa());
    d.setAcceptMode(QFileDialog::AcceptOpen);
    d.setFileMode(QFileDialog::ExistingFile);
    d.setNameFilter("SQL állományok (*.sql)");
    d.setDefaultSuffix("sql");
    if (d.exec() != QDialog::Accepted || d.selectedFiles().isEmpty())
        return;
    const QString fajl = d.selectedFiles().first();
    try {
        edSQL->setText(HuSzoveg::fajlOlvas(fajl));
        m_fajlnev = fajl;
    } catch (const StoreHiba &h) {
        HibaUzenet(h.uzenet(), this);
    }
}

void Tfrm_SQL::aMentExecute()
{
    QDir().mkpath(sqlMappa());
    QFileDialog d(this, "SQL mentése", sqlMappa());
    d.setAcceptMode(QFileDialog::AcceptSave);
    d.setOption(QFileDialog::DontConfirmOverwrite);   // saving replaces without a question
    d.setNameFilter("SQL file-ok (*.sql)");
    d.setDefaultSuffix("sql");
    if (!m_fajlnev.isEmpty())
        d.selectFile(m_fajlnev);
    if (d.exec() != QDialog::Accepted || d.selectedFiles().isEmpty())
        return;
    const QString fajl = d.selectedFiles().first();
    try {
        RegiszterFajlVed(fajl);
        BiztosFajl f(fajl);
        f.megnyit();
        f.irMind(sqlKodol(edSQL->text()));
        f.veglegesit();
    } catch (const StoreHiba &h) {
        HibaUzenet(h.uzenet(), this);
        return;
    }
    m_fajlnev = fajl;
}

void Tfrm_SQL::aExportExecute()
{
    if (!m_qry.nyitva() || m_fut)
        return;
    if (m_exportFajl.isEmpty())
        m_exportFajl = "Mernu4_exp.csv";
    QFileDialog d(this, "Export");
    d.setAcceptMode(QFileDialog::AcceptSave);
    d.setOption(QFileDialog::DontConfirmOverwrite);
    d.setNameFilter("CSV állományok (*.csv)");
    d.setDefaultSuffix("csv");
    d.selectFile(m_exportFajl);
    if (d.exec() != QDialog::Accepted || d.selectedFiles().isEmpty())
        return;
    m_exportFajl = d.selectedFiles().first();
    try {
        figyelve([this] { CsvMentes(m_qry, m_exportFajl, "|"); });
    } catch (const StoreHiba &h) {
        HibaUzenet("SQL hiba:\r\n" + h.uzenet(), this);
    }
    if (m_bezarKell)
        close();
}

void Tfrm_SQL::keyPressEvent(QKeyEvent *e)
{
    if (e->key() == Qt::Key_Escape) {   // stops a run; with nothing running it closes the window
        if (m_fut)
            aMegallitExecute();
        else
            close();
        return;
    }
    QDialog::keyPressEvent(e);
}

void Tfrm_SQL::closeEvent(QCloseEvent *e)
{
    if (m_fut) {
        // stop the statement first; the window closes when it has given up
        m_bezarKell = true;
        m_megallit = true;
        e->ignore();
        return;
    }
    eredmenyBezar();
    QDialog::closeEvent(e);
}
