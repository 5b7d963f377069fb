#pragma once
// A scratch folder under %TEMP% for one test, removed with everything in it at the end.
#include <windows.h>
#include <shellapi.h>

#include <string>

namespace qs::test {

inline std::string utf8(const std::wstring& w) {
    if (w.empty()) return {};
    int n = WideCharToMultiByte(CP_UTF8, 0, w.c_str(), static_cast<int>(w.size()), nullptr, 0, nullptr, nullptr);
    std::string s(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, w.c_str(), static_cast<int>(w.size()), s.data(), n, nullptr, nullptr);
    return s;
}

inline std::wstring widen(const std::string& s) {
    if (s.empty()) return {};
    int n = MultiByteToWideChar(CP_UTF8, 0, s.c_str(), static_cast<int>(s.size()), nullptr, 0);
    std::wstring w(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, s.c_str(), static_cast<int>(s.size()), w.data(), n);
    return w;
}

class ScratchDir {
public:
    ScratchDir() {
        wchar_t tmp[MAX_PATH];
        GetTempPathW(MAX_PATH, tmp);
        wchar_t longTmp[MAX_PATH];
        if (!GetLongPathNameW(tmp, longTmp, MAX_PATH)) wcscpy(longTmp, tmp);
        path_ = longTmp;
        if (!path_.empty() && path_.back() != L'\\') path_ += L'\\';
        path_ += L"qs shell test " + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(++count());
        CreateDirectoryW(path_.c_str(), nullptr);
    }
    ~ScratchDir() {
        std::wstring from = path_ + L'\0';
        SHFILEOPSTRUCTW op{};
        op.wFunc = FO_DELETE;
        op.pFrom = from.c_str();
        op.fFlags = FOF_NOCONFIRMATION | FOF_NOERRORUI | FOF_SILENT;
        SHFileOperationW(&op);
    }
    const std::wstring& path() const { return path_; }
    std::wstring file(const std::wstring& name, const char* content = "x") const {
        std::wstring p = path_ + L"\\" + name;
        HANDLE h = CreateFileW(p.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        DWORD written = 0;
        WriteFile(h, content, static_cast<DWORD>(strlen(content)), &written, nullptr);
        CloseHandle(h);
        return p;
    }
    std::wstring folder(const std::wstring& name) const {
        std::wstring p = path_ + L"\\" + name;
        CreateDirectoryW(p.c_str(), nullptr);
        return p;
    }

private:
    static int& count() {
        static int n = 0;
        return n;
    }
    std::wstring path_;
};

inline std::wstring shortName(const std::wstring& p) {
    wchar_t buf[MAX_PATH] = {};
    return GetShortPathNameW(p.c_str(), buf, MAX_PATH) ? std::wstring(buf) : std::wstring();
}

}  // namespace qs::test
