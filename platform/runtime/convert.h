#pragma once
// Conversions between text and the runtime's value types, as the runtime does them when a stored text is
// read into a variable or a number is written out as text. Numbers in text always use "." as decimal
// point, so that what the program writes reads back on any locale.

#include <cstdint>
#include <string>
#include <string_view>

namespace qs::rt {

// Rounds to the nearest whole number; a value exactly halfway goes to the even neighbour (2.5 -> 2,
// 3.5 -> 4, -2.5 -> -2). NaN and infinities come back unchanged.
double roundHalfEven(double value);

// "True" / "False" in any letter case, or any number (0 is False, everything else True); surrounding
// blanks are ignored. Anything else: Error 13.
bool CBool(std::string_view text);

// The decimal value of the text, rounded half to even. Not a number: Error 13; out of range: Error 6.
int16_t CInt(std::string_view text);
int32_t CLng(std::string_view text);
float CSng(std::string_view text);
double CDbl(std::string_view text);

// A number as the runtime writes it when it becomes text: no leading blank, a Single with up to 7
// significant digits, a Double with up to 15, no trailing zeros, exponent form ("1E+20", "1E-05")
// only for very large or small values. Str(7155.5f) == "7155.5", Str(-3) == "-3".
std::string Str(double value);
std::string Str(float value);
std::string Str(int value);
std::string Str(long value);
std::string Str(bool) = delete;  // use BoolText

std::string BoolText(bool value);  // "True" / "False"

}  // namespace qs::rt
