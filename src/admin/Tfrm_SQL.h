#pragma once

#include "Lekerdezes.h"

#include <QDialog>
#include <QElapsedTimer>
#include <QPointer>
#include <QList>
#include <functional>

class LekerdezesModell;
class QAction;
class QLabel;
class QProgressBar;
class QPushButton;
class QTabWidget;
class QTableView;
class QToolBar;
class QsciScintilla;

// "SQL lekérdezés": any statement against the register, its result in a grid, statements
// kept in .sql files, the result exported to delimited text. A statement that runs long
// shows that it runs and can be stopped ("Megállít").
class Tfrm_SQL : public QDialog {
    Q_OBJECT
public:
    explicit Tfrm_SQL(QWidget *szulo = nullptr);
    ~Tfrm_SQL() override;

    bool fut() const { return m_fut; }
    bool eredmenyNyitva() const { return m_qry.nyitva(); }
    QString fajlnev() const { return m_fajlnev; }

    QsciScintilla *edSQL;
    QTabWidget *pcLapok;
    QTableView *grdEredmeny;
    LekerdezesModell *modell;
    QToolBar *tbEszkoz;
    QProgressBar *pbFut;
    QLabel *lblFut;
    QPushButton *btnMegallit;
    QAction *aUj, *aMegnyit, *aMent, *aExport, *aBezar;
    QAction *aKivag, *aMasol, *aBeilleszt, *aMindet, *aFuttat, *aMegallit;

public slots:
    void aFuttatExecute();
    void aUjExecute();
    void aMegnyitExecute();
    void aMentExecute();
    void aExportExecute();
    void aMegallitExecute();

protected:
    void closeEvent(QCloseEvent *e) override;
    void keyPressEvent(QKeyEvent *e) override;
    bool eventFilter(QObject *o, QEvent *e) override;

private:
    QAction *akcio(const QString &cim, const QIcon &ikon, const QKeySequence &billentyu);
    void eredmenyBezar();
    void exportAllapot();
    // Runs work on the store with the stop watch on: the window keeps answering, shows
    // after a moment that the statement runs, and "Megállít" interrupts it.
    void figyelve(const std::function<void()> &munka);
    int haladas();
    static int haladasVisszahivas(void *p);
    bool sqlLapElol() const;

    Lekerdezes m_qry;
    QString m_fajlnev;        // last .sql file opened or saved
    QString m_exportFajl;     // last export file chosen
    bool m_fut = false;
    bool m_megallit = false;
    bool m_bezarKell = false;
    QElapsedTimer m_ora;
    qint64 m_utolsoEsemeny = 0;
    QList<QPointer<QWidget>> m_festetlen;   // other windows whose painting waits for the run
};
