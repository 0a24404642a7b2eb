#pragma once
// What the online subcommands share: the connection options, a prompt that
// prints each message box as a "caption: text" line and answers it as told,
// and a document online with a device, driven without an event loop.
#include "foundation/prompt.h"
#include "model/kelvofile.h"
#include "online/kelvo_online.h"
#include "online/manual_host.h"
#include "tools/kelvoctl/ctl_options.h"

#include <iosfwd>
#include <set>
#include <string>

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

// The value options every online subcommand takes.
std::set<std::string> ConnectionOptions(std::set<std::string> more = {});
// Exactly one of --device and --port; --baud 115200, 57600 or 19200.
TConnection ReadConnection(const TParsedArgs& parsed);
// The help lines of the connection options.
void ConnectionHelp(std::ostream& out);

class TCtlPrompt : public TPrompt {
public:
    enum class TAnswer { Yes, No, Cancel };
    int Ask(const std::string& caption, const std::string& text, TPromptIcon icon,
            TPromptButtons buttons) override;

    TAnswer Answer = TAnswer::Cancel;
    std::string LastText;
};

class TOnlineSession {
public:
    // Takes over document (a new empty one when null).
    TOnlineSession(const TConnection& connection, TPtr<TFileTypeKelvo> document = {});
    // Writes the transfer log when one was asked for.
    ~TOnlineSession();
    TOnlineSession(const TOnlineSession&) = delete;
    TOnlineSession& operator=(const TOnlineSession&) = delete;

    // The whole go-online dialogue; true when online afterwards.
    bool GoOnline();
    // One timer cycle of the online work.
    void Cycle();
    // Carries out Program (2) or Reset (1); true on success.
    bool DeviceCommand(int request);

    TFileTypeKelvo& Document() { return *FDocument; }
    TKelvoOnline& Online() { return FOnline; }
    TCtlPrompt& Prompt() { return FPrompt; }
    // Hands the document over (the session must not be used afterwards).
    TPtr<TFileTypeKelvo> TakeDocument();

private:
    TConnection FConnection;
    TPtr<TFileTypeKelvo> FDocument;
    TManualTickSource FTicks;
    TPlainCloseLock FLock;
    TKelvoOnline FOnline;
    TCtlPrompt FPrompt;
    TPromptScope FPromptScope{FPrompt};
};

// Goes online and reads every line once, so that every instance of a
// repeated group holds the device's own values. The exit code on failure,
// else 0.
int DownloadWholeDialog(TOnlineSession& session);
// The same whole read pass for a session already online.
int ReadEveryLine(TOnlineSession& session);

// kelvoctl show with --device or --port: the document downloaded from the
// device, or the exit code when that failed.
int DownloadForShow(const TParsedArgs& parsed, TPtr<TFileTypeKelvo>& document);

} // namespace kelvo::ctl
