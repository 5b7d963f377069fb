#include "app/pending_windows.h"

namespace qs::app {

void showForm2(HWND) {}
void showForm5(HWND) {}
void showInfo(forms::Form*) {}

}  // namespace qs::app
