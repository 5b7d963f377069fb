#pragma once
// Drives a modal box of this thread while its opener waits in ShowModal: a thread timer runs one step
// per tick on the box shown at that moment. Steps post messages to the box's real windows, as the
// user's input would arrive.
#include <windows.h>

#include <functional>
#include <vector>

#include "platform/forms/form.h"

namespace qs::test {

template <class Box>
class BoxDriver {
public:
    using Step = std::function<void(Box&)>;
    explicit BoxDriver(std::vector<Step> steps) : steps_(std::move(steps)) {
        current() = this;
        start_ = GetTickCount();
        timer_ = SetTimer(nullptr, 0, 40, &BoxDriver::tick);
    }
    ~BoxDriver() {
        KillTimer(nullptr, timer_);
        current() = nullptr;
    }
    // Every step ran, and the box closed on its own before the deadline.
    bool finished() const { return next_ == steps_.size() && !forced_; }

private:
    static BoxDriver*& current() {
        static BoxDriver* d = nullptr;
        return d;
    }
    static BOOL CALLBACK findBox(HWND hwnd, LPARAM found) {
        auto* box = dynamic_cast<Box*>(forms::Form::fromHwnd(hwnd));
        if (!box || !IsWindowVisible(hwnd)) return TRUE;
        *reinterpret_cast<Box**>(found) = box;
        return FALSE;
    }
    static void CALLBACK tick(HWND, UINT, UINT_PTR, DWORD) {
        BoxDriver* d = current();
        if (!d) return;
        Box* box = nullptr;
        EnumThreadWindows(GetCurrentThreadId(), &BoxDriver::findBox, reinterpret_cast<LPARAM>(&box));
        if (!box) return;
        if (d->next_ < d->steps_.size()) {
            d->steps_[d->next_++](*box);
        } else if (GetTickCount() - d->start_ > 5000) {
            d->forced_ = true;  // left open by the steps: closed so that the test goes on
            PostMessageW(box->hWnd(), WM_CLOSE, 0, 0);
        }
    }

    std::vector<Step> steps_;
    std::size_t next_ = 0;
    bool forced_ = false;
    DWORD start_ = 0;
    UINT_PTR timer_ = 0;
};

// Input as it reaches a control from the keyboard and the mouse.
inline void typeText(HWND edit, const wchar_t* text) {
    for (; *text; ++text) PostMessageW(edit, WM_CHAR, *text, 1);
}
inline void pressKey(HWND window, int key) { PostMessageW(window, WM_KEYDOWN, key, 1); }
inline void mouseDown(HWND window, UINT msg, WPARAM keys) { PostMessageW(window, msg, keys, MAKELPARAM(5, 5)); }

}  // namespace qs::test
