#include "platform/runtime/text.h"

#include <windows.h>

#include <climits>

namespace qs::rt {
namespace {

// Plain ASCII is the same in UTF-16 and UTF-8; file names and field
// texts mostly are, and copying them spares two conversion calls each.
bool isAscii(std::wstring_view text) {
    for (wchar_t c : text)
        if (c >= 0x80) return false;
    return true;
}

bool isAscii(std::string_view bytes) {
    for (char c : bytes)
        if (static_cast<unsigned char>(c) >= 0x80) return false;
    return true;
}

std::wstring toWide(UINT codePage, std::string_view bytes) {
    if (bytes.empty() || bytes.size() > INT_MAX) return {};
    if (codePage == CP_UTF8 && isAscii(bytes)) return std::wstring(bytes.begin(), bytes.end());
    int n = MultiByteToWideChar(codePage, 0, bytes.data(), int(bytes.size()), nullptr, 0);
    std::wstring out(size_t(n), L'\0');
    if (n > 0) MultiByteToWideChar(codePage, 0, bytes.data(), int(bytes.size()), out.data(), n);
    return out;
}

std::string fromWide(UINT codePage, std::wstring_view text) {
    if (text.empty() || text.size() > INT_MAX) return {};
    if (codePage == CP_UTF8 && isAscii(text)) return std::string(text.begin(), text.end());
    int n = WideCharToMultiByte(codePage, 0, text.data(), int(text.size()), nullptr, 0, nullptr, nullptr);
    std::string out(size_t(n), '\0');
    if (n > 0) WideCharToMultiByte(codePage, 0, text.data(), int(text.size()), out.data(), n, nullptr, nullptr);
    return out;
}

std::string mapCase(std::string_view utf8, DWORD flag) {
    std::wstring w = widen(utf8);
    if (w.empty()) return {};
    int n = LCMapStringW(LOCALE_INVARIANT, flag, w.data(), int(w.size()), nullptr, 0);
    if (n <= 0) return std::string(utf8);
    std::wstring out(size_t(n), L'\0');
    LCMapStringW(LOCALE_INVARIANT, flag, w.data(), int(w.size()), out.data(), n);
    return narrow(out);
}

}  // namespace

std::wstring widen(std::string_view utf8) { return toWide(CP_UTF8, utf8); }
std::string narrow(std::wstring_view utf16) { return fromWide(CP_UTF8, utf16); }
std::string toAnsi(std::string_view utf8) { return fromWide(CP_ACP, widen(utf8)); }
std::string fromAnsi(std::string_view ansiBytes) { return narrow(toWide(CP_ACP, ansiBytes)); }
std::string UCase(std::string_view utf8) { return mapCase(utf8, LCMAP_UPPERCASE); }
std::string LCase(std::string_view utf8) { return mapCase(utf8, LCMAP_LOWERCASE); }

}  // namespace qs::rt
