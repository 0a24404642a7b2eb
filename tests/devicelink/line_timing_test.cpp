// The timing of one exchange on a line without latency, in bit times, and the
// latency a stream learns from a line. Times are only ever bounded from the
// side a busy machine cannot move: a late wake-up makes waits longer, never
// shorter, and adds no reads past a deadline but the one last look.
#include "devicelink/kelvostream.h"
#include "devicelink/line_latency.h"
#include "scripted_line.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace kelvo;
using namespace kelvo::test;

namespace {

constexpr unsigned char READY = 0x74;
constexpr int Baud = 115200;
constexpr std::int64_t Gap = 231; // 2 ms at 115200 baud

// Nanoseconds in bit times at the baud rate, truncated.
std::int64_t Bits(std::int64_t nanos) {
    return nanos * Baud / 1'000'000'000;
}

// The reads of the last exchange that began more than bits after the line
// was released (which is no earlier than the transmit end).
long ReadsAfter(const TScriptedLineState& line, std::int64_t bits) {
    return std::count_if(line.ReadsAt.begin(), line.ReadsAt.end(),
                         [&](std::int64_t t) { return Bits(t - line.ReleasedAt) > bits; });
}

TEST(ExchangeTiming, PlainLineKeepsTheDeadlinesOfAUart) {
    auto line = std::make_shared<TScriptedLineState>();
    TKelvoStream s(1, Baud, ScriptedOpener(line));
    ASSERT_TRUE(s.Open(1, Baud));

    // A code with one reply byte expected ends as soon as that byte is in.
    line->ReplyCode(READY);
    EXPECT_EQ(s.SendCode(READY, 1), 0);
    const std::int64_t transmitEnd = 10 * 1 + 11;
    EXPECT_GE(Bits(line->ReleasedAt - line->PurgedAt), transmitEnd)
        << "the line is turned only after the last stop bit has left";
    EXPECT_EQ(s.LineLatency(), 0);

    // Up to 35 bytes expected but one came: the exchange ends at the read
    // deadline, one byte gap after the transmit end and one per read that
    // brought bytes (here one: echo and reply together).
    line->ReplyCode(READY);
    EXPECT_EQ(s.SendCode(READY, 35), 0);
    ASSERT_GE(line->ReadsAt.size(), 2u);
    EXPECT_GE(Bits(line->ReadsAt.back() - line->PurgedAt), transmitEnd + 2 * Gap);
    // A latency allowance would keep the stream reading for up to 32 ms more;
    // without one, at most the read that found the deadline passed and the
    // last look come after it (1 ms allowed for the clock reading between).
    EXPECT_LE(ReadsAfter(*line, 2 * Gap + Baud / 1000), 2);
    EXPECT_EQ(s.LineLatency(), 0);

    // A silent line: no byte at all by the read deadline.
    line->Silence();
    s.SendCode(READY, 1);
    EXPECT_EQ(s.ComResult(), ComNoReply);
    EXPECT_LE(ReadsAfter(*line, Gap + Baud / 1000), 2)
        << "a line known to be plain gives up at the plain deadline";
}

TEST(ExchangeTiming, LatencyIsLearnedFromReadsThatFoundNothing) {
    auto line = std::make_shared<TScriptedLineState>();
    TKelvoStream s(1, Baud, ScriptedOpener(line));
    ASSERT_TRUE(s.Open(1, Baud));

    // A line that holds its answers for 20 ms; a new one is not known yet, so
    // its first exchange waits for the answer. What is learned is a little
    // less than the latency: the last read that found nothing began before
    // the answer came.
    line->Latency = std::chrono::milliseconds(20);
    line->ReplyCode(READY);
    EXPECT_EQ(s.SendCode(READY, 1), 0);
    EXPECT_GE(s.LineLatency(), Bits(10'000'000));
    EXPECT_LE(s.LineLatency(), Bits(TLineLatency::BoundMicros * 1000) + 1);
    // The next exchanges find their answers within the allowance.
    for (int i = 0; i < 3; ++i) {
        line->ReplyCode(READY);
        EXPECT_EQ(s.SendCode(READY, 35), 0) << i;
        EXPECT_EQ(s.ReplyCount(), 1);
    }
}

TEST(LineLatency, RisesAtOnceFallsSlowlyAndStaysBounded) {
    TLineLatency latency;
    latency.Reset(Gap, 3686);
    EXPECT_FALSE(latency.Known());
    EXPECT_EQ(latency.Allowance(), 3686) << "until an answer was seen, up to the bound";

    latency.FirstByteAfter(5);
    EXPECT_TRUE(latency.Known());
    EXPECT_EQ(latency.Allowance(), 0) << "within the byte gap: a plain line";
    latency.FirstByteAfter(Gap);
    EXPECT_EQ(latency.Estimate(), 0);

    latency.FirstByteAfter(1843); // 16 ms
    EXPECT_EQ(latency.Estimate(), 1843);
    EXPECT_EQ(latency.Allowance(), 1843 + 921);
    latency.FirstByteAfter(1000);
    EXPECT_GT(latency.Estimate(), 1700) << "an adapter's delay varies: one short one is not all";
    EXPECT_LT(latency.Estimate(), 1843);
    for (int i = 0; i < 100; ++i)
        latency.FirstByteAfter(3);
    EXPECT_EQ(latency.Estimate(), 0) << "a line that has become fast is plain again";

    latency.FirstByteAfter(100'000);
    EXPECT_EQ(latency.Estimate(), 3686) << "never beyond the bound";
    EXPECT_EQ(latency.Allowance(), 3686);

    latency.Reset(Gap, 3686);
    EXPECT_EQ(latency.Estimate(), 0);
    EXPECT_FALSE(latency.Known());
    // A new line that never answers is plain after a few exchanges.
    for (int i = 1; i < TLineLatency::SilentExchangesToLearn; ++i)
        latency.NothingCame();
    EXPECT_EQ(latency.Allowance(), 3686);
    latency.NothingCame();
    EXPECT_EQ(latency.Allowance(), 0);
}

} // namespace
