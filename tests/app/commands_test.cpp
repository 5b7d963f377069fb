// The main window's row commands, buttons and keys, driven by mouse and key messages on its real grids
// and search box, with the entry boxes answered on screen.
#include <sqlite3.h>

#include "app/entry/keywords.h"
#include "app/entry/phoneentry.h"
#include "app/receiver.h"
#include "app/tooltip/tooltip.h"
#include "platform/controls/datacontrol.h"
#include "platform/controls/flexgrid.h"
#include "platform/db/internal.h"
#include "platform/runtime/propertybag.h"
#include "platform/runtime/text.h"
#include "tests/support/modal.h"
#include "tests/support/testdb.h"
#include "window_fixture.h"

using namespace qs;
using namespace qs::test;
using Names = std::vector<std::string>;

namespace {

class Commands : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        Seed seed(dbPath);
        const std::pair<const char*, db::Value> rows[] = {{"C:\\ONE\\DUP.DOC", false},
                                                          {"C:\\A,B\\ALPHA.DOC", true},
                                                          {"C:\\TWO\\DUP.DOC", {}},
                                                          {"D:\\ZED.TXT", false}};
        for (const auto& [path, mark] : rows) seed.job(path, db::Date{rt::makeDate(2024, 12, 1)}, mark);
        seed.row("Jobs", {{"JobFullName", "C:\\NONAME"}});  // no name, no mark: first
        seed.favorite("NEWS", "http://news.example/", "DAILY").favorite("WEATHER", "http://wx.example/", " ");
        seed.phone("SMITH JOHN", "EXT 101").phone("JONES MARY", "EXT 202").row("Phone", {{"PInfo", "NO NAME"}});
        seed.commit();
    }

    // The first field of the first row of a query on the file, "<null>" for Null.
    std::string value(const std::string& sql) {
        auto rs = db::Engine::OpenDatabase(dbPath)->OpenRecordset(sql);
        return db::isNull(rs->get(0)) ? "<null>" : db::textOf(rs->get(0));
    }
    std::string mark(const std::string& path) {
        return value("SELECT JobPermanent FROM Jobs WHERE JobFullName = \"" + path + "\"");
    }

    // SQL on the file as another program runs it; true when it succeeded.
    bool bare(const char* statement, const std::string& path = {}) {
        sqlite3* h = nullptr;
        sqlite3_open_v2((path.empty() ? dbPath : path).c_str(), &h, SQLITE_OPEN_READWRITE, nullptr);
        db::detail::registerFunctions(h);
        const bool ok = sqlite3_exec(h, statement, nullptr, nullptr, nullptr) == SQLITE_OK;
        sqlite3_close(h);
        return ok;
    }
    bool othersCanWrite() { return bare("BEGIN IMMEDIATE; ROLLBACK;"); }

    void pressOn(controls::FlexGrid& g, int row, int rowSel, int key) {
        g.Row(row), g.RowSel(rowSel);
        pressKey(g.hWnd(), key);
    }
};

TEST_F(Commands, DeleteTakesTheSelectedRowsThemselvesInEitherDirection) {
    start(true);
    controls::FlexGrid& g = *w->MSgrid1;
    pressOn(g, 4, 4, VK_DELETE);  // the lower of the two DUP.DOC
    EXPECT_EQ(columnTexts(g, 3), (Names{"C:\\NONAME", "C:\\A,B\\ALPHA.DOC", "C:\\ONE\\DUP.DOC", "D:\\ZED.TXT"}));
    EXPECT_EQ(g.Row(), 4);
    pressOn(g, 3, 2, VK_DELETE);  // dragged upwards
    EXPECT_EQ(columnTexts(g, 3), (Names{"C:\\NONAME", "D:\\ZED.TXT"}));
    EXPECT_EQ(g.Row() * 10 + g.RowSel(), 22);
    pressOn(g, 1, 2, VK_DELETE);    // the nameless job too
    pressKey(g.hWnd(), VK_DELETE);  // an empty list
    EXPECT_EQ(g.Rows(), 1);

    // The last rows of a list scrolled to its end: the new last row selected.
    Seed(dbPath).numberedJobs(45).commit();
    w->Data1->Refresh();
    g.TopRow(40);
    pressOn(g, 44, 45, VK_DELETE);
    EXPECT_EQ(g.Rows() * 10000 + g.TopRow() * 100 + g.Row(), 444043);
    EXPECT_EQ(g.RowSel(), 43);
    EXPECT_EQ(g.TextMatrix(43, 0), numberedJob(42));
    EXPECT_TRUE(services->messages.empty());
}

TEST_F(Commands, WritesTheDatabaseRefusesLeaveNothingHalfDoneAndOneMessage) {
    ASSERT_TRUE(
        bare("CREATE TRIGGER keep BEFORE DELETE ON Jobs WHEN old.JobFullName = 'C:\\ONE\\DUP.DOC' "
             "BEGIN SELECT RAISE(ABORT, 'kept'); END; CREATE TRIGGER fixed BEFORE UPDATE ON Jobs "
             "BEGIN SELECT RAISE(ABORT, 'fixed'); END;"));
    start(true);
    int writableWhileShown = 0;
    controls::FlexGrid& g = *w->MSgrid1;
    auto rowsShown = [&] { return g.TextMatrix(2, 3) + "|" + g.TextMatrix(3, 3) + "|" + g.TextMatrix(4, 3); };
    const std::string before = rowsShown();
    std::string behindTheMessage;
    services->whileShown = [&] {
        writableWhileShown += othersCanWrite();
        if (behindTheMessage.empty()) behindTheMessage = rowsShown();
    };
    pressOn(g, 2, 4, VK_DELETE);          // DUP.DOC in C:\TWO goes first, then the one in C:\ONE fails
    EXPECT_EQ(behindTheMessage, before);  // the list was read again before the message
    EXPECT_EQ(g.Rows(), 6);
    click(g, cellPoint(g, 5, 0), true);
    EXPECT_EQ(mark("D:\\ZED.TXT"), "False");

    w->Image14_MouseUp(0, 1, 0, 0, 0);
    w->MSgrid3->Row(2);
    answer<app::Form1>([&] { w->Image9_MouseUp(0, 1, 0, 0, 0); },
                       [](app::Form1& box) {
                           box.Text2.Text(std::string(256, 'x'));  // longer than the field takes
                           box.Image1_MouseDown(0, 1, 0, 0, 0);
                       });
    EXPECT_EQ(value("SELECT PInfo FROM Phone WHERE PName = \"JONES MARY\""), "EXT 202");
    ASSERT_EQ(services->messages.size(), 3u);
    EXPECT_EQ(services->messages[0].rfind("The selected rows could not be deleted; none of them was.", 0), 0u);
    EXPECT_EQ(writableWhileShown, 3);
}

TEST_F(Commands, AFailedWriteKeepsItsListsScrollPlaceWhilePathsArriveDuringItsMessage) {
    Seed seed(dbPath);
    for (int i = 0; i < 60; ++i) seed.favorite("SITE " + std::to_string(100 + i), "http://x.example/", " ");
    seed.commit();
    ASSERT_TRUE(bare("CREATE TRIGGER keep BEFORE DELETE ON Favorites BEGIN SELECT RAISE(ABORT, 'kept'); END;"));
    const std::string handedIn = writeFile(dir.file("handed in.txt"));
    start(true);
    w->Image13_MouseUp(0, 1, 0, 0, 0);
    controls::FlexGrid& g = *w->MSgrid2;
    g.TopRow(30);
    services->whileShown = [&] {
        app::pReceiveMsg(app::CDS_PATH_LIST, rt::encodePathList({handedIn}), [](LRESULT) {});
    };
    pressOn(g, 35, 35, VK_DELETE);
    ASSERT_EQ(services->messages.size(), 1u);
    EXPECT_EQ(g.TopRow(), 30);
    const Names jobs = columnTexts(*w->MSgrid1, 3);  // the Jobs list took the path meanwhile
    EXPECT_NE(std::find(jobs.begin(), jobs.end(), rt::UCase(handedIn)), jobs.end());
}

TEST_F(Commands, RightClickTogglesTheMarkOfTheJobUnderThePointer) {
    start(true);
    controls::FlexGrid& g = *w->MSgrid1;
    click(g, cellPoint(g, 5, 1), true);
    EXPECT_EQ(mark("D:\\ZED.TXT") + g.TextMatrix(5, 4), "TrueTrue");
    click(g, cellPoint(g, 5, 1), true);
    click(g, cellPoint(g, 4, 1), true);  // a Null mark stays Null
    click(g, cellPoint(g, 9, 1), true);  // below the last row: no job
    click(g, cellPoint(g, 0, 1), true);  // the header: no job, no sort
    EXPECT_EQ(mark("D:\\ZED.TXT") + mark("C:\\TWO\\DUP.DOC") + mark("C:\\NONAME"), "False<null><null>");
    EXPECT_EQ(app::orderJobs, " ORDER BY Jobs.JobName ASC");
    EXPECT_TRUE(services->messages.empty());
}

TEST_F(Commands, KeywordsEditedFromCtrlKOrARightClick) {
    start(true);
    w->Image13_MouseUp(0, 1, 0, 0, 0);
    controls::FlexGrid& g = *w->MSgrid2;
    auto keywords = [&](const std::string& name) {
        return value("SELECT FavKeywords FROM Favorites WHERE FavName = \"" + name + "\"");
    };
    auto enter = [&](const std::string& expected, const std::string& text) {
        return [&, expected, text](app::Form3& box) {
            EXPECT_EQ(box.Text1.Text(), expected);
            EXPECT_TRUE(othersCanWrite());
            box.Text1.Text(text);
            PostMessageW(box.Text1.hWnd(), WM_KEYDOWN, VK_RETURN, 1);
        };
    };
    answer<app::Form3>([&] { pressKey(g.hWnd(), 'K', 2); }, enter("DAILY", "morning papers"));
    EXPECT_EQ(keywords("NEWS"), "MORNING PAPERS");
    EXPECT_FALSE(answer<app::Form3>(
        [&] {
            pressKey(g.hWnd(), 'K', 3);          // Ctrl+Shift+K
            click(g, cellPoint(g, 0, 0), true);  // the header
            click(g, cellPoint(g, 7, 0), true);  // below the rows
        },
        [](app::Form3& box) { box.Unload(); }));

    // 256 characters as the engine counts them: the message, then 255 stored, upper case.
    std::string typed256, stored255;
    for (int i = 0; i < 256; ++i) typed256 += "\xC3\xA9", stored255 += i ? "\xC3\x89" : "";
    answer<app::Form3>([&] { click(g, cellPoint(g, 2, 0), true); }, enter(" ", typed256));
    EXPECT_EQ(keywords("WEATHER"), stored255);
    EXPECT_EQ(services->messages, Names{"255 characters is the maximum size allowed for keywords"});
}

TEST_F(Commands, PhoneEntriesEditedAndAddedThroughTheEntryBox) {
    start(true);
    w->Image14_MouseUp(0, 1, 0, 0, 0);
    controls::FlexGrid& g = *w->MSgrid3;
    auto opened = [&](const std::function<void()>& command, const char* name, const char* info, bool ok) {
        std::string seen = "none";
        answer<app::Form1>(command, [&](app::Form1& box) {
            seen = box.Text1.Text() + "|" + box.Text2.Text();
            box.Text1.Text(name), box.Text2.Text(info);
            ok ? box.Image1_MouseDown(0, 1, 0, 0, 0) : box.Image2_MouseDown(0, 2, 0, 0, 0);
        });
        return seen;
    };
    EXPECT_EQ(opened([&] { doubleClick(g, cellPoint(g, 2, 1)); }, "jones mary", "ext 909", true), "JONES MARY|EXT 202");
    g.Row(1);
    EXPECT_EQ(opened([&] { w->Image9_MouseUp(0, 1, 0, 0, 0); }, "X", "Y", false), "|NO NAME");  // Cancel
    // The header's press sorts descending, then its double click opens the current row; an empty info
    // stores nothing.
    EXPECT_EQ(opened([&] { doubleClick(g, cellPoint(g, 0, 0)); }, "X", "", true), "SMITH JOHN|EXT 101");
    EXPECT_EQ(opened([&] { w->Image15_MouseUp(0, 1, 0, 0, 0); }, "Berg Olav", "ext 1", true), "|");
    EXPECT_EQ(columnTexts(g, 0), (Names{"SMITH JOHN", "JONES MARY", "BERG OLAV", ""}));
    EXPECT_EQ(columnTexts(g, 1), (Names{"EXT 101", "EXT 909", "EXT 1", "NO NAME"}));
}

TEST_F(Commands, OpeningJobsAndLinksStartsTheExactCommand) {
    start(true);
    controls::FlexGrid& g = *w->MSgrid1;
    doubleClick(g, cellPoint(g, 2, 0));  // openexplorer: shown in Explorer
    app::openexplorer = false;
    doubleClick(g, cellPoint(g, 5, 0));  // opened
    doubleClick(g, cellPoint(g, 0, 0));  // the header sorts, opens nothing
    doubleClick(g, cellPoint(g, 9, 0));
    g.Row(g.Rows() - 1);  // the nameless job, last now that the list is sorted descending
    w->Image2_MouseUp(0, 1, 0, 0, 0), w->Image1_MouseUp(0, 1, 0, 0, 0);
    pressKey(w->Text1.hWnd(), VK_RETURN);  // Enter: Explorer whatever openexplorer says
    w->Image13_MouseUp(0, 1, 0, 0, 0);
    doubleClick(*w->MSgrid2, cellPoint(*w->MSgrid2, 2, 0));
    w->MSgrid2->Row(1);
    pressKey(w->MSgrid2->hWnd(), VK_RETURN);
    w->Image14_MouseUp(0, 1, 0, 0, 0);
    pressKey(w->MSgrid3->hWnd(), VK_RETURN);  // nothing to open
    EXPECT_EQ(services->launched,
              (Names{"shell Explorer /select, \"C:\\A,B\\ALPHA.DOC\"", "open D:\\ZED.TXT",
                     "shell Explorer /select, C:\\NONAME", "open C:\\NONAME", "shell Explorer /select, C:\\NONAME",
                     "open http://wx.example/", "open http://news.example/"}));
}

TEST_F(Commands, KeysActFromTheSearchBoxAndFromAGrid) {
    start(true);
    controls::FlexGrid& g = *w->MSgrid1;
    pressKey(w->Text1.hWnd(), VK_DOWN);
    EXPECT_EQ(GetFocus(), g.hWnd());
    pressKey(g.hWnd(), VK_DOWN);  // the window's Down, then the grid's own
    EXPECT_EQ(g.Row(), 2);
    pressKey(w->Text1.hWnd(), 'A', 2);
    EXPECT_EQ(g.Row() * 1000 + g.RowSel() * 10 + g.ColSel(), 1053);
    pressOn(g, 3, 3, 'A');       // plain A
    pressKey(g.hWnd(), 'A', 3);  // Ctrl+Shift+A
    pressKey(g.hWnd(), 'A', 6);  // Ctrl+Alt+A
    EXPECT_EQ(g.RowSel(), 3);

    // F11 adds table Temp once; Ctrl+F12 (Ctrl alone) imports the phone book of the program's folder,
    // which the Phone list then shows.
    pressKey(g.hWnd(), VK_F11);
    pressKey(g.hWnd(), VK_F11);
    const std::string book = dir.file("Town Staff.mdb");  // this file's Phone names, one of them new
    CopyFileW(rt::widen(dbPath).c_str(), rt::widen(book).c_str(), FALSE);
    ASSERT_TRUE(
        bare("ALTER TABLE Phone RENAME TO \"Town Staff\"; ALTER TABLE \"Town Staff\" RENAME PName TO Field1;"
             "UPDATE \"Town Staff\" SET Field1 = 'Holm \"Anna\"' WHERE Field1 IS NULL;"
             "ALTER TABLE \"Town Staff\" RENAME PInfo TO Field2;",
             book));
    pressKey(w->Text1.hWnd(), VK_F12, 6);
    pressKey(w->Text1.hWnd(), VK_F12, 2);
    EXPECT_EQ(columnTexts(*w->MSgrid3, 0), (Names{"", "HOLM \"ANNA\"", "JONES MARY", "SMITH JOHN"}));
    DeleteFileW(rt::widen(book).c_str());
    pressKey(w->Text1.hWnd(), VK_F12, 2);
    EXPECT_EQ(services->messages,
              (Names{"Table Temp could not be added to the database: Table 'Temp' already exists.",
                     "You must place Town Staff.mdb in app folder and press Ctrl-F12 to import phonebook"}));

    pressKey(w->MSgrid3->hWnd(), VK_ESCAPE);
    EXPECT_FALSE(IsWindowVisible(w->hWnd()));
    w->mnuShow_Click();
    pressKey(w->Text1.hWnd(), VK_ESCAPE, 1);
    EXPECT_FALSE(IsWindowVisible(w->hWnd()));
}

TEST_F(Commands, TooltipShowsTheTextOfTheCellUnderThePointer) {
    start(true);
    controls::FlexGrid& g = *w->MSgrid1;
    std::string seen;
    for (const POINT& cell : {POINT{2, 0}, POINT{3, 2}, POINT{0, 1}, POINT{9, 1}}) {
        const POINT p = cellPoint(g, cell.x, cell.y);
        SendMessageW(g.hWnd(), WM_MOUSEMOVE, 0, MAKELPARAM(p.x, p.y));
        seen += w->gridTips->ToolText(g.hWnd()) + "|";
    }
    EXPECT_EQ(seen, "ALPHA.DOC|C:\\ONE\\|FileDate||");  // below the last row: no text
}

}  // namespace
