#include "foundation/mediastm.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <string_view>
#include <utility>

namespace kelvo {

namespace {
constexpr std::int64_t MaxWindow = std::numeric_limits<std::int32_t>::max();
}

// ---- TStreamBuffer ----

void TStreamBuffer::Flush(std::int32_t n) {
    n = std::min(n, Capacity());
    if (n > 0)
        WriteOut(n);
    FCount = 0;
}

void TStreamBuffer::Resize(std::int32_t n) {
    if (n <= 0)
        return;
    SetCapacity(n);
    FCount = std::min(FCount, Capacity());
}

void TStreamBuffer::Ensure(std::int32_t n) {
    if (n < 0)
        return;
    const auto wanted =
        static_cast<std::int32_t>(std::min<std::int64_t>(MaxWindow, std::int64_t(FCount) + n));
    if (Capacity() < wanted)
        Resize(wanted);
    Refill(FCount);
}

// ---- TLineBuffer ----

void TLineBuffer::SetTerminator(const char* terminator) {
    if (terminator && *terminator) {
        FTerminator = terminator;
        FTerminatorLength = static_cast<std::int32_t>(std::strlen(terminator));
    } else {
        FTerminator = "\r\n";
        FTerminatorLength = 2;
    }
}

const char* TLineBuffer::ReadLine() {
    // The previous line leaves the window; a resize meanwhile may have cut the
    // window below what that line took.
    Refill(std::max(0, FCount - FConsumed));

    // One byte of the window stays unsearched, so a line is found only when it
    // and its terminator fit into Capacity() - 1 bytes.
    std::int32_t b = std::max(0, std::min(Capacity() - 1, FCount));
    const auto* window = reinterpret_cast<const char*>(ValidBytes());
    if (!window)
        b = 0;
    // A zero byte ends the searchable text as if it were the end of the window;
    // the window itself is never written to (it may be read-only memory).
    std::size_t searchable = static_cast<std::size_t>(b);
    if (const void* zero = b > 0 ? std::memchr(window, 0, searchable) : nullptr)
        searchable = static_cast<std::size_t>(static_cast<const char*>(zero) - window);

    const std::string_view text(window ? window : "", searchable);
    const std::size_t k =
        text.find(std::string_view(FTerminator, static_cast<std::size_t>(FTerminatorLength)));
    if (k == std::string_view::npos) {
        FConsumed = FLineLength = b;
        FLastLineFound = false;
        return nullptr;
    }
    ++FLineNumber;
    FLineLength = static_cast<std::int32_t>(k);
    FConsumed = FLineLength + FTerminatorLength;
    FLastLineFound = true;
    return window;
}

void TLineBuffer::UnreadLine() {
    if (FConsumed <= 0)
        return;
    FConsumed = 0;
    // Only a delivered line was counted.
    if (FLastLineFound)
        --FLineNumber;
    FLastLineFound = false;
}

// ---- TTrueStreamBuffer ----

std::int32_t TTrueStreamBuffer::Read(void* buffer, std::int32_t count) {
    return FSource.Read(buffer, count);
}

std::int32_t TTrueStreamBuffer::Write(const void* buffer, std::int32_t count) {
    return FSource.Write(buffer, count);
}

std::int64_t TTrueStreamBuffer::Seek(std::int64_t offset, int origin) {
    return FSource.Seek(offset, origin);
}

void TTrueStreamBuffer::Rewrite(std::int32_t n) {
    FSource.Seek(-std::int64_t(FCount), SoCurrent);
    Flush(n);
}

void TTrueStreamBuffer::Refill(std::int32_t keep) {
    if (keep < 0)
        return;
    keep = std::min(keep, FCount);
    std::uint8_t* block = Data();
    if (keep > 0 && keep < FCount)
        std::memmove(block, block + (FCount - keep), static_cast<std::size_t>(keep));
    FCount = keep;
    const std::int32_t room = Capacity() - keep;
    if (room > 0) {
        const std::int32_t got = FSource.Read(block + keep, room);
        if (got > 0)
            FCount += std::min(got, room);
    }
}

void TTrueStreamBuffer::WriteOut(std::int32_t n) {
    n = std::min(n, Capacity());
    if (n > 0)
        FSource.WriteBuffer(Data(), n);
}

void TTrueStreamBuffer::SetCapacity(std::int32_t n) {
    FBlock.SetSize(std::max(n, 0));
    FCount = std::min(FCount, Capacity());
}

// ---- TFakeStreamBuffer ----

void TFakeStreamBuffer::Rewrite(std::int32_t) {
    FCount = 0;
}

void TFakeStreamBuffer::Refill(std::int32_t keep) {
    if (keep < 0)
        return;
    // Dropping bytes moves the window start forward: the position stays the
    // offset of the window's end.
    FCount = std::min(keep, FCount);
    const std::int64_t position = Position();
    const std::int64_t room = std::int64_t(Capacity()) - FCount;
    if (position < 0 || room <= 0)
        return;
    const std::int64_t n = std::min(room, DataEnd() - position);
    if (n <= 0)
        return;
    Seek(n, SoCurrent);
    FCount += static_cast<std::int32_t>(n);
}

void TFakeStreamBuffer::WriteOut(std::int32_t n) {
    Seek(n, SoCurrent);
}

void TFakeStreamBuffer::SetCapacity(std::int32_t n) {
    FWindowSize = std::max(n, 0);
    FCount = std::min(FCount, FWindowSize);
}

// ---- TDynaStreamBuffer ----

TDynaStreamBuffer::TDynaStreamBuffer(TMemoryStream* source)
    : FOwnedMemory(source ? nullptr : new TMemoryStream),
      FSource(source ? source : FOwnedMemory.Get()) {}

std::int32_t TDynaStreamBuffer::Read(void* buffer, std::int32_t count) {
    return FSource->Read(buffer, count);
}

std::int32_t TDynaStreamBuffer::Write(const void* buffer, std::int32_t count) {
    return FSource->Write(buffer, count);
}

std::int64_t TDynaStreamBuffer::Seek(std::int64_t offset, int origin) {
    return FSource->Seek(offset, origin);
}

std::uint8_t* TDynaStreamBuffer::Data() {
    const std::int64_t position = FSource->Position();
    if (position < 0 || FWindowSize <= 0)
        return nullptr;
    // A writer (empty window) gets WindowSize bytes at the position; a reader
    // gets the window it filled. Either way the whole window must exist.
    const std::int64_t start = position - FCount;
    if (start < 0)
        return nullptr;
    if (FSource->Length() < start + FWindowSize)
        FSource->SetSize(start + FWindowSize);
    return FSource->Memory() + start;
}

const std::uint8_t* TDynaStreamBuffer::ValidBytes() {
    const std::int64_t position = FSource->Position();
    const std::int64_t start = position - FCount;
    if (start < 0 || position > FSource->Length() || !FSource->Memory())
        return nullptr;
    return FSource->Memory() + start;
}

// ---- TStaticStreamBuffer ----

void TStaticStreamBuffer::SetSize(std::int64_t newSize) {
    FLimit = static_cast<std::int32_t>(std::clamp<std::int64_t>(newSize, 0, MaxWindow));
}

std::int32_t TStaticStreamBuffer::Read(void* buffer, std::int32_t count) {
    if (!buffer || !FMemory || FOffset < 0)
        return 0;
    const std::int64_t n = std::min<std::int64_t>(count, FLimit - FOffset);
    if (n < 1)
        return 0;
    std::memcpy(buffer, FMemory + FOffset, static_cast<std::size_t>(n));
    FOffset += n;
    return static_cast<std::int32_t>(n);
}

std::int32_t TStaticStreamBuffer::Write(const void* buffer, std::int32_t count) {
    if (!buffer || !FMemory || FOffset < 0)
        return 0;
    const std::int64_t n = std::min<std::int64_t>(count, FLimit - FOffset);
    if (n < 1)
        return 0;
    std::memcpy(FMemory + FOffset, buffer, static_cast<std::size_t>(n));
    FOffset += n;
    return static_cast<std::int32_t>(n);
}

std::int64_t TStaticStreamBuffer::Seek(std::int64_t offset, int origin) {
    switch (origin) {
    case SoBeginning:
        FOffset = offset;
        break;
    case SoCurrent:
        FOffset += offset;
        break;
    case SoEnd:
        FOffset = std::int64_t(FLimit) + offset;
        break;
    default:
        break;
    }
    return FOffset;
}

std::uint8_t* TStaticStreamBuffer::Data() {
    if (!FMemory || FOffset < 0 || FWindowSize <= 0)
        return nullptr;
    const std::int64_t start = FOffset - FCount;
    if (start < 0 || start + FWindowSize > FLimit)
        return nullptr;
    return FMemory + start;
}

const std::uint8_t* TStaticStreamBuffer::ValidBytes() {
    const std::int64_t start = FOffset - FCount;
    if (!FMemory || start < 0 || FOffset > FLimit)
        return nullptr;
    return FMemory + start;
}

// ---- TSentinel ----

TSentinel& TSentinel::operator=(TSentinel&& other) noexcept {
    if (this != &other) {
        Set(nullptr);
        FPlace = std::exchange(other.FPlace, nullptr);
        FSaved = other.FSaved;
    }
    return *this;
}

void TSentinel::Set(char* place, char character) {
    if (FPlace)
        *FPlace = FSaved;
    FPlace = place;
    if (place) {
        FSaved = *place;
        *place = character;
    }
}

} // namespace kelvo
