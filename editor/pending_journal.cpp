#include "editor/pending_journal.h"

#include "model/dlglinevalue.h"
#include "online/kelvo_online.h"
#include "online/online_texts.h"

#include <algorithm>

namespace kelvo {

namespace {

bool SameLine(const TFileTypeKelvo::TEntry& a, const TFileTypeKelvo::TEntry& b) {
    return a.Value && b.Value && a.Address == b.Address && a.IndexI == b.IndexI &&
           a.Value->IsSameKind(*b.Value);
}

} // namespace

const char* TPendingJournal::Caption(TJournalSource source) {
    switch (source) {
    case TJournalSource::Undo:
        return "Undo";
    case TJournalSource::Redo:
        return "Redo";
    default:
        return online_text::EditValueCaption;
    }
}

TJournalWrites& TPendingJournal::Writes() {
    const std::string port = FOnline.Session().Stream().PortName();
    TJournalDevice device = JournalDevice(FOnline.Document(), port);
    if (!FWrites)
        FWrites = std::make_unique<TJournalWrites>(std::move(device), TJournalSource::Edit);
    else
        // The serial number line may have been written meanwhile.
        FWrites->SetDevice(std::move(device));
    return *FWrites;
}

bool TPendingJournal::Ready(TJournalSource source) {
    if (JournalReady(Writes(), Caption(source)))
        return true;
    // The next write tries again: the user may have made room meanwhile.
    FWrites.reset();
    return false;
}

void TPendingJournal::Queued(TJournalSource source, const TEntry* replaced) {
    const std::optional<TPending> pending = FPending;
    FPending = TPending{source};
    if (!replaced || !pending || !pending->Refused)
        return;
    for (const TEntry& entry : FOnline.Document().Entries)
        if (SameLine(entry, *replaced)) {
            Record(*replaced, ShownValue(entry), TJournalResult::Refused, pending->Source);
            return;
        }
}

std::optional<TJournalSource> TPendingJournal::PendingSource() const {
    if (!FPending)
        return std::nullopt;
    return FPending->Source;
}

void TPendingJournal::Refused() {
    if (FPending)
        FPending->Refused = true;
}

void TPendingJournal::Written(const TEntry& written, const TEntry& before) {
    const TJournalSource source = FPending ? FPending->Source : TJournalSource::Edit;
    FPending.reset();
    FAwaiting.push_back({std::make_unique<TEntry>(written), ShownValue(before), source});
}

void TPendingJournal::Applied(const TEntry& now, const TEntry& before) {
    const std::optional<TPending> pending = FPending;
    FPending.reset();
    // A write never tried put nothing on the line; one the device refused did.
    if (pending && pending->Refused)
        Record(now, ShownValue(before), TJournalResult::Refused, pending->Source);
}

bool TPendingJournal::LineRead(const TEntry& line) {
    const auto found =
        std::find_if(FAwaiting.begin(), FAwaiting.end(),
                     [&line](const TAwaiting& a) { return SameLine(*a.Written, line); });
    if (found == FAwaiting.end())
        return true;
    TAwaiting awaiting = std::move(*found);
    FAwaiting.erase(found);
    const TJournalResult result =
        ReadBackResult(true, ShownValue(*awaiting.Written), ShownValue(line));
    return Record(*awaiting.Written, awaiting.Before, result, awaiting.Source);
}

bool TPendingJournal::Stopped() {
    std::vector<TAwaiting> awaiting = std::move(FAwaiting);
    FAwaiting.clear();
    for (const TAwaiting& a : awaiting) {
        std::string shown;
        for (const TEntry& entry : FOnline.Document().Entries)
            if (SameLine(entry, *a.Written)) {
                shown = ShownValue(entry);
                break;
            }
        if (!Record(*a.Written, a.Before, ReadBackResult(true, ShownValue(*a.Written), shown),
                    a.Source))
            return false;
    }
    return true;
}

bool TPendingJournal::Record(const TEntry& written, const std::string& before,
                             TJournalResult result, TJournalSource source) {
    TJournalWrites& writes = Writes();
    writes.SetSource(source);
    if (JournalRecordLine(writes, Caption(source), written, before, result))
        return true;
    FWrites.reset();
    FAwaiting.clear();
    return false;
}

} // namespace kelvo
