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

// Runs `command`, which opens a modal box, and answers the box with `drive` once it shows; a box still
// open 5 s later is closed, so that a failing test does not hang. True when a box showed.
bool answerModal(const std::function<void()>& command, const std::function<void(forms::Form&)>& drive);
template <class Box>
bool answer(const std::function<void()>& command, const std::function<void(Box&)>& drive) {
    return answerModal(command, [&](forms::Form& box) { drive(dynamic_cast<Box&>(box)); });
}

}  // namespace qs::test
