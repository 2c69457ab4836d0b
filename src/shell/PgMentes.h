#pragma once

#include "StoreHiba.h"

#include <QSqlDatabase>
#include <QString>
#include <functional>

// The register on a database server saved for an archive: pg_dump's custom format, taken in
// one snapshot, so the dump holds each committed transaction wholly or not at all while the
// other desks go on working. Restored with pg_restore.
namespace PgMentes {

// The dump's name inside the archive.
extern const char *const FAJLNEV;   // "dorvprg.pgdump"

// The pg_dump to run: the newest of the server packages' (a newer one dumps older servers
// too), else the one on PATH; empty when there is none.
QString pgDumpProgram();

// Dumps the database of the libpq connection string into fajl. pg_dump never asks for a
// password (it comes from ~/.pgpass, PGPASSFILE or the service file). folytat is asked now
// and then while the dump runs; false stops it (the partial file is removed) and throws
// ArchivMegszakitva. Throws StoreHiba with pg_dump's own message on failure.
// With pillanatban, a connection of its own is given to it, once the dump is written, inside
// the very snapshot the dump was taken from (pg_export_snapshot), so what it reads matches the
// dump row for row.
void ment(const QString &kapcsolat, const QString &fajl, const std::function<bool()> &folytat = {},
          const std::function<void(QSqlDatabase &)> &pillanatban = {});

} // namespace PgMentes
