// Dates written as text in the engine's dialect (between # signs in criteria, or stored into a Date
// field): "mm/dd/yyyy", "yyyy-mm-dd", two-digit years, an optional time of day, or a time alone.
#include <cctype>

#include "platform/db/internal.h"
#include "platform/db/textrules.h"

namespace qs::db::detail {

namespace {

int64_t daysFromCivil(int y, int m, int d) {
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const int64_t yoe = y - era * 400;
    const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

int daysInMonth(int y, int m) {
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    bool leap = (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
    return m == 2 && leap ? 29 : days[m - 1];
}

std::string_view trim(std::string_view s) {
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.front()))) s.remove_prefix(1);
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back()))) s.remove_suffix(1);
    return s;
}

// Reads an unsigned number of up to `maxDigits` digits; the count of digits read goes to `digits`.
bool readNumber(std::string_view& s, int& value, int& digits, int maxDigits) {
    value = 0;
    digits = 0;
    while (!s.empty() && std::isdigit(static_cast<unsigned char>(s.front())) && digits < maxDigits) {
        value = value * 10 + (s.front() - '0');
        s.remove_prefix(1);
        ++digits;
    }
    return digits > 0 && (s.empty() || !std::isdigit(static_cast<unsigned char>(s.front())));
}

bool parseTime(std::string_view s, int& hh, int& mi, int& ss) {
    int digits;
    ss = 0;
    if (!readNumber(s, hh, digits, 2) || s.empty() || s.front() != ':') return false;
    s.remove_prefix(1);
    if (!readNumber(s, mi, digits, 2) || digits != 2) return false;
    if (!s.empty() && s.front() == ':') {
        s.remove_prefix(1);
        if (!readNumber(s, ss, digits, 2) || digits != 2) return false;
    }
    s = trim(s);
    if (!s.empty()) {
        bool pm = equalText(s, "PM"), am = equalText(s, "AM");
        if (!pm && !am) return false;
        if (hh < 1 || hh > 12) return false;
        hh = hh % 12 + (pm ? 12 : 0);
    }
    return hh <= 23 && mi <= 59 && ss <= 59;
}

}  // namespace

double makeOaDate(int y, int m, int d, int hh, int mi, int ss) {
    double days = static_cast<double>(daysFromCivil(y, m, d) - daysFromCivil(1899, 12, 30));
    double frac = (hh * 3600.0 + mi * 60.0 + ss) / 86400.0;
    return days >= 0 ? days + frac : days - frac;
}

std::optional<double> parseDateLiteral(std::string_view text) {
    std::string_view s = trim(text);
    if (s.empty()) return std::nullopt;
    // A time alone: "10:30" or "10:30 PM".
    std::size_t colon = s.find(':'), slash = s.find_first_of("/-");
    if (colon != std::string_view::npos && (slash == std::string_view::npos || slash > colon)) {
        int hh, mi, ss;
        if (!parseTime(s, hh, mi, ss)) return std::nullopt;
        return (hh * 3600.0 + mi * 60.0 + ss) / 86400.0;
    }
    int a, b, c, da, db, dc;
    if (!readNumber(s, a, da, 4) || s.empty() || (s.front() != '/' && s.front() != '-')) return std::nullopt;
    char sep = s.front();
    s.remove_prefix(1);
    if (!readNumber(s, b, db, 2) || s.empty() || s.front() != sep) return std::nullopt;
    s.remove_prefix(1);
    if (!readNumber(s, c, dc, 4)) return std::nullopt;
    int y, m, d;
    if (da == 4) {
        y = a;
        m = b;
        d = c;
        if (dc > 2) return std::nullopt;
    }  // yyyy-mm-dd
    else {
        if (da > 2 || (dc != 2 && dc != 4 && dc != 1)) return std::nullopt;
        m = a;
        d = b;
        y = c;
        if (dc <= 2) y += y < 30 ? 2000 : 1900;
    }
    if (y < 100 || y > 9999 || m < 1 || m > 12 || d < 1 || d > daysInMonth(y, m)) return std::nullopt;
    int hh = 0, mi = 0, ss = 0;
    std::string_view rest = trim(s);
    if (!rest.empty()) {
        if (s.empty() || !std::isspace(static_cast<unsigned char>(s.front()))) return std::nullopt;
        if (!parseTime(rest, hh, mi, ss)) return std::nullopt;
    }
    return makeOaDate(y, m, d, hh, mi, ss);
}

}  // namespace qs::db::detail
