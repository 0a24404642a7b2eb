// Going online and offline, and the switches that lead there.
#include "online/kelvo_online.h"

#include "foundation/exception.h"
#include "foundation/prompt.h"
#include "model/dlglinevalue.h"
#include "online/conversion_hook.h"
#include "online/online_texts.h"

namespace kelvo {

using TEntry = TFileTypeKelvo::TEntry;
namespace text = online_text;

TKelvoOnline::TKelvoOnline(TFileTypeKelvo& document, TTickSource* ticks, TCloseLock* lock,
                           TOnlineView* view)
    : FDocument(document), FSession(document), FTicks(ticks), FLock(lock), FView(view) {}

TKelvoOnline::~TKelvoOnline() {
    // The timer calls back into this object.
    FSession.StopTicks();
}

// Each tick only marks work as pending; the work is done when the
// application is idle.
void TKelvoOnline::StartTimer() {
    if (!FTicks)
        throw Exception("TKelvoOnline::StartTimer: no timer available");
    FSession.StartTicks(*FTicks, TimerInterval, [this] { TimerWork(); });
}

void TKelvoOnline::StopTimer() {
    ApplyPendingEdit();
    FSession.StopTicks();
    if (FPendingWrites)
        FPendingWrites->Stopped();
}

void TKelvoOnline::StopTimerAndRepaint() {
    StopTimer();
    Repaint();
}

// An edit the device never took is not thrown away: the document takes it
// as if it had been made offline, so the next comparison offers to write it.
void TKelvoOnline::ApplyPendingEdit() {
    TPtr<TEntry> pending(FSession.PendingEntry.Release());
    if (!pending || !pending->Value)
        return;
    TEntry* found = DocumentEntryFor(*pending);
    if (!found)
        return;
    TEntry& entry = *found;
    const TPtr<TEntry> before(FPendingWrites ? new TEntry(entry) : nullptr);
    entry.Value = std::move(pending->Value);
    const int shownBefore = FDocument.Entries.Count() - FDocument.Entries.HiddenCount;
    FDocument.ExpandGroupOf(entry);
    if (FDocument.Entries.Count() - FDocument.Entries.HiddenCount != shownBefore) {
        if (FView)
            FView->ListChanged();
    } else {
        RepaintEntry(entry);
    }
    if (before)
        FPendingWrites->Taken(entry, *before, false);
    if (!(entry.Layout & layout::Unmodifying)) {
        FDocument.Info.SetModified(TFileInfo::UndeterminedSize);
        if (FView)
            FView->DocumentChanged();
    }
}

void TKelvoOnline::GoOnline(TConnectTarget target, int baud) {
    TLockScope lock(*this);
    StopTimerAndRepaint();
    if (target == TConnectTarget::Scan) {
        GoOnline(TConnectTarget::LastPort, 0);
        return;
    }
    const int port = PortArgument(target);
    if (port < 0) {
        GoOffline();
        return;
    }
    FResult = {};
    TKelvoStream& stream = FSession.Stream();
    stream.Open(port, baud);
    if (!stream.IsOpen()) {
        FResult.Outcome = TOutcome::PortMissing;
        Prompt().Ask(text::GoOnlineCaption, text::PortMissing(stream.PortName()),
                     TPromptIcon::Error, TPromptButtons::Ok);
        return;
    }
    try {
        RunDialogue();
    } catch (...) {
        FResult.Outcome = TOutcome::TimerFailed;
        GoOnline(TConnectTarget::Offline, 0);
        Prompt().Ask(text::GoOnlineCaption, text::TimersExhausted(), TPromptIcon::Error,
                     TPromptButtons::Ok);
    }
    FDocument.OldEntries.Clear();
    FDocument.ConvertedEntries.Clear();
}

void TKelvoOnline::GoOffline() {
    FSession.Stream().Close();
    UpdateStatus();
}

void TKelvoOnline::RunDialogue() {
    const int verdict = Download();
    if (FDocument.Entries.empty()) {
        FResult.Outcome = TOutcome::NoDevice;
        RestoreOldData(false, {});
        Prompt().Ask(text::GoOnlineCaption, text::NoDevice(), TPromptIcon::Warning,
                     TPromptButtons::Ok);
        return;
    }
    TFileTypeKelvo::SetLastComPort(FSession.Stream().Port());
    FDocument.SelectTranslation();
    StartTimer();

    const bool oldData = !FDocument.OldEntries.empty();
    FResult.Verdict = static_cast<TVerdict>(verdict);
    int conversion = -1;
    if (oldData && verdict == StructureDiffers) {
        conversion = FindOldDataConversion(FDocument);
        FResult.Convertible = conversion >= 0;
    }
    // What holds when the user simply acknowledges.
    FResult.Outcome = !oldData                     ? TOutcome::Downloaded
                      : verdict <= ReadOnlyDiffers ? TOutcome::Equal
                                                   : TOutcome::KeptDevice;
    const text::TBox box = text::Downloaded(oldData, FResult.Verdict, FResult.Convertible);
    const int answer = Prompt().Ask(text::GoOnlineCaption, box.Text, box.Icon, box.Buttons);
    if (answer == IdCancel) {
        FResult.Outcome = TOutcome::Restored;
        RestoreOldData(true, TWriteFailure::None);
        return;
    }
    if (answer != IdYes)
        return;
    StopTimerAndRepaint();
    if (FBeforeOldDataWrite && !FBeforeOldDataWrite()) {
        FResult.Outcome = TOutcome::Restored;
        RestoreOldData(true, TWriteFailure::None);
        return;
    }
    if (conversion >= 0 && ConvertOldData(FDocument, conversion) < 1)
        FResult.Failure = TWriteFailure::Conversion;
    if (FResult.Failure == TWriteFailure::None) {
        switch (WriteOldData(verdict, &FResult.LinesWritten)) {
        case 0:
            break;
        case PrepareFailed:
            FResult.Failure = TWriteFailure::Prepare;
            break;
        case ProgramFailed:
            FResult.Failure = TWriteFailure::Program;
            break;
        default:
            FResult.Failure = TWriteFailure::Line;
            break;
        }
    }
    if (FResult.Failure != TWriteFailure::None) {
        FResult.Outcome = TOutcome::WriteFailed;
        RestoreOldData(true, FResult.Failure);
        return;
    }
    FResult.Outcome = TOutcome::Written;
    StartTimer();
    Prompt().Ask(text::GoOnlineCaption, text::WriteSucceeded(), TPromptIcon::Information,
                 TPromptButtons::Ok);
}

void TKelvoOnline::RestoreOldData(bool withMessage, TWriteFailure failure) {
    GoOnline(TConnectTarget::Offline, 0);
    FSession.RefreshPassRunning = false;
    FDocument.Entries = FDocument.OldEntries;
    FDocument.Info = FDocument.OldInfo;
    RepaintAll();
    if (withMessage)
        Prompt().Ask(text::GoOnlineCaption, text::Restored(failure), TPromptIcon::Information,
                     TPromptButtons::Ok);
}

bool TKelvoOnline::CanConnect(TConnectTarget target) const {
    const int tag = PortArgument(target);
    const TKelvoStream& stream = FSession.Stream();
    const bool online = stream.IsOpen();
    if (tag == 0)
        return !online && stream.Port() > 0 && stream.Baud() > 0;
    if (tag > 0)
        return !online || stream.Port() != tag;
    if (tag == -1)
        return online;
    return !online;
}

void TKelvoOnline::SetBaudRate(int baud) {
    if (FSession.Stream().Baud() == baud)
        return;
    const bool wasOnline = IsOnline();
    FSession.Stream().SetBaud(baud);
    if (wasOnline)
        GoOnline(TConnectTarget::LastPort, 0);
    else
        UpdateStatus();
}

void TKelvoOnline::RequestDeviceCommand(TDeviceRequest request) {
    if (request == TDeviceRequest::None)
        return;
    FSession.DeviceRequest = request;
    FRequestOutcome = TRequestOutcome::None;
}

void TKelvoOnline::SetProductionMode(std::uint8_t flag) {
    if (flag == FDocument.ProductionFlag)
        return;
    FDocument.ProductionFlag = flag;
    FDocument.SelectTranslation();
    MarkDisplayDirty();
}

std::string TKelvoOnline::RenderLog() const {
    return FSession.Stream().Log().Render();
}

void TKelvoOnline::MarkDisplayDirty() {
    FSession.DisplayDirty = true;
    if (!IsOnline())
        Repaint();
}

void TKelvoOnline::Repaint() {
    if (!FSession.DisplayDirty)
        return;
    FSession.DisplayDirty = false;
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
