#include "model/number_text.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace kelvo {

namespace {

bool IsBlank(char c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}

int DigitValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return 99;
}

std::size_t SkipBlanks(std::string_view text) {
    std::size_t p = 0;
    while (p < text.size() && IsBlank(text[p]))
        ++p;
    return p;
}

} // namespace

std::optional<std::int32_t> ParseLongText(std::string_view text) {
    std::size_t p = SkipBlanks(text);
    bool negative = false;
    if (p < text.size() && (text[p] == '+' || text[p] == '-'))
        negative = text[p++] == '-';
    int base = 10;
    if (p < text.size() && text[p] == '0') {
        base = 8;
        if (p + 2 < text.size() && (text[p + 1] == 'x' || text[p + 1] == 'X') &&
            DigitValue(text[p + 2]) < 16) {
            base = 16;
            p += 2;
        }
    }
    // Hexadecimal and octal digits spell the 32 bits of the value, as caption
    // placeholders show them; decimal digits spell the signed number itself.
    const std::uint64_t largest = negative ? 0x80000000u : base == 10 ? 0x7FFFFFFFu : 0xFFFFFFFFu;
    std::uint64_t value = 0;
    std::size_t digits = 0;
    bool tooLarge = false;
    for (; p < text.size() && DigitValue(text[p]) < base; ++p, ++digits) {
        value = value * std::uint64_t(base) + std::uint64_t(DigitValue(text[p]));
        if (value > largest) {
            tooLarge = true;
            value = largest; // keeps the sum from overflowing on long digit runs
        }
    }
    if (digits == 0 || tooLarge)
        return std::nullopt;
    if (negative)
        return std::int32_t(-std::int64_t(value));
    return std::int32_t(std::uint32_t(value));
}

std::optional<double> ParseDoubleText(std::string_view text) {
    std::size_t p = SkipBlanks(text);
    if (p < text.size() && text[p] == '+') {
        ++p;
        if (p < text.size() && text[p] == '-')
            return std::nullopt;
    }
    double value = 0.0;
    const char* first = text.data() + p;
    const auto [end, ec] = std::from_chars(first, text.data() + text.size(), value);
    if (end == first)
        return std::nullopt;
    // Out of range behaves as scanf does: the nearest representable value.
    if (ec == std::errc::result_out_of_range)
        return std::strtod(std::string(first, end).c_str(), nullptr);
    return value;
}

namespace {

std::string StripZeros(std::string digits) {
    if (digits.find('.') == std::string::npos)
        return digits;
    while (digits.back() == '0')
        digits.pop_back();
    if (digits.back() == '.')
        digits.pop_back();
    return digits;
}

} // namespace

std::string FormatDoubleText(double value) {
    constexpr int Precision = 15;
    char buf[64];
    if (value == 0.0)
        return "0";
    if (!std::isfinite(value)) {
        const auto r = std::to_chars(buf, buf + sizeof buf, value);
        return std::string(buf, r.ptr);
    }
    // Rounding to 15 digits first decides the exponent, so that 999999999999999.9
    // counts as the 16-digit number it turns into.
    const auto sci =
        std::to_chars(buf, buf + sizeof buf, value, std::chars_format::scientific, Precision - 1);
    const std::string scientific(buf, sci.ptr);
    const std::size_t e = scientific.find('e');
    const int exponent = std::atoi(scientific.c_str() + e + 1);
    if (exponent >= -5 && exponent < Precision) {
        const int decimals = Precision - 1 - exponent;
        const auto fix = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed,
                                       decimals > 0 ? decimals : 0);
        return StripZeros(std::string(buf, fix.ptr));
    }
    std::string mantissa = StripZeros(scientific.substr(0, e));
    char exp[16];
    const int absExp = exponent < 0 ? -exponent : exponent;
    const int n = std::snprintf(exp, sizeof exp, "E%c%02d", exponent < 0 ? '-' : '+', absExp);
    return mantissa + std::string(exp, std::size_t(n));
}

} // namespace kelvo
