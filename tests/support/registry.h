#pragma once
// One root of the registry (HKEY_CURRENT_USER, HKEY_CLASSES_ROOT) as tests look into it after the code
// under test has written or removed its keys.
#include <windows.h>

#include <set>
#include <string>

namespace qs::test {

class RegistryRoot {
public:
    explicit RegistryRoot(HKEY root) : root_(root) {}

    bool exists(const std::wstring& path) const;
    // The string value (`name` null: the default value); "<none>" when absent, "<not a string>" when it
    // has another type.
    std::wstring value(const std::wstring& path, const wchar_t* name = nullptr) const;
    // The names of the key's subkeys; none when the key is absent.
    std::set<std::wstring> subkeys(const std::wstring& path) const;
    // Creates the key and any missing keys above it; false when it cannot.
    bool create(const std::wstring& path) const;

private:
    HKEY root_;
};

}  // namespace qs::test
