#pragma once
// The running program as the runtime sees it: its folder, the message loop's yield, starting programs.

#include <windows.h>

#include <string>

namespace qs::rt {

// The program's folder without a trailing backslash (services().appPath()).
std::string AppPath();

// Processes the messages that are waiting, then returns. A WM_QUIT met on the way is posted again so that
// the main message loop still sees it.
void DoEvents();

// Starts a program (services().shell()); returns its process id.
int Shell(const std::string& command, int windowStyle = SW_SHOWMINIMIZED);

// The hook every message loop (DoEvents, the forms' loops) offers each message to before
// TranslateMessage/DispatchMessage; the filter returns true when it has handled the message, which is then
// neither translated nor dispatched. nullptr removes it.
using MessageFilter = bool (*)(MSG&);
void setMessageFilter(MessageFilter filter);
MessageFilter messageFilter();

// One message through the filter, then TranslateMessage/DispatchMessage unless the filter handled it.
void dispatchThroughFilter(MSG& msg);

}  // namespace qs::rt
