#pragma once

#include <QString>

// Writes a register for the benchmarks into a database folder (created when missing):
// `levelek` letters, half of each kind, 2,000 brands, 20,000 parts and 100,000 customers,
// with Hungarian names. The data is the same on every run (fixed seed). A folder that
// already holds a register of exactly that size is left as it is; any other folder gets
// a new database. The connection is closed afterwards.
void RegiszterGeneral(const QString &mappa, int levelek = 1000000);

// Whether the folder already holds the register RegiszterGeneral would write.
bool RegiszterKesz(const QString &mappa, int levelek = 1000000);

// The folder to run the program on without changing the register given: the folder itself
// when opening it writes nothing (its schema is this program's, the search index whole),
// otherwise a copy in `masolat` (opening brings an older register up to date).
QString RegiszterOlvasasra(const QString &mappa, const QString &masolat);
