#pragma once
// The subcommands of kelvoctl. Each lives in its own file and is listed once
// in commands.cpp; main only dispatches.
#include <ostream>
#include <string>
#include <vector>

namespace kelvo::ctl {

// Exit codes shared by all subcommands.
inline constexpr int ExitOk = 0;
inline constexpr int ExitFailure = 1;
inline constexpr int ExitUsage = 64; // a wrong argument, as sysexits has it

struct TCommand {
    const char* Name;
    // One line for the command overview.
    const char* Summary;
    // Writes the command's own help text.
    void (*Help)(std::ostream& out);
    // Runs the command with the arguments after its name; returns the exit code.
    int (*Run)(const std::vector<std::string>& args);
};

// Says what is wrong, the command's usage line and where to find more;
// returns ExitUsage.
int UsageError(const std::string& command, void (*help)(std::ostream& out),
               const std::string& error);

const std::vector<TCommand>& Commands();
const TCommand* FindCommand(const std::string& name);

// Each subcommand file provides one of these.
const TCommand& ShowCommand();
const TCommand& DownloadCommand();
const TCommand& ProgramCommand();
const TCommand& GetCommand();
const TCommand& SetCommand();
const TCommand& ProgramDeviceCommand();
const TCommand& ResetDeviceCommand();
const TCommand& DiffCommand();
const TCommand& SnapshotsCommand();
const TCommand& JournalCommand();
const TCommand& ExportCommand();
const TCommand& PortsCommand();
const TCommand& ScanCommand();

} // namespace kelvo::ctl
