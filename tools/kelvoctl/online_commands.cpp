// kelvoctl's commands that talk to a device: download, program, get, set,
// program-device and reset-device.
#include "foundation/codepage.h"
#include "model/dlglinevalue.h"
#include "model/dlglinevalue_choice.h"
#include "model/number_text.h"
#include "shell/fileaccess.h"
#include "tools/kelvoctl/commands.h"
#include "tools/kelvoctl/document_loader.h"
#include "tools/kelvoctl/online_session.h"

#include <cstdio>
#include <iostream>
#include <optional>

namespace kelvo::ctl {

namespace {

using TEntry = TFileTypeKelvo::TEntry;

// Common start of every online command: the arguments, or the usage exit.
struct TStart {
    TParsedArgs Parsed;
    TConnection Connection;
    bool Help = false;
    int Exit = ExitOk;
};

TStart Begin(const char* name, const std::vector<std::string>& args, void (*help)(std::ostream&),
             std::set<std::string> values, std::set<std::string> flags, std::size_t minPositional,
             std::size_t maxPositional) {
    TStart s;
    flags.insert({"--help", "-h"});
    s.Parsed = ParseArgs(args, ConnectionOptions(std::move(values)), flags);
    if (s.Parsed.Has("--help") || s.Parsed.Has("-h")) {
        help(std::cout);
        s.Help = true;
        return s;
    }
    std::string error = s.Parsed.Error;
    if (error.empty())
        error = (s.Connection = ReadConnection(s.Parsed)).Error;
    const std::size_t n = s.Parsed.Positional.size();
    if (error.empty() && (n < minPositional || n > maxPositional))
        error = "wrong number of arguments";
    if (!error.empty()) {
        std::cerr << "kelvoctl " << name << ": " << error << "\n";
        help(std::cerr);
        s.Exit = ExitUsage;
    }
    return s;
}

// KEY: an address (decimal or 0x hexadecimal), ":I" for instance I.
struct TKey {
    int Address = -1;
    int Instance = 0;
    std::string Text;
};

std::optional<long> ParseInteger(const std::string& text) {
    if (text.empty())
        return std::nullopt;
    std::size_t used = 0;
    try {
        const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
        const long v = std::stol(hex ? text.substr(2) : text, &used, hex ? 16 : 10);
        if (used != (hex ? text.size() - 2 : text.size()) || v < 0)
            return std::nullopt;
        return v;
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

std::optional<TKey> ParseKey(const std::string& text) {
    TKey key;
    key.Text = text;
    const auto colon = text.find(':');
    const auto address = ParseInteger(text.substr(0, colon));
    if (!address || *address > 0xFFFF)
        return std::nullopt;
    key.Address = static_cast<int>(*address);
    if (colon != std::string::npos) {
        const auto instance = ParseInteger(text.substr(colon + 1));
        if (!instance || *instance >= TFileTypeKelvo::MaxGroupCount)
            return std::nullopt;
        key.Instance = static_cast<int>(*instance);
    }
    return key;
}

TEntry* FindLine(TFileTypeKelvo& doc, const TKey& key) {
    for (TEntry& e : doc.Entries)
        if (e.Value && e.Address == key.Address && e.IndexI == key.Instance)
            return &e;
    return nullptr;
}

// An instance beyond its group's count is not exchanged with the device: its
// value in the document would only be a copy.
const char* const HiddenByCountText = "beyond the count of its group";

void PrintLine(const TEntry& e) {
    std::cout << OemToUtf8(e.GetText(0)) << " = " << OemToUtf8(e.GetText(1)) << "\n";
}

// As the value's own SetText, and for a choice its number or one of its
// texts. Empty when taken, else why not: SetText leaves a number unchanged
// when the text holds none, and writing that unchanged value back would
// report success for a value that never reached the device.
std::string SetValueText(TDlglineValue& value, const std::string& text) {
    if (auto* choice = dynamic_cast<TDlglineValueChoice*>(&value)) {
        if (const auto n = ParseInteger(text); n && *n < choice->ChoiceCount()) {
            choice->SetLong(static_cast<std::int32_t>(*n));
            return {};
        }
        for (int i = 0; i < choice->ChoiceCount(); ++i)
            if (choice->ChoiceText(i) == text) {
                choice->SetLong(i);
                return {};
            }
        return "no such choice \"" + OemToUtf8(text) + "\"";
    }
    if (value.Kind() == KindLong && !ParseLongText(text))
        return "\"" + OemToUtf8(text) + "\" is not a whole number";
    if (value.Kind() == KindDouble && !ParseDoubleText(text))
        return "\"" + OemToUtf8(text) + "\" is not a number";
    value.SetText(text);
    return {};
}

int LineFailed(const char* command, const std::string& key, const std::string& why) {
    std::cerr << "kelvoctl " << command << ": line " << key << ": " << why << "\n";
    return ExitOnlineFailure;
}

// download

void DownloadHelp(std::ostream& out) {
    out << "Usage: kelvoctl download (--device PATH | --port N) -o FILE [--baud RATE] [--log "
           "FILE]\n"
           "\n"
           "Goes online, downloads the device's dialog, reads every value once and\n"
           "saves the dialog as a data file (an existing file is kept as backup).\n"
           "\n";
    ConnectionHelp(out);
    out << "\nExit status: 0 saved, 1 not saved, 2 the device could not be reached, 64 usage.\n";
}

int RunDownload(const std::vector<std::string>& args) {
    const TStart s = Begin("download", args, DownloadHelp, {"-o", "--output"}, {}, 0, 0);
    if (s.Help || s.Exit != ExitOk)
        return s.Exit;
    const std::string target = s.Parsed.Value("-o", s.Parsed.Value("--output"));
    if (target.empty()) {
        std::cerr << "kelvoctl download: -o FILE is required\n";
        DownloadHelp(std::cerr);
        return ExitUsage;
    }
    TOnlineSession session(s.Connection);
    if (const int result = DownloadWholeDialog(session); result != ExitOk)
        return result;
    TFileAccess access("Save File As");
    access.Writer.Init(nullptr, target);
    access.Writer.ReplaceAnswer = TFileCounts::ReplaceWithoutAsking;
    session.Document().Write(access);
    if (access.Writer.ErrorCount != 0 || access.Writer.FileCount != 1) {
        std::cerr << "kelvoctl download: could not write " << target << "\n";
        return ExitFailure;
    }
    return ExitOk;
}

// program

void ProgramHelp(std::ostream& out) {
    out << "Usage: kelvoctl program (--device PATH | --port N) FILE [--answer yes|no|cancel]\n"
           "                        [--baud RATE] [--log FILE]\n"
           "\n"
           "Loads FILE as the document's data and goes online with the editor's whole\n"
           "dialogue; every question is answered with --answer (default cancel; yes\n"
           "means OK where the box offers OK and Cancel).\n"
           "\n";
    ConnectionHelp(out);
    out << "\nExit status: 0 the device holds the file's values, 1 FILE not loaded,\n"
           "2 failure, 3 declined or incompatible, 64 usage.\n";
}

// The device's line at the file line's place, when the device shows it with
// the same definition; the file's other lines are not the device's to hold.
TEntry* DeviceCounterpart(TFileTypeKelvo& device, const TEntry& fileLine) {
    for (TEntry& e : device.Entries)
        if (e.Value && e.Address == fileLine.Address && e.IndexI == fileLine.IndexI)
            return e.IsVisible() && e.SameDefinition(fileLine) ? &e : nullptr;
    return nullptr;
}

// Data of another dialog structure were converted (or refused) by the
// dialogue; its values are not the file's to check line by line.
bool SameStructure(const TFileTypeKelvo& file, const TFileTypeKelvo& device) {
    for (const TEntry& line : file.Entries) {
        if (!line.Value)
            continue;
        bool found = false;
        for (const TEntry& e : device.Entries)
            if (e.Address == line.Address && e.IndexI == line.IndexI && e.SameDefinition(line)) {
                found = true;
                break;
            }
        if (!found)
            return false;
    }
    return true;
}

std::string LineKeyText(const TEntry& line) {
    char text[24];
    std::snprintf(text, sizeof text, "0x%04X:%d", static_cast<unsigned>(line.Address),
                  static_cast<int>(line.IndexI));
    return text;
}

// The file's editable lines whose value the device does not hold.
std::vector<const TEntry*> LinesTheDeviceLacks(const TFileTypeKelvo& file, TFileTypeKelvo& device) {
    std::vector<const TEntry*> differing;
    for (const TEntry& line : file.Entries) {
        if (!line.Value || !line.IsVisible() || !line.IsEditable())
            continue;
        const TEntry* held = DeviceCounterpart(device, line);
        if (held && !held->SameValue(line))
            differing.push_back(&line);
    }
    return differing;
}

// The go-online comparison looks at the first instance of each repeated group
// only: the others come with the download as copies of it. With every line
// read, the device's values are checked against the whole file, and with
// the user's consent the lines still differing are written and stored.
int CheckEveryInstance(TOnlineSession& session, const std::string& name, bool mayWrite) {
    TPtr<TFileTypeKelvo> file;
    if (!LoadDocumentOrReport(name, file))
        return ExitFailure;
    if (const int result = ReadEveryLine(session); result != ExitOk)
        return result;
    if (!SameStructure(*file, session.Document()))
        return ExitOk;
    const std::vector<const TEntry*> differing = LinesTheDeviceLacks(*file, session.Document());
    if (differing.empty())
        return ExitOk;
    if (!mayWrite) {
        std::cerr << "Program KELVO Device: The device holds other values than the file in "
                  << differing.size() << (differing.size() == 1 ? " line.\n" : " lines.\n");
        return ExitDeclined;
    }
    TKelvoOnline& online = session.Online();
    for (const TEntry* line : differing) {
        TEntry* held = DeviceCounterpart(session.Document(), *line);
        const std::string key = LineKeyText(*line);
        if (!held)
            return LineFailed("program", key, "no such line in the device");
        TEntry edited(*line);
        if (online.ReadWriteLine(edited, true) < 0)
            return LineFailed("program", key, "writing failed");
        if (online.ReadWriteLine(*held, false) < 0)
            return LineFailed("program", key, "reading back failed");
        if (!held->SameValue(*line))
            return LineFailed("program", key, "the device did not take the file's value");
    }
    if (!session.DeviceCommand(TKelvoOnline::RequestProgram))
        return ExitOnlineFailure;
    return ExitOk;
}

int RunProgram(const std::vector<std::string>& args) {
    const TStart s = Begin("program", args, ProgramHelp, {"--answer"}, {}, 1, 1);
    if (s.Help || s.Exit != ExitOk)
        return s.Exit;
    const std::string answer = s.Parsed.Value("--answer", "cancel");
    if (answer != "yes" && answer != "no" && answer != "cancel") {
        std::cerr << "kelvoctl program: --answer must be yes, no or cancel\n";
        ProgramHelp(std::cerr);
        return ExitUsage;
    }
    const std::string& name = s.Parsed.Positional.front();
    TPtr<TFileTypeKelvo> document;
    if (!LoadDocumentOrReport(name, document))
        return ExitFailure;
    TOnlineSession session(s.Connection, std::move(document));
    session.Prompt().Answer = answer == "yes"  ? TCtlPrompt::TAnswer::Yes
                              : answer == "no" ? TCtlPrompt::TAnswer::No
                                               : TCtlPrompt::TAnswer::Cancel;
    session.GoOnline();
    using TOutcome = TKelvoOnline::TOutcome;
    switch (session.Online().LastOutcome()) {
    case TOutcome::Equal:
    case TOutcome::Written:
        return CheckEveryInstance(session, name, answer == "yes");
    case TOutcome::Downloaded:
        return ExitOk;
    case TOutcome::KeptDevice:
    case TOutcome::Restored:
        return ExitDeclined;
    default:
        return ExitOnlineFailure;
    }
}

// get and set

void GetHelp(std::ostream& out) {
    out << "Usage: kelvoctl get (--device PATH | --port N) KEY... [--baud RATE] [--log FILE]\n"
           "\n"
           "Reads each line from the device and prints \"caption = value\". KEY is the\n"
           "line's address (decimal or 0x hexadecimal), with \":I\" for instance I of a\n"
           "repeated group.\n"
           "\n";
    ConnectionHelp(out);
    out << "\nExit status: 0 all read, 2 a line failed (it is named), 64 usage.\n";
}

int RunGet(const std::vector<std::string>& args) {
    const TStart s = Begin("get", args, GetHelp, {}, {}, 1, SIZE_MAX);
    if (s.Help || s.Exit != ExitOk)
        return s.Exit;
    std::vector<TKey> keys;
    for (const std::string& text : s.Parsed.Positional) {
        const auto key = ParseKey(text);
        if (!key) {
            std::cerr << "kelvoctl get: bad KEY \"" << text << "\"\n";
            GetHelp(std::cerr);
            return ExitUsage;
        }
        keys.push_back(*key);
    }
    TOnlineSession session(s.Connection);
    if (!session.GoOnline())
        return ExitOnlineFailure;
    for (const TKey& key : keys) {
        TEntry* line = FindLine(session.Document(), key);
        if (!line)
            return LineFailed("get", key.Text, "no such line");
        if (line->HiddenByCount)
            return LineFailed("get", key.Text, HiddenByCountText);
        if (session.Online().ReadWriteLine(*line, false) < 0)
            return LineFailed("get", key.Text, "reading failed");
        PrintLine(*line);
    }
    return ExitOk;
}

void SetHelp(std::ostream& out) {
    out << "Usage: kelvoctl set (--device PATH | --port N) KEY=VALUE... [--program]\n"
           "                    [--baud RATE] [--log FILE]\n"
           "\n"
           "Writes each value into the device, reads it back and prints it. VALUE is\n"
           "read as the editor reads a typed value; a choice by its number or its text.\n"
           "\n"
           "  --program           let the device store the values afterwards\n";
    ConnectionHelp(out);
    out << "\nExit status: 0 all written, 2 a line failed (it is named), 64 usage.\n";
}

int RunSet(const std::vector<std::string>& args) {
    const TStart s = Begin("set", args, SetHelp, {}, {"--program"}, 1, SIZE_MAX);
    if (s.Help || s.Exit != ExitOk)
        return s.Exit;
    std::vector<std::pair<TKey, std::string>> assignments;
    for (const std::string& text : s.Parsed.Positional) {
        const auto eq = text.find('=');
        const auto key = ParseKey(text.substr(0, eq));
        if (eq == std::string::npos || !key) {
            std::cerr << "kelvoctl set: expected KEY=VALUE, not \"" << text << "\"\n";
            SetHelp(std::cerr);
            return ExitUsage;
        }
        assignments.emplace_back(*key, Utf8ToOem(text.substr(eq + 1)));
    }
    TOnlineSession session(s.Connection);
    if (!session.GoOnline())
        return ExitOnlineFailure;
    for (const auto& [key, value] : assignments) {
        TEntry* line = FindLine(session.Document(), key);
        if (!line)
            return LineFailed("set", key.Text, "no such line");
        if (!line->IsEditable())
            return LineFailed("set", key.Text, "this line can't be changed");
        if (line->HiddenByCount)
            return LineFailed("set", key.Text, HiddenByCountText);
        TEntry edited(*line);
        if (const std::string why = SetValueText(*edited.Value, value); !why.empty())
            return LineFailed("set", key.Text, why);
        if (session.Online().ReadWriteLine(edited, true) < 0)
            return LineFailed("set", key.Text, "writing failed");
        if (session.Online().ReadWriteLine(*line, false) < 0)
            return LineFailed("set", key.Text, "reading back failed");
        PrintLine(*line);
    }
    if (s.Parsed.Has("--program") && !session.DeviceCommand(TKelvoOnline::RequestProgram))
        return ExitOnlineFailure;
    return ExitOk;
}

// program-device and reset-device

void ProgramDeviceHelp(std::ostream& out) {
    out << "Usage: kelvoctl program-device (--device PATH | --port N) [--baud RATE] [--log FILE]\n"
           "\n"
           "Lets the device store its working values.\n\n";
    ConnectionHelp(out);
    out << "\nExit status: 0 done, 2 failed, 64 usage.\n";
}

void ResetDeviceHelp(std::ostream& out) {
    out << "Usage: kelvoctl reset-device (--device PATH | --port N) [--baud RATE] [--log FILE]\n"
           "\n"
           "Lets the device reload its stored values.\n\n";
    ConnectionHelp(out);
    out << "\nExit status: 0 done, 2 failed, 64 usage.\n";
}

int RunDeviceRequest(const char* name, void (*help)(std::ostream&), int request,
                     const std::vector<std::string>& args) {
    const TStart s = Begin(name, args, help, {}, {}, 0, 0);
    if (s.Help || s.Exit != ExitOk)
        return s.Exit;
    TOnlineSession session(s.Connection);
    if (!session.GoOnline())
        return ExitOnlineFailure;
    return session.DeviceCommand(request) ? ExitOk : ExitOnlineFailure;
}

int RunProgramDevice(const std::vector<std::string>& args) {
    return RunDeviceRequest("program-device", ProgramDeviceHelp, TKelvoOnline::RequestProgram,
                            args);
}

int RunResetDevice(const std::vector<std::string>& args) {
    return RunDeviceRequest("reset-device", ResetDeviceHelp, TKelvoOnline::RequestReset, args);
}

} // namespace

const TCommand& DownloadCommand() {
    static const TCommand c{"download", "save a device's dialog as a data file", DownloadHelp,
                            RunDownload};
    return c;
}
const TCommand& ProgramCommand() {
    static const TCommand c{"program", "write a data file into a device", ProgramHelp, RunProgram};
    return c;
}
const TCommand& GetCommand() {
    static const TCommand c{"get", "read values from a device", GetHelp, RunGet};
    return c;
}
const TCommand& SetCommand() {
    static const TCommand c{"set", "write values into a device", SetHelp, RunSet};
    return c;
}
const TCommand& ProgramDeviceCommand() {
    static const TCommand c{"program-device", "let a device store its values", ProgramDeviceHelp,
                            RunProgramDevice};
    return c;
}
const TCommand& ResetDeviceCommand() {
    static const TCommand c{"reset-device", "let a device reload its stored values",
                            ResetDeviceHelp, RunResetDevice};
    return c;
}

} // namespace kelvo::ctl
