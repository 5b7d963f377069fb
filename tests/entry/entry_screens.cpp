// Shows the keywords box and then the phone entry box, filled with sample text, over a window the size
// of the main window, for screenshots taken from outside: for each box it writes <folder>\ready-<box>
// and closes the box once <folder>\shot-<box> exists. Usage: entry_screens <folder> (tests/entry/shots.sh)
#include <windows.h>

#include <cstdio>
#include <string>

#include "app/entry/keywords.h"
#include "app/entry/phoneentry.h"
#include "platform/runtime/text.h"

using namespace qs;

namespace {

std::string g_folder, g_box;
int g_ticks = 0;

bool exists(const std::string& path) { return GetFileAttributesW(rt::widen(path).c_str()) != INVALID_FILE_ATTRIBUTES; }

void CALLBACK tick(HWND, UINT, UINT_PTR, DWORD) {
    HWND box = GetActiveWindow();
    if (!forms::Form::fromHwnd(box)) return;
    // A few ticks for the box to paint, then the mark; closed once the shot is taken.
    if (++g_ticks == 8) {
        HANDLE h = CreateFileW(rt::widen(g_folder + "\\ready-" + g_box).c_str(), GENERIC_WRITE, 0, nullptr,
                               CREATE_ALWAYS, 0, nullptr);
        if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
    }
    if (exists(g_folder + "\\shot-" + g_box) || g_ticks > 600) PostMessageW(box, WM_CLOSE, 0, 0);
}

class Owner : public forms::Form {};

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: entry_screens <folder>\n");
        return 2;
    }
    g_folder = argv[1];
    Owner owner;
    owner.Move(3000, 2000, 7155, 4275);
    owner.Show();
    UINT_PTR timer = SetTimer(nullptr, 0, 100, tick);
    g_box = "keywords";
    std::string keywords = "planning harbour pier tender";
    app::editKeywords(owner.hWnd(), keywords);
    g_box = "phone";
    g_ticks = 0;
    std::string name = "Holm Anna", info = "ext 2231  room 4.12";
    app::editPhoneEntry(owner.hWnd(), name, info);
    KillTimer(nullptr, timer);
    owner.Unload();
    return 0;
}
