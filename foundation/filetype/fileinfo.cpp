#include "foundation/filetype/fileinfo.h"

#include "foundation/filetype/filenames.h"
#include "foundation/stream.h"

#include <cinttypes>
#include <cstdio>
#include <sys/stat.h>

namespace kelvo {

namespace {

// Ticks between 1601-01-01 and 1970-01-01.
constexpr std::int64_t UnixEpochTicks = 116444736000000000LL;
constexpr std::int64_t TicksPerSecond = 10000000LL;

// The buffers of the date and the time hold at most 63 characters each.
constexpr std::size_t DateTimeBufferSize = 64;

std::string FormatLocal(const char* format, const std::tm& local) {
    char buffer[DateTimeBufferSize];
    const std::size_t n = std::strftime(buffer, sizeof buffer, format, &local);
    return std::string(buffer, n);
}

} // namespace

TFileTime TFileTime::FromTicks(std::int64_t ticks) {
    const auto u = static_cast<std::uint64_t>(ticks);
    return TFileTime{static_cast<std::uint32_t>(u), static_cast<std::uint32_t>(u >> 32)};
}

TFileTime TFileTime::FromUnix(std::time_t seconds, long nanoseconds) {
    return FromTicks(UnixEpochTicks + std::int64_t(seconds) * TicksPerSecond + nanoseconds / 100);
}

std::time_t TFileTime::ToUnix() const {
    const std::int64_t since = Ticks() - UnixEpochTicks;
    // Round towards the past so that times before 1970 do not gain a second.
    std::int64_t seconds = since / TicksPerSecond;
    if (since % TicksPerSecond < 0)
        --seconds;
    return static_cast<std::time_t>(seconds);
}

bool TFileInformation::FillFrom(int fd, const std::string& name) {
    struct stat st {};
    if (fd < 0 || ::fstat(fd, &st) != 0)
        return false;
    *this = TFileInformation();
    if ((st.st_mode & S_IWUSR) == 0)
        Attributes |= AttrReadOnly;
    if (ExtractFileBaseName(name).starts_with('.'))
        Attributes |= AttrHidden;
    if (S_ISDIR(st.st_mode))
        Attributes |= AttrDirectory;
    if (Attributes == 0)
        Attributes = AttrNormal;
    CreationTime = TFileTime::FromUnix(st.st_ctim.tv_sec, st.st_ctim.tv_nsec);
    LastAccessTime = TFileTime::FromUnix(st.st_atim.tv_sec, st.st_atim.tv_nsec);
    LastWriteTime = TFileTime::FromUnix(st.st_mtim.tv_sec, st.st_mtim.tv_nsec);
    VolumeSerialNumber = static_cast<std::uint32_t>(st.st_dev);
    const auto size = static_cast<std::uint64_t>(st.st_size);
    SizeHigh = static_cast<std::uint32_t>(size >> 32);
    SizeLow = static_cast<std::uint32_t>(size);
    NumberOfLinks = static_cast<std::uint32_t>(st.st_nlink);
    const auto index = static_cast<std::uint64_t>(st.st_ino);
    FileIndexHigh = static_cast<std::uint32_t>(index >> 32);
    FileIndexLow = static_cast<std::uint32_t>(index);
    return true;
}

void TFileInfo::Clear() {
    Flags = 0;
    Data = TFileInformation();
}

void TFileInfo::SetName(const std::string& name) {
    Clear();
    Name = name;
}

void TFileInfo::SetFromStream(const std::string& name, TStream* stream, std::int64_t size) {
    SetName(name);
    auto* file = dynamic_cast<TFileStream*>(stream);
    if (file && Data.FillFrom(file->Handle(), name)) {
        Flags = static_cast<std::uint8_t>((Flags | OnDisk) & ~SizeUndetermined);
        return;
    }
    SetNoFile(size);
}

void TFileInfo::SetNoFile(std::int64_t size) {
    Flags &= static_cast<std::uint8_t>(~(OnDisk | Modified));
    SetSize(size);
}

void TFileInfo::SetModified(std::int64_t size) {
    Flags |= Modified;
    SetSize(size);
}

void TFileInfo::SetSize(std::int64_t size) {
    const auto u = static_cast<std::uint64_t>(size);
    Data.SizeHigh = static_cast<std::uint32_t>(u >> 32);
    Data.SizeLow = static_cast<std::uint32_t>(u);
    if (Data.SizeHigh == 0xFFFFFFFFu && Data.SizeLow == 0xFFFFFFFFu)
        Flags |= SizeUndetermined;
    else
        Flags &= static_cast<std::uint8_t>(~SizeUndetermined);
}

void TFileInfo::SetModifiedFlag(bool on) {
    if (on)
        Flags |= Modified;
    else
        Flags &= static_cast<std::uint8_t>(~Modified);
}

std::string TFileInfo::GetInfoText() const {
    std::string text = "File name:\t" + Name + "\n\nFile size:\t";
    if (!IsEmpty() && Has(SizeUndetermined)) {
        text += "Unknown";
    } else {
        char size[32];
        std::snprintf(size, sizeof size, "%" PRIu64 " byte", Size());
        text += size;
    }
    if (IsEmpty()) {
        text += "  (empty)";
    } else if (IsModified()) {
        text += "  (modified)";
    } else if (!Has(OnDisk)) {
        text += "  (new)";
    } else {
        const std::time_t written = Data.LastWriteTime.ToUnix();
        std::tm local{};
        std::string date, time;
        if (::localtime_r(&written, &local)) {
            // A long date with the names of the current locale, and the
            // locale's own way of writing a time.
            date = FormatLocal("%A, %B %-d, %Y", local);
            time = FormatLocal("%X", local);
        }
        const std::uint32_t a = Data.Attributes;
        char attributes[8];
        std::snprintf(attributes, sizeof attributes, "  %c%c%c%c",
                      (a & TFileInformation::AttrReadOnly) ? 'r' : '-',
                      (a & TFileInformation::AttrArchive) ? 'a' : '-',
                      (a & TFileInformation::AttrHidden) ? 'h' : '-',
                      (a & TFileInformation::AttrSystem) ? 's' : '-');
        text += " written on " + date + " at " + time + attributes;
    }
    return text;
}

} // namespace kelvo
