#pragma once

class QString;
class QWidget;

// Login at start: true when a user logged in (rights and name are then in Beall).
bool Belepes(QWidget *szulo = nullptr);
// The login of a server that wants a name and password of its own (KapcsolatHiba::
// bejelentkezes): true when the register is open with them; the rights are then set.
bool KiszolgaloBelepes(const QString &kapcsolat, QWidget *szulo = nullptr);
// On a register whose users are server roles, the rights and name of the run from the
// logged-in role; nothing otherwise.
void KiszolgaloJogok();
void FelhasznaloLista(QWidget *szulo = nullptr);
void Beallitasok(QWidget *szulo = nullptr);
void TulajdonosSzerkeszt(QWidget *szulo = nullptr);
void FontosInformaciok(QWidget *szulo = nullptr);
void Nevjegy(QWidget *szulo = nullptr);
