#pragma once
// The phone entry box: the name and the info of a Phone entry. Ok, Enter in the info box or Cancel
// closes it and sets phoneNameResult and phoneInfoResult (both empty after Cancel, or after a close by
// the system, so the opener stores nothing).
#include <windows.h>

#include <string>

#include "platform/forms/form.h"

namespace qs::app {

class Form1 : public forms::Form {
public:
    Form1();

    void Form_Load() override;
    void Form_Unload(int& cancel) override;
    void Image1_MouseDown(int index, int button, int shift, float x, float y);
    void Image1_MouseUp(int index, int button, int shift, float x, float y);
    void Image2_MouseDown(int index, int button, int shift, float x, float y);
    void Image2_MouseUp(int index, int button, int shift, float x, float y);
    void Text2_KeyDown(int& keyCode, int shift);

    // True once Ok, Enter or Cancel has set the results in this use of the box.
    bool answered() const { return answered_; }

    forms::TextBox Text1;         // name
    forms::TextBox Text2;         // info
    forms::PictureButton Image1;  // Ok
    forms::PictureButton Image2;  // Cancel

protected:
    void drawSkin(HDC hdc, const RECT& client) override;

private:
    void takeEntry();

    bool answered_ = false;  // Ok, Enter or Cancel has set the results
};

// Shows the phone entry box modal over `owner` (a form of ours; the active window otherwise), filled
// with `name` and `info`. True when it returned a name and an info that are both non-empty: they are
// then in `name` and `info`, upper case, ready to store. False otherwise, with both unchanged.
bool editPhoneEntry(HWND owner, std::string& name, std::string& info);

}  // namespace qs::app
