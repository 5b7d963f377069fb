// Runs a registry script (regscript.h) against the registry: registration writes its keys and values,
// unregistration removes them.
#pragma once

#include <windows.h>

#include <span>
#include <string_view>

#include "platform/com/regscript.h"

namespace qs::com {

// Registers (or unregisters) the script. The whole script is read before any key is touched: a
// malformed script changes nothing and gives HRESULT_FROM_WIN32(ERROR_INVALID_DATA). Otherwise
// S_OK or the first registry failure; keys already missing at unregistration are no failure.
HRESULT runRegistryScript(std::wstring_view script, std::span<const Replacement> replacements, bool doRegister);

// The same for resource type "REGISTRY" `id` of `module` (UTF-8 or ANSI-compatible ASCII text).
HRESULT runRegistryResource(HINSTANCE module, UINT id, std::span<const Replacement> replacements, bool doRegister);

}  // namespace qs::com
