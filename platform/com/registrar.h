// Registry scripts: the text format that self-registering servers keep as resource "REGISTRY".
//
//   HKCR
//   {
//       Foo.Bar = s 'Bar Class'
//       NoRemove CLSID
//       {
//           ForceRemove {GUID} = s 'Bar Class'
//           {
//               InprocServer32 = s '%MODULE%'
//               {
//                   val ThreadingModel = s 'Apartment'
//               }
//           }
//       }
//   }
//
// A key is a bare word or a quoted 'name', optionally `= s 'default value'` and a block of subkeys.
// `val Name = s 'text'` sets a named string value. Flags before a key: ForceRemove (delete the key
// with its subkeys before writing it), NoRemove (keep the key at unregistration; its contents are
// still processed), Delete (remove the key at registration instead of writing it). At
// unregistration every key without NoRemove goes with all its subkeys. Inside quotes '' is a
// quote; %NAME% is replaced by its value (%% is a percent sign), after the script is split into
// words, so a value holding quotes or braces cannot change the script's structure. Root keys:
// HKCR, HKCU, HKLM, HKU (or their HKEY_ names).
#pragma once

#include <windows.h>

#include <span>
#include <string>
#include <string_view>

namespace qs::com {

struct Replacement {
    std::wstring_view name;    // without the percent signs
    std::wstring_view value;
};

// Registers (or unregisters) the script. The whole script is read before any key is touched: a
// malformed script changes nothing and gives HRESULT_FROM_WIN32(ERROR_INVALID_DATA). Otherwise
// S_OK or the first registry failure; keys already missing at unregistration are no failure.
HRESULT runRegistryScript(std::wstring_view script, std::span<const Replacement> replacements, bool doRegister);

// The same for resource type "REGISTRY" `id` of `module` (UTF-8 or ANSI-compatible ASCII text).
HRESULT runRegistryResource(HINSTANCE module, UINT id, std::span<const Replacement> replacements, bool doRegister);

}  // namespace qs::com
