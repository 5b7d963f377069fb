#include "platform/runtime/dates.h"
#include "platform/runtime/errors.h"
#include "platform/runtime/services.h"
#include "tests/support/errorof.h"
#include "tests/support/services.h"

#include <gtest/gtest.h>

#include <random>

using namespace qs::rt;
using qs::test::errorOf;

TEST(Dates, CalendarDates) {
    EXPECT_EQ(makeDate(1899, 12, 30), 0);
    EXPECT_EQ(makeDate(1900, 1, 1), 2);
    EXPECT_EQ(makeDate(2024, 3, 7), 45358);
    EXPECT_DOUBLE_EQ(makeDate(2024, 3, 7, 18, 0, 0), 45358.75);
    EXPECT_DOUBLE_EQ(makeDate(1899, 12, 29, 6, 0, 0), -1.25);  // before the epoch the time still counts forward
    EXPECT_EQ(makeDate(100, 1, 1), -657434);
    EXPECT_EQ(makeDate(9999, 12, 31), 2958465);
    EXPECT_EQ(errorOf([] { makeDate(2023, 2, 29); }), 5);
    EXPECT_EQ(errorOf([] { makeDate(2024, 13, 1); }), 5);
    EXPECT_EQ(errorOf([] { makeDate(2024, 1, 1, 24, 0, 0); }), 5);

    DateParts p = splitDate(makeDate(2024, 2, 29, 23, 59, 59));
    EXPECT_EQ(p.year, 2024);
    EXPECT_EQ(p.month, 2);
    EXPECT_EQ(p.day, 29);
    EXPECT_EQ(p.hour, 23);
    EXPECT_EQ(p.minute, 59);
    EXPECT_EQ(p.second, 59);

    std::mt19937 rng(7);
    std::uniform_int_distribution<int> year(100, 9999), month(1, 12), day(1, 28), hour(0, 23), sixty(0, 59);
    for (int i = 0; i < 2000; ++i) {
        DateParts d{year(rng), month(rng), day(rng), hour(rng), sixty(rng), sixty(rng)};
        DateParts back = splitDate(makeDate(d.year, d.month, d.day, d.hour, d.minute, d.second));
        ASSERT_EQ(std::tie(back.year, back.month, back.day, back.hour, back.minute, back.second),
                  std::tie(d.year, d.month, d.day, d.hour, d.minute, d.second));
    }
}

TEST(Dates, MonthDayYearText) {
    EXPECT_EQ(formatMMDDYYYY(makeDate(2024, 3, 7, 15, 30, 0)), "03/07/2024");
    EXPECT_EQ(formatMMDDYYYY(makeDate(1999, 12, 31)), "12/31/1999");
    EXPECT_EQ(formatMMDDYYYY(makeDate(150, 1, 2)), "01/02/0150");
    // 23:59:59.7 is shown as the next second, which is the next day.
    EXPECT_EQ(formatMMDDYYYY(makeDate(2024, 3, 7) + (86399.7 / 86400)), "03/08/2024");
}

TEST(Dates, AddDays) {
    double d = makeDate(2024, 1, 31, 13, 45, 0);
    EXPECT_DOUBLE_EQ(DateAdd('d', 1, d), makeDate(2024, 2, 1, 13, 45, 0));
    EXPECT_DOUBLE_EQ(DateAdd('d', 29, d), makeDate(2024, 2, 29, 13, 45, 0));
    EXPECT_DOUBLE_EQ(DateAdd('d', -90, makeDate(2024, 3, 7)), makeDate(2023, 12, 8));
    EXPECT_DOUBLE_EQ(DateAdd('d', 0, d), d);
    EXPECT_DOUBLE_EQ(DateAdd('d', 2.5, d), makeDate(2024, 2, 2, 13, 45, 0));  // rounded half to even
    // Across the epoch the time of day stays 06:00.
    EXPECT_DOUBLE_EQ(DateAdd('d', 1, -1.25), 0.25);
    EXPECT_DOUBLE_EQ(DateAdd('d', -1, 0.25), -1.25);
    EXPECT_EQ(errorOf([&] { DateAdd('m', 1, d); }), 5);
    EXPECT_EQ(errorOf([] { DateAdd('d', 1, makeDate(9999, 12, 31)); }), 5);
    EXPECT_EQ(errorOf([] { DateAdd('d', -1, makeDate(100, 1, 1)); }), 5);
}

// Found by fuzzing: the first day of the calendar was refused when it had a time of day.
TEST(Dates, AddDaysReachesTheFirstDayAtAnyTime) {
    EXPECT_DOUBLE_EQ(DateAdd('d', -1, makeDate(100, 1, 2, 6, 0, 0)), makeDate(100, 1, 1, 6, 0, 0));
    EXPECT_DOUBLE_EQ(DateAdd('d', 0, makeDate(100, 1, 1, 23, 59, 59)), makeDate(100, 1, 1, 23, 59, 59));
    EXPECT_EQ(errorOf([] { DateAdd('d', -1, makeDate(100, 1, 1, 6, 0, 0)); }), 5);
    EXPECT_DOUBLE_EQ(DateAdd('d', 1, makeDate(9999, 12, 30, 23, 59, 59)), makeDate(9999, 12, 31, 23, 59, 59));
}

TEST(Dates, ClockThroughServices) {
    {
        qs::test::FakeServices clock("C:\\", makeDate(2024, 3, 7, 15, 30, 12));
        EXPECT_EQ(Now(), makeDate(2024, 3, 7, 15, 30, 12));
        EXPECT_EQ(Today(), makeDate(2024, 3, 7));
    }

    SYSTEMTIME st;
    GetLocalTime(&st);
    double real = Now();
    EXPECT_NEAR(real, makeDate(st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond), 5.0 / 86400);
    EXPECT_EQ(Today(), std::floor(real));
}

TEST(Dates, SystemText) {
    double d = makeDate(2024, 3, 7, 15, 30, 0);
    BSTR expected = nullptr;
    ASSERT_EQ(VarBstrFromDate(d, LOCALE_USER_DEFAULT, 0, &expected), S_OK);
    std::wstring w(expected, SysStringLen(expected));
    SysFreeString(expected);
    std::string text = dateTimeText(d);
    EXPECT_EQ(text, std::string(w.begin(), w.end()));
    EXPECT_NE(text.find("2024"), std::string::npos) << text;
    EXPECT_EQ(dateTimeText(makeDate(2024, 3, 7)).find(':'), std::string::npos);  // midnight: date only
}

TEST(Dates, FileTimesAreLocalWholeSeconds) {
    SYSTEMTIME local{2021, 7, 0, 4, 5, 6, 7, 0};  // a summer date, where daylight time applies
    SYSTEMTIME utc;
    ASSERT_TRUE(TzSpecificLocalTimeToSystemTime(nullptr, &local, &utc));
    utc.wMilliseconds = 900;
    FILETIME ft;
    ASSERT_TRUE(SystemTimeToFileTime(&utc, &ft));
    EXPECT_DOUBLE_EQ(fromFileTime(ft), makeDate(2021, 7, 4, 5, 6, 7));
}
