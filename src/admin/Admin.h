#pragma once

class QWidget;

// Login at start: true when a user logged in (rights and name are then in Beall).
bool Belepes(QWidget *szulo = nullptr);
void FelhasznaloLista(QWidget *szulo = nullptr);
void Beallitasok(QWidget *szulo = nullptr);
void TulajdonosSzerkeszt(QWidget *szulo = nullptr);
void FontosInformaciok(QWidget *szulo = nullptr);
void Nevjegy(QWidget *szulo = nullptr);
