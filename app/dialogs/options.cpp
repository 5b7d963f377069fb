#include "app/dialogs/options.h"

#include "app/globals.h"
#include "platform/runtime/convert.h"
#include "platform/runtime/errors.h"
#include "platform/runtime/settings.h"

namespace qs::app {

namespace {

constexpr char kApp[] = "Quillstack";
constexpr char kSection[] = "Settings";

constexpr int kWidth = 3930, kHeight = 4005;
constexpr int kCheckWidth = 240, kCheckHeight = 195;
constexpr int kButtonWidth = 1500, kButtonHeight = 300;

// A rectangle given in twips, in client pixels.
RECT pixels(int left, int top, int width, int height) {
    return RECT{forms::toPixels(left), forms::toPixels(top), forms::toPixels(left + width),
                forms::toPixels(top + height)};
}

}  // namespace

Options::Options()
    : Image1(*this, 3480, 90, 285, 255, forms::Face{"", forms::Glyph::Close}),
      Text1(*this, 1290, 855, 900, 285),
      Image2(*this, 870, 1710, kCheckWidth, kCheckHeight, forms::Face{"", forms::Glyph::CheckEmpty},
             forms::Face{"", forms::Glyph::CheckTicked}),
      Image3(*this, 2820, 1695, kCheckWidth, kCheckHeight, forms::Face{"", forms::Glyph::CheckEmpty},
             forms::Face{"", forms::Glyph::CheckTicked}),
      Image4(*this, 285, 3060, kButtonWidth, kButtonHeight, forms::Face{"New"}),
      Image5(*this, 2130, 3060, kButtonWidth, kButtonHeight, forms::Face{"Load"}),
      Image6(*this, 285, 3465, kButtonWidth, kButtonHeight, forms::Face{"Save As"}),
      Image7(*this, 2130, 3465, kButtonWidth, kButtonHeight, forms::Face{"Compact"}),
      CD1(*this) {
    KeyPreview = true;  // Esc also closes while the days box has the focus
    Caption("Options");
    setClientSize(kWidth, kHeight);

    Image1.onMouseDown = [this](int, int, int, float, float) { Image1.showPressed(); };
    Image1.onMouseUp = [this](int, int, int, float, float) {
        Image1.showNormal();
        Unload();
    };
    // The check boxes act as the mouse goes down, with any button; they have no mouse-up.
    Image2.onMouseDown = [this](int i, int b, int s, float x, float y) { Image2_MouseDown(i, b, s, x, y); };
    Image3.onMouseDown = [this](int i, int b, int s, float x, float y) { Image3_MouseDown(i, b, s, x, y); };
    Text1.onChange = [this] { Text1_Change(); };
    for (forms::PictureButton* b : {&Image4, &Image5, &Image6, &Image7})
        b->onMouseDown = [b](int, int, int, float, float) { b->showPressed(); };
    Image4.onMouseUp = [this](int i, int b, int s, float x, float y) { Image4_MouseUp(i, b, s, x, y); };
    Image5.onMouseUp = [this](int i, int b, int s, float x, float y) { Image5_MouseUp(i, b, s, x, y); };
    Image6.onMouseUp = [this](int i, int b, int s, float x, float y) { Image6_MouseUp(i, b, s, x, y); };
    Image7.onMouseUp = [this](int i, int b, int s, float x, float y) { Image7_MouseUp(i, b, s, x, y); };
}

void Options::Form_Load() {
    if (stayOnTop) setTopmost(true);
}

void Options::Form_Paint() {
    showChoice();
    Text1.Text(rt::Str(int(timelimit)));
}

void Options::showChoice() {
    Image2.Visible(0, openexplorer);
    Image2.Visible(1, !openexplorer);
    Image3.Visible(0, !openexplorer);
    Image3.Visible(1, openexplorer);
}

// Esc closes; every other key, Enter too, is left to the control.
void Options::Form_KeyDown(int& keyCode, int) {
    if (keyCode == VK_ESCAPE) Unload();
}

void Options::Image2_MouseDown(int, int, int, float, float) {
    openexplorer = false;
    showChoice();
    rt::SaveSetting(kApp, kSection, "openexplorer", "False");
}

void Options::Image3_MouseDown(int, int, int, float, float) {
    openexplorer = true;
    showChoice();
    rt::SaveSetting(kApp, kSection, "openexplorer", "True");
}

void Options::Text1_Change() {
    // A text that is no 16-bit number (an emptied box, letters, 40000) keeps the last valid value; the
    // next repaint shows it again.
    int16_t days;
    try {
        days = rt::CInt(Text1.Text());
    } catch (const rt::Error&) {
        return;
    }
    timelimit = days;
    rt::SaveSetting(kApp, kSection, "timelimit", rt::Str(int(timelimit)));
}

void Options::drawSkin(HDC hdc, const RECT& client) {
    Form::drawSkin(hdc, client);
    namespace skin = forms::skin;
    skin::drawTitle(hdc, client, "Options");
    const forms::Font& heading = skin::captionFont();
    const forms::Font plain{"Tahoma", 8.25};
    const UINT centred = DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX;
    const UINT wrapped = DT_CENTER | DT_TOP | DT_WORDBREAK | DT_NOPREFIX;

    skin::drawText(hdc, pixels(0, 540, kWidth, 255), "Delete Records For Files Older Than:", skin::kText, heading,
                   centred);
    skin::drawText(hdc, pixels(2280, 855, 700, 285), "Days", skin::kText, heading);
    skin::drawText(hdc, pixels(0, 1365, kWidth, 255), "Double-Clicking Records:", skin::kText, heading, centred);
    skin::drawText(hdc, pixels(30, 1950, 1920, 600), "Opens File With Associated Program", skin::kText, plain, wrapped);
    skin::drawText(hdc, pixels(1980, 1950, 1920, 600), "Opens Explorer With File Selected", skin::kText, plain,
                   wrapped);
    const RECT rule = pixels(285, 2610, kWidth - 570, 15);
    skin::fillSolid(hdc, RECT{rule.left, rule.top, rule.right, rule.top + 1}, skin::kFrameOuter);
    skin::drawText(hdc, pixels(0, 2700, kWidth, 255), "Database Utilities", skin::kTextBright, heading, centred);
}

}  // namespace qs::app
