// What the window asks of the online operation about its rows: the line
// status with the state of the link, and the editing of a value offline
// (online editing is tested with the refresh and in the editor).
#include "foundation/prompt.h"
#include "model/dlglinevalue_choice.h"
#include "model/kelvo_doc_support.h"
#include "model/value_editor.h"
#include "online/kelvo_online.h"
#include "online_fixture.h"
#include "support/scripted_prompt.h"

#include <gtest/gtest.h>

#include <regex>

namespace kelvo {
namespace {

using namespace test;
using Doc = TFileTypeKelvo;

TEST(OnlineRows, StatusTextNamesTheLineAndTheLinkState) {
    Doc doc;
    TKelvoOnline online(doc, nullptr, nullptr, nullptr);
    EXPECT_EQ(online.StatusText(0), "") << "no list control attached";
    TFakeControl control;
    AttachFakeControl(doc, control);
    ASSERT_EQ(Process(doc, {Line(doc, 0x10, 0x0005, CountLevel, "count", 1),
                            Line(doc, 0x11, 0, MemberLevel, "m")}),
              0);
    EXPECT_EQ(online.StatusText(0), "Line 1/2: \"0x0010 0005 0400 [0]\"\t Offline");
    control.Selection = {1};
    EXPECT_EQ(online.StatusText(-1), "Line 2/2: \"0x0011 0000 0800 [0]\"\t Offline");
    control.Selection.clear();
    EXPECT_EQ(online.StatusText(-1), "Line 0/2\t Offline");
}

using OnlineStatus = OnlineFixture;

TEST_F(OnlineStatus, OnlineTheStatusNamesTheRateThePortAndTheBaudRate) {
    TFakeControl control;
    AttachFakeControl(Doc, control);
    GoOnlineQuietly();
    const std::string text = Online.StatusText(0);
    EXPECT_TRUE(std::regex_match(
        text, std::regex("Line 1/[0-9]+: \"0x[0-9A-F]{4} [0-9A-F]{4} [0-9A-F]{4} \\[0\\]\"\t "
                         "[0-9]+\\.[0-9] Messages/sec on COM 1 at 115200 Baud")))
        << text;
    Online.GoOnline(TConnectTarget::Offline, 0);
    EXPECT_TRUE(Online.StatusText(0).ends_with("\t Offline"));
}

// Answers every value dialog with the next scripted text, or cancels.
class TScriptedEditor : public TValueEditor {
public:
    bool EditText(TDlglineValue& value, QWidget*, TDlgline& row) override {
        Rows.push_back(&row);
        if (Texts.empty())
            return false;
        value.SetText(Texts.front());
        Texts.erase(Texts.begin());
        return true;
    }
    bool EditChoice(TDlglineValueChoice&, QWidget*, TDlgline&) override { return false; }

    std::vector<std::string> Texts;
    std::vector<TDlgline*> Rows;
};

class OnlineEditValue : public ::testing::Test {
protected:
    void SetUp() override {
        Saved = SetValueEditor(&Editor);
        AttachFakeControl(D, Control);
        ASSERT_EQ(
            Process(D, {Line(D, 1, flags::ReadOnly, 0, "fixed", 1),
                        Line(D, 2, 0, CountLevel, "count", 2), Line(D, 3, 0, MemberLevel, "m", 0),
                        Line(D, 4, 0, layout::Unmodifying, "quiet", 0)}),
            0);
    }
    void TearDown() override { SetValueEditor(Saved); }

    QWidget* Owner() { return reinterpret_cast<QWidget*>(&OwnerTag); }

    int OwnerTag = 0;
    TValueEditor* Saved = nullptr;
    TScriptedEditor Editor;
    TFakeControl Control;
    Doc D;
    TKelvoOnline Online{D, nullptr, nullptr, nullptr};
    TScriptedPrompt Prompts;
    TPromptScope Scope{Prompts};
};

TEST_F(OnlineEditValue, ALineThatCannotChangeIsRefusedWithAMessage) {
    EXPECT_FALSE(Online.EditValue(Owner(), 0));
    ASSERT_EQ(Prompts.Asked.size(), 1u);
    EXPECT_EQ(Prompts.Asked[0].Caption, "Edit Value");
    EXPECT_EQ(Prompts.Asked[0].Text, "This line can't be changed!");
    EXPECT_EQ(Prompts.Asked[0].Icon, TPromptIcon::Warning);
    EXPECT_TRUE(Editor.Rows.empty());
}

TEST_F(OnlineEditValue, ACancelledDialogChangesNothing) {
    EXPECT_FALSE(Online.EditValue(Owner(), 1));
    EXPECT_EQ(D.GetEntry(1)->Value->GetLong(), 2);
    EXPECT_FALSE(D.Info.IsModified());
    ASSERT_EQ(Editor.Rows.size(), 1u);
    EXPECT_EQ(Editor.Rows[0], static_cast<TDlgline*>(D.GetEntry(1))) << "the document's own row";
}

TEST_F(OnlineEditValue, EditingACountOfflineHidesTheInstanceAndMarksTheDocument) {
    Editor.Texts = {"1", "2"};
    EXPECT_TRUE(Online.EditValue(Owner(), 1));
    EXPECT_EQ(D.GetEntry(1)->Value->GetLong(), 1);
    EXPECT_EQ(D.Entries.HiddenCount, 1);
    EXPECT_EQ(Control.Count, 4);
    EXPECT_TRUE(D.Info.IsModified());
    EXPECT_FALSE(Online.EditValue(Owner(), 1)) << "it was modified already";
    EXPECT_EQ(D.Entries.HiddenCount, 0);
}

TEST_F(OnlineEditValue, ALineThatDoesNotModifyLeavesTheDocumentUnmodified) {
    Editor.Texts = {"9"};
    const int quietRow = D.List().GetRowCount() - 1;
    EXPECT_FALSE(Online.EditValue(Owner(), quietRow));
    EXPECT_EQ(D.GetEntry(quietRow)->Value->GetLong(), 9);
    EXPECT_FALSE(D.Info.IsModified());
}

} // namespace
} // namespace kelvo
