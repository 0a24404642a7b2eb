#pragma once
// Conversions between the OEM code page (CP850) in which device texts and
// translation files are kept, the ANSI code page (Windows-1252) and Unicode
// (UTF-8), which is what the window toolkit shows. Texts are converted only
// where they meet the user interface; everywhere else they stay OEM.
//
// Every conversion returns a converted copy. A character that the target
// cannot hold, and a byte sequence that is not valid in the source, becomes
// one "?" each; nothing is dropped silently and the conversion never fails.
#include <string>
#include <string_view>

namespace kelvo {

std::string OemToAnsi(std::string_view oem);
std::string AnsiToOem(std::string_view ansi);
std::string OemToUtf8(std::string_view oem);
std::string Utf8ToOem(std::string_view utf8);

} // namespace kelvo
