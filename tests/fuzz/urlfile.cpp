// The favourites import reads every file of a folder tree, whatever it holds.
// Properties: the URL line found in a file, fed whole or in pieces of any size, is the one a plain reading
// finds (the first line that starts with "URL=", lines ending at CR, CR LF or the end of the file, the rest
// of it cut to kKeptUrlBytes); names and cut texts end on a character boundary, within their limit in
// UTF-16 units and as long as the limit allows.
#include "app/dialogs/urlfile.h"
#include "tests/fuzz/check.h"

#include <fuzzer/FuzzedDataProvider.h>

using namespace qs::app::urlfile;

namespace {

std::optional<std::string> plainReading(std::string_view content) {
    size_t start = 0;
    while (start < content.size() || start == 0) {
        size_t cr = content.find('\r', start);
        std::string_view line =
            content.substr(start, cr == std::string_view::npos ? std::string_view::npos : cr - start);
        if (line.substr(0, 4) == "URL=") return std::string(line.substr(4, kKeptUrlBytes));
        if (cr == std::string_view::npos) break;
        start = cr + 1;
        if (start < content.size() && content[start] == '\n') ++start;
    }
    return std::nullopt;
}

// Where each character of UTF-8 text starts, and the UTF-16 units before it; a byte that is not part of
// a well-formed sequence counts as a character of one unit.
std::vector<std::pair<size_t, size_t>> characters(std::string_view s) {
    std::vector<std::pair<size_t, size_t>> out;
    size_t i = 0, units = 0;
    while (i < s.size()) {
        out.push_back({i, units});
        unsigned char b = static_cast<unsigned char>(s[i]);
        size_t len = b >= 0xC0 && b < 0xE0 ? 2 : b >= 0xE0 && b < 0xF0 ? 3 : b >= 0xF0 && b < 0xF8 ? 4 : 1;
        size_t k = 1;
        while (k < len && i + k < s.size() && (static_cast<unsigned char>(s[i + k]) & 0xC0) == 0x80) ++k;
        if (k == len) {
            units += len == 4 ? 2 : 1;
            i += len;
        } else {
            units += k;  // a cut-short sequence: each of its bytes stands alone
            i += k;
        }
    }
    out.push_back({s.size(), units});
    return out;
}

// A cut of `text` to at most `units` units must be the longest prefix ending on a character boundary.
void checkCut(std::string_view text, size_t units, std::string_view cut, const std::string& shown) {
    auto chars = characters(text);
    size_t best = 0;
    for (auto [byte, before] : chars)
        if (before <= units) best = byte;
    FUZZ_CHECK(cut == text.substr(0, best), shown + " cut to " + std::to_string(units) + ": " + qs::fuzz::shown(cut));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view content(reinterpret_cast<const char*>(data), size);
    const std::string shown = qs::fuzz::shown(content);
    const std::optional<std::string> whole = findUrlLine(content);
    FUZZ_CHECK(whole == plainReading(content), shown);

    // The import reads a file in pieces; any split gives the same line.
    FuzzedDataProvider provider(data, size);
    UrlLineFinder finder;
    size_t at = 0;
    bool done = false;
    while (at < size && !done) {
        size_t n = provider.ConsumeIntegralInRange<size_t>(1, 64);
        n = std::min(n, size - at);
        // An exactly sized copy, so that a read past the piece is one past the allocation (ASan).
        std::vector<char> piece(content.begin() + at, content.begin() + at + n);
        done = finder.feed(std::string_view(piece.data(), n));
        at += n;
    }
    if (!done) finder.finish();
    FUZZ_CHECK(finder.found() == whole.has_value() && (!whole || finder.url() == *whole), shown);

    const size_t units = size % 300;
    checkCut(content, units, cutToUnits(content, units), shown);
    std::optional<std::string> name = nameOfFile(content);
    const size_t total = characters(content).back().second;
    FUZZ_CHECK(name.has_value() == (total >= 4), shown);
    if (name) checkCut(content, total - 4, *name, shown);
    return 0;
}
