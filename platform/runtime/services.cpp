#include "platform/runtime/services.h"

#include "platform/runtime/app.h"
#include "platform/runtime/dates.h"
#include "platform/runtime/errors.h"
#include "platform/runtime/sendkeys.h"
#include "platform/runtime/text.h"
#include "platform/win/handles.h"

#include <commdlg.h>
#include <objbase.h>
#include <shellapi.h>
#include <shlobj.h>

#include <vector>

namespace qs::rt {
namespace {

std::wstring moduleFileName() {
    std::vector<wchar_t> buf(MAX_PATH);
    for (;;) {
        DWORD n = GetModuleFileNameW(nullptr, buf.data(), DWORD(buf.size()));
        if (n == 0) return {};
        if (n < buf.size()) return std::wstring(buf.data(), n);
        buf.resize(buf.size() * 2);
    }
}

// "Text (*.txt)|*.txt|All (*.*)|*.*" -> the NUL-separated, double-NUL-ended list the dialogs take.
std::wstring dialogFilter(const std::string& filter) {
    std::wstring w = widen(filter);
    for (wchar_t& c : w)
        if (c == L'|') c = L'\0';
    w.push_back(L'\0');
    w.push_back(L'\0');
    return w;
}

std::string runFileDialog(const FileDialogRequest& r, bool save) {
    std::wstring filter = dialogFilter(r.filter);
    std::wstring title = widen(r.title), initDir = widen(r.initDir), defExt = widen(r.defaultExt);
    std::vector<wchar_t> file(32768, L'\0');
    std::wstring initial = widen(r.fileName);
    if (initial.size() < file.size()) std::copy(initial.begin(), initial.end(), file.begin());

    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = r.owner;
    ofn.lpstrFilter = r.filter.empty() ? nullptr : filter.c_str();
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = file.data();
    ofn.nMaxFile = DWORD(file.size());
    ofn.lpstrInitialDir = initDir.empty() ? nullptr : initDir.c_str();
    ofn.lpstrTitle = title.empty() ? nullptr : title.c_str();
    ofn.lpstrDefExt = defExt.empty() ? nullptr : defExt.c_str();
    ofn.Flags = OFN_EXPLORER | DWORD(r.flags);
    BOOL ok = save ? GetSaveFileNameW(&ofn) : GetOpenFileNameW(&ofn);
    return ok ? narrow(file.data()) : std::string();
}

Services realServices;
Services* current = &realServices;

}  // namespace

Services::~Services() = default;

int Services::msgBox(const std::string& text, int buttons, const std::string& title) {
    std::wstring caption = widen(title);
    if (caption.empty()) {
        std::wstring exe = moduleFileName();
        size_t slash = exe.find_last_of(L"\\/");
        caption = exe.substr(slash == std::wstring::npos ? 0 : slash + 1);
        size_t dot = caption.find_last_of(L'.');
        if (dot != std::wstring::npos) caption.erase(dot);
    }
    return MessageBoxW(GetActiveWindow(), widen(text).c_str(), caption.c_str(), UINT(buttons));
}

std::string Services::openFileDialog(const FileDialogRequest& request) { return runFileDialog(request, false); }
std::string Services::saveFileDialog(const FileDialogRequest& request) { return runFileDialog(request, true); }

std::string Services::browseForFolder(HWND owner, const std::string& prompt) {
    // The folder picker needs COM on this thread; initialise it only if nobody has.
    win::ComInit com;
    std::wstring title = widen(prompt);
    wchar_t display[MAX_PATH] = {};
    BROWSEINFOW bi{};
    bi.hwndOwner = owner;
    bi.pszDisplayName = display;
    bi.lpszTitle = title.c_str();
    bi.ulFlags = BIF_RETURNONLYFSDIRS;
    std::string result;
    win::UniqueCoTaskMem<ITEMIDLIST> pidl(SHBrowseForFolderW(&bi));
    if (pidl) {
        wchar_t path[MAX_PATH] = {};
        if (SHGetPathFromIDListW(pidl.get(), path)) result = narrow(path);
    }
    return result;
}

void Services::shellExecute(HWND owner, const std::string& verb, const std::string& file, const std::string& params,
                            const std::string& dir, int show) {
    std::wstring v = widen(verb), f = widen(file), p = widen(params), d = widen(dir);
    ShellExecuteW(owner, v.empty() ? nullptr : v.c_str(), f.c_str(), p.empty() ? nullptr : p.c_str(),
                  d.empty() ? nullptr : d.c_str(), show);
}

int Services::shell(const std::string& command, int style) {
    std::wstring cmd = widen(command);
    cmd.push_back(L'\0');  // CreateProcessW may write into the command line
    STARTUPINFOW si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESHOWWINDOW;
    si.wShowWindow = WORD(style);
    PROCESS_INFORMATION pi{};
    if (cmd.size() <= 1 || !CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
        throw Error(errFileNotFound);
    win::UniqueHandle thread(pi.hThread), process(pi.hProcess);
    return int(pi.dwProcessId);
}

void Services::sendKeys(const std::string& keys, bool wait) {
    std::vector<INPUT> inputs = parseSendKeys(keys);
    if (!inputs.empty()) SendInput(UINT(inputs.size()), inputs.data(), sizeof(INPUT));
    if (wait) {
        // The keys reach this thread's queue a moment after SendInput; process them once they are there.
        DWORD deadline = GetTickCount() + 500;
        int quiet = 0;
        while (quiet < 3 && int(deadline - GetTickCount()) > 0) {
            if (HIWORD(GetQueueStatus(QS_ALLINPUT)) == 0) {
                ++quiet;
                MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
            } else {
                quiet = 0;
                DoEvents();
            }
        }
    }
}

double Services::now() {
    SYSTEMTIME st{};
    GetLocalTime(&st);
    return makeDate(st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond);
}

std::string Services::appPath() {
    std::wstring exe = moduleFileName();
    size_t slash = exe.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::string() : narrow(exe.substr(0, slash));
}

bool Services::notifyIcon(DWORD message, NOTIFYICONDATAA* data) { return Shell_NotifyIconA(message, data) != FALSE; }

void Services::endProgram() { PostQuitMessage(0); }

Services& services() { return *current; }

void setServices(Services* replacement) { current = replacement ? replacement : &realServices; }

}  // namespace qs::rt
