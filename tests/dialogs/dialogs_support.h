#pragma once
// The dialogs on the real main window: a test database with the program's tables, the main window
// loaded on it and hidden to the tray (as at start-up), and the people-facing services answered by the
// test: folder picker, save dialog and message boxes.
#include <windows.h>

#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/quillstack1.h"
#include "tests/app/app_support.h"

namespace qs::test {

class DialogServices : public AppServices {
public:
    using AppServices::AppServices;
    std::string browseForFolder(HWND owner, const std::string& prompt) override;
    std::string saveFileDialog(const rt::FileDialogRequest& request) override;
    int msgBox(const std::string& text, int buttons, const std::string& title) override;

    std::string folderAnswer;            // "" cancels the folder picker
    std::string saveAnswer;              // "" cancels the save dialog
    std::deque<int> answers;             // message box answers in turn; IDOK once they run out
    std::vector<std::string> prompts;    // of the folder picker
    std::vector<rt::FileDialogRequest> saveRequests;
    std::vector<int> buttons;            // MB_* of each message box
    std::function<void()> onMessage;     // runs while a message box would be up
};

// A shell folder of the user ("Favorites", "Recent") points at `folder` while this lives.
class ShellFolderRedirect {
public:
    ShellFolderRedirect(const std::wstring& name, const std::string& folder);
    ~ShellFolderRedirect();
    ShellFolderRedirect(const ShellFolderRedirect&) = delete;
    ShellFolderRedirect& operator=(const ShellFolderRedirect&) = delete;

private:
    struct Saved {
        bool present = false;
        DWORD type = 0;
        std::vector<BYTE> data;
    };
    std::wstring name_;
    Saved saved_[2];
};

// A test database and the main window loaded on it, with its tray calls kept from the shell.
class MainWindowRun {
public:
    explicit MainWindowRun(const std::string& tag);
    ~MainWindowRun();

    TempDir dir;
    TempDir recent;
    std::string dbPath;
    std::unique_ptr<DialogServices> services;
    std::unique_ptr<RecentRedirect> redirect;
    std::unique_ptr<app::Quillstack1> main;

    // Loads the main window on dbPath (as Main does) and waits for its first activation.
    bool start();
};

}  // namespace qs::test
