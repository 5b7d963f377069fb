#include "app/options.h"

#include "app/globals.h"

namespace qs::app {

Options::Options()
    : Label1(*this, 240, 600, 4320, 900, "Database tools will be here."),
      Image1(*this, 2985, 1650, 1590, 345, forms::Face{"Close"}) {
  KeyPreview = true;
  Caption("Options");
  setClientSize(4815, 2250);
  Image1.onMouseDown = [this](int, int, int, float, float) {
    Image1.Visible(0, false);
    Image1.Visible(1, true);
  };
  Image1.onMouseUp = [this](int, int, int, float, float) {
    Image1.Visible(0, true);
    Image1.Visible(1, false);
    Unload();
  };
}

void Options::Form_Load() {
  if (stayOnTop) setTopmost(true);
}

void Options::Form_KeyDown(int& keyCode, int) {
  if (keyCode == VK_ESCAPE || keyCode == VK_RETURN) Unload();
}

void Options::drawSkin(HDC hdc, const RECT& client) {
  Form::drawSkin(hdc, client);
  forms::skin::drawTitle(hdc, client, "Options");
}

void showOptions(forms::Form* owner) {
  Options options;
  options.ShowModal(owner);
}

}  // namespace qs::app
