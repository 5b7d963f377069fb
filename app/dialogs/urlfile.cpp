#include "app/dialogs/urlfile.h"

#include <algorithm>
#include <vector>

namespace qs::app::urlfile {
namespace {

constexpr std::string_view kPrefix = "URL=";

// Byte length of the UTF-8 sequence that starts with `lead`, and the UTF-16 units it stands for.
// Malformed bytes count as one byte and one unit each, as a converter replaces them one by one.
void sequenceOf(unsigned char lead, std::size_t& bytes, std::size_t& units) {
    units = 1;
    if (lead < 0xC0 || lead >= 0xF8) {
        bytes = 1;
    } else if (lead < 0xE0) {
        bytes = 2;
    } else if (lead < 0xF0) {
        bytes = 3;
    } else {
        bytes = 4;
        units = 2;
    }
}

// Start of each character of `utf8`, with the UTF-16 units counted before it; the last entry is the
// text's end.
struct Boundary {
    std::size_t byte, units;
};
std::vector<Boundary> boundaries(std::string_view utf8) {
    std::vector<Boundary> out;
    std::size_t i = 0, units = 0;
    while (i < utf8.size()) {
        out.push_back({i, units});
        std::size_t bytes, n;
        sequenceOf(static_cast<unsigned char>(utf8[i]), bytes, n);
        std::size_t end = i + 1;
        while (end < utf8.size() && end < i + bytes && (static_cast<unsigned char>(utf8[end]) & 0xC0) == 0x80) ++end;
        if (end - i != bytes) n = end - i;  // a cut-short sequence: each byte becomes one replacement
        i = end;
        units += n;
    }
    out.push_back({utf8.size(), units});
    return out;
}

}  // namespace

bool UrlLineFinder::feed(std::string_view piece) {
    std::size_t i = 0;
    while (i < piece.size() && mode_ != Mode::Found) {
        if (afterCr_) {
            afterCr_ = false;
            if (piece[i] == '\n') {
                ++i;
                continue;
            }
        }
        const std::size_t cr = piece.find('\r', i);
        const std::size_t stop = cr == std::string_view::npos ? piece.size() : cr;
        if (mode_ == Mode::Prefix) {
            while (i < stop && matched_ < kPrefix.size()) {
                if (piece[i] != kPrefix[matched_]) {
                    mode_ = Mode::Skip;
                    break;
                }
                ++i;
                ++matched_;
            }
            if (matched_ == kPrefix.size()) mode_ = Mode::Collect;
        }
        if (mode_ == Mode::Collect && i < stop && url_.size() < kKeptUrlBytes)
            url_.append(piece.substr(i, std::min(stop - i, kKeptUrlBytes - url_.size())));
        i = stop;
        if (cr != std::string_view::npos) {
            endLine();
            afterCr_ = true;
            i = cr + 1;
        }
    }
    return mode_ == Mode::Found;
}

void UrlLineFinder::finish() {
    if (mode_ != Mode::Found) endLine();
}

void UrlLineFinder::endLine() {
    if (mode_ == Mode::Collect) {
        mode_ = Mode::Found;
        return;
    }
    mode_ = Mode::Prefix;
    matched_ = 0;
}

std::optional<std::string> findUrlLine(std::string_view content) {
    UrlLineFinder finder;
    if (!finder.feed(content)) finder.finish();
    if (!finder.found()) return std::nullopt;
    return finder.url();
}

std::optional<std::string> nameOfFile(std::string_view utf8Name) {
    const std::vector<Boundary> b = boundaries(utf8Name);
    const std::size_t total = b.back().units;
    if (total < 4) return std::nullopt;
    // The last character starting at or before the cut; a pair cut in half loses its first half too.
    std::size_t keep = 0;
    while (keep + 1 < b.size() && b[keep + 1].units <= total - 4) ++keep;
    return std::string(utf8Name.substr(0, b[keep].byte));
}

std::string cutToUnits(std::string_view utf8, std::size_t units) {
    const std::vector<Boundary> b = boundaries(utf8);
    std::size_t keep = 0;
    while (keep + 1 < b.size() && b[keep + 1].units <= units) ++keep;
    return std::string(utf8.substr(0, b[keep].byte));
}

}  // namespace qs::app::urlfile
