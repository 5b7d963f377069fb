#include "app/declares.h"

#include <shellapi.h>

#include <cstring>

#include "platform/runtime/services.h"

namespace qs::app {

NotifyIconData88 nid{};

namespace {

bool wanted = false;

// The record is the 88-byte head of the platform's own, which the shell tells apart by cbSize.
bool trayCall(DWORD message) { return rt::services().notifyIcon(message, reinterpret_cast<NOTIFYICONDATAA*>(&nid)); }

}  // namespace

void fillTrayRecord(HWND owner, HICON icon) {
    nid = {};
    nid.cbSize = sizeof(nid);
    nid.hWnd = owner;
    nid.uID = 1;
    nid.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    nid.uCallbackMessage = kTrayCallbackMessage;
    nid.hIcon = icon;
    static const char tip[] = "Quillstack Database";
    std::memset(nid.szTip, ' ', sizeof(nid.szTip));
    std::memcpy(nid.szTip, tip, sizeof(tip));  // with its NUL
}

bool addTrayIcon() {
    wanted = true;
    return trayCall(NIM_ADD);
}

bool deleteTrayIcon() {
    wanted = false;
    return trayCall(NIM_DELETE);
}

bool trayIconWanted() { return wanted; }

}  // namespace qs::app
