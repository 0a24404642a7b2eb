#include "stream.h"

#include "exception.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace kelvo {

void TStream::SetSize(std::int64_t) {}

std::int64_t TStream::Size() {
    const std::int64_t pos = Seek(0, SoCurrent);
    const std::int64_t size = Seek(0, SoEnd);
    Seek(pos, SoBeginning);
    return size;
}

void TStream::ReadBuffer(void* buffer, std::int32_t count) {
    if (count != 0 && Read(buffer, count) != count)
        throw EStreamError("Stream read error");
}

void TStream::WriteBuffer(const void* buffer, std::int32_t count) {
    if (count != 0 && Write(buffer, count) != count)
        throw EStreamError("Stream write error");
}

std::int64_t TStream::CopyFrom(TStream& source, std::int64_t count) {
    if (count == 0) {
        source.SetPosition(0);
        count = source.Size();
    }
    char block[65536];
    std::int64_t left = count;
    while (left > 0) {
        const auto n =
            static_cast<std::int32_t>(left < std::int64_t(sizeof block) ? left : sizeof block);
        source.ReadBuffer(block, n);
        WriteBuffer(block, n);
        left -= n;
    }
    return count;
}

TMemoryStream::~TMemoryStream() {
    std::free(FMemory);
}

void TMemoryStream::Clear() {
    std::free(FMemory);
    FMemory = nullptr;
    FSize = FCapacity = FPosition = 0;
}

void TMemoryStream::Grow(std::int64_t needed) {
    if (needed <= FCapacity)
        return;
    std::int64_t cap = FCapacity < 256 ? 256 : FCapacity;
    while (cap < needed)
        cap += cap / 2;
    auto* p = static_cast<std::uint8_t*>(std::realloc(FMemory, static_cast<std::size_t>(cap)));
    if (!p)
        throw EStreamError("Out of memory while expanding memory stream");
    FMemory = p;
    FCapacity = cap;
}

void TMemoryStream::SetSize(std::int64_t newSize) {
    if (newSize < 0)
        newSize = 0;
    Grow(newSize);
    if (newSize > FSize)
        std::memset(FMemory + FSize, 0, static_cast<std::size_t>(newSize - FSize));
    FSize = newSize;
    if (FPosition > FSize)
        FPosition = FSize;
}

std::int32_t TMemoryStream::Read(void* buffer, std::int32_t count) {
    if (!buffer || count <= 0 || FPosition < 0 || FPosition >= FSize)
        return 0;
    const std::int64_t n = std::min<std::int64_t>(count, FSize - FPosition);
    std::memcpy(buffer, FMemory + FPosition, static_cast<std::size_t>(n));
    FPosition += n;
    return static_cast<std::int32_t>(n);
}

std::int32_t TMemoryStream::Write(const void* buffer, std::int32_t count) {
    if (!buffer || count <= 0 || FPosition < 0)
        return 0;
    const std::int64_t end = FPosition + count;
    if (end > FSize) {
        Grow(end);
        if (FPosition > FSize)
            std::memset(FMemory + FSize, 0, static_cast<std::size_t>(FPosition - FSize));
        FSize = end;
    }
    std::memcpy(FMemory + FPosition, buffer, static_cast<std::size_t>(count));
    FPosition = end;
    return count;
}

std::int64_t TMemoryStream::Seek(std::int64_t offset, int origin) {
    switch (origin) {
    case SoBeginning:
        FPosition = offset;
        break;
    case SoCurrent:
        FPosition += offset;
        break;
    case SoEnd:
        FPosition = FSize + offset;
        break;
    default:
        break;
    }
    return FPosition;
}

TFileStream::TFileStream(const std::string& path, TMode mode) : FPath(path) {
    int flags = O_CLOEXEC;
    switch (mode) {
    case OpenRead:
        flags |= O_RDONLY;
        break;
    case OpenReadWrite:
        flags |= O_RDWR;
        break;
    case Create:
        flags |= O_RDWR | O_CREAT | O_TRUNC;
        break;
    }
    FHandle = ::open(path.c_str(), flags, 0666);
    if (FHandle < 0)
        FError = errno;
}

TFileStream::~TFileStream() {
    if (FHandle >= 0)
        ::close(FHandle);
}

void TFileStream::SetSize(std::int64_t newSize) {
    if (FHandle >= 0 && ::ftruncate(FHandle, newSize) != 0)
        throw EStreamError("Stream size error: " + FPath);
}

std::int32_t TFileStream::Read(void* buffer, std::int32_t count) {
    if (FHandle < 0 || !buffer || count <= 0)
        return 0;
    std::int32_t done = 0;
    while (done < count) {
        const ssize_t n = ::read(FHandle, static_cast<char*>(buffer) + done, count - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            if (n < 0)
                FError = errno;
            break;
        }
        done += static_cast<std::int32_t>(n);
    }
    return done;
}

std::int32_t TFileStream::Write(const void* buffer, std::int32_t count) {
    if (FHandle < 0 || !buffer || count <= 0)
        return 0;
    std::int32_t done = 0;
    while (done < count) {
        const ssize_t n = ::write(FHandle, static_cast<const char*>(buffer) + done, count - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            FError = n < 0 ? errno : ENOSPC;
            break;
        }
        done += static_cast<std::int32_t>(n);
    }
    return done;
}

std::int64_t TFileStream::Seek(std::int64_t offset, int origin) {
    if (FHandle < 0)
        return -1;
    const int whence = origin == SoEnd ? SEEK_END : origin == SoCurrent ? SEEK_CUR : SEEK_SET;
    const off_t r = ::lseek(FHandle, offset, whence);
    if (r < 0)
        FError = errno;
    return r;
}

bool TFileStream::Sync() {
    if (FHandle < 0)
        return false;
    if (::fsync(FHandle) != 0) {
        FError = errno;
        return false;
    }
    return true;
}

} // namespace kelvo
