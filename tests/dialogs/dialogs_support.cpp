#include "tests/dialogs/dialogs_support.h"

#include "app/globals.h"
#include "platform/runtime/dates.h"
#include "platform/runtime/settings.h"
#include "platform/runtime/text.h"

namespace qs::test {

namespace {

constexpr const wchar_t* kKeys[2] = {L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders",
                                     L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders"};

}  // namespace

std::string DialogServices::browseForFolder(HWND, const std::string& prompt) {
    prompts.push_back(prompt);
    return folderAnswer;
}

std::string DialogServices::saveFileDialog(const rt::FileDialogRequest& request) {
    saveRequests.push_back(request);
    return saveAnswer;
}

int DialogServices::msgBox(const std::string& text, int style, const std::string& title) {
    AppServices::msgBox(text, style, title);
    buttons.push_back(style);
    if (onMessage) onMessage();
    if (answers.empty()) return IDOK;
    const int answer = answers.front();
    answers.pop_front();
    return answer;
}

ShellFolderRedirect::ShellFolderRedirect(const std::wstring& name, const std::string& folder) : name_(name) {
    const std::wstring value = rt::widen(folder);
    for (int i = 0; i < 2; ++i) {
        HKEY key;
        if (RegCreateKeyExW(HKEY_CURRENT_USER, kKeys[i], 0, nullptr, 0, KEY_READ | KEY_WRITE, nullptr, &key,
                            nullptr) != ERROR_SUCCESS)
            continue;
        DWORD size = 0;
        Saved& s = saved_[i];
        if (RegQueryValueExW(key, name_.c_str(), nullptr, &s.type, nullptr, &size) == ERROR_SUCCESS) {
            s.data.resize(size);
            s.present = RegQueryValueExW(key, name_.c_str(), nullptr, &s.type, s.data.data(), &size) == ERROR_SUCCESS;
        }
        RegSetValueExW(key, name_.c_str(), 0, i == 0 ? REG_EXPAND_SZ : REG_SZ,
                       reinterpret_cast<const BYTE*>(value.c_str()), DWORD((value.size() + 1) * sizeof(wchar_t)));
        RegCloseKey(key);
    }
}

ShellFolderRedirect::~ShellFolderRedirect() {
    for (int i = 0; i < 2; ++i) {
        HKEY key;
        if (RegOpenKeyExW(HKEY_CURRENT_USER, kKeys[i], 0, KEY_WRITE, &key) != ERROR_SUCCESS) continue;
        const Saved& s = saved_[i];
        if (s.present)
            RegSetValueExW(key, name_.c_str(), 0, s.type, s.data.data(), DWORD(s.data.size()));
        else
            RegDeleteValueW(key, name_.c_str());
        RegCloseKey(key);
    }
}

MainWindowRun::MainWindowRun(const std::string& tag) : dir(tag), recent(tag + "recent"), dbPath(dir.file("quillstack.mdb")) {
    rt::DeleteSetting("Quillstack");
    app::resetGlobals();
    services = std::make_unique<DialogServices>(dir.path(), rt::makeDate(2024, 12, 8, 10, 0));
    redirect = std::make_unique<RecentRedirect>(recent.path());
    createListsDatabase(dbPath);
    app::myDBname = dbPath;
    // Off the screen, where no dialog of the test sits on it.
    rt::SaveSetting("Quillstack", "Settings", "myleft", "-15000");
    rt::SaveSetting("Quillstack", "Settings", "mytop", "-15000");
}

MainWindowRun::~MainWindowRun() {
    if (main && main->Loaded()) main->Unload();
    main.reset();
    forms::setMainForm(nullptr);
    redirect.reset();
    services.reset();
    rt::DeleteSetting("Quillstack");
}

bool MainWindowRun::start() {
    main = std::make_unique<app::Quillstack1>();
    main->Show();
    return pumpUntil([&] { return !main->firstActivate; });
}

}  // namespace qs::test
