#include "platform/win/window.h"

#include <cwchar>
#include <exception>
#include <utility>

namespace qs::win {
namespace {

// Window properties, named per module: Quillstack.exe and Foldwatcher.dll each link their own copy of
// this code, and neither may take the other's objects for its own.
struct PropertyNames {
    wchar_t binding[48];
    wchar_t previous[48];
    PropertyNames() {
        HMODULE self = nullptr;
        GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                           reinterpret_cast<LPCWSTR>(&Window::fromHwnd), &self);
        swprintf(binding, sizeof binding / sizeof binding[0], L"QsWindow:%p", static_cast<void*>(self));
        swprintf(previous, sizeof previous / sizeof previous[0], L"QsWindowProc:%p", static_cast<void*>(self));
    }
};

const PropertyNames& names() {
    static const PropertyNames instance;
    return instance;
}

std::function<void(const std::string&)>& errorReporter() {
    static std::function<void(const std::string&)> reporter;
    return reporter;
}

// A window that is not (or no longer) bound: its class's own procedure when it was subclassed, else the
// system's default.
LRESULT unbound(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto previous = reinterpret_cast<WNDPROC>(GetPropW(hwnd, names().previous));
    if (!previous) return DefWindowProcW(hwnd, msg, wParam, lParam);
    LRESULT result = CallWindowProcW(previous, hwnd, msg, wParam, lParam);
    if (msg == WM_NCDESTROY) RemovePropW(hwnd, names().previous);
    return result;
}

}  // namespace

void setHandlerErrorReporter(std::function<void(const std::string&)> reporter) {
    errorReporter() = std::move(reporter);
}

void reportHandlerError(const std::string& what) {
    if (errorReporter()) {
        try {
            errorReporter()(what);
            return;
        } catch (...) {
        }
    }
    OutputDebugStringA(("Quillstack: event handler failed: " + what + "\n").c_str());
}

Window* Window::fromHwnd(HWND hwnd) { return hwnd ? static_cast<Window*>(GetPropW(hwnd, names().binding)) : nullptr; }

ATOM Window::registerClass(WNDCLASSEXW& wc) {
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = &Window::procedure;
    return RegisterClassExW(&wc);
}

Window::~Window() {
    if (!hwnd_) return;
    HWND h = hwnd_;
    detach();
    DestroyWindow(h);
}

HWND Window::createBound(DWORD exStyle, const wchar_t* className, const wchar_t* title, DWORD style, int x, int y,
                         int width, int height, HWND parent, HMENU menu, HINSTANCE instance) {
    if (hwnd_) {
        SetLastError(ERROR_ALREADY_EXISTS);
        return nullptr;
    }
    return CreateWindowExW(exStyle, className, title, style, x, y, width, height, parent, menu, instance,
                           static_cast<Window*>(this));
}

bool Window::subclass(HWND hwnd) {
    if (hwnd_ || !hwnd) return false;
    previous_ = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(hwnd, GWLP_WNDPROC));
    // Kept apart from the binding, so the class still gets its messages after the object let go.
    SetPropW(hwnd, names().previous, reinterpret_cast<HANDLE>(previous_));
    bind(hwnd);
    SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Window::procedure));
    return true;
}

void Window::bind(HWND hwnd) {
    hwnd_ = hwnd;
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    SetPropW(hwnd, names().binding, this);
}

void Window::detach() {
    if (!hwnd_) return;
    SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
    RemovePropW(hwnd_, names().binding);
    hwnd_ = nullptr;
    previous_ = nullptr;
}

LRESULT Window::callDefault(UINT msg, WPARAM wParam, LPARAM lParam) const {
    if (!hwnd_) return 0;
    return previous_ ? CallWindowProcW(previous_, hwnd_, msg, wParam, lParam)
                     : DefWindowProcW(hwnd_, msg, wParam, lParam);
}

LRESULT CALLBACK Window::procedure(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<Window*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!self && msg == WM_NCCREATE) {
        self = static_cast<Window*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        if (self) self->bind(hwnd);
    }
    if (!self) return unbound(hwnd, msg, wParam, lParam);

    // Taken now: a handler may end the binding, or the object, before the default processing runs.
    const WNDPROC previous = self->previous_;
    LRESULT result = 0;
    bool handled = true;
    try {
        handled = self->processMessage(msg, wParam, lParam, result);
    } catch (const std::exception& e) {
        reportHandlerError(e.what());
        result = 0;
    } catch (...) {
        reportHandlerError("unknown exception");
        result = 0;
    }
    if (!handled)
        result =
            previous ? CallWindowProcW(previous, hwnd, msg, wParam, lParam) : DefWindowProcW(hwnd, msg, wParam, lParam);

    if (msg == WM_NCDESTROY) {
        if (previous) RemovePropW(hwnd, names().previous);
        if (reinterpret_cast<Window*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA)) == self) {
            self->detach();
            self->windowGone();
        }
    }
    return result;
}

}  // namespace qs::win
