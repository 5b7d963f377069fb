#include "platform/controls/folderbrowser.h"

namespace qs::controls {

bool FolderBrowser::Show() { path_.clear(); return false; }

} // namespace qs::controls
