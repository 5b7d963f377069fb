#pragma once
// The keywords box: edits a favourite's keywords. Enter is its only way out that hands a result back
// (through keywordsResult); any other close leaves the keywords as they were.
#include <windows.h>

#include <string>

#include "platform/forms/form.h"

namespace qs::app {

class Form3 : public forms::Form {
public:
    Form3();

    void Text1_KeyDown(int& keyCode, int shift);

    // True once Enter has set keywordsResult in this use of the box.
    bool closedByEnter() const { return closedByEnter_; }

    forms::TextBox Text1;

protected:
    void drawSkin(HDC hdc, const RECT& client) override;

private:
    bool closedByEnter_ = false;
};

// `text` cut to at most `units` UTF-16 units, the way the engine counts a Text field; a character made
// of a surrogate pair is never split (it goes whole when it does not fit).
std::string cutToUnits(const std::string& text, std::size_t units);
// The length of `text` in UTF-16 units.
std::size_t utf16Units(const std::string& text);

// Shows the keywords box modal over `owner` (a form of ours; the active window otherwise), filled with
// `keywords`. True when the user closed it with Enter: `keywords` is then the upper case of what the
// box returned, ready to store. False for any other close, with `keywords` unchanged.
bool editKeywords(HWND owner, std::string& keywords);

}  // namespace qs::app
