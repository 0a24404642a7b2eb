#pragma once
// What a USB serial adapter adds to every answer: it hands the bytes it
// received to the host only when its latency timer runs out (16 ms on the
// common adapters unless the driver is asked for less). The stream learns it
// from the delay of the first byte after its own transmit end and allows that
// much more before it gives up on an answer. A delay within the byte gap is
// what a UART shows: such a line has no latency and keeps the plain deadlines.
#include <cstdint>

namespace kelvo {

class TLineLatency {
public:
    // Twice the common adapters' default latency timer, so that one set to its
    // default still connects. A device that has gone silent costs at most this
    // much more per exchange (16 handshake attempts: about half a second), so
    // it is still recognised as silent in good time.
    static constexpr std::int64_t BoundMicros = 32'000;

    // A new line: nothing is known of it yet. Times are in the units of the
    // stream's clock (bit times); gap is the byte gap, bound the largest
    // latency allowed for.
    void Reset(std::int64_t gap, std::int64_t bound);
    // How much later than on a plain line an answer may come: the estimate
    // and half as much again (it is learned from the last read that found
    // nothing, which may have begun a while before the answer came), within
    // the bound. Until a first byte has been seen, the bound: the first
    // exchange must be able to see how late the answers are.
    std::int64_t Allowance() const;
    // The latency learned so far (0 on a plain line).
    std::int64_t Estimate() const { return FEstimate; }
    bool Known() const { return FKnown; }
    // A read that began this long after the transmit end still found nothing
    // of the answer (0: the first read found it).
    // The estimate rises at once to a later delay and falls slowly towards
    // a shorter one (an adapter's delay varies with where its timer stood).
    void FirstByteAfter(std::int64_t delay);
    // An exchange got nothing back at all. A new line that stays silent
    // this often is taken as plain: a device that is not there then costs
    // what it cost before, after some 130 ms.
    void NothingCame();
    static constexpr int SilentExchangesToLearn = 4;

private:
    std::int64_t FGap = 0;
    std::int64_t FBound = 0;
    std::int64_t FEstimate = 0;
    bool FKnown = false;
    int FSilent = 0;
};

} // namespace kelvo
