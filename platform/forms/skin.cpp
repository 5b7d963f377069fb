#include "platform/forms/skin.h"

#include <cmath>
#include <map>
#include <mutex>
#include <tuple>

#include "platform/runtime/text.h"
#include "platform/win/gdi.h"

namespace qs::forms::skin {
namespace {

// Selections restored on scope exit, so every drawing helper leaves the DC as it found it.
using Selected = qs::win::Selection;

struct Pen : qs::win::UniquePen {
    explicit Pen(COLORREF colour, int width = 1) : qs::win::UniquePen(CreatePen(PS_SOLID, width, colour)) {}
    operator HGDIOBJ() const { return get(); }
};

struct Brush : qs::win::UniqueBrush {
    explicit Brush(COLORREF colour) : qs::win::UniqueBrush(CreateSolidBrush(colour)) {}
    operator HGDIOBJ() const { return get(); }
    operator HBRUSH() const { return get(); }
};

COLORREF mix(COLORREF a, COLORREF b, double t) {
    auto ch = [t](int x, int y) { return static_cast<int>(std::lround(x + (y - x) * t)); };
    return RGB(ch(GetRValue(a), GetRValue(b)), ch(GetGValue(a), GetGValue(b)), ch(GetBValue(a), GetBValue(b)));
}

void line(HDC hdc, int x1, int y1, int x2, int y2) {
    MoveToEx(hdc, x1, y1, nullptr);
    LineTo(hdc, x2, y2);
}

int scaleOf(const RECT& rc) { return std::max<int>(1, std::min<int>(rc.right - rc.left, rc.bottom - rc.top)); }

}  // namespace

HFONT font(const Font& f) {
    using Key = std::tuple<std::string, int, bool, bool, bool>;
    static std::mutex lock;
    static std::map<Key, HFONT> cache;
    // Points to pixels at the screen's resolution; the size keeps its hundredths (8.25, 9.75, 14.25).
    int hundredths = static_cast<int>(std::lround(f.size * 100));
    Key key{f.name, hundredths, f.bold, f.italic, f.underline};
    std::lock_guard<std::mutex> guard(lock);
    auto it = cache.find(key);
    if (it != cache.end()) return it->second;
    int dpi = GetDeviceCaps(qs::win::WindowDC(nullptr).get(), LOGPIXELSY);
    LOGFONTW lf{};
    lf.lfHeight = -static_cast<LONG>(std::lround(hundredths * dpi / 7200.0));
    lf.lfWeight = f.bold ? FW_BOLD : FW_NORMAL;
    lf.lfItalic = f.italic;
    lf.lfUnderline = f.underline;
    lf.lfCharSet = DEFAULT_CHARSET;
    lf.lfQuality = DEFAULT_QUALITY;
    std::wstring name = qs::rt::widen(f.name);
    wcsncpy(lf.lfFaceName, name.c_str(), LF_FACESIZE - 1);
    HFONT h = CreateFontIndirectW(&lf);
    if (!h) h = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    cache.emplace(key, h);
    return h;
}

const Font& captionFont() {
    static const Font f{"Tahoma", 8.25, true};
    return f;
}

const Font& titleFont() {
    static const Font f{"Tahoma", 10, true};
    return f;
}

void fillSolid(HDC hdc, const RECT& rc, COLORREF colour) {
    Brush b(colour);
    FillRect(hdc, &rc, b);
}

void fillGradient(HDC hdc, const RECT& rc, COLORREF top, COLORREF bottom) {
    TRIVERTEX v[2] = {};
    v[0].x = rc.left;
    v[0].y = rc.top;
    v[0].Red = static_cast<COLOR16>(GetRValue(top) << 8);
    v[0].Green = static_cast<COLOR16>(GetGValue(top) << 8);
    v[0].Blue = static_cast<COLOR16>(GetBValue(top) << 8);
    v[1].x = rc.right;
    v[1].y = rc.bottom;
    v[1].Red = static_cast<COLOR16>(GetRValue(bottom) << 8);
    v[1].Green = static_cast<COLOR16>(GetGValue(bottom) << 8);
    v[1].Blue = static_cast<COLOR16>(GetBValue(bottom) << 8);
    GRADIENT_RECT g{0, 1};
    if (!GradientFill(hdc, v, 2, &g, 1, GRADIENT_FILL_RECT_V)) {
        // Band by band where the driver has no gradient fill.
        int h = rc.bottom - rc.top;
        for (int y = 0; y < h; ++y) {
            RECT band{rc.left, rc.top + y, rc.right, rc.top + y + 1};
            fillSolid(hdc, band, mix(top, bottom, h > 1 ? double(y) / (h - 1) : 0));
        }
    }
}

void drawFrame(HDC hdc, const RECT& rc, COLORREF outer, COLORREF inner) {
    Selected nb(hdc, GetStockObject(NULL_BRUSH));
    {
        Pen p(outer);
        Selected sp(hdc, p);
        Rectangle(hdc, rc.left, rc.top, rc.right, rc.bottom);
    }
    Pen p(inner);
    Selected sp(hdc, p);
    Rectangle(hdc, rc.left + 1, rc.top + 1, rc.right - 1, rc.bottom - 1);
}

void drawWell(HDC hdc, const RECT& rc) {
    fillSolid(hdc, rc, kWell);
    Pen dark(hex(0x05090C));
    Pen light(kFrameOuter);
    {
        Selected s(hdc, dark);
        line(hdc, rc.left, rc.bottom - 1, rc.left, rc.top);
        line(hdc, rc.left, rc.top, rc.right, rc.top);
    }
    Selected s(hdc, light);
    line(hdc, rc.right - 1, rc.top + 1, rc.right - 1, rc.bottom - 1);
    line(hdc, rc.left + 1, rc.bottom - 1, rc.right, rc.bottom - 1);
}

void drawWindowBackground(HDC hdc, const RECT& client) {
    fillGradient(hdc, client, kGroundTop, kGroundBottom);
    drawFrame(hdc, client, kFrameOuter, hex(0x16293A));
}

void drawText(HDC hdc, const RECT& rc, std::string_view utf8, COLORREF colour, const Font& f, UINT format) {
    std::wstring text = qs::rt::widen(utf8);
    Selected sf(hdc, font(f));
    int oldMode = SetBkMode(hdc, TRANSPARENT);
    COLORREF oldColour = SetTextColor(hdc, colour);
    RECT r = rc;
    DrawTextW(hdc, text.c_str(), static_cast<int>(text.size()), &r, format);
    SetTextColor(hdc, oldColour);
    SetBkMode(hdc, oldMode);
}

void drawTitle(HDC hdc, const RECT& client, std::string_view utf8) {
    RECT r{client.left + 8, client.top + 4, client.right - 8, client.top + 24};
    drawText(hdc, r, utf8, kTextBright, titleFont());
    Pen p(kFrameOuter);
    Selected s(hdc, p);
    line(hdc, client.left + 6, client.top + 25, client.right - 6, client.top + 25);
}

void drawGlyph(HDC hdc, const RECT& rc, Glyph glyph, COLORREF colour) {
    int w = rc.right - rc.left, h = rc.bottom - rc.top;
    int s = std::max(6, scaleOf(rc) * 2 / 3);  // the glyph's box, centred
    int cx = rc.left + w / 2, cy = rc.top + h / 2;
    int l = cx - s / 2, t = cy - s / 2, r = l + s, b = t + s;
    int pw = s >= 14 ? 2 : 1;
    Pen pen(colour, pw);
    Brush brush(colour);
    Selected sp(hdc, pen);
    Selected sb(hdc, GetStockObject(NULL_BRUSH));
    switch (glyph) {
    case Glyph::None: break;
    case Glyph::Close:
        line(hdc, l + 1, t + 1, r - 1, b - 1);
        line(hdc, r - 2, t + 1, l, b - 1);
        break;
    case Glyph::Help: {
        Font f{"Tahoma", std::max(6.0, s * 1.05 * 72 / 96.0), true};
        drawText(hdc, rc, "?", colour, f, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
        break;
    }
    case Glyph::Info: {
        Ellipse(hdc, l, t, r, b);
        Font f{"Times New Roman", std::max(6.0, s * 0.8 * 72 / 96.0), true};
        RECT ir{l, t + 1, r, b};
        drawText(hdc, ir, "i", colour, f, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
        break;
    }
    case Glyph::DownArrow: {
        POINT p[3] = {{l + 1, t + s / 4}, {r - 1, t + s / 4}, {cx, b - s / 4}};
        Selected fill(hdc, brush);
        Polygon(hdc, p, 3);
        line(hdc, l + 1, b - 1, r - 1, b - 1);
        break;
    }
    case Glyph::Pin:
    case Glyph::Unpin: {
        // A drawing pin: head, collar and point; the unpinned one leans over.
        bool in = glyph == Glyph::Pin;
        int hx = in ? cx : cx + s / 6;
        Selected fill(hdc, brush);
        Ellipse(hdc, hx - s / 4, t, hx + s / 4, t + s / 2);
        line(hdc, hx - s / 3, t + s / 2, hx + s / 3, t + s / 2);
        if (in)
            line(hdc, cx, t + s / 2, cx, b);
        else
            line(hdc, hx, t + s / 2, l + s / 6, b - 1);
        break;
    }
    case Glyph::Document: {
        POINT p[5] = {{l + s / 6, t}, {r - s / 3, t}, {r - s / 6, t + s / 6}, {r - s / 6, b}, {l + s / 6, b}};
        Polygon(hdc, p, 5);
        for (int i = 1; i <= 3; ++i) line(hdc, l + s / 3, t + i * s / 4, r - s / 3, t + i * s / 4);
        break;
    }
    case Glyph::Globe:
        Ellipse(hdc, l, t, r, b);
        Ellipse(hdc, cx - s / 5, t, cx + s / 5, b);
        line(hdc, l, cy, r, cy);
        break;
    case Glyph::Phone: {
        // A desk telephone: the handset lying across the top, the body with its dial beneath.
        Selected fill(hdc, brush);
        RoundRect(hdc, l, t + s / 6, r, t + s / 6 + std::max(3, s / 5), 4, 4);
        Rectangle(hdc, l, t + s / 6, l + s / 4, t + s / 6 + s / 3);
        Rectangle(hdc, r - s / 4, t + s / 6, r, t + s / 6 + s / 3);
        POINT body[4] = {{l + s / 5, t + s / 2}, {r - s / 5, t + s / 2}, {r, b}, {l, b}};
        Polygon(hdc, body, 4);
        Pen hole(kFaceBottom);
        Brush holeBrush(kFaceBottom);
        Selected sh(hdc, hole);
        Selected shb(hdc, holeBrush);
        int d = std::max(2, s / 5);
        Ellipse(hdc, cx - d, (t + s / 2 + b) / 2 - d + 1, cx + d, (t + s / 2 + b) / 2 + d + 1);
        break;
    }
    case Glyph::CheckEmpty:
    case Glyph::CheckTicked: {
        RECT box{rc.left, rc.top, rc.right, rc.bottom};
        drawWell(hdc, box);
        if (glyph == Glyph::CheckTicked) {
            Pen tick(kTextBright, std::max(1, h / 6));
            Selected st(hdc, tick);
            POINT p[3] = {{rc.left + w / 5, rc.top + h / 2},
                          {rc.left + w * 2 / 5, rc.bottom - h / 4},
                          {rc.right - w / 5, rc.top + h / 5}};
            Polyline(hdc, p, 3);
        }
        break;
    }
    }
}

void drawButtonFace(HDC hdc, const RECT& rc, const Face& face, bool pressed) {
    if (face.glyph == Glyph::CheckEmpty || face.glyph == Glyph::CheckTicked) {
        drawGlyph(hdc, rc, face.glyph, kText);
        return;
    }
    RECT body = rc;
    fillGradient(hdc, body, pressed ? kFacePressedTop : kFaceTop, pressed ? kFacePressedBottom : kFaceBottom);
    // Bevel: lit from the top left at rest, from the bottom right when pressed.
    Pen lightPen(pressed ? hex(0x05090C) : kFrameInner);
    Pen darkPen(pressed ? kFrameOuter : hex(0x05090C));
    {
        Selected s(hdc, lightPen);
        line(hdc, rc.left, rc.bottom - 1, rc.left, rc.top);
        line(hdc, rc.left, rc.top, rc.right, rc.top);
    }
    {
        Selected s(hdc, darkPen);
        line(hdc, rc.right - 1, rc.top, rc.right - 1, rc.bottom - 1);
        line(hdc, rc.left, rc.bottom - 1, rc.right, rc.bottom - 1);
    }
    RECT content{rc.left + 2, rc.top + 2, rc.right - 2, rc.bottom - 2};
    if (pressed) OffsetRect(&content, 1, 1);
    COLORREF ink = pressed ? kTextBright : kText;
    if (face.glyph != Glyph::None && face.caption.empty()) {
        drawGlyph(hdc, content, face.glyph, ink);
    } else if (face.glyph != Glyph::None) {
        int side = content.bottom - content.top;
        RECT g{content.left + 2, content.top, content.left + 2 + side, content.bottom};
        drawGlyph(hdc, g, face.glyph, ink);
        RECT t{g.right + 2, content.top, content.right, content.bottom};
        drawText(hdc, t, face.caption, ink, captionFont(), DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    } else {
        drawText(hdc, content, face.caption, ink, captionFont(),
                 DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
    }
}

}  // namespace qs::forms::skin
