#include "StoreHiba.h"

#include <utility>

namespace {

// The store answers in English; a user sees what happened in Hungarian first. Matched on the
// texts of SQLite and of Qt's driver, so every way a store error is raised gets them.
QString magyarul(const QString &uzenet)
{
    static const std::pair<const char *, const char *> esetek[] = {
        {"database or disk is full", "Megtelt a lemez, az adatbázis nem írható."},
        {"database is locked", "Az adatbázist egy másik program vagy művelet zárolja, próbálja újra később."},
        {"database table is locked", "Az adatbázist egy másik program vagy művelet zárolja, próbálja újra később."},
        {"readonly database", "Az adatbázis csak olvasható, a változás nem menthető."},
        {"disk I/O error", "Lemezhiba: az adatbázis fájlja nem olvasható vagy nem írható."},
        {"Unable to execute multiple statements at a time", "Egyszerre csak egy SQL utasítás futtatható."},
    };
    for (const auto &[angol, magyar] : esetek) {
        if (!uzenet.contains(QLatin1String(angol)))
            continue;
        const QString m = QString::fromUtf8(magyar);
        // a message wrapped again keeps its one sentence
        return uzenet.contains(m) ? uzenet : m + "\r\n" + uzenet;
    }
    return uzenet;
}

} // namespace

StoreHiba::StoreHiba(const QString &uzenet)
    : std::runtime_error(magyarul(uzenet).toStdString()), m_uzenet(magyarul(uzenet))
{
}

KapcsolatHiba KapcsolatHiba::keszit(bool megszakadt, const QString &gep, const QString &port, const QString &ok)
{
    const QString mi = megszakadt ? QString("Megszakadt a kapcsolat az adatbázis-kiszolgálóval")
                                  : QString("Nem sikerült kapcsolódni az adatbázis-kiszolgálóhoz");
    // libpq indents the lines of its hints with a tab, which a message box shows as a wide gap
    QString okSzoveg = ok.trimmed();
    okSzoveg.replace("\n\t", "\n");
    return KapcsolatHiba(QString("%1 (gép: %2, port: %3).\r\n%4").arg(mi, gep, port, okSzoveg), gep, port);
}
