#include "platform/runtime/errors.h"

#include <windows.h>

namespace qs::rt {

Error errorFromWin32(unsigned long code) {
    switch (code) {
    case ERROR_FILE_NOT_FOUND: return Error(errFileNotFound);
    case ERROR_PATH_NOT_FOUND: return Error(errPathNotFound);
    case ERROR_INVALID_NAME:
    case ERROR_BAD_PATHNAME:
    case ERROR_INVALID_DRIVE: return Error(errBadFileName);
    case ERROR_NOT_READY: return Error(errDiskNotReady);
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION: return Error(errPermissionDenied);
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS: return Error(errFileExists);
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL: return Error(errDiskFull);
    case ERROR_NOT_ENOUGH_MEMORY:
    case ERROR_OUTOFMEMORY: return Error(7);
    default: return Error(errPathFileAccess);
    }
}

}  // namespace qs::rt
