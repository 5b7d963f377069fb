#include "tests/support/shortcutmaker.h"

#include <cstdio>
#include <exception>

#include "platform/runtime/text.h"
#include "platform/win/handles.h"
#include "tests/support/files.h"

namespace qs::test {

ShortcutMaker::ShortcutMaker(const std::string& docs, int count, const std::string& prefix)
    : madeAt(size_t(count)), ready_(size_t(count)) {
    const std::string staging = makeFolder(docs + "\\" + prefix + " shortcuts");
    char number[16];
    for (int i = 0; i < count; ++i) {
        std::snprintf(number, sizeof number, " %05d.txt", i);
        targets_.push_back(writeFile(docs + "\\" + prefix + number));
    }
    // A few threads at once: the link object's cost is mostly waiting on Wine's server.
    std::vector<std::thread> makers;
    constexpr int kMakers = 4;
    for (int m = 0; m < kMakers; ++m) {
        makers.emplace_back([&, m] {
            win::ComInit com;
            for (int i = m; i < count; i += kMakers) {
                const std::string& target = targets_[size_t(i)];
                const std::string lnk = staging + target.substr(target.rfind('\\')) + ".lnk";
                try {
                    makeShortcut(lnk, target);
                    ready_[size_t(i)] = lnk;
                } catch (const std::exception&) {
                }
            }
        });
    }
    for (std::thread& t : makers) t.join();
}

ShortcutMaker::~ShortcutMaker() { join(); }

void ShortcutMaker::start(const std::string& recent, double perSecond) {
    join();
    placed_ = 0;
    thread_ = std::thread([this, recent, perSecond] {
        const ULONGLONG start = GetTickCount64();
        for (size_t i = 0; i < ready_.size(); ++i) {
            if (perSecond > 0) {
                const ULONGLONG due = start + ULONGLONG(double(i) * 1000.0 / perSecond);
                const ULONGLONG now = GetTickCount64();
                if (due > now) Sleep(DWORD(due - now));
            }
            const std::string& lnk = ready_[i];
            const std::string into = recent + lnk.substr(lnk.rfind('\\'));
            madeAt[i] =
                !lnk.empty() && MoveFileW(rt::widen(lnk).c_str(), rt::widen(into).c_str()) ? GetTickCount64() : 0;
            ++placed_;
        }
    });
}

void ShortcutMaker::join() {
    if (thread_.joinable()) thread_.join();
}

}  // namespace qs::test
