// kelvoctl export: a data file's or a device's lines as CSV or JSON.
#include "foundation/codepage.h"
#include "report/export_lines.h"
#include "report/whole_file.h"
#include "tools/kelvoctl/commands.h"
#include "tools/kelvoctl/online_session.h"
#include "tools/kelvoctl/output_check.h"
#include "tools/kelvoctl/shown_document.h"

#include <iostream>

namespace kelvo::ctl {

namespace {

void Help(std::ostream& out) {
    out << "Usage: kelvoctl export FILE [--format csv|json] [-o OUT] [--language NAME]\n"
           "                       [--translations DIR] [--production]\n"
           "       kelvoctl export (--device PATH | --port N) [--baud RATE] [--log FILE] [...]\n"
           "\n"
           "Writes every shown line, each instance of a repeated group on its own,\n"
           "with its address, instance, caption (as shown and untranslated), value\n"
           "text, kind, flags and layout: CSV by RFC 4180 in UTF-8 with a header\n"
           "line (the default) or one JSON array. For reports and spreadsheets: an\n"
           "export is not read back.\n"
           "\n"
           "  --format csv|json   the format (csv by default)\n"
           "  -o, --output OUT    write to OUT instead of standard output\n"
           "  --language NAME     captions and choices in this translation\n"
           "  --translations DIR  read the translation files from DIR\n"
           "  --production        also export the lines reserved for production\n";
    ConnectionHelp(out);
    out << "\nExit status: 0 exported, 1 FILE not loaded or OUT not written, 2 the device\n"
           "could not be read, 64 usage.\n";
}

int Run(const std::vector<std::string>& args) {
    const TParsedArgs parsed = ParseArgs(
        args, ConnectionOptions({"--format", "-o", "--output", "--language", "--translations"}),
        {"--production", "--help", "-h"});
    if (parsed.Has("--help") || parsed.Has("-h")) {
        Help(std::cout);
        return ExitOk;
    }
    const bool fromDevice = parsed.HasValue("--device") || parsed.HasValue("--port");
    std::string error = parsed.Error;
    if (error.empty() && parsed.Positional.size() != (fromDevice ? 0u : 1u))
        error = fromDevice ? "a FILE and a device at once" : "exactly one FILE expected";
    const std::string format = parsed.Value("--format", "csv");
    if (error.empty() && format != "csv" && format != "json")
        error = "--format must be csv or json";
    if (error.empty() && !fromDevice && (parsed.HasValue("--baud") || parsed.HasValue("--log")))
        error = "--baud and --log need --device or --port";
    if (!error.empty())
        return UsageError("export", Help, error);
    const std::string target = parsed.Value("-o", parsed.Value("--output"));
    if (!target.empty())
        if (const std::string why = CheckOutputPath(target, false); !why.empty()) {
            std::cerr << "kelvoctl export: cannot write " << target << ": " << why << "\n";
            return ExitFailure;
        }

    if (fromDevice) {
        // Checked here so that the messages name this command.
        const TConnection connection = ReadConnection(parsed);
        if (!connection.Error.empty())
            return UsageError("export", Help, connection.Error);
        if (!CheckLogPath("export", connection))
            return ExitFailure;
    }
    TPtr<TFileTypeKelvo> document;
    if (const int result = OpenShownDocument("export", parsed, fromDevice, document);
        result != ExitOk)
        return result;
    const std::vector<TExportRow> rows = ExportRows(*document);
    const std::string text = format == "json" ? ExportJson(rows) : ExportCsv(rows);
    if (target.empty()) {
        std::cout << text;
        std::cout.flush();
        return std::cout ? ExitOk : ExitFailure;
    }
    // A failed write (a full disk) leaves no half report and keeps an old one.
    const std::string why = WriteWholeFile(target, text);
    if (!why.empty()) {
        std::cerr << "kelvoctl export: could not write " << target << ": " << why << "\n";
        return ExitFailure;
    }
    return ExitOk;
}

} // namespace

const TCommand& ExportCommand() {
    static const TCommand command{"export", "write a data file's or device's lines as CSV or JSON",
                                  Help, Run};
    return command;
}

} // namespace kelvo::ctl
