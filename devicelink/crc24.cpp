#include "crc24.h"

#include <array>

namespace kelvo {

namespace {
constexpr std::uint32_t Polynomial = 0x1101DCD;

constexpr std::array<std::uint32_t, 256> MakeTable() {
    std::array<std::uint32_t, 256> t{};
    for (std::uint32_t i = 0; i < 256; ++i) {
        std::uint32_t v = i << 16;
        for (int b = 0; b < 8; ++b) {
            v <<= 1;
            if (v & 0x1000000)
                v ^= Polynomial;
        }
        t[i] = v;
    }
    return t;
}

constexpr auto Table = MakeTable();
} // namespace

std::uint32_t Crc24(const unsigned char* data, std::size_t count) {
    std::uint32_t crc = 0;
    for (std::size_t i = 0; i < count; ++i)
        crc = ((crc & 0xFFFF) << 8) ^ Table[((crc >> 16) ^ data[i]) & 0xFF];
    return crc ^ 0x7F;
}

} // namespace kelvo
