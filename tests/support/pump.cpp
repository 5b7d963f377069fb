#include "tests/support/pump.h"

#include <algorithm>

#include "platform/runtime/app.h"

namespace qs::test {

void pumpPending() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            PostQuitMessage(int(msg.wParam));
            return;
        }
        rt::dispatchThroughFilter(msg);
    }
}

bool pumpUntil(const std::function<bool()>& done, DWORD timeoutMs, const std::function<void()>& poke, DWORD pokeMs) {
    const ULONGLONG start = GetTickCount64();
    ULONGLONG poked = start;
    if (poke) poke();
    for (;;) {
        pumpPending();
        if (done()) return true;
        const ULONGLONG now = GetTickCount64();
        if (now - start >= timeoutMs) return false;
        if (poke && now - poked >= pokeMs) {
            poke();
            poked = now;
        }
        // Short waits, so that a deadline of a few milliseconds is kept.
        const DWORD wait = DWORD(std::min<ULONGLONG>(10, timeoutMs - (now - start)));
        MsgWaitForMultipleObjects(0, nullptr, FALSE, wait, QS_ALLINPUT);
    }
}

void pumpFor(DWORD ms) {
    pumpUntil([] { return false; }, ms);
}

}  // namespace qs::test
