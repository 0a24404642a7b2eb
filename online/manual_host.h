#pragma once
// Hand-driven stand-ins for the window's timer and close lock, for programs
// without an event loop and for tests: ticks happen when Tick() is called and
// the clock moves only when told to.
#include "online/online_host.h"

#include <cstdint>
#include <functional>
#include <memory>

namespace kelvo {

class TManualTickSource : public TTickSource {
public:
    std::unique_ptr<TTicker> Start(int intervalMs, std::function<void()> tick) override;
    std::int64_t Milliseconds() const override { return Now; }

    // Fires the running ticker once; false when none runs.
    bool Tick();
    bool Running() const { return FActive != nullptr; }
    int Interval() const { return FInterval; }

    // The clock the status text is timed by.
    std::int64_t Now = 0;
    // While set, Start raises as a system without free timers would.
    bool Exhausted = false;
    // How many tickers were started.
    int Started = 0;

private:
    class TManualTicker;
    friend class TManualTicker;
    TManualTicker* FActive = nullptr;
    int FInterval = 0;
};

// Counts locks; a close requested while locked is remembered and reported by
// the last unlock.
class TPlainCloseLock : public TCloseLock {
public:
    void Lock() override { ++Count; }
    bool Unlock() override;
    // A close asked for by the user: refused (false) while locked.
    bool RequestClose();

    int Count = 0;
    int Requests = 0;
    bool Closed = false;
};

} // namespace kelvo
