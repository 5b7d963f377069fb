#pragma once
// Helpers for tests that drive real windows: pump messages through the forms' filter until a condition
// holds or a deadline passes.
#include <windows.h>

#include <functional>

#include "platform/runtime/app.h"

namespace qs::forms::test {

inline bool pumpUntil(const std::function<bool()>& done, DWORD timeoutMs = 3000) {
    DWORD start = GetTickCount();
    for (;;) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) qs::rt::dispatchThroughFilter(msg);
        if (done()) return true;
        if (GetTickCount() - start > timeoutMs) return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}

inline void pumpPending() {
    pumpUntil([] { return true; }, 0);
}

} // namespace qs::forms::test
