#pragma once
// The program's icon, drawn at run time (the window's icon and the tray's).
#include <windows.h>

namespace qs::app {

// A new icon of size x size pixels; the caller destroys it. nullptr when GDI refuses.
HICON makeAppIcon(int size);

}  // namespace qs::app
