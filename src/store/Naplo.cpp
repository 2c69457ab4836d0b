#include "Naplo.h"
#include "Adatbazis.h"
#include "Sema.h"
#include "StoreHiba.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QSqlError>
#include <QSqlQuery>
#include <QSysInfo>
#include <pwd.h>
#include <sqlite3.h>
#include <unistd.h>

namespace {

QString g_bejelentkezett;
bool g_be = true;

bool szerveren() { return Adatbazis::motor() == Adatbazis::Motor::PostgreSQL; }

QString rendszerFelhasznalo()
{
    if (const passwd *p = getpwuid(getuid()); p && p->pw_name && *p->pw_name)
        return QString::fromLocal8Bit(p->pw_name);
    return qEnvironmentVariable("USER");
}

void szoveg(sqlite3_context *ctx, const QString &s)
{
    const QByteArray b = s.toUtf8();
    sqlite3_result_text(ctx, b.constData(), int(b.size()), SQLITE_TRANSIENT);
}

// The field whose value the history never holds.
QString rejtett(const TablaLeiras &t) { return t.nev == "felhasznalo" ? QString("jelszo") : QString(); }

QString sqliteJson(const TablaLeiras &t, const QString &sor)
{
    QStringList p;
    for (const MezoLeiras &m : t.mezok)
        if (m.nev != rejtett(t))
            p << QString("'%1', %2.%1").arg(m.nev, sor);
    return QString("json_object(%1)").arg(p.join(", "));
}

const char *const IDO = "strftime('%Y-%m-%d %H:%M:%S', 'now', 'localtime')";

// The connection's triggers: one entry per inserted or deleted row, one per changed field.
QStringList sqliteTriggerek()
{
    QStringList s;
    const QString fej = QString("INSERT INTO naplo (ido, felhasznalo, gep, tabla, kulcs, doksi, mezo, regi, uj) ");
    for (const TablaLeiras &t : Sema::tablak()) {
        if (t.nev == Sema::NAPLO)
            continue;
        const bool levele = t.mezo("doksi");
        const auto doksi = [levele](const char *sor) { return levele ? QString(sor) + ".doksi" : QString("NULL"); };
        const QString eleje = QString("%1, naplo_felhasznalo(), naplo_gep(), '%2', ").arg(IDO, t.nev);
        s << QString("CREATE TEMP TRIGGER naplo_%1_be AFTER INSERT ON main.%1 WHEN naplo_be() BEGIN %2"
                     "VALUES (%3new.%4, %5, NULL, NULL, %6); END")
                 .arg(t.nev, fej, eleje, t.kulcs, doksi("new"), sqliteJson(t, "new"))
          << QString("CREATE TEMP TRIGGER naplo_%1_ki AFTER DELETE ON main.%1 WHEN naplo_be() BEGIN %2"
                     "VALUES (%3old.%4, %5, NULL, %6, NULL); END")
                 .arg(t.nev, fej, eleje, t.kulcs, doksi("old"), sqliteJson(t, "old"));
        QStringList mezok;
        for (const MezoLeiras &m : t.mezok) {
            const bool titok = m.nev == rejtett(t);
            mezok << QString("%1SELECT %2old.%3, %4, '%5', %6, %7 WHERE old.%5 IS NOT new.%5;")
                         .arg(fej, eleje, t.kulcs, levele ? QString("coalesce(new.doksi, old.doksi)") : QString("NULL"),
                              m.nev, titok ? QString("NULL") : "old." + m.nev,
                              titok ? QString("'(megváltozott)'") : "new." + m.nev);
        }
        s << QString("CREATE TEMP TRIGGER naplo_%1_mod AFTER UPDATE ON main.%1 WHEN naplo_be() BEGIN %2 END")
                 .arg(t.nev, mezok.join(' '));
    }
    return s;
}

void pgBeallit(QSqlQuery &q, const QString &nev, const QString &ertek)
{
    q.prepare("SELECT set_config(?, ?, false)");
    q.addBindValue(nev);
    q.addBindValue(ertek);
    if (!q.exec())
        throw StoreHiba(q.lastError().text());
}

void pgAllapot()
{
    if (!Adatbazis::nyitva() || !szerveren())
        return;
    QSqlDatabase d = Adatbazis::db();
    QSqlQuery q(d);
    pgBeallit(q, "dorvprg.felhasznalo", Naplo::felhasznalo());
    pgBeallit(q, "dorvprg.naplozas", g_be ? QString() : QString("ki"));
}

} // namespace

void Naplo::setFelhasznalo(const QString &bejelentkezett)
{
    g_bejelentkezett = bejelentkezett.trimmed();
    pgAllapot();
}

QString Naplo::felhasznalo() { return g_bejelentkezett.isEmpty() ? rendszerFelhasznalo() : g_bejelentkezett; }

QString Naplo::gep()
{
    static const QString g = QSysInfo::machineHostName();
    return g;
}

void Naplo::sqliteKapcsolodott()
{
    sqlite3 *h = Adatbazis::handle();
    const int f = SQLITE_UTF8;
    sqlite3_create_function(h, "naplo_be", 0, f, nullptr,
                            [](sqlite3_context *ctx, int, sqlite3_value **) { sqlite3_result_int(ctx, g_be); }, nullptr, nullptr);
    sqlite3_create_function(h, "naplo_felhasznalo", 0, f, nullptr,
                            [](sqlite3_context *ctx, int, sqlite3_value **) { szoveg(ctx, felhasznalo()); }, nullptr, nullptr);
    sqlite3_create_function(h, "naplo_gep", 0, f, nullptr,
                            [](sqlite3_context *ctx, int, sqlite3_value **) { szoveg(ctx, gep()); }, nullptr, nullptr);
    // a register that another program has not brought up to date lacks the table: no history
    if (!Adatbazis::ertek("SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = ?", {QString(Sema::NAPLO)}).isValid())
        return;
    for (const QString &s : sqliteTriggerek())
        Adatbazis::vegrehajt(s);
}

QList<QPair<QString, QString>> Naplo::pgBeallitasok()
{
    return {{"dorvprg.felhasznalo", felhasznalo()}, {"dorvprg.gep", gep()},
            {"dorvprg.naplozas", g_be ? QString() : QString("ki")}};
}

Naplo::Szunet::Szunet() : m_elozo(g_be)
{
    g_be = false;
    pgAllapot();
}

Naplo::Szunet::~Szunet()
{
    g_be = m_elozo;
    try {
        pgAllapot();
    } catch (const StoreHiba &) {
        // a lost connection: the next session is set up anew
    }
}

void Naplo::sqlUtasitas(const QString &sqlSzoveg, int sorok)
{
    // a statement that touches the passwords keeps none of its texts in the history
    QString sql = sqlSzoveg;
    if (sql.contains("jelszo", Qt::CaseInsensitive))
        sql.replace(QRegularExpression("'(?:[^']|'')*'"), "'***'");
    const QString ido = szerveren() ? QString("to_char(localtimestamp, 'YYYY-MM-DD HH24:MI:SS')") : QString(IDO);
    Adatbazis::vegrehajt(QString("INSERT INTO naplo (ido, felhasznalo, gep, tabla, kulcs, mezo, uj) "
                                 "VALUES (%1, ?, ?, 'SQL', ?, 'utasítás', ?)").arg(ido),
                         {felhasznalo(), gep(), QString::number(sorok), sql});
}

namespace {
const QStringList VISSZAALLITHATO{"doksi", "doksi_megj", "megj", "reklamacio"};
}

bool Naplo::visszaallithato(const QString &tabla, const QVariant &regi, const QVariant &uj)
{
    return VISSZAALLITHATO.contains(tabla) && !regi.isNull() && uj.isNull();
}

QString Naplo::Visszaallitas::uzenet() const
{
    const QString mi = tabla == "doksi" ? QString("A levél") : tabla == "doksi_megj" ? QString("A megjegyzés")
                     : tabla == "megj" ? QString("A dokumentum") : QString("A reklamáció");
    if (!ujSzam())
        return QString("%1 visszaállítva a saját számával (%2).").arg(mi).arg(szam);
    return QString("%1 száma (%2) már foglalt, ezért a következő számmal (%3) állt vissza.").arg(mi).arg(eredetiSzam).arg(szam);
}

Naplo::Visszaallitas Naplo::visszaallit(qint64 naploAzon)
{
    QSqlQuery q = Adatbazis::lekerdez("SELECT tabla, mezo, regi, uj FROM naplo WHERE naplo = ?", {naploAzon});
    if (!q.next())
        throw StoreHiba("A napló bejegyzése nem található.");
    const QString tabla = q.value(0).toString();
    if (!q.value(1).isNull() || !visszaallithato(tabla, q.value(2), q.value(3)))
        throw StoreHiba("Ez a bejegyzés nem egy törölt levél, megjegyzés, dokumentum vagy reklamáció.");
    QJsonParseError jh;
    const QJsonObject sor = QJsonDocument::fromJson(q.value(2).toString().toUtf8(), &jh).object();
    const TablaLeiras &t = *Sema::tabla(tabla);
    if (jh.error != QJsonParseError::NoError || !sor.contains(t.kulcs))
        throw StoreHiba("A törölt sor adatai a naplóban sérültek, nem állítható vissza.");

    Visszaallitas v;
    v.tabla = tabla;
    Adatbazis::Tranzakcio tr;
    const qint64 kulcs = sor.value(t.kulcs).toVariant().toLongLong();
    if (tabla != "doksi") {
        const qint64 doksi = sor.value("doksi").toVariant().toLongLong();
        if (!Adatbazis::ertek("SELECT 1 FROM doksi WHERE doksi = ?", {doksi}).isValid())
            throw StoreHiba("A sor levele sincs már meg: előbb a levelet kell visszaállítani.");
    }
    const bool kulcsSzabad = !Adatbazis::ertek(QString("SELECT 1 FROM %1 WHERE %2 = ?").arg(t.nev, t.kulcs), {kulcs}).isValid();
    QStringList mezok, jelek;
    QVariantList ertekek;
    qint64 szam = kulcs;
    v.eredetiSzam = kulcs;
    if (tabla == "doksi") {
        // a letter's number is its kind's: taken as a new letter takes it
        const QString fajta = sor.value("prntip").toString();
        if (szerveren())
            Adatbazis::ertek("SELECT pg_advisory_xact_lock(hashtext(?))", {QString("doksi.doksi_id.%1").arg(fajta)});
        v.eredetiSzam = szam = sor.value("doksi_id").toVariant().toLongLong();
        if (Adatbazis::ertek("SELECT 1 FROM doksi WHERE prntip = ? AND doksi_id = ?", {fajta, szam}).isValid())
            szam = Adatbazis::ertek("SELECT coalesce(max(doksi_id), 0) + 1 FROM doksi WHERE prntip = ?", {fajta}).toLongLong();
    }
    for (const MezoLeiras &m : t.mezok) {
        if (m.nev == t.kulcs && !kulcsSzabad)
            continue;
        QVariant e = sor.value(m.nev).toVariant();
        if (m.nev == "doksi_id" && tabla == "doksi")
            e = szam;
        else if (!e.isNull() && (m.tipus == MezoTipus::Egesz || m.tipus == MezoTipus::Autoinc))
            e = e.toLongLong();
        else if (!e.isNull())
            e = e.toString();
        mezok << m.nev;
        jelek << "?";
        ertekek << e;
    }
    v.kulcs = Adatbazis::ertek(QString("INSERT INTO %1 (%2) VALUES (%3) RETURNING %4")
                                   .arg(t.nev, mezok.join(", "), jelek.join(", "), t.kulcs), ertekek).toLongLong();
    v.szam = tabla == "doksi" ? szam : v.kulcs;
    tr.commit();
    return v;
}
