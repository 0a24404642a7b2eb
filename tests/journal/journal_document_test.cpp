// What the journal takes from a loaded document: the device's program name
// and serial number, and a line's name and value as the list shows them.
#include "journal/journal_document.h"
#include "journal/journal_writes.h"
#include "tools/kelvoctl/document_loader.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

namespace kelvo {

namespace {

TFileTypeKelvo::TEntry* Line(TFileTypeKelvo& document, std::uint16_t address, int instance) {
    for (TFileTypeKelvo::TEntry& e : document.Entries)
        if (e.Address == address && e.IndexI == instance && e.Value)
            return &e;
    return nullptr;
}

} // namespace

TEST(JournalDocument, TheDeviceIsNamedByItsProgramAndSerialNumberLines) {
    TPtr<TFileTypeKelvo> doc;
    ASSERT_EQ(ctl::LoadDocument(KELVO_DEMO_DIALOG_FILE, doc), ctl::TLoadResult::Loaded);
    const TJournalDevice device = JournalDevice(*doc, "COM3");
    EXPECT_EQ(device.Port, "COM3");
    EXPECT_EQ(device.Program, "KT200 V2.14");
    EXPECT_EQ(device.Serial, "204117");

    // A dialog without those lines names its device by the port alone.
    TFileTypeKelvo::TEntries& entries = doc->Entries;
    for (TFileTypeKelvo::TEntry& e : entries)
        if (e.Address == 0x0011 || e.Address == 0x0013)
            e.SetCaptionText("Something else");
    const TJournalDevice bare = JournalDevice(*doc, "/dev/ttyUSB0");
    EXPECT_EQ(bare.Port, "/dev/ttyUSB0");
    EXPECT_EQ(bare.Program, "");
    EXPECT_EQ(bare.Serial, "");
}

TEST(JournalDocument, ALineIsNamedAsTheListShowsIt) {
    TPtr<TFileTypeKelvo> doc;
    ASSERT_EQ(ctl::LoadDocument(KELVO_DEMO_DIALOG_FILE, doc), ctl::TLoadResult::Loaded);
    const TFileTypeKelvo::TEntry* relay = Line(*doc, 0x0065, 1);
    ASSERT_TRUE(relay);
    const TJournalLine named = JournalLine(*relay);
    EXPECT_EQ(named.Address, 0x0065);
    EXPECT_EQ(named.Instance, 1);
    EXPECT_EQ(named.Caption, "Relay K2 delay [s]") << "the caption's placeholders expanded";
    EXPECT_EQ(ShownValue(*relay), "5");

    const TFileTypeKelvo::TEntry* unit = Line(*doc, 0x0014, 0);
    ASSERT_TRUE(unit);
    EXPECT_EQ(JournalLine(*unit).Instance, 0);
    EXPECT_EQ(ShownValue(*unit), "Celsius") << "a choice by its text";
}

TEST(JournalDocument, AWrittenLineIsRecordedAsTheListShowsIt) {
    TPtr<TFileTypeKelvo> doc;
    ASSERT_EQ(ctl::LoadDocument(KELVO_DEMO_DIALOG_FILE, doc), ctl::TLoadResult::Loaded);
    char dir[] = "/tmp/kelvo-journal-line-XXXXXX";
    ASSERT_NE(::mkdtemp(dir), nullptr);
    const std::string path = std::string(dir) + "/journal.sqlite";
    {
        TJournalWrites journal(JournalDevice(*doc, "COM2"), TJournalSource::Compare, path);
        TFileTypeKelvo::TEntry* source = Line(*doc, 0x0063, 1);
        ASSERT_TRUE(source);
        const std::string before = ShownValue(*source);
        TFileTypeKelvo::TEntry edited(*source);
        edited.Value->SetLong(1);
        EXPECT_TRUE(
            JournalRecordLine(journal, "Write Checked", edited, before, TJournalResult::Equal));
    }
    TJournalStatus status;
    const auto entries = ReadJournal({}, status, path);
    std::filesystem::remove_all(dir);
    ASSERT_EQ(entries.size(), 1u) << status.Error;
    const TJournalEntry& e = entries[0];
    EXPECT_EQ(JournalKey(e), "0x0063:1");
    EXPECT_EQ(e.Caption, "Source");
    EXPECT_EQ(e.OldValue, "Channel 1");
    EXPECT_EQ(e.NewValue, "Channel 2");
    EXPECT_EQ(e.Serial, "204117");
    EXPECT_EQ(e.Port, "COM2");
    EXPECT_EQ(e.Source, TJournalSource::Compare);
}

} // namespace kelvo
