#include "platform/controls/commondialog.h"

namespace qs::controls {

void CommonDialog::ShowOpen() { FileName.clear(); }
void CommonDialog::ShowSave() { FileName.clear(); }
HWND CommonDialog::owner() const { return hWndOwner; }

} // namespace qs::controls
