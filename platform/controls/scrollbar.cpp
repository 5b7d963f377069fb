#include "platform/controls/scrollbar.h"

namespace qs::controls {

ScrollBar::ScrollBar(qs::forms::Container& p, int l, int t, int w, int h) : Control(p, l, t, w, h) {}
void ScrollBar::Min(int v) { min_ = v; }
void ScrollBar::Max(int v) { max_ = v; }
void ScrollBar::Value(int v) { value_ = v; }
void ScrollBar::SmallChange(double s) { smallChange_ = s; }
void ScrollBar::LargeChange(double s) { largeChange_ = s; }
void ScrollBar::Arrows(bool on) { arrows_ = on; }
void ScrollBar::BackColor(COLORREF c) { backColor_ = c; }
RECT ScrollBar::thumbRect() const { return RECT{}; }
RECT ScrollBar::trackRect() const { return RECT{}; }
HWND ScrollBar::createWindow(HWND, const RECT&) { return nullptr; }

} // namespace qs::controls
