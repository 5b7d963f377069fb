// The grid on its own: selection and SelChange, scrolling, cell texts and colours, column widths,
// painting under Redraw, and the events of real mouse and key messages.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <vector>

#include "gridtest.h"
#include "platform/controls/flexgrid.h"
#include "platform/runtime/errors.h"
#include "tests/support/pump.h"

using qs::controls::FlexGrid;
using qs::controls::GridSource;
using namespace gridtest;

namespace {

// Rows read on demand, counting the reads; record r, field f reads "r:f".
class CountingSource : public GridSource {
public:
    explicit CountingSource(long records, int fields = 5) : records_(records), fields_(fields) {}
    long recordCount() override { return records_; }
    int fieldCount() override { return fields_; }
    std::string fieldName(int f) override { return "F" + std::to_string(f); }
    std::string text(long r, int f) override {
        ++reads;
        if (f == 4) return r % 3 == 0 ? "True" : "False";
        return std::to_string(r) + ":" + std::to_string(f);
    }
    long reads = 0;

private:
    long records_;
    int fields_;
};

int px(int twips) {
    HDC dc = GetDC(nullptr);
    int dpi = GetDeviceCaps(dc, LOGPIXELSY);
    ReleaseDC(nullptr, dc);
    return MulDiv(twips, dpi, 1440);
}

constexpr int kRowTw = 240;  // the grid's row height

class GridTest : public ::testing::Test {
protected:
    void SetUp() override {
        grid.create();
        grid.onSelChange = [this] { ++selChanges; };
    }
    // Centre of a cell as shown now (row relative to TopRow; columns of the default width or as set).
    POINT cellCentre(int row, int col) const {
        int x = 0;
        for (int c = 0; c < col; ++c) x += px(grid.ColWidth(c));
        int y = row == 0 ? 0 : px(kRowTw) * (row - grid.TopRow() + 1);
        return {x + px(grid.ColWidth(col)) / 2, y + px(kRowTw) / 2};
    }
    void send(UINT msg, WPARAM wp, POINT p) { SendMessageW(grid.hWnd(), msg, wp, at(p.x, p.y)); }

    FlexGrid grid{sharedHost(), 0, 0, 6000, 4500};  // 400 x 300 pixels at 96 dpi
    int selChanges = 0;
};

TEST_F(GridTest, SelectionPutsFollowTheGridsRules) {
    grid.Rows(10);
    grid.Cols(4);
    selChanges = 0;

    grid.Row(3);  // Row brings RowSel along, Col brings ColSel along
    EXPECT_EQ(grid.RowSel(), 3);
    grid.Col(1);
    EXPECT_EQ(grid.ColSel(), 1);
    grid.RowSel(6);
    grid.ColSel(3);
    EXPECT_EQ(grid.Row(), 3);
    EXPECT_EQ(grid.Col(), 1);
    EXPECT_EQ(grid.RowSel(), 6);
    EXPECT_EQ(grid.ColSel(), 3);
    EXPECT_EQ(selChanges, 4);

    grid.RowSel(6);  // no change, no event
    grid.Col(1);     // ColSel goes back to 1: a change
    EXPECT_EQ(selChanges, 5);
    EXPECT_EQ(grid.ColSel(), 1);

    // A selection made bottom-up stays as put.
    grid.Row(8);
    grid.RowSel(2);
    EXPECT_EQ(grid.Row(), 8);
    EXPECT_EQ(grid.RowSel(), 2);

    // Painting suspended or not, every change is reported.
    grid.Redraw(false);
    int before = selChanges;
    for (int r = 1; r < 10; ++r) grid.Row(r);
    EXPECT_EQ(selChanges, before + 9);
    grid.Redraw(true);
}

TEST_F(GridTest, SelectionOutsideTheGridIsRefused) {
    grid.Rows(5);
    grid.Cols(2);
    grid.Row(2);
    selChanges = 0;
    for (int bad : {-1, 5, 100}) {
        try {
            grid.Row(bad);
            ADD_FAILURE() << "Row " << bad;
        } catch (const qs::rt::Error& e) {
            EXPECT_EQ(e.number, 30009);
        }
        EXPECT_THROW(grid.RowSel(bad), qs::rt::Error);
    }
    try {
        grid.Col(2);
        ADD_FAILURE();
    } catch (const qs::rt::Error& e) {
        EXPECT_EQ(e.number, 30010);
    }
    EXPECT_THROW(grid.ColSel(-1), qs::rt::Error);
    EXPECT_EQ(grid.Row(), 2);
    EXPECT_EQ(selChanges, 0);

    try {
        (void)grid.TextMatrix(5, 0);
        ADD_FAILURE();
    } catch (const qs::rt::Error& e) {
        EXPECT_EQ(e.number, 9);
    }
    EXPECT_THROW(grid.TextMatrix(0, 2, "x"), qs::rt::Error);
    EXPECT_THROW((void)grid.ColWidth(2), qs::rt::Error);
    EXPECT_THROW(grid.ColWidth(-1, 100), qs::rt::Error);
}

TEST_F(GridTest, ShrinkingTheGridPullsTheSelectionIn) {
    grid.Rows(10);
    grid.Row(9);
    grid.TopRow(8);
    selChanges = 0;
    grid.Rows(4);
    EXPECT_EQ(grid.Row(), 3);
    EXPECT_EQ(grid.RowSel(), 3);
    EXPECT_EQ(grid.TopRow(), 3);
    EXPECT_EQ(selChanges, 1);
    EXPECT_THROW(grid.Rows(0), qs::rt::Error);
}

TEST_F(GridTest, TopRowIsClampedToTheDataRows) {
    grid.Rows(10);
    grid.TopRow(4);
    EXPECT_EQ(grid.TopRow(), 4);
    grid.TopRow(50);  // the last row at the top
    EXPECT_EQ(grid.TopRow(), 9);
    grid.TopRow(0);  // the header row never scrolls
    EXPECT_EQ(grid.TopRow(), 1);
    grid.TopRow(-7);
    EXPECT_EQ(grid.TopRow(), 1);

    // A grid without data rows keeps its TopRow.
    grid.reload(std::make_shared<CountingSource>(0));
    EXPECT_EQ(grid.Rows(), 1);
    grid.TopRow(5);
    EXPECT_EQ(grid.TopRow(), 1);
}

TEST_F(GridTest, ReloadTakesTheSourceAndReportsTheSelection) {
    grid.Rows(3);
    grid.TextMatrix(1, 0, "kept?");
    grid.Row(2);
    grid.CellBackColor(0x0000FF);
    grid.ColWidth(0, 0);
    auto source = std::make_shared<CountingSource>(1000);
    selChanges = 0;
    int rowSeen = -1;
    grid.onSelChange = [&] {
        ++selChanges;
        rowSeen = grid.Row();
    };
    grid.reload(source);

    EXPECT_EQ(selChanges, 1);
    EXPECT_EQ(rowSeen, 1);
    EXPECT_EQ(grid.Rows(), 1001);
    EXPECT_EQ(grid.Cols(), 5);
    EXPECT_EQ(grid.TopRow(), 1);
    EXPECT_EQ(grid.Row(), 1);
    EXPECT_EQ(grid.RowSel(), 1);
    EXPECT_EQ(grid.Col(), 0);
    EXPECT_EQ(grid.ColSel(), 0);
    EXPECT_EQ(grid.TextMatrix(0, 3), "F3");
    EXPECT_EQ(grid.TextMatrix(1, 0), "0:0");  // the put text went with the old rows
    EXPECT_EQ(grid.TextMatrix(1000, 2), "999:2");
    grid.Row(2);
    EXPECT_EQ(grid.CellBackColor(), FlexGrid::kRowColour);
    EXPECT_EQ(grid.ColWidth(0), 0);  // widths are the program's, not the data's

    // The same selection after a reload still counts as a change: the rows are new.
    grid.Row(1);
    selChanges = 0;
    grid.reload(source);
    EXPECT_EQ(selChanges, 1);

    // An empty result leaves no current data row.
    grid.reload(std::make_shared<CountingSource>(0));
    EXPECT_EQ(selChanges, 2);
    EXPECT_EQ(grid.Row(), 0);
    EXPECT_EQ(grid.Rows(), 1);
    EXPECT_EQ(grid.TextMatrix(0, 1), "F1");

    // A bound grid takes its size from the data only.
    grid.reload(source);
    EXPECT_THROW(grid.Rows(5), qs::rt::Error);
    EXPECT_THROW(grid.Cols(5), qs::rt::Error);
}

TEST_F(GridTest, TextsPutOverrideBoundCellsUntilTheNextReload) {
    auto source = std::make_shared<CountingSource>(20);
    grid.reload(source);
    grid.TextMatrix(0, 0, "File Name");
    grid.TextMatrix(5, 1, "changed");
    EXPECT_EQ(grid.TextMatrix(0, 0), "File Name");
    EXPECT_EQ(grid.TextMatrix(5, 1), "changed");
    EXPECT_EQ(grid.TextMatrix(5, 2), "4:2");
    EXPECT_EQ(grid.TextMatrix(3, 4), "False");
    EXPECT_EQ(grid.TextMatrix(4, 4), "True");
    grid.reload(source);
    EXPECT_EQ(grid.TextMatrix(0, 0), "F0");
    EXPECT_EQ(grid.TextMatrix(5, 1), "4:1");
}

TEST_F(GridTest, OnlyTheVisibleRowsAreRead) {
    auto source = std::make_shared<CountingSource>(100000);
    grid.reload(source);
    grid.TopRow(50000);
    grid.Refresh();
    // 300 pixels hold the header and about 18 rows of 5 cells.
    EXPECT_GT(source->reads, 0);
    EXPECT_LT(source->reads, 20 * 5);
}

TEST_F(GridTest, CellColoursArePerCellAndPainted) {
    grid.Rows(6);
    grid.Cols(5);
    grid.Row(2);
    grid.Col(1);
    grid.CellBackColor(0xFFE169);  // #69E1FF
    grid.Row(3);
    grid.Col(0);
    grid.CellBackColor(0xA69244);
    grid.Row(2);
    grid.Col(1);
    EXPECT_EQ(grid.CellBackColor(), 0xFFE169u);
    grid.Col(2);
    EXPECT_EQ(grid.CellBackColor(), FlexGrid::kRowColour);
    grid.Row(0);
    EXPECT_EQ(grid.CellBackColor(), FlexGrid::kHeaderColour);

    // Row 0 is selected now, so rows 2 and 3 show their own colours.
    grid.Refresh();
    POINT a = cellCentre(2, 1), b = cellCentre(2, 2), c = cellCentre(3, 0);
    EXPECT_EQ(pixel(grid.hWnd(), a.x, a.y - 5), RGB(0x69, 0xE1, 0xFF));
    EXPECT_EQ(pixel(grid.hWnd(), b.x, b.y - 5), RGB(0x44, 0x92, 0xA6));
    EXPECT_EQ(pixel(grid.hWnd(), c.x, c.y - 5), RGB(0x44, 0x92, 0xA6));
    POINT h = cellCentre(0, 3);
    EXPECT_EQ(pixel(grid.hWnd(), h.x, h.y - 5), RGB(0x3B, 0x63, 0x80));
}

// Colours asked for while painting: only for the rows on screen, a cell's own colour wins over the
// answer, and CellBackColor reads what the cell shows.
TEST_F(GridTest, CellColoursAskedForAreThoseOfTheRowsPainted) {
    auto source = std::make_shared<CountingSource>(100000);
    grid.reload(source);
    colourJobsOnDemand(grid);  // record r is permanent when r % 3 == 0
    int lowest = 1 << 30, highest = 0;
    auto ask = grid.onCellBackColor;
    grid.onCellBackColor = [&](int row, int col) {
        lowest = std::min(lowest, row);
        highest = std::max(highest, row);
        return ask(row, col);
    };
    grid.TopRow(50000);
    grid.Row(50003);
    grid.Col(2);
    grid.CellBackColor(0x0000FF);
    grid.Row(0);
    grid.Refresh();
    EXPECT_GE(lowest, 50000);
    EXPECT_LT(highest, 50000 + 20);
    POINT light = cellCentre(50002, 1), dark = cellCentre(50003, 1), own = cellCentre(50003, 2);
    EXPECT_EQ(pixel(grid.hWnd(), light.x, light.y - 5), RGB(0x69, 0xE1, 0xFF));  // record 50001
    EXPECT_EQ(pixel(grid.hWnd(), dark.x, dark.y - 5), RGB(0x44, 0x92, 0xA6));
    EXPECT_EQ(pixel(grid.hWnd(), own.x, own.y - 5), RGB(0xFF, 0x00, 0x00));
    grid.Row(50002);
    grid.Col(1);
    EXPECT_EQ(grid.CellBackColor(), 0xFFE169u);
}

TEST_F(GridTest, NothingIsPaintedWhileRedrawIsFalse) {
    grid.Rows(6);
    grid.Cols(3);
    grid.Refresh();
    POINT p = cellCentre(4, 1);
    ASSERT_EQ(pixel(grid.hWnd(), p.x, p.y - 5), RGB(0x44, 0x92, 0xA6));

    grid.Redraw(false);
    grid.Row(4);
    grid.Col(1);
    grid.CellBackColor(0x0000FF);
    grid.Row(1);
    InvalidateRect(grid.hWnd(), nullptr, FALSE);
    qs::test::pumpPending();
    grid.Refresh();
    EXPECT_EQ(pixel(grid.hWnd(), p.x, p.y - 5), RGB(0x44, 0x92, 0xA6));

    grid.Redraw(true);
    EXPECT_EQ(pixel(grid.hWnd(), p.x, p.y - 5), RGB(0xFF, 0x00, 0x00));
}

TEST_F(GridTest, WidthZeroHidesAColumn) {
    grid.Rows(4);
    grid.Cols(4);
    grid.ColWidth(0, 1500);
    grid.ColWidth(1, 0);
    grid.ColWidth(2, 900);
    EXPECT_EQ(grid.ColWidth(0), 1500);
    EXPECT_EQ(grid.ColWidth(1), 0);
    grid.ColWidth(3, -1);  // back to the default
    EXPECT_GT(grid.ColWidth(3), 0);

    // Column 2 starts where column 1 would have been; the mouse never finds column 1.
    grid.Row(0);
    grid.Row(2);
    grid.Col(2);
    grid.CellBackColor(0x00FF00);
    grid.Row(0);
    grid.Refresh();
    int y = cellCentre(2, 0).y - 5;
    EXPECT_EQ(pixel(grid.hWnd(), px(1500) + 3, y), RGB(0x00, 0xFF, 0x00));
    send(WM_MOUSEMOVE, 0, {px(1500) + 2, y});
    EXPECT_EQ(grid.MouseCol(), 2);
    send(WM_MOUSEMOVE, 0, {px(1500) - 2, y});
    EXPECT_EQ(grid.MouseCol(), 0);
}

TEST_F(GridTest, MouseRowAndColFollowTheMouseMessages) {
    grid.Rows(40);
    grid.Cols(3);
    std::vector<std::string> seen;
    grid.onMouseMove = [&](int button, int shift, float x, float y) {
        seen.push_back(std::to_string(button) + "," + std::to_string(shift) + "," + std::to_string(int(x)) + "," +
                       std::to_string(int(y)) + " " + std::to_string(grid.MouseRow()) + "/" +
                       std::to_string(grid.MouseCol()));
    };
    int rh = px(kRowTw), cw = px(grid.ColWidth(0));
    send(WM_MOUSEMOVE, 0, {cw + 5, rh * 3 + 2});
    EXPECT_EQ(grid.MouseRow(), 3);
    EXPECT_EQ(grid.MouseCol(), 1);
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0], "0,0," + std::to_string((cw + 5) * 15) + "," + std::to_string((rh * 3 + 2) * 15) + " 3/1");

    send(WM_MOUSEMOVE, MK_LBUTTON | MK_CONTROL, {2, 2});
    EXPECT_EQ(grid.MouseRow(), 0);  // the header
    EXPECT_EQ(grid.MouseCol(), 0);
    EXPECT_EQ(seen.back().substr(0, 4), "1,2,");

    grid.TopRow(20);
    send(WM_MOUSEMOVE, 0, {5, rh * 2 + 1});
    EXPECT_EQ(grid.MouseRow(), 21);

    // Past the last column: the last one; below the last row: no row.
    grid.TopRow(38);
    send(WM_MOUSEMOVE, 0, {395, 290});
    EXPECT_EQ(grid.MouseRow(), -1);
    EXPECT_EQ(grid.MouseCol(), 2);
}

TEST_F(GridTest, LeftPressSelectsTheWholeRowBeforeMouseDown) {
    grid.Rows(10);
    grid.Cols(4);
    std::vector<std::string> events;
    grid.onSelChange = [&] { events.push_back("sel " + std::to_string(grid.Row())); };
    grid.onMouseDown = [&](int b, int, float, float) {
        events.push_back("down " + std::to_string(b) + " " + std::to_string(grid.MouseRow()));
    };
    grid.onMouseUp = [&](int b, int, float, float) { events.push_back("up " + std::to_string(b)); };
    grid.onDblClick = [&] { events.push_back("dbl " + std::to_string(grid.MouseRow())); };

    POINT p = cellCentre(4, 2);
    send(WM_LBUTTONDOWN, MK_LBUTTON, p);
    EXPECT_EQ(GetFocus(), grid.hWnd());
    send(WM_LBUTTONUP, 0, p);
    EXPECT_EQ((std::vector<std::string>{"sel 4", "down 1 4", "up 1"}), events);
    EXPECT_EQ(grid.RowSel(), 4);
    EXPECT_EQ(grid.Col(), 0);
    EXPECT_EQ(grid.ColSel(), 3);

    // The second press of a double click raises DblClick instead of MouseDown.
    events.clear();
    send(WM_LBUTTONDOWN, MK_LBUTTON, p);
    send(WM_LBUTTONUP, 0, p);
    send(WM_LBUTTONDBLCLK, MK_LBUTTON, p);
    send(WM_LBUTTONUP, 0, p);
    EXPECT_EQ((std::vector<std::string>{"down 1 4", "up 1", "dbl 4", "up 1"}), events);

    // The right button reports itself and leaves the selection.
    events.clear();
    POINT q = cellCentre(7, 1);
    send(WM_RBUTTONDOWN, MK_RBUTTON, q);
    send(WM_RBUTTONUP, 0, q);
    EXPECT_EQ((std::vector<std::string>{"down 2 7", "up 2"}), events);
    EXPECT_EQ(grid.Row(), 4);

    // Shift extends the selection from Row.
    events.clear();
    send(WM_LBUTTONDOWN, MK_LBUTTON | MK_SHIFT, cellCentre(6, 0));
    send(WM_LBUTTONUP, MK_SHIFT, cellCentre(6, 0));
    EXPECT_EQ(grid.Row(), 4);
    EXPECT_EQ(grid.RowSel(), 6);
}

TEST_F(GridTest, HeaderPressLeavesTheSelection) {
    grid.Rows(10);
    grid.Cols(3);
    grid.Row(5);
    selChanges = 0;
    int downRow = -1, downCol = -1;
    grid.onMouseDown = [&](int, int, float, float) {
        downRow = grid.MouseRow();
        downCol = grid.MouseCol();
    };
    POINT h = cellCentre(0, 2);
    send(WM_LBUTTONDOWN, MK_LBUTTON, h);
    send(WM_LBUTTONUP, 0, h);
    EXPECT_EQ(downRow, 0);
    EXPECT_EQ(downCol, 2);
    EXPECT_EQ(grid.Row(), 5);
    EXPECT_EQ(selChanges, 0);

    // A press below the last row is on no row and selects nothing, also with no data rows at all.
    grid.Rows(3);
    grid.Row(1);
    selChanges = 0;
    send(WM_LBUTTONDOWN, MK_LBUTTON, {5, 250});
    send(WM_LBUTTONUP, 0, {5, 250});
    EXPECT_EQ(downRow, -1);
    EXPECT_EQ(grid.Row(), 1);
    grid.Rows(1);
    send(WM_LBUTTONDOWN, MK_LBUTTON, {5, 250});
    send(WM_LBUTTONUP, 0, {5, 250});
    EXPECT_EQ(downRow, -1);
    EXPECT_EQ(grid.Row(), 0);
    EXPECT_EQ(selChanges, 1);  // Rows(1) took the selection to the header
}

TEST_F(GridTest, DraggingExtendsTheSelection) {
    grid.Rows(10);
    grid.Cols(2);
    send(WM_LBUTTONDOWN, MK_LBUTTON, cellCentre(2, 0));
    send(WM_MOUSEMOVE, MK_LBUTTON, cellCentre(3, 1));
    send(WM_MOUSEMOVE, MK_LBUTTON, cellCentre(4, 1));
    send(WM_LBUTTONUP, 0, cellCentre(4, 1));
    EXPECT_EQ(grid.Row(), 2);
    EXPECT_EQ(grid.RowSel(), 4);
    send(WM_MOUSEMOVE, 0, cellCentre(8, 1));  // button up: no more selecting
    EXPECT_EQ(grid.RowSel(), 4);
    send(WM_LBUTTONDOWN, MK_LBUTTON, cellCentre(2, 0));
    send(WM_MOUSEMOVE, MK_LBUTTON, {5, 250});  // below the last row: through the last row
    send(WM_LBUTTONUP, 0, {5, 250});
    EXPECT_EQ(grid.RowSel(), 9);
}

TEST_F(GridTest, KeysReachKeyDownThenMoveTheSelection) {
    grid.Rows(100);
    grid.Cols(3);
    grid.Row(1);
    std::vector<std::pair<int, int>> keys;
    int rowAtKey = -1;
    grid.onKeyDown = [&](int key, int shift) {
        keys.emplace_back(key, shift);
        rowAtKey = grid.Row();
    };
    SendMessageW(grid.hWnd(), WM_KEYDOWN, VK_DOWN, 0);
    EXPECT_EQ(rowAtKey, 1);
    EXPECT_EQ(grid.Row(), 2);

    BYTE state[256] = {};
    GetKeyboardState(state);
    state[VK_CONTROL] = 0x80;
    SetKeyboardState(state);
    SendMessageW(grid.hWnd(), WM_KEYDOWN, 'K', 0);
    state[VK_CONTROL] = 0;
    SetKeyboardState(state);
    ASSERT_EQ(keys.size(), 2u);
    EXPECT_EQ(keys[0], std::make_pair(40, 0));
    EXPECT_EQ(keys[1], std::make_pair(int('K'), 2));
    EXPECT_EQ(grid.Row(), 2);

    // Moving past the visible rows scrolls; End and Home go to the ends.
    SendMessageW(grid.hWnd(), WM_KEYDOWN, VK_END, 0);
    EXPECT_EQ(grid.Row(), 99);
    EXPECT_GT(grid.TopRow(), 80);
    EXPECT_LE(grid.TopRow(), 99);
    SendMessageW(grid.hWnd(), WM_KEYDOWN, VK_HOME, 0);
    EXPECT_EQ(grid.Row(), 1);
    EXPECT_EQ(grid.TopRow(), 1);
    SendMessageW(grid.hWnd(), WM_KEYDOWN, VK_UP, 0);
    EXPECT_EQ(grid.Row(), 1);
}

TEST_F(GridTest, WheelScrollsWithinTheRows) {
    grid.Rows(30);
    SendMessageW(grid.hWnd(), WM_MOUSEWHEEL, MAKEWPARAM(0, WORD(-WHEEL_DELTA)), at(10, 10));
    EXPECT_EQ(grid.TopRow(), 4);
    SendMessageW(grid.hWnd(), WM_MOUSEWHEEL, MAKEWPARAM(0, WORD(-WHEEL_DELTA * 20)), at(10, 10));
    int bottom = grid.TopRow();
    EXPECT_LT(bottom, 29);  // stops with the last row at the bottom
    EXPECT_GT(bottom, 4);
    SendMessageW(grid.hWnd(), WM_MOUSEWHEEL, MAKEWPARAM(0, WORD(WHEEL_DELTA * 20)), at(10, 10));
    EXPECT_EQ(grid.TopRow(), 1);
}

TEST_F(GridTest, VisibleAndFocus) {
    EXPECT_TRUE(grid.Visible());
    grid.Visible(false);
    EXPECT_FALSE(grid.Visible());
    EXPECT_FALSE(IsWindowVisible(grid.hWnd()));
    grid.Visible(true);
    EXPECT_TRUE(IsWindowVisible(grid.hWnd()));
    grid.SetFocus();
    EXPECT_EQ(GetFocus(), grid.hWnd());
}

// A grid of a form: its window is made when the form loads, where its twips say and hidden as put
// before; Move places it; a new load after an unload makes it again with what it held.
TEST(GridOfAForm, MadeMovedAndShownWithItsForm) {
    qs::forms::Form form;
    FlexGrid grid{form, 300, 450, 3000, 1500};
    grid.Rows(8);
    grid.Visible(false);
    form.Move(qs::forms::toTwips(700), 0, 6000, 4500);  // beside the shared host
    form.setTopmost(true);
    form.Show();
    ASSERT_NE(grid.hWnd(), nullptr);
    EXPECT_EQ(GetParent(grid.hWnd()), form.hWnd());
    EXPECT_FALSE(IsWindowVisible(grid.hWnd()));
    auto place = [&] {
        RECT r{};
        GetWindowRect(grid.hWnd(), &r);
        MapWindowPoints(nullptr, form.hWnd(), reinterpret_cast<POINT*>(&r), 2);
        return r;
    };
    EXPECT_EQ(place().left, px(300));
    EXPECT_EQ(place().top, px(450));
    EXPECT_EQ(place().right, px(3300));

    grid.Move(600, 900, 1500, 1200);
    grid.Visible(true);
    EXPECT_TRUE(IsWindowVisible(grid.hWnd()));
    EXPECT_EQ(place().left, px(600));
    EXPECT_EQ(place().bottom, px(2100));
    EXPECT_EQ(pixel(grid.hWnd(), 5, 5), RGB(0x3B, 0x63, 0x80));  // its header, painted

    form.Unload();
    EXPECT_EQ(grid.hWnd(), nullptr);
    form.Show();
    ASSERT_NE(grid.hWnd(), nullptr);
    EXPECT_EQ(grid.Rows(), 8);
    EXPECT_EQ(place().left, px(600));
    form.Unload();
}

TEST_F(GridTest, EventHandlerFaultsStayInTheHandler) {
    grid.Rows(5);
    grid.onMouseDown = [](int, int, float, float) { throw qs::rt::Error(5, "handler"); };
    send(WM_LBUTTONDOWN, MK_LBUTTON, cellCentre(2, 0));
    send(WM_LBUTTONUP, 0, cellCentre(2, 0));
    EXPECT_EQ(grid.Row(), 2);
    EXPECT_TRUE(IsWindow(grid.hWnd()));
}

// The main window's redraw of 100,000 jobs: reload, then four coloured cells per row with painting
// suspended. The benchmark gives the real numbers; this only guards against a slow path.
TEST_F(GridTest, FullRecolourOfABigListStaysFast) {
    auto source = std::make_shared<CountingSource>(100000);
    auto start = std::chrono::steady_clock::now();
    grid.Redraw(false);
    grid.reload(source);
    colourJobRows(grid);
    grid.Redraw(true);
    auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
    EXPECT_LT(ms.count(), 1000);
    grid.Row(4);  // record 3: permanent
    grid.Col(3);
    EXPECT_EQ(grid.CellBackColor(), 0xFFE169u);
    grid.Row(3);
    EXPECT_EQ(grid.CellBackColor(), 0xA69244u);
}

}  // namespace
