#pragma once
// Reads bytes the caller keeps, without copying them: a line record out of a
// data file, a value out of a command.
#include "foundation/mediastm.h"

#include <cstddef>
#include <cstdint>

namespace kelvo {

// The buffer only reads here, so the caller's bytes stay unchanged.
inline TStaticStreamBuffer ByteReader(const unsigned char* data, std::size_t size) {
    return TStaticStreamBuffer(const_cast<unsigned char*>(data), static_cast<std::int32_t>(size));
}

inline std::int64_t BytesLeft(const TStaticStreamBuffer& reader) {
    return reader.Limit() - reader.Offset();
}

} // namespace kelvo
