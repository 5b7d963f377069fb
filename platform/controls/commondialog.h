#pragma once
// The file dialog: set the properties, call ShowOpen or ShowSave, read FileName ("" when cancelled).
// Goes through qs::rt::services(), so tests answer it.
#include <windows.h>

#include <string>

namespace qs::forms {
class Form;
}

namespace qs::controls {

class CommonDialog {
public:
    CommonDialog() = default;
    // The dialog belongs to `owner`'s window at the time it is shown.
    explicit CommonDialog(const qs::forms::Form& owner) : ownerForm_(&owner) {}

    std::string DialogTitle;
    std::string InitDir;
    // Pairs of description and pattern separated by "|": "Databases (*.mdb)|*.mdb".
    std::string Filter;
    std::string FileName;
    std::string DefaultExt;
    int Flags = 0;
    HWND hWndOwner = nullptr;  // used when set; otherwise the owner form's window

    void ShowOpen();
    void ShowSave();

private:
    HWND owner() const;
    const qs::forms::Form* ownerForm_ = nullptr;
};

}  // namespace qs::controls
