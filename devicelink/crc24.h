#pragma once
// CRC-24 of the device frames: polynomial 0x1101DCD, most significant bit first,
// initial value 0, final exclusive-or with 0x7F.
#include <cstddef>
#include <cstdint>

namespace kelvo {

std::uint32_t Crc24(const unsigned char* data, std::size_t count);

} // namespace kelvo
