#include "app/entry/keywords.h"

#include "app/globals.h"
#include "platform/db/db.h"
#include "platform/runtime/services.h"
#include "platform/runtime/text.h"

namespace qs::app {

namespace {

constexpr char kTooLong[] = "255 characters is the maximum size allowed for keywords";

bool isHighSurrogate(wchar_t u) { return u >= 0xD800 && u <= 0xDBFF; }

}  // namespace

std::size_t utf16Units(const std::string& text) { return rt::widen(text).size(); }

std::string cutToUnits(const std::string& text, std::size_t units) {
    std::wstring wide = rt::widen(text);
    if (wide.size() <= units) return text;
    std::size_t keep = units;
    if (keep > 0 && isHighSurrogate(wide[keep - 1])) --keep;
    wide.resize(keep);
    return rt::narrow(wide);
}

Form3::Form3() : Text1(*this, 90, 360, 4380, 270) {
    setClientSize(4560, 705);
    Text1.onKeyDown = [this](int& keyCode, int shift) { Text1_KeyDown(keyCode, shift); };
}

void Form3::Text1_KeyDown(int& keyCode, int) {
    if (keyCode != VK_RETURN) return;
    std::string text = Text1.Text();
    if (utf16Units(text) > std::size_t(db::kMaxTextLength)) {
        rt::services().msgBox(kTooLong, MB_OK, "");
        text = cutToUnits(text, db::kMaxTextLength);
        Text1.Text(text);
    }
    keywordsResult = text;
    closedByEnter_ = true;
    Unload();
}

void Form3::drawSkin(HDC hdc, const RECT& client) {
    Form::drawSkin(hdc, client);
    RECT line{client.left + 8, client.top + 3, client.right - 8, client.top + 21};
    forms::skin::drawText(hdc, line, "Edit Keywords:", forms::skin::kTextBright, forms::skin::captionFont());
    forms::skin::drawText(hdc, line, "Press 'Return' To Exit", forms::skin::kTextDim, forms::skin::captionFont(),
                          DT_RIGHT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
}

bool editKeywords(HWND owner, std::string& keywords) {
    Form3 box;
    box.Text1.Text(keywords);
    box.ShowModal(forms::Form::fromHwnd(owner));
    // keywordsResult may still hold an earlier use's text: only this box's Enter counts.
    if (!box.closedByEnter()) return false;
    keywords = rt::UCase(keywordsResult);
    return true;
}

}  // namespace qs::app
