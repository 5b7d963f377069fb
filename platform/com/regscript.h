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
//
// This is the reading of a script, apart from the registry (registrar.h writes it there): plain C++ with
// no Windows header, so it also builds natively for sanitizers and fuzzing.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace qs::com {

struct Replacement {
    std::wstring_view name;  // without the percent signs
    std::wstring_view value;
};

struct RegistryKey {
    bool forceRemove = false, noRemove = false, deleteKey = false;
    bool isValue = false;  // `val Name = s '...'`: a named value of the parent key
    std::wstring name;
    bool hasValue = false;
    std::wstring value;
    std::vector<RegistryKey> children;
};

enum class RegistryRoot { ClassesRoot, CurrentUser, LocalMachine, Users };

struct RegistryRootKeys {
    RegistryRoot root;
    std::vector<RegistryKey> children;
};

// The script's keys, or nullopt when it is malformed or names a replacement it is not given. Keys nest at
// most kMaxKeyDepth deep below their root, as deep as the registry itself goes; a deeper script is
// malformed (read recursively, it would otherwise overflow the stack).
std::optional<std::vector<RegistryRootKeys>> parseRegistryScript(std::wstring_view script,
                                                                 std::span<const Replacement> replacements);
inline constexpr int kMaxKeyDepth = 512;

}  // namespace qs::com
