#include "platform/controls/scrollbar.h"

#include <algorithm>
#include <cmath>
#include <exception>

#include "platform/forms/paint.h"
#include "platform/win/gdi.h"

namespace qs::controls {
namespace {

namespace skin = qs::forms::skin;

constexpr UINT_PTR kRepeatTimer = 1;
constexpr UINT kFirstRepeatMs = 400;
constexpr UINT kRepeatMs = 60;
constexpr int kMinThumb = 10;

int stepOf(double change) { return std::max(1, static_cast<int>(std::lround(change))); }

void drawArrow(HDC hdc, const RECT& r, bool up, bool pressed) {
    skin::fillGradient(hdc, r, pressed ? skin::kFacePressedTop : skin::kFaceTop,
                       pressed ? skin::kFacePressedBottom : skin::kFaceBottom);
    skin::drawFrame(hdc, r, skin::kFrameOuter, pressed ? skin::kFrameOuter : skin::kFaceTop);
    int w = r.right - r.left, h = r.bottom - r.top;
    int half = std::max(2, std::min(w, h) / 4);
    int cx = r.left + w / 2 + (pressed ? 1 : 0), cy = r.top + h / 2 + (pressed ? 1 : 0);
    POINT p[3];
    if (up) {
        p[0] = {cx - half, cy + half / 2};
        p[1] = {cx + half, cy + half / 2};
        p[2] = {cx, cy - half / 2 - 1};
    } else {
        p[0] = {cx - half, cy - half / 2};
        p[1] = {cx + half, cy - half / 2};
        p[2] = {cx, cy + half / 2 + 1};
    }
    qs::win::UniqueBrush brush(CreateSolidBrush(pressed ? skin::kTextBright : skin::kText));
    qs::win::UniquePen pen(CreatePen(PS_SOLID, 1, pressed ? skin::kTextBright : skin::kText));
    qs::win::Selection withBrush(hdc, brush.get()), withPen(hdc, pen.get());
    Polygon(hdc, p, 3);
}

}  // namespace

ScrollBar::ScrollBar(qs::forms::Container& parent, int left, int top, int width, int height)
    : Control(parent, left, top, width, height) {}

int ScrollBar::lowBound() const { return std::min(min_, max_); }
int ScrollBar::highBound() const { return std::max(min_, max_); }

void ScrollBar::clamp() {
    const int v = std::clamp(value_, lowBound(), highBound());
    const bool changed = v != value_;
    value_ = v;
    repaint();
    if (changed && onChange) onChange();
}

void ScrollBar::Min(int v) {
    min_ = v;
    clamp();
}

void ScrollBar::Max(int v) {
    max_ = v;
    clamp();
}

void ScrollBar::Value(int v) { setValue(v, false); }

void ScrollBar::setValue(int v, bool scrolling) {
    v = std::clamp(v, lowBound(), highBound());
    if (v == value_) return;
    value_ = v;
    repaintNow();
    auto& event = scrolling ? onScroll : onChange;
    if (event) event();
}

void ScrollBar::SmallChange(double step) { smallChange_ = step; }

void ScrollBar::LargeChange(double step) { setAndRepaint(largeChange_, step); }

void ScrollBar::Arrows(bool on) { setAndRepaint(arrows_, on); }

void ScrollBar::BackColor(COLORREF colour) { setAndRepaint(backColor_, colour); }

RECT ScrollBar::clientPixels() const {
    RECT r{0, 0, 0, 0};
    if (hWnd())
        GetClientRect(hWnd(), &r);
    else
        r = RECT{0, 0, qs::forms::toPixels(Width()), qs::forms::toPixels(Height())};
    return r;
}

int ScrollBar::arrowLength() const {
    if (!arrows_) return 0;
    RECT c = clientPixels();
    return std::min<int>(c.right - c.left, (c.bottom - c.top) / 3);
}

RECT ScrollBar::trackRect() const {
    RECT c = clientPixels();
    int a = arrowLength();
    return RECT{c.left, c.top + a, c.right, std::max<int>(c.top + a, c.bottom - a)};
}

RECT ScrollBar::thumbRect() const {
    RECT t = trackRect();
    int len = t.bottom - t.top;
    long range = static_cast<long>(highBound()) - lowBound();
    if (len <= 0) return RECT{t.left, t.top, t.right, t.top};
    if (range <= 0) return t;
    double page = stepOf(largeChange_);
    int thumb = static_cast<int>(std::lround(len * page / (range + page)));
    thumb = std::clamp(thumb, std::min(kMinThumb, len), len);
    // Min sits at the top of the track, also when Min is the larger of the two.
    double fraction = static_cast<double>(value_ - min_) / (static_cast<double>(max_) - min_);
    int top = t.top + static_cast<int>(std::lround((len - thumb) * fraction));
    return RECT{t.left, top, t.right, top + thumb};
}

int ScrollBar::valueAt(int thumbTopPixel) const {
    RECT t = trackRect(), th = thumbRect();
    int free = (t.bottom - t.top) - (th.bottom - th.top);
    if (free <= 0 || max_ == min_) return value_;
    double fraction = std::clamp(static_cast<double>(thumbTopPixel - t.top) / free, 0.0, 1.0);
    return static_cast<int>(std::lround(min_ + fraction * (static_cast<double>(max_) - min_)));
}

void ScrollBar::step(int direction, double amount) {
    // `direction` -1 moves towards Min (up), +1 towards Max (down).
    int sign = max_ >= min_ ? 1 : -1;
    long target = static_cast<long>(value_) + static_cast<long>(direction) * sign * stepOf(amount);
    target = std::clamp<long>(target, lowBound(), highBound());
    setValue(static_cast<int>(target), false);
}

HWND ScrollBar::createWindow(HWND parent, const RECT& pixels) {
    return createChild(qs::forms::detail::registerClass(L"QsScrollBar"), parent, pixels, 0);
}

void ScrollBar::paint(HDC hdc, const RECT& rc) {
    skin::fillSolid(hdc, rc, backColor_ != CLR_INVALID ? backColor_ : skin::kTrack);
    RECT t = trackRect();
    // A groove down the middle of the track.
    int cx = (t.left + t.right) / 2;
    RECT groove{cx - 1, t.top + 2, cx + 1, t.bottom - 2};
    if (groove.bottom > groove.top) skin::fillSolid(hdc, groove, skin::kFrameOuter);
    if (arrows_) {
        int a = arrowLength();
        drawArrow(hdc, RECT{rc.left, rc.top, rc.right, rc.top + a}, true, held_ == Part::UpArrow);
        drawArrow(hdc, RECT{rc.left, rc.bottom - a, rc.right, rc.bottom}, false, held_ == Part::DownArrow);
    }
    RECT th = thumbRect();
    if (th.bottom > th.top && highBound() > lowBound()) {
        RECT body{th.left + 1, th.top, th.right - 1, th.bottom};
        bool active = held_ == Part::Thumb;
        skin::fillGradient(hdc, body, active ? skin::kThumbActive : skin::kThumb, skin::kFrameOuter);
        skin::drawFrame(hdc, body, skin::kFrameOuter, active ? skin::kTextBright : skin::kFrameInner);
    }
}

bool ScrollBar::processMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    const HWND hwnd = hWnd();
    if (forms::detail::paintMessage(hwnd, msg, result, [&](auto& p) { paint(p.dc(), p.client()); })) return true;
    switch (msg) {
    case WM_LBUTTONDOWN: {
        POINT pt{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
        RECT c = clientPixels(), th = thumbRect(), t = trackRect();
        SetCapture(hwnd);
        if (arrows_ && pt.y < t.top) {
            held_ = Part::UpArrow;
            step(-1, smallChange_);
        } else if (arrows_ && pt.y >= t.bottom && pt.y < c.bottom) {
            held_ = Part::DownArrow;
            step(+1, smallChange_);
        } else if (PtInRect(&th, pt) && highBound() > lowBound()) {
            held_ = Part::Thumb;
            dragOffset_ = pt.y - th.top;
            dragStartValue_ = value_;
            InvalidateRect(hwnd, nullptr, FALSE);
            return true;
        } else if (pt.y < th.top) {
            held_ = Part::TrackUp;
            step(-1, largeChange_);
        } else {
            held_ = Part::TrackDown;
            step(+1, largeChange_);
        }
        if (hWnd()) {
            InvalidateRect(hwnd, nullptr, FALSE);
            SetTimer(hwnd, kRepeatTimer, kFirstRepeatMs, nullptr);
        }
        return true;
    }
    case WM_TIMER: {
        if (wParam != kRepeatTimer) break;
        SetTimer(hwnd, kRepeatTimer, kRepeatMs, nullptr);
        POINT pt;
        GetCursorPos(&pt);
        ScreenToClient(hwnd, &pt);
        RECT th = thumbRect();
        switch (held_) {
        case Part::UpArrow: step(-1, smallChange_); break;
        case Part::DownArrow: step(+1, smallChange_); break;
        case Part::TrackUp:
            // Pages on until the thumb reaches the pointer.
            if (pt.y < th.top) step(-1, largeChange_);
            break;
        case Part::TrackDown:
            if (pt.y >= th.bottom) step(+1, largeChange_);
            break;
        default: KillTimer(hwnd, kRepeatTimer); break;
        }
        return true;
    }
    case WM_MOUSEMOVE:
        if (held_ == Part::Thumb) {
            int y = static_cast<short>(HIWORD(lParam));
            setValue(valueAt(y - dragOffset_), true);
        }
        return true;
    case WM_LBUTTONUP:
    case WM_CAPTURECHANGED: {
        if (held_ == Part::None) return true;
        Part was = held_;
        held_ = Part::None;
        if (hWnd()) {
            KillTimer(hwnd, kRepeatTimer);
            if (msg == WM_LBUTTONUP && GetCapture() == hwnd) ReleaseCapture();
            InvalidateRect(hwnd, nullptr, FALSE);
        }
        if (was == Part::Thumb && value_ != dragStartValue_ && onChange) onChange();
        return true;
    }
    case WM_MOUSEWHEEL: {
        int notches = GET_WHEEL_DELTA_WPARAM(wParam) / WHEEL_DELTA;
        for (int i = 0; i < std::abs(notches); ++i) step(notches > 0 ? -1 : +1, smallChange_);
        return true;
    }
    default: break;
    }
    return false;
}

}  // namespace qs::controls
