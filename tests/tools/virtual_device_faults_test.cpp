#include "tools/device_harness.h"
#include "tools/vdevice/demo_dialog.h"
#include "tools/vdevice/virtual_device.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace kelvo;
using namespace kelvo::testing;

namespace {

TVirtualDevice MakeDevice(void (*setup)(TVirtualDeviceOptions&)) {
    TVirtualDeviceOptions options;
    setup(options);
    return TVirtualDevice(BuiltinDemoDialog(), options);
}

} // namespace

TEST(VirtualDeviceFaults, BusyAnswersRepwtAtTheStartOfEveryConversation) {
    TVirtualDevice device = MakeDevice([](TVirtualDeviceOptions& o) { o.Busy = 2; });
    TPcSide pc(device);
    EXPECT_EQ(pc.Send(Ready), TBytes{Repwt});
    EXPECT_EQ(pc.Send(Ready), TBytes{Repwt});
    EXPECT_EQ(pc.Send(Ready), TBytes{Ready});
    const TBytes write = WriteCommand(SkLong, 0x0025, RawLong(300));
    EXPECT_EQ(pc.SendFrame(0, write), TBytes{Finis});
    // FINIS ends the conversation; the next one starts busy again, and a frame
    // answered REPWT was not executed.
    EXPECT_EQ(pc.Send(Finis), TBytes{Ready});
    EXPECT_EQ(pc.SendFrame(0, write), TBytes{Repwt});
    EXPECT_EQ(pc.SendFrame(0, write), TBytes{Repwt});
    EXPECT_EQ(device.Counters().Commands, 1);
    EXPECT_EQ(pc.SendFrame(0, write), TBytes{Finis});
    EXPECT_EQ(device.Counters().Commands, 2);
    EXPECT_EQ(device.Counters().BusyAnswers, 4);
}

TEST(VirtualDeviceFaults, BusyStartsAgainAfterAnAbortEitherWay) {
    TVirtualDevice device = MakeDevice([](TVirtualDeviceOptions& o) { o.Busy = 1; });
    TPcSide pc(device);
    // The PC's ABORT while nothing is open still ends the first conversation.
    EXPECT_EQ(pc.Send(Abort), TBytes{Repwt});
    EXPECT_EQ(pc.Send(Abort), TBytes{Abort});
    EXPECT_EQ(pc.Send(Ready), TBytes{Repwt});
    EXPECT_EQ(pc.Send(Ready), TBytes{Ready});
    // So does the device's own ABORT of a command it cannot execute.
    EXPECT_EQ(pc.SendFrame(0, {0x42}), TBytes{Abort});
    EXPECT_EQ(pc.Send(Ready), TBytes{Repwt});
    EXPECT_EQ(pc.Send(Ready), TBytes{Ready});
    EXPECT_EQ(pc.Send(Abort), TBytes{Abort});
    EXPECT_EQ(pc.Send(Ready), TBytes{Repwt});
    EXPECT_EQ(device.Counters().BusyAnswers, 4);
}

TEST(VirtualDeviceFaults, DropEveryActsButLosesEchoAndAnswer) {
    TVirtualDevice device = MakeDevice([](TVirtualDeviceOptions& o) { o.DropEvery = 2; });
    TPcSide pc(device);
    EXPECT_EQ(pc.Send(Ready), TBytes{Ready});
    const TBytes write = Frame(0, WriteCommand(SkLong, 0x0025, RawLong(333)));
    EXPECT_TRUE(device.Feed(write).empty()); // message 2: nothing comes back
    EXPECT_EQ(*device.WorkingValue(0x0025), RawLong(333));
    // The PC repeats the frame; the device answers from its repeat memory.
    EXPECT_EQ(pc.Send(write), TBytes{Finis});
    EXPECT_EQ(device.Counters().Commands, 1);
    EXPECT_TRUE(device.Feed(TBytes{Finis}).empty()); // message 4
    EXPECT_EQ(device.Counters().Dropped, 2);
}

TEST(VirtualDeviceFaults, CorruptEveryFlipsTheCrcOfEveryKthReplyFrame) {
    TVirtualDevice device = MakeDevice([](TVirtualDeviceOptions& o) { o.CorruptEvery = 3; });
    TPcSide pc(device);
    pc.Send(Ready);
    std::vector<bool> valid;
    for (int i = 0; i < 6; ++i) {
        const TBytes reply = pc.SendFrame(0, ReadCommand(SkLong, 0x0025));
        valid.push_back(IsValidFrame(reply));
        // The damage is a single bit of the last CRC byte; the data are intact.
        EXPECT_EQ(FrameData(reply),
                  Concat(Concat(ReadCommand(SkLong, 0x0025), {0, 0}), RawLong(500)));
        pc.Send(Conti);
        pc.Send(Finis);
    }
    EXPECT_EQ(valid, (std::vector<bool>{true, true, false, true, true, false}));
    EXPECT_EQ(device.Counters().Corrupted, 2);
}

TEST(VirtualDeviceFaults, SilentAfterStopsEverythingEchoIncluded) {
    TVirtualDevice device = MakeDevice([](TVirtualDeviceOptions& o) { o.SilentAfter = 2; });
    TPcSide pc(device);
    EXPECT_EQ(pc.Send(Ready), TBytes{Ready});
    EXPECT_EQ(pc.Send(Conti), TBytes{Finis});
    EXPECT_TRUE(device.Feed(TBytes{Ready}).empty());
    EXPECT_TRUE(device.Feed(Frame(0, WriteCommand(SkLong, 0x0025, RawLong(1)))).empty());
    EXPECT_EQ(*device.WorkingValue(0x0025), RawLong(500));
    EXPECT_EQ(device.Counters().Silenced, 2);
}

TEST(VirtualDeviceFaults, TraceHasOneLinePerMessageAndReply) {
    TVirtualDevice device = MakeDevice([](TVirtualDeviceOptions& o) { o.CorruptEvery = 1; });
    std::vector<std::string> trace;
    device.SetTraceSink([&trace](const std::string& line) { trace.push_back(line); });
    TPcSide pc(device);
    pc.Send(Ready);
    TBytes bad = Frame(0, {0x7F});
    bad.back() ^= 1;
    pc.Send(bad);
    const TBytes reply = pc.SendFrame(0, ReadCommand(SkLong, 0x0025));
    ASSERT_EQ(trace.size(), 5u);
    EXPECT_EQ(trace[0], "PC: 74");
    EXPECT_EQ(trace[1], "DEV: 74");
    EXPECT_EQ(trace[2], TVirtualDevice::TraceLine("PC", bad)); // damaged: no DEV line
    EXPECT_EQ(trace[3], TVirtualDevice::TraceLine("PC", Frame(0, ReadCommand(SkLong, 0x0025))));
    EXPECT_EQ(trace[3].substr(0, 19), "PC: 9D 03 81 25 00 ");
    // The reply is traced as it went onto the line.
    EXPECT_EQ(trace[4], TVirtualDevice::TraceLine("DEV", reply));
}
