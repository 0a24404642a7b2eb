#pragma once
// Raw record bytes for tests: building them and reading them back.
#include "foundation/stream.h"

#include <cstdint>
#include <string>
#include <vector>

namespace kelvo::test {

using TBytes = std::vector<std::uint8_t>;

inline void Append(TBytes& b, std::initializer_list<int> bytes) {
    for (int x : bytes)
        b.push_back(std::uint8_t(x));
}

inline void AppendText(TBytes& b, const std::string& text) {
    b.insert(b.end(), text.begin(), text.end());
    b.push_back(0);
}

inline void AppendWords(TBytes& b, std::uint16_t address, std::uint16_t flags,
                        std::uint16_t layout) {
    for (std::uint16_t w : {address, flags, layout})
        Append(b, {w & 0xFF, w >> 8});
}

// A memory stream holding the bytes, positioned at the start.
inline void Load(TMemoryStream& s, const TBytes& b) {
    s.Clear();
    if (!b.empty())
        s.Write(b.data(), std::int32_t(b.size()));
    s.SetPosition(0);
}

inline TBytes Contents(const TMemoryStream& s) {
    return TBytes(s.Memory(), s.Memory() + s.Length());
}

} // namespace kelvo::test
