// Bound refresh and full redraw of the Jobs grid, against the bare query of the same rows.
//
// For 10,000 and 100,000 jobs, median of several runs:
//   query    the list query run by the engine (the dynaset over the rows, in query order)
//   sqlite   the same rows selected straight from SQLite, every field of every row stepped through
//   refresh  DataControl.Refresh with the grid bound (query + reload)
//   redraw   the main window's redraw: painting off, top row and selection set, painting on and
//            painted, the grid asking for the colour of each cell it paints from its row's JobPermanent
//   again    the same redraw once more without a refresh: the grid's own work, the rows already read
// and the same redraw with a SelChange handler like the main window's (it reads the selected row's name).
// Run: scripts/wine-run build/bin/grid_bench.exe (under xvfb-run when there is no display).
#include <windows.h>

#include <sqlite3.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "bench/baresqlite.h"
#include "bench/benchutil.h"
#include "platform/controls/datacontrol.h"
#include "platform/controls/flexgrid.h"
#include "tests/grid/gridtest.h"
#include "tests/support/files.h"
#include "tests/support/testdb.h"

using qs::bench::median;
using qs::bench::ms;
using qs::controls::DataControl;
using qs::controls::FlexGrid;

namespace {

const char kJobsQuery[] =
    "SELECT Jobs.JobName, Jobs.JobDate, Jobs.JobLocation, Jobs.JobFullName, Jobs.JobPermanent FROM Jobs "
    "ORDER BY Jobs.JobName;";

void redraw(FlexGrid& grid) {
    grid.Redraw(false);
    if (grid.Rows() > 1) grid.TopRow(std::min(500, grid.Rows() - 1));
    if (grid.TopRow() > 0) {
        grid.Row(grid.TopRow());
        grid.RowSel(grid.TopRow());
        grid.Col(0);
        grid.ColSel(3);
    }
    grid.Redraw(true);
    UpdateWindow(grid.hWnd());
}

double sqliteQuery(const std::string& path) {
    sqlite3* h = qs::bench::openBare(path, SQLITE_OPEN_READONLY);
    double t = ms([&] {
        sqlite3_stmt* st = nullptr;
        sqlite3_prepare_v2(h,
                           "SELECT JobName, JobDate, JobLocation, JobFullName, JobPermanent FROM Jobs "
                           "ORDER BY JobName COLLATE NOCASE",
                           -1, &st, nullptr);
        long n = 0;
        size_t bytes = 0;
        while (sqlite3_step(st) == SQLITE_ROW) {
            ++n;
            for (int c = 0; c < 5; ++c) bytes += size_t(sqlite3_column_bytes(st, c));
        }
        sqlite3_finalize(st);
        if (n == 0 || bytes == 0) std::printf("(no rows)\n");
    });
    sqlite3_close(h);
    return t;
}

}  // namespace

int main() {
    qs::forms::Form& host = gridtest::sharedHost();
    qs::test::TempDir dir("gridbench");

    std::printf("%8s %9s %9s %9s %9s %9s %12s %12s %9s %14s\n", "rows", "query", "sqlite", "refresh", "redraw", "total",
                "total/query", "total/sqlite", "again", "redraw+SelChg");
    for (long rows : {10000L, 100000L}) {
        const std::string path = dir.file(std::to_string(rows) + ".mdb");
        qs::test::createProgramDatabase(path);
        qs::test::Seed(path).numberedJobs(rows).commit();
        auto database = qs::db::Engine::OpenDatabase(path);

        FlexGrid grid{host, 0, 0, 9000, 7000};
        grid.create();
        DataControl data;
        data.DatabaseName(path);
        data.RecordSource(kJobsQuery);
        data.bind(grid);
        gridtest::colourJobsOnDemand(grid);
        data.Refresh();  // warm the file and the caches
        redraw(grid);

        std::vector<double> query, sqlite, refresh, draw, again, drawSel;
        for (int run = 0; run < 5; ++run) {
            query.push_back(ms([&] {
                auto rs = database->OpenRecordset(kJobsQuery);
                if (rs->RecordCount() != rows) std::printf("wrong count\n");
            }));
            sqlite.push_back(sqliteQuery(path));
            grid.onSelChange = nullptr;
            refresh.push_back(ms([&] { data.Refresh(); }));
            draw.push_back(ms([&] { redraw(grid); }));
            again.push_back(ms([&] { redraw(grid); }));

            std::string selectedName;
            int keptTop = 0;
            grid.onSelChange = [&] {
                selectedName = grid.TextMatrix(grid.Row(), 0);
                keptTop = grid.TopRow();
            };
            data.Refresh();
            drawSel.push_back(ms([&] { redraw(grid); }));
        }
        double q = median(query), s = median(sqlite), r = median(refresh), d = median(draw);
        std::printf("%8ld %9.1f %9.1f %9.1f %9.1f %9.1f %12.2f %12.2f %9.1f %14.1f\n", rows, q, s, r, d, r + d,
                    (r + d) / q, (r + d) / s, median(again), median(drawSel));
        database->Close();
        data.Database()->Close();
    }
    std::printf("times in ms\n");
    qs::test::removeTree(dir.wpath());
    // The window is left to the process's end (hiding it costs Wine seconds without a WM); ExitProcess runs no
    // destructors, so the folder goes first.
    ExitProcess(0);
}
