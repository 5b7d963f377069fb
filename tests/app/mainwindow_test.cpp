// The real main window on a test database, a test Recent folder and a fixed clock.
#include <gtest/gtest.h>

#include <algorithm>

#include "app/declares.h"
#include "app/globals.h"
#include "app/lists.h"
#include "app/quillstack1.h"
#include "app/receiver.h"
#include "app/tooltip/tooltip.h"
#include "window_fixture.h"
#include "platform/controls/datacontrol.h"
#include "platform/controls/flexgrid.h"
#include "platform/runtime/convert.h"
#include "platform/runtime/dates.h"
#include "platform/runtime/settings.h"
#include "platform/runtime/text.h"
#include "tests/support/filelock.h"
#include "tests/support/pump.h"
#include "tests/support/testdb.h"

using namespace qs;
using namespace qs::test;
using app::Quillstack1;
using Names = std::vector<std::string>;

namespace {

db::Value date(int y, int m, int d, int h = 0, int mi = 0) { return db::Date{rt::makeDate(y, m, d, h, mi)}; }

using Calls = std::vector<DWORD>;

std::string setting(const std::string& key) { return rt::GetSetting("Quillstack", "Settings", key, "<missing>"); }

class MainWindow : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        Seed(dbPath)
            .job("C:\\DOCS\\LETTER.TXT", date(2024, 11, 1, 9), false)
            .job("C:\\DOCS\\BUDGET.XLS", date(2024, 12, 1), true)
            .job("D:\\WORK\\ALPHA.DOC", date(2024, 10, 15), false)
            .job("C:\\TMP\\REPORT \"FINAL\".DOC", date(2024, 11, 20), false)
            .favorite("NEWS SITE", "http://news.example/", "DAILY HEADLINES")
            .favorite("WEATHER", "http://wx.example/", "FORECAST NEWS")
            .favorite("RECIPES", "http://food.example/", " ")
            .phone("SMITH JOHN", "EXT 101")
            .phone("JONES MARY", "EXT 202")
            .phone("BROWN ALAN", "EXT 303")
            .commit();
    }

    void type(const std::string& text) {
        w->Text1.Text(text);
        w->Text1_KeyUp('A', 0);
    }

    Names shown(int col = 0) {
        controls::FlexGrid* g = w->gridOf(app::displaywhich);
        return columnTexts(*g, col);
    }

    uint32_t cellColour(controls::FlexGrid& g, int row, int col) {
        g.Row(row);
        g.Col(col);
        return g.CellBackColor();
    }
};

}  // namespace

TEST_F(MainWindow, FirstStartIsCentredSortedByNameAndHidesToTheTray) {
    services->realTray = true;  // the shell's own tray, this once
    rt::DeleteSetting("Quillstack");
    start();
    EXPECT_FALSE(IsWindowVisible(w->hWnd()));
    EXPECT_TRUE(app::trayIconWanted());
    EXPECT_EQ(app::nid.cbSize, 88u);
    EXPECT_EQ(app::nid.hWnd, w->hWnd());
    EXPECT_EQ(app::nid.uID, 1u);
    EXPECT_EQ(app::nid.uFlags, 7u);
    EXPECT_EQ(app::nid.uCallbackMessage, 512u);
    EXPECT_NE(app::nid.hIcon, nullptr);
    EXPECT_STREQ(app::nid.szTip, "Quillstack Database");
    EXPECT_EQ(app::nid.szTip[63], ' ');

    // (screen - window) / 2 in twips, halves to even (1280 x 1024 pixels give 6022.5 and 5542.5), then
    // on the screen's pixels.
    const int tpp = forms::twipsPerPixel();
    const int x = int(rt::roundHalfEven((GetSystemMetrics(SM_CXSCREEN) * tpp - 7155) / 2.0));
    const int y = int(rt::roundHalfEven((GetSystemMetrics(SM_CYSCREEN) * tpp - 4275) / 2.0));
    EXPECT_EQ(w->Left(), forms::toTwips(forms::toPixels(x)));
    EXPECT_EQ(w->Top(), forms::toTwips(forms::toPixels(y)));
    EXPECT_EQ(w->Width(), 7155);
    EXPECT_EQ(w->Height(), 4275);

    EXPECT_TRUE(app::openexplorer);
    EXPECT_EQ(app::timelimit, 90);
    EXPECT_EQ(app::sortdir, " ASC");
    EXPECT_EQ(app::displaywhich, 0);
    EXPECT_EQ(w->lastSortDir, " ASC");
    EXPECT_TRUE(w->MSgrid1->Visible());
    EXPECT_FALSE(w->MSgrid2->Visible());
    EXPECT_FALSE(w->MSgrid3->Visible());
    EXPECT_TRUE(w->Image1.elementVisible(0) && w->Image2.elementVisible(0));
    EXPECT_FALSE(w->Image10.Visible() || w->Image11.Visible() || w->Image15.Visible() || w->Image9.Visible());
    EXPECT_TRUE(w->Image8.elementVisible(0));
    EXPECT_FALSE(w->Image8.elementVisible(1));
    EXPECT_FALSE(w->Image7.Visible());
    EXPECT_FALSE(app::stayOnTop);

    EXPECT_EQ(shown(), (Names{"ALPHA.DOC", "BUDGET.XLS", "LETTER.TXT", "REPORT \"FINAL\".DOC"}));
    EXPECT_EQ(shown(2), (Names{"D:\\WORK\\", "C:\\DOCS\\", "C:\\DOCS\\", "C:\\TMP\\"}));
    controls::FlexGrid& g = *w->MSgrid1;
    EXPECT_EQ(g.TextMatrix(0, 0), "FileName");
    EXPECT_EQ(g.TextMatrix(0, 1), "FileDate");
    EXPECT_EQ(g.TextMatrix(0, 2), "File Location");
    EXPECT_EQ(w->MSgrid2->TextMatrix(0, 2), "Keywords");
    EXPECT_EQ(w->MSgrid3->TextMatrix(0, 1), "Info");
    EXPECT_EQ(g.ColWidth(0), 2862);
    EXPECT_EQ(g.ColWidth(1), 1789);
    EXPECT_EQ(g.ColWidth(2), 2504);
    EXPECT_EQ(g.ColWidth(3), 0);
    EXPECT_EQ(g.ColWidth(4), 0);
    EXPECT_EQ(w->MSgrid3->ColWidth(0), 3578);

    // Permanent jobs in their own colour in all four data columns.
    for (int c = 0; c <= 3; ++c) {
        EXPECT_EQ(cellColour(g, 1, c), app::kJobColour);
        EXPECT_EQ(cellColour(g, 2, c), app::kPermanentJobColour);
    }
    EXPECT_EQ(w->dt1.Min(), 1);
    EXPECT_EQ(w->dt1.Max(), 4);

    // The receiver is up, hooked, and the Recent folder is the test's.
    EXPECT_NE(FindWindowA(nullptr, app::kReceiverTitle), nullptr);
    EXPECT_EQ(w->recentPath, recent.path() + "\\");
    EXPECT_EQ(w->watchPath, recent.path() + "\\");
    EXPECT_TRUE(services->messages.empty());

    w->Unload();
    EXPECT_EQ(FindWindowA(nullptr, app::kReceiverTitle), nullptr);
    EXPECT_FALSE(app::trayIconWanted());
    EXPECT_EQ(services->ended, 1);
}

// What the user sees: the Jobs grid paints a permanent job light and any other dark, in the columns on
// screen, and the colours follow the jobs when a sort moves them.
TEST_F(MainWindow, PermanentJobsArePaintedLightAfterEveryRequery) {
    save("myleft", "0");
    save("mytop", "0");
    start();
    w->mnuShow_Click();  // on screen; row 1 selected
    controls::FlexGrid& g = *w->MSgrid1;
    const int rowHeight = forms::toPixels(240);
    auto painted = [&](int row, int col) {
        RECT client;
        GetClientRect(g.hWnd(), &client);
        int right = 0;  // the right end of the cell as far as it shows, clear of its text
        for (int c = 0; c <= col; ++c) right += forms::toPixels(g.ColWidth(c));
        UpdateWindow(g.hWnd());
        HDC dc = GetDC(g.hWnd());
        const COLORREF c = GetPixel(dc, std::min<int>(right, client.right) - 8, rowHeight * (row - g.TopRow() + 1) + 2);
        ReleaseDC(g.hWnd(), dc);
        return c;
    };
    const COLORREF light = RGB(0x69, 0xE1, 0xFF), dark = RGB(0x44, 0x92, 0xA6);
    EXPECT_EQ(painted(2, 0), light);  // BUDGET.XLS
    EXPECT_EQ(painted(2, 2), light);
    EXPECT_EQ(painted(3, 0), dark);
    EXPECT_EQ(painted(4, 1), dark);

    w->sortJobs(1);  // by date: BUDGET.XLS last
    w->reselectRow();
    EXPECT_EQ(painted(4, 0), light);
    EXPECT_EQ(painted(2, 0), dark);
}

TEST_F(MainWindow, KeptTopRowsBeyondSixteenBitsSurviveAListSwitch) {
    Seed(dbPath).numberedJobs(40000).commit();
    save("timelimit", "30000");  // nothing to purge at exit
    start();
    w->MSgrid1->TopRow(39000);
    w->Image14_MouseUp(0, 1, 0, 0, 0);
    EXPECT_EQ(app::topRowJobs, 39000);
    w->Image12_MouseUp(0, 1, 0, 0, 0);
    EXPECT_EQ(w->MSgrid1->TopRow(), 39000);
}

TEST_F(MainWindow, BaselineListsOnlyOrdinaryFilesOfTheRecentFolder) {
    writeFile(recent.file("a.lnk"));
    writeFile(recent.file("b.txt"));
    writeFile(recent.file("hidden.lnk"));
    setAttributes(recent.file("hidden.lnk"), FILE_ATTRIBUTE_HIDDEN);
    makeFolder(recent.file("sub"));
    start();
    Names names = w->recentFiles;
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (Names{"a.lnk", "b.txt"}));
    EXPECT_EQ(w->recentFileCount, 2);
}

TEST_F(MainWindow, WithoutARecentFolderNothingIsListedOrWatched) {
    redirect.reset();
    redirect = std::make_unique<RecentRedirect>(recent.file("gone"));
    start();
    EXPECT_TRUE(w->recentFiles.empty());
    EXPECT_EQ(w->recentFileCount, 0);
    EXPECT_EQ(w->oFoldwatcher, nullptr);
    EXPECT_EQ(w->recentPath, "\\");
    EXPECT_EQ(shown().size(), 4u);  // the lists work all the same
}

TEST_F(MainWindow, SavedPositionAndDescendingDateSortApplyAtStart) {
    save("myleft", "-3000");
    save("mytop", "39990");
    save("sortby", "1");
    save("sortdir", " DESC");
    start();
    EXPECT_EQ(w->Left(), -3000);
    EXPECT_EQ(w->Top(), 39990);
    EXPECT_EQ(shown(), (Names{"BUDGET.XLS", "REPORT \"FINAL\".DOC", "LETTER.TXT", "ALPHA.DOC"}));
    EXPECT_EQ(w->lastSortDir, " DESC");
    EXPECT_EQ(app::sortdir, " DESC");
    EXPECT_EQ(app::orderJobs, " ORDER BY Jobs.JobDate DESC");
    EXPECT_TRUE(w->MSgrid1->Visible());
}

TEST_F(MainWindow, SavedSortAppliesToTheListShownAtStart) {
    save("displaywhich", "2");
    save("sortby", "2");  // a Jobs column: the Phone list sorts by name for it
    app::searchTextPhone = "kept";
    start();
    EXPECT_TRUE(w->MSgrid3->Visible());
    EXPECT_FALSE(w->MSgrid1->Visible());
    EXPECT_TRUE(w->Image15.elementVisible(0) && w->Image9.elementVisible(1));
    EXPECT_FALSE(w->Image1.Visible() || w->Image10.Visible());
    EXPECT_EQ(w->Text1.Text(), "kept");
    EXPECT_EQ(shown(), (Names{"BROWN ALAN", "JONES MARY", "SMITH JOHN"}));
    EXPECT_EQ(app::orderPhone, " ORDER BY Phone.PName ASC");
    EXPECT_EQ(app::orderJobs, app::kOrderJobs);
    ASSERT_TRUE(w->gridTips);
    EXPECT_EQ(w->gridTips->BackColor(), int32_t(app::kTipColours[2].back));
}

TEST_F(MainWindow, SearchEachListInMixedCaseAndKeepItsFilter) {
    start();
    type("lEtT");
    EXPECT_EQ(shown(), (Names{"LETTER.TXT"}));
    EXPECT_EQ(app::whereJobs, " WHERE ((Jobs.JobName Like \"*lett*\"))");
    EXPECT_EQ(app::searchTextJobs, "lEtT");

    w->Image13_MouseUp(0, 1, 0, 0, 0);
    EXPECT_EQ(app::displaywhich, 1);
    EXPECT_EQ(w->Text1.Text(), "");
    type("NeWs");  // by name, and by keywords
    EXPECT_EQ(shown(), (Names{"NEWS SITE", "WEATHER"}));

    w->Image14_MouseUp(0, 1, 0, 0, 0);
    type("jOn");
    EXPECT_EQ(shown(), (Names{"JONES MARY"}));

    w->Image12_MouseUp(0, 2, 0, 0, 0);
    EXPECT_EQ(w->Text1.Text(), "lEtT");
    EXPECT_EQ(shown(), (Names{"LETTER.TXT"}));
    w->Image13_MouseUp(0, 1, 0, 0, 0);
    EXPECT_EQ(shown(), (Names{"NEWS SITE", "WEATHER"}));
    type("");
    EXPECT_EQ(shown(), (Names{"NEWS SITE", "RECIPES", "WEATHER"}));
    EXPECT_EQ(app::whereFavorites, "");
}

TEST_F(MainWindow, TwoHeaderClicksToggleTheDirection) {
    start();
    w->suppressSelChange = true;  // as a header click holds it
    app::selectedName = "LETTER.TXT";
    w->sortJobs(1);
    EXPECT_FALSE(w->MSgrid1->Visible());  // until the reselect
    w->reselectRow();
    EXPECT_TRUE(w->MSgrid1->Visible());
    EXPECT_EQ(shown(), (Names{"ALPHA.DOC", "LETTER.TXT", "REPORT \"FINAL\".DOC", "BUDGET.XLS"}));
    EXPECT_EQ(w->MSgrid1->Row(), 2);
    EXPECT_EQ(w->MSgrid1->RowSel(), 2);
    EXPECT_EQ(w->MSgrid1->ColSel(), 3);

    w->sortJobs(1);
    w->reselectRow();
    EXPECT_EQ(shown(), (Names{"BUDGET.XLS", "REPORT \"FINAL\".DOC", "LETTER.TXT", "ALPHA.DOC"}));
    EXPECT_EQ(app::sortdir, " DESC");
    EXPECT_EQ(w->MSgrid1->Row(), 3);

    // Another column sorts ascending; column 2 sorts by the full path.
    w->sortJobs(2);
    w->reselectRow();
    EXPECT_EQ(shown(), (Names{"BUDGET.XLS", "LETTER.TXT", "REPORT \"FINAL\".DOC", "ALPHA.DOC"}));
    EXPECT_EQ(app::sortby, 2);
    EXPECT_EQ(app::sortdir, " ASC");
    // A column the Jobs list has no field for keeps the order.
    w->sortJobs(7);
    w->reselectRow();
    EXPECT_EQ(app::orderJobs, " ORDER BY Jobs.JobFullName ASC");
    EXPECT_TRUE(services->messages.empty());
}

TEST_F(MainWindow, QuoteInSearchTextNeitherBreaksNorWidens) {
    start();
    type("\"final");
    EXPECT_EQ(shown(), (Names{"REPORT \"FINAL\".DOC"}));
    type("\" or \"");
    EXPECT_TRUE(shown().empty());
    type("x\")) OR ((Jobs.JobName Like \"*");
    EXPECT_TRUE(shown().empty());
    EXPECT_TRUE(services->messages.empty());
    // Wildcards typed still act as wildcards.
    type("alp*.doc");
    EXPECT_EQ(shown(), (Names{"ALPHA.DOC"}));
    type("a*.doc");
    EXPECT_EQ(shown(), (Names{"ALPHA.DOC", "REPORT \"FINAL\".DOC"}));

    // A remembered name holding a quote (and a pattern character) is found again.
    type("");
    w->suppressSelChange = true;  // as a header click holds it
    app::selectedName = "REPORT \"FINAL\".DOC";
    w->sortJobs(1);
    w->reselectRow();
    EXPECT_EQ(shown(), (Names{"ALPHA.DOC", "LETTER.TXT", "REPORT \"FINAL\".DOC", "BUDGET.XLS"}));
    EXPECT_EQ(w->MSgrid1->Row(), 3);
}

TEST_F(MainWindow, InvalidPatternKeepsThePreviousList) {
    start();
    type("rep");
    EXPECT_EQ(shown(), (Names{"REPORT \"FINAL\".DOC"}));
    type("rep[");
    EXPECT_EQ(shown(), (Names{"REPORT \"FINAL\".DOC"}));
    EXPECT_EQ(app::whereJobs, " WHERE ((Jobs.JobName Like \"*rep*\"))");
    EXPECT_EQ(app::searchTextJobs, "rep[");
    EXPECT_TRUE(services->messages.empty());
    EXPECT_NO_THROW(w->Data1->Refresh());  // the data control went back to a query that runs
    type("[");
    type("[!");
    EXPECT_EQ(shown(), (Names{"REPORT \"FINAL\".DOC"}));
    type("");
    EXPECT_EQ(shown().size(), 4u);
    // A sort after a refused pattern still works.
    w->sortJobs(0);
    w->reselectRow();
    EXPECT_TRUE(services->messages.empty());
}

TEST_F(MainWindow, ShowFromTheTrayRedrawsTheJobsGrid) {
    start();
    w->Image13_MouseUp(0, 1, 0, 0, 0);
    w->MSgrid1->TextMatrix(0, 0, "stale");
    EXPECT_EQ(services->trayCalls, (Calls{NIM_ADD}));
    w->Form_MouseMove(0, 0, 515, 0);  // the tray's double click
    EXPECT_TRUE(IsWindowVisible(w->hWnd()));
    EXPECT_FALSE(app::trayIconWanted());
    EXPECT_EQ(services->trayCalls, (Calls{NIM_ADD, NIM_DELETE}));
    EXPECT_EQ(w->MSgrid1->TextMatrix(0, 0), "FileName");
    EXPECT_EQ(app::displaywhich, 1);
    w->Form_MouseMove(0, 0, 200, 0);  // an ordinary mouse move changes nothing
    EXPECT_TRUE(IsWindowVisible(w->hWnd()));

    // The Hide button puts it back into the tray.
    w->Image3.onMouseDown(0, 1, 0, 0, 0);
    EXPECT_TRUE(w->Image3.elementVisible(1));
    EXPECT_FALSE(w->Image3.elementVisible(0));
    w->Image3.onMouseUp(0, 1, 0, 0, 0);
    EXPECT_FALSE(IsWindowVisible(w->hWnd()));
    EXPECT_TRUE(app::trayIconWanted());
    EXPECT_EQ(services->trayCalls, (Calls{NIM_ADD, NIM_DELETE, NIM_ADD}));
    w->Unload();
    EXPECT_EQ(services->trayCalls, (Calls{NIM_ADD, NIM_DELETE, NIM_ADD, NIM_DELETE}));
    EXPECT_TRUE(w->Image3.elementVisible(0));
    EXPECT_FALSE(w->Image3.elementVisible(1));
}

TEST_F(MainWindow, ListSwitchShowsEachListWithItsButtonsAndColours) {
    start();
    w->Image13_MouseUp(0, 1, 0, 0, 0);
    EXPECT_EQ(app::displaywhich, 1);
    EXPECT_TRUE(w->MSgrid2->Visible());
    EXPECT_FALSE(w->MSgrid1->Visible() || w->MSgrid3->Visible());
    EXPECT_TRUE(w->Image10.elementVisible(0) && w->Image10.elementVisible(1) && w->Image11.elementVisible(0));
    EXPECT_FALSE(w->Image1.Visible() || w->Image2.Visible() || w->Image15.Visible() || w->Image9.Visible());
    ASSERT_TRUE(w->gridTips);
    EXPECT_EQ(w->gridTips->BackColor(), int32_t(app::kTipColours[1].back));
    EXPECT_EQ(w->gridTips->ForeColor(), int32_t(app::kTipColours[1].fore));
    EXPECT_EQ(shown(), (Names{"NEWS SITE", "RECIPES", "WEATHER"}));
    EXPECT_EQ(w->MSgrid2->TextMatrix(0, 1), "URL");

    app::selectedNamePhone = "JONES MARY";
    w->Image14_MouseUp(0, 1, 0, 0, 0);
    EXPECT_TRUE(w->MSgrid3->Visible());
    EXPECT_TRUE(w->Image15.elementVisible(0) && w->Image9.elementVisible(0));
    EXPECT_EQ(w->MSgrid3->Row(), 2);  // the kept name selected again
    EXPECT_EQ(w->MSgrid3->ColSel(), 1);
    EXPECT_FALSE(app::switchingView);
}

TEST_F(MainWindow, ScrollBarNeverScrollsPastTheShownGrid) {
    {
        Seed rows(dbPath);
        for (int i = 0; i < 40; ++i)
            rows.job("C:\\MANY\\FILE" + std::to_string(100 + i) + ".TXT", date(2024, 11, 2), false);
        rows.commit();
    }
    start();
    w->Image14_MouseUp(0, 1, 0, 0, 0);  // Phone: 3 records
    w->mnuShow_Click();                 // redraws Jobs: the range is the Jobs grid's now
    EXPECT_EQ(w->dt1.Max(), 44);
    w->dt1.Value(40);
    EXPECT_GE(w->MSgrid3->TopRow(), 1);
    EXPECT_LE(w->MSgrid3->TopRow(), 3);

    w->Image12_MouseUp(0, 1, 0, 0, 0);
    w->dt1.Value(30);
    EXPECT_EQ(w->MSgrid1->TopRow(), 30);
    app::switchingView = true;
    w->dt1.Value(10);
    EXPECT_EQ(w->MSgrid1->TopRow(), 30);
    app::switchingView = false;
}

TEST_F(MainWindow, PurgeOnExitWithNinetyDays) {
    Seed(dbPath)
        .job("C:\\OLD\\BEFORE.TXT", date(2024, 9, 8, 23, 59), false)
        .job("C:\\OLD\\ONCUTOFF.TXT", date(2024, 9, 9, 0, 0), false)
        .job("C:\\OLD\\KEPT.TXT", date(2020, 1, 1), true)
        .job("C:\\OLD\\NULLFLAG.TXT", date(2020, 1, 1), db::Value{})
        .job("C:\\OLD\\NULLDATE.TXT", db::Value{}, false)
        .commit();
    start();
    w->Unload();
    EXPECT_EQ(services->ended, 1);
    auto db = db::Engine::OpenDatabase(dbPath);
    auto rs = db->OpenRecordset("SELECT Jobs.JobName FROM Jobs ORDER BY Jobs.JobName;");
    Names left;
    for (; !rs->EOF_(); rs->MoveNext()) left.push_back(db::textOf(rs->get(0)));
    EXPECT_EQ(left, (Names{"ALPHA.DOC", "BUDGET.XLS", "KEPT.TXT", "LETTER.TXT", "NULLDATE.TXT", "NULLFLAG.TXT",
                           "ONCUTOFF.TXT", "REPORT \"FINAL\".DOC"}));
}

TEST_F(MainWindow, PurgeOnExitWithZeroDaysTakesEverythingBeforeToday) {
    Seed(dbPath)
        .job("C:\\NEW\\YESTERDAY.TXT", date(2024, 12, 7, 23, 0), false)
        .job("C:\\NEW\\TODAY.TXT", date(2024, 12, 8, 9, 0), false)
        .commit();
    save("timelimit", "0");
    start();
    w->Unload();
    auto db = db::Engine::OpenDatabase(dbPath);
    auto rs = db->OpenRecordset("SELECT Jobs.JobName FROM Jobs ORDER BY Jobs.JobName;");
    Names left;
    for (; !rs->EOF_(); rs->MoveNext()) left.push_back(db::textOf(rs->get(0)));
    EXPECT_EQ(left, (Names{"BUDGET.XLS", "TODAY.TXT"}));
}

TEST_F(MainWindow, NineSettingsWrittenInOrderAtExit) {
    save("sortby", "1");
    save("sortdir", " DESC");
    save("displaywhich", "1");
    save("openexplorer", "false");
    save("timelimit", "30");
    save("tempdir", "C:\\somewhere");
    start();
    w->Left(1500);
    w->Top(900);
    Names keys;
    for (const auto& kv : w->exitSettings()) keys.push_back(kv.first);
    EXPECT_EQ(keys, (Names{"openexplorer", "timelimit", "displaywhich", "myleft", "mytop", "sortby", "sortdir",
                           "tempdir", "myDBname"}));
    w->Unload();
    EXPECT_EQ(setting("openexplorer"), "False");
    EXPECT_EQ(setting("timelimit"), "30");
    EXPECT_EQ(setting("displaywhich"), "1");
    EXPECT_EQ(setting("myleft"), "1500");
    EXPECT_EQ(setting("mytop"), "900");
    EXPECT_EQ(setting("sortby"), "1");
    EXPECT_EQ(setting("sortdir"), " DESC");
    EXPECT_EQ(setting("tempdir"), "");
    EXPECT_EQ(setting("myDBname"), dbPath);
}

TEST_F(MainWindow, MissingDatabaseStillEndsInTheTrayAndExitsWithSettings) {
    dbPath = dir.file("nowhere.mdb");
    start();
    // Hidden to the tray, or still on screen when it was painted while Options was open: never neither.
    EXPECT_NE(IsWindowVisible(w->hWnd()) != FALSE, app::trayIconWanted());
    EXPECT_GE(services->optionsShown, 1);
    EXPECT_NE(std::find(services->messages.begin(), services->messages.end(),
                        "Problem with Database...Please select a new one"),
              services->messages.end());
    EXPECT_TRUE(pumpUntil([] { return closeOptionsWindows() == 0; }));
    const size_t before = services->messages.size();
    w->Unload();
    EXPECT_EQ(services->messages.size(), before);  // the purge fails quietly
    EXPECT_EQ(services->ended, 1);
    EXPECT_EQ(setting("myDBname"), dbPath);
    EXPECT_EQ(setting("sortdir"), " ASC");
}

namespace {

std::vector<std::string> menuItems;

// While the tray menu is open: read its items, then choose "&Quillstack Main Window" by its access key.
void CALLBACK chooseFromTrayMenu(HWND, UINT, UINT_PTR id, DWORD) {
    HWND menuWindow = FindWindowW(L"#32768", nullptr);
    if (!menuWindow) return;
    KillTimer(nullptr, id);
    HMENU menu = reinterpret_cast<HMENU>(SendMessageW(menuWindow, MN_GETHMENU, 0, 0));
    for (int i = 0; menu && i < GetMenuItemCount(menu); ++i) {
        char text[128] = {};
        GetMenuStringA(menu, UINT(i), text, sizeof text, MF_BYPOSITION);
        menuItems.push_back(text);
    }
    PostMessageW(menuWindow, WM_CHAR, 'q', 0);
}

}  // namespace

TEST_F(MainWindow, TrayRightClickPopsUpTheMenuWhoseFirstItemShowsTheWindow) {
    start();
    menuItems.clear();
    const UINT_PTR timer = SetTimer(nullptr, 0, 50, chooseFromTrayMenu);
    w->Form_MouseMove(0, 0, 516, 0);
    KillTimer(nullptr, timer);
    EXPECT_EQ(menuItems, (Names{"&Quillstack Main Window", "&Exit Quillstack"}));
    EXPECT_TRUE(IsWindowVisible(w->hWnd()));
    EXPECT_EQ(services->trayCalls, (Calls{NIM_ADD, NIM_DELETE}));
}

TEST_F(MainWindow, FirstPaintBeforeActivationDrawsTheShownList) {
    app::myDBname = dbPath;
    w = std::make_unique<Quillstack1>();
    w->Load();
    EXPECT_TRUE(w->firstActivate);
    EXPECT_EQ(w->MSgrid1->TextMatrix(0, 0), "JobName");  // the field name, until a redraw
    w->Form_Paint();
    EXPECT_FALSE(w->firstActivate);
    EXPECT_EQ(w->MSgrid1->TextMatrix(0, 0), "FileName");
    w->Form_Activate();  // nothing left to do: no sort, no tray
    EXPECT_TRUE(services->trayCalls.empty());
    EXPECT_EQ(w->lastSortDir, "");
}

// Whether the window really is topmost is the forms' concern (and under Wine a window owning tooltip
// windows does not become topmost by SetWindowPos); here the state and the faces.
TEST_F(MainWindow, StayOnTopButtonsSwapTheirFacesAndTheState) {
    start();
    w->mnuShow_Click();
    w->Image8.onMouseDown(0, 2, 0, 0, 0);
    w->Image8.onMouseUp(0, 2, 0, 0, 0);
    EXPECT_TRUE(app::stayOnTop);
    EXPECT_FALSE(w->Image8.Visible());
    EXPECT_TRUE(w->Image7.elementVisible(0));
    EXPECT_FALSE(w->Image7.elementVisible(1));
    w->Image7.onMouseDown(0, 1, 0, 0, 0);
    w->Image7.onMouseUp(0, 1, 0, 0, 0);
    EXPECT_FALSE(app::stayOnTop);
    EXPECT_FALSE(w->topmost());
    EXPECT_TRUE(w->Image8.elementVisible(0));
    EXPECT_FALSE(w->Image7.Visible());
}

Quillstack1* optionsOwner;
bool pressedWhileOpen;
void CALLBACK checkAndCloseOptions(HWND, UINT, UINT_PTR, DWORD) {
    const bool pressed = optionsOwner->Image5.elementVisible(1) && !optionsOwner->Image5.elementVisible(0);
    if (closeOptionsWindows() > 0) pressedWhileOpen = pressed;
}

TEST_F(MainWindow, OptionsButtonStaysPressedWhileOptionsIsOpen) {
    start();
    w->mnuShow_Click();
    optionsOwner = w.get();
    pressedWhileOpen = false;
    const UINT_PTR timer = SetTimer(nullptr, 0, 50, checkAndCloseOptions);
    w->Image5.onMouseDown(0, 1, 0, 0, 0);
    w->Image5.onMouseUp(0, 1, 0, 0, 0);
    KillTimer(nullptr, timer);
    EXPECT_TRUE(pressedWhileOpen);
    EXPECT_TRUE(w->Image5.elementVisible(0));
    EXPECT_FALSE(w->Image5.elementVisible(1));
}

TEST_F(MainWindow, MainReadsTheDatabasePathAndShowsTheWindow) {
    app::Main();
    Quillstack1* main = app::mainWindow();
    ASSERT_NE(main, nullptr);
    EXPECT_EQ(app::myDBname, dir.path() + "\\quillstack.mdb");
    EXPECT_TRUE(pumpUntil([&] { return !main->firstActivate; }));
    EXPECT_TRUE(app::trayIconWanted());
    main->Unload();
    EXPECT_EQ(services->ended, 1);
}

TEST_F(MainWindow, EmptyListRedrawsWithTheSmallestScrollRange) {
    {
        auto db = db::Engine::OpenDatabase(dbPath);
        db->Execute("DELETE FROM Phone");
    }
    start();
    w->Image14_MouseUp(0, 1, 0, 0, 0);
    EXPECT_EQ(w->MSgrid3->Rows(), 1);
    EXPECT_EQ(w->dt1.Min(), 1);
    EXPECT_EQ(w->dt1.Max(), 2);
    EXPECT_TRUE(w->MSgrid3->Visible());
    EXPECT_EQ(w->MSgrid3->TextMatrix(0, 0), "Name");
    type("x");
    EXPECT_EQ(w->MSgrid3->Rows(), 1);
    w->dt1.Value(2);  // a grid with fewer than 3 rows never scrolls
    EXPECT_TRUE(services->messages.empty());

    // A redraw puts the selection on the restored top row.
    w->Image12_MouseUp(0, 1, 0, 0, 0);
    app::topRow = 3;
    w->redrawGrid();
    EXPECT_EQ(w->MSgrid1->Row(), w->MSgrid1->TopRow());
    EXPECT_EQ(w->MSgrid1->RowSel(), w->MSgrid1->TopRow());
    EXPECT_EQ(w->MSgrid1->Col(), 0);
    EXPECT_EQ(w->MSgrid1->ColSel(), 3);
}

TEST_F(MainWindow, KeystrokeOverALockedFileWaitsAboutASecondAndTheNextOneSearches) {
    {
        Seed rows(dbPath);
        for (int i = 0; i < 300; ++i) rows.job("E:\\MORE\\NOTE " + std::to_string(i) + ".TXT", date(2024, 9, 1), false);
        rows.commit();
    }
    start();
    w->mnuShow_Click();
    SetWindowPos(w->hWnd(), nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);  // painted only on screen
    controls::FlexGrid& grid = *w->MSgrid1;
    {
        ExclusiveLock lock(dbPath);
        ASSERT_TRUE(lock.held());
        // The query, then painting rows the grid has not read yet: about a second in all.
        EXPECT_LT(secondsOf([&] {
                      type("let");
                      grid.TopRow(200);
                      RedrawWindow(grid.hWnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
                  }),
                  1.5);
    }
    type("let");
    EXPECT_EQ(shown(), Names{"LETTER.TXT"});
}
