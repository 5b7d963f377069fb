#include "platform/runtime/casetable.h"

#include "platform/runtime/casetable_data.h"

#include <algorithm>
#include <iterator>

namespace qs::rt::casetable {
namespace {

template <size_t N>
char32_t lookUp(const CaseRun (&runs)[N], char32_t c) {
    // The last run starting at or before c; runs never overlap.
    auto after =
        std::upper_bound(std::begin(runs), std::end(runs), c, [](char32_t v, const CaseRun& r) { return v < r.first; });
    if (after == std::begin(runs)) return c;
    const CaseRun& r = *std::prev(after);
    if (c > r.last || (c - r.first) % r.stride != 0) return c;
    return char32_t(int(c) + r.delta);
}

// The next character of UTF-8 text, or U+FFFD for the longest malformed start of one.
char32_t decode(std::string_view s, size_t& i) {
    auto byte = [&](size_t at) { return static_cast<unsigned char>(s[at]); };
    unsigned char b = byte(i++);
    if (b < 0x80) return b;
    int more = b >= 0xC2 && b <= 0xDF ? 1 : b >= 0xE0 && b <= 0xEF ? 2 : b >= 0xF0 && b <= 0xF4 ? 3 : -1;
    if (more < 0) return 0xFFFD;
    char32_t c = b & (0x3F >> more);
    for (int k = 0; k < more; ++k) {
        if (i >= s.size()) return 0xFFFD;
        unsigned char n = byte(i);
        // The second byte's range excludes overlong forms, surrogates and code points past U+10FFFF.
        unsigned char lo = 0x80, hi = 0xBF;
        if (k == 0) {
            if (b == 0xE0) lo = 0xA0;
            if (b == 0xED) hi = 0x9F;
            if (b == 0xF0) lo = 0x90;
            if (b == 0xF4) hi = 0x8F;
        }
        if (n < lo || n > hi) return 0xFFFD;
        c = (c << 6) | (n & 0x3F);
        ++i;
    }
    return c;
}

void encode(char32_t c, std::string& out) {
    if (c < 0x80) {
        out += char(c);
    } else if (c < 0x800) {
        out += char(0xC0 | (c >> 6));
        out += char(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += char(0xE0 | (c >> 12));
        out += char(0x80 | ((c >> 6) & 0x3F));
        out += char(0x80 | (c & 0x3F));
    } else {
        out += char(0xF0 | (c >> 18));
        out += char(0x80 | ((c >> 12) & 0x3F));
        out += char(0x80 | ((c >> 6) & 0x3F));
        out += char(0x80 | (c & 0x3F));
    }
}

}  // namespace

char32_t upper(char32_t c) { return lookUp(upperRuns, c); }
char32_t lower(char32_t c) { return lookUp(lowerRuns, c); }

std::string mapped(std::string_view utf8, bool toUpper) {
    std::string out;
    out.reserve(utf8.size());
    for (size_t i = 0; i < utf8.size();) {
        char32_t c = decode(utf8, i);
        encode(toUpper ? upper(c) : lower(c), out);
    }
    return out;
}

}  // namespace qs::rt::casetable
