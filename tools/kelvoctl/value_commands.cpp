// kelvoctl get and set: single values of a device by their KEYs. Every KEY
// and value is checked against the device's dialog before the first one is
// read or written, so that a mistake in the last KEY leaves the device as it
// was.
#include "foundation/codepage.h"
#include "tools/kelvoctl/commands.h"
#include "tools/kelvoctl/line_keys.h"
#include "tools/kelvoctl/online_session.h"
#include "tools/kelvoctl/snapshot_guard.h"
#include "tools/kelvoctl/value_input.h"

#include <iostream>

namespace kelvo::ctl {

namespace {

using TEntry = TFileTypeKelvo::TEntry;

void PrintLine(const TEntry& e) {
    ClearProgressLine();
    std::cout << LineKey(e) << " " << OemToUtf8(e.GetText(0)) << " = " << OemToUtf8(e.GetText(1))
              << "\n";
}

void KeyHelp(std::ostream& out) {
    out << "KEY is a line's address, decimal or 0x hexadecimal, as \"kelvoctl show --keys\"\n"
           "lists it; a line of a repeated group takes \":I\" for its instance I, counted\n"
           "from 0 (0x63:1 is the second instance; without \":I\" the first).\n";
}

int Refused(const char* command, const std::vector<std::string>& failures) {
    for (const std::string& failure : failures)
        std::cerr << "kelvoctl " << command << ": " << failure << "\n";
    std::cerr << "kelvoctl " << command << ": nothing was "
              << (std::string(command) == "get" ? "read" : "written") << "\n";
    return ExitOnlineFailure;
}

// get

void GetHelp(std::ostream& out) {
    out << "Usage: kelvoctl get (--device PATH | --port N) KEY... [--baud RATE] [--log FILE]\n"
           "\n"
           "Reads each line from the device and prints \"KEY caption = value\".\n\n";
    KeyHelp(out);
    out << "Every KEY is checked against the device's dialog before the first is read.\n\n";
    ConnectionHelp(out);
    out << "\nExit status: 0 all read, 1 the log could not be written, 2 a KEY is not in\n"
           "the dialog or a line failed (each is named), 64 usage.\n";
}

int RunGet(const std::vector<std::string>& args) {
    const TStart s = Begin("get", args, GetHelp, {}, {}, 1, SIZE_MAX);
    if (s.Help || s.Exit != ExitOk)
        return s.Exit;
    std::vector<TKey> keys;
    for (const std::string& text : s.Parsed.Positional) {
        const auto key = ParseKey(text);
        if (!key)
            return UsageError("get", GetHelp, "bad KEY \"" + text + "\"");
        keys.push_back(*key);
    }
    TOnlineSession session(s.Connection);
    if (!session.GoOnline())
        return session.Finish(ExitOnlineFailure);
    std::vector<std::string> failures;
    for (const TKey& key : keys)
        if (const std::string why = CheckReadable(session.Document(), key); !why.empty())
            failures.push_back("line " + key.Text + ": " + why);
    if (!failures.empty())
        return session.Finish(Refused("get", failures));
    std::size_t read = 0;
    session.SetDone([&] {
        return std::to_string(read) + " of " + std::to_string(keys.size()) + " lines read";
    });
    for (const TKey& key : keys) {
        if (InterruptSignal() != 0)
            break;
        TEntry* line = FindLine(session.Document(), key);
        session.Watch().SetPosition("at line " + LineName(*line));
        if (session.Online().ReadWriteLine(*line, false) < 0) {
            std::cerr << "kelvoctl get: line " << key.Text << ": reading failed\n";
            session.ReportFailure();
            return session.Finish(ExitOnlineFailure);
        }
        PrintLine(*line);
        ++read;
    }
    return session.Finish(ExitOk);
}

// set

void SetHelp(std::ostream& out) {
    out << "Usage: kelvoctl set (--device PATH | --port N) KEY=VALUE... [--program]\n"
           "                    [--baud RATE] [--log FILE]\n"
           "\n"
           "Writes each value into the device, reads it back and prints\n"
           "\"KEY caption = value\".\n\n";
    KeyHelp(out);
    out << "\nVALUE is taken exactly as written, or the command is refused:\n"
           "  whole number  -2147483648 to 2147483647, decimal or 0x hexadecimal\n"
           "  number        with a point as decimal separator and an optional exponent\n"
           "                (1.5, -2e-3); finite\n"
           "  choice        its number, counted from 0, or its text as \"show\" prints it\n"
           "  text          at most 260 characters, each one the device can show\n"
           "                (its code page is CP850)\n"
           "Every KEY and VALUE is checked against the device's dialog before the first\n"
           "write; an instance made present by a count set earlier in the same command\n"
           "counts as present (set ... 0x60=3 0x62:2=55). When one fails, nothing is\n"
           "written.\n"
           "\n"
           "  --program           let the device store the values afterwards (only when\n"
           "                      every value was written and read back unchanged)\n"
           "Before the first write every value of the device is read and saved as a\n"
           "snapshot (see \"kelvoctl snapshots\"); without one nothing is written.\n";
    ConnectionHelp(out);
    out << "\nExit status: 0 all written, 1 the log could not be written, 2 a KEY or\n"
           "VALUE was refused or a line failed (each is named), 64 usage.\n";
}

int RunSet(const std::vector<std::string>& args) {
    const TStart s = Begin("set", args, SetHelp, {}, {"--program"}, 1, SIZE_MAX);
    if (s.Help || s.Exit != ExitOk)
        return s.Exit;
    std::vector<TAssignment> assignments;
    for (const std::string& text : s.Parsed.Positional) {
        const auto eq = text.find('=');
        const auto key = eq == std::string::npos ? std::nullopt : ParseKey(text.substr(0, eq));
        if (!key)
            return UsageError("set", SetHelp, "expected KEY=VALUE, not \"" + text + "\"");
        assignments.push_back({*key, text.substr(eq + 1)});
    }
    TOnlineSession session(s.Connection);
    if (!session.GoOnline())
        return session.Finish(ExitOnlineFailure);
    TFileTypeKelvo& doc = session.Document();
    if (const auto failures = CheckAssignments(doc, assignments); !failures.empty())
        return session.Finish(Refused("set", failures));

    TSnapshotGuard snapshot(session, "set", PortName(s.Connection));
    if (!snapshot.Ensure())
        return session.Finish(ExitOnlineFailure);
    std::size_t written = 0;
    const bool program = s.Parsed.Has("--program");
    session.SetDone([&] {
        return std::to_string(written) + " of " + std::to_string(assignments.size()) +
               " lines written" + (program ? ", device not programmed" : "");
    });
    if (assignments.size() > 1)
        session.StartProgress("writing", [&] {
            return std::to_string(written) + " of " + std::to_string(assignments.size()) +
                   " lines written";
        });
    // Why a line failed; a value the device holds otherwise is its answer,
    // not a failure of the link.
    enum class TWhy { WriteFailed, ReadBackFailed, HeldOtherwise, NotRecorded };
    const auto failed = [&](const TKey& key, TWhy why) {
        session.StopProgress();
        // After an interrupt the line stops on purpose; Finish says what was done.
        if (InterruptSignal() != 0)
            return session.Finish(ExitOnlineFailure);
        std::cerr << "kelvoctl set: line " << key.Text << ": "
                  << (why == TWhy::WriteFailed      ? "writing failed"
                      : why == TWhy::ReadBackFailed ? "reading back failed"
                      : why == TWhy::NotRecorded    ? "written, but the change journal could not "
                                                      "record it"
                                                    : "the device holds another value")
                  << "\n";
        if (why == TWhy::WriteFailed || why == TWhy::ReadBackFailed)
            session.ReportFailure();
        std::cerr << "kelvoctl set: " << written << " of " << assignments.size() << " lines written"
                  << (program ? ", device not programmed" : "") << "\n";
        return session.Finish(ExitOnlineFailure);
    };
    for (const TAssignment& a : assignments) {
        if (InterruptSignal() != 0)
            return session.Finish(ExitOnlineFailure);
        TEntry* line = FindLine(doc, a.Key);
        TEntry edited(*line);
        AssignValueText(*edited.Value, a.Text);
        session.Watch().SetPosition("at line " + LineName(*line));
        const TEntry before(*line);
        const auto record = [&](TJournalResult result) {
            return snapshot.Record(&before, edited, result);
        };
        if (session.Online().ReadWriteLine(edited, true) < 0) {
            record(TJournalResult::Refused);
            return failed(a.Key, TWhy::WriteFailed);
        }
        if (session.Online().ReadWriteLine(*line, false) < 0) {
            record(TJournalResult::Written);
            return failed(a.Key, TWhy::ReadBackFailed);
        }
        const bool held = line->SameValue(edited);
        if (!record(held ? TJournalResult::Equal : TJournalResult::Different))
            return failed(a.Key, TWhy::NotRecorded);
        // A live line moves by itself; the others must hold what was written.
        if (!line->IsLive() && !held) {
            PrintLine(*line);
            return failed(a.Key, TWhy::HeldOtherwise);
        }
        // The instances a new count brings into view exist from now on.
        if (IsCountLine(doc, *line))
            doc.ExpandGroupOf(*line);
        ++written;
        PrintLine(*line);
    }
    session.StopProgress();
    if (program && !session.DeviceCommand(TDeviceRequest::Program))
        return session.Finish(ExitOnlineFailure);
    session.SetDone([&] {
        return "all " + std::to_string(written) + " lines written" +
               (program ? ", device programmed" : "");
    });
    return session.Finish(ExitOk);
}

} // namespace

const TCommand& GetCommand() {
    static const TCommand c{"get", "read values from a device", GetHelp, RunGet};
    return c;
}
const TCommand& SetCommand() {
    static const TCommand c{"set", "write values into a device", SetHelp, RunSet};
    return c;
}

} // namespace kelvo::ctl
