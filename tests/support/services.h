#pragma once
// The program's services answered by the test: no message box, dialog, started program or tray icon reaches
// the screen; each is recorded and answered from what the test set. A test with needs of its own derives
// from this.
#include <windows.h>

#include <deque>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "platform/runtime/services.h"

namespace qs::test {

class FakeServices : public rt::Services {
public:
    // In use from here to the end of its life. `now` 0: the real clock.
    explicit FakeServices(std::string appPath = "C:\\", double now = 0);
    ~FakeServices() override;
    FakeServices(const FakeServices&) = delete;
    FakeServices& operator=(const FakeServices&) = delete;

    // Message boxes: recorded; answered from `answers` in turn, IDOK once they run out. `whileShown` runs
    // where the box would be on screen.
    int msgBox(const std::string& text, int buttons, const std::string& title) override;
    std::vector<std::string> messages, titles;
    std::vector<int> buttons;  // MB_* of each
    std::deque<int> answers;
    std::function<void()> whileShown;

    // File dialogs and the folder picker: recorded and answered with the answer set ("" cancels).
    std::string openFileDialog(const rt::FileDialogRequest& request) override;
    std::string saveFileDialog(const rt::FileDialogRequest& request) override;
    std::string browseForFolder(HWND owner, const std::string& prompt) override;
    std::vector<rt::FileDialogRequest> opens, saves;
    std::vector<std::pair<HWND, std::string>> browses;  // owner and prompt
    std::string openAnswer, saveAnswer, folderAnswer;

    // Programs and documents the program starts, as "shell <command line>" and "<verb> <file>" (the verb in
    // lower case); none starts.
    int shell(const std::string& command, int style) override;
    void shellExecute(HWND owner, const std::string& verb, const std::string& file, const std::string& params,
                      const std::string& dir, int show) override;
    std::vector<std::string> launched;

    // Tray calls are recorded and answered at once (the shell's own tray is slow to answer under Wine without
    // a panel) unless realTray is set.
    bool notifyIcon(DWORD message, NOTIFYICONDATAA* data) override;
    std::vector<DWORD> trayCalls;
    bool realTray = false;

    // The end of the program is counted; no quit message is posted.
    void endProgram() override { ++ended; }
    int ended = 0;

    double now() override;
    void setNow(double now) { now_ = now; }
    std::string appPath() override { return appPath_; }

private:
    std::string appPath_;
    double now_;
};

}  // namespace qs::test
