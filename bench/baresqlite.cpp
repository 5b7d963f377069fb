#include "bench/baresqlite.h"

#include <cstdio>
#include <cstdlib>

#include "platform/db/internal.h"

namespace qs::bench {

void check(int rc, sqlite3* db) {
    if (rc != SQLITE_OK && rc != SQLITE_DONE && rc != SQLITE_ROW) {
        std::fprintf(stderr, "sqlite: %s\n", sqlite3_errmsg(db));
        std::exit(1);
    }
}

sqlite3* openBare(const std::string& path, int flags) {
    sqlite3* db = nullptr;
    check(sqlite3_open_v2(path.c_str(), &db, flags, nullptr), db);
    db::detail::registerFunctions(db);
    check(sqlite3_exec(db, "PRAGMA cache_size = -65536; PRAGMA mmap_size = 67108864;", nullptr, nullptr, nullptr), db);
    return db;
}

}  // namespace qs::bench
