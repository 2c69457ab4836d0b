#include "MotorSql.h"
#include "Adatbazis.h"
#include "KapcsolatLeiras.h"
#include "MasikProgramHiba.h"
#include "StoreHiba.h"

#include <algorithm>
#include <libpq-fe.h>
#include <memory>
#include <poll.h>
#include <cctype>

namespace {

bool szerveren() { return Adatbazis::motor() == Adatbazis::Motor::PostgreSQL; }

using Eredmeny = std::unique_ptr<PGresult, void (*)(PGresult *)>;

// "?" -> "$1", "$2" ... outside quoted texts
QByteArray szamozott(const QString &sql)
{
    QString s;
    s.reserve(sql.size() + 16);
    int n = 0;
    bool idezet = false;
    for (const QChar c : sql) {
        if (c == '\'')
            idezet = !idezet;
        if (c == '?' && !idezet)
            s += '$' + QString::number(++n);
        else
            s += c;
    }
    return s.toUtf8();
}

// A failed result as the store reports it: a lost connection, another desk's lock, or the
// server's own text.
[[noreturn]] void hiba(PGconn *c, const PGresult *r)
{
    const QString szoveg = QString::fromUtf8(r ? PQresultErrorMessage(r) : PQerrorMessage(c)).trimmed();
    const char *kod = r ? PQresultErrorField(r, PG_DIAG_SQLSTATE) : nullptr;
    if (PQstatus(c) == CONNECTION_BAD || (kod && (qstrncmp(kod, "08", 2) == 0 || qstrncmp(kod, "57P0", 4) == 0))) {
        // the next action reconnects through Adatbazis::db(); this one says why it failed
        Adatbazis::kapcsolatElveszett();
        throw KapcsolatHiba::keszit(true, QString::fromUtf8(PQhost(c)), QString::fromUtf8(PQport(c)), szoveg);
    }
    if (kod && (qstrcmp(kod, "55P03") == 0 || qstrcmp(kod, "40P01") == 0 || qstrcmp(kod, "40001") == 0))
        Adatbazis::foglalt();
    JogHiba::ellenoriz(kod);
    throw StoreHiba::motor(szoveg);
}

Eredmeny futtat(PGconn *c, const QByteArray &sql, const QVariantList &ertekek)
{
    QList<QByteArray> szovegek;
    std::vector<const char *> mutatok;
    for (const QVariant &v : ertekek) {
        szovegek << (v.isNull() ? QByteArray() : v.toString().toUtf8());
        mutatok.push_back(v.isNull() ? nullptr : szovegek.last().constData());
    }
    Eredmeny r(PQexecParams(c, sql.constData(), int(mutatok.size()), nullptr, mutatok.data(), nullptr, nullptr, 0),
               PQclear);
    const ExecStatusType st = PQresultStatus(r.get());
    if (st != PGRES_TUPLES_OK && st != PGRES_COMMAND_OK)
        hiba(c, r.get());
    return r;
}

} // namespace

QString MotorSql::rendez(const QString &kif, bool csokkeno, bool szoveg, bool lehetNull)
{
    const QString irany = csokkeno ? " DESC" : "";
    if (!szerveren())
        return kif + irany;
    return kif + (szoveg ? " COLLATE \"C\"" : "") + irany + (!lehetNull ? "" : csokkeno ? " NULLS LAST" : " NULLS FIRST");
}

QString MotorSql::visszaad(const QString &azonosito)
{
    return szerveren() ? " RETURNING " + azonosito : QString();
}

QString MotorSql::hasonlit(const QString &oszlop, bool egyezo)
{
    if (egyezo)
        return oszlop + " = :pminta";
    // the server's LIKE takes a backslash as escape; SQLite's has none
    return oszlop + (szerveren() ? " LIKE :pminta ESCAPE ''" : " LIKE :pminta");
}

QString MotorSql::darabFeltetel(const QString &tabla, const QString &alias)
{
    if (szerveren())
        return {};
    return QString("%1.%2 IN (SELECT rowid FROM %2_kereso WHERE %2_kereso MATCH :pdarab) AND ").arg(alias, tabla);
}

QString MotorSql::sorrendIndex(const QString &index)
{
    return szerveren() ? QString() : " INDEXED BY " + index;
}

QVariant MotorSql::darabErtek(const QString &darab)
{
    if (szerveren() || darab.isEmpty())
        return {};
    return '"' + QString(darab).replace('"', "\"\"") + '"';   // an FTS5 phrase
}

bool MotorSql::egyMenetbenKeres() { return szerveren(); }

QString MotorSql::kulcsKozott(const QString &oszlop, const QString &alLekerdezes, bool kevesKulcs)
{
    // ANY over an array lets the planner put the index of the column into its bitmap OR; IN
    // over a subquery becomes a hash probed per row, cheaper when every row is read anyway
    return kevesKulcs ? QString("%1 = ANY(ARRAY(%2))").arg(oszlop, alLekerdezes)
                      : QString("%1 IN (%2)").arg(oszlop, alLekerdezes);
}

QString MotorSql::elsoTablaJoin()
{
    return szerveren() ? " JOIN " : " CROSS JOIN ";
}

namespace {
const char *const HATTER_KURZOR = "dorvprg_szabad";
int g_hatterSorok = 0;
}

QString MotorSql::hatterben(const QString &sql, bool lekerdezes, const std::function<void()> &kozben)
{
    if (!szerveren())
        return sql;
    Adatbazis::db();   // reconnects after a lost connection
    PGconn *c = Adatbazis::pgHandle();
    if (PQtransactionStatus(c) != PQTRANS_IDLE)
        return sql;
    // a held cursor is filled when its statement's own transaction commits, so the whole
    // statement runs here, while the window answers
    const QByteArray utasitas = lekerdezes ? QByteArray("DECLARE ") + HATTER_KURZOR
                                                 + " NO SCROLL CURSOR WITH HOLD FOR " + sql.toUtf8()
                                           : sql.toUtf8();
    if (!PQsendQuery(c, utasitas.constData()))
        hiba(c, nullptr);
    while (PQisBusy(c)) {
        pollfd p{PQsocket(c), POLLIN, 0};
        ::poll(&p, 1, 20);
        if (!PQconsumeInput(c))
            hiba(c, nullptr);
        kozben();
    }
    // every result is taken, so that the connection is free again even after a failure
    Eredmeny elsoHiba(nullptr, PQclear);
    g_hatterSorok = 0;
    while (PGresult *r = PQgetResult(c)) {
        const ExecStatusType st = PQresultStatus(r);
        if (st == PGRES_COMMAND_OK && *PQcmdTuples(r))
            g_hatterSorok = std::atoi(PQcmdTuples(r));
        if (st != PGRES_TUPLES_OK && st != PGRES_COMMAND_OK && !elsoHiba)
            elsoHiba.reset(r);
        else
            PQclear(r);
    }
    // A statement a cursor cannot hold (the server's SELECT ... INTO) is refused as a syntax
    // error before anything runs: it goes the plain way, which also reports a real syntax
    // error at its place in the user's own text.
    const char *kod = elsoHiba ? PQresultErrorField(elsoHiba.get(), PG_DIAG_SQLSTATE) : nullptr;
    if (lekerdezes && kod && qstrcmp(kod, "42601") == 0 && PQstatus(c) == CONNECTION_OK)
        return sql;
    if (elsoHiba || PQstatus(c) == CONNECTION_BAD)
        hiba(c, elsoHiba.get());
    return lekerdezes ? QString("FETCH ALL FROM ") + HATTER_KURZOR : QString();
}

int MotorSql::hatterSorok() { return g_hatterSorok; }

void MotorSql::hatterVege()
{
    if (!szerveren() || !Adatbazis::nyitva())
        return;
    PGconn *c = Adatbazis::pgHandle();
    if (PQstatus(c) == CONNECTION_OK && PQtransactionStatus(c) == PQTRANS_IDLE)
        PQclear(PQexec(c, QByteArray("CLOSE ") + HATTER_KURZOR));   // not there after a failure: no matter
}

void MotorSql::pgKulcsok(const QString &sql, const QVariantList &ertekek, bool szamRendezo, EgeszTomb &kulcsok,
                         RendezoTomb &rendezo)
{
    Adatbazis::db();   // reconnects after a lost connection
    PGconn *c = Adatbazis::pgHandle();
    const Eredmeny r = futtat(c, szamozott(sql), ertekek);
    const int n = PQntuples(r.get());
    kulcsok.reserve(n);
    rendezo.reserve(n);
    for (int i = 0; i < n; ++i) {
        kulcsok.append(std::strtoll(PQgetvalue(r.get(), i, 0), nullptr, 10));
        if (PQgetisnull(r.get(), i, 1))
            rendezo.hozzaadUres();
        else if (szamRendezo)
            rendezo.hozzaadSzam(std::strtoll(PQgetvalue(r.get(), i, 1), nullptr, 10));
        else
            rendezo.hozzaadSzoveg(QString::fromUtf8(PQgetvalue(r.get(), i, 1), PQgetlength(r.get(), i, 1)));
    }
}

void MotorSql::pgBejar(const QString &sql, const QVariantList &ertekek,
                       const std::function<bool(const QVector<QByteArray> &, const QVector<bool> &)> &f)
{
    Adatbazis::db();
    PGconn *c = Adatbazis::pgHandle();
    // a server cursor lives in a transaction: the caller's, or one of the pass's own
    const bool sajat = PQtransactionStatus(c) == PQTRANS_IDLE;
    if (sajat)
        futtat(c, "BEGIN ISOLATION LEVEL REPEATABLE READ READ ONLY", {});
    struct Vege {
        PGconn *c;
        bool sajat;
        ~Vege()
        {
            if (PQstatus(c) != CONNECTION_OK)
                return;
            PQclear(PQexec(c, sajat ? "COMMIT" : "CLOSE dorvprg_bejar"));
        }
    } vege{c, sajat};
    futtat(c, "DECLARE dorvprg_bejar NO SCROLL CURSOR FOR " + szamozott(sql), ertekek);
    QVector<QByteArray> sor;
    QVector<bool> nullak;
    for (;;) {
        const Eredmeny r = futtat(c, "FETCH FORWARD 4000 FROM dorvprg_bejar", {});
        const int n = PQntuples(r.get()), m = PQnfields(r.get());
        if (n == 0)
            return;
        sor.resize(m);
        nullak.resize(m);
        for (int i = 0; i < n; ++i) {
            for (int j = 0; j < m; ++j) {
                nullak[j] = PQgetisnull(r.get(), i, j);
                // the result outlives the call: no copy of the bytes
                sor[j] = QByteArray::fromRawData(PQgetvalue(r.get(), i, j), PQgetlength(r.get(), i, j));
            }
            if (!f(sor, nullak))
                return;
        }
    }
}

namespace {

// The statement with its ? marks as literals (a COPY takes no parameters): texts quoted by
// libpq, numbers as digits, outside quoted texts as szamozott counts them.
QByteArray literalokkal(PGconn *c, const QString &sql, const QVariantList &ertekek)
{
    QByteArray ki;
    int n = 0;
    bool idezet = false;
    for (const QChar ch : sql) {
        if (ch == '\'')
            idezet = !idezet;
        if (ch != '?' || idezet) {
            ki += QString(ch).toUtf8();
            continue;
        }
        const QVariant v = ertekek.value(n++);
        if (v.isNull()) {
            ki += "NULL";
        } else if (v.typeId() == QMetaType::QString) {
            const QByteArray b = v.toString().toUtf8();
            char *l = PQescapeLiteral(c, b.constData(), size_t(b.size()));
            if (!l)
                throw StoreHiba::motor(QString::fromUtf8(PQerrorMessage(c)).trimmed());
            ki += l;
            PQfreemem(l);
        } else {
            ki += QByteArray::number(v.toLongLong());
        }
    }
    return ki;
}

// One row of COPY's text format into its fields: tab between them, \N for null. A field
// without a backslash points into the row itself; one with backslash escapes is undone into
// dekodolt (reserved beforehand, so the fields keep pointing into it). The fields are valid
// while p and dekodolt are.
void copySor(const char *p, int n, QByteArray &dekodolt, QVector<QByteArray> &sor, QVector<bool> &nullak)
{
    if (n > 0 && p[n - 1] == '\n')
        --n;
    if (dekodolt.size() < n)
        dekodolt.resize(n);
    char *d = dekodolt.data();
    qsizetype k = 0;   // fields so far
    int i = 0;
    for (;;) {
        const int mezoEleje = i;
        while (i < n && p[i] != '\t' && p[i] != '\\')
            ++i;
        bool null = false;
        QByteArray mezo;
        if (i >= n || p[i] == '\t') {
            mezo = QByteArray::fromRawData(p + mezoEleje, i - mezoEleje);
        } else {
            char *const kiEleje = d;
            d = std::copy(p + mezoEleje, p + i, d);
            while (i < n && p[i] != '\t') {
                if (p[i] != '\\' || i + 1 >= n) {
                    *d++ = p[i++];
                    continue;
                }
                const char e = p[i + 1];
                i += 2;
                switch (e) {
                case 'b': *d++ = '\b'; break;
                case 'f': *d++ = '\f'; break;
                case 'n': *d++ = '\n'; break;
                case 'r': *d++ = '\r'; break;
                case 't': *d++ = '\t'; break;
                case 'v': *d++ = '\v'; break;
                case 'x': {
                    int v = 0, db = 0;
                    while (db < 2 && i < n && std::isxdigit(uchar(p[i]))) {
                        v = v * 16 + (std::isdigit(uchar(p[i])) ? p[i] - '0' : (std::tolower(uchar(p[i])) - 'a' + 10));
                        ++i;
                        ++db;
                    }
                    *d++ = db ? char(v) : 'x';
                    break;
                }
                default:
                    if (e >= '0' && e <= '7') {
                        int v = e - '0', db = 1;
                        while (db < 3 && i < n && p[i] >= '0' && p[i] <= '7') {
                            v = v * 8 + (p[i++] - '0');
                            ++db;
                        }
                        *d++ = char(v);
                    } else {
                        *d++ = e;
                    }
                }
            }
            null = i - mezoEleje == 2 && p[mezoEleje] == '\\' && p[mezoEleje + 1] == 'N';
            if (!null)
                mezo = QByteArray::fromRawData(kiEleje, d - kiEleje);
        }
        // the vectors keep their size from row to row: no element made or dropped per field
        if (k == sor.size()) {
            sor.resize(k + 1);
            nullak.resize(k + 1);
        }
        sor[k] = std::move(mezo);
        nullak[k] = null;
        ++k;
        if (i >= n)
            break;
        ++i;   // the tab
    }
    sor.resize(k);
    nullak.resize(k);
}

// The rows of the COPY ... TO STDOUT just started on c, each to f. After f's false, with
// megszakit the server is asked to stop sending and the connection is left to be dropped;
// without it the rest is read and not handed on (on a connection that goes on, a cancel
// arriving late would meet its next statement). Otherwise every result is taken, so the
// connection is free again; hibaFv throws for the COPY's failed result.
template <typename HibaFv>
void copyOlvas(PGconn *c, const std::function<bool(const QVector<QByteArray> &, const QVector<bool> &)> &f,
               bool megszakit, HibaFv hibaFv)
{
    QByteArray dekodolt;
    QVector<QByteArray> sor;
    QVector<bool> nullak;
    bool tovabb = true;
    for (;;) {
        char *adat = nullptr;
        const int n = PQgetCopyData(c, &adat, 0);
        if (n < 0)
            break;
        const std::unique_ptr<char, void (*)(void *)> felszabadit(adat, PQfreemem);
        if (!tovabb)
            continue;   // not wanted
        copySor(adat, n, dekodolt, sor, nullak);
        if (!f(sor, nullak)) {
            tovabb = false;
            if (!megszakit)
                continue;
            if (PGcancel *m = PQgetCancel(c)) {
                char hiba[256];
                PQcancel(m, hiba, sizeof hiba);
                PQfreeCancel(m);
            }
            return;
        }
    }
    // the COPY's own result says whether every row came; a lost connection is told even after a stop
    Eredmeny elso(PQgetResult(c), PQclear);
    while (PGresult *r = PQgetResult(c))
        PQclear(r);
    if (PQresultStatus(elso.get()) != PGRES_COMMAND_OK && (tovabb || PQstatus(c) == CONNECTION_BAD))
        hibaFv(elso.get());
}

} // namespace

void MotorSql::pgMasolBejar(const QString &sql, const QVariantList &ertekek,
                            const std::function<bool(const QVector<QByteArray> &, const QVector<bool> &)> &f)
{
    Adatbazis::db();
    const QByteArray utasitas = "COPY (" + literalokkal(Adatbazis::pgHandle(), sql, ertekek) + ") TO STDOUT";
    KapcsolatLeiras::Kulcsok kulcsok = KapcsolatLeiras::alapokkal(KapcsolatLeiras::elemez(Adatbazis::kapcsolat()));
    // a desk logged in with its own role streams as that role; the string stays in memory
    const Adatbazis::Belepes b = Adatbazis::belepes();
    if (!b.nev.isEmpty()) {
        kulcsok.removeIf([](const auto &kv) { return kv.first == "user"; });
        kulcsok.append({QByteArray("user"), b.nev});
        kulcsok.append({QByteArray("password"), b.jelszo});
    }
    const QByteArray leiras = KapcsolatLeiras::szoveg(kulcsok).toUtf8();
    std::unique_ptr<PGconn, void (*)(PGconn *)> kapcs(PQconnectdb(leiras.constData()), PQfinish);
    PGconn *c = kapcs.get();
    const auto kapcsolatHiba = [c](const QString &szoveg, bool megszakadt) {
        return KapcsolatHiba::keszit(megszakadt, QString::fromUtf8(PQhost(c)), QString::fromUtf8(PQport(c)),
                                     szoveg);
    };
    if (!c || PQstatus(c) != CONNECTION_OK)
        throw kapcsolatHiba(QString::fromUtf8(c ? PQerrorMessage(c) : "").trimmed(), false);
    // the session of the store's own connection as far as these rows go: UTF-8, ISO dates
    if (PQsetClientEncoding(c, "UTF8") != 0)
        throw StoreHiba::motor(QString::fromUtf8(PQerrorMessage(c)).trimmed());
    const auto hibaEredmeny = [&](const PGresult *r) {
        const QString szoveg = QString::fromUtf8(r ? PQresultErrorMessage(r) : PQerrorMessage(c)).trimmed();
        const char *kod = r ? PQresultErrorField(r, PG_DIAG_SQLSTATE) : nullptr;
        if (PQstatus(c) == CONNECTION_BAD || (kod && (qstrncmp(kod, "08", 2) == 0 || qstrncmp(kod, "57P0", 4) == 0)))
            throw kapcsolatHiba(szoveg, true);
        throw StoreHiba::motor(szoveg);
    };
    {
        const Eredmeny r(PQexec(c, "SET DateStyle = ISO; SET jit = off; SET lock_timeout = '5s'"), PQclear);
        if (PQresultStatus(r.get()) != PGRES_COMMAND_OK)
            hibaEredmeny(r.get());
    }
    {
        const Eredmeny r(PQexec(c, utasitas.constData()), PQclear);
        if (PQresultStatus(r.get()) != PGRES_COPY_OUT)
            hibaEredmeny(r.get());
    }
    copyOlvas(c, f, true, hibaEredmeny);
}

void MotorSql::pgMasolBejarItt(const QString &sql, const QVariantList &ertekek,
                               const std::function<bool(const QVector<QByteArray> &, const QVector<bool> &)> &f)
{
    Adatbazis::db();   // reconnects after a lost connection
    PGconn *c = Adatbazis::pgHandle();
    const QByteArray utasitas = "COPY (" + literalokkal(c, sql, ertekek) + ") TO STDOUT";
    {
        const Eredmeny r(PQexec(c, utasitas.constData()), PQclear);
        if (PQresultStatus(r.get()) != PGRES_COPY_OUT)
            hiba(c, r.get());
    }
    copyOlvas(c, f, false, [c](const PGresult *r) { hiba(c, r); });
}
