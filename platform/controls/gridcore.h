#pragma once
// What the list grid (FlexGrid) and the editable grid (DataGrid) share: rows of one height under a
// header row, columns of set widths (0 hides one), a first shown row, a selection, hit-testing, wheel
// scrolling, the painting of the rows on screen through a back buffer and the window messages they answer
// alike. Each grid keeps its own data and input rules and says through the hooks what a cell shows.
//
// Rows: 0 is the header, 1 to rows_ - 1 the others. Widths are twips; positions are the window's pixels.
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

namespace qs::controls::detail {

class GridCore {
protected:
    GridCore();
    virtual ~GridCore();
    GridCore(const GridCore&) = delete;
    GridCore& operator=(const GridCore&) = delete;

    // The grid's window (null before it is made and after it is gone).
    virtual HWND gridWindow() const = 0;

    // What a cell shows. Text that cannot be read (its data is gone) may throw: the cell stays blank.
    virtual std::string cellText(int row, int col) const = 0;
    struct CellPaint {
        COLORREF back;
        COLORREF text;
    };
    // Colours of a cell of a row other than the header.
    virtual CellPaint cellPaint(int row, int col) const = 0;
    // After a row is drawn: marks of the grid's own over the row's band (window pixels).
    virtual void decorateRow(HDC /*dc*/, int /*row*/, const RECT& /*band*/) {}
    // After the selection changed (setSelection) and after the first shown row changed (scrollTo).
    virtual void selectionChanged() {}
    virtual void scrolled() {}

    // The colours round the cells, asked for at each paint.
    struct Frame {
        COLORREF headerBack, headerText, line, headerLine, empty;
    };
    virtual Frame frame() const = 0;
    // After the window changed size, before the whole grid repaints.
    virtual void resized() {}

    // The messages both grids answer alike: no background to erase, the paint (put off while Redraw is
    // off), a resize, the arrows and characters asked of the dialog manager, the wheel. True when handled.
    bool gridMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result);

    // Screen resolution and fonts; before the window is made.
    void prepareGraphics();
    int px(int twips) const;        // twips to the window's pixels
    float twips(int pixels) const;  // and back
    int dpi() const;
    HFONT cellFont() const;  // the data rows' font

    int rowHeightPx() const;
    void layoutColumns() const;
    int columnLeft(int col) const;  // pixels; col == cols_ gives the right edge of the last column
    bool columnHidden(int col) const;
    int visibleDataRows() const;  // whole rows under the header, at least 1
    int maxScrollTop() const;
    void scrollTo(int row);
    void ensureVisible(int row);
    void wheelScroll(int notches);
    void invalidateAll();
    void invalidateRows(int first, int last);
    // The row and column under a point. The row is not clamped: below the last row it is rows_ or more,
    // so each grid decides what a press there means. The column is the last shown one past the columns,
    // -1 when every column is hidden.
    void hitTest(int x, int y, int& row, int& col) const;
    // Changes the selection; the rows that enter or leave it repaint, then selectionChanged.
    void setSelection(int row, int col, int rowSel, int colSel);

    int rows_ = 1, cols_ = 1;
    int topRow_ = 1;
    int row_ = 0, col_ = 0, rowSel_ = 0, colSel_ = 0;
    bool redraw_ = true;
    std::vector<int> widths_;           // twips
    mutable std::vector<int> colLeft_;  // pixels, cols_ + 1 entries
    mutable bool layoutValid_ = false;

private:
    // The whole client area (area: the part to put on the screen), rows from topRow_ on.
    void paintGrid(HDC target, const RECT& area, const Frame& frame);

    struct Graphics;
    std::unique_ptr<Graphics> gfx_;
};

}  // namespace qs::controls::detail
