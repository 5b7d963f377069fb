// The dates that come from the system: the clock, file times and the user's date format.
#include "platform/runtime/dates.h"

#include "platform/runtime/errors.h"
#include "platform/runtime/services.h"
#include "platform/runtime/text.h"
#include "platform/win/handles.h"

#include <oleauto.h>

namespace qs::rt {

double Now() { return services().now(); }

double Today() {
    DateParts p = splitDate(Now());
    return makeDate(p.year, p.month, p.day);
}

std::string dateTimeText(double date) {
    win::UniqueBstr text;
    if (FAILED(VarBstrFromDate(date, LOCALE_USER_DEFAULT, 0, text.put())) || !text) return {};
    return narrow(std::wstring_view(text.get(), SysStringLen(text.get())));
}

double fromFileTime(const FILETIME& utc) {
    SYSTEMTIME u{}, local{};
    if (!FileTimeToSystemTime(&utc, &u) || !SystemTimeToTzSpecificLocalTime(nullptr, &u, &local))
        throw Error(errInvalidCall);
    return makeDate(local.wYear, local.wMonth, local.wDay, local.wHour, local.wMinute, local.wSecond);
}

}  // namespace qs::rt
