#include "platform/controls/folderbrowser.h"

#include "platform/forms/form.h"
#include "platform/runtime/services.h"

namespace qs::controls {

bool FolderBrowser::Show() {
    HWND owner = hWndOwner ? hWndOwner : ownerForm_ ? ownerForm_->hWnd() : nullptr;
    path_ = qs::rt::services().browseForFolder(owner, Prompt);
    return !path_.empty();
}

}  // namespace qs::controls
