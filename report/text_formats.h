#pragma once
// The quoting of the text formats the reports use: JSON strings and CSV
// fields by RFC 4180. Input and output are UTF-8.
#include <string>
#include <string_view>

namespace kelvo {

// text as a JSON string, quotes included; control characters as \u escapes.
std::string JsonString(std::string_view text);
// text as one CSV field: quoted when it holds a comma, a quote, a line break
// or leading or trailing spaces, with its quotes doubled.
std::string CsvField(std::string_view text);

} // namespace kelvo
