// The Options window's settings: the days box and the double-click choice, through its real controls.
#include "dialogs_support.h"

using namespace qs;
using namespace qs::test;

namespace {

class OptionsWindow : public ::testing::Test {
protected:
    app::Options o;

    void SetUp() override {
        rt::DeleteSetting("Quillstack");
        app::timelimit = 90;
        app::openexplorer = true;
        o.Show();
        UpdateWindow(o.hWnd());
    }
    void TearDown() override { rt::DeleteSetting("Quillstack"); }
    // Select all, delete, then the text key by key, as a user types it.
    void type(const std::string& text) {
        SendMessageW(o.Text1.hWnd(), EM_SETSEL, 0, -1);
        SendMessageW(o.Text1.hWnd(), WM_CHAR, VK_BACK, 0);
        for (char c : text) SendMessageW(o.Text1.hWnd(), WM_CHAR, WPARAM(c), 0);
    }
    void repaint() { RedrawWindow(o.hWnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW); }
};

}  // namespace

TEST_F(OptionsWindow, DaysBoxStoresWhatConvertsAndKeepsTheLastValidDaysOtherwise) {
    EXPECT_EQ(o.Text1.Text(), "90");
    type("045");
    EXPECT_EQ(setting("timelimit"), "45");
    EXPECT_EQ(o.Text1.Text(), "045");
    repaint();
    EXPECT_EQ(o.Text1.Text(), "45");
    type("7.5");
    EXPECT_EQ(app::timelimit, 8);
    type("6.5");
    EXPECT_EQ(app::timelimit, 6);
    for (const char* text : {"", "abc"}) {
        type(text);
        EXPECT_EQ(o.Text1.Text(), text);
        EXPECT_EQ(app::timelimit, 6);
        EXPECT_EQ(setting("timelimit"), "6");
    }
    repaint();
    EXPECT_EQ(o.Text1.Text(), "6");
    type("40000");  // key by key, 4000 is the last text that fits in 16 bits
    EXPECT_EQ(setting("timelimit"), "4000");
    type("-3");  // no range check
    EXPECT_EQ(setting("timelimit"), "-3");
}

TEST_F(OptionsWindow, CheckBoxesActOnMouseDownWithAnyButtonAndOnlyEscCloses) {
    EXPECT_EQ(o.Image3.shownElement(), 1);  // ticked: Explorer
    SendMessageW(o.Image2.hWnd(), WM_RBUTTONDOWN, MK_RBUTTON, 0);
    EXPECT_FALSE(app::openexplorer);
    EXPECT_EQ(setting("openexplorer"), "False");
    EXPECT_EQ(o.Image2.shownElement(), 1);
    EXPECT_EQ(o.Image3.shownElement(), 0);
    SendMessageW(o.Image2.hWnd(), WM_RBUTTONUP, 0, 0);
    SendMessageW(o.Image3.hWnd(), WM_MBUTTONDOWN, MK_MBUTTON, 0);
    EXPECT_EQ(setting("openexplorer"), "True");
    SendMessageW(o.Image3.hWnd(), WM_MBUTTONUP, 0, 0);

    o.Text1.SetFocus();
    PostMessageW(o.Text1.hWnd(), WM_KEYDOWN, VK_RETURN, 0);
    rt::DoEvents();
    EXPECT_TRUE(o.Loaded());
    PostMessageW(o.Text1.hWnd(), WM_KEYDOWN, VK_ESCAPE, 0);
    rt::DoEvents();
    EXPECT_FALSE(o.Loaded());
}
