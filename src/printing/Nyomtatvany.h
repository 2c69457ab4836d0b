#pragma once

#include <QColor>
#include <QHash>
#include <QList>
#include <QString>
#include <QVariant>

#include <functional>
#include <optional>

// The band layout model of the printouts. Every length is in millimetres, measured from
// the top-left corner of the band (elements) or of the printable area (bands).

enum class Igazitas { Bal, Kozep, Jobb };
// Kod: the letter's code of the master row ("DORV:J:00039") as a QR code as wide as the box,
// with the code in print below it
enum class ElemTipus { Cimke, Adat, Rendszer, Alakzat, Kod };
enum class RendszerErtek { DatumIdo, Oldalszam, Cim };
enum class SavTipus { Fejlec, CsoportFejlec, Reszlet, Lablec };
enum class Formatum { Nincs, LevelSzam, Szamjegy5 };   // "No: 00042" / "00042"

struct Keret {
    bool fent = false, lent = false, bal = false, jobb = false;
    QColor szin = QColor(192, 192, 192);
    double vastagsag = 1;     // points
    bool pontozott = false;
    bool van() const { return fent || lent || bal || jobb; }
};

struct Betu {
    QString nev = "Tahoma";
    double meret = 10;        // points
    bool felkover = false;
    bool dolt = false;
    bool operator==(const Betu &) const = default;
};

struct Elem {
    ElemTipus tipus = ElemTipus::Cimke;
    QString nev;              // labels the program fills ("s1", "s2")
    double bal = 0, fent = 0, szeles = 0, magas = 0;
    std::optional<Betu> betu; // inherited from band or layout when unset
    Igazitas igazitas = Igazitas::Bal;
    bool atlatszo = false;
    Keret keret;
    bool autoMeret = false;
    bool sortores = false;
    bool nyujthato = false;
    QString szoveg;           // caption of a label, prefix of a system item
    QString forras;           // dataset of a data text: "" master, "tulajdonos" owner
    QString mezo;
    Formatum formatum = Formatum::Nincs;
    RendszerErtek rendszer = RendszerErtek::DatumIdo;
};

struct Sav {
    SavTipus tipus = SavTipus::Reszlet;
    double magas = 0;
    Keret keret;
    std::optional<Betu> betu;
    QString csoportMezo;      // group header: a change of this master field starts a group
    QList<Elem> elemek;
};

struct Elrendezes {
    QString osztaly;          // "TqrDorv"
    QString objektum;         // "qrDorv"
    QString cim;              // report title: preview caption and footer line
    Betu alapBetu;
    double papirSzeles = 210, papirMagas = 297, margo = 10;
    QList<Sav> savok;

    double nyomtathatoSzeles() const { return papirSzeles - 2 * margo; }
    double nyomtathatoMagas() const { return papirMagas - 2 * margo; }
    const Sav *sav(SavTipus t) const;
    Elem *elem(const QString &nev);   // a named label, nullptr when the layout has none
    const Elem *elem(const QString &nev) const;
};

// A dataset as the paginator reads it: a forward cursor with named fields.
class Adatforras {
public:
    virtual ~Adatforras() = default;
    virtual bool elso() = 0;                       // false when there are no rows
    virtual bool kovetkezo() = 0;                  // false past the last row
    virtual QVariant ertek(const QString &mezo) const = 0;   // invalid for an unknown field
    virtual int sorokSzama() const { return -1; }  // for progress; -1 when unknown
    // Visits the rows in order, positioned on each while f runs; f returns false to stop.
    // Sources that can read all their rows in one pass do so here.
    virtual void bejar(const std::function<bool()> &f)
    {
        if (!elso())
            return;
        while (f() && kovetkezo()) {
        }
    }
};

// One row held in memory (the owner details).
class SorForras : public Adatforras {
public:
    explicit SorForras(QHash<QString, QVariant> sor = {}, bool van = true) : m_sor(std::move(sor)), m_van(van) {}
    bool elso() override { return m_van; }
    bool kovetkezo() override { return false; }
    QVariant ertek(const QString &mezo) const override { return m_sor.value(mezo.toLower()); }
    int sorokSzama() const override { return m_van ? 1 : 0; }

private:
    QHash<QString, QVariant> m_sor;   // lower-case names
    bool m_van;
};

// The owner row of `tulajdonos` (first in order), with the calculated `irszvaros`.
// Throws StoreHiba when the table cannot be read.
SorForras TulajdonosOlvas();
QString IrszVaros(const QVariant &irsz, const QVariant &varos);

// Display text of a field value: the format where one is set, dates short, null as nothing.
QString MegjelenoSzoveg(const QVariant &v, Formatum f);

// Builders of the layout tables, so that the six layouts read as their tables do.
namespace Tervezo {
enum Hely { Balra, Kozepre, SavKozepre, JobbSzelre };   // how the x of a table row is meant
Elem cimke(double fent, Hely hely, double x, const QString &szoveg, const Betu &b);
Elem adat(double fent, Hely hely, double x, const QString &mezo, const Betu &b,
          const QString &forras = {});
// A fixed box: width and height given, word wrap as said.
Elem doboz(Elem e, double szeles, double magas, bool sortores, bool nyujthato = false);
Betu tahoma(double meret, bool felkover = false, bool dolt = false);
}
