#pragma once
// The numbers of the device line's protocol in one place: the one-byte
// control codes and the names the transfer log prints for them, the frame
// sizes, the attempts and pauses of the protocol's steps, the timing on the
// line, and the result codes of an exchange and of a step with words for
// each of them.
#include <cstdint>

namespace kelvo {

enum TControlCode : std::uint8_t {
    CodeReady = 0x74, // idle; opens a conversation
    CodeAbort = 0x69, // closes a conversation, or the device dropped it
    CodeStart = 0x9D, // first byte of a data frame
    CodeFinis = 0xA7, // end of data
    CodeConti = 0xBA, // continue: send the next frame / frame accepted
    CodeRepim = 0xCE, // repeat the last frame at once
    CodeRepwt = 0xD3, // busy: wait and send the same message again
};

// "START", "READY", ... and "Undefined" for any other byte.
const char* ControlCodeName(std::uint8_t code);

// A data frame carries 1 to 28 bytes behind START and the header, followed by
// a CRC-24 of the header and the data, most significant byte first.
constexpr int FrameOverhead = 5;
constexpr int MaxFrameData = 28;
// The reply a frame exchange waits for: at most a whole frame.
constexpr int FrameReplyLength = 33;

// How often a step tries before it gives up: a frame sent or asked for, the
// READY or ABORT handshake, and the acknowledgement of FINIS. A busy device
// (REPWT) does not use up attempts but a budget of its own.
constexpr int FrameAttempts = 4;
constexpr int HandshakeAttempts = 16;
constexpr int FinisAttempts = 4;
constexpr int BusyBudget = 100;

// The pauses between two attempts, in bit times: after a failed frame, after a
// handshake the device did not answer in kind, and while the device is busy.
constexpr int RetryPause = 10;
constexpr int HandshakePause = 40;
constexpr int BusyPause = 320;

// Timing on the line, in bit times. A byte takes 10 of them (start bit, eight
// data bits, stop bit). The last stop bit of a message of n bytes has left
// 10 n + 11 bit times after the clock's restart before its write; only then
// may the device drive the line. An exchange waits for the whole of its answer
// no longer than 40 bit times for each byte expected and one more.
constexpr int ByteTime = 10;
constexpr int TransmitTail = 11;
constexpr int ReplyByteAllowance = 40;
// The longest silence between two reply bytes: 2 ms, at least 40 bit times.
constexpr int ByteGapMillis = 2;
constexpr int MinByteGap = 40;

// How one exchange on the line ended (the stream's ComResult). An exchange
// that could not start answers NotOpen, BadSendLength or BadExpectedLength
// and changes no result.
enum TComResult : int {
    ComOk = 0,
    ComNotOpen = -1,
    ComBadSendLength = -2,
    ComBadExpectedLength = -3,
    ComWriteFailed = -13,
    ComShortWrite = -14,
    ComNoReply = -15,  // also when the echo is incomplete
    ComLineGone = -16, // the device has gone from the line
    ComLineControlFailed = -17,
    ComEchoDiffers = -102,
};

// The result of the last protocol step (the stream's StreamResult): 0 for
// success, a positive byte count after a frame step, or one of these.
enum TStreamResult : int {
    StreamOk = 0,
    StreamExchangeFailed = -1,
    StreamFinisUnexpected = -12,
    StreamFinisFailed = -13,
    StreamHandshakeFailed = -111,
    StreamHandshakeBusy = -120,
    StreamHandshakeBusyTooLong = -121,
    StreamHandshakeUnexpected = -122,
    StreamHandshakeLongAnswer = -130,
    StreamNoFrameToSend = -201,
    StreamFrameNotAccepted = -211,
    StreamSendBusy = -220,
    StreamSendBusyTooLong = -221,
    StreamSendAborted = -222, // returned, not stored
    StreamSendUnexpected = -223,
    StreamAnswerNumbered = -232,
    StreamNoFrameReceived = -311,
    StreamReceiveBusy = -320,
    // One code for two endings: the device stayed busy, or it answered CONTI
    // with a code that means nothing there.
    StreamReceiveBusyTooLong = -321,
    StreamReceiveUnexpected = -321,
    StreamReceiveAborted = -322, // returned, not stored
    StreamFrameAgain = -330,
    StreamFrameAgainTooOften = -331,
    StreamFrameOutOfOrder = -332,
    // The frame check of a received frame.
    StreamFrameBadLength = -910,
    StreamFrameNoStart = -911,
    StreamFrameCountDiffers = -912,
    StreamFrameHighBit = -913,
    StreamFrameBadCrc = -914,
};

// True for the results of a failed frame check.
constexpr bool FrameCheckFailed(int streamResult) {
    return streamResult <= StreamFrameBadLength && streamResult >= StreamFrameBadCrc;
}

// What a result means, in a few words ("no reply byte", "handshake failed 16
// times", ...). The two kinds of result share some numbers, so each has its
// own function; a number that is not a result of its kind gives "unknown
// result", a positive StreamResult "a frame's data bytes".
const char* ComResultText(int comResult);
const char* StreamResultText(int streamResult);

} // namespace kelvo
