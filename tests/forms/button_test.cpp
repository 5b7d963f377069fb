#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <algorithm>

#include <string>
#include <vector>

#include "platform/forms/form.h"
#include "tests/support/pump.h"

using namespace qs::forms;
using qs::test::pumpPending;
using qs::test::pumpUntil;

namespace {

// A window with picture buttons wired the program's way: the pressed face on the way down, the normal
// face on the way up.
class ButtonForm : public Form {
public:
    ButtonForm() {
        Move(1500, 1500, 7155, 4275);
        wire(Image1);
        wire(Image2);
        Image7.Visible(0, false);
        Image7.Visible(1, false);
    }
    void wire(PictureButton& b) {
        b.onMouseDown = [this, &b](int index, int button, int, float, float) {
            log.push_back("down " + std::to_string(index) + " " + std::to_string(button));
            b.Visible(0, false);
            b.Visible(1, true);
            captured = GetCapture() == b.hWnd();
        };
        b.onMouseUp = [this, &b](int index, int button, int, float, float) {
            log.push_back("up " + std::to_string(index) + " " + std::to_string(button));
            b.Visible(0, true);
            b.Visible(1, false);
        };
    }
    PictureButton Image1{*this, 255, 255, 1590, 345, Face{"Open File"}};
    PictureButton Image2{*this, 1950, 255, 1590, 345, Face{"Hide"}};
    PictureButton Image4{*this, 195, 795, 405, 345, Face{"", Glyph::Help}};
    PictureButton Image7{*this, 1125, 795, 405, 345, Face{"", Glyph::Unpin}};
    PictureButton Check{*this, 870, 1710, 240, 195, Face{"", Glyph::CheckEmpty}, Face{"", Glyph::CheckTicked}};
    std::vector<std::string> log;
    bool captured = false;
};

POINT centreOnScreen(HWND hwnd) {
    RECT r;
    GetWindowRect(hwnd, &r);
    return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

void mouseInput(DWORD flags, POINT at) {
    SetCursorPos(at.x, at.y);
    INPUT in{};
    in.type = INPUT_MOUSE;
    in.mi.dx = static_cast<LONG>(at.x * 65535.0 / (GetSystemMetrics(SM_CXSCREEN) - 1));
    in.mi.dy = static_cast<LONG>(at.y * 65535.0 / (GetSystemMetrics(SM_CYSCREEN) - 1));
    in.mi.dwFlags = flags | MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    SendInput(1, &in, sizeof(in));
}

// Mean brightness of a window's picture as the screen shows it.
double brightness(HWND hwnd) {
    RECT r;
    GetClientRect(hwnd, &r);
    HDC dc = GetDC(hwnd);
    double sum = 0;
    int n = 0;
    for (int y = 2; y < r.bottom - 2; y += 2)
        for (int x = 2; x < r.right - 2; x += 3) {
            COLORREF c = GetPixel(dc, x, y);
            if (c == CLR_INVALID) continue;
            sum += GetRValue(c) + GetGValue(c) + GetBValue(c);
            ++n;
        }
    ReleaseDC(hwnd, dc);
    return n ? sum / n : -1;
}

}  // namespace

TEST(PictureButton, ElementZeroLiesAboveElementOne) {
    ButtonForm f;
    EXPECT_EQ(f.Image1.shownElement(), 0);
    f.Image1.Visible(0, false);
    EXPECT_EQ(f.Image1.shownElement(), 1);
    f.Image1.Visible(1, false);
    EXPECT_EQ(f.Image1.shownElement(), -1);
    EXPECT_FALSE(f.Image1.Visible());
    f.Image1.Visible(true);  // both
    EXPECT_TRUE(f.Image1.elementVisible(0));
    EXPECT_TRUE(f.Image1.elementVisible(1));
    f.Load();
    auto shown = [](HWND h) { return (GetWindowLongW(h, GWL_STYLE) & WS_VISIBLE) != 0; };
    EXPECT_TRUE(shown(f.Image1.hWnd()));
    EXPECT_FALSE(shown(f.Image7.hWnd()));  // both elements hidden at creation
    f.Image7.Visible(0, true);
    EXPECT_TRUE(shown(f.Image7.hWnd()));
    f.Unload();
}

TEST(PictureButton, PressAndReleaseOffTheButtonWithRealMouseInput) {
    ButtonForm f;
    f.setTopmost(true);  // nothing of another program lies over it
    f.Show();
    pumpUntil([&] { return GetForegroundWindow() == f.hWnd(); });
    pumpPending();
    double resting = brightness(f.Image1.hWnd());

    mouseInput(MOUSEEVENTF_LEFTDOWN, centreOnScreen(f.Image1.hWnd()));
    ASSERT_TRUE(pumpUntil([&] { return f.log.size() == 1; }));
    EXPECT_EQ(f.log[0], "down 0 1");
    EXPECT_TRUE(f.captured);
    EXPECT_TRUE(f.Image1.pressed());
    EXPECT_EQ(f.Image1.shownElement(), 1);
    pumpPending();
    double pressedLook = brightness(f.Image1.hWnd());
    EXPECT_LT(pressedLook, resting);  // the pressed face reads darker, sunk

    // Off the button, off the window even, before letting go: the release still belongs to the button.
    RECT wr;
    GetWindowRect(f.hWnd(), &wr);
    POINT outside{wr.right + 40, wr.bottom + 40};
    mouseInput(0, outside);
    mouseInput(MOUSEEVENTF_LEFTUP, outside);
    ASSERT_TRUE(pumpUntil([&] { return f.log.size() == 2; }));
    EXPECT_EQ(f.log[1], "up 0 1");
    EXPECT_FALSE(f.Image1.pressed());
    EXPECT_EQ(GetCapture(), nullptr);
    EXPECT_EQ(f.Image1.shownElement(), 0);
    pumpPending();
    EXPECT_NEAR(brightness(f.Image1.hWnd()), resting, 1.0);
    f.Unload();
}

TEST(PictureButton, RightButtonActsToo) {
    ButtonForm f;
    f.setTopmost(true);
    f.Show();
    pumpUntil([&] { return GetForegroundWindow() == f.hWnd(); });
    POINT at = centreOnScreen(f.Image2.hWnd());
    mouseInput(MOUSEEVENTF_RIGHTDOWN, at);
    mouseInput(MOUSEEVENTF_RIGHTUP, at);
    ASSERT_TRUE(pumpUntil([&] { return f.log.size() == 2; }));
    EXPECT_EQ(f.log[0], "down 0 2");
    EXPECT_EQ(f.log[1], "up 0 2");
    f.Unload();
}

TEST(PictureButton, ReleaseBelongsToTheElementThatWentDown) {
    ButtonForm f;
    f.Load();
    // Only the pressed element shows (as a stay-on-top button can): the press lands on element 1.
    f.Image1.Visible(0, false);
    SendMessageW(f.Image1.hWnd(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    // A second button while the first is held starts nothing new.
    SendMessageW(f.Image1.hWnd(), WM_RBUTTONDOWN, MK_LBUTTON | MK_RBUTTON, MAKELPARAM(5, 5));
    SendMessageW(f.Image1.hWnd(), WM_RBUTTONUP, MK_LBUTTON, MAKELPARAM(5, 5));
    SendMessageW(f.Image1.hWnd(), WM_LBUTTONUP, 0, MAKELPARAM(-300, -300));
    std::vector<std::string> expected{"down 1 1", "up 1 1"};
    EXPECT_EQ(f.log, expected);
    f.Unload();
}

TEST(PictureButton, PressLostToAnotherWindowEndsWithoutARelease) {
    ButtonForm f;
    f.Show();
    SendMessageW(f.Image1.hWnd(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    ASSERT_TRUE(f.Image1.pressed());
    SetCapture(f.hWnd());
    EXPECT_FALSE(f.Image1.pressed());
    ReleaseCapture();
    SendMessageW(f.Image1.hWnd(), WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    EXPECT_EQ(f.log.size(), 1u);
    f.Unload();
}

TEST(PictureButton, ActionThatUnloadsTheFormOnMouseDown) {
    // The phone entry box's Ok acts on the way down and unloads its window.
    ButtonForm f;
    f.Image2.onMouseDown = [&](int, int, int, float, float) {
        f.Image2.Visible(0, false);
        f.Image2.Visible(1, true);
        f.Unload();
    };
    f.Load();
    SendMessageW(f.Image2.hWnd(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    EXPECT_FALSE(f.Loaded());
    EXPECT_EQ(f.Image2.hWnd(), nullptr);
    EXPECT_EQ(GetCapture(), nullptr);
    // Loaded again, the button works from its kept state.
    f.Load();
    EXPECT_EQ(f.Image2.shownElement(), 1);
    f.Unload();
}

TEST(PictureButton, ToolTipTextIsRegisteredWithTheFormsTooltip) {
    ButtonForm f;
    f.Image4.ToolTipText("Help");
    f.Load();
    HWND tip = FindWindowExW(nullptr, nullptr, L"tooltips_class32", nullptr);
    bool found = false;
    for (; tip; tip = FindWindowExW(nullptr, tip, L"tooltips_class32", nullptr)) {
        if (GetWindow(tip, GW_OWNER) != f.hWnd()) continue;
        found = SendMessageW(tip, TTM_GETTOOLCOUNT, 0, 0) == 1;
    }
    EXPECT_TRUE(found);
    f.Unload();
}

TEST(PictureButton, CheckFacesAndCustomPainter) {
    ButtonForm f;
    int painted = -1;
    f.Image4.painter = [&](HDC, const RECT&, int element) { painted = element; };
    f.Show();
    f.Image4.Visible(0, false);
    f.Image4.Refresh();
    EXPECT_EQ(painted, 1);
    // A ticked check face is brighter than the empty one (the tick).
    double empty = brightness(f.Check.hWnd());
    f.Check.Visible(0, false);
    pumpPending();
    EXPECT_GT(brightness(f.Check.hWnd()), empty);
    f.Unload();
}

namespace {

// A modal box that notes who holds the mouse once its loop runs, then closes itself.
class TimedBox : public Form {
public:
    HWND captureInside = reinterpret_cast<HWND>(1);

protected:
    bool onMessage(UINT msg, WPARAM, LPARAM, LRESULT& result) override {
        if (msg != WM_TIMER) return false;
        KillTimer(hWnd(), 1);
        captureInside = GetCapture();
        Unload();
        result = 0;
        return true;
    }
};

}  // namespace

TEST(PictureButton, ModalOpenedWhileTheButtonIsHeldGetsTheMouse) {
    ButtonForm f;
    TimedBox box;
    f.Image2.onMouseDown = [&](int, int, int, float, float) {
        box.Load();
        SetTimer(box.hWnd(), 1, 10, nullptr);
        box.ShowModal(&f);
    };
    f.Show();
    SendMessageW(f.Image2.hWnd(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    EXPECT_EQ(box.captureInside, nullptr);
    EXPECT_FALSE(box.Loaded());
    EXPECT_FALSE(f.Image2.pressed());  // the press ended when the box took over
    EXPECT_TRUE(IsWindowEnabled(f.hWnd()));
    f.Unload();
}
