#pragma once
// The floor beside the engine: SQLite itself on the same file, nothing in between.
#include <sqlite3.h>

#include <string>

namespace qs::bench {

// Ends the benchmark with SQLite's message when `rc` is a failure.
void check(int rc, sqlite3* db);
// A connection to an existing file with the engine's cache settings and its text order (the collation
// of its text indexes), so that a floor reads the same pages the same way. Ends the benchmark when the
// file cannot be opened.
sqlite3* openBare(const std::string& path, int flags = SQLITE_OPEN_READWRITE);

}  // namespace qs::bench
