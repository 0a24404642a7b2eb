#include "devicelink/kelvostream.h"

#include "devicelink/crc24.h"
#include "devicelink/protocol.h"
#include "devicelink/serialline.h"
#include "foundation/exception.h"

#include <algorithm>
#include <cstring>

namespace kelvo {

namespace {

constexpr std::int32_t RateWindow = 10'000'000; // microseconds
constexpr int DataStart = 2;                    // data follow START and the header
constexpr int AssemblyFull = DataStart + MaxFrameData;

} // namespace

TKelvoStream::TKelvoStream(int port, int baud, TComLineOpener opener)
    : FPort(port), FBaud(baud), FOpener(opener ? std::move(opener) : SerialPortOpener()),
      FLog(TKelvoLogger::DefaultRoom), FGoodRate(RateWindow, 0, 0), FFailedRate(RateWindow, 0, 0) {
    FClock.SetMicroUnits(1);
}

TKelvoStream::~TKelvoStream() {
    Close();
}

std::int64_t TKelvoStream::ByteGap(const TLinkClock& clock) {
    return std::max<std::int64_t>(clock.UnitsInFraction(ByteGapMillis, 1000), MinByteGap);
}

std::string TKelvoStream::PortName() const {
    return FPortName.empty() ? "COM" + std::to_string(FPort) : FPortName;
}

void TKelvoStream::SetLineOpener(TComLineOpener opener) {
    Close();
    FOpener = opener ? std::move(opener) : SerialPortOpener();
}

bool TKelvoStream::Open(int port, int baud) {
    if (FLine && port == FPort && baud == FBaud)
        return true;
    Close();
    ResetExchangeState();
    ResetConversation();
    if (port != 0)
        FPort = port;
    if (baud != 0)
        FBaud = baud;
    if (FPort < 1 || FPort > 255)
        return false;
    FLine = FOpener(FPort);
    if (!FLine)
        return false;
    if (!FLine->Configure(FBaud) || !FLine->Purge(true)) {
        Close();
        return false;
    }
    FClock.SetRateUnits(FBaud);
    FLatency.Reset(ByteGap(FClock), FClock.UnitsInFraction(TLineLatency::BoundMicros, 1'000'000));
    return true;
}

void TKelvoStream::Close() {
    FLine.reset();
}

void TKelvoStream::SetPort(int port) {
    if (port != FPort) {
        Close();
        FPort = port;
    }
}

void TKelvoStream::SetBaud(int baud) {
    if (baud != FBaud) {
        Close();
        FBaud = baud;
    }
}

void TKelvoStream::ResetExchangeState() {
    FSendLength = 0;
    FExpected = 0;
    FTrace = TKelvoLog{};
    FGood = 0;
    FFailed = 0;
    FMessageCounter = 0;
    FFinis = false;
    FReplyPos = 0;
    FLastQuietAt = -1;
    FDisconnected = false;
}

void TKelvoStream::ResetConversation() {
    FAssembly = DataStart;
    FReadPos = FReadEnd = DataStart;
    FConversation = false;
    FBroken = false;
    FEofPending = false;
}

void TKelvoStream::Pause(std::int64_t bitTimes) {
    FClock.Restart();
    FClock.WaitUntil(bitTimes);
}

int TKelvoStream::Exchange() {
    FReplyPos = 0;
    if (FExpected == 0)
        FExpected = MaxReply;
    FTrace.TimeStamp = LinkTimeStamp();
    FTrace.Sent = FTrace.Echoed = FTrace.Replied = 0;
    if (!FLine)
        return ComNotOpen;
    if (FSendLength < 1 || FSendLength > SendBufferSize)
        return ComBadSendLength;
    if (FExpected < 1 || FExpected > MaxReply)
        return ComBadExpectedLength;
    // Whatever was left unread is about to be overwritten.
    FReadPos = FReadEnd = DataStart;

    int com = ComOk;
    const std::int64_t gap = ByteGap(FClock);
    int received = 0;
    // On a plain line the echo is back by the transmit end. Only a read that
    // began later and still found nothing tells of latency, and of no more
    // than its start: how long this side itself was kept from running cannot
    // count.
    std::int64_t emptyReadAt = -1;
    FLine->Purge(false);
    if (FTrace.ComResult != ComOk && !DiscardLateAnswer(gap))
        com = ComLineGone;
    FClock.Restart();
    FLastWrite = FClock;
    // Only once the last stop bit has left may the device drive the line.
    const std::int64_t transmitEnd = ByteTime * FSendLength + TransmitTail;
    FLastTransmitEnd = transmitEnd;
    const long written =
        com != ComOk ? 0 : FLine->Write(FSend, static_cast<std::size_t>(FSendLength));
    FTrace.Sent = static_cast<std::int32_t>(std::max<long>(written, 0));
    if (com != ComOk || written == LineGone) {
        com = ComLineGone;
    } else if (written < 0) {
        com = ComWriteFailed;
    } else if (written < FSendLength) {
        com = ComShortWrite;
    } else {
        FClock.WaitUntil(transmitEnd);
        if (!FLine->SetRts(false) || !FLine->SetDtr(true)) {
            com = ComLineControlFailed;
        } else {
            const std::int64_t overallDeadline = transmitEnd + ReplyByteAllowance * (FExpected + 1);
            std::int64_t readDeadline = transmitEnd + gap;
            // When the last bytes came in: behind an adapter the next ones
            // may follow only when its latency timer runs out again.
            std::int64_t lastBytesAt = transmitEnd;
            const int total = FSendLength + FExpected;
            enum { Echo, Header, Rest } phase = Echo;
            int wanted = FSendLength + 1;
            bool lastLook = false;
            while (received < total) {
                // A header may announce more data than a frame can hold: never
                // read past the expected total (nor the buffer behind it).
                wanted = std::min(wanted, total);
                // The bytes still wanted take their byte time each on the
                // line: no need to wake for every one of them. Never past the
                // read deadline.
                if (received > 0 && wanted - received > 1)
                    FClock.SleepUntil(
                        std::min(lastBytesAt + ByteTime * (wanted - received - 1), readDeadline));
                const std::int64_t readStart = received == 0 ? FClock.Elapsed(false) : 0;
                const long n =
                    FLine->Read(FReceive + received, static_cast<std::size_t>(wanted - received));
                if (n == LineGone) {
                    com = ComLineGone;
                    break;
                }
                if (n <= 0) {
                    if (received == 0)
                        emptyReadAt = readStart;
                    // Without a readable clock no deadline could ever pass.
                    const std::int64_t now = FClock.Elapsed(false);
                    if (now < 0)
                        break;
                    // On a line without latency the allowance is 0 and the
                    // deadlines are the plain ones.
                    const std::int64_t allow = FLatency.Allowance();
                    const std::int64_t readLimit =
                        allow == 0 ? readDeadline
                                   : std::max(readDeadline, lastBytesAt + gap) + allow;
                    if (now > overallDeadline + allow || now > readLimit) {
                        // This side may have been kept from running after the
                        // empty read while the device answered in time: look
                        // once more before giving up.
                        if (lastLook)
                            break;
                        lastLook = true;
                    }
                    continue;
                }
                lastLook = false;
                lastBytesAt = FClock.Elapsed(false);
                if (received == 0)
                    FLatency.FirstByteAfter(emptyReadAt < 0 ? 0 : emptyReadAt - transmitEnd);
                readDeadline += gap;
                received += static_cast<int>(n);
                if (received < wanted)
                    continue;
                if (phase == Echo) {
                    wanted = total;
                    phase = Rest;
                    FReplyPos = FSendLength;
                    const std::uint8_t reply = FReceive[FSendLength];
                    if (std::memcmp(FReceive, FSend, FSendLength) != 0) {
                        com = ComEchoDiffers;
                    } else if (FSendLength == 1 && FSend[0] == CodeConti && reply == CodeFinis) {
                        break;
                    } else if (reply == CodeStart &&
                               (FSend[0] == CodeStart || FSend[0] == CodeConti ||
                                FSend[0] == CodeRepim)) {
                        wanted = FSendLength + 2;
                        phase = Header;
                    }
                } else if (phase == Header) {
                    wanted = FSendLength + FrameOverhead + (FReceive[FSendLength + 1] & 0x1F);
                    phase = Rest;
                } else {
                    break;
                }
            }
            if (com != ComLineGone && received - std::min(received, FSendLength) == 0)
                com = ComNoReply;
        }
    }

    // A line whose device has gone is not touched again.
    if (com != ComLineGone) {
        FLine->SetRts(true);
        FLine->SetDtr(false);
    }
    FLastQuietAt = received == 0 ? emptyReadAt : -1;
    if (received == 0 && com != ComLineGone && FTrace.Sent > 0)
        FLatency.NothingCame();

    FTrace.ComResult = com;
    FTrace.Echoed = std::min(received, FSendLength);
    FTrace.Replied = received - FTrace.Echoed;
    FLog.Add(FTrace, FSend, FReceive, FReceive + FTrace.Echoed);
    FReplyPos = FTrace.Echoed;

    FTrace.StreamResult = com != ComOk ? StreamExchangeFailed : StreamOk;
    if (com != ComOk) {
        ++FFailed;
        FFailedRate.Event(1);
    } else {
        ++FGood;
        FGoodRate.Event(1);
    }
    if (com == ComLineGone) {
        FDisconnected = true;
        Close();
    }
    return com;
}

bool TKelvoStream::DiscardLateAnswer(std::int64_t gap) {
    // After a failed exchange the device may still be answering it; bytes that
    // come in now would be taken for the next echo and every retry would fail.
    // Wait until the line has been quiet for one byte gap, but no longer than
    // the longest answer takes. What has already come in is read before any
    // deadline is looked at, so a late wake-up cannot leave it behind.
    const std::int64_t latency = FLatency.Estimate();
    const std::int64_t limit = ByteTime * ReceiveBufferSize + gap + latency;
    unsigned char scrap[ReceiveBufferSize];
    FClock.Restart();
    std::int64_t quietUntil = gap + latency;
    // The last exchange found nothing until FLastQuietAt: bytes that come now
    // are its answer, held back at least that long.
    bool late = FLastQuietAt >= 0 && FLatency.Known();
    std::int64_t quietAt = FLastQuietAt;
    for (;;) {
        const std::int64_t readStart = late ? FLastWrite.Elapsed(false) : 0;
        const long n = FLine->Read(scrap, sizeof scrap);
        if (n == LineGone)
            return false;
        const std::int64_t now = FClock.Elapsed(false);
        if (now < 0 || now > limit)
            return true;
        if (n > 0) {
            // An answer that came only after its exchange gave up on it: the
            // adapter holds its bytes longer than the stream has learned.
            if (late)
                FLatency.FirstByteAfter(quietAt - FLastTransmitEnd);
            late = false;
            quietUntil = now + gap + latency;
        } else if (now > quietUntil) {
            return true;
        } else if (late) {
            quietAt = readStart;
        }
    }
}

int TKelvoStream::SendCode(std::uint8_t code, int expected) {
    FSend[0] = code;
    FSendLength = 1;
    if (expected >= 0)
        FExpected = expected;
    else
        FExpected = FTrace.StreamResult == StreamOk ? -expected : 0;
    Exchange();
    return FTrace.StreamResult;
}

int TKelvoStream::AcknowledgeFinis() {
    if (!FFinis)
        return FTrace.StreamResult;
    for (int attempt = 0; attempt < FinisAttempts; ++attempt) {
        SendCode(FFinis ? CodeFinis : CodeReady, -1);
        if (OneByteReply()) {
            const std::uint8_t reply = Reply()[0];
            FFinis = reply == CodeFinis;
            if (reply == CodeReady)
                return FTrace.StreamResult;
            FTrace.StreamResult = StreamFinisUnexpected;
        }
    }
    FTrace.StreamResult = StreamFinisFailed;
    return StreamFinisFailed;
}

int TKelvoStream::Handshake(std::uint8_t code) {
    FMessageCounter = 0;
    int busy = BusyBudget;
    int attempts = HandshakeAttempts;
    for (;;) {
        if (AcknowledgeFinis() >= 0 && FConversation)
            return 0;
        int pause = HandshakePause;
        SendCode(code, -1);
        if (FTrace.StreamResult == StreamOk) {
            if (FTrace.Replied == 1) {
                const std::uint8_t reply = Reply()[0];
                if (reply == code)
                    return 0;
                if (reply == CodeRepwt) {
                    if (--busy == 0) {
                        FTrace.StreamResult = StreamHandshakeBusyTooLong;
                        return StreamHandshakeBusyTooLong;
                    }
                    FTrace.StreamResult = StreamHandshakeBusy;
                    pause = BusyPause;
                    attempts = HandshakeAttempts;
                } else if (reply == CodeFinis) {
                    FFinis = true;
                    pause = 0;
                } else {
                    FTrace.StreamResult = StreamHandshakeUnexpected;
                }
            } else {
                FTrace.StreamResult = StreamHandshakeLongAnswer;
            }
        }
        Pause(pause);
        if (--attempts == 0) {
            FTrace.StreamResult = StreamHandshakeFailed;
            return StreamHandshakeFailed;
        }
    }
}

int TKelvoStream::BeginConversation() {
    if (!FConversation || FEofPending || FFinis) {
        if (Handshake(CodeReady) < 0) {
            FBroken = true;
            FConversation = false;
            return -1;
        }
    }
    ResetConversation();
    FConversation = true;
    return 0;
}

int TKelvoStream::EndConversation() {
    if (!FConversation)
        return 0;
    bool failed = false;
    if (FAssembly > DataStart && EndWrite() == -1)
        failed = true;
    if (Handshake(CodeAbort) < 0)
        failed = true;
    FConversation = false;
    return failed ? -1 : 0;
}

int TKelvoStream::BuildFrame() {
    const int n = FAssembly - DataStart;
    if (n < 1 || n > MaxFrameData)
        return -1;
    FSend[0] = CodeStart;
    FSend[1] = static_cast<unsigned char>((FMessageCounter * 32 + n) & 0xFF);
    const std::uint32_t crc = Crc24(FSend + 1, static_cast<std::size_t>(n) + 1);
    FSend[n + 2] = static_cast<unsigned char>(crc >> 16);
    FSend[n + 3] = static_cast<unsigned char>(crc >> 8);
    FSend[n + 4] = static_cast<unsigned char>(crc);
    FSendLength = n + FrameOverhead;
    return n;
}

int TKelvoStream::CheckFrame() {
    const int count = FTrace.Replied;
    const unsigned char* f = Reply();
    const int n = count - FrameOverhead;
    if (n < 1 || n > MaxFrameData)
        return StreamFrameBadLength;
    if (f[0] != CodeStart)
        return StreamFrameNoStart;
    if ((f[1] & 0x1F) != n)
        return StreamFrameCountDiffers;
    if (f[1] & 0x80)
        return StreamFrameHighBit;
    const std::uint32_t crc = Crc24(f + 1, static_cast<std::size_t>(n) + 1);
    const std::uint32_t found =
        (std::uint32_t{f[n + 2]} << 16) | (std::uint32_t{f[n + 3]} << 8) | f[n + 4];
    if (crc != found)
        return StreamFrameBadCrc;
    FReadPos = DataStart;
    FReadEnd = n + DataStart;
    return count;
}

int TKelvoStream::SendFrame() {
    if (FFinis)
        return 0;
    const int n = BuildFrame();
    if (n < 0) {
        FTrace.StreamResult = StreamNoFrameToSend;
        return StreamNoFrameToSend;
    }
    int attempts = FrameAttempts;
    int busy = BusyBudget;
    for (;;) {
        FExpected = FrameReplyLength;
        Exchange();
        if (OneByteReply()) {
            const std::uint8_t reply = Reply()[0];
            if (reply == CodeRepwt) {
                if (--busy == 0) {
                    FTrace.StreamResult = StreamSendBusyTooLong;
                    return StreamSendBusyTooLong;
                }
                FTrace.StreamResult = StreamSendBusy;
                Pause(BusyPause);
                attempts = FrameAttempts;
                continue;
            }
            if (reply == CodeConti) {
                ++FMessageCounter;
                break;
            }
            if (reply == CodeFinis) {
                FFinis = true;
                break;
            }
            if (reply == CodeAbort) {
                FConversation = false;
                return StreamSendAborted;
            }
            FTrace.StreamResult = StreamSendUnexpected;
        } else if (FTrace.StreamResult == StreamOk) {
            FTrace.StreamResult = CheckFrame();
            if (FTrace.StreamResult > 0) {
                if (Reply()[1] & 0xE0) {
                    FReadPos = FReadEnd = DataStart;
                    FTrace.StreamResult = StreamAnswerNumbered;
                    return StreamAnswerNumbered;
                }
                // The device answered with a frame of its own: its data are
                // readable now, and its numbering starts again.
                FMessageCounter = 0;
                break;
            }
        }
        if (--attempts == 0) {
            FTrace.StreamResult = StreamFrameNotAccepted;
            return StreamFrameNotAccepted;
        }
        Pause(RetryPause);
    }
    FTrace.StreamResult = n;
    return n;
}

int TKelvoStream::ExchangeConti() {
    FSend[0] = CodeConti;
    FSendLength = 1;
    FExpected = FrameReplyLength;
    return Exchange();
}

int TKelvoStream::ReceiveFrame() {
    FReadPos = FReadEnd = DataStart;
    if (FFinis)
        return 0;
    ExchangeConti();
    int attempts = FrameAttempts;
    int busy = BusyBudget;
    for (;;) {
        if (OneByteReply()) {
            const std::uint8_t reply = Reply()[0];
            if (reply == CodeRepwt) {
                if (--busy == 0) {
                    FTrace.StreamResult = StreamReceiveBusyTooLong;
                    return StreamReceiveBusyTooLong;
                }
                FTrace.StreamResult = StreamReceiveBusy;
                Pause(BusyPause);
                ExchangeConti();
                attempts = FrameAttempts;
                continue;
            }
            if (reply == CodeFinis) {
                FFinis = true;
                FTrace.StreamResult = StreamOk;
                return 0;
            }
            if (reply == CodeAbort) {
                FConversation = false;
                return StreamReceiveAborted;
            }
            FTrace.StreamResult = StreamReceiveUnexpected;
        } else if (FTrace.StreamResult == StreamOk) {
            FTrace.StreamResult = CheckFrame();
            if (FTrace.StreamResult > 0) {
                const int number = (Reply()[1] >> 5) & 3;
                if (number == (FMessageCounter & 3)) {
                    // The frame already taken came again: its answer to our
                    // CONTI was lost, so ask once more.
                    FReadPos = FReadEnd = DataStart;
                    if (--attempts == 0) {
                        FTrace.StreamResult = StreamFrameAgainTooOften;
                        return StreamFrameAgainTooOften;
                    }
                    FTrace.StreamResult = StreamFrameAgain;
                    Pause(RetryPause);
                    ExchangeConti();
                    continue;
                }
                ++FMessageCounter;
                if (number != (FMessageCounter & 3)) {
                    FReadPos = FReadEnd = DataStart;
                    FTrace.StreamResult = StreamFrameOutOfOrder;
                    return StreamFrameOutOfOrder;
                }
                FTrace.StreamResult = FReadEnd - DataStart;
                return FTrace.StreamResult;
            }
        }
        if (--attempts == 0) {
            FTrace.StreamResult = StreamNoFrameReceived;
            return StreamNoFrameReceived;
        }
        Pause(RetryPause);
        SendCode(CodeRepim, -1);
    }
}

int TKelvoStream::Flush() {
    if (!FConversation || FBroken)
        return -1;
    if (FAssembly > DataStart) {
        const int n = FAssembly - DataStart;
        if (SendFrame() != n)
            return -1;
        FAssembly = DataStart;
    } else if (HasUnread()) {
        FReadPos = FReadEnd = DataStart;
    }
    return 0;
}

int TKelvoStream::Fill() {
    if (!FConversation || FBroken)
        return -1;
    if (HasUnread())
        return Reply()[FReadPos];
    if (Flush() < 0)
        return -1;
    if (!HasUnread()) {
        const int r = ReceiveFrame();
        if (r < 0)
            return -1;
        FAssembly = DataStart;
        if (r == 0)
            return -1;
    }
    return Reply()[FReadPos];
}

void TKelvoStream::EndOfData() {
    // The first end of the device's data is reported once; any further one, and
    // any failure, breaks the conversation.
    if (FFinis && !FEofPending)
        FEofPending = true;
    else
        FBroken = true;
}

int TKelvoStream::EndWrite() {
    if (Flush() == -1) {
        EndOfData();
        return -1;
    }
    return 0;
}

bool TKelvoStream::PutByte(std::uint8_t b) {
    if (FAssembly >= AssemblyFull)
        EndWrite();
    // A frame the device did not take leaves no room: the byte is refused
    // rather than parked where it would never be sent.
    if (FBroken || FAssembly >= AssemblyFull)
        return false;
    FSend[FAssembly++] = b;
    return true;
}

int TKelvoStream::PeekByte() {
    if (FBroken)
        return -1;
    if (!HasUnread() && Fill() == -1) {
        EndOfData();
        return -1;
    }
    return Reply()[FReadPos];
}

int TKelvoStream::GetByte() {
    const int c = PeekByte();
    if (c != -1)
        ++FReadPos;
    return c;
}

std::int32_t TKelvoStream::Write(const void* buffer, std::int32_t count) {
    if (!buffer || count <= 0)
        return 0;
    const auto* bytes = static_cast<const std::uint8_t*>(buffer);
    std::int32_t put = 0;
    while (put < count && PutByte(bytes[put]))
        ++put;
    return put;
}

std::int32_t TKelvoStream::Read(void* buffer, std::int32_t count) {
    if (!buffer || count <= 0 || FBroken)
        return 0;
    auto* out = static_cast<std::uint8_t*>(buffer);
    std::int32_t done = std::min(count, FReadEnd - FReadPos);
    if (done > 0) {
        std::memcpy(out, Reply() + FReadPos, static_cast<std::size_t>(done));
        FReadPos += done;
    } else {
        done = 0;
    }
    while (done < count) {
        const int c = GetByte();
        if (c == -1)
            break;
        out[done++] = static_cast<std::uint8_t>(c);
    }
    return done;
}

std::int64_t TKelvoStream::Seek(std::int64_t, int) {
    throw Exception("Invalid operation on TKelvoStream!");
}

} // namespace kelvo
