#include "tests/support/files.h"

#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>
#include <wrl/client.h>

#include <stdexcept>

#include "platform/runtime/text.h"

namespace qs::test {

TempDir::TempDir(const std::string& tag) {
    wchar_t base[MAX_PATH];
    GetTempPathW(MAX_PATH, base);
    static LONG serial = 0;
    std::wstring dir = std::wstring(base) + L"qs_" + rt::widen(tag);
    dir += L"_" + std::to_wstring(GetCurrentProcessId()) + L"_" + std::to_wstring(InterlockedIncrement(&serial));
    removeTree(dir);  // left by an earlier process of the same id
    if (!CreateDirectoryW(dir.c_str(), nullptr)) throw std::runtime_error("cannot make a test folder");
    // The long form, so that paths compare with what the shell and Dir give back.
    wchar_t longPath[MAX_PATH];
    const DWORD size = GetLongPathNameW(dir.c_str(), longPath, MAX_PATH);
    path_ = rt::narrow(size && size < MAX_PATH ? std::wstring(longPath, size) : dir);
}

TempDir::~TempDir() { removeTree(wpath()); }

std::wstring TempDir::wpath() const { return rt::widen(path_); }
std::wstring TempDir::wfile(const std::wstring& name) const { return wpath() + L"\\" + name; }

std::wstring writeFile(const std::wstring& path, const std::string& content) {
    HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                           nullptr);
    DWORD written = 0;
    const bool ok = h != INVALID_HANDLE_VALUE &&
                    WriteFile(h, content.data(), DWORD(content.size()), &written, nullptr) && written == content.size();
    if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
    if (!ok) throw std::runtime_error("cannot write " + rt::narrow(path));
    return path;
}

std::string writeFile(const std::string& path, const std::string& content) {
    writeFile(rt::widen(path), content);
    return path;
}

std::string readFile(const std::string& path) {
    HANDLE h = CreateFileW(rt::widen(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return {};
    std::string bytes(GetFileSize(h, nullptr), '\0');
    DWORD got = 0;
    if (!ReadFile(h, bytes.data(), DWORD(bytes.size()), &got, nullptr)) got = 0;
    CloseHandle(h);
    bytes.resize(got);
    return bytes;
}

std::wstring makeFolder(const std::wstring& path) {
    if (!CreateDirectoryW(path.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS)
        throw std::runtime_error("cannot make the folder " + rt::narrow(path));
    return path;
}

std::string makeFolder(const std::string& path) {
    makeFolder(rt::widen(path));
    return path;
}

void removeTree(const std::wstring& path) {
    WIN32_FIND_DATAW fd;
    HANDLE find = FindFirstFileW((path + L"\\*").c_str(), &fd);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = fd.cFileName;
            if (name == L"." || name == L"..") continue;
            const std::wstring full = path + L"\\" + name;
            SetFileAttributesW(full.c_str(), FILE_ATTRIBUTE_NORMAL);
            // A link to a folder goes by itself; what it points at is not ours.
            const DWORD a = fd.dwFileAttributes;
            if ((a & FILE_ATTRIBUTE_DIRECTORY) && !(a & FILE_ATTRIBUTE_REPARSE_POINT))
                removeTree(full);
            else if (!DeleteFileW(full.c_str()))
                RemoveDirectoryW(full.c_str());
        } while (FindNextFileW(find, &fd));
        FindClose(find);
    }
    RemoveDirectoryW(path.c_str());
}

void setAttributes(const std::string& path, DWORD attributes) {
    if (!SetFileAttributesW(rt::widen(path).c_str(), attributes))
        throw std::runtime_error("cannot set attributes of " + path);
}

void setWriteTime(const std::string& path, int year, int month, int day, int hour, int minute) {
    SYSTEMTIME local{};
    local.wYear = WORD(year);
    local.wMonth = WORD(month);
    local.wDay = WORD(day);
    local.wHour = WORD(hour);
    local.wMinute = WORD(minute);
    SYSTEMTIME utc;
    FILETIME ft;
    TzSpecificLocalTimeToSystemTime(nullptr, &local, &utc);
    SystemTimeToFileTime(&utc, &ft);
    HANDLE h = CreateFileW(rt::widen(path).c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h == INVALID_HANDLE_VALUE) throw std::runtime_error("cannot open " + path);
    SetFileTime(h, nullptr, nullptr, &ft);
    CloseHandle(h);
}

void makeShortcut(const std::string& lnkPath, const std::string& target) {
    Microsoft::WRL::ComPtr<IShellLinkW> link;
    Microsoft::WRL::ComPtr<IPersistFile> file;
    HRESULT hr = CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                  reinterpret_cast<void**>(link.GetAddressOf()));
    if (SUCCEEDED(hr)) hr = link->SetPath(rt::widen(target).c_str());
    if (SUCCEEDED(hr)) hr = link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(file.GetAddressOf()));
    if (SUCCEEDED(hr)) hr = file->Save(rt::widen(lnkPath).c_str(), TRUE);
    if (FAILED(hr)) throw std::runtime_error("cannot make the shortcut " + lnkPath);
}

std::wstring shortName(const std::wstring& path) {
    wchar_t buf[MAX_PATH] = {};
    const DWORD n = GetShortPathNameW(path.c_str(), buf, MAX_PATH);
    return n && n < MAX_PATH ? std::wstring(buf, n) : std::wstring();
}

}  // namespace qs::test
