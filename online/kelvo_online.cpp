// Going online and offline, and the switches that lead there.
#include "online/kelvo_online.h"

#include "foundation/exception.h"
#include "foundation/prompt.h"
#include "model/dlglinevalue.h"
#include "online/conversion_hook.h"

#include <cstdio>

namespace kelvo {

using TEntry = TFileTypeKelvo::TEntry;

namespace {

const char* const GoOnlineCaption = "Go Online";
const char* const KeepOldDataHint = "\n\n(Press Cancel to go offline again and keep old data.)";

std::string PortMissingText(const std::string& port) {
    return port + " is missing or already in use!\n\nGoing offline again.";
}

} // namespace

// The document's timer: each tick only marks work as pending; the work is
// done when the application is idle.
class TKelvoOnline::TOnlineTimer : public TKelvoTimer {
public:
    explicit TOnlineTimer(TKelvoOnline& online) : FOnline(online) {}
    void Cycle(TFileTypeKelvo&) override { FOnline.TimerWork(); }

    std::unique_ptr<TTicker> Ticker;

private:
    TKelvoOnline& FOnline;
};

TKelvoOnline::TKelvoOnline(TFileTypeKelvo& document, TTickSource* ticks, TCloseLock* lock,
                           TOnlineView* view)
    : FDocument(document), FTicks(ticks), FLock(lock), FView(view) {}

TKelvoOnline::~TKelvoOnline() {
    // The timer calls back into this object.
    FDocument.StopTimer();
}

void TKelvoOnline::StartTimer() {
    if (!FTicks)
        throw Exception("TKelvoOnline::StartTimer: no timer available");
    auto timer = std::make_unique<TOnlineTimer>(*this);
    TFileTypeKelvo* document = &FDocument;
    timer->Ticker = FTicks->Start(TimerInterval, [document] { document->TickPending = true; });
    FDocument.Timer.Reset(timer.release());
    FDocument.MissingAnswers = 0;
    FDocument.DeviceRequest = 0;
    FDocument.PendingEntry.Reset();
    FDocument.RowCursor = -1;
    FDocument.DisplayDirty = false;
    FDocument.TickPending = false;
}

void TKelvoOnline::StopTimer() {
    ApplyPendingEdit();
    FDocument.StopTimer();
}

void TKelvoOnline::StopTimerAndRepaint() {
    StopTimer();
    Repaint();
}

// An edit the device never took is not thrown away: the document takes it
// as if it had been made offline, so the next comparison offers to write it.
void TKelvoOnline::ApplyPendingEdit() {
    TPtr<TEntry> pending(FDocument.PendingEntry.Release());
    if (!pending || !pending->Value)
        return;
    TEntry* found = DocumentEntryFor(*pending);
    if (!found)
        return;
    TEntry& entry = *found;
    entry.Value = std::move(pending->Value);
    const int shownBefore = FDocument.Entries.Count() - FDocument.Entries.HiddenCount;
    FDocument.ExpandGroupOf(entry);
    if (FDocument.Entries.Count() - FDocument.Entries.HiddenCount != shownBefore) {
        if (FView)
            FView->ListChanged();
    } else {
        RepaintEntry(entry);
    }
    if (!(entry.Layout & layout::Unmodifying)) {
        FDocument.Info.SetModified(TFileInfo::UndeterminedSize);
        if (FView)
            FView->DocumentChanged();
    }
}

void TKelvoOnline::GoOnline(int port, int baud) {
    if (!FDocument.Stream)
        return;
    TLockScope lock(*this);
    StopTimerAndRepaint();
    if (port == -2) {
        GoOnline(0, 0);
        return;
    }
    if (port < 0) {
        GoOffline();
        return;
    }
    FOutcome = TOutcome::None;
    TKelvoStream& stream = *FDocument.Stream;
    stream.Open(port, baud);
    if (!stream.IsOpen()) {
        FOutcome = TOutcome::PortMissing;
        Prompt().Ask(GoOnlineCaption, PortMissingText(stream.PortName()), TPromptIcon::Error,
                     TPromptButtons::Ok);
        return;
    }
    try {
        RunDialogue();
    } catch (...) {
        FOutcome = TOutcome::TimerFailed;
        GoOnline(-1, 0);
        Prompt().Ask(GoOnlineCaption, "No more system timers available!\n\nGoing offline again.",
                     TPromptIcon::Error, TPromptButtons::Ok);
    }
    FDocument.OldEntries.Clear();
    FDocument.ConvertedEntries.Clear();
}

void TKelvoOnline::GoOffline() {
    if (FDocument.Stream)
        FDocument.Stream->Close();
    UpdateStatus();
}

void TKelvoOnline::RunDialogue() {
    const int verdict = Download();
    if (FDocument.Entries.empty()) {
        FOutcome = TOutcome::NoDevice;
        RestoreOldData(false, {});
        Prompt().Ask(GoOnlineCaption,
                     "Could not connect to an Kelvo device!\n\nGoing offline again.",
                     TPromptIcon::Warning, TPromptButtons::Ok);
        return;
    }
    TFileTypeKelvo::SetLastComPort(FDocument.Stream->Port());
    FDocument.SelectTranslation();
    StartTimer();

    std::string text = "Download of KELVO dialog successful!\n\n";
    TPromptIcon icon = TPromptIcon::Information;
    TPromptButtons buttons = TPromptButtons::Ok;
    int conversion = -1;
    // What holds when the user simply acknowledges.
    FOutcome = FDocument.OldEntries.empty() ? TOutcome::Downloaded
               : verdict <= ReadOnlyDiffers ? TOutcome::Equal
                                            : TOutcome::KeptDevice;
    if (!FDocument.OldEntries.empty()) {
        switch (verdict) {
        case ReadOnlyDiffers:
            text += "Some labels are different.";
            text += "All programmable values are equal!";
            buttons = TPromptButtons::OkCancel;
            break;
        case LiveDiffers:
            text += "Position has changed! Readjust?";
            buttons = TPromptButtons::YesNoCancel;
            icon = TPromptIcon::Question;
            break;
        case ValuesDiffer:
            text += "New values are different! Reprogram device?";
            buttons = TPromptButtons::YesNoCancel;
            icon = TPromptIcon::Question;
            break;
        case StructureDiffers:
            conversion = FindOldDataConversion(FDocument);
            if (conversion < 0) {
                text += "Old data are not compatible and can't be programmed in this device!";
                buttons = TPromptButtons::OkCancel;
            } else {
                text += "Incompatible old data can be converted! Reprogram device?";
                buttons = TPromptButtons::YesNoCancel;
                icon = TPromptIcon::Question;
            }
            break;
        default:
            text += "All programmable values are equal!";
            break;
        }
        if (verdict >= ReadOnlyDiffers && verdict <= StructureDiffers)
            text += KeepOldDataHint;
    }

    const int answer = Prompt().Ask(GoOnlineCaption, text, icon, buttons);
    if (answer == IdCancel) {
        FOutcome = TOutcome::Restored;
        RestoreOldData(true, {});
        return;
    }
    if (answer != IdYes)
        return;
    StopTimerAndRepaint();
    if (FBeforeOldDataWrite && !FBeforeOldDataWrite()) {
        FOutcome = TOutcome::Restored;
        RestoreOldData(true, {});
        return;
    }
    bool failed = conversion >= 0 && ConvertOldData(FDocument, conversion) < 1;
    if (!failed)
        failed = WriteOldData(verdict) < 0;
    if (failed) {
        FOutcome = TOutcome::WriteFailed;
        RestoreOldData(true, "Reprogramming failed!\n");
        return;
    }
    FOutcome = TOutcome::Written;
    StartTimer();
    Prompt().Ask(GoOnlineCaption, "Reprogramming successful!", TPromptIcon::Information,
                 TPromptButtons::Ok);
}

void TKelvoOnline::RestoreOldData(bool withMessage, std::string text) {
    GoOnline(-1, 0);
    FDocument.RefreshPassRunning = false;
    FDocument.Entries = FDocument.OldEntries;
    FDocument.Info = FDocument.OldInfo;
    RepaintAll();
    if (withMessage)
        Prompt().Ask(GoOnlineCaption, text + "Restored old data.\n\nGoing offline again.",
                     TPromptIcon::Information, TPromptButtons::Ok);
}

bool TKelvoOnline::CanConnect(int tag) const {
    const TKelvoStream* stream = FDocument.Stream.Get();
    if (!stream)
        return false;
    const bool online = stream->IsOpen();
    if (tag == 0)
        return !online && stream->Port() > 0 && stream->Baud() > 0;
    if (tag > 0)
        return !online || stream->Port() != tag;
    if (tag == -1)
        return online;
    return !online;
}

void TKelvoOnline::SetBaudRate(int baud) {
    if (!FDocument.Stream || FDocument.Stream->Baud() == baud)
        return;
    const bool wasOnline = IsOnline();
    FDocument.Stream->SetBaud(baud);
    if (wasOnline)
        GoOnline(0, 0);
    else
        UpdateStatus();
}

void TKelvoOnline::RequestDeviceCommand(int request) {
    if (FDocument.Stream && request != 0)
        FDocument.DeviceRequest = request;
}

void TKelvoOnline::SetProductionMode(std::uint8_t flag) {
    if (flag == FDocument.ProductionFlag)
        return;
    FDocument.ProductionFlag = flag;
    FDocument.SelectTranslation();
    MarkDisplayDirty();
}

std::string TKelvoOnline::RenderLog() const {
    return FDocument.Stream ? FDocument.Stream->Log().Render() : std::string();
}

std::string TKelvoOnline::StatusText(int row) const {
    return FDocument.GetStatusText(row);
}

void TKelvoOnline::MarkDisplayDirty() {
    FDocument.DisplayDirty = true;
    if (!IsOnline())
        Repaint();
}

void TKelvoOnline::Repaint() {
    if (!FDocument.DisplayDirty)
        return;
    FDocument.DisplayDirty = false;
    RepaintAll();
}

void TKelvoOnline::RepaintAll() {
    FDocument.RebuildDisplay();
    if (FView)
        FView->ListChanged();
}

void TKelvoOnline::RepaintEntry(const TEntry& entry) {
    if (!FView)
        return;
    const TSortedVlvEntries& rows = FDocument.List().Rows();
    for (std::size_t row = 0; row < rows.size(); ++row)
        if (rows[row] == &entry) {
            FView->RowChanged(static_cast<int>(row));
            return;
        }
}

void TKelvoOnline::UpdateStatus() {
    if (FView)
        FView->StatusChanged();
}

} // namespace kelvo
