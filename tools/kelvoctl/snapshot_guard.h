#pragma once
// Nothing is written into a device without a snapshot of its set first: the
// commands that write ask here once, before their first write.
#include "tools/kelvoctl/online_session.h"

#include <string>

namespace kelvo::ctl {

class TSnapshotGuard {
public:
    TSnapshotGuard(TOnlineSession& session, const char* command, std::string where)
        : FSession(session), FCommand(command), FWhere(std::move(where)) {}

    // Reads every line of the device (the session is online; readFirst false
    // when that was just done) and saves them as a snapshot; says where on standard error. False,
    // with a message, when no snapshot could be made: nothing may be written then. Later calls
    // answer as the first did.
    bool Ensure(bool readFirst = true);
    bool Taken() const { return FState == Saved; }
    bool Failed() const { return FState == Refused; }
    const std::string& Path() const { return FPath; }

private:
    TOnlineSession& FSession;
    const char* FCommand;
    std::string FWhere;
    enum { NotYet, Saved, Refused } FState = NotYet;
    std::string FPath;
};

// The port as a snapshot's name gives it: the device path, or "COMn".
std::string PortName(const TConnection& connection);

} // namespace kelvo::ctl
