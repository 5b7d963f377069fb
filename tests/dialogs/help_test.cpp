// The help window on the real main window: the page at the scroll bar's ends, the figures as a user
// sees them on screen, and the About button.
#include <gtest/gtest.h>

#include <set>

#include "app/dialogs/form4.h"
#include "app/dialogs/form5.h"
#include "app/dialogs/helpfigures.h"
#include "app/globals.h"
#include "tests/app/app_support.h"
#include "tests/support/pump.h"

using namespace qs;
using namespace qs::test;

namespace {

RECT screenRect(HWND hwnd) {
    RECT r;
    GetWindowRect(hwnd, &r);
    return r;
}

bool inside(const RECT& inner, const RECT& outer) {
    return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
           inner.bottom <= outer.bottom;
}

// The pixels the screen shows in `r`, as 0x00RRGGBB.
std::vector<uint32_t> screenPixels(const RECT& r) {
    const int w = r.right - r.left, h = r.bottom - r.top;
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = -h;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HDC screen = GetDC(nullptr);
    HBITMAP dib = CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    HDC mem = CreateCompatibleDC(screen);
    HGDIOBJ old = SelectObject(mem, dib);
    BitBlt(mem, 0, 0, w, h, screen, r.left, r.top, SRCCOPY);
    GdiFlush();
    std::vector<uint32_t> out(static_cast<uint32_t*>(bits), static_cast<uint32_t*>(bits) + size_t(w) * h);
    SelectObject(mem, old);
    DeleteDC(mem);
    DeleteObject(dib);
    ReleaseDC(nullptr, screen);
    for (uint32_t& p : out) p &= 0xFFFFFF;
    return out;
}

class Help : public ::testing::Test {
protected:
    MainWindowRun run{"help"};
    void SetUp() override { ASSERT_TRUE(run.start()); }
};

app::Form4* aboutSeen = nullptr;
HWND aboutOwner = nullptr;
void CALLBACK closeAbout(HWND, UINT, UINT_PTR id, DWORD) {
    if (auto* about = dynamic_cast<app::Form4*>(forms::Form::fromHwnd(GetActiveWindow()))) {
        KillTimer(nullptr, id);
        aboutSeen = about;
        aboutOwner = GetWindow(about->hWnd(), GW_OWNER);
        about->Image2_MouseUp(0, 1, 0, 0, 0);
    }
}

}  // namespace

TEST_F(Help, ThePageOpensAtItsFirstSectionAndTheMaximumShowsTheEndOfTheLast) {
    app::Form5 help;
    help.Show();
    ASSERT_EQ(help.labelCount(), 36);
    const RECT viewport = screenRect(help.Picture1.hWnd());
    forms::Label& first = help.label(1);
    EXPECT_EQ(first.Caption(), "QUILLSTACK");
    forms::Label& last = help.label(36);
    EXPECT_EQ(last.Caption(), "Pressing F1 or clicking the help button opens this help window.");
    EXPECT_EQ(help.dt1.Min(), 1);
    EXPECT_EQ(help.dt1.Value(), 1);
    EXPECT_EQ(help.Picture2.Top(), 0);
    EXPECT_TRUE(inside(screenRect(first.hWnd()), viewport));
    EXPECT_TRUE(inside(screenRect(help.label(2).hWnd()), viewport));
    EXPECT_GE(screenRect(last.hWnd()).top, viewport.bottom);

    help.dt1.Value(help.dt1.Max());
    EXPECT_EQ(help.Picture2.Top(), help.Picture1.Height() - help.Picture2.Height());
    EXPECT_EQ(screenRect(help.Picture2.hWnd()).bottom, viewport.bottom);
    EXPECT_TRUE(inside(screenRect(last.hWnd()), viewport));
    EXPECT_LE(screenRect(first.hWnd()).bottom, viewport.top);
}

TEST_F(Help, EachFigureShowsThePieceOfTheMainWindowWithThePartCircled) {
    app::Form5 help;
    help.Show();
    SetForegroundWindow(help.hWnd());
    for (int n = 1; n <= 8; ++n) {
        forms::PictureBox& picture = help.figure(n);
        help.dt1.Value(picture.Top() - 60);
        pumpFor(200);
        const RECT r = screenRect(picture.hWnd());
        ASSERT_TRUE(inside(r, screenRect(help.Picture1.hWnd()))) << "figure " << n;
        const std::vector<uint32_t> pixels = screenPixels(r);
        const uint32_t circle = (GetRValue(app::kFigureCircle) << 16) | (GetGValue(app::kFigureCircle) << 8) |
                                GetBValue(app::kFigureCircle);
        EXPECT_GT(std::count(pixels.begin(), pixels.end(), circle), 40) << "figure " << n;
        // A picture, not a flat fill: the drawn menu of figure 3 has the fewest colours, its text being crisp.
        EXPECT_GT(std::set<uint32_t>(pixels.begin(), pixels.end()).size(), 5u) << "figure " << n;
        if (n != app::figContextMenu) {
            EXPECT_NE(app::figureControl(*run.w, n), nullptr) << "figure " << n;
        }
    }
}

TEST_F(Help, AboutOpensOverTheHelpWindowWhichStaysOpen) {
    app::stayOnTop = true;
    app::Form5 help;
    help.Show();
    EXPECT_TRUE(help.topmost());
    SetTimer(nullptr, 0, 30, closeAbout);
    help.Image10_MouseDown(0, 1, 0, 0, 0);
    help.Image10_MouseUp(0, 1, 0, 0, 0);
    EXPECT_NE(aboutSeen, nullptr);
    EXPECT_EQ(aboutOwner, help.hWnd());
    EXPECT_TRUE(help.Loaded());
    EXPECT_TRUE(help.Image10.elementVisible(0));
    help.Image8_MouseUp(0, 1, 0, 0, 0);
    EXPECT_FALSE(help.Loaded());
}
