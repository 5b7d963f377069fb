// FindFirst and a full Like "*x*" query over 100,000 Jobs rows through the engine, each next to the
// same work done by bare SQLite on the same file in the same run.
#include <windows.h>

#include <sqlite3.h>

#include <algorithm>
#include <cstdio>
#include <string>

#include "bench/baresqlite.h"
#include "bench/benchutil.h"
#include "platform/db/db.h"
#include "tests/support/files.h"
#include "tests/support/testdb.h"

using namespace qs;
using bench::check;
using bench::nowMs;
using bench::timeIt;

namespace {

constexpr int kRows = 100000;

std::string jobName(int i) {
    static const char* const words[] = {"LETTER", "BUDGET",  "INVOICE", "NOTES", "MINUTES", "PLAN",  "DRAFT",
                                        "REPORT", "SUMMARY", "TAX",     "XMAS",  "INDEX",   "AGENDA"};
    static const char* const exts[] = {".DOC", ".XLS", ".TXT", ".PDF", ".PPT"};
    unsigned h = static_cast<unsigned>(i) * 2654435761u;
    return std::string(words[h % 13]) + " " + std::to_string(i) + exts[(h >> 8) % 5];
}

std::string location(int i) { return "C:\\USERS\\CLERK\\DOCUMENTS\\PROJECT " + std::to_string(i % 200) + "\\"; }

void fill(const std::string& path) {
    test::Seed jobs(path);
    for (int i = 0; i < kRows; ++i) jobs.job(location(i) + jobName(i), db::Date{45000.0 + i / 97.0}, i % 7 == 0);
    jobs.commit();
}

// Rowids a bare statement yields.
long bareCount(sqlite3* db, const char* sql, const std::string& bound = "") {
    sqlite3_stmt* st = nullptr;
    check(sqlite3_prepare_v2(db, sql, -1, &st, nullptr), db);
    if (!bound.empty()) sqlite3_bind_text(st, 1, bound.c_str(), -1, SQLITE_TRANSIENT);
    long n = 0;
    volatile sqlite3_int64 sink = 0;
    while (sqlite3_step(st) == SQLITE_ROW) {
        sink = sink + sqlite3_column_int64(st, 0);
        ++n;
    }
    sqlite3_finalize(st);
    return n;
}

void row(const char* what, double engine, double bare) {
    std::printf("%-44s engine %8.2f ms   bare %8.2f ms   ratio %5.2f\n", what, engine, bare, engine / bare);
}

}  // namespace

int main() {
    test::TempDir dir("dbbench");
    const std::string path = dir.file("jobs.mdb");
    test::createProgramDatabase(path);
    double start = nowMs();
    fill(path);
    std::printf("%d Jobs rows written in %.0f ms\n\n", kRows, nowMs() - start);

    // Bare SQLite: its own connection with the same cache settings; its queries use the built-in LIKE and
    // NOCASE.
    sqlite3* bare = bench::openBare(path);

    auto database = db::Engine::OpenDatabase(path);
    const std::string base =
        "SELECT Jobs.JobName, Jobs.JobDate, Jobs.JobLocation, Jobs.JobFullName, "
        "Jobs.JobPermanent FROM Jobs";
    const std::string target = location(kRows - 3) + jobName(kRows - 3);
    std::string lower = target;
    std::transform(lower.begin(), lower.end(), lower.begin(), [](char c) { return (char)tolower((unsigned char)c); });

    auto jobs = database->OpenRecordset("Jobs", db::dbOpenDynaset);
    double findEngine = timeIt([&] {
        jobs->FindFirst("JobFullName = \"" + lower + "\"");
        if (jobs->NoMatch()) std::exit(2);
    });
    double findBare =
        timeIt([&] { bareCount(bare, "SELECT rowid FROM Jobs WHERE JobFullName = ?1 COLLATE NOCASE", lower); });
    row("FindFirst JobFullName = (near the end)", findEngine, findBare);

    double findLikeEngine = timeIt([&] { jobs->FindFirst("JobName LIKE \"" + jobName(kRows - 3) + "\""); });
    row("FindFirst JobName LIKE name (reselect)", findLikeEngine, findBare);

    long likeRows = 0;
    double likeEngine = timeIt([&] {
        auto rs = database->OpenRecordset(base + " WHERE ((Jobs.JobName Like \"*x*\")) ORDER BY Jobs.JobName;");
        likeRows = rs->RecordCount();
    });
    long bareLikeRows = 0;
    double likeBare = timeIt([&] {
        bareLikeRows =
            bareCount(bare, "SELECT rowid FROM Jobs WHERE JobName LIKE '%x%' ORDER BY JobName COLLATE NOCASE");
    });
    std::printf("Like \"*x*\" matches %ld rows (bare: %ld)\n", likeRows, bareLikeRows);
    row("query Like \"*x*\" ORDER BY JobName", likeEngine, likeBare);

    double likeUnsorted = timeIt([&] { database->OpenRecordset(base + " WHERE ((Jobs.JobName Like \"*x*\"));"); });
    double likeBareUnsorted = timeIt([&] { bareCount(bare, "SELECT rowid FROM Jobs WHERE JobName LIKE '%x%'"); });
    row("query Like \"*x*\" (no ORDER BY)", likeUnsorted, likeBareUnsorted);

    double allEngine = timeIt([&] { database->OpenRecordset(base + " ORDER BY Jobs.JobName;"); });
    double allBare = timeIt([&] { bareCount(bare, "SELECT rowid FROM Jobs ORDER BY JobName COLLATE NOCASE"); });
    row("whole list ORDER BY JobName", allEngine, allBare);

    auto list = database->OpenRecordset(base + " ORDER BY Jobs.JobName;");
    double columnEngine = timeIt([&] { list->column(4); });
    double columnBare = timeIt([&] { bareCount(bare, "SELECT rowid, JobPermanent FROM Jobs"); });
    row("one column of every row (redraw)", columnEngine, columnBare);

    double screen = timeIt([&] {
        list->Requery();
        for (long r = 50000; r < 50040; ++r)
            for (int c = 0; c < 5; ++c) db::textOf(list->at(r, c));
    });
    std::printf("%-44s engine %8.2f ms\n", "requery + one screen of 40 rows x 5 cells", screen);

    long top = 0;
    double scroll = timeIt(
        [&] {
            for (int screen = 0; screen < 100; ++screen) {
                top = (top + 997) % (list->RecordCount() - 40);
                for (long r = top; r < top + 40; ++r)
                    for (int c = 0; c < 5; ++c) db::textOf(list->at(r, c));
            }
        },
        3);
    std::printf("%-44s engine %8.2f ms\n", "100 screens of 40 rows x 5 cells, cold pages", scroll);

    // Writes: each Update on its own is an atomic commit; in a transaction they share one.
    auto adder = database->OpenRecordset("Jobs");
    auto add200 = [&] {
        for (int i = 0; i < 200; ++i) {
            adder->AddNew();
            adder->set("JobName", jobName(i));
            adder->set("JobFullName", location(i) + jobName(i));
            adder->set("JobPermanent", true);
            adder->Update();
        }
    };
    std::printf("%-44s engine %8.2f ms\n", "200 rows added, one commit each", timeIt(add200, 3));
    double together = timeIt(
        [&] {
            db::Transaction all(*database);
            add200();
            all.commit();
        },
        3);
    std::printf("%-44s engine %8.2f ms\n", "200 rows added in one transaction", together);

    sqlite3_close(bare);
    database->Close();
    jobs.reset();
    list.reset();
    return 0;
}
