#pragma once
// The invariant locale's letter case mapping as data (casetable_data.h, generated from LCMapStringW under
// Wine): the native build has no LCMapStringW, so its UCase, LCase and the engine's text folding take the
// mapping from here. The Wine tests check that it agrees with the system's.

#include <string>
#include <string_view>

namespace qs::rt::casetable {

char32_t upper(char32_t c);
char32_t lower(char32_t c);

// UTF-8 text mapped one character at a time; malformed bytes become U+FFFD, as the W APIs take them.
std::string mapped(std::string_view utf8, bool toUpper);

}  // namespace qs::rt::casetable
