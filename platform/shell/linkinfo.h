#pragma once
// Shortcut (.lnk) targets, read through the shell's own link object.
#include <windows.h>

#include <cstdint>
#include <string>

namespace qs::shell {

// Capacity, in bytes with the closing NUL, of each buffer the ANSI form fills.
constexpr int kLinkBufferSize = 260;

// The target path of the shortcut file `lnkPath` (UTF-8 in and out), environment strings expanded.
// Empty when the file cannot be read as a shortcut or the shortcut has no file-system target
// (a printer, a control-panel item, a URL). `owner` is the window on whose behalf the link is read;
// no UI is ever shown. Works on a thread with or without COM initialised.
std::string GetLinkInfo(HWND owner, const std::string& lnkPath);

// The program's buffer-style form. `lnkPathAnsi` is the shortcut's path in the ANSI code page;
// `target` and `description` must each hold kLinkBufferSize bytes. On return both are NUL-terminated
// ANSI texts within those bytes: the target path ("" when there is none, when it cannot be read, or when
// it cannot be given in the ANSI code page even in its short form) and the shortcut's description.
// Null buffers are skipped. The result is the HRESULT of reading the link (0 when a target was found).
int32_t GetLinkInfo(HWND owner, const char* lnkPathAnsi, char* target, char* description);

}  // namespace qs::shell
