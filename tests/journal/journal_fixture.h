#pragma once
// A scratch folder for a journal of the test's own, removed afterwards.
#include "journal/change_journal.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace kelvo::test {

class JournalFixture : public ::testing::Test {
protected:
    void SetUp() override {
        char dir[] = "/tmp/kelvo-journal-test-XXXXXX";
        ASSERT_NE(::mkdtemp(dir), nullptr);
        Dir = dir;
        Path = Dir + "/journal.sqlite";
    }
    void TearDown() override {
        std::error_code ignored;
        std::filesystem::remove_all(Dir, ignored);
    }
    static TJournalEntry Entry(std::uint16_t address, std::string newValue,
                               std::string serial = "204117", std::string port = "COM1") {
        TJournalEntry e;
        e.Port = std::move(port);
        e.Program = "KT200 V2.14";
        e.Serial = std::move(serial);
        e.Address = address;
        e.Caption = "Filter time [ms]";
        e.OldValue = "500";
        e.NewValue = std::move(newValue);
        return e;
    }
    std::vector<TJournalEntry> All() const {
        TJournalStatus status;
        auto entries = ReadJournal({}, status, Path);
        EXPECT_TRUE(status.Ok()) << status.Error;
        return entries;
    }

    std::string Dir;
    std::string Path;
};

} // namespace kelvo::test
