// The conversion table against the shipped dialogs of the demonstration
// device family: every row is reached by some pair of programs and converts
// it, and the copy lists, set records and routines put the old values where
// the newer program keeps them.
#include "kelvocv_support.h"
#include "online/kelvocv_routines.h"
#include "tools/vdevice/family_dialogs.h"

#include <gtest/gtest.h>

#include <map>
#include <set>

using namespace kelvo;
using namespace kelvo::test;

namespace {

std::vector<std::string> FamilyFiles() {
    std::vector<std::string> files;
    for (const TFamilyProgram& p : FamilyPrograms())
        files.push_back(p.FileName);
    return files;
}

std::string File(const std::string& program) {
    for (const TFamilyProgram& p : FamilyPrograms())
        if (p.ProgramName == program)
            return p.FileName;
    throw std::runtime_error("no program " + program);
}

} // namespace

TEST(KelvocvFamily, ShippedFilesAreCurrentAndLoad) {
    for (const TFamilyProgram& p : FamilyPrograms()) {
        SCOPED_TRACE(p.FileName);
        const TBytes bytes = FamilyFile(p.FileName);
        EXPECT_EQ(bytes, FamilyRecords(p.Dialog)) << "run kelvo-write-family data/dialogs";

        TFileTypeKelvo doc;
        LoadBytes(doc, bytes, p.FileName);
        ASSERT_FALSE(doc.IsEmpty());
        EXPECT_EQ(doc.Entries.DialogVersion, 2);

        // kelvo-sim --dialog serves it.
        const auto lines = ReadLineRecords(bytes);
        ASSERT_TRUE(lines.has_value());
        TSimDialog dialog;
        std::string error;
        EXPECT_TRUE(DialogFromRecords(*lines, dialog, error)) << error;
    }
}

// Every ordered pair of shipped programs: each row of the table is reached by
// at least one, and every pair that finds a row converts.
TEST(KelvocvFamily, EveryRowIsReachedAndConverts) {
    std::map<int, std::string> reached;
    for (const std::string& oldFile : FamilyFiles()) {
        for (const std::string& newFile : FamilyFiles()) {
            TFileTypeKelvo doc;
            LoadPair(doc, oldFile, newFile);
            const int row = FindConversion(doc);
            if (row < 0)
                continue;
            EXPECT_EQ(Convert(doc, row), 1) << oldFile << " -> " << newFile << " row " << row;
            reached.emplace(row, oldFile + " -> " + newFile);
        }
    }
    for (int row = 0; row < ConversionTableRows(); ++row)
        EXPECT_TRUE(reached.count(row)) << "row " << row << " is not reached";
    EXPECT_EQ(ConversionTableRows(), 15);
}

TEST(KelvocvFamily, UnknownDirectionsAreNotConverted) {
    TFileTypeKelvo doc;
    LoadPair(doc, File("KT600 V1.2"), File("KT600 V1.0"));
    EXPECT_EQ(FindConversion(doc), conversion::NoMatchingRow);
    LoadPair(doc, File("KT400 V1.0"), File("KT500 V3.11"));
    EXPECT_EQ(FindConversion(doc), conversion::NoMatchingRow);
    // The built-in demonstration device belongs to no family.
    LoadPair(doc, File("KT400 V2.0"), "demo.dat");
    EXPECT_EQ(FindConversion(doc), conversion::NoMatchingRow);
}

// Each copy record leaves the old line's value in the converted line, in
// both directions (rows 0/1 list X, 2/3 list Y, 10/11 list Z).
TEST(KelvocvFamily, CopyListsMoveEveryValue) {
    const struct {
        const char* Old;
        const char* New;
        int Row;
        int Pairs;
    } cases[] = {
        {"KT400 V1.0", "KT400 V2.0", 0, 58},  {"KT400 V2.1", "KT400 V1.0", 1, 58},
        {"KT400 V2.0", "KT500 V3.11", 2, 56}, {"KT500 V3.11", "KT400 V2.1", 3, 56},
        {"KT100 V1.0", "KT100 V1.1", 10, 4},  {"KT100 V1.1", "KT100 V1.0", 11, 4},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.Old) + " -> " + c.New);
        TFileTypeKelvo doc;
        LoadPair(doc, File(c.Old), File(c.New));
        ASSERT_EQ(FindConversion(doc), c.Row);
        ASSERT_EQ(Convert(doc, c.Row), 1);
        const TConversionRow& row = ConversionTable()[c.Row];
        int pairs = 0;
        for (const std::uint8_t* p = row.CopyRecords; !cvrecord::IsListEnd(p);
             p += cvrecord::CopySize, ++pairs) {
            TLineKey oldKey = cvrecord::GetKey(p);
            TLineKey newKey = cvrecord::GetKey(p + cvrecord::KeySize);
            if (row.Reverse)
                std::swap(oldKey, newKey);
            const TEntry& source = At(doc.OldEntries, oldKey.Address);
            const TEntry& target = At(doc.ConvertedEntries, newKey.Address);
            EXPECT_TRUE(target.Value->IsEqual(*source.Value))
                << std::hex << oldKey.Address << " -> " << newKey.Address;
            // The downloaded dialog shows the value too.
            EXPECT_TRUE(At(doc.Entries, newKey.Address).Value->IsEqual(*source.Value));
        }
        EXPECT_EQ(pairs, c.Pairs);
    }
}

TEST(KelvocvFamily, SetRecordsAndRoutinesReachTheConvertedData) {
    TFileTypeKelvo doc;
    LoadPair(doc, File("KT400 V1.0"), File("KT400 V2.0"));
    ASSERT_EQ(Convert(doc, 0), 1);
    EXPECT_EQ(LongAt(doc.ConvertedEntries, 0x2001), 2);
    EXPECT_EQ(LongAt(doc.ConvertedEntries, 0x3061), 8);

    LoadPair(doc, File("KT100 V1.0"), File("KT100 V1.1"));
    ASSERT_EQ(Convert(doc, 10), 1);
    EXPECT_EQ(LongAt(doc.ConvertedEntries, 0x2101), 1);
    EXPECT_EQ(LongAt(doc.ConvertedEntries, 0x0024), LongAt(doc.OldEntries, 0x0024));

    // Calibration stays with the device, the rest comes from the old data.
    LoadPair(doc, File("KT600 V1.0"), File("KT600 V1.2"));
    ASSERT_EQ(Convert(doc, 12), 1);
    EXPECT_EQ(At(doc.ConvertedEntries, 0x6221).Value->GetText(), "CH-92");
    EXPECT_EQ(At(doc.ConvertedEntries, 0x6201).Value->GetText(),
              At(doc.Entries, 0x6201).Value->GetText());
    EXPECT_NE(At(doc.ConvertedEntries, 0x6201).Value->GetText(),
              At(doc.OldEntries, 0x6201).Value->GetText());

    LoadPair(doc, File("KT700 V1.0"), File("KT700 V2.0"));
    ASSERT_EQ(Convert(doc, 13), 1);
    EXPECT_EQ(LongAt(doc.ConvertedEntries, 0x4003), 4 * 25);
    LoadPair(doc, File("KT700 V2.0"), File("KT700 V1.0"));
    ASSERT_EQ(Convert(doc, 14), 1);
    EXPECT_EQ(LongAt(doc.ConvertedEntries, 0x4003), (10 + 2) / 4);
}

// KT400 V2.0 to KT500 and back gives the old values again, apart from the
// averaging that the KT500 has fixed at 8 samples.
TEST(KelvocvFamily, RoutinesAAndBRoundTrip) {
    TFileTypeKelvo doc;
    LoadPair(doc, File("KT400 V2.0"), File("KT500 V3.11"));
    const TEntries original = doc.OldEntries;
    ASSERT_EQ(Convert(doc, 2), 1);
    const TEntries kt500 = doc.ConvertedEntries;

    LoadBytes(doc, FamilyFile(File("KT400 V2.0")));
    doc.OldEntries = kt500;
    ASSERT_EQ(FindConversion(doc), 3);
    ASSERT_EQ(Convert(doc, 3), 1);
    for (const TEntry& e : original) {
        if (!e.IsEditable() || e.Address == 0x3061)
            continue;
        const TEntry& back = At(doc.ConvertedEntries, e.Address);
        EXPECT_TRUE(back.Value->IsEqual(*e.Value)) << std::hex << e.Address;
    }
    EXPECT_EQ(LongAt(doc.ConvertedEntries, 0x3061), 8);
}

TEST(KelvocvFamily, FailingRangeCopyAndMissingCopyLines) {
    auto erase = [](TEntries& list, std::uint16_t address) {
        for (auto e = list.begin(); e != list.end(); ++e)
            if (e->Address == address) {
                list.erase(e);
                return;
            }
        FAIL() << "no line " << address;
    };
    TFileTypeKelvo doc;
    // One old line more than the newer program has below the limit.
    LoadPair(doc, File("KT400 V2.0"), File("KT400 V2.1"));
    TEntry extra(At(doc.OldEntries, 0x3061));
    extra.Address = 0x3F00;
    doc.OldEntries.push_back(extra);
    doc.ConvertedEntries = doc.Entries;
    EXPECT_EQ(RangeCopy(doc, ExclusionsC1()), conversion::CandidateCountDiffers);
    ASSERT_EQ(FindConversion(doc), 4);
    EXPECT_EQ(Convert(doc, 4), conversion::RoutineFailed);

    // Row 11 copies the old 0x2103..0x2106 back to 0x2101..0x2104.
    LoadPair(doc, File("KT100 V1.1"), File("KT100 V1.0"));
    erase(doc.OldEntries, 0x2105);
    EXPECT_EQ(Convert(doc, 11), conversion::SourceMissing);
    LoadPair(doc, File("KT100 V1.1"), File("KT100 V1.0"));
    erase(doc.Entries, 0x2104);
    EXPECT_EQ(Convert(doc, 11), conversion::TargetMissing);
}
