#pragma once
// DataGrid: the editable grid, bound to a DataControl. A header row of field names, a row per record of
// the data control's recordset (read on demand, only the rows on screen) and, below the last record, the
// new-row line, where typing adds a record. The grid never deletes records.
//
// A cell is edited in place, in a box over it: typing starts it with the key typed, F2 with the cell's
// text. Enter, Tab, the arrows up and down, a click elsewhere or the focus leaving the grid commit the
// box; Esc cancels it, and a second Esc drops the row's other changes. The changes of a row are stored
// when the cursor leaves the row, on Enter, and when the focus leaves the grid for another control of
// its window. An empty cell stores Null. A value the field cannot take is refused with the engine's
// message, once, and the record keeps what it had. After a store AfterUpdate is raised, and for a new
// record then AfterInsert, with that record current.
//
// The grid's current record is the recordset's: moving the cursor moves the recordset (the new-row line
// is past its end). After the program moves, adds or deletes records through the recordset,
// DataControl::UpdateControls brings the grid there; DataControl::UpdateRecord stores the row being
// edited.
//
// Rows: 0 is the header, 1 to Rows() - 2 the records, Rows() - 1 the new-row line (a grid without a
// recordset has the header alone). Positions and widths in twips; colours with blue in the high byte.
#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/controls/gridcore.h"
#include "platform/db/db.h"
#include "platform/forms/form.h"
#include "platform/win/gdi.h"

namespace qs::controls {

class DataControl;

class DataGrid : public forms::Control, private detail::GridCore {
public:
    DataGrid(forms::Container& parent, int left, int top, int width, int height);
    ~DataGrid() override;

    // One column of the grid, by index from 0 (a column a field of the query).
    class Column {
    public:
        int Width() const;      // twips
        void Width(int twips);  // 0 hides the column; below 0 counts as 0
        std::string Caption() const;
        // The current row's value: what was typed in it and not stored yet, else the record's (Null on
        // the new-row line).
        db::Value Value() const;

    private:
        friend class DataGrid;
        Column(DataGrid& grid, int index) : grid_(grid), index_(index) {}
        DataGrid& grid_;
        int index_;
    };
    // Error 9 for an index outside the columns.
    Column Columns(int index);
    int ColumnCount() const { return cols_; }

    uint32_t ForeColor() const { return foreColor_; }
    void ForeColor(uint32_t colour);
    uint32_t BackColor() const { return backColor_; }
    void BackColor(uint32_t colour);
    // The vertical scroll bar is always there (disabled while every row fits): its width, in twips.
    int ScrollBarWidth() const;

    int Rows() const { return rows_; }
    int TopRow() const { return topRow_; }
    void TopRow(int row);  // clamped to the rows
    int Row() const { return row_; }
    int Col() const { return col_; }
    // Moves the cursor as a click would: the row left behind is stored first.
    void Row(int row);
    void Col(int col);
    bool newRowLine(int row) const { return hasNewRow() && row == rows_ - 1; }
    // What a cell shows, typing not stored yet included.
    std::string CellText(int row, int col) const;
    // The edit box while a cell is being edited (null otherwise).
    HWND editWindow() const;

    // Events. HeadClick: a press on a column's header. DblClick: a double click on a record (not on the
    // header, the new-row line or below the rows), after the cursor went there.
    std::function<void(int col)> onHeadClick;
    std::function<void()> onDblClick;
    std::function<void()> onAfterInsert;
    std::function<void()> onAfterUpdate;

protected:
    HWND createWindow(HWND parent, const RECT& pixels) override;
    bool processMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    void windowDestroyed() override;

private:
    friend class DataControl;
    class CellEdit;

    // The shared core's hooks.
    HWND gridWindow() const override { return hWnd(); }
    std::string cellText(int row, int col) const override;
    CellPaint cellPaint(int row, int col) const override;
    void decorateRow(HDC dc, int row, const RECT& band) override;
    void scrolled() override;
    Frame frame() const override;
    void resized() override;

    // From the data control.
    void reload(std::shared_ptr<db::Recordset> rs);
    void followRecordset();  // UpdateControls
    bool storeRow();         // UpdateRecord

    bool hasNewRow() const { return rs_ != nullptr; }
    int firstShownColumn() const;
    int nextShownColumn(int from, int step) const;  // -1 when there is none that way
    void moveTo(int row, int col);
    void setCurrent(int row, int col);
    void beginEdit(const std::wstring* typed);
    void commitEdit(bool focusGrid);
    void cancelEdit();
    void placeEdit();
    void dropPending();
    void editLostFocus(HWND to);
    void keyDown(WPARAM key);
    void mouseDown(LPARAM lp, bool doubleClick);
    void vscroll(WPARAM wp);
    void updateScrollBar();
    HBRUSH editBrush();

    std::shared_ptr<db::Recordset> rs_;
    DataControl* binder_ = nullptr;  // told when the grid goes
    std::vector<std::string> captions_;
    uint32_t foreColor_, backColor_;
    // Typed into the pending row and not stored yet, per column (nullopt: unchanged).
    std::vector<std::optional<std::string>> pending_;
    int pendingRow_ = -1;
    unsigned generation_ = 0;  // counts reloads, so code after an event sees whether one came
    bool storing_ = false;
    std::unique_ptr<CellEdit> edit_;
    bool editing_ = false;
    bool closingEdit_ = false;  // the box is being hidden: its focus loss is no commit
    win::UniqueBrush editBrush_;
    uint32_t editBrushColour_ = 0xFFFFFFFF;
};

}  // namespace qs::controls
