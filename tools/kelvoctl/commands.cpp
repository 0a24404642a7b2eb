#include "tools/kelvoctl/commands.h"

namespace kelvo::ctl {

const std::vector<TCommand>& Commands() {
    static const std::vector<TCommand> commands = {
        ShowCommand(), DownloadCommand(),      ProgramCommand(),     GetCommand(),
        SetCommand(),  ProgramDeviceCommand(), ResetDeviceCommand(),
    };
    return commands;
}

const TCommand* FindCommand(const std::string& name) {
    for (const TCommand& command : Commands())
        if (name == command.Name)
            return &command;
    return nullptr;
}

} // namespace kelvo::ctl
