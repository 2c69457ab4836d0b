#pragma once

#include "RendezoTomb.h"

#include <QString>
#include <QVariant>
#include <QVector>
#include <functional>

struct MezoLeiras;

// What differs between the two engines in the statements of the store and of the search,
// written once per engine; the open connection's engine decides.
namespace MotorSql {
// "expr [DESC]" for ORDER BY as SQLite orders: nulls first going up, last going down, texts
// of an ordering key by code point. lehetNull false for a key, so the server's indexes serve.
QString rendez(const QString &kif, bool csokkeno, bool szoveg, bool lehetNull = true);
// " RETURNING id" after an INSERT on the server, where Qt gives no last insert id.
QString visszaad(const QString &azonosito);
// The search: a comparison of a column with the bound pattern :pminta (LIKE with no escape
// character on both engines), the index condition in front of it (SQLite's trigram table;
// the server's trigram index needs none), the letters' number-order index hint, and the
// value bound as :pdarab, invalid when the engine needs none.
QString hasonlit(const QString &oszlop, bool egyezo);
QString darabFeltetel(const QString &tabla, const QString &alias);
QString sorrendIndex(const QString &index);
QVariant darabErtek(const QString &darab);
// Whether the search is one pass over the letters with its conditions ORed (the server's
// bitmap OR), rather than branches merged by a union (SQLite, which ORs no indexes).
bool egyMenetbenKeres();
// "oszlop among the keys of the subquery": kevesKulcs when the trigram index narrows the
// keys, which are then matched through the column's index; otherwise a hashed subquery beside
// the pass over every letter.
QString kulcsKozott(const QString &oszlop, const QString &alLekerdezes, bool kevesKulcs);
// An inner join whose left table is read first: SQLite's CROSS JOIN fixes the order, the
// server's planner chooses it itself.
QString elsoTablaJoin();

// A statement of the free SQL window run so that the caller keeps handling events: on the
// server it is sent without waiting for it, and kozben is called every few milliseconds until
// it ends (Adatbazis::megszakit there cancels it); a query's rows wait in a server cursor.
// Returns what the caller still runs through Lekerdezes: the cursor's read, nothing after a
// statement without rows, or sql itself on SQLite (whose progress handler calls back) and in
// an open server transaction (where a held cursor would run only when read).
QString hatterben(const QString &sql, bool lekerdezes, const std::function<void()> &kozben);
// The rows the last statement without rows that hatterben ran changed (its last command's count).
int hatterSorok();
// Drops the cursor of hatterben once its rows are read (or the read failed).
void hatterVege();

// The server's own reads of many rows through libpq, past QSqlQuery's cost per row: the
// keys and first ordering values of a view, and the rows of a statement in batches through a
// server cursor (inside the caller's transaction). ? marks the values in both.
void pgKulcsok(const QString &sql, const QVariantList &ertekek, bool szamRendezo, EgeszTomb &kulcsok,
               RendezoTomb &rendezo);
// f gets each row's columns as text (null as a null QString); false stops the pass.
void pgBejar(const QString &sql, const QVariantList &ertekek,
             const std::function<bool(const QVector<QByteArray> &ertekek, const QVector<bool> &nullak)> &f);
// pgBejar through a connection of its own with the same connection string, by one COPY of
// the statement's rows (one snapshot): this connection stays free, and the rows stream without
// a round trip per batch. Stopping (f false) cancels the COPY. Throws StoreHiba, KapcsolatHiba
// when the second connection cannot be made or is lost.
void pgMasolBejar(const QString &sql, const QVariantList &ertekek,
                  const std::function<bool(const QVector<QByteArray> &ertekek, const QVector<bool> &nullak)> &f);
// The same COPY on the store's own connection, for a caller that has nothing else for it to do
// meanwhile (f must not use the store): no second connection is made. Outside a transaction.
void pgMasolBejarItt(const QString &sql, const QVariantList &ertekek,
                     const std::function<bool(const QVector<QByteArray> &ertekek, const QVector<bool> &nullak)> &f);
}
