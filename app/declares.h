#pragma once
// The tray icon record and the two operations on it. The record is the platform's notification-icon
// record in its original 88-byte form with single-byte text; it is filled once when the main window
// loads and never changed afterwards.
#include <windows.h>

namespace qs::app {

struct NotifyIconData88 {
    DWORD cbSize;
    HWND hWnd;
    UINT uID;
    UINT uFlags;
    UINT uCallbackMessage;
    HICON hIcon;
    char szTip[64];
};
static_assert(sizeof(NotifyIconData88) == 88);

inline constexpr UINT kTrayCallbackMessage = WM_MOUSEMOVE;  // 512: arrives as a mouse move at x = event

extern NotifyIconData88 nid;

// Fills `nid` for window `owner` and its icon.
void fillTrayRecord(HWND owner, HICON icon);

// NIM_ADD / NIM_DELETE with `nid`, through the services' notifyIcon; the results are the platform's
// and callers ignore them.
bool addTrayIcon();
bool deleteTrayIcon();

// True between an add and the next delete: the icon should be in the tray (re-added after a restart of
// the taskbar).
bool trayIconWanted();

}  // namespace qs::app
