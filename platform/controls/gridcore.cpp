#include "platform/controls/gridcore.h"

#include <algorithm>

#include "platform/runtime/text.h"
#include "platform/win/gdi.h"

namespace qs::controls::detail {

namespace {

constexpr int kRowHeight = 240;  // twips
constexpr int kWheelRows = 3;

int screenDpi() {
    win::WindowDC dc(nullptr);
    int dpi = dc.get() ? GetDeviceCaps(dc.get(), LOGPIXELSY) : 96;
    return dpi > 0 ? dpi : 96;
}

}  // namespace

struct GridCore::Graphics {
    int dpi = 96;
    win::UniqueFont font, headerFont;
    win::UniqueBitmap buffer;  // back buffer the size of the client area
    SIZE bufferSize{0, 0};
};

GridCore::GridCore() : gfx_(std::make_unique<Graphics>()) {}
GridCore::~GridCore() = default;

void GridCore::prepareGraphics() {
    gfx_->dpi = screenDpi();
    int fontHeight = -MulDiv(8, gfx_->dpi, 72);
    gfx_->font.reset(CreateFontW(fontHeight, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                                 CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY, DEFAULT_PITCH, L"Tahoma"));
    gfx_->headerFont.reset(CreateFontW(fontHeight, 0, 0, 0, FW_BOLD, 0, 0, 0, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                                       CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY, DEFAULT_PITCH, L"Tahoma"));
    layoutValid_ = false;
}

int GridCore::px(int tw) const { return MulDiv(tw, gfx_->dpi, 1440); }
float GridCore::twips(int pixels) const { return float(pixels) * 1440.0f / float(gfx_->dpi); }
int GridCore::dpi() const { return gfx_->dpi; }
HFONT GridCore::cellFont() const { return gfx_->font.get(); }

int GridCore::rowHeightPx() const { return std::max(1, MulDiv(kRowHeight, gfx_->dpi, 1440)); }

void GridCore::layoutColumns() const {
    if (layoutValid_ && colLeft_.size() == size_t(cols_) + 1) return;
    colLeft_.assign(size_t(cols_) + 1, 0);
    for (int c = 0; c < cols_; ++c)
        colLeft_[size_t(c) + 1] = colLeft_[size_t(c)] + MulDiv(widths_[size_t(c)], gfx_->dpi, 1440);
    layoutValid_ = true;
}

int GridCore::columnLeft(int col) const {
    layoutColumns();
    return colLeft_[size_t(std::clamp(col, 0, cols_))];
}

bool GridCore::columnHidden(int col) const { return columnLeft(col + 1) == columnLeft(col); }

int GridCore::visibleDataRows() const {
    RECT rc{};
    if (gridWindow()) GetClientRect(gridWindow(), &rc);
    int h = rowHeightPx();
    return std::max(1, int(rc.bottom - h) / h);
}

int GridCore::maxScrollTop() const { return std::max(1, rows_ - visibleDataRows()); }

void GridCore::scrollTo(int row) {
    if (row == topRow_) return;
    topRow_ = row;
    invalidateAll();
    scrolled();
}

void GridCore::ensureVisible(int row) {
    if (row < 1) return;
    if (row < topRow_)
        scrollTo(row);
    else if (row >= topRow_ + visibleDataRows())
        scrollTo(std::max(1, row - visibleDataRows() + 1));
}

void GridCore::wheelScroll(int notches) {
    if (notches == 0 || rows_ <= 1) return;
    int target = topRow_ - notches * kWheelRows;
    int limit = std::max(maxScrollTop(), topRow_);
    scrollTo(std::clamp(target, 1, limit));
}

void GridCore::invalidateAll() {
    if (!redraw_) return;
    if (gridWindow()) InvalidateRect(gridWindow(), nullptr, FALSE);
}

void GridCore::invalidateRows(int first, int last) {
    if (!redraw_) return;
    HWND hwnd = gridWindow();
    if (!hwnd) return;
    int h = rowHeightPx();
    RECT rc;
    GetClientRect(hwnd, &rc);
    if (first <= 0) {
        RECT header{0, 0, rc.right, h};
        InvalidateRect(hwnd, &header, FALSE);
        first = 1;
    }
    int lastShown = topRow_ + (rc.bottom - h) / h;
    first = std::max(first, topRow_);
    last = std::min(last, lastShown);
    if (first > last) return;
    RECT band{0, h + (first - topRow_) * h, rc.right, h + (last - topRow_ + 1) * h};
    InvalidateRect(hwnd, &band, FALSE);
}

void GridCore::hitTest(int x, int y, int& row, int& col) const {
    int h = rowHeightPx();
    row = y < h ? 0 : topRow_ + (y - h) / h;
    layoutColumns();
    col = -1;
    int lastShown = -1;
    for (int c = 0; c < cols_; ++c) {
        if (colLeft_[size_t(c) + 1] == colLeft_[size_t(c)]) continue;  // hidden
        lastShown = c;
        if (col < 0 && x < colLeft_[size_t(c) + 1]) col = c;
    }
    if (col < 0) col = lastShown;
}

void GridCore::setSelection(int row, int col, int rowSel, int colSel) {
    if (row == row_ && col == col_ && rowSel == rowSel_ && colSel == colSel_) return;
    // Rows are drawn selected as a whole, so only the rows entering or leaving the selection repaint.
    if (redraw_) {
        invalidateRows(std::min(row_, rowSel_), std::max(row_, rowSel_));
        invalidateRows(std::min(row, rowSel), std::max(row, rowSel));
    }
    row_ = row;
    col_ = col;
    rowSel_ = rowSel;
    colSel_ = colSel;
    selectionChanged();
}

bool GridCore::gridMessage(UINT msg, WPARAM wp, LPARAM, LRESULT& result) {
    switch (msg) {
    case WM_ERASEBKGND: result = 1; return true;
    case WM_PAINT: {
        win::PaintDC dc(gridWindow());
        if (redraw_) paintGrid(dc.get(), dc.area(), frame());
        return true;
    }
    case WM_SIZE:
        gfx_->buffer.reset();  // made again at the new size by the next paint
        resized();
        invalidateAll();
        return true;
    case WM_GETDLGCODE: result = DLGC_WANTARROWS | DLGC_WANTCHARS; return true;
    case WM_MOUSEWHEEL: wheelScroll(GET_WHEEL_DELTA_WPARAM(wp) / WHEEL_DELTA); return true;
    }
    return false;
}

void GridCore::paintGrid(HDC target, const RECT& area, const Frame& frame) {
    RECT client;
    GetClientRect(gridWindow(), &client);
    if (client.right <= 0 || client.bottom <= 0) return;
    if (!gfx_->buffer || gfx_->bufferSize.cx != client.right || gfx_->bufferSize.cy != client.bottom) {
        gfx_->buffer.reset(CreateCompatibleBitmap(target, client.right, client.bottom));
        gfx_->bufferSize = {client.right, client.bottom};
    }
    win::MemoryDC memory(target);
    HDC dc = memory.get();
    win::Selection bitmap(dc, gfx_->buffer.get());
    SetBkMode(dc, TRANSPARENT);
    layoutColumns();
    const int h = rowHeightPx();

    auto fill = [dc](const RECT& r, COLORREF c) {
        SetBkColor(dc, c);
        ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &r, nullptr, 0, nullptr);
    };
    auto drawRow = [&](int row, int top) {
        RECT band{0, top, client.right, top + h};
        if (band.bottom <= area.top || band.top >= area.bottom) return;
        const bool header = row == 0;
        int right = 0;
        for (int c = 0; c < cols_; ++c) {
            int l = colLeft_[size_t(c)], r = colLeft_[size_t(c) + 1];
            if (r == l) continue;
            if (l >= client.right) break;
            right = r;
            CellPaint look = header ? CellPaint{frame.headerBack, frame.headerText} : cellPaint(row, c);
            fill(RECT{l, top, r, top + h}, look.back);
            std::string text;
            try {
                text = cellText(row, c);
            } catch (...) {
                // A recordset closed under the grid leaves its cells blank until the next reload.
            }
            if (!text.empty()) {
                std::wstring w = rt::widen(text);
                SetTextColor(dc, look.text);
                RECT inner{l + 4, top, r - 3, top + h - 1};
                DrawTextW(dc, w.c_str(), int(w.size()), &inner,
                          DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | DT_NOPREFIX);
            }
            fill(RECT{r - 1, top, r, top + h}, header ? frame.headerLine : frame.line);
        }
        fill(RECT{0, top + h - 1, right, top + h}, header ? frame.headerLine : frame.line);
        if (right < client.right) fill(RECT{right, top, client.right, top + h}, frame.empty);
        decorateRow(dc, row, band);
    };

    {
        win::Selection font(dc, gfx_->headerFont ? gfx_->headerFont.get() : GetStockObject(DEFAULT_GUI_FONT));
        drawRow(0, 0);
    }
    win::Selection font(dc, gfx_->font ? gfx_->font.get() : GetStockObject(DEFAULT_GUI_FONT));
    int y = h;
    for (int row = topRow_; row < rows_ && y < client.bottom; ++row, y += h) drawRow(row, y);
    if (y < client.bottom) fill(RECT{0, y, client.right, client.bottom}, frame.empty);
    BitBlt(target, area.left, area.top, area.right - area.left, area.bottom - area.top, dc, area.left, area.top,
           SRCCOPY);
}

}  // namespace qs::controls::detail
