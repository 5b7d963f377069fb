#include "app/dialogs/dbfiles.h"

#include <windows.h>

#include <cstdio>
#include <memory>
#include <vector>

#include "app/data/schema.h"
#include "platform/db/db.h"
#include "platform/runtime/dates.h"
#include "platform/runtime/errors.h"
#include "platform/runtime/files.h"
#include "platform/runtime/text.h"
#include "platform/win/handles.h"

namespace qs::app {
namespace {

bool fileIdentity(const std::string& path, BY_HANDLE_FILE_INFORMATION& info) {
    // No access rights asked for: a file the program itself holds open still answers.
    win::UniqueFile h(CreateFileW(rt::widen(path).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                  nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    return h && GetFileInformationByHandle(h.get(), &info);
}

// The full long form of a path, for comparing paths of files that may not exist.
std::wstring fullPath(const std::string& path) {
    const std::wstring w = rt::widen(path);
    std::wstring full(MAX_PATH, L'\0');
    DWORD n = GetFullPathNameW(w.c_str(), DWORD(full.size()), full.data(), nullptr);
    if (n >= full.size()) {
        full.resize(n);
        n = GetFullPathNameW(w.c_str(), DWORD(full.size()), full.data(), nullptr);
    }
    if (n == 0) return w;
    full.resize(n);
    std::wstring longer(MAX_PATH, L'\0');
    DWORD m = GetLongPathNameW(full.c_str(), longer.data(), DWORD(longer.size()));
    if (m > 0 && m < longer.size()) return longer.substr(0, m);
    return full;
}

[[noreturn]] void failWin32(DWORD code) { throw rt::errorFromWin32(code); }

void flushToDisk(const std::string& path) {
    win::UniqueFile h(CreateFileW(rt::widen(path).c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!h || !FlushFileBuffers(h.get())) failWin32(GetLastError());
}

bool moveInPlace(const std::string& from, const std::string& to, bool replace) {
    DWORD flags = MOVEFILE_WRITE_THROUGH | (replace ? MOVEFILE_REPLACE_EXISTING : 0);
    return MoveFileExW(rt::widen(from).c_str(), rt::widen(to).c_str(), flags) != 0;
}

// The fields each copied table takes, in the order they are set.
struct CopiedTable {
    const char* name;
    std::initializer_list<const char*> fields;
};
const CopiedTable kCopied[] = {
    {"Jobs", {"JobName", "JobDate", "JobFullName", "JobPermanent", "JobLocation"}},
    {"Favorites", {"FavName", "FavURL", "FavKeywords"}},
    {"Phone", {"PName", "PInfo"}},
};

// The source's rows in its order, each added to `to` on its own. The source is read a whole field at a
// time, one pass over its table each, which is many times faster than a lookup per row.
void copyRows(db::Recordset& from, db::Recordset& to, const CopiedTable& table) {
    std::vector<std::vector<db::Value>> values;
    std::vector<int> targets;
    int keywords = -1;
    for (const char* field : table.fields) {
        if (std::string_view(field) == "FavKeywords") keywords = int(values.size());
        values.push_back(from.column(from.fieldIndex(field)));
        targets.push_back(to.fieldIndex(field));
    }
    const size_t rows = size_t(from.RecordCount());
    for (size_t r = 0; r < rows; ++r) {
        to.AddNew();
        for (size_t f = 0; f < values.size(); ++f) {
            db::Value& v = values[f][r];
            if (int(f) == keywords) {
                const auto* text = std::get_if<std::string>(&v);
                if (db::isNull(v) || (text && text->empty())) v = std::string(" ");
            }
            to.set(targets[f], v);
        }
        to.Update();
    }
}

}  // namespace

bool sameFile(const std::string& a, const std::string& b) {
    BY_HANDLE_FILE_INFORMATION x{}, y{};
    if (fileIdentity(a, x) && fileIdentity(b, y))
        return x.dwVolumeSerialNumber == y.dwVolumeSerialNumber && x.nFileIndexHigh == y.nFileIndexHigh &&
               x.nFileIndexLow == y.nFileIndexLow;
    const std::wstring fa = fullPath(a), fb = fullPath(b);
    return CompareStringOrdinal(fa.c_str(), int(fa.size()), fb.c_str(), int(fb.size()), TRUE) == CSTR_EQUAL;
}

void removeFile(const std::string& path) { DeleteFileW(rt::widen(path).c_str()); }

std::string folderOf(const std::string& path) {
    const size_t cut = path.find_last_of("\\/");
    return cut == std::string::npos ? std::string() : path.substr(0, cut);
}

std::string tempPathBeside(const std::string& beside) {
    const size_t cut = beside.find_last_of("\\/");
    const std::string folder = cut == std::string::npos ? std::string() : beside.substr(0, cut + 1);
    const std::string name = beside.substr(folder.size());
    for (unsigned n = GetTickCount() ^ (GetCurrentProcessId() << 16);; ++n) {
        char tag[16];
        std::snprintf(tag, sizeof tag, "%08X", n);
        std::string path = folder + "~" + name + "." + tag + ".tmp";
        if (GetFileAttributesW(rt::widen(path).c_str()) == INVALID_FILE_ATTRIBUTES) return path;
    }
}

void replaceFile(const std::string& from, const std::string& to, bool replace) {
    flushToDisk(from);
    if (moveInPlace(from, to, replace)) return;
    const DWORD error = GetLastError();
    if (error != ERROR_NOT_SAME_DEVICE) failWin32(error);
    // Another volume: a copy beside the target first, so the target still changes in one step.
    const std::string nearby = tempPathBeside(to);
    if (!CopyFileW(rt::widen(from).c_str(), rt::widen(nearby).c_str(), TRUE)) failWin32(GetLastError());
    try {
        flushToDisk(nearby);
        if (!moveInPlace(nearby, to, replace)) failWin32(GetLastError());
    } catch (...) {
        removeFile(nearby);
        throw;
    }
    removeFile(from);
}

void copyDatabase(const std::string& source, const std::string& target, bool replaceExisting) {
    const std::string temp = tempPathBeside(target);
    try {
        CreateDatabaseX(temp);
        CreateTableDefX(temp);
        {
            std::shared_ptr<db::Database> copy = db::Engine::OpenDatabase(temp);
            std::shared_ptr<db::Database> from = db::Engine::OpenDatabase(source);
            for (const CopiedTable& table : kCopied) {
                // One commit per table: a synced commit per row would make a large copy take minutes.
                db::Transaction transaction(*copy);
                std::shared_ptr<db::Recordset> to = copy->OpenRecordset(table.name, db::dbOpenDynaset);
                std::shared_ptr<db::Recordset> rows = from->OpenRecordset(table.name, db::dbOpenDynaset);
                copyRows(*rows, *to, table);
                transaction.commit();
            }
            copy->Close();
            from->Close();
        }
        replaceFile(temp, target, replaceExisting);
    } catch (...) {
        removeFile(temp);
        throw;
    }
}

std::string compactTempPath(const std::string& folder, double now) {
    const rt::DateParts t = rt::splitDate(now);
    char name[32];
    std::snprintf(name, sizeof name, "%02d%02d%04d%02d%02d%02d.mdb", t.day, t.month, t.year, t.hour, t.minute,
                  t.second);
    return folder.empty() ? std::string(name) : folder + "\\" + name;
}

void compactInPlace(const std::string& path, const std::string& tempPath) {
    if (rt::fileExists(tempPath)) rt::Kill(tempPath);
    // The engine leaves no partial file when it fails; from here on the file at tempPath is ours.
    db::Engine::CompactDatabase(path, tempPath);
    try {
        db::Engine::OpenDatabase(tempPath)->Close();
        replaceFile(tempPath, path, true);
    } catch (...) {
        removeFile(tempPath);
        throw;
    }
}

}  // namespace qs::app
