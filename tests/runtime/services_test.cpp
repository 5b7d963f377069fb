#include "platform/runtime/app.h"
#include "platform/runtime/dates.h"
#include "platform/runtime/errors.h"
#include "platform/runtime/sendkeys.h"
#include "platform/runtime/services.h"
#include "platform/runtime/text.h"
#include "tests/support/errorof.h"
#include "tests/support/pump.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <thread>

using namespace qs::rt;
using qs::test::errorOf;

namespace {

struct Recording : Services {
    std::string lastText, lastCommand, lastKeys, lastFilter;
    int msgBox(const std::string& text, int, const std::string&) override {
        lastText = text;
        return IDCANCEL;
    }
    std::string openFileDialog(const FileDialogRequest& r) override {
        lastFilter = r.filter;
        return "C:\\CHOSEN.MDB";
    }
    int shell(const std::string& command, int) override {
        lastCommand = command;
        return 42;
    }
    void sendKeys(const std::string& keys, bool) override { lastKeys = keys; }
    double now() override { return 45358.5; }
    std::string appPath() override { return "C:\\Program Files\\Quillstack"; }
};

std::vector<std::pair<WORD, bool>> keysOf(const std::string& text) {
    std::vector<std::pair<WORD, bool>> out;
    for (const INPUT& in : parseSendKeys(text)) out.emplace_back(in.ki.wVk, (in.ki.dwFlags & KEYEVENTF_KEYUP) != 0);
    return out;
}

}  // namespace

TEST(Services, TestsCanReplaceThem) {
    Recording fake;
    setServices(&fake);
    EXPECT_EQ(&services(), &fake);
    EXPECT_EQ(services().msgBox("pReceiveMsg Function Error", MB_OK, ""), IDCANCEL);
    EXPECT_EQ(fake.lastText, "pReceiveMsg Function Error");
    EXPECT_EQ(Shell("Explorer /select, C:\\A.TXT", 1), 42);
    EXPECT_EQ(fake.lastCommand, "Explorer /select, C:\\A.TXT");
    EXPECT_EQ(AppPath(), "C:\\Program Files\\Quillstack");
    EXPECT_EQ(Now(), 45358.5);
    EXPECT_EQ(services().openFileDialog({nullptr, "Open", "", "Databases (*.mdb)|*.mdb", "", ""}), "C:\\CHOSEN.MDB");
    EXPECT_EQ(fake.lastFilter, "Databases (*.mdb)|*.mdb");
    setServices(nullptr);
    EXPECT_NE(&services(), &fake);
}

TEST(Services, RealAppPathIsTheProgramFolder) {
    wchar_t exe[MAX_PATH];
    GetModuleFileNameW(nullptr, exe, MAX_PATH);
    std::string folder = narrow(exe);
    folder.erase(folder.find_last_of('\\'));
    EXPECT_EQ(AppPath(), folder);
    EXPECT_NE(AppPath().back(), '\\');
}

TEST(Services, RealShellStartsProgramsOrFailsWithFileNotFound) {
    int pid = Shell("cmd.exe /c exit 0", SW_HIDE);
    EXPECT_GT(pid, 0);
    EXPECT_EQ(errorOf([] { Shell("no_such_program_qs.exe", SW_HIDE); }), 53);
    EXPECT_EQ(errorOf([] { Shell("", SW_HIDE); }), 53);
}

TEST(SendKeys, Notation) {
    using K = std::vector<std::pair<WORD, bool>>;
    EXPECT_EQ(keysOf("{down}"), (K{{VK_DOWN, false}, {VK_DOWN, true}}));
    EXPECT_EQ(keysOf("{DOWN}"), keysOf("{Down}"));
    EXPECT_EQ(keysOf("+{TAB}"), (K{{VK_SHIFT, false}, {VK_TAB, false}, {VK_TAB, true}, {VK_SHIFT, true}}));
    EXPECT_EQ(keysOf("{LEFT 3}").size(), 6u);
    EXPECT_EQ(keysOf("~"), (K{{VK_RETURN, false}, {VK_RETURN, true}}));
    EXPECT_EQ(keysOf("{F12}"), (K{{VK_F12, false}, {VK_F12, true}}));
    K ctrlGroup = keysOf("^({END}{HOME})");
    ASSERT_EQ(ctrlGroup.size(), 6u);
    EXPECT_EQ(ctrlGroup.front(), (std::pair<WORD, bool>{VK_CONTROL, false}));
    EXPECT_EQ(ctrlGroup.back(), (std::pair<WORD, bool>{VK_CONTROL, true}));
    EXPECT_FALSE(keysOf("{+}").empty());
    EXPECT_FALSE(keysOf("{}}").empty());
    EXPECT_TRUE(keysOf("").empty());
    for (const char* bad : {"{", "{DOWN", "{NOPE}", "(", "a)", "+", "{}", "{DOWN x}", "}"})
        EXPECT_EQ(errorOf([&] { parseSendKeys(bad); }), 5) << bad;
}

namespace {
std::vector<std::pair<WORD, bool>> injected;

// Sees the keys on their way to whichever window has the focus and keeps them from getting there, so
// the test needs no focus and types into nobody's window.
LRESULT CALLBACK swallowOurKeys(int code, WPARAM w, LPARAM l) {
    auto* k = reinterpret_cast<const KBDLLHOOKSTRUCT*>(l);
    if (code == HC_ACTION && k->dwExtraInfo == sendKeysSignature) {
        injected.emplace_back(WORD(k->vkCode), w == WM_KEYUP || w == WM_SYSKEYUP);
        return 1;
    }
    return CallNextHookEx(nullptr, code, w, l);
}
}  // namespace

TEST(SendKeys, RealInputCarriesTheKeys) {
    HHOOK hook = SetWindowsHookExW(WH_KEYBOARD_LL, swallowOurKeys, GetModuleHandleW(nullptr), 0);
    ASSERT_TRUE(hook);
    injected.clear();
    services().sendKeys("+a{DOWN}", false);
    auto expected = keysOf("+a{DOWN}");
    bool arrived = qs::test::pumpUntil([&] { return injected.size() >= expected.size(); });
    UnhookWindowsHookEx(hook);
    EXPECT_TRUE(arrived);
    EXPECT_EQ(injected, expected);
}

namespace {
std::atomic<int> filtered{0};
int dispatched = 0;

LRESULT CALLBACK countingProc(HWND h, UINT m, WPARAM w, LPARAM l) {
    if (m == WM_APP + 1 || m == WM_APP + 2) ++dispatched;
    return DefWindowProcW(h, m, w, l);
}

bool keepAppOne(MSG& msg) {
    if (msg.message != WM_APP + 1) return false;
    ++filtered;
    return true;
}
}  // namespace

TEST(MessageLoop, DoEventsRunsPendingMessagesThroughTheFilter) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = countingProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"qs_runtime_counting";
    RegisterClassW(&wc);
    HWND w = CreateWindowExW(0, wc.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
    ASSERT_TRUE(w);

    setMessageFilter(keepAppOne);
    EXPECT_EQ(messageFilter(), keepAppOne);
    PostMessageW(w, WM_APP + 1, 0, 0);
    PostMessageW(w, WM_APP + 2, 0, 0);
    DoEvents();
    EXPECT_EQ(filtered, 1);    // handled by the filter, never dispatched
    EXPECT_EQ(dispatched, 1);  // the other one reached the window
    setMessageFilter(nullptr);
    PostMessageW(w, WM_APP + 1, 0, 0);
    DoEvents();
    EXPECT_EQ(dispatched, 2);

    // A quit request met by DoEvents is left for the main loop.
    PostQuitMessage(7);
    DoEvents();
    MSG msg;
    ASSERT_TRUE(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(msg.wParam, 7u);
    DestroyWindow(w);
}

namespace {
BOOL CALLBACK findShownDialog(HWND h, LPARAM found) {
    wchar_t cls[16];
    GetClassNameW(h, cls, 16);
    if (std::wstring(cls) != L"#32770" || !IsWindowVisible(h)) return TRUE;
    *reinterpret_cast<HWND*>(found) = h;
    return FALSE;
}
}  // namespace

TEST(Dialogs, CancelledFileDialogGivesEmptyText) {
    // The dialog runs on this thread; another one closes it as soon as it shows.
    std::atomic<bool> stop{false};
    DWORD self = GetCurrentThreadId();
    std::thread closer([&] {
        for (int i = 0; i < 1000 && !stop; ++i) {
            HWND dlg = nullptr;
            EnumThreadWindows(self, findShownDialog, reinterpret_cast<LPARAM>(&dlg));
            if (dlg) {
                wchar_t title[64];
                GetWindowTextW(dlg, title, 64);
                EXPECT_EQ(std::wstring(title), L"Pick a database");
                PostMessageW(dlg, WM_COMMAND, IDCANCEL, 0);
                return;
            }
            Sleep(20);
        }
    });
    FileDialogRequest r;
    r.title = "Pick a database";
    r.filter = "Databases (*.mdb)|*.mdb|All files (*.*)|*.*";
    r.defaultExt = "mdb";
    std::string chosen = services().openFileDialog(r);
    stop = true;
    closer.join();
    EXPECT_EQ(chosen, "");
}
