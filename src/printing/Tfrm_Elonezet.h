#pragma once

#include "Lapozo.h"

#include <QMainWindow>
#include <QPrinter>

class NyomtatasiMunka;
class QAction;
class QLabel;
class QScrollArea;

// Sends pages to a printer (its page range and copies) with the progress window on top;
// cancelling stops the job. Returns false when cancelled or the printer failed.
bool LapokNyomtat(QPrinter &nyomtato, const Oldalak &o, QWidget *szulo);
// Whether any printer is installed; without one, printing does nothing.
bool VanNyomtato();

// The preview of a printout: one page at a time, zoom modes, paging, printer set-up,
// printing and saving as PDF. Lives for one entry call; closing ends the entry.
class Tfrm_Elonezet : public QMainWindow {
    Q_OBJECT
public:
    enum class Illesztes { Szazszazalek, EgeszLap, LapSzelesseg };

    Tfrm_Elonezet(NyomtatasiMunka &munka, QWidget *szulo = nullptr);
    ~Tfrm_Elonezet() override;

    // makes the pages, showing the progress in the status bar
    void keszit();
    int lapSzam() const { return int(m_oldalak.lapok.size()); }
    int aktualis() const { return m_lap; }   // 0-based
    void ugrik(int lap);
    Illesztes illesztes() const { return m_illesztes; }
    void setIllesztes(Illesztes i);
    double nagyitas() const { return m_nagyitas; }   // 1.0 = real size on the screen
    QString allapotSzoveg() const;                   // "page of pages" of the status bar
    QImage lapKep() const;                           // the page as shown
    void pdfMentes(const QString &fajl);             // throws StoreHiba
    QPrinter &nyomtato() { return m_nyomtato; }

    QAction *aElso, *aElozo, *aKovetkezo, *aUtolso, *aEgeszLap, *aSzaz, *aSzelesseg,
        *aBeallit, *aNyomtat, *aPdf, *aEmail, *aBezar;

signals:
    void bezarva();

protected:
    void closeEvent(QCloseEvent *e) override;
    void resizeEvent(QResizeEvent *e) override;

private:
    void megjelenit();
    void allapotFrissit();
    void beallitas();
    void nyomtatas();
    void pdfKerdez();

    NyomtatasiMunka &m_munka;
    Oldalak m_oldalak;
    int m_lap = 0;
    Illesztes m_illesztes = Illesztes::Szazszazalek;
    double m_nagyitas = 1.0;
    bool m_kesz = false;
    QPrinter m_nyomtato;
    QScrollArea *m_terulet;
    QLabel *m_kep;
    QLabel *m_haladas;
    QLabel *m_pozicio;
};
