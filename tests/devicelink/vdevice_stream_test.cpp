// The device stream against the in-process virtual device: whole commands in
// both answer modes, and recovery from a busy, lossy or noisy line.
#include "devicelink/kelvocommand.h"
#include "devicelink/kelvostream.h"
#include "tools/vdevice/virtual_line.h"

#include <gtest/gtest.h>

using namespace kelvo;

namespace {

// One command as the online operations run it: send, read the answer, check
// that it ends there; a failure on the way forces another attempt.
bool RunCommand(TKelvoStream& s, TKelvoCommand& cmd, TBytes& answer, int valueBytes) {
    for (;;) {
        if (cmd.Send())
            return false;
        answer.clear();
        if (valueBytes > 0) {
            answer.resize(static_cast<std::size_t>(valueBytes));
            answer.resize(static_cast<std::size_t>(s.Read(answer.data(), valueBytes)));
        } else {
            // A short read is the end of the data; reading on would be a second end.
            unsigned char chunk[64];
            std::int32_t n = 0;
            do {
                n = s.Read(chunk, sizeof chunk);
                answer.insert(answer.end(), chunk, chunk + n);
            } while (n == static_cast<std::int32_t>(sizeof chunk));
        }
        const bool complete = valueBytes <= 0 || static_cast<int>(answer.size()) == valueBytes;
        if (!cmd.Finish() && complete)
            return true;
        s.SetBroken(true);
    }
}

bool ReadLong(TKelvoStream& s, std::uint16_t address, std::int32_t& value) {
    TKelvoCommand cmd(s, 0x81, 3);
    cmd.Arg(address);
    TBytes answer;
    if (!RunCommand(s, cmd, answer, 6) || answer[0] != 0)
        return false;
    value = LongOfRaw(TBytes(answer.begin() + 2, answer.end()));
    return true;
}

bool WriteLong(TKelvoStream& s, std::uint16_t address, std::int32_t value) {
    for (int attempt = 0; attempt < 4; ++attempt) {
        TKelvoCommand cmd(s, 0x01, TKelvoCommand::AppendData);
        cmd.Arg(address);
        if (cmd.Send())
            continue;
        const TBytes raw = RawLong(value);
        s.Write(raw.data(), 4);
        if (s.EndWrite() == 0 && !cmd.Finish())
            return true;
        s.SetBroken(true);
    }
    return false;
}

TBytes Download(TKelvoStream& s) {
    TKelvoCommand cmd(s, 0x91, 3);
    cmd.Arg(0xFFFF);
    TBytes answer;
    EXPECT_TRUE(RunCommand(s, cmd, answer, 0));
    return answer;
}

constexpr std::uint16_t FilterTime = 0x0025; // a plain Long line of the demo device

struct VirtualDeviceTest : ::testing::Test {
    std::shared_ptr<TVirtualDevice> Device = std::make_shared<TVirtualDevice>();
    TKelvoStream S{1, 115200, VirtualLineOpener(Device)};
    void SetUp() override { ASSERT_TRUE(S.Open(1, 115200)); }
};

TEST_F(VirtualDeviceTest, DownloadIsTheSameInBothAnswerModes) {
    const TBytes framed = Download(S);
    EXPECT_EQ(S.FailedExchanges(), 0);

    Device->Options().AnswerMode = TAnswerMode::Conti;
    const TBytes polled = Download(S);
    EXPECT_EQ(polled, framed);
    EXPECT_EQ(S.FailedExchanges(), 0);

    // The three command bytes were taken as the acknowledgement.
    const auto lines = ReadLineRecords(framed);
    ASSERT_TRUE(lines.has_value());
    ASSERT_EQ(lines->size(), Device->Dialog().Lines.size());
    EXPECT_EQ(lines->front().Address, Device->Dialog().Lines.back().Address);
    for (std::size_t i = 1; i < lines->size(); ++i)
        EXPECT_LT((*lines)[i].Address, (*lines)[i - 1].Address);
}

TEST_F(VirtualDeviceTest, ValuesAreWrittenAndReadBack) {
    for (TAnswerMode mode : {TAnswerMode::Frame, TAnswerMode::Conti}) {
        Device->Options().AnswerMode = mode;
        std::int32_t v = 0;
        ASSERT_TRUE(ReadLong(S, FilterTime, v));
        ASSERT_TRUE(WriteLong(S, FilterTime, v + 250));
        std::int32_t back = 0;
        ASSERT_TRUE(ReadLong(S, FilterTime, back));
        EXPECT_EQ(back, v + 250);
        EXPECT_EQ(LongOfRaw(*Device->WorkingValue(FilterTime)), v + 250);
    }
    EXPECT_EQ(S.FailedExchanges(), 0);
    EXPECT_EQ(Device->Counters().Rejected, 0);
}

TEST_F(VirtualDeviceTest, RecoversFromBusyLostAndDamagedReplies) {
    ASSERT_TRUE(WriteLong(S, FilterTime, 1000));
    Device->Options().Busy = 2;
    Device->Options().DropEvery = 5;
    Device->Options().CorruptEvery = 3;
    for (TAnswerMode mode : {TAnswerMode::Frame, TAnswerMode::Conti}) {
        Device->Options().AnswerMode = mode;
        for (int i = 0; i < 15; ++i) {
            std::int32_t v = 0;
            ASSERT_TRUE(ReadLong(S, FilterTime, v)) << "read " << i;
            ASSERT_EQ(v, 1000 + i);
            ASSERT_TRUE(WriteLong(S, FilterTime, v + 1)) << "write " << i;
        }
        EXPECT_EQ(Download(S).size(), BuiltinDemoDialogRecords().size());
        ASSERT_TRUE(WriteLong(S, FilterTime, 1000));
    }
    EXPECT_GT(Device->Counters().BusyAnswers, 0);
    EXPECT_GT(Device->Counters().Dropped, 0);
    EXPECT_GT(Device->Counters().Corrupted, 0);
    EXPECT_GT(S.FailedExchanges(), 0);
}

TEST_F(VirtualDeviceTest, SilentDeviceFailsWithoutHanging) {
    Device->Options().SilentAfter = 0;
    std::int32_t v = 0;
    EXPECT_FALSE(ReadLong(S, FilterTime, v));
    EXPECT_TRUE(S.Broken());
    EXPECT_EQ(S.GoodExchanges(), 0);
}

// Behind a USB serial adapter that holds echo and answers for its latency
// timer (16 ms by default on the common ones, 2 ms on others).
struct AdapterLatencyTest : ::testing::TestWithParam<int> {
    std::shared_ptr<TVirtualDevice> Device = std::make_shared<TVirtualDevice>();
    TKelvoStream S{1, 115200,
                   VirtualLineOpener(Device, true, std::chrono::milliseconds(GetParam()))};
    void SetUp() override { ASSERT_TRUE(S.Open(1, 115200)); }
};

TEST_P(AdapterLatencyTest, DownloadsReadsAndWritesWithBusyAndLostReplies) {
    EXPECT_EQ(Download(S).size(), BuiltinDemoDialogRecords().size());
    EXPECT_EQ(S.FailedExchanges(), 0) << "not one exchange gave up too early";
    EXPECT_GE(S.LineLatency(), 115200 * GetParam() / 1000 - 231);

    Device->Options().Busy = 2;
    Device->Options().DropEvery = 5;
    for (int i = 0; i < 5; ++i) {
        ASSERT_TRUE(WriteLong(S, FilterTime, 2000 + i)) << "write " << i;
        std::int32_t v = 0;
        ASSERT_TRUE(ReadLong(S, FilterTime, v)) << "read " << i;
        EXPECT_EQ(v, 2000 + i);
    }
    EXPECT_GT(Device->Counters().BusyAnswers, 0);
    EXPECT_GT(Device->Counters().Dropped, 0);
}

TEST_P(AdapterLatencyTest, SilentDeviceStillFailsTheHandshake) {
    Device->Options().SilentAfter = 0;
    EXPECT_EQ(S.BeginConversation(), -1);
    EXPECT_EQ(S.StreamResult(), StreamHandshakeFailed);
    EXPECT_EQ(S.FailedExchanges(), 16);
}

INSTANTIATE_TEST_SUITE_P(Latency, AdapterLatencyTest, ::testing::Values(2, 16));

} // namespace
