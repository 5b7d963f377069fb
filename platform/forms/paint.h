#pragma once
// Internal to qs_forms and qs_controls: flicker-free painting and small shared helpers.
#include <windows.h>

#include <optional>
#include <string>

#include "platform/win/gdi.h"

namespace qs::forms {
class Container;
}

namespace qs::forms::detail {

// BeginPaint/EndPaint with an off-screen bitmap the size of the invalid area. dc() takes client
// coordinates; the picture reaches the window when the object goes.
class BufferedPaint {
public:
    explicit BufferedPaint(HWND hwnd);
    ~BufferedPaint();
    BufferedPaint(const BufferedPaint&) = delete;
    BufferedPaint& operator=(const BufferedPaint&) = delete;
    HDC dc() const { return mem_ ? mem_->get() : paint_.get(); }
    const RECT& client() const { return client_; }
    const RECT& area() const { return paint_.area(); }

private:
    win::PaintDC paint_;
    RECT client_{};
    win::UniqueBitmap bitmap_;
    std::optional<win::MemoryDC> mem_;
    std::optional<win::Selection> selected_;  // bitmap_ in mem_
};

// For a window that draws all of itself: WM_ERASEBKGND answered without erasing, WM_PAINT drawn by
// `paint(BufferedPaint&)` through a back buffer. False for any other message.
template <class Paint>
bool paintMessage(HWND hwnd, UINT msg, LRESULT& result, Paint&& paint) {
    if (msg == WM_ERASEBKGND) {
        result = 1;
        return true;
    }
    if (msg != WM_PAINT) return false;
    BufferedPaint buffer(hwnd);
    paint(buffer);
    return true;
}

std::string windowText(HWND hwnd);

// Registers a window class of ours once (thread-safe), dispatching through qs::win::Window; returns its
// name. Its windows are made with Control::createChild (or Window::createBound).
const wchar_t* registerClass(const wchar_t* name, UINT style = 0, HCURSOR cursor = nullptr);

// The mouse coordinates of a message in twips relative to the window.
float twipsX(LPARAM lParam);
float twipsY(LPARAM lParam);
// Button and shift of a mouse message's wParam, as the runtime passes them.
int buttonsOf(WPARAM wParam);
int shiftOf(WPARAM wParam);

// Answers WM_CTLCOLOREDIT/WM_CTLCOLORSTATIC for our text boxes; 0 when the child is not one of ours.
LRESULT controlColour(HDC hdc, HWND child);
// The frames a container paints round its text boxes (just outside each box).
void drawControlFrames(HDC hdc, const Container& container);
void invalidateFrame(HWND child);
// Routes WM_COMMAND notifications of our controls (EN_CHANGE); true when handled.
bool controlCommand(WPARAM wParam, LPARAM lParam);

}  // namespace qs::forms::detail
