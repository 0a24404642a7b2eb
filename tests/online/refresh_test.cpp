// The work of the timer cycles while online: the refresh order, pending
// edits, device requests, silence, and the device hiding lines.
#include "online_fixture.h"

#include <algorithm>

using namespace kelvo;
using namespace kelvo::test;

namespace {

using RefreshTest = OnlineFixture;

// Rows (from first) that hold a live line, in the order a cyclic walk of
// top..bottom starting at first meets them.
std::vector<int> LiveRowsFrom(TFileTypeKelvo& doc, int first, int top, int bottom) {
    std::vector<int> rows;
    int row = first;
    do {
        TEntry* e = doc.GetEntry(row);
        if (e && e->Value && e->IsLive())
            rows.push_back(row);
        row = row + 1 > bottom ? top : row + 1;
    } while (row != first);
    return rows;
}

TEST_F(RefreshTest, VisibleRowsInterleaveWithTheBackgroundPass) {
    GoOnlineQuietly();
    View.Top = 2;
    View.Rows = 3;
    Cycle();
    // Background line 0, visible row 2, background line 1, visible row 3.
    ASSERT_GE(View.Changed.size(), 4u);
    EXPECT_EQ(std::vector<int>(View.Changed.begin(), View.Changed.begin() + 4),
              (std::vector<int>{0, 2, 1, 3}));
    // Once the visible rows are done, the whole pass is finished in the same cycle.
    EXPECT_FALSE(Session().RefreshPassRunning);
    for (const TEntry& e : Doc.Entries) {
        if (e.Value && !e.HiddenByCount) {
            EXPECT_EQ(e.RefreshStamp, Doc.RefreshCycle) << std::hex << e.Address;
        }
    }
    EXPECT_EQ(Session().RowCursor, 2) << "one full round of the visible rows";
}

TEST_F(RefreshTest, LaterCyclesReadTheLiveRowsFromTheCursor) {
    GoOnlineQuietly();
    View.Top = 0;
    View.Rows = Doc.List().GetRowCount() - 1;
    const int bottom = View.Rows;
    Cycle();
    View.Changed.clear();
    Cycle();
    EXPECT_EQ(View.Changed, LiveRowsFrom(Doc, 0, 0, bottom));
    ASSERT_GE(View.Changed.size(), 2u);

    // Starting between two live rows, the walk wraps round.
    const int cursor = View.Changed[0] + 1;
    Session().RowCursor = cursor;
    View.Changed.clear();
    Cycle();
    EXPECT_EQ(View.Changed, LiveRowsFrom(Doc, cursor, 0, bottom));
    EXPECT_NE(View.Changed.front(), LiveRowsFrom(Doc, 0, 0, bottom).front());
}

TEST_F(RefreshTest, LiveValuesMoveInTheDocument) {
    GoOnlineQuietly();
    View.Rows = Doc.List().GetRowCount();
    Cycle();
    const std::string first = Find(0x0021)->Value->GetText();
    Cycle();
    EXPECT_NE(Find(0x0021)->Value->GetText(), first);
}

TEST_F(RefreshTest, PendingEditIsWrittenOnTheNextCycleAndKeptWhileWritesFail) {
    GoOnlineQuietly();
    TPtr<TEntry> edit(new TEntry(*Find(0x0025)));
    edit->Value->SetLong(900);
    Session().PendingEntry = std::move(edit);

    SilenceDevice();
    Cycle();
    ASSERT_TRUE(Session().PendingEntry) << "a failed write stays pending";
    EXPECT_TRUE(Online.IsOnline());
    WakeDevice();
    const std::int32_t cycle = Doc.RefreshCycle;
    Cycle();
    EXPECT_FALSE(Session().PendingEntry);
    EXPECT_EQ(DeviceLong(0x0025), 900);
    EXPECT_EQ(Doc.RefreshCycle, cycle + 1);
    // The document shows the new value once the device has it.
    EXPECT_EQ(Find(0x0025)->Value->GetLong(), 500);
    View.Rows = Doc.List().GetRowCount();
    Cycle();
    EXPECT_EQ(Find(0x0025)->Value->GetLong(), 900);
}

TEST_F(RefreshTest, ProgramAndResetRequests) {
    GoOnlineQuietly();
    Doc.Info.SetModified(TFileInfo::UndeterminedSize);
    Device->SetWorkingValue(0x0025, 0, RawLong(42));
    Online.RequestDeviceCommand(TDeviceRequest::Program);
    Cycle();
    ASSERT_EQ(Prompt.Asked.size(), 1u);
    EXPECT_EQ(Prompt.Asked[0].Caption, "Program KELVO Device");
    EXPECT_EQ(Prompt.Asked[0].Text, "Success!");
    EXPECT_EQ(StoredLong(0x0025), 42);
    EXPECT_FALSE(Doc.Info.Has(TFileInfo::Modified));
    EXPECT_EQ(View.DocumentChanges, 1);
    EXPECT_EQ(Session().DeviceRequest, TDeviceRequest::None);
    EXPECT_EQ(Online.LastRequestOutcome(), TKelvoOnline::TRequestOutcome::Done);

    Device->SetWorkingValue(0x0025, 0, RawLong(77));
    Online.RequestDeviceCommand(TDeviceRequest::Reset);
    Cycle();
    ASSERT_EQ(Prompt.Asked.size(), 2u);
    EXPECT_EQ(Prompt.Asked[1].Caption, "Reset KELVO Device");
    EXPECT_EQ(Prompt.Asked[1].Text, "Success!");
    EXPECT_EQ(DeviceLong(0x0025), 42) << "reset reloads the stored values";

    SilenceDevice();
    Online.RequestDeviceCommand(TDeviceRequest::Program);
    EXPECT_EQ(Online.LastRequestOutcome(), TKelvoOnline::TRequestOutcome::None)
        << "a new request has no outcome yet";
    Cycle();
    ASSERT_EQ(Prompt.Asked.size(), 3u);
    EXPECT_EQ(Prompt.Asked[2].Text, "Failed!");
    EXPECT_EQ(Online.LastRequestOutcome(), TKelvoOnline::TRequestOutcome::Failed);
}

// An edit the device never took must not vanish when the device falls silent.
TEST_F(RefreshTest, FourthSilentCycleGoesOfflineKeepingThePendingEdit) {
    GoOnlineQuietly();
    View.Rows = 5;
    TPtr<TEntry> edit(new TEntry(*Find(0x0025)));
    edit->Value->SetLong(4321);
    Session().PendingEntry = std::move(edit);
    SilenceDevice();
    for (int i = 0; i < 3; ++i)
        Cycle();
    EXPECT_TRUE(Online.IsOnline());
    EXPECT_TRUE(Prompt.Asked.empty());
    Cycle();
    EXPECT_FALSE(Online.IsOnline());
    EXPECT_FALSE(Ticks.Running());
    ASSERT_EQ(Prompt.Asked.size(), 1u);
    EXPECT_EQ(Prompt.Asked[0].Caption, "KELVO Display Refresh");
    EXPECT_EQ(Prompt.Asked[0].Text, "Missing response from KELVO Device! Going offline.");
    EXPECT_EQ(Prompt.Asked[0].Icon, TPromptIcon::Warning);
    EXPECT_EQ(Find(0x0025)->Value->GetLong(), 4321);
    EXPECT_TRUE(Doc.Info.IsModified());
}

// The device answers ABORT to the read of one line (here: an address it does
// not know) and to nothing else. That line must neither hold the refresh for
// good nor pass for a silent device.
TEST_F(RefreshTest, ALineTheDeviceRefusesToReadHoldsNothingUp) {
    GoOnlineQuietly();
    TEntry* refused = Find(0x0025);
    ASSERT_NE(refused, nullptr);
    refused->Address = 0x0027;

    // The background pass alone (no rows in view) gets past it.
    View.Top = 0;
    View.Rows = 0;
    Doc.StartRefreshCycle();
    for (int i = 0; i < 6 && Session().RefreshPassRunning; ++i)
        Cycle();
    EXPECT_FALSE(Session().RefreshPassRunning);
    for (const TEntry& e : Doc.Entries) {
        if (e.Value && !e.HiddenByCount && &e != refused) {
            EXPECT_EQ(e.RefreshStamp, Doc.RefreshCycle) << std::hex << e.Address;
        }
    }
    EXPECT_NE(refused->RefreshStamp, Doc.RefreshCycle) << "its stamp stays old";
    EXPECT_TRUE(Online.IsOnline());

    // With every row in view, the rows below it keep being refreshed: the
    // live value of channel 2 keeps moving, and the device never counts as
    // silent.
    View.Rows = Doc.List().GetRowCount();
    const std::string before = Find(0x0041)->Value->GetText();
    for (int i = 0; i < 8; ++i)
        Cycle();
    EXPECT_NE(Find(0x0041)->Value->GetText(), before);
    EXPECT_TRUE(Online.IsOnline());
    EXPECT_TRUE(Prompt.Asked.empty());
    EXPECT_EQ(Session().MissingAnswers, 0);
}

TEST_F(RefreshTest, StatusIsRebuiltAtMostEveryHalfSecond) {
    GoOnlineQuietly();
    Ticks.Now = 1000;
    Cycle();
    const int after = View.StatusChanges;
    Ticks.Now = 1400;
    Cycle();
    EXPECT_EQ(View.StatusChanges, after);
    Ticks.Now = 1500;
    Cycle();
    EXPECT_EQ(View.StatusChanges, after + 1);
}

class HidingTest : public OnlineFixture {
protected:
    static TSimDialog Dialog() {
        TSimDialog d = BuiltinDemoDialog();
        // The Channel 1 heading (a line with a separator before it) hides
        // while the unit is Celsius.
        d.HidingRules.push_back({0x0014, 0x0020, 0x0020});
        return d;
    }
    HidingTest() : OnlineFixture(Dialog()) {}

    TEntry* SeparatorBefore(std::uint16_t address) {
        TEntry* previous = nullptr;
        for (TEntry& e : Doc.Entries) {
            if (e.Address == address && e.Value)
                return previous;
            previous = &e;
        }
        return nullptr;
    }
};

TEST_F(HidingTest, HiddenBitReachesTheLineAndItsSeparator) {
    Device->SetWorkingValue(0x0014, 0, RawChoice(1));
    GoOnlineQuietly();
    ASSERT_NE(SeparatorBefore(0x0020), nullptr);
    ASSERT_FALSE(Find(0x0020)->Flags & flags::Hidden);
    const int rows = Doc.List().GetRowCount();
    View.Rows = rows;
    Cycle();
    EXPECT_EQ(Doc.List().GetRowCount(), rows);

    // Celsius: the heading and its separator go on the next refresh cycle.
    Device->SetWorkingValue(0x0014, 0, RawChoice(0));
    Doc.StartRefreshCycle();
    const int listChanges = View.ListChanges;
    Cycle();
    EXPECT_TRUE(Find(0x0020)->Flags & flags::Hidden);
    EXPECT_TRUE(SeparatorBefore(0x0020)->Flags & flags::Hidden);
    EXPECT_FALSE(Session().DisplayDirty);
    EXPECT_GT(View.ListChanges, listChanges);
    EXPECT_EQ(Doc.List().GetRowCount(), rows - 2);

    Device->SetWorkingValue(0x0014, 0, RawChoice(1));
    Doc.StartRefreshCycle();
    Cycle();
    EXPECT_FALSE(Find(0x0020)->Flags & flags::Hidden);
    EXPECT_FALSE(SeparatorBefore(0x0020)->Flags & flags::Hidden);
    EXPECT_EQ(Doc.List().GetRowCount(), rows);
}

using PendingEditTest = OnlineFixture;

// An edit the device never took must not vanish when the document goes offline.
TEST_F(PendingEditTest, GoingOfflineAppliesTheEditToTheDocument) {
    GoOnlineQuietly();
    ASSERT_FALSE(Doc.Info.Has(TFileInfo::Modified));
    TPtr<TEntry> edit(new TEntry(*Find(0x0025)));
    edit->Value->SetLong(1234);
    Session().PendingEntry = std::move(edit);
    Online.GoOnline(TConnectTarget::Offline);
    EXPECT_FALSE(Session().PendingEntry);
    EXPECT_EQ(Find(0x0025)->Value->GetLong(), 1234);
    EXPECT_TRUE(Doc.Info.IsModified());
    EXPECT_GE(View.DocumentChanges, 1);
    EXPECT_EQ(DeviceLong(0x0025), 500);

    // The next go-online offers to write it.
    Prompt.Answers = {IdYes};
    Online.GoOnline(ComPort(1));
    ASSERT_EQ(Prompt.Asked.size(), 2u);
    EXPECT_NE(Prompt.Asked[0].Text.find("New values are different!"), std::string::npos);
    EXPECT_EQ(DeviceLong(0x0025), 1234);
}

TEST_F(PendingEditTest, BaudChangeOffersToWriteTheEditAfterReconnecting) {
    GoOnlineQuietly();
    TPtr<TEntry> contrast(new TEntry(*Find(0x0084)));
    contrast->Value->SetLong(9);
    Session().PendingEntry = std::move(contrast);
    Prompt.Answers = {IdYes};
    Online.SetBaudRate(57600);
    ASSERT_EQ(Prompt.Asked.size(), 2u);
    EXPECT_NE(Prompt.Asked[0].Text.find("New values are different!"), std::string::npos);
    EXPECT_EQ(DeviceLong(0x0084), 9);
    EXPECT_FALSE(Doc.Info.Has(TFileInfo::Modified)) << "this line never marks the document";
}

TEST_F(PendingEditTest, AnEditedCountExpandsItsGroup) {
    GoOnlineQuietly();
    ASSERT_TRUE(Find(0x0062, 2) == nullptr || Find(0x0062, 2)->HiddenByCount);
    TPtr<TEntry> edit(new TEntry(*Find(0x0060)));
    edit->Value->SetLong(3);
    Session().PendingEntry = std::move(edit);
    Online.GoOnline(TConnectTarget::Offline);
    ASSERT_NE(Find(0x0062, 2), nullptr);
    EXPECT_EQ(Find(0x0062, 2)->HiddenByCount, 0);
}

} // namespace
