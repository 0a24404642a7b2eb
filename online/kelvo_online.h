#pragma once
// A Kelvo document online with one device: going online with its dialogue
// (download, comparison with the data held before, writing them back or
// restoring them), going offline, the periodic work while online (a pending
// edit, Program and Reset, the refresh of the rows), and the switches of baud
// rate and production mode. Message boxes go through the prompt; the timer,
// the close lock and the display come from the host. The link and the state
// kept between the steps belong to the session this object holds; what a
// dialogue found and did is kept as values, the boxes put it into words.
//
// One object serves one document for the document's whole life. The close
// lock's owner must not destroy the document or this object from inside
// Unlock: a window closed there has to be deleted later, from the event loop.
#include "model/kelvofile.h"
#include "online/connect_target.h"
#include "online/kelvo_session.h"
#include "online/online_host.h"
#include "online/pending_writes.h"

#include <cstdint>
#include <functional>
#include <string>
#include <utility>

class QWidget;

namespace kelvo {

class TKelvoOnline {
public:
    // Verdicts of the comparison of a downloaded dialog with the old data.
    enum TVerdict : int {
        AllEqual = 0,
        ReadOnlyLiveDiffers = 1,
        ReadOnlyDiffers = 2,
        LiveDiffers = 3,
        ValuesDiffer = 4,
        StructureDiffers = 5,
    };
    // Failures of a download and of writing the old data.
    enum TResult : int {
        CommandRefused = -1998,
        AnswerUnfinished = -1997,
        LineOutOfOrder = -1996,
        PrepareFailed = -10,
        LineWriteFailed = -20,
        ProgramFailed = -30,
    };
    // How the last go-online dialogue ended.
    enum class TOutcome {
        None,
        PortMissing,
        NoDevice, // nothing downloaded; old data restored
        TimerFailed,
        Downloaded,  // there were no old data to compare with
        Equal,       // the device holds the old data's programmable values
        Written,     // the old data were written into the device
        WriteFailed, // writing failed; old data restored, offline
        KeptDevice,  // the user kept the device's values (No, or incompatible data)
        Restored,    // the user went offline with the old data (Cancel)
    };
    // Why writing the old data into the device failed.
    enum class TWriteFailure {
        None,
        Conversion, // the data of another device program could not be converted
        Prepare,    // the device refused to take writes
        Line,       // a line could not be written
        Program,    // the device did not store the values written
    };
    // What the last go-online dialogue found and did.
    struct TOnlineResult {
        TOutcome Outcome = TOutcome::None;
        // How the downloaded dialog compares with the old data.
        TVerdict Verdict = AllEqual;
        // The old data came from another device program the table converts.
        bool Convertible = false;
        // Lines the dialogue wrote into the device.
        int LinesWritten = 0;
        TWriteFailure Failure = TWriteFailure::None;
    };
    // How the last Program or Reset ended.
    enum class TRequestOutcome { None, Done, Failed };
    // The timing of the work while online: a cycle every TimerInterval ms,
    // the status text at most every StatusInterval ms, offline after more
    // than SilentCyclesAllowed cycles in a row without an answer. The timing
    // on the line itself belongs to the device link (TKelvoStream).
    static constexpr int TimerInterval = 110;
    static constexpr int StatusInterval = 500;
    static constexpr int SilentCyclesAllowed = 3;

    // Any of the host's parts may be null: no ticks means no timer can be
    // started, no view means no refresh.
    TKelvoOnline(TFileTypeKelvo& document, TTickSource* ticks, TCloseLock* lock, TOnlineView* view);
    ~TKelvoOnline();
    TKelvoOnline(const TKelvoOnline&) = delete;
    TKelvoOnline& operator=(const TKelvoOnline&) = delete;

    TFileTypeKelvo& Document() const { return FDocument; }
    TKelvoSession& Session() { return FSession; }
    const TKelvoSession& Session() const { return FSession; }
    void SetView(TOnlineView* view) { FView = view; }

    // A COM port goes online there (baud 0 keeps the rate), LastPort and
    // Scan on the current port, Offline goes offline. Runs the whole
    // dialogue with the user.
    void GoOnline(TConnectTarget target, int baud = 0);
    // Whether a connect action for target can run now.
    bool CanConnect(TConnectTarget target) const;
    bool IsOnline() const { return FSession.IsOnline(); }
    TOutcome LastOutcome() const { return FResult.Outcome; }
    const TOnlineResult& LastResult() const { return FResult; }
    // Reconnects at the new rate when online.
    void SetBaudRate(int baud);
    // Carried out by the next cycle.
    void RequestDeviceCommand(TDeviceRequest request);
    TRequestOutcome LastRequestOutcome() const { return FRequestOutcome; }
    void SetProductionMode(std::uint8_t flag);
    // The transfer log of the document's stream as text.
    std::string RenderLog() const;
    // The line status of a row (negative: the selected row) with the state of
    // the link; empty without a list control.
    std::string StatusText(int row = -1) const;
    // Lets the user change the value of a row (negative: the selected row)
    // in the value dialog over owner. Offline the document takes the new
    // value at once; online it waits for the device. True when this edit
    // made the unmodified document modified.
    bool EditValue(QWidget* owner, int row);
    // What an edit does with the edited copy of a document line, also for
    // Undo and Redo: online the copy becomes the pending entry (unless the
    // observer keeps it out), offline the line takes its value at once and a
    // changed count expands its group. False when nothing was taken.
    bool TakeEdit(TPtr<TFileTypeKelvo::TEntry> edited);
    // Told about the values written through the pending entry; null: nobody.
    void SetPendingWrites(TPendingWrites* observer) { FPendingWrites = observer; }

    // Runs after the user agreed to write the old data into the device and
    // before anything is written; when it answers false nothing is written
    // and the dialogue ends as Cancel does (offline, the old data kept). The
    // window saves the device's values here first.
    void SetBeforeOldDataWrite(std::function<bool()> check) {
        FBeforeOldDataWrite = std::move(check);
    }
    // Told of each line of the old data written into the device, after its
    // write: before is the device's line as downloaded (null when it has
    // none), accepted whether the device took the write. When it answers
    // false nothing more is written and the dialogue ends as a failed write
    // does. The window and kelvoctl record the writes in the change journal.
    using TOldDataWritten =
        std::function<bool(const TFileTypeKelvo::TEntry* before,
                           const TFileTypeKelvo::TEntry& written, bool accepted)>;
    void SetOldDataWritten(TOldDataWritten note) { FOldDataWritten = std::move(note); }

    // The periodic work; the document's Idle comes here while a tick is pending.
    void TimerWork();
    void StartTimer();
    // Stops the timer. An edit still waiting for the device is kept: it goes
    // into the document as an offline edit would.
    void StopTimer();

    // The steps of going online, also used on their own by the tools.
    // Downloads the device's dialog: the verdict, or a negative code.
    int Download();
    // Writes OldEntries (ConvertedEntries for verdict 5) into the device; on
    // verdict 3 only the live lines. 0 or a negative code; the lines written
    // are counted in written when given.
    int WriteOldData(int verdict, int* written = nullptr);
    // Reads (or writes) one line from (into) the device: 0, -1998 or -1997.
    int ReadWriteLine(TFileTypeKelvo::TEntry& entry, bool write);
    // One refresh cycle of the visible rows and the background pass.
    int Refresh();
    // Reads every line not read in this refresh cycle; 0 or a failure.
    int ReadAllLines();

    // The display must be rebuilt; offline at once, online after the
    // visible rows were refreshed.
    void MarkDisplayDirty();
    void Repaint();

private:
    class TLockScope;

    void StopTimerAndRepaint();
    void RunDialogue();
    void RestoreOldData(bool withMessage, TWriteFailure failure);
    void GoOffline();
    void ApplyPendingEdit();
    bool TakeEdit(TFileTypeKelvo::TEntry& entry, TPtr<TFileTypeKelvo::TEntry> edited);
    void CarryOutDeviceRequest();
    void CompareWithOldData(const TFileTypeKelvo::TEntry& line);
    int BackgroundStep();
    // The document's entry that a line (an edited copy, an old-data line)
    // stands for: the same address, instance and kind.
    TFileTypeKelvo::TEntry* DocumentEntryFor(const TFileTypeKelvo::TEntry& line);
    void CountWritten(const TFileTypeKelvo::TEntry& written);
    // A count line took a new value while online: its group is expanded again.
    void FollowGroupCount(TFileTypeKelvo::TEntry& countEntry);
    void RepaintEntry(const TFileTypeKelvo::TEntry& entry);
    void RepaintAll();
    void UpdateStatus();

    TFileTypeKelvo& FDocument;
    TKelvoSession FSession;
    TTickSource* FTicks;
    TCloseLock* FLock;
    TOnlineView* FView;

    std::function<bool()> FBeforeOldDataWrite;
    TOldDataWritten FOldDataWritten;
    TPendingWrites* FPendingWrites = nullptr;
    // The comparison walks the old data backwards, one downloaded line at a time.
    TFileTypeKelvo::TEntryIterator FComparePosition;
    int FVerdict = 0;
    TOnlineResult FResult;
    TRequestOutcome FRequestOutcome = TRequestOutcome::None;
};

// Holds the window open while the device is talked to; a close that came
// meanwhile stops the timer once the window is gone.
class TKelvoOnline::TLockScope {
public:
    explicit TLockScope(TKelvoOnline& online) : FOnline(online) {
        if (FOnline.FLock)
            FOnline.FLock->Lock();
    }
    ~TLockScope() {
        if (FOnline.FLock && FOnline.FLock->Unlock())
            FOnline.StopTimer();
    }
    TLockScope(const TLockScope&) = delete;
    TLockScope& operator=(const TLockScope&) = delete;

private:
    TKelvoOnline& FOnline;
};

} // namespace kelvo
