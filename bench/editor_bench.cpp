// The table editor on 100,000 jobs: opening it, scrolling its grid a page, sorting a column (the name,
// which the engine keeps an index for, and the date, which it sorts). Beside each, in the same run, the
// floor: bare SQLite doing the same reading (every row's key, and the fields of the rows on screen).
// Medians of several runs, in ms.
// Usage: editor_bench [runs]   (the database is made once, in the prefix's Temp)
#include <windows.h>
#include <sqlite3.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "app/dialogs/form6.h"
#include "app/globals.h"
#include "app/listquery.h"
#include "bench/baresqlite.h"
#include "bench/benchutil.h"
#include "tests/support/files.h"
#include "tests/support/testdb.h"

using namespace qs;
using bench::median;
using bench::ms;

namespace {

constexpr long kJobs = 100000;
constexpr int kRowsOnScreen = 40;

void paintNow(HWND hwnd) { RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN); }

// Bare SQLite: the keys of the rows in an order, then the five fields of the first rows on screen.
struct Bare {
    sqlite3* h = nullptr;
    sqlite3_stmt* row = nullptr;
    explicit Bare(const std::string& path) : h(bench::openBare(path, SQLITE_OPEN_READONLY)) {
        sqlite3_prepare_v2(h,
                           "SELECT JobName, JobDate, JobLocation, JobFullName, JobPermanent FROM Jobs WHERE rowid = ?1",
                           -1, &row, nullptr);
    }
    ~Bare() {
        sqlite3_finalize(row);
        sqlite3_close(h);
    }
    std::vector<sqlite3_int64> keys(const char* order) {
        std::vector<sqlite3_int64> out;
        sqlite3_stmt* st = nullptr;
        sqlite3_prepare_v2(h, (std::string("SELECT rowid FROM Jobs ORDER BY ") + order).c_str(), -1, &st, nullptr);
        while (sqlite3_step(st) == SQLITE_ROW) out.push_back(sqlite3_column_int64(st, 0));
        sqlite3_finalize(st);
        return out;
    }
    void read(const std::vector<sqlite3_int64>& keys, size_t first) {
        sqlite3_exec(h, "BEGIN", nullptr, nullptr, nullptr);
        size_t bytes = 0;
        for (size_t i = first; i < std::min(keys.size(), first + kRowsOnScreen); ++i) {
            sqlite3_bind_int64(row, 1, keys[i]);
            if (sqlite3_step(row) == SQLITE_ROW)
                for (int c = 0; c < 5; ++c) bytes += size_t(sqlite3_column_bytes(row, c));
            sqlite3_reset(row);
        }
        sqlite3_exec(h, "COMMIT", nullptr, nullptr, nullptr);
        if (bytes == 0) std::printf("(no rows read)\n");
    }
};

}  // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 7;
    qs::test::TempDir dir("editorbench");
    const std::string path = dir.file("jobs.mdb");
    qs::test::createProgramDatabase(path);
    qs::test::Seed(path).numberedJobs(kJobs).commit();
    app::myDBname = path;
    app::sqlJobs = app::kSqlJobs;
    app::sqlFavorites = app::kSqlFavorites;
    app::sqlPhone = app::kSqlPhone;
    app::editorSQL = app::sqlJobs;

    std::vector<double> open, scroll, sortName, sortDate;
    std::vector<double> bareOpen, bareScroll, bareSortName, bareSortDate;
    for (int run = 0; run < runs; ++run) {
        auto editor = std::make_unique<app::Form6>();
        open.push_back(ms([&] {
            editor->Show();
            paintNow(editor->hWnd());
        }));
        HWND grid = editor->DBGrid1.hWnd();
        for (int page = 0; page < 10; ++page)
            scroll.push_back(ms([&] {
                SendMessageW(grid, WM_VSCROLL, SB_PAGEDOWN, 0);
                UpdateWindow(grid);
            }));
        sortName.push_back(ms([&] {
            editor->DBGrid1_HeadClick(0);
            paintNow(editor->hWnd());
        }));
        sortDate.push_back(ms([&] {
            editor->DBGrid1_HeadClick(1);
            paintNow(editor->hWnd());
        }));
        if (editor->DBGrid1.Rows() != kJobs + 2) std::printf("wrong count: %d rows\n", editor->DBGrid1.Rows());
        editor->Unload();
        editor.reset();

        Bare bare(path);
        std::vector<sqlite3_int64> keys;
        bareOpen.push_back(ms([&] {
            keys = bare.keys("rowid");
            bare.read(keys, 0);
        }));
        for (int page = 0; page < 10; ++page)
            bareScroll.push_back(ms([&] { bare.read(keys, size_t(page + 1) * kRowsOnScreen); }));
        bareSortName.push_back(ms([&] { bare.read(bare.keys("JobName COLLATE NOCASE DESC, rowid"), 0); }));
        bareSortDate.push_back(ms([&] { bare.read(bare.keys("JobDate, rowid"), 0); }));
    }

    std::printf("table editor on %ld jobs, median of %d runs (ms)\n", kJobs, runs);
    std::printf("%-22s %9s %9s %9s\n", "", "editor", "bare", "target");
    std::printf("%-22s %9.1f %9.1f %9s\n", "open", median(open), median(bareOpen), "< 200");
    std::printf("%-22s %9.1f %9.1f %9s\n", "scroll a page", median(scroll), median(bareScroll), "< 20");
    std::printf("%-22s %9.1f %9.1f %9s\n", "sort by name", median(sortName), median(bareSortName), "< 300");
    std::printf("%-22s %9.1f %9.1f %9s\n", "sort by date", median(sortDate), median(bareSortDate), "< 300");
    ExitProcess(0);  // leave the windows to the process's end (hiding them costs Wine seconds without a WM)
}
