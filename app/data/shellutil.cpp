#include "app/data/shellutil.h"

#include <shlobj.h>

#include "platform/runtime/files.h"
#include "platform/runtime/services.h"
#include "platform/runtime/text.h"
#include "platform/win/handles.h"

namespace qs::app {

bool getSpecialFolder(HWND hWnd, int32_t csidl, std::string& path) {
    win::UniqueCoTaskMem<ITEMIDLIST> pidl;
    if (SHGetSpecialFolderLocation(hWnd, csidl, pidl.put()) != S_OK) return false;
    // A buffer of blanks, as the shell's answer is read back: the text, its NUL, blanks.
    std::string buffer(MAX_PATH, ' ');
    if (SHGetPathFromIDListA(pidl.get(), buffer.data()) != TRUE) return false;

    size_t nul = buffer.find('\0');
    std::string text = nul == std::string::npos ? buffer : buffer.substr(0, nul + 1);
    size_t first = text.find_first_not_of(' ');
    text = first == std::string::npos ? std::string() : text.substr(first);
    while (!text.empty() && text.back() == ' ') text.pop_back();
    if (!text.empty() && text.back() == '\0') text.pop_back();
    if (!text.empty()) path = rt::fromAnsi(text);
    return true;
}

std::string trimNull(std::string_view text) { return std::string(text.substr(0, text.find('\0'))); }

std::string expandLongPath(const std::string& path) {
    // Only a drive path can be expanded: a network path's first component is a bare server name, which no
    // listing finds; a relative path has nothing to anchor it.
    auto isDriveLetter = [](char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); };
    if (path.size() < 3 || !isDriveLetter(path[0]) || path[1] != ':' || path[2] != '\\') return {};

    const std::string s = path + '\\';
    std::string longPath;
    for (size_t p = s.find('\\', 3); p != std::string::npos; p = s.find('\\', p + 1)) {
        // An empty component (the root alone, two backslashes in a row, a trailing backslash) would
        // make the look-up list that folder and answer its first entry.
        if (s[p - 1] == '\\') return {};
        const std::string entry = s.substr(0, p);
        // A wildcard would make the look-up answer some other entry's name.
        if (entry.find_first_of("*?", 3) != std::string::npos) return {};
        std::string answer;
        try {
            // A listing of its own, so a Dir listing the caller has going on is not disturbed.
            std::vector<std::string> names = rt::listDir(entry, rt::attrHidden | rt::attrSystem | rt::attrDirectory);
            if (!names.empty()) answer = names.front();
        } catch (...) {
            // A drive that is not ready and the like: the component cannot be found.
        }
        if (answer.empty()) return {};
        longPath += '\\';
        longPath += answer;
    }
    return s.substr(0, 2) + longPath;
}

void shellOpen(const std::string& path) {
    rt::services().shellExecute(GetForegroundWindow(), "Open", path, "", "", SW_SHOWNORMAL);
}

std::string fileNameOf(const std::string& path) {
    size_t i = path.rfind('\\');
    return i == std::string::npos ? std::string() : path.substr(i + 1);
}

std::string explorerCommand(const std::string& path) {
    if (path.find_first_of(",\"") == std::string::npos) return "Explorer /select, " + path;
    // No Windows path holds a double quote: one inside the path would close the quotes early and hand
    // Explorer the rest as switches of its own.
    std::string quoted = "Explorer /select, \"";
    for (char c : path)
        if (c != '"') quoted += c;
    return quoted + '"';
}

}  // namespace qs::app
