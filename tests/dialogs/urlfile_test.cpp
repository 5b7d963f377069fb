// The reading of an Internet shortcut's URL line, apart from any file.
#include <gtest/gtest.h>

#include "app/dialogs/urlfile.h"

using namespace qs::app::urlfile;
using Found = std::optional<std::string>;

TEST(UrlFile, OnlyALineThatStartsWithUrlEqualsCountsAndLinesEndAtCrCrLfOrTheEnd) {
    EXPECT_EQ(findUrlLine("[InternetShortcut]\r\nURL=http://a/\r\nIconIndex=0\r\n"), Found("http://a/"));
    EXPECT_EQ(findUrlLine("[x]\rURL=http://cr/\rmore"), Found("http://cr/"));
    EXPECT_EQ(findUrlLine("URL=http://eof/"), Found("http://eof/"));
    EXPECT_EQ(findUrlLine("URL=one\r\nURL=two\r\n"), Found("one"));
    // The first URL line decides, even when nothing follows its equals sign.
    EXPECT_EQ(findUrlLine("URL=\r\nURL=http://second/\r\n"), Found(""));
    // Not at a line's start, not in capitals, or cut short: no URL line.
    EXPECT_EQ(findUrlLine("[x]\r\nurl=http://lower/\r\n"), std::nullopt);
    EXPECT_EQ(findUrlLine(" URL=http://indented/\r\n"), std::nullopt);
    EXPECT_EQ(findUrlLine("URL\r\n=x"), std::nullopt);
    // A lone LF ends no line: it stays inside the line it is in.
    EXPECT_EQ(findUrlLine("[x]\nURL=http://lf/\n"), std::nullopt);
    EXPECT_EQ(findUrlLine("URL=http://lf/\nnext\r\n"), Found("http://lf/\nnext"));
}

TEST(UrlFile, PiecesOfAnySizeReadAsTheWholeFile) {
    const std::string files[] = {"[x]\r\nURL=http://a/\r\n", "[x]\r\r\nURL=b\r", "\r\nUR\rURL=c", "URL=d\n\r\n",
                                 "xURL=e\r\nURL=f\r\n",      "[x]\r\nurl=g\r\n"};
    for (const std::string& file : files) {
        for (size_t size : {1u, 2u, 3u, 5u}) {
            UrlLineFinder finder;
            bool done = false;
            for (size_t i = 0; i < file.size() && !done; i += size)
                done = finder.feed(std::string_view(file).substr(i, size));
            if (!done) finder.finish();
            const Found got = finder.found() ? Found(finder.url()) : std::nullopt;
            EXPECT_EQ(got, findUrlLine(file)) << "file " << file << " in pieces of " << size;
        }
    }
}

TEST(UrlFile, AHugeLineIsNeverKeptWhole) {
    const std::string noLineEnds(8 << 20, 'x');
    EXPECT_EQ(findUrlLine(noLineEnds + "\rURL=http://after/"), Found("http://after/"));
    const Found longUrl = findUrlLine("URL=" + noLineEnds);
    ASSERT_TRUE(longUrl);
    EXPECT_EQ(longUrl->size(), kKeptUrlBytes);
}

TEST(UrlFile, NamesLoseTheirLastFourCharactersWhateverTheExtension) {
    EXPECT_EQ(nameOfFile("Debian.url"), Found("Debian"));
    EXPECT_EQ(nameOfFile("notes.html"), Found("notes."));
    EXPECT_EQ(nameOfFile("README"), Found("RE"));
    EXPECT_EQ(nameOfFile(".url"), Found(""));
    EXPECT_EQ(nameOfFile("abc"), std::nullopt);
    // Counted as the W APIs count: "é" is one unit, an emoji two.
    EXPECT_EQ(nameOfFile("caf\xC3\xA9.url"), Found("caf\xC3\xA9"));
    EXPECT_EQ(nameOfFile("a\xF0\x9F\x98\x80"
                         "bc"),
              Found("a"));
    EXPECT_EQ(cutToUnits("ab\xF0\x9F\x98\x80", 3), "ab");
    EXPECT_EQ(cutToUnits("ab\xF0\x9F\x98\x80", 4), "ab\xF0\x9F\x98\x80");
    EXPECT_EQ(cutToUnits(std::string(300, 'u'), 255), std::string(255, 'u'));
}
