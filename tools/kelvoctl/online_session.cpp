#include "tools/kelvoctl/online_session.h"

#include "devicelink/serialline.h"
#include "foundation/codepage.h"
#include "tools/kelvoctl/commands.h"

#include <fstream>
#include <iostream>

namespace kelvo::ctl {

std::set<std::string> ConnectionOptions(std::set<std::string> more) {
    more.insert({"--device", "--port", "--baud", "--log"});
    return more;
}

void ConnectionHelp(std::ostream& out) {
    out << "  --device PATH       the device's serial line (a terminal device path)\n"
           "  --port N            COM port N (1..255), mapped as the editor maps it\n"
           "  --baud RATE         115200 (default), 57600 or 19200\n"
           "  --log FILE          write the transfer log there when the command ends\n";
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
    if (c.Device.empty() == false)
        c.Port = 1;
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
    std::cerr << caption << ": " << line << std::endl;
    LastText = text;

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
    : FConnection(connection),
      FDocument(document ? std::move(document) : TPtr<TFileTypeKelvo>(new TFileTypeKelvo)),
      FOnline(*FDocument, &FTicks, &FLock, nullptr) {
    TKelvoStream& stream = *FDocument->Stream;
    stream.SetLineOpener(connection.Device.empty() ? SerialPortOpener()
                                                   : DevicePathOpener(connection.Device));
    stream.SetBaud(connection.Baud);
}

namespace {
// The log shows the device's bytes in its own code page; a terminal wants UTF-8.
void WriteLogFile(const std::string& path, const std::string& text) {
    if (path.empty())
        return;
    std::ofstream log(path, std::ios::binary | std::ios::trunc);
    log << OemToUtf8(text);
    if (!log.flush())
        std::cerr << "kelvoctl: cannot write the log to " << path << "\n";
}
} // namespace

TOnlineSession::~TOnlineSession() {
    if (!FDocument)
        return;
    WriteLogFile(FConnection.LogFile, FOnline.RenderLog());
}

bool TOnlineSession::GoOnline() {
    FOnline.GoOnline(FConnection.Port, FConnection.Baud);
    return FOnline.IsOnline();
}

void TOnlineSession::Cycle() {
    FTicks.Tick();
    bool done = false;
    FDocument->Idle(nullptr, done);
}

bool TOnlineSession::DeviceCommand(int request) {
    FOnline.RequestDeviceCommand(request);
    FPrompt.LastText.clear();
    Cycle();
    return FPrompt.LastText == "Success!";
}

TPtr<TFileTypeKelvo> TOnlineSession::TakeDocument() {
    FOnline.StopTimer();
    if (FDocument->Stream)
        FDocument->Stream->Close();
    // The log is complete now; the session ends with the hand-over.
    TConnection connection = FConnection;
    FConnection.LogFile.clear();
    WriteLogFile(connection.LogFile, FOnline.RenderLog());
    return std::move(FDocument);
}

int DownloadWholeDialog(TOnlineSession& session) {
    if (!session.GoOnline())
        return ExitOnlineFailure;
    return ReadEveryLine(session);
}

int ReadEveryLine(TOnlineSession& session) {
    if (const int result = session.Online().ReadAllLines(); result < 0) {
        std::cerr << "kelvoctl: reading the device's values failed (" << result << ")\n";
        return ExitOnlineFailure;
    }
    return ExitOk;
}

int DownloadForShow(const TParsedArgs& parsed, TPtr<TFileTypeKelvo>& document) {
    const TConnection connection = ReadConnection(parsed);
    if (!connection.Error.empty()) {
        std::cerr << "kelvoctl show: " << connection.Error << "\n";
        return ExitUsage;
    }
    TOnlineSession session(connection);
    if (const int result = DownloadWholeDialog(session); result != ExitOk)
        return result;
    document = session.TakeDocument();
    return ExitOk;
}

} // namespace kelvo::ctl
