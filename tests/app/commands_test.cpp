// The main window's row commands, buttons and keys, driven by mouse and key messages on its real grids
// and search box, with the entry boxes answered on screen.
#include <sqlite3.h>

#include "app/entry/keywords.h"
#include "app/entry/phoneentry.h"
#include "app/tooltip/tooltip.h"
#include "platform/controls/datacontrol.h"
#include "platform/controls/flexgrid.h"
#include "platform/db/internal.h"
#include "platform/runtime/text.h"
#include "tests/grid/jobsdb.h"
#include "window_fixture.h"

using namespace qs;
using namespace qs::test;
using Names = std::vector<std::string>;

namespace {

class Commands : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        auto db = db::Engine::OpenDatabase(dbPath);
        auto jobs = db->OpenRecordset("Jobs");
        const db::Value when = db::Date{rt::makeDate(2024, 12, 1)};
        const std::pair<const char*, db::Value> rows[] = {
            {"C:\\ONE\\DUP.DOC", false}, {"C:\\A,B\\ALPHA.DOC", true}, {"C:\\TWO\\DUP.DOC", {}}, {"D:\\ZED.TXT", false}};
        for (const auto& [path, mark] : rows) addJobRow(*jobs, path, when, mark);
        jobs->AddNew();  // a job without a name (or mark) sorts first
        jobs->set("JobFullName", "C:\\NONAME");
        jobs->Update();
        auto favs = db->OpenRecordset("Favorites");
        addFavorite(*favs, "NEWS", "http://news.example/", "DAILY");
        addFavorite(*favs, "WEATHER", "http://wx.example/", " ");
        auto phone = db->OpenRecordset("Phone");
        addPhone(*phone, "SMITH JOHN", "EXT 101");
        addPhone(*phone, "JONES MARY", "EXT 202");
        phone->AddNew();
        phone->set("PInfo", "NO NAME");
        phone->Update();
    }

    void startShown() {
        start();
        w->mnuShow_Click();
    }

    // The first field of the first row of a query on the file, "<null>" for Null.
    std::string value(const std::string& sql) {
        auto rs = db::Engine::OpenDatabase(dbPath)->OpenRecordset(sql);
        return db::isNull(rs->get(0)) ? "<null>" : db::textOf(rs->get(0));
    }

    // Runs SQL on the file as another program would; true when it succeeded.
    bool bare(const char* statement) {
        sqlite3* h = nullptr;
        sqlite3_open_v2(dbPath.c_str(), &h, SQLITE_OPEN_READWRITE, nullptr);
        db::detail::registerFunctions(h);
        const bool ok = sqlite3_exec(h, statement, nullptr, nullptr, nullptr) == SQLITE_OK;
        sqlite3_close(h);
        return ok;
    }
    bool othersCanWrite() { return bare("BEGIN IMMEDIATE; ROLLBACK;"); }

    void select(controls::FlexGrid& g, int row, int rowSel) { g.Row(row), g.RowSel(rowSel); }
};

TEST_F(Commands, DeleteTakesTheSelectedRowsThemselvesInEitherDirection) {
    startShown();
    controls::FlexGrid& g = *w->MSgrid1;
    select(g, 4, 4);  // the lower of the two DUP.DOC
    pressKey(g.hWnd(), VK_DELETE);
    EXPECT_EQ(columnTexts(g, 3), (Names{"C:\\NONAME", "C:\\A,B\\ALPHA.DOC", "C:\\ONE\\DUP.DOC", "D:\\ZED.TXT"}));
    EXPECT_EQ(g.Row(), 4);
    select(g, 3, 2);  // dragged upwards
    pressKey(g.hWnd(), VK_DELETE);
    EXPECT_EQ(columnTexts(g, 3), (Names{"C:\\NONAME", "D:\\ZED.TXT"}));
    EXPECT_EQ(g.Row() * 10 + g.RowSel(), 22);
    select(g, 1, 2);  // the nameless job too
    pressKey(g.hWnd(), VK_DELETE);
    pressKey(g.hWnd(), VK_DELETE);  // an empty list
    EXPECT_EQ(g.Rows(), 1);

    // The last rows of a list scrolled to its end: the new last row selected.
    jobsdb::fillJobs(dbPath, 45);
    w->Data1->Refresh();
    g.TopRow(40);
    select(g, 44, 45);
    pressKey(g.hWnd(), VK_DELETE);
    EXPECT_EQ(g.Rows() * 10000 + g.TopRow() * 100 + g.RowSel(), 444043);
    EXPECT_EQ(g.Row(), 43);
    EXPECT_EQ(g.TextMatrix(43, 0), jobsdb::jobName(42));
    EXPECT_TRUE(services->messages.empty());
}

TEST_F(Commands, WritesTheDatabaseRefusesLeaveNothingHalfDoneAndOneMessage) {
    ASSERT_TRUE(bare("CREATE TRIGGER keep BEFORE DELETE ON Jobs WHEN old.JobFullName = 'C:\\ONE\\DUP.DOC' "
                     "BEGIN SELECT RAISE(ABORT, 'kept'); END; CREATE TRIGGER fixed BEFORE UPDATE ON Jobs "
                     "BEGIN SELECT RAISE(ABORT, 'fixed'); END;"));
    startShown();
    int writableWhileShown = 0;
    services->whileShown = [&] { writableWhileShown += othersCanWrite(); };
    controls::FlexGrid& g = *w->MSgrid1;
    select(g, 2, 4);  // DUP.DOC in C:\TWO goes first, then the one in C:\ONE fails
    pressKey(g.hWnd(), VK_DELETE);
    EXPECT_EQ(g.Rows(), 6);
    click(g, cellPoint(g, 5, 0), true);
    EXPECT_EQ(value("SELECT JobPermanent FROM Jobs WHERE JobFullName = \"D:\\ZED.TXT\""), "False");

    w->Image14_MouseUp(0, 1, 0, 0, 0);
    w->MSgrid3->Row(2);
    WhenShown<app::Form1> tooLong([&](app::Form1& box) {
        box.Text2.Text(std::string(256, 'x'));
        box.Image1_MouseDown(0, 1, 0, 0, 0);
    });
    w->Image9_MouseUp(0, 1, 0, 0, 0);
    EXPECT_EQ(value("SELECT PInfo FROM Phone WHERE PName = \"JONES MARY\""), "EXT 202");
    ASSERT_EQ(services->messages.size(), 3u);
    EXPECT_EQ(services->messages[0].rfind("The selected rows could not be deleted; none of them was.", 0), 0u);
    EXPECT_EQ(writableWhileShown, 3);
}

TEST_F(Commands, RightClickTogglesTheMarkOfTheJobUnderThePointer) {
    startShown();
    controls::FlexGrid& g = *w->MSgrid1;
    auto mark = [&](const char* path) {
        return value(std::string("SELECT JobPermanent FROM Jobs WHERE JobFullName = \"") + path + "\"");
    };
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
    startShown();
    w->Image13_MouseUp(0, 1, 0, 0, 0);
    controls::FlexGrid& g = *w->MSgrid2;
    auto keywords = [&](const char* name) {
        return value(std::string("SELECT FavKeywords FROM Favorites WHERE FavName = \"") + name + "\"");
    };
    WhenShown<app::Form3> typed([&](app::Form3& box) {
        EXPECT_EQ(box.Text1.Text(), "DAILY");
        EXPECT_TRUE(othersCanWrite());
        box.Text1.Text("morning papers");
        PostMessageW(box.Text1.hWnd(), WM_KEYDOWN, VK_RETURN, 1);
    });
    pressKey(g.hWnd(), 'K', 2);
    EXPECT_EQ(keywords("NEWS"), "MORNING PAPERS");

    WhenShown<app::Form3> none([](app::Form3& box) { box.Unload(); });
    pressKey(g.hWnd(), 'K', 3);          // Ctrl+Shift+K
    click(g, cellPoint(g, 0, 0), true);  // the header
    click(g, cellPoint(g, 7, 0), true);  // below the rows
    EXPECT_FALSE(none.ran());

    // 256 characters as the engine counts them: the message, then 255 stored, upper case.
    std::string typed256, stored255;
    for (int i = 0; i < 256; ++i) typed256 += "\xC3\xA9", stored255 += i ? "\xC3\x89" : "";
    WhenShown<app::Form3> tooLong([&](app::Form3& box) {
        EXPECT_EQ(box.Text1.Text(), " ");
        box.Text1.Text(typed256);
        PostMessageW(box.Text1.hWnd(), WM_KEYDOWN, VK_RETURN, 1);
    });
    click(g, cellPoint(g, 2, 0), true);
    EXPECT_EQ(keywords("WEATHER"), stored255);
    EXPECT_EQ(services->messages, Names{"255 characters is the maximum size allowed for keywords"});
}

TEST_F(Commands, PhoneEntriesEditedAndAddedThroughTheEntryBox) {
    startShown();
    w->Image14_MouseUp(0, 1, 0, 0, 0);
    controls::FlexGrid& g = *w->MSgrid3;
    std::string opened;
    auto answer = [&](const char* name, const char* info, bool ok, const std::function<void()>& command) {
        WhenShown<app::Form1> box([&](app::Form1& b) {
            opened = b.Text1.Text() + "|" + b.Text2.Text();
            b.Text1.Text(name), b.Text2.Text(info);
            ok ? b.Image1_MouseDown(0, 1, 0, 0, 0) : b.Image2_MouseDown(0, 2, 0, 0, 0);
        });
        opened = "none";
        command();
        return opened;
    };
    EXPECT_EQ(answer("jones mary", "ext 909", true, [&] { doubleClick(g, cellPoint(g, 2, 1)); }),
              "JONES MARY|EXT 202");
    g.Row(1);
    EXPECT_EQ(answer("X", "Y", false, [&] { w->Image9_MouseUp(0, 1, 0, 0, 0); }), "|NO NAME");  // Cancel
    // The header's press sorts descending, then its double click opens the current row; an empty info
    // stores nothing.
    EXPECT_EQ(answer("X", "", true, [&] { doubleClick(g, cellPoint(g, 0, 0)); }), "SMITH JOHN|EXT 101");
    EXPECT_EQ(answer("X", "Y", true, [&] { doubleClick(g, cellPoint(g, 8, 0)); }), "none");  // below the rows
    EXPECT_EQ(answer("Berg Olav", "ext 1", true, [&] { w->Image15_MouseUp(0, 1, 0, 0, 0); }), "|");
    EXPECT_EQ(columnTexts(g, 0), (Names{"SMITH JOHN", "JONES MARY", "BERG OLAV", ""}));
    EXPECT_EQ(columnTexts(g, 1), (Names{"EXT 101", "EXT 909", "EXT 1", "NO NAME"}));
    EXPECT_TRUE(services->messages.empty());
}

TEST_F(Commands, OpeningJobsAndLinksStartsTheExactCommand) {
    startShown();
    controls::FlexGrid& g = *w->MSgrid1;
    doubleClick(g, cellPoint(g, 2, 0));  // openexplorer: shown in Explorer
    app::openexplorer = false;
    doubleClick(g, cellPoint(g, 5, 0));  // opened
    doubleClick(g, cellPoint(g, 0, 0));  // the header sorts, opens nothing
    doubleClick(g, cellPoint(g, 9, 0));
    g.Row(g.Rows() - 1);  // the nameless job, last now that the list is sorted descending
    w->Image2_MouseUp(0, 1, 0, 0, 0);
    w->Image1_MouseUp(0, 1, 0, 0, 0);
    pressKey(w->Text1.hWnd(), VK_RETURN);  // Enter: Explorer whatever openexplorer says
    w->Image13_MouseUp(0, 1, 0, 0, 0);
    doubleClick(*w->MSgrid2, cellPoint(*w->MSgrid2, 2, 0));
    w->MSgrid2->Row(1);
    pressKey(w->MSgrid2->hWnd(), VK_RETURN);
    w->Image11_MouseUp(0, 1, 0, 0, 0);
    w->Image14_MouseUp(0, 1, 0, 0, 0);
    pressKey(w->MSgrid3->hWnd(), VK_RETURN);  // nothing to open
    EXPECT_EQ(services->launched, (Names{"shell Explorer /select, \"C:\\A,B\\ALPHA.DOC\"", "open D:\\ZED.TXT",
                                         "shell Explorer /select, C:\\NONAME", "open C:\\NONAME",
                                         "shell Explorer /select, C:\\NONAME", "open http://wx.example/",
                                         "open http://news.example/", "open http://news.example/"}));
}

TEST_F(Commands, KeysActFromTheSearchBoxAndFromAGrid) {
    startShown();
    controls::FlexGrid& g = *w->MSgrid1;
    pressKey(w->Text1.hWnd(), VK_DOWN);
    EXPECT_EQ(GetFocus(), g.hWnd());
    pressKey(g.hWnd(), VK_DOWN);  // the window's Down, then the grid's own
    EXPECT_EQ(g.Row(), 2);
    pressKey(w->Text1.hWnd(), 'A', 2);
    EXPECT_EQ(g.Row() * 1000 + g.RowSel() * 10 + g.ColSel(), 1053);
    g.Row(3);
    pressKey(g.hWnd(), 'A', 3);  // Ctrl+Shift+A
    pressKey(g.hWnd(), 'A', 6);  // Ctrl+Alt+A
    EXPECT_EQ(g.RowSel(), 3);

    // F11 adds table Temp once; Ctrl+F12 imports the phone book from the program's folder.
    pressKey(g.hWnd(), VK_F11);
    pressKey(g.hWnd(), VK_F11);
    {
        auto book = db::Engine::CreateDatabase(dir.file("Town Staff.mdb"));
        auto def = book->CreateTableDef("Town Staff");
        for (const char* field : {"Field1", "Field2"}) def->appendField(def->CreateField(field, db::dbText));
        book->appendTableDef(def);
        auto rs = book->OpenRecordset("Town Staff");
        rs->AddNew(), rs->set(0, std::string("Holm \"Anna\"")), rs->set(1, std::string("ext 7")), rs->Update();
    }
    w->Image14_MouseUp(0, 1, 0, 0, 0);
    pressKey(w->Text1.hWnd(), VK_F12, 6);
    EXPECT_EQ(w->MSgrid3->Rows(), 4);
    pressKey(w->Text1.hWnd(), VK_F12, 2);
    pressKey(w->Text1.hWnd(), VK_F12, 2);  // twice: nothing more
    EXPECT_EQ(columnTexts(*w->MSgrid3, 0), (Names{"", "HOLM \"ANNA\"", "JONES MARY", "SMITH JOHN"}));
    DeleteFileW(rt::widen(dir.file("Town Staff.mdb")).c_str());
    pressKey(w->Text1.hWnd(), VK_F12, 2);
    ASSERT_EQ(services->messages.size(), 2u);  // the second Temp, the missing phone book
    EXPECT_EQ(services->messages[1], "You must place Town Staff.mdb in app folder and press Ctrl-F12 to import phonebook");
    EXPECT_EQ(db::Engine::OpenDatabase(dbPath)->tableNames().back(), "Temp");

    pressKey(w->MSgrid3->hWnd(), VK_ESCAPE);
    EXPECT_FALSE(IsWindowVisible(w->hWnd()));
    w->mnuShow_Click();
    pressKey(w->Text1.hWnd(), VK_ESCAPE, 1);
    EXPECT_FALSE(IsWindowVisible(w->hWnd()));
}

TEST_F(Commands, TooltipShowsTheTextOfTheCellUnderThePointer) {
    startShown();
    controls::FlexGrid& g = *w->MSgrid1;
    auto move = [&](int row, int col) {
        const POINT p = cellPoint(g, row, col);
        SendMessageW(g.hWnd(), WM_MOUSEMOVE, 0, MAKELPARAM(p.x, p.y));
        return w->gridTips->ToolText(g.hWnd());
    };
    std::string seen;
    for (const auto& cell : {POINT{2, 0}, POINT{3, 2}, POINT{0, 1}, POINT{9, 1}}) seen += move(cell.x, cell.y) + "|";
    EXPECT_EQ(seen, "ALPHA.DOC|C:\\ONE\\|FileDate||");  // below the last row: no text
}

}  // namespace
