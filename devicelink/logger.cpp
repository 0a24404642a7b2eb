#include "devicelink/logger.h"

#include <algorithm>

namespace kelvo {

TLoggerImp::TLoggerImp(std::int32_t room) {
    Recreate(room);
}

void TLoggerImp::Recreate(std::int32_t room) {
    FSize = std::max<std::int32_t>(room, 0) + 8;
    FBuffer.Reset(new unsigned char[FSize]());
    Reset();
}

void TLoggerImp::Reset() {
    FOldest = FWrite = AreaStart();
    FCount = 0;
    SetWord(AreaStart() - 4, 0);
    SetWord(FWrite, 0);
}

std::int32_t TLoggerImp::FreeSpace() const {
    // Four bytes always stay free for the end mark.
    if (FOldest > FWrite)
        return FOldest - FWrite - 4;
    return std::max(AreaLimit() - 4 - FWrite, FOldest - 4 - AreaStart());
}

std::int32_t TLoggerImp::Next(std::int32_t pos) const {
    std::int32_t p = pos + Word(pos);
    const std::int32_t w = Word(p);
    if (w < 0)
        p += w;
    return p;
}

void TLoggerImp::DropOldest() {
    if (--FCount > 0) {
        FOldest = Next(FOldest);
        SetWord(FOldest - 4, 0);
    } else {
        Reset();
    }
}

unsigned char* TLoggerImp::Append(const void* payload, std::int32_t n) {
    if (n <= 0)
        return nullptr;
    const std::int32_t length = n + 8;
    while (FreeSpace() < length) {
        if (FCount == 0) {
            // Only a record larger than the whole room gets here.
            Recreate(4 * length);
            break;
        }
        DropOldest();
    }
    if (length > AreaLimit() - 4 - FWrite) {
        const std::int32_t jump = AreaStart() - FWrite;
        SetWord(FWrite, jump);
        SetWord(AreaStart() - 4, jump);
        FWrite = AreaStart();
    }
    unsigned char* record = FBuffer.Get() + FWrite + 4;
    SetWord(FWrite, length);
    if (payload)
        std::memcpy(record, payload, n);
    else
        std::memset(record, 0, n);
    SetWord(FWrite + length - 4, length);
    FWrite += length;
    SetWord(FWrite, 0);
    ++FCount;
    return record;
}

unsigned char* TLoggerImp::LastRecord() {
    if (FCount == 0)
        return nullptr;
    std::int32_t p = FWrite;
    const std::int32_t w = Word(p - 4);
    p -= w;
    if (w < 0)
        p -= Word(p - 4);
    return FBuffer.Get() + p + 4;
}

int TLoggerImp::CheckRecord(std::int32_t pos) const {
    if (pos < AreaStart())
        return -1;
    if (pos > AreaLimit())
        return -2;
    const std::int32_t w = Word(pos);
    if (w == 0)
        return 0;
    if (w > FSize)
        return -3;
    if (w <= 8)
        return -4;
    if (pos + w > AreaLimit())
        return -3;
    if (Word(pos + w - 4) != w)
        return -5;
    return 0;
}

int TLoggerImp::Validate() const {
    if (const int r = CheckRecord(FWrite); r < 0)
        return r - 10;
    std::int32_t walked = 0;
    for (std::int32_t pos = FOldest; pos != FWrite; pos = Next(pos)) {
        if (const int r = CheckRecord(pos); r < 0)
            return r;
        if (Word(pos) == 0 || ++walked > FCount)
            return -20;
    }
    return walked == FCount ? 0 : -20;
}

void TLoggerImp::ForEach(
    const std::function<void(const unsigned char*, std::int32_t)>& visit) const {
    std::int32_t walked = 0;
    for (std::int32_t pos = FOldest; pos != FWrite && walked < FCount; pos = Next(pos)) {
        if (CheckRecord(pos) < 0 || Word(pos) == 0)
            return;
        visit(FBuffer.Get() + pos + 4, Word(pos) - 8);
        ++walked;
    }
}

} // namespace kelvo
