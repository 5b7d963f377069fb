// Text that becomes a number or a date: settings, entry boxes, date literals of the query dialect.
// Properties: every conversion accepts the text or refuses it with the runtime's error (13 type mismatch,
// 6 overflow; 5 for dates); what it accepts formats back (Str, BoolText, "mm/dd/yyyy hh:mm:ss") to text
// that converts to an equal value; the whole-number conversions agree with CDbl rounded half to even;
// a date literal agrees with the runtime's calendar (makeDate, splitDate, formatMMDDYYYY); adding days
// and taking them away again gives the date back.
#include "platform/db/internal.h"
#include "platform/runtime/convert.h"
#include "platform/runtime/dates.h"
#include "platform/runtime/errors.h"
#include "tests/fuzz/check.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cmath>
#include <limits>
#include <optional>
#include <type_traits>

using namespace qs::rt;
using qs::db::detail::parseDateLiteral;

namespace {

template <typename F>
auto attempt(F f, std::initializer_list<int> allowed, const std::string& shown) -> std::optional<decltype(f())> {
    try {
        return f();
    } catch (const Error& e) {
        bool known = false;
        for (int n : allowed) known = known || e.number == n;
        FUZZ_CHECK(known, shown + " raised " + std::to_string(e.number));
        return std::nullopt;
    }
}

// Str writes 15 (Double) or 7 (Single) significant digits: reading it back gives the value to that
// precision. A Double (15 digits are within its precision) also writes the same text again; a Single needs
// 9 digits to come back exactly, so 7 do not always read back to a value that writes the same 7.
template <typename T>
void formatsBack(T value, T (*convert)(std::string_view), double precision, const std::string& shown) {
    const std::string text = Str(value);
    std::optional<T> back = attempt([&] { return convert(text); }, {}, shown + " wrote " + text);
    if (std::is_same_v<T, double> && std::fabs(value) >= std::numeric_limits<double>::min())
        FUZZ_CHECK(Str(*back) == text, shown + " wrote " + text + ", read back as " + Str(*back));
    double tolerance = std::fabs(double(value)) * precision + double(std::numeric_limits<T>::denorm_min());
    FUZZ_CHECK(std::fabs(double(*back) - double(value)) <= tolerance, shown + " wrote " + text);
}

void numbers(const std::string& text) {
    const std::string shown = qs::fuzz::shown(text);
    std::optional<double> d = attempt([&] { return CDbl(text); }, {errTypeMismatch, errOverflow}, shown);
    if (d) formatsBack<double>(*d, CDbl, 1e-14, shown);
    if (std::optional<float> f = attempt([&] { return CSng(text); }, {errTypeMismatch, errOverflow}, shown)) {
        FUZZ_CHECK(d && float(*d) == *f, shown);
        formatsBack<float>(*f, CSng, 1e-6, shown);
    }
    auto whole = [&](auto convert, double lo, double hi) {
        auto v = attempt([&] { return convert(text); }, {errTypeMismatch, errOverflow}, shown);
        if (v) {
            FUZZ_CHECK(d && double(*v) == roundHalfEven(*d), shown);
            FUZZ_CHECK(convert(Str(long(*v))) == *v, shown);
        } else if (d) {
            double r = roundHalfEven(*d);
            FUZZ_CHECK(r < lo || r > hi, shown + ": refused although in range");
        }
    };
    whole(CInt, -32768.0, 32767.0);
    whole(CLng, -2147483648.0, 2147483647.0);
    if (std::optional<bool> b = attempt([&] { return CBool(text); }, {errTypeMismatch, errOverflow}, shown))
        FUZZ_CHECK(CBool(BoolText(*b)) == *b, shown);
}

std::string fullText(const DateParts& p) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%02d/%02d/%04d %02d:%02d:%02d", p.month, p.day, p.year, p.hour, p.minute, p.second);
    return buf;
}

void dates(const std::string& text) {
    const std::string shown = qs::fuzz::shown(text);
    std::optional<double> d = parseDateLiteral(text);
    if (!d) return;
    DateParts p = splitDate(*d);
    const std::string full = fullText(p);
    FUZZ_CHECK(parseDateLiteral(full) == d, shown + " is " + std::to_string(*d) + ", written " + full);
    FUZZ_CHECK(makeDate(p.year, p.month, p.day, p.hour, p.minute, p.second) == *d, shown + " written " + full);
    const std::string day = formatMMDDYYYY(*d);
    FUZZ_CHECK(parseDateLiteral(day) == makeDate(p.year, p.month, p.day), shown + " day written " + day);
}

// A day and a second of it as the runtime keeps dates (the time counts forward from midnight also before
// 1899): any day from the years just outside the calendar's range, or one of the days around its ends; or
// any number at all.
double someDate(FuzzedDataProvider& provider) {
    if (!provider.ConsumeBool()) return provider.ConsumeFloatingPoint<double>();
    double day = provider.ConsumeIntegralInRange<int32_t>(-660000, 2960000);
    switch (provider.ConsumeIntegralInRange(0, 3)) {
    case 1: day = -657434 + std::fmod(day, 4.0); break;  // 1 January 100
    case 2: day = 2958465 + std::fmod(day, 4.0); break;  // 31 December 9999
    }
    const double time = provider.ConsumeIntegralInRange(0, 86399) / 86400.0;
    return day >= 0 ? day + time : day - time;
}

void arithmetic(FuzzedDataProvider& provider) {
    const double date = someDate(provider);
    double days;
    switch (provider.ConsumeIntegralInRange(0, 2)) {
    case 0: days = provider.ConsumeFloatingPoint<double>(); break;
    case 1: days = provider.ConsumeIntegralInRange<int32_t>(-3700000, 3700000); break;
    default: days = provider.ConsumeIntegralInRange(-5, 5); break;
    }
    const std::string shown = std::to_string(date) + " + " + std::to_string(days) + " days";
    std::optional<double> same = attempt([&] { return DateAdd('d', 0, date); }, {errInvalidCall}, shown);
    std::optional<double> later = attempt([&] { return DateAdd('d', days, date); }, {errInvalidCall}, shown);
    // A date of the calendar plus whole days is refused exactly when the day it gives lies outside it.
    if (same && std::fabs(days) < 1e7) {
        DateParts p = splitDate(*same);
        const double day = makeDate(p.year, p.month, p.day) + roundHalfEven(days);
        FUZZ_CHECK(later.has_value() == (day >= makeDate(100, 1, 1) && day <= makeDate(9999, 12, 31)), shown);
    }
    if (!later || !same) return;
    std::optional<double> back =
        attempt([&] { return DateAdd('d', -roundHalfEven(days), *later); }, {errInvalidCall}, shown);
    FUZZ_CHECK(back && *back == *same, shown);
    const std::string day = formatMMDDYYYY(*later);
    DateParts p = splitDate(*later);
    FUZZ_CHECK(parseDateLiteral(day) == makeDate(p.year, p.month, p.day), shown + " written " + day);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider provider(data, size);
    switch (provider.ConsumeIntegralInRange(0, 2)) {
    case 0: numbers(provider.ConsumeRemainingBytesAsString()); break;
    case 1: dates(provider.ConsumeRemainingBytesAsString()); break;
    case 2: arithmetic(provider); break;
    }
    return 0;
}
