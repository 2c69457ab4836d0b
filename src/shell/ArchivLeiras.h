#pragma once

// The program's own entries of an archive live under this folder, whose name the register's
// folder never holds (names starting with ".dorvprg-" are the program's own), so that they
// cannot collide with a file of the database folder.
constexpr char ARCHIV_SAJAT_MAPPA[] = ".dorvprg-archiv/";
// The description: program, schema version, engine, date, folder, rows of every table, and
// each entry's size and CRC (JSON).
constexpr char ARCHIV_LEIRAS[] = ".dorvprg-archiv/leiras.json";
