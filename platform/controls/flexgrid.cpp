#include "platform/controls/flexgrid.h"

#include <windowsx.h>

#include <algorithm>

#include "platform/controls/datacontrol.h"
#include "platform/runtime/errors.h"
#include "platform/win/gdi.h"

namespace qs::controls {

namespace {

constexpr wchar_t kClassName[] = L"QsFlexGrid";
constexpr uint32_t kNoColour = 0xFFFFFFFF;  // no cell colour set: the row colour shows
constexpr int kDefaultColWidth = 1200;      // twips
constexpr int kRowHeight = 240;             // twips
constexpr int kWheelRows = 3;

// The rest of the skin, quieter than the row colours it frames.
constexpr COLORREF kTextColour = RGB(0x0B, 0x1D, 0x26);
constexpr COLORREF kSelectColour = RGB(0x1F, 0x4E, 0x63);
constexpr COLORREF kSelectTextColour = RGB(0xE8, 0xF8, 0xFF);
constexpr COLORREF kLineColour = RGB(0x36, 0x7A, 0x8C);
constexpr COLORREF kHeaderLineColour = RGB(0x2A, 0x48, 0x5E);
constexpr COLORREF kEmptyColour = RGB(0x1C, 0x2A, 0x33);

uint64_t cellKey(int row, int col) { return (uint64_t(uint32_t(row)) << 32) | uint32_t(col); }

std::wstring wide(const std::string& s) {
    if (s.empty()) return {};
    int n = MultiByteToWideChar(CP_UTF8, 0, s.data(), int(s.size()), nullptr, 0);
    std::wstring w(size_t(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, s.data(), int(s.size()), w.data(), n);
    return w;
}

int screenDpi() {
    win::WindowDC dc(nullptr);
    int dpi = dc.get() ? GetDeviceCaps(dc.get(), LOGPIXELSY) : 96;
    return dpi > 0 ? dpi : 96;
}

int shiftState() {
    return (GetKeyState(VK_SHIFT) < 0 ? 1 : 0) | (GetKeyState(VK_CONTROL) < 0 ? 2 : 0) |
           (GetKeyState(VK_MENU) < 0 ? 4 : 0);
}

}  // namespace

struct FlexGrid::Impl {
    int dpi = 96;
    win::UniqueFont font, headerFont;
    win::UniqueBitmap buffer;    // back buffer the size of the client area
    SIZE bufferSize{0, 0};
    bool dragging = false;       // left button held after a press on a data row
};

FlexGrid::FlexGrid() : impl_(std::make_unique<Impl>()) {
    header_.assign(1, std::string());
    widths_.assign(1, kDefaultColWidth);
    colours_.resize(1);
}

// The window goes with the base, unbound first.
FlexGrid::~FlexGrid() {
    if (binder_) binder_->grid_ = nullptr;
}

void FlexGrid::create(HWND parent, int left, int top, int width, int height, int id) {
    static const bool registered = [] {
        WNDCLASSEXW wc{};
        wc.style = CS_DBLCLKS;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
        wc.lpszClassName = kClassName;
        return registerClass(wc) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
    }();
    if (!registered) throw rt::Error(5, "Cannot register the grid's window class");
    if (hwnd()) DestroyWindow(hwnd());

    impl_->dpi = screenDpi();
    auto px = [this](int tw) { return MulDiv(tw, impl_->dpi, 1440); };
    int fontHeight = -MulDiv(8, impl_->dpi, 72);
    impl_->font.reset(CreateFontW(fontHeight, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                                  CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY, DEFAULT_PITCH, L"Tahoma"));
    impl_->headerFont.reset(CreateFontW(fontHeight, 0, 0, 0, FW_BOLD, 0, 0, 0, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                                        CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY, DEFAULT_PITCH, L"Tahoma"));
    HWND h = createBound(0, kClassName, L"", WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_CLIPSIBLINGS, px(left), px(top),
                         px(width), px(height), parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                         GetModuleHandleW(nullptr));
    if (!h) throw rt::Error(5, "Cannot create the grid window");
    layoutValid_ = false;
}

void FlexGrid::Move(int left, int top, int width, int height) {
    if (!hwnd()) return;
    auto px = [this](int tw) { return MulDiv(tw, impl_->dpi, 1440); };
    MoveWindow(hwnd(), px(left), px(top), px(width), px(height), redraw_);
}

bool FlexGrid::processMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    switch (msg) {
    case WM_ERASEBKGND:
        result = 1;
        return true;
    case WM_PAINT: {
        win::PaintDC dc(hwnd());
        if (redraw_)
            paint(dc.get(), dc.area());
        else
            dirty_ = true;
        return true;
    }
    case WM_SIZE:
        impl_->buffer.reset();
        invalidateAll();
        return true;
    case WM_GETDLGCODE:
        result = DLGC_WANTARROWS | DLGC_WANTCHARS;
        return true;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
        keyDown(wp);
        return msg == WM_KEYDOWN;
    case WM_MOUSEWHEEL: {
        int notches = GET_WHEEL_DELTA_WPARAM(wp) / WHEEL_DELTA;
        if (notches != 0 && rows_ > 1) {
            int target = topRow_ - notches * kWheelRows;
            int limit = std::max(maxScrollTop(), topRow_);
            scrollTo(std::clamp(target, 1, limit));
        }
        return true;
    }
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP:
    case WM_MBUTTONDBLCLK:
        mouseEvent(msg, wp, lp);
        return true;
    case WM_CAPTURECHANGED:
        impl_->dragging = false;
        return true;
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

void FlexGrid::setSelection(int row, int col, int rowSel, int colSel) {
    if (row == row_ && col == col_ && rowSel == rowSel_ && colSel == colSel_) return;
    // Rows are drawn selected as a whole, so only the rows entering or leaving the selection repaint.
    if (redraw_) {
        invalidateRows(std::min(row_, rowSel_), std::max(row_, rowSel_));
        invalidateRows(std::min(row, rowSel), std::max(row, rowSel));
    } else {
        dirty_ = true;
    }
    row_ = row;
    col_ = col;
    rowSel_ = rowSel;
    colSel_ = colSel;
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
        dirty_ = false;
        invalidateAll();
    }
}

bool FlexGrid::Visible() const { return hwnd() && (GetWindowLongW(hwnd(), GWL_STYLE) & WS_VISIBLE); }

void FlexGrid::Visible(bool on) {
    if (hwnd()) ShowWindow(hwnd(), on ? SW_SHOWNA : SW_HIDE);
}

void FlexGrid::Refresh() {
    if (!hwnd() || !redraw_) return;
    InvalidateRect(hwnd(), nullptr, FALSE);
    UpdateWindow(hwnd());
}

void FlexGrid::SetFocus() {
    if (hwnd()) ::SetFocus(hwnd());
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

// ---- layout and scrolling

int FlexGrid::rowHeightPx() const { return std::max(1, MulDiv(kRowHeight, impl_->dpi, 1440)); }

void FlexGrid::layoutColumns() const {
    if (layoutValid_ && colLeft_.size() == size_t(cols_) + 1) return;
    colLeft_.assign(size_t(cols_) + 1, 0);
    for (int c = 0; c < cols_; ++c)
        colLeft_[size_t(c) + 1] = colLeft_[size_t(c)] + MulDiv(widths_[size_t(c)], impl_->dpi, 1440);
    layoutValid_ = true;
}

int FlexGrid::visibleDataRows() const {
    RECT rc{};
    if (hwnd()) GetClientRect(hwnd(), &rc);
    int h = rowHeightPx();
    return std::max(1, int(rc.bottom - h) / h);
}

int FlexGrid::maxScrollTop() const { return std::max(1, rows_ - visibleDataRows()); }

void FlexGrid::scrollTo(int row) {
    if (row == topRow_) return;
    topRow_ = row;
    invalidateAll();
}

void FlexGrid::ensureVisible(int row) {
    if (row < 1) return;
    if (row < topRow_)
        scrollTo(row);
    else if (row >= topRow_ + visibleDataRows())
        scrollTo(std::max(1, row - visibleDataRows() + 1));
}

void FlexGrid::invalidateAll() {
    if (!redraw_) {
        dirty_ = true;
        return;
    }
    if (hwnd()) InvalidateRect(hwnd(), nullptr, FALSE);
}

void FlexGrid::invalidateRows(int first, int last) {
    if (!redraw_) {
        dirty_ = true;
        return;
    }
    if (!hwnd()) return;
    int h = rowHeightPx();
    RECT rc;
    GetClientRect(hwnd(), &rc);
    if (first <= 0) {
        RECT header{0, 0, rc.right, h};
        InvalidateRect(hwnd(), &header, FALSE);
        first = 1;
    }
    int lastShown = topRow_ + (rc.bottom - h) / h;
    first = std::max(first, topRow_);
    last = std::min(last, lastShown);
    if (first > last) return;
    RECT band{0, h + (first - topRow_) * h, rc.right, h + (last - topRow_ + 1) * h};
    InvalidateRect(hwnd(), &band, FALSE);
}

void FlexGrid::hitTest(int x, int y, int& row, int& col) const {
    int h = rowHeightPx();
    if (y < h)
        row = 0;
    else
        row = topRow_ + (y - h) / h;
    if (row >= rows_) row = -1;  // below the last row: no row at all
    layoutColumns();
    col = -1;
    int lastShown = 0;
    for (int c = 0; c < cols_; ++c) {
        if (colLeft_[size_t(c) + 1] == colLeft_[size_t(c)]) continue;  // hidden
        lastShown = c;
        if (col < 0 && x < colLeft_[size_t(c) + 1]) col = c;
    }
    if (col < 0) col = lastShown;
}

// ---- input

void FlexGrid::mouseEvent(UINT msg, WPARAM wp, LPARAM lp) {
    int x = GET_X_LPARAM(lp), y = GET_Y_LPARAM(lp);
    hitTest(x, y, mouseRow_, mouseCol_);
    float tx = float(x) * 1440.0f / float(impl_->dpi);
    float ty = float(y) * 1440.0f / float(impl_->dpi);
    int shift = (wp & MK_SHIFT ? 1 : 0) | (wp & MK_CONTROL ? 2 : 0) | (GetKeyState(VK_MENU) < 0 ? 4 : 0);
    int h = rowHeightPx();
    bool onDataRow = y >= h && mouseRow_ > 0;

    switch (msg) {
    case WM_LBUTTONDOWN:
        ::SetFocus(hwnd());
        SetCapture(hwnd());
        if (onDataRow) {
            impl_->dragging = true;
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
        ::SetFocus(hwnd());
        SetCapture(hwnd());
        if (onMouseDown) onMouseDown(msg == WM_RBUTTONDOWN || msg == WM_RBUTTONDBLCLK ? 2 : 4, shift, tx, ty);
        break;
    case WM_LBUTTONDBLCLK:
        // The second press of a double click is the double click itself, not another press.
        SetCapture(hwnd());
        if (onDblClick) onDblClick();
        break;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP: {
        int button = msg == WM_LBUTTONUP ? 1 : msg == WM_RBUTTONUP ? 2 : 4;
        if (button == 1) impl_->dragging = false;
        if (!(wp & (MK_LBUTTON | MK_RBUTTON | MK_MBUTTON)) && GetCapture() == hwnd()) ReleaseCapture();
        if (onMouseUp) onMouseUp(button, shift, tx, ty);
        break;
    }
    case WM_MOUSEMOVE: {
        if (impl_->dragging && (wp & MK_LBUTTON) && rows_ > 1) {
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
    int shift = shiftState();
    if (onKeyDown) onKeyDown(int(key), shift);
    if (!hwnd() || rows_ <= 1) return;
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

void FlexGrid::paint(HDC target, const RECT& area) {
    RECT client;
    GetClientRect(hwnd(), &client);
    if (client.right <= 0 || client.bottom <= 0) return;
    if (!impl_->buffer || impl_->bufferSize.cx != client.right || impl_->bufferSize.cy != client.bottom) {
        impl_->buffer.reset(CreateCompatibleBitmap(target, client.right, client.bottom));
        impl_->bufferSize = {client.right, client.bottom};
    }
    win::MemoryDC memory(target);
    HDC dc = memory.get();
    {
        win::Selection bitmap(dc, impl_->buffer.get());
        SetBkMode(dc, TRANSPARENT);
        layoutColumns();
        int h = rowHeightPx();
        int lo = std::min(row_, rowSel_), hi = std::max(row_, rowSel_);

        auto fill = [dc](const RECT& r, COLORREF c) {
            SetBkColor(dc, c);
            ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &r, nullptr, 0, nullptr);
        };
        auto drawRow = [&](int row, int top) {
            RECT band{0, top, client.right, top + h};
            if (band.bottom <= area.top || band.top >= area.bottom) return;
            bool header = row == 0;
            bool selected = !header && row >= lo && row <= hi;
            int right = 0;
            for (int c = 0; c < cols_; ++c) {
                int l = colLeft_[size_t(c)], r = colLeft_[size_t(c) + 1];
                if (r == l) continue;
                if (l >= client.right) break;
                right = r;
                COLORREF back;
                if (header)
                    back = kHeaderColour;
                else if (selected)
                    back = kSelectColour;
                else {
                    try {
                        back = COLORREF(cellBackColour(row, c));
                    } catch (...) {
                        back = COLORREF(kRowColour);  // the program could not say (its data is gone)
                    }
                }
                RECT cell{l, top, r, top + h};
                fill(cell, back);
                std::string text;
                try {
                    text = cellText(row, c);
                } catch (...) {
                    // A recordset closed under the grid leaves its cells blank until the next reload.
                }
                if (!text.empty()) {
                    std::wstring w = wide(text);
                    SetTextColor(dc, header ? COLORREF(kHeaderTextColour) : selected ? kSelectTextColour : kTextColour);
                    RECT inner{l + 4, top, r - 3, top + h - 1};
                    DrawTextW(dc, w.c_str(), int(w.size()), &inner,
                              DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | DT_NOPREFIX);
                }
                RECT vline{r - 1, top, r, top + h};
                fill(vline, header ? kHeaderLineColour : kLineColour);
            }
            RECT hline{0, top + h - 1, right, top + h};
            fill(hline, header ? kHeaderLineColour : kLineColour);
            if (right < client.right) fill(RECT{right, top, client.right, top + h}, kEmptyColour);
        };

        {
            win::Selection font(dc, impl_->headerFont ? impl_->headerFont.get() : GetStockObject(DEFAULT_GUI_FONT));
            drawRow(0, 0);
        }
        win::Selection font(dc, impl_->font ? impl_->font.get() : GetStockObject(DEFAULT_GUI_FONT));
        int y = h;
        for (int row = topRow_; row < rows_ && y < client.bottom; ++row, y += h) drawRow(row, y);
        if (y < client.bottom) fill(RECT{0, y, client.right, client.bottom}, kEmptyColour);
        BitBlt(target, area.left, area.top, area.right - area.left, area.bottom - area.top, dc, area.left, area.top,
               SRCCOPY);
    }
}

}  // namespace qs::controls
