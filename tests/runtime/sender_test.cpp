// The WM_COPYDATA sender tool, run as its own process against a window with the receiver's title.

#include "platform/runtime/propertybag.h"
#include "platform/runtime/text.h"
#include "tests/support/process.h"

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

LRESULT CALLBACK receiverProc(HWND h, UINT m, WPARAM w, LPARAM l) {
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

// Starts qs_send from the test's own folder and serves this thread's windows until it ends.
qs::test::ProgramRun runSender(const std::wstring& arguments) {
    return qs::test::runProgram(L"\"" + qs::test::besideThisProgram(L"qs_send.exe") + L"\" " + arguments, 20000);
}

class Sender : public ::testing::Test {
protected:
    HWND window = nullptr;

    void SetUp() override {
        WNDCLASSW wc{};
        wc.lpfnWndProc = receiverProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"qs_test_receiver";
        RegisterClassW(&wc);
        window = CreateWindowExW(0, wc.lpszClassName, L"Invisible Window to Receive a String", WS_OVERLAPPED, 0, 0, 10,
                                 10, nullptr, nullptr, wc.hInstance, nullptr);
        ASSERT_TRUE(window);
        received = {};
    }
    void TearDown() override {
        if (window) DestroyWindow(window);
    }
};

}  // namespace

TEST_F(Sender, PathsArriveAsAPathList) {
    qs::test::ProgramRun run = runSender(L"paths \"C:\\Docs\\Letter one.txt\" \"C:\\Übung\\日本.doc\" C:\\Docs");
    EXPECT_EQ(run.exitCode, 0u);
    EXPECT_EQ(run.output, "1");
    EXPECT_EQ(received.count, 1);
    EXPECT_EQ(received.kind, 2u);
    EXPECT_EQ(decodePathList(received.bytes),
              (std::vector<std::string>{"C:\\Docs\\Letter one.txt", "C:\\Übung\\日本.doc", "C:\\Docs"}));
}

TEST_F(Sender, StringArrivesAsAnsiWithItsNul) {
    qs::test::ProgramRun run = runSender(L"string \"hello there\"");
    EXPECT_EQ(run.exitCode, 0u);
    EXPECT_EQ(run.output, "1");
    EXPECT_EQ(received.kind, 3u);
    EXPECT_EQ(std::string(received.bytes.begin(), received.bytes.end()), std::string("hello there\0", 12));
}

TEST_F(Sender, RawBytesAndAnyKind) {
    qs::test::ProgramRun run = runSender(L"raw 7 00ff10");
    EXPECT_EQ(run.exitCode, 0u);
    EXPECT_EQ(run.output, "0");
    EXPECT_EQ(received.kind, 7u);
    EXPECT_EQ(received.bytes, (std::vector<uint8_t>{0x00, 0xFF, 0x10}));

    run = runSender(L"raw 2");
    EXPECT_EQ(run.exitCode, 0u);
    EXPECT_EQ(received.count, 2);
    EXPECT_TRUE(received.bytes.empty());

    EXPECT_EQ(runSender(L"raw 2 0").exitCode, 1u);  // odd number of hex digits
    EXPECT_EQ(runSender(L"raw x 00").exitCode, 1u);
    EXPECT_EQ(runSender(L"").exitCode, 1u);
    EXPECT_EQ(received.count, 2);
}

TEST_F(Sender, NoWindowNoMessage) {
    DestroyWindow(window);
    window = nullptr;
    qs::test::ProgramRun run = runSender(L"paths C:\\X.TXT");
    EXPECT_EQ(run.exitCode, 2u);
    EXPECT_EQ(received.count, 0);
}
