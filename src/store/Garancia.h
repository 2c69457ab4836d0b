#pragma once

// The end of a warranty: the period text of a letter (`dorvido`) read as workshops write it,
// the end date computed from the letter's date, and the state on a given day. This is the
// only place that knows the rule; windows, lists, the command line and the store ask here.

#include <QDate>
#include <QString>

#include <optional>
#include <utility>

namespace Garancia {

// A period text as understood.
struct Idotartam {
    enum class Fajta {
        NemErtelmezheto, // any text not in the forms below: never guessed
        Napok,           // N days (weeks are 7 N days)
        Honapok,         // N months (years are 12 N months)
        Korlatlan,       // "élettartam", "korlátlan", or a kilometre limit alone: no end date
    };
    Fajta fajta = Fajta::NemErtelmezheto;
    int mennyiseg = 0;        // days or months
    std::optional<qint64> km; // the kilometre limit, when the text has one

    bool ertelmezheto() const { return fajta != Fajta::NemErtelmezheto; }
    bool operator==(const Idotartam &) const = default;
};

// Reads a period text: "1 év", "6 hónapos", "1,5 év" (18 months), "90 nap", "2 hét",
// "20.000 km", "1 év vagy 20000 km" (joined by "vagy", "/", "," or "és"), "élettartam".
// Letter case, accents and spacing are ignored.
Idotartam ertelmez(const QString &dorvido);

// The last day the warranty holds, or none (no date, no end, not understood).
// Months fall on the same day of the month, or the month's last day when it has no such day.
std::optional<QDate> vege(const QDate &datum, const Idotartam &ido);

// The start dates whose end falls between vegTol and vegIg inclusive, as an inclusive range,
// or none when no start date does (or the period has no end). The end is non-decreasing in
// the start, so the range is exact.
std::optional<std::pair<QDate, QDate>> kezdetTartomany(const Idotartam &ido, const QDate &vegTol, const QDate &vegIg);

// The digits of an odometer reading as typed ("123 456 km" -> 123456), none without digits.
std::optional<qint64> kmOraAllas(const QString &kmora);

struct Allapot {
    enum class Fajta {
        Ervenyes,        // holds through `veg`, today included
        Lejart,          // ended: `veg` is before today
        NemErtelmezheto, // the period text is not understood
        NincsDatum,      // the letter has no date
        Korlatlan,       // no end date
    };
    Fajta fajta = Fajta::NemErtelmezheto;
    QDate veg;                     // the end date (valid or ended)
    qint64 napok = 0;              // days left (valid) or days since the end (ended)
    std::optional<qint64> km;      // the period's kilometres
    std::optional<qint64> kmHatar; // the odometer reading at fitting plus the kilometres

    bool operator==(const Allapot &) const = default;
};

// The state of a letter's warranty on the day `ma`; kmora is the odometer reading at fitting.
Allapot allapot(const QDate &datum, const QString &dorvido, const QDate &ma, const QString &kmora = {});
// The same for a period already read (lists of many letters read each period text once).
Allapot allapot(const QDate &datum, const Idotartam &ido, const QDate &ma, const QString &kmora = {});

// The Hungarian text of a state: "Garancia vége: 2027.03.22. (még 103 nap)",
// "Lejárt: 2025.03.22. (261 napja)", "Nem értelmezhető időtartam" ...
QString szoveg(const Allapot &a);

// The state word of the command line: "ervenyes", "lejart" or "ismeretlen".
QString allapotSzo(const Allapot &a);

// A date as the program writes it: "2027.03.22."
QString datumSzoveg(const QDate &d);

} // namespace Garancia
