#pragma once
// The table editor: opened modal over `owner` on the table that `editorSQL` selects.
#include <windows.h>

namespace qs::app {

void showForm6(HWND owner);

}  // namespace qs::app
