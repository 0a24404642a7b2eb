#include "tools/device_harness.h"
#include "tools/vdevice/paced_output.h"
#include "tools/vdevice/virtual_line.h"

#include <gtest/gtest.h>

using namespace kelvo;
using namespace kelvo::testing;

namespace {

TBytes ReadAll(TComLine& line, std::size_t wanted) {
    TBytes got;
    unsigned char buffer[64];
    // Bounded by calls, not by time: each paced read waits at most about 1 ms.
    for (int i = 0; i < 100000 && got.size() < wanted; ++i) {
        const long n = line.Read(buffer, sizeof buffer);
        EXPECT_GE(n, 0);
        got.insert(got.end(), buffer, buffer + std::max(0L, n));
    }
    return got;
}

} // namespace

TEST(VirtualLine, WriteQueuesEchoAndReplyForTheReads) {
    auto device = std::make_shared<TVirtualDevice>();
    TVirtualLine line(device);
    const unsigned char ready = Ready;
    EXPECT_EQ(line.Write(&ready, 1), 1);
    unsigned char buffer[8];
    EXPECT_EQ(line.Read(buffer, 1), 1); // the echo
    EXPECT_EQ(buffer[0], Ready);
    EXPECT_EQ(line.Read(buffer, sizeof buffer), 1);
    EXPECT_EQ(buffer[0], Ready);
    EXPECT_EQ(line.Read(buffer, sizeof buffer), 0);

    // A purge drops what has arrived and not been read.
    line.Write(&ready, 1);
    EXPECT_TRUE(line.Purge(false));
    EXPECT_EQ(line.Read(buffer, sizeof buffer), 0);
}

TEST(VirtualLine, AWriteEndsAMessageLeftUnfinished) {
    auto device = std::make_shared<TVirtualDevice>();
    TVirtualLine line(device);
    const TBytes ready{Ready};
    line.Write(ready.data(), 1);
    ReadAll(line, 2);
    const TBytes frame = Frame(0, ReadCommand(SkLong, 0x0025));
    line.Write(frame.data(), 3); // the rest never comes
    ReadAll(line, 3);
    line.Write(frame.data(), frame.size());
    const TBytes got = ReadAll(line, frame.size() + 14);
    ASSERT_EQ(got.size(), frame.size() + 14);
    EXPECT_TRUE(IsValidFrame(TBytes(got.begin() + frame.size(), got.end())));
    EXPECT_EQ(device->Counters().DamagedFrames, 1);
}

TEST(VirtualLine, PacedLineDeliversTheSameBytes) {
    auto device = std::make_shared<TVirtualDevice>();
    TVirtualLine line(device, true);
    ASSERT_TRUE(line.Configure(115200));
    const TBytes ready{Ready};
    line.Write(ready.data(), 1);
    EXPECT_EQ(ReadAll(line, 2), (TBytes{Ready, Ready}));
}

TEST(VirtualLine, OpenerSharesOneDevice) {
    auto device = std::make_shared<TVirtualDevice>();
    const TComLineOpener open = VirtualLineOpener(device);
    const TBytes write = Frame(0, WriteCommand(SkLong, 0x0025, RawLong(321)));
    {
        auto line = open(3);
        ASSERT_TRUE(line);
        const TBytes ready{Ready};
        line->Write(ready.data(), 1);
        line->Write(write.data(), write.size());
    }
    auto again = open(3);
    EXPECT_EQ(*device->WorkingValue(0x0025), RawLong(321));
}

TEST(PacedOutput, ReleasesBytesTenBitTimesApart) {
    // Synthetic time points: no clock is read.
    TPacedOutput output;
    output.SetBaud(1000); // 10 ms per byte
    const auto t0 = TPacedOutput::TClock::time_point{} + std::chrono::seconds(100);
    const auto ms = [t0](int n) { return t0 + std::chrono::milliseconds(n); };
    output.Push({1, 2, 3}, t0);
    unsigned char b[4];
    EXPECT_EQ(output.Take(b, 4, ms(9), true), 0u);
    EXPECT_EQ(output.Take(b, 4, ms(10), true), 1u);
    EXPECT_EQ(output.Take(b, 4, ms(25), true), 1u);
    // Bytes pushed while the line is still busy queue behind the earlier ones.
    output.Push({4}, ms(25));
    EXPECT_EQ(output.NextArrival(), ms(30));
    output.DropArrived(ms(30), true);
    EXPECT_EQ(output.Size(), 1u);
    EXPECT_EQ(output.Take(b, 4, ms(40), true), 1u);
    EXPECT_EQ(b[0], 4);
}
