// The main window with the registered Foldwatcher library: a document opened anywhere (a shortcut the
// shell leaves in the Recent folder) becomes a Jobs row by itself.
#include <gtest/gtest.h>

#include "app/quillstack1.h"
#include "app_support.h"
#include "platform/controls/flexgrid.h"
#include "platform/runtime/text.h"
#include "tests/support/process.h"
#include "tests/support/pump.h"
#include "tests/support/shortcutmaker.h"
#include "tests/support/testdb.h"

using namespace qs;
using namespace qs::test;

TEST(MainWindowWatch, ShortcutInTheRecentFolderBecomesAJobRowByItself) {
    ASSERT_TRUE(registerFoldwatcher());
    MainWindowRun run("watchmain");
    const TempDir& dir = run.dir;
    writeFile(run.recent.file("known.txt"));  // listed at start: never recorded

    ASSERT_TRUE(run.start());
    auto& w = run.w;
    ASSERT_NE(w->oFoldwatcher, nullptr);
    EXPECT_EQ(w->recentFileCount, 1);

    const std::string target = dir.file("Plan for May.txt");
    writeFile(target);
    makeShortcut(run.recent.file("Plan for May.txt.lnk"), target);
    controls::FlexGrid& g = *w->MSgrid1;
    ASSERT_TRUE(pumpUntil([&] { return g.Rows() == 2; }, 10000));
    EXPECT_EQ(g.TextMatrix(1, 0), "PLAN FOR MAY.TXT");
    EXPECT_EQ(g.TextMatrix(1, 2), rt::UCase(dir.path() + "\\"));
    EXPECT_EQ(g.TextMatrix(1, 3), rt::UCase(target));
    EXPECT_EQ(g.TextMatrix(1, 4), "False");
    EXPECT_EQ(g.TextMatrix(0, 0), "FileName");  // redrawn
    EXPECT_TRUE(run.services->messages.empty());

    w->Unload();
    EXPECT_EQ(w->oFoldwatcher, nullptr);
}

namespace {

// The window under test, for the timer below, which runs wherever messages are served: inside a rescan's
// yields too.
app::Quillstack1* closing = nullptr;
ULONGLONG closedAt = 0;
size_t closeAfterRows = 0, rowsAtClose = 0;
std::string dbAtClose;

void CALLBACK closeDuringARescan(HWND, UINT, UINT_PTR id, DWORD) {
    if (!closing->recentRescan.running() || readJobs(dbAtClose).size() < closeAfterRows) return;
    KillTimer(nullptr, id);
    rowsAtClose = readJobs(dbAtClose).size();
    closedAt = GetTickCount64();
    SendMessageW(closing->hWnd(), WM_CLOSE, 0, 0);
}

}  // namespace

TEST(MainWindowWatch, BurstOfShortcutsIsRecordedOnceEachAndClosingStopsTheRescan) {
    ASSERT_TRUE(registerFoldwatcher());
    MainWindowRun run("watchburst");
    constexpr int kBurst = 200;
    ShortcutMaker burst(run.dir.path(), kBurst), more(run.dir.path(), kBurst, "more");
    ASSERT_TRUE(run.start());
    auto& w = run.w;

    burst.start(run.recent.path(), 0);
    ASSERT_TRUE(pumpUntil([&] { return readJobs(run.dbPath).size() == size_t(kBurst); }, 20000))
        << readJobs(run.dbPath).size();
    burst.join();
    for (const std::string& target : burst.targets())
        EXPECT_EQ(jobsNamed(run.dbPath, rt::UCase(target)).size(), 1u) << target;
    // About two Notifys a shortcut, joined into a few rescans.
    ASSERT_TRUE(pumpUntil([&] { return !w->recentRescan.running() && !w->recentRescan.waiting(); }));
    EXPECT_LE(w->recentRescan.runs(), 5u);
    EXPECT_EQ(w->MSgrid1->Rows(), kBurst + 1);
    EXPECT_EQ(w->recentFileCount, kBurst);

    // Closed while a rescan of a second burst runs: it stops at its next yield, each row written whole.
    closing = w.get();
    dbAtClose = run.dbPath;
    closeAfterRows = kBurst + 10;
    struct Timer {
        UINT_PTR id = SetTimer(nullptr, 0, 5, closeDuringARescan);
        ~Timer() { KillTimer(nullptr, id); }
    } timer;
    more.start(run.recent.path(), 0);
    ASSERT_TRUE(pumpUntil([&] { return closedAt != 0 && !w->recentRescan.running(); }, 20000));
    const ULONGLONG stoppedAt = GetTickCount64();
    EXPECT_LT(stoppedAt - closedAt, 1000u);
    EXPECT_FALSE(w->Loaded());
    EXPECT_EQ(run.services->ended, 1);
    pumpFor(500);
    const std::vector<JobRow> rows = readJobs(run.dbPath);
    EXPECT_EQ(rows.size(), rowsAtClose) << "nothing recorded after the close";
    EXPECT_LT(rows.size(), size_t(2 * kBurst));
    for (const JobRow& row : rows) EXPECT_FALSE(row.name.empty() || row.location.empty() || row.fullName.empty());
}
