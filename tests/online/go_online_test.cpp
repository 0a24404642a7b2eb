// The go-online dialogue against the virtual device: every verdict with its
// box, the user's answers, and the ways it can fail.
#include "online/conversion_hook.h"
#include "online_fixture.h"

using namespace kelvo;
using namespace kelvo::test;

namespace {

const std::string Success = "Download of KELVO dialog successful!\n\n";
const std::string Hint = "\n\n(Press Cancel to go offline again and keep old data.)";
const std::string Restored = "Restored old data.\n\nGoing offline again.";

using GoOnlineTest = OnlineFixture;

TEST_F(GoOnlineTest, EmptyDocumentDownloadsAndStaysOnline) {
    Online.GoOnline(ComPort(1), 0);
    ASSERT_EQ(Prompt.Asked.size(), 1u);
    EXPECT_EQ(Prompt.Asked[0].Caption, "Go Online");
    EXPECT_EQ(Prompt.Asked[0].Text, Success);
    EXPECT_EQ(Prompt.Asked[0].Buttons, TPromptButtons::Ok);
    EXPECT_EQ(Prompt.Asked[0].Icon, TPromptIcon::Information);
    EXPECT_TRUE(Online.IsOnline());
    EXPECT_TRUE(Ticks.Running());
    EXPECT_EQ(Ticks.Interval(), 110);
    EXPECT_EQ(TFileTypeKelvo::LastComPort(), 1);
    EXPECT_TRUE(Doc.OldEntries.empty());
    // The repeated group is expanded to the device's count, separators added.
    ASSERT_NE(Find(0x0062, 1), nullptr);
    EXPECT_EQ(Find(0x0062, 1)->HiddenByCount, 0) << "instances 0..count-1 are shown";
    EXPECT_FALSE(Doc.Info.Has(TFileInfo::OnDisk));
    EXPECT_FALSE(Doc.Info.Has(TFileInfo::Modified));
}

TEST_F(GoOnlineTest, EqualDataAndReadOnlyLiveChangesOnlyInform) {
    std::vector<TSimLine> lines = Device->Dialog().Lines;
    // A read-only live value that moved is no reason to ask.
    SimLine(lines, 0x0021)->Raw = RawDouble(99.0);
    LoadLines(lines);
    Online.GoOnline(ComPort(1), 0);
    ASSERT_EQ(Prompt.Asked.size(), 1u);
    EXPECT_EQ(Prompt.Asked[0].Text, Success + "All programmable values are equal!");
    EXPECT_EQ(Prompt.Asked[0].Buttons, TPromptButtons::Ok);
    EXPECT_TRUE(Online.IsOnline());
    EXPECT_TRUE(Doc.OldEntries.empty()) << "old data are dropped at the end";
}

TEST_F(GoOnlineTest, ReadOnlyDifferenceAsksOkCancelAndCancelRestores) {
    std::vector<TSimLine> lines = Device->Dialog().Lines;
    SimLine(lines, 0x0011)->Raw = RawText("KT200 V2.13");
    LoadLines(lines);
    Doc.Info.SetModified(TFileInfo::UndeterminedSize);
    const int count = Doc.Entries.Count();
    Prompt.Answers = {IdCancel};
    Online.GoOnline(ComPort(1), 0);
    ASSERT_EQ(Prompt.Asked.size(), 2u);
    EXPECT_EQ(Prompt.Asked[0].Text,
              Success + "Some labels are different.All programmable values are equal!" + Hint);
    EXPECT_EQ(Prompt.Asked[0].Buttons, TPromptButtons::OkCancel);
    EXPECT_EQ(Prompt.Asked[0].Icon, TPromptIcon::Information);
    EXPECT_EQ(Prompt.Asked[1].Text, Restored);
    EXPECT_FALSE(Online.IsOnline());
    EXPECT_FALSE(Ticks.Running());
    EXPECT_EQ(Doc.Entries.Count(), count);
    EXPECT_EQ(Find(0x0011)->Value->GetText(), "KT200 V2.13");
    EXPECT_TRUE(Doc.Info.Has(TFileInfo::Modified)) << "the file information comes back too";
}

TEST_F(GoOnlineTest, ChangedValueYesNoAndCancel) {
    std::vector<TSimLine> lines = Device->Dialog().Lines;
    SimLine(lines, 0x0025)->Raw = RawLong(750);
    const std::string question = Success + "New values are different! Reprogram device?" + Hint;

    // No: the device's values stay in the document, online.
    LoadLines(lines);
    Prompt.Answers = {IdNo};
    Online.GoOnline(ComPort(1), 0);
    ASSERT_EQ(Prompt.Asked.size(), 1u);
    EXPECT_EQ(Prompt.Asked[0].Text, question);
    EXPECT_EQ(Prompt.Asked[0].Buttons, TPromptButtons::YesNoCancel);
    EXPECT_EQ(Prompt.Asked[0].Icon, TPromptIcon::Question);
    EXPECT_TRUE(Online.IsOnline());
    EXPECT_EQ(Find(0x0025)->Value->GetLong(), 500);
    EXPECT_EQ(DeviceLong(0x0025), 500);
    EXPECT_EQ(Online.LastOutcome(), TKelvoOnline::TOutcome::KeptDevice);

    // Cancel: the old data come back, offline.
    Online.GoOnline(TConnectTarget::Offline);
    LoadLines(lines);
    Prompt.Asked.clear();
    Prompt.Answers = {IdCancel};
    Online.GoOnline(ComPort(1), 0);
    ASSERT_EQ(Prompt.Asked.size(), 2u);
    EXPECT_EQ(Prompt.Asked[1].Text, Restored);
    EXPECT_FALSE(Online.IsOnline());
    EXPECT_EQ(Find(0x0025)->Value->GetLong(), 750);
    EXPECT_EQ(DeviceLong(0x0025), 500);
    EXPECT_EQ(Online.LastOutcome(), TKelvoOnline::TOutcome::Restored);

    // Yes: written and programmed into the device.
    Prompt.Asked.clear();
    Prompt.Answers = {IdYes};
    Online.GoOnline(ComPort(1), 0);
    ASSERT_EQ(Prompt.Asked.size(), 2u);
    EXPECT_EQ(Prompt.Asked[1].Text, "Reprogramming successful!");
    EXPECT_EQ(Prompt.Asked[1].Icon, TPromptIcon::Information);
    EXPECT_TRUE(Online.IsOnline());
    EXPECT_TRUE(Ticks.Running());
    EXPECT_EQ(DeviceLong(0x0025), 750);
    EXPECT_EQ(StoredLong(0x0025), 750);
    EXPECT_EQ(Online.LastOutcome(), TKelvoOnline::TOutcome::Written);
    // The next cycle reads the written value back into the document.
    Cycle();
    EXPECT_EQ(Find(0x0025)->Value->GetLong(), 750);
}

// The comparison walks the old data backwards in step with the download; a
// line only one side has weighs by its editability, and the walk must go on
// in step after it.
TEST_F(GoOnlineTest, ComparisonKeepsInStepAcrossMissingAndExtraLines) {
    const std::string labels =
        Success + "Some labels are different.All programmable values are equal!" + Hint;
    auto firstBox = [this](std::vector<TSimLine> lines) {
        LoadLines(lines);
        Prompt.Asked.clear();
        Prompt.Answers = {IdCancel};
        Online.GoOnline(ComPort(1), 0);
        EXPECT_FALSE(Online.IsOnline());
        return Prompt.Asked.empty() ? std::string() : Prompt.Asked[0].Text;
    };
    auto insertAfter = [](std::vector<TSimLine>& lines, std::uint16_t address, TSimLine line) {
        for (auto it = lines.begin(); it != lines.end(); ++it)
            if (it->Address == address) {
                lines.insert(std::next(it), std::move(line));
                return;
            }
        ADD_FAILURE() << "no line " << address;
    };
    const std::vector<TSimLine> device = Device->Dialog().Lines;

    // The device has a read-only line the old data lack, with editable lines
    // below it: those are still compared with their own old lines.
    std::vector<TSimLine> lines = device;
    std::erase_if(lines, [](const TSimLine& l) { return l.Address == 0x0041; });
    EXPECT_EQ(firstBox(lines), labels);

    // The old data hold a read-only line the device lacks; the equal line
    // after it leaves that difference standing.
    lines = device;
    TSimLine extra = *SimLine(lines, 0x0041);
    extra.Address = 0x0045;
    insertAfter(lines, 0x0044, extra);
    EXPECT_EQ(firstBox(lines), labels);

    // An editable one is a different dialog.
    lines = device;
    extra = *SimLine(lines, 0x0044);
    extra.Address = 0x0045;
    insertAfter(lines, 0x0044, extra);
    EXPECT_EQ(firstBox(lines),
              Success + "Old data are not compatible and can't be programmed in this device!" +
                  Hint);
}

// Cancel brings back the old list as it was, instances hidden by the count
// included.
TEST_F(GoOnlineTest, CancelRestoresHiddenInstances) {
    std::vector<TSimLine> lines = Device->Dialog().Lines;
    SimLine(lines, demo::AlarmCount)->Raw = RawLong(0);
    LoadLines(lines);
    const int hidden = Doc.Entries.HiddenCount;
    const int rows = Doc.List().GetRowCount();
    ASSERT_GT(hidden, 0);
    Prompt.Answers = {IdCancel};
    Online.GoOnline(ComPort(1), 0);
    ASSERT_EQ(Prompt.Asked.size(), 2u);
    EXPECT_EQ(Prompt.Asked[1].Text, Restored);
    EXPECT_EQ(Doc.Entries.HiddenCount, hidden);
    EXPECT_EQ(Doc.Entries.DialogVersion, TFileTypeKelvo::DialogVersionProcessed);
    ASSERT_NE(Find(0x0062), nullptr);
    EXPECT_EQ(Find(0x0062)->HiddenByCount, 1);
    EXPECT_EQ(Doc.List().GetRowCount(), rows);
}

class LiveEditableTest : public OnlineFixture {
protected:
    static TSimDialog Dialog() {
        TSimDialog d = BuiltinDemoDialog();
        SimLine(d.Lines, 0x0025)->Layout |= 0x8000; // filter time becomes live
        return d;
    }
    LiveEditableTest() : OnlineFixture(Dialog()) {}
};

TEST_F(LiveEditableTest, ReadjustWritesOnlyLiveLines) {
    std::vector<TSimLine> lines = Device->Dialog().Lines;
    SimLine(lines, 0x0025)->Raw = RawLong(640);
    LoadLines(lines);
    // An editable line the comparison does not see (hidden by the device)
    // differs as well; a readjustment must leave it alone.
    Find(0x0071)->Flags |= flags::Hidden;
    Find(0x0071)->Value->SetLong(99);
    Prompt.Answers = {IdYes};
    Online.GoOnline(ComPort(1), 0);
    ASSERT_EQ(Prompt.Asked.size(), 2u);
    EXPECT_EQ(Prompt.Asked[0].Text, Success + "Position has changed! Readjust?" + Hint);
    EXPECT_EQ(Prompt.Asked[0].Buttons, TPromptButtons::YesNoCancel);
    EXPECT_EQ(Prompt.Asked[1].Text, "Reprogramming successful!");
    EXPECT_EQ(DeviceLong(0x0025), 640);
    EXPECT_EQ(DeviceLong(0x0071), 17);
}

// The result names what the dialogue did without its words: the verdict and
// the lines written, counted against the commands the device carried out
// (the preparation and Program besides the lines).
TEST_F(LiveEditableTest, TheResultCountsTheLinesEachAnswerWrote) {
    auto linesWritten = [this](std::uint16_t address) {
        std::vector<TSimLine> lines = Device->Dialog().Lines;
        SimLine(lines, address)->Raw = RawLong(address == 0x0025 ? 640 : 23);
        LoadLines(lines);
        long before = -1;
        Prompt.Answers = {IdYes, IdOk};
        Prompt.OnAsk = [&] {
            if (before < 0)
                before = Device->Counters().Commands;
        };
        Online.GoOnline(ComPort(1), 0);
        Prompt.OnAsk = nullptr;
        EXPECT_EQ(Online.LastOutcome(), TKelvoOnline::TOutcome::Written);
        EXPECT_EQ(Online.LastResult().Failure, TKelvoOnline::TWriteFailure::None);
        EXPECT_EQ(Online.LastResult().LinesWritten, Device->Counters().Commands - before - 2);
        Online.GoOnline(TConnectTarget::Offline, 0);
        return Online.LastResult();
    };
    const TKelvoOnline::TOnlineResult readjust = linesWritten(0x0025);
    EXPECT_EQ(readjust.Verdict, TKelvoOnline::LiveDiffers);
    EXPECT_GE(readjust.LinesWritten, 1);
    const TKelvoOnline::TOnlineResult reprogram = linesWritten(0x0071);
    EXPECT_EQ(reprogram.Verdict, TKelvoOnline::ValuesDiffer);
    EXPECT_GT(reprogram.LinesWritten, readjust.LinesWritten) << "every editable line";
}

TEST_F(LiveEditableTest, FullReprogramWritesEveryEditableLine) {
    std::vector<TSimLine> lines = Device->Dialog().Lines;
    SimLine(lines, 0x0025)->Raw = RawLong(640);
    SimLine(lines, 0x0071)->Raw = RawLong(23);
    LoadLines(lines);
    Prompt.Answers = {IdYes};
    Online.GoOnline(ComPort(1), 0);
    EXPECT_EQ(Prompt.Asked[0].Text, Success + "New values are different! Reprogram device?" + Hint);
    EXPECT_EQ(DeviceLong(0x0025), 640);
    EXPECT_EQ(DeviceLong(0x0071), 23);
}

// Stands in for the conversion table in these tests.
int FindRowZero(TFileTypeKelvo&) {
    return 0;
}
int ConvertSetsContrast(TFileTypeKelvo& doc, int) {
    doc.ConvertedEntries = doc.Entries;
    for (TEntry& e : doc.ConvertedEntries)
        if (e.Address == 0x0084 && e.Value)
            e.Value->SetLong(3);
    return 1;
}
int ConvertFails(TFileTypeKelvo&, int) {
    return -3;
}

class StructureTest : public OnlineFixture {
protected:
    StructureTest() {
        std::vector<TSimLine> lines = Device->Dialog().Lines;
        SimLine(lines, 0x0025)->Caption = "Filter [ms]";
        LoadLines(lines);
    }
    ~StructureTest() override { SetOldDataConversion(Saved); }

    TOldDataConversion Saved = SetOldDataConversion({});
};

TEST_F(StructureTest, WithoutConversionTheDataCannotBeProgrammed) {
    Prompt.Answers = {IdOk};
    Online.GoOnline(ComPort(1), 0);
    ASSERT_EQ(Prompt.Asked.size(), 1u);
    EXPECT_EQ(Prompt.Asked[0].Text,
              Success + "Old data are not compatible and can't be programmed in this device!" +
                  Hint);
    EXPECT_EQ(Prompt.Asked[0].Buttons, TPromptButtons::OkCancel);
    EXPECT_EQ(Prompt.Asked[0].Icon, TPromptIcon::Information);
    EXPECT_TRUE(Online.IsOnline());
    EXPECT_EQ(Online.LastResult().Verdict, TKelvoOnline::StructureDiffers);
    EXPECT_FALSE(Online.LastResult().Convertible);
    EXPECT_EQ(Online.LastResult().LinesWritten, 0);
}

TEST_F(StructureTest, ConvertedDataAreWritten) {
    SetOldDataConversion({FindRowZero, ConvertSetsContrast});
    Prompt.Answers = {IdYes};
    Online.GoOnline(ComPort(1), 0);
    ASSERT_EQ(Prompt.Asked.size(), 2u);
    EXPECT_EQ(Prompt.Asked[0].Text,
              Success + "Incompatible old data can be converted! Reprogram device?" + Hint);
    EXPECT_EQ(Prompt.Asked[0].Icon, TPromptIcon::Question);
    EXPECT_EQ(Prompt.Asked[1].Text, "Reprogramming successful!");
    EXPECT_EQ(DeviceLong(0x0084), 3);
    EXPECT_TRUE(Doc.ConvertedEntries.empty());
    EXPECT_TRUE(Online.LastResult().Convertible);
    EXPECT_GT(Online.LastResult().LinesWritten, 0);
}

TEST_F(StructureTest, FailedConversionRestoresOldData) {
    SetOldDataConversion({FindRowZero, ConvertFails});
    Prompt.Answers = {IdYes};
    Online.GoOnline(ComPort(1), 0);
    ASSERT_EQ(Prompt.Asked.size(), 2u);
    EXPECT_EQ(Prompt.Asked[1].Text, "Reprogramming failed!\n" + Restored);
    EXPECT_FALSE(Online.IsOnline());
    EXPECT_EQ(Find(0x0025)->CaptionText(), "Filter [ms]");
    EXPECT_EQ(Online.LastResult().Failure, TKelvoOnline::TWriteFailure::Conversion);
    EXPECT_EQ(Online.LastResult().LinesWritten, 0);
}

TEST_F(GoOnlineTest, DeviceFallingSilentWhileWritingRestoresOldData) {
    std::vector<TSimLine> lines = Device->Dialog().Lines;
    SimLine(lines, 0x0025)->Raw = RawLong(750);
    LoadLines(lines);
    Prompt.Answers = {IdYes};
    Prompt.OnAsk = [this] { SilenceDevice(); };
    Online.GoOnline(ComPort(1), 0);
    ASSERT_EQ(Prompt.Asked.size(), 2u);
    EXPECT_EQ(Prompt.Asked[1].Text, "Reprogramming failed!\n" + Restored);
    EXPECT_FALSE(Online.IsOnline());
    EXPECT_EQ(Find(0x0025)->Value->GetLong(), 750);
    EXPECT_EQ(Online.LastOutcome(), TKelvoOnline::TOutcome::WriteFailed);
    EXPECT_EQ(Online.LastResult().Failure, TKelvoOnline::TWriteFailure::Prepare)
        << "a silent device takes no writes";
}

TEST_F(GoOnlineTest, MissingPortLeavesTheDocumentAlone) {
    LoadDeviceDialog();
    const int count = Doc.Entries.Count();
    TComLineOpener device = VirtualLineOpener(Device);
    Session().Stream().SetLineOpener([device](int port) -> std::unique_ptr<TComLine> {
        return port == 7 ? nullptr : device(port);
    });
    Online.GoOnline(ComPort(7), 0);
    ASSERT_EQ(Prompt.Asked.size(), 1u);
    EXPECT_EQ(Prompt.Asked[0].Text, "COM7 is missing or already in use!\n\nGoing offline again.");
    EXPECT_EQ(Prompt.Asked[0].Icon, TPromptIcon::Error);
    EXPECT_FALSE(Online.IsOnline());
    EXPECT_EQ(Doc.Entries.Count(), count);
}

TEST_F(GoOnlineTest, SilentDeviceGivesNoDialogAndKeepsOldData) {
    LoadDeviceDialog();
    Find(0x0025)->Value->SetLong(321);
    SilenceDevice();
    Online.GoOnline(ComPort(1), 0);
    ASSERT_EQ(Prompt.Asked.size(), 1u);
    EXPECT_EQ(Prompt.Asked[0].Text,
              "Could not connect to an Kelvo device!\n\nGoing offline again.");
    EXPECT_EQ(Prompt.Asked[0].Icon, TPromptIcon::Warning);
    EXPECT_FALSE(Online.IsOnline());
    EXPECT_EQ(Find(0x0025)->Value->GetLong(), 321);
}

TEST_F(GoOnlineTest, NoTimerGoesOfflineKeepingTheDownload) {
    Ticks.Exhausted = true;
    Online.GoOnline(ComPort(1), 0);
    ASSERT_EQ(Prompt.Asked.size(), 1u);
    EXPECT_EQ(Prompt.Asked[0].Text, "No more system timers available!\n\nGoing offline again.");
    EXPECT_EQ(Prompt.Asked[0].Icon, TPromptIcon::Error);
    EXPECT_FALSE(Online.IsOnline());
    EXPECT_NE(Find(0x0025), nullptr);
}

TEST_F(GoOnlineTest, ConnectRulesAndReconnect) {
    EXPECT_FALSE(Online.CanConnect(TConnectTarget::Offline));
    EXPECT_TRUE(Online.CanConnect(TConnectTarget::Scan));
    EXPECT_TRUE(Online.CanConnect(ComPort(3)));
    EXPECT_FALSE(Online.CanConnect(TConnectTarget::LastPort)) << "no port used yet";
    GoOnlineQuietly();
    EXPECT_TRUE(Online.CanConnect(TConnectTarget::Offline));
    EXPECT_FALSE(Online.CanConnect(TConnectTarget::Scan));
    EXPECT_FALSE(Online.CanConnect(TConnectTarget::LastPort));
    EXPECT_FALSE(Online.CanConnect(ComPort(1)));
    EXPECT_TRUE(Online.CanConnect(ComPort(2)));
    // Scan goes online again on the current port, with the whole dialogue.
    Online.GoOnline(TConnectTarget::Scan);
    EXPECT_EQ(Prompt.Asked.size(), 1u);
    EXPECT_TRUE(Online.IsOnline());
    Online.GoOnline(TConnectTarget::Offline);
    EXPECT_TRUE(Online.CanConnect(TConnectTarget::LastPort));
}

TEST_F(GoOnlineTest, BaudChangeReconnectsOnlineAndOnlyStoresOffline) {
    Online.SetBaudRate(57600);
    EXPECT_TRUE(Prompt.Asked.empty());
    EXPECT_EQ(Session().Stream().Baud(), 57600);
    GoOnlineQuietly();
    Online.SetBaudRate(19200);
    ASSERT_EQ(Prompt.Asked.size(), 1u);
    EXPECT_EQ(Prompt.Asked[0].Caption, "Go Online");
    EXPECT_TRUE(Online.IsOnline());
    EXPECT_EQ(Session().Stream().Baud(), 19200);
}

TEST_F(GoOnlineTest, CloseRequestedDuringTheDialogueIsCarriedOutAfterwards) {
    Prompt.OnAsk = [this] { EXPECT_FALSE(Lock.RequestClose()); };
    Online.GoOnline(ComPort(1), 0);
    EXPECT_TRUE(Lock.Closed);
    EXPECT_EQ(Lock.Count, 0);
    EXPECT_FALSE(Ticks.Running());
}

} // namespace
