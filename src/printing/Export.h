#pragma once

#include <QChar>
#include <QString>
#include <QStringList>
#include <functional>

class QWidget;
class Tabla;
class Lekerdezes;

// The export dialog on a cursor (the letter list of the current view).
void HataroltExport(Tabla &ds, const QString &alapFajlnev, QWidget *szulo = nullptr);
// Writes a query result row by row with the caller's separator, field names as header.
void CsvMentes(Lekerdezes &q, const QString &fajl, const QString &elvalaszto);

// The writers themselves, without windows: the dialog, the command line and the benchmark
// use the same code, so their files are byte for byte the same.

// Called before each row with the rows written so far and the row count; false stops the
// export between two rows (the rows written so far stay in the file).
using ExportHaladas = std::function<bool(int kesz, int osszes)>;

struct ExportEredmeny {
    int sorok = 0;          // data rows written
    bool megallitva = false;
};

// Header of display labels, then one line per row of the cursor in its order. Every entry
// is qualifier, text, qualifier, separator; a qualifier inside a text is doubled so that
// spreadsheets read the column back whole. A null jelolo means no qualifier (texts as
// they are). Lines end in CR LF, code page 1250. The file is replaced only when the
// export succeeds (also when stopped); on a failure the old file stays and StoreHiba is
// thrown. The cursor is left on its last row, or after a stop on the row not yet written.
// A closed cursor is opened, except when no haladas is given and the qualifier is ASCII: then
// its view is read without its keys and the cursor stays closed (the command line's export).
ExportEredmeny HataroltIr(Tabla &ds, const QString &fajl, const QString &elvalaszto, QChar jelolo,
                          const ExportHaladas &haladas = {});
// The fields the export writes, in order: each lookup field right after its own key field.
QStringList HataroltMezok(const Tabla &ds);
QStringList HataroltFejlec(const Tabla &ds);   // their display labels

// Sets up a letter cursor as the letter list shows it: one kind, newest number first,
// brand, part and customer names looked up. Used by the command-line export.
void LevelListaKurzor(Tabla &t, const QString &prntip);

// CsvMentes without its dialogs: false with the reason when the file cannot be created
// (nothing else happens then); a failure while writing rows is thrown as StoreHiba.
// The query is opened when closed and closed again afterwards.
bool CsvIr(Lekerdezes &q, const QString &fajl, const QString &elvalaszto, QString *nyitasHiba = nullptr);

// Letters given by key (any kind), in the order given, as HataroltIr writes a letter list,
// with further columns after the letter's own: pluszFejlec their titles, plusz(i) the texts
// for the i-th key. Keys not in the register are left out. One pass over the letters.
ExportEredmeny HataroltLevelekIr(const QList<qint64> &doksik, const QStringList &pluszFejlec,
                                 const std::function<QStringList(int i)> &plusz, const QString &fajl,
                                 const QString &elvalaszto, QChar jelolo, const ExportHaladas &haladas = {});

// Rows of any list for the export dialog: written to fajl with the separator and qualifier
// chosen there, haladas asked before each row.
using HataroltIro = std::function<ExportEredmeny(const QString &fajl, const QString &elvalaszto, QChar jelolo,
                                                 const ExportHaladas &haladas)>;
// The export dialog on such rows (sorok: their number, for the progress bar).
void HataroltExport(const HataroltIro &iro, int sorok, const QString &alapFajlnev, QWidget *szulo = nullptr);
