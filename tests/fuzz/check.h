// What the fuzz targets share: a failed property stops the run like a crash does, so libFuzzer keeps the
// input that broke it.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

namespace qs::fuzz {

[[noreturn]] inline void fail(const char* what, const char* file, int line, const std::string& detail) {
    std::fprintf(stderr, "%s:%d: property failed: %s\n%s\n", file, line, what, detail.c_str());
    std::abort();
}

// Bytes as a C string literal, for the failure message.
inline std::string shown(std::string_view bytes) {
    std::string out = "\"";
    for (unsigned char c : bytes) {
        char buf[8];
        if (c == '"' || c == '\\')
            out += '\\', out += char(c);
        else if (c >= 0x20 && c < 0x7F)
            out += char(c);
        else
            std::snprintf(buf, sizeof buf, "\\x%02X", c), out += buf;
    }
    return out + "\"";
}

}  // namespace qs::fuzz

#define FUZZ_CHECK(cond, detail)                                            \
    do {                                                                    \
        if (!(cond)) ::qs::fuzz::fail(#cond, __FILE__, __LINE__, (detail)); \
    } while (0)
