#include "platform/runtime/convert.h"
#include "platform/runtime/errors.h"
#include "tests/support/errorof.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace qs::rt;
using qs::test::errorOf;

TEST(Convert, RoundsHalvesToEven) {
    EXPECT_EQ(roundHalfEven(2.5), 2);
    EXPECT_EQ(roundHalfEven(3.5), 4);
    EXPECT_EQ(roundHalfEven(-2.5), -2);
    EXPECT_EQ(roundHalfEven(-3.5), -4);
    EXPECT_EQ(roundHalfEven(0.5), 0);
    EXPECT_EQ(roundHalfEven(2.4999), 2);
    EXPECT_EQ(roundHalfEven(2.5001), 3);
    EXPECT_EQ(roundHalfEven(-0.4), 0);
    // Centring a 7155-twip window on a 19200-twip screen gives 6022.5.
    EXPECT_EQ(roundHalfEven((19200.0 - 7155.0) / 2), 6022);
    EXPECT_EQ(roundHalfEven((15360.0 - 7155.0) / 2), 4102);  // 4102.5
}

TEST(Convert, IntegersFromText) {
    EXPECT_EQ(CInt("90"), 90);
    EXPECT_EQ(CInt(" 2.5 "), 2);
    EXPECT_EQ(CInt("3.5"), 4);
    EXPECT_EQ(CInt("-7"), -7);
    EXPECT_EQ(CInt("+12"), 12);
    EXPECT_EQ(CInt("1e2"), 100);
    EXPECT_EQ(CInt("32767"), 32767);
    EXPECT_EQ(CInt("-32768.5"), -32768);
    EXPECT_EQ(CInt(".5"), 0);
    EXPECT_EQ(errorOf([] { CInt("32767.5"); }), 6);
    EXPECT_EQ(errorOf([] { CInt("-32769"); }), 6);
    EXPECT_EQ(CLng("2147483647"), 2147483647);
    EXPECT_EQ(CLng("40000.5"), 40000);
    EXPECT_EQ(errorOf([] { CLng("2147483648"); }), 6);
    EXPECT_EQ(errorOf([] { CLng("1e400"); }), 6);
    for (const char* bad : {"", " ", "abc", "12abc", "1.2.3", "--1", "+-1", "1e", ".", "inf", "nan", "0x10", "1,5"})
        EXPECT_EQ(errorOf([&] { CInt(bad); }), 13) << '"' << bad << '"';
}

TEST(Convert, BooleansFromText) {
    EXPECT_TRUE(CBool("True"));
    EXPECT_TRUE(CBool("TRUE"));
    EXPECT_TRUE(CBool("true"));
    EXPECT_FALSE(CBool("False"));
    EXPECT_FALSE(CBool("fAlSe"));
    EXPECT_FALSE(CBool("0"));
    EXPECT_FALSE(CBool(" 0.0 "));
    EXPECT_TRUE(CBool("-1"));
    EXPECT_TRUE(CBool("0.1"));
    EXPECT_TRUE(CBool("2"));
    for (const char* bad : {"", "yes", "Tru", "True1", "T"})
        EXPECT_EQ(errorOf([&] { CBool(bad); }), 13) << '"' << bad << '"';
}

TEST(Convert, NumbersToText) {
    EXPECT_EQ(Str(7155.5f), "7155.5");
    EXPECT_EQ(Str(6022.0f), "6022");
    EXPECT_EQ(Str(-120.25f), "-120.25");
    EXPECT_EQ(Str(0.1f), "0.1");
    EXPECT_EQ(Str(1.0f / 3), "0.3333333");
    EXPECT_EQ(Str(1e8f), "1E+08");
    EXPECT_EQ(Str(0.0f), "0");
    EXPECT_EQ(Str(-0.0), "0");
    EXPECT_EQ(Str(1.0 / 3), "0.333333333333333");
    EXPECT_EQ(Str(1e20), "1E+20");
    EXPECT_EQ(Str(0.0001), "0.0001");
    EXPECT_EQ(Str(0.00001), "1E-05");
    EXPECT_EQ(Str(123456789012345.0), "123456789012345");
    EXPECT_EQ(Str(90), "90");
    EXPECT_EQ(Str(-3), "-3");
    EXPECT_EQ(Str(2147483647L), "2147483647");
    EXPECT_EQ(BoolText(true), "True");
    EXPECT_EQ(BoolText(false), "False");
}

TEST(Convert, WrittenPositionsReadBackExactly) {
    // Window positions are whole or half twips, also off the screen.
    for (float v : {7155.5f, -14400.0f, 0.0f, 123456.5f, -0.5f, 99999.0f, 6022.0f})
        EXPECT_EQ(CSng(Str(v)), v) << Str(v);
    EXPECT_EQ(CSng(" 12.75 "), 12.75f);
    EXPECT_EQ(errorOf([] { CSng("1e39"); }), 6);
    EXPECT_EQ(errorOf([] { CSng("12 px"); }), 13);
    EXPECT_EQ(CDbl("1e-400"), 0);
}
