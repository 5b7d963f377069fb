#include "tests/support/shellfolders.h"

#include <stdexcept>

#include "platform/runtime/text.h"
#include "platform/win/handles.h"

namespace qs::test {
namespace {

const wchar_t* const kShellKeys[2] = {L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders",
                                      L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders"};

std::wstring savedKey(int i) {
    const std::wstring shellKey = kShellKeys[i];
    return std::wstring(kSavedShellFolders) + shellKey.substr(shellKey.rfind(L'\\'));
}

win::UniqueRegKey openKey(const std::wstring& path) {
    win::UniqueRegKey key;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_READ | KEY_WRITE, nullptr, key.put(),
                        nullptr) != ERROR_SUCCESS)
        throw std::runtime_error("cannot open the registry key " + rt::narrow(path));
    return key;
}

using Value = ShellFolderRedirect::Value;

Value read(HKEY key, const std::wstring& name) {
    Value v;
    DWORD size = 0;
    if (RegQueryValueExW(key, name.c_str(), nullptr, &v.type, nullptr, &size) != ERROR_SUCCESS) return v;
    v.data.resize(size);
    v.present = RegQueryValueExW(key, name.c_str(), nullptr, &v.type, v.data.data(), &size) == ERROR_SUCCESS;
    v.data.resize(size);
    return v;
}

void write(HKEY key, const std::wstring& name, const Value& v) {
    if (v.present)
        RegSetValueExW(key, name.c_str(), 0, v.type, v.data.data(), DWORD(v.data.size()));
    else
        RegDeleteValueW(key, name.c_str());
}

}  // namespace

void restoreShellFolder(const std::wstring& name) {
    for (int i = 0; i < 2; ++i) {
        win::UniqueRegKey saved = openKey(savedKey(i));
        const Value v = read(saved.get(), name);
        if (!v.present) continue;
        write(openKey(kShellKeys[i]).get(), name, v);
        RegDeleteValueW(saved.get(), name.c_str());
    }
}

ShellFolderRedirect::ShellFolderRedirect(const std::wstring& name, const std::string& folder) : name_(name) {
    restoreShellFolder(name_);
    const std::wstring target = rt::widen(folder);
    for (int i = 0; i < 2; ++i) {
        win::UniqueRegKey key = openKey(kShellKeys[i]);
        saved_[i] = read(key.get(), name_);
        // Kept where the next run finds it before the value changes: this process may not live to undo it.
        if (saved_[i].present) write(openKey(savedKey(i)).get(), name_, saved_[i]);
        RegSetValueExW(key.get(), name_.c_str(), 0, i == 0 ? REG_EXPAND_SZ : REG_SZ,
                       reinterpret_cast<const BYTE*>(target.c_str()), DWORD((target.size() + 1) * sizeof(wchar_t)));
    }
}

ShellFolderRedirect::~ShellFolderRedirect() {
    try {
        for (int i = 0; i < 2; ++i) {
            write(openKey(kShellKeys[i]).get(), name_, saved_[i]);
            RegDeleteValueW(openKey(savedKey(i)).get(), name_.c_str());
        }
    } catch (const std::exception&) {
        // The saved values stay for the next run to put back.
    }
}

}  // namespace qs::test
