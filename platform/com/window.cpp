#include "platform/com/window.h"

#include <cwchar>

#include "platform/com/module.h"

namespace qs::com {
namespace {

wchar_t g_className[48];
ATOM g_classAtom = 0;
HINSTANCE g_classInstance = nullptr;

// The module holding this code (the DLL, when the framework is linked into one).
HINSTANCE codeInstance() {
    if (module().instance()) return module().instance();
    HMODULE instance = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCWSTR>(&codeInstance), &instance);
    return instance;
}

// Classes a DLL registers outlive it unless it unregisters them.
void unregisterClass(void*) {
    if (g_classAtom) UnregisterClassW(g_className, g_classInstance);
    g_classAtom = 0;
}

}  // namespace

const wchar_t* WindowImpl::className() {
    std::lock_guard guard(module().cs());
    if (g_classAtom) return g_className;
    HINSTANCE instance = codeInstance();
    g_classInstance = instance;
    // Unique per load, so that a class left behind by an earlier load never answers for this one.
    LARGE_INTEGER stamp;
    QueryPerformanceCounter(&stamp);
    swprintf(g_className, sizeof g_className / sizeof g_className[0], L"QsComWnd:%p:%llx", static_cast<void*>(instance),
             static_cast<unsigned long long>(stamp.QuadPart));
    WNDCLASSEXW wc{};
    wc.style = CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = g_className;
    g_classAtom = registerClass(wc);
    if (!g_classAtom) return nullptr;
    if (FAILED(module().addTermFunc(&unregisterClass, nullptr))) {
        unregisterClass(nullptr);
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    return g_className;
}

HWND WindowImpl::create(HWND parent, const RECT& rect, const wchar_t* name, DWORD style, DWORD exStyle, HMENU menu) {
    if (hwnd()) {
        SetLastError(ERROR_ALREADY_EXISTS);
        return nullptr;
    }
    const wchar_t* cls = className();
    if (!cls) return nullptr;
    return createBound(exStyle, cls, name, style, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
                       parent, menu, codeInstance());
}

bool WindowImpl::destroy() { return hwnd() && DestroyWindow(hwnd()); }

}  // namespace qs::com
