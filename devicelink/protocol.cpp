#include "devicelink/protocol.h"

namespace kelvo {

const char* ControlCodeName(std::uint8_t code) {
    switch (code) {
    case CodeStart:
        return "START";
    case CodeFinis:
        return "FINIS";
    case CodeConti:
        return "CONTI";
    case CodeRepim:
        return "REPIM";
    case CodeRepwt:
        return "REPWT";
    case CodeAbort:
        return "ABORT";
    case CodeReady:
        return "READY";
    default:
        return "Undefined";
    }
}

const char* ComResultText(int comResult) {
    switch (comResult) {
    case ComOk:
        return "success";
    case ComNotOpen:
        return "the port is not open";
    case ComBadSendLength:
        return "no message to send, or one too long";
    case ComBadExpectedLength:
        return "bad length of the expected reply";
    case ComWriteFailed:
        return "write failed";
    case ComShortWrite:
        return "not all bytes written";
    case ComNoReply:
        return "no reply byte";
    case ComLineGone:
        return "the device has gone from the line";
    case ComLineControlFailed:
        return "line control failed";
    case ComEchoDiffers:
        return "echo differs from the bytes sent";
    default:
        return "unknown result";
    }
}

const char* StreamResultText(int streamResult) {
    if (streamResult > 0)
        return "a frame's data bytes";
    switch (streamResult) {
    case StreamOk:
        return "success";
    case StreamExchangeFailed:
        return "the last exchange failed";
    case StreamFinisUnexpected:
        return "unexpected answer to a FINIS acknowledgement";
    case StreamFinisFailed:
        return "FINIS acknowledgement failed 4 times";
    case StreamHandshakeFailed:
        return "handshake failed 16 times";
    case StreamHandshakeBusy:
        return "device busy during the handshake";
    case StreamHandshakeBusyTooLong:
        return "device busy 100 times during the handshake";
    case StreamHandshakeUnexpected:
        return "unexpected one-byte answer to the handshake";
    case StreamHandshakeLongAnswer:
        return "answer of more than one byte to the handshake";
    case StreamNoFrameToSend:
        return "no frame to send";
    case StreamFrameNotAccepted:
        return "frame not accepted after 4 attempts";
    case StreamSendBusy:
        return "device busy while sending";
    case StreamSendBusyTooLong:
        return "device busy 100 times while sending";
    case StreamSendAborted:
        return "device aborted while sending";
    case StreamSendUnexpected:
        return "unexpected code answering a frame";
    case StreamAnswerNumbered:
        return "device answered with a frame numbered other than 0";
    case StreamNoFrameReceived:
        return "no frame received after 4 attempts";
    case StreamReceiveBusy:
        return "device busy while receiving";
    case StreamReceiveBusyTooLong: // also StreamReceiveUnexpected
        return "device busy 100 times while receiving, or unexpected code answering CONTI";
    case StreamReceiveAborted:
        return "device aborted while receiving";
    case StreamFrameAgain:
        return "a frame came again";
    case StreamFrameAgainTooOften:
        return "a frame came again 4 times";
    case StreamFrameOutOfOrder:
        return "frame number out of order";
    case StreamFrameBadLength:
        return "frame check: no data, or more than 28 bytes";
    case StreamFrameNoStart:
        return "frame check: the frame does not begin with START";
    case StreamFrameCountDiffers:
        return "frame check: the header's byte count differs from the length";
    case StreamFrameHighBit:
        return "frame check: the header's bit 7 is set";
    case StreamFrameBadCrc:
        return "frame check: CRC mismatch";
    default:
        return "unknown result";
    }
}

} // namespace kelvo
