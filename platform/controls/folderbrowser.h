#pragma once
// The folder picker: owner window, prompt, Show() true when a folder was chosen, Path() the chosen
// folder. Goes through qs::rt::services(), so tests answer it.
#include <windows.h>

#include <string>

namespace qs::forms {
class Form;
}

namespace qs::controls {

class FolderBrowser {
public:
    FolderBrowser() = default;
    explicit FolderBrowser(const qs::forms::Form& owner) : ownerForm_(&owner) {}

    HWND hWndOwner = nullptr;  // used when set; otherwise the owner form's window
    std::string Prompt;
    // Where browsing starts; "My Computer" (or empty) is the top of the namespace.
    std::string RootFolder = "My Computer";
    std::string StartFolder = "My Computer";

    bool Show();
    // The folder chosen by the last Show ("" after a cancel).
    const std::string& Path() const { return path_; }

private:
    const qs::forms::Form* ownerForm_ = nullptr;
    std::string path_;
};

}  // namespace qs::controls
