// kelvoctl set and program in the change journal: each line written with
// the device, its old and new value and what reading back showed; a journal
// that cannot be written keeps the device as it was.
#include "journal/change_journal.h"
#include "kelvoctl/kelvoctl_fixture.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace kelvo::test {

namespace {

class KelvoctlJournalOnline : public KelvoctlOnline {
protected:
    void SetUp() override {
        KelvoctlOnline::SetUp();
        // kelvoctl inherits it: its journal and snapshots go to the test's folder.
        ::setenv("XDG_DATA_HOME", Sim.Path("data").c_str(), 1);
    }
    std::vector<TJournalEntry> Rows() const {
        TJournalStatus status;
        std::vector<TJournalEntry> rows = ReadJournal({}, status);
        EXPECT_TRUE(status.Ok()) << status.Error;
        return rows;
    }
    // The newest row of a line that wrote newValue.
    static const TJournalEntry* Wrote(const std::vector<TJournalEntry>& rows, std::uint16_t address,
                                      const std::string& newValue) {
        for (const TJournalEntry& row : rows)
            if (row.Address == address && row.NewValue == newValue)
                return &row;
        return nullptr;
    }
};

} // namespace

TEST_F(KelvoctlJournalOnline, SetRecordsEachLineAndAJournalThatCannotBeWrittenWritesNothing) {
    auto run = Ctl("set", "0x25=750 0x63:1=1");
    ASSERT_EQ(run.Exit, 0) << run.Err;
    std::vector<TJournalEntry> rows = Rows();
    const TJournalEntry* filter = Wrote(rows, 0x0025, "750");
    ASSERT_TRUE(filter) << rows.size();
    EXPECT_EQ(filter->OldValue, "500");
    EXPECT_EQ(filter->Caption, "Filter time [ms]");
    EXPECT_EQ(filter->Result, TJournalResult::Equal);
    EXPECT_EQ(filter->Source, TJournalSource::Kelvoctl);
    EXPECT_EQ(filter->Port, Sim.Link);
    EXPECT_EQ(filter->Program, "KT200 V2.14");
    EXPECT_EQ(filter->Serial, "204117");
    const TJournalEntry* source = Wrote(rows, 0x0063, "Channel 2");
    ASSERT_TRUE(source);
    EXPECT_EQ(source->Instance, 1);
    EXPECT_EQ(source->OldValue, "Channel 1");

    // A folder where the journal's file goes: nothing is written.
    std::filesystem::remove(DefaultJournalPath());
    std::filesystem::create_directories(DefaultJournalPath());
    run = CtlOnce("set", "0x25=600");
    EXPECT_EQ(run.Exit, 2) << run.Err;
    EXPECT_NE(run.Err.find("kelvoctl set: the change journal cannot be written: "),
              std::string::npos)
        << run.Err;
    EXPECT_NE(run.Err.find("; nothing was written"), std::string::npos) << run.Err;
    EXPECT_EQ(Ctl("get", "0x25").Out, "0x0025 Filter time [ms] = 750\n");
}

TEST_F(KelvoctlJournalOnline, ProgramRecordsTheOldDataItWrites) {
    const std::string saved = Sim.Path("before.dat");
    ASSERT_EQ(Ctl("download", "-o '" + saved + "'").Exit, 0);
    ASSERT_EQ(Ctl("set", "0x25=42").Exit, 0);
    const auto run = Ctl("program", "'" + saved + "' --answer yes");
    ASSERT_EQ(run.Exit, 0) << run.Err;
    const std::vector<TJournalEntry> rows = Rows();
    const TJournalEntry* back = Wrote(rows, 0x0025, "500");
    ASSERT_TRUE(back);
    EXPECT_EQ(back->OldValue, "42") << "what the device held";
    EXPECT_EQ(back->Source, TJournalSource::Kelvoctl);
    EXPECT_EQ(back->Result, TJournalResult::Written) << "the go-online dialogue does not read back";
    EXPECT_EQ(back->Port, Sim.Link);
}

} // namespace kelvo::test
