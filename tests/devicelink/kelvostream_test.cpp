// The device stream against a scripted line: framing, numbering, busy and
// lost replies, end of data, and the conversation handshake.
#include "devicelink/kelvocommand.h"
#include "devicelink/kelvostream.h"
#include "foundation/exception.h"
#include "scripted_line.h"
#include "stream_test_support.h"

#include <gtest/gtest.h>

using namespace kelvo;
using namespace kelvo::test;

namespace {

constexpr unsigned char READY = 0x74, ABORT = 0x69, START = 0x9D, FINIS = 0xA7, CONTI = 0xBA,
                        REPIM = 0xCE, REPWT = 0xD3;

class StreamTest : public ::testing::Test {
protected:
    std::shared_ptr<TScriptedLineState> L = std::make_shared<TScriptedLineState>();
    TKelvoStream S{3, 115200, ScriptedOpener(L)};

    void SetUp() override { ASSERT_TRUE(S.Open(3, 115200)); }
    void Converse() {
        L->ReplyCode(READY);
        ASSERT_EQ(S.BeginConversation(), 0);
    }
    std::vector<TTraceRecord> Records() const { return TraceRecords(S.Log()); }
    TBytes ReadBytes(int count) {
        TBytes b(static_cast<std::size_t>(count));
        b.resize(static_cast<std::size_t>(S.Read(b.data(), count)));
        return b;
    }
};

TEST_F(StreamTest, ExchangeResultsAndTrace) {
    // Closed port: nothing happens, nothing is recorded.
    TKelvoStream closed(3, 115200, ScriptedOpener(L));
    EXPECT_EQ(closed.SendCode(READY, 1), 0);
    EXPECT_EQ(closed.Log().Count(), 0);
    EXPECT_EQ(closed.GoodExchanges() + closed.FailedExchanges(), 0);

    L->ReplyCode(READY);
    EXPECT_EQ(S.SendCode(READY, 1), 0);
    EXPECT_EQ(S.ReplyCount(), 1);

    // Echo differs from what was sent.
    L->Replies.push_back({{READY}, true, true});
    EXPECT_EQ(S.SendCode(READY, 1), StreamExchangeFailed);
    EXPECT_EQ(S.ComResult(), ComEchoDiffers);

    L->Silence();
    EXPECT_EQ(S.SendCode(READY, 1), StreamExchangeFailed);
    EXPECT_EQ(S.ComResult(), ComNoReply);

    L->FailWrite = true;
    EXPECT_EQ(S.SendCode(READY, 1), StreamExchangeFailed);
    EXPECT_EQ(S.ComResult(), ComWriteFailed);
    L->FailWrite = false;

    EXPECT_EQ(S.GoodExchanges(), 1);
    EXPECT_EQ(S.FailedExchanges(), 3);
    const auto r = Records();
    ASSERT_EQ(r.size(), 4u);
    EXPECT_EQ(r[0].Sent, TBytes{READY});
    EXPECT_EQ(r[0].Echo, TBytes{READY});
    EXPECT_EQ(r[0].Reply, TBytes{READY});
    // Each record carries the protocol result that stood before its exchange.
    EXPECT_EQ(r[2].Header.StreamResult, StreamExchangeFailed);
    EXPECT_EQ(r[2].Header.ComResult, ComNoReply);
    EXPECT_EQ(r[3].Header.Sent, 0);
}

TEST_F(StreamTest, NegativeExpectedLengthWaitsLongerAfterFailure) {
    L->Silence();
    S.SendCode(READY, -1);
    ASSERT_EQ(S.StreamResult(), StreamExchangeFailed);
    // After a failure up to 35 bytes are collected...
    L->Reply({READY, READY});
    EXPECT_EQ(S.SendCode(READY, -1), 0);
    EXPECT_EQ(S.ReplyCount(), 2);
    // ...after success only the one asked for.
    L->Reply({READY, READY});
    EXPECT_EQ(S.SendCode(READY, -1), 0);
    EXPECT_EQ(S.ReplyCount(), 1);
}

TEST_F(StreamTest, LateAnswerToAFailedExchangeIsDiscarded) {
    L->Silence();
    ASSERT_EQ(S.SendCode(READY, 1), StreamExchangeFailed);
    // The device answers after all, once the next exchange has begun: those
    // bytes must not be taken for its echo.
    L->Late = {0x55, 0x66, 0x77};
    L->ReplyCode(READY);
    EXPECT_EQ(S.SendCode(READY, 1), 0);
    EXPECT_EQ(S.ComResult(), 0);
    EXPECT_EQ(Records().back().Echo, TBytes{READY});
}

TEST_F(StreamTest, AnswerThatCameWhileThisSideWasHeldUpIsTaken) {
    // The device answers in time, but this side only gets to look again long
    // after every deadline: what has come in by then is still the answer.
    L->AnswerWhileAway = true;
    L->ReplyCode(READY);
    EXPECT_EQ(S.SendCode(READY, 1), 0);
    EXPECT_EQ(S.ComResult(), 0);
    EXPECT_EQ(Records().back().Reply, TBytes{READY});

    // A device that stays silent still fails the exchange.
    L->Silence();
    EXPECT_EQ(S.SendCode(READY, 1), StreamExchangeFailed);
    EXPECT_EQ(S.ComResult(), ComNoReply);
}

struct TBadFrame {
    const char* Name;
    TBytes Reply;
    int Code;
};

class FrameCheckTest : public StreamTest, public ::testing::WithParamInterface<TBadFrame> {};

TEST_P(FrameCheckTest, BadFrameIsAskedForAgain) {
    Converse();
    L->Reply(GetParam().Reply);       // answer to CONTI
    L->Reply(Frame(1, {0x42, 0x43})); // answer to REPIM
    EXPECT_EQ(ReadBytes(2), (TBytes{0x42, 0x43}));
    const auto r = Records();
    ASSERT_EQ(r.size(), 3u);
    EXPECT_EQ(r[1].Sent, TBytes{CONTI});
    EXPECT_EQ(r[2].Sent, TBytes{REPIM});
    EXPECT_EQ(r[2].Header.StreamResult, GetParam().Code);
    EXPECT_EQ(S.MessageCounter(), 1);
}

TBytes WithFlippedCrc(TBytes f) {
    f.back() ^= 0x01;
    return f;
}

INSTANTIATE_TEST_SUITE_P(
    Frames, FrameCheckTest,
    ::testing::Values(TBadFrame{"NoData", Frame(1, {}), StreamFrameBadLength},
                      TBadFrame{"NotStart", {0x55, 0x22, 0x41, 0x42, 1, 2, 3}, StreamFrameNoStart},
                      TBadFrame{"ShortOfHeaderCount",
                                {START, 0x25, 0x41, 0x42, 0x43, 1, 2, 3},
                                StreamFrameCountDiffers},
                      TBadFrame{"HighBitSet", Frame(1, {0x41, 0x42}, 0xA0), StreamFrameHighBit},
                      TBadFrame{"BadCrc", WithFlippedCrc(Frame(1, {0x41, 0x42})),
                                StreamFrameBadCrc}),
    [](const auto& info) { return std::string(info.param.Name); });

TEST_F(StreamTest, OverlongHeaderNeverReadsPastTheReply) {
    Converse();
    TBytes junk{START, 0x1F};
    junk.insert(junk.end(), 40, 0xEE);
    for (int i = 0; i < 4; ++i)
        L->Reply(junk);
    EXPECT_EQ(ReadBytes(4).size(), 0u);
    EXPECT_EQ(S.StreamResult(), StreamNoFrameReceived);
    EXPECT_TRUE(S.Broken());
    const auto r = Records();
    ASSERT_EQ(r.size(), 5u);
    EXPECT_EQ(r[1].Reply.size(), 33u); // CONTI expects at most one frame of 28
    EXPECT_EQ(r[2].Header.StreamResult, StreamFrameCountDiffers);
    EXPECT_EQ(r[2].Reply.size(), 35u); // REPIM after a failure takes up to 35
    EXPECT_EQ(r[3].Header.StreamResult, StreamFrameBadLength);
}

TEST_F(StreamTest, ReadCommandWithContiAnswers) {
    const TBytes answer{0x81, 0x01, 0x10, 0x00, 0x00, 0x11, 0x22, 0x33, 0x44};
    L->ReplyCode(READY); // handshake
    L->ReplyCode(CONTI); // command frame taken
    L->Reply(Frame(2, answer));
    L->ReplyCode(FINIS); // no more data
    TKelvoCommand cmd(S, 0x81, 3);
    cmd.Arg(0x1001);
    ASSERT_FALSE(cmd.Send());
    EXPECT_EQ(S.MessageCounter(), 2);
    EXPECT_EQ(ReadBytes(6), (TBytes{0x00, 0x00, 0x11, 0x22, 0x33, 0x44}));
    EXPECT_FALSE(cmd.Finish());
    EXPECT_TRUE(S.Finis());
    EXPECT_TRUE(S.EofPending());
    EXPECT_EQ(L->Written[1], Frame(0, {0x81, 0x01, 0x10}));

    // The next conversation first acknowledges the device's FINIS.
    L->ReplyCode(READY);
    EXPECT_EQ(S.BeginConversation(), 0);
    EXPECT_FALSE(S.Finis());
    EXPECT_FALSE(S.EofPending());
    EXPECT_EQ(L->Codes(), (std::vector<unsigned char>{READY, START, CONTI, CONTI, FINIS}));
}

TEST_F(StreamTest, FrameAnswersAreNumberedFromZero) {
    TBytes first(28), second{0x61, 0x62, 0x63};
    for (int i = 0; i < 28; ++i)
        first[i] = static_cast<unsigned char>(i);
    first[0] = 0x91; // the acknowledged command byte
    L->ReplyCode(READY);
    L->Reply(Frame(0, first));
    L->Reply(Frame(1, second));
    L->ReplyCode(FINIS);
    TKelvoCommand cmd(S, 0x91, 1);
    ASSERT_FALSE(cmd.Send());
    EXPECT_EQ(S.MessageCounter(), 0);
    TBytes got = ReadBytes(40);
    ASSERT_EQ(got.size(), 30u); // 27 after the acknowledged byte, then 3
    EXPECT_EQ(got[26], 27);
    EXPECT_EQ(got[27], 0x61);
    EXPECT_TRUE(S.EofPending());
    EXPECT_FALSE(cmd.Finish());
}

TEST_F(StreamTest, NumberingFaults) {
    // A frame that skips a number breaks the conversation, and its data are not
    // delivered.
    Converse();
    L->Reply(Frame(2, {1, 2, 3}));
    EXPECT_EQ(ReadBytes(3).size(), 0u);
    EXPECT_EQ(S.StreamResult(), StreamFrameOutOfOrder);
    EXPECT_TRUE(S.Broken());
    EXPECT_EQ(ReadBytes(3).size(), 0u);

    // A device that answers our frame with a frame numbered other than 0. The
    // conversation is still open, so no handshake is needed to start again.
    ASSERT_EQ(S.BeginConversation(), 0);
    EXPECT_FALSE(S.Broken());
    L->Reply(Frame(1, {9}));
    const unsigned char b = 5;
    EXPECT_EQ(S.Write(&b, 1), 1);
    EXPECT_EQ(S.EndWrite(), -1);
    EXPECT_EQ(S.StreamResult(), StreamAnswerNumbered);
    EXPECT_EQ(ReadBytes(1).size(), 0u);
}

TEST_F(StreamTest, RepeatedFrameIsAskedForOnce) {
    Converse();
    L->Reply(Frame(1, {1, 2}));
    L->Reply(Frame(1, {1, 2})); // our CONTI was not heard: the same frame again
    L->Reply(Frame(2, {3}));
    EXPECT_EQ(ReadBytes(3), (TBytes{1, 2, 3}));
    EXPECT_EQ(Records()[3].Header.StreamResult, StreamFrameAgain);

    ASSERT_EQ(S.BeginConversation(), 0);
    for (int i = 0; i < 4; ++i)
        L->Reply(Frame(2, {7}));
    EXPECT_EQ(ReadBytes(1).size(), 0u);
    EXPECT_EQ(S.StreamResult(), StreamFrameAgainTooOften);
    EXPECT_TRUE(S.Broken());
}

TEST_F(StreamTest, BusyDeviceIsWaitedFor) {
    L->ReplyCode(REPWT);
    L->ReplyCode(REPWT);
    L->ReplyCode(READY);
    ASSERT_EQ(S.BeginConversation(), 0);
    EXPECT_EQ(Records()[2].Header.StreamResult, StreamHandshakeBusy);

    L->ReplyCode(REPWT);
    L->ReplyCode(CONTI);
    const unsigned char data[] = {1, 2};
    S.Write(data, 2);
    EXPECT_EQ(S.EndWrite(), 0);
    ASSERT_EQ(L->Written.size(), 5u);
    EXPECT_EQ(L->Written[3], L->Written[4]);
    EXPECT_EQ(S.MessageCounter(), 1);

    L->ReplyCode(REPWT);
    L->Reply(Frame(2, {4}));
    EXPECT_EQ(ReadBytes(1), TBytes{4});
    EXPECT_EQ(L->Written.back(), TBytes{CONTI});
}

TEST_F(StreamTest, EndlesslyBusyDeviceFailsTheHandshake) {
    for (int i = 0; i < 100; ++i)
        L->ReplyCode(REPWT);
    EXPECT_EQ(S.BeginConversation(), -1);
    EXPECT_EQ(S.StreamResult(), StreamHandshakeBusyTooLong);
    EXPECT_TRUE(S.Broken());
    EXPECT_EQ(L->Written.size(), 100u);
}

TEST_F(StreamTest, LostAndDamagedRepliesAreRepeated) {
    Converse();
    L->Silence();        // answer to the frame lost
    L->ReplyCode(CONTI); // the same frame again
    const unsigned char data[] = {0x10, 0x20};
    S.Write(data, 2);
    EXPECT_EQ(S.EndWrite(), 0);
    ASSERT_EQ(L->Written.size(), 3u);
    EXPECT_EQ(L->Written[1], L->Written[2]);

    // A damaged answer frame: the frame is sent again and the answer repeated.
    L->Reply(WithFlippedCrc(Frame(0, {0x55})));
    L->Reply(Frame(0, {0x55}));
    S.Write(data, 2);
    EXPECT_EQ(ReadBytes(1), TBytes{0x55});
    EXPECT_EQ(L->Written[3], L->Written[4]);
    EXPECT_EQ(L->Written[3][1] >> 5, 1); // numbered after the CONTI above
}

TEST_F(StreamTest, FrameNotTakenFourTimesBreaks) {
    Converse();
    for (int i = 0; i < 4; ++i)
        L->ReplyCode(0x00);
    const unsigned char b = 1;
    S.Write(&b, 1);
    EXPECT_EQ(S.EndWrite(), -1);
    EXPECT_EQ(S.StreamResult(), StreamFrameNotAccepted);
    EXPECT_TRUE(S.Broken());
    EXPECT_EQ(S.Write(&b, 1), 0);
    // The next conversation starts clean.
    EXPECT_EQ(S.BeginConversation(), 0);
    EXPECT_FALSE(S.Broken());
}

TEST_F(StreamTest, TwentyNinthByteWaitsForEndWrite) {
    Converse();
    L->ReplyCode(CONTI);
    L->ReplyCode(CONTI);
    TBytes data(29, 0x30);
    EXPECT_EQ(S.Write(data.data(), 29), 29);
    ASSERT_EQ(L->Written.size(), 2u);
    EXPECT_EQ(L->Written[1].size(), 33u);
    EXPECT_EQ(L->Written[1][1], 28);
    EXPECT_EQ(S.EndWrite(), 0);
    ASSERT_EQ(L->Written.size(), 3u);
    EXPECT_EQ(L->Written[2], Frame(1, {0x30}));
    // Nothing under construction: EndWrite sends nothing.
    EXPECT_EQ(S.EndWrite(), 0);
    EXPECT_EQ(L->Written.size(), 3u);

    // Ending the conversation sends what is still waiting.
    L->ReplyCode(CONTI);
    EXPECT_EQ(S.Write(data.data(), 3), 3);
    EXPECT_EQ(S.EndConversation(), 0);
    ASSERT_EQ(L->Written.size(), 4u);
    EXPECT_EQ(L->Written[3], Frame(2, {0x30, 0x30, 0x30}));
}

TEST_F(StreamTest, BytesTheDeviceCannotTakeAreNotCounted) {
    // The device takes the first frame but wants no further one.
    Converse();
    L->ReplyCode(FINIS);
    TBytes data(60, 0x31);
    // 28 bytes go out, 28 more fill the assembly area; the next has no room.
    EXPECT_EQ(S.Write(data.data(), 60), 56);
    EXPECT_EQ(L->Written.size(), 2u);
    EXPECT_TRUE(S.EofPending());
    EXPECT_FALSE(S.Broken());
    // The bytes held back never reach the device: that is a failure.
    EXPECT_EQ(S.EndWrite(), -1);
    EXPECT_TRUE(S.Broken());
    EXPECT_EQ(L->Written.size(), 2u);
}

TEST_F(StreamTest, EndOfDataIsReportedOnceThenBreaks) {
    Converse();
    L->Reply(Frame(1, {1, 2, 3}));
    L->ReplyCode(FINIS);
    EXPECT_EQ(ReadBytes(10).size(), 3u);
    EXPECT_TRUE(S.EofPending());
    EXPECT_FALSE(S.Broken());
    EXPECT_EQ(S.PeekByte(), -1);
    EXPECT_TRUE(S.Broken());
    EXPECT_EQ(L->Codes().back(), CONTI); // FINIS ended it: no further byte sent
    EXPECT_EQ(L->Written.size(), 3u);
}

TEST_F(StreamTest, FinishFailsWhenMoreDataFollow) {
    L->ReplyCode(READY);
    L->Reply(Frame(0, {0x81, 0x01, 0x10, 0, 0, 1, 2, 3, 4}));
    TKelvoCommand cmd(S, 0x81, 3);
    cmd.Arg(0x1001);
    ASSERT_FALSE(cmd.Send());
    EXPECT_TRUE(cmd.Finish()); // the caller read nothing of the value
}

TEST_F(StreamTest, HandshakeAnswers) {
    // FINIS to READY is acknowledged before READY is tried again.
    L->ReplyCode(FINIS);
    L->ReplyCode(READY); // to the acknowledging FINIS
    L->ReplyCode(0x00);  // unexpected code
    L->Reply({READY, READY});
    L->ReplyCode(READY);
    ASSERT_EQ(S.BeginConversation(), 0);
    EXPECT_EQ(L->Codes(), (std::vector<unsigned char>{READY, FINIS, READY, READY, READY}));
    const auto r = Records();
    EXPECT_EQ(r[3].Header.StreamResult, StreamHandshakeUnexpected);
    EXPECT_EQ(r[4].Header.StreamResult, StreamHandshakeLongAnswer);

    // A healthy conversation ends without a byte; a failed one with ABORT.
    const std::size_t written = L->Written.size();
    EXPECT_EQ(S.EndConversation(), 0);
    EXPECT_EQ(L->Written.size(), written);
    Converse();
    L->Silence();
    S.SendCode(CONTI, 1);
    L->ReplyCode(ABORT);
    EXPECT_EQ(S.EndConversation(), 0);
    EXPECT_EQ(L->Codes().back(), ABORT);
    EXPECT_FALSE(S.Conversation());
}

TEST_F(StreamTest, SilentDeviceFailsTheHandshake) {
    EXPECT_EQ(S.BeginConversation(), -1);
    EXPECT_EQ(S.StreamResult(), StreamHandshakeFailed);
    EXPECT_EQ(L->Written.size(), 16u);
}

TEST_F(StreamTest, DeviceAbortEndsTheConversation) {
    Converse();
    L->ReplyCode(ABORT);
    const unsigned char b = 1;
    S.Write(&b, 1);
    EXPECT_EQ(S.EndWrite(), -1);
    EXPECT_FALSE(S.Conversation());
    EXPECT_TRUE(S.Broken());
}

TEST_F(StreamTest, OpeningAndClosing) {
    EXPECT_TRUE(S.Open(3, 115200));
    EXPECT_EQ(L->Opened, 1); // already open with these values
    EXPECT_TRUE(S.Open(0, 0));
    EXPECT_EQ(L->Opened, 2); // reopened with the last values
    EXPECT_EQ(S.Port(), 3);
    EXPECT_EQ(L->Baud, 115200);
    // Reopening forgets the conversation with whatever device was there.
    Converse();
    EXPECT_FALSE(S.Open(256, 0));
    EXPECT_FALSE(S.IsOpen());
    EXPECT_EQ(L->Opened, 2);
    EXPECT_FALSE(S.Conversation());
    EXPECT_EQ(S.GoodExchanges(), 0);

    ASSERT_TRUE(S.Open(4, 19200));
    EXPECT_EQ(L->Baud, 19200);
    S.SetBaud(19200);
    EXPECT_TRUE(S.IsOpen());
    S.SetPort(5);
    EXPECT_FALSE(S.IsOpen());

    L->FailConfigure = true;
    EXPECT_FALSE(S.Open(5, 115200));
    EXPECT_FALSE(S.IsOpen());

    TKelvoStream missing(1, 115200, [](int) { return std::unique_ptr<TComLine>(); });
    EXPECT_FALSE(missing.Open(1, 115200));
}

TEST_F(StreamTest, SeekIsRefused) {
    try {
        S.Seek(0, SoCurrent);
        FAIL();
    } catch (const Exception& e) {
        EXPECT_STREQ(e.what(), "Invalid operation on TKelvoStream!");
    }
    EXPECT_THROW(S.Position(), Exception);
}

TEST_F(StreamTest, CommandChecksAndAttempts) {
    TKelvoCommand none;
    none.Length = 1;
    EXPECT_TRUE(none.Send());
    EXPECT_TRUE(none.Finish());
    TKelvoCommand bad(S, 0x81, 2);
    bad.Length = 0;
    EXPECT_TRUE(bad.Send());
    TKelvoCommand tooLong(S, 0x81, 4);
    tooLong.Arg(1);
    EXPECT_TRUE(tooLong.Send());
    EXPECT_TRUE(L->Written.empty());

    // A wrong acknowledgement is tried four times in all.
    TKelvoCommand cmd(S, 0x81, 1);
    L->ReplyCode(READY);
    for (int i = 0; i < 4; ++i)
        L->Reply(Frame(0, {0x82}));
    EXPECT_TRUE(cmd.Send());
    EXPECT_EQ(cmd.Attempts, 4);
    EXPECT_EQ(L->Written.size(), 5u);
}

TEST_F(StreamTest, CommandWithoutAnswer) {
    L->ReplyCode(READY);
    L->ReplyCode(FINIS); // the device executed it and has nothing to say
    TKelvoCommand program(S, 0x75, 0);
    ASSERT_FALSE(program.Send());
    EXPECT_FALSE(program.Finish());
    EXPECT_EQ(L->Written.size(), 2u);

    // Appended data travel in the same message.
    L->ReplyCode(READY);
    L->ReplyCode(FINIS);
    TKelvoCommand write(S, 0x01, TKelvoCommand::AppendData);
    write.Arg(0x0025);
    ASSERT_FALSE(write.Send());
    const unsigned char value[] = {0xE8, 0x03, 0, 0};
    EXPECT_EQ(S.Write(value, 4), 4);
    EXPECT_EQ(S.EndWrite(), 0);
    EXPECT_FALSE(write.Finish());
    EXPECT_EQ(L->Written.back(), Frame(0, {0x01, 0x25, 0x00, 0xE8, 0x03, 0, 0}));
}

} // namespace
