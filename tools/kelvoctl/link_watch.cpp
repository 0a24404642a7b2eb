#include "tools/kelvoctl/link_watch.h"

#include "devicelink/port_diagnosis.h"
#include "devicelink/protocol.h"
#include "devicelink/serialline.h"
#include "tools/kelvoctl/interrupt.h"

#include <cerrno>
#include <cstring>
#include <deque>
#include <fcntl.h>
#include <grp.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kelvo::ctl {

std::string OpenFailureReason(const std::string& path) {
    return PortOpenFailureReason(path);
}

namespace {

struct TRecordSummary {
    TKelvoLog Header;
    int FirstReply = -1;
};

std::deque<TRecordSummary> LastRecords(const TKelvoStream& stream, std::size_t keep) {
    std::deque<TRecordSummary> records;
    stream.Log().ForEach([&](const unsigned char* payload, std::int32_t length) {
        if (length < TKelvoLog::Size)
            return;
        TRecordSummary r;
        r.Header = TKelvoLog::Load(payload);
        const std::int32_t reply = TKelvoLog::Size + r.Header.Sent + r.Header.Echoed;
        if (r.Header.Replied > 0 && reply < length)
            r.FirstReply = payload[reply];
        records.push_back(r);
        if (keep && records.size() > keep)
            records.pop_front();
    });
    return records;
}

} // namespace

std::string LostConnectionReason(const TKelvoStream& stream) {
    // The last attempts of the failed step and the few exchanges around them.
    const auto records = LastRecords(stream, 12);
    if (records.empty())
        return {};
    int silent = 0, busy = 0, garbled = 0;
    for (std::size_t i = 0; i < records.size(); ++i) {
        const TKelvoLog& h = records[i].Header;
        if (h.Replied == 0)
            ++silent;
        else if (h.Replied == 1 && records[i].FirstReply == CodeRepwt)
            ++busy;
        // A record carries the stream's result from before its exchange: the
        // frame check of the exchange before it.
        if (FrameCheckFailed(h.StreamResult))
            ++garbled;
    }
    if (FrameCheckFailed(stream.StreamResult()))
        ++garbled;
    // The stream gives up on a busy device only when its busy budget is spent.
    const int sr = stream.StreamResult();
    if (sr == StreamHandshakeBusyTooLong || sr == StreamSendBusyTooLong ||
        (sr == StreamReceiveBusyTooLong && records.back().FirstReply == CodeRepwt))
        return "the device stayed busy";
    if (records.back().Header.Replied == 0)
        silent += static_cast<int>(records.size());
    if (silent == 0 && busy == 0 && garbled == 0)
        return {};
    if (silent >= busy && silent >= garbled)
        return "the device stopped answering";
    if (busy >= garbled)
        return "the device stayed busy";
    return "the device's answers kept failing the frame check";
}

bool NothingAnswered(const TKelvoStream& stream) {
    bool answered = false;
    for (const TRecordSummary& r : LastRecords(stream, 0))
        answered = answered || r.Header.Replied > 0;
    return !answered;
}

class TLinkWatch::TWatchedLine : public TComLine {
public:
    TWatchedLine(TLinkWatch& watch, std::unique_ptr<TComLine> line)
        : FWatch(watch), FLine(std::move(line)) {}
    bool Configure(int baud) override { return FLine->Configure(baud); }
    bool Purge(bool both) override { return FLine->Purge(both); }
    bool SetRts(bool on) override { return FLine->SetRts(on); }
    bool SetDtr(bool on) override { return FLine->SetDtr(on); }
    long Read(unsigned char* buffer, std::size_t count) override {
        const long n = FLine->Read(buffer, count);
        if (n > 0)
            FWatch.Received(buffer, static_cast<std::size_t>(n));
        return n;
    }
    long Write(const unsigned char* buffer, std::size_t count) override {
        // After an interrupt no new exchange starts; the stream gives up
        // quickly on a line that takes nothing.
        if (InterruptSignal() != 0)
            return -1;
        // The stream writes each message in one call.
        FWatch.ExchangeStarts(count);
        return FLine->Write(buffer, count);
    }

private:
    TLinkWatch& FWatch;
    std::unique_ptr<TComLine> FLine;
};

TComLineOpener TLinkWatch::Opener() {
    return [this](int port) -> std::unique_ptr<TComLine> {
        FPath = FDevice.empty() ? PortDeviceName(port) : FDevice;
        FOpenFailure.clear();
        std::unique_ptr<TComLine> line = TSerialLine::Open(FPath);
        if (!line) {
            FOpenFailure = OpenFailureReason(FPath);
            if (FOpenFailure.empty())
                FOpenFailure = "it could not be opened";
            return nullptr;
        }
        return std::make_unique<TWatchedLine>(*this, std::move(line));
    };
}

void TLinkWatch::SetPosition(const std::string& position) {
    FPosition = nullptr;
    FLastPosition = position;
}

void TLinkWatch::ExchangeStarts(std::size_t sent) {
    if (FBack == FSent + 1 && FFirstReply == CodeRepwt)
        ++FBusy;
    FSent = sent;
    FBack = 0;
    FFirstReply = -1;
    FBytesSent += static_cast<std::int64_t>(sent);
    ++FExchanges;
    if (FPosition)
        FLastPosition = FPosition();
    if (FOnExchange)
        FOnExchange();
}

void TLinkWatch::Received(const unsigned char* data, std::size_t count) {
    if (FBack <= FSent && FBack + count > FSent)
        FFirstReply = data[FSent - FBack];
    FBack += count;
    FBytesReceived += static_cast<std::int64_t>(count);
}

std::int64_t TLinkWatch::BusyAnswers() const {
    return FBusy + (FBack == FSent + 1 && FFirstReply == CodeRepwt ? 1 : 0);
}

} // namespace kelvo::ctl
