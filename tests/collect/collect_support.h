#pragma once
// Helpers of the collector and receiver tests: scratch folders, shortcuts, a Jobs database, answered
// message boxes.
#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "app/collector_core.h"
#include "platform/db/db.h"
#include "platform/runtime/services.h"

namespace qs::test {

// A fresh folder under %TEMP%, removed with everything in it at the end.
class TempDir {
public:
    explicit TempDir(const std::string& tag);
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::string& path() const { return path_; }          // no trailing backslash
    std::string file(const std::string& name) const { return path_ + "\\" + name; }

private:
    std::string path_;
};

// COM for the calling thread (apartment), for the shell's link object and the Watch.
struct ComApartment {
    ComApartment() { CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED); }
    ~ComApartment() { CoUninitialize(); }
};

void writeFile(const std::string& path, const std::string& content = "x");
void setAttributes(const std::string& path, DWORD attributes);
// Last write time as a local date and time (whole seconds).
void setWriteTime(const std::string& path, int year, int month, int day, int hour, int minute);
// A .lnk file made by the shell's link object, pointing at `target`.
void makeShortcut(const std::string& lnkPath, const std::string& target);

struct JobRow {
    std::string name, location, fullName;
    db::Value date;
    db::Value permanent;
};

// A database file holding an empty Jobs table.
void createJobsDatabase(const std::string& path);
void addJob(const std::string& dbPath, const std::string& fullName, double date, bool permanent);
std::vector<JobRow> readJobs(const std::string& dbPath);
// The rows whose JobFullName equals `fullName` exactly.
std::vector<JobRow> jobsNamed(const std::string& dbPath, const std::string& fullName);
// `count` rows "DOCUMENT 000000.TXT" and on, spread over 97 folders, every tenth permanent; one write
// per row, as the program adds them.
void addNumberedJobs(const std::string& dbPath, int count);
std::string readFileBytes(const std::string& path);

// The rescan the main window's Notify handler runs: shortcuts resolved without a window, DoEvents
// after each name.
app::RecentRescan recentRescan(const std::string& recent, const std::string& dbPath,
                               std::vector<std::string>* recentFiles, int16_t* recentFileCount,
                               std::function<void()> refresh = nullptr);

// Message boxes answered OK and counted; the program folder is a test folder.
class FakeServices : public rt::Services {
public:
    explicit FakeServices(std::string appPath);
    ~FakeServices() override;
    int msgBox(const std::string& text, int buttons, const std::string& title) override;
    std::string appPath() override { return appPath_; }

    std::vector<std::string> messages;

private:
    std::string appPath_;
};

// Messages of this thread until `done` says so or `seconds` pass; true when done.
template <class Pred>
bool pumpUntil(Pred done, double seconds = 5.0) {
    const ULONGLONG deadline = GetTickCount64() + static_cast<ULONGLONG>(seconds * 1000);
    while (!done()) {
        if (GetTickCount64() >= deadline) return false;
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    }
    return true;
}

}  // namespace qs::test
