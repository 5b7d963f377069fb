// The table editor through its real window on a test database: sorting by the headers, the search,
// typed rows, values a field cannot take, Add, Delete, double clicks, a database that cannot be opened
// and the layout.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "app/dialogs/form6.h"
#include "app/entry/phoneentry.h"
#include "app/globals.h"
#include "app/listquery.h"
#include "platform/runtime/dates.h"
#include "platform/runtime/sendkeys.h"
#include "tests/app/app_support.h"
#include "tests/support/testdb.h"

using namespace qs;
using namespace qs::app;
using namespace qs::test;

namespace {

// Commands and links are recorded, not started; SendKeys reaches the focused window at once.
struct EditorServices : FakeServices {
    using FakeServices::FakeServices;
    double now() override { return rt::makeDate(2024, 12, 8, 15, 30); }
    int shell(const std::string& command, int) override { return commands.push_back(command), 1; }
    void shellExecute(HWND, const std::string&, const std::string& file, const std::string&, const std::string&,
                      int) override {
        opened.push_back(file);
    }
    void sendKeys(const std::string& keys, bool) override {
        for (const INPUT& in : rt::parseSendKeys(keys))
            if (!(in.ki.dwFlags & KEYEVENTF_KEYUP)) SendMessageW(GetFocus(), WM_KEYDOWN, in.ki.wVk, 1);
    }
    std::vector<std::string> commands, opened;
};

// Runs `act` on the phone entry box once it is up, from a timer, while the editor waits in its loop.
std::function<void(Form1&)> phoneBoxAction;
BOOL CALLBACK actOnPhoneBox(HWND hwnd, LPARAM) {
    auto* box = dynamic_cast<Form1*>(forms::Form::fromHwnd(hwnd));
    if (!box || !IsWindowVisible(hwnd) || !phoneBoxAction) return TRUE;
    auto act = std::move(phoneBoxAction);
    phoneBoxAction = nullptr;
    act(*box);
    return FALSE;
}
void CALLBACK phoneBoxTimer(HWND, UINT, UINT_PTR id, DWORD) {
    EnumThreadWindows(GetCurrentThreadId(), actOnPhoneBox, 0);
    if (!phoneBoxAction) KillTimer(nullptr, id);
}

class Editor : public ::testing::Test {
protected:
    void SetUp() override {
        resetGlobals();
        createProgramDatabase(path);
        myDBname = path;
        sqlJobs = kSqlJobs;
        sqlFavorites = kSqlFavorites;
        sqlPhone = kSqlPhone;
        openexplorer = true;
    }
    Form6& open(const std::string& sql) {
        editorSQL = sql;
        editor.reset();
        editor.emplace();
        editor->Show();
        return *editor;
    }
    std::shared_ptr<db::Recordset> table(const char* name) {
        database = db::Engine::OpenDatabase(path);
        return database->OpenRecordset(name);
    }
    controls::DataGrid& grid() { return editor->DBGrid1; }
    POINT cell(int row, int col) {
        int x = 0;
        for (int c = 0; c < col; ++c) x += forms::toPixels(grid().Columns(c).Width());
        return {x + 3, row == 0 ? 8 : 16 * (row - grid().TopRow() + 1) + 8};
    }
    void press(int row, int col, UINT msg = WM_LBUTTONDOWN) {
        POINT p = cell(row, col);
        SendMessageW(grid().hWnd(), msg, MK_LBUTTON, MAKELPARAM(p.x, p.y));
        SendMessageW(grid().hWnd(), WM_LBUTTONUP, 0, MAKELPARAM(p.x, p.y));
    }
    void type(const std::wstring& text) {
        for (wchar_t c : text) SendMessageW(grid().editWindow() ? grid().editWindow() : grid().hWnd(), WM_CHAR, c, 1);
    }
    void key(int vk) { SendMessageW(grid().editWindow() ? grid().editWindow() : grid().hWnd(), WM_KEYDOWN, vk, 1); }
    std::vector<std::string> shown(int col) {
        std::vector<std::string> out;
        for (int r = 1; r < grid().Rows() - 1; ++r) out.push_back(grid().CellText(r, col));
        return out;
    }
    void clickAdd() { editor->Image1_MouseDown(0, 1, 0, 0, 0), editor->Image1_MouseUp(0, 1, 0, 0, 0); }
    void clickDelete() { editor->Image2_MouseDown(0, 1, 0, 0, 0), editor->Image2_MouseUp(0, 1, 0, 0, 0); }

    TempDir dir{"editor"};
    std::string path = dir.file("quillstack.mdb");
    EditorServices services{dir.path()};
    std::shared_ptr<db::Database> database;
    std::optional<Form6> editor;
};

using Names = std::vector<std::string>;

TEST_F(Editor, HeadersSortWithADirectionKeptPerColumn) {
    auto jobs = table("Jobs");
    addJob(*jobs, "C:\\B\\A.DOC", db::Date{3}, false);
    addJob(*jobs, "C:\\C\\B.DOC", db::Date{1}, false);
    addJob(*jobs, "C:\\A\\C.DOC", db::Date{2}, false);
    open(sqlJobs);
    EXPECT_EQ(shown(0), (Names{"A.DOC", "B.DOC", "C.DOC"}));  // stored order
    press(0, 0);                                              // column 0 starts descending
    EXPECT_EQ(shown(0), (Names{"C.DOC", "B.DOC", "A.DOC"}));
    EXPECT_EQ(editor->Data1.RecordSource(), sqlJobs + " ORDER BY Jobs.JobName DESC;");
    press(0, 1);  // any other column ascending, without " ASC"
    EXPECT_EQ(shown(0), (Names{"B.DOC", "C.DOC", "A.DOC"}));
    EXPECT_EQ(editor->Data1.RecordSource(), sqlJobs + " ORDER BY Jobs.JobDate;");
    press(0, 0);
    EXPECT_EQ(shown(0), (Names{"A.DOC", "B.DOC", "C.DOC"}));
    press(0, 1);  // column 1 remembers it went up
    EXPECT_EQ(shown(0), (Names{"A.DOC", "C.DOC", "B.DOC"}));
    press(0, 2);  // the folder column sorts by the folder
    EXPECT_EQ(shown(0), (Names{"C.DOC", "A.DOC", "B.DOC"}));
    EXPECT_EQ(editor->Data1.RecordSource(), sqlJobs + " ORDER BY Jobs.JobLocation;");
}

TEST_F(Editor, SearchFiltersAsTypedAndKeepsTheSort) {
    auto jobs = table("Jobs");
    for (const char* name : {"C:\\D\\ABC.DOC", "C:\\D\\XABCY.TXT", "C:\\D\\OTHER.TXT"})
        addJob(*jobs, name, db::Date{1}, false);
    jobs->AddNew();  // a row typed without a name
    jobs->set("JobLocation", std::string("C:\\D\\"));
    jobs->Update();
    open(sqlJobs);
    ASSERT_EQ(grid().Rows(), 6);
    press(0, 0);
    editor->Text1.Text("aBc");
    EXPECT_EQ(shown(0), (Names{"XABCY.TXT", "ABC.DOC"}));
    editor->Text1.Text("aBc[");  // no valid pattern yet: the rows stay
    EXPECT_EQ(shown(0), (Names{"XABCY.TXT", "ABC.DOC"}));
    editor->Text1.Text("say \"hi");  // a quote is looked for, not an end of the text
    EXPECT_EQ(grid().Rows(), 2);
    EXPECT_NE(editor->Data1.RecordSource().find("\"*say \"\"hi*\""), std::string::npos);
    editor->Text1.Text("");  // "**" still: the nameless row stays out
    EXPECT_EQ(shown(0), (Names{"XABCY.TXT", "OTHER.TXT", "ABC.DOC"}));
    EXPECT_TRUE(services.messages.empty());

    open(sqlFavorites);  // a new opening starts afresh
    EXPECT_EQ(editor->Text1.Text(), "");
    EXPECT_EQ(editor->Data1.RecordSource(), sqlFavorites + ";");
    EXPECT_TRUE(sortAsc[0]);
    EXPECT_FALSE(sortAsc[1]);
}

TEST_F(Editor, TypedRowsAreStoredUpperCasedWithTheUrlAsTyped) {
    open(sqlFavorites);
    clickAdd();  // an empty table: straight to the new-row line
    EXPECT_TRUE(grid().newRowLine(grid().Row()));
    type(L"my site");
    key(VK_RIGHT), key(VK_RIGHT);  // the box's caret; then the grid's cursor
    grid().SetFocus(), key(VK_RIGHT);
    type(L"http://Example.org/A");
    grid().SetFocus(), key(VK_RIGHT);
    type(L"news");
    key(VK_RETURN);
    auto favs = table("Favorites");
    ASSERT_EQ(favs->RecordCount(), 1);
    EXPECT_EQ(db::textOf(favs->get("FavName")), "MY SITE");
    EXPECT_EQ(db::textOf(favs->get("FavURL")), "http://Example.org/A");
    EXPECT_EQ(db::textOf(favs->get("FavKeywords")), "NEWS");
    EXPECT_EQ(grid().CellText(1, 0), "MY SITE");

    auto jobs = table("Jobs");
    addJob(*jobs, "C:\\D\\OLD.DOC", db::Date{1}, false);
    open(sqlJobs);
    clickAdd();  // below the last record
    EXPECT_EQ(grid().Row(), 2);
    EXPECT_TRUE(grid().newRowLine(2));
    type(L"letter.txt");
    editor->Text1.SetFocus();  // as Tab does: the row is stored on the way out
    jobs = table("Jobs");
    jobs->MoveLast();
    EXPECT_EQ(db::textOf(jobs->get("JobName")), "LETTER.TXT");
    EXPECT_EQ(jobs->get("JobDate"), db::Value(db::Date{std::floor(services.now())}));  // today, no time
}

TEST_F(Editor, AValueAFieldCannotTakeGivesOneMessage) {
    auto jobs = table("Jobs");
    addJob(*jobs, "C:\\D\\A.DOC", db::Date{45000.5}, false);
    open(sqlJobs);
    press(1, 1);
    type(L"hello");
    key(VK_RETURN);
    EXPECT_EQ(services.messages.size(), 1u);
    EXPECT_EQ(table("Jobs")->get("JobDate"), db::Value(db::Date{45000.5}));

    auto phone = table("Phone");
    addPhone(*phone, "SMITH", "EXT 1");
    open(sqlPhone);
    phoneBoxAction = [](Form1& box) {
        box.Text1.Text(std::string(300, 'a'));
        box.Image1_MouseDown(0, 1, 0, 0, 0);
    };
    SetTimer(nullptr, 0, 30, phoneBoxTimer);
    press(1, 0, WM_LBUTTONDBLCLK);
    EXPECT_EQ(services.messages.size(), 2u);
    EXPECT_EQ(db::textOf(table("Phone")->get("PName")), "SMITH");
}

TEST_F(Editor, DoubleClickOpensTheJobOrLinkOrEditsThePhoneEntry) {
    auto jobs = table("Jobs");
    addJob(*jobs, "C:\\DOCS\\A.DOC", db::Date{1}, false);
    jobs->AddNew();  // no full name to open
    jobs->set("JobName", std::string("B.DOC"));
    jobs->Update();
    open(sqlJobs);
    press(1, 0, WM_LBUTTONDBLCLK);
    openexplorer = false;
    press(1, 0, WM_LBUTTONDBLCLK);
    press(2, 0, WM_LBUTTONDBLCLK);
    press(0, 0, WM_LBUTTONDBLCLK);  // the header
    press(3, 0, WM_LBUTTONDBLCLK);  // the new-row line
    EXPECT_EQ(services.commands, (Names{"Explorer /select, C:\\DOCS\\A.DOC"}));
    EXPECT_EQ(services.opened, (Names{"C:\\DOCS\\A.DOC"}));

    auto phone = table("Phone");
    addPhone(*phone, "SMITH JOHN", "EXT 1");
    open(sqlPhone);
    std::string seen;
    phoneBoxAction = [&](Form1& box) {
        seen = box.Text1.Text() + "|" + box.Text2.Text();
        box.Image2_MouseDown(0, 1, 0, 0, 0);  // Cancel
    };
    SetTimer(nullptr, 0, 30, phoneBoxTimer);
    press(1, 0, WM_LBUTTONDBLCLK);
    EXPECT_EQ(seen, "SMITH JOHN|EXT 1");
    EXPECT_EQ(grid().CellText(1, 0), "SMITH JOHN");
    phoneBoxAction = [](Form1& box) {
        box.Text1.Text("smith jane");
        box.Image1_MouseDown(0, 1, 0, 0, 0);
    };
    SetTimer(nullptr, 0, 30, phoneBoxTimer);
    press(1, 0, WM_LBUTTONDBLCLK);
    EXPECT_EQ(grid().CellText(1, 0), "SMITH JANE");
    EXPECT_EQ(db::textOf(table("Phone")->get("PName")), "SMITH JANE");
}

TEST_F(Editor, DeleteTakesTheCurrentRecordOnly) {
    auto phone = table("Phone");
    for (const char* name : {"A", "B", "C"}) addPhone(*phone, name, "1");
    open(sqlPhone);
    press(3, 0);
    clickDelete();  // the last row: the cursor goes to the new last one
    EXPECT_EQ(shown(0), (Names{"A", "B"}));
    EXPECT_EQ(grid().Row(), 2);
    press(3, 0);
    clickDelete();  // the new-row line: nothing
    EXPECT_EQ(shown(0), (Names{"A", "B"}));
    press(1, 0);
    clickDelete();
    clickDelete();
    clickDelete();  // an empty table: nothing
    EXPECT_EQ(grid().Rows(), 2);
    EXPECT_EQ(table("Phone")->RecordCount(), 0);
    EXPECT_TRUE(services.messages.empty());
}

TEST_F(Editor, ADatabaseThatCannotBeOpenedLeavesAnIdleEmptyGrid) {
    myDBname = dir.file("missing.mdb");
    open(sqlJobs);
    EXPECT_EQ(services.messages.size(), 1u);
    clickAdd();
    clickDelete();
    editor->Text1.Text("x");
    editor->DBGrid1_HeadClick(0);
    type(L"typed");
    EXPECT_EQ(grid().Rows(), 1);
    EXPECT_EQ(services.messages.size(), 1u);
}

TEST_F(Editor, ColumnsFollowTheWindow) {
    open(sqlJobs);
    auto widths = [&] {
        std::vector<int> w;
        for (int c = 0; c < 5; ++c) w.push_back(grid().Columns(c).Width());
        return w;
    };
    const int inner = grid().Width() - grid().ScrollBarWidth();
    const int half = int(std::lround((inner - 143 - 32) * 0.5));
    EXPECT_EQ(widths(), (std::vector<int>{half, 143, half, 0, 0}));
    EXPECT_EQ(grid().Width(), editor->ScaleWidth());
    EXPECT_EQ(editor->Data1.Top(), grid().Height());
    EXPECT_EQ(editor->Picture1.Top() + editor->Picture1.Height(), editor->ScaleHeight());

    editor->Width(editor->Width() + 3000);
    EXPECT_EQ(widths()[1], 143);
    EXPECT_NEAR(widths()[0], half + 1500, 15);
}

TEST_F(Editor, TheBarsStayInsideTheSmallestWindowAndComeBackAfterMinimising) {
    open(sqlFavorites);
    auto barsInside = [&] {
        RECT client;
        GetClientRect(editor->hWnd(), &client);
        for (HWND bar : {editor->Data1.hWnd(), editor->Picture1.hWnd(), editor->Picture2.hWnd()}) {
            RECT r;
            GetWindowRect(bar, &r);
            MapWindowPoints(nullptr, editor->hWnd(), reinterpret_cast<POINT*>(&r), 2);
            if (r.left < 0 || r.top < 0 || r.right > client.right || r.bottom > client.bottom) return false;
        }
        return editor->Data1.Top() == grid().Height() &&
               editor->Picture1.Top() + editor->Picture1.Height() == editor->ScaleHeight();
    };
    editor->Move(editor->Left(), editor->Top(), 1500, 1500);  // far below what the bars need
    EXPECT_EQ(editor->ScaleWidth(), editor->Picture1.Width());
    EXPECT_EQ(editor->ScaleHeight(), 2 * 240 + editor->Data1.Height() + editor->Picture1.Height());
    EXPECT_TRUE(barsInside());
    EXPECT_EQ(editor->Picture2.Width(), 0);

    const int gridHeight = grid().Height();
    ShowWindow(editor->hWnd(), SW_MINIMIZE);
    editor->formatGrid();
    EXPECT_EQ(grid().Height(), gridHeight);
    ShowWindow(editor->hWnd(), SW_RESTORE);
    editor->Width(editor->Width() + 3000);
    EXPECT_TRUE(barsInside());
    EXPECT_EQ(editor->Picture2.Width(), 3000);
}

}  // namespace
