#include "devicelink/line_latency.h"

#include <algorithm>

namespace kelvo {

namespace {

// A shorter delay takes a sixteenth of the difference off the estimate: after
// some 50 fast answers a latency once seen has gone.
constexpr std::int64_t FallShare = 16;

} // namespace

void TLineLatency::Reset(std::int64_t gap, std::int64_t bound) {
    FGap = gap;
    FBound = std::max<std::int64_t>(bound, 0);
    FEstimate = 0;
    FKnown = false;
    FSilent = 0;
}

void TLineLatency::NothingCame() {
    if (!FKnown && ++FSilent >= SilentExchangesToLearn)
        FKnown = true;
}

std::int64_t TLineLatency::Allowance() const {
    return FKnown ? std::min(FEstimate + FEstimate / 2, FBound) : FBound;
}

void TLineLatency::FirstByteAfter(std::int64_t delay) {
    FKnown = true;
    const std::int64_t seen = delay > FGap ? std::min(delay, FBound) : 0;
    if (seen >= FEstimate)
        FEstimate = seen;
    else
        FEstimate -= (FEstimate - seen + FallShare - 1) / FallShare;
    // What is left of a fallen estimate is below what a UART would show.
    if (seen == 0 && FEstimate <= FGap / 8)
        FEstimate = 0;
}

} // namespace kelvo
