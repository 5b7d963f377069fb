#include <windows.h>
#include <oleauto.h>

#include <cctype>
#include <cmath>
#include <cstdlib>

#include "platform/db/internal.h"
#include "platform/db/textrules.h"
#include "platform/runtime/dates.h"

namespace qs::db {

bool isNull(const Value& v) { return std::holds_alternative<std::monostate>(v); }

std::string textOf(const Value& v) {
    if (auto s = std::get_if<std::string>(&v)) return *s;
    if (auto b = std::get_if<bool>(&v)) return *b ? "True" : "False";
    if (auto i = std::get_if<int32_t>(&v)) return std::to_string(*i);
    if (auto d = std::get_if<Date>(&v)) return rt::dateTimeText(d->oa);
    return {};
}

namespace detail {

namespace {

std::string_view trim(std::string_view s) {
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.front()))) s.remove_prefix(1);
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back()))) s.remove_suffix(1);
    return s;
}

}  // namespace

Value readValue(sqlite3_stmt* st, int col, int type) {
    if (sqlite3_column_type(st, col) == SQLITE_NULL) return std::monostate{};
    switch (type) {
    case dbBoolean: return sqlite3_column_int64(st, col) != 0;
    case dbLong: return static_cast<int32_t>(sqlite3_column_int64(st, col));
    case dbDate: return Date{sqlite3_column_double(st, col)};
    }
    auto p = reinterpret_cast<const char*>(sqlite3_column_text(st, col));
    return std::string(p ? p : "", sqlite3_column_bytes(st, col));
}

Param storeValue(const Value& v) {
    if (auto b = std::get_if<bool>(&v)) return int64_t(*b ? -1 : 0);
    if (auto i = std::get_if<int32_t>(&v)) return int64_t(*i);
    if (auto d = std::get_if<Date>(&v)) return d->oa;
    if (auto s = std::get_if<std::string>(&v)) return *s;
    return std::monostate{};
}

namespace {

std::optional<double> parseNumber(std::string_view s) {
    std::string t(trim(s));
    if (t.empty()) return std::nullopt;
    char* end = nullptr;
    double d = std::strtod(t.c_str(), &end);
    if (end != t.c_str() + t.size() || !std::isfinite(d)) return std::nullopt;
    return d;
}

std::optional<double> parseDateText(const std::string& s) {
    if (auto d = parseDateLiteral(s)) return d;
    std::wstring w = widen(s);
    DATE d = 0;
    if (SUCCEEDED(VarDateFromStr(w.data(), LOCALE_USER_DEFAULT, 0, &d))) return d;
    return std::nullopt;
}

[[noreturn]] void conversionError() { raiseNumber(errConversion); }

}  // namespace

Value coerce(const Value& v, int type) {
    if (isNull(v)) return v;
    const std::string* s = std::get_if<std::string>(&v);
    switch (type) {
    case dbText: return s ? v : Value(textOf(v));
    case dbBoolean:
        if (std::holds_alternative<bool>(v)) return v;
        if (auto i = std::get_if<int32_t>(&v)) return *i != 0;
        if (auto d = std::get_if<Date>(&v)) return d->oa != 0;
        if (trim(*s).empty()) return std::monostate{};
        if (equalText(trim(*s), "True") || equalText(trim(*s), "Yes") || equalText(trim(*s), "On")) return true;
        if (equalText(trim(*s), "False") || equalText(trim(*s), "No") || equalText(trim(*s), "Off")) return false;
        if (auto n = parseNumber(*s)) return *n != 0;
        conversionError();
    case dbLong: {
        if (std::holds_alternative<int32_t>(v)) return v;
        if (auto b = std::get_if<bool>(&v)) return int32_t(*b ? -1 : 0);
        double n;
        if (auto d = std::get_if<Date>(&v))
            n = d->oa;
        else if (trim(*s).empty())
            return std::monostate{};
        else if (auto p = parseNumber(*s))
            n = *p;
        else
            conversionError();
        n = std::nearbyint(n);  // halves to even
        if (n < -2147483648.0 || n > 2147483647.0) conversionError();
        return static_cast<int32_t>(n);
    }
    case dbDate:
        if (std::holds_alternative<Date>(v)) return v;
        if (auto i = std::get_if<int32_t>(&v)) return Date{static_cast<double>(*i)};
        if (auto b = std::get_if<bool>(&v)) return Date{*b ? -1.0 : 0.0};
        if (trim(*s).empty()) return std::monostate{};
        if (auto d = parseDateText(*s)) return Date{*d};
        conversionError();
    }
    conversionError();
}

}  // namespace detail
}  // namespace qs::db
