#include "tools/device_harness.h"
#include "tools/vdevice/demo_dialog.h"
#include "tools/vdevice/virtual_device.h"

#include <gtest/gtest.h>

using namespace kelvo;
using namespace kelvo::testing;

namespace {

constexpr std::uint16_t FilterTime1 = 0x0025;
constexpr std::uint16_t RangeEnd2 = 0x0044;
constexpr std::uint16_t SerialNumber = 0x0013;

TBytes ProgramNameAnswer() {
    return Concat(Concat(ReadCommand(SkText, demo::ProgramName), {0, 0}), RawText("KT200 V2.14"));
}

} // namespace

TEST(VirtualDevice, HandshakeOpensAndClosesTheConversation) {
    TVirtualDevice device;
    TPcSide pc(device);
    // Nothing but READY is accepted while no conversation is open.
    EXPECT_EQ(pc.Send(Conti), TBytes{Abort});
    EXPECT_EQ(pc.Send(Finis), TBytes{Abort});
    EXPECT_EQ(pc.SendFrame(0, {0x7F}), TBytes{Abort});
    EXPECT_EQ(device.Counters().Commands, 0);

    EXPECT_EQ(pc.Send(Ready), TBytes{Ready});
    EXPECT_TRUE(device.ConversationOpen());
    EXPECT_EQ(pc.Send(Conti), TBytes{Finis}); // nothing to say
    EXPECT_EQ(pc.Send(Finis), TBytes{Ready});
    EXPECT_EQ(pc.Send(Abort), TBytes{Abort});
    EXPECT_FALSE(device.ConversationOpen());
    EXPECT_EQ(pc.Send(Conti), TBytes{Abort});
}

TEST(VirtualDevice, ParsesInputIncrementally) {
    TVirtualDevice device;
    TPcSide pc(device);
    pc.Send(Ready);
    const TBytes frame = Frame(0, ReadCommand(SkText, demo::ProgramName));
    // Each byte is echoed at once; the answer follows the last CRC byte only.
    for (std::size_t i = 0; i + 1 < frame.size(); ++i)
        EXPECT_EQ(device.Feed(&frame[i], 1), TBytes{frame[i]});
    const TBytes out = device.Feed(&frame.back(), 1);
    ASSERT_GT(out.size(), 1u);
    EXPECT_EQ(out[0], frame.back());
    const TBytes reply(out.begin() + 1, out.end());
    EXPECT_TRUE(IsValidFrame(reply));
    EXPECT_EQ(FrameData(reply), ProgramNameAnswer());

    // Two messages in one piece: echo and answer of the first, then of the second.
    const TBytes both{Conti, Finis};
    EXPECT_EQ(device.Feed(both), (TBytes{Conti, Finis, Finis, Ready}));
}

TEST(VirtualDevice, DownloadSendsEveryLineHighestAddressFirst) {
    for (TAnswerMode mode : {TAnswerMode::Frame, TAnswerMode::Conti}) {
        TVirtualDeviceOptions options;
        options.AnswerMode = mode;
        TVirtualDevice device(BuiltinDemoDialog(), options);
        TPcSide pc(device);
        pc.Send(Ready);
        TBytes reply = pc.SendFrame(0, {0x91, 0xFF, 0xFF});
        int counter = 0;
        if (mode == TAnswerMode::Conti) {
            EXPECT_EQ(reply, TBytes{Conti});
            counter = 1;
            reply = pc.Send(Conti);
        }
        TBytes data;
        int frames = 0;
        while (reply.size() > 1) {
            ASSERT_TRUE(IsValidFrame(reply));
            // Numbered 0 when it answers the command, then one up per CONTI.
            EXPECT_EQ(FrameNumber(reply),
                      frames == 0 && mode == TAnswerMode::Frame ? 0 : (counter + 1) & 3);
            counter = FrameNumber(reply);
            const TBytes part = FrameData(reply);
            EXPECT_LE(part.size(), 28u);
            data.insert(data.end(), part.begin(), part.end());
            ++frames;
            reply = pc.Send(Conti);
        }
        EXPECT_EQ(reply, TBytes{Finis});
        EXPECT_GT(frames, 4);
        ASSERT_GE(data.size(), 3u);
        EXPECT_EQ(TBytes(data.begin(), data.begin() + 3), (TBytes{0x91, 0xFF, 0xFF}));

        std::vector<TSimLine> expected = BuiltinDemoDialog().Lines;
        std::reverse(expected.begin(), expected.end());
        EXPECT_EQ(TBytes(data.begin() + 3, data.end()), WriteLineRecords(expected));
    }
}

TEST(VirtualDevice, DownloadStopsAtTheWantedAddress) {
    TVirtualDevice device;
    TPcSide pc(device);
    const TBytes data = pc.Command({0x91, 0x13, 0x00});
    const auto lines = ReadLineRecords(TBytes(data.begin() + 3, data.end()));
    ASSERT_TRUE(lines);
    ASSERT_EQ(lines->size(), 4u);
    EXPECT_EQ((*lines)[0].Address, SerialNumber);
    EXPECT_EQ((*lines)[3].Address, 0x0010);
}

TEST(VirtualDevice, RepimRepeatsTheLastReplyAsMeant) {
    TVirtualDeviceOptions options;
    options.CorruptEvery = 1;
    TVirtualDevice device(BuiltinDemoDialog(), options);
    TPcSide pc(device);
    pc.Send(Ready);
    const TBytes damaged = pc.SendFrame(0, ReadCommand(SkText, demo::ProgramName));
    EXPECT_FALSE(IsValidFrame(damaged));
    device.Options().CorruptEvery = 0;
    const TBytes repeated = pc.Send(Repim);
    ASSERT_TRUE(IsValidFrame(repeated));
    EXPECT_EQ(FrameNumber(repeated), 0);
    EXPECT_EQ(FrameData(repeated), ProgramNameAnswer());
    EXPECT_EQ(pc.Send(Conti), TBytes{Finis});
    EXPECT_EQ(pc.Send(Repim), TBytes{Finis});
}

TEST(VirtualDevice, RepeatedFrameIsAnsweredAgainButNotExecutedTwice) {
    TVirtualDevice device;
    TPcSide pc(device);
    pc.Send(Ready);
    // A text write over two frames; the first frame comes twice, as when the PC
    // lost the device's CONTI. Appending it twice would spoil the command.
    const std::string text = "Line 4, pump station north";
    const TBytes command = WriteCommand(SkText, demo::DeviceTag, RawText(text));
    ASSERT_GT(command.size(), 28u);
    const TBytes first(command.begin(), command.begin() + 28);
    const TBytes second(command.begin() + 28, command.end());
    EXPECT_EQ(pc.SendFrame(0, first), TBytes{Conti});
    EXPECT_EQ(pc.SendFrame(0, first), TBytes{Conti});
    EXPECT_EQ(device.Counters().RepeatedFrames, 1);
    EXPECT_EQ(pc.SendFrame(1, second), TBytes{Finis});
    EXPECT_EQ(*device.WorkingValue(demo::DeviceTag), RawText(text));

    // Any control code in between clears the memory: the same frame is new again.
    const TBytes write = WriteCommand(SkLong, FilterTime1, RawLong(250));
    EXPECT_EQ(pc.Send(Finis), TBytes{Ready});
    EXPECT_EQ(pc.SendFrame(0, write), TBytes{Finis});
    EXPECT_EQ(pc.Send(Finis), TBytes{Ready});
    const long before = device.Counters().Commands;
    EXPECT_EQ(pc.SendFrame(0, write), TBytes{Finis});
    EXPECT_EQ(device.Counters().Commands, before + 1);
}

TEST(VirtualDevice, DamagedFramesGetNoAnswer) {
    TVirtualDevice device;
    TPcSide pc(device);
    pc.Send(Ready);
    TBytes badCrc = Frame(0, ReadCommand(SkText, demo::ProgramName));
    badCrc.back() ^= 0x40;
    EXPECT_TRUE(pc.Send(badCrc).empty());
    // A length of 0 or beyond 28 is damage too; the declared bytes are consumed.
    TBytes empty{Start, 0x00};
    const std::uint32_t crc = Crc24(&empty[1], 1);
    empty.insert(empty.end(),
                 {static_cast<unsigned char>(crc >> 16), static_cast<unsigned char>(crc >> 8),
                  static_cast<unsigned char>(crc)});
    EXPECT_TRUE(pc.Send(empty).empty());
    TBytes tooLong = Frame(0, TBytes(28, 0x7F));
    tooLong[1] = 30;
    tooLong.insert(tooLong.end() - 3, {0x7F, 0x7F});
    EXPECT_TRUE(pc.Send(tooLong).empty());
    EXPECT_TRUE(pc.Send(TBytes{0x00}).empty()); // a stray byte
    EXPECT_EQ(device.Counters().DamagedFrames, 4);
    // Nothing was executed and the conversation goes on.
    EXPECT_EQ(device.Counters().Commands, 0);
    EXPECT_TRUE(IsValidFrame(pc.SendFrame(0, ReadCommand(SkText, demo::ProgramName))));
}

TEST(VirtualDevice, InputGapGivesUpAPartialMessage) {
    TVirtualDevice device;
    TPcSide pc(device);
    pc.Send(Ready);
    const TBytes frame = Frame(0, ReadCommand(SkText, demo::ProgramName));
    device.Feed(frame.data(), 4);
    EXPECT_TRUE(device.ReceivingMessage());
    device.InputGap();
    EXPECT_FALSE(device.ReceivingMessage());
    EXPECT_TRUE(IsValidFrame(pc.Send(frame)));
}

TEST(VirtualDevice, RejectsWhatItCannotExecute) {
    struct TCase {
        const char* what;
        TBytes command;
    };
    const TCase cases[] = {
        {"unknown code", {0x42}},
        {"unknown address", ReadCommand(SkLong, 0x0099)},
        {"kind not of the line", ReadCommand(SkDouble, FilterTime1)},
        {"data beyond the command", Concat(ReadCommand(SkLong, FilterTime1), {0})},
        {"data beyond a program command", {0x75, 0x00}},
        {"read-only line", WriteCommand(SkText, demo::ProgramName, RawText("X"))},
        {"choice out of range", WriteCommand(SkChoice, demo::Channel2Enable, RawChoice(2))},
        {"count above 100", WriteCommand(SkLong, demo::AlarmCount, RawLong(101))},
        {"instance 100", ReadMember(SkDouble, demo::AlarmSetpoint, 100)},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.what);
        TVirtualDevice device;
        TPcSide pc(device);
        pc.Send(Ready);
        EXPECT_EQ(pc.SendFrame(0, c.command), TBytes{Abort});
        EXPECT_FALSE(device.ConversationOpen());
        EXPECT_EQ(device.Counters().Commands, 0);
    }
}

TEST(VirtualDevice, WriteStoreAndReload) {
    TVirtualDevice device;
    TPcSide pc(device);
    const TBytes read = ReadCommand(SkLong, FilterTime1);
    EXPECT_EQ(pc.ReadValue(read), RawLong(500));
    EXPECT_TRUE(pc.Command(WriteCommand(SkLong, FilterTime1, RawLong(750))).empty());
    EXPECT_EQ(pc.ReadValue(read), RawLong(750));
    EXPECT_EQ(*device.StoredValue(FilterTime1), RawLong(500));
    pc.Command({0x7A}); // reset: back to what is stored
    EXPECT_EQ(pc.ReadValue(read), RawLong(500));

    pc.Command({0x7F});
    pc.Command(WriteCommand(SkLong, FilterTime1, RawLong(900)));
    pc.Command({0x75}); // program
    pc.Command(WriteCommand(SkLong, FilterTime1, RawLong(1)));
    pc.Command({0x7A});
    EXPECT_EQ(pc.ReadValue(read), RawLong(900));

    // A download carries the working values.
    pc.Command(WriteCommand(SkLong, FilterTime1, RawLong(42)));
    const TBytes data = pc.Command({0x91, 0x25, 0x00});
    const auto lines = ReadLineRecords(TBytes(data.begin() + 3, data.end()));
    ASSERT_TRUE(lines);
    EXPECT_EQ(lines->front().Address, FilterTime1);
    EXPECT_EQ(lines->front().Raw, RawLong(42));
}

TEST(VirtualDevice, GroupMembersKeepOneValuePerInstance) {
    TVirtualDevice device;
    TPcSide pc(device);
    EXPECT_TRUE(pc.Command(WriteMember(SkDouble, demo::AlarmSetpoint, 7, RawDouble(95.5))).empty());
    EXPECT_EQ(pc.ReadValue(ReadMember(SkDouble, demo::AlarmSetpoint, 7)), RawDouble(95.5));
    EXPECT_EQ(pc.ReadValue(ReadMember(SkDouble, demo::AlarmSetpoint, 0)), RawDouble(80.0));
    EXPECT_EQ(pc.ReadValue(ReadMember(SkDouble, demo::AlarmSetpoint, 99)), RawDouble(80.0));
    // A group member needs its instance: a three-byte read is not complete.
    pc.Send(Ready);
    EXPECT_EQ(pc.SendFrame(0, ReadCommand(SkDouble, demo::AlarmSetpoint)), TBytes{Conti});
}

TEST(VirtualDevice, HidesChannelTwoWhileItIsOff) {
    TVirtualDevice device;
    TPcSide pc(device);
    unsigned char status = 0xFF;
    pc.ReadValue(ReadCommand(SkDouble, RangeEnd2), &status);
    EXPECT_EQ(status, 0);
    pc.Command(WriteCommand(SkChoice, demo::Channel2Enable, RawChoice(0)));
    pc.ReadValue(ReadCommand(SkDouble, RangeEnd2), &status);
    EXPECT_EQ(status, 0x10);
    // The switch itself and the lines of channel 1 stay visible.
    pc.ReadValue(ReadCommand(SkChoice, demo::Channel2Enable), &status);
    EXPECT_EQ(status, 0);

    const TBytes data = pc.Command({0x91, 0xFF, 0xFF});
    const auto lines = ReadLineRecords(TBytes(data.begin() + 3, data.end()));
    ASSERT_TRUE(lines);
    for (const TSimLine& line : *lines) {
        const bool channel2 =
            line.Address >= demo::Channel2First && line.Address <= demo::Channel2Last;
        EXPECT_EQ((line.Flags & 0x1000) != 0, channel2) << line.Address;
    }
    pc.Command(WriteCommand(SkChoice, demo::Channel2Enable, RawChoice(1)));
    EXPECT_FALSE(device.IsHidden(RangeEnd2));
}

TEST(VirtualDevice, LiveValuesDriftOnEveryRead) {
    TVirtualDevice device;
    TPcSide pc(device);
    const TBytes read = ReadCommand(SkDouble, demo::Channel1Value);
    const double first = DoubleOfRaw(pc.ReadValue(read));
    const double second = DoubleOfRaw(pc.ReadValue(read));
    EXPECT_NE(first, second);
    EXPECT_NEAR(first, 21.5, 1.0);
    EXPECT_NEAR(second, 21.5, 1.0);
    // An ordinary line does not move.
    EXPECT_EQ(pc.ReadValue(ReadCommand(SkLong, FilterTime1)),
              pc.ReadValue(ReadCommand(SkLong, FilterTime1)));
}

TEST(VirtualDevice, LabelIsReadForItsStatusOnly) {
    TVirtualDevice device;
    TPcSide pc(device);
    const TBytes command = ReadCommand(SkLabel, 0x0020);
    EXPECT_EQ(command[0], 0x80);
    EXPECT_TRUE(pc.ReadValue(command).empty());
}
