#pragma once
// Waiting in tests: this thread's messages are served (through the forms' message filter, as the program's
// own loops do) until a condition holds or a deadline passes. No test sleeps a fixed time.
#include <windows.h>

#include <functional>

namespace qs::test {

// Serves the messages waiting now. A WM_QUIT met on the way is posted again and ends the round, so that
// the loop it was meant for still sees it.
void pumpPending();

// Serves messages until `done` holds (true) or `timeoutMs` passes (false). `poke`, when given, runs at
// once and then every `pokeMs`: for a change a watcher may not have been watching for yet.
bool pumpUntil(const std::function<bool()>& done, DWORD timeoutMs = 5000, const std::function<void()>& poke = {},
               DWORD pokeMs = 200);

// Serves messages for `ms`, to see that something does not happen or to let a window settle on screen.
void pumpFor(DWORD ms);

}  // namespace qs::test
