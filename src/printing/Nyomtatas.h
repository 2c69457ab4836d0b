#pragma once

#include <QHash>
#include <QList>
#include <QString>
#include <QVariant>

class QWidget;
class Tabla;

// Entry operations of the printouts. nyomtat true prints at once on the default printer;
// false opens the preview window and returns when it closes.
void JotallasNyomtat(int doksi, bool nyomtat, QWidget *szulo = nullptr);   // certificate, kind 'J'
void SzerelesNyomtat(int doksi, bool nyomtat, QWidget *szulo = nullptr);   // certificate, kind 'S'
void JavitasNyomtat(int doksi, bool nyomtat, QWidget *szulo = nullptr);    // repair order form
void SzereloNyomtat(int doksi, bool nyomtat, QWidget *szulo = nullptr);    // mechanic worksheet
void ListaNyomtat(Tabla &tbl, bool nyomtat, QWidget *szulo = nullptr);     // simple list of the view
void MegjegyzesNyomtat(int doksi, bool nyomtat, QWidget *szulo = nullptr); // notes of a letter

class QDate;
// The claim form of one claim, and the claims of a period (of one supplier unless empty).
void ReklamacioLapNyomtat(int reklamacio, bool nyomtat, QWidget *szulo = nullptr);
void ReklamacioListaNyomtat(const QDate &tol, const QDate &ig, const QString &beszallito, bool nyomtat,
                            QWidget *szulo = nullptr);

// The worklist of warranties ending as a list (rows as GaranciaNyomtatas::lejaro takes them).
void LejaroListaNyomtat(const QList<QHash<QString, QVariant>> &sorok, const QString &idoszak, bool nyomtat,
                        QWidget *szulo = nullptr);
