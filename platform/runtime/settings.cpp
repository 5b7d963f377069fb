#include "platform/runtime/settings.h"

#include "platform/runtime/errors.h"
#include "platform/runtime/text.h"
#include "platform/win/handles.h"

#include <windows.h>

#include <vector>

namespace qs::rt {
namespace {

std::wstring keyPath(const std::string& app, const std::string& section) {
    std::wstring path = L"Software\\" + widen(app);
    if (!section.empty()) path += L"\\" + widen(section);
    return path;
}

}  // namespace

std::string GetSetting(const std::string& app, const std::string& section, const std::string& key,
                       const std::string& defaultValue) {
    if (app.empty() || section.empty()) return defaultValue;
    win::UniqueRegKey k;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, keyPath(app, section).c_str(), 0, KEY_QUERY_VALUE, k.put()) != ERROR_SUCCESS)
        return defaultValue;
    std::wstring name = widen(key);
    for (int attempt = 0; attempt < 4; ++attempt) {
        DWORD type = 0, bytes = 0;
        if (RegQueryValueExW(k.get(), name.c_str(), nullptr, &type, nullptr, &bytes) != ERROR_SUCCESS)
            return defaultValue;
        if (type != REG_SZ && type != REG_EXPAND_SZ) return defaultValue;
        std::vector<wchar_t> buf(bytes / sizeof(wchar_t) + 1, L'\0');
        DWORD got = DWORD(buf.size() * sizeof(wchar_t));
        LONG rc = RegQueryValueExW(k.get(), name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(buf.data()), &got);
        if (rc == ERROR_MORE_DATA) continue;  // the value grew between the two calls
        if (rc != ERROR_SUCCESS) return defaultValue;
        size_t chars = got / sizeof(wchar_t);
        while (chars > 0 && buf[chars - 1] == L'\0') --chars;
        return narrow(std::wstring_view(buf.data(), chars));
    }
    return defaultValue;
}

void SaveSetting(const std::string& app, const std::string& section, const std::string& key, const std::string& value) {
    if (app.empty() || section.empty() || key.empty()) throw Error(errInvalidCall);
    win::UniqueRegKey k;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, keyPath(app, section).c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                        k.put(), nullptr) != ERROR_SUCCESS)
        throw Error(errInvalidCall);
    std::wstring w = widen(value);
    if (RegSetValueExW(k.get(), widen(key).c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(w.c_str()),
                       DWORD((w.size() + 1) * sizeof(wchar_t))) != ERROR_SUCCESS)
        throw Error(errInvalidCall);
}

void DeleteSetting(const std::string& app, const std::string& section, const std::string& key) {
    if (app.empty()) throw Error(errInvalidCall);
    if (!key.empty() && !section.empty()) {
        win::UniqueRegKey k;
        if (RegOpenKeyExW(HKEY_CURRENT_USER, keyPath(app, section).c_str(), 0, KEY_SET_VALUE, k.put()) == ERROR_SUCCESS)
            RegDeleteValueW(k.get(), widen(key).c_str());
        return;
    }
    RegDeleteTreeW(HKEY_CURRENT_USER, keyPath(app, section).c_str());
    RegDeleteKeyW(HKEY_CURRENT_USER, keyPath(app, section).c_str());
}

}  // namespace qs::rt
