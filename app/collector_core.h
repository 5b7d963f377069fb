#pragma once
#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// The job collector's core, below every window: listing the Recent folder, resolving shortcuts and
// recording their documents. The main window's wiring (app/collector.cpp) runs a rescan once a burst of
// Notifys has settled and hands it its members; the receiver finds jobs with the same criterion.
namespace qs::app {

// Names of the ordinary files of the folder (no folders, hidden or system files), in listing order.
// recentPath ends in a backslash. Error 6 (Overflow) beyond 32,767 names: the counters are 16-bit.
std::vector<std::string> listRecentFolder(const std::string& recentPath);

// A shortcut's document: its target, in long form when it holds a "~"; any other file path unchanged;
// "" when the shortcut has no file-system target or its long form cannot be found. Never throws.
std::string resolveShortcutPath(HWND owner, const std::string& shortcutName);

// "JobFullName = " and the path between double quotes, each quote inside doubled.
std::string jobFullNameCriterion(const std::string& path);

struct RecentRescan {
    std::string recentPath;                 // the Recent folder, ending in a backslash
    std::string dbPath;                     // myDBname
    std::vector<std::string>* recentFiles;  // the previous listing; replaced when the rescan succeeds
    int16_t* recentFileCount;
    std::function<std::string(const std::string&)> resolve;  // resolveShortcut
    std::function<bool()> yield;    // DoEvents every few ms; false: stop here (the window is going)
    std::function<void()> refresh;  // Data1.Refresh, then redrawGrid
};

// One Notify after its wait: list the folder, record the document of every name that the previous
// listing lacks (an existing job gets the shortcut's date, a new one a non-permanent row), store the
// listing, refresh. Any error ends it with one "Error <number> <description>" record in error.log
// (program folder) and returns false: the listing stays, so the next event tries the names again. A yield
// that says stop ends it the same way without a record: the rows written so far stay, each one whole.
bool rescanRecentFolder(const RecentRescan& scan);

// Replaces the previous listing.
void storeRecentListing(std::vector<std::string>& recentFiles, int16_t& recentFileCount,
                        std::vector<std::string> listing);

}  // namespace qs::app
