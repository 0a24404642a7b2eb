#pragma once
// kelvoctl's view of the serial line under a session: it opens the line and,
// when that fails, finds out why in words a technician can act on; it counts
// what goes over the line for the progress display; and it remembers where in
// its work the command stood at each exchange, so that a lost connection can
// be reported with the line it happened at.
#include "devicelink/comline.h"
#include "devicelink/kelvostream.h"

#include <cstdint>
#include <functional>
#include <string>

namespace kelvo::ctl {

// Why path cannot be opened as a serial line for this program alone, in one
// phrase ("no such file", "not a terminal", ...); empty when it can.
std::string OpenFailureReason(const std::string& path);

// What went wrong on a line that was answering before, from the stream's
// transfer log: "the device stopped answering", "the device stayed busy",
// "the device's answers kept failing the frame check", or empty when the
// log shows none of these.
std::string LostConnectionReason(const TKelvoStream& stream);
// True when nothing but the echo ever came back over the line.
bool NothingAnswered(const TKelvoStream& stream);

class TLinkWatch {
public:
    // device: the path given, or empty to map port numbers to paths.
    explicit TLinkWatch(std::string device) : FDevice(std::move(device)) {}
    TLinkWatch(const TLinkWatch&) = delete;
    TLinkWatch& operator=(const TLinkWatch&) = delete;

    // Opens lines for the stream; the watch must outlive the stream's use.
    TComLineOpener Opener();

    // The path last opened (or tried), and why opening it failed.
    const std::string& Path() const { return FPath; }
    const std::string& OpenFailure() const { return FOpenFailure; }

    // Where the command stands, asked before every exchange; the last answer
    // is kept for the failure report.
    void SetPosition(std::function<std::string()> position) { FPosition = std::move(position); }
    void SetPosition(const std::string& position);
    const std::string& Position() const { return FLastPosition; }
    // Called after each exchange has started.
    void SetOnExchange(std::function<void()> onExchange) { FOnExchange = std::move(onExchange); }

    std::int64_t BytesSent() const { return FBytesSent; }
    std::int64_t BytesReceived() const { return FBytesReceived; }
    std::int64_t Exchanges() const { return FExchanges; }
    // Answers REPWT: the device asked to wait.
    std::int64_t BusyAnswers() const;

private:
    class TWatchedLine;
    friend class TWatchedLine;
    void ExchangeStarts(std::size_t sent);
    void Received(const unsigned char* data, std::size_t count);

    std::string FDevice;
    std::string FPath;
    std::string FOpenFailure;
    std::function<std::string()> FPosition;
    std::string FLastPosition;
    std::function<void()> FOnExchange;
    std::int64_t FBytesSent = 0;
    std::int64_t FBytesReceived = 0;
    std::int64_t FExchanges = 0;
    std::int64_t FBusy = 0;
    // The exchange under way: bytes sent, bytes back so far, first reply byte.
    std::size_t FSent = 0;
    std::size_t FBack = 0;
    int FFirstReply = -1;
};

} // namespace kelvo::ctl
