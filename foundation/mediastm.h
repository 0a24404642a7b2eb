#pragma once
// Stream buffers: streams that also expose a window of directly addressable
// bytes, so text and pictures can be parsed or produced in place. A parser asks
// for Data(), works on the first Count() bytes there and tells the buffer how
// much it consumed (Refill) or produced (Flush).
#include "foundation/stream.h"
#include "foundation/utilcls.h"

#include <cstdint>

namespace kelvo {

class TStreamBuffer : public TStream {
public:
    TStreamBuffer() = default;
    TStreamBuffer(const TStreamBuffer&) = delete;
    TStreamBuffer& operator=(const TStreamBuffer&) = delete;

    // n bytes were produced at the start of the window: make them part of the
    // stream, then empty the window.
    virtual void Flush(std::int32_t n);
    // The first n bytes of the window were changed in place: store them where
    // they came from, then empty the window.
    virtual void Rewrite(std::int32_t n) = 0;
    // Keeps the last keep bytes of the window at its start and fills the rest
    // from the backing; fewer bytes at the end of the data.
    virtual void Refill(std::int32_t keep) = 0;
    // Transfers the first n window bytes to the backing.
    virtual void WriteOut(std::int32_t n) = 0;
    // The first window byte, or null when no window is available.
    virtual std::uint8_t* Data() = 0;
    virtual std::int32_t Capacity() const = 0;
    virtual void SetCapacity(std::int32_t n) = 0;

    // The number of valid bytes in the window.
    std::int32_t Count() const { return FCount; }
    // Changes the window size (nothing for n <= 0), cutting Count to it.
    void Resize(std::int32_t n);
    // Makes sure that n more bytes of the backing are in the window.
    void Ensure(std::int32_t n);

protected:
    std::int32_t FCount = 0;
};

// Reading of text lines ended by a terminator string ("\r\n" by default).
class TLineBuffer : public TStreamBuffer {
public:
    // A non-empty string becomes the terminator; the caller keeps it alive.
    // Null or empty restores "\r\n".
    void SetTerminator(const char* terminator);
    const char* Terminator() const { return FTerminator; }
    std::int32_t TerminatorLength() const { return FTerminatorLength; }

    // The first character of the next line inside the window (not terminated in
    // place: use LineLength), or null. Of the null results, Consumed() == 0
    // means the data is exhausted; Consumed() == LineLength() > 0 means the
    // window holds that many bytes without a terminator (a line longer than
    // Capacity() - 2, a last line without terminator, or a zero byte before
    // the terminator).
    const char* ReadLine();
    // The next ReadLine delivers the same line again.
    void UnreadLine();

    std::int32_t LineNumber() const { return FLineNumber; }
    std::int32_t LineLength() const { return FLineLength; }
    std::int32_t Consumed() const { return FConsumed; }

protected:
    // The first valid window byte, even when Data() refuses the window because
    // the full capacity does not fit the backing.
    virtual const std::uint8_t* ValidBytes() { return Data(); }

private:
    const char* FTerminator = "\r\n";
    std::int32_t FTerminatorLength = 2;
    std::int32_t FLineNumber = 0;
    std::int32_t FLineLength = 0;
    std::int32_t FConsumed = 0;
    bool FLastLineFound = false;
};

// A window of copies of a source stream's bytes in an owned block. The source
// is borrowed and must outlive the buffer; its position is always the source
// offset of the window's end.
class TTrueStreamBuffer : public TLineBuffer {
public:
    explicit TTrueStreamBuffer(TStream& source) : FSource(source) {}

    void SetSize(std::int64_t newSize) override { FSource.SetSize(newSize); }
    std::int32_t Read(void* buffer, std::int32_t count) override;
    std::int32_t Write(const void* buffer, std::int32_t count) override;
    std::int64_t Seek(std::int64_t offset, int origin) override;

    void Rewrite(std::int32_t n) override;
    void Refill(std::int32_t keep) override;
    // Raises EStreamError unless all n bytes reach the source.
    void WriteOut(std::int32_t n) override;
    std::uint8_t* Data() override { return FBlock.Memory(); }
    std::int32_t Capacity() const override { return static_cast<std::int32_t>(FBlock.Length()); }
    void SetCapacity(std::int32_t n) override;

    TStream& Source() const { return FSource; }

private:
    TMemoryStream FBlock;
    TStream& FSource;
};

// The window is the backing memory itself: nothing is copied. The position is
// always the offset of the window's end.
class TFakeStreamBuffer : public TLineBuffer {
public:
    void Rewrite(std::int32_t n) override;
    void Refill(std::int32_t keep) override;
    void WriteOut(std::int32_t n) override;
    std::int32_t Capacity() const override { return FWindowSize; }
    void SetCapacity(std::int32_t n) override;

    std::int32_t WindowSize() const { return FWindowSize; }

protected:
    // The offset just behind the last byte of the backing data.
    virtual std::int64_t DataEnd() = 0;

    std::int32_t FWindowSize = 0;
};

// Works on a memory stream, given (borrowed) or created and owned when null.
// Data() grows the memory stream so that the whole window lies inside it.
class TDynaStreamBuffer : public TFakeStreamBuffer {
public:
    explicit TDynaStreamBuffer(TMemoryStream* source = nullptr);

    void SetSize(std::int64_t newSize) override { FSource->SetSize(newSize); }
    std::int32_t Read(void* buffer, std::int32_t count) override;
    std::int32_t Write(const void* buffer, std::int32_t count) override;
    std::int64_t Seek(std::int64_t offset, int origin) override;
    std::uint8_t* Data() override;

    TMemoryStream& Source() const { return *FSource; }

protected:
    std::int64_t DataEnd() override { return FSource->Length(); }
    const std::uint8_t* ValidBytes() override;

private:
    TPtr<TMemoryStream> FOwnedMemory;
    TMemoryStream* FSource;
};

// Works on a fixed block given by address and length (2147483647 when the
// caller does not know it). Nothing is ever read or written outside the block.
class TStaticStreamBuffer : public TFakeStreamBuffer {
public:
    static constexpr std::int32_t UnknownLimit = 2147483647;
    explicit TStaticStreamBuffer(void* memory, std::int32_t limit = UnknownLimit)
        : FMemory(static_cast<std::uint8_t*>(memory)), FLimit(limit) {}

    void SetSize(std::int64_t newSize) override;
    std::int32_t Read(void* buffer, std::int32_t count) override;
    std::int32_t Write(const void* buffer, std::int32_t count) override;
    // Origins beyond SoEnd change nothing; returns the offset.
    std::int64_t Seek(std::int64_t offset, int origin) override;
    // Null unless the whole window of Capacity() bytes lies inside the block.
    std::uint8_t* Data() override;

    std::uint8_t* Memory() const { return FMemory; }
    std::int32_t Limit() const { return FLimit; }
    std::int64_t Offset() const { return FOffset; }

protected:
    std::int64_t DataEnd() override { return FLimit; }
    const std::uint8_t* ValidBytes() override;

private:
    std::uint8_t* FMemory;
    std::int32_t FLimit;
    std::int64_t FOffset = 0;
};

// Plants a character in a buffer for a while and puts the former one back when
// moved to another place, cleared with Set(nullptr) or destroyed.
class TSentinel {
public:
    TSentinel() = default;
    TSentinel(char* place, char character) { Set(place, character); }
    TSentinel(TSentinel&& other) noexcept : FPlace(other.FPlace), FSaved(other.FSaved) {
        other.FPlace = nullptr;
    }
    TSentinel& operator=(TSentinel&& other) noexcept;
    TSentinel(const TSentinel&) = delete;
    TSentinel& operator=(const TSentinel&) = delete;
    ~TSentinel() { Set(nullptr); }

    void Set(char* place, char character = '\0');
    char* Place() const { return FPlace; }
    char Saved() const { return FSaved; }

private:
    char* FPlace = nullptr;
    char FSaved = 0;
};

} // namespace kelvo
