#pragma once
// The code bytes of the device commands the PC side sends.
#include <cstdint>

namespace kelvo::device_command {

inline constexpr std::uint8_t Download = 0x91;
inline constexpr std::uint8_t PrepareWrites = 0x7F;
inline constexpr std::uint8_t Program = 0x75;
inline constexpr std::uint8_t Reset = 0x7A;
// Added to a line's kind code for a read; the kind code alone writes.
inline constexpr std::uint8_t ReadBit = 0x80;

} // namespace kelvo::device_command
