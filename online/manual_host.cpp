#include "online/manual_host.h"

#include "foundation/exception.h"

namespace kelvo {

class TManualTickSource::TManualTicker : public TTicker {
public:
    TManualTicker(TManualTickSource& source, std::function<void()> tick)
        : Source(source), Callback(std::move(tick)) {}
    ~TManualTicker() override {
        if (Source.FActive == this)
            Source.FActive = nullptr;
    }
    TManualTickSource& Source;
    std::function<void()> Callback;
};

std::unique_ptr<TTicker> TManualTickSource::Start(int intervalMs, std::function<void()> tick) {
    if (Exhausted)
        throw Exception("TManualTickSource::Start: no timer left");
    auto ticker = std::make_unique<TManualTicker>(*this, std::move(tick));
    FActive = ticker.get();
    FInterval = intervalMs;
    ++Started;
    return ticker;
}

bool TManualTickSource::Tick() {
    if (!FActive)
        return false;
    FActive->Callback();
    return true;
}

bool TPlainCloseLock::Unlock() {
    if (Count > 0)
        --Count;
    if (Count > 0 || Requests == 0)
        return false;
    Requests = 0;
    Closed = true;
    return true;
}

bool TPlainCloseLock::RequestClose() {
    if (Count > 0) {
        ++Requests;
        return false;
    }
    Closed = true;
    return true;
}

} // namespace kelvo
