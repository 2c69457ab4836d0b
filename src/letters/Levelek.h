#pragma once

#include <QString>

class QWidget;
struct GaranciaSor;
class Tabla;

// The letter editor on the main window's letter cursor (no copy of the row).
void LevelSzerkeszt(Tabla &tbl, bool uj, const QString &tipus, QWidget *szulo = nullptr);
// The detailed search; a letter chosen there becomes current in tbl when tbl's view holds it.
void ReszletesKeres(Tabla &tbl, QWidget *szulo = nullptr);
// Notes of a letter; a new note through the main window's notes cursor.
void MegjegyzesLista(int doksi, QWidget *szulo = nullptr);
void UjMegjegyzes(Tabla &tblMegj, int doksi, QWidget *szulo = nullptr);
// Claims of a letter ("Reklamációk"): list, editor, printouts; with uj a new claim is started
// at once (refused with a message while the letter has an open one).
void ReklamacioAblak(int doksi, QWidget *szulo = nullptr, bool uj = false);
// "Reklamációk listája": asks for the period and the supplier, then previews or prints.
void ReklamacioListaKer(QWidget *szulo = nullptr);
// Attached documents of a letter; szam is the letter number as plain decimal text.
void CsatoltLista(int doksi, const QString &szam, QWidget *szulo = nullptr);
// "Garancia ellenőrzés": true with the letter chosen to open in its editor.
bool GaranciaEllenorzes(GaranciaSor &valasztott, QWidget *szulo = nullptr);
// "Lejáró garanciák": true with the letter chosen to open in its editor.
bool LejaroGaranciak(GaranciaSor &valasztott, QWidget *szulo = nullptr);
