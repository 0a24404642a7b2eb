#include "tools/kelvoctl/online_session.h"

#include "devicelink/serialline.h"
#include "foundation/codepage.h"
#include "tools/kelvoctl/commands.h"
#include "tools/kelvoctl/line_keys.h"
#include "tools/kelvoctl/output_check.h"

#include "shell/settings/ini_file.h"
#include "shell/settings/ports_lookup.h"

#include <cstdio>
#include <iostream>

namespace kelvo::ctl {

namespace {

// The INI file kelvow32 beside this program uses.
std::string WindowProgramIni() {
    const std::string self = ProgramPath();
    const auto slash = self.find_last_of('/');
    const std::string dir = slash == std::string::npos ? "." : self.substr(0, slash);
    return DefaultIniFileName(dir + "/kelvow32", IniBesideProgram(dir));
}

} // namespace

void InstallPortMapping(const std::string& iniFile) {
    InstallPortsLookup(iniFile.empty() ? WindowProgramIni() : iniFile);
}

std::set<std::string> ConnectionOptions(std::set<std::string> more) {
    more.insert({"--device", "--port", "--baud", "--log", "--ini"});
    return more;
}

void ConnectionHelp(std::ostream& out) {
    out << "  --device PATH       the device's serial line (a terminal device path)\n"
           "  --port N            COM port N (1..255), mapped as the editor maps it\n"
           "  --ini FILE          the INI file whose [Ports] section maps COM ports to\n"
           "                      device paths (default: kelvow32.ini beside kelvoctl)\n"
           "  --baud RATE         115200 (default), 57600 or 19200\n"
           "  --log FILE          record every exchange of the run there (checked\n"
           "                      before connecting)\n"
           "Ctrl-C (SIGINT) or SIGTERM stops after the exchange in progress, writes\n"
           "the log, says what was done and exits with 130 or 143.\n";
}

namespace {

bool ParseNumber(const std::string& text, int& value) {
    if (text.empty() || text.size() > 9 ||
        text.find_first_not_of("0123456789") != std::string::npos)
        return false;
    value = std::stoi(text);
    return true;
}

} // namespace

TConnection ReadConnection(const TParsedArgs& parsed) {
    TConnection c;
    c.Device = parsed.Value("--device");
    c.LogFile = parsed.Value("--log");
    if (parsed.HasValue("--device") == parsed.HasValue("--port")) {
        c.Error = "give either --device PATH or --port N";
        return c;
    }
    if (parsed.HasValue("--device") && c.Device.empty())
        c.Error = "--device needs a path";
    if (parsed.HasValue("--port") &&
        (!ParseNumber(parsed.Value("--port"), c.Port) || c.Port < 1 || c.Port > 255))
        c.Error = "--port must be a number from 1 to 255";
    if (parsed.HasValue("--baud") && (!ParseNumber(parsed.Value("--baud"), c.Baud) ||
                                      (c.Baud != 115200 && c.Baud != 57600 && c.Baud != 19200)))
        c.Error = "--baud must be 115200, 57600 or 19200";
    if (parsed.HasValue("--log") && c.LogFile.empty())
        c.Error = "--log needs a file name";
    if (parsed.HasValue("--ini") && parsed.Value("--ini").empty())
        c.Error = "--ini needs a file name";
    if (c.Device.empty() == false)
        c.Port = 1;
    else if (c.Error.empty())
        // COM numbers mean what they mean to the window program.
        InstallPortMapping(parsed.Value("--ini"));
    return c;
}

int TCtlPrompt::Ask(const std::string& caption, const std::string& text, TPromptIcon,
                    TPromptButtons buttons) {
    // One line per box: the blank lines of the box become single spaces.
    std::string line;
    for (char ch : text) {
        if (ch == '\n') {
            if (!line.empty() && line.back() != ' ')
                line += ' ';
        } else {
            line += ch;
        }
    }
    while (!line.empty() && line.back() == ' ')
        line.pop_back();
    ClearProgressLine();
    std::cerr << caption << ": " << line << std::endl;
    const bool yesAsked =
        buttons == TPromptButtons::YesNoCancel || buttons == TPromptButtons::YesNo;
    if (yesAsked && Answer == TAnswer::Yes && BeforeYes && !BeforeYes())
        return buttons == TPromptButtons::YesNoCancel ? IdCancel : IdNo;
    if (OnAnswer && buttons != TPromptButtons::Ok)
        OnAnswer();

    switch (buttons) {
    case TPromptButtons::YesNoCancel:
        return Answer == TAnswer::Yes ? IdYes : Answer == TAnswer::No ? IdNo : IdCancel;
    case TPromptButtons::YesNo:
        return Answer == TAnswer::Yes ? IdYes : IdNo;
    case TPromptButtons::OkCancel:
        return Answer == TAnswer::Yes ? IdOk : IdCancel;
    default:
        return DefaultAnswer(buttons);
    }
}

TOnlineSession::TOnlineSession(const TConnection& connection, TPtr<TFileTypeKelvo> document)
    : FConnection(connection), FWatch(connection.Device),
      FDocument(document ? std::move(document) : TPtr<TFileTypeKelvo>(new TFileTypeKelvo)),
      FOnline(*FDocument, &FTicks, &FLock, nullptr) {
    TKelvoStream& stream = FOnline.Session().Stream();
    stream.SetLineOpener(FWatch.Opener());
    stream.SetBaud(connection.Baud);
    // A device path has no COM number: the messages name the path.
    if (!connection.Device.empty())
        stream.SetPortName(connection.Device);
    if (!connection.LogFile.empty())
        FLog = std::make_unique<TLogDrain>(stream, connection.LogFile);
    FWatch.SetOnExchange([this] {
        if (FLog)
            FLog->Drain();
        if (FProgress)
            FProgress->Update();
    });
}

TOnlineSession::~TOnlineSession() {
    StopProgress();
    if (!FDocument)
        return;
    FOnline.StopTimer();
    FOnline.Session().Stream().Close();
    WriteLog();
}

bool TOnlineSession::WriteLog() {
    return FLog ? FLog->Close() : true;
}

int TOnlineSession::Finish(int exit) {
    StopProgress();
    // Offline first, so that the log holds the last exchange too.
    FOnline.StopTimer();
    FOnline.Session().Stream().Close();
    const bool logged = WriteLog();
    if (const int signal = InterruptSignal(); signal != 0) {
        std::cerr << "kelvoctl: interrupted: " << (FDone ? FDone() : "nothing was finished")
                  << "\n";
        return 128 + signal;
    }
    if (!logged && exit == ExitOk)
        return ExitFailure;
    return exit;
}

void TOnlineSession::StartProgress(const std::string& what, std::function<std::string()> lines) {
    FProgress =
        std::make_unique<TProgress>(FWatch, FOnline.Session().Stream(), what, std::move(lines));
}

void TOnlineSession::StopProgress() {
    FProgress.reset();
}

bool TOnlineSession::GoOnline() {
    FWatch.SetPosition([this] {
        return "while the dialog was downloaded, after " +
               std::to_string(FDocument->Entries.Count()) + " lines";
    });
    FPrompt.OnAnswer = [this] {
        FWatch.SetPosition("while the document's values were written into the device");
        StartProgress("writing the values", nullptr);
    };
    StartProgress("downloading the dialog",
                  [this] { return std::to_string(FDocument->Entries.Count()) + " lines"; });
    FOnline.GoOnline(ComPort(FConnection.Port), FConnection.Baud);
    StopProgress();
    FPrompt.OnAnswer = nullptr;
    using TOutcome = TKelvoOnline::TOutcome;
    const TOutcome outcome = FOnline.LastOutcome();
    if (outcome == TOutcome::PortMissing || outcome == TOutcome::NoDevice ||
        outcome == TOutcome::WriteFailed)
        ReportFailure();
    return FOnline.IsOnline();
}

void TOnlineSession::ReportFailure() {
    // An interrupt stops the line on purpose; Finish says so.
    if (FReported || InterruptSignal() != 0)
        return;
    FReported = true;
    ClearProgressLine();
    const TKelvoStream& stream = FOnline.Session().Stream();
    if (!FWatch.OpenFailure().empty() && !stream.IsOpen() && stream.GoodExchanges() == 0 &&
        stream.FailedExchanges() == 0) {
        std::cerr << "kelvoctl: cannot open " << FWatch.Path() << ": " << FWatch.OpenFailure()
                  << "\n";
        return;
    }
    if (stream.Disconnected()) {
        std::cerr << "kelvoctl: " << PortIsPath() << ": the device was disconnected";
        if (!FWatch.Position().empty())
            std::cerr << " " << FWatch.Position();
        std::cerr << "\n";
        return;
    }
    if (NothingAnswered(stream)) {
        std::cerr << "kelvoctl: " << FWatch.Path() << ": no answer at " << stream.Baud()
                  << " baud\n";
        return;
    }
    std::string reason = LostConnectionReason(stream);
    if (reason.empty())
        reason = "the exchange with the device failed";
    std::cerr << "kelvoctl: " << reason;
    if (!FWatch.Position().empty())
        std::cerr << " " << FWatch.Position();
    std::cerr << "\n";
}

std::string TOnlineSession::PortIsPath() const {
    if (!FConnection.Device.empty())
        return FConnection.Device;
    return FOnline.Session().Stream().PortName() + " is " + FWatch.Path();
}

void TOnlineSession::Cycle() {
    FTicks.Tick();
    bool done = false;
    FDocument->Idle(nullptr, done);
}

bool TOnlineSession::DeviceCommand(TDeviceRequest request) {
    FWatch.SetPosition(request == TDeviceRequest::Program
                           ? "while the device stored its values"
                           : "while the device reloaded its stored values");
    FOnline.RequestDeviceCommand(request);
    Cycle();
    if (FOnline.LastRequestOutcome() == TKelvoOnline::TRequestOutcome::Done)
        return true;
    ReportFailure();
    return false;
}

TPtr<TFileTypeKelvo> TOnlineSession::TakeDocument() {
    FOnline.StopTimer();
    FOnline.Session().Stream().Close();
    // The log is complete now; the session ends with the hand-over.
    FLogWritten = WriteLog();
    return std::move(FDocument);
}

std::string LineKey(const TFileTypeKelvo::TEntry& line) {
    char text[24];
    if (line.GroupLevel() == layout::LevelMember)
        std::snprintf(text, sizeof text, "0x%04X:%d", static_cast<unsigned>(line.Address),
                      static_cast<int>(line.IndexI));
    else
        std::snprintf(text, sizeof text, "0x%04X", static_cast<unsigned>(line.Address));
    return text;
}

std::string LineName(const TFileTypeKelvo::TEntry& line) {
    return LineKey(line) + " (" + OemToUtf8(line.GetText(0)) + ")";
}

int DownloadWholeDialog(TOnlineSession& session) {
    if (!session.GoOnline())
        return ExitOnlineFailure;
    return ReadEveryLine(session);
}

int ReadEveryLine(TOnlineSession& session) {
    TFileTypeKelvo& doc = session.Document();
    int done = 0;
    session.StartProgress("reading the values",
                          [&] { return std::to_string(done) + " lines read"; });
    for (TFileTypeKelvo::TEntry& entry : doc.Entries) {
        if (!entry.Value || entry.HiddenByCount || entry.RefreshStamp == doc.RefreshCycle)
            continue;
        if (InterruptSignal() != 0) {
            session.StopProgress();
            return ExitOnlineFailure;
        }
        session.Watch().SetPosition("at line " + LineName(entry));
        if (session.Online().ReadWriteLine(entry, false) < 0) {
            session.StopProgress();
            std::cerr << "kelvoctl: reading the device's values failed at line " << LineName(entry)
                      << "\n";
            session.ReportFailure();
            return ExitOnlineFailure;
        }
        // The instances a count brings into view are read in this pass too.
        if (IsCountLine(doc, entry))
            doc.ExpandGroupOf(entry);
        ++done;
    }
    session.StopProgress();
    session.Online().Repaint();
    return ExitOk;
}

bool CheckLogPath(const char* command, const TConnection& connection) {
    if (connection.LogFile.empty())
        return true;
    const std::string why = CheckOutputPath(connection.LogFile, false);
    if (!why.empty())
        std::cerr << "kelvoctl " << command << ": cannot write the log to " << connection.LogFile
                  << ": " << why << "\n";
    return why.empty();
}

int DownloadForShow(const TParsedArgs& parsed, TPtr<TFileTypeKelvo>& document) {
    const TConnection connection = ReadConnection(parsed);
    if (!connection.Error.empty())
        return UsageError("show", ShowCommand().Help, connection.Error);
    if (!CheckLogPath("show", connection))
        return ExitFailure;
    TOnlineSession session(connection);
    if (const int result = DownloadWholeDialog(session); result != ExitOk)
        return session.Finish(result);
    document = session.TakeDocument();
    return session.LogWritten() ? ExitOk : ExitFailure;
}

} // namespace kelvo::ctl

namespace kelvo::ctl {

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
    if (!error.empty())
        s.Exit = UsageError(name, help, error);
    else if (!CheckLogPath(name, s.Connection))
        s.Exit = ExitFailure;
    return s;
}

} // namespace kelvo::ctl
