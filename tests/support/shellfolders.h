#pragma once
// A shell folder of the user ("Recent", "Favorites") pointed at a test's own folder. The redirect lives in
// the registry of the whole prefix, so it is undone even when the test that made it was killed: the values
// it replaced are kept under kSavedShellFolders until it ends, and the next redirect of the same folder, or
// scripts/run-tests, puts back any it finds there.
#include <windows.h>

#include <string>
#include <vector>

namespace qs::test {

// Under HKEY_CURRENT_USER: one subkey per key of the shell's ("User Shell Folders", "Shell Folders").
inline constexpr wchar_t kSavedShellFolders[] = L"Software\\Quillstack tests\\Shell folders";

class ShellFolderRedirect {
public:
    ShellFolderRedirect(const std::wstring& name, const std::string& folder);
    ~ShellFolderRedirect();
    ShellFolderRedirect(const ShellFolderRedirect&) = delete;
    ShellFolderRedirect& operator=(const ShellFolderRedirect&) = delete;

    struct Value {  // a registry value as it was
        bool present = false;
        DWORD type = 0;
        std::vector<BYTE> data;
    };

private:
    std::wstring name_;
    Value saved_[2];
};

// The shell's Recent folder, where the program collects its jobs from.
class RecentRedirect : public ShellFolderRedirect {
public:
    explicit RecentRedirect(const std::string& folder) : ShellFolderRedirect(L"Recent", folder) {}
};

// Puts back the value of `name` that a redirect never undone (its process killed) left saved.
void restoreShellFolder(const std::wstring& name);

}  // namespace qs::test
