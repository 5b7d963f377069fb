#pragma once
// Running the real main window in a test: a database with the program's tables, a Recent folder of the
// test's own (the user's Recent folder is redirected for the process and put back afterwards), a fixed
// clock, message boxes answered and counted, and Options closed as soon as it opens.
#include <windows.h>

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
    double now() override { return now_; }
    void setNow(double now) { now_ = now; }
    bool notifyIcon(DWORD message, NOTIFYICONDATAA* data) override;
    void endProgram() override { ++ended; }

    std::vector<std::string> titles;
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

}  // namespace qs::test
