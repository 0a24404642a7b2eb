#include "kelvo_doc_support.h"

#include <gtest/gtest.h>

namespace kelvo {
namespace {

using namespace test;
using Doc = TFileTypeKelvo;

TEST(KelvoGroups, CountThreeOverOneInstanceCreatesTheMissingOnes) {
    Doc doc;
    const int cycle = doc.RefreshCycle;
    ASSERT_EQ(Process(doc, {Line(doc, 1, 0, 0, "A"), Line(doc, 2, 0, CountLevel, "N", 3),
                            Line(doc, 3, 0, MemberLevel, "M1", 7),
                            Line(doc, 4, 0, MemberLevel, "M2", 8), Line(doc, 5, 0, 0, "Z")}),
              0);
    EXPECT_EQ(Captions(doc),
              (std::vector<std::string>{"A", "N", "M1", "M2", "M1", "M2", "M1", "M2", "Z"}));
    EXPECT_EQ(IndicesI(doc), (std::vector<int>{0, 0, 0, 0, 1, 1, 2, 2, 0}));
    EXPECT_EQ(doc.Entries.HiddenCount, 0);
    EXPECT_EQ(doc.Entries.DialogVersion, 2);
    EXPECT_EQ(doc.RefreshCycle, cycle + 1);
    // The created instances carry the first one's values and are due for reading.
    auto it = std::next(doc.Entries.begin(), 6);
    EXPECT_EQ(it->Value->GetLong(), 7);
    EXPECT_EQ(it->RefreshStamp, cycle - 1);
    EXPECT_EQ(doc.List().GetRowCount(), 9);
}

TEST(KelvoGroups, CountZeroKeepsTheFirstInstanceHidden) {
    Doc doc;
    ASSERT_EQ(Process(doc, {Line(doc, 2, 0, CountLevel, "N", 0), Line(doc, 3, 0, MemberLevel, "M1"),
                            Line(doc, 4, 0, MemberLevel, "M2"), Line(doc, 5, 0, 0, "Z")}),
              0);
    EXPECT_EQ(doc.Entries.Count(), 4);
    EXPECT_EQ(HiddenFlags(doc), (std::vector<bool>{false, true, true, false}));
    EXPECT_EQ(doc.Entries.HiddenCount, 2);
    EXPECT_EQ(doc.List().GetRowCount(), 2);
}

TEST(KelvoGroups, ChangingTheCountHidesAndShowsInstancesWithTheirValues) {
    Doc doc;
    TFakeControl control;
    AttachFakeControl(doc, control);
    // Two instances present, each opened by a member that asks for a separator.
    ASSERT_EQ(Process(doc, {Line(doc, 2, 0, CountLevel, "N", 2),
                            Line(doc, 3, flags::Separator, MemberLevel, "M1", 10),
                            Line(doc, 4, 0, MemberLevel, "M2", 11),
                            Line(doc, 3, flags::Separator, MemberLevel, "M1", 20),
                            Line(doc, 4, 0, MemberLevel, "M2", 21), Line(doc, 9, 0, 0, "Z")}),
              0);
    ASSERT_EQ(Captions(doc),
              (std::vector<std::string>{"N", "-", "M1", "M2", "-", "M1", "M2", "Z"}));
    EXPECT_EQ(IndicesI(doc), (std::vector<int>{0, 0, 0, 0, 1, 1, 1, 0}));
    EXPECT_EQ(control.Count, 8);

    TEntry& count = doc.Entries.front();
    count.Value->SetLong(1);
    doc.ExpandGroupOf(count);
    EXPECT_EQ(doc.Entries.HiddenCount, 3) << "the second instance with its separator";
    EXPECT_EQ(control.Count, 5);

    count.Value->SetLong(2);
    doc.ExpandGroupOf(count);
    EXPECT_EQ(doc.Entries.HiddenCount, 0);
    EXPECT_EQ(control.Count, 8);
    EXPECT_EQ(std::next(doc.Entries.begin(), 5)->Value->GetLong(), 20) << "old value kept";

    // A third instance is copied from the first, separator included.
    count.Value->SetLong(3);
    doc.ExpandGroupOf(count);
    EXPECT_EQ(Captions(doc), (std::vector<std::string>{"N", "-", "M1", "M2", "-", "M1", "M2", "-",
                                                       "M1", "M2", "Z"}));
    EXPECT_EQ(IndicesI(doc), (std::vector<int>{0, 0, 0, 0, 1, 1, 1, 2, 2, 2, 0}));
    EXPECT_EQ(std::next(doc.Entries.begin(), 8)->Value->GetLong(), 10);

    // A line that is no count line changes nothing.
    const auto before = Captions(doc);
    doc.ExpandGroupOf(doc.Entries.back());
    EXPECT_EQ(Captions(doc), before);
}

TEST(KelvoGroups, AFailedReExpansionLeavesTheListAlone) {
    Doc doc;
    ASSERT_EQ(
        Process(doc, {Line(doc, 2, 0, CountLevel, "N", 1), Line(doc, 3, 0, MemberLevel, "M")}), 0);
    TEntry& count = doc.Entries.front();
    count.Value->SetLong(101);
    doc.ExpandGroupOf(count);
    EXPECT_EQ(doc.Entries.Count(), 2);
    EXPECT_EQ(doc.Entries.HiddenCount, 0);
}

TEST(KelvoGroups, ACountLineWithoutValueTakesTheCountFromTheNextLine) {
    Doc doc;
    ASSERT_EQ(Process(doc, {Line(doc, 2, NoKind, CountLevel, "N"), Line(doc, 3, 0, 0, "Count", 2),
                            Line(doc, 4, 0, MemberLevel, "M")}),
              0);
    // The line without value is blank and goes; the member was doubled.
    EXPECT_EQ(Captions(doc), (std::vector<std::string>{"Count", "M", "M"}));
    EXPECT_EQ(IndicesI(doc), (std::vector<int>{0, 0, 1}));
}

struct TStructureCase {
    const char* Name;
    int Status;
    std::vector<std::tuple<std::uint16_t, std::uint16_t, std::uint16_t, std::int32_t>> Lines;
};

TEST(KelvoGroups, StructuralErrorsEmptyTheDocument) {
    const std::uint16_t L3 = 0x0C00;
    const std::vector<TStructureCase> cases = {
        {"member without count", -1995, {{1, 0, 0, 0}, {2, 0, MemberLevel, 0}}},
        {"level 3 outside a group", -1995, {{1, 0, L3, 0}}},
        {"count is a label", -1994, {{1, LabelKind, CountLevel, 0}, {2, 0, MemberLevel, 0}}},
        {"count line without value at the end", -1994, {{1, NoKind, CountLevel, 0}}},
        {"negative count", -1993, {{1, 0, CountLevel, -1}, {2, 0, MemberLevel, 0}}},
        {"count 101", -1992, {{1, 0, CountLevel, 101}, {2, 0, MemberLevel, 0}}},
        {"level 3 inside a group",
         -1991,
         {{1, 0, CountLevel, 1}, {2, 0, MemberLevel, 0}, {3, 0, L3, 0}}},
        {"longer second instance",
         -1989,
         {{1, 0, CountLevel, 2},
          {3, 0, MemberLevel, 0},
          {4, 0, MemberLevel, 0},
          {3, 0, MemberLevel, 0},
          {4, 0, MemberLevel, 0},
          {5, 0, MemberLevel, 0}}},
        {"shorter second instance",
         -1988,
         {{1, 0, CountLevel, 2},
          {3, 0, MemberLevel, 0},
          {4, 0, MemberLevel, 0},
          {5, 0, MemberLevel, 0},
          {3, 0, MemberLevel, 0},
          {4, 0, MemberLevel, 0}}},
    };
    for (const TStructureCase& c : cases) {
        Doc doc;
        std::vector<TEntry> lines;
        for (const auto& [address, flagsWord, layoutWord, value] : c.Lines)
            lines.push_back(Line(doc, address, flagsWord, layoutWord, "L", value));
        EXPECT_EQ(Process(doc, lines), c.Status) << c.Name;
        EXPECT_TRUE(doc.IsEmpty()) << c.Name;
        EXPECT_EQ(doc.Entries.HiddenCount, 0) << c.Name;
        EXPECT_EQ(doc.Entries.DialogVersion, -1) << c.Name;
        EXPECT_EQ(doc.List().GetRowCount(), 0) << c.Name;
    }
    Doc doc;
    EXPECT_EQ(
        Process(doc, {Line(doc, 1, 0, CountLevel, "N", 100), Line(doc, 2, 0, MemberLevel, "M")}), 0)
        << "100 is the largest count";
    EXPECT_EQ(doc.Entries.Count(), 101);
}

// The file of the review: 480 KB, one count of 100 over 60,000 member lines.
// Unbounded it grew to six million entries (22 s, 1.6 GB); now it is
// refused before anything is copied.
TEST(KelvoBounds, AHugeGroupFromASmallFileIsMalformed) {
    TBytes bytes;
    AppendLongRecord(bytes, 1, 0, CountLevel, "N", 100);
    for (int i = 0; i < 60000; ++i) {
        AppendWords(bytes, std::uint16_t(2 + i), LabelKind, MemberLevel);
        AppendText(bytes, "M");
    }
    ASSERT_LT(bytes.size(), 500u * 1024);
    Doc doc;
    LoadBytes(doc, bytes);
    EXPECT_TRUE(doc.IsEmpty());
    EXPECT_EQ(doc.Entries.DialogVersion, -1);
    EXPECT_EQ(doc.List().GetRowCount(), 0);

    // The same lines in memory give the status.
    std::vector<TEntry> lines = {Line(doc, 1, 0, CountLevel, "N", 100)};
    for (int i = 0; i < 60000; ++i)
        lines.push_back(Line(doc, std::uint16_t(2 + i), LabelKind, MemberLevel, "M"));
    EXPECT_EQ(Process(doc, lines), Doc::DialogTooLarge);
    EXPECT_EQ(Doc::DialogTooLarge, -1990);
    EXPECT_TRUE(doc.IsEmpty());
}

TEST(KelvoBounds, InstanceLinesAreBoundedWithoutCountingSeparators) {
    auto group = [](Doc& doc, int members, std::uint16_t memberFlags) {
        std::vector<TEntry> lines = {Line(doc, 1, 0, CountLevel, "N", 2)};
        for (int i = 0; i < members; ++i)
            lines.push_back(Line(doc, std::uint16_t(2 + i), memberFlags, MemberLevel, "M"));
        return lines;
    };
    Doc doc;
    EXPECT_EQ(Doc::MaxInstanceLines, 4096);
    EXPECT_EQ(Process(doc, group(doc, 4096, 0)), 0) << "the bound itself is allowed";
    EXPECT_EQ(doc.Entries.Count(), 1 + 2 * 4096);
    EXPECT_EQ(Process(doc, group(doc, 4097, 0)), -1990);
    EXPECT_TRUE(doc.IsEmpty());

    // Every member with its separator: the tidied instance has twice the
    // entries, and it can still be expanded again.
    doc.Bounds.InstanceLines = 3;
    ASSERT_EQ(Process(doc, group(doc, 3, flags::Separator)), 0);
    ASSERT_EQ(doc.Entries.Count(), 1 + 2 * 6);
    TEntry& count = doc.Entries.front();
    count.Value->SetLong(3);
    doc.ExpandGroupOf(count);
    EXPECT_EQ(doc.Entries.Count(), 1 + 3 * 6);
    EXPECT_EQ(Process(doc, group(doc, 4, flags::Separator)), -1990);
}

TEST(KelvoBounds, TheWholeDocumentIsBounded) {
    EXPECT_EQ(Doc::MaxEntries, 1000000);
    Doc doc;
    doc.Bounds.Entries = 20;
    // 4 lines, a count of 4 over 4 members: 1 + 16 + 3 = 20 entries.
    auto dialog = [&doc](int count, std::uint16_t lastFlags) {
        std::vector<TEntry> lines = {Line(doc, 1, 0, 0, "A"),
                                     Line(doc, 2, 0, CountLevel, "N", count)};
        for (int i = 0; i < 4; ++i)
            lines.push_back(Line(doc, std::uint16_t(3 + i), 0, MemberLevel, "M"));
        lines.push_back(Line(doc, 8, 0, 0, "B"));
        lines.push_back(Line(doc, 9, lastFlags, 0, "C"));
        return lines;
    };
    EXPECT_EQ(Process(doc, dialog(4, 0)), 0);
    EXPECT_EQ(doc.Entries.Count(), 20);
    EXPECT_EQ(Process(doc, dialog(5, 0)), -1990) << "one instance more";
    EXPECT_TRUE(doc.IsEmpty());
    EXPECT_EQ(Process(doc, dialog(4, flags::Separator)), -1990) << "one separator more";
    EXPECT_TRUE(doc.IsEmpty());

    // Raising a count beyond the bound leaves the document as it was.
    ASSERT_EQ(Process(doc, dialog(3, 0)), 0);
    TEntry& count = *std::next(doc.Entries.begin());
    count.Value->SetLong(5);
    doc.ExpandGroupOf(count);
    EXPECT_EQ(doc.Entries.Count(), 16);
    EXPECT_EQ(doc.Entries.HiddenCount, 0);

    // A file with more records than the bound is not read to its end.
    TBytes bytes;
    for (int i = 0; i < 21; ++i)
        AppendLongRecord(bytes, std::uint16_t(i), 0, 0, "L", i);
    LoadBytes(doc, bytes);
    EXPECT_TRUE(doc.IsEmpty());
    bytes.resize(bytes.size() / 21 * 20);
    LoadBytes(doc, bytes);
    EXPECT_EQ(doc.Entries.Count(), 20);
}

TEST(KelvoGroups, TidyingRemovesBlankLinesAndAddsSeparators) {
    Doc doc;
    TEntry blank = Line(doc, 2, 0, 0, "");
    ASSERT_EQ(Process(doc, {Line(doc, 1, 0, 0, "A"), blank, Line(doc, 3, NoKind, 0, "no value"),
                            Line(doc, 4, flags::Separator | 0x0005, 0, "B", 42)}),
              0);
    ASSERT_EQ(Captions(doc), (std::vector<std::string>{"A", "-", "B"}));
    const TEntry& separator = *std::next(doc.Entries.begin());
    EXPECT_EQ(separator.Address, 4);
    EXPECT_EQ(separator.Flags, flags::Separator | 0x0005);
    EXPECT_FALSE(separator.Value);
    EXPECT_EQ(separator.GetText(0), "");
    EXPECT_EQ(separator.GetText(1), "");
    EXPECT_TRUE(separator.IsVisible());
}

} // namespace
} // namespace kelvo
