#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/controls/commondialog.h"
#include "platform/controls/flexgrid.h"
#include "platform/controls/folderbrowser.h"
#include "platform/controls/scrollbar.h"
#include "platform/forms/form.h"
#include "platform/runtime/services.h"
#include "tests/support/pump.h"
#include "tests/support/services.h"

using namespace qs::forms;
using qs::controls::ScrollBar;
using qs::test::FakeServices;
using qs::test::pumpPending;
using qs::test::pumpUntil;

namespace {

class Window : public Form {
public:
    Window() { Move(1500, 1500, 7695, 4905); }
    TextBox Text1{*this, 1290, 855, 900, 285};
    Label Title{*this, 120, 60, 3000, 300, "Quillstack Documentation"};
    PictureBox Picture1{*this, 180, 495, 7115, 4200};
    PictureBox Picture2{Picture1, 0, 0, 7125, 9000};
    Label Label1{Picture2, 120, 120, 6800, 300, "FILES"};
    ScrollBar dt1{*this, 7335, 480, 180, 4245};
};

}  // namespace

// ---- text boxes -----------------------------------------------------------------------------------

TEST(TextBox, ChangeFiresOnceForEachRealChangeLoadedOrNot) {
    Window w;
    int changes = 0;
    w.Text1.onChange = [&] { ++changes; };
    w.Text1.Text("90");  // not loaded: kept, and the change is reported
    EXPECT_EQ(changes, 1);
    w.Text1.Text("90");  // same text: nothing
    EXPECT_EQ(changes, 1);
    w.Load();
    EXPECT_EQ(w.Text1.Text(), "90");
    EXPECT_EQ(changes, 1);  // making the window is no change
    w.Text1.Text("045");
    EXPECT_EQ(changes, 2);
    EXPECT_EQ(w.Text1.Text(), "045");
    // Typed by the user: the window's own change notification.
    SendMessageW(w.Text1.hWnd(), EM_SETSEL, 3, 3);
    SendMessageW(w.Text1.hWnd(), EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(L"7"));
    EXPECT_EQ(changes, 3);
    EXPECT_EQ(w.Text1.Text(), "0457");
    w.Unload();
    EXPECT_EQ(w.Text1.Text(), "0457");  // kept after the window went
}

TEST(TextBox, UnicodeRoundTripAndSelection) {
    Window w;
    w.Load();
    w.Text1.Text("Zoë – Ωmega");
    EXPECT_EQ(w.Text1.Text(), "Zoë – Ωmega");
    w.Text1.SelStart(2);
    w.Text1.SelLength(3);
    EXPECT_EQ(w.Text1.SelStart(), 2);
    EXPECT_EQ(w.Text1.SelLength(), 3);
    w.Text1.MaxLength(4);
    w.Text1.Text("abcdefgh");
    w.Unload();
}

TEST(TextBox, GotFocusAndKeyUpReachTheirHandlers) {
    Window w;
    int focused = 0;
    std::vector<int> ups;
    w.Text1.onGotFocus = [&] { ++focused; };
    w.Text1.onKeyUp = [&](int& key, int) { ups.push_back(key); };
    w.Show();
    w.Text1.SetFocus();
    EXPECT_GE(focused, 1);
    PostMessageW(w.Text1.hWnd(), WM_KEYDOWN, 'X', 1);
    PostMessageW(w.Text1.hWnd(), WM_KEYUP, 'X', 0xC0000001);
    pumpPending();
    EXPECT_EQ(ups, std::vector<int>{'X'});
    EXPECT_EQ(w.Text1.Text(), "x");
    w.Unload();
}

TEST(TextBox, EnterHandlerThatUnloadsTheForm) {
    // The keywords box closes itself from its text box's Enter handler.
    Window w;
    w.Text1.onKeyDown = [&](int& key, int) {
        if (key == VK_RETURN) w.Unload();
    };
    w.Show();
    w.Text1.Text("keywords");
    SendMessageW(w.Text1.hWnd(), WM_KEYDOWN, VK_RETURN, 1);
    EXPECT_FALSE(w.Loaded());
    EXPECT_EQ(w.Text1.Text(), "keywords");
}

// ---- labels and picture boxes ---------------------------------------------------------------------

TEST(Label, FitHeightGrowsWithTheText) {
    Window w;
    w.Label1.Font(qs::forms::Font{"MS Sans Serif", 9.75});
    int one = w.Label1.fitHeight();
    w.Label1.Caption(std::string(400, 'w') + " " + std::string(10, 'a'));
    w.Label1.Caption(
        "To display the Recent Files list, click on the button as illustrated in Figure 1. "
        "The program watches the Recent Files folder and stores the names and locations of the "
        "documents you open, so that you find them again by typing part of a name.");
    int many = w.Label1.fitHeight();
    EXPECT_GT(one, 0);
    EXPECT_GT(many, 2 * one);
}

TEST(PictureBox, HoldsControlsAndMovesThemWithIt) {
    Window w;
    w.Load();
    EXPECT_EQ(GetParent(w.Picture2.hWnd()), w.Picture1.hWnd());
    EXPECT_EQ(GetParent(w.Label1.hWnd()), w.Picture2.hWnd());
    RECT before;
    GetWindowRect(w.Label1.hWnd(), &before);
    w.Picture2.Top(-1500);  // scrolled 100 pixels down the page
    RECT after;
    GetWindowRect(w.Label1.hWnd(), &after);
    EXPECT_EQ(after.top, before.top - 100);
    EXPECT_EQ(w.Picture2.Top(), -1500);
    // The viewport clips the page.
    EXPECT_TRUE(GetWindowLongW(w.Picture1.hWnd(), GWL_STYLE) & WS_CLIPCHILDREN);
    w.Picture2.Visible(false);
    EXPECT_FALSE(IsWindowVisible(w.Label1.hWnd()));
    w.Unload();
    EXPECT_EQ(w.Label1.hWnd(), nullptr);
    EXPECT_EQ(w.Picture2.hWnd(), nullptr);
}

TEST(PictureBox, PaintsItsColourAndWhatOnPaintAdds) {
    Window w;
    w.Picture1.BackColor(RGB(192, 192, 192));
    int paints = 0;
    w.Picture1.onPaint = [&](HDC, const RECT&) { ++paints; };
    w.Picture2.Visible(false);
    w.Show();
    w.Picture1.Refresh();
    EXPECT_GE(paints, 1);
    HDC dc = GetDC(w.Picture1.hWnd());
    EXPECT_EQ(GetPixel(dc, 50, 50), RGB(192, 192, 192));
    ReleaseDC(w.Picture1.hWnd(), dc);
    w.Unload();
}

TEST(ControlLifetime, ControlMadeAfterLoadAndDestroyedBeforeItsForm) {
    Window w;
    w.Load();
    {
        Label late(w, 0, 0, 1000, 300, "late");
        EXPECT_EQ(late.hWnd(), nullptr);
        late.create();
        ASSERT_NE(late.hWnd(), nullptr);
        EXPECT_EQ(GetParent(late.hWnd()), w.hWnd());
    }
    EXPECT_EQ(w.controls().size(), 4u);  // the late label left the list
    w.Unload();
}

// ---- popup menu -----------------------------------------------------------------------------------

namespace {

// Runs inside the menu's own loop, which reads the keys from this thread's queue: Down, Down, Return
// picks the second item.
void CALLBACK chooseSecondItem(HWND hwnd, UINT, UINT_PTR id, DWORD) {
    KillTimer(hwnd, id);
    for (WPARAM vk : {WPARAM(VK_DOWN), WPARAM(VK_DOWN), WPARAM(VK_RETURN)}) {
        PostMessageW(hwnd, WM_KEYDOWN, vk, 1);
        PostMessageW(hwnd, WM_KEYUP, vk, 0xC0000001);
    }
}

// Never leaves a test hanging in an open menu.
void CALLBACK closeMenu(HWND hwnd, UINT, UINT_PTR id, DWORD) {
    KillTimer(hwnd, id);
    EndMenu();
}

}  // namespace

TEST(PopupMenu, ReturnsTheChosenItemAndRunsIt) {
    Window w;
    w.Show();
    PopupMenu menu("PopUp");
    bool exitRan = false, showRan = false;
    int showId = menu.addItem("&Quillstack Main Window", [&] { showRan = true; });
    int exitId = menu.addItem("&Exit Quillstack", [&] { exitRan = true; });
    EXPECT_EQ(showId, 1);
    EXPECT_EQ(exitId, 2);
    // Chooses the second item from inside the menu's own loop, by keyboard.
    SetTimer(w.hWnd(), 77, 100, &chooseSecondItem);
    SetTimer(w.hWnd(), 78, 5000, &closeMenu);
    int chosen = menu.show(w.hWnd());
    KillTimer(w.hWnd(), 78);
    EXPECT_EQ(chosen, exitId);
    EXPECT_TRUE(exitRan);
    EXPECT_FALSE(showRan);
    w.Unload();
}

// ---- scroll bar -----------------------------------------------------------------------------------

TEST(ScrollBar, ValueStaysInRangeAndChangeFollowsEveryMove) {
    Window w;
    int changes = 0, scrolls = 0;
    w.dt1.onChange = [&] { ++changes; };
    w.dt1.onScroll = [&] { ++scrolls; };
    w.dt1.Min(1);
    w.dt1.Max(2);  // a list without records
    EXPECT_EQ(w.dt1.Value(), 1);
    changes = 0;
    w.dt1.Max(9);
    w.dt1.SmallChange(1);
    w.dt1.LargeChange(1);
    w.dt1.Value(5);
    EXPECT_EQ(changes, 1);
    w.dt1.Value(5);
    EXPECT_EQ(changes, 1);  // no change, no event
    w.dt1.Value(50);
    EXPECT_EQ(w.dt1.Value(), 9);
    w.dt1.Value(-3);
    EXPECT_EQ(w.dt1.Value(), 1);
    EXPECT_EQ(changes, 3);
    w.dt1.Value(9);
    w.dt1.Max(2);  // another list redrawn with fewer rows: the value follows the range
    EXPECT_EQ(w.dt1.Value(), 2);
    EXPECT_EQ(changes, 5);
    EXPECT_EQ(scrolls, 0);
}

TEST(ScrollBar, MaxBelowMinStillBoundsTheValue) {
    // A page shorter than its viewport gives a maximum below the minimum of 1.
    Window w;
    w.dt1.Min(1);
    w.dt1.Max(-200);
    EXPECT_GE(w.dt1.Value(), -200);
    EXPECT_LE(w.dt1.Value(), 1);
    w.dt1.Value(100);
    EXPECT_EQ(w.dt1.Value(), 1);
    w.dt1.Value(-1000);
    EXPECT_EQ(w.dt1.Value(), -200);
}

TEST(ScrollBar, ArrowsTrackAndThumbDrag) {
    Window w;
    w.dt1.Min(1);
    w.dt1.Max(100);
    w.dt1.SmallChange(1);
    w.dt1.LargeChange(10);
    w.dt1.Value(1);
    int changes = 0, scrolls = 0;
    w.dt1.onChange = [&] { ++changes; };
    w.dt1.onScroll = [&] { ++scrolls; };
    w.Show();
    HWND sb = w.dt1.hWnd();
    RECT track = w.dt1.trackRect();
    RECT client;
    GetClientRect(sb, &client);

    // Down arrow, then up arrow.
    SendMessageW(sb, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, client.bottom - 2));
    SendMessageW(sb, WM_LBUTTONUP, 0, MAKELPARAM(5, client.bottom - 2));
    EXPECT_EQ(w.dt1.Value(), 2);
    SendMessageW(sb, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 2));
    SendMessageW(sb, WM_LBUTTONUP, 0, MAKELPARAM(5, 2));
    EXPECT_EQ(w.dt1.Value(), 1);
    SendMessageW(sb, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 2));  // already at Min: no event
    SendMessageW(sb, WM_LBUTTONUP, 0, MAKELPARAM(5, 2));
    EXPECT_EQ(changes, 2);

    // A click in the track below the thumb pages down.
    SendMessageW(sb, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, track.bottom - 3));
    SendMessageW(sb, WM_LBUTTONUP, 0, MAKELPARAM(5, track.bottom - 3));
    EXPECT_EQ(w.dt1.Value(), 11);
    EXPECT_EQ(changes, 3);

    // Thumb drag: Scroll while moving, one Change when let go; the end of the track is Max.
    RECT thumb = w.dt1.thumbRect();
    int grab = (thumb.top + thumb.bottom) / 2;
    SendMessageW(sb, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, grab));
    SendMessageW(sb, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(5, grab + 20));
    SendMessageW(sb, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(5, grab + 2000));
    EXPECT_EQ(w.dt1.Value(), 100);
    EXPECT_EQ(scrolls, 2);
    EXPECT_EQ(changes, 3);
    SendMessageW(sb, WM_LBUTTONUP, 0, MAKELPARAM(5, grab + 2000));
    EXPECT_EQ(changes, 4);
    RECT end = w.dt1.thumbRect();
    EXPECT_EQ(end.bottom, track.bottom);
    w.Unload();
}

TEST(ScrollBar, FractionalStepsRoundToWholeSteps) {
    Window w;
    w.dt1.Min(1);
    w.dt1.Max(4000);
    w.dt1.SmallChange(3.2f);  // the help page's length in viewports
    w.dt1.LargeChange(1);
    w.dt1.Arrows(true);
    w.Load();
    RECT client;
    GetClientRect(w.dt1.hWnd(), &client);
    SendMessageW(w.dt1.hWnd(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, client.bottom - 2));
    SendMessageW(w.dt1.hWnd(), WM_LBUTTONUP, 0, MAKELPARAM(5, client.bottom - 2));
    EXPECT_EQ(w.dt1.Value(), 4);
    w.Unload();
}

// ---- dialogs --------------------------------------------------------------------------------------

TEST(CommonDialog, PassesItsSettingsAndTakesTheAnswer) {
    FakeServices fake;
    Window options;
    options.Load();
    qs::controls::CommonDialog CD1(options);
    CD1.FileName = "";
    CD1.DialogTitle = "Load Database:";
    CD1.InitDir = "C:\\Program Files\\Quillstack";
    CD1.Filter = "Databases (*.mdb)|*.mdb";
    fake.openAnswer = "C:\\data\\other.mdb";
    CD1.ShowOpen();
    EXPECT_EQ(CD1.FileName, "C:\\data\\other.mdb");
    ASSERT_EQ(fake.opens.size(), 1u);
    EXPECT_EQ(fake.opens[0].owner, options.hWnd());
    EXPECT_EQ(fake.opens[0].title, "Load Database:");
    EXPECT_EQ(fake.opens[0].initDir, "C:\\Program Files\\Quillstack");
    EXPECT_EQ(fake.opens[0].filter, "Databases (*.mdb)|*.mdb");
    EXPECT_EQ(fake.opens[0].fileName, "");

    // A cancelled save dialog leaves the name empty, whatever it held before.
    CD1.DialogTitle = "Save Database As:";
    CD1.ShowSave();
    EXPECT_EQ(CD1.FileName, "");
    ASSERT_EQ(fake.saves.size(), 1u);
    EXPECT_EQ(fake.saves[0].title, "Save Database As:");
    EXPECT_EQ(fake.saves[0].fileName, "C:\\data\\other.mdb");
    options.Unload();
}

TEST(FolderBrowser, ShowIsTrueOnlyWhenAFolderWasChosen) {
    FakeServices fake;
    Window import;
    import.Load();
    qs::controls::FolderBrowser picker(import);
    picker.Prompt = "Select Folder To Import URLs From:";
    picker.RootFolder = "My Computer";
    picker.StartFolder = "My Computer";
    fake.folderAnswer = "C:\\links";
    EXPECT_TRUE(picker.Show());
    EXPECT_EQ(picker.Path(), "C:\\links");
    ASSERT_EQ(fake.browses.size(), 1u);
    EXPECT_EQ(fake.browses[0].first, import.hWnd());
    EXPECT_EQ(fake.browses[0].second, "Select Folder To Import URLs From:");
    fake.folderAnswer = "";
    EXPECT_FALSE(picker.Show());
    EXPECT_EQ(picker.Path(), "");
    import.Unload();
}

TEST(TextBox, EachBoxPaintsItsOwnColours) {
    Window w;
    TextBox second(w, 4500, 90, 900, 285, "");  // clear of the page, which would lie over it
    second.BackColor(RGB(0, 64, 32));
    w.Show();
    w.Text1.Refresh();
    second.Refresh();
    auto pixel = [](HWND h) {
        HDC dc = GetDC(h);
        RECT r;
        GetClientRect(h, &r);
        COLORREF c = GetPixel(dc, r.right - 3, r.bottom / 2);
        ReleaseDC(h, dc);
        return c;
    };
    EXPECT_EQ(pixel(w.Text1.hWnd()), skin::kWell);
    EXPECT_EQ(pixel(second.hWnd()), RGB(0, 64, 32));
    w.Unload();
}

// ---- faults in handlers ---------------------------------------------------------------------------

TEST(HandlerFaults, EachKindOfWindowGoesOnAfterItsHandlerThrows) {
    std::vector<std::string> errors;
    setHandlerErrorReporter([&](const std::string& what) { errors.push_back(what); });
    struct PaintFails : Window {
        void Form_Paint() override { throw std::runtime_error("form"); }
    } w;
    qs::controls::FlexGrid grid{w, 300, 1500, 3000, 1500};
    w.Show();
    grid.Rows(6);
    w.Text1.onGotFocus = [] { throw std::runtime_error("text box"); };
    w.dt1.Max(10);
    w.dt1.onChange = [] { throw std::runtime_error("scroll bar"); };
    grid.onSelChange = [] { throw std::runtime_error("grid"); };

    pumpPending();
    RECT dirty;
    EXPECT_FALSE(GetUpdateRect(w.hWnd(), &dirty, FALSE));  // the failed paint still ended
    grid.SetFocus();
    w.Text1.SetFocus();
    SendMessageW(w.Text1.hWnd(), WM_CHAR, 'x', 1);
    EXPECT_EQ(w.Text1.Text(), "x");
    RECT client;
    GetClientRect(w.dt1.hWnd(), &client);
    for (int click = 0; click < 2; ++click) {
        SendMessageW(w.dt1.hWnd(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, client.bottom - 2));
        SendMessageW(w.dt1.hWnd(), WM_LBUTTONUP, 0, MAKELPARAM(5, client.bottom - 2));
        SendMessageW(grid.hWnd(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(20, 40 + 16 * click));
        SendMessageW(grid.hWnd(), WM_LBUTTONUP, 0, MAKELPARAM(20, 40 + 16 * click));
    }
    EXPECT_EQ(w.dt1.Value(), 2);
    EXPECT_EQ(grid.Row(), 3);
    for (const char* what : {"form", "text box", "scroll bar", "grid"})
        EXPECT_NE(std::find(errors.begin(), errors.end(), what), errors.end()) << what;

    PostMessageW(w.hWnd(), WM_CLOSE, 0, 0);
    EXPECT_TRUE(pumpUntil([&] { return !w.Loaded(); }));
    setHandlerErrorReporter(nullptr);
}
