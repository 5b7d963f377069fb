#include "platform/runtime/text.h"
#include "platform/runtime/casetable.h"

#include <gtest/gtest.h>

#include <windows.h>

using namespace qs::rt;

TEST(Text, Utf8AndUtf16RoundTrip) {
    const std::string s = "C:\\Dokumente\\Grüße – 日本語 \xF0\x9F\x93\x84.txt";
    std::wstring w = widen(s);
    EXPECT_EQ(w, L"C:\\Dokumente\\Grüße – 日本語 \U0001F4C4.txt");
    EXPECT_EQ(narrow(w), s);
    EXPECT_EQ(widen(""), L"");
    EXPECT_EQ(narrow(L""), "");
    // An embedded NUL is kept, not a terminator.
    EXPECT_EQ(narrow(widen(std::string("a\0b", 3))), std::string("a\0b", 3));
    // Broken UTF-8 does not throw and does not vanish.
    EXPECT_FALSE(widen("ab\xFF\xFE").empty());
}

TEST(Text, AnsiConversions) {
    if (GetACP() != 1252) GTEST_SKIP() << "expects the Western code page";
    EXPECT_EQ(toAnsi("Café €"), "Caf\xE9 \x80");
    EXPECT_EQ(fromAnsi("Caf\xE9 \x80"), "Café €");
    EXPECT_EQ(toAnsi("日"), "?");  // not in the code page
    EXPECT_EQ(fromAnsi(std::string("a\0b", 3)), std::string("a\0b", 3));
}

TEST(Text, CaseOverAllOfUnicode) {
    EXPECT_EQ(UCase("c:\\docs\\letter.txt"), "C:\\DOCS\\LETTER.TXT");
    EXPECT_EQ(UCase("äöü éñ çø"), "ÄÖÜ ÉÑ ÇØ");
    EXPECT_EQ(UCase("привет αβγ"), "ПРИВЕТ ΑΒΓ");
    EXPECT_EQ(UCase("i"), "I");  // never a dotted capital, whatever the user's language
    EXPECT_EQ(LCase("ÄÖÜ ÉÑ ПРИВЕТ ABC"), "äöü éñ привет abc");
    EXPECT_EQ(UCase("日本 123 -_"), "日本 123 -_");
    EXPECT_EQ(UCase(""), "");
    // The length in characters stays the same, so positions found in one form hold in the other.
    std::string mixed = "Straße Ǆ ﬁ";
    EXPECT_EQ(widen(UCase(mixed)).size(), widen(mixed).size());
}

// The native build (fuzzing) maps case from a table generated under Wine; it must be the system's mapping,
// for every character and in whole texts (scripts/gen-casetable makes it again when Wine changes).
TEST(Text, CaseTableAgreesWithTheSystem) {
    std::string all;
    for (char32_t c = 1; c <= 0x10FFFF; ++c) {
        if (c >= 0xD800 && c < 0xE000) continue;
        std::wstring w = c < 0x10000 ? std::wstring(1, wchar_t(c))
                                     : std::wstring{wchar_t(0xD800 + ((c - 0x10000) >> 10)),
                                                    wchar_t(0xDC00 + ((c - 0x10000) & 0x3FF))};
        all += narrow(w);
    }
    auto firstDifference = [](const std::string& a, const std::string& b) {
        size_t i = 0;
        while (i < a.size() && i < b.size() && a[i] == b[i]) ++i;
        return i == a.size() && i == b.size() ? std::string() : a.substr(i, 4) + " / " + b.substr(i, 4);
    };
    EXPECT_EQ(firstDifference(UCase(all), casetable::mapped(all, true)), "");
    EXPECT_EQ(firstDifference(LCase(all), casetable::mapped(all, false)), "");
}
