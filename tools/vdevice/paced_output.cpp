#include "tools/vdevice/paced_output.h"

#include <algorithm>

namespace kelvo {

void TPacedOutput::SetBaud(int baud) {
    if (baud <= 0)
        return;
    // Ten bit times per byte: start bit, eight data bits, stop bit.
    FByteTime = std::chrono::nanoseconds(10'000'000'000LL / baud);
}

TPacedOutput::TClock::time_point TPacedOutput::Readable(TClock::time_point arrival) {
    if (FLatency <= TClock::duration::zero())
        return arrival;
    // A byte that finds the adapter empty starts its timer; what arrives until
    // the timer runs out is handed on with it.
    if (arrival > FHoldUntil)
        FHoldUntil = arrival + FLatency;
    return FHoldUntil;
}

void TPacedOutput::Push(const TBytes& bytes, TClock::time_point now) {
    TClock::time_point t = std::max(FLineFree, now);
    for (unsigned char b : bytes) {
        t += FByteTime;
        FBytes.push_back({b, Readable(t)});
    }
    FLineFree = t;
}

void TPacedOutput::PushNow(const TBytes& bytes, TClock::time_point now) {
    for (unsigned char b : bytes)
        FBytes.push_back({b, Readable(now)});
}

std::size_t TPacedOutput::Take(unsigned char* buffer, std::size_t count, TClock::time_point now,
                               bool paced) {
    std::size_t n = 0;
    paced = Timed(paced);
    while (n < count && !FBytes.empty() && (!paced || FBytes.front().Arrival <= now)) {
        buffer[n++] = FBytes.front().Value;
        FBytes.pop_front();
    }
    return n;
}

void TPacedOutput::DropArrived(TClock::time_point now, bool paced) {
    paced = Timed(paced);
    while (!FBytes.empty() && (!paced || FBytes.front().Arrival <= now))
        FBytes.pop_front();
}

} // namespace kelvo
