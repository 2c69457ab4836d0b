#include "StoreHiba.h"

#include <QDir>
#include <QMutex>
#include <utility>

namespace {

QMutex g_fajlZar;
QString g_fajl;   // the open register's file

// SQLite's word for a damaged file names neither the file nor what to do
QString serules(const QString &uzenet)
{
    if (!uzenet.contains(QLatin1String("database disk image is malformed"))
        && !uzenet.contains(QLatin1String("malformed database schema")))
        return {};
    QMutexLocker z(&g_fajlZar);
    return g_fajl.isEmpty()
               ? QString("Az adatbázis fájlja sérült. Állítsa vissza a legutóbbi jó archívumból.")
               : QString("Az adatbázis fájlja sérült: %1\r\nÁllítsa vissza a legutóbbi jó archívumból.")
                     .arg(QDir::toNativeSeparators(g_fajl));
}

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
    if (const QString m = serules(uzenet); !m.isEmpty())
        return uzenet.contains(QString("Az adatbázis fájlja sérült")) ? uzenet : m + "\r\n" + uzenet;
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

void SerultFajlBeallit(const QString &fajl)
{
    QMutexLocker z(&g_fajlZar);
    g_fajl = fajl;
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
