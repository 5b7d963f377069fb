#include "app/declares.h"

#include <shellapi.h>

#include <cstring>

namespace qs::app {

NotifyIconData88 nid{};

namespace {

bool wanted = false;

BOOL shellTrayCall(DWORD message, NotifyIconData88* data) {
  return Shell_NotifyIconA(message, reinterpret_cast<NOTIFYICONDATAA*>(data));
}

TrayCall trayCall = shellTrayCall;

}  // namespace

void setTrayCall(TrayCall call) { trayCall = call ? call : shellTrayCall; }

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
  return trayCall(NIM_ADD, &nid) != FALSE;
}

bool deleteTrayIcon() {
  wanted = false;
  return trayCall(NIM_DELETE, &nid) != FALSE;
}

bool trayIconWanted() { return wanted; }

}  // namespace qs::app
