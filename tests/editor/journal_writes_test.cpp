// The values the editor writes into a device, in the change journal: Write
// Checked and the old data of going online, each line with its source and
// result, and a journal that cannot be written stopping the write before
// anything reaches the device.
#include "editor/compare_fixture.h"
#include "journal/change_journal.h"

#include <QLabel>

#include <filesystem>

namespace kelvo::test {

namespace {

class JournalWrites : public CompareFixture {
protected:
    // Newest first, as the journal gives them.
    std::vector<TJournalEntry> Rows() {
        TJournalStatus status;
        std::vector<TJournalEntry> rows = ReadJournal({}, status);
        EXPECT_TRUE(status.Ok()) << status.Error;
        return rows;
    }
    static const TJournalEntry* RowOf(const std::vector<TJournalEntry>& rows, std::uint16_t address,
                                      int instance = 0) {
        for (const TJournalEntry& row : rows)
            if (row.Address == address && row.Instance == instance)
                return &row;
        return nullptr;
    }
    // The journal cannot be opened: a folder stands where its file goes.
    void BlockJournal() { std::filesystem::create_directories(DefaultJournalPath()); }
    void ChangeDocumentOffline() {
        Form->GoOnline(TConnectTarget::Offline);
        ASSERT_FALSE(Doc().IsOnline());
        Find(0x0025)->Value->SetText("42");
        Prompt.Asked.clear();
    }
};

} // namespace

TEST_F(JournalWrites, WriteCheckedRecordsEachLineWithTheDeviceAndWhatReadingBackShowed) {
    TCompareWindow* w = CompareWith(WriteDataFile([](TFileTypeKelvo& file) {
        SetText(file, 0x0025, 0, "42");
        SetText(file, 0x0062, 1, "55");
        // A choice the device does not have: it refuses the write.
        TMemoryStream raw;
        const unsigned char index[2] = {7, 0};
        raw.Write(index, 2);
        raw.Seek(0, 0);
        ASSERT_GE(Line(file, 0x0072)->Value->ReadRaw(raw), 0);
    }));
    ASSERT_TRUE(w);
    w->WriteChecked();
    EXPECT_EQ(DeviceLong(0x0025), 42);

    const std::vector<TJournalEntry> rows = Rows();
    ASSERT_EQ(rows.size(), 3u);
    const TJournalEntry* setpoint = RowOf(rows, 0x0025);
    ASSERT_TRUE(setpoint);
    EXPECT_EQ(setpoint->OldValue, "500");
    EXPECT_EQ(setpoint->NewValue, "42");
    EXPECT_EQ(setpoint->Result, TJournalResult::Equal);
    EXPECT_EQ(setpoint->Source, TJournalSource::Compare);
    EXPECT_EQ(setpoint->Port, "COM1");
    EXPECT_EQ(setpoint->Program, "KT200 V2.14");
    EXPECT_EQ(setpoint->Serial, "204117");
    EXPECT_FALSE(setpoint->Login.empty());
    const TJournalEntry* second = RowOf(rows, 0x0062, 1);
    ASSERT_TRUE(second) << "the second instance of the group on its own";
    EXPECT_EQ(second->OldValue, "80");
    EXPECT_EQ(second->NewValue, "55");
    const TJournalEntry* refused = RowOf(rows, 0x0072);
    ASSERT_TRUE(refused);
    EXPECT_EQ(refused->Result, TJournalResult::Refused);
}

TEST_F(JournalWrites, AJournalThatCannotBeWrittenStopsWriteCheckedBeforeTheFirstWrite) {
    TCompareWindow* w =
        CompareWith(WriteDataFile([](TFileTypeKelvo& file) { SetText(file, 0x0025, 0, "42"); }));
    ASSERT_TRUE(w);
    BlockJournal();
    w->WriteChecked();
    EXPECT_EQ(DeviceLong(0x0025), 500) << "nothing written";
    ASSERT_EQ(Prompt.Asked.size(), 1u);
    EXPECT_EQ(Prompt.Asked[0].Caption, "Write Checked");
    EXPECT_EQ(Prompt.Asked[0].Text.find("The change could not be recorded in the change journal: "),
              0u)
        << Prompt.Asked[0].Text;
    EXPECT_NE(Prompt.Asked[0].Text.find("Nothing was written."), std::string::npos);
    EXPECT_EQ(w->Result->text().toStdString(),
              "Nothing was written: the change journal cannot be written.");
    EXPECT_GE(TableRow(*w, 0x0025), 0) << "the difference stays";
}

TEST_F(JournalWrites, TheOldDataOfGoingOnlineAreRecordedAsWritten) {
    ChangeDocumentOffline();
    Prompt.Answers = {IdYes, IdOk};
    Form->GoOnline(ComPort(1));
    ASSERT_EQ(Form->Online()->LastOutcome(), TKelvoOnline::TOutcome::Written);
    const std::vector<TJournalEntry> rows = Rows();
    ASSERT_EQ(rows.size(), static_cast<std::size_t>(Form->Online()->LastResult().LinesWritten));
    const TJournalEntry* setpoint = RowOf(rows, 0x0025);
    ASSERT_TRUE(setpoint);
    EXPECT_EQ(setpoint->OldValue, "500") << "what the device held";
    EXPECT_EQ(setpoint->NewValue, "42");
    EXPECT_EQ(setpoint->Result, TJournalResult::Written) << "the dialogue does not read back";
    for (const TJournalEntry& row : rows)
        EXPECT_EQ(row.Source, TJournalSource::OldData);
}

TEST_F(JournalWrites, AJournalThatCannotBeWrittenEndsTheOldDataWriteAsCancelDoes) {
    ChangeDocumentOffline();
    BlockJournal();
    Prompt.Answers = {IdYes, IdOk, IdOk};
    Form->GoOnline(ComPort(1));
    ASSERT_EQ(Prompt.Asked.size(), 3u);
    EXPECT_EQ(Prompt.Asked[1].Caption, "Go Online");
    EXPECT_EQ(Prompt.Asked[1].Text.find("The change could not be recorded in the change journal: "),
              0u)
        << Prompt.Asked[1].Text;
    EXPECT_EQ(Prompt.Asked[2].Text, "Restored old data.\n\nGoing offline again.");
    EXPECT_EQ(Form->Online()->LastOutcome(), TKelvoOnline::TOutcome::Restored);
    EXPECT_EQ(DeviceLong(0x0025), 500) << "nothing written";
    EXPECT_EQ(Find(0x0025)->Value->GetText(), "42") << "the document keeps its old data";
}

} // namespace kelvo::test
