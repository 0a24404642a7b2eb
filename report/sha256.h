#pragma once
// SHA-256 of a byte string or a file, as lowercase hexadecimal, for records
// that say which file was written into a device.
#include <cstdint>
#include <string>
#include <string_view>

namespace kelvo {

std::string Sha256Hex(std::string_view bytes);
// Empty when the file cannot be read.
std::string Sha256OfFile(const std::string& path);

} // namespace kelvo
