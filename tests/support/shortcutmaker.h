#pragma once
// Shortcuts appearing in a Recent folder as the shell leaves them while a user opens documents, from a
// thread of their own, so that the thread under test goes on serving its messages meanwhile.
#include <windows.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

namespace qs::test {

class ShortcutMaker {
public:
    // `count` documents "<prefix> NNNNN.txt" in `docs`, and a shortcut to each ("....txt.lnk") made ready in
    // a folder beside them: the shell's link object takes about 20 ms a shortcut under Wine, too slow for a
    // burst.
    ShortcutMaker(const std::string& docs, int count, const std::string& prefix = "doc");
    ~ShortcutMaker();  // waits for the thread
    ShortcutMaker(const ShortcutMaker&) = delete;
    ShortcutMaker& operator=(const ShortcutMaker&) = delete;

    // Moves the shortcuts into `recent`, `perSecond` a second (0: all at once), on a thread of its own.
    void start(const std::string& recent, double perSecond);
    // How many have been moved (or failed) so far; all of them once the thread is done.
    size_t placed() const { return placed_; }
    // Waits for the thread. Then madeAt holds, for each shortcut, GetTickCount64 when it arrived in the
    // folder (0 for one that could not be made).
    void join();

    const std::vector<std::string>& targets() const { return targets_; }  // in the order of their shortcuts
    std::vector<ULONGLONG> madeAt;

private:
    std::atomic<size_t> placed_{0};
    std::vector<std::string> ready_;  // the shortcuts made ready ("" for one that failed)
    std::vector<std::string> targets_;
    std::thread thread_;
};

}  // namespace qs::test
