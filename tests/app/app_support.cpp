#include "app_support.h"

#include <algorithm>
#include <iterator>

#include "app/globals.h"
#include "app/options.h"
#include "platform/controls/flexgrid.h"
#include "platform/runtime/dates.h"
#include "platform/runtime/settings.h"
#include "tests/support/pump.h"
#include "tests/support/testdb.h"

namespace qs::test {

namespace {

BOOL CALLBACK closeOne(HWND hwnd, LPARAM counter) {
    if (auto* form = dynamic_cast<app::Options*>(forms::Form::fromHwnd(hwnd))) {
        form->Unload();
        ++*reinterpret_cast<int*>(counter);
    }
    return TRUE;
}

void CALLBACK closeOptionsTimer(HWND, UINT, UINT_PTR id, DWORD) {
    if (closeOptionsWindows() > 0) KillTimer(nullptr, id);
}

}  // namespace

int closeOptionsWindows() {
    int closed = 0;
    EnumThreadWindows(GetCurrentThreadId(), closeOne, reinterpret_cast<LPARAM>(&closed));
    return closed;
}

int AppServices::msgBox(const std::string& text, int buttons, const std::string& title) {
    if (text.rfind("Problem with Database", 0) == 0) {
        // The Options window opens right after this box; close it once its loop runs.
        ++optionsShown;
        SetTimer(nullptr, 0, 30, closeOptionsTimer);
    }
    return FakeServices::msgBox(text, buttons, title);
}

MainWindowRun::MainWindowRun(const std::string& tag, bool onScreen)
    : dir(tag), recent(tag + "recent"), dbPath(dir.file("quillstack.mdb")) {
    rt::DeleteSetting("Quillstack");
    app::resetGlobals();
    services = std::make_unique<AppServices>(dir.path(), rt::makeDate(2024, 12, 8, 10, 0));
    redirect = std::make_unique<RecentRedirect>(recent.path());
    createProgramDatabase(dbPath);
    app::myDBname = dbPath;
    if (!onScreen) {
        save("myleft", "-15000");
        save("mytop", "-15000");
    }
}

MainWindowRun::~MainWindowRun() {
    if (w && w->Loaded()) w->Unload();
    w.reset();
    forms::setMainForm(nullptr);
    redirect.reset();
    services.reset();
    rt::DeleteSetting("Quillstack");
}

bool MainWindowRun::start(bool shown) {
    app::myDBname = dbPath;
    w.reset();
    w = std::make_unique<app::Quillstack1>();
    w->Show();
    if (!pumpUntil([&] { return !w->firstActivate; })) return false;
    if (shown) w->mnuShow_Click();
    return true;
}

void MainWindowRun::save(const std::string& key, const std::string& value) {
    rt::SaveSetting("Quillstack", "Settings", key, value);
}

void pressKey(HWND target, int vk, int shift) {
    BYTE saved[256], held[256];
    GetKeyboardState(saved);
    std::copy(std::begin(saved), std::end(saved), held);
    const int modifiers[] = {VK_SHIFT, VK_CONTROL, VK_MENU};  // shift bits 1, 2, 4
    for (int bit = 0; bit < 3; ++bit) held[modifiers[bit]] = shift >> bit & 1 ? 0x80 : 0;
    SetKeyboardState(held);
    PostMessageW(target, shift & 4 ? WM_SYSKEYDOWN : WM_KEYDOWN, WPARAM(vk), 1);
    pumpPending();
    SetKeyboardState(saved);
}

POINT cellPoint(const controls::FlexGrid& grid, int row, int col) {
    const int h = forms::toPixels(240);
    int x = 0;
    for (int c = 0; c < col; ++c) x += forms::toPixels(grid.ColWidth(c));
    return {x + 6, row == 0 ? h / 2 : h * (row - grid.TopRow() + 1) + h / 2};
}

void click(const controls::FlexGrid& grid, POINT p, bool right) {
    const LPARAM at = MAKELPARAM(p.x, p.y);
    SendMessageW(grid.hWnd(), right ? WM_RBUTTONDOWN : WM_LBUTTONDOWN, right ? MK_RBUTTON : MK_LBUTTON, at);
    SendMessageW(grid.hWnd(), right ? WM_RBUTTONUP : WM_LBUTTONUP, 0, at);
}

void doubleClick(const controls::FlexGrid& grid, POINT p) {
    click(grid, p);
    SendMessageW(grid.hWnd(), WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(p.x, p.y));
    SendMessageW(grid.hWnd(), WM_LBUTTONUP, 0, MAKELPARAM(p.x, p.y));
}

std::vector<std::string> columnTexts(controls::FlexGrid& grid, int col) {
    std::vector<std::string> out;
    for (int r = 1; r < grid.Rows(); ++r) out.push_back(grid.TextMatrix(r, col));
    return out;
}

}  // namespace qs::test
