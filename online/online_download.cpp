// Downloading the device's dialog, comparing it with the data the document
// held before, and writing those data into the device.
#include "devicelink/kelvocommand.h"
#include "model/dlglinevalue.h"
#include "online/device_commands.h"
#include "online/kelvo_online.h"

#include <algorithm>
#include <optional>

namespace kelvo {

using TEntry = TFileTypeKelvo::TEntry;

namespace {

constexpr std::int32_t AllAddresses = 0x7FFFFFFF;

// The hourglass for as long as the download runs, whichever way it ends.
class TBusyScope {
public:
    explicit TBusyScope(TOnlineView* view) : FView(view) {
        if (FView) {
            FView->SetBusy(true);
            FView->ProcessMessages();
        }
    }
    ~TBusyScope() {
        if (FView)
            FView->SetBusy(false);
    }
    TBusyScope(const TBusyScope&) = delete;
    TBusyScope& operator=(const TBusyScope&) = delete;

private:
    TOnlineView* FView;
};

} // namespace

int TKelvoOnline::Download() {
    TFileTypeKelvo& doc = FDocument;
    TKelvoStream& stream = FSession.Stream();
    FSession.RefreshPassRunning = false;
    TBusyScope busy(FView);

    doc.OldEntries = doc.Entries;
    doc.OldInfo = doc.Info;
    FComparePosition = doc.OldEntries.end();
    FVerdict = AllEqual;
    doc.Entries.Clear();
    RepaintAll();

    TKelvoCommand command(stream, device_command::Download, 3);
    command.Arg(0xFFFF);
    int result = 0;
    // The device sends its lines highest address first; after a broken
    // exchange the command is sent again for the lines still missing.
    std::int32_t wanted = AllAddresses;
    while (wanted >= 0) {
        if (wanted == AllAddresses || stream.Broken()) {
            command.Bytes[1] = static_cast<std::uint8_t>(wanted & 0xFF);
            command.Bytes[2] = static_cast<std::uint8_t>((wanted >> 8) & 0xFF);
            if (command.Send()) {
                result = CommandRefused;
                break;
            }
        }
        TEntry entry(&doc);
        if (entry.Read(stream) < 0 || stream.Broken()) {
            if (stream.EofPending())
                wanted = -1;
            else
                stream.SetBroken(true);
            continue;
        }
        const std::int32_t address = entry.Address;
        if (wanted < address) {
            // The previous line once more ends the download quietly; anything
            // higher came out of order.
            if (address > wanted + 1)
                result = LineOutOfOrder;
            break;
        }
        entry.RefreshStamp = doc.RefreshCycle;
        doc.Entries.push_front(entry);
        CompareWithOldData(doc.Entries.front());
        wanted = address - 1;
    }
    if (result == 0 && command.Finish())
        result = AnswerUnfinished;

    if (result < 0)
        doc.Entries.Clear();
    doc.Info.SetNoFile(TFileInfo::UndeterminedSize);
    int status = 0;
    doc.PostProcess(status);
    if (FView)
        FView->ListChanged();
    if (result < 0)
        return result;
    return status < 0 ? status : FVerdict;
}

void TKelvoOnline::CompareWithOldData(const TEntry& line) {
    TFileTypeKelvo::TEntries& old = FDocument.OldEntries;
    auto weight = [](bool editable, int ifEditable, int otherwise) {
        return editable ? ifEditable : otherwise;
    };
    int verdict = AllEqual;
    for (;;) {
        if (FComparePosition == old.begin()) {
            verdict = weight(line.IsEditable(), StructureDiffers, ReadOnlyDiffers);
            break;
        }
        const TEntry& o = *--FComparePosition;
        if (!o.Value || o.IndexI != 0)
            continue;
        if (o.Address > line.Address) {
            // An old line the device no longer has.
            verdict = weight(o.IsEditable(), StructureDiffers, ReadOnlyDiffers);
            continue;
        }
        if (o.Address < line.Address) {
            // A line the old data did not have; the old one waits for the next.
            verdict = weight(line.IsEditable(), StructureDiffers, ReadOnlyDiffers);
            ++FComparePosition;
            break;
        }
        if (!o.SameDefinition(line)) {
            verdict =
                weight(o.IsEditable() || line.IsEditable(), StructureDiffers, ReadOnlyDiffers);
            break;
        }
        if (!o.IsVisible() || o.SameValue(line))
            break;
        if (o.IsLive())
            verdict = weight(o.IsEditable(), LiveDiffers, ReadOnlyLiveDiffers);
        else
            verdict = weight(o.IsEditable(), ValuesDiffer, ReadOnlyDiffers);
        break;
    }
    FVerdict = std::max(FVerdict, verdict);
}

int TKelvoOnline::WriteOldData(int verdict, int* written) {
    TKelvoStream& stream = FSession.Stream();
    TKelvoCommand command(stream, device_command::PrepareWrites, 0);
    for (;;) {
        if (command.Send())
            return PrepareFailed;
        if (!command.Finish())
            break;
        stream.SetBroken(true);
    }

    TFileTypeKelvo::TEntries& source =
        verdict == StructureDiffers ? FDocument.ConvertedEntries : FDocument.OldEntries;
    for (TEntry& entry : source) {
        if (!entry.IsEditable() || (verdict == LiveDiffers && !entry.IsLive()))
            continue;
        // A line without value, hidden by its group's count or a label is
        // not written.
        const bool writes = entry.Value && !entry.HiddenByCount && entry.Kind() != KindLabel;
        // The device's line as it was: a count written updates its line at once.
        std::optional<TEntry> before;
        if (writes && FOldDataWritten)
            if (const TEntry* held = DocumentEntryFor(entry))
                before = *held;
        const bool accepted = ReadWriteLine(entry, true) >= 0;
        if (writes && FOldDataWritten &&
            !FOldDataWritten(before ? &*before : nullptr, entry, accepted))
            return LineWriteFailed;
        if (!accepted)
            return LineWriteFailed;
        if (written && writes)
            ++*written;
        // The device now holds a value the document has not read back yet.
        FDocument.StartRefreshCycle();
    }

    // Program shares the attempts left by the preparation.
    command.Bytes[0] = device_command::Program;
    for (;;) {
        if (command.Send())
            return ProgramFailed;
        if (!command.Finish())
            return 0;
        stream.SetBroken(true);
    }
}

} // namespace kelvo
