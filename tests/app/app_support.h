#pragma once
// Running the real main window in a test: a database with the program's tables, a Recent folder of the
// test's own (the user's Recent folder is redirected while the run lives), a fixed clock, message boxes
// answered and counted, and Options closed as soon as it opens; keys and clicks as the user gives them.
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "app/quillstack1.h"
#include "platform/win/handles.h"
#include "tests/support/files.h"
#include "tests/support/services.h"
#include "tests/support/shellfolders.h"

namespace qs::test {

// The fake services, and every Options window that opens after the database error is closed again at once.
class AppServices : public FakeServices {
public:
    using FakeServices::FakeServices;
    int msgBox(const std::string& text, int buttons, const std::string& title) override;
    int optionsShown = 0;
};

// The main window on a test database: the program's settings cleared, its globals reset, the services
// above, a Recent folder of its own and a database with the program's tables (empty; the test adds its
// rows), which is the program's database (myDBname) from the start. The window is made by start() and
// unloaded at the end, the settings cleared again.
class MainWindowRun {
public:
    // Off the screen unless `onScreen`: never under the pointer where the tray menu opens (on screen, Wine
    // closes that menu at once), nor under a dialog of the test.
    explicit MainWindowRun(const std::string& tag, bool onScreen = false);
    ~MainWindowRun();
    MainWindowRun(const MainWindowRun&) = delete;
    MainWindowRun& operator=(const MainWindowRun&) = delete;

    // As Main does: the window on dbPath shown modeless, then its first activation hides it to the tray;
    // `shown` brings it back from there. False when the first activation never came.
    bool start(bool shown = false);
    // One of the program's settings, as the window reads it when it loads.
    static void save(const std::string& key, const std::string& value);

    win::ComInit com;
    TempDir dir, recent;
    std::string dbPath;
    std::unique_ptr<AppServices> services;
    std::unique_ptr<RecentRedirect> redirect;
    std::unique_ptr<app::Quillstack1> w;
};

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

}  // namespace qs::test
