// The engine's Like: the search box's text becomes a pattern, and every row's text is matched against it.
// Property: LikePattern accepts exactly the patterns the reference below accepts, and matches exactly the
// texts the reference matches: a plain backtracking matcher over code points, written from the rules
// (textrules.h) rather than from the engine's code. Time: the engine's matcher has no exponential case,
// so libFuzzer's -timeout catches one.
//
// The rules: * any run of characters, ? any one character, # one digit 0-9, [list] one character of the
// list, [!list] one character not in it ("[!]" is the list of "!"; "[]" matches no character at all, so
// it stands for the empty text). In a list, a-b is a range unless b is "]"; a range with b before a, or a
// list without its "]", makes the pattern malformed. Everything else stands for itself. Letters compare
// folded (foldChar); a range takes a character whose folded form lies between its ends as written or
// between their folded forms. A byte that starts no well-formed UTF-8 character is a character of its own.
#include "platform/db/textrules.h"
#include "tests/fuzz/check.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <vector>

using qs::db::detail::foldChar;
using qs::db::detail::LikePattern;

namespace {

std::vector<char32_t> codePoints(std::string_view s) {
    std::vector<char32_t> out;
    size_t i = 0;
    while (i < s.size()) {
        unsigned char b = static_cast<unsigned char>(s[i]);
        size_t len = b < 0x80 ? 1 : (b & 0xE0) == 0xC0 ? 2 : (b & 0xF0) == 0xE0 ? 3 : (b & 0xF8) == 0xF0 ? 4 : 0;
        char32_t c = len == 1 ? b : len == 2 ? (b & 0x1F) : len == 3 ? (b & 0x0F) : (b & 0x07);
        bool ok = len > 0 && i + len <= s.size();
        for (size_t k = 1; ok && k < len; ++k) {
            unsigned char n = static_cast<unsigned char>(s[i + k]);
            ok = (n & 0xC0) == 0x80;
            c = (c << 6) | (n & 0x3F);
        }
        static const char32_t shortest[] = {0, 0, 0x80, 0x800, 0x10000};
        ok = ok && c >= shortest[len] && c <= 0x10FFFF && (c < 0xD800 || c > 0xDFFF);
        if (ok) {
            out.push_back(c);
            i += len;
        } else {
            out.push_back(0xDC00 + b);
            ++i;
        }
    }
    return out;
}

struct Item {
    enum Kind { Char, Any, Digit, Star, List } kind;
    char32_t c = 0;
    bool negated = false;
    std::vector<std::pair<char32_t, char32_t>> ranges;  // as written

    Item(Kind k, char32_t ch = 0) : kind(k), c(ch) {}
};

bool parse(const std::vector<char32_t>& p, std::vector<Item>& items) {
    for (size_t i = 0; i < p.size(); ++i) {
        if (p[i] == '*') {
            items.emplace_back(Item::Star);
        } else if (p[i] == '?') {
            items.emplace_back(Item::Any);
        } else if (p[i] == '#') {
            items.emplace_back(Item::Digit);
        } else if (p[i] == '[') {
            Item list(Item::List);
            size_t j = i + 1;
            if (j + 1 < p.size() && p[j] == '!' && p[j + 1] != ']') {
                list.negated = true;
                ++j;
            }
            for (;;) {
                if (j >= p.size()) return false;
                if (p[j] == ']') break;
                if (j + 2 < p.size() && p[j + 1] == '-' && p[j + 2] != ']') {
                    if (p[j + 2] < p[j]) return false;
                    list.ranges.push_back({p[j], p[j + 2]});
                    j += 3;
                } else {
                    list.ranges.push_back({p[j], p[j]});
                    ++j;
                }
            }
            i = j;
            if (!list.ranges.empty() || list.negated) items.push_back(list);
        } else {
            items.emplace_back(Item::Char, p[i]);
        }
    }
    return true;
}

bool one(const Item& item, char32_t t) {
    switch (item.kind) {
    case Item::Char: return foldChar(item.c) == foldChar(t);
    case Item::Any: return true;
    case Item::Digit: return t >= '0' && t <= '9';
    case Item::List: {
        char32_t f = foldChar(t);
        bool in = false;
        for (auto [a, b] : item.ranges) in = in || (f >= a && f <= b) || (f >= foldChar(a) && f <= foldChar(b));
        return in != item.negated;
    }
    case Item::Star: break;
    }
    return false;
}

// Items p[i..] against text t[j..]: a star first takes no character, then backtracks to take one more.
// `seen` remembers the (item, position) pairs that failed already.
bool match(const std::vector<Item>& p, size_t i, const std::vector<char32_t>& t, size_t j, std::vector<char>& seen) {
    char& failed = seen[i * (t.size() + 1) + j];
    if (failed) return false;
    bool ok;
    if (i == p.size())
        ok = j == t.size();
    else if (p[i].kind == Item::Star)
        ok = match(p, i + 1, t, j, seen) || (j < t.size() && match(p, i, t, j + 1, seen));
    else
        ok = j < t.size() && one(p[i], t[j]) && match(p, i + 1, t, j + 1, seen);
    failed = !ok;
    return ok;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider provider(data, size);
    const std::string pattern = provider.ConsumeRandomLengthString();
    const std::string text = provider.ConsumeRemainingBytesAsString();
    const std::string shown = qs::fuzz::shown(pattern) + " Like " + qs::fuzz::shown(text);

    LikePattern like;
    const bool compiled = like.compile(pattern);
    std::vector<Item> items;
    FUZZ_CHECK(compiled == parse(codePoints(pattern), items), shown);
    if (!compiled) return 0;
    const bool matched = like.matches(text);
    const std::vector<char32_t> t = codePoints(text);
    if ((items.size() + 1) * (t.size() + 1) > (size_t(1) << 18))
        return 0;  // the reference's table would be too large; the engine has been timed all the same
    std::vector<char> seen((items.size() + 1) * (t.size() + 1));
    FUZZ_CHECK(matched == match(items, 0, t, 0, seen), shown + (matched ? " matched" : " did not match"));
    return 0;
}
