// Identifiers of the Foldwatcher library, for its clients. The interface declarations (IWatch,
// _IWatchEvents) come from the header generated from Foldwatcher.idl: link the CMake target
// `foldwatcher_client` and include "foldwatcher/Foldwatcher.h". Do not define INITGUID before
// including both: these constants are the definitions.
#pragma once

#include <windows.h>

EXTERN_C const GUID DECLSPEC_SELECTANY LIBID_FOLDWATCHER = {
    0x80CE4541, 0xC736, 0x11D3, {0x9D, 0xE3, 0x40, 0x00, 0x0A, 0x4A, 0x15, 0x41}};
EXTERN_C const GUID DECLSPEC_SELECTANY IID_IWatch = {
    0x80CE454D, 0xC736, 0x11D3, {0x9D, 0xE3, 0x40, 0x00, 0x0A, 0x4A, 0x15, 0x41}};
EXTERN_C const GUID DECLSPEC_SELECTANY CLSID_Watch = {
    0x80CE454E, 0xC736, 0x11D3, {0x9D, 0xE3, 0x40, 0x00, 0x0A, 0x4A, 0x15, 0x41}};
EXTERN_C const GUID DECLSPEC_SELECTANY DIID__IWatchEvents = {
    0x80CE454F, 0xC736, 0x11D3, {0x9D, 0xE3, 0x40, 0x00, 0x0A, 0x4A, 0x15, 0x41}};

namespace qs::foldwatcher {
inline constexpr WORD kTypeLibMajor = 1;
inline constexpr WORD kTypeLibMinor = 0;
inline constexpr DISPID DISPID_Notify = 1;  // _IWatchEvents::Notify(sPathName, nType)
inline constexpr DISPID DISPID_AddPath = 1;
inline constexpr DISPID DISPID_Start = 2;
inline constexpr DISPID DISPID_RemovePath = 3;
inline constexpr short kLastWrite = 1;  // nType values of Notify
inline constexpr short kFileName = 2;
inline constexpr short kDirName = 3;
}  // namespace qs::foldwatcher
