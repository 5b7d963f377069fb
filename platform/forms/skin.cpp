#include "platform/forms/skin.h"

namespace qs::forms::skin {

HFONT font(const Font&) { return static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT)); }
const Font& captionFont() { static Font f; return f; }
const Font& titleFont() { static Font f; return f; }
void fillSolid(HDC, const RECT&, COLORREF) {}
void fillGradient(HDC, const RECT&, COLORREF, COLORREF) {}
void drawFrame(HDC, const RECT&, COLORREF, COLORREF) {}
void drawWell(HDC, const RECT&) {}
void drawWindowBackground(HDC, const RECT&) {}
void drawText(HDC, const RECT&, std::string_view, COLORREF, const Font&, UINT) {}
void drawTitle(HDC, const RECT&, std::string_view) {}
void drawGlyph(HDC, const RECT&, Glyph, COLORREF) {}
void drawButtonFace(HDC, const RECT&, const Face&, bool) {}

} // namespace qs::forms::skin
