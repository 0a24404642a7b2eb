#pragma once
// What the online subcommands share: the connection options, a prompt that
// prints each message box as a "caption: text" line and answers it as told,
// and a document online with a device, driven without an event loop.
#include "foundation/prompt.h"
#include "model/kelvofile.h"
#include "online/kelvo_online.h"
#include "online/manual_host.h"
#include "tools/kelvoctl/ctl_options.h"
#include "tools/kelvoctl/interrupt.h"
#include "tools/kelvoctl/link_watch.h"
#include "tools/kelvoctl/log_drain.h"
#include "tools/kelvoctl/progress.h"

#include <functional>
#include <iosfwd>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace kelvo::ctl {

// Exit codes of the online subcommands.
inline constexpr int ExitOnlineFailure = 2;
inline constexpr int ExitDeclined = 3;

struct TConnection {
    std::string Device; // a device path, or empty for Port
    int Port = 0;
    int Baud = 115200;
    std::string LogFile;
    // Empty when the options were understood.
    std::string Error;
};

// COM port numbers map to device paths through the [Ports] section of
// iniFile (by default kelvow32's INI file beside kelvoctl), as in the window.
void InstallPortMapping(const std::string& iniFile);

// The value options every online subcommand takes.
std::set<std::string> ConnectionOptions(std::set<std::string> more = {});
// Exactly one of --device and --port; --baud 115200, 57600 or 19200; --log
// with a file name.
TConnection ReadConnection(const TParsedArgs& parsed);
// Whether the --log file can be written; says why not on standard error.
bool CheckLogPath(const char* command, const TConnection& connection);
// The help lines of the connection options.
void ConnectionHelp(std::ostream& out);

class TCtlPrompt : public TPrompt {
public:
    enum class TAnswer { Yes, No, Cancel };
    int Ask(const std::string& caption, const std::string& text, TPromptIcon icon,
            TPromptButtons buttons) override;

    TAnswer Answer = TAnswer::Cancel;
    // Called after each question has been answered.
    std::function<void()> OnAnswer;
    // Asked before a Yes that lets the dialogue write into the device; false
    // turns the answer into Cancel (No for a box without Cancel).
    std::function<bool()> BeforeYes;
};

class TOnlineSession {
public:
    // Takes over document (a new empty one when null).
    TOnlineSession(const TConnection& connection, TPtr<TFileTypeKelvo> document = {});
    // Writes the transfer log when one was asked for and Finish did not.
    ~TOnlineSession();
    TOnlineSession(const TOnlineSession&) = delete;
    TOnlineSession& operator=(const TOnlineSession&) = delete;

    // The whole go-online dialogue; true when online afterwards. When the
    // device could not be reached, says why on standard error.
    bool GoOnline();
    // One timer cycle of the online work.
    void Cycle();
    // Carries out Program or Reset in one cycle; true when the device did.
    bool DeviceCommand(TDeviceRequest request);

    TFileTypeKelvo& Document() { return *FDocument; }
    TKelvoOnline& Online() { return FOnline; }
    TCtlPrompt& Prompt() { return FPrompt; }
    // Hands the document over (the session must not be used afterwards).
    TPtr<TFileTypeKelvo> TakeDocument();

    TLinkWatch& Watch() { return FWatch; }
    // Shows progress on a terminal until StopProgress; lines tells how far
    // the job has come.
    void StartProgress(const std::string& what, std::function<std::string()> lines);
    void StopProgress();
    // After a failed step: one line saying what happened on the line and
    // where (the path that could not be opened, a device that was
    // disconnected, no answer at the baud rate,
    // or the device that stopped answering, stayed busy or sent garbled
    // answers, with the line of the dialog). Said once per session.
    void ReportFailure();
    // What the command has done so far, for the line an interrupt leaves
    // ("3 of 7 lines written, device not programmed").
    void SetDone(std::function<std::string()> done) { FDone = std::move(done); }
    // Ends the session: writes the log and returns exit, or 1 instead of 0
    // when the log could not be written. After SIGINT or SIGTERM it says
    // what was done and returns 130 or 143.
    int Finish(int exit);
    // False when TakeDocument could not write the log.
    bool LogWritten() const { return FLogWritten; }

private:
    bool WriteLog();
    // "/dev/pts/3" for a device path, "COM3 is /dev/ttyUSB0" for a port.
    std::string PortIsPath() const;

    TConnection FConnection;
    TInterruptScope FInterrupts;
    std::function<std::string()> FDone;
    // Declared before the document: the document's stream uses its lines.
    TLinkWatch FWatch;
    std::unique_ptr<TProgress> FProgress;
    // The --log file, filled as the exchanges happen.
    std::unique_ptr<TLogDrain> FLog;
    bool FReported = false;
    bool FLogWritten = true;
    TPtr<TFileTypeKelvo> FDocument;
    TManualTickSource FTicks;
    TPlainCloseLock FLock;
    TKelvoOnline FOnline;
    TCtlPrompt FPrompt;
    TPromptScope FPromptScope{FPrompt};
};

// "0x0025" or "0x0063:1" (a member of a repeated group), as KEYs are typed.
std::string LineKey(const TFileTypeKelvo::TEntry& line);
// "0x0025 (Filter time [ms])": the key and the caption, for messages.
std::string LineName(const TFileTypeKelvo::TEntry& line);

// Goes online and reads every line once, so that every instance of a
// repeated group holds the device's own values. The exit code on failure,
// else 0.
int DownloadWholeDialog(TOnlineSession& session);
// The same whole read pass for a session already online.
int ReadEveryLine(TOnlineSession& session);

// Common start of every online command: the arguments, or the usage exit.
struct TStart {
    TParsedArgs Parsed;
    TConnection Connection;
    bool Help = false;
    int Exit = 0;
};
TStart Begin(const char* name, const std::vector<std::string>& args, void (*help)(std::ostream&),
             std::set<std::string> values, std::set<std::string> flags, std::size_t minPositional,
             std::size_t maxPositional);

// kelvoctl show with --device or --port: the document downloaded from the
// device, or the exit code when that failed.
int DownloadForShow(const TParsedArgs& parsed, TPtr<TFileTypeKelvo>& document);

} // namespace kelvo::ctl
