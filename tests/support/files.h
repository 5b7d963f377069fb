#pragma once
// A temporary folder for a test, and the few file operations tests set up with. Paths are UTF-8 inside,
// as in the program; the w-forms are for tests that call the W functions themselves.
#include <windows.h>

#include <string>

namespace qs::test {

// A fresh folder under %TEMP% (long form, no trailing backslash), removed with everything in it at the
// end, read-only and hidden files included. `tag` names it for a person looking at %TEMP%.
class TempDir {
public:
    explicit TempDir(const std::string& tag = "test");
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& path() const { return path_; }
    std::string file(const std::string& name) const { return path_ + "\\" + name; }
    std::wstring wpath() const;
    std::wstring wfile(const std::wstring& name) const;

private:
    std::string path_;
};

// Creates or replaces the file; returns its path. Throws std::runtime_error when it cannot.
std::string writeFile(const std::string& path, const std::string& content = "x");
std::wstring writeFile(const std::wstring& path, const std::string& content = "x");
// The file's bytes; empty when it cannot be read.
std::string readFile(const std::string& path);
// Creates the folder (its parent must exist); returns its path.
std::string makeFolder(const std::string& path);
std::wstring makeFolder(const std::wstring& path);
// Removes a folder with everything in it.
void removeTree(const std::wstring& path);

void setAttributes(const std::string& path, DWORD attributes);
// Last write time as a local date and time (whole minutes).
void setWriteTime(const std::string& path, int year, int month, int day, int hour, int minute);
// A .lnk file made by the shell's link object, pointing at `target`. Needs COM on the thread.
void makeShortcut(const std::string& lnkPath, const std::string& target);
// The 8.3 form of an existing path; empty when there is none.
std::wstring shortName(const std::wstring& path);

}  // namespace qs::test
