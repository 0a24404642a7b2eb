// Edit > Undo and Redo of values, offline and online against the virtual
// device, and the change journal of what goes into the device through the
// pending entry.
#include "editor/editor_fixture.h"

#include "editor/value_history.h"
#include "journal/change_journal.h"

#include <QAction>
#include <QLineEdit>
#include <QTest>
#include <QTreeView>

#include <fstream>

namespace kelvo::test {
namespace {

constexpr std::uint16_t Filter = 0x0025;

class UndoRedo : public EditorFixture {
protected:
    void Edit(std::uint16_t address, const std::string& text, int instance = 0) {
        SelectRow(RowOf(Find(address, instance)));
        Values.Texts = {text};
        Form->EditValue();
    }
    std::string Shown(std::uint16_t address, int instance = 0) {
        return Find(address, instance)->Value->GetText();
    }
    QAction* UndoAction() { return Form->Actions()["ActionUndo"]; }
    // As the menu does before it shows.
    void Trigger(QAction* action) {
        Form->UpdateActions();
        action->trigger();
    }
    QAction* RedoAction() { return Form->Actions()["ActionRedo"]; }
    // The entry's text as the menu shows it, after the update pass.
    std::string Caption(QAction* action) {
        Form->UpdateActions();
        return action->text().toStdString();
    }
    std::int32_t DeviceLong(std::uint16_t address) {
        const TBytes* raw = Device->WorkingValue(address, 0);
        EXPECT_TRUE(raw && raw->size() >= 4);
        return raw ? std::int32_t((*raw)[0] | (*raw)[1] << 8 | (*raw)[2] << 16 | (*raw)[3] << 24)
                   : 0;
    }
    // The journal's entries, newest first.
    std::vector<TJournalEntry> Journal() {
        TJournalStatus status;
        std::vector<TJournalEntry> entries = ReadJournal({}, status);
        EXPECT_TRUE(status.Ok()) << status.Error;
        return entries;
    }
    // Online with the value of Filter edited to 750 and taken by the device.
    void OnlineWithEdit() {
        LoadDeviceDialog();
        GoOnline();
        ASSERT_TRUE(Doc().IsOnline());
        Edit(Filter, "750");
        Cycle();
        Cycle();
        ASSERT_EQ(DeviceLong(Filter), 750);
        ASSERT_EQ(Shown(Filter), "750");
    }
};

TEST_F(UndoRedo, OfflineTheValuesGoBackAndForthAndTheEntriesNameTheChange) {
    LoadDeviceDialog();
    EXPECT_FALSE(Enabled(UndoAction()));
    EXPECT_EQ(Caption(UndoAction()), "&Undo");
    EXPECT_EQ(Caption(RedoAction()), "&Redo");

    Edit(Filter, "750");
    Edit(Filter, "800");
    EXPECT_TRUE(Enabled(UndoAction()));
    EXPECT_FALSE(Enabled(RedoAction()));
    EXPECT_EQ(Caption(UndoAction()), "&Undo Filter time [ms] = 800");

    Trigger(UndoAction());
    EXPECT_EQ(Shown(Filter), "750");
    EXPECT_EQ(Caption(UndoAction()), "&Undo Filter time [ms] = 750");
    EXPECT_EQ(Caption(RedoAction()), "&Redo Filter time [ms] = 800");
    Trigger(UndoAction());
    EXPECT_EQ(Shown(Filter), "500");
    EXPECT_FALSE(Enabled(UndoAction()));
    EXPECT_TRUE(Form->IsModifiedDocument());

    Trigger(RedoAction());
    Trigger(RedoAction());
    EXPECT_EQ(Shown(Filter), "800");
    EXPECT_FALSE(Enabled(RedoAction()));

    // A new change after an Undo leaves nothing to redo.
    Trigger(UndoAction());
    Edit(Filter, "600");
    EXPECT_FALSE(Enabled(RedoAction()));
    EXPECT_EQ(Caption(UndoAction()), "&Undo Filter time [ms] = 600");

    // A cancelled dialog, and a value that did not change, are no changes.
    SelectRow(RowOf(Find(Filter)));
    Values.Texts = {std::nullopt, std::string("600")};
    Form->EditValue();
    Form->EditValue();
    Trigger(UndoAction());
    EXPECT_EQ(Shown(Filter), "750");
}

TEST_F(UndoRedo, CaptionsShowTheLineAsTheListDoesWithoutMnemonicsOfTheirOwn) {
    LoadDeviceDialog();
    Edit(demo::DeviceTag, "R&D 7");
    EXPECT_EQ(Caption(UndoAction()), "&Undo Device tag = R&&D 7");
    Edit(0x0065, "9", 1);
    EXPECT_EQ(Caption(UndoAction()), "&Undo Relay K2 delay [s] = 9") << "the expanded caption";
    SelectRow(RowOf(Find(0x0014)));
    Values.Items = {2};
    Form->EditValue();
    EXPECT_EQ(Caption(UndoAction()), "&Undo Temperature unit = Kelvin") << "the choice's text";
}

TEST_F(UndoRedo, UndoingACountChangeExpandsItsGroupAgain) {
    LoadDeviceDialog();
    const int rows = Doc().List().GetRowCount();
    Edit(demo::AlarmCount, "1");
    ASSERT_TRUE(Find(demo::AlarmSetpoint, 1)->HiddenByCount);

    Trigger(UndoAction());
    EXPECT_EQ(Shown(demo::AlarmCount), "2");
    ASSERT_TRUE(Find(demo::AlarmSetpoint, 1));
    EXPECT_FALSE(Find(demo::AlarmSetpoint, 1)->HiddenByCount);
    EXPECT_EQ(Doc().List().GetRowCount(), rows);

    Trigger(RedoAction());
    EXPECT_TRUE(Find(demo::AlarmSetpoint, 1)->HiddenByCount);
    EXPECT_LT(Doc().List().GetRowCount(), rows);
}

TEST_F(UndoRedo, OnlineUndoAndRedoGoIntoTheDeviceAndEachWriteIsJournalledOnce) {
    LoadDeviceDialog();
    GoOnline();
    Edit(Filter, "750");
    EXPECT_FALSE(Enabled(UndoAction())) << "the device has not taken it yet";
    Cycle();
    EXPECT_EQ(Caption(UndoAction()), "&Undo Filter time [ms] = 750");
    Cycle();

    Trigger(UndoAction());
    ASSERT_TRUE(Session().PendingEntry);
    EXPECT_FALSE(Enabled(UndoAction())) << "waits for the device";
    EXPECT_EQ(Shown(Filter), "750") << "the list shows what the device holds";
    Cycle();
    EXPECT_EQ(DeviceLong(Filter), 500);
    EXPECT_EQ(Caption(RedoAction()), "&Redo Filter time [ms] = 750");
    Cycle();
    EXPECT_EQ(Shown(Filter), "500");

    Trigger(RedoAction());
    Cycle();
    EXPECT_EQ(DeviceLong(Filter), 750);
    for (int i = 0; i < 3; ++i)
        Cycle();

    const std::vector<TJournalEntry> rows = Journal();
    ASSERT_EQ(rows.size(), 3u);
    const TJournalSource sources[] = {TJournalSource::Redo, TJournalSource::Undo,
                                      TJournalSource::Edit};
    const char* olds[] = {"500", "750", "500"};
    const char* news[] = {"750", "500", "750"};
    for (std::size_t i = 0; i < rows.size(); ++i) {
        EXPECT_EQ(rows[i].Source, sources[i]) << i;
        EXPECT_EQ(rows[i].Result, TJournalResult::Equal) << i;
        EXPECT_EQ(rows[i].OldValue, olds[i]) << i;
        EXPECT_EQ(rows[i].NewValue, news[i]) << i;
        EXPECT_EQ(rows[i].Address, Filter);
        EXPECT_EQ(rows[i].Caption, "Filter time [ms]");
        EXPECT_EQ(rows[i].Port, "COM1");
        EXPECT_EQ(rows[i].Serial, "204117");
    }
}

TEST_F(UndoRedo, ARefusedUndoStaysOnTheStackSaysSoAndIsRecordedWhenTaken) {
    OnlineWithEdit();
    Device->Options().SilentAfter = Device->Counters().Messages;
    Trigger(UndoAction());
    Cycle();
    EXPECT_EQ(DeviceLong(Filter), 750);
    EXPECT_EQ(Form->History()->UndoText().toStdString(), "Filter time [ms] = 750");
    EXPECT_FALSE(Form->History()->Stack().canRedo());
    Form->UpdateStatus();
    EXPECT_NE(Form->StatusText().find(
                  "Undo Filter time [ms] = 750: the device refused the value, trying again"),
              std::string::npos)
        << Form->StatusText();
    Cycle();

    Device->Options().SilentAfter = -1;
    Cycle();
    EXPECT_EQ(DeviceLong(Filter), 500);
    EXPECT_TRUE(Enabled(RedoAction()));
    Form->UpdateStatus();
    EXPECT_EQ(Form->StatusText().find("refused"), std::string::npos);
    Cycle();
    const std::vector<TJournalEntry> rows = Journal();
    ASSERT_EQ(rows.size(), 2u) << "one entry for the attempts of one write";
    EXPECT_EQ(rows[0].Source, TJournalSource::Undo);
    EXPECT_EQ(rows[0].Result, TJournalResult::Equal);
}

TEST_F(UndoRedo, AnUndoTheDeviceNeverTakesGoesIntoTheDocumentAndTheJournalAsRefused) {
    OnlineWithEdit();
    Device->Options().SilentAfter = Device->Counters().Messages;
    Trigger(UndoAction());
    for (int i = 0; i < 4; ++i)
        Cycle();
    ASSERT_FALSE(Doc().IsOnline());
    EXPECT_EQ(DeviceLong(Filter), 750);
    EXPECT_EQ(Shown(Filter), "500") << "the document took it, as an edit it would";
    EXPECT_EQ(Caption(RedoAction()), "&Redo Filter time [ms] = 750");

    const std::vector<TJournalEntry> rows = Journal();
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].Source, TJournalSource::Undo);
    EXPECT_EQ(rows[0].Result, TJournalResult::Refused);
    EXPECT_EQ(rows[0].OldValue, "750");
    EXPECT_EQ(rows[0].NewValue, "500");
}

TEST_F(UndoRedo, ARefusedEditThatANewerOneReplacedIsRecordedAsRefusedAndNotUndone) {
    LoadDeviceDialog();
    GoOnline();
    Device->Options().SilentAfter = Device->Counters().Messages;
    Edit(Filter, "750");
    Cycle();
    Device->Options().SilentAfter = -1;
    Edit(Filter, "800");
    Cycle();
    Cycle();
    ASSERT_EQ(DeviceLong(Filter), 800);

    const std::vector<TJournalEntry> rows = Journal();
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].NewValue, "800");
    EXPECT_EQ(rows[0].Result, TJournalResult::Equal);
    EXPECT_EQ(rows[1].NewValue, "750");
    EXPECT_EQ(rows[1].Result, TJournalResult::Refused);
    EXPECT_EQ(rows[1].OldValue, "500");

    // The history holds what the device took: one change, from 500.
    Trigger(UndoAction());
    Cycle();
    EXPECT_EQ(DeviceLong(Filter), 500);
    EXPECT_FALSE(Enabled(UndoAction()));
}

TEST_F(UndoRedo, AJournalThatCannotBeOpenedStopsTheEditAndNothingIsWritten) {
    LoadDeviceDialog();
    GoOnline();
    const std::string blocker = UserData.Folder + "/blocker";
    std::ofstream(blocker) << "not a folder";
    ::setenv("XDG_DATA_HOME", blocker.c_str(), 1);

    Edit(Filter, "750");
    EXPECT_FALSE(Session().PendingEntry);
    ASSERT_EQ(Prompt.Asked.size(), 1u);
    EXPECT_EQ(Prompt.Asked[0].Caption, "Edit Value");
    EXPECT_EQ(
        Prompt.Asked[0].Text.rfind("The change could not be recorded in the change journal: ", 0),
        0u)
        << Prompt.Asked[0].Text;
    EXPECT_NE(Prompt.Asked[0].Text.find("Nothing was written."), std::string::npos);
    EXPECT_EQ(Prompt.Asked[0].Icon, TPromptIcon::Error);
    Cycle();
    Cycle();
    EXPECT_EQ(DeviceLong(Filter), 500);
    EXPECT_FALSE(Enabled(UndoAction()));
    EXPECT_FALSE(Form->IsModifiedDocument());

    // Once the journal can be written again, so can the device.
    ::setenv("XDG_DATA_HOME", (UserData.Folder + "/data").c_str(), 1);
    Edit(Filter, "750");
    Cycle();
    EXPECT_EQ(DeviceLong(Filter), 750);
}

TEST_F(UndoRedo, ALoadAndAGoOnlineThatReplacedTheLinesLeaveNothingToUndo) {
    LoadDeviceDialog();
    Edit(Filter, "750");
    LoadDeviceDialog();
    EXPECT_FALSE(Enabled(UndoAction()));

    // The device keeps its values (No): the lines are the device's now.
    Edit(Filter, "750");
    Prompt.Answers = {IdNo};
    Form->GoOnline(ComPort(1));
    ASSERT_EQ(Form->Online()->LastOutcome(), TKelvoOnline::TOutcome::KeptDevice);
    EXPECT_FALSE(Enabled(UndoAction()));
    EXPECT_EQ(Caption(UndoAction()), "&Undo");
}

TEST_F(UndoRedo, AGoOnlineThatKeptTheLinesKeepsTheHistory) {
    LoadDeviceDialog();
    Edit(Filter, "750");
    // Cancel: offline again with the document's own values.
    Prompt.Answers = {IdCancel, IdOk};
    Form->GoOnline(ComPort(1));
    ASSERT_EQ(Form->Online()->LastOutcome(), TKelvoOnline::TOutcome::Restored);
    EXPECT_TRUE(Enabled(UndoAction()));

    // Yes writes them into the device, which then holds the lines undone from.
    Prompt.Answers = {IdYes, IdOk};
    Form->GoOnline(ComPort(1));
    ASSERT_EQ(Form->Online()->LastOutcome(), TKelvoOnline::TOutcome::Written);
    ASSERT_EQ(DeviceLong(Filter), 750);
    ASSERT_TRUE(Enabled(UndoAction()));
    Trigger(UndoAction());
    Cycle();
    EXPECT_EQ(DeviceLong(Filter), 500);
}

TEST_F(UndoRedo, CtrlZUndoesAValueButInTheFindFieldItsTyping) {
    LoadDeviceDialog();
    Edit(Filter, "750");
    QTest::keyClick(Form->Controls().KelvoListView, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(Shown(Filter), "500");
    QTest::keyClick(Form->Controls().KelvoListView, Qt::Key_Y, Qt::ControlModifier);
    EXPECT_EQ(Shown(Filter), "750");

    Form->FindInList();
    QLineEdit* field = Form->Controls().EditFind;
    ASSERT_TRUE(field->hasFocus());
    QTest::keyClicks(field, "filter");
    QTest::keyClick(field, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(field->text(), "");
    EXPECT_EQ(Shown(Filter), "750") << "the value's change stays";
}

} // namespace
} // namespace kelvo::test
