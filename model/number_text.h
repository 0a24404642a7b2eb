#pragma once
// Numbers as the parameter list shows them and as the user types them. These
// never depend on the process locale: a value shown can always be typed back.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kelvo {

// Like scanf "%li": leading blanks, a sign, then decimal, "0x" hexadecimal or
// leading-0 octal digits up to the first other character. No digits: nothing.
// A number that does not fit gives nothing too, never a wrapped value:
// decimal must lie in -2147483648..2147483647; hexadecimal and octal digits
// are the value's 32 bits (0xFFFFFFFF reads as -1, as a caption shows -1 in
// hexadecimal), up to 0xFFFFFFFF, and with a minus sign at most 0x80000000.
std::optional<std::int32_t> ParseLongText(std::string_view text);

// Like scanf "%lf" with a point as decimal separator. No number: nothing.
std::optional<double> ParseDoubleText(std::string_view text);

// At most 15 significant digits without trailing zeros or an unneeded point;
// fixed notation when the integer part has at most 15 digits and the
// magnitude is at least 0.00001 (or the value is 0), otherwise scientific
// notation such as 1.5E+20 or 1E-06.
std::string FormatDoubleText(double value);

} // namespace kelvo
