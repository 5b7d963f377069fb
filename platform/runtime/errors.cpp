#include "platform/runtime/errors.h"

#include <windows.h>

namespace qs::rt {

std::string errorText(int number)
{
    switch (number) {
    case 3: return "Return without GoSub";
    case 5: return "Invalid procedure call or argument";
    case 6: return "Overflow";
    case 7: return "Out of memory";
    case 9: return "Subscript out of range";
    case 11: return "Division by zero";
    case 13: return "Type mismatch";
    case 52: return "Bad file name or number";
    case 53: return "File not found";
    case 54: return "Bad file mode";
    case 55: return "File already open";
    case 57: return "Device I/O error";
    case 58: return "File already exists";
    case 61: return "Disk full";
    case 62: return "Input past end of file";
    case 67: return "Too many files";
    case 68: return "Device unavailable";
    case 70: return "Permission denied";
    case 71: return "Disk not ready";
    case 75: return "Path/File access error";
    case 76: return "Path not found";
    case 91: return "Object variable or With block variable not set";
    case 94: return "Invalid use of Null";
    case 429: return "ActiveX component can't create object";
    case 438: return "Object doesn't support this property or method";
    default: return "Application-defined or object-defined error";
    }
}

Error::Error(int number) : number(number), description(errorText(number)) {}

Error::Error(int number, std::string description) : number(number), description(std::move(description)) {}

Error errorFromWin32(unsigned long code)
{
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

} // namespace qs::rt
