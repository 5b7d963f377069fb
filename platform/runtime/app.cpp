#include "platform/runtime/app.h"

#include "platform/runtime/services.h"

namespace qs::rt {
namespace {
MessageFilter currentFilter = nullptr;
}

std::string AppPath() { return services().appPath(); }

int Shell(const std::string& command, int windowStyle) { return services().shell(command, windowStyle); }

void setMessageFilter(MessageFilter filter) { currentFilter = filter; }
MessageFilter messageFilter() { return currentFilter; }

void dispatchThroughFilter(MSG& msg) {
    if (currentFilter && currentFilter(msg)) return;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
}

void DoEvents() {
    // A window that keeps posting to itself must not hold DoEvents forever: after a thousand messages and
    // 50 ms the rest waits for the next call.
    DWORD start = GetTickCount();
    MSG msg;
    int handled = 0;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            PostQuitMessage(int(msg.wParam));
            break;
        }
        dispatchThroughFilter(msg);
        if (++handled >= 1000 && GetTickCount() - start > 50) break;
    }
}

}  // namespace qs::rt
