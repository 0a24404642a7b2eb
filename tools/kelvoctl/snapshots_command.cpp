// kelvoctl snapshots: the snapshots taken before writes, newest first.
#include "snapshots/snapshots.h"
#include "tools/kelvoctl/commands.h"
#include "tools/kelvoctl/ctl_options.h"

#include <iostream>

namespace kelvo::ctl {

namespace {

void Help(std::ostream& out) {
    out << "Usage: kelvoctl snapshots [--folder DIR]\n"
           "\n"
           "Lists the snapshots, newest first: the time (UTC), the size and the file.\n"
           "Before \"program\" or \"set\" writes into a device, every value of the\n"
           "device is saved as a data file in\n"
           "  $XDG_DATA_HOME/kelvo/snapshots (~/.local/share/kelvo/snapshots)\n"
           "named by the time, the port and the device program's name; the newest "
        << SnapshotsKept
        << "\n"
           "are kept. A snapshot is an ordinary data file: \"kelvoctl program\" writes\n"
           "it back.\n"
           "\n"
           "  --folder DIR        list DIR instead\n"
           "\n"
           "Exit status: 0 listed (also when there are none), 64 usage.\n";
}

int Run(const std::vector<std::string>& args) {
    const TParsedArgs parsed = ParseArgs(args, {"--folder"}, {"--help", "-h"});
    if (parsed.Has("--help") || parsed.Has("-h")) {
        Help(std::cout);
        return ExitOk;
    }
    if (!parsed.Error.empty())
        return UsageError("snapshots", Help, parsed.Error);
    if (!parsed.Positional.empty())
        return UsageError("snapshots", Help, "no arguments expected");
    const std::string folder = parsed.Value("--folder", SnapshotFolder());
    const std::vector<TSnapshotInfo> all = ListSnapshots(folder);
    if (all.empty())
        std::cerr << "no snapshots in " << folder << "\n";
    for (const TSnapshotInfo& s : all)
        std::cout << s.Time << "  " << s.Size << "  " << s.Path << "\n";
    std::cout.flush();
    return std::cout ? ExitOk : ExitFailure;
}

} // namespace

const TCommand& SnapshotsCommand() {
    static const TCommand command{"snapshots", "list the snapshots taken before writes", Help, Run};
    return command;
}

} // namespace kelvo::ctl
