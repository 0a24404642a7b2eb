// kelvoctl's commands that move a whole dialog or act on the device as a
// whole: download, program, program-device and reset-device.
#include "foundation/codepage.h"
#include "foundation/filetype/fileaccess.h"
#include "model/device_identity.h"
#include "online/kelvo_compare.h"
#include "report/sha256.h"
#include "snapshots/snapshots.h"
#include "tools/kelvoctl/commands.h"
#include "tools/kelvoctl/document_loader.h"
#include "tools/kelvoctl/line_keys.h"
#include "tools/kelvoctl/online_session.h"
#include "tools/kelvoctl/output_check.h"
#include "tools/kelvoctl/parallel_jobs.h"
#include "tools/kelvoctl/program_record.h"
#include "tools/kelvoctl/snapshot_guard.h"

#include <iostream>

namespace kelvo::ctl {

namespace {

using TEntry = TFileTypeKelvo::TEntry;

int LineFailed(const char* command, const std::string& key, const std::string& why) {
    ClearProgressLine();
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
           "FILE needs the extension "
        << DataFileExtensions()
        << "; its directory is checked\n"
           "before the device is connected.\n"
           "\n";
    ConnectionHelp(out);
    out << "\nExit status: 0 saved, 1 not saved (or the log not written), 2 the device\n"
           "could not be read, 64 usage.\n";
}

int RunDownload(const std::vector<std::string>& args) {
    const TStart s = Begin("download", args, DownloadHelp, {"-o", "--output"}, {}, 0, 0);
    if (s.Help || s.Exit != ExitOk)
        return s.Exit;
    const std::string target = s.Parsed.Value("-o", s.Parsed.Value("--output"));
    if (target.empty())
        return UsageError("download", DownloadHelp, "-o FILE is required");
    if (const std::string why = CheckOutputPath(target, true); !why.empty()) {
        std::cerr << "kelvoctl download: cannot save to " << target << ": " << why << "\n";
        return ExitFailure;
    }
    TOnlineSession session(s.Connection);
    session.SetDone([] { return std::string("nothing saved"); });
    if (const int result = DownloadWholeDialog(session); result != ExitOk)
        return session.Finish(result);
    if (InterruptSignal() != 0)
        return session.Finish(ExitFailure);
    TFileAccess access("Save File As");
    access.Writer.Init(nullptr, target);
    access.Writer.ReplaceAnswer = TFileCounts::ReplaceWithoutAsking;
    session.Document().Write(access);
    if (access.Writer.ErrorCount != 0 || access.Writer.FileCount != 1) {
        std::cerr << "kelvoctl download: could not write " << target << "\n";
        return session.Finish(ExitFailure);
    }
    int lines = 0;
    for (const TEntry& e : session.Document().Entries)
        lines += e.IsBlank() ? 0 : 1;
    std::cerr << "saved " << lines << " lines to " << target << "\n";
    session.SetDone([target] { return "the dialog was saved to " + target; });
    return session.Finish(ExitOk);
}

// program

void ProgramHelp(std::ostream& out) {
    out << "Usage: kelvoctl program (--device PATH | --port N)... FILE\n"
           "                        [--answer yes|no|cancel]\n"
           "                        [--accept-truncated] [--record FILE] [--baud RATE]\n"
           "                        [--log FILE]\n"
           "\n"
           "Loads FILE as the document's data and goes online with the editor's whole\n"
           "dialogue; every question is answered with --answer:\n"
           "  yes     write the file's values into the device and let it store them\n"
           "          (OK where the box offers OK and Cancel); before the first write\n"
           "          every value of the device is read and saved as a snapshot\n"
           "          (see \"kelvoctl snapshots\"); without one nothing is written\n"
           "  no      keep the device's values and stay online (the device is unchanged)\n"
           "  cancel  the default: restore the file's data in the document and go\n"
           "          offline (the device is unchanged)\n"
           "Afterwards every line, each instance of a repeated group included, is\n"
           "compared with the file. The last line on standard error says what the\n"
           "device holds: \"device unchanged\", \"device programmed with FILE\" or\n"
           "\"device holds other values than FILE in N lines\".\n"
           "\n"
           "  --accept-truncated  program a file that ends inside a record (or holds\n"
           "                      bytes after its last record) with the lines it holds\n"
           "Several --device options, or --port with a range such as 1-8, program\n"
           "every device at once, each on its own thread with its own link (--log FILE\n"
           "gives each device FILE.1, FILE.2, ... in the order named). The messages of\n"
           "each device start with its name; standard output gets a line per device\n"
           "(\"PATH: programmed, exit status 0\") and a total; the exit status is the\n"
           "worst of them (an interrupt, 2, 1, 3, 0).\n"
           "\n"
           "  --record FILE       append one JSON line per device to FILE: time, port,\n"
           "                      program_name, serial_number (null without such a\n"
           "                      line), file, sha256 of the file, verdict (how the\n"
           "                      go-online dialogue ended), lines_written, read_back\n"
           "                      (equal, differs, unreadable, not-checked), differing,\n"
           "                      program (success, failed, not-run), device and exit;\n"
           "                      FILE is opened before the device is touched\n";
    ConnectionHelp(out);
    out << "\nExit status: 0 the device holds the file's values, 1 FILE not loaded (or\n"
           "the log or the record not written), 2 failure, 3 declined or incompatible, 64 usage.\n";
}

// The device's line at the file line's place, when the device shows it with
// the same definition; the file's other lines are not the device's to hold.
// An instance beyond the device's count is looked for too: once the count
// is written, it is the device's to hold.
TEntry* DeviceCounterpart(TFileTypeKelvo& device, const TEntry& fileLine) {
    for (TEntry& e : device.Entries)
        if (e.Value && e.Address == fileLine.Address && e.IndexI == fileLine.IndexI)
            return (e.IsVisible() || e.HiddenByCount) && e.SameDefinition(fileLine) ? &e : nullptr;
    return nullptr;
}

// Data of another dialog structure were converted (or refused) by the
// dialogue; its values are not the file's to check line by line. The
// instances of a repeated group follow the count, so the first one stands
// for them all.
bool SameStructure(const TFileTypeKelvo& file, const TFileTypeKelvo& device) {
    for (const TEntry& line : file.Entries) {
        if (!line.Value || line.IndexI != 0)
            continue;
        bool found = false;
        for (const TEntry& e : device.Entries)
            if (e.Address == line.Address && e.IndexI == 0 && e.SameDefinition(line)) {
                found = true;
                break;
            }
        if (!found)
            return false;
    }
    return true;
}

// The file's editable lines whose value the device does not hold; an
// instance the device's count leaves out is one of them.
std::vector<const TEntry*> LinesTheDeviceLacks(const TFileTypeKelvo& file, TFileTypeKelvo& device) {
    std::vector<const TEntry*> differing;
    for (const TEntry& line : file.Entries) {
        if (!line.Value || !line.IsVisible() || !line.IsEditable())
            continue;
        const TEntry* held = DeviceCounterpart(device, line);
        const bool missingInstance = !held && line.GroupLevel() == layout::LevelMember &&
                                     line.IndexI > 0 &&
                                     !FindLine(device, {line.Address, line.IndexI, true, {}});
        if ((held && (held->HiddenByCount || !held->SameValue(line))) || missingInstance)
            differing.push_back(&line);
    }
    return differing;
}

// A line the device lacks as a row of a comparison, to be written as the
// compare table writes its rows.
TCompareRow DifferenceRow(const TEntry& line) {
    TCompareRow row;
    row.Reason = TCompareRow::Value;
    row.Address = line.Address;
    row.Instance = line.IndexI;
    row.Member = line.GroupLevel() == layout::LevelMember;
    row.Programmable = true;
    row.FileLine = line;
    return row;
}

// How a program run ended: the exit code and what the device holds.
struct TProgramEnd {
    int Exit = ExitOk;
    enum { Unchanged, Programmed, Differs, Unknown, NotStored } Device = Unchanged;
    std::size_t Differing = 0;
};

// What a program run did, for the record.
struct TProgramFacts {
    std::string ProgramName;
    std::string SerialNumber;
    std::size_t LinesWritten = 0;
    enum { NotRun, Succeeded, Failed } Program = NotRun;

    // The device's names, while the document holds the device's dialog.
    void NameDevice(const TFileTypeKelvo& device) {
        const TDeviceIdentity identity = FindDeviceIdentity(device);
        ProgramName = OemToUtf8(identity.Program);
        SerialNumber = OemToUtf8(identity.SerialNumber);
    }
};

// The go-online comparison looks at the first instance of each repeated group
// only: the others come with the download as copies of it. With every line
// read, the device's values are checked against the whole file, and with
// the user's consent the lines still differing are written and stored.
TProgramEnd CheckEveryInstance(TOnlineSession& session, const TFileTypeKelvo& file, bool mayWrite,
                               bool written, TSnapshotGuard* snapshot, TProgramFacts& facts) {
    TProgramEnd end;
    end.Device = written ? TProgramEnd::Programmed : TProgramEnd::Unchanged;
    if (const int result = ReadEveryLine(session); result != ExitOk)
        return {result, written ? TProgramEnd::Unknown : TProgramEnd::Unchanged, 0};
    if (!SameStructure(file, session.Document()))
        return end;
    const std::vector<const TEntry*> differing = LinesTheDeviceLacks(file, session.Document());
    if (differing.empty())
        return end;
    if (!mayWrite) {
        std::cerr << "Program KELVO Device: The device holds other values than the file in "
                  << differing.size() << (differing.size() == 1 ? " line.\n" : " lines.\n");
        return {ExitDeclined, TProgramEnd::Differs, differing.size()};
    }
    // Every line was read just now.
    if (!snapshot || !snapshot->Ensure(false))
        return {ExitOnlineFailure, written ? TProgramEnd::Differs : TProgramEnd::Unchanged,
                differing.size()};
    TKelvoOnline& online = session.Online();
    std::size_t done = 0;
    session.SetDone([&done, total = differing.size()] {
        return std::to_string(done) + " of " + std::to_string(total) +
               " lines written, device not programmed";
    });
    session.StartProgress("writing", [&] {
        return std::to_string(done) + " of " + std::to_string(differing.size()) + " lines written";
    });
    for (const TEntry* line : differing) {
        if (InterruptSignal() != 0) {
            session.StopProgress();
            return {ExitOnlineFailure, TProgramEnd::Differs, differing.size() - done};
        }
        // A count written before brings this instance into the device's view.
        TEntry* held = DeviceCounterpart(session.Document(), *line);
        const std::string key = LineName(*line);
        if (!held || held->HiddenByCount) {
            session.StopProgress();
            LineFailed("program", key, "the device shows no such line");
            return {ExitOnlineFailure, TProgramEnd::Differs, differing.size() - done};
        }
        session.Watch().SetPosition("at line " + key);
        // The same write, read-back and comparison as Write Checked, one line
        // at a time, so that an interrupt or a failure stops between lines.
        TComparison one;
        one.Rows.push_back(DifferenceRow(*line));
        const auto journal = [snapshot](const TEntry& before, const TEntry& written, const TEntry&,
                                        TRowWrite::TResult result) {
            return snapshot->Record(&before, written, JournalResultOf(result));
        };
        const TRowWrite::TResult result = WriteRows(online, one, {0}, {}, journal).front().Result;
        if (result == TRowWrite::Written && IsCountLine(session.Document(), *held))
            session.Document().ExpandGroupOf(*held);
        if (result != TRowWrite::Written) {
            session.StopProgress();
            if (InterruptSignal() != 0)
                return {ExitOnlineFailure, TProgramEnd::Differs, differing.size() - done};
            LineFailed("program", key, RowWriteText(result));
            // A value the device refuses is the device's answer, not a failed
            // line; a journal that stopped the writing has said why.
            if (result != TRowWrite::NotTaken && result != TRowWrite::NotRecorded)
                session.ReportFailure();
            return {ExitOnlineFailure, TProgramEnd::Differs, differing.size() - done};
        }
        ++done;
        ++facts.LinesWritten;
    }
    session.StopProgress();
    if (InterruptSignal() != 0)
        return {ExitOnlineFailure, TProgramEnd::NotStored, 0};
    if (!session.DeviceCommand(TDeviceRequest::Program)) {
        facts.Program = TProgramFacts::Failed;
        return {ExitOnlineFailure, TProgramEnd::NotStored, 0};
    }
    facts.Program = TProgramFacts::Succeeded;
    end.Device = TProgramEnd::Programmed;
    return end;
}

void SayWhatTheDeviceHolds(const TProgramEnd& end, const std::string& name) {
    ClearProgressLine();
    switch (end.Device) {
    case TProgramEnd::Unchanged:
        std::cerr << "device unchanged\n";
        break;
    case TProgramEnd::Programmed:
        std::cerr << "device programmed with " << name << "\n";
        break;
    case TProgramEnd::Differs:
        std::cerr << "device holds other values than " << name;
        if (end.Differing > 0)
            std::cerr << " in " << end.Differing << (end.Differing == 1 ? " line" : " lines");
        std::cerr << "\n";
        break;
    case TProgramEnd::Unknown:
        std::cerr << "device may hold other values than " << name
                  << ": its lines could not all be read back\n";
        break;
    case TProgramEnd::NotStored:
        std::cerr << "device holds other values than " << name
                  << ": writing failed, nothing was stored\n";
        break;
    }
}

TProgramEnd ProgramDevice(TOnlineSession& session, const TFileTypeKelvo& file, bool yes,
                          TSnapshotGuard& snapshot, TProgramFacts& facts) {
    session.SetDone([] { return std::string("device not programmed"); });
    if (yes)
        session.Prompt().BeforeYes = [&] {
            facts.NameDevice(session.Document());
            return snapshot.Ensure();
        };
    // Each line of the old data the dialogue writes goes into the journal.
    session.Online().SetOldDataWritten(
        [&snapshot](const TEntry* before, const TEntry& written, bool accepted) {
            return snapshot.Record(before, written,
                                   accepted ? TJournalResult::Written : TJournalResult::Refused);
        });
    session.GoOnline();
    session.Prompt().BeforeYes = nullptr;
    session.Online().SetOldDataWritten({});
    if (session.Online().IsOnline())
        facts.NameDevice(session.Document());
    // Without a snapshot the dialogue went offline before writing.
    if (snapshot.Failed())
        return {ExitOnlineFailure, TProgramEnd::Unchanged, 0};
    if (InterruptSignal() != 0) {
        const bool wrote = session.Online().LastOutcome() == TKelvoOnline::TOutcome::WriteFailed;
        return {ExitOnlineFailure, wrote ? TProgramEnd::NotStored : TProgramEnd::Unchanged, 0};
    }
    using TOutcome = TKelvoOnline::TOutcome;
    switch (session.Online().LastOutcome()) {
    case TOutcome::Equal:
        return CheckEveryInstance(session, file, yes, false, &snapshot, facts);
    case TOutcome::Written:
        // The dialogue's writes end with the device storing them.
        facts.LinesWritten = static_cast<std::size_t>(session.Online().LastResult().LinesWritten);
        facts.Program = TProgramFacts::Succeeded;
        return CheckEveryInstance(session, file, yes, true, &snapshot, facts);
    case TOutcome::Downloaded:
        return {};
    case TOutcome::KeptDevice: {
        // The device's values stay; how far they are from the file is told.
        TProgramEnd end = CheckEveryInstance(session, file, false, false, nullptr, facts);
        if (end.Exit == ExitOk)
            end.Exit = ExitDeclined;
        return end;
    }
    case TOutcome::Restored:
        return {ExitDeclined, TProgramEnd::Unchanged, 0};
    case TOutcome::WriteFailed:
        facts.Program = TProgramFacts::Failed;
        session.ReportFailure();
        return {ExitOnlineFailure, TProgramEnd::NotStored, 0};
    default:
        return {ExitOnlineFailure, TProgramEnd::Unchanged, 0};
    }
}

const char* OutcomeName(TKelvoOnline::TOutcome outcome) {
    using TOutcome = TKelvoOnline::TOutcome;
    switch (outcome) {
    case TOutcome::PortMissing:
        return "port-missing";
    case TOutcome::NoDevice:
        return "no-device";
    case TOutcome::TimerFailed:
        return "timer-failed";
    case TOutcome::Downloaded:
        return "downloaded";
    case TOutcome::Equal:
        return "equal";
    case TOutcome::Written:
        return "written";
    case TOutcome::WriteFailed:
        return "write-failed";
    case TOutcome::KeptDevice:
        return "kept-device";
    case TOutcome::Restored:
        return "restored";
    default:
        return "none";
    }
}

const char* HeldName(const TProgramEnd& end) {
    switch (end.Device) {
    case TProgramEnd::Programmed:
        return "programmed";
    case TProgramEnd::Differs:
        return "differs";
    case TProgramEnd::Unknown:
        return "unknown";
    case TProgramEnd::NotStored:
        return "not-stored";
    default:
        return "unchanged";
    }
}

const char* ReadBackName(const TProgramEnd& end) {
    switch (end.Device) {
    case TProgramEnd::Programmed:
        return "equal";
    case TProgramEnd::Differs:
    case TProgramEnd::NotStored:
        return "differs";
    case TProgramEnd::Unknown:
        return "unreadable";
    default:
        return end.Exit == ExitOk ? "equal" : "not-checked";
    }
}

// One device's program job.
struct TProgramJob {
    TConnection Connection;
    std::string File;
    std::string Answer;
    bool AcceptTruncated = false;
    TProgramRecord* Record = nullptr;
    std::string Sha256;
};

TJobResult ProgramOne(const TProgramJob& job) {
    const std::string& name = job.File;
    TRecordEntry record;
    record.Time = RecordTime();
    record.Port = PortName(job.Connection);
    record.File = name;
    record.Sha256 = job.Sha256;
    TProgramEnd end{ExitFailure, TProgramEnd::Unchanged, 0};
    TProgramFacts facts;
    const auto finish = [&](int exit) {
        record.Verdict = record.Verdict.empty() ? "none" : record.Verdict;
        record.ProgramName = facts.ProgramName;
        record.SerialNumber = facts.SerialNumber;
        record.LinesWritten = facts.LinesWritten;
        record.ReadBack = ReadBackName(end);
        record.Differing = end.Differing;
        record.Program = facts.Program == TProgramFacts::Succeeded ? "success"
                         : facts.Program == TProgramFacts::Failed  ? "failed"
                                                                   : "not-run";
        record.Device = HeldName(end);
        record.Exit = exit;
        if (job.Record)
            if (const std::string why = job.Record->Append(record); !why.empty()) {
                std::cerr << "kelvoctl program: the record of " << record.Port
                          << " could not be written: " << why << "\n";
                if (exit == ExitOk)
                    exit = ExitFailure;
            }
        return TJobResult{exit, HeldName(end)};
    };

    TPtr<TFileTypeKelvo> document;
    if (!LoadDocumentOrReport(name, document)) {
        SayWhatTheDeviceHolds({}, name);
        return finish(ExitFailure);
    }
    if (const std::string warning = IncompleteFileWarning(name); !warning.empty()) {
        std::cerr << "kelvoctl program: " << name << ": " << warning << "\n";
        if (!job.AcceptTruncated) {
            std::cerr << "kelvoctl program: not programmed; --accept-truncated programs the "
                         "lines read\n";
            SayWhatTheDeviceHolds({}, name);
            return finish(ExitFailure);
        }
    }
    // The comparison afterwards needs the file as it was loaded.
    TPtr<TFileTypeKelvo> file;
    if (!LoadDocumentOrReport(name, file))
        return finish(ExitFailure);
    TOnlineSession session(job.Connection, std::move(document));
    session.Prompt().Answer = job.Answer == "yes"  ? TCtlPrompt::TAnswer::Yes
                              : job.Answer == "no" ? TCtlPrompt::TAnswer::No
                                                   : TCtlPrompt::TAnswer::Cancel;
    TSnapshotGuard snapshot(session, "program", PortName(job.Connection));
    end = ProgramDevice(session, *file, job.Answer == "yes", snapshot, facts);
    record.Verdict = OutcomeName(session.Online().LastOutcome());
    const int exit = session.Finish(end.Exit);
    SayWhatTheDeviceHolds(end, name);
    return finish(exit);
}

// One device's arguments out of a command line naming several: its own
// device option, and its own log (FILE.1, FILE.2, ... in the order given).
std::vector<std::string> ArgumentsFor(const TDeviceList& list, std::size_t index) {
    std::vector<std::string> args;
    const std::string suffix = "." + std::to_string(index + 1);
    for (std::size_t i = 0; i < list.Rest.size(); ++i) {
        const std::string& arg = list.Rest[i];
        if (arg == "--log" && i + 1 < list.Rest.size()) {
            args.insert(args.end(), {arg, list.Rest[++i] + suffix});
        } else if (arg.rfind("--log=", 0) == 0) {
            args.push_back(arg + suffix);
        } else {
            args.push_back(arg);
        }
    }
    if (index < list.Devices.size())
        args.insert(args.end(), {"--device", list.Devices[index]});
    else
        args.insert(args.end(),
                    {"--port", std::to_string(list.Ports[index - list.Devices.size()])});
    return args;
}

// program on several devices at once: every device on its own thread with
// its own link, session and log; a summary line per device and a total.
int RunProgramMany(const TDeviceList& list) {
    std::vector<TProgramJob> jobs;
    std::vector<std::string> labels;
    std::string recordPath;
    for (std::size_t i = 0; i < list.Count(); ++i) {
        const TStart s = Begin("program", ArgumentsFor(list, i), ProgramHelp,
                               {"--answer", "--record"}, {"--accept-truncated"}, 1, 1);
        if (s.Help || s.Exit != ExitOk)
            return s.Exit;
        TProgramJob job;
        job.Connection = s.Connection;
        job.File = s.Parsed.Positional.front();
        job.Answer = s.Parsed.Value("--answer", "cancel");
        job.AcceptTruncated = s.Parsed.Has("--accept-truncated");
        if (job.Answer != "yes" && job.Answer != "no" && job.Answer != "cancel")
            return UsageError("program", ProgramHelp, "--answer must be yes, no or cancel");
        if (s.Parsed.HasValue("--record"))
            recordPath = s.Parsed.Value("--record");
        labels.push_back(PortName(job.Connection));
        jobs.push_back(job);
    }
    TProgramRecord record;
    if (!recordPath.empty()) {
        if (const std::string why = record.Open(recordPath); !why.empty()) {
            std::cerr << "kelvoctl program: cannot write the record to " << recordPath << ": "
                      << why << "\n";
            return ExitFailure;
        }
        const std::string sha = Sha256OfFile(jobs.front().File);
        for (TProgramJob& job : jobs) {
            job.Record = &record;
            job.Sha256 = sha;
        }
    }
    std::vector<std::function<TJobResult()>> work;
    for (const TProgramJob& job : jobs)
        work.push_back([&job] { return ProgramOne(job); });
    const std::vector<TJobResult> results = RunSideBySide(labels, work);

    int exit = ExitOk;
    std::size_t programmed = 0;
    std::size_t notOk = 0;
    for (std::size_t i = 0; i < results.size(); ++i) {
        std::cout << labels[i] << ": " << results[i].Held << ", exit status " << results[i].Exit
                  << "\n";
        exit = WorseExit(exit, results[i].Exit);
        programmed += results[i].Held == "programmed" ? 1 : 0;
        notOk += results[i].Exit != ExitOk ? 1 : 0;
    }
    std::cout << "total: " << results.size() << " devices, " << programmed << " programmed, "
              << notOk << " not ok; exit status " << exit << "\n";
    std::cout.flush();
    return exit;
}

int RunProgram(const std::vector<std::string>& args) {
    if (const TDeviceList list = SplitDevices(args); list.Error.empty() && list.Count() > 1)
        return RunProgramMany(list);
    const TStart s =
        Begin("program", args, ProgramHelp, {"--answer", "--record"}, {"--accept-truncated"}, 1, 1);
    if (s.Help || s.Exit != ExitOk)
        return s.Exit;
    TProgramJob job;
    job.Connection = s.Connection;
    job.File = s.Parsed.Positional.front();
    job.Answer = s.Parsed.Value("--answer", "cancel");
    job.AcceptTruncated = s.Parsed.Has("--accept-truncated");
    if (job.Answer != "yes" && job.Answer != "no" && job.Answer != "cancel")
        return UsageError("program", ProgramHelp, "--answer must be yes, no or cancel");
    TProgramRecord record;
    if (s.Parsed.HasValue("--record")) {
        const std::string path = s.Parsed.Value("--record");
        if (const std::string why = path.empty() ? "no file name" : record.Open(path);
            !why.empty()) {
            std::cerr << "kelvoctl program: cannot write the record to " << path << ": " << why
                      << "\n";
            SayWhatTheDeviceHolds({}, job.File);
            return ExitFailure;
        }
        job.Record = &record;
        job.Sha256 = Sha256OfFile(job.File);
    }
    return ProgramOne(job).Exit;
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

int RunDeviceRequest(const char* name, void (*help)(std::ostream&), TDeviceRequest request,
                     const std::vector<std::string>& args) {
    const TStart s = Begin(name, args, help, {}, {}, 0, 0);
    if (s.Help || s.Exit != ExitOk)
        return s.Exit;
    TOnlineSession session(s.Connection);
    session.SetDone([request] {
        return std::string(request == TDeviceRequest::Program ? "device not programmed"
                                                              : "device not reset");
    });
    if (!session.GoOnline() || InterruptSignal() != 0)
        return session.Finish(ExitOnlineFailure);
    return session.Finish(session.DeviceCommand(request) ? ExitOk : ExitOnlineFailure);
}

int RunProgramDevice(const std::vector<std::string>& args) {
    return RunDeviceRequest("program-device", ProgramDeviceHelp, TDeviceRequest::Program, args);
}

int RunResetDevice(const std::vector<std::string>& args) {
    return RunDeviceRequest("reset-device", ResetDeviceHelp, TDeviceRequest::Reset, args);
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
