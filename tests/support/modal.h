#pragma once
// Answering a modal window of ours (an entry box, a dialog) while the code that opened it waits in
// ShowModal: a thread timer finds the box and hands it to the test once.
#include <functional>

#include "platform/forms/form.h"

namespace qs::test {

// While this lives, `drive` runs once on the first modal form of this thread that `accepts`; a box still
// open 5 s later is closed, so that a failing test does not hang.
class ModalAnswer {
public:
    ModalAnswer(std::function<bool(forms::Form&)> accepts, std::function<void(forms::Form&)> drive);
    ~ModalAnswer();
    ModalAnswer(const ModalAnswer&) = delete;
    ModalAnswer& operator=(const ModalAnswer&) = delete;
    bool shown() const { return driven_ != 0; }

private:
    static void CALLBACK onTimer(HWND, UINT, UINT_PTR, DWORD);
    std::function<bool(forms::Form&)> accepts_;
    std::function<void(forms::Form&)> drive_;
    ULONGLONG driven_ = 0;
    UINT_PTR timer_ = 0;
};

// The same for a box of one class: Answer<app::Form3> typed([](app::Form3& box) { ... });
template <class Box>
class Answer : public ModalAnswer {
public:
    explicit Answer(std::function<void(Box&)> drive)
        : ModalAnswer([](forms::Form& f) { return dynamic_cast<Box*>(&f) != nullptr; },
                      [drive = std::move(drive)](forms::Form& f) { drive(dynamic_cast<Box&>(f)); }) {}
};

// Runs `command`, which opens a Box, and answers the box with `drive` once it shows. True when a box showed.
template <class Box>
bool answer(const std::function<void()>& command, std::function<void(Box&)> drive) {
    Answer<Box> answering(std::move(drive));
    command();
    return answering.shown();
}

}  // namespace qs::test
