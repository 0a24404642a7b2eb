// kelvoctl journal: the values written into devices, newest first.
#include "journal/change_journal.h"
#include "journal/journal_format.h"
#include "tools/kelvoctl/commands.h"
#include "tools/kelvoctl/ctl_options.h"

#include <iostream>

namespace kelvo::ctl {

namespace {

void Help(std::ostream& out) {
    out << "Usage: kelvoctl journal [--serial S] [--since DATE] [--format text|csv|json]\n"
           "\n"
           "Lists the change journal, newest first: every value written into a device\n"
           "by kelvow32 (an edit, Undo and Redo, the old data, Write Checked) and by\n"
           "\"kelvoctl set\" and \"program\", with the time (UTC), the user and host, the\n"
           "port, the device program and serial number, the line and its caption, the\n"
           "old and the new value, what reading it back showed (equal, refused,\n"
           "different, or written: not read back) and what wrote it. The journal is\n"
           "  $XDG_DATA_HOME/kelvo/journal.sqlite (~/.local/share/kelvo/journal.sqlite)\n"
           "\n"
           "  --serial S          only the device with serial number S\n"
           "  --since DATE        only entries from DATE on, in UTC: 2026-12-09,\n"
           "                      \"2026-12-09 14:30\" or 2026-12-09T14:30:05Z\n"
           "  --format F          text (one line each, the default), csv (RFC 4180,\n"
           "                      UTF-8, with a header line) or json (one array)\n"
           "  --journal FILE      read FILE instead\n"
           "\n"
           "Exit status: 0 listed (also when there are none), 1 the journal cannot be\n"
           "read, 64 usage.\n";
}

int Run(const std::vector<std::string>& args) {
    const TParsedArgs parsed =
        ParseArgs(args, {"--serial", "--since", "--format", "--journal"}, {"--help", "-h"});
    if (parsed.Has("--help") || parsed.Has("-h")) {
        Help(std::cout);
        return ExitOk;
    }
    if (!parsed.Error.empty())
        return UsageError("journal", Help, parsed.Error);
    if (!parsed.Positional.empty())
        return UsageError("journal", Help, "no arguments expected");
    const std::string format = parsed.Value("--format", "text");
    if (format != "text" && format != "csv" && format != "json")
        return UsageError("journal", Help, "unknown format \"" + format + "\"");
    TJournalFilter filter;
    filter.Serial = parsed.Value("--serial");
    if (parsed.HasValue("--since")) {
        const auto since = JournalTimeFromDate(parsed.Value("--since"));
        if (!since)
            return UsageError("journal", Help,
                              "\"" + parsed.Value("--since") + "\" is not a date (YYYY-MM-DD)");
        filter.Since = *since;
    }
    const std::string path = parsed.Value("--journal", DefaultJournalPath());
    TJournalStatus status;
    const std::vector<TJournalEntry> entries = ReadJournal(filter, status, path);
    if (!status.Ok()) {
        std::cerr << "kelvoctl journal: " << status.Error << "\n";
        return ExitFailure;
    }
    if (format == "csv")
        std::cout << JournalCsv(entries);
    else if (format == "json")
        std::cout << JournalJson(entries);
    else if (entries.empty())
        std::cerr << "no entries in " << path << "\n";
    else
        std::cout << JournalText(entries);
    std::cout.flush();
    return std::cout ? ExitOk : ExitFailure;
}

} // namespace

const TCommand& JournalCommand() {
    static const TCommand command{"journal", "list the values written into devices", Help, Run};
    return command;
}

} // namespace kelvo::ctl
