#include "online/kelvo_session.h"

namespace kelvo {

TDeviceRequest DeviceRequestFromTag(int tag) {
    if (tag == 0)
        return TDeviceRequest::None;
    return tag == 2 ? TDeviceRequest::Program : TDeviceRequest::Reset;
}

TKelvoSession::TKelvoSession(TFileTypeKelvo& document)
    : FDocument(document), FStream(new TKelvoStream(1, 115200)) {
    FStream->SetPort(TFileTypeKelvo::LastComPort());
    FDocument.BindLink(this);
    RefreshPosition = RefreshStop = FDocument.Entries.end();
}

TKelvoSession::~TKelvoSession() {
    StopTicks();
    FDocument.BindLink(nullptr);
}

void TKelvoSession::StartTicks(TTickSource& ticks, int intervalMs, std::function<void()> cycle) {
    std::unique_ptr<TTicker> ticker = ticks.Start(intervalMs, [this] { TickPending = true; });
    FTicker = std::move(ticker);
    FCycle = std::move(cycle);
    MissingAnswers = 0;
    DeviceRequest = TDeviceRequest::None;
    PendingEntry.Reset();
    RowCursor = -1;
    DisplayDirty = false;
    TickPending = false;
}

void TKelvoSession::StopTicks() {
    FTicker.reset();
    TickPending = false;
}

void TKelvoSession::EntriesCleared() {
    StopTicks();
    RefreshPassRunning = false;
    FStream->SetPort(TFileTypeKelvo::LastComPort());
}

void TKelvoSession::RefreshCycleStarted() {
    RefreshPosition = FDocument.Entries.begin();
    RefreshStop = FDocument.Entries.begin();
    RefreshPassRunning = !FDocument.Entries.empty();
}

void TKelvoSession::Idle() {
    if (FTicker && TickPending && FCycle)
        FCycle();
}

} // namespace kelvo
