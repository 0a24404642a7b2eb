#pragma once
// Nothing is written into a device without a snapshot of its set first, nor
// without the change journal ready to record each value: the commands that
// write ask here once, before their first write, and record every line here.
#include "journal/journal_writes.h"
#include "tools/kelvoctl/online_session.h"

#include <optional>
#include <string>

namespace kelvo::ctl {

class TSnapshotGuard {
public:
    TSnapshotGuard(TOnlineSession& session, const char* command, std::string where)
        : FSession(session), FCommand(command), FWhere(std::move(where)) {}

    // Reads every line of the device (the session is online; readFirst false
    // when that was just done) and saves them as a snapshot; says where on standard error. Then
    // opens the change journal for the device. False, with a message, when no snapshot could be
    // made or the journal cannot be written: nothing may be written then. Later calls answer as
    // the first did.
    bool Ensure(bool readFirst = true);
    // Records a line written into the device, with the device's line before
    // the write (none: no old value). False, with a message, when the journal
    // could not take it: nothing more may be written.
    bool Record(const TFileTypeKelvo::TEntry* before, const TFileTypeKelvo::TEntry& written,
                TJournalResult result);
    bool Taken() const { return FState == Saved; }
    bool Failed() const { return FState == Refused; }
    const std::string& Path() const { return FPath; }

private:
    TOnlineSession& FSession;
    const char* FCommand;
    std::string FWhere;
    enum { NotYet, Saved, Refused } FState = NotYet;
    std::string FPath;
    std::optional<TJournalWrites> FJournal;
};

// The port as a snapshot's name gives it: the device path, or "COMn".
std::string PortName(const TConnection& connection);

} // namespace kelvo::ctl
