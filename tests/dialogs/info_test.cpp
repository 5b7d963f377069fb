// The database information window over the main window's lists.
#include "app/dialogs/info.h"
#include "dialogs_support.h"

using namespace qs;
using namespace qs::test;

TEST_F(ListsWindow, InfoShowsTheFileNameAndTheRowsEachListShowsNow) {
    start(dbPath);
    search(1, "news");
    app::stayOnTop = true;
    app::Info info;
    info.Show();
    EXPECT_EQ(info.Label1.Caption(), "quillstack.mdb");
    EXPECT_EQ(info.Label2.Caption(), "3");
    EXPECT_EQ(info.Label3.Caption(), "1");  // the search's rows, not the table's
    EXPECT_EQ(info.Label4.Caption(), "2");
    EXPECT_TRUE(info.topmost());

    click(info.Image3.hWnd());
    EXPECT_EQ(app::editorSQL, app::sqlFavorites);
    click(info.Image2.hWnd());
    EXPECT_EQ(app::editorSQL, app::sqlJobs);
    EXPECT_EQ(info.Image2.shownElement(), 0);
    click(info.Image1.hWnd());
    EXPECT_FALSE(info.Loaded());
}
