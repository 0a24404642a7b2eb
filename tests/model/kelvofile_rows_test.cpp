#include "kelvo_doc_support.h"
#include "model/dlglinevalue_choice.h"
#include "translations/mlparas.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include <unistd.h>

namespace kelvo {
namespace {

using namespace test;
using Doc = TFileTypeKelvo;

TEST(KelvoRows, VisibilityFollowsCountDeviceAndProductionMode) {
    Doc doc;
    ASSERT_EQ(Process(doc, {Line(doc, 1, 0, 0, "plain"), Line(doc, 2, flags::Hidden, 0, "hidden"),
                            Line(doc, 3, flags::ProductionVisible, 0, "production"),
                            Line(doc, 4, 0, CountLevel, "count", 0),
                            Line(doc, 5, 0, MemberLevel, "member")}),
              0);
    auto rowCaptions = [&] {
        std::vector<std::string> out;
        for (int row = 0; row < doc.List().GetRowCount(); ++row)
            out.push_back(doc.GetEntry(row)->GetText(0));
        return out;
    };
    EXPECT_EQ(rowCaptions(), (std::vector<std::string>{"plain", "count"}));
    doc.SetProductionMode(1);
    EXPECT_EQ(rowCaptions(), (std::vector<std::string>{"plain", "production", "count"}));
    doc.SetProductionMode(0);
    EXPECT_EQ(doc.List().GetRowCount(), 2);
    EXPECT_EQ(doc.GetEntry(2), nullptr);
}

class KelvoRowsTranslated : public ::testing::Test {
protected:
    void SetUp() override {
        Path = (std::filesystem::temp_directory_path() /
                ("kelvo_rows_" + std::to_string(::getpid()) + ".lng"))
                   .string();
        std::ofstream(Path, std::ios::binary)
            << "[Deutsch]\r\n\r\nT\r\n\"Channel %d{1+i}\"\r\n=\r\n\"Kanal %d{1+i}\"\r\n\r\n"
               "C\r\n\"|Off|On\"\r\n=\r\n\"|Aus|Ein\"\r\n\r\n";
        ASSERT_EQ(Paragraphs.LoadFile(Path), 1);
    }
    void TearDown() override { std::filesystem::remove(Path); }

    std::string Path;
    TMlparas Paragraphs;
};

TEST_F(KelvoRowsTranslated, CaptionAndValueColumnsShowTheSelectedTranslation) {
    Doc doc(Paragraphs);
    TEntry choice = Line(doc, 1, ChoiceKind, 0, "Channel %d{1+i}");
    auto& value = static_cast<TDlglineValueChoice&>(*choice.Value);
    value.SetChoices(std::vector<std::string>{"Off", "On"});
    value.Index = 1;
    choice.IndexI = 1;
    ASSERT_EQ(Process(doc, {choice}), 0);
    const TEntry& row = doc.Entries.front();
    EXPECT_EQ(row.GetText(0), "Channel 2");
    EXPECT_EQ(row.GetText(1), "On");
    EXPECT_EQ(row.GetText(2), "");

    doc.SetLanguage("Deutsch");
    EXPECT_EQ(doc.TranslationIndex(), 0);
    EXPECT_EQ(row.GetText(0), "Kanal 2");
    EXPECT_EQ(row.GetText(1), "Ein");

    doc.SetLanguage("- No translations -");
    EXPECT_EQ(doc.GetTranslationTable(), nullptr);
    EXPECT_EQ(row.GetText(0), "Channel 2");
}

TEST_F(KelvoRowsTranslated, AParagraphMissingAVisibleCaptionIsNotUsed) {
    Doc doc(Paragraphs);
    ASSERT_EQ(Process(doc, {Line(doc, 1, 0, 0, "Channel %d{1+i}"), Line(doc, 2, 0, 0, "Other")}),
              0);
    doc.SetLanguage("Deutsch");
    EXPECT_EQ(doc.TranslationIndex(), -1);
    // Once the untranslated line is hidden the paragraph covers the document.
    doc.Entries.back().Flags |= flags::ProductionVisible;
    doc.SelectTranslation();
    EXPECT_EQ(doc.TranslationIndex(), 0);
}

TEST(KelvoRows, RowsKeepTheDocumentOrderAndTheSelectionThroughChanges) {
    Doc doc;
    TFakeControl control;
    AttachFakeControl(doc, control);
    ASSERT_EQ(Process(doc, {Line(doc, 1, 0, 0, "b"), Line(doc, 2, 0, CountLevel, "count", 2),
                            Line(doc, 3, 0, MemberLevel, "m"), Line(doc, 9, 0, 0, "a")}),
              0);
    ASSERT_EQ(control.Count, 5);
    control.SetSelection({4}, 4);
    const TEntry* selected = doc.GetEntry(4);
    ASSERT_EQ(selected->CaptionText(), "a");

    // Sorting by any column keeps the document's order: every entry is equal.
    doc.List().SortByColumn(1);
    doc.List().SortByColumn(0);
    for (int row = 0; row < 5; ++row)
        EXPECT_EQ(doc.GetEntry(row), &*std::next(doc.Entries.begin(), row)) << row;

    TEntry& count = *std::next(doc.Entries.begin());
    count.Value->SetLong(1);
    doc.ExpandGroupOf(count);
    ASSERT_EQ(control.Count, 4);
    ASSERT_EQ(control.Selection, std::vector<int>{3});
    EXPECT_EQ(doc.GetEntry(3), selected);
    int row = -1;
    EXPECT_EQ(doc.GetSelectedEntry(row), selected);
    EXPECT_EQ(row, 3);

    // More instances copy the selected member line; the copies are new lines
    // and come up unselected.
    control.SetSelection({2}, 2);
    doc.List().SelectionChanged();
    const TEntry* member = doc.GetEntry(2);
    count.Value->SetLong(3);
    doc.ExpandGroupOf(count);
    ASSERT_EQ(control.Count, 6);
    EXPECT_EQ(control.Selection, std::vector<int>{2});
    EXPECT_EQ(doc.GetEntry(2), member);
}

// A control that must not be reached any more: the window that owned it is
// being taken down.
class TClosedControl : public TFakeControl {
public:
    int ItemCount() const override {
        Touched();
        return TFakeControl::ItemCount();
    }
    void SetItemCount(int count) override {
        Touched();
        TFakeControl::SetItemCount(count);
    }
    void SetSelection(const std::vector<int>& rows, int focusRow) override {
        Touched();
        TFakeControl::SetSelection(rows, focusRow);
    }
    void RowsChanged() override { Touched(); }
    void NotifyChange(int) override { Touched(); }

    bool Closed = false;

private:
    void Touched() const {
        if (Closed)
            ADD_FAILURE() << "the list control was reached after it was closed";
    }
};

TEST(KelvoRows, DestroyingTheDocumentDoesNotReachTheListControl) {
    TClosedControl control;
    {
        Doc doc;
        AttachFakeControl(doc, control);
        ASSERT_EQ(Process(doc, {Line(doc, 1, 0, 0, "a"), Line(doc, 2, 0, 0, "b")}), 0);
        ASSERT_EQ(control.Count, 2);
        control.Closed = true;
    }
}

TEST(KelvoRows, CopyAllLinesPadsCaptionsAndValues) {
    Doc doc;
    EXPECT_EQ(CopyLinesText(doc, true), "") << "an empty document copies nothing";
    ASSERT_EQ(Process(doc, {Line(doc, 1, 0, 0, "Gain", 5),
                            Line(doc, 2, flags::Separator | 0x0001, 0, "Offset", -12),
                            Line(doc, 3, 0x0005, 0, "Deep", 7),
                            Line(doc, 4, 0, 0, "A caption that is too long", 123456)}),
              0);
    const std::string expected = "       <Caption>      :      <Value>\r\n"
                                 "\r\n"
                                 "Gain                  :                   5\r\n"
                                 "\r\n"
                                 "  Offset              :                 -12\r\n"
                                 "      Deep            :                   7\r\n"
                                 "A caption that is too long:              123456\r\n";
    EXPECT_EQ(CopyLinesText(doc, true), expected);

    TFakeControl control;
    AttachFakeControl(doc, control);
    control.Selection = {3};
    EXPECT_EQ(CopyLinesText(doc, false, "\n"), "       <Caption>      :      <Value>\n\n"
                                               "      Deep            :                   7\n");
    control.Selection.clear();
    EXPECT_EQ(CopyLinesText(doc, false), "");
}

} // namespace
} // namespace kelvo
