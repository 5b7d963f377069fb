#pragma once
// Internal to qs_forms and qs_controls: flicker-free painting and small shared helpers.
#include <windows.h>

#include <string>

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
    HDC dc() const { return mem_ ? mem_ : ps_.hdc; }
    const RECT& client() const { return client_; }
    const RECT& area() const { return ps_.rcPaint; }

private:
    HWND hwnd_;
    PAINTSTRUCT ps_{};
    RECT client_{};
    HDC mem_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ oldBitmap_ = nullptr;
};

std::string windowText(HWND hwnd);

// Registers a window class of ours once (thread-safe); returns its name.
const wchar_t* registerClass(const wchar_t* name, WNDPROC proc, UINT style = 0, HCURSOR cursor = nullptr);

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

} // namespace qs::forms::detail
