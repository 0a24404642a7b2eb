#include "tools/kelvoctl/commands.h"

#include <iostream>
#include <sstream>

namespace kelvo::ctl {

const std::vector<TCommand>& Commands() {
    static const std::vector<TCommand> commands = {
        ShowCommand(),      DownloadCommand(),      ProgramCommand(),     GetCommand(),
        SetCommand(),       ProgramDeviceCommand(), ResetDeviceCommand(), DiffCommand(),
        SnapshotsCommand(), ExportCommand(),        PortsCommand(),       ScanCommand(),
        JournalCommand(),
    };
    return commands;
}

int UsageError(const std::string& command, void (*help)(std::ostream& out),
               const std::string& error) {
    std::ostringstream text;
    help(text);
    const std::string usage = text.str().substr(0, text.str().find('\n'));
    std::cerr << "kelvoctl " << command << ": " << error << "\n"
              << usage << "\n"
              << "Try 'kelvoctl " << command << " --help' for more.\n";
    return ExitUsage;
}

const TCommand* FindCommand(const std::string& name) {
    for (const TCommand& command : Commands())
        if (name == command.Name)
            return &command;
    return nullptr;
}

} // namespace kelvo::ctl
