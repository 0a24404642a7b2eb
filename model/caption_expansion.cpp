#include "model/caption_expansion.h"

#include "model/dlglinevalue.h"

#include <cstdio>
#include <cstring>
#include <optional>

namespace kelvo {

namespace {

const char* const TooLong = "Too Long";

// Reads the template one character at a time; past its end (or at an
// embedded zero) it yields zero bytes, as a C string would.
class TPatternReader {
public:
    explicit TPatternReader(std::string_view pattern) : FPattern(pattern) {}
    char Peek(std::size_t ahead = 0) const {
        const std::size_t p = FPos + ahead;
        return p < FPattern.size() ? FPattern[p] : '\0';
    }
    char Take() {
        const char c = Peek();
        ++FPos;
        return c;
    }
    bool TakeIf(char c) {
        if (c == '\0' || Peek() != c)
            return false;
        ++FPos;
        return true;
    }
    bool TakeOneOf(const char* set, char& taken) {
        const char c = Peek();
        if (c == '\0' || !std::strchr(set, c))
            return false;
        taken = c;
        ++FPos;
        return true;
    }

    // An optional sign, then 1 to 10 digits of which the first is not 0.
    // Nothing is consumed when there is no such number. The value wraps in
    // 32 bits, as all placeholder arithmetic does.
    std::optional<std::uint32_t> TakeNumber() {
        std::size_t p = 0;
        const bool negative = Peek() == '-';
        if (Peek() == '+' || Peek() == '-')
            ++p;
        if (Peek(p) < '1' || Peek(p) > '9')
            return std::nullopt;
        std::uint32_t value = 0;
        for (int digits = 0; digits < 10 && Peek(p) >= '0' && Peek(p) <= '9'; ++digits, ++p)
            value = value * 10u + std::uint32_t(Peek(p) - '0');
        FPos += p;
        return negative ? 0u - value : value;
    }

private:
    std::string_view FPattern;
    std::size_t FPos = 0;
};

struct TPlaceholderResult {
    std::string Text;
    const char* Error = nullptr;
};

// Reads one placeholder after its "%" and formats its value.
TPlaceholderResult ExpandPlaceholder(TPatternReader& in, const TCaptionVariables& vars) {
    char format[8];
    std::size_t f = 0;
    format[f++] = '%';
    char c;
    if (in.TakeOneOf("-+ ", c))
        format[f++] = c;
    if (in.TakeIf('0'))
        format[f++] = '0';
    if (in.TakeOneOf("0123456789", c))
        format[f++] = c;
    char base;
    if (!in.TakeOneOf("dxX", base))
        return {{}, "Basis fehlt!"};
    format[f++] = 'l';
    format[f++] = base;
    format[f] = '\0';

    if (!in.TakeIf('{'))
        return {{}, "'{' fehlt!"};
    std::uint32_t offset = 0;
    if (const auto number = in.TakeNumber()) {
        if (!in.TakeIf('+'))
            return {{}, "'+' fehlt!"};
        offset = *number;
    }
    std::uint32_t variable;
    switch (in.Take()) {
    case 'i':
        variable = std::uint32_t(vars.I);
        break;
    case 'j':
        variable = std::uint32_t(vars.J);
        break;
    case 'k':
        variable = std::uint32_t(vars.K);
        break;
    case 'v':
        if (!vars.Value || vars.Value->Kind() != KindLong)
            return {{}, "'v' falsch!"};
        variable = std::uint32_t(vars.Value->GetLong());
        break;
    default:
        return {{}, "V.-Art fehlt!"};
    }
    std::uint32_t multiplier = 1;
    if (in.TakeIf('*')) {
        const auto number = in.TakeNumber();
        if (!number)
            return {{}, "'*' falsch!"};
        multiplier = *number;
    }
    if (!in.TakeIf('}'))
        return {{}, "'}' fehlt!"};

    const std::uint32_t value = multiplier * variable + offset;
    char text[32];
    int n;
    // Hexadecimal shows the 32 bits of the value, whatever the width of long.
    if (base == 'd')
        n = std::snprintf(text, sizeof text, format, long(std::int32_t(value)));
    else
        n = std::snprintf(text, sizeof text, format, static_cast<unsigned long>(value));
    return {std::string(text, std::size_t(n < 0 ? 0 : n)), nullptr};
}

} // namespace

std::string ExpandCaptionTemplate(std::string_view pattern, const TCaptionVariables& vars) {
    // The limit counts the terminating zero, so 33 visible characters already
    // exceed it.
    constexpr std::size_t LengthLimit = CaptionVisibleLimit + 2;
    TPatternReader in(pattern);
    std::string out;
    const char* error = nullptr;
    for (;;) {
        const char c = in.Take();
        bool ended = false;
        if (c != '%') {
            if (c == '\0')
                ended = true;
            else
                out.push_back(c);
        } else if (in.TakeIf('%')) {
            out.push_back('%');
        } else {
            TPlaceholderResult p = ExpandPlaceholder(in, vars);
            if (p.Error) {
                error = p.Error;
                break;
            }
            out += p.Text;
        }
        if (out.size() + (ended ? 1 : 0) >= LengthLimit) {
            error = TooLong;
            break;
        }
        // A colon ends the caption: whatever follows it is a remark.
        if (ended || c == ':')
            break;
    }
    if (error)
        out += error;
    return out;
}

} // namespace kelvo
