#include "StoreHiba.h"
#include "MasikProgramHiba.h"

#include <QDir>
#include <QMutex>
#include <QRegularExpression>
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

// What the engine says of a refused statement, in the words of SQLite and of PostgreSQL.
QString utasitasHiba(const QString &uzenet)
{
    static const std::pair<QRegularExpression, const char *> esetek[] = {
        {QRegularExpression("no such column|has no column named|column \".*\" (of relation \".*\" )?does not exist"),
         "Nincs ilyen mező a táblában."},
        {QRegularExpression("no such table|relation \".*\" does not exist"), "Nincs ilyen tábla az adatbázisban."},
        {QRegularExpression("ambiguous column name|column reference \".*\" is ambiguous"),
         "A mező neve több táblában is szerepel: írja elé a tábla nevét."},
        {QRegularExpression("no such function|function .* does not exist"), "Nincs ilyen SQL függvény."},
        {QRegularExpression("incomplete input|syntax error at end of input"), "Az SQL utasítás nem teljes."},
        {QRegularExpression("syntax error"), "Szintaktikai hiba az SQL utasításban."},
        {QRegularExpression("UNIQUE constraint failed|duplicate key value"),
         "Ilyen kulcsú sor már van, a változás nem menthető."},
        {QRegularExpression("NOT NULL constraint failed|violates not-null constraint"), "Egy kötelező mező üres maradt."},
        {QRegularExpression("FOREIGN KEY constraint failed|violates foreign key constraint"),
         "A változás megsértené a táblák közti hivatkozást."},
        {QRegularExpression("already exists"), "Ilyen nevű tábla vagy objektum már létezik."},
        {QRegularExpression("permission denied|must be owner"), "Nincs jogosultság ehhez az adatbázis-művelethez."},
        {QRegularExpression("division by zero"), "Nullával osztás az SQL utasításban."},
        {QRegularExpression("invalid input syntax|invalid input value"), "Érvénytelen érték az SQL utasításban."},
    };
    for (const auto &[minta, magyar] : esetek)
        if (minta.match(uzenet).hasMatch())
            return QString::fromUtf8(magyar) + "\r\n" + uzenet;
    return "Az adatbázis-kezelő hibát jelzett.\r\n" + uzenet;
}

} // namespace

StoreHiba StoreHiba::motor(const QString &uzenet)
{
    const QString m = magyarul(uzenet);
    return StoreHiba(m != uzenet ? m : utasitasHiba(uzenet));
}

StoreHiba::StoreHiba(const QString &uzenet)
    : std::runtime_error(magyarul(uzenet).toStdString()), m_uzenet(magyarul(uzenet))
{
}

void JogHiba::ellenoriz(const char *sqlstate)
{
    if (sqlstate && qstrcmp(sqlstate, "42501") == 0)
        throw JogHiba();
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
    // libpq's reasons, most common first; its own lines follow for the administrator
    static const std::pair<QRegularExpression, const char *> okok[] = {
        {QRegularExpression("password authentication failed|no password supplied|authentication failed"),
         "A kiszolgáló nem fogadta el a bejelentkezést (felhasználó vagy jelszó)."},
        {QRegularExpression("role \".*\" does not exist"), "A megadott felhasználó nem létezik a kiszolgálón."},
        {QRegularExpression("database \".*\" does not exist"), "A megadott adatbázis nem létezik a kiszolgálón."},
        {QRegularExpression("could not translate host name|Name or service not known"), "A kiszolgáló gépneve nem található."},
        {QRegularExpression("Connection refused|No such file or directory"),
         "A megadott címen nem fut adatbázis-kiszolgáló, vagy nem fogad kapcsolatot."},
        {QRegularExpression("timeout expired|timed out"), "A kiszolgáló nem válaszolt időben."},
        {QRegularExpression("no pg_hba.conf entry"), "A kiszolgáló erről a gépről nem enged kapcsolatot."},
        {QRegularExpression("too many connections|remaining connection slots"), "A kiszolgálón nincs több szabad kapcsolat."},
        {QRegularExpression("terminating connection|server closed the connection|shutting down"),
         "A kiszolgáló bontotta a kapcsolatot."},
        {QRegularExpression("SSL"), "A titkosított (SSL) kapcsolat nem jött létre."},
        {QRegularExpression("invalid (connection option|URI|integer value)|missing \"=\"|unterminated quoted"),
         "A kapcsolat leírása hibás."},
    };
    bool bejelentkezes = false;
    for (const auto &[minta, magyar] : okok)
        if (minta.match(okSzoveg).hasMatch()) {
            bejelentkezes = &minta == &okok[0].first;
            okSzoveg = QString::fromUtf8(magyar) + "\r\n" + okSzoveg;
            break;
        }
    KapcsolatHiba h(QString("%1 (gép: %2, port: %3).\r\n%4").arg(mi, gep, port, okSzoveg), gep, port);
    h.m_bejelentkezes = bejelentkezes && !megszakadt;
    return h;
}
