// Every value the window writes into a device goes into the change journal.
// The journal is opened before the first write of an operation, so that one
// that cannot be written stops the operation before anything reaches the
// device, as a missing snapshot does; each line is recorded after its write.
#include "editor/klvform.h"

#include "journal/journal_writes.h"
#include "online/kelvo_online.h"

namespace kelvo {

bool TKlvForm::OpenWriteJournal(TJournalSource source, const std::string& caption) {
    const std::string port = FOnline->Session().Stream().PortName();
    FWriteJournal = std::make_unique<TJournalWrites>(JournalDevice(*Kelvo(), port), source);
    return JournalReady(*FWriteJournal, caption);
}

bool TKlvForm::RecordWrite(const std::string& caption, const TFileTypeKelvo::TEntry* before,
                           const TFileTypeKelvo::TEntry& written, TJournalResult result) {
    // Every writing operation opens its journal first; one that did not
    // may not write.
    if (!FWriteJournal)
        return false;
    return JournalRecordLine(*FWriteJournal, caption, written, before ? ShownValue(*before) : "",
                             result);
}

} // namespace kelvo
