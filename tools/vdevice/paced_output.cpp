#include "tools/vdevice/paced_output.h"

#include <algorithm>

namespace kelvo {

void TPacedOutput::SetBaud(int baud) {
    if (baud <= 0)
        return;
    // Ten bit times per byte: start bit, eight data bits, stop bit.
    FByteTime = std::chrono::nanoseconds(10'000'000'000LL / baud);
}

void TPacedOutput::Push(const TBytes& bytes, TClock::time_point now) {
    TClock::time_point t = std::max(FLineFree, now);
    for (unsigned char b : bytes) {
        t += FByteTime;
        FBytes.push_back({b, t});
    }
    FLineFree = t;
}

void TPacedOutput::PushNow(const TBytes& bytes) {
    for (unsigned char b : bytes)
        FBytes.push_back({b, TClock::time_point{}});
}

std::size_t TPacedOutput::Take(unsigned char* buffer, std::size_t count, TClock::time_point now,
                               bool paced) {
    std::size_t n = 0;
    while (n < count && !FBytes.empty() && (!paced || FBytes.front().Arrival <= now)) {
        buffer[n++] = FBytes.front().Value;
        FBytes.pop_front();
    }
    return n;
}

void TPacedOutput::DropArrived(TClock::time_point now, bool paced) {
    while (!FBytes.empty() && (!paced || FBytes.front().Arrival <= now))
        FBytes.pop_front();
}

} // namespace kelvo
