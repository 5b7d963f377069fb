#pragma once
// The runtime's classic trappable errors: a number and the runtime's own text for it.

#include <exception>
#include <string>

namespace qs::rt {

enum ErrorNumber : int {
    errInvalidCall = 5,  // "Invalid procedure call or argument"
    errOverflow = 6,
    errSubscript = 9,
    errTypeMismatch = 13,
    errBadFileName = 52,
    errFileNotFound = 53,
    errFileExists = 58,
    errDiskFull = 61,
    errPermissionDenied = 70,
    errDiskNotReady = 71,
    errPathFileAccess = 75,
    errPathNotFound = 76,
};

// The runtime's text for an error number; "Application-defined or object-defined error" for numbers it
// has no text of its own for.
std::string errorText(int number);

struct Error : std::exception {
    int number = 0;
    std::string description;

    explicit Error(int number);  // with the runtime's text
    Error(int number, std::string description);
    const char* what() const noexcept override { return description.c_str(); }
};

// The runtime error that a failing file-system call (GetLastError code) turns into.
Error errorFromWin32(unsigned long win32Code);

}  // namespace qs::rt
