// One search keystroke on a Jobs list of 100,000 rows: the re-query, the grid's reload, the redraw and
// the repaint (the rows on screen coloured as they are painted), next to the engine's bare Like scan of
// the same rows in the same run.
// Usage: app_bench [jobs] [runs]
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/globals.h"
#include "app/lists.h"
#include "app/quillstack1.h"
#include "bench/benchutil.h"
#include "platform/controls/flexgrid.h"
#include "platform/controls/datacontrol.h"
#include "tests/app/app_support.h"
#include "tests/support/pump.h"
#include "tests/support/testdb.h"

using namespace qs;

using bench::median;
using bench::nowMs;

int main(int argc, char** argv) {
    const int jobCount = argc > 1 ? std::atoi(argv[1]) : 100000;
    const int runs = argc > 2 ? std::atoi(argv[2]) : 9;

    test::MainWindowRun run("appbench", true);
    run.services->setNow(45000.5);
    // The unload purges nothing: the benchmark times keystrokes, not the exit.
    run.save("timelimit", "32767");
    const std::string& dbPath = run.dbPath;
    double t = nowMs();
    test::Seed(dbPath).numberedJobs(jobCount).commit();
    std::printf("seeded %d jobs in %.0f ms\n", jobCount, nowMs() - t);

    if (!run.start(true)) return 1;
    const auto& w = run.w;
    test::pumpFor(300);

    auto database = db::Engine::OpenDatabase(dbPath);
    // Texts matching all rows, about a tenth, a handful, one, none.
    const char* texts[] = {"doc", "1", "4242", "012345", "zz"};
    std::printf("%-10s %8s %14s %14s %14s %8s\n", "text", "rows", "keystroke ms", "Like scan ms", "+ORDER BY ms",
                "ratio");
    for (const char* text : texts) {
        std::vector<double> keystroke, scan, ordered;
        int rows = 0;
        for (int run = 0; run < runs; ++run) {
            w->Text1.Text(std::string(text));
            t = nowMs();
            w->Text1_KeyUp('A', 0);
            UpdateWindow(w->MSgrid1->hWnd());
            keystroke.push_back(nowMs() - t);
            rows = w->MSgrid1->Rows() - 1;

            const std::string where = app::searchWhere(app::listJobs, text);
            t = nowMs();
            auto rs = database->OpenRecordset(std::string(app::kSqlJobs) + where + ";");
            (void)rs->RecordCount();
            scan.push_back(nowMs() - t);
            rs->Close();

            t = nowMs();
            auto rs2 = database->OpenRecordset(app::recordSource(app::kSqlJobs, where, app::kOrderJobs));
            (void)rs2->RecordCount();
            ordered.push_back(nowMs() - t);
            rs2->Close();

            // Back to the full list between runs, as the user deleting the text would.
            w->Text1.Text("");
            w->Text1_KeyUp('A', 0);
        }
        std::printf("%-10s %8d %14.2f %14.2f %14.2f %8.2f\n", text, rows, median(keystroke), median(scan),
                    median(ordered), median(keystroke) / median(scan));
    }

    // Where the time of a keystroke that keeps every row goes.
    std::vector<double> requery, redraw, paint;
    for (int run = 0; run < runs; ++run) {
        t = nowMs();
        w->Data1->RecordSource(
            app::recordSource(app::kSqlJobs, app::searchWhere(app::listJobs, "doc"), app::orderJobs));
        w->Data1->Refresh();
        requery.push_back(nowMs() - t);
        t = nowMs();
        w->redrawGrid();
        redraw.push_back(nowMs() - t);
        t = nowMs();
        UpdateWindow(w->MSgrid1->hWnd());
        paint.push_back(nowMs() - t);
    }
    std::printf("all %d rows: re-query and reload %.2f ms, redraw %.2f ms, paint %.2f ms\n", jobCount, median(requery),
                median(redraw), median(paint));
    database->Close();
    return 0;
}
