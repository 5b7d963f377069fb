#include "tests/collect/collect_support.h"

#include "platform/runtime/app.h"

namespace qs::test {

app::RecentRescan recentRescan(const std::string& recent, const std::string& dbPath,
                               std::vector<std::string>* recentFiles, int16_t* recentFileCount,
                               std::function<void()> refresh) {
    return {recent,
            dbPath,
            recentFiles,
            recentFileCount,
            [](const std::string& s) { return app::resolveShortcutPath(nullptr, s); },
            [] {
                rt::DoEvents();
                return true;
            },
            std::move(refresh)};
}

}  // namespace qs::test
