#include "model/record_codec.h"

#include "foundation/exception.h"

#include <bit>
#include <cstring>

namespace kelvo::record {

int ReadBytes(TStream& stream, void* buffer, int count) {
    if (count <= 0)
        return BadLength;
    // Read into scratch so that a short read leaves the caller's bytes alone.
    std::uint8_t scratch[16];
    if (count > int(sizeof scratch))
        return BadLength;
    if (stream.Read(scratch, count) != count)
        return ShortTransfer;
    std::memcpy(buffer, scratch, std::size_t(count));
    return count;
}

int WriteBytes(TStream& stream, const void* buffer, int count) {
    if (count <= 0)
        return BadLength;
    return stream.Write(buffer, count) == count ? count : ShortTransfer;
}

void PutU16(std::uint8_t* at, std::uint16_t value) {
    at[0] = std::uint8_t(value);
    at[1] = std::uint8_t(value >> 8);
}

std::uint16_t GetU16(const std::uint8_t* at) {
    return std::uint16_t(at[0] | (at[1] << 8));
}

namespace {

std::uint64_t GetLittle(const std::uint8_t* at, int size) {
    std::uint64_t v = 0;
    for (int i = size - 1; i >= 0; --i)
        v = (v << 8) | at[i];
    return v;
}

void PutLittle(std::uint8_t* at, std::uint64_t v, int size) {
    for (int i = 0; i < size; ++i, v >>= 8)
        at[i] = std::uint8_t(v);
}

template <int Size> int ReadLittle(TStream& stream, std::uint64_t& value) {
    std::uint8_t b[Size];
    const int r = ReadBytes(stream, b, Size);
    if (r >= 0)
        value = GetLittle(b, Size);
    return r;
}

template <int Size> int WriteLittle(TStream& stream, std::uint64_t value) {
    std::uint8_t b[Size];
    PutLittle(b, value, Size);
    return WriteBytes(stream, b, Size);
}

} // namespace

int ReadU16(TStream& stream, std::uint16_t& value) {
    std::uint64_t v;
    const int r = ReadLittle<2>(stream, v);
    if (r >= 0)
        value = std::uint16_t(v);
    return r;
}

int WriteU16(TStream& stream, std::uint16_t value) {
    return WriteLittle<2>(stream, value);
}

int ReadI32(TStream& stream, std::int32_t& value) {
    std::uint64_t v;
    const int r = ReadLittle<4>(stream, v);
    if (r >= 0)
        value = std::int32_t(std::uint32_t(v));
    return r;
}

int WriteI32(TStream& stream, std::int32_t value) {
    return WriteLittle<4>(stream, std::uint32_t(value));
}

int ReadDouble(TStream& stream, double& value) {
    std::uint64_t v;
    const int r = ReadLittle<8>(stream, v);
    if (r >= 0)
        value = std::bit_cast<double>(v);
    return r;
}

int WriteDouble(TStream& stream, double value) {
    return WriteLittle<8>(stream, std::bit_cast<std::uint64_t>(value));
}

int ReadText(TStream& stream, std::string& text, int minLength, int maxLength) {
    std::string got;
    int consumed = 0;
    for (;;) {
        char c;
        if (stream.Read(&c, 1) != 1)
            return ShortTransfer;
        ++consumed;
        if (c == '\0')
            break;
        if (int(got.size()) == maxLength) {
            // One character too many: the text is cut here. Give the byte
            // back where the stream allows it (files do, the device link
            // does not), so that it is read next as the record goes on.
            try {
                if (stream.Seek(-1, SoCurrent) >= 0)
                    --consumed;
            } catch (const Exception&) {
            }
            break;
        }
        got.push_back(c);
    }
    if (int(got.size()) < minLength)
        return TextTooShort;
    text = std::move(got);
    return consumed;
}

int WriteText(TStream& stream, std::string_view text, int maxLength) {
    if (int(text.size()) > maxLength)
        text = text.substr(0, std::size_t(maxLength));
    const int n = int(text.size()) + 1;
    std::string bytes(text);
    bytes.push_back('\0');
    return stream.Write(bytes.data(), n) == n ? n : ShortTransfer;
}

} // namespace kelvo::record
