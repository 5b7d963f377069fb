#include "app_support.h"

#include <stdexcept>

#include "app/data/schema.h"
#include "app/options.h"
#include "platform/controls/flexgrid.h"
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
    if (text.rfind("Problem with Database", 0) == 0) {
        // The Options window opens right after this box; close it once its loop runs.
        ++optionsShown;
        SetTimer(nullptr, 0, 30, closeOptionsTimer);
    }
    return FakeServices::msgBox(text, buttons, title);
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

std::vector<std::string> columnTexts(controls::FlexGrid& grid, int col) {
    std::vector<std::string> out;
    for (int r = 1; r < grid.Rows(); ++r) out.push_back(grid.TextMatrix(r, col));
    return out;
}

}  // namespace qs::test
