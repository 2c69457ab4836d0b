#pragma once

#include <QDateTime>
#include <QDialog>

class QDateEdit;
class QLineEdit;
class QPlainTextEdit;
class Tabla;

// "Megjegyzés szerkesztése": one note, its title and text bound to the row of the cursor
// given (the notes list's or the main window's notes cursor), which is in insert or edit state.
class Tfrm_Megjegyzes_Szerkeszt : public QDialog {
    Q_OBJECT
public:
    explicit Tfrm_Megjegyzes_Szerkeszt(Tabla &tbl, QWidget *szulo = nullptr);

    QDateEdit *DateTimePicker1 = nullptr;
    QLineEdit *DBEdit1 = nullptr;
    QPlainTextEdit *DBMemo1 = nullptr;

    // "-- name yyyy.mm.dd hh:mm --" of the logged-in user
    static QString belyegzo(const QDateTime &ido = QDateTime::currentDateTime());
    // Replaces the memo's selection with the stamp and leaves the stamp selected.
    void DatumBeszuras();

    // Runs the editor on the row: sets the date box, shows it, writes the date back and
    // posts on accept, cancels otherwise. Returns true when the row was posted.
    bool futtat();

protected:
    bool eventFilter(QObject *o, QEvent *e) override;

private:
    Tabla &m_tbl;
};
