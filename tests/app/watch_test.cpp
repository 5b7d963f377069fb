// The main window with the registered Foldwatcher library: a document opened anywhere (a shortcut the
// shell leaves in the Recent folder) becomes a Jobs row by itself.
#include <gtest/gtest.h>

#include "app/quillstack1.h"
#include "app_support.h"
#include "platform/controls/flexgrid.h"
#include "platform/runtime/text.h"
#include "tests/support/process.h"
#include "tests/support/pump.h"

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
