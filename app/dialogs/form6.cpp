#include "app/dialogs/form6.h"

namespace qs::app {

// The editor is not built yet: the buttons that open it do nothing more.
void showForm6(HWND) {}

}  // namespace qs::app
