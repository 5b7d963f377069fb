#include "app/dialogs/favimport.h"

#include <windows.h>

#include <algorithm>
#include <new>
#include <vector>

#include "app/dialogs/urlfile.h"
#include "app/lists.h"
#include "platform/runtime/errors.h"
#include "platform/runtime/text.h"
#include "platform/win/handles.h"

namespace qs::app {

namespace {

constexpr int kBatchRows = 500;
constexpr unsigned long long kBatchMs = 250;
constexpr DWORD kReadChunk = 4096;
constexpr size_t kMaxText = 255;  // characters of a Text field

// A folder that stands for another place: a junction, a symbolic link or a mount point. A reparse point
// whose tag the listing does not give (Wine lists the host's links so) is taken for one.
bool isLink(const FavouritesImport::Entry& e) {
    if (!(e.attributes & FILE_ATTRIBUTE_REPARSE_POINT)) return false;
    return e.reparseTag == 0 || IsReparseTagNameSurrogate(e.reparseTag);
}

bool endsWithSys(const std::string& text) { return text.size() >= 4 && text.compare(text.size() - 4, 4, ".sys") == 0; }

// Reads a file in bounded chunks until its URL line has ended or the file has, and never more than its
// size when it was opened: a file still being written, or a device listed as a file (under Wine a link
// to an endless one), would otherwise hold the walk, which pumps no messages, for ever. A handle that is
// no disk file fails as a file that cannot be read.
void readUrlLine(const std::string& path, urlfile::UrlLineFinder& finder) {
    win::UniqueFile file(CreateFileW(rt::widen(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                     OPEN_EXISTING, 0, nullptr));
    if (!file) throw rt::errorFromWin32(GetLastError());
    if (GetFileType(file.get()) != FILE_TYPE_DISK) throw rt::Error(rt::errPathFileAccess);
    LARGE_INTEGER size;
    if (!GetFileSizeEx(file.get(), &size)) throw rt::errorFromWin32(GetLastError());
    char chunk[kReadChunk];
    for (unsigned long long left = size.QuadPart; left > 0;) {
        DWORD got = 0;
        const DWORD want = DWORD(std::min<unsigned long long>(left, kReadChunk));
        if (!ReadFile(file.get(), chunk, want, &got, nullptr)) throw rt::errorFromWin32(GetLastError());
        if (got == 0) break;  // cut short since it was opened
        left -= got;
        if (finder.feed(std::string_view(chunk, got))) return;
    }
    finder.finish();
}

}  // namespace

FavouritesImport::FavouritesImport(db::Database& database, db::Recordset& favourites, Hooks hooks)
    : database_(database), favourites_(favourites), hooks_(std::move(hooks)) {}

FavouritesImport::~FavouritesImport() = default;

std::vector<FavouritesImport::Entry> FavouritesImport::listFolder(const std::string& pattern) {
    std::vector<Entry> out;
    WIN32_FIND_DATAW fd{};
    win::UniqueFind h(FindFirstFileExW(rt::widen(pattern).c_str(), FindExInfoBasic, &fd, FindExSearchNameMatch, nullptr,
                                       FIND_FIRST_EX_LARGE_FETCH));
    if (!h) {
        if (GetLastError() == ERROR_NOT_READY) throw rt::Error(rt::errDiskNotReady);
        return out;
    }
    do {
        const wchar_t* n = fd.cFileName;
        if (n[0] == L'.' && (n[1] == L'\0' || (n[1] == L'.' && n[2] == L'\0'))) continue;
        // The tag is in dwReserved0 for a reparse point only.
        const DWORD tag = (fd.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) ? fd.dwReserved0 : 0;
        out.push_back({rt::narrow(n), fd.dwFileAttributes, tag});
    } while (FindNextFileW(h.get(), &fd));
    return out;
}

std::string FavouritesImport::errorMessage(const std::exception& e, const std::string& subject) {
    int number = rt::errInvalidCall;
    std::string description = e.what();
    if (auto* re = dynamic_cast<const rt::Error*>(&e)) {
        number = re->number;
        description = re->description;
    } else if (dynamic_cast<const std::bad_alloc*>(&e)) {
        number = 7;
        description = rt::errorText(7);
    }
    return "Error: " + std::to_string(number) + " - " + description + (subject.empty() ? "" : " " + subject);
}

template <class PerFile>
void FavouritesImport::walk(std::string& path, const std::string& pattern, PerFile perFile) {
    if (stopped_) return;
    if (path.empty() || path.back() != '\\') path += '\\';

    // Folder phase: the subfolders, in listing order.
    std::vector<Entry> entries;
    try {
        entries = list(path + "*");
    } catch (const std::exception& e) {
        failed(path, e);
    }
    std::vector<std::string> subfolders;
    for (const Entry& e : entries)
        if ((e.attributes & FILE_ATTRIBUTE_DIRECTORY) && !isLink(e)) subfolders.push_back(e.name);

    // File phase: every file matching the pattern, hidden and system ones included. A pattern of every
    // name needs no listing of its own: the folder's is the same.
    std::vector<Entry> files;
    if (pattern == "*.*" || pattern == "*") {
        files = std::move(entries);
    } else {
        try {
            files = list(path + pattern);
        } catch (const std::exception& e) {
            failed(path + pattern, e);
        }
    }
    for (const Entry& f : files) {
        if (stopped_) return;
        if (f.attributes & FILE_ATTRIBUTE_DIRECTORY) continue;
        perFile(path, f.name);
    }

    for (const std::string& name : subfolders) {
        if (stopped_) return;
        std::string child = path + name + "\\";
        walk(child, pattern, perFile);
    }
}

std::vector<FavouritesImport::Entry> FavouritesImport::list(const std::string& pattern) {
    return hooks_.list ? hooks_.list(pattern) : listFolder(pattern);
}

void FavouritesImport::countFolderFiles(std::string& path, const std::string& pattern, int32_t& fileCount) {
    walk(path, pattern, [&](const std::string&, const std::string&) { ++fileCount; });
}

void FavouritesImport::importFolderURLs(std::string& path, const std::string& pattern, int32_t& fileCount) {
    walk(path, pattern,
         [&](const std::string& folder, const std::string& name) { importFile(folder, name, fileCount); });
}

void FavouritesImport::importFile(const std::string& folder, const std::string& name, int32_t& fileCount) {
    ++fileCount;
    if (hooks_.fileStep) hooks_.fileStep();
    std::string subject = folder + name;  // what a failure names: the path, then the favourite's name
    try {
        urlfile::UrlLineFinder finder;
        readUrlLine(subject, finder);
        if (!finder.found()) return;
        const std::optional<std::string> favName = urlfile::nameOfFile(name);
        if (!favName) throw rt::Error(rt::errInvalidCall);
        const std::string url = urlfile::cutToUnits(rt::fromAnsi(finder.url()), kMaxText);
        subject = *favName;
        if (url.empty()) return;
        store(*favName, url);
    } catch (const std::exception& e) {
        failed(subject, e);
    }
}

void FavouritesImport::store(const std::string& name, const std::string& url) {
    if (!batch_) {
        batch_ = std::make_unique<db::Transaction>(database_);
        batchStart_ = GetTickCount64();
        batchRows_ = 0;
    }
    bool inserted = false;
    {
        db::Savepoint file(database_);
        favourites_.FindFirst("FavName = " + quoted(name));
        if (favourites_.NoMatch()) {
            favourites_.AddNew();
            favourites_.set("FavName", urlfile::cutToUnits(rt::UCase(name), kMaxText));
            favourites_.set("FavURL", url);
            favourites_.set("FavKeywords", std::string(" "));
            favourites_.Update();
            favourites_.Bookmark(favourites_.LastModified());
            inserted = true;
        }
        file.release();
    }
    if (inserted) {
        ++added_;
        ++batchRows_;
    }
    if (batchRows_ >= kBatchRows || GetTickCount64() - batchStart_ >= kBatchMs) commitBatch();
}

void FavouritesImport::failed(const std::string& subject, const std::exception& e) {
    auto* dbe = dynamic_cast<const db::DbError*>(&e);
    if (dbe && dbe->number == db::errLocked) {
        // Every further file would wait for the lock and fail the same way: say it once and stop.
        say(errorMessage(e, subject));
        stopped_ = true;
        return;
    }
    if (endsWithSys(subject)) return;
    say(errorMessage(e, subject));
}

void FavouritesImport::say(const std::string& text) {
    commitBatch();
    if (hooks_.message) hooks_.message(text);
}

void FavouritesImport::commitBatch() {
    std::unique_ptr<db::Transaction> batch = std::move(batch_);
    if (!batch) return;
    try {
        batch->commit();
    } catch (const std::exception& e) {
        batch.reset();  // rolled back
        stopped_ = true;
        if (hooks_.message) hooks_.message(errorMessage(e, ""));
    }
}

void FavouritesImport::finish() { commitBatch(); }

}  // namespace qs::app
