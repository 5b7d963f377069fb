#include "app/entry/phoneentry.h"

#include "app/globals.h"
#include "platform/runtime/text.h"

namespace qs::app {

namespace {

// Places in twips.
constexpr int kBoxLeft = 840, kBoxWidth = 3045, kBoxHeight = 270;
constexpr int kNameTop = 525, kInfoTop = 915;
constexpr int kButtonTop = 1335, kButtonWidth = 900, kButtonHeight = 345;

void showFace(forms::PictureButton& b, int element) {
    b.Visible(element == 0 ? 1 : 0, false);
    b.Visible(element, true);
}

}  // namespace

Form1::Form1()
    : Text1(*this, kBoxLeft, kNameTop, kBoxWidth, kBoxHeight),
      Text2(*this, kBoxLeft, kInfoTop, kBoxWidth, kBoxHeight),
      Image1(*this, 1995, kButtonTop, kButtonWidth, kButtonHeight, forms::Face{"Ok"}),
      Image2(*this, 2985, kButtonTop, kButtonWidth, kButtonHeight, forms::Face{"Cancel"}) {
    Caption("Form1");
    setClientSize(4005, 1770);
    Image1.onMouseDown = [this](int i, int b, int s, float x, float y) { Image1_MouseDown(i, b, s, x, y); };
    Image1.onMouseUp = [this](int i, int b, int s, float x, float y) { Image1_MouseUp(i, b, s, x, y); };
    Image2.onMouseDown = [this](int i, int b, int s, float x, float y) { Image2_MouseDown(i, b, s, x, y); };
    Image2.onMouseUp = [this](int i, int b, int s, float x, float y) { Image2_MouseUp(i, b, s, x, y); };
    Text2.onKeyDown = [this](int& keyCode, int shift) { Text2_KeyDown(keyCode, shift); };
}

void Form1::Form_Load() {
    if (stayOnTop) setTopmost(true);
}

void Form1::takeEntry() {
    phoneNameResult = rt::UCase(Text1.Text());
    phoneInfoResult = rt::UCase(Text2.Text());
    answered_ = true;
    Unload();
}

// Ok and Cancel act as the button goes down.
void Form1::Image1_MouseDown(int, int, int, float, float) {
    showFace(Image1, 1);
    takeEntry();
}

void Form1::Image1_MouseUp(int, int, int, float, float) { showFace(Image1, 0); }

void Form1::Image2_MouseDown(int, int, int, float, float) {
    showFace(Image2, 1);
    phoneNameResult.clear();
    phoneInfoResult.clear();
    answered_ = true;
    Unload();
}

void Form1::Image2_MouseUp(int, int, int, float, float) { showFace(Image2, 0); }

void Form1::Text2_KeyDown(int& keyCode, int) {
    if (keyCode == VK_RETURN) takeEntry();
}

void Form1::Form_Unload(int&) {
    // Closed by the system: as Cancel, so that no earlier result is stored.
    if (answered_) return;
    phoneNameResult.clear();
    phoneInfoResult.clear();
}

void Form1::drawSkin(HDC hdc, const RECT& client) {
    Form::drawSkin(hdc, client);
    forms::skin::drawTitle(hdc, client, "Edit Record");
    auto label = [&](int topTwips, const char* text) {
        const int top = forms::toPixels(topTwips);
        RECT r{client.left + 8, top, forms::toPixels(kBoxLeft) - 4, top + forms::toPixels(kBoxHeight)};
        forms::skin::drawText(hdc, r, text, forms::skin::kText, forms::skin::captionFont());
    };
    label(kNameTop, "Name:");
    label(kInfoTop, "Info:");
}

bool editPhoneEntry(HWND owner, std::string& name, std::string& info) {
    Form1 box;
    box.Text1.Text(name);
    box.Text2.Text(info);
    box.ShowModal(forms::Form::fromHwnd(owner));
    if (!box.answered() || phoneNameResult.empty() || phoneInfoResult.empty()) return false;
    name = phoneNameResult;
    info = phoneInfoResult;
    return true;
}

}  // namespace qs::app
