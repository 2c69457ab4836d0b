#pragma once

#include "Nyomtatvany.h"

#include <QDate>
#include <QHash>
#include <QList>
#include <QVariant>
#include <QString>

#include <memory>

class NyomtatasiMunka;

// The claims' printouts: the claim form ("Reklamációs lap") of one claim, and the list of the
// claims of a period, optionally of one supplier (what goes to the supplier). Opening reads
// every row, so a failure throws StoreHiba before a page is made.
namespace ReklamacioNyomtatas {
Elrendezes lapElrendezes();
Elrendezes listaElrendezes();
std::unique_ptr<NyomtatasiMunka> lap(int reklamacio);
// claims dated tol..ig inclusive; an empty supplier means every supplier
std::unique_ptr<NyomtatasiMunka> lista(const QDate &tol, const QDate &ig, const QString &beszallito);
// the same written to a PDF file; returns the number of pages
int lapPdf(int reklamacio, const QString &fajl);
int listaPdf(const QDate &tol, const QDate &ig, const QString &beszallito, const QString &fajl);
}

// The worklist of warranties ending ("Lejáró garanciák") printed as a list: the rows as the
// window shows them, in its order, one hash a letter with the keys "veg", "level", "datum",
// "dorvido", "ugyfel_nev", "telefon", "emil", "marka_alkatresz", "sorozatszam", "allapot";
// idoszak names the period in the header.
namespace GaranciaNyomtatas {
Elrendezes lejaroElrendezes();
std::unique_ptr<NyomtatasiMunka> lejaro(QList<QHash<QString, QVariant>> sorok, const QString &idoszak);
int lejaroPdf(QList<QHash<QString, QVariant>> sorok, const QString &idoszak, const QString &fajl);
}
