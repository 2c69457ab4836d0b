#pragma once

#include <QString>

// A server register whose users are login roles of their own (scripts/pg-setup.sh --roles):
// the meta rows szerep_mindenki, szerep_torzsszerkeszt and szerep_rendszergazda name the
// register's three groups, and the rights of the run come from the logged-in role's groups
// instead of felhasznalo. The users are kept through the functions the script installs, which
// create, rename and drop the roles and keep their felhasznalo rows in step. Every call throws
// StoreHiba (JogHiba when the role may not).
namespace Szerepek {

struct Jogok {
    bool torzsszerkeszt = false;
    bool rendszergazda = false;
};

// The open register keeps its users as login roles (never the local one).
bool aktiv();
// The rights of a role from its groups; an empty name: the logged-in role's.
Jogok jogok(const QString &szerep = {});
// Whether the server has a role of that name.
bool letezik(const QString &szerep);

// The administrator's users window; the caller holds the transaction. Passwords travel as
// SCRAM verifiers made here (libpq), never in clear.
void uj(const QString &nev, const QString &jelszo, const Jogok &j);
void atnevez(const QString &regi, const QString &uj);
void jogokBeallit(const QString &nev, const Jogok &j);
void jelszoBeallit(const QString &nev, const QString &jelszo);
// The role and its felhasznalo row; a row without a role goes alone.
void torol(const QString &nev);
// The logged-in role's own password (the login window's "Új jelszó").
void sajatJelszo(const QString &jelszo);

} // namespace Szerepek
