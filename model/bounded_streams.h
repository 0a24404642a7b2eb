#pragma once
// Streams that sit between a data file and the record codec. The codec reads
// texts one byte at a time; these keep that cheap and keep every read inside
// the bytes the caller handed over.
#include "foundation/stream.h"

#include <cstdint>
#include <vector>

namespace kelvo {

// Reads the source from its current position up to a limit (the source's end
// when the limit is negative) through a buffer. Seeking stays inside that
// window. The source is not owned; call Sync to leave it where reading ended.
class TBoundedReader : public TStream {
public:
    static constexpr std::int32_t BufferSize = 64 * 1024;

    TBoundedReader(TStream& source, std::int64_t length);
    TBoundedReader(const TBoundedReader&) = delete;
    TBoundedReader& operator=(const TBoundedReader&) = delete;

    std::int32_t Read(void* buffer, std::int32_t count) override;
    // Writing is not what this stream is for: nothing is written.
    std::int32_t Write(const void*, std::int32_t) override { return 0; }
    // Positions count from the start of the window.
    std::int64_t Seek(std::int64_t offset, int origin) override;
    // Moves the source to the position reached here.
    void Sync();

private:
    bool Fill();

    TStream& FSource;
    std::int64_t FStart;
    std::int64_t FLength;
    std::int64_t FPosition = 0;
    // The buffer holds window bytes FBufferAt .. FBufferAt + FBuffer.size().
    std::int64_t FBufferAt = 0;
    std::vector<std::uint8_t> FBuffer;
};

// Collects what is written and hands it to the target in large blocks.
// Flush (also run by the destructor) passes on the rest.
class TBufferedWriter : public TStream {
public:
    static constexpr std::int32_t BufferSize = 64 * 1024;

    explicit TBufferedWriter(TStream& target) : FTarget(target) {}
    ~TBufferedWriter() override;
    TBufferedWriter(const TBufferedWriter&) = delete;
    TBufferedWriter& operator=(const TBufferedWriter&) = delete;

    std::int32_t Read(void*, std::int32_t) override { return 0; }
    // Always takes everything; a target that refuses shows in Failed().
    std::int32_t Write(const void* buffer, std::int32_t count) override;
    // Only the position is known: the bytes written so far.
    std::int64_t Seek(std::int64_t offset, int origin) override;
    void Flush();
    bool Failed() const { return FFailed; }

private:
    TStream& FTarget;
    std::vector<std::uint8_t> FBuffer;
    std::int64_t FWritten = 0;
    bool FFailed = false;
};

} // namespace kelvo
