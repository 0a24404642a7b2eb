// The protocol's numbers by name: every name keeps the number the device, the
// transfer log and the tools know it by, and every result has its words.
#include "devicelink/kelvostream.h"
#include "devicelink/protocol.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

using namespace kelvo;

TEST(Protocol, ControlCodesAndFrames) {
    EXPECT_EQ(CodeReady, 0x74);
    EXPECT_EQ(CodeAbort, 0x69);
    EXPECT_EQ(CodeStart, 0x9D);
    EXPECT_EQ(CodeFinis, 0xA7);
    EXPECT_EQ(CodeConti, 0xBA);
    EXPECT_EQ(CodeRepim, 0xCE);
    EXPECT_EQ(CodeRepwt, 0xD3);
    EXPECT_STREQ(ControlCodeName(CodeRepwt), "REPWT");
    EXPECT_STREQ(ControlCodeName(0x00), "Undefined");
    EXPECT_EQ(FrameOverhead, 5);
    EXPECT_EQ(MaxFrameData, 28);
    EXPECT_EQ(FrameReplyLength, 33);
}

TEST(Protocol, AttemptsPausesAndTiming) {
    EXPECT_EQ(FrameAttempts, 4);
    EXPECT_EQ(HandshakeAttempts, 16);
    EXPECT_EQ(FinisAttempts, 4);
    EXPECT_EQ(BusyBudget, 100);
    EXPECT_EQ(RetryPause, 10);
    EXPECT_EQ(HandshakePause, 40);
    EXPECT_EQ(BusyPause, 320);
    EXPECT_EQ(ByteTime, 10);
    EXPECT_EQ(TransmitTail, 11);
    EXPECT_EQ(ReplyByteAllowance, 40);
    EXPECT_EQ(ByteGapMillis, 2);
    EXPECT_EQ(MinByteGap, 40);
}

TEST(Protocol, ComResults) {
    const std::vector<std::pair<int, int>> named = {
        {ComOk, 0},
        {ComNotOpen, -1},
        {ComBadSendLength, -2},
        {ComBadExpectedLength, -3},
        {ComWriteFailed, -13},
        {ComShortWrite, -14},
        {ComNoReply, -15},
        {ComLineGone, -16},
        {ComLineControlFailed, -17},
        {ComEchoDiffers, -102},
    };
    for (const auto& [name, number] : named) {
        EXPECT_EQ(name, number);
        EXPECT_STRNE(ComResultText(name), "unknown result") << number;
    }
    EXPECT_EQ(TKelvoStream::ComLineGone, -16);
    EXPECT_STREQ(ComResultText(ComNoReply), "no reply byte");
    EXPECT_STREQ(ComResultText(-4), "unknown result");
    EXPECT_STREQ(ComResultText(1), "unknown result");
}

TEST(Protocol, StreamResults) {
    const std::vector<std::pair<int, int>> named = {
        {StreamOk, 0},
        {StreamExchangeFailed, -1},
        {StreamFinisUnexpected, -12},
        {StreamFinisFailed, -13},
        {StreamHandshakeFailed, -111},
        {StreamHandshakeBusy, -120},
        {StreamHandshakeBusyTooLong, -121},
        {StreamHandshakeUnexpected, -122},
        {StreamHandshakeLongAnswer, -130},
        {StreamNoFrameToSend, -201},
        {StreamFrameNotAccepted, -211},
        {StreamSendBusy, -220},
        {StreamSendBusyTooLong, -221},
        {StreamSendAborted, -222},
        {StreamSendUnexpected, -223},
        {StreamAnswerNumbered, -232},
        {StreamNoFrameReceived, -311},
        {StreamReceiveBusy, -320},
        {StreamReceiveBusyTooLong, -321},
        {StreamReceiveUnexpected, -321},
        {StreamReceiveAborted, -322},
        {StreamFrameAgain, -330},
        {StreamFrameAgainTooOften, -331},
        {StreamFrameOutOfOrder, -332},
        {StreamFrameBadLength, -910},
        {StreamFrameNoStart, -911},
        {StreamFrameCountDiffers, -912},
        {StreamFrameHighBit, -913},
        {StreamFrameBadCrc, -914},
    };
    for (const auto& [name, number] : named) {
        EXPECT_EQ(name, number);
        EXPECT_STRNE(StreamResultText(name), "unknown result") << number;
        EXPECT_EQ(FrameCheckFailed(name), number <= -910 && number >= -914) << number;
    }
    EXPECT_STREQ(StreamResultText(StreamHandshakeFailed), "handshake failed 16 times");
    EXPECT_STREQ(StreamResultText(28), "a frame's data bytes");
    EXPECT_STREQ(StreamResultText(-909), "unknown result");
    EXPECT_STREQ(StreamResultText(-915), "unknown result");
    EXPECT_FALSE(FrameCheckFailed(-909));
    EXPECT_FALSE(FrameCheckFailed(-915));
    // The two kinds share numbers with different meanings.
    EXPECT_STRNE(ComResultText(-13), StreamResultText(-13));
}
