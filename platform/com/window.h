// The hidden window of a COM object: a qs::win::Window of a class private to the module, registered
// on first use and unregistered when the module terminates.
#pragma once

#include <windows.h>

#include "platform/win/window.h"

namespace qs::com {

class WindowImpl : public win::Window {
public:
    // Null on failure (GetLastError tells why). The window belongs to the calling thread.
    HWND create(HWND parent, const RECT& rect, const wchar_t* name, DWORD style, DWORD exStyle = 0,
                HMENU menu = nullptr);
    bool destroy();

    // The generated name of the module's window class, registering it when needed; null on failure.
    static const wchar_t* className();

protected:
    WindowImpl() = default;
    ~WindowImpl() override = default;  // the base destroys the window when it still exists

    // The message map. Return true with `result` set for a handled message; false passes it to
    // DefWindowProc.
    virtual bool processWindowMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) = 0;

private:
    bool processMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) final {
        return processWindowMessage(hwnd(), msg, wParam, lParam, result);
    }
};

}  // namespace qs::com
