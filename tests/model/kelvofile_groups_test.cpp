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
