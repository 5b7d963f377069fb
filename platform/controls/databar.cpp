#include "platform/controls/databar.h"

#include <windowsx.h>

#include <algorithm>

#include "platform/db/db.h"
#include "platform/forms/paint.h"

namespace qs::controls {

namespace skin = forms::skin;

DataBar::DataBar(forms::Container& parent, int left, int top, int width, int height)
    : Control(parent, left, top, width, height) {}

HWND DataBar::createWindow(HWND parent, const RECT& pixels) {
    return createChild(forms::detail::registerClass(L"QsDataBar"), parent, pixels, 0);
}

void DataBar::captionChanged() { repaint(); }

RECT DataBar::arrowRect(Arrow arrow) const {
    RECT client{};
    if (hWnd()) GetClientRect(hWnd(), &client);
    const int side = std::max<int>(1, client.bottom);
    switch (arrow) {
    case First: return RECT{0, 0, side, side};
    case Previous: return RECT{side, 0, 2 * side, side};
    case Next: return RECT{client.right - 2 * side, 0, client.right - side, side};
    case Last: break;
    }
    return RECT{client.right - side, 0, client.right, side};
}

int DataBar::arrowAt(POINT pt) const {
    for (int a = First; a <= Last; ++a) {
        RECT r = arrowRect(Arrow(a));
        if (PtInRect(&r, pt)) return a;
    }
    return -1;
}

void DataBar::move(Arrow arrow) {
    std::shared_ptr<db::Recordset> rs = Recordset();
    if (!rs) return;
    UpdateRecord();
    try {
        const long count = rs->RecordCount();
        if (count == 0) return;
        const long pos = rs->AbsolutePosition();
        long target = pos;
        switch (arrow) {
        case First: target = 0; break;
        case Previous: target = pos < 0 ? (rs->isEOF() ? count - 1 : 0) : std::max(0L, pos - 1); break;
        case Next: target = pos < 0 ? (rs->isEOF() ? count - 1 : 0) : std::min(count - 1, pos + 1); break;
        case Last: target = count - 1; break;
        }
        rs->AbsolutePosition(target);
    } catch (const std::exception&) {
        // A recordset closed under the bar: nothing to move.
    }
    UpdateControls();
}

void DataBar::paint(HDC dc, const RECT& client) {
    skin::fillGradient(dc, client, skin::kFaceTop, skin::kFaceBottom);
    for (int a = First; a <= Last; ++a) {
        const RECT r = arrowRect(Arrow(a));
        skin::drawButtonFace(dc, r, forms::Face{}, pressed_ == a);
        // A triangle pointing the arrow's way, with a bar at the far end for First and Last.
        const int cx = (r.left + r.right) / 2 + (pressed_ == a ? 1 : 0),
                  cy = (r.top + r.bottom) / 2 + (pressed_ == a ? 1 : 0);
        const int s = std::max<int>(2, (r.bottom - r.top) / 5);
        const bool left = a == First || a == Previous;
        POINT tri[3] = {
            {left ? cx - s : cx + s, cy}, {left ? cx + s : cx - s, cy - s - 1}, {left ? cx + s : cx - s, cy + s + 1}};
        win::UniqueBrush ink(CreateSolidBrush(skin::kText));
        win::UniquePen edge(CreatePen(PS_SOLID, 1, skin::kText));
        win::Selection b(dc, ink.get()), p(dc, edge.get());
        Polygon(dc, tri, 3);
        if (a == First) Rectangle(dc, cx - s - 2, cy - s - 1, cx - s, cy + s + 2);
        if (a == Last) Rectangle(dc, cx + s + 1, cy - s - 1, cx + s + 3, cy + s + 2);
    }
    RECT text{arrowRect(Previous).right + 6, 0, arrowRect(Next).left - 6, client.bottom};
    if (text.right > text.left)
        skin::drawText(dc, text, Caption(), skin::kText, skin::captionFont(),
                       DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
}

bool DataBar::processMessage(UINT msg, WPARAM, LPARAM lp, LRESULT& result) {
    if (forms::detail::paintMessage(hWnd(), msg, result, [&](auto& p) { paint(p.dc(), p.client()); })) return true;
    switch (msg) {
    case WM_SIZE: InvalidateRect(hWnd(), nullptr, FALSE); return true;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        pressed_ = arrowAt(POINT{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)});
        if (pressed_ >= 0) {
            SetCapture(hWnd());
            InvalidateRect(hWnd(), nullptr, FALSE);
        }
        return true;
    case WM_LBUTTONUP: {
        const int held = pressed_;
        pressed_ = -1;
        if (GetCapture() == hWnd()) ReleaseCapture();
        InvalidateRect(hWnd(), nullptr, FALSE);
        if (held >= 0 && arrowAt(POINT{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)}) == held) move(Arrow(held));
        return true;
    }
    case WM_CAPTURECHANGED:
        if (pressed_ >= 0 && reinterpret_cast<HWND>(lp) != hWnd()) {
            pressed_ = -1;
            InvalidateRect(hWnd(), nullptr, FALSE);
        }
        return true;
    }
    return false;
}

}  // namespace qs::controls
