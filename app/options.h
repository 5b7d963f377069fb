#pragma once
// How the main window opens the Options window (app/dialogs/options.h).
#include "app/dialogs/options.h"

namespace qs::app {

// Opens Options modal with `owner` as its owner and returns when it has closed.
void showOptions(forms::Form* owner);

}  // namespace qs::app
