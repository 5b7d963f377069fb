// The WM_COPYDATA sender tool, run as its own process against a window with the receiver's title.

#include "platform/runtime/propertybag.h"
#include "platform/runtime/text.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <vector>

using namespace qs::rt;

namespace {

struct Received {
    ULONG_PTR kind = 0;
    std::vector<uint8_t> bytes;
    int count = 0;
};
Received received;

LRESULT CALLBACK receiverProc(HWND h, UINT m, WPARAM w, LPARAM l)
{
    if (m == WM_COPYDATA) {
        auto* cds = reinterpret_cast<const COPYDATASTRUCT*>(l);
        received.kind = cds->dwData;
        const auto* p = static_cast<const uint8_t*>(cds->lpData);
        received.bytes.assign(p, p + cds->cbData);
        ++received.count;
        return cds->dwData == 2 || cds->dwData == 3 ? 1 : 0;
    }
    return DefWindowProcW(h, m, w, l);
}

struct SenderRun {
    DWORD exitCode = 0;
    std::string output;
};

// Starts qs_send from the test's own folder and serves this thread's windows until it ends.
SenderRun runSender(const std::wstring& arguments)
{
    wchar_t exe[MAX_PATH];
    GetModuleFileNameW(nullptr, exe, MAX_PATH);
    std::wstring folder = exe;
    folder.erase(folder.find_last_of(L'\\') + 1);
    std::wstring cmd = L"\"" + folder + L"qs_send.exe\" " + arguments;

    SECURITY_ATTRIBUTES sa{sizeof sa, nullptr, TRUE};
    HANDLE readEnd, writeEnd;
    CreatePipe(&readEnd, &writeEnd, &sa, 0);
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOW si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdOutput = writeEnd;
    si.hStdError = writeEnd;
    si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    PROCESS_INFORMATION pi{};
    SenderRun run;
    if (!CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr, nullptr, &si, &pi)) {
        run.exitCode = DWORD(-1);
        return run;
    }
    CloseHandle(writeEnd);
    DWORD end = GetTickCount() + 20000;
    while (MsgWaitForMultipleObjects(1, &pi.hProcess, FALSE, 50, QS_ALLINPUT) != WAIT_OBJECT_0 &&
           int(end - GetTickCount()) > 0) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
    GetExitCodeProcess(pi.hProcess, &run.exitCode);
    char buf[256];
    DWORD got;
    while (ReadFile(readEnd, buf, sizeof buf, &got, nullptr) && got > 0)
        run.output.append(buf, got);
    while (!run.output.empty() && (run.output.back() == '\n' || run.output.back() == '\r'))
        run.output.pop_back();
    CloseHandle(readEnd);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return run;
}

class Sender : public ::testing::Test {
protected:
    HWND window = nullptr;

    void SetUp() override
    {
        WNDCLASSW wc{};
        wc.lpfnWndProc = receiverProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"qs_test_receiver";
        RegisterClassW(&wc);
        window = CreateWindowExW(0, wc.lpszClassName, L"Invisible Window to Receive a String", WS_OVERLAPPED, 0, 0,
                                 10, 10, nullptr, nullptr, wc.hInstance, nullptr);
        ASSERT_TRUE(window);
        received = {};
    }
    void TearDown() override
    {
        if (window)
            DestroyWindow(window);
    }
};

} // namespace

TEST_F(Sender, PathsArriveAsAPathList)
{
    SenderRun run = runSender(L"paths \"C:\\Docs\\Letter one.txt\" \"C:\\Übung\\日本.doc\" C:\\Docs");
    EXPECT_EQ(run.exitCode, 0u);
    EXPECT_EQ(run.output, "1");
    EXPECT_EQ(received.count, 1);
    EXPECT_EQ(received.kind, 2u);
    EXPECT_EQ(decodePathList(received.bytes),
              (std::vector<std::string>{"C:\\Docs\\Letter one.txt", "C:\\Übung\\日本.doc", "C:\\Docs"}));
}

TEST_F(Sender, StringArrivesAsAnsiWithItsNul)
{
    SenderRun run = runSender(L"string \"hello there\"");
    EXPECT_EQ(run.exitCode, 0u);
    EXPECT_EQ(run.output, "1");
    EXPECT_EQ(received.kind, 3u);
    EXPECT_EQ(std::string(received.bytes.begin(), received.bytes.end()), std::string("hello there\0", 12));
}

TEST_F(Sender, RawBytesAndAnyKind)
{
    SenderRun run = runSender(L"raw 7 00ff10");
    EXPECT_EQ(run.exitCode, 0u);
    EXPECT_EQ(run.output, "0");
    EXPECT_EQ(received.kind, 7u);
    EXPECT_EQ(received.bytes, (std::vector<uint8_t>{0x00, 0xFF, 0x10}));

    run = runSender(L"raw 2");
    EXPECT_EQ(run.exitCode, 0u);
    EXPECT_EQ(received.count, 2);
    EXPECT_TRUE(received.bytes.empty());

    EXPECT_EQ(runSender(L"raw 2 0").exitCode, 1u);     // odd number of hex digits
    EXPECT_EQ(runSender(L"raw x 00").exitCode, 1u);
    EXPECT_EQ(runSender(L"").exitCode, 1u);
    EXPECT_EQ(received.count, 2);
}

TEST_F(Sender, NoWindowNoMessage)
{
    DestroyWindow(window);
    window = nullptr;
    SenderRun run = runSender(L"paths C:\\X.TXT");
    EXPECT_EQ(run.exitCode, 2u);
    EXPECT_EQ(received.count, 0);
}
