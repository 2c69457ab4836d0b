#include "KapcsolatLeiras.h"
#include "StoreHiba.h"

#include <QSqlDatabase>
#include <QSysInfo>
#include <algorithm>
#include <libpq-fe.h>

namespace {

// The keywords libpq reads from the string, only those given; false with libpq's reason
// when it cannot read it.
bool libpqElemez(const QString &s, KapcsolatLeiras::Kulcsok &k, QString *hiba = nullptr)
{
    char *h = nullptr;
    PQconninfoOption *o = PQconninfoParse(s.toUtf8().constData(), &h);
    if (!o) {
        if (hiba)
            *hiba = h ? QString::fromUtf8(h).trimmed() : QString("out of memory");
        PQfreemem(h);
        return false;
    }
    for (const PQconninfoOption *p = o; p->keyword; ++p)
        if (p->val)
            k.append({QByteArray(p->keyword), QString::fromUtf8(p->val)});
    PQconninfoFree(o);
    return true;
}

bool jelszavas(const KapcsolatLeiras::Kulcsok &k)
{
    for (const auto &kv : k)
        if (kv.first == "password" || kv.first == "sslpassword")
            return true;
    return false;
}

QString idez(QString v)
{
    v.replace('\\', "\\\\").replace('\'', "\\'");
    return '\'' + v + '\'';
}

} // namespace

bool KapcsolatLeiras::vanJelszo(const QString &kapcsolat)
{
    // a string libpq reads without one may still hand Qt's driver a password: it turns every
    // ';' into a blank before libpq sees the string
    for (const QString &s : {kapcsolat, QString(kapcsolat).replace(';', ' ')}) {
        Kulcsok k;
        // keywords are case-sensitive, so libpq refuses "PASSWORD=": a secret all the same
        if ((libpqElemez(s, k) || libpqElemez(s.toLower(), k)) && jelszavas(k))
            return true;
    }
    return false;
}

KapcsolatLeiras::Kulcsok KapcsolatLeiras::elemez(const QString &kapcsolat)
{
    if (vanJelszo(kapcsolat))
        throw StoreHiba("A kiszolgáló kapcsolata nem tartalmazhat jelszót: a jelszót a ~/.pgpass fájlba (vagy a "
                        "PGPASSFILE fájlba) vagy a szolgáltatásfájlba (pg_service.conf) írja.");
    Kulcsok k;
    QString hiba;
    if (!libpqElemez(kapcsolat.trimmed(), k, &hiba))
        throw StoreHiba(QString("A kiszolgáló kapcsolata nem értelmezhető: %1").arg(hiba));
    return k;
}

QString KapcsolatLeiras::ertek(const Kulcsok &k, const char *kulcs)
{
    for (const auto &kv : k)
        if (kv.first == kulcs)
            return kv.second;
    return {};
}

QString KapcsolatLeiras::szoveg(const Kulcsok &k)
{
    QStringList l;
    for (const auto &kv : k)
        l << QString::fromLatin1(kv.first) + '=' + idez(kv.second);
    return l.join(' ');
}

QString KapcsolatLeiras::alkalmazasNev(const QString &szerep)
{
    // the server keeps 63 bytes of it; the desk's name is what tells the desks apart
    const QString eleje = szerep.isEmpty() ? QString("DorvPrg") : "DorvPrg " + szerep;
    const QString gep = QSysInfo::machineHostName().left(63 - 3 - eleje.size());
    return gep.isEmpty() ? eleje : QString("%1 (%2)").arg(eleje, gep);
}

KapcsolatLeiras::Kulcsok KapcsolatLeiras::alapokkal(const Kulcsok &k, const QString &szerep)
{
    Kulcsok l = k;
    if (ertek(k, "connect_timeout").isEmpty())
        l.append({QByteArray("connect_timeout"), QString("10")});
    if (!std::any_of(k.cbegin(), k.cend(), [](const auto &kv) { return kv.first == "application_name"; }))
        l.append({QByteArray("application_name"), alkalmazasNev(szerep)});
    return l;
}

void KapcsolatLeiras::beallit(QSqlDatabase &d, const QString &kapcsolat)
{
    const Kulcsok k = alapokkal(elemez(kapcsolat));
    QStringList opciok;
    for (const auto &kv : k) {
        if (kv.first == "host" || kv.first == "dbname" || kv.first == "user")
            continue;
        if (kv.second.contains(';'))
            throw StoreHiba(QString("A kiszolgáló kapcsolatában a(z) %1 értéke pontosvesszőt tartalmaz, ezt a Qt "
                                    "PostgreSQL-meghajtója nem tudja átadni.").arg(QString::fromLatin1(kv.first)));
        opciok << QString::fromLatin1(kv.first) + '=' + idez(kv.second);
    }
    // the driver quotes these three itself
    d.setHostName(ertek(k, "host"));
    d.setDatabaseName(ertek(k, "dbname"));
    d.setUserName(ertek(k, "user"));
    d.setPassword({});
    d.setPort(-1);
    d.setConnectOptions(opciok.join(' '));
}
