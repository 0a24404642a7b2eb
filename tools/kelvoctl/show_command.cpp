// kelvoctl show: the parameter list of a data file as the editor's Copy All
// Lines gives it, for a terminal (UTF-8, one "\n" per line).
#include "foundation/codepage.h"
#include "tools/kelvoctl/commands.h"
#include "tools/kelvoctl/ctl_options.h"
#include "tools/kelvoctl/document_loader.h"
#include "tools/kelvoctl/online_session.h"
#include "translations/mlparas.h"

#include <iostream>

namespace kelvo::ctl {

namespace {

void Help(std::ostream& out) {
    out << "Usage: kelvoctl show FILE [--language NAME] [--translations DIR] [--production]\n"
           "       kelvoctl show (--device PATH | --port N) [--baud RATE] [--log FILE] [...]\n"
           "\n"
           "Prints the parameter lines of a Kelvo data file (.dat or .kelvo) as the\n"
           "editor's Copy All Lines puts them on the clipboard.\n"
           "\n"
           "  --language NAME     show captions and choices in this translation\n"
           "                      (none without it)\n"
           "  --translations DIR  read the \"*.l*\" translation files from DIR instead\n"
           "                      of the program's directory\n"
           "  --production        also show the lines reserved for production\n"
           "  --help              show this help\n"
           "\n"
           "Exit status: 0 shown, 1 file not found or not a valid data file,\n"
           "2 the device could not be read, 64 usage.\n";
}

int Run(const std::vector<std::string>& args) {
    const TParsedArgs parsed = ParseArgs(args, ConnectionOptions({"--language", "--translations"}),
                                         {"--production", "--help", "-h"});
    if (parsed.Has("--help") || parsed.Has("-h")) {
        Help(std::cout);
        return ExitOk;
    }
    // With --device or --port the dialog comes from a device instead of a file.
    const bool fromDevice = parsed.HasValue("--device") || parsed.HasValue("--port");
    std::string error = parsed.Error;
    if (error.empty() && parsed.Positional.size() != (fromDevice ? 0u : 1u))
        error = fromDevice ? "a FILE and a device at once" : "exactly one FILE expected";
    if (error.empty() && !fromDevice && (parsed.HasValue("--baud") || parsed.HasValue("--log")))
        error = "--baud and --log need --device or --port";
    if (!error.empty()) {
        std::cerr << "kelvoctl show: " << error << "\n";
        Help(std::cerr);
        return ExitUsage;
    }
    TPtr<TFileTypeKelvo> document;
    if (fromDevice) {
        if (const int result = DownloadForShow(parsed, document); result != ExitOk)
            return result;
    } else {
        const std::string& name = parsed.Positional.front();
        if (!LoadDocumentOrReport(name, document))
            return ExitFailure;
    }

    if (parsed.Has("--production"))
        document->SetProductionMode(1);
    if (parsed.HasValue("--language")) {
        Mlparas().Load(parsed.Value("--translations"));
        document->SetLanguage(Utf8ToOem(parsed.Value("--language")));
    }
    std::cout << OemToUtf8(CopyLinesText(*document, true, "\n"));
    std::cout.flush();
    return std::cout ? ExitOk : ExitFailure;
}

} // namespace

const TCommand& ShowCommand() {
    static const TCommand command{"show", "print the parameter lines of a data file", Help, Run};
    return command;
}

} // namespace kelvo::ctl
