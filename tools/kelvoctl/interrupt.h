#pragma once
// SIGINT and SIGTERM during a device job: the exchange on the line is
// finished, no new one starts, and the command says what was done before it
// exits with 128 + the signal's number.
namespace kelvo::ctl {

// Catches the two signals while it exists; the previous handling comes back
// afterwards.
class TInterruptScope {
public:
    TInterruptScope();
    ~TInterruptScope();
    TInterruptScope(const TInterruptScope&) = delete;
    TInterruptScope& operator=(const TInterruptScope&) = delete;
};

// The signal that arrived (SIGINT or SIGTERM), or 0.
int InterruptSignal();

} // namespace kelvo::ctl
