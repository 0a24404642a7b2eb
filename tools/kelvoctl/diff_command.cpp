// kelvoctl diff: a data file compared with a device's values, line by line.
#include "foundation/codepage.h"
#include "online/kelvo_compare.h"
#include "report/text_formats.h"
#include "tools/kelvoctl/commands.h"
#include "tools/kelvoctl/document_loader.h"
#include "tools/kelvoctl/online_session.h"

#include <algorithm>
#include <cstdio>
#include <iostream>

namespace kelvo::ctl {

namespace {

// diff's own exit codes, as diff(1) has them.
constexpr int ExitDifferent = 1;
constexpr int ExitTrouble = 2;

void Help(std::ostream& out) {
    out << "Usage: kelvoctl diff (--device PATH | --port N) FILE [--format text|json]\n"
           "                     [--baud RATE] [--log FILE]\n"
           "\n"
           "Reads every value of the device and compares FILE with it, each instance\n"
           "of a repeated group on its own. Data of another device program are\n"
           "converted first when the conversion table knows the pair (the output says\n"
           "so). One row per line that differs: KEY, caption, the value in the file,\n"
           "the value in the device and the reason: value, live (a line the device\n"
           "may change by itself), read-only, definition (another caption, kind or\n"
           "definition at that place), missing-in-file, missing-in-device.\n"
           "Read-only lines (measured values, counters) are listed but do not make\n"
           "the two differ: the device holds the file when every line the user can\n"
           "edit is the same. Nothing is written into the device.\n"
           "\n"
           "  --format text|json  a table (default) or one JSON object\n";
    ConnectionHelp(out);
    out << "\nExit status: 0 equal (read-only lines aside), 1 different, 2 FILE not\n"
           "loaded or the device could not be read, 64 usage.\n";
}

std::string Key(const TCompareRow& row) {
    char text[24];
    if (row.Member)
        std::snprintf(text, sizeof text, "0x%04X:%d", static_cast<unsigned>(row.Address),
                      static_cast<int>(row.Instance));
    else
        std::snprintf(text, sizeof text, "0x%04X", static_cast<unsigned>(row.Address));
    return text;
}

// The characters a UTF-8 text takes on a terminal, near enough for columns.
std::size_t Width(const std::string& text) {
    return static_cast<std::size_t>(
        std::count_if(text.begin(), text.end(), [](char c) { return (c & 0xC0) != 0x80; }));
}

std::string Padded(const std::string& text, std::size_t width) {
    return text + std::string(width > Width(text) ? width - Width(text) : 0, ' ');
}

void PrintText(const TComparison& comparison, std::ostream& out) {
    if (comparison.Converted)
        out << "The file's data were converted for the device's program first.\n";
    if (comparison.Incompatible)
        out << "The file's data do not fit the device's program and cannot be converted.\n";
    if (comparison.AllEqual()) {
        out << "The device holds the file's values.\n";
        return;
    }
    std::vector<std::vector<std::string>> table = {
        {"KEY", "Caption", "In the file", "In the device", "Reason"}};
    for (const TCompareRow& row : comparison.Rows)
        table.push_back(
            {Key(row), OemToUtf8(row.Caption), row.FileLine ? OemToUtf8(row.FileValue) : "-",
             row.Reason == TCompareRow::MissingInDevice ? "-" : OemToUtf8(row.DeviceValue),
             ReasonText(row.Reason)});
    std::vector<std::size_t> widths(5, 0);
    for (const auto& cells : table)
        for (std::size_t i = 0; i < cells.size(); ++i)
            widths[i] = std::max(widths[i], Width(cells[i]));
    for (const auto& cells : table) {
        std::string line;
        for (std::size_t i = 0; i + 1 < cells.size(); ++i)
            line += Padded(cells[i], widths[i]) + "  ";
        out << line << cells.back() << "\n";
    }
    out << comparison.Rows.size()
        << (comparison.Rows.size() == 1 ? " line differs" : " lines differ");
    if (comparison.Equal())
        out << ", none the user can edit: the device holds the file's programmable values";
    out << "\n";
}

void PrintJson(const TComparison& comparison, std::ostream& out) {
    out << "{\"equal\":" << (comparison.Equal() ? "true" : "false")
        << ",\"all_equal\":" << (comparison.AllEqual() ? "true" : "false")
        << ",\"converted\":" << (comparison.Converted ? "true" : "false")
        << ",\"incompatible\":" << (comparison.Incompatible ? "true" : "false") << ",\"rows\":[";
    for (std::size_t i = 0; i < comparison.Rows.size(); ++i) {
        const TCompareRow& row = comparison.Rows[i];
        out << (i ? ",\n " : "\n ") << "{\"key\":" << JsonString(Key(row))
            << ",\"address\":" << row.Address << ",\"instance\":" << row.Instance
            << ",\"caption\":" << JsonString(OemToUtf8(row.Caption))
            << ",\"file\":" << (row.FileLine ? JsonString(OemToUtf8(row.FileValue)) : "null")
            << ",\"device\":"
            << (row.Reason == TCompareRow::MissingInDevice ? "null"
                                                           : JsonString(OemToUtf8(row.DeviceValue)))
            << ",\"reason\":" << JsonString(ReasonKey(row.Reason))
            << ",\"programmable\":" << (row.Programmable ? "true" : "false") << "}";
    }
    out << (comparison.Rows.empty() ? "]}\n" : "\n]}\n");
}

int Run(const std::vector<std::string>& args) {
    const TStart s = Begin("diff", args, Help, {"--format"}, {}, 1, 1);
    if (s.Help || s.Exit != ExitOk)
        return s.Exit == ExitFailure ? ExitTrouble : s.Exit;
    const std::string format = s.Parsed.Value("--format", "text");
    if (format != "text" && format != "json")
        return UsageError("diff", Help, "--format must be text or json");
    const std::string& name = s.Parsed.Positional.front();
    TPtr<TFileTypeKelvo> file;
    if (!LoadDocumentAndWarn("diff", name, file))
        return ExitTrouble;

    TOnlineSession session(s.Connection);
    session.SetDone([] { return std::string("nothing compared"); });
    if (const int result = DownloadWholeDialog(session); result != ExitOk)
        return session.Finish(ExitTrouble);
    const TComparison comparison = CompareWithDevice(*file, session.Document());
    // Finish turns 0 into 1 when the log was not written: a failure here.
    if (const int finished = session.Finish(ExitOk); finished != ExitOk)
        return finished == ExitFailure ? ExitTrouble : finished;
    const int exit = comparison.Equal() ? ExitOk : ExitDifferent;
    if (format == "json")
        PrintJson(comparison, std::cout);
    else
        PrintText(comparison, std::cout);
    std::cout.flush();
    return std::cout ? exit : ExitTrouble;
}

} // namespace

const TCommand& DiffCommand() {
    static const TCommand command{"diff", "compare a data file with a device's values", Help, Run};
    return command;
}

} // namespace kelvo::ctl
