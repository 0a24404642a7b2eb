#include "tools/kelvoctl/value_input.h"

#include "foundation/codepage.h"
#include "model/dlglinevalue_choice.h"
#include "model/record_codec.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>

namespace kelvo::ctl {

namespace {

std::string Quoted(std::string_view text) {
    return "\"" + std::string(text) + "\"";
}

bool IsDigit(char c, int base) {
    if (c >= '0' && c <= '9')
        return true;
    return base == 16 && ((c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'));
}

// The length of the UTF-8 sequence at text[i] and its code point; 0 when the
// bytes there are not valid UTF-8.
std::size_t DecodeUtf8(std::string_view text, std::size_t i, char32_t& cp) {
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char lead = byte(i);
    std::size_t length = lead < 0x80           ? 1
                         : (lead >> 5) == 0x6  ? 2
                         : (lead >> 4) == 0xE  ? 3
                         : (lead >> 3) == 0x1E ? 4
                                               : 0;
    if (length == 0 || i + length > text.size())
        return 0;
    cp = length == 1 ? lead : lead & (0x7F >> length);
    for (std::size_t k = 1; k < length; ++k) {
        if ((byte(i + k) & 0xC0) != 0x80)
            return 0;
        cp = (cp << 6) | (byte(i + k) & 0x3F);
    }
    static constexpr char32_t shortest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (cp < shortest[length] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
        return 0;
    return length;
}

std::string CodePointName(std::string_view character, char32_t cp) {
    char number[16];
    std::snprintf(number, sizeof number, "U+%04X", static_cast<unsigned>(cp));
    if (cp < 0x20 || cp == 0x7F)
        return std::string("the control character ") + number;
    return "the character " + Quoted(character) + " (" + number + ")";
}

} // namespace

std::optional<std::int32_t> StrictLong(std::string_view text, std::string& why) {
    std::string_view digits = text;
    const bool negative = !digits.empty() && digits.front() == '-';
    if (!digits.empty() && (digits.front() == '-' || digits.front() == '+'))
        digits.remove_prefix(1);
    int base = 10;
    if (digits.size() > 2 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X')) {
        base = 16;
        digits.remove_prefix(2);
    }
    bool wellFormed = !digits.empty();
    for (char c : digits)
        wellFormed = wellFormed && IsDigit(c, base);
    if (!wellFormed) {
        why = Quoted(text) + " is not a whole number";
        return std::nullopt;
    }
    // Digits beyond 20 are out of range in any case; from_chars would
    // report that too, but the check keeps the arithmetic below in 64 bits.
    std::uint64_t magnitude = 0;
    const auto [end, error] =
        std::from_chars(digits.data(), digits.data() + digits.size(), magnitude, base);
    const std::uint64_t limit = negative ? std::uint64_t(1) << 31 : (std::uint64_t(1) << 31) - 1;
    if (error != std::errc() || end != digits.data() + digits.size() || magnitude > limit) {
        why = Quoted(text) + " is outside the range -2147483648 to 2147483647";
        return std::nullopt;
    }
    const std::int64_t value =
        negative ? -static_cast<std::int64_t>(magnitude) : static_cast<std::int64_t>(magnitude);
    return static_cast<std::int32_t>(value);
}

std::optional<double> StrictDouble(std::string_view text, std::string& why) {
    std::string_view number = text;
    // from_chars takes no plus sign, and would take "inf" and "nan".
    if (!number.empty() && number.front() == '+')
        number.remove_prefix(1);
    const bool plain =
        !number.empty() && number.find_first_not_of("0123456789.eE+-") == std::string_view::npos;
    double value = 0;
    const auto [end, error] =
        plain ? std::from_chars(number.data(), number.data() + number.size(), value,
                                std::chars_format::general)
              : std::from_chars_result{number.data(), std::errc::invalid_argument};
    if (error == std::errc::result_out_of_range) {
        why = Quoted(text) + " is outside the range of a floating-point value";
        return std::nullopt;
    }
    if (error != std::errc() || end != number.data() + number.size() || !std::isfinite(value)) {
        why = Quoted(text) + " is not a number";
        if (text.find(',') != std::string_view::npos)
            why += " (the decimal separator is a point)";
        return std::nullopt;
    }
    return value;
}

std::optional<std::string> DeviceText(std::string_view utf8, std::string& why) {
    std::string oem;
    for (std::size_t i = 0; i < utf8.size();) {
        char32_t cp = 0;
        const std::size_t length = DecodeUtf8(utf8, i, cp);
        if (length == 0) {
            why = "the text is not valid UTF-8 at byte " + std::to_string(i + 1);
            return std::nullopt;
        }
        const std::string_view character = utf8.substr(i, length);
        const std::string converted = Utf8ToOem(character);
        // The conversion writes "?" for a character the code page lacks.
        if (cp < 0x20 || cp == 0x7F || converted.size() != 1 || (converted == "?" && cp != '?')) {
            why = CodePointName(character, cp) + " has no place in the device's code page";
            return std::nullopt;
        }
        oem += converted;
        i += length;
    }
    if (oem.size() > std::size_t(record::MaxTextLength)) {
        why = "the text has " + std::to_string(oem.size()) + " characters; a line holds at most " +
              std::to_string(record::MaxTextLength);
        return std::nullopt;
    }
    return oem;
}

std::string AssignValueText(TDlglineValue& value, const std::string& utf8) {
    std::string why;
    if (auto* choice = dynamic_cast<TDlglineValueChoice*>(&value)) {
        const int count = choice->ChoiceCount();
        if (!utf8.empty() && utf8.find_first_not_of("0123456789") == std::string::npos) {
            const auto n = StrictLong(utf8, why);
            if (!n || *n >= count)
                return "no choice " + utf8 + ": the choices are numbered 0 to " +
                       std::to_string(count - 1);
            choice->SetLong(*n);
            return {};
        }
        for (int i = 0; i < count; ++i)
            if (OemToUtf8(choice->ChoiceText(i)) == utf8) {
                choice->SetLong(i);
                return {};
            }
        return "no such choice " + Quoted(utf8);
    }
    switch (value.Kind()) {
    case KindLong:
        if (const auto n = StrictLong(utf8, why)) {
            value.SetLong(*n);
            return {};
        }
        return why;
    case KindDouble:
        if (const auto d = StrictDouble(utf8, why)) {
            dynamic_cast<TDlglineValueDouble&>(value).Value = *d;
            return {};
        }
        return why;
    case KindText:
        if (const auto text = DeviceText(utf8, why)) {
            value.SetText(*text);
            return {};
        }
        return why;
    default:
        return "this line has no value to set";
    }
}

} // namespace kelvo::ctl
