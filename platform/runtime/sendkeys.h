#pragma once
// The runtime's SendKeys notation turned into keyboard input events.

#include <windows.h>

#include <string>
#include <vector>

namespace qs::rt {

// Every event carries this in dwExtraInfo, so that the program's own keys can be told from the user's.
inline constexpr ULONG_PTR sendKeysSignature = 0x51534B59;

// Characters stand for themselves ("~" is Enter); "+", "^" and "%" hold Shift, Ctrl and Alt for the next
// key or for a group in parentheses; "{NAME}" or "{NAME n}" names a key (ENTER, TAB, ESC, DOWN, UP, LEFT,
// RIGHT, HOME, END, PGUP, PGDN, INSERT, DELETE, BACKSPACE, F1..F16, ...) or a literal character ("{+}",
// "{{}"), n times. Malformed text or an unknown key name: Error 5.
std::vector<INPUT> parseSendKeys(const std::string& keys);

}  // namespace qs::rt
