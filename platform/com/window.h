// A window bound to a C++ object: `this` travels through CreateWindowEx, is attached at
// WM_NCCREATE, and every message goes to the object's message map. The window class is private
// to the module, registered on first use and unregistered when the module terminates.
#pragma once

#include <windows.h>

namespace qs::com {

class WindowImpl {
public:
    WindowImpl(const WindowImpl&) = delete;
    WindowImpl& operator=(const WindowImpl&) = delete;

    // Null on failure (GetLastError tells why). The window belongs to the calling thread.
    HWND create(HWND parent, const RECT& rect, const wchar_t* name, DWORD style, DWORD exStyle = 0,
                HMENU menu = nullptr);
    bool destroy();
    HWND hwnd() const { return hwnd_; }

    // The generated name of the module's window class, registering it when needed; null on failure.
    static const wchar_t* className();

protected:
    WindowImpl() = default;
    ~WindowImpl();   // destroys the window when it still exists

    // The message map. Return true with `result` set for a handled message; false passes it to
    // DefWindowProc.
    virtual bool processWindowMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) = 0;

private:
    static LRESULT CALLBACK windowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    HWND hwnd_ = nullptr;
};

}  // namespace qs::com
