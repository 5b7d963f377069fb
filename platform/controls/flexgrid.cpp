#include "platform/controls/flexgrid.h"

#include <windowsx.h>

#include <algorithm>

#include "platform/controls/datacontrol.h"
#include "platform/runtime/errors.h"
#include "platform/forms/form.h"
#include "platform/forms/paint.h"

namespace qs::controls {

namespace {

constexpr uint32_t kNoColour = 0xFFFFFFFF;  // no cell colour set: the row colour shows
constexpr int kDefaultColWidth = 1200;      // twips

// The rest of the skin, quieter than the row colours it frames.
constexpr COLORREF kTextColour = RGB(0x0B, 0x1D, 0x26);
constexpr COLORREF kSelectColour = RGB(0x1F, 0x4E, 0x63);
constexpr COLORREF kSelectTextColour = RGB(0xE8, 0xF8, 0xFF);
constexpr COLORREF kLineColour = RGB(0x36, 0x7A, 0x8C);
constexpr COLORREF kHeaderLineColour = RGB(0x2A, 0x48, 0x5E);
constexpr COLORREF kEmptyColour = RGB(0x1C, 0x2A, 0x33);

uint64_t cellKey(int row, int col) { return (uint64_t(uint32_t(row)) << 32) | uint32_t(col); }

}  // namespace

FlexGrid::FlexGrid(forms::Container& parent, int left, int top, int width, int height)
    : Control(parent, left, top, width, height) {
    prepareGraphics();
    header_.assign(1, std::string());
    widths_.assign(1, kDefaultColWidth);
    colours_.resize(1);
}

// The window goes with the base, unbound first.
FlexGrid::~FlexGrid() {
    if (binder_) binder_->grid_ = nullptr;
}

HWND FlexGrid::createWindow(HWND parent, const RECT& pixels) {
    return createChild(forms::detail::registerClass(L"QsFlexGrid", CS_DBLCLKS), parent, pixels, WS_TABSTOP);
}

bool FlexGrid::processMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    if (gridMessage(msg, wp, lp, result)) return true;
    switch (msg) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN: keyDown(wp); return msg == WM_KEYDOWN;
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP:
    case WM_MBUTTONDBLCLK: mouseEvent(msg, wp, lp); return true;
    case WM_CAPTURECHANGED: dragging_ = false; return true;
    }
    return false;
}

// ---- properties

void FlexGrid::checkRow(int row) const {
    if (row < 0 || row >= rows_) throw rt::Error(30009, "Invalid Row value");
}

void FlexGrid::checkCol(int col) const {
    if (col < 0 || col >= cols_) throw rt::Error(30010, "Invalid Col value");
}

void FlexGrid::Rows(int count) {
    if (source_) throw rt::Error(5, "Invalid procedure call or argument");
    if (count < 1) throw rt::Error(30009, "Invalid Row value");
    if (count == rows_) return;
    if (count < rows_) {
        for (auto it = texts_.begin(); it != texts_.end();)
            it = int(it->first >> 32) >= count ? texts_.erase(it) : std::next(it);
        for (auto& column : colours_)
            if (int(column.size()) > count) column.resize(size_t(count));
    }
    rows_ = count;
    if (topRow_ > std::max(1, rows_ - 1)) topRow_ = std::max(1, rows_ - 1);
    invalidateAll();
    setSelection(std::min(row_, rows_ - 1), col_, std::min(rowSel_, rows_ - 1), colSel_);
}

void FlexGrid::Cols(int count) {
    if (source_) throw rt::Error(5, "Invalid procedure call or argument");
    if (count < 1) throw rt::Error(30010, "Invalid Col value");
    if (count == cols_) return;
    if (count < cols_) {
        for (auto it = texts_.begin(); it != texts_.end();)
            it = int(it->first & 0xFFFFFFFF) >= count ? texts_.erase(it) : std::next(it);
    }
    cols_ = count;
    header_.resize(size_t(count));
    widths_.resize(size_t(count), kDefaultColWidth);
    colours_.resize(size_t(count));
    layoutValid_ = false;
    invalidateAll();
    setSelection(row_, std::min(col_, cols_ - 1), rowSel_, std::min(colSel_, cols_ - 1));
}

void FlexGrid::TopRow(int row) {
    if (rows_ <= 1) return;
    scrollTo(std::clamp(row, 1, rows_ - 1));
}

void FlexGrid::Row(int row) {
    checkRow(row);
    setSelection(row, col_, row, colSel_);
}

void FlexGrid::Col(int col) {
    checkCol(col);
    setSelection(row_, col, rowSel_, col);
}

void FlexGrid::RowSel(int row) {
    checkRow(row);
    setSelection(row_, col_, row, colSel_);
}

void FlexGrid::ColSel(int col) {
    checkCol(col);
    setSelection(row_, col_, rowSel_, col);
}

void FlexGrid::selectionChanged() {
    if (onSelChange) onSelChange();
}

std::string FlexGrid::TextMatrix(int row, int col) const {
    if (row < 0 || row >= rows_ || col < 0 || col >= cols_) throw rt::Error(9, "Subscript out of range");
    return cellText(row, col);
}

std::string FlexGrid::cellText(int row, int col) const {
    if (row == 0) return header_[size_t(col)];
    if (!texts_.empty()) {
        auto it = texts_.find(cellKey(row, col));
        if (it != texts_.end()) return it->second;
    }
    if (source_) return source_->text(row - 1, col);
    return {};
}

void FlexGrid::TextMatrix(int row, int col, const std::string& text) {
    if (row < 0 || row >= rows_ || col < 0 || col >= cols_) throw rt::Error(9, "Subscript out of range");
    if (row == 0)
        header_[size_t(col)] = text;
    else
        texts_[cellKey(row, col)] = text;
    invalidateRows(row, row);
}

uint32_t FlexGrid::CellBackColor() const { return cellBackColour(row_, col_); }

uint32_t FlexGrid::cellBackColour(int row, int col) const {
    const auto& column = colours_[size_t(col)];
    if (size_t(row) < column.size() && column[size_t(row)] != kNoColour) return column[size_t(row)];
    if (row == 0) return kHeaderColour;
    if (onCellBackColor) return onCellBackColor(row, col) & 0xFFFFFF;
    return kRowColour;
}

void FlexGrid::CellBackColor(uint32_t colour) {
    auto& column = colours_[size_t(col_)];
    if (column.size() < size_t(rows_)) column.resize(size_t(rows_), kNoColour);
    column[size_t(row_)] = colour & 0xFFFFFF;
    invalidateRows(row_, row_);
}

int FlexGrid::ColWidth(int col) const {
    if (col < 0 || col >= cols_) throw rt::Error(9, "Subscript out of range");
    return widths_[size_t(col)];
}

void FlexGrid::ColWidth(int col, int twips) {
    if (col < 0 || col >= cols_) throw rt::Error(9, "Subscript out of range");
    if (twips < 0) twips = kDefaultColWidth;
    if (widths_[size_t(col)] == twips) return;
    widths_[size_t(col)] = twips;
    layoutValid_ = false;
    invalidateAll();
}

void FlexGrid::Redraw(bool on) {
    if (on == redraw_) return;
    redraw_ = on;
    if (on) {
        invalidateAll();
    }
}

void FlexGrid::Refresh() {
    if (!hWnd() || !redraw_) return;
    InvalidateRect(hWnd(), nullptr, FALSE);
    UpdateWindow(hWnd());
}

void FlexGrid::reload(std::shared_ptr<GridSource> source) {
    int fields = source ? std::max(1, source->fieldCount()) : 1;
    long records = source ? std::max(0L, source->recordCount()) : 0;
    std::vector<std::string> names(static_cast<size_t>(fields));
    if (source)
        for (int c = 0; c < source->fieldCount(); ++c) names[size_t(c)] = source->fieldName(c);

    source_ = std::move(source);
    rows_ = int(records) + 1;
    cols_ = fields;
    header_ = std::move(names);
    texts_.clear();
    colours_.resize(size_t(cols_));
    for (auto& column : colours_) column.clear();
    widths_.resize(size_t(cols_), kDefaultColWidth);
    layoutValid_ = false;
    topRow_ = 1;
    invalidateAll();
    // A reload always reports a selection change: the rows under the selection are new.
    int first = rows_ > 1 ? 1 : 0;
    row_ = rowSel_ = first;
    col_ = colSel_ = 0;
    if (onSelChange) onSelChange();
}

// ---- input

void FlexGrid::mouseEvent(UINT msg, WPARAM wp, LPARAM lp) {
    int x = GET_X_LPARAM(lp), y = GET_Y_LPARAM(lp);
    hitTest(x, y, mouseRow_, mouseCol_);
    if (mouseRow_ >= rows_) mouseRow_ = -1;  // below the last row: no row at all
    if (mouseCol_ < 0) mouseCol_ = 0;
    float tx = twips(x);
    float ty = twips(y);
    int shift = (wp & MK_SHIFT ? 1 : 0) | (wp & MK_CONTROL ? 2 : 0) | (GetKeyState(VK_MENU) < 0 ? 4 : 0);
    int h = rowHeightPx();
    bool onDataRow = y >= h && mouseRow_ > 0;

    switch (msg) {
    case WM_LBUTTONDOWN:
        ::SetFocus(hWnd());
        SetCapture(hWnd());
        if (onDataRow) {
            dragging_ = true;
            if (shift & 1)
                setSelection(row_, 0, mouseRow_, cols_ - 1);
            else
                setSelection(mouseRow_, 0, mouseRow_, cols_ - 1);
        }
        if (onMouseDown) onMouseDown(1, shift, tx, ty);
        break;
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDBLCLK:
        ::SetFocus(hWnd());
        SetCapture(hWnd());
        if (onMouseDown) onMouseDown(msg == WM_RBUTTONDOWN || msg == WM_RBUTTONDBLCLK ? 2 : 4, shift, tx, ty);
        break;
    case WM_LBUTTONDBLCLK:
        // The second press of a double click is the double click itself, not another press.
        SetCapture(hWnd());
        if (onDblClick) onDblClick();
        break;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP: {
        int button = msg == WM_LBUTTONUP ? 1 : msg == WM_RBUTTONUP ? 2 : 4;
        if (button == 1) dragging_ = false;
        if (!(wp & (MK_LBUTTON | MK_RBUTTON | MK_MBUTTON)) && GetCapture() == hWnd()) ReleaseCapture();
        if (onMouseUp) onMouseUp(button, shift, tx, ty);
        break;
    }
    case WM_MOUSEMOVE: {
        if (dragging_ && (wp & MK_LBUTTON) && rows_ > 1) {
            int target = mouseRow_ < 0 ? rows_ - 1 : mouseRow_;  // dragged below the last row
            if (y < h) {
                target = std::max(1, topRow_ - 1);
                ensureVisible(target);
            } else if (target >= topRow_ + visibleDataRows()) {
                ensureVisible(target);
            }
            setSelection(row_, col_, target, colSel_);
        }
        int button = (wp & MK_LBUTTON ? 1 : 0) | (wp & MK_RBUTTON ? 2 : 0) | (wp & MK_MBUTTON ? 4 : 0);
        if (onMouseMove) onMouseMove(button, shift, tx, ty);
        break;
    }
    }
}

void FlexGrid::keyDown(WPARAM key) {
    int shift = forms::currentShiftState();
    if (onKeyDown) onKeyDown(int(key), shift);
    if (!hWnd() || rows_ <= 1) return;
    int page = visibleDataRows();
    int from = (shift & 1) ? rowSel_ : row_;
    int target;
    switch (key) {
    case VK_UP: target = from - 1; break;
    case VK_DOWN: target = from + 1; break;
    case VK_PRIOR: target = from - page; break;
    case VK_NEXT: target = from + page; break;
    case VK_HOME: target = 1; break;
    case VK_END: target = rows_ - 1; break;
    default: return;
    }
    target = std::clamp(target, 1, rows_ - 1);
    if (shift & 1)
        setSelection(row_, col_, target, colSel_);
    else
        setSelection(target, col_, target, colSel_);
    ensureVisible(target);
}

// ---- painting

FlexGrid::Frame FlexGrid::frame() const {
    return Frame{kHeaderColour, kHeaderTextColour, kLineColour, kHeaderLineColour, kEmptyColour};
}

FlexGrid::CellPaint FlexGrid::cellPaint(int row, int col) const {
    if (row >= std::min(row_, rowSel_) && row <= std::max(row_, rowSel_)) return {kSelectColour, kSelectTextColour};
    try {
        return {COLORREF(cellBackColour(row, col)), kTextColour};
    } catch (...) {
        return {COLORREF(kRowColour), kTextColour};  // the program could not say (its data is gone)
    }
}

}  // namespace qs::controls
