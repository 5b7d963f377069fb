#include "platform/runtime/files.h"

#include "platform/runtime/dates.h"
#include "platform/runtime/errors.h"
#include "platform/runtime/text.h"
#include "platform/win/handles.h"

#include <windows.h>

namespace qs::rt {
namespace {

constexpr DWORD kindBits = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_DIRECTORY;

bool wanted(const WIN32_FIND_DATAW& fd, int attributes) {
    if (fd.cFileName[0] == L'.' && (fd.cFileName[1] == L'\0' || (fd.cFileName[1] == L'.' && fd.cFileName[2] == L'\0')))
        return false;
    return (fd.dwFileAttributes & kindBits & ~DWORD(attributes)) == 0;
}

std::wstring searchPattern(const std::string& pattern) {
    std::wstring w = widen(pattern);
    if (w.empty() || w.back() == L'\\' || w.back() == L'/' || w.back() == L':') w += L'*';
    return w;
}

// One enumeration of a pattern with the runtime's attribute rules.
class Listing {
public:
    Listing() = default;
    Listing(const Listing&) = delete;
    Listing& operator=(const Listing&) = delete;
    ~Listing() { close(); }

    // The first name, "" when none.
    std::string start(const std::string& pattern, int attributes) {
        close();
        attributes_ = attributes;
        WIN32_FIND_DATAW fd;
        handle_.reset(
            FindFirstFileExW(searchPattern(pattern).c_str(), FindExInfoBasic, &fd, FindExSearchNameMatch, nullptr, 0));
        if (!handle_) {
            DWORD err = GetLastError();
            if (err == ERROR_NOT_READY) throw Error(errDiskNotReady);
            return {};  // no match, or no such folder: an empty listing
        }
        active_ = true;
        if (wanted(fd, attributes_)) return narrow(fd.cFileName);
        return next();
    }

    std::string next() {
        WIN32_FIND_DATAW fd;
        while (handle_ && FindNextFileW(handle_.get(), &fd))
            if (wanted(fd, attributes_)) return narrow(fd.cFileName);
        close();
        return {};
    }

    bool active() const { return active_; }
    void finish() { active_ = false; }

private:
    void close() { handle_.reset(); }

    win::UniqueFind handle_;
    int attributes_ = 0;
    bool active_ = false;
};

Listing& dirListing() {
    static Listing listing;
    return listing;
}

bool hasWildcards(const std::string& path) { return path.find_first_of("*?") != std::string::npos; }

WIN32_FILE_ATTRIBUTE_DATA attributesOf(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (path.empty() || hasWildcards(path) || !GetFileAttributesExW(widen(path).c_str(), GetFileExInfoStandard, &data))
        throw Error(errFileNotFound);
    return data;
}

}  // namespace

std::string Dir(const std::string& pattern, int attributes) {
    Listing& l = dirListing();
    l.finish();
    std::string first = l.start(pattern, attributes);
    if (first.empty()) l.finish();
    return first;
}

std::string Dir() {
    Listing& l = dirListing();
    if (!l.active()) throw Error(errInvalidCall);
    std::string name = l.next();
    if (name.empty()) l.finish();
    return name;
}

std::vector<std::string> listDir(const std::string& pattern, int attributes) {
    std::vector<std::string> names;
    Listing l;
    for (std::string name = l.start(pattern, attributes); !name.empty(); name = l.next())
        names.push_back(std::move(name));
    return names;
}

double FileDateTime(const std::string& path) { return fromFileTime(attributesOf(path).ftLastWriteTime); }

int GetAttr(const std::string& path) {
    return int(attributesOf(path).dwFileAttributes &
               (attrReadOnly | attrHidden | attrSystem | attrVolume | attrDirectory | attrArchive));
}

bool fileExists(const std::string& path) {
    if (path.empty() || hasWildcards(path)) return false;
    DWORD a = GetFileAttributesW(widen(path).c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & kindBits) == 0;
}

bool anyFileExists(const std::string& path) {
    if (path.empty() || hasWildcards(path)) return false;
    DWORD a = GetFileAttributesW(widen(path).c_str());
    return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

void Kill(const std::string& path) {
    std::string folder;
    size_t slash = path.find_last_of("\\/:");
    if (slash != std::string::npos) folder = path.substr(0, slash + 1);
    std::vector<std::string> names;
    if (hasWildcards(path)) {
        names = listDir(path, attrNormal);
    } else if (fileExists(path)) {
        names.push_back(path.substr(folder.size()));
    }
    if (names.empty()) throw Error(errFileNotFound);
    for (const std::string& name : names)
        if (!DeleteFileW(widen(folder + name).c_str())) throw errorFromWin32(GetLastError());
}

void writeQuotedRecord(const std::string& path, const std::string& text) {
    win::UniqueFile file(CreateFileW(widen(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                                     FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) throw errorFromWin32(GetLastError());
    std::string record = "\"" + toAnsi(text) + "\"\r\n";
    DWORD written = 0;
    BOOL ok = WriteFile(file.get(), record.data(), DWORD(record.size()), &written, nullptr);
    DWORD err = GetLastError();
    file.reset();
    if (!ok || written != record.size()) throw errorFromWin32(ok ? ERROR_DISK_FULL : err);
}

}  // namespace qs::rt
