#pragma once
// The system's abstract byte stream and its memory and file streams.
// Positions and sizes are 64-bit everywhere.
#include <cstdint>
#include <string>

namespace kelvo {

enum TSeekOrigin : int { SoBeginning = 0, SoCurrent = 1, SoEnd = 2 };

class TStream {
public:
    virtual ~TStream() = default;
    virtual void SetSize(std::int64_t newSize);
    // Return the number of bytes actually moved; never raise.
    virtual std::int32_t Read(void* buffer, std::int32_t count) = 0;
    virtual std::int32_t Write(const void* buffer, std::int32_t count) = 0;
    virtual std::int64_t Seek(std::int64_t offset, int origin) = 0;

    // Position and size are derived from Seek.
    std::int64_t Position() { return Seek(0, SoCurrent); }
    void SetPosition(std::int64_t pos) { Seek(pos, SoBeginning); }
    std::int64_t Size();
    // Whole blocks: raise EStreamError when fewer bytes could be moved.
    void ReadBuffer(void* buffer, std::int32_t count);
    void WriteBuffer(const void* buffer, std::int32_t count);
    // Copies count bytes (all remaining when count is 0) from source.
    std::int64_t CopyFrom(TStream& source, std::int64_t count);
};

// A growable block of memory.
class TMemoryStream : public TStream {
public:
    TMemoryStream() = default;
    ~TMemoryStream() override;
    TMemoryStream(const TMemoryStream&) = delete;
    TMemoryStream& operator=(const TMemoryStream&) = delete;

    void SetSize(std::int64_t newSize) override;
    std::int32_t Read(void* buffer, std::int32_t count) override;
    std::int32_t Write(const void* buffer, std::int32_t count) override;
    std::int64_t Seek(std::int64_t offset, int origin) override;

    std::uint8_t* Memory() const { return FMemory; }
    std::int64_t Length() const { return FSize; }
    void Clear();

private:
    void Grow(std::int64_t needed);
    std::uint8_t* FMemory = nullptr;
    std::int64_t FSize = 0;
    std::int64_t FCapacity = 0;
    std::int64_t FPosition = 0;
};

// A file opened through POSIX calls. A failed open leaves Handle() at -1 and
// Error() with errno.
class TFileStream : public TStream {
public:
    enum TMode { OpenRead, OpenReadWrite, Create };
    TFileStream(const std::string& path, TMode mode);
    ~TFileStream() override;
    TFileStream(const TFileStream&) = delete;
    TFileStream& operator=(const TFileStream&) = delete;

    void SetSize(std::int64_t newSize) override;
    std::int32_t Read(void* buffer, std::int32_t count) override;
    std::int32_t Write(const void* buffer, std::int32_t count) override;
    std::int64_t Seek(std::int64_t offset, int origin) override;

    bool IsOpen() const { return FHandle >= 0; }
    int Handle() const { return FHandle; }
    int Error() const { return FError; }
    const std::string& FileName() const { return FPath; }
    // Flushes to the disk; false (with Error()) when the data did not reach it.
    bool Sync();

private:
    std::string FPath;
    int FHandle = -1;
    int FError = 0;
};

} // namespace kelvo
