// Shows the keywords box and then the phone entry box, filled with sample text, over a window the size
// of the main window, for screenshots taken from outside: for each box it writes <folder>\ready-<box>
// and closes the box once <folder>\shot-<box> exists. Usage: entry_screens <folder> (tests/entry/shots.sh)
#include <windows.h>

#include <string>

#include "app/entry/keywords.h"
#include "app/entry/phoneentry.h"
#include "tests/support/screenshot.h"

using namespace qs;

namespace {

std::string g_folder, g_box;
int g_ticks = 0;

void CALLBACK tick(HWND, UINT, UINT_PTR, DWORD) {
    HWND box = GetActiveWindow();
    if (!forms::Form::fromHwnd(box)) return;
    // A few ticks for the box to paint, then the mark; closed once the shot is taken.
    if (++g_ticks == 8) test::markSceneReady(g_folder, g_box);
    if (test::sceneShot(g_folder, g_box) || g_ticks > 600) PostMessageW(box, WM_CLOSE, 0, 0);
}

class Owner : public forms::Form {};

}  // namespace

int main(int argc, char** argv) {
    g_folder = test::shotFolder(argc, argv, "entry_screens");
    if (g_folder.empty()) return 2;
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
