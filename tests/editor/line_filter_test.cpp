// The rows the filter lets through and the values it counts as changed, on
// documents made in memory (no window).
#include "editor/file_values.h"
#include "editor/line_filter.h"
#include "foundation/codepage.h"
#include "model/kelvo_doc_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>

#include <string>
#include <vector>

namespace kelvo::test {
namespace {

using namespace flags;
constexpr std::uint16_t Indent1 = IndentLow;
constexpr std::uint16_t Indent2 = IndentHigh;

// A document like a small transmitter: two channels under their headings and
// a repeated group of two alarms.
class LineFilter : public ::testing::Test {
protected:
    LineFilter() {
        std::vector<TEntry> lines = {
            Line(Doc, 0x10, LabelKind, 0, "Channel 1"),
            Line(Doc, 0x11, Indent1, 0, "Range start", -50),
            Line(Doc, 0x12, Indent1, 0, "Filter time", 500),
            Line(Doc, 0x20, LabelKind | Separator, 0, "Channel 2"),
            Line(Doc, 0x21, Indent1, 0, "Range start", 0),
            Line(Doc, 0x22, Indent1, layout::Live, "Measured", 18),
            Line(Doc, 0x60, Separator, CountLevel, "Alarms", 2),
            Line(Doc, 0x61, LabelKind | Separator | Indent1, MemberLevel, "Alarm %d{1+i}"),
            Line(Doc, 0x62, Indent2, MemberLevel, "Setpoint", 80),
            Line(Doc, 0x70, Separator, 0,
                 OemText("\xC3\x9C"
                         "berlauf"),
                 3),
        };
        EXPECT_EQ(Process(Doc, lines), 0);
        Doc.List().SetRowFilter([this](TSortedVlvEntries& rows) { Filter.Apply(rows); });
        Filter.SetChangedTest([this](const TEntry& e) { return Values.Differs(e); });
    }
    static std::string OemText(const std::string& utf8) { return Utf8ToOem(utf8); }

    // The captions of the rows shown; a separator is "-".
    std::vector<std::string> Rows(const QString& text, bool changedOnly = false) {
        Filter.SetText(text);
        Filter.SetChangedOnly(changedOnly);
        Doc.RebuildDisplay();
        std::vector<std::string> out;
        for (int row = 0; row < Doc.List().GetRowCount(); ++row) {
            const TEntry* e = Doc.GetEntry(row);
            out.push_back(e->IsBlank() ? "-" : OemToUtf8(e->GetText(0)));
        }
        return out;
    }
    TEntry& At(std::uint16_t address, int instance = 0) {
        for (TEntry& e : Doc.Entries)
            if (e.Address == address && e.IndexI == instance && e.Value)
                return e;
        throw std::logic_error("no such line");
    }
    using TRows = std::vector<std::string>;

    TFileTypeKelvo Doc;
    TLineFilter Filter;
    TFileValues Values;
};

TEST_F(LineFilter, CaptionsAndValuesMatchWithoutCaseAndKeepTheirHeadings) {
    const TRows all = Rows("");
    EXPECT_EQ(all.size(), 17u) << "no filter: every visible row";
    EXPECT_EQ(Rows("range"), (TRows{"Channel 1", "Range start", "-", "Channel 2", "Range start"}))
        << "a separator stays between kept rows";
    EXPECT_EQ(Rows("  RANGE sTaRt "), Rows("range")) << "case and surrounding spaces";
    EXPECT_EQ(Rows("500"), (TRows{"Channel 1", "Filter time"})) << "by the value column";
    EXPECT_EQ(Rows("-50"), (TRows{"Channel 1", "Range start"}));
    // A group member keeps its instance's heading and the group's count line.
    At(0x62, 1).Value->SetLong(95);
    EXPECT_EQ(Rows("95"), (TRows{"Alarms", "-", "Alarm 2", "Setpoint"}));
    EXPECT_EQ(Rows("Alarm 2"), (TRows{"Alarms", "-", "Alarm 2"})) << "an expanded caption";
    // Neither a leading separator nor one without a kept row after it.
    EXPECT_EQ(Rows("alarms"), (TRows{"Alarms"}));
    EXPECT_EQ(Rows("nothing like it"), TRows{});
}

TEST_F(LineFilter, LettersBeyondAsciiCompareAsTheListShowsThem) {
    // The caption is held in the device's code page (0x9A is "Ü" there).
    ASSERT_EQ(At(0x70).CaptionText(), "\x9A"
                                      "berlauf");
    EXPECT_EQ(Rows("üBERLAUF"), (TRows{"Überlauf"}));
    EXPECT_EQ(Rows("\xC3\xBC"), (TRows{"Überlauf"})) << "ü finds Ü";
    EXPECT_EQ(Rows("uberlauf"), TRows{}) << "no accent folding: u is not ü";
}

TEST_F(LineFilter, TextsForTheEmptyListSayWhy) {
    Filter.SetText("xyz");
    EXPECT_EQ(Filter.NoMatchText(), "No line matches \"xyz\"");
    Filter.SetChangedOnly(true);
    EXPECT_EQ(Filter.NoMatchText(), "No changed line matches \"xyz\"");
    Filter.SetText("");
    EXPECT_EQ(Filter.NoMatchText(), "No line differs from the file");
    Filter.SetChangedOnly(false);
    EXPECT_FALSE(Filter.IsActive());
}

TEST_F(LineFilter, ChangedOnlyComparesWithTheFileLineByLineAndInstanceByInstance) {
    Values.Take(Doc.Entries);
    EXPECT_EQ(Rows("", true), TRows{}) << "just loaded: nothing differs";
    At(0x12).Value->SetLong(750);
    At(0x62, 1).Value->SetLong(90);
    At(0x22).Value->SetLong(19); // a live line drifts by itself
    EXPECT_EQ(Rows("", true),
              (TRows{"Channel 1", "Filter time", "-", "Alarms", "-", "Alarm 2", "Setpoint"}));
    EXPECT_EQ(Rows("filter", true), (TRows{"Channel 1", "Filter time"})) << "both filters";
    EXPECT_EQ(Rows("range", true), TRows{});
    At(0x12).Value->SetLong(500);
    EXPECT_EQ(Rows("", true), (TRows{"Alarms", "-", "Alarm 2", "Setpoint"})) << "changed back";

    // What the document was saved as is the file from then on.
    Values.Take(Doc.Entries);
    EXPECT_EQ(Rows("", true), TRows{});
}

TEST_F(LineFilter, WithoutAFileEveryLineWithAValueCountsAsChanged) {
    Values.Forget();
    EXPECT_FALSE(Values.HasFile());
    const TRows rows = Rows("", true);
    EXPECT_EQ(rows.size(), 16u) << "all but the live line, with headings and separators";
    EXPECT_EQ(std::count(rows.begin(), rows.end(), "Measured"), 0);
    EXPECT_EQ(std::count(rows.begin(), rows.end(), "-"), 5);
    EXPECT_FALSE(Values.Differs(At(0x10))) << "a heading has no value to change";

    // A line the file lacks, or whose kind is not the file's, differs too.
    Values.Take(Doc.Entries);
    TEntry other = At(0x12);
    other.Address = 0x13;
    EXPECT_TRUE(Values.Differs(other));
    TEntry text = At(0x12);
    text.CreateValue(KindText);
    EXPECT_TRUE(Values.Differs(text));
}

TEST_F(LineFilter, RowsTheFilterDropsLoseTheirSelection) {
    TFakeControl control;
    AttachFakeControl(Doc, control);
    Doc.List().SetRowFilter([this](TSortedVlvEntries& rows) { Filter.Apply(rows); });
    Doc.RebuildDisplay();
    TEntry& filterTime = At(0x12);
    control.Selection = {2};
    control.Focus = 2;
    Doc.List().SelectionChanged();
    ASSERT_TRUE(filterTime.Selected);

    ASSERT_EQ(Rows("range").size(), 5u);
    EXPECT_FALSE(filterTime.Selected) << "out of sight, not selected";
    EXPECT_FALSE(filterTime.Focused);
    EXPECT_EQ(control.Selection, (std::vector<int>{0})) << "the first row shown instead";

    // The line the user went to in the filtered list stays selected after.
    control.Selection = {4};
    control.Focus = 4;
    Doc.List().SelectionChanged();
    const TRows all = Rows("");
    EXPECT_EQ(control.Selection, (std::vector<int>{5}));
    EXPECT_EQ(Doc.GetEntry(5), &At(0x21));
    EXPECT_EQ(all.size(), 17u);
}

} // namespace
} // namespace kelvo::test
