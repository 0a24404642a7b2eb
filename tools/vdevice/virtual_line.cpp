#include "tools/vdevice/virtual_line.h"

#include <algorithm>
#include <thread>

namespace kelvo {

namespace {
constexpr auto ReadWait = std::chrono::milliseconds(1);
}

TVirtualLine::TVirtualLine(std::shared_ptr<TVirtualDevice> device, bool pace, int baud)
    : FDevice(std::move(device)), FPace(pace), FBaud(baud) {
    FOutput.SetBaud(baud);
}

bool TVirtualLine::Configure(int baud) {
    if (baud <= 0)
        return false;
    FBaud = baud;
    FOutput.SetBaud(baud);
    FRts = true;
    FDtr = false;
    return true;
}

bool TVirtualLine::Purge(bool) {
    // Only what has already arrived can be discarded; bytes still travelling on
    // the line come in later, as they would on a real port.
    FOutput.DropArrived(TPacedOutput::TClock::now(), FPace);
    return true;
}

bool TVirtualLine::SetRts(bool on) {
    FRts = on;
    return true;
}

bool TVirtualLine::SetDtr(bool on) {
    FDtr = on;
    return true;
}

long TVirtualLine::Read(unsigned char* buffer, std::size_t count) {
    if (!buffer)
        return -1;
    auto now = TPacedOutput::TClock::now();
    std::size_t n = FOutput.Take(buffer, count, now, FPace);
    if (n == 0 && (FPace || FOutput.Latency() > TPacedOutput::TClock::duration::zero()) &&
        count > 0) {
        // A real port waits about a millisecond for the next byte before giving up.
        const auto until =
            FOutput.Empty() ? now + ReadWait : std::min(now + ReadWait, FOutput.NextArrival());
        std::this_thread::sleep_until(until);
        n = FOutput.Take(buffer, count, TPacedOutput::TClock::now(), FPace);
    }
    FRead += static_cast<long>(n);
    return static_cast<long>(n);
}

long TVirtualLine::Write(const unsigned char* buffer, std::size_t count) {
    if (!buffer)
        return -1;
    // The PC writes each message in one piece; a pause before it ends whatever
    // the device was still waiting for.
    FDevice->InputGap();
    const TBytes out = FDevice->Feed(buffer, count);
    const auto now = TPacedOutput::TClock::now();
    if (FPace)
        FOutput.Push(out, now);
    else
        FOutput.PushNow(out, now);
    FWritten += static_cast<long>(count);
    return static_cast<long>(count);
}

TComLineOpener VirtualLineOpener(std::shared_ptr<TVirtualDevice> device, bool pace,
                                 std::chrono::milliseconds latency) {
    return [device, pace, latency](int) -> std::unique_ptr<TComLine> {
        auto line = std::make_unique<TVirtualLine>(device, pace);
        line->SetLatency(latency);
        return line;
    };
}

} // namespace kelvo
