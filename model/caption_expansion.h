#pragma once
// Caption templates: placeholders such as %d{1+i} or %02X{-1+i*16} insert a
// line's indices or its own integer value, so that the lines of a repeated
// group read Channel 1, Channel 2 and so on from one caption. A broken
// template never stops anything: the text made so far is shown with a short
// German message after it.
#include <cstdint>
#include <string>
#include <string_view>

namespace kelvo {

class TDlglineValue;

// What a placeholder can refer to.
struct TCaptionVariables {
    std::int32_t I = 0;
    std::int32_t J = 0;
    std::int32_t K = 0;
    // The line's value; only an integer value can stand for "v".
    const TDlglineValue* Value = nullptr;
};

// The caption column shows at most 32 characters.
inline constexpr int CaptionVisibleLimit = 32;

std::string ExpandCaptionTemplate(std::string_view pattern, const TCaptionVariables& vars);

} // namespace kelvo
