#include "platform/controls/datagrid.h"

#include <windowsx.h>

#include <algorithm>
#include <cmath>

#include "platform/controls/datacontrol.h"
#include "platform/forms/paint.h"
#include "platform/runtime/errors.h"
#include "platform/runtime/services.h"
#include "platform/runtime/text.h"

namespace qs::controls {

namespace {

constexpr int kDefaultColWidth = 1200;  // twips
constexpr COLORREF kHeaderBack = RGB(0x3B, 0x63, 0x80);
constexpr COLORREF kHeaderText = RGB(0x75, 0xC6, 0xFF);
constexpr COLORREF kHeaderLine = RGB(0x2A, 0x48, 0x5E);
constexpr COLORREF kGrey = RGB(0x80, 0x80, 0x80);

// a, moved by `share` towards b.
COLORREF mix(COLORREF a, COLORREF b, double share) {
    auto part = [&](int x, int y) { return BYTE(std::lround(x + (y - x) * share)); };
    return RGB(part(GetRValue(a), GetRValue(b)), part(GetGValue(a), GetGValue(b)), part(GetBValue(a), GetBValue(b)));
}

bool sameWindow(HWND a, HWND b) { return a && b && GetAncestor(a, GA_ROOT) == GetAncestor(b, GA_ROOT); }

}  // namespace

// The box over the cell being edited: a system EDIT bound by subclassing. Its keys and its focus loss
// go to the grid.
class DataGrid::CellEdit : public win::Window {
public:
    explicit CellEdit(DataGrid& grid) : grid_(grid) {}
    bool make(HWND parent) {
        HWND h = CreateWindowExW(0, L"EDIT", L"", WS_CHILD | ES_AUTOHSCROLL, 0, 0, 0, 0, parent, nullptr,
                                 GetModuleHandleW(nullptr), nullptr);
        return h && subclass(h);
    }
    HWND handle() const { return hwnd(); }

protected:
    bool processMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override {
        switch (msg) {
        case WM_GETDLGCODE: result = DLGC_WANTALLKEYS | DLGC_WANTARROWS | DLGC_WANTCHARS; return true;
        case WM_KEYDOWN:
            switch (wp) {
            case VK_RETURN:
                grid_.commitEdit(true);
                grid_.storeRow();
                return true;
            case VK_ESCAPE: grid_.cancelEdit(); return true;
            case VK_UP:
            case VK_DOWN:
            case VK_PRIOR:
            case VK_NEXT:
                grid_.commitEdit(true);
                grid_.keyDown(wp);
                return true;
            }
            return false;
        case WM_CHAR: return wp == '\r' || wp == '\t' || wp == 27;  // acted on as keys; no beep
        case WM_KILLFOCUS:
            result = callDefault(msg, wp, lp);
            grid_.editLostFocus(reinterpret_cast<HWND>(wp));
            return true;
        }
        return false;
    }

private:
    DataGrid& grid_;
};

DataGrid::DataGrid(forms::Container& parent, int left, int top, int width, int height)
    : Control(parent, left, top, width, height), foreColor_(RGB(0x75, 0xC6, 0xFF)), backColor_(0) {
    prepareGraphics();
    rows_ = 1;
    cols_ = 0;
    row_ = rowSel_ = 0;
}

DataGrid::~DataGrid() {
    // The box goes while the grid is whole: its window's going moves the focus.
    edit_.reset();
    if (binder_) binder_->dataGrid_ = nullptr;
}

HWND DataGrid::createWindow(HWND parent, const RECT& pixels) {
    HWND h = createChild(forms::detail::registerClass(L"QsDataGrid", CS_DBLCLKS), parent, pixels,
                         WS_VSCROLL | WS_TABSTOP | WS_CLIPCHILDREN);
    if (h) updateScrollBar();
    return h;
}

void DataGrid::windowDestroyed() {
    editing_ = false;
    Control::windowDestroyed();
}

// ---- columns and looks

DataGrid::Column DataGrid::Columns(int index) {
    if (index < 0 || index >= cols_) throw rt::Error(9, "Subscript out of range");
    return Column(*this, index);
}

int DataGrid::Column::Width() const { return grid_.widths_[size_t(index_)]; }

void DataGrid::Column::Width(int twips) {
    twips = std::max(0, twips);
    if (grid_.widths_[size_t(index_)] == twips) return;
    if (grid_.editing_) grid_.commitEdit(true);
    grid_.widths_[size_t(index_)] = twips;
    grid_.layoutValid_ = false;
    grid_.invalidateAll();
}

std::string DataGrid::Column::Caption() const { return grid_.captions_[size_t(index_)]; }

db::Value DataGrid::Column::Value() const {
    const int row = grid_.row_;
    if (row == grid_.pendingRow_ && grid_.pending_[size_t(index_)]) {
        const std::string& typed = *grid_.pending_[size_t(index_)];
        return typed.empty() ? db::Value{} : db::Value{typed};
    }
    if (!grid_.rs_ || row < 1 || grid_.newRowLine(row)) return {};
    return grid_.rs_->at(row - 1, index_);
}

void DataGrid::ForeColor(uint32_t colour) {
    foreColor_ = colour & 0xFFFFFF;
    invalidateAll();
}

void DataGrid::BackColor(uint32_t colour) {
    backColor_ = colour & 0xFFFFFF;
    invalidateAll();
}

int DataGrid::ScrollBarWidth() const { return int(std::lround(twips(GetSystemMetrics(SM_CXVSCROLL)))); }

// ---- rows and the cursor

void DataGrid::TopRow(int row) {
    if (rows_ <= 1) return;
    scrollTo(std::clamp(row, 1, maxScrollTop()));
}

void DataGrid::Row(int row) { moveTo(row, col_); }
void DataGrid::Col(int col) { moveTo(row_, col); }

std::string DataGrid::CellText(int row, int col) const {
    if (row < 0 || row >= rows_ || col < 0 || col >= cols_) throw rt::Error(9, "Subscript out of range");
    return cellText(row, col);
}

HWND DataGrid::editWindow() const { return editing_ && edit_ ? edit_->handle() : nullptr; }

std::string DataGrid::cellText(int row, int col) const {
    if (row == 0) return captions_[size_t(col)];
    if (row == pendingRow_ && pending_[size_t(col)]) return *pending_[size_t(col)];
    if (!rs_ || newRowLine(row)) return {};
    return db::textOf(rs_->at(row - 1, col));
}

int DataGrid::firstShownColumn() const {
    int c = nextShownColumn(-1, 1);
    return c < 0 ? 0 : c;
}

int DataGrid::nextShownColumn(int from, int step) const {
    for (int c = from + step; c >= 0 && c < cols_; c += step)
        if (!columnHidden(c)) return c;
    return -1;
}

void DataGrid::moveTo(int row, int col) {
    if (!rs_) return;
    if (editing_) commitEdit(true);
    row = std::clamp(row, 1, rows_ - 1);
    col = std::clamp(col, 0, std::max(0, cols_ - 1));
    if (row != row_ && pendingRow_ >= 0) {
        const bool toNewLine = newRowLine(row);
        const unsigned generation = generation_;
        storeRow();
        if (generation != generation_) return;  // an event handler re-queried: the grid starts afresh
        if (toNewLine) row = rows_ - 1;         // a record was added above the line
        row = std::clamp(row, 1, rows_ - 1);
    }
    setCurrent(row, col);
}

// The recordset goes along: the record of the row, or past the end for the new-row line.
void DataGrid::setCurrent(int row, int col) {
    try {
        if (newRowLine(row)) {
            if (rs_->RecordCount() > 0) {
                rs_->MoveLast();
                rs_->MoveNext();
            }
        } else if (rs_->AbsolutePosition() != row - 1) {
            rs_->AbsolutePosition(row - 1);
        }
    } catch (const std::exception&) {
        // A recordset closed under the grid: the cursor still moves; the next re-query puts it right.
    }
    setSelection(row, col, row, col);
    ensureVisible(row);
}

// ---- editing

void DataGrid::beginEdit(const std::wstring* typed) {
    if (!rs_ || editing_ || !hWnd()) return;
    if (row_ < 1 || row_ >= rows_ || col_ < 0 || col_ >= cols_ || columnHidden(col_)) return;
    // The box went with the grid's last window when the form was unloaded: a shown-again grid makes its own.
    if (!edit_ || !edit_->handle()) {
        edit_ = std::make_unique<CellEdit>(*this);
        if (!edit_->make(hWnd())) {
            edit_.reset();
            return;
        }
        SendMessageW(edit_->handle(), WM_SETFONT, reinterpret_cast<WPARAM>(cellFont()), FALSE);
    }
    ensureVisible(row_);
    const std::wstring text = typed ? *typed : rt::widen(cellText(row_, col_));
    HWND box = edit_->handle();
    SetWindowTextW(box, text.c_str());
    editing_ = true;
    placeEdit();
    ShowWindow(box, SW_SHOW);
    ::SetFocus(box);
    SendMessageW(box, EM_SETSEL, text.size(), text.size());
}

void DataGrid::placeEdit() {
    if (!editing_ || !edit_) return;
    const int h = rowHeightPx();
    const int left = columnLeft(col_), right = columnLeft(col_ + 1), top = h + (row_ - topRow_) * h;
    MoveWindow(edit_->handle(), left + 1, top + 1, std::max(0, right - left - 3), std::max(0, h - 3), TRUE);
}

// The box's text becomes the row's pending value of the cell when it differs from what the cell shows.
void DataGrid::commitEdit(bool focusGrid) {
    if (!editing_ || !edit_) return;
    HWND box = edit_->handle();
    const std::string text = forms::detail::windowText(box);
    editing_ = false;
    closingEdit_ = true;
    if (focusGrid && GetFocus() == box && hWnd()) ::SetFocus(hWnd());
    ShowWindow(box, SW_HIDE);
    closingEdit_ = false;
    if (text != cellText(row_, col_)) {
        if (pendingRow_ != row_) {
            pending_.assign(size_t(cols_), std::nullopt);
            pendingRow_ = row_;
        }
        pending_[size_t(col_)] = text;
    }
    invalidateRows(row_, row_);
}

void DataGrid::cancelEdit() {
    if (!editing_ || !edit_) return;
    HWND box = edit_->handle();
    editing_ = false;
    closingEdit_ = true;
    if (GetFocus() == box && hWnd()) ::SetFocus(hWnd());
    ShowWindow(box, SW_HIDE);
    closingEdit_ = false;
    invalidateRows(row_, row_);
}

void DataGrid::dropPending() {
    if (pendingRow_ >= 0) invalidateRows(pendingRow_, pendingRow_);
    pending_.clear();
    pendingRow_ = -1;
}

// Focus leaving the box: its text is kept for the row; leaving for another control of the window stores
// the row as well.
void DataGrid::editLostFocus(HWND to) {
    if (closingEdit_ || !editing_ || !hWnd()) return;
    commitEdit(false);
    if (to != hWnd() && sameWindow(to, hWnd())) storeRow();
}

bool DataGrid::storeRow() {
    if (storing_) return false;
    if (editing_) commitEdit(edit_ && GetFocus() == edit_->handle());
    if (pendingRow_ < 0 || !rs_) {
        dropPending();
        return true;
    }
    const int at = pendingRow_;
    const bool adding = newRowLine(at);
    const std::vector<std::optional<std::string>> values = std::move(pending_);
    dropPending();
    storing_ = true;
    try {
        if (adding) {
            rs_->AddNew();
        } else {
            rs_->AbsolutePosition(at - 1);
            rs_->Edit();
        }
        for (size_t c = 0; c < values.size(); ++c)
            if (values[c]) rs_->set(int(c), values[c]->empty() ? db::Value{} : db::Value{*values[c]});
        rs_->Update();
    } catch (const std::exception& e) {
        rs_->CancelUpdate();
        invalidateAll();
        // Kept from storing while the message is up: the focus goes to the message and comes back.
        rt::services().msgBox(e.what(), MB_OK | MB_ICONEXCLAMATION, "");
        storing_ = false;
        return false;
    }
    storing_ = false;
    if (adding) {
        rows_ = int(rs_->RecordCount()) + 2;
        try {
            rs_->Bookmark(rs_->LastModified());
        } catch (const std::exception&) {
        }
        setSelection(rows_ - 2, col_, rows_ - 2, col_);
        updateScrollBar();
    }
    invalidateAll();
    const unsigned generation = generation_;
    if (onAfterUpdate) onAfterUpdate();
    if (adding && generation == generation_ && onAfterInsert) onAfterInsert();
    invalidateAll();  // the handlers may have changed the record
    return true;
}

// ---- from the data control

void DataGrid::reload(std::shared_ptr<db::Recordset> rs) {
    cancelEdit();
    dropPending();
    ++generation_;
    rs_ = std::move(rs);
    captions_.clear();
    cols_ = 0;
    rows_ = 1;
    if (rs_) {
        cols_ = rs_->fieldCount();
        for (int c = 0; c < cols_; ++c) captions_.push_back(rs_->fieldName(c));
        rows_ = int(rs_->RecordCount()) + 2;
    }
    widths_.assign(size_t(cols_), kDefaultColWidth);
    layoutValid_ = false;
    topRow_ = 1;
    long pos = rs_ ? rs_->AbsolutePosition() : -1;
    row_ = rowSel_ = !rs_ ? 0 : pos >= 0 ? int(pos) + 1 : rows_ - 1;
    col_ = colSel_ = firstShownColumn();
    invalidateAll();
    updateScrollBar();
}

void DataGrid::followRecordset() {
    cancelEdit();
    dropPending();
    if (!rs_) return;
    long count = 0, pos = -1;
    bool atEnd = false;
    try {
        count = rs_->RecordCount();
        pos = rs_->AbsolutePosition();
        atEnd = rs_->isEOF();
    } catch (const std::exception&) {
        return;
    }
    rows_ = int(count) + 2;
    topRow_ = std::clamp(topRow_, 1, rows_ - 1);
    const int row = pos >= 0 ? int(pos) + 1 : atEnd ? rows_ - 1 : std::clamp(row_, 1, rows_ - 1);
    row_ = rowSel_ = std::clamp(row_, 0, rows_ - 1);
    setCurrent(row, col_);
    invalidateAll();
    updateScrollBar();
}

// ---- input

void DataGrid::keyDown(WPARAM key) {
    if (!rs_) return;
    const bool ctrl = GetKeyState(VK_CONTROL) < 0;
    const int page = visibleDataRows();
    switch (key) {
    case VK_UP: moveTo(row_ - 1, col_); break;
    case VK_DOWN: moveTo(row_ + 1, col_); break;
    case VK_PRIOR: moveTo(row_ - page, col_); break;
    case VK_NEXT: moveTo(row_ + page, col_); break;
    case VK_LEFT:
    case VK_RIGHT: {
        int c = nextShownColumn(col_, key == VK_LEFT ? -1 : 1);
        if (c >= 0) moveTo(row_, c);
        break;
    }
    case VK_HOME:
        if (ctrl)
            moveTo(1, col_);
        else
            moveTo(row_, firstShownColumn());
        break;
    case VK_END:
        if (ctrl) {
            moveTo(std::max(1, rows_ - 2), col_);
        } else {
            int last = nextShownColumn(cols_, -1);
            if (last >= 0) moveTo(row_, last);
        }
        break;
    case VK_F2: beginEdit(nullptr); break;
    case VK_RETURN: storeRow(); break;
    case VK_ESCAPE: dropPending(); break;
    }
}

void DataGrid::mouseDown(LPARAM lp, bool doubleClick) {
    if (!doubleClick) ::SetFocus(hWnd());  // a box being edited keeps its text for the row
    int row, col;
    hitTest(GET_X_LPARAM(lp), GET_Y_LPARAM(lp), row, col);
    if (!rs_ || col < 0 || row >= rows_) return;
    unsigned generation = generation_;
    if (row == 0) {
        if (doubleClick) return;
        storeRow();  // a sort re-queries: what was typed goes in first
        if (generation == generation_ && onHeadClick) onHeadClick(col);
        return;
    }
    if (!doubleClick) {
        moveTo(row, col);
        return;
    }
    if (newRowLine(row)) return;
    moveTo(row, col);
    if (generation != generation_) return;
    storeRow();
    if (generation == generation_ && onDblClick) onDblClick();
}

void DataGrid::vscroll(WPARAM wp) {
    int target = topRow_;
    switch (LOWORD(wp)) {
    case SB_LINEUP: target -= 1; break;
    case SB_LINEDOWN: target += 1; break;
    case SB_PAGEUP: target -= visibleDataRows(); break;
    case SB_PAGEDOWN: target += visibleDataRows(); break;
    case SB_TOP: target = 1; break;
    case SB_BOTTOM: target = maxScrollTop(); break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: {
        SCROLLINFO si{};
        si.cbSize = sizeof si;
        si.fMask = SIF_TRACKPOS;
        if (GetScrollInfo(hWnd(), SB_VERT, &si)) target = si.nTrackPos;
        break;
    }
    default: return;
    }
    if (rows_ > 1) scrollTo(std::clamp(target, 1, maxScrollTop()));
}

void DataGrid::scrolled() {
    if (editing_) commitEdit(true);
    if (!hWnd()) return;
    // Drawing the bar costs Wine as much as painting the rows, and over a long table a page moves the
    // thumb by less than a pixel: the bar is drawn again only when its thumb has moved.
    SCROLLBARINFO before{}, after{};
    before.cbSize = after.cbSize = sizeof before;
    GetScrollBarInfo(hWnd(), OBJID_VSCROLL, &before);
    SCROLLINFO si{};
    si.cbSize = sizeof si;
    si.fMask = SIF_POS;
    si.nPos = topRow_;
    SetScrollInfo(hWnd(), SB_VERT, &si, FALSE);
    GetScrollBarInfo(hWnd(), OBJID_VSCROLL, &after);
    if (after.xyThumbTop != before.xyThumbTop || after.xyThumbBottom != before.xyThumbBottom)
        SetScrollInfo(hWnd(), SB_VERT, &si, TRUE);
}

void DataGrid::updateScrollBar() {
    if (!hWnd()) return;
    SCROLLINFO si{};
    si.cbSize = sizeof si;
    si.fMask = SIF_ALL | SIF_DISABLENOSCROLL;
    si.nMin = 1;
    si.nMax = std::max(1, rows_ - 1);
    si.nPage = UINT(visibleDataRows());
    si.nPos = topRow_;
    SetScrollInfo(hWnd(), SB_VERT, &si, TRUE);
}

// ---- painting

DataGrid::CellPaint DataGrid::cellPaint(int row, int) const {
    COLORREF back = COLORREF(backColor_);
    if (row == row_) back = mix(back, COLORREF(foreColor_), 0.2);
    return {back, COLORREF(foreColor_)};
}

void DataGrid::decorateRow(HDC dc, int row, const RECT& band) {
    if (row <= 0) return;
    const COLORREF fore = COLORREF(foreColor_);
    if (row == row_ && !editing_ && col_ < cols_ && !columnHidden(col_)) {
        RECT cell{columnLeft(col_), band.top, columnLeft(col_ + 1) - 1, band.bottom - 1};
        win::UniqueBrush frame(CreateSolidBrush(GetFocus() == hWnd() ? fore : mix(fore, COLORREF(backColor_), 0.5)));
        FrameRect(dc, &cell, frame.get());
    }
    if (newRowLine(row) && pendingRow_ != row && cols_ > 0) {
        // Where typing adds a record.
        const int c = firstShownColumn();
        RECT mark{columnLeft(c) + 4, band.top, columnLeft(c + 1) - 3, band.bottom - 1};
        SetTextColor(dc, mix(fore, COLORREF(backColor_), 0.5));
        DrawTextW(dc, L"*", 1, &mark, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
    }
}

DataGrid::Frame DataGrid::frame() const {
    const COLORREF back = COLORREF(backColor_);
    return Frame{kHeaderBack, kHeaderText, mix(back, kGrey, 0.45), kHeaderLine, back};
}

HBRUSH DataGrid::editBrush() {
    const COLORREF back = cellPaint(row_, col_).back;
    if (!editBrush_ || editBrushColour_ != back) {
        editBrush_.reset(CreateSolidBrush(back));
        editBrushColour_ = back;
    }
    return editBrush_.get();
}

void DataGrid::resized() {
    if (editing_) commitEdit(true);
    if (rows_ > 1 && topRow_ > maxScrollTop()) scrollTo(maxScrollTop());
    updateScrollBar();
}

bool DataGrid::processMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    if (gridMessage(msg, wp, lp, result)) return true;
    switch (msg) {
    case WM_KEYDOWN: keyDown(wp); return true;
    case WM_CHAR:
        if (wp >= 32 && wp != 127) {
            const std::wstring typed(1, wchar_t(wp));
            beginEdit(&typed);
        }
        return true;
    case WM_LBUTTONDOWN: mouseDown(lp, false); return true;
    case WM_LBUTTONDBLCLK: mouseDown(lp, true); return true;
    case WM_VSCROLL: vscroll(wp); return true;
    case WM_SETFOCUS: invalidateRows(row_, row_); return true;
    case WM_KILLFOCUS: {
        invalidateRows(row_, row_);
        HWND to = reinterpret_cast<HWND>(wp);
        const bool toBox = edit_ && to == edit_->handle();
        if (!toBox && sameWindow(to, hWnd())) storeRow();
        return true;
    }
    case WM_CTLCOLOREDIT: {
        HDC dc = reinterpret_cast<HDC>(wp);
        SetTextColor(dc, COLORREF(foreColor_));
        SetBkColor(dc, cellPaint(row_, col_).back);
        result = reinterpret_cast<LRESULT>(editBrush());
        return true;
    }
    }
    return false;
}

}  // namespace qs::controls
