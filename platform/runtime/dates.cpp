#include "platform/runtime/dates.h"

#include "platform/runtime/convert.h"
#include "platform/runtime/errors.h"

#include <cmath>
#include <cstdio>

namespace qs::rt {
namespace {

// 1 January 100 and 31 December 9999, the range the runtime's dates cover.
constexpr double minDate = -657434.0;
constexpr double maxDate = 2958465.0;
constexpr long epochDays = -25569;  // 30 December 1899 counted from 1 January 1970

// Days since 1 January 1970 in the proleptic Gregorian calendar (H. Hinnant's algorithms).
long daysFromCivil(int y, int m, int d) {
    y -= m <= 2;
    long era = y / 400;
    long yoe = y - era * 400;
    long doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

void civilFromDays(long z, int& y, int& m, int& d) {
    z += 719468;
    long era = z / 146097;
    long doe = z - era * 146097;
    long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    long mp = (5 * doy + 2) / 153;
    d = int(doy - (153 * mp + 2) / 5 + 1);
    m = int(mp < 10 ? mp + 3 : mp - 9);
    y = int(yoe + era * 400 + (m <= 2));
}

bool leap(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

int daysInMonth(int y, int m) {
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return m == 2 && leap(y) ? 29 : days[m - 1];
}

// A date as whole days since 30 December 1899 and seconds into that day.
void splitDays(double date, long& days, long& seconds) {
    double whole = std::trunc(date);
    long s = std::lround(std::fabs(date - whole) * 86400.0);
    days = long(whole);
    if (s >= 86400) {
        s -= 86400;
        days += date < 0 ? -1 : 1;
    }
    seconds = s;
}

double joinDays(long days, long seconds) {
    double t = seconds / 86400.0;
    return days >= 0 ? days + t : days - t;
}

}  // namespace

double makeDate(int year, int month, int day, int hour, int minute, int second) {
    if (year < 100 || year > 9999 || month < 1 || month > 12 || day < 1 || day > daysInMonth(year, month) || hour < 0 ||
        hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59)
        throw Error(errInvalidCall);
    long days = daysFromCivil(year, month, day) - epochDays;
    return joinDays(days, hour * 3600L + minute * 60L + second);
}

DateParts splitDate(double date) {
    long days, seconds;
    splitDays(date, days, seconds);
    DateParts p{};
    civilFromDays(days + epochDays, p.year, p.month, p.day);
    p.hour = int(seconds / 3600);
    p.minute = int(seconds / 60 % 60);
    p.second = int(seconds % 60);
    return p;
}

double DateAdd(char interval, double number, double date) {
    if (interval != 'd' && interval != 'D') throw Error(errInvalidCall);
    if (!std::isfinite(number) || !std::isfinite(date) || date < minDate - 1 || date > maxDate + 1)
        throw Error(errInvalidCall);
    double n = roundHalfEven(number);
    if (std::fabs(n) > maxDate - minDate) throw Error(errInvalidCall);
    long days, seconds;
    splitDays(date, days, seconds);
    // The range is one of days: before 1899 the time of day makes a date more negative, so 1 January 100 at
    // noon is -657434.5, below the first day's -657434 and in range all the same.
    const long day = days + long(n);
    if (day < long(minDate) || day > long(maxDate)) throw Error(errInvalidCall);
    return joinDays(day, seconds);
}

std::string formatMMDDYYYY(double date) {
    DateParts p = splitDate(date);
    char buf[16];
    std::snprintf(buf, sizeof buf, "%02d/%02d/%04d", p.month, p.day, p.year);
    return buf;
}

}  // namespace qs::rt
