#include "journal/journal_writes.h"

#include "foundation/prompt.h"

namespace kelvo {

TJournalWrites::TJournalWrites(TJournalDevice device, TJournalSource source, std::string path)
    : FDevice(std::move(device)), FSource(source), FPath(std::move(path)) {}

bool TJournalWrites::Ready() {
    if (FState != NotYet)
        return FState == Open;
    const TJournalStatus status = FJournal.Open(FPath);
    FState = status.Ok() ? Open : Refused;
    FError = status.Error;
    return status.Ok();
}

bool TJournalWrites::Record(const TJournalLine& line, const std::string& oldValue,
                            const std::string& newValue, TJournalResult result) {
    if (!Ready())
        return false;
    TJournalEntry entry;
    entry.Port = FDevice.Port;
    entry.Program = FDevice.Program;
    entry.Serial = FDevice.Serial;
    entry.Address = line.Address;
    entry.Instance = line.Instance;
    entry.Caption = line.Caption;
    entry.OldValue = oldValue;
    entry.NewValue = newValue;
    entry.Result = result;
    entry.Source = FSource;
    const TJournalStatus status = FJournal.Record(entry);
    if (!status.Ok()) {
        // Once an entry is lost the operation ends; it does not go on unrecorded.
        FState = Refused;
        FError = status.Error;
        return false;
    }
    ++FRecorded;
    return true;
}

TJournalResult ReadBackResult(bool accepted, const std::string& wanted,
                              const std::string& readBack) {
    if (!accepted)
        return TJournalResult::Refused;
    return wanted == readBack ? TJournalResult::Equal : TJournalResult::Different;
}

TJournalResult JournalResultOf(TRowWrite::TResult result) {
    switch (result) {
    case TRowWrite::NotTaken:
        return TJournalResult::Different;
    case TRowWrite::WriteFailed:
        return TJournalResult::Refused;
    case TRowWrite::ReadBackFailed:
        return TJournalResult::Written;
    default:
        return TJournalResult::Equal;
    }
}

std::string JournalStopText(const std::string& error, bool written) {
    return "The change could not be recorded in the change journal: " + error +
           (written ? ".\n\nNothing more was written." : ".\n\nNothing was written.");
}

bool JournalReady(TJournalWrites& journal, const std::string& caption) {
    if (journal.Ready())
        return true;
    Prompt().Ask(caption, JournalStopText(journal.Error(), false), TPromptIcon::Error,
                 TPromptButtons::Ok);
    return false;
}

bool JournalRecord(TJournalWrites& journal, const std::string& caption, const TJournalLine& line,
                   const std::string& oldValue, const std::string& newValue,
                   TJournalResult result) {
    if (journal.Record(line, oldValue, newValue, result))
        return true;
    // The value is in the device by now; what follows it is not.
    Prompt().Ask(caption, JournalStopText(journal.Error(), true), TPromptIcon::Error,
                 TPromptButtons::Ok);
    return false;
}

bool JournalRecordLine(TJournalWrites& journal, const std::string& caption,
                       const TFileTypeKelvo::TEntry& written, const std::string& oldValue,
                       TJournalResult result) {
    return JournalRecord(journal, caption, JournalLine(written), oldValue, ShownValue(written),
                         result);
}

} // namespace kelvo
