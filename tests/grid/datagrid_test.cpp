// The editable grid through its window on a real database: editing in place and storing rows, the
// new-row line, refused values, its events, scrolling, and the data control's bar and calls.
#include <gtest/gtest.h>
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "gridtest.h"
#include "platform/controls/databar.h"
#include "platform/controls/datagrid.h"
#include "platform/runtime/services.h"
#include "tests/support/files.h"
#include "tests/support/testdb.h"

using qs::controls::DataBar;
using qs::controls::DataGrid;
using namespace gridtest;
namespace db = qs::db;

namespace {

const char kJobsQuery[] = "SELECT Jobs.JobName, Jobs.JobDate, Jobs.JobLocation FROM Jobs;";

struct Messages : qs::rt::Services {
    Messages() { qs::rt::setServices(this); }
    ~Messages() override { qs::rt::setServices(nullptr); }
    int msgBox(const std::string& text, int, const std::string&) override { return texts.push_back(text), IDOK; }
    std::vector<std::string> texts;
};

class DataGridTest : public ::testing::Test {
protected:
    void SetUp() override {
        path = dir.file("jobs.mdb");
        qs::test::createProgramDatabase(path);
        qs::test::Seed seed(path);
        for (int i = 0; i < 3; ++i) seed.job("C:\\D\\JOB " + std::to_string(i), db::Date{45000.0 + i});
        seed.commit();
        host.Move(0, 0, 9000, 6000);
        host.Show();
        data.bind(grid);
        data.DatabaseName(path);
        data.RecordSource(kJobsQuery);
        data.Refresh();
        for (int c = 0; c < 3; ++c) grid.Columns(c).Width(1500);  // 100 pixels each
        grid.onAfterUpdate = [this] { events += "U"; };
        grid.onAfterInsert = [this] { events += "I" + std::to_string(data.Recordset()->AbsolutePosition()); };
        grid.onHeadClick = [this](int col) { events += "H" + std::to_string(col); };
        grid.onDblClick = [this] { events += "D" + std::to_string(grid.Row()); };
        grid.SetFocus();
    }
    void TearDown() override { data.Database()->Close(); }
    // A left press (or double click) at the centre of a cell shown now.
    void click(int row, int col, bool twice = false) {
        LPARAM p = at(col * 100 + 50, row == 0 ? 8 : 16 * (row - grid.TopRow() + 1) + 8);
        SendMessageW(grid.hWnd(), twice ? WM_LBUTTONDBLCLK : WM_LBUTTONDOWN, MK_LBUTTON, p);
        SendMessageW(grid.hWnd(), WM_LBUTTONUP, 0, p);
    }
    // Typed as the user types: the first key opens the box over the current cell.
    void type(const std::wstring& text) {
        for (wchar_t c : text) SendMessageW(grid.editWindow() ? grid.editWindow() : grid.hWnd(), WM_CHAR, c, 1);
    }
    void key(int vk) { SendMessageW(grid.editWindow() ? grid.editWindow() : grid.hWnd(), WM_KEYDOWN, vk, 1); }
    std::vector<std::string> stored(int col) {
        auto d = db::Engine::OpenDatabase(path);
        auto rs = d->OpenRecordset(kJobsQuery);
        std::vector<std::string> out;
        for (long r = 0; r < rs->RecordCount(); ++r) out.push_back(db::textOf(rs->at(r, col)));
        d->Close();
        return out;
    }

    qs::test::TempDir dir{"datagrid"};
    std::string path;
    Messages messages;
    qs::forms::Form host;
    DataGrid grid{host, 0, 0, 6000, 4000};
    DataBar data{host, 0, 4000, 6000, 330};
    std::string events;
};

TEST_F(DataGridTest, TypingOnTheNewRowLineAddsARecordOnEnter) {
    ASSERT_EQ(grid.Rows(), 5);  // header, three records, the new-row line
    click(4, 0);
    EXPECT_TRUE(grid.newRowLine(grid.Row()));
    EXPECT_TRUE(data.Recordset()->isEOF());
    type(L"new");
    ASSERT_NE(grid.editWindow(), nullptr);
    key(VK_RETURN);
    EXPECT_EQ(grid.editWindow(), nullptr);
    EXPECT_EQ(events, "UI3");  // after the store, with the new record current
    EXPECT_EQ(grid.Rows(), 6);
    EXPECT_EQ(grid.Row(), 4);
    EXPECT_EQ(grid.CellText(4, 0), "new");
    EXPECT_EQ(stored(0), (std::vector<std::string>{"JOB 0", "JOB 1", "JOB 2", "new"}));
    EXPECT_EQ(stored(2)[3], "");  // a cell left empty stores Null

    // Cells of a row are kept until the cursor leaves the row; then the row is stored once.
    events.clear();
    click(2, 0);
    key(VK_F2);
    type(L"X");   // F2 keeps the text: "JOB 1X"
    click(2, 2);  // the box commits, the row is not left
    type(L"E:\\");
    key(VK_DOWN);  // commits and leaves the row
    EXPECT_EQ(events, "U");
    EXPECT_EQ(stored(0)[1], "JOB 1X");
    EXPECT_EQ(stored(2)[1], "E:\\");
    EXPECT_EQ(grid.Row(), 3);
    EXPECT_EQ(data.Recordset()->AbsolutePosition(), 2);
}

TEST_F(DataGridTest, EscCancelsTheBoxThenTheRow) {
    click(1, 0);
    type(L"gone");
    key(VK_ESCAPE);  // the box: the cell shows what it had
    EXPECT_EQ(grid.editWindow(), nullptr);
    EXPECT_EQ(grid.CellText(1, 0), "JOB 0");
    type(L"kept");
    grid.SetFocus();  // the box commits into the row
    EXPECT_EQ(grid.CellText(1, 0), "kept");
    key(VK_ESCAPE);  // the row's changes go
    EXPECT_EQ(grid.CellText(1, 0), "JOB 0");
    click(3, 0);
    EXPECT_EQ(events, "");
    EXPECT_EQ(stored(0)[0], "JOB 0");
}

TEST_F(DataGridTest, AValueTheFieldCannotTakeIsRefusedOnce) {
    click(2, 1);
    type(L"hello");  // into JobDate
    key(VK_RETURN);
    ASSERT_EQ(messages.texts.size(), 1u);
    EXPECT_EQ(messages.texts[0], "Data type conversion error.");
    EXPECT_EQ(grid.CellText(2, 1), stored(1)[1]);
    EXPECT_NE(stored(1)[1], "hello");

    click(4, 0);
    type(std::wstring(256, L'w'));
    click(1, 0);  // leaving the new-row line stores it
    EXPECT_EQ(messages.texts.size(), 2u);
    EXPECT_EQ(grid.Rows(), 5);
    EXPECT_EQ(stored(0).size(), 3u);
    EXPECT_EQ(events, "");
    EXPECT_EQ(grid.Row(), 1);
}

TEST_F(DataGridTest, HeaderPressesAndDoubleClicksOnRecordsOnly) {
    click(0, 2);
    click(2, 1, true);
    EXPECT_EQ(events, "H2D2");
    events.clear();
    click(0, 1, true);                                                     // the header's second press
    click(4, 0, true);                                                     // the new-row line
    SendMessageW(grid.hWnd(), WM_LBUTTONDBLCLK, MK_LBUTTON, at(50, 200));  // below the rows
    EXPECT_EQ(events, "");
}

TEST_F(DataGridTest, ScrollsByItsBarAndFollowsTheRecordset) {
    {
        qs::test::Seed seed(path);
        for (int i = 3; i < 500; ++i) seed.job("C:\\D\\JOB " + std::to_string(i), db::Date{45000.0});
        seed.commit();
    }
    data.Refresh();
    const int page = 4000 / 15 / 16 - 1;  // whole rows under the header
    SendMessageW(grid.hWnd(), WM_VSCROLL, SB_PAGEDOWN, 0);
    EXPECT_EQ(grid.TopRow(), 1 + page);
    EXPECT_EQ(GetScrollPos(grid.hWnd(), SB_VERT), 1 + page);
    SendMessageW(grid.hWnd(), WM_VSCROLL, SB_BOTTOM, 0);
    EXPECT_EQ(grid.TopRow(), 502 - page);  // the new-row line at the bottom

    // The program moves the recordset, the data control tells the grid.
    data.Recordset()->AbsolutePosition(199);
    data.UpdateControls();
    EXPECT_EQ(grid.Row(), 200);
    EXPECT_LE(grid.TopRow(), 200);
    EXPECT_GT(grid.TopRow() + page, 200);
    data.Recordset()->Delete();
    data.Recordset()->MoveLast();
    data.UpdateControls();
    EXPECT_EQ(grid.Rows(), 501);
    EXPECT_EQ(grid.Row(), 499);

    // The bar's arrows, from the middle.
    data.Recordset()->AbsolutePosition(10);
    data.move(DataBar::Next);
    EXPECT_EQ(grid.Row(), 12);
    data.move(DataBar::First);
    EXPECT_EQ(grid.Row(), 1);
    data.move(DataBar::Previous);
    EXPECT_EQ(grid.Row(), 1);
    data.move(DataBar::Last);
    EXPECT_EQ(grid.Row(), 499);
}

}  // namespace
