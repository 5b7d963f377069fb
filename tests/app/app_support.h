#pragma once
// Running the real main window in a test: a database with the program's tables, a Recent folder of the
// test's own (the user's Recent folder is redirected for the process and put back afterwards), a fixed
// clock, message boxes answered and counted, and Options closed as soon as it opens.
#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "../collect/collect_support.h"
#include "app/quillstack1.h"
#include "platform/db/db.h"

namespace qs::test {

// Message boxes are answered OK; every Options window that opens is closed again at once. Tray calls
// are recorded and answered at once (the shell's own tray is slow to answer under Wine without a panel)
// unless realTray is set; the end of the program is counted.
class AppServices : public FakeServices {
public:
    AppServices(std::string appPath, double now);
    int msgBox(const std::string& text, int buttons, const std::string& title) override;
    // Programs and documents the program starts, as "shell <command line>" and "open <file>"; none starts.
    int shell(const std::string& command, int style) override;
    void shellExecute(HWND owner, const std::string& verb, const std::string& file, const std::string& params,
                      const std::string& dir, int show) override;
    double now() override { return now_; }
    void setNow(double now) { now_ = now; }
    bool notifyIcon(DWORD message, NOTIFYICONDATAA* data) override;
    void endProgram() override { ++ended; }

    std::vector<std::string> titles;
    std::vector<std::string> launched;
    std::function<void()> whileShown;  // runs while a message box would be on screen
    int optionsShown = 0;
    std::vector<DWORD> trayCalls;
    bool realTray = false;
    int ended = 0;

private:
    double now_;
};

// The shell's Recent folder points at `folder` while this lives.
class RecentRedirect {
public:
    explicit RecentRedirect(const std::string& folder);
    ~RecentRedirect();
    RecentRedirect(const RecentRedirect&) = delete;
    RecentRedirect& operator=(const RecentRedirect&) = delete;

private:
    struct Saved {
        bool present = false;
        DWORD type = 0;
        std::vector<BYTE> data;
    };
    Saved user_, shell_;
};

// A database with the program's four tables.
void createListsDatabase(const std::string& path);
void addJobRow(db::Recordset& rs, const std::string& fullName, const db::Value& date, const db::Value& permanent);
void addFavorite(db::Recordset& rs, const std::string& name, const std::string& url, const std::string& keywords);
void addPhone(db::Recordset& rs, const std::string& name, const std::string& info);

// The texts of one column of a grid, rows 1 to the last.
std::vector<std::string> columnTexts(controls::FlexGrid& grid, int col);

// Closes every Options window of this thread that is open now.
int closeOptionsWindows();

// A key as the user presses it: WM_KEYDOWN posted to `target` with `shift` held (1 Shift, 2 Ctrl, 4 Alt)
// and the queue run through the program's message filter, as its loops do (the window's key preview).
void pressKey(HWND target, int vk, int shift = 0);
// The centre of a grid cell in the grid's client pixels; a row past the last lies below it.
POINT cellPoint(const controls::FlexGrid& grid, int row, int col);
// A press and release of the left (or right) button at `p`; a double click is two of them.
void click(const controls::FlexGrid& grid, POINT p, bool right = false);
void doubleClick(const controls::FlexGrid& grid, POINT p);

// Runs `drive` on the first visible Box of this thread from a timer while the test waits in a modal
// loop; a box still open 5 s later is closed, so that a failing test does not hang.
template <class Box>
class WhenShown {
public:
    explicit WhenShown(std::function<void(Box&)> drive) : drive_(std::move(drive)) {
        current_ = this;
        timer_ = SetTimer(nullptr, 0, 40, tick);
    }
    ~WhenShown() {
        KillTimer(nullptr, timer_);
        current_ = nullptr;
    }
    bool ran() const { return ran_ != 0; }

private:
    static BOOL CALLBACK find(HWND hwnd, LPARAM out) {
        auto* box = dynamic_cast<Box*>(forms::Form::fromHwnd(hwnd));
        if (box && IsWindowVisible(hwnd)) *reinterpret_cast<Box**>(out) = box;
        return !*reinterpret_cast<Box**>(out);
    }
    static void CALLBACK tick(HWND, UINT, UINT_PTR, DWORD) {
        Box* box = nullptr;
        if (current_) EnumThreadWindows(GetCurrentThreadId(), find, reinterpret_cast<LPARAM>(&box));
        if (box && !current_->ran_) {
            current_->ran_ = GetTickCount();
            current_->drive_(*box);
        } else if (box && GetTickCount() - current_->ran_ > 5000) {
            PostMessageW(box->hWnd(), WM_CLOSE, 0, 0);
        }
    }
    static inline WhenShown* current_ = nullptr;
    std::function<void(Box&)> drive_;
    DWORD ran_ = 0;
    UINT_PTR timer_ = 0;
};

}  // namespace qs::test
