#pragma once

#include "Nyomtatvany.h"

#include <QDate>
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
