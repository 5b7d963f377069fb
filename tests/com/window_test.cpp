#include <gtest/gtest.h>
#include <windows.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "platform/com/window.h"

namespace {

constexpr UINT kAnswer = WM_USER + 1;
constexpr UINT kThrow = WM_USER + 2;
constexpr UINT kIgnored = WM_USER + 3;

class TestWindow : public qs::com::WindowImpl {
public:
    int answered = 0;
    ~TestWindow() = default;

protected:
    bool processWindowMessage(HWND, UINT msg, WPARAM wParam, LPARAM, LRESULT& result) override {
        if (msg == kAnswer) {
            ++answered;
            result = 40 + static_cast<LRESULT>(wParam);
            return true;
        }
        if (msg == kThrow) throw std::runtime_error("handler fault");
        return false;
    }
};

TEST(WindowImpl, MessageMapAndClass) {
    TestWindow w;
    RECT rect{0, 0, 100, 100};
    HWND hwnd = w.create(nullptr, rect, L"TestWindow", WS_POPUP);
    ASSERT_NE(hwnd, nullptr);
    EXPECT_EQ(w.hwnd(), hwnd);
    EXPECT_EQ(w.create(nullptr, rect, L"Again", WS_POPUP), nullptr);  // one window per object
    EXPECT_EQ(SendMessageW(hwnd, kAnswer, 2, 0), 42);
    EXPECT_EQ(SendMessageW(hwnd, kIgnored, 2, 0), 0);
    EXPECT_EQ(SendMessageW(hwnd, kThrow, 0, 0), 0);  // contained at the window procedure
    EXPECT_EQ(SendMessageW(hwnd, kAnswer, 1, 0), 41);
    EXPECT_EQ(GetClassLongW(hwnd, GCL_STYLE), static_cast<DWORD>(CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS));
    EXPECT_EQ(reinterpret_cast<HBRUSH>(GetClassLongPtrW(hwnd, GCLP_HBRBACKGROUND)),
              reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1));
    wchar_t name[64];
    GetClassNameW(hwnd, name, 64);
    EXPECT_STREQ(name, qs::com::WindowImpl::className());

    EXPECT_TRUE(w.destroy());
    EXPECT_EQ(w.hwnd(), nullptr);
    EXPECT_FALSE(IsWindow(hwnd));
    EXPECT_FALSE(w.destroy());
}

TEST(WindowImpl, DestructorDestroysTheWindow) {
    HWND hwnd;
    {
        TestWindow w;
        RECT rect{0, 0, 10, 10};
        hwnd = w.create(nullptr, rect, L"Short", WS_POPUP);
        ASSERT_NE(hwnd, nullptr);
    }
    EXPECT_FALSE(IsWindow(hwnd));
}

// The binding on a window of a system class: what the object leaves goes to the class's procedure,
// also after the object let go.
class EditBinding : public qs::win::Window {
public:
    using Window::detach;
    using Window::subclass;

protected:
    bool processMessage(UINT msg, WPARAM, LPARAM, LRESULT& result) override {
        if (msg == kAnswer) {
            result = 7;
            return true;
        }
        if (msg == kThrow) throw std::runtime_error("subclass fault");
        return false;
    }
};

TEST(Window, SubclassedSystemWindowKeepsItsOwnProcedure) {
    std::vector<std::string> errors;
    qs::win::setHandlerErrorReporter([&](const std::string& what) { errors.push_back(what); });
    HWND edit = CreateWindowExW(0, L"EDIT", L"", WS_POPUP, 0, 0, 100, 20, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(edit, nullptr);
    EditBinding w;
    ASSERT_TRUE(w.subclass(edit));
    EXPECT_EQ(qs::win::Window::fromHwnd(edit), &w);
    EXPECT_EQ(SendMessageW(edit, kAnswer, 0, 0), 7);
    EXPECT_EQ(SendMessageW(edit, kThrow, 0, 0), 0);
    EXPECT_EQ(errors, std::vector<std::string>{"subclass fault"});
    SetWindowTextW(edit, L"typed");
    EXPECT_EQ(GetWindowTextLengthW(edit), 5);

    w.detach();
    EXPECT_EQ(qs::win::Window::fromHwnd(edit), nullptr);
    EXPECT_EQ(SendMessageW(edit, kAnswer, 0, 0), 0);
    SetWindowTextW(edit, L"still an edit");
    EXPECT_EQ(GetWindowTextLengthW(edit), 13);
    EXPECT_TRUE(DestroyWindow(edit));
    qs::win::setHandlerErrorReporter(nullptr);
}

}  // namespace
