#pragma once
// The link of one document with its device and the state of the work while
// online: the stream, the periodic tick, an edit waiting for the device, a
// Program or Reset request, the cycles without answer and where the refresh
// stands. A session binds itself to one document for its whole life; the
// document holds only data and tells the session when its entries change.
#include "devicelink/kelvostream.h"
#include "model/kelvofile.h"
#include "online/online_host.h"

#include <cstdint>
#include <functional>
#include <memory>

namespace kelvo {

// What the next cycle asks the device to do besides refreshing.
enum class TDeviceRequest {
    None,
    Reset,   // reload the stored values
    Program, // store the working values
};

// The request of a Program or Reset action's tag: 2 programs, any other
// non-zero tag resets, 0 asks nothing.
TDeviceRequest DeviceRequestFromTag(int tag);

class TKelvoSession : public TKelvoLink {
public:
    // The link starts closed, at 115200 baud on the COM port the last
    // connection used.
    explicit TKelvoSession(TFileTypeKelvo& document);
    ~TKelvoSession() override;
    TKelvoSession(const TKelvoSession&) = delete;
    TKelvoSession& operator=(const TKelvoSession&) = delete;

    TFileTypeKelvo& Document() const { return FDocument; }
    TKelvoStream& Stream() const { return *FStream; }
    bool IsOnline() const override { return FStream->IsOpen(); }

    // Starts the periodic tick: each tick marks a cycle as pending, and cycle
    // runs from the document's idle time. What was left from before (an
    // edit, a request, silent cycles, the row cursor) is forgotten. Raises
    // when ticks has no timer left; nothing changes then.
    void StartTicks(TTickSource& ticks, int intervalMs, std::function<void()> cycle);
    // Ends the tick and drops a pending one; an edit waiting stays.
    void StopTicks();
    bool Ticking() const { return FTicker != nullptr; }

    void EntriesCleared() override;
    void RefreshCycleStarted() override;
    void Idle() override;

    // The pass through every entry behind the visible rows: where it stands
    // and where it began.
    TFileTypeKelvo::TEntryIterator RefreshPosition;
    TFileTypeKelvo::TEntryIterator RefreshStop;
    bool RefreshPassRunning = false;
    // The visible row the refresh reads next.
    std::int32_t RowCursor = -1;
    // An edited copy of a line; the shown value stays until the device took it.
    TPtr<TFileTypeKelvo::TEntry> PendingEntry;
    TDeviceRequest DeviceRequest = TDeviceRequest::None;
    bool TickPending = false;
    // The rows are rebuilt once the visible ones have been refreshed.
    bool DisplayDirty = false;
    // Cycles in a row without a good exchange.
    std::int32_t MissingAnswers = 0;
    // When the status text was last brought up to date.
    std::int64_t LastStatusTime = 0;

private:
    TFileTypeKelvo& FDocument;
    TPtr<TKelvoStream> FStream;
    std::unique_ptr<TTicker> FTicker;
    std::function<void()> FCycle;
};

} // namespace kelvo
