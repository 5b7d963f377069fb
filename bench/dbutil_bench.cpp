// Save As and Compact of a database with 100,000 jobs, 10,000 favourites and 10,000 phone rows, as the
// Options window runs them, next to a plain copy of the same file and, for Save As, the same rows copied
// by bare SQLite, in the same run.
#include <windows.h>

#include <sqlite3.h>

#include <cstdio>
#include <string>

#include "app/data/schema.h"
#include "app/dialogs/dbfiles.h"
#include "bench/baresqlite.h"
#include "bench/benchutil.h"
#include "platform/db/db.h"
#include "platform/db/internal.h"
#include "platform/runtime/text.h"
#include "tests/support/files.h"
#include "tests/support/testdb.h"

using namespace qs;
using bench::check;
using bench::nowMs;
using bench::timeIt;

namespace {

constexpr int kJobs = 100000, kFavorites = 10000, kPhone = 10000;
constexpr int kRuns = 5;  // each figure the median of five

void seed(const std::string& path) {
    test::createProgramDatabase(path);
    test::Seed rows(path);
    for (int i = 0; i < kJobs; ++i) {
        const std::string folder = "C:\\USERS\\CLERK\\DOCUMENTS\\PROJECT " + std::to_string(i % 200) + "\\";
        rows.job(folder + "REPORT " + std::to_string(i) + ".DOC", db::Date{45000.0 + i / 97.0}, i % 7 == 0);
    }
    for (int i = 0; i < kFavorites; ++i) {
        // Every fifth without keywords (Null).
        const db::Value keywords = i % 5 ? db::Value("KEYWORDS OF SITE " + std::to_string(i)) : db::Value();
        rows.row("Favorites", {{"FavName", "SITE " + std::to_string(i)},
                               {"FavURL", "https://site" + std::to_string(i) + ".example.org/index.html"},
                               {"FavKeywords", keywords}});
    }
    for (int i = 0; i < kPhone; ++i) rows.phone("PERSON " + std::to_string(i), "EXT " + std::to_string(2000 + i % 900));
    rows.commit();
}

void row(const char* what, double ms, double floor, double limit) {
    std::printf("%-34s %8.1f ms   plain copy %7.1f ms   ratio %5.1f   limit %5.0f ms%s\n", what, ms, floor, ms / floor,
                limit, ms <= limit ? "" : "   OVER");
}

}  // namespace

int main() {
    test::TempDir dir("dbutilbench");
    const std::string source = dir.file("source.mdb"), copy = dir.file("copy.mdb"), plain = dir.file("plain.mdb");

    double start = nowMs();
    seed(source);
    std::printf("%d jobs, %d favourites, %d phone rows written in %.0f ms\n\n", kJobs, kFavorites, kPhone,
                nowMs() - start);

    // The floor: the same bytes copied and flushed, no engine.
    const double floor = timeIt(
        [&] {
            CopyFileW(rt::widen(source).c_str(), rt::widen(plain).c_str(), FALSE);
            HANDLE h = CreateFileW(rt::widen(plain).c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
            FlushFileBuffers(h);
            CloseHandle(h);
        },
        kRuns);
    // The same rows copied by bare SQLite into an empty file of the same tables and indexes: what the
    // engine's row-by-row copy costs on top of the writing itself.
    const double bare = timeIt(
        [&] {
            DeleteFileW(rt::widen(plain).c_str());
            app::CreateDatabaseX(plain);
            app::CreateTableDefX(plain);
            sqlite3* db = nullptr;
            check(sqlite3_open(plain.c_str(), &db), db);
            db::detail::registerFunctions(db);
            const std::string attach = "ATTACH '" + source + "' AS src";
            check(sqlite3_exec(db, attach.c_str(), nullptr, nullptr, nullptr), db);
            check(sqlite3_exec(db,
                               "BEGIN; INSERT INTO Jobs SELECT * FROM src.Jobs; INSERT INTO Favorites SELECT * FROM "
                               "src.Favorites; INSERT INTO Phone SELECT * FROM src.Phone; COMMIT",
                               nullptr, nullptr, nullptr),
                  db);
            sqlite3_close(db);
        },
        kRuns);
    const double saveAs = timeIt([&] { app::copyDatabase(source, copy, true); }, kRuns);
    row("Save As (copy row by row)", saveAs, floor, 3000);
    std::printf("%-34s %8.1f ms\n", "  the same rows by bare SQLite", bare);
    const double compact = timeIt([&] { app::compactInPlace(copy, app::compactTempPath(dir.path(), 0)); }, kRuns);
    row("Compact in place", compact, floor, 2000);

    const long copied = db::Engine::OpenDatabase(copy)->OpenRecordset("Jobs")->RecordCount();
    if (copied != kJobs) std::printf("the copy holds %ld jobs, not %d\n", copied, kJobs);
    return copied == kJobs ? 0 : 1;
}
