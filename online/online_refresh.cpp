// The work while online: single lines read from and written into the device,
// the periodic cycle with its keep-alive, and the refresh that reads the
// visible rows first and the other lines in the background.
#include "devicelink/kelvocommand.h"
#include "foundation/prompt.h"
#include "model/dlglinevalue.h"
#include "online/device_commands.h"
#include "online/kelvo_online.h"
#include "online/online_texts.h"

#include <algorithm>
#include <iterator>

namespace kelvo {

using TEntry = TFileTypeKelvo::TEntry;

namespace {

// In the second status byte of a read: the device hides the line.
constexpr std::uint8_t StatusHidden = 0x10;

std::uint8_t LineCode(int kind) {
    return static_cast<std::uint8_t>((kind + 1) & 0x0F);
}

} // namespace

int TKelvoOnline::ReadWriteLine(TEntry& entry, bool write) {
    if (!entry.Value || entry.HiddenByCount || !IsOnline())
        return 0;
    const int kind = entry.Kind();
    // A label has nothing to write; it is read for its status only.
    if (write && kind == KindLabel)
        return 0;
    TKelvoStream& stream = FSession.Stream();
    TKelvoCommand command(stream, LineCode(kind) | (write ? 0 : device_command::ReadBit), 0);
    command.Arg(entry.Address);
    if (entry.GroupLevel() == layout::LevelMember)
        command.Arg(static_cast<std::uint16_t>(entry.IndexI));
    command.AckLength = write ? TKelvoCommand::AppendData : command.Length;

    if (write) {
        for (;;) {
            if (command.Send())
                return CommandRefused;
            if (entry.Value->WriteRaw(stream) >= 0 && stream.EndWrite() == 0 && !command.Finish())
                break;
            stream.SetBroken(true);
        }
        CountWritten(entry);
        return 0;
    }

    const auto* number = dynamic_cast<const TDlglineValueLong*>(entry.Value.Get());
    const std::int32_t numberBefore = number ? number->Value : 0;

    unsigned char status[2] = {};
    for (;;) {
        if (command.Send())
            return CommandRefused;
        const bool complete = stream.Read(status, 2) == 2 && entry.Value->ReadRaw(stream) >= 0;
        if (complete && !stream.Broken())
            break;
        stream.SetBroken(true);
    }
    // A read that did not end properly is tried again in a later cycle.
    if (command.Finish())
        return AnswerUnfinished;
    entry.RefreshStamp = FDocument.RefreshCycle;

    const bool hidden = (status[1] & StatusHidden) != 0;
    if (hidden != ((entry.Flags & flags::Hidden) != 0)) {
        auto setHidden = [hidden](TEntry& line) {
            line.Flags = static_cast<std::uint16_t>(hidden ? (line.Flags | flags::Hidden)
                                                           : (line.Flags & ~flags::Hidden));
        };
        setHidden(entry);
        if (entry.Flags & flags::Separator) {
            // The blank line in front of it goes and comes with it.
            auto& entries = FDocument.Entries;
            for (auto it = entries.begin(); it != entries.end(); ++it)
                if (&*it == &entry) {
                    if (it != entries.begin() && !std::prev(it)->Value)
                        setHidden(*std::prev(it));
                    break;
                }
        }
        MarkDisplayDirty();
    }
    RepaintEntry(entry);
    if (number && number->Value != numberBefore && FDocument.HoldsGroupCount(entry))
        FollowGroupCount(entry);
    if (FPendingWrites)
        FPendingWrites->LineRead(entry);
    return 0;
}

TEntry* TKelvoOnline::DocumentEntryFor(const TEntry& line) {
    TEntry* match = nullptr;
    for (TEntry& entry : FDocument.Entries) {
        if (&entry == &line)
            return &entry;
        if (!match && entry.Value && line.Value && entry.Address == line.Address &&
            entry.IndexI == line.IndexI && entry.Value->IsSameKind(*line.Value))
            match = &entry;
    }
    return match;
}

// The device took a new count (from an edited copy, the old data or a tool):
// the document's count line shows it and its group follows at once, so that
// the new instances can be addressed before the refresh comes round to it.
void TKelvoOnline::CountWritten(const TEntry& written) {
    if (written.Kind() != KindLong)
        return;
    TEntry* held = DocumentEntryFor(written);
    if (!held || !FDocument.HoldsGroupCount(*held))
        return;
    if (held != &written) {
        if (held->Value->IsEqual(*written.Value))
            return;
        held->Value->Assign(*written.Value);
        RepaintEntry(*held);
    }
    FollowGroupCount(*held);
}

void TKelvoOnline::FollowGroupCount(TEntry& countEntry) {
    TFileTypeKelvo& doc = FDocument;
    const int shownBefore = doc.Entries.Count() - doc.Entries.HiddenCount;
    doc.ExpandGroupOf(countEntry);
    if (doc.Entries.Count() - doc.Entries.HiddenCount == shownBefore)
        return;
    // Instances that appear are due for reading; a pass that has ended
    // would leave those outside the visible rows unread until the next cycle.
    if (!FSession.RefreshPassRunning) {
        FSession.RefreshPosition = FSession.RefreshStop = doc.Entries.begin();
        FSession.RefreshPassRunning = true;
    }
    MarkDisplayDirty();
}

void TKelvoOnline::TimerWork() {
    TKelvoSession& session = FSession;
    if (!session.TickPending || !session.Ticking())
        return;
    session.TickPending = false;
    TLockScope lock(*this);
    TKelvoStream& stream = session.Stream();
    const std::int32_t good = stream.GoodExchanges();
    try {
        if (session.PendingEntry) {
            // What the line held before: a count line shows the new count
            // as soon as it is written.
            const TEntry* held = FPendingWrites ? DocumentEntryFor(*session.PendingEntry) : nullptr;
            const TPtr<TEntry> before(held ? new TEntry(*held) : nullptr);
            if (ReadWriteLine(*session.PendingEntry, true) == 0) {
                const TPtr<TEntry> written(session.PendingEntry.Release());
                FDocument.StartRefreshCycle();
                if (before)
                    FPendingWrites->Taken(*written, *before, true);
            } else if (FPendingWrites) {
                FPendingWrites->Refused(*session.PendingEntry);
            }
        } else if (session.DeviceRequest != TDeviceRequest::None) {
            CarryOutDeviceRequest();
        } else if (FView) {
            Refresh();
        }

        // A device that has gone from the line will not answer again: no
        // more attempts, offline at once.
        const bool gone = stream.Disconnected();
        if (stream.GoodExchanges() == good && !gone) {
            // READY on a healthy conversation keeps the device talking.
            stream.EndConversation();
            stream.BeginConversation();
        }
        if (gone || stream.GoodExchanges() == good) {
            if (gone || ++session.MissingAnswers > SilentCyclesAllowed) {
                GoOnline(TConnectTarget::Offline, 0);
                Prompt().Ask(online_text::RefreshCaption, online_text::DeviceSilent(),
                             TPromptIcon::Warning, TPromptButtons::Ok);
            }
        } else {
            session.MissingAnswers = 0;
            if (FView)
                FView->ProcessMessages();
        }

        const std::int64_t now = FTicks ? FTicks->Milliseconds() : 0;
        if (now - session.LastStatusTime >= StatusInterval) {
            session.LastStatusTime = now;
            UpdateStatus();
        }
    } catch (...) {
        // A failed cycle is simply tried again on the next tick.
    }
}

void TKelvoOnline::CarryOutDeviceRequest() {
    TFileTypeKelvo& doc = FDocument;
    const TDeviceRequest request = FSession.DeviceRequest;
    FSession.DeviceRequest = TDeviceRequest::None;
    TKelvoStream& stream = FSession.Stream();
    TKelvoCommand command(
        stream,
        request == TDeviceRequest::Program ? device_command::Program : device_command::Reset, 0);
    for (;;) {
        if (command.Send()) {
            FRequestOutcome = TRequestOutcome::Failed;
            break;
        }
        if (!command.Finish()) {
            FRequestOutcome = TRequestOutcome::Done;
            if (!doc.Info.Has(TFileInfo::OnDisk)) {
                doc.Info.SetModifiedFlag(false);
                if (FView)
                    FView->DocumentChanged();
            }
            break;
        }
        stream.SetBroken(true);
    }
    doc.StartRefreshCycle();
    Prompt().Ask(online_text::DeviceRequestCaption(request),
                 online_text::DeviceRequestAnswer(FRequestOutcome), TPromptIcon::Information,
                 TPromptButtons::Ok);
}

int TKelvoOnline::Refresh() {
    TFileTypeKelvo& doc = FDocument;
    const int top = FView ? FView->TopRow() : 0;
    const int bottom = top + (FView ? FView->VisibleRows() : 0);
    TKelvoSession& session = FSession;
    session.RowCursor = std::clamp(session.RowCursor, top, bottom);
    const int start = session.RowCursor;
    bool visibleDone = false;
    for (;;) {
        const int read = BackgroundStep();
        if (read < 0)
            return read;
        if (read == 0 && visibleDone)
            return 0;
        if (visibleDone)
            continue;
        TEntry* entry = doc.GetEntry(session.RowCursor);
        int result = 0;
        if (entry && entry->Value && (entry->IsLive() || entry->RefreshStamp != doc.RefreshCycle))
            result = ReadWriteLine(*entry, false);
        // A failed row ends this cycle, and the next one goes on after it: a
        // line the device refuses must not keep the rows below it from ever
        // being read again.
        if (++session.RowCursor > bottom) {
            session.RowCursor = top;
            if (session.DisplayDirty) {
                // The rows change: the next cycle starts over on the new ones.
                Repaint();
                return std::min(result, 0);
            }
        }
        if (result < 0)
            return result;
        visibleDone = session.RowCursor == start;
    }
}

int TKelvoOnline::BackgroundStep() {
    TFileTypeKelvo& doc = FDocument;
    TKelvoSession& session = FSession;
    int read = 0;
    int result = 0;
    while (read == 0 && session.RefreshPassRunning) {
        TEntry& entry = *session.RefreshPosition;
        if (!entry.HiddenByCount && entry.RefreshStamp != doc.RefreshCycle) {
            result = ReadWriteLine(entry, false);
            read = 1;
        }
        // The pass moves on even after a failed read: a line the device
        // refuses would otherwise hold it for good. The line keeps its old
        // stamp, so it is asked again as a visible row or in the next cycle.
        if (++session.RefreshPosition == doc.Entries.end())
            session.RefreshPosition = doc.Entries.begin();
        if (session.RefreshPosition == session.RefreshStop)
            session.RefreshPassRunning = false;
    }
    return result < 0 ? result : read;
}

int TKelvoOnline::ReadAllLines() {
    for (TEntry& entry : FDocument.Entries) {
        if (!entry.Value || entry.HiddenByCount || entry.RefreshStamp == FDocument.RefreshCycle)
            continue;
        const int result = ReadWriteLine(entry, false);
        if (result < 0)
            return result;
    }
    Repaint();
    return 0;
}

} // namespace kelvo
