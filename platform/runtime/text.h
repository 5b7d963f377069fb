#pragma once
// Text inside the program is UTF-8; the W APIs take UTF-16; a few stored or exchanged formats are ANSI
// (the system's code page). Invalid input never throws: bad sequences become U+FFFD (or '?' in ANSI).

#include <string>
#include <string_view>

namespace qs::rt {

std::wstring widen(std::string_view utf8);
std::string narrow(std::wstring_view utf16);

std::string toAnsi(std::string_view utf8);
std::string fromAnsi(std::string_view ansiBytes);

// Upper and lower case over all of Unicode, independent of the user's language (so "i" never becomes a
// dotted capital I); the length in characters never changes.
std::string UCase(std::string_view utf8);
std::string LCase(std::string_view utf8);

}  // namespace qs::rt
