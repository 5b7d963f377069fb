#include "app_support.h"

#include <algorithm>
#include <iterator>
#include <stdexcept>

#include "app/data/schema.h"
#include "app/options.h"
#include "platform/controls/flexgrid.h"
#include "platform/runtime/app.h"
#include "platform/runtime/text.h"

namespace qs::test {

namespace {

constexpr wchar_t kUserShellFolders[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";
constexpr wchar_t kShellFolders[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

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

AppServices::AppServices(std::string appPath, double now) : FakeServices(std::move(appPath)), now_(now) {}

int AppServices::msgBox(const std::string& text, int buttons, const std::string& title) {
    titles.push_back(title);
    if (whileShown) whileShown();
    if (text.rfind("Problem with Database", 0) == 0) {
        // The Options window opens right after this box; close it once its loop runs.
        ++optionsShown;
        SetTimer(nullptr, 0, 30, closeOptionsTimer);
    }
    return FakeServices::msgBox(text, buttons, title);
}

int AppServices::shell(const std::string& command, int) {
    launched.push_back("shell " + command);
    return 1;
}

void AppServices::shellExecute(HWND, const std::string& verb, const std::string& file, const std::string&,
                               const std::string&, int) {
    launched.push_back(rt::LCase(verb) + " " + file);
}

bool AppServices::notifyIcon(DWORD message, NOTIFYICONDATAA* data) {
    trayCalls.push_back(message);
    return realTray ? FakeServices::notifyIcon(message, data) : true;
}

RecentRedirect::RecentRedirect(const std::string& folder) {
    auto keep = [](const wchar_t* keyPath, Saved& saved) {
        HKEY key;
        if (RegOpenKeyExW(HKEY_CURRENT_USER, keyPath, 0, KEY_READ, &key) != ERROR_SUCCESS) return;
        DWORD size = 0;
        if (RegQueryValueExW(key, L"Recent", nullptr, &saved.type, nullptr, &size) == ERROR_SUCCESS) {
            saved.data.resize(size);
            saved.present = RegQueryValueExW(key, L"Recent", nullptr, &saved.type, saved.data.data(), &size) ==
                            ERROR_SUCCESS;
        }
        RegCloseKey(key);
    };
    keep(kUserShellFolders, user_);
    keep(kShellFolders, shell_);
    const std::wstring value = rt::widen(folder);
    const DWORD bytes = DWORD((value.size() + 1) * sizeof(wchar_t));
    for (const wchar_t* keyPath : {kUserShellFolders, kShellFolders}) {
        HKEY key;
        if (RegCreateKeyExW(HKEY_CURRENT_USER, keyPath, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr) !=
            ERROR_SUCCESS)
            throw std::runtime_error("cannot redirect the Recent folder");
        RegSetValueExW(key, L"Recent", 0, keyPath == kUserShellFolders ? REG_EXPAND_SZ : REG_SZ,
                       reinterpret_cast<const BYTE*>(value.c_str()), bytes);
        RegCloseKey(key);
    }
}

RecentRedirect::~RecentRedirect() {
    auto restore = [](const wchar_t* keyPath, const Saved& saved) {
        HKEY key;
        if (RegOpenKeyExW(HKEY_CURRENT_USER, keyPath, 0, KEY_WRITE, &key) != ERROR_SUCCESS) return;
        if (saved.present)
            RegSetValueExW(key, L"Recent", 0, saved.type, saved.data.data(), DWORD(saved.data.size()));
        else
            RegDeleteValueW(key, L"Recent");
        RegCloseKey(key);
    };
    restore(kUserShellFolders, user_);
    restore(kShellFolders, shell_);
}

void createListsDatabase(const std::string& path) {
    app::CreateDatabaseX(path);
    app::CreateTableDefX(path);
}

void addJobRow(db::Recordset& rs, const std::string& fullName, const db::Value& date, const db::Value& permanent) {
    const size_t cut = fullName.find_last_of('\\');
    rs.AddNew();
    rs.set("JobName", fullName.substr(cut + 1));
    rs.set("JobLocation", fullName.substr(0, cut + 1));
    rs.set("JobDate", date);
    rs.set("JobFullName", fullName);
    rs.set("JobPermanent", permanent);
    rs.Update();
}

void addFavorite(db::Recordset& rs, const std::string& name, const std::string& url, const std::string& keywords) {
    rs.AddNew();
    rs.set("FavName", name);
    rs.set("FavURL", url);
    rs.set("FavKeywords", keywords);
    rs.Update();
}

void addPhone(db::Recordset& rs, const std::string& name, const std::string& info) {
    rs.AddNew();
    rs.set("PName", name);
    rs.set("PInfo", info);
    rs.Update();
}

void pressKey(HWND target, int vk, int shift) {
    BYTE saved[256], held[256];
    GetKeyboardState(saved);
    std::copy(std::begin(saved), std::end(saved), held);
    const int modifiers[] = {VK_SHIFT, VK_CONTROL, VK_MENU};  // shift bits 1, 2, 4
    for (int bit = 0; bit < 3; ++bit) held[modifiers[bit]] = shift >> bit & 1 ? 0x80 : 0;
    SetKeyboardState(held);
    PostMessageW(target, shift & 4 ? WM_SYSKEYDOWN : WM_KEYDOWN, WPARAM(vk), 1);
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) rt::dispatchThroughFilter(msg);
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

namespace {

const std::function<void(forms::Form&)>* modalDrive = nullptr;
DWORD modalShown = 0;

void CALLBACK driveModal(HWND, UINT, UINT_PTR, DWORD) {
    forms::Form* box = forms::Form::fromHwnd(GetActiveWindow());
    if (!box || !box->isModal() || !modalDrive) return;
    if (!modalShown)
        modalShown = GetTickCount(), (*modalDrive)(*box);
    else if (GetTickCount() - modalShown > 5000)
        PostMessageW(box->hWnd(), WM_CLOSE, 0, 0);
}

}  // namespace

bool answerModal(const std::function<void()>& command, const std::function<void(forms::Form&)>& drive) {
    modalDrive = &drive;
    modalShown = 0;
    const UINT_PTR timer = SetTimer(nullptr, 0, 40, driveModal);
    command();
    KillTimer(nullptr, timer);
    modalDrive = nullptr;
    return modalShown != 0;
}

std::vector<std::string> columnTexts(controls::FlexGrid& grid, int col) {
    std::vector<std::string> out;
    for (int r = 1; r < grid.Rows(); ++r) out.push_back(grid.TextMatrix(r, col));
    return out;
}

}  // namespace qs::test
