#include "devicelink/linkclock.h"

#include <cerrno>
#include <cmath>
#include <ctime>
#include <sys/prctl.h>

namespace kelvo {

namespace {

constexpr std::int64_t NanosPerSecond = 1'000'000'000;
constexpr std::int64_t MinimumFrequency = 1'000'000;
// A wait longer than this sleeps until SpinNanos before its end and spins only
// the rest: the thread may wake a little late, and the line must be turned
// within a bit time (8.7 us at 115200 baud).
constexpr std::int64_t SleepAboveNanos = 100'000;
constexpr std::int64_t SpinNanos = 50'000;

bool ReadMonotonic(std::int64_t& now) {
    timespec ts{};
    if (clock_gettime(CLOCK_MONOTONIC, &ts) != 0)
        return false;
    now = static_cast<std::int64_t>(ts.tv_sec) * NanosPerSecond + ts.tv_nsec;
    return true;
}

struct TClockOrigin {
    std::int64_t Frequency = 1;
    std::int64_t Origin = 0;
    bool Available = false;

    TClockOrigin() {
        timespec res{};
        if (ReadMonotonic(Origin) && clock_getres(CLOCK_MONOTONIC, &res) == 0) {
            Frequency = NanosPerSecond;
            // A counter that ticks coarser than a microsecond cannot time bit gaps.
            Available = res.tv_sec == 0 && res.tv_nsec <= 1000 && Frequency >= MinimumFrequency;
        }
    }
};

const TClockOrigin& Origin() {
    static const TClockOrigin origin;
    return origin;
}

// Taken while static objects are built, so that time stamps count from start-up.
[[maybe_unused]] const TClockOrigin& StartupOrigin = Origin();

// The thread's timer slack lets a sleep end up to 50 us late (the kernel
// gathers wake-ups); the line is to be turned within a bit time, so the
// sleep asks for none.
void SleepUntilCounter(std::int64_t counter) {
    const timespec at{static_cast<time_t>(counter / NanosPerSecond),
                      static_cast<long>(counter % NanosPerSecond)};
    thread_local const int slack = prctl(PR_GET_TIMERSLACK, 0, 0, 0, 0);
    if (slack > 1)
        prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL);
    while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &at, nullptr) == EINTR) {
    }
    if (slack > 1)
        prctl(PR_SET_TIMERSLACK, static_cast<unsigned long>(slack), 0UL, 0UL, 0UL);
}

// a * b / c without overflowing on long runs or high rates.
std::int64_t MulDiv(std::int64_t a, std::int64_t b, std::int64_t c) {
    return static_cast<std::int64_t>(static_cast<__int128>(a) * b / c);
}

} // namespace

std::int64_t LinkClockFrequency() {
    return Origin().Frequency;
}

bool LinkClockAvailable() {
    return Origin().Available;
}

bool ReadLinkCounter(std::int64_t& now) {
    return ReadMonotonic(now);
}

std::int64_t LinkTimeStamp() {
    std::int64_t now = 0;
    if (!ReadMonotonic(now))
        return 0;
    const TClockOrigin& o = Origin();
    return static_cast<std::int64_t>(std::trunc(static_cast<double>(now - o.Origin) *
                                                (10'000'000.0 / static_cast<double>(o.Frequency))));
}

TLinkClock::TLinkClock() {
    SetMicroUnits(1);
    Restart();
}

int TLinkClock::SetMicroUnits(std::int64_t k) {
    if (k <= 0)
        return -2;
    FNumerator = LinkClockFrequency() * k;
    FDenominator = 1'000'000;
    return 1;
}

int TLinkClock::SetRateUnits(std::int64_t r) {
    if (r <= 0)
        return -2;
    FNumerator = LinkClockFrequency();
    FDenominator = r;
    return 1;
}

void TLinkClock::Restart() {
    std::int64_t now = 0;
    if (ReadMonotonic(now))
        FStart = now;
}

std::int64_t TLinkClock::Elapsed(bool restart) {
    std::int64_t now = 0;
    if (!LinkClockAvailable() || !ReadMonotonic(now))
        return -1;
    const std::int64_t d = now - FStart;
    if (restart)
        FStart = now;
    return MulDiv(d, FDenominator, FNumerator);
}

int TLinkClock::WaitUntil(std::int64_t units) {
    if (!LinkClockAvailable())
        return -1;
    if (units <= 0)
        return 1;
    const std::int64_t target = MulDiv(units, FNumerator, FDenominator);
    std::int64_t now = 0;
    if (!ReadMonotonic(now))
        return -1;
    if (FStart + target - now > SleepAboveNanos)
        SleepUntilCounter(FStart + target - SpinNanos);
    do {
        if (!ReadMonotonic(now))
            return -1;
    } while (now - FStart < target);
    return 2;
}

void TLinkClock::SleepUntil(std::int64_t units) {
    if (!LinkClockAvailable() || units <= 0)
        return;
    std::int64_t now = 0;
    const std::int64_t target = FStart + MulDiv(units, FNumerator, FDenominator);
    if (ReadMonotonic(now) && target - now > SleepAboveNanos)
        SleepUntilCounter(target);
}

std::int64_t TLinkClock::UnitsInFraction(std::int64_t a, std::int64_t b) const {
    const __int128 num = static_cast<__int128>(a) * LinkClockFrequency() * FDenominator;
    const __int128 den = static_cast<__int128>(FNumerator) * b;
    if (den == 0)
        return 0;
    __int128 q = num / den;
    if (q * den != num && (num > 0) == (den > 0))
        ++q;
    return static_cast<std::int64_t>(q);
}

TRateMeter::TRateMeter(std::int32_t window, double maxJump, double initialRate)
    : FWindow(window), FRate(initialRate), FMaxJump(maxJump) {
    FClock.SetMicroUnits(1);
    FClock.Restart();
}

double TRateMeter::Event(int n) {
    return Update(n, FClock.Elapsed(true));
}

double TRateMeter::Update(int n, std::int64_t elapsedMicros) {
    if (elapsedMicros <= 0)
        return FRate;
    const double d = static_cast<double>(elapsedMicros);
    const double x = n * 1'000'000.0 / d;
    if (FWindow > 0 && elapsedMicros < FWindow &&
        (FMaxJump <= 0 || std::fabs(x - FRate) <= FMaxJump))
        FRate += d * (x - FRate) / FWindow;
    else
        FRate = x;
    return FRate;
}

} // namespace kelvo
