// What every window shares: the place of a stored window on the screens there are, the
// question box without a cancel, and the program-wide conventions (Qt's texts in
// Hungarian, "*" in password boxes, Enter on a focused button, the drop-down lists).

#include "AblakBetu.h"
#include "Ikonok.h"
#include "Alkalmazas.h"
#include "Kozepre.h"
#include "LenyiloKereso.h"
#include "MezoKonvencio.h"
#include "Seged.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPainter>
#include <QPushButton>
#include <QStandardItemModel>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeView>
#include <QRegularExpression>
#include <QDir>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

namespace {
// Sends text as typed, accented letters too (keyClicks takes ASCII only).
void gepel(QWidget *w, const QString &s)
{
    for (const QChar c : s)
        QTest::sendKeyEvent(QTest::Click, w, c == ' ' ? Qt::Key_Space : Qt::Key_unknown, QString(c), Qt::NoModifier);
}

QMessageBox *nyitottDoboz()
{
    return qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
}

// A failed check inside a box must not leave the box open and the test hanging.
std::unique_ptr<QTimer> biztonsag()
{
    auto t = std::make_unique<QTimer>();
    QObject::connect(t.get(), &QTimer::timeout, [] {
        if (QMessageBox *b = nyitottDoboz())
            b->done(0);
    });
    t->start(3000);
    return t;
}
} // namespace

class AsztalTeszt : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { AlkalmazasKonvenciok(*qApp); }

    void kepernyoreHoz_data()
    {
        QTest::addColumn<QRect>("hely");
        QTest::addColumn<QList<QRect>>("teruletek");
        QTest::addColumn<QMargins>("keret");
        QTest::addColumn<QRect>("vart");
        const QRect egy(0, 0, 1024, 768), ketto(1024, 0, 1280, 1024);
        QTest::newRow("on the screen") << QRect(100, 50, 500, 300) << QList<QRect>{egy} << QMargins() << QRect(100, 50, 500, 300);
        QTest::newRow("half off to the right, title bar reachable")
            << QRect(800, 100, 500, 300) << QList<QRect>{egy} << QMargins() << QRect(800, 100, 500, 300);
        QTest::newRow("title bar partly above the top") << QRect(100, -11, 500, 300) << QList<QRect>{egy} << QMargins()
                                                         << QRect(100, 0, 500, 300);
        QTest::newRow("title bar far above the top") << QRect(100, -2000, 500, 300) << QList<QRect>{egy} << QMargins()
                                                      << QRect(100, 0, 500, 300);
        QTest::newRow("below a top panel") << QRect(100, 10, 500, 300) << QList<QRect>{QRect(0, 30, 1024, 738)} << QMargins()
                                            << QRect(100, 30, 500, 300);
        QTest::newRow("outside every screen") << QRect(3000, -900, 500, 300) << QList<QRect>{egy} << QMargins()
                                               << QRect(524, 0, 500, 300);
        QTest::newRow("on the second screen") << QRect(1500, 100, 500, 300) << QList<QRect>{egy, ketto} << QMargins()
                                               << QRect(1500, 100, 500, 300);
        QTest::newRow("the second screen gone") << QRect(1500, 100, 500, 300) << QList<QRect>{egy} << QMargins()
                                                 << QRect(524, 100, 500, 300);
        QTest::newRow("brought back with its frame") << QRect(3000, -900, 500, 300) << QList<QRect>{egy}
                                                      << QMargins(4, 24, 4, 4) << QRect(516, 0, 500, 300);
        QTest::newRow("frame kept off a usable place") << QRect(800, 100, 500, 300) << QList<QRect>{egy}
                                                        << QMargins(4, 24, 4, 4) << QRect(800, 100, 500, 300);
        QTest::newRow("larger than the screen") << QRect(-50, -50, 2000, 1500) << QList<QRect>{egy} << QMargins() << egy;
    }

    void kepernyoreHoz()
    {
        QFETCH(QRect, hely);
        QFETCH(QList<QRect>, teruletek);
        QFETCH(QMargins, keret);
        QFETCH(QRect, vart);
        QCOMPARE(KepernyoreHoz(hely, teruletek, keret), vart);
    }

    // The question has no cancel: Esc and the close box leave it open; only Yes or No answer.
    void kerdesCsakIgenVagyNem_data()
    {
        QTest::addColumn<bool>("igen");
        QTest::newRow("Igen") << true;
        QTest::newRow("Nem") << false;
    }

    void kerdesCsakIgenVagyNem()
    {
        QFETCH(bool, igen);
        const auto orszem = biztonsag();
        bool nyitvaMaradt = false;
        QTimer::singleShot(0, [&] {
            QMessageBox *b = nyitottDoboz();
            QVERIFY(b);
            QTest::keyClick(b, Qt::Key_Escape);
            QVERIFY(!b->close());
            nyitvaMaradt = b->isVisible() && nyitottDoboz() == b;
            b->button(igen ? QMessageBox::Yes : QMessageBox::No)->click();
        });
        QCOMPARE(Kerdes("Archiváljam most?", "Kérdés"), igen);
        QVERIFY(nyitvaMaradt);
    }

    // Error and information boxes still close with Esc; a short text leaves room for the whole
    // caption beside a window manager's icon and buttons.
    void hibaDobozEsccelZarul()
    {
        bool megvolt = false;
        int szeles = 0;
        QTimer::singleShot(0, [&] {
            QMessageBox *b = nyitottDoboz();
            QVERIFY(b);
            megvolt = true;
            QTest::qWait(100);   // past Qt's own re-sizing at the layout request
            szeles = b->width();
            QTest::keyClick(b, Qt::Key_Escape);
        });
        const auto orszem = biztonsag();
        FelsoHiba("Hiba.");
        QVERIFY(megvolt);
        QVERIFY2(szeles >= CimSzelesseg("DorvPrg - Garanciajegy nyilvántartás"), qPrintable(QString::number(szeles)));
    }

    void jelszoCsillag()
    {
        QLineEdit e;
        e.setEchoMode(QLineEdit::Password);
        e.setText("titok");
        QCOMPARE(e.displayText(), QString("*****"));
    }

    // Enter presses the focused push or tool button, also where Enter moves between fields
    // and no button is the default; in an edit box Enter still moves on.
    void enterAFokuszaltGombon()
    {
        QDialog d;
        auto *l = new QVBoxLayout(&d);
        auto *e = new QLineEdit(&d);
        auto *ok = new QPushButton("OK", &d);
        auto *tallozo = new QToolButton(&d);
        ok->setAutoDefault(false);
        l->addWidget(e);
        l->addWidget(ok);
        l->addWidget(tallozo);
        (new MezoKonvencio(&d))->enterBekot();
        int okDb = 0, tallozDb = 0;
        connect(ok, &QPushButton::clicked, [&] { ++okDb; });
        connect(tallozo, &QToolButton::clicked, [&] { ++tallozDb; });
        d.show();
        QVERIFY(QTest::qWaitForWindowActive(&d));
        e->setFocus();
        QTest::keyClick(e, Qt::Key_Return);
        QCOMPARE(QApplication::focusWidget(), ok);
        QCOMPARE(okDb, 0);
        QTest::keyClick(ok, Qt::Key_Return);
        QTest::keyClick(ok, Qt::Key_Enter, Qt::KeypadModifier);
        QCOMPARE(okDb, 2);
        tallozo->setFocus();
        QTest::keyClick(tallozo, Qt::Key_Return);
        QCOMPARE(tallozDb, 1);
        QVERIFY(d.isVisible());
    }

    // A focused button shows a frame even when no Tab was pressed in the window.
    void fokuszaltGombKerete()
    {
        QWidget w;
        auto *l = new QVBoxLayout(&w);
        auto *b = new QPushButton("OK", &w);
        auto *masik = new QLineEdit(&w);
        l->addWidget(b);
        l->addWidget(masik);
        w.show();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        masik->setFocus();
        const QImage nelkule = b->grab().toImage();
        b->setFocus();
        QVERIFY(b->hasFocus());
        QVERIFY(b->grab().toImage() != nelkule);
    }

    // Qt's own texts (the edit box's menu, standard buttons, the file dialog) speak Hungarian.
    void qtSzovegekMagyarul()
    {
        QLineEdit e;
        std::unique_ptr<QMenu> m(e.createStandardContextMenu());
        QStringList szovegek;
        for (QAction *a : m->actions())
            if (!a->isSeparator())
                szovegek << a->text();
        QCOMPARE(szovegek.size(), 7);
        for (const char *angol : {"&Undo", "&Redo", "Cu&t", "&Copy", "&Paste", "Delete", "Select All"})
            QVERIFY2(!szovegek.contains(angol), qPrintable(szovegek.join('|')));
        QDialogButtonBox gombok(QDialogButtonBox::Save | QDialogButtonBox::Cancel);
        QCOMPARE(gombok.button(QDialogButtonBox::Cancel)->text(), QString("Mégsem"));   // as the program's own
        QVERIFY(!gombok.button(QDialogButtonBox::Save)->text().contains("Save"));
        QFileDialog f(nullptr, "Mentés");
        f.setOption(QFileDialog::DontUseNativeDialog);
        auto *hely = f.findChild<QLabel *>("lookInLabel");
        QVERIFY(hely);
        QVERIFY2(!hely->text().isEmpty() && hely->text() != "Look in:", qPrintable(hely->text()));

        // the list names a folder's type and writes a time as a Hungarian desk does
        QTemporaryDir mappa;
        QVERIFY(QDir(mappa.path()).mkdir("Számlák"));
        f.setDirectory(mappa.path());
        f.setViewMode(QFileDialog::Detail);
        f.show();
        auto *lista = f.findChild<QTreeView *>("treeView");
        QVERIFY(lista);
        QTRY_COMPARE(lista->model()->rowCount(lista->rootIndex()), 1);
        const QModelIndex sor = lista->model()->index(0, 0, lista->rootIndex());
        QCOMPARE(sor.siblingAtColumn(2).data().toString(), QString("Mappa"));
        const QString ido = sor.siblingAtColumn(3).data().toString();
        QVERIFY2(QRegularExpression("^\\d{4}\\. \\d{2}\\. \\d{2}\\. \\d{1,2}:\\d{2}$").match(ido).hasMatch(), qPrintable(ido));
    }

    // A grid cell keeps its text a pixel from the line: a column just as wide as the text
    // plus the lines shows it whole, without "…".
    void racsCellaSzovege()
    {
        QStandardItemModel m(1, 2);
        m.setItem(0, 0, new QStandardItem("No:00039"));
        m.setItem(0, 1, new QStandardItem("x"));
        QTableView v;
        v.setModel(&m);
        v.verticalHeader()->hide();
        v.horizontalHeader()->hide();
        v.setFont(AblakBetu());
        v.setFocusPolicy(Qt::NoFocus);   // no focus frame around the cell
        v.resize(300, 60);
        const int szeles = QFontMetrics(v.font()).horizontalAdvance("No:00039");
        v.show();
        QVERIFY(QTest::qWaitForWindowExposed(&v));
        const auto cella = [&](int oszlopSzeles) {
            v.setColumnWidth(0, oszlopSzeles);
            const QRect r = v.visualRect(m.index(0, 0));
            return v.viewport()->grab(QRect(r.left(), r.top(), szeles + 1, r.height())).toImage();
        };
        QCOMPARE(cella(szeles + 2), cella(szeles + 40));   // the line, a pixel, the text
        QVERIFY(cella(szeles - 4) != cella(szeles + 40));   // narrower: cut, with "…"
    }

    // Every command has a picture of its own, none left as the plain page of an unknown name.
    void ikonKeszlet()
    {
        const QStringList nevek = {"aUj", "aSzerkeszt", "aTorol", "aNyomtatkep", "aNyomtat", "aExcel", "aBezar",
            "aCsatolt", "aMegjegyzes", "aMegjegyzesUj", "aKeres", "aKeresReszletes", "aTorzsMarka",
            "aTorzsAlkatresz", "aTorzsUgyfel", "aNyomLista", "aNyomJavitas", "aNyomSzerelo", "aJotallas",
            "aSzereles", "aTulajdonos", "aFelhasznalo", "aSQL", "aArchiv", "aBeallit", "aSugo", "aFontos",
            "aHonlap", "aLevel", "aEmail", "aUjdonsag", "aNevjegy", "aElfogad", "aKivag", "aMasol", "aBeilleszt",
            "aMindet", "aMegnyit", "aMent", "aFuttat", "aMegallit"};
        QHash<QByteArray, QString> latott;
        const auto kep = [](const QString &n) {
            const QImage i = AkcioIkon(n).pixmap(16, 16).toImage();
            return QByteArray(reinterpret_cast<const char *>(i.constBits()), i.sizeInBytes());
        };
        latott.insert(kep("nincsIlyen"), "nincsIlyen");
        for (const QString &n : nevek) {
            const QByteArray k = kep(n);
            QVERIFY2(!latott.contains(k), qPrintable(n + " = " + latott.value(k)));
            latott.insert(k, n);
        }
    }

    void egyAblakBetu()
    {
        if (TahomaCsalad().isEmpty())
            QSKIP("the Tahoma twin (fonts-wine) is not installed");
        QCOMPARE(QApplication::font().family(), AblakBetu().family());
        QCOMPARE(QApplication::font().pixelSize(), 11);
        QCOMPARE(QWidget().font().family(), AblakBetu().family());
    }

    // Typing picks the first name beginning with the typed text, spaces and accents
    // included, case ignored; a space does not open the list.
    void lenyiloKereses_data()
    {
        QTest::addColumn<QString>("gepelt");
        QTest::addColumn<QString>("vart");
        QTest::newRow("a name with a space") << "Nagy I" << "Nagy Ildikó";
        QTest::newRow("case ignored") << "nAGY i" << "Nagy Ildikó";
        QTest::newRow("leading part only") << "nagy" << "Nagy Béla";
        QTest::newRow("longer leading part") << "nagyn" << "Nagyné Éva";
        QTest::newRow("accented capital") << "őr" << "Őry Ödön";
        QTest::newRow("accented first letter") << "ÁB" << "Ábel Ádám";
        QTest::newRow("no such name: stays") << "xyz" << "Kiss Anna";
        QTest::newRow("typed on after a miss") << "nagy ix" << "Nagy Ildikó";
    }

    void lenyiloKereses()
    {
        QFETCH(QString, gepelt);
        QFETCH(QString, vart);
        QComboBox c;
        c.addItems({"Kiss Anna", "Nagy Béla", "Nagy Ildikó", "Nagyné Éva", "Őry Ödön", "Ábel Ádám"});
        LenyiloKereso::bekot(&c);
        c.show();
        QVERIFY(QTest::qWaitForWindowActive(&c));
        c.setFocus();
        gepel(&c, gepelt);
        QCOMPARE(c.currentText(), vart);
        QVERIFY(!c.view()->isVisible());
        // Backspace takes back the last letter typed
        if (gepelt == "nagy ix") {
            QTest::keyClick(&c, Qt::Key_Backspace);
            QTest::keyClick(&c, Qt::Key_Backspace);
            QCOMPARE(c.currentText(), QString("Nagy Béla"));   // "nagy "
            QTest::keyClick(&c, Qt::Key_Backspace);
            gepel(&c, "n");
            QCOMPARE(c.currentText(), QString("Nagyné Éva"));
        }
    }

    // In the open list the typing moves the list's selection, which Enter takes; the list
    // shows at most 20 rows however many names there are.
    void nyitottLista()
    {
        QComboBox c;
        for (int i = 0; i < 500; ++i)
            c.addItem(QString("Ügyfél %1").arg(i, 3, 10, QChar('0')));
        c.addItem("Zsiga Ödön");
        LenyiloKereso::bekot(&c);
        c.show();
        QVERIFY(QTest::qWaitForWindowActive(&c));
        c.showPopup();
        QAbstractItemView *v = c.view();
        QTRY_VERIFY(v->isVisible());
        const int sor = v->sizeHintForRow(0);
        QVERIFY(sor > 0);
        QVERIFY2(v->viewport()->height() <= 20 * sor + 2 * sor / 3, qPrintable(QString::number(v->viewport()->height())));
        QVERIFY(v->viewport()->height() >= 15 * sor);
        gepel(v, "zsiga ö");
        QCOMPARE(v->currentIndex().row(), 500);
        QTest::keyClick(v, Qt::Key_Return);
        QTRY_VERIFY(!v->isVisible());
        QCOMPARE(c.currentText(), QString("Zsiga Ödön"));
    }

    // Shift+F10 opens a grid's context menu at its current row, as the Menu key does.
    void shiftF10Menu()
    {
        QStandardItemModel m(5, 2);
        QTableView v;
        v.setModel(&m);
        QPoint hol(-1, -1);
        v.setContextMenuPolicy(Qt::CustomContextMenu);
        connect(&v, &QWidget::customContextMenuRequested, &v, [&](const QPoint &p) { hol = p; });
        v.show();
        QVERIFY(QTest::qWaitForWindowExposed(&v));
        v.setCurrentIndex(m.index(3, 1));
        v.setFocus();
        QTest::keyClick(&v, Qt::Key_F10, Qt::ShiftModifier);
        QCOMPARE(hol, v.visualRect(m.index(3, 1)).center());
    }

    // Bold window text is visibly heavier than the regular text, not only wider.
    void felkoverLatszik()
    {
        const auto tinta = [](const QFont &f) {
            QImage kep(200, 20, QImage::Format_Grayscale8);
            kep.fill(255);
            QPainter p(&kep);
            p.setFont(f);
            p.drawText(2, 15, "Saját műhely Kft.");
            p.end();
            double t = 0;
            for (int y = 0; y < kep.height(); ++y)
                for (int x = 0; x < kep.width(); ++x)
                    t += 255 - qGray(kep.pixel(x, y));
            return t;
        };
        QVERIFY2(tinta(Felkover(AblakBetu())) > 1.3 * tinta(AblakBetu()), "bold has hardly more ink");
        QVERIFY(tinta(AblakBetu(8, true)) > 1.3 * tinta(AblakBetu()));
    }
};

QTEST_MAIN(AsztalTeszt)
#include "tst_asztal.moc"
