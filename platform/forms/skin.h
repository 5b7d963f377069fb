#pragma once
// The program's one look, drawn with GDI at run time: a dark blue-grey ground, frames and captions in the
// colours of the lists, button faces that sink when pressed. Colours are COLORREF (blue in the high byte).
#include <windows.h>

#include <string>
#include <string_view>

namespace qs::forms {

// A font as the forms runtime names it: face name and size in points.
struct Font {
    std::string name = "MS Sans Serif";
    double size = 8.25;
    bool bold = false;
    bool italic = false;
    bool underline = false;
};

// What a picture button's face shows: a caption, a small drawing, or both (glyph left of the caption).
enum class Glyph {
    None,
    Close,        // a cross
    Help,         // a question mark
    DownArrow,    // hide to the tray
    Pin,          // stay on top: on
    Unpin,        // stay on top: off
    Info,         // an information sign
    Document,     // the Jobs list
    Globe,        // the Favorites list
    Phone,        // the Phone list
    CheckEmpty,   // a check box without its tick (no button bevel)
    CheckTicked,  // a check box with its tick (no button bevel)
};

struct Face {
    std::string caption;
    Glyph glyph = Glyph::None;
};

namespace skin {

constexpr COLORREF hex(unsigned rgb) { return RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF); }

// The list colours the rest of the palette is built around.
inline constexpr COLORREF kJobRow = hex(0x4492A6);        // a job that is not permanent
inline constexpr COLORREF kJobPermanent = hex(0x69E1FF);  // a permanent job
inline constexpr COLORREF kTipBack = hex(0x3B6380);
inline constexpr COLORREF kTipText = hex(0x75C6FF);

inline constexpr COLORREF kGroundTop = hex(0x22394A);     // window ground, gradient top
inline constexpr COLORREF kGroundBottom = hex(0x0E1A23);  // window ground, gradient bottom
inline constexpr COLORREF kFrameOuter = hex(0x3B6380);
inline constexpr COLORREF kFrameInner = hex(0x4492A6);
inline constexpr COLORREF kText = hex(0x75C6FF);        // labels and captions
inline constexpr COLORREF kTextBright = hex(0x69E1FF);  // titles, focused text
inline constexpr COLORREF kTextDim = hex(0x4F7E96);     // hints
inline constexpr COLORREF kFaceTop = hex(0x35607A);     // button face, resting
inline constexpr COLORREF kFaceBottom = hex(0x1B3446);
inline constexpr COLORREF kFacePressedTop = hex(0x0F1E29);  // button face, pressed: darker, lit from below
inline constexpr COLORREF kFacePressedBottom = hex(0x24465B);
inline constexpr COLORREF kWell = hex(0x000000);  // text boxes, viewports
inline constexpr COLORREF kWellText = hex(0x75C6FF);
inline constexpr COLORREF kTrack = hex(0x14252F);  // scroll bar track
inline constexpr COLORREF kThumb = hex(0x4492A6);
inline constexpr COLORREF kThumbActive = hex(0x69E1FF);

// Cached GDI font for `font`; owned by the cache, never delete it.
HFONT font(const Font& font);
// The fonts the skin paints its own captions with.
const Font& captionFont();
const Font& titleFont();

void fillSolid(HDC hdc, const RECT& rc, COLORREF colour);
void fillGradient(HDC hdc, const RECT& rc, COLORREF top, COLORREF bottom);
// A two-line frame just inside rc.
void drawFrame(HDC hdc, const RECT& rc, COLORREF outer, COLORREF inner);
// A sunken black box (text box surround, viewport).
void drawWell(HDC hdc, const RECT& rc);
// The ground and frame of a whole window.
void drawWindowBackground(HDC hdc, const RECT& client);
// Text painted into the picture; format is DrawText's (DT_LEFT | DT_VCENTER | DT_SINGLELINE ...).
void drawText(HDC hdc, const RECT& rc, std::string_view utf8, COLORREF colour, const Font& f,
              UINT format = DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
// A window title at the top left with a thin rule under it.
void drawTitle(HDC hdc, const RECT& client, std::string_view utf8);
void drawGlyph(HDC hdc, const RECT& rc, Glyph glyph, COLORREF colour);
// A picture button's face; pressed faces sink (darker, inverted bevel, content shifted down-right).
void drawButtonFace(HDC hdc, const RECT& rc, const Face& face, bool pressed);

}  // namespace skin
}  // namespace qs::forms
