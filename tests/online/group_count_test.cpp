// A repeated group while online: its count changes through a write or a read,
// and the instances follow at once.
#include "online_fixture.h"

#include <cstring>

using namespace kelvo;
using namespace kelvo::test;

namespace {

class GroupCountTest : public OnlineFixture {
protected:
    // The alarm group of the demonstration device: a count of 2 over five lines.
    static constexpr std::uint16_t Count = 0x0060;
    static constexpr std::uint16_t Setpoint = 0x0062;
    static constexpr std::uint16_t Delay = 0x0065;

    int ShownEntries() const { return Doc.Entries.Count() - Doc.Entries.HiddenCount; }
    bool Shown(std::uint16_t address, int instance) {
        TEntry* e = Find(address, instance);
        return e && !e->HiddenByCount;
    }
    double DeviceDouble(std::uint16_t address, int instance) {
        const TBytes* raw = Device->WorkingValue(address, instance);
        double value = 0;
        if (raw && raw->size() == sizeof value)
            std::memcpy(&value, raw->data(), sizeof value);
        return value;
    }
    // Writes a value the way kelvoctl set does: an edited copy of the line,
    // then the line itself read back.
    int Set(std::uint16_t address, int instance, const std::string& text) {
        TEntry* line = Find(address, instance);
        if (!line || line->HiddenByCount)
            return -1;
        TEntry edited(*line);
        edited.Value->SetText(text);
        if (const int result = Online.ReadWriteLine(edited, true); result < 0)
            return result;
        return Online.ReadWriteLine(*line, false);
    }
    void ShowAllRows() {
        View.Top = 0;
        View.Rows = Doc.List().GetRowCount();
    }
    int RowOf(const TEntry* entry) const {
        const auto& rows = Doc.List().Rows();
        for (std::size_t row = 0; row < rows.size(); ++row)
            if (rows[row] == entry)
                return static_cast<int>(row);
        return -1;
    }
};

TEST_F(GroupCountTest, AWrittenCountBringsItsNewInstanceAtOnce) {
    GoOnlineQuietly();
    ASSERT_TRUE(Shown(Setpoint, 1));
    ASSERT_FALSE(Shown(Setpoint, 2));
    const int shown = ShownEntries();
    const int rows = Doc.List().GetRowCount();
    const int listChanges = View.ListChanges;

    ASSERT_EQ(Set(Count, 0, "3"), 0);
    EXPECT_EQ(DeviceLong(Count), 3);
    ASSERT_TRUE(Shown(Setpoint, 2)) << "the third instance can be written next";
    EXPECT_EQ(ShownEntries(), shown + 6) << "five lines and the separator before the first";
    ASSERT_EQ(Set(Setpoint, 2, "55"), 0);
    EXPECT_EQ(DeviceDouble(Setpoint, 2), 55.0);
    EXPECT_EQ(Find(Setpoint, 2)->Value->GetText(), "55");
    EXPECT_EQ(DeviceDouble(Setpoint, 1), 80.0);

    // The list display is rebuilt once the visible rows have been refreshed.
    ShowAllRows();
    Cycle();
    EXPECT_GT(View.ListChanges, listChanges);
    EXPECT_EQ(Doc.List().GetRowCount(), rows + 6);
}

TEST_F(GroupCountTest, APendingCountEditHidesTheInstancesBeyondIt) {
    GoOnlineQuietly();
    ShowAllRows();
    Cycle();
    const int rows = Doc.List().GetRowCount();

    TPtr<TEntry> edit(new TEntry(*Find(Count)));
    edit->Value->SetLong(1);
    Session().PendingEntry = std::move(edit);
    Cycle();
    EXPECT_FALSE(Session().PendingEntry);
    EXPECT_EQ(DeviceLong(Count), 1);
    EXPECT_EQ(Find(Count)->Value->GetLong(), 1);
    EXPECT_FALSE(Shown(Setpoint, 1)) << "2 -> 1 hides the second instance";
    EXPECT_TRUE(Shown(Setpoint, 0));
    Cycle();
    EXPECT_EQ(Doc.List().GetRowCount(), rows - 6);
}

// The device changed its count by itself (another tool, its own keys): the
// refresh that reads it expands the group, and the new instances are read
// from the device rather than left as copies of the first.
TEST_F(GroupCountTest, ACountReadFromTheDeviceReExpandsItsGroup) {
    GoOnlineQuietly();
    ShowAllRows();
    Cycle();
    ASSERT_FALSE(Session().RefreshPassRunning);
    Device->SetWorkingValue(Count, 0, RawLong(3));
    Device->SetWorkingValue(Delay, 2, RawLong(42));
    Device->SetWorkingValue(Delay, 1, RawLong(17));
    // Only the count's row is in view; the pass of this cycle is over.
    Find(Count)->RefreshStamp = Doc.RefreshCycle - 1;
    View.Top = RowOf(Find(Count));
    View.Rows = 0;
    Cycle();
    EXPECT_EQ(Find(Count)->Value->GetLong(), 3);
    // The rows changed: the list is rebuilt and this cycle ends; the next
    // one reads the new instance in the background.
    Cycle();
    ASSERT_TRUE(Shown(Delay, 2));
    EXPECT_EQ(Find(Delay, 2)->Value->GetLong(), 42);
    EXPECT_EQ(Find(Delay, 2)->RefreshStamp, Doc.RefreshCycle);

    ShowAllRows();
    Device->SetWorkingValue(Count, 0, RawLong(1));
    Doc.StartRefreshCycle();
    for (int i = 0; i < 3; ++i)
        Cycle();
    EXPECT_FALSE(Shown(Delay, 1));
    EXPECT_FALSE(Shown(Delay, 2));
    Device->SetWorkingValue(Count, 0, RawLong(2));
    Doc.StartRefreshCycle();
    for (int i = 0; i < 3; ++i)
        Cycle();
    ASSERT_TRUE(Shown(Delay, 1));
    EXPECT_EQ(Find(Delay, 1)->Value->GetLong(), 17);
    EXPECT_FALSE(Shown(Delay, 2));
}

// Writing old data with a larger count expands the group as the lines go in.
TEST_F(GroupCountTest, OldDataWithAnotherCountExpandTheDownloadedGroup) {
    std::vector<TSimLine> lines = Device->Dialog().Lines;
    SimLine(lines, Count)->Raw = RawLong(3);
    LoadLines(lines);
    ASSERT_TRUE(Shown(Delay, 2));
    Find(Delay, 2)->Value->SetLong(33);

    Prompt.Answers = {IdYes, IdOk};
    Online.GoOnline(ComPort(1));
    ASSERT_EQ(Prompt.Asked.size(), 2u);
    EXPECT_EQ(Prompt.Asked[1].Text, "Reprogramming successful!");
    EXPECT_EQ(DeviceLong(Count), 3);
    EXPECT_EQ(DeviceLong(Delay, 2), 33);
    ASSERT_TRUE(Shown(Delay, 2));
    ShowAllRows();
    Cycle();
    EXPECT_EQ(Find(Delay, 2)->Value->GetLong(), 33);
}

} // namespace
