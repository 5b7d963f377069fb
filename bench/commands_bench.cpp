// Two row commands of the main window on 100,000 jobs, through its real grid, each next to its floor
// measured in the same run (medians):
//   delete  a search showing 10,000 of the jobs, Ctrl+A, then Delete, to the repainted grid: the rows
//           deleted in one transaction, the list queried again and redrawn. Floor: the same rows deleted
//           by bare SQLite in one transaction, and the engine's query of the searched list.
//   toggle  a right click on a job (its permanent mark) to the repainted grid: one row written, the list
//           queried again and redrawn. Floor: one row updated by bare SQLite (one synced commit), and
//           the engine's query of the whole list.
// Usage: commands_bench [runs]
#include <windows.h>

#include <sqlite3.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/globals.h"
#include "app/listquery.h"
#include "app/quillstack1.h"
#include "bench/baresqlite.h"
#include "bench/benchutil.h"
#include "platform/controls/flexgrid.h"
#include "tests/app/app_support.h"
#include "tests/support/testdb.h"

using namespace qs;
using bench::copyFile;
using bench::median;
using bench::ms;
using bench::openBare;

namespace {

constexpr long kJobs = 100000;
constexpr char kSearch[] = "report 01";  // REPORT 010000.DOC to REPORT 019999.DOC

// The main window on a fresh copy of the seeded file, shown and painted.
app::Quillstack1& openWindow(test::MainWindowRun& run, const std::string& seeded) {
    run.w.reset();  // the last window's controls let go of the file
    copyFile(seeded, run.dbPath);
    if (!run.start(true)) std::exit(5);
    UpdateWindow(run.w->MSgrid1->hWnd());
    return *run.w;
}

// The rows the search shows, deleted by rowid in one transaction.
double bareDelete(const std::string& path) {
    sqlite3* h = openBare(path);
    std::vector<sqlite3_int64> rows;
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(h, "SELECT rowid FROM Jobs WHERE JobName LIKE 'REPORT 01%'", -1, &st, nullptr);
    while (sqlite3_step(st) == SQLITE_ROW) rows.push_back(sqlite3_column_int64(st, 0));
    sqlite3_finalize(st);
    const double t = ms([&] {
        sqlite3_exec(h, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
        sqlite3_prepare_v2(h, "DELETE FROM Jobs WHERE rowid = ?1", -1, &st, nullptr);
        for (sqlite3_int64 r : rows) {
            sqlite3_bind_int64(st, 1, r);
            sqlite3_step(st);
            sqlite3_reset(st);
        }
        sqlite3_finalize(st);
        sqlite3_exec(h, "COMMIT", nullptr, nullptr, nullptr);
    });
    sqlite3_close(h);
    return t;
}

double engineQuery(const std::string& path, const std::string& where) {
    auto database = db::Engine::OpenDatabase(path);
    return ms([&] {
        (void)database->OpenRecordset(app::recordSource(app::kSqlJobs, where, app::kOrderJobs))->RecordCount();
    });
}

}  // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::atoi(argv[1]) : 5;
    test::MainWindowRun window("commandsbench", true);
    window.services->setNow(45000.5);
    window.save("timelimit", "32767");  // the exit purges nothing
    const std::string seeded = window.dir.file("seeded.mdb"), run = window.dbPath, floor = window.dir.file("floor.mdb");
    test::createProgramDatabase(seeded);
    test::Seed(seeded).numberedJobs(kJobs).commit();

    std::vector<double> del, delBare, delQuery;
    long left = 0;
    for (int i = 0; i < runs; ++i) {
        app::Quillstack1& w = openWindow(window, seeded);
        w.Text1.Text(kSearch);
        w.Text1_KeyUp('1', 0);
        controls::FlexGrid& g = *w.MSgrid1;
        if (g.Rows() != 10001) std::exit(4);
        del.push_back(ms([&] {
            test::pressKey(g.hWnd(), 'A', 2);
            test::pressKey(g.hWnd(), VK_DELETE);
            UpdateWindow(g.hWnd());
        }));
        w.Unload();
        left = db::Engine::OpenDatabase(run)->OpenRecordset("Jobs")->RecordCount();
        copyFile(seeded, floor);
        delBare.push_back(bareDelete(floor));
        delQuery.push_back(engineQuery(floor, app::searchWhere(app::listJobs, kSearch)));
    }
    std::printf("Ctrl+A, Delete of 10,000 of %ld jobs: %8.1f ms (jobs left %ld)\n", kJobs, median(del), left);
    std::printf("  floor: bare delete %8.1f ms + the list's query %6.1f ms; ratio %.2f\n", median(delBare),
                median(delQuery), median(del) / (median(delBare) + median(delQuery)));

    app::Quillstack1& w = openWindow(window, seeded);
    controls::FlexGrid& g = *w.MSgrid1;
    std::vector<double> toggle, toggleBare, toggleQuery;
    for (int i = 0; i < runs * 3; ++i) {
        toggle.push_back(ms([&] {
            test::click(g, test::cellPoint(g, 3, 0), true);
            UpdateWindow(g.hWnd());
        }));
    }
    w.Unload();
    copyFile(seeded, floor);
    sqlite3* h = openBare(floor);
    for (int i = 0; i < runs * 3; ++i) {
        toggleBare.push_back(ms([&] {
            sqlite3_exec(h, "UPDATE Jobs SET JobPermanent = NOT JobPermanent WHERE rowid = 3", nullptr, nullptr,
                         nullptr);
        }));
        toggleQuery.push_back(engineQuery(floor, ""));
    }
    sqlite3_close(h);
    std::printf("permanent toggle at %ld jobs: %8.1f ms\n", kJobs, median(toggle));
    std::printf("  floor: one bare update %6.1f ms + the list's query %6.1f ms; ratio %.2f\n", median(toggleBare),
                median(toggleQuery), median(toggle) / (median(toggleBare) + median(toggleQuery)));
    return 0;
}
