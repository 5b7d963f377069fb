#include "app/tooltip/tooltip.h"

#include <commctrl.h>

#include <gtest/gtest.h>

#include <string>

#include "tests/support/pump.h"

namespace {

using qs::app::cTooltip;

// A form with three child controls, the third inside a frame.
class TooltipTest : public ::testing::Test {
protected:
    // One visible form for the suite: showing and hiding top-level windows is slow under Wine.
    static void SetUpTestSuite() {
        form = CreateWindowExW(0, L"STATIC", L"tooltip test form", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40, 40, 420, 300,
                               nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
        grid1 = child(form, 10, 10);
        grid2 = child(form, 10, 80);
        frame = child(form, 200, 10, 200, 200);
        grid3 = child(frame, 10, 10);
    }
    static void TearDownTestSuite() { DestroyWindow(form); }
    void SetUp() override { ASSERT_TRUE(IsWindow(form)); }
    static HWND child(HWND parent, int x, int y, int w = 150, int h = 60) {
        return CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE | SS_NOTIFY, x, y, w, h, parent, nullptr,
                               GetModuleHandleW(nullptr), nullptr);
    }
    // The window's own record of the tool for `ctrl`, read without the class.
    static bool rawTool(HWND tip, HWND ctrl, TTTOOLINFOA& out) {
        int n = static_cast<int>(SendMessageA(tip, TTM_GETTOOLCOUNT, 0, 0));
        for (int i = 0; i < n; ++i) {
            out = TTTOOLINFOA{};
            out.cbSize = 44;
            if (SendMessageA(tip, TTM_ENUMTOOLSA, i, reinterpret_cast<LPARAM>(&out)) &&
                out.uId == reinterpret_cast<UINT_PTR>(ctrl))
                return true;
        }
        return false;
    }
    static inline HWND form, grid1, grid2, grid3, frame;
};

// The tooltip made on the form.
class TooltipOnForm : public TooltipTest {
protected:
    void SetUp() override {
        TooltipTest::SetUp();
        ASSERT_TRUE(tips.Create(form));
    }
    cTooltip tips;
};

TEST_F(TooltipTest, EveryMemberIsInertBeforeCreate) {
    cTooltip tips;
    EXPECT_EQ(nullptr, tips.hWnd());
    EXPECT_FALSE(tips.AddTool(grid1, form));
    EXPECT_FALSE(tips.AddTool(grid1, form, "text"));
    EXPECT_FALSE(tips.RemoveTool(grid1));
    EXPECT_EQ(0, tips.ToolCount());
    EXPECT_EQ("", tips.ToolText(grid1));
    tips.ToolText(grid1, "x");
    tips.BackColor(0x80633B);
    tips.ForeColor(0xFFC675);
    tips.DelayTime(2, 10000);
    tips.MaxTipWidth(240);
    tips.Margin(1, 5);
    EXPECT_EQ(0, tips.BackColor());
    EXPECT_EQ(0, tips.ForeColor());
    EXPECT_EQ(0, tips.DelayTime(2));
    EXPECT_EQ(0, tips.MaxTipWidth());
    EXPECT_EQ(0, tips.Margin(1));
}

TEST_F(TooltipTest, CreateMakesOneAlwaysTipWindowOwnedByTheForm) {
    cTooltip tips;
    ASSERT_TRUE(tips.Create(form));
    HWND tip = tips.hWnd();
    ASSERT_TRUE(IsWindow(tip));
    char cls[64] = {};
    GetClassNameA(tip, cls, sizeof cls);
    EXPECT_STREQ("tooltips_class32", cls);
    EXPECT_EQ(form, GetWindow(tip, GW_OWNER));
    EXPECT_TRUE(GetWindowLongA(tip, GWL_STYLE) & TTS_ALWAYSTIP);

    EXPECT_TRUE(tips.Create(grid1));
    EXPECT_EQ(tip, tips.hWnd());
    EXPECT_EQ(form, GetWindow(tip, GW_OWNER));
}

TEST_F(TooltipOnForm, ToolsWithoutTextAreNamedInOrder) {
    EXPECT_TRUE(tips.AddTool(grid1, form));
    EXPECT_TRUE(tips.AddTool(grid2, form, ""));
    EXPECT_TRUE(tips.AddTool(grid3, frame));
    EXPECT_EQ(3, tips.ToolCount());
    EXPECT_EQ("Tool1", tips.ToolText(grid1));
    EXPECT_EQ("Tool2", tips.ToolText(grid2));
    EXPECT_EQ("Tool3", tips.ToolText(grid3));
    EXPECT_EQ("", tips.ToolText(frame));

    TTTOOLINFOA ti;
    ASSERT_TRUE(rawTool(tips.hWnd(), grid3, ti));
    EXPECT_EQ(static_cast<UINT>(TTF_IDISHWND | TTF_SUBCLASS), ti.uFlags & (TTF_IDISHWND | TTF_SUBCLASS));
    EXPECT_EQ(frame, ti.hwnd);
    ASSERT_TRUE(rawTool(tips.hWnd(), grid1, ti));
    EXPECT_EQ(form, ti.hwnd);
}

TEST_F(TooltipOnForm, SecondAddOfAControlIsRefused) {
    ASSERT_TRUE(tips.AddTool(grid1, form, "first text"));
    EXPECT_FALSE(tips.AddTool(grid1, form, "second text"));
    EXPECT_FALSE(tips.AddTool(grid1, form));
    EXPECT_EQ(1, tips.ToolCount());
    EXPECT_EQ("first text", tips.ToolText(grid1));
}

TEST_F(TooltipOnForm, ToolTextKeepsEachToolsOwnText) {
    tips.AddTool(grid1, form);
    tips.AddTool(grid2, form);
    tips.AddTool(grid3, frame);
    for (HWND g : {grid1, grid2, grid3}) tips.ToolText(g, "datagrid");
    EXPECT_EQ("datagrid", tips.ToolText(grid2));

    const std::string longer(70, 'L');
    tips.ToolText(grid2, "C:\\Documents\\Quarterly Report.doc");
    tips.ToolText(grid3, longer);
    EXPECT_EQ("datagrid", tips.ToolText(grid1));
    EXPECT_EQ("C:\\Documents\\Quarterly Report.doc", tips.ToolText(grid2));
    EXPECT_EQ(longer, tips.ToolText(grid3));
    tips.ToolText(grid1, "");
    EXPECT_EQ("", tips.ToolText(grid1));
    EXPECT_EQ(longer, tips.ToolText(grid3));
    // The window gives back at most 80 bytes of a tip through its ANSI messages; the tip keeps all.
    const std::string longest(700, 'X');
    tips.ToolText(grid2, longest);
    std::string got = tips.ToolText(grid2);
    EXPECT_GE(got.size(), 79u);
    EXPECT_LE(got.size(), 80u);
    EXPECT_EQ(0u, longest.find(got));
    EXPECT_EQ(longer, tips.ToolText(grid3));
    // Texts pass through the ANSI code page.
    tips.ToolText(grid1,
                  "Caf\xC3\xA9 m\xC3\xBC"
                  "ller");
    EXPECT_EQ(
        "Caf\xC3\xA9 m\xC3\xBC"
        "ller",
        tips.ToolText(grid1));
}

TEST_F(TooltipOnForm, SettingTextOnAnUnregisteredControlAddsNothing) {
    tips.AddTool(grid1, form, "one");
    tips.ToolText(grid2, "should not appear");
    EXPECT_EQ(1, tips.ToolCount());
    EXPECT_EQ("", tips.ToolText(grid2));
    EXPECT_EQ("one", tips.ToolText(grid1));
}

TEST_F(TooltipOnForm, RemoveToolFindsTheControl) {
    tips.AddTool(grid1, form);
    tips.AddTool(grid2, form);
    EXPECT_TRUE(tips.RemoveTool(grid1));
    EXPECT_EQ(1, tips.ToolCount());
    EXPECT_FALSE(tips.RemoveTool(grid1));
    EXPECT_FALSE(tips.RemoveTool(grid3));
    EXPECT_EQ("Tool2", tips.ToolText(grid2));
    // The next unnamed tool counts from the tools left.
    EXPECT_TRUE(tips.AddTool(grid1, form));
    EXPECT_EQ("Tool2", tips.ToolText(grid1));
}

TEST_F(TooltipOnForm, MaxTipWidthBelowOneMeansNoLimit) {
    tips.MaxTipWidth(240);
    EXPECT_EQ(240, tips.MaxTipWidth());
    EXPECT_EQ(240, SendMessageA(tips.hWnd(), TTM_GETMAXTIPWIDTH, 0, 0));
    tips.MaxTipWidth(0);
    EXPECT_EQ(-1, tips.MaxTipWidth());
    EXPECT_EQ(-1, static_cast<int32_t>(SendMessageA(tips.hWnd(), TTM_GETMAXTIPWIDTH, 0, 0)));
    tips.MaxTipWidth(240);
    tips.MaxTipWidth(-5);
    EXPECT_EQ(-1, tips.MaxTipWidth());
    tips.MaxTipWidth(32767);
    EXPECT_EQ(32767, tips.MaxTipWidth());
}

TEST_F(TooltipOnForm, DelayKindIsTakenAndThree) {
    tips.DelayTime(3, 400);
    tips.DelayTime(6, 10000);  // acts on kind 2, auto-pop
    EXPECT_EQ(10000, tips.DelayTime(2));
    EXPECT_EQ(10000, tips.DelayTime(6));
    EXPECT_EQ(10000, static_cast<int32_t>(SendMessageA(tips.hWnd(), TTM_GETDELAYTIME, TTDT_AUTOPOP, 0)));
    EXPECT_EQ(400, tips.DelayTime(3));
    tips.DelayTime(5, 123);  // kind 1, reshow
    EXPECT_EQ(123, tips.DelayTime(1));
    EXPECT_EQ(400, tips.DelayTime(7));
}

TEST_F(TooltipOnForm, ColoursRoundTrip) {
    tips.BackColor(0x80633B);  // #3B6380
    tips.ForeColor(0xFFC675);  // #75C6FF
    EXPECT_EQ(0x80633B, tips.BackColor());
    EXPECT_EQ(0xFFC675, tips.ForeColor());
    EXPECT_EQ(RGB(0x3B, 0x63, 0x80), static_cast<COLORREF>(SendMessageA(tips.hWnd(), TTM_GETTIPBKCOLOR, 0, 0)));
}

TEST_F(TooltipOnForm, MarginSetsOneSideAtATime) {
    tips.Margin(0, 1);
    tips.Margin(1, 2);
    tips.Margin(2, 3);
    tips.Margin(3, 4);
    tips.Margin(1, 9);
    tips.Margin(4, 77);  // no such side: nothing changes
    tips.Margin(-1, 77);
    EXPECT_EQ(1, tips.Margin(0));
    EXPECT_EQ(9, tips.Margin(1));
    EXPECT_EQ(3, tips.Margin(2));
    EXPECT_EQ(4, tips.Margin(3));
    EXPECT_EQ(0, tips.Margin(4));
    RECT rc{};
    SendMessageA(tips.hWnd(), TTM_GETMARGIN, 0, reinterpret_cast<LPARAM>(&rc));
    EXPECT_EQ(1, rc.left);
    EXPECT_EQ(9, rc.top);
    EXPECT_EQ(3, rc.right);
    EXPECT_EQ(4, rc.bottom);
}

TEST_F(TooltipTest, DestructionDestroysTheWindow) {
    HWND tip = nullptr;
    {
        cTooltip tips;
        ASSERT_TRUE(tips.Create(form));
        tips.AddTool(grid1, form);
        tip = tips.hWnd();
        ASSERT_TRUE(IsWindow(tip));
    }
    EXPECT_FALSE(IsWindow(tip));
    EXPECT_TRUE(IsWindow(grid1));

    // The owner going first takes the window with it; the object's end is then harmless.
    HWND owner = CreateWindowExW(0, L"STATIC", L"short-lived owner", WS_OVERLAPPED, 0, 0, 100, 100, nullptr, nullptr,
                                 GetModuleHandleW(nullptr), nullptr);
    cTooltip late;
    ASSERT_TRUE(late.Create(owner));
    tip = late.hWnd();
    DestroyWindow(owner);
    EXPECT_FALSE(IsWindow(tip));
}

// The window watches the control's mouse itself and shows the tool's text, an "&" as it is.
TEST_F(TooltipOnForm, TipShowsOverItsControl) {
    tips.DelayTime(3, 1);
    ASSERT_TRUE(tips.AddTool(grid2, form, "BOB O'NEILL & PARTNERS"));
    SetForegroundWindow(form);
    UpdateWindow(form);

    RECT rc;
    GetWindowRect(grid2, &rc);
    SetCursorPos((rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2);
    POINT client{(rc.right - rc.left) / 2, (rc.bottom - rc.top) / 2};
    // Each move restarts the window's wait before showing, so moves are spaced out.
    qs::test::pumpUntil([&] { return IsWindowVisible(tips.hWnd()) != FALSE; }, 4000,
                        [&] { PostMessageW(grid2, WM_MOUSEMOVE, 0, MAKELPARAM(client.x, client.y)); }, 500);
    EXPECT_TRUE(IsWindowVisible(tips.hWnd()));
    char text[128] = {};
    GetWindowTextA(tips.hWnd(), text, sizeof text);
    EXPECT_STREQ("BOB O'NEILL & PARTNERS", text);

    // As a mnemonic the "&" would leave "BOB O'NEILL _PARTNERS", as wide as this text.
    auto width = [&] {
        RECT tip;
        GetWindowRect(tips.hWnd(), &tip);
        return tip.right - tip.left;
    };
    const LONG shown = width();
    tips.ToolText(grid2, "BOB O'NEILL  PARTNERS");
    SendMessageA(tips.hWnd(), TTM_UPDATE, 0, 0);
    EXPECT_GT(shown, width());
}

}  // namespace
