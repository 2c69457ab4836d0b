#include "Szerepek.h"
#include "Adatbazis.h"
#include "StoreHiba.h"

#include <QVariant>
#include <libpq-fe.h>

namespace {

const char *const MINDENKI = "szerep_mindenki";
const char *const TORZS = "szerep_torzsszerkeszt";
const char *const RENDSZERGAZDA = "szerep_rendszergazda";

// the server's SCRAM verifier of a password, as ALTER ROLE ... PASSWORD takes it
QString ellenorzo(const QString &jelszo)
{
    PGconn *c = Adatbazis::pgHandle();
    char *e = PQencryptPasswordConn(c, jelszo.toUtf8().constData(), PQuser(c), "scram-sha-256");
    if (!e)
        throw StoreHiba(QString("A jelszó nem készíthető elő: %1").arg(QString::fromUtf8(PQerrorMessage(c)).trimmed()));
    const QString v = QString::fromUtf8(e);
    PQfreemem(e);
    return v;
}

// whether the role is a member of the group the meta row names (a group since dropped: no)
bool tagja(const QString &szerep, const char *kulcs)
{
    return Adatbazis::ertek("SELECT CASE WHEN EXISTS (SELECT 1 FROM pg_roles WHERE rolname = m.ertek) "
                            "THEN pg_has_role(coalesce(?, current_user), m.ertek, 'USAGE') ELSE false END "
                            "FROM meta m WHERE m.kulcs = ?",
                            {szerep.isEmpty() ? QVariant(QMetaType(QMetaType::QString)) : QVariant(szerep),
                             QString(kulcs)})
        .toBool();
}

} // namespace

bool Szerepek::aktiv()
{
    return Adatbazis::motor() == Adatbazis::Motor::PostgreSQL
        && Adatbazis::ertek("SELECT count(*) FROM meta WHERE kulcs = ?", {QString(MINDENKI)}).toInt() > 0;
}

Szerepek::Jogok Szerepek::jogok(const QString &szerep)
{
    Jogok j;
    j.torzsszerkeszt = tagja(szerep, TORZS);
    j.rendszergazda = tagja(szerep, RENDSZERGAZDA);
    return j;
}

bool Szerepek::letezik(const QString &szerep)
{
    return Adatbazis::ertek("SELECT count(*) FROM pg_roles WHERE rolname = ?", {szerep}).toInt() > 0;
}

void Szerepek::uj(const QString &nev, const QString &jelszo, const Jogok &j)
{
    Adatbazis::vegrehajt("SELECT dorvprg_felhasznalo_uj(?, ?, ?, ?)",
                         {nev, ellenorzo(jelszo), j.torzsszerkeszt, j.rendszergazda});
}

void Szerepek::atnevez(const QString &regi, const QString &uj)
{
    Adatbazis::vegrehajt("SELECT dorvprg_felhasznalo_atnevez(?, ?)", {regi, uj});
}

void Szerepek::jogokBeallit(const QString &nev, const Jogok &j)
{
    Adatbazis::vegrehajt("SELECT dorvprg_felhasznalo_jogok(?, ?, ?)", {nev, j.torzsszerkeszt, j.rendszergazda});
}

void Szerepek::jelszoBeallit(const QString &nev, const QString &jelszo)
{
    Adatbazis::vegrehajt("SELECT dorvprg_felhasznalo_jelszo(?, ?)", {nev, ellenorzo(jelszo)});
}

void Szerepek::torol(const QString &nev)
{
    Adatbazis::vegrehajt("SELECT dorvprg_felhasznalo_torol(?)", {nev});
}

void Szerepek::sajatJelszo(const QString &jelszo)
{
    // a role may always set its own password; the verifier is quoted as a literal
    const QString v = ellenorzo(jelszo);
    Adatbazis::vegrehajt(QString("ALTER ROLE CURRENT_USER PASSWORD '%1'").arg(QString(v).replace('\'', "''")));
}
