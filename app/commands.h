#pragma once
// The main window's commands: what its picture buttons do when released and the row commands they share
// with the grids and keys (Quillstack1's ImageN_MouseUp handlers and the commands are defined in
// app/commands.cpp), and the faces every button shows.
#include <string>

#include "platform/forms/controls.h"

namespace qs::app {

// Element 1 (the pressed picture) alone, from the mouse going down until its release.
void showPressed(forms::PictureButton& button);
// Element 0 (the normal picture) alone: a button at rest.
void showNormal(forms::PictureButton& button);

}  // namespace qs::app
