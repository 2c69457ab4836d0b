#pragma once

#include <QDate>
#include <QDialog>
#include <QHash>
#include <QList>
#include <QVariant>
#include <utility>

class KurzorModell;
class QComboBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QPushButton;
class QTabWidget;
class Tabla;

// "Szerkesztés": the letter editor. Its controls are bound to the current row of the letter
// cursor, which the caller has put into insert or edit state; every copy of a field on the
// four pages shows and writes the same column of that row.
class Tfrm_Szerkeszt : public QDialog {
    Q_OBJECT
public:
    Tfrm_Szerkeszt(Tabla &tbl, bool szereles, QWidget *szulo = nullptr);

    QTabWidget *PageControl1 = nullptr;
    QList<QDateEdit *> datumok;       // the date box of each page
    QList<QPushButton *> okNyomtat, ok, megse;
    bool nyomtatKell = false;         // set by "OK, nyomtat"
    QDate kozosDatum;
    QList<QLabel *> garanciaCimkek;   // the warranty's state on each page

    // the controls of a field on every page (for tests and the binding)
    QList<QWidget *> mezo(const QString &nev) const { return m_kotesek.values(nev.toLower()); }
    QWidget *mezo(const QString &nev, int lap) const;
    QPushButton *valaszto(const QString &mezoNev, int lap) const;

    void datumBeallit(const QDate &d);   // the four boxes and the shared date
    void btnValasztClick(const QString &mezoNev);

    void accept() override;

protected:
    bool eventFilter(QObject *o, QEvent *e) override;

private:
    QWidget *lapEpit(int lap);
    QWidget *vezerlo(const QString &nev, int lap);
    void kot(QWidget *w, const QString &nev);
    void frissit(const QString &nev, QWidget *kiveve = nullptr);
    void garanciaFrissit();
    // The names of a master table for its drop-downs: a cursor in key order shown through
    // a model that reads names by position, so opening costs the keys only, not the names.
    struct Torzs {
        Tabla *tabla = nullptr;
        KurzorModell *modell = nullptr;
    };
    Torzs torzs(const QString &mezoNev);
    QComboBox *torzsLenyilo(const QString &mezoNev);
    int torzsSor(const QString &mezoNev, const QVariant &kulcs);   // -1: no such row
    int nevKeres(const QString &mezoNev, const QString &eleje);
    bool szovegBeir(QLineEdit *e, const QString &nev);   // typed text into a typed field

    Tabla &Tbl;
    bool m_szereles;
    bool m_tolt = false;
    QString m_garanciaIdo;
    QDate m_garanciaDatum;
    QString m_garanciaKm;   // the odometer reading at fitting, as typed ('S' letters)
    bool m_torzsUjraolvas = false;   // a master list being re-read: its drop-downs choose nothing
    QMultiHash<QString, QWidget *> m_kotesek;
    QHash<QWidget *, int> m_lapja;
    QHash<QString, QList<QPushButton *>> m_valasztok;
    QHash<QString, Torzs> m_torzsek;
    // each master row's key and the search key of its name, in the list's order
    QHash<QString, QList<std::pair<QVariant, QString>>> m_nevKulcsok;
};
