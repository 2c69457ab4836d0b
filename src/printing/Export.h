#pragma once

#include <QString>

class QWidget;
class Tabla;
class Lekerdezes;

// The export dialog on a cursor (the letter list of the current view).
void HataroltExport(Tabla &ds, const QString &alapFajlnev, QWidget *szulo = nullptr);
// Writes a query result row by row with the caller's separator, field names as header.
void CsvMentes(Lekerdezes &q, const QString &fajl, const QString &elvalaszto);
