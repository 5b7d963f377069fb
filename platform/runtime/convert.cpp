#include "platform/runtime/convert.h"

#include "platform/runtime/errors.h"
#include "platform/runtime/text.h"

#include <cstdlib>
#include <cmath>
#include <cstdio>
#include <limits>
#include <optional>

namespace qs::rt {
namespace {

std::string_view trimBlanks(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
    return s;
}

// A decimal number: optional sign, digits with at most one ".", optional exponent. Nothing else.
std::optional<double> parseNumber(std::string_view text) {
    std::string_view s = trimBlanks(text);
    bool negative = false;
    if (!s.empty() && (s.front() == '+' || s.front() == '-')) {
        negative = s.front() == '-';
        s.remove_prefix(1);
    }
    if (s.empty() || s.front() == '+' || s.front() == '-') return std::nullopt;
    // The grammar is checked here; strtod only does the arithmetic (the program never changes the C
    // locale, so "." is its decimal point).
    size_t i = 0, digits = 0;
    while (i < s.size() && s[i] >= '0' && s[i] <= '9') ++i, ++digits;
    if (i < s.size() && s[i] == '.') {
        ++i;
        while (i < s.size() && s[i] >= '0' && s[i] <= '9') ++i, ++digits;
    }
    if (digits == 0) return std::nullopt;
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        ++i;
        if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
        size_t expDigits = 0;
        while (i < s.size() && s[i] >= '0' && s[i] <= '9') ++i, ++expDigits;
        if (expDigits == 0) return std::nullopt;
    }
    if (i != s.size()) return std::nullopt;
    std::string copy(s);
    double value = std::strtod(copy.c_str(), nullptr);
    if (std::isinf(value)) throw Error(errOverflow);
    return negative ? -value : value;
}

double numberOrMismatch(std::string_view text) {
    auto v = parseNumber(text);
    if (!v) throw Error(errTypeMismatch);
    return *v;
}

template <typename Int>
Int toWhole(std::string_view text) {
    double r = roundHalfEven(numberOrMismatch(text));
    if (r < double(std::numeric_limits<Int>::min()) || r > double(std::numeric_limits<Int>::max()))
        throw Error(errOverflow);
    return Int(r);
}

std::string formatSignificant(double value, int digits) {
    if (value == 0) return "0";
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.*G", digits, value);
    std::string s = buf;
    // %G leaves trailing zeros out already, but mingw's printf may write three exponent digits.
    auto e = s.find('E');
    if (e != std::string::npos) {
        std::string mantissa = s.substr(0, e);
        char sign = s[e + 1];
        std::string exp = s.substr(e + 2);
        while (exp.size() > 2 && exp.front() == '0') exp.erase(0, 1);
        s = mantissa + 'E' + sign + exp;
    }
    return s;
}

}  // namespace

double roundHalfEven(double value) {
    if (!std::isfinite(value)) return value;
    double lower = std::floor(value);
    double diff = value - lower;
    if (diff > 0.5) return lower + 1;
    if (diff < 0.5) return lower;
    return std::fmod(lower, 2.0) == 0 ? lower : lower + 1;
}

bool CBool(std::string_view text) {
    std::string_view s = trimBlanks(text);
    std::string upper = UCase(s);
    if (upper == "TRUE") return true;
    if (upper == "FALSE") return false;
    return numberOrMismatch(s) != 0;
}

int16_t CInt(std::string_view text) { return toWhole<int16_t>(text); }
int32_t CLng(std::string_view text) { return toWhole<int32_t>(text); }

float CSng(std::string_view text) {
    double v = numberOrMismatch(text);
    if (std::fabs(v) > double(std::numeric_limits<float>::max())) throw Error(errOverflow);
    return float(v);
}

double CDbl(std::string_view text) { return numberOrMismatch(text); }

std::string Str(double value) { return formatSignificant(value, 15); }
std::string Str(float value) { return formatSignificant(double(value), 7); }
std::string Str(int value) { return std::to_string(value); }
std::string Str(long value) { return std::to_string(value); }

std::string BoolText(bool value) { return value ? "True" : "False"; }

}  // namespace qs::rt
