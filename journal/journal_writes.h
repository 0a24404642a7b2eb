#pragma once
// What a write into a device does with the change journal. Every command
// that writes values (an edit, Undo and Redo, the old data, Write Checked,
// kelvoctl set and program) keeps one TJournalWrites for the operation:
//
//     TJournalWrites journal(JournalDevice(document, port), TJournalSource::Edit);
//     if (!JournalReady(journal, "Edit Value"))          // before the first write
//         return;                                         // nothing written
//     const std::string before = ShownValue(held);       // the device's line
//     ... write edited, read held back ...
//     if (!JournalRecordLine(journal, "Edit Value", edited, before,
//                            ReadBackResult(accepted, ShownValue(edited), ShownValue(held))))
//         stop;                                           // no further writes
//
// A journal that cannot be written stops the operation as a missing
// snapshot does: before the first write nothing is written, after a write
// nothing more. No widgets here: the message goes through the prompt.
#include "journal/change_journal.h"
#include "journal/journal_document.h"
#include "online/kelvo_compare.h"

#include <cstddef>
#include <string>

namespace kelvo {

class TJournalWrites {
public:
    // path: the journal's file, the default one when empty.
    TJournalWrites(TJournalDevice device, TJournalSource source, std::string path = {});

    // Opens the journal, creating it on first use. False (Error says why):
    // nothing may be written. Later calls answer as the first did.
    bool Ready();
    // Records one value written into the device; opens the journal first
    // when Ready was not called. False (Error says why): the value could not
    // be recorded and the operation must write nothing more.
    bool Record(const TJournalLine& line, const std::string& oldValue, const std::string& newValue,
                TJournalResult result);

    // The device as later entries name it (after its serial number line was
    // written, say).
    void SetDevice(TJournalDevice device) { FDevice = std::move(device); }
    const TJournalDevice& Device() const { return FDevice; }
    // What later entries name as their writer: one journal kept for an
    // online session serves edits, Undo and Redo alike.
    void SetSource(TJournalSource source) { FSource = source; }
    TJournalSource Source() const { return FSource; }
    const std::string& Error() const { return FError; }
    std::size_t Recorded() const { return FRecorded; }

private:
    TChangeJournal FJournal;
    TJournalDevice FDevice;
    TJournalSource FSource;
    std::string FPath;
    std::string FError;
    std::size_t FRecorded = 0;
    enum { NotYet, Open, Refused } FState = NotYet;
};

// What reading back showed: refused when the device did not take the
// write, else equal or different by the values as shown.
TJournalResult ReadBackResult(bool accepted, const std::string& wanted,
                              const std::string& readBack);

// What a row of a compared file written into the device (WriteRows) did:
// equal when the device holds the file's value, different when it holds
// another, refused when it did not take the write, written when reading it
// back failed.
TJournalResult JournalResultOf(TRowWrite::TResult result);

// The text that tells why the journal stops a write; written tells whether
// the operation had written values already.
std::string JournalStopText(const std::string& error, bool written);

// Ready and Record with the message: on failure a box titled caption says
// why, through the prompt (standard error in kelvoctl).
bool JournalReady(TJournalWrites& journal, const std::string& caption);
bool JournalRecord(TJournalWrites& journal, const std::string& caption, const TJournalLine& line,
                   const std::string& oldValue, const std::string& newValue, TJournalResult result);
// JournalRecord for the line written, named and with its new value as the
// list shows them.
bool JournalRecordLine(TJournalWrites& journal, const std::string& caption,
                       const TFileTypeKelvo::TEntry& written, const std::string& oldValue,
                       TJournalResult result);

} // namespace kelvo
