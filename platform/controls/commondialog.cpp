#include "platform/controls/commondialog.h"

#include "platform/forms/form.h"
#include "platform/runtime/services.h"

namespace qs::controls {

HWND CommonDialog::owner() const {
    if (hWndOwner) return hWndOwner;
    return ownerForm_ ? ownerForm_->hWnd() : nullptr;
}

namespace {

qs::rt::FileDialogRequest requestOf(const CommonDialog& d, HWND owner) {
    qs::rt::FileDialogRequest r;
    r.owner = owner;
    r.title = d.DialogTitle;
    r.initDir = d.InitDir;
    r.filter = d.Filter;
    r.fileName = d.FileName;
    r.defaultExt = d.DefaultExt;
    r.flags = d.Flags;
    return r;
}

}  // namespace

void CommonDialog::ShowOpen() { FileName = qs::rt::services().openFileDialog(requestOf(*this, owner())); }

void CommonDialog::ShowSave() { FileName = qs::rt::services().saveFileDialog(requestOf(*this, owner())); }

}  // namespace qs::controls
