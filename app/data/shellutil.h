#pragma once
// Shell and path utilities shared by the program's windows. They hold no state.
#include <windows.h>

#include <cstdint>
#include <string>
#include <string_view>

namespace qs::app {

// The file-system path of shell special folder `csidl` (8 Recent, 6 Favorites), without a trailing
// backslash. True when the shell knows the folder; `path` is written only when the shell gave a
// non-empty path. False leaves `path` as the caller set it.
bool getSpecialFolder(HWND hWnd, int32_t csidl, std::string& path);

// The text before the first NUL; the whole text when it has none.
std::string trimNull(std::string_view text);

// The long form of a path that starts with a drive ("C:\"), each component as stored on the disk.
// Empty when any component cannot be found, or the path has no drive prefix (network paths).
// Never throws.
std::string expandLongPath(const std::string& path);

// Opens a document, folder or URL with the shell's "Open" verb, owned by the foreground window.
// Failures are silent.
void shellOpen(const std::string& path);

// The command line that shows a file selected in its folder: "Explorer /select, " and the path, put in
// double quotes when it holds a comma (Explorer reads a comma as the end of the path) or a double quote,
// which is dropped: Explorer always gets the path as one argument.
std::string explorerCommand(const std::string& path);

// The text after the last backslash; empty when there is none or the path ends in one.
std::string fileNameOf(const std::string& path);

}  // namespace qs::app
