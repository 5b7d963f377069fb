#pragma once
// The Options window as far as the main window needs it now: opened modal by the database error paths,
// it can only be closed (its Close button, Esc or Enter).
#include "platform/forms/form.h"

namespace qs::app {

class Options : public forms::Form {
 public:
  Options();
  void Form_Load() override;
  void Form_KeyDown(int& keyCode, int shift) override;

  forms::Label Label1;
  forms::PictureButton Image1;  // Close

 protected:
  void drawSkin(HDC hdc, const RECT& client) override;
};

// Opens Options modal with `owner` as its owner and returns when it has closed.
void showOptions(forms::Form* owner);

}  // namespace qs::app
