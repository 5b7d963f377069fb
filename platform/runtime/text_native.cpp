// UCase and LCase for the native build (fuzzing), which has no LCMapStringW: the same mapping, from the
// generated table. The program itself uses text.cpp.
#include "platform/runtime/text.h"

#include "platform/runtime/casetable.h"

namespace qs::rt {

std::string UCase(std::string_view utf8) { return casetable::mapped(utf8, true); }
std::string LCase(std::string_view utf8) { return casetable::mapped(utf8, false); }

}  // namespace qs::rt
