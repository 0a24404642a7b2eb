// kelvoctl show: the parameter list of a data file as the editor's Copy All
// Lines gives it, for a terminal (UTF-8, one "\n" per line).
#include "foundation/codepage.h"
#include "tools/kelvoctl/commands.h"
#include "tools/kelvoctl/ctl_options.h"
#include "tools/kelvoctl/online_session.h"
#include "tools/kelvoctl/shown_document.h"

#include <iostream>

namespace kelvo::ctl {

namespace {

void Help(std::ostream& out) {
    out << "Usage: kelvoctl show FILE [--keys] [--language NAME] [--translations DIR]\n"
           "                     [--production]\n"
           "       kelvoctl show (--device PATH | --port N) [--baud RATE] [--log FILE] [...]\n"
           "\n"
           "Prints the parameter lines of a Kelvo data file (.dat or .kelvo) as the\n"
           "editor's Copy All Lines puts them on the clipboard. A file that ends inside\n"
           "a record, or holds bytes after its last record, is shown with the lines it\n"
           "holds and a warning.\n"
           "\n"
           "  --keys              put each line's KEY in a first column: 0xAAAA, or\n"
           "                      0xAAAA:I for instance I (from 0) of a repeated group,\n"
           "                      as get and set take it\n"
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

// The rows of text (a header, a blank line, then one line per row) with each
// row's KEY in front.
std::string WithKeys(TFileTypeKelvo& document, const std::string& text) {
    constexpr std::size_t KeyWidth = 10;
    std::vector<std::string> keys = {"KEY", ""};
    const TSortVListView& list = document.List();
    for (int row = 0; row < list.GetRowCount(); ++row)
        if (const TFileTypeKelvo::TEntry* entry = document.GetEntry(row))
            keys.push_back(entry->IsBlank() ? std::string() : LineKey(*entry));
    std::string result;
    std::size_t start = 0;
    for (std::size_t i = 0; start < text.size(); ++i) {
        const std::size_t end = text.find('\n', start);
        std::string key = i < keys.size() ? keys[i] : std::string();
        const std::string line = text.substr(start, end - start);
        if (!line.empty() || !key.empty())
            key.resize(KeyWidth, ' ');
        result += key + line + "\n";
        if (end == std::string::npos)
            break;
        start = end + 1;
    }
    return result;
}

int Run(const std::vector<std::string>& args) {
    const TParsedArgs parsed = ParseArgs(args, ConnectionOptions({"--language", "--translations"}),
                                         {"--production", "--keys", "--help", "-h"});
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
    if (!error.empty())
        return UsageError("show", Help, error);
    TPtr<TFileTypeKelvo> document;
    if (const int result = OpenShownDocument("show", parsed, fromDevice, document);
        result != ExitOk)
        return result;
    const std::string text = OemToUtf8(CopyLinesText(*document, true, "\n"));
    std::cout << (parsed.Has("--keys") ? WithKeys(*document, text) : text);
    std::cout.flush();
    return std::cout ? ExitOk : ExitFailure;
}

} // namespace

const TCommand& ShowCommand() {
    static const TCommand command{"show", "print the parameter lines of a data file", Help, Run};
    return command;
}

} // namespace kelvo::ctl
