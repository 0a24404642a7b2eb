#pragma once
// Bytes on their way from the device to the PC, each with the moment the PC
// can read it: one byte takes 10 bit times, and a byte cannot start before
// the previous one has left. Behind a USB serial adapter a byte is readable
// only when the adapter's latency timer, started by the first byte it holds,
// runs out.
#include "tools/vdevice/sim_line_record.h"

#include <chrono>
#include <cstddef>
#include <deque>

namespace kelvo {

class TPacedOutput {
public:
    using TClock = std::chrono::steady_clock;

    void SetBaud(int baud);
    // The adapter's latency timer; zero (the default) for a plain line.
    void SetLatency(TClock::duration latency) { FLatency = latency; }
    TClock::duration Latency() const { return FLatency; }
    // Queues bytes that start leaving at 'now' at the earliest.
    void Push(const TBytes& bytes, TClock::time_point now);
    // Queues bytes that are on the line at once (readable at once without latency).
    void PushNow(const TBytes& bytes, TClock::time_point now = {});
    // Moves out the bytes that are readable by 'now' (all of them when paced is
    // false and there is no latency).
    std::size_t Take(unsigned char* buffer, std::size_t count, TClock::time_point now, bool paced);
    // Drops the bytes that are readable by 'now'; the later ones are still on
    // the line or in the adapter.
    void DropArrived(TClock::time_point now, bool paced);
    bool Empty() const { return FBytes.empty(); }
    std::size_t Size() const { return FBytes.size(); }
    // When the next byte is readable; only meaningful when not empty.
    TClock::time_point NextArrival() const { return FBytes.front().Arrival; }
    TClock::duration ByteTime() const { return FByteTime; }

private:
    struct TPacedByte {
        unsigned char Value;
        TClock::time_point Arrival;
    };
    // When a byte that has arrived at 'arrival' is readable.
    TClock::time_point Readable(TClock::time_point arrival);
    bool Timed(bool paced) const { return paced || FLatency > TClock::duration::zero(); }

    std::deque<TPacedByte> FBytes;
    TClock::duration FByteTime = std::chrono::nanoseconds(86806); // 115200 baud
    TClock::time_point FLineFree{};
    TClock::duration FLatency{};
    TClock::time_point FHoldUntil{};
};

} // namespace kelvo
