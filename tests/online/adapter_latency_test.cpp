// The online operation behind a USB serial adapter that holds echo and answers
// for 16 ms (the common adapters' default latency timer), and a line whose
// device goes away while online.
#include "online_fixture.h"
#include "support/vanishing_line.h"

using namespace kelvo;
using namespace kelvo::test;

namespace {

constexpr auto AdapterLatency = std::chrono::milliseconds(16);
const std::string Success = "Download of KELVO dialog successful!\n\n";

class AdapterLatencyTest : public OnlineFixture {
protected:
    AdapterLatencyTest() {
        Session().Stream().SetLineOpener(VirtualLineOpener(Device, true, AdapterLatency));
    }
};

TEST_F(AdapterLatencyTest, GoOnlineWithOldDataWritesThemBack) {
    std::vector<TSimLine> lines = Device->Dialog().Lines;
    SimLine(lines, 0x0025)->Raw = RawLong(750);
    LoadLines(lines);
    Prompt.Answers = {IdYes};
    Online.GoOnline(ComPort(1), 0);
    ASSERT_EQ(Prompt.Asked.size(), 2u);
    EXPECT_EQ(Prompt.Asked[0].Text,
              Success + "New values are different! Reprogram device?" +
                  "\n\n(Press Cancel to go offline again and keep old data.)");
    EXPECT_EQ(Prompt.Asked[1].Text, "Reprogramming successful!");
    EXPECT_TRUE(Online.IsOnline());
    EXPECT_EQ(DeviceLong(0x0025), 750);
    EXPECT_EQ(StoredLong(0x0025), 750);
    // The stream learned the adapter's latency from the first answer (a
    // little less: from the last read that found nothing).
    EXPECT_GE(Session().Stream().LineLatency(), 115200 * 8 / 1000);
}

TEST_F(AdapterLatencyTest, EditsProgramAndResetWithBusyAnswersAndLostReplies) {
    GoOnlineQuietly();
    ASSERT_TRUE(Online.IsOnline());
    // The device is busy for the first messages of each conversation and
    // loses every seventh reply.
    Device->Options().Busy = 2;
    Device->Options().DropEvery = 7;

    TPtr<TEntry> edit(new TEntry(*Find(0x0025)));
    edit->Value->SetLong(900);
    Session().PendingEntry = std::move(edit);
    Cycle();
    EXPECT_FALSE(Session().PendingEntry) << "the edit was written";
    EXPECT_EQ(DeviceLong(0x0025), 900);

    Online.RequestDeviceCommand(TDeviceRequest::Program);
    Cycle();
    ASSERT_EQ(Prompt.Asked.size(), 1u);
    EXPECT_EQ(Prompt.Asked[0].Text, "Success!");
    EXPECT_EQ(StoredLong(0x0025), 900);

    Device->SetWorkingValue(0x0025, 0, RawLong(77));
    Online.RequestDeviceCommand(TDeviceRequest::Reset);
    Cycle();
    ASSERT_EQ(Prompt.Asked.size(), 2u);
    EXPECT_EQ(Prompt.Asked[1].Text, "Success!");
    EXPECT_EQ(DeviceLong(0x0025), 900);

    View.Rows = Doc.List().GetRowCount();
    Cycle();
    EXPECT_TRUE(Online.IsOnline());
    EXPECT_EQ(Session().MissingAnswers, 0) << "the refresh got its answers";
}

TEST_F(AdapterLatencyTest, SilentDeviceIsStillRecognised) {
    SilenceDevice();
    Online.GoOnline(ComPort(1), 0);
    ASSERT_EQ(Prompt.Asked.size(), 1u);
    EXPECT_EQ(Prompt.Asked[0].Text,
              "Could not connect to an Kelvo device!\n\nGoing offline again.");
    EXPECT_FALSE(Online.IsOnline());
}

class VanishingLineTest : public OnlineFixture {
protected:
    VanishingLineTest() {
        Session().Stream().SetLineOpener(VanishingOpener(VirtualLineOpener(Device), Line));
    }
    TVanishing Line;
};

TEST_F(VanishingLineTest, GoesOfflineAtTheFirstFailureAndConnectsAgainWhenBack) {
    GoOnlineQuietly();
    ASSERT_TRUE(Online.IsOnline());
    View.Rows = 5;
    Line.WritesLeft = 3;
    Cycle();
    EXPECT_FALSE(Online.IsOnline()) << "offline in the same cycle, not after four silent ones";
    ASSERT_EQ(Prompt.Asked.size(), 1u);
    EXPECT_EQ(Prompt.Asked[0].Text, "Missing response from KELVO Device! Going offline.");
    EXPECT_TRUE(Session().Stream().Disconnected());
    EXPECT_FALSE(Session().Stream().IsOpen());
    EXPECT_EQ(Line.CallsAfterGone, 1) << "the dead line was not tried again";

    // Plugged in again under the same name: Go Online On Last COM connects.
    Line.WritesLeft = 1'000'000;
    Prompt.Asked.clear();
    Prompt.Answers = {IdOk};
    const int opened = Line.Opened;
    Online.GoOnline(TConnectTarget::LastPort, 0);
    EXPECT_TRUE(Online.IsOnline());
    EXPECT_EQ(Line.Opened, opened + 1);
    EXPECT_FALSE(Session().Stream().Disconnected());
}

TEST_F(VanishingLineTest, DownloadEndsAtOnceWhenTheDeviceGoes) {
    Line.WritesLeft = 5;
    Online.GoOnline(ComPort(1), 0);
    EXPECT_FALSE(Online.IsOnline());
    EXPECT_TRUE(Session().Stream().Disconnected());
    EXPECT_EQ(Line.CallsAfterGone, 1);
    ASSERT_FALSE(Prompt.Asked.empty());
    EXPECT_EQ(Prompt.Asked.back().Text,
              "Could not connect to an Kelvo device!\n\nGoing offline again.");
}

} // namespace
