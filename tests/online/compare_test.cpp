// A data file compared with the device line by line, and the chosen rows
// written into the device.
#include "online/kelvo_compare.h"
#include "online/kelvocv.h"
#include "online_fixture.h"
#include "tools/vdevice/family_dialogs.h"

#include <fstream>
#include <iterator>

using namespace kelvo;
using namespace kelvo::test;

namespace {

// The demonstration dialog with an editable live line (the calibration date).
TSimDialog DialogWithEditableLiveLine() {
    TSimDialog d = BuiltinDemoDialog();
    SimLine(d.Lines, 0x0082)->Layout |= 0x8000;
    return d;
}

class CompareTest : public OnlineFixture {
protected:
    CompareTest() : OnlineFixture(DialogWithEditableLiveLine()) {}
    void SetUp() override {
        GoOnlineQuietly();
        ASSERT_TRUE(Online.IsOnline());
        Doc.StartRefreshCycle();
        ASSERT_EQ(Online.ReadAllLines(), 0);
        // The file starts as a copy of what the device holds.
        File.Entries = Doc.Entries;
    }
    TEntry* InFile(std::uint16_t address, int instance = 0) {
        for (TEntry& e : File.Entries)
            if (e.Address == address && e.IndexI == instance && e.Value)
                return &e;
        ADD_FAILURE() << "no line " << address << ":" << instance;
        return nullptr;
    }
    void SetFileText(std::uint16_t address, int instance, const std::string& text) {
        if (TEntry* e = InFile(address, instance))
            e->Value->SetText(text);
    }
    static std::string Summary(const TComparison& c) {
        std::string s;
        for (const TCompareRow& row : c.Rows)
            s += std::to_string(row.Address) + ":" + std::to_string(row.Instance) + " " +
                 ReasonKey(row.Reason) + "\n";
        return s;
    }
    static std::size_t RowOf(const TComparison& c, std::uint16_t address, int instance = 0) {
        for (std::size_t i = 0; i < c.Rows.size(); ++i)
            if (c.Rows[i].Address == address && c.Rows[i].Instance == instance)
                return i;
        ADD_FAILURE() << "no row " << address << ":" << instance;
        return c.Rows.size();
    }

    TFileTypeKelvo File;
};

} // namespace

TEST_F(CompareTest, AFileLikeTheDeviceIsEqual) {
    const TComparison c = CompareWithDevice(File, Doc);
    EXPECT_TRUE(c.Equal()) << Summary(c);
    EXPECT_FALSE(c.Converted);
    EXPECT_FALSE(c.Incompatible);
}

TEST_F(CompareTest, ReadOnlyDifferencesLeaveTheProgrammableValuesEqual) {
    SetFileText(0x0081, 0, "1");
    SetFileText(0x0021, 0, "3.5");
    TComparison c = CompareWithDevice(File, Doc);
    EXPECT_EQ(c.Rows.size(), 2u);
    EXPECT_FALSE(c.AllEqual());
    EXPECT_TRUE(c.Equal());
    SetFileText(0x0084, 0, "3"); // editable, though it never marks the document modified
    c = CompareWithDevice(File, Doc);
    EXPECT_FALSE(c.Equal());
    EXPECT_FALSE(c.Incompatible) << "other values are no other structure";
}

TEST_F(CompareTest, EveryReasonIsFoundGroupInstancesIncluded) {
    SetFileText(0x0025, 0, "42");         // an editable value
    SetFileText(0x0082, 0, "2025-01-01"); // an editable live line
    SetFileText(0x0081, 0, "1");          // read-only (and live)
    SetFileText(0x0062, 1, "55");         // the second alarm's setpoint
    InFile(0x0071)->SetCaptionText("Station number");
    for (auto it = File.Entries.begin(); it != File.Entries.end(); ++it)
        if (it->Address == 0x0072) {
            File.Entries.erase(it);
            break;
        }
    TEntry extra(*InFile(0x0084));
    extra.Address = 0x0090;
    File.Entries.push_back(extra);

    const TComparison c = CompareWithDevice(File, Doc);
    EXPECT_EQ(Summary(c), std::to_string(0x25) + ":0 value\n" + std::to_string(0x62) +
                              ":1 value\n" + std::to_string(0x71) + ":0 definition\n" +
                              std::to_string(0x72) + ":0 missing-in-file\n" + std::to_string(0x81) +
                              ":0 read-only\n" + std::to_string(0x82) + ":0 live\n" +
                              std::to_string(0x90) + ":0 missing-in-device\n");
    EXPECT_TRUE(c.Incompatible) << "editable lines defined otherwise, and no conversion fits";
    const TCompareRow& setpoint = c.Rows[RowOf(c, 0x0062, 1)];
    EXPECT_TRUE(setpoint.Member);
    EXPECT_EQ(setpoint.Caption.find("Setpoint"), 0u) << setpoint.Caption;
    EXPECT_NE(setpoint.FileValue.find("55"), std::string::npos);
    EXPECT_NE(setpoint.DeviceValue.find("80"), std::string::npos);
    // Only a line both sides define alike, and the user may edit, can be written.
    EXPECT_TRUE(setpoint.Writable());
    EXPECT_TRUE(c.Rows[RowOf(c, 0x0082)].Writable());
    EXPECT_FALSE(c.Rows[RowOf(c, 0x0081)].Writable());
    EXPECT_FALSE(c.Rows[RowOf(c, 0x0071)].Writable());
    EXPECT_FALSE(c.Rows[RowOf(c, 0x0072)].Writable());
    EXPECT_FALSE(c.Rows[RowOf(c, 0x0090)].Writable());
    EXPECT_TRUE(c.Rows[RowOf(c, 0x0072)].FileValue.empty());
}

TEST_F(CompareTest, CheckedRowsAreWrittenAndReadBack) {
    SetFileText(0x0025, 0, "42");
    SetFileText(0x0062, 1, "55");
    SetFileText(0x0065, 0, "9");
    SetFileText(0x0081, 0, "1");
    const TComparison c = CompareWithDevice(File, Doc);
    ASSERT_EQ(c.Rows.size(), 4u) << Summary(c);

    // The relay delay is left unchecked; the read-only line cannot be written.
    const std::vector<TRowWrite> done =
        WriteRows(Online, c, {RowOf(c, 0x0025), RowOf(c, 0x0062, 1), RowOf(c, 0x0081)});
    ASSERT_EQ(done.size(), 3u);
    EXPECT_EQ(done[0].Result, TRowWrite::Written);
    EXPECT_EQ(done[1].Result, TRowWrite::Written);
    EXPECT_EQ(done[2].Result, TRowWrite::NotWritable);
    EXPECT_EQ(DeviceLong(0x0025), 42);
    EXPECT_EQ(DeviceLong(0x0065), 5);
    // The document holds what was read back.
    EXPECT_EQ(Find(0x0025)->Value->GetText(), "42");

    const TComparison after = CompareWithDevice(File, Doc);
    EXPECT_EQ(Summary(after),
              std::to_string(0x65) + ":0 value\n" + std::to_string(0x81) + ":0 read-only\n");
}

TEST_F(CompareTest, TheSnapshotComesBeforeTheFirstWriteAndWithoutItNothingIsWritten) {
    SetFileText(0x0025, 0, "42");
    SetFileText(0x0065, 0, "9");
    SetFileText(0x0081, 0, "1");
    const TComparison c = CompareWithDevice(File, Doc);
    int snapshots = 0;
    // A row that cannot be written needs no snapshot.
    std::vector<TRowWrite> done = WriteRows(Online, c, {RowOf(c, 0x0081)}, [&] {
        ++snapshots;
        return true;
    });
    EXPECT_EQ(snapshots, 0);
    ASSERT_EQ(done.size(), 1u);
    EXPECT_EQ(done[0].Result, TRowWrite::NotWritable);

    done = WriteRows(Online, c, {RowOf(c, 0x0025), RowOf(c, 0x0065)}, [&] {
        ++snapshots;
        // The device still holds its old values when the snapshot is taken.
        EXPECT_EQ(DeviceLong(0x0025), 500);
        return false;
    });
    EXPECT_EQ(snapshots, 1);
    ASSERT_EQ(done.size(), 1u);
    EXPECT_EQ(done[0].Result, TRowWrite::NoSnapshot);
    EXPECT_EQ(DeviceLong(0x0025), 500);
    EXPECT_EQ(DeviceLong(0x0065), 5);

    done = WriteRows(Online, c, {RowOf(c, 0x0025), RowOf(c, 0x0065)}, [&] {
        ++snapshots;
        return true;
    });
    EXPECT_EQ(snapshots, 2) << "one snapshot for all rows";
    ASSERT_EQ(done.size(), 2u);
    EXPECT_EQ(DeviceLong(0x0025), 42);
    EXPECT_EQ(DeviceLong(0x0065), 9);
}

TEST_F(CompareTest, ASilentDeviceStopsTheWrites) {
    SetFileText(0x0025, 0, "42");
    SetFileText(0x0065, 0, "9");
    const TComparison c = CompareWithDevice(File, Doc);
    SilenceDevice();
    const std::vector<TRowWrite> done = WriteRows(Online, c, {0, 1});
    ASSERT_EQ(done.size(), 1u);
    EXPECT_EQ(done[0].Result, TRowWrite::WriteFailed);
}

namespace {

class CompareConvertedTest : public OnlineFixture {
protected:
    CompareConvertedTest() : OnlineFixture(FamilyProgram("KT400 V2.0").Dialog) {}
};

} // namespace

TEST_F(CompareConvertedTest, DataOfAnOlderProgramAreConvertedFirst) {
    GoOnlineQuietly();
    ASSERT_TRUE(Online.IsOnline());
    Doc.StartRefreshCycle();
    ASSERT_EQ(Online.ReadAllLines(), 0);
    TFileTypeKelvo file;
    {
        std::ifstream in(std::string(KELVO_DIALOG_DIR) + "/" + FamilyProgram("KT400 V1.0").FileName,
                         std::ios::binary);
        const TBytes bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
        TMemoryStream stream;
        stream.Write(bytes.data(), static_cast<std::int32_t>(bytes.size()));
        stream.Seek(0, 0);
        TFileAccess access("Open File");
        access.Reader.Init(&stream, "old.dat");
        file.Read(access);
    }
    ASSERT_FALSE(file.IsEmpty());
    const TComparison c = CompareWithDevice(file, Doc);
    EXPECT_TRUE(c.Converted);
    EXPECT_FALSE(c.Incompatible);
    // Converted data lie on the device's dialog: nothing is missing on either side.
    for (const TCompareRow& row : c.Rows) {
        EXPECT_NE(row.Reason, TCompareRow::MissingInDevice) << row.Address;
        EXPECT_NE(row.Reason, TCompareRow::MissingInFile) << row.Address;
    }
    // The old input filter time, now at its new address, is one of the differences
    // unless the device already held it.
    const std::size_t filter = [&] {
        for (std::size_t i = 0; i < c.Rows.size(); ++i)
            if (c.Rows[i].Address == 0x2114)
                return i;
        return c.Rows.size();
    }();
    if (filter < c.Rows.size()) {
        EXPECT_EQ(c.Rows[filter].Reason, TCompareRow::Value);
    }
}
