#include "platform/win/settledwork.h"

#include <utility>

namespace qs::win {
namespace {

constexpr UINT_PTR kTimer = 1;

const wchar_t* className() {
    static const bool registered = [] {
        WNDCLASSEXW wc{};
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"QsSettledWork";
        return Window::registerClass(wc) != 0;
    }();
    (void)registered;  // a class that cannot be registered makes no window: the work then runs unwaited
    return L"QsSettledWork";
}

}  // namespace

SettledWork::SettledWork(UINT settleMs, std::function<void()> work) : settleMs_(settleMs), work_(std::move(work)) {
    // A message-only window: it carries the timer, and a fault in the work stops at its procedure.
    createBound(0, className(), L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, GetModuleHandleW(nullptr));
}

SettledWork::~SettledWork() {
    if (hwnd()) KillTimer(hwnd(), kTimer);
}

void SettledWork::request() {
    if (stopped_) return;
    if (running_) {
        if (!again_) againSince_ = GetTickCount();
        again_ = true;
    } else if (!waiting_ && !arm(settleMs_)) {
        run();  // no timer to wait with (out of resources): the work runs now, still never inside itself
    }
}

void SettledWork::stop() {
    stopped_ = true;
    again_ = false;
    if (waiting_ && hwnd()) KillTimer(hwnd(), kTimer);
    waiting_ = false;
}

bool SettledWork::arm(UINT delayMs) {
    waiting_ = hwnd() && SetTimer(hwnd(), kTimer, delayMs, nullptr);
    return waiting_;
}

bool SettledWork::processMessage(UINT msg, WPARAM wParam, LPARAM, LRESULT& result) {
    if (msg != WM_TIMER || wParam != kTimer) return false;
    result = 0;
    run();
    return true;
}

void SettledWork::run() {
    if (hwnd()) KillTimer(hwnd(), kTimer);
    waiting_ = false;
    if (stopped_ || running_) return;
    do {
        running_ = true;
        again_ = false;
        ++runs_;
        try {
            work_();
        } catch (...) {
            ran();
            throw;
        }
    } while (!ran());
}

// What came during the run gets the rest of its own wait, from the timer once this run has unwound. False
// when there is no timer to wait with (out of resources): the next run follows at once.
bool SettledWork::ran() {
    running_ = false;
    if (!again_ || stopped_) return true;
    const DWORD waited = GetTickCount() - againSince_;
    return arm(waited >= settleMs_ ? USER_TIMER_MINIMUM : UINT(settleMs_ - waited));
}

}  // namespace qs::win
