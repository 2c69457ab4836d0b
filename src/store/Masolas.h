#pragma once

#include "StoreHiba.h"

#include <QList>
#include <QPair>
#include <QString>
#include <functional>

// Moves a local register to a database server: the open SQLite register is copied into an
// empty PostgreSQL database in one transaction, keys kept and the counters continued after
// the highest key, so the first letter posted on the server gets the next number.
namespace Masolas {

// Rows copied so far (the table being copied) out of all rows of every table.
using Figyelo = std::function<void(const QString &tabla, qint64 kesz, qint64 osszes)>;

struct Eredmeny {
    QList<QPair<QString, qint64>> tablak;   // table and rows copied, in the order copied
    qint64 osszesSor() const;
};

// Copies the open local register to the server of the libpq connection string. A database
// that holds any table, view or sequence is refused untouched; on any failure the
// transaction is rolled back and the database stays empty. The local register is held for
// writing during the copy and, once the server committed, marked as moved (Adatbazis::ATHELYEZVE):
// the program opens it no more, its rows stay as they were. Throws KapcsolatHiba when the
// server cannot be reached, StoreHiba otherwise.
Eredmeny masol(const QString &kapcsolat, const Figyelo &figyelo = {});

} // namespace Masolas
