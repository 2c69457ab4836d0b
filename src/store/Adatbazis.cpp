#include "Adatbazis.h"
#include "HuSzoveg.h"
#include "MasikProgramHiba.h"
#include "Sema.h"
#include "StoreHiba.h"
#include "Tabla.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <sqlite3.h>

const char *const Adatbazis::KAPCSOLAT = "DorvPrg";
const char *const Adatbazis::FAJLNEV = "dorvprg.db";

namespace {

QString g_mappa;
QSet<Tabla *> g_kurzorok;
qint64 g_adatVerzio = -1;   // PRAGMA data_version at the last look

void foglaltHiba(const QSqlError &e)
{
    if ((e.nativeErrorCode().toInt() & 0xff) == SQLITE_BUSY)
        Adatbazis::foglalt();
}

QString szovegArg(sqlite3_value *v)
{
    const auto *p = reinterpret_cast<const char *>(sqlite3_value_text(v));
    return QString::fromUtf8(p, sqlite3_value_bytes(v));
}

void eredmeny(sqlite3_context *ctx, const QString &s)
{
    const QByteArray b = s.toUtf8();
    sqlite3_result_text(ctx, b.constData(), int(b.size()), SQLITE_TRANSIENT);
}

template <QString (*F)(const QString &)>
void szovegFuggveny(sqlite3_context *ctx, int, sqlite3_value **argv)
{
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL) {
        sqlite3_result_null(ctx);
        return;
    }
    eredmeny(ctx, F(szovegArg(argv[0])));
}

void fuggvenyekBejegyez(sqlite3 *h)
{
    // innocuous: the search index triggers call UPPER
    const int f = SQLITE_UTF8 | SQLITE_DETERMINISTIC | SQLITE_INNOCUOUS;
    sqlite3_create_function(h, "UPPER", 1, f, nullptr, szovegFuggveny<HuSzoveg::nagybetu>, nullptr, nullptr);
    sqlite3_create_function(h, "LOWER", 1, f, nullptr, szovegFuggveny<HuSzoveg::kisbetu>, nullptr, nullptr);
    sqlite3_create_function(h, "HURENDEZ", 1, f, nullptr, szovegFuggveny<HuSzoveg::rendezoKulcs>, nullptr, nullptr);
}

void letrehoz()
{
    Adatbazis::Tranzakcio t;
    for (const QString &s : Sema::letrehozo())
        Adatbazis::vegrehajt(s);
    t.commit();
}

// A database of an older version gets what its version lacks, all or nothing; a search
// index with a table, index or trigger missing (dropped by hand) is built anew. One of a newer
// version is left untouched: this program does not know what it holds.
void frissit()
{
    const int v = Adatbazis::ertek("SELECT ertek FROM meta WHERE kulcs = 'verzio'").toInt();
    if (v > Sema::verzio())
        throw StoreHiba(QString("Az adatbázist a program egy újabb változata készítette (adatbázis-változat: %1, "
                                "ez a program legfeljebb a %2. változatot ismeri). Ez a program nem módosíthatja; "
                                "használja az újabb programot.").arg(v).arg(Sema::verzio()));
    QSet<QString> nevek;
    for (QSqlQuery q = Adatbazis::lekerdez("SELECT name FROM sqlite_master"); q.next();)
        nevek.insert(q.value(0).toString());
    bool hianyos = false;
    for (const QString &n : Sema::keresoObjektumok(qMax(v, 3)))
        hianyos = hianyos || !nevek.contains(n);
    if (v == Sema::verzio() && !hianyos)
        return;
    Adatbazis::Tranzakcio t;
    // a whole index of version 3 keeps its upper-cased texts and trigrams; any other is built anew
    for (const QString &s : v == 3 && !hianyos ? Sema::keresoFrissit() : Sema::keresoUjraepit())
        Adatbazis::vegrehajt(s);
    Adatbazis::vegrehajt("UPDATE meta SET ertek = ? WHERE kulcs = 'verzio'", {QString::number(Sema::verzio())});
    t.commit();
}

} // namespace

bool Adatbazis::vanAdatbazis(const QString &mappa)
{
    return QFileInfo::exists(QDir(mappa).filePath(FAJLNEV));
}

bool Adatbazis::megnyit(const QString &mappa)
{
    bezar();
    const QFileInfo mi(mappa);
    if (mappa.isEmpty() || !mi.isDir())
        throw StoreHiba(QString("Az adatbázis mappa nem létezik: %1").arg(mappa));
    const QString fajl = QDir(mappa).filePath(FAJLNEV);
    const bool uj = !QFileInfo::exists(fajl);
    if (uj && !QFileInfo(mappa).isWritable())
        throw StoreHiba(QString("Az adatbázis mappa nem írható: %1").arg(mappa));

    QSqlDatabase d = QSqlDatabase::contains(KAPCSOLAT) ? QSqlDatabase::database(KAPCSOLAT, false)
                                                       : QSqlDatabase::addDatabase("QSQLITE", KAPCSOLAT);
    d.setDatabaseName(fajl);
    // another program's write lock is waited for this long before the user is told
    d.setConnectOptions("QSQLITE_BUSY_TIMEOUT=5000");
    if (!d.open())
        throw StoreHiba(QString("Az adatbázis nem nyitható meg: %1\r\n%2").arg(fajl, d.lastError().text()));
    g_mappa = QDir::cleanPath(mi.absoluteFilePath());
    try {
        fuggvenyekBejegyez(handle());
        // A file that is not a database fails here, before anything is written to it.
        vegrehajt("PRAGMA foreign_keys = OFF");
        ertek("SELECT count(*) FROM sqlite_master");
        vegrehajt("PRAGMA synchronous = FULL");
        // a larger page cache for the joins of whole-view passes (list, export, search)
        vegrehajt("PRAGMA cache_size = -32768");
        if (uj) {
            letrehoz();
            alapSzovegekIr(mappa);
        } else if (!ertek("SELECT name FROM sqlite_master WHERE type='table' AND name='doksi'").isValid()) {
            throw StoreHiba(QString("A fájl nem a program adatbázisa: %1").arg(fajl));
        } else {
            frissit();
        }
        g_adatVerzio = ertek("PRAGMA data_version").toLongLong();
    } catch (const StoreHiba &h) {
        d.close();
        g_mappa.clear();
        if (uj)
            QFile::remove(fajl);
        throw StoreHiba(QString("Az adatbázis nem nyitható meg: %1\r\n%2").arg(fajl, h.uzenet()));
    }
    return uj;
}

void Adatbazis::kurzorokBezar()
{
    const QSet<Tabla *> k = g_kurzorok;
    for (Tabla *t : k)
        t->bezar();
}

void Adatbazis::bezar()
{
    kurzorokBezar();
    if (QSqlDatabase::contains(KAPCSOLAT)) {
        QSqlDatabase d = QSqlDatabase::database(KAPCSOLAT, false);
        d.close();
    }
    g_mappa.clear();
}

bool Adatbazis::nyitva()
{
    return QSqlDatabase::contains(KAPCSOLAT) && QSqlDatabase::database(KAPCSOLAT, false).isOpen();
}

QString Adatbazis::mappa() { return g_mappa; }

QSqlDatabase Adatbazis::db()
{
    if (!nyitva())
        throw StoreHiba("Az adatbázis nincs megnyitva.");
    return QSqlDatabase::database(KAPCSOLAT, false);
}

sqlite3 *Adatbazis::handle()
{
    const QVariant v = db().driver()->handle();
    if (!v.isValid() || qstrcmp(v.typeName(), "sqlite3*") != 0)
        throw StoreHiba("Az adatbázis kezelője nem érhető el.");
    return *static_cast<sqlite3 *const *>(v.data());
}

void Adatbazis::megszakit()
{
    if (nyitva())
        sqlite3_interrupt(handle());
}

QSqlQuery Adatbazis::lekerdez(const QString &sql, const QVariantList &ertekek)
{
    QSqlQuery q(db());
    q.setForwardOnly(true);
    if (!q.prepare(sql)) {
        foglaltHiba(q.lastError());
        throw StoreHiba(q.lastError().text());
    }
    for (const QVariant &v : ertekek)
        q.addBindValue(v);
    if (!q.exec()) {
        foglaltHiba(q.lastError());
        throw StoreHiba(q.lastError().text());
    }
    return q;
}

void Adatbazis::vegrehajt(const QString &sql, const QVariantList &ertekek)
{
    Adatbazis::lekerdez(sql, ertekek);
}

QVariant Adatbazis::ertek(const QString &sql, const QVariantList &ertekek)
{
    QSqlQuery q = Adatbazis::lekerdez(sql, ertekek);
    return q.next() ? q.value(0) : QVariant();
}

void Adatbazis::foglalt()
{
    throw MasikProgramHiba("A nyilvántartást most egy másik program használja, ezért a művelet nem "
                           "hajtható végre.\r\nPróbálja újra néhány másodperc múlva.");
}

bool Adatbazis::masikProgramIrt()
{
    const qint64 v = ertek("PRAGMA data_version").toLongLong();
    const bool valtozott = v != g_adatVerzio;
    g_adatVerzio = v;
    return valtozott;
}

void Adatbazis::kurzorokFrissit()
{
    const QSet<Tabla *> k = g_kurzorok;
    for (Tabla *t : k)
        if (g_kurzorok.contains(t))   // a re-read may close another cursor
            t->kulsoValtozas();
}

void Adatbazis::kurzorBejegyez(Tabla *t) { g_kurzorok.insert(t); }
void Adatbazis::kurzorKijegyez(Tabla *t) { g_kurzorok.remove(t); }

Adatbazis::Tranzakcio::Tranzakcio()
{
    // the write lock at once: a transaction that reads first and writes later could meet
    // another program's writer with no busy wait at all
    vegrehajt("BEGIN IMMEDIATE");
}

Adatbazis::Tranzakcio::~Tranzakcio()
{
    if (!m_kesz && nyitva())
        db().rollback();
}

void Adatbazis::Tranzakcio::commit()
{
    vegrehajt("COMMIT");   // a refused commit leaves the transaction to the rollback
    m_kesz = true;
}
