#include "platform/db/textrules.h"

#include <algorithm>
#include <mutex>

namespace qs::db::detail {
namespace {

// Lower-case form of every BMP character (see fillFoldTable).
uint16_t g_fold[0x10000];
std::once_flag g_foldOnce;

void buildFold() {
    fillFoldTable(g_fold);
    for (unsigned c = 'A'; c <= 'Z'; ++c) g_fold[c] = static_cast<uint16_t>(c + 32);  // never differ
}

inline unsigned char asciiLower(unsigned char c) { return (c >= 'A' && c <= 'Z') ? c + 32 : c; }

// Next code point of UTF-8 text; a malformed byte stands for itself (as U+DC80..U+DCFF).
inline char32_t decode(const unsigned char*& p, const unsigned char* end) {
    unsigned char b = *p;
    if (b < 0x80) {
        ++p;
        return b;
    }
    int len = b >= 0xF0 ? 4 : b >= 0xE0 ? 3 : b >= 0xC0 ? 2 : 0;
    if (len == 0 || b > 0xF4 || end - p < len) {
        ++p;
        return 0xDC00u + b;
    }
    char32_t c = b & (0x3F >> (len - 1));
    for (int i = 1; i < len; ++i) {
        if ((p[i] & 0xC0) != 0x80) {
            ++p;
            return 0xDC00u + b;
        }
        c = (c << 6) | (p[i] & 0x3F);
    }
    static constexpr char32_t minimum[5] = {0, 0, 0x80, 0x800, 0x10000};
    if (c < minimum[len] || (c >= 0xD800 && c < 0xE000) || c > 0x10FFFF) {
        ++p;
        return 0xDC00u + b;
    }
    p += len;
    return c;
}

inline char32_t fold(char32_t c) { return c < 0x10000 ? g_fold[c] : c; }

void foldAll(std::string_view s, std::vector<char32_t>& out) {
    out.clear();
    auto p = reinterpret_cast<const unsigned char*>(s.data());
    auto end = p + s.size();
    while (p < end) out.push_back(fold(decode(p, end)));
}

}  // namespace

void initTextRules() { std::call_once(g_foldOnce, buildFold); }

char32_t foldChar(char32_t c) {
    initTextRules();
    return fold(c);
}

int compareText(std::string_view a, std::string_view b) {
    auto pa = reinterpret_cast<const unsigned char*>(a.data()), ea = pa + a.size();
    auto pb = reinterpret_cast<const unsigned char*>(b.data()), eb = pb + b.size();
    while (pa < ea && pb < eb) {
        char32_t ca, cb;
        if ((*pa | *pb) < 0x80) {
            ca = asciiLower(*pa++);
            cb = asciiLower(*pb++);
        } else {
            ca = fold(decode(pa, ea));
            cb = fold(decode(pb, eb));
        }
        if (ca != cb) return ca < cb ? -1 : 1;
    }
    return (pa < ea) - (pb < eb);
}

bool equalText(std::string_view a, std::string_view b) { return compareText(a, b) == 0; }

std::size_t textLength(std::string_view utf8) {
    auto p = reinterpret_cast<const unsigned char*>(utf8.data()), end = p + utf8.size();
    std::size_t n = 0;
    while (p < end) n += decode(p, end) >= 0x10000 ? 2 : 1;
    return n;
}

bool LikePattern::CharClass::contains(char32_t c) const {
    bool in = false;
    for (auto& r : ranges)
        if (c >= r.first && c <= r.second) {
            in = true;
            break;
        }
    return in != negated;
}

bool LikePattern::compile(std::string_view pattern) {
    initTextRules();
    tokens_.clear();
    classes_.clear();
    shape_ = General;
    asciiLiteral_.clear();
    std::vector<char32_t> cps;
    {
        auto p = reinterpret_cast<const unsigned char*>(pattern.data()), end = p + pattern.size();
        while (p < end) cps.push_back(decode(p, end));  // unfolded: ranges fold their ends below
    }
    for (std::size_t i = 0; i < cps.size(); ++i) {
        char32_t c = cps[i];
        if (c == '*') {
            if (tokens_.empty() || tokens_.back().kind != Star) tokens_.push_back({Star});
        } else if (c == '?') {
            tokens_.push_back({Any});
        } else if (c == '#') {
            tokens_.push_back({Digit});
        } else if (c == '[') {
            std::size_t j = i + 1;
            CharClass cls;
            if (j < cps.size() && cps[j] == '!' && j + 1 < cps.size() && cps[j + 1] != ']') {
                cls.negated = true;
                ++j;
            }
            bool closed = false;
            while (j < cps.size()) {
                char32_t a = cps[j];
                if (a == ']') {
                    closed = true;
                    break;
                }
                if (j + 2 < cps.size() && cps[j + 1] == '-' && cps[j + 2] != ']') {
                    char32_t b = cps[j + 2];
                    if (b < a) {
                        tokens_.clear();
                        classes_.clear();
                        return false;
                    }
                    // Fold both ends, and keep the raw range too so [A-Z] and [a-z] both work.
                    cls.ranges.push_back({fold(a), fold(b)});
                    cls.ranges.push_back({a, b});
                    j += 3;
                } else {
                    cls.ranges.push_back({fold(a), fold(a)});
                    ++j;
                }
            }
            if (!closed) {
                tokens_.clear();
                classes_.clear();
                return false;
            }
            i = j;
            if (cls.ranges.empty() && !cls.negated) continue;  // "[]" matches the empty text
            classes_.push_back(std::move(cls));
            tokens_.push_back({Class, 0, static_cast<uint32_t>(classes_.size() - 1)});
        } else {
            tokens_.push_back({Literal, fold(c)});
        }
    }
    // Recognise the shapes the program's searches use, for an ASCII literal.
    std::size_t first = 0, last = tokens_.size();
    bool lead = !tokens_.empty() && tokens_.front().kind == Star;
    bool trail = tokens_.size() > 1 && tokens_.back().kind == Star;
    if (lead) ++first;
    if (trail) --last;
    bool literal = true;
    for (std::size_t i = first; i < last && literal; ++i) {
        if (tokens_[i].kind != Literal || tokens_[i].ch >= 0x80)
            literal = false;
        else
            asciiLiteral_.push_back(static_cast<char>(tokens_[i].ch));
    }
    if (literal)
        shape_ = lead && trail ? Contains : lead ? Suffix : trail ? Prefix : Exact;
    else
        asciiLiteral_.clear();
    return true;
}

bool LikePattern::matchTokens(const char32_t* t, std::size_t n) const {
    std::size_t ti = 0, pi = 0, starP = SIZE_MAX, starT = 0;
    const std::size_t pn = tokens_.size();
    while (ti < n) {
        if (pi < pn) {
            const Token& tok = tokens_[pi];
            bool ok = false;
            switch (tok.kind) {
            case Star:
                starP = pi++;
                starT = ti;
                continue;
            case Literal: ok = tok.ch == t[ti]; break;
            case Any: ok = true; break;
            case Digit: ok = t[ti] >= '0' && t[ti] <= '9'; break;
            case Class: ok = classes_[tok.cls].contains(t[ti]); break;
            }
            if (ok) {
                ++pi;
                ++ti;
                continue;
            }
        }
        if (starP == SIZE_MAX) return false;
        pi = starP + 1;
        ti = ++starT;
    }
    while (pi < pn && tokens_[pi].kind == Star) ++pi;
    return pi == pn;
}

bool LikePattern::matches(std::string_view text) const {
    if (shape_ != General) {
        // ASCII text folds byte by byte; anything else takes the general road.
        thread_local std::string low;
        low.resize(text.size());
        bool ascii = true;
        for (std::size_t i = 0; i < text.size(); ++i) {
            unsigned char c = static_cast<unsigned char>(text[i]);
            if (c >= 0x80) {
                ascii = false;
                break;
            }
            low[i] = static_cast<char>(asciiLower(c));
        }
        if (ascii) {
            std::string_view s(low.data(), text.size()), lit(asciiLiteral_);
            switch (shape_) {
            case Contains: return s.find(lit) != std::string_view::npos;
            case Prefix: return s.substr(0, lit.size()) == lit;
            case Suffix: return s.size() >= lit.size() && s.substr(s.size() - lit.size()) == lit;
            case Exact: return s == lit;
            case General: break;
            }
        }
    }
    thread_local std::vector<char32_t> folded;
    foldAll(text, folded);
    return matchTokens(folded.data(), folded.size());
}

}  // namespace qs::db::detail
