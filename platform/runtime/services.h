#pragma once
// The program's contact with people and the outside world, behind one replaceable object, so that tests
// answer dialogs, capture launched commands and fix the clock. Everything in the program reaches these
// through services(); the real implementation calls Windows.

#include <windows.h>
#include <shellapi.h>

#include <string>

namespace qs::rt {

struct FileDialogRequest {
    HWND owner = nullptr;
    std::string title;
    std::string initDir;
    std::string filter;      // "Databases (*.mdb)|*.mdb|All files (*.*)|*.*"
    std::string fileName;    // initial file name
    std::string defaultExt;  // without the dot, "mdb"
    int flags = 0;           // OFN_* flags, added to the ones the dialog always uses
};

struct Services {
    virtual ~Services();

    // MessageBoxW owned by the active window; `buttons` is the MB_* style, the result IDOK etc. An empty
    // title shows the program's name.
    virtual int msgBox(const std::string& text, int buttons, const std::string& title);
    // The chosen full path, "" when cancelled.
    virtual std::string openFileDialog(const FileDialogRequest& request);
    virtual std::string saveFileDialog(const FileDialogRequest& request);
    // The chosen folder's path, "" when cancelled.
    virtual std::string browseForFolder(HWND owner, const std::string& prompt);
    // ShellExecuteW; the result is not reported (callers ignore it).
    virtual void shellExecute(HWND owner, const std::string& verb, const std::string& file, const std::string& params,
                              const std::string& dir, int show);
    // Starts a program from a command line with a SW_* window style; returns its process id.
    // A program that cannot be started: Error 53.
    virtual int shell(const std::string& command, int style);
    // Keys in the runtime's SendKeys notation ("abc", "{DOWN}", "+{TAB}", "^a", "{LEFT 3}") to the
    // window that has the focus. `wait`: pending messages are processed before returning.
    virtual void sendKeys(const std::string& keys, bool wait);
    // The local date and time as an OLE Automation date, whole seconds.
    virtual double now();
    // The program's folder, without a trailing backslash.
    virtual std::string appPath();
    // Shell_NotifyIconA: adds, changes or deletes a tray icon; the shell's result.
    virtual bool notifyIcon(DWORD message, NOTIFYICONDATAA* data);
    // Ends the program once its main window has gone: the message loop is told to quit.
    virtual void endProgram();
};

// The services in use: the real ones unless a test has set its own.
Services& services();
// Replaces the services (the caller keeps ownership); nullptr restores the real ones.
void setServices(Services* replacement);

}  // namespace qs::rt
