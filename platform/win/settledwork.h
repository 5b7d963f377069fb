// Work that an event starts, for events that can come faster than the work takes (a folder that changes
// many times a second while a program writes into it).
//
// The first event of a burst arms a timer and the events before it fires join it: the wait lets whoever
// caused the event finish, and the thread takes input and closes meanwhile. The work runs from the timer
// and never inside itself: an event that arrives while it runs (the work may pump messages) only marks it
// to run once more when it ends, the wait then counted from that event. A burst of any length therefore
// costs one run, and one more for what came during a run.
#pragma once

#include <windows.h>

#include <functional>

#include "platform/win/window.h"

namespace qs::win {

class SettledWork : private Window {
public:
    // Made on the thread whose messages run the work; `settleMs` is the wait after the first event.
    SettledWork(UINT settleMs, std::function<void()> work);
    ~SettledWork() override;

    // An event: arms the wait, or joins the wait or the run under way.
    void request();
    // Nothing more runs: the wait is dropped and later events with it. A run under way finishes unless
    // its work asks stopped() and ends early.
    void stop();

    bool stopped() const { return stopped_; }
    bool waiting() const { return waiting_; }
    bool running() const { return running_; }
    unsigned runs() const { return runs_; }  // how often the work has started

private:
    bool processMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    bool arm(UINT delayMs);  // false when no timer could be set
    void run();
    bool ran();

    UINT settleMs_;
    std::function<void()> work_;
    bool waiting_ = false;  // the timer is armed
    bool running_ = false;  // the work is on the stack
    bool again_ = false;    // an event came during the run
    bool stopped_ = false;
    DWORD againSince_ = 0;  // tick of the first event during the run
    unsigned runs_ = 0;
};

}  // namespace qs::win
