#pragma once
// Takes bytes from a fuzz input one decision at a time; once the input is used
// up every further decision reads 0, so a target always comes to an end.
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace kelvo::fuzz {

class TFuzzInput {
public:
    TFuzzInput(const std::uint8_t* data, std::size_t size) : Data(data), Size(size) {}

    bool Empty() const { return At >= Size; }
    std::uint8_t Byte() { return At < Size ? Data[At++] : 0; }
    std::uint16_t Word() { return static_cast<std::uint16_t>(Byte() | Byte() << 8); }
    std::int32_t Long() {
        const std::uint32_t low = Word();
        return static_cast<std::int32_t>(low | std::uint32_t{Word()} << 16);
    }
    // What the decisions have not taken, as text.
    std::string_view Rest() {
        const std::string_view rest(reinterpret_cast<const char*>(Data) + At, Size - At);
        At = Size;
        return rest;
    }
    // A number from 0 to n - 1.
    int Below(int n) { return n > 0 ? Byte() % n : 0; }

private:
    const std::uint8_t* Data;
    std::size_t Size;
    std::size_t At = 0;
};

} // namespace kelvo::fuzz
