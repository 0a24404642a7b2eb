#pragma once
// Time for the device link: a process-wide monotonic counter read in
// nanoseconds, clock objects that measure and busy-wait in chosen units (bit
// times of the baud rate on the line, microseconds elsewhere), time stamps for
// the transfer log and a smoothed events-per-second meter.
#include <cstdint>

namespace kelvo {

// Counts per second of the counter (1 until the clock has been started).
std::int64_t LinkClockFrequency();
// False when the counter cannot be read or runs slower than 1 MHz; waits then
// return at once and measurements report -1.
bool LinkClockAvailable();
// The counter now; false when it cannot be read.
bool ReadLinkCounter(std::int64_t& now);
// 100-ns units since the program started.
std::int64_t LinkTimeStamp();

class TLinkClock {
public:
    // Starts in microseconds, restarted.
    TLinkClock();

    // One unit is k microseconds. Returns 1, or -2 for k <= 0.
    int SetMicroUnits(std::int64_t k);
    // One unit is 1/r seconds (with the baud rate: one bit time). Returns 1,
    // or -2 for r <= 0.
    int SetRateUnits(std::int64_t r);

    void Restart();
    // Units since the last restart (truncated), -1 without a clock. With
    // restart set, the clock restarts at the same reading.
    std::int64_t Elapsed(bool restart = false);
    // Waits until units have passed since the last restart (the start is not
    // moved), spinning on the counter at the end; a long wait sleeps first.
    // Returns 2 after waiting, 1 at once for units <= 0, -1 without a clock.
    int WaitUntil(std::int64_t units);
    // Sleeps until about units after the last restart, for waits that need
    // no precision; a short one does not wait at all.
    void SleepUntil(std::int64_t units);
    // The units in a/b seconds, rounded up.
    std::int64_t UnitsInFraction(std::int64_t a, std::int64_t b) const;

    std::int64_t Numerator() const { return FNumerator; }
    std::int64_t Denominator() const { return FDenominator; }

private:
    // counter ticks = units * numerator / denominator
    std::int64_t FNumerator;
    std::int64_t FDenominator;
    std::int64_t FStart = 0;
};

// Events per second, smoothed over a window: each event moves the rate towards
// the rate of the last interval by the share of the window that interval took.
class TRateMeter {
public:
    // window in microseconds; maxJump 0 means any step is smoothed.
    TRateMeter(std::int32_t window, double maxJump, double initialRate);

    // Counts n events now and returns the new rate.
    double Event(int n = 1);
    // The same step for an interval of elapsedMicros already measured.
    double Update(int n, std::int64_t elapsedMicros);
    double Rate() const { return FRate; }

private:
    std::int32_t FWindow;
    double FRate;
    double FMaxJump;
    TLinkClock FClock;
};

} // namespace kelvo
