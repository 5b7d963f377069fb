#pragma once
// Dates as the runtime keeps them: OLE Automation dates, days since 30 December 1899 as a double with the
// time of day as the fraction (for dates before 1899 the fraction still counts forward from midnight:
// -1.25 is 29 December 1899, 06:00).

#include <string>

struct _FILETIME;  // <windows.h>: FILETIME

namespace qs::rt {

// Now and today through services().now(), so tests can fix the clock. Today has no time part.
double Now();
double Today();

// `interval` 'd' adds `number` days (rounded half to even), keeping the time of day. Other intervals,
// or a result outside the years 100 to 9999: Error 5.
double DateAdd(char interval, double number, double date);

// The date part as "mm/dd/yyyy" with "/" whatever the locale says ("03/07/2024").
std::string formatMMDDYYYY(double date);

// How the system shows a date and time to the user (VarBstrFromDate with the user's default locale).
std::string dateTimeText(double date);

// A file-system time (UTC) as a local date and time, to the whole second.
double fromFileTime(const _FILETIME& utc);

// The date of a calendar date and time of day. Fields out of range: Error 5.
double makeDate(int year, int month, int day, int hour = 0, int minute = 0, int second = 0);

// The calendar fields of a date, rounded to the nearest second.
struct DateParts {
    int year, month, day, hour, minute, second;
};
DateParts splitDate(double date);

}  // namespace qs::rt
