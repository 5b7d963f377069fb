// One way to bind a window to its C++ object. The object passes `this` through CreateWindowEx's last
// argument, the window procedure attaches it at WM_NCCREATE, and every later message goes to the
// object's processMessage. A window of someone else's class (a system EDIT) is bound by subclassing
// it; what the object leaves unhandled goes on to the class's own procedure.
//
// The procedure is the one boundary exceptions never cross: a handler that throws is reported (see
// setHandlerErrorReporter), the message returns 0, and the window and the message loop go on. What a
// handler holds (a paint, a DC, a selection) is scoped (gdi.h, handles.h), so it is given back on the
// way out.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

namespace qs::win {

class Window {
public:
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;

    // The bound window, or null before creation and after destruction.
    HWND hwnd() const { return hwnd_; }

    // The object bound to `hwnd` in this module, or null for any other window.
    static Window* fromHwnd(HWND hwnd);

    // Registers a window class whose procedure is the binding's (wc.lpfnWndProc is set here). The
    // class's windows must be made through createBound. Returns the atom, 0 on failure.
    static ATOM registerClass(WNDCLASSEXW& wc);

protected:
    Window() = default;
    // A window still bound goes with the object: unbound first, so no message reaches the parts of the
    // object that are gone, then destroyed.
    virtual ~Window();

    // CreateWindowExW with this object as the creation parameter; the window is bound from its first
    // message on. Null on failure (GetLastError tells why).
    HWND createBound(DWORD exStyle, const wchar_t* className, const wchar_t* title, DWORD style, int x, int y,
                     int width, int height, HWND parent, HMENU menu, HINSTANCE instance);
    // Binds a window that already exists (of a class that is not ours) by replacing its procedure.
    bool subclass(HWND hwnd);
    // Ends the binding without destroying the window: later messages go to the default procedure.
    void detach();

    // The message map. Return true with `result` set for a handled message; false passes the message
    // on to DefWindowProc, or to the previous procedure of a subclassed window.
    virtual bool processMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) = 0;
    // The default processing of a message, for a handler that wants it before doing its own.
    LRESULT callDefault(UINT msg, WPARAM wParam, LPARAM lParam) const;
    // The window has gone (WM_NCDESTROY) and the binding with it; hwnd() is null here.
    virtual void windowGone() {}

private:
    static LRESULT CALLBACK procedure(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    void bind(HWND hwnd);

    HWND hwnd_ = nullptr;
    WNDPROC previous_ = nullptr;  // the class's own procedure of a subclassed window
};

// Where a fault caught at the window procedure goes (by default to the debugger output), so that a
// program can show or log it. An empty function restores the default.
void setHandlerErrorReporter(std::function<void(const std::string& what)> reporter);
void reportHandlerError(const std::string& what);

}  // namespace qs::win
