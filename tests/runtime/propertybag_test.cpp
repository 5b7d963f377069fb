#include "platform/runtime/propertybag.h"

#include <gtest/gtest.h>

#include <chrono>
#include <random>

using namespace qs::rt;

namespace {

std::vector<uint8_t> bytesOf(std::initializer_list<int> list) {
    std::vector<uint8_t> v;
    for (int b : list) v.push_back(uint8_t(b));
    return v;
}

void append(std::vector<uint8_t>& v, std::initializer_list<int> list) {
    for (int b : list) v.push_back(uint8_t(b));
}

// A bag's header with the given entry count; entries are appended by hand.
std::vector<uint8_t> header(uint32_t count) {
    return bytesOf({'Q', 'S', 'P', 'B', 1, 0, int(count & 0xFF), int(count >> 8 & 0xFF), int(count >> 16 & 0xFF),
                    int(count >> 24)});
}

// What FromContents accepts must be exactly what Contents writes back: the format has one spelling.
void expectCanonical(std::span<const uint8_t> bytes) {
    if (auto bag = PropertyBag::FromContents(bytes)) {
        std::vector<uint8_t> again = bag->Contents();
        ASSERT_TRUE(std::equal(again.begin(), again.end(), bytes.begin(), bytes.end()));
    }
}

}  // namespace

TEST(PropertyBag, WritesAndReadsBack) {
    PropertyBag bag;
    bag.WriteProperty("NumEls", int32_t(1));
    bag.WriteProperty("0", std::string("C:\\DOCS\\\"quoted\" Grüße.txt"));
    bag.WriteProperty("1", std::string());
    bag.WriteProperty("neg", int32_t(-2147483647 - 1));
    bag.WriteProperty("NumEls", int32_t(7));  // replaces

    auto back = PropertyBag::FromContents(bag.Contents());
    ASSERT_TRUE(back);
    EXPECT_EQ(back->size(), 4u);
    EXPECT_EQ(back->ReadProperty("NumEls"), PropertyBag::Value(int32_t(7)));
    EXPECT_EQ(back->ReadProperty("0"), PropertyBag::Value(std::string("C:\\DOCS\\\"quoted\" Grüße.txt")));
    EXPECT_EQ(back->ReadProperty("1"), PropertyBag::Value(std::string()));
    EXPECT_EQ(back->ReadProperty("neg"), PropertyBag::Value(int32_t(-2147483647 - 1)));
    EXPECT_FALSE(back->ReadProperty("numels"));  // names are exact
    EXPECT_FALSE(back->ReadProperty("2"));

    EXPECT_TRUE(PropertyBag::FromContents(PropertyBag().Contents()));
}

TEST(PropertyBag, ByteLayout) {
    PropertyBag bag;
    bag.WriteProperty("N", int32_t(0x01020304));
    bag.WriteProperty("s", std::string("ab"));
    std::vector<uint8_t> expected = header(2);
    append(expected, {1, 0, 0, 0, 'N', 1, 4, 3, 2, 1});
    append(expected, {1, 0, 0, 0, 's', 2, 2, 0, 0, 0, 'a', 'b'});
    EXPECT_EQ(bag.Contents(), expected);
}

TEST(PropertyBag, RejectsEveryTruncationAndAnyExtra) {
    std::vector<std::string> paths = {"C:\\A\\ONE.TXT", "", "d:\\x\\two words.doc", "\xC3\xA9"};
    std::vector<uint8_t> full = encodePathList(paths);
    ASSERT_TRUE(PropertyBag::FromContents(full));
    for (size_t n = 0; n < full.size(); ++n) {
        std::span<const uint8_t> cut(full.data(), n);
        EXPECT_FALSE(PropertyBag::FromContents(cut)) << "length " << n;
        EXPECT_FALSE(decodePathList(cut)) << "length " << n;
    }
    std::vector<uint8_t> longer = full;
    longer.push_back(0);
    EXPECT_FALSE(PropertyBag::FromContents(longer));
}

TEST(PropertyBag, RejectsMalformedHeadersAndEntries) {
    std::vector<uint8_t> good = header(1);
    append(good, {1, 0, 0, 0, 'a', 1, 0, 0, 0, 0});
    ASSERT_TRUE(PropertyBag::FromContents(good));

    auto broken = [&](size_t at, uint8_t value) {
        std::vector<uint8_t> b = good;
        b[at] = value;
        return PropertyBag::FromContents(b).has_value();
    };
    EXPECT_FALSE(broken(0, 'X'));  // magic
    EXPECT_FALSE(broken(4, 2));    // version
    EXPECT_FALSE(broken(5, 1));
    EXPECT_FALSE(broken(6, 2));   // count beyond the entries
    EXPECT_FALSE(broken(6, 0));   // count short of them: bytes left over
    EXPECT_FALSE(broken(15, 3));  // type tag
    EXPECT_FALSE(broken(15, 0));
    EXPECT_FALSE(broken(10, 0xFF));  // name length past the end
    EXPECT_FALSE(broken(13, 0x80));

    std::vector<uint8_t> twice = header(2);
    append(twice, {1, 0, 0, 0, 'a', 1, 0, 0, 0, 0});
    append(twice, {1, 0, 0, 0, 'a', 2, 0, 0, 0, 0});
    EXPECT_FALSE(PropertyBag::FromContents(twice));  // one name, two values

    EXPECT_FALSE(PropertyBag::FromContents({}));
}

TEST(PropertyBag, HugeNumbersAllocateNothing) {
    auto started = std::chrono::steady_clock::now();
    EXPECT_FALSE(PropertyBag::FromContents(header(0xFFFFFFFF)));
    std::vector<uint8_t> hugeText = header(1);
    append(hugeText, {0, 0, 0, 0, 2, 0xFF, 0xFF, 0xFF, 0x7F});
    EXPECT_FALSE(PropertyBag::FromContents(hugeText));
    std::vector<uint8_t> hugeName = header(1);
    append(hugeName, {0xFF, 0xFF, 0xFF, 0xFF, 2, 0, 0, 0, 0});
    EXPECT_FALSE(PropertyBag::FromContents(hugeName));

    PropertyBag bag;
    bag.WriteProperty("NumEls", int32_t(2147483647));
    bag.WriteProperty("0", std::string("C:\\X.TXT"));
    EXPECT_FALSE(decodePathList(bag.Contents()));
    bag.WriteProperty("NumEls", int32_t(1000));
    EXPECT_FALSE(decodePathList(bag.Contents()));
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(1));
}

TEST(PropertyBag, RandomBytesAndMutationsNeverCrash) {
    std::mt19937 rng(12345);
    std::vector<uint8_t> valid = encodePathList({"C:\\A.TXT", "C:\\B\\C.DOC", "", "Z"});
    for (int round = 0; round < 20000; ++round) {
        std::vector<uint8_t> b;
        if (round % 2) {
            b.resize(rng() % 64);
            for (uint8_t& x : b) x = uint8_t(rng());
            if (b.size() >= 6 && round % 4 == 1)  // get past the magic and version now and then
                std::copy(valid.begin(), valid.begin() + 6, b.begin());
        } else {
            b = valid;
            for (int flips = 1 + rng() % 3; flips > 0; --flips) b[rng() % b.size()] = uint8_t(rng());
        }
        expectCanonical(b);
        (void)decodePathList(b);
    }
}

TEST(PathList, DecodesTheElements) {
    std::vector<std::string> paths = {"C:\\DOCS\\Letter.txt", "c:\\docs\\letter.txt", "C:\\A \"B\"\\c.txt",
                                      "C:\\Übung\\日本.doc"};
    EXPECT_EQ(decodePathList(encodePathList(paths)), paths);

    // NumEls 0: exactly one path, from "0".
    std::vector<std::string> one = {"C:\\ONE.TXT"};
    std::vector<uint8_t> bytes = encodePathList(one);
    EXPECT_EQ(decodePathList(bytes), one);

    // Missing elements and elements that are no text stay empty.
    PropertyBag gaps;
    gaps.WriteProperty("NumEls", int32_t(3));
    gaps.WriteProperty("0", std::string("C:\\FIRST\\PATH.TXT"));
    gaps.WriteProperty("1", int32_t(5));
    gaps.WriteProperty("3", std::string("C:\\LAST\\PATH.TXT"));
    gaps.WriteProperty("03", std::string("not an element name"));
    EXPECT_EQ(decodePathList(gaps.Contents()),
              (std::vector<std::string>{"C:\\FIRST\\PATH.TXT", "", "", "C:\\LAST\\PATH.TXT"}));
}

TEST(PathList, RejectsWhatIsNoPathList) {
    EXPECT_FALSE(decodePathList({}));                  // cbData 0
    EXPECT_FALSE(decodePathList(encodePathList({})));  // NumEls -1

    PropertyBag noCount;
    noCount.WriteProperty("0", std::string("C:\\X.TXT"));
    EXPECT_FALSE(decodePathList(noCount.Contents()));

    PropertyBag textCount;
    textCount.WriteProperty("NumEls", std::string("0"));
    textCount.WriteProperty("0", std::string("C:\\X.TXT"));
    EXPECT_FALSE(decodePathList(textCount.Contents()));

    PropertyBag negative;
    negative.WriteProperty("NumEls", int32_t(-5));
    negative.WriteProperty("0", std::string("C:\\X.TXT"));
    EXPECT_FALSE(decodePathList(negative.Contents()));

    const char text[] = "C:\\NOT\\A\\BAG.TXT";
    EXPECT_FALSE(decodePathList(std::span(reinterpret_cast<const uint8_t*>(text), sizeof text)));
}

TEST(PathList, ManyPathsDecodeQuickly) {
    std::vector<std::string> paths;
    for (int i = 0; i < 20000; ++i) paths.push_back("C:\\FOLDER\\FILE" + std::to_string(i) + ".TXT");
    auto started = std::chrono::steady_clock::now();
    EXPECT_EQ(decodePathList(encodePathList(paths)), paths);
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(2));
}
