#pragma once
// A fixed-size ring buffer of variable-length records that drops the oldest
// records to make room for new ones.
//
// Layout: each record is a 32-bit length L, L - 8 payload bytes and L again.
// The word at the write position is always 0 (the end mark). When a record
// does not fit before the area limit, a negative word (area start - write
// position) is left at the write position and just before the area start,
// and writing goes on at the area start.
#include "foundation/utilcls.h"

#include <cstdint>
#include <cstring>
#include <functional>

namespace kelvo {

class TLoggerImp {
public:
    explicit TLoggerImp(std::int32_t room);
    TLoggerImp(const TLoggerImp&) = delete;
    TLoggerImp& operator=(const TLoggerImp&) = delete;
    virtual ~TLoggerImp() = default;

    void Reset();
    // Appends a record of n payload bytes (zeros without a payload) and returns
    // its payload in the buffer; null for n <= 0.
    unsigned char* Append(const void* payload, std::int32_t n);
    // The payload of the newest record, null when the log is empty.
    unsigned char* LastRecord();

    // 0, or the first fault found: -1..-5 for a bad record (-11..-15 at the
    // write position), -20 when the records walked differ from the count.
    int Validate() const;

    std::int32_t Count() const { return FCount; }
    std::int32_t BufferSize() const { return FSize; }
    // Calls visit(payload, length) from the oldest record to the newest; stops
    // early when the structure is damaged.
    void ForEach(const std::function<void(const unsigned char*, std::int32_t)>& visit) const;

private:
    std::int32_t Word(std::int32_t pos) const {
        std::int32_t w;
        std::memcpy(&w, FBuffer.Get() + pos, sizeof w);
        return w;
    }
    void SetWord(std::int32_t pos, std::int32_t w) {
        std::memcpy(FBuffer.Get() + pos, &w, sizeof w);
    }
    std::int32_t AreaStart() const { return 4; }
    std::int32_t AreaLimit() const { return FSize - 4; }
    std::int32_t FreeSpace() const;
    void DropOldest();
    void Recreate(std::int32_t room);
    // The record after pos, following a jump back to the area start.
    std::int32_t Next(std::int32_t pos) const;
    int CheckRecord(std::int32_t pos) const;

    std::int32_t FSize = 0;
    TAPtr<unsigned char> FBuffer;
    std::int32_t FOldest = 0;
    std::int32_t FWrite = 0;
    std::int32_t FCount = 0;
};

// The logger of one record type: the payload starts with a header of type T
// (encoded by T::Store/T::Load as a fixed number of bytes, T::Size).
template <class T> class TLogger : public TLoggerImp {
public:
    using TLoggerImp::TLoggerImp;

    // Appends the header followed by room for extra bytes; returns where the
    // extra bytes go.
    unsigned char* AppendRecord(const T& header, std::int32_t extra) {
        unsigned char* p = Append(nullptr, T::Size + extra);
        header.Store(p);
        return p + T::Size;
    }
};

} // namespace kelvo
