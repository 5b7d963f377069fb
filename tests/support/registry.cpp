#include "tests/support/registry.h"

#include "platform/win/handles.h"

namespace qs::test {

bool RegistryRoot::exists(const std::wstring& path) const {
    win::UniqueRegKey key;
    return RegOpenKeyExW(root_, path.c_str(), 0, KEY_READ, key.put()) == ERROR_SUCCESS;
}

std::wstring RegistryRoot::value(const std::wstring& path, const wchar_t* name) const {
    wchar_t buffer[1024];
    DWORD size = sizeof buffer;
    DWORD type = 0;
    if (RegGetValueW(root_, path.c_str(), name, RRF_RT_ANY, &type, buffer, &size) != ERROR_SUCCESS) return L"<none>";
    if (type != REG_SZ) return L"<not a string>";
    return buffer;
}

std::set<std::wstring> RegistryRoot::subkeys(const std::wstring& path) const {
    std::set<std::wstring> names;
    win::UniqueRegKey key;
    if (RegOpenKeyExW(root_, path.c_str(), 0, KEY_READ, key.put()) != ERROR_SUCCESS) return names;
    wchar_t name[256];
    for (DWORD i = 0;; ++i) {
        DWORD len = 256;
        if (RegEnumKeyExW(key.get(), i, name, &len, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        names.insert(name);
    }
    return names;
}

bool RegistryRoot::create(const std::wstring& path) const {
    win::UniqueRegKey key;
    return RegCreateKeyW(root_, path.c_str(), key.put()) == ERROR_SUCCESS;
}

}  // namespace qs::test
