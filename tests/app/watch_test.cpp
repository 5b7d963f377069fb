// The main window with the registered Foldwatcher library: a document opened anywhere (a shortcut the
// shell leaves in the Recent folder) becomes a Jobs row by itself.
#include <gtest/gtest.h>

#include "app/declares.h"
#include "app/globals.h"
#include "app/quillstack1.h"
#include "app_support.h"
#include "platform/controls/flexgrid.h"
#include "platform/runtime/dates.h"
#include "platform/runtime/settings.h"
#include "platform/runtime/text.h"
#include "tests/support/process.h"

using namespace qs;
using namespace qs::test;

TEST(MainWindowWatch, ShortcutInTheRecentFolderBecomesAJobRowByItself) {
    ASSERT_TRUE(registerFoldwatcher());
    ComApartment com;
    TempDir dir("watchmain");
    TempDir recent("watchrecent");
    rt::DeleteSetting("Quillstack");
    rt::SaveSetting("Quillstack", "Settings", "myleft", "-15000");
    rt::SaveSetting("Quillstack", "Settings", "mytop", "-15000");
    app::resetGlobals();
    AppServices services(dir.path(), rt::makeDate(2024, 12, 8, 10, 0));
    RecentRedirect redirect(recent.path());
    const std::string dbPath = dir.file("quillstack.mdb");
    createListsDatabase(dbPath);
    writeFile(recent.file("known.txt"));  // listed at start: never recorded

    app::myDBname = dbPath;
    auto w = std::make_unique<app::Quillstack1>();
    w->Show();
    ASSERT_TRUE(pumpUntil([&] { return !w->firstActivate; }));
    ASSERT_NE(w->oFoldwatcher, nullptr);
    EXPECT_EQ(w->recentFileCount, 1);

    const std::string target = dir.file("Plan for May.txt");
    writeFile(target);
    makeShortcut(recent.file("Plan for May.txt.lnk"), target);
    controls::FlexGrid& g = *w->MSgrid1;
    ASSERT_TRUE(pumpUntil([&] { return g.Rows() == 2; }, 10));
    EXPECT_EQ(g.TextMatrix(1, 0), "PLAN FOR MAY.TXT");
    EXPECT_EQ(g.TextMatrix(1, 2), rt::UCase(dir.path() + "\\"));
    EXPECT_EQ(g.TextMatrix(1, 3), rt::UCase(target));
    EXPECT_EQ(g.TextMatrix(1, 4), "False");
    EXPECT_EQ(g.TextMatrix(0, 0), "FileName");  // redrawn
    EXPECT_TRUE(services.messages.empty());

    w->Unload();
    EXPECT_EQ(w->oFoldwatcher, nullptr);
    w.reset();
    forms::setMainForm(nullptr);
    rt::DeleteSetting("Quillstack");
}
