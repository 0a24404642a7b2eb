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
    FState = Saved;
    FPath = result.Path;
    std::cerr << "snapshot of the device's values saved to " << FPath << "\n";
    return true;
}

} // namespace kelvo::ctl
