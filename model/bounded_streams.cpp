#include "model/bounded_streams.h"

#include "foundation/exception.h"

#include <algorithm>
#include <cstring>

namespace kelvo {

TBoundedReader::TBoundedReader(TStream& source, std::int64_t length)
    : FSource(source), FStart(source.Position()) {
    const std::int64_t available = std::max<std::int64_t>(0, source.Size() - FStart);
    FLength = length < 0 ? available : std::min(length, available);
}

bool TBoundedReader::Fill() {
    const std::int64_t want = std::min<std::int64_t>(BufferSize, FLength - FPosition);
    FBuffer.clear();
    FBufferAt = FPosition;
    if (want <= 0)
        return false;
    FBuffer.resize(static_cast<std::size_t>(want));
    FSource.SetPosition(FStart + FPosition);
    const std::int32_t got = FSource.Read(FBuffer.data(), static_cast<std::int32_t>(want));
    FBuffer.resize(static_cast<std::size_t>(std::max(got, 0)));
    return !FBuffer.empty();
}

std::int32_t TBoundedReader::Read(void* buffer, std::int32_t count) {
    auto* out = static_cast<std::uint8_t*>(buffer);
    std::int32_t done = 0;
    while (done < count && FPosition < FLength) {
        const std::int64_t offset = FPosition - FBufferAt;
        if (offset < 0 || offset >= static_cast<std::int64_t>(FBuffer.size())) {
            if (!Fill())
                break;
            continue;
        }
        const std::int64_t n = std::min<std::int64_t>(
            count - done, static_cast<std::int64_t>(FBuffer.size()) - offset);
        std::memcpy(out + done, FBuffer.data() + offset, static_cast<std::size_t>(n));
        done += static_cast<std::int32_t>(n);
        FPosition += n;
    }
    return done;
}

std::int64_t TBoundedReader::Seek(std::int64_t offset, int origin) {
    std::int64_t base = 0;
    if (origin == SoCurrent)
        base = FPosition;
    else if (origin == SoEnd)
        base = FLength;
    FPosition = std::clamp<std::int64_t>(base + offset, 0, FLength);
    return FPosition;
}

void TBoundedReader::Sync() {
    FSource.SetPosition(FStart + FPosition);
}

TBufferedWriter::~TBufferedWriter() {
    try {
        Flush();
    } catch (const Exception&) {
    }
}

std::int32_t TBufferedWriter::Write(const void* buffer, std::int32_t count) {
    if (count <= 0)
        return 0;
    const auto* in = static_cast<const std::uint8_t*>(buffer);
    FBuffer.insert(FBuffer.end(), in, in + count);
    FWritten += count;
    if (FBuffer.size() >= static_cast<std::size_t>(BufferSize))
        Flush();
    return count;
}

std::int64_t TBufferedWriter::Seek(std::int64_t, int) {
    return FWritten;
}

void TBufferedWriter::Flush() {
    if (FBuffer.empty())
        return;
    const auto n = static_cast<std::int32_t>(FBuffer.size());
    if (FTarget.Write(FBuffer.data(), n) != n)
        FFailed = true;
    FBuffer.clear();
}

} // namespace kelvo
