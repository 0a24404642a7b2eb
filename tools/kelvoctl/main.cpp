// kelvoctl: the command-line companion of the Kelvo editor.
#include "foundation/exception.h"
#include "foundation/prompt.h"
#include "tools/kelvoctl/commands.h"

#include <algorithm>
#include <iostream>

namespace {

const char* const TryHelp = "Try 'kelvoctl --help' for more.\n";
const char* const UsageLine = "Usage: kelvoctl COMMAND [ARGS...]\n";

void Usage(std::ostream& out) {
    out << UsageLine
        << "       kelvoctl COMMAND --help\n"
           "       kelvoctl --version\n"
           "\n"
           "Commands:\n";
    std::size_t width = 0;
    for (const kelvo::ctl::TCommand& command : kelvo::ctl::Commands())
        width = std::max(width, std::string(command.Name).size());
    for (const kelvo::ctl::TCommand& command : kelvo::ctl::Commands())
        out << "  " << command.Name
            << std::string(width + 2 - std::string(command.Name).size(), ' ') << command.Summary
            << "\n";
}

} // namespace

int main(int argc, char** argv) {
    using namespace kelvo::ctl;
    // Message boxes become "caption: text" lines on standard error.
    kelvo::TStderrPrompt prompt;
    kelvo::TPromptScope promptScope(prompt);

    const std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty()) {
        std::cerr << "kelvoctl: a COMMAND is needed\n" << UsageLine << TryHelp;
        return ExitUsage;
    }
    if (args[0] == "--version" || args[0] == "-V") {
        std::cout << "kelvoctl " << KELVO_VERSION << "\n";
        return ExitOk;
    }
    if (args[0] == "--help" || args[0] == "-h" || args[0] == "help") {
        if (args[0] == "help" && args.size() > 1)
            if (const TCommand* command = FindCommand(args[1])) {
                command->Help(std::cout);
                return ExitOk;
            }
        Usage(std::cout);
        return ExitOk;
    }
    const TCommand* command = FindCommand(args[0]);
    if (!command) {
        std::cerr << "kelvoctl: unknown command \"" << args[0] << "\"\n" << UsageLine << TryHelp;
        return ExitUsage;
    }
    try {
        return command->Run(std::vector<std::string>(args.begin() + 1, args.end()));
    } catch (const std::exception& e) {
        std::cerr << "kelvoctl " << command->Name << ": " << e.what() << "\n";
        return ExitFailure;
    }
}
