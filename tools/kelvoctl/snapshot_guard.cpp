#include "tools/kelvoctl/snapshot_guard.h"

#include "snapshots/snapshots.h"
#include "tools/kelvoctl/commands.h"

#include <iostream>

namespace kelvo::ctl {

std::string PortName(const TConnection& connection) {
    return connection.Device.empty() ? "COM" + std::to_string(connection.Port) : connection.Device;
}

bool TSnapshotGuard::Ensure(bool readFirst) {
    if (FState != NotYet)
        return FState == Saved;
    FState = Refused;
    // Every instance of a repeated group belongs in the snapshot with its own value.
    if (readFirst && ReadEveryLine(FSession) != ExitOk) {
        ClearProgressLine();
        std::cerr << "kelvoctl " << FCommand
                  << ": no snapshot of the device's values (they could not be read); "
                     "nothing was written\n";
        return false;
    }
    const TSnapshotResult result = SaveSnapshot(FSession.Document(), FWhere);
    ClearProgressLine();
    if (!result.Ok()) {
        std::cerr << "kelvoctl " << FCommand
                  << ": no snapshot of the device's values: " << result.Error
                  << "; nothing was written\n";
        return false;
    }
    FPath = result.Path;
    std::cerr << "snapshot of the device's values saved to " << FPath << "\n";
    FJournal.emplace(JournalDevice(FSession.Document(), FWhere), TJournalSource::Kelvoctl);
    if (!FJournal->Ready()) {
        std::cerr << "kelvoctl " << FCommand
                  << ": the change journal cannot be written: " << FJournal->Error()
                  << "; nothing was written\n";
        return false;
    }
    FState = Saved;
    return true;
}

bool TSnapshotGuard::Record(const TFileTypeKelvo::TEntry* before,
                            const TFileTypeKelvo::TEntry& written, TJournalResult result) {
    if (FState != Saved) {
        // Every write asks Ensure first; a path that did not may not write.
        ClearProgressLine();
        std::cerr << "kelvoctl " << FCommand
                  << ": the change journal was not opened; nothing more was written\n";
        return false;
    }
    if (FJournal->Record(JournalLine(written), before ? ShownValue(*before) : "",
                         ShownValue(written), result))
        return true;
    ClearProgressLine();
    std::cerr << "kelvoctl " << FCommand
              << ": the change journal cannot be written: " << FJournal->Error()
              << "; nothing more was written\n";
    return false;
}

} // namespace kelvo::ctl
