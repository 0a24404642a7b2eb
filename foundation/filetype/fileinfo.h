#pragma once
// What is known about the file behind a document: whether it was changed,
// whether it exists on disk, and the disk's own record of it.
#include <cstdint>
#include <ctime>
#include <string>

namespace kelvo {

class TStream;

// A point in time as 100-nanosecond ticks since 1 January 1601 (UTC), split
// into two 32-bit words the way stored records keep it.
struct TFileTime {
    std::uint32_t Low = 0;
    std::uint32_t High = 0;

    std::int64_t Ticks() const {
        return static_cast<std::int64_t>((std::uint64_t(High) << 32) | Low);
    }
    static TFileTime FromTicks(std::int64_t ticks);
    static TFileTime FromUnix(std::time_t seconds, long nanoseconds);
    std::time_t ToUnix() const;
};

// The disk's record of an open file, 52 bytes in this field order.
struct TFileInformation {
    enum : std::uint32_t {
        AttrReadOnly = 0x01,
        AttrHidden = 0x02,
        AttrSystem = 0x04,
        AttrDirectory = 0x10,
        AttrArchive = 0x20,
        AttrNormal = 0x80,
    };
    std::uint32_t Attributes = 0;
    TFileTime CreationTime;
    TFileTime LastAccessTime;
    TFileTime LastWriteTime;
    std::uint32_t VolumeSerialNumber = 0;
    std::uint32_t SizeHigh = 0;
    std::uint32_t SizeLow = 0;
    std::uint32_t NumberOfLinks = 0;
    std::uint32_t FileIndexHigh = 0;
    std::uint32_t FileIndexLow = 0;

    // Fills the record from the open descriptor; false when the system refuses.
    // The name decides the hidden attribute, as Linux has none of its own.
    bool FillFrom(int fd, const std::string& name);
};
static_assert(sizeof(TFileInformation) == 52, "the file information record has 52 bytes");

class TFileInfo {
public:
    enum TFlag : std::uint8_t {
        Modified = 0x01,
        OnDisk = 0x02,
        SizeUndetermined = 0x04,
    };
    // Both size words all ones: what a changed document passes, since nobody
    // knows how big it will be once written.
    static constexpr std::int64_t UndeterminedSize = -1;

    std::uint8_t Flags = 0;
    std::string Name;
    TFileInformation Data;

    TFileInfo() = default;

    void Clear();
    void SetName(const std::string& name);
    // A file stream is described from the disk; any other stream only by size.
    void SetFromStream(const std::string& name, TStream* stream, std::int64_t size);
    void SetNoFile(std::int64_t size);
    void SetModified(std::int64_t size);
    void SetSize(std::int64_t size);
    void SetModifiedFlag(bool on);

    bool Has(TFlag flag) const { return (Flags & flag) != 0; }
    std::uint64_t Size() const { return (std::uint64_t(Data.SizeHigh) << 32) | Data.SizeLow; }
    bool IsEmpty() const { return Size() == 0; }
    // A changed document with size zero holds nothing to lose.
    bool IsModified() const { return !IsEmpty() && Has(Modified); }

    std::string GetInfoText() const;
};

} // namespace kelvo
