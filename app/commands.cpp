#include "app/commands.h"

#include <utility>

#include "app/declares.h"
#include "app/globals.h"
#include "app/options.h"
#include "app/quillstack1.h"

namespace qs::app {

void showPressed(forms::PictureButton& button) {
  button.Visible(0, false);
  button.Visible(1, true);
}

void showNormal(forms::PictureButton& button) {
  button.Visible(0, true);
  button.Visible(1, false);
}

// Every button shows its pressed face from mouse-down to release; on release it shows its normal face
// again and acts (the handlers below say when a button differs).
void Quillstack1::wireButtons() {
  forms::PictureButton* all[] = {&Image1, &Image2,  &Image3,  &Image4,  &Image5,  &Image6,  &Image7,  &Image8,
                                 &Image9, &Image10, &Image11, &Image12, &Image13, &Image14, &Image15, &Image16};
  for (forms::PictureButton* b : all) {
    b->onMouseDown = [b](int, int, int, float, float) { showPressed(*b); };
    b->onMouseUp = [b](int, int, int, float, float) { showNormal(*b); };
  }
  using Handler = void (Quillstack1::*)(int, int, int, float, float);
  const std::pair<forms::PictureButton*, Handler> handlers[] = {
      {&Image3, &Quillstack1::Image3_MouseUp},   {&Image5, &Quillstack1::Image5_MouseUp},
      {&Image6, &Quillstack1::Image6_MouseUp},   {&Image7, &Quillstack1::Image7_MouseUp},
      {&Image8, &Quillstack1::Image8_MouseUp},   {&Image12, &Quillstack1::Image12_MouseUp},
      {&Image13, &Quillstack1::Image13_MouseUp}, {&Image14, &Quillstack1::Image14_MouseUp},
  };
  for (const auto& [button, handler] : handlers) {
    button->onMouseUp = [this, handler](int index, int b, int shift, float x, float y) {
      (this->*handler)(index, b, shift, x, y);
    };
  }
}

void Quillstack1::hideToTray() {
  addTrayIcon();
  Hide();
}

void Quillstack1::Image3_MouseUp(int, int, int, float, float) {
  showNormal(Image3);
  hideToTray();
}

void Quillstack1::Image6_MouseUp(int, int, int, float, float) {
  showNormal(Image6);
  hideToTray();
}

// Options shows pressed for as long as it is open.
void Quillstack1::Image5_MouseUp(int, int, int, float, float) {
  showOptions(this);
  showNormal(Image5);
}

// The stay-on-top pair shares one place: the pressed button hides itself and shows the other one.
void Quillstack1::Image8_MouseUp(int, int, int, float, float) { setStayOnTop(true); }
void Quillstack1::Image7_MouseUp(int, int, int, float, float) { setStayOnTop(false); }

void Quillstack1::setStayOnTop(bool on) {
  forms::PictureButton& pressed = on ? Image8 : Image7;
  forms::PictureButton& other = on ? Image7 : Image8;
  pressed.Visible(false);
  stayOnTop = on;
  setTopmost(on);
  showNormal(other);
}

}  // namespace qs::app
