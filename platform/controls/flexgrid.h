#pragma once
// FlexGrid: the list grid. A control of a form (or picture box), owner-drawn, that shows a header row
// (row 0) and data rows either from a bound source (a DataControl's query, read on demand) or from texts
// the program puts in. Only the visible rows are ever drawn or read, so 100,000-row lists stay fast.
//
// Coordinates, sizes and column widths are in twips (1440 per inch; 15 per pixel at 96 dpi).
// Colours are 32-bit values with blue in the high byte: blue * 65536 + green * 256 + red.
//
// Errors (qs::rt::Error): 30009 "Invalid Row value" and 30010 "Invalid Col value" for a row or column
// outside the grid given to Row, Col, RowSel, ColSel; 9 "Subscript out of range" for a cell or column
// outside the grid given to TextMatrix or ColWidth; a bound cell that cannot be read passes on the
// engine's qs::db::DbError.
#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/controls/gridcore.h"
#include "platform/forms/form.h"

namespace qs::controls {

class DataControl;

// What a bound grid reads. Record r of the source is shown in grid row r + 1.
class GridSource {
public:
    virtual ~GridSource() = default;
    virtual long recordCount() = 0;
    virtual int fieldCount() = 0;
    virtual std::string fieldName(int field) = 0;
    virtual std::string text(long record, int field) = 0;  // Boolean "True"/"False", Null ""
};

// Its window is made when the container loads; position, Visible and SetFocus are those of every
// control. An event handler that throws is reported and the grid goes on. Rows, widths, scrolling,
// hit-testing and painting are the grids' shared core.
class FlexGrid : public forms::Control, private detail::GridCore {
public:
    // Skin colours (blue in the high byte).
    static constexpr uint32_t kRowColour = 0xA69244;         // #4492A6
    static constexpr uint32_t kHeaderColour = 0x80633B;      // #3B6380
    static constexpr uint32_t kHeaderTextColour = 0xFFC675;  // #75C6FF

    FlexGrid(forms::Container& parent, int left, int top, int width, int height);
    ~FlexGrid() override;

    // Row 0 is the header; with no bound source the grid holds Rows x Cols texts put by the program.
    int Rows() const { return rows_; }
    void Rows(int count);  // unbound grids only (Error 5 on a bound grid); at least 1
    int Cols() const { return cols_; }
    void Cols(int count);  // unbound grids only; at least 1

    // First data row shown under the header. A put is clamped to the data rows (1 to Rows - 1) and
    // ignored when the grid has none; a reload puts the grid back at row 1.
    int TopRow() const { return topRow_; }
    void TopRow(int row);

    // The selection runs from (Row, Col) to (RowSel, ColSel); (Row, Col) is the active cell.
    // Putting Row also puts RowSel, putting Col also puts ColSel, so a block is selected by putting
    // Row and Col first. SelChange follows every put that changes the selection.
    int Row() const { return row_; }
    void Row(int row);
    int Col() const { return col_; }
    void Col(int col);
    int RowSel() const { return rowSel_; }
    void RowSel(int row);
    int ColSel() const { return colSel_; }
    void ColSel(int col);

    // Cell under the pointer at the last mouse message; the header row is 0. Below the last row
    // MouseRow is -1, no row (a press there selects nothing); past the last column MouseCol is the
    // last one. Hidden columns are never under the pointer.
    int MouseRow() const { return mouseRow_; }
    int MouseCol() const { return mouseCol_; }

    // Text of a cell. Bound data cells are read from the source on demand; a put overrides the cell
    // until the next reload.
    std::string TextMatrix(int row, int col) const;
    void TextMatrix(int row, int col, const std::string& text);

    // Background of the active cell (Row, Col). Cleared by a reload.
    uint32_t CellBackColor() const;
    void CellBackColor(uint32_t colour);

    // The background of a data cell that has no CellBackColor of its own, asked for while painting the
    // rows on screen (and by CellBackColor's get), so that colours follow the data without being
    // pushed row by row. Unset: the row colour.
    std::function<uint32_t(int row, int col)> onCellBackColor;

    int ColWidth(int col) const;        // twips
    void ColWidth(int col, int twips);  // 0 hides the column

    bool Redraw() const { return redraw_; }
    void Redraw(bool on);  // False: no painting at all until True again
    void Refresh();        // repaint now (when Redraw is True)

    // Binding: the data control calls this after every query. Rows and Cols follow the source, the
    // header row takes the field names, cell texts and colours put before are dropped, the grid
    // scrolls to row 1 and selects the first data row (row 0 when there is none); SelChange follows.
    // nullptr unbinds and empties the grid.
    void reload(std::shared_ptr<GridSource> source);
    bool bound() const { return source_ != nullptr; }

    // Events. Buttons: 1 left, 2 right, 4 middle; shift: 1 Shift, 2 Ctrl, 4 Alt; x, y in twips.
    std::function<void(int keyCode, int shift)> onKeyDown;
    std::function<void(int button, int shift, float x, float y)> onMouseDown;
    std::function<void(int button, int shift, float x, float y)> onMouseUp;
    std::function<void(int button, int shift, float x, float y)> onMouseMove;
    std::function<void()> onDblClick;
    std::function<void()> onSelChange;

protected:
    HWND createWindow(HWND parent, const RECT& pixels) override;
    bool processMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

private:
    friend class DataControl;

    // The shared core's hooks.
    HWND gridWindow() const override { return hWnd(); }
    std::string cellText(int row, int col) const override;
    CellPaint cellPaint(int row, int col) const override;
    Frame frame() const override;
    void selectionChanged() override;

    void checkRow(int row) const;
    void checkCol(int col) const;
    void mouseEvent(UINT msg, WPARAM wp, LPARAM lp);
    void keyDown(WPARAM key);
    uint32_t cellBackColour(int row, int col) const;

    std::shared_ptr<GridSource> source_;
    DataControl* binder_ = nullptr;  // the data control bound to this grid, told when the grid goes
    int mouseRow_ = 0, mouseCol_ = 0;
    bool dragging_ = false;  // left button held after a press on a data row
    std::vector<std::string> header_;
    std::unordered_map<uint64_t, std::string> texts_;  // data cells put by the program
    std::vector<std::vector<uint32_t>> colours_;       // per column, per row; empty = no colour set
};

}  // namespace qs::controls
