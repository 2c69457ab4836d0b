#pragma once

#include "Lapozo.h"
#include "Nyomtatvanyok.h"

#include <QString>

class Tabla;

// Printouts to PDF files without any window: the preview's "save as PDF" and the command
// line use these. Each reads the database that is open, like the printing entries do, and
// throws StoreHiba with a readable message when a dataset, a text file (s1.txt ...) or the
// target file fails. They return the number of pages written.

// A printout of one letter (for the list: the letters of kind 'J', as the list view shows them).
int NyomtatvanyPdf(NyomtatvanyFajta f, int doksi, const QString &fajl);
// The simple list over a cursor (moves it to its last row, as the printed list does).
int ListaPdf(Tabla &tbl, const QString &fajl);
// The simple list of the letters of one kind ('J' or 'S'), newest number first.
int ListaPdf(QChar prntip, const QString &fajl);

// Writes pages already made; throws StoreHiba when the file cannot be written.
void OldalakPdf(const Oldalak &o, const QString &fajl);
