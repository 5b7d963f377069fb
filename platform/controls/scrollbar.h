#pragma once
// A vertical scroll bar in the skin's colours, hosted by a form or picture box like any control.
// Value stays between Min and Max (whichever is smaller bounds it from below). Setting Value, Min or Max
// so that the value changes raises onChange; dragging the thumb raises onScroll at every step and
// onChange when it is let go; arrows, the track and the mouse wheel raise onChange.
#include <windows.h>

#include <functional>

#include "platform/forms/form.h"

namespace qs::controls {

class ScrollBar : public qs::forms::Control {
public:
    ScrollBar(qs::forms::Container& parent, int left, int top, int width, int height);

    int Min() const { return min_; }
    int Max() const { return max_; }
    int Value() const { return value_; }
    void Min(int v);
    void Max(int v);
    void Value(int v);
    // Steps in value units, rounded, at least 1: SmallChange for the arrows and the wheel, LargeChange
    // for a click in the track (and the thumb's share of the track).
    double SmallChange() const { return smallChange_; }
    double LargeChange() const { return largeChange_; }
    void SmallChange(double step);
    void LargeChange(double step);
    // Arrow buttons at both ends (on by default).
    void Arrows(bool on);
    void BackColor(COLORREF colour);

    std::function<void()> onChange;
    std::function<void()> onScroll;

    // Geometry of the parts, in the control's client pixels (for drawing and for tests).
    RECT thumbRect() const;
    RECT trackRect() const;

protected:
    HWND createWindow(HWND parent, const RECT& pixels) override;
    bool processMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    void paint(HDC hdc, const RECT& rc);
    void setValue(int v, bool scrolling);
    int lowBound() const;
    int highBound() const;
    int valueAt(int thumbTopPixel) const;
    void step(int direction, double amount);
    void clamp();
    RECT clientPixels() const;
    int arrowLength() const;

    int min_ = 0, max_ = 32767, value_ = 0;
    double smallChange_ = 1, largeChange_ = 1;
    bool arrows_ = true;
    COLORREF backColor_ = CLR_INVALID;
    enum class Part { None, UpArrow, DownArrow, TrackUp, TrackDown, Thumb } held_ = Part::None;
    int dragOffset_ = 0;  // pointer position within the thumb when the drag began
    int dragStartValue_ = 0;
};

}  // namespace qs::controls
