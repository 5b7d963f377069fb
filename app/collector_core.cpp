#include "app/collector_core.h"

#include <exception>
#include <functional>
#include <future>
#include <new>
#include <optional>
#include <string_view>
#include <unordered_set>

#include "app/data/shellutil.h"
#include "platform/db/db.h"
#include "platform/runtime/app.h"
#include "platform/runtime/errors.h"
#include "platform/runtime/files.h"
#include "platform/runtime/text.h"
#include "platform/shell/linkinfo.h"

namespace qs::app {
namespace {

constexpr ULONGLONG kYieldInterval = 10;  // ms between yields

// The previous listing as a set for the exact, case-sensitive "known name" test: views into recentFiles,
// which no other code changes while a rescan runs (rescans never nest).
std::unordered_set<std::string_view> knownNames(const RecentRescan& scan) {
    const std::vector<std::string>& files = *scan.recentFiles;
    size_t count = *scan.recentFileCount > 0 ? static_cast<size_t>(*scan.recentFileCount) : 0;
    if (count > files.size()) count = files.size();
    std::unordered_set<std::string_view> names;
    names.reserve(count);
    for (size_t i = 0; i < count; ++i) names.insert(files[i]);
    return names;
}

bool tooLongForText(const std::string& text) {
    return rt::widen(text).size() > static_cast<size_t>(db::kMaxTextLength);
}

// Records the document of one new name of the Recent folder.
void recordShortcut(db::Recordset& jobs, const RecentRescan& scan, const std::string& name) {
    const std::string shortcut = scan.recentPath + name;
    const std::string target = scan.resolve(shortcut);
    if (target.empty()) return;
    // Neither a target without a folder part nor one longer than a Text field can be stored; trying
    // would fail this rescan and every later one while the shortcut stays in the folder.
    const size_t cut = target.rfind('\\');
    if (cut == std::string::npos || tooLongForText(target)) return;

    jobs.FindFirst(jobFullNameCriterion(target));
    if (!jobs.NoMatch()) {
        jobs.Edit();
        jobs.set("JobDate", db::Date{rt::FileDateTime(shortcut)});
        jobs.Update();
        return;
    }
    jobs.AddNew();
    jobs.set("JobName", rt::UCase(std::string_view(target).substr(cut + 1)));
    jobs.set("JobLocation", rt::UCase(std::string_view(target).substr(0, cut + 1)));
    jobs.set("JobDate", db::Date{rt::FileDateTime(shortcut)});
    jobs.set("JobFullName", rt::UCase(target));
    jobs.set("JobPermanent", false);
    jobs.Update();
    jobs.Bookmark(jobs.LastModified());
}

void writeErrorLog(int number, const std::string& description) {
    try {
        rt::writeQuotedRecord(rt::AppPath() + "\\error.log", "Error " + std::to_string(number) + " " + description);
    } catch (...) {
        // Nowhere left to report to; the program goes on.
    }
}

}  // namespace

std::vector<std::string> listRecentFolder(const std::string& recentPath) {
    std::vector<std::string> names = rt::listDir(recentPath + "*.*", rt::attrNormal);
    if (names.size() > 32767) throw rt::Error(rt::errOverflow);
    return names;
}

std::string resolveShortcutPath(HWND owner, const std::string& shortcutName) {
    try {
        const size_t n = shortcutName.size();
        if (n < 3 || rt::UCase(std::string_view(shortcutName).substr(n - 3)) != "LNK") return shortcutName;
        std::string target = trimNull(shell::GetLinkInfo(owner, shortcutName));
        if (target.find('~') != std::string::npos) target = expandLongPath(target);
        return target;
    } catch (...) {
        return {};
    }
}

std::string jobFullNameCriterion(const std::string& path) { return "JobFullName = " + db::quoted(path); }

void storeRecentListing(std::vector<std::string>& recentFiles, int16_t& recentFileCount,
                        std::vector<std::string> listing) {
    recentFileCount = static_cast<int16_t>(listing.size());
    recentFiles = std::move(listing);
}

bool rescanRecentFolder(const RecentRescan& scan) {
    try {
        // Listing a large folder and opening the jobs wait on different things (the file system, the
        // table's keys), so they run side by side. A failed listing is still the error reported.
        std::future<std::vector<std::string>> listed =
            std::async(std::launch::async, listRecentFolder, std::cref(scan.recentPath));
        std::shared_ptr<db::Database> database;
        std::shared_ptr<db::Recordset> jobs;
        std::exception_ptr openFailure;
        try {
            database = db::Engine::OpenDatabase(scan.dbPath);
            jobs = database->OpenRecordset("Jobs", db::dbOpenDynaset);
        } catch (...) {
            openFailure = std::current_exception();
        }
        std::vector<std::string> listing = listed.get();
        if (openFailure) std::rethrow_exception(openFailure);

        // New names are recorded in batches, one commit for those between two yields: a synced commit costs
        // as much as resolving, finding and writing a score of names, so a burst of shortcuts committed one
        // by one kept the rows, and the window, waiting. Nothing stays open across a yield, where other
        // handlers write through their connections. A yield is a trip to the window system, so it comes
        // every few milliseconds rather than after every name; the first name yields at once, so that what
        // waited for the settle time (a key, a close) is served before the rest of the work.
        const std::unordered_set<std::string_view> known = knownNames(scan);
        std::optional<db::Transaction> batch;
        auto commit = [&batch] {
            if (batch) batch->commit();
            batch.reset();
        };
        ULONGLONG lastYield = 0;
        for (const std::string& name : listing) {
            if (!known.count(name)) {
                if (!batch) batch.emplace(*database);
                try {
                    recordShortcut(*jobs, scan, name);
                } catch (...) {
                    // The failing step changed nothing; the rows before it stay, as they would one by one.
                    try {
                        commit();
                    } catch (...) {
                    }
                    throw;
                }
            }
            if (scan.yield && GetTickCount64() - lastYield >= kYieldInterval) {
                commit();
                if (!scan.yield()) return false;  // the recordset and the database close on the way out
                lastYield = GetTickCount64();
            }
        }
        commit();
        jobs->Close();
        database->Close();

        storeRecentListing(*scan.recentFiles, *scan.recentFileCount, std::move(listing));
        if (scan.refresh) scan.refresh();
        return true;
    } catch (const rt::Error& e) {
        writeErrorLog(e.number, e.description);
    } catch (const std::bad_alloc&) {
        writeErrorLog(7, rt::errorText(7));
    } catch (const std::exception& e) {
        writeErrorLog(51, e.what());
    }
    return false;
}

}  // namespace qs::app
