#pragma once
// The collector's rescan as the main window wires it, for the collector tests and benchmark.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "app/collector_core.h"

namespace qs::test {

// The rescan the main window's Notify handler runs: shortcuts resolved without a window, DoEvents
// after each name.
app::RecentRescan recentRescan(const std::string& recent, const std::string& dbPath,
                               std::vector<std::string>* recentFiles, int16_t* recentFileCount,
                               std::function<void()> refresh = nullptr);

}  // namespace qs::test
