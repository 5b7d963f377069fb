#include "app/dialogs/helpfigures.h"

#include <algorithm>

#include "app/lists.h"
#include "platform/controls/flexgrid.h"
#include "platform/controls/scrollbar.h"
#include "platform/win/gdi.h"

namespace qs::app {

namespace {

namespace skin = forms::skin;

// A memory picture of a given size, selected into its own DC while the object lives.
class Canvas {
public:
    Canvas(HDC like, int width, int height)
        : dc_(like),
          bitmap_(CreateCompatibleBitmap(like, std::max(1, width), std::max(1, height))),
          selected_(dc_.get(), bitmap_.get()) {}
    HDC dc() const { return dc_.get(); }

private:
    win::MemoryDC dc_;
    win::UniqueBitmap bitmap_;
    win::Selection selected_;
};

RECT pixelsOf(const forms::Control& c) {
    const int l = forms::toPixels(c.Left()), t = forms::toPixels(c.Top());
    return RECT{l, t, l + forms::toPixels(c.Width()), t + forms::toPixels(c.Height())};
}

// The list below the buttons, in the Jobs list's look.
void drawList(HDC hdc, const RECT& area) {
    skin::fillSolid(hdc, area, skin::kWell);
    const int row = forms::toPixels(240);
    RECT header{area.left, area.top, area.right, std::min<LONG>(area.bottom, area.top + row)};
    skin::fillGradient(hdc, header, skin::kFaceTop, skin::kFaceBottom);
    const ListLook& look = listLook(listJobs);
    int x = area.left;
    const int width = area.right - area.left;
    for (size_t c = 0; c < look.captions.size(); ++c) {
        const int w = int(width * look.widths[c]);
        RECT cell{x + 3, header.top, x + w, header.bottom};
        skin::drawText(hdc, cell, look.captions[c], skin::kTextBright, skin::captionFont());
        x += w;
    }
    int i = 0;
    for (int y = header.bottom; y < area.bottom; y += row, ++i) {
        RECT r{area.left, y, area.right, std::min<LONG>(area.bottom, y + row - 1)};
        skin::fillSolid(hdc, r, i % 3 == 1 ? skin::kJobPermanent : skin::kJobRow);
    }
}

void drawScrollBar(HDC hdc, const RECT& r) {
    skin::fillSolid(hdc, r, skin::kTrack);
    const int cx = (r.left + r.right) / 2;
    skin::fillSolid(hdc, RECT{cx - 1, r.top + 2, cx + 1, r.bottom - 2}, skin::kFrameOuter);
    RECT thumb{r.left + 1, r.top + 2, r.right - 1, r.top + 2 + (r.bottom - r.top) / 5};
    skin::fillGradient(hdc, thumb, skin::kThumb, skin::kFrameOuter);
    skin::drawFrame(hdc, thumb, skin::kFrameOuter, skin::kFrameInner);
}

// The whole main window at rest, as its skin and its controls draw themselves.
void drawMainWindow(HDC hdc, const RECT& client, forms::Form& main) {
    if (main.Loaded())
        main.paintBackdrop(hdc, client);
    else
        skin::drawWindowBackground(hdc, client);
    bool listDrawn = false;  // the three grids share one place
    for (forms::Control* c : main.controls()) {
        const RECT r = pixelsOf(*c);
        if (auto* b = dynamic_cast<forms::PictureButton*>(c)) {
            if (!b->Visible()) continue;
            if (b->painter)
                b->painter(hdc, r, 0);
            else
                skin::drawButtonFace(hdc, r, b->face(0), false);
        } else if (auto* box = dynamic_cast<forms::TextBox*>(c)) {
            skin::drawFrame(hdc, RECT{r.left - 2, r.top - 2, r.right + 2, r.bottom + 2}, skin::hex(0x05090C),
                            skin::kFrameOuter);
            skin::fillSolid(hdc, r, box->BackColor());
        } else if (dynamic_cast<controls::ScrollBar*>(c)) {
            drawScrollBar(hdc, r);
        } else if (dynamic_cast<controls::FlexGrid*>(c) && !listDrawn) {
            drawList(hdc, r);
            listDrawn = true;
        } else if (auto* label = dynamic_cast<forms::Label*>(c)) {
            skin::drawText(hdc, r, label->Caption(), label->ForeColor(), label->Font(),
                           DT_LEFT | DT_TOP | DT_WORDBREAK);
        }
    }
}

// Explorer's context menu for a file, with the entry that hands the file to this program.
void drawContextMenu(HDC hdc, const RECT& rc, RECT& entry) {
    skin::fillSolid(hdc, rc, skin::kWell);
    const COLORREF face = RGB(0xF0, 0xF0, 0xF0), ink = RGB(0x10, 0x10, 0x10);
    const int item = std::max(14, int((rc.bottom - rc.top - 8) / 4));
    RECT menu{rc.left + 30, rc.top + 4, rc.right - 30, rc.top + 4 + 4 * item};
    skin::fillSolid(hdc, menu, face);
    skin::drawFrame(hdc, menu, RGB(0x80, 0x80, 0x80), face);
    const char* items[] = {"Open", "Print", "Send to Quillstack", "Properties"};
    const forms::Font font{"Tahoma", 8.25};
    for (int i = 0; i < 4; ++i) {
        RECT r{menu.left + 2, menu.top + i * item, menu.right - 2, menu.top + (i + 1) * item};
        if (i == 2) {
            skin::fillSolid(hdc, RECT{r.left, r.top + 1, r.right, r.bottom - 1}, RGB(0x33, 0x99, 0xFF));
            entry = r;
        }
        RECT text{r.left + 22, r.top, r.right, r.bottom};
        skin::drawText(hdc, text, items[i], i == 2 ? RGB(0xFF, 0xFF, 0xFF) : ink, font);
    }
}

void circle(HDC hdc, RECT around) {
    InflateRect(&around, 9, 6);
    win::UniquePen pen(CreatePen(PS_SOLID, 2, kFigureCircle));
    win::Selection withPen(hdc, pen.get());
    win::Selection withBrush(hdc, GetStockObject(NULL_BRUSH));
    Ellipse(hdc, around.left, around.top, around.right, around.bottom);
}

}  // namespace

forms::Control* figureControl(forms::Form& main, int figure) {
    auto button = [&](std::initializer_list<forms::Glyph> glyphs) -> forms::Control* {
        for (forms::Control* c : main.controls())
            if (auto* b = dynamic_cast<forms::PictureButton*>(c))
                if (b->Visible() && std::find(glyphs.begin(), glyphs.end(), b->face(0).glyph) != glyphs.end()) return b;
        return nullptr;
    };
    switch (figure) {
    case figJobsButton: return button({forms::Glyph::Document});
    case figUrlButton: return button({forms::Glyph::Globe});
    case figPhoneButton: return button({forms::Glyph::Phone});
    case figStayOnTop: return button({forms::Glyph::Pin, forms::Glyph::Unpin});
    case figHideButton: return button({forms::Glyph::DownArrow});
    case figInfoButton: return button({forms::Glyph::Info});
    case figFindBox:
        for (forms::Control* c : main.controls())
            if (dynamic_cast<forms::TextBox*>(c)) return c;
        return nullptr;
    }
    return nullptr;
}

void drawHelpFigure(HDC hdc, const RECT& rc, int figure, forms::Form* main) {
    const int w = rc.right - rc.left, h = rc.bottom - rc.top;
    if (w <= 0 || h <= 0) return;
    if (figure == figContextMenu) {
        RECT entry{};
        drawContextMenu(hdc, rc, entry);
        circle(hdc, entry);
        return;
    }
    if (!main) {
        skin::drawWindowBackground(hdc, rc);
        return;
    }
    const SIZE size{forms::toPixels(main->ScaleWidth()), forms::toPixels(main->ScaleHeight())};
    Canvas canvas(hdc, size.cx, size.cy);
    drawMainWindow(canvas.dc(), RECT{0, 0, size.cx, size.cy}, *main);

    // The piece round the control in question, kept inside the window.
    forms::Control* part = figureControl(*main, figure);
    RECT target = part ? pixelsOf(*part) : RECT{size.cx / 2, size.cy / 2, size.cx / 2, size.cy / 2};
    const int cx = (target.left + target.right) / 2, cy = (target.top + target.bottom) / 2;
    const int left = std::clamp(cx - w / 2, 0, std::max(0, int(size.cx) - w));
    const int top = std::clamp(cy - h / 2, 0, std::max(0, int(size.cy) - h));
    skin::fillSolid(hdc, rc, skin::kWell);
    BitBlt(hdc, rc.left, rc.top, std::min(w, int(size.cx)), std::min(h, int(size.cy)), canvas.dc(), left, top, SRCCOPY);
    if (part) {
        OffsetRect(&target, rc.left - left, rc.top - top);
        const int saved = SaveDC(hdc);
        IntersectClipRect(hdc, rc.left, rc.top, rc.right, rc.bottom);
        circle(hdc, target);
        RestoreDC(hdc, saved);
    }
}

}  // namespace qs::app
