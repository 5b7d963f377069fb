#include "tests/support/modal.h"

namespace qs::test {
namespace {

ModalAnswer* current = nullptr;

struct Search {
    const std::function<bool(forms::Form&)>* accepts;
    forms::Form* found;
};

BOOL CALLBACK findBox(HWND hwnd, LPARAM param) {
    auto& search = *reinterpret_cast<Search*>(param);
    forms::Form* form = forms::Form::fromHwnd(hwnd);
    if (form && form->isModal() && IsWindowVisible(hwnd) && (*search.accepts)(*form)) search.found = form;
    return search.found == nullptr;
}

}  // namespace

ModalAnswer::ModalAnswer(std::function<bool(forms::Form&)> accepts, std::function<void(forms::Form&)> drive)
    : accepts_(std::move(accepts)), drive_(std::move(drive)) {
    current = this;
    timer_ = SetTimer(nullptr, 0, 40, &ModalAnswer::onTimer);
}

ModalAnswer::~ModalAnswer() {
    KillTimer(nullptr, timer_);
    if (current == this) current = nullptr;
}

void CALLBACK ModalAnswer::onTimer(HWND, UINT, UINT_PTR, DWORD) {
    if (!current) return;
    Search search{&current->accepts_, nullptr};
    EnumThreadWindows(GetCurrentThreadId(), findBox, reinterpret_cast<LPARAM>(&search));
    if (!search.found) return;
    if (!current->driven_) {
        current->driven_ = GetTickCount64();
        current->drive_(*search.found);
    } else if (GetTickCount64() - current->driven_ > 5000) {
        PostMessageW(search.found->hWnd(), WM_CLOSE, 0, 0);
    }
}

}  // namespace qs::test
