#pragma once
// Values typed on kelvoctl's command line. A production line or a service
// script must never store a value other than the one it asked for, so a value
// is taken exactly as written or refused with the reason; the editor's own
// parsing (which stops at the first character it cannot use) is not used here.
#include "model/dlglinevalue.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kelvo::ctl {

// A whole number in the signed 32-bit range: an optional sign, then decimal
// digits or "0x" and hexadecimal digits, nothing else. Else why not.
std::optional<std::int32_t> StrictLong(std::string_view text, std::string& why);
// A finite number with a point as decimal separator and an optional
// exponent, nothing else. Else why not.
std::optional<double> StrictDouble(std::string_view text, std::string& why);
// UTF-8 text in the device's code page, when every character has a place
// there and the text fits a line's value. Else why not.
std::optional<std::string> DeviceText(std::string_view utf8, std::string& why);

// Puts a UTF-8 text typed for a line into value (a choice by its number,
// counted from 0, or by one of its texts). Empty when taken, else why not;
// value is unchanged then.
std::string AssignValueText(TDlglineValue& value, const std::string& utf8);

} // namespace kelvo::ctl
