#pragma once
// Bytes on their way from the device to the PC, each with the moment it has
// fully arrived: one byte takes 10 bit times, and a byte cannot start before
// the previous one has left.
#include "tools/vdevice/sim_line_record.h"

#include <chrono>
#include <cstddef>
#include <deque>

namespace kelvo {

class TPacedOutput {
public:
    using TClock = std::chrono::steady_clock;

    void SetBaud(int baud);
    // Queues bytes that start leaving at 'now' at the earliest.
    void Push(const TBytes& bytes, TClock::time_point now);
    // Queues bytes that are readable at once.
    void PushNow(const TBytes& bytes);
    // Moves out the bytes that have arrived by 'now' (all of them when paced is false).
    std::size_t Take(unsigned char* buffer, std::size_t count, TClock::time_point now, bool paced);
    // Drops the bytes that have already arrived by 'now'; the later ones are still
    // on the line.
    void DropArrived(TClock::time_point now, bool paced);
    bool Empty() const { return FBytes.empty(); }
    std::size_t Size() const { return FBytes.size(); }
    // When the next byte arrives; only meaningful when not empty.
    TClock::time_point NextArrival() const { return FBytes.front().Arrival; }
    TClock::duration ByteTime() const { return FByteTime; }

private:
    struct TPacedByte {
        unsigned char Value;
        TClock::time_point Arrival;
    };
    std::deque<TPacedByte> FBytes;
    TClock::duration FByteTime = std::chrono::nanoseconds(86806); // 115200 baud
    TClock::time_point FLineFree{};
};

} // namespace kelvo
