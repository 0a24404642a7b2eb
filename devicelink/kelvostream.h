#pragma once
// The device stream: one COM port, request/reply exchanges on a half-duplex
// echoing line, and on top of them control codes, CRC-protected data frames,
// message numbering and the conversation handshake. To its users it is a byte
// stream: values are read and written as raw bytes.
#include "devicelink/comline.h"
#include "devicelink/kelvolog.h"
#include "devicelink/line_latency.h"
#include "devicelink/linkclock.h"
#include "devicelink/protocol.h"
#include "foundation/stream.h"

#include <cstdint>
#include <memory>
#include <string>

namespace kelvo {

class TKelvoStream : public TStream {
public:
    static constexpr int SendBufferSize = 33;
    static constexpr int MaxReply = 35;
    static constexpr int ReceiveBufferSize = SendBufferSize + MaxReply;
    // ComResult of an exchange that found the device gone from the line.
    static constexpr int ComLineGone = kelvo::ComLineGone;

    // Does not open the port. Without an opener the serial ports are used.
    TKelvoStream(int port, int baud, TComLineOpener opener = {});
    ~TKelvoStream() override;
    TKelvoStream(const TKelvoStream&) = delete;
    TKelvoStream& operator=(const TKelvoStream&) = delete;

    // The longest silence between two reply bytes before a read gives up:
    // ByteGapMillis in the clock's units, at least MinByteGap bit times.
    static std::int64_t ByteGap(const TLinkClock& clock);

    // Where lines come from (serial ports, or a virtual line in tests and tools).
    void SetLineOpener(TComLineOpener opener);

    // Opens (port, baud); a zero argument keeps the current value. Returns true
    // at once when already open with the same values.
    bool Open(int port, int baud);
    void Close();
    void SetPort(int port);
    void SetBaud(int baud);

    // 0, or -1 when the device could not be brought into a conversation.
    int BeginConversation();
    int EndConversation();
    // Sends the frame under construction; 0 or -1.
    int EndWrite();

    std::int32_t Read(void* buffer, std::int32_t count) override;
    std::int32_t Write(const void* buffer, std::int32_t count) override;
    // The stream has no position: always raises.
    std::int64_t Seek(std::int64_t offset, int origin) override;

    // The next received byte, -1 at the end of the device's data or on failure;
    // GetByte also consumes it.
    int PeekByte();
    int GetByte();

    // Sends one control code and returns StreamResult. A negative expected reply
    // length waits for -expected bytes after a good step and for up to 35 after
    // a failed one.
    int SendCode(std::uint8_t code, int expected);

    int Port() const { return FPort; }
    // How messages name the port: "COM" and its number, unless a name was
    // given (tools that are given a device path name the path).
    std::string PortName() const;
    void SetPortName(std::string name) { FPortName = std::move(name); }
    int Baud() const { return FBaud; }
    bool IsOpen() const { return FLine != nullptr; }
    // The device went away from the line (the port was closed then); cleared
    // by the next Open.
    bool Disconnected() const { return FDisconnected; }
    // The latency the line has shown, in bit times (0 on a plain line).
    std::int64_t LineLatency() const { return FLatency.Estimate(); }
    // How the last exchange on the line ended (TComResult), and the result of
    // the last protocol step (TStreamResult, a byte count after a frame step).
    int ComResult() const { return FTrace.ComResult; }
    int StreamResult() const { return FTrace.StreamResult; }
    bool Finis() const { return FFinis; }
    bool Conversation() const { return FConversation; }
    bool EofPending() const { return FEofPending; }
    bool Broken() const { return FBroken; }
    // Callers set it to force the next attempt of a command.
    void SetBroken(bool broken) { FBroken = broken; }
    int MessageCounter() const { return FMessageCounter; }
    std::int32_t GoodExchanges() const { return FGood; }
    std::int32_t FailedExchanges() const { return FFailed; }
    double GoodRate() const { return FGoodRate.Rate(); }
    double FailedRate() const { return FFailedRate.Rate(); }
    const TKelvoLogger& Log() const { return FLog; }
    // The reply bytes of the last exchange.
    const unsigned char* Reply() const { return FReceive + FReplyPos; }
    int ReplyCount() const { return FTrace.Replied; }

private:
    int Exchange();
    // False when the line's device has gone meanwhile.
    bool DiscardLateAnswer(std::int64_t gap);
    void ResetExchangeState();
    void ResetConversation();
    void Pause(std::int64_t bitTimes);
    int AcknowledgeFinis();
    int Handshake(std::uint8_t code);
    bool OneByteReply() const { return FTrace.StreamResult == StreamOk && FTrace.Replied == 1; }
    int BuildFrame();
    int CheckFrame();
    int SendFrame();
    int ReceiveFrame();
    int ExchangeConti();
    int Flush();
    int Fill();
    bool PutByte(std::uint8_t b);
    void EndOfData();
    bool HasUnread() const { return FReadPos < FReadEnd; }

    int FPort;
    int FBaud;
    std::string FPortName;
    TComLineOpener FOpener;
    std::unique_ptr<TComLine> FLine;
    TLinkClock FClock;
    TLineLatency FLatency;
    // The clock as restarted for the last exchange's write, its transmit end,
    // and when its last read that found nothing began (-1 when bytes came):
    // a late answer then shows latency.
    TLinkClock FLastWrite;
    std::int64_t FLastTransmitEnd = 0;
    std::int64_t FLastQuietAt = -1;
    bool FDisconnected = false;

    int FSendLength = 0;
    int FExpected = 0;
    unsigned char FSend[SendBufferSize] = {};
    unsigned char FReceive[ReceiveBufferSize] = {};
    int FReplyPos = 0;
    TKelvoLog FTrace;
    TKelvoLogger FLog;

    int FMessageCounter = 0;
    bool FFinis = false;
    bool FConversation = false;
    bool FEofPending = false;
    bool FBroken = false;
    int FAssembly = 2;
    int FReadPos = 2;
    int FReadEnd = 2;
    std::int32_t FGood = 0;
    std::int32_t FFailed = 0;
    TRateMeter FGoodRate;
    TRateMeter FFailedRate;
};

} // namespace kelvo
