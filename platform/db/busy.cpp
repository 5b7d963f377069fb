// How long a statement waits for a file that another program has locked.
//
// SQLite's own busy timeout waits that long on every statement, so one keystroke over a locked file waited
// for its query, then again for each page of rows the grid painted. Here all the waits of one thread draw on
// one budget of about a second. Once it is spent, a locked file fails at once (3260) instead of waiting,
// until the thread has gone a second without meeting a lock; then the budget is whole again. One user
// action (or one rescan, one received message) thus waits about a second in all before its message, the
// grid painting after it fails its reads at once and shows blank cells rather than freezing, and an action
// taken once things were quiet for a second waits its second again. Nothing is held or queued: a failed
// statement changed nothing, and the next action simply tries again.
#include <algorithm>
#include <chrono>
#include <iterator>
#include <thread>

#include "platform/db/internal.h"

namespace qs::db::detail {
namespace {

using Clock = std::chrono::steady_clock;
using Ms = std::chrono::milliseconds;
constexpr Clock::duration kBudget = Ms(1000);
constexpr Clock::duration kQuiet = Ms(1000);  // without a lock met, after which the budget is whole again

struct Budget {
    Clock::duration spent{};
    Clock::time_point lastMet{};  // when this thread last met a locked file
    bool met = false;
};
thread_local Budget budget;

// SQLite's busy handler: 1 to try the lock again after a short sleep, 0 to give up. `count` is 0 on the
// first call for a statement's lock.
int waitForLock(void*, int count) {
    static constexpr int kSleepsMs[] = {1, 2, 5, 10, 15, 20, 25, 25, 25, 50, 50, 100};
    const Clock::time_point now = Clock::now();
    if (count == 0 && (!budget.met || now - budget.lastMet >= kQuiet)) budget.spent = {};
    budget.met = true;
    budget.lastMet = now;
    if (budget.spent >= kBudget) return 0;
    const Clock::duration step = std::min<Clock::duration>(
        Ms(kSleepsMs[std::min<size_t>(count, std::size(kSleepsMs) - 1)]), kBudget - budget.spent);
    std::this_thread::sleep_for(std::max<Clock::duration>(Ms(1), std::chrono::ceil<Ms>(step)));
    const Clock::time_point after = Clock::now();
    budget.spent += after - now;
    budget.lastMet = after;
    return 1;
}

}  // namespace

void waitForLocks(Connection& c, bool wait) { sqlite3_busy_handler(c.db, wait ? waitForLock : nullptr, nullptr); }

}  // namespace qs::db::detail
