#pragma once

// The counter's question (which letters match a serial number, registration, customer or
// letter number, and is their warranty still on) and the worklist of warranties ending in a
// period. Both read the register through the store and judge every letter by Garancia.

#include "Garancia.h"

#include <QDate>
#include <QHash>
#include <QVariant>
#include <QList>
#include <QString>

struct GaranciaSor {
    qint64 doksi = 0;
    int doksiId = 0;
    QString prntip;
    QDate datum;
    QString dorvido, alkatresz, marka, ugyfel, rendszam, sorozatszam, kmora, telefon, email;
    Garancia::Allapot allapot;
    int nyitottReklamacio = 0;
};

namespace GaranciaKereso {
// At most this many letters are listed by the counter's question (the newest ones).
constexpr int LEGFELJEBB = 500;

// Letters whose serial number, registration or customer name is the text (letter case
// ignored), or failing that begins with it, and letters of that number ("123", "No:00123"),
// both kinds, newest first. The code printed on a letter's forms ("DORV:J:00039") gives that
// letter alone.
QList<GaranciaSor> keres(const QString &szoveg, const QDate &ma);

// Letters whose end of warranty falls between tol and ig inclusive, of kind tipus ("J", "S",
// or empty for both), ordered by end date, then kind and number.
QList<GaranciaSor> lejarok(const QDate &tol, const QDate &ig, const QString &tipus, const QDate &ma);

// The rows of the worklist's printed list, one hash a letter (GaranciaNyomtatas::lejaro).
QList<QHash<QString, QVariant>> nyomtatasra(const QList<GaranciaSor> &sorok);

// The number of open claims of a letter.
int nyitottReklamaciok(qint64 doksi);
}
