// Edit > Compare with File: the table of differences, Write Checked with its
// snapshot, and the snapshot before the go-online dialogue writes old data.
#include "compare_fixture.h"

#include "model/dlglinevalue.h"
#include "tools/vdevice/family_dialogs.h"

#include <QMenu>

#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>

KELVO_GUI_TEST_ENVIRONMENT("editor_compare_tests");

namespace kelvo::test {

namespace {

class Compare : public CompareFixture {
protected:
    // File values that differ for every reason there is, a group instance among them.
    std::string EveryReasonFile() {
        return WriteDataFile([](TFileTypeKelvo& file) {
            SetText(file, 0x0025, 0, "42");         // an editable value
            SetText(file, 0x0062, 1, "55");         // the second alarm's setpoint
            SetText(file, 0x0065, 0, "9");          // the first relay's delay
            SetText(file, 0x0082, 0, "2025-01-01"); // an editable live line
            SetText(file, 0x0081, 0, "1");          // read-only
            Line(file, 0x0071)->SetCaptionText("Station number");
            for (auto it = file.Entries.begin(); it != file.Entries.end(); ++it)
                if (it->Address == 0x0072) {
                    file.Entries.erase(it);
                    break;
                }
        });
    }
};

} // namespace

TEST_F(Compare, TheTableShowsEveryDifferenceWithItsReasonAndChecksTheWritableRows) {
    TCompareWindow* w = CompareWith(EveryReasonFile());
    ASSERT_TRUE(w);
    EXPECT_EQ(Dialog->Shown, 1);
    EXPECT_EQ(Dialog->Title, "Compare with File");
    EXPECT_EQ(Dialog->Filter, "Kelvo Data (*.dat;*.kelvo)|*.dat;*.kelvo|All files (*.*)|*.*");
    EXPECT_TRUE(w->isVisible());
    EXPECT_EQ(w->parent(), Form.data()) << "owned by its editor window";

    const std::vector<std::string> rows = TableRows(*w);
    auto has = [&](const std::string& row) {
        return std::find(rows.begin(), rows.end(), row) != rows.end();
    };
    std::string all;
    for (const std::string& r : rows)
        all += r + "\n";
    EXPECT_TRUE(has("Filter time [ms] | 42 | 500 | Value | x")) << all;
    EXPECT_TRUE(has("Setpoint [2] | 55 | 80 | Value | x")) << all;
    EXPECT_TRUE(has("Relay K1 delay [s] | 9 | 5 | Value | x")) << all;
    EXPECT_TRUE(has("Last calibration | 2025-01-01 | 2024-03-11 | Live line | x")) << all;
    EXPECT_TRUE(has("Baud rate |  | 115200 | Missing in the file | -")) << all;
    const int hours = TableRow(*w, 0x0081);
    ASSERT_GE(hours, 0);
    EXPECT_EQ(w->Table->topLevelItem(hours)->text(TCompareWindow::ColumnFile), "1");
    EXPECT_EQ(w->Table->topLevelItem(hours)->text(TCompareWindow::ColumnReason), "Read-only");
    const int station = TableRow(*w, 0x0071);
    ASSERT_GE(station, 0);
    EXPECT_EQ(w->Table->topLevelItem(station)->text(TCompareWindow::ColumnReason),
              "Definition changed");
    EXPECT_FALSE(w->Table->topLevelItem(station)->flags() & Qt::ItemIsUserCheckable);

    // Values stand right-aligned as in the list.
    const QTreeWidgetItem* first = w->Table->topLevelItem(0);
    EXPECT_TRUE(first->textAlignment(TCompareWindow::ColumnFile) & Qt::AlignRight);
    EXPECT_TRUE(first->textAlignment(TCompareWindow::ColumnDevice) & Qt::AlignRight);
    const std::string heading = w->Heading->text().toStdString();
    EXPECT_NE(heading.find("other.dat"), std::string::npos) << heading;
    EXPECT_NE(heading.find(std::to_string(rows.size()) + " lines differ."), std::string::npos)
        << heading;
    // Editable lines defined otherwise and no conversion for them: the table says so.
    EXPECT_NE(heading.find("could not be converted"), std::string::npos) << heading;
    EXPECT_EQ(w->CheckedRows().size(), 4u);
    EXPECT_TRUE(w->ButtonWrite->isEnabled());

    w->CheckAll(false);
    EXPECT_TRUE(w->CheckedRows().empty());
    EXPECT_FALSE(w->ButtonWrite->isEnabled());
    w->CheckAll(true);
    EXPECT_EQ(w->CheckedRows().size(), 4u);
    EXPECT_TRUE(Prompt.Asked.empty());
}

TEST_F(Compare, AFileLikeTheDeviceSaysAllValuesAreEqual) {
    TCompareWindow* w = CompareWith(WriteDataFile([](TFileTypeKelvo&) {}));
    ASSERT_TRUE(w);
    // Read-only live lines may have moved on since; nothing the user could write differs.
    for (const TCompareRow& row : w->Comparison().Rows)
        EXPECT_FALSE(row.Writable()) << row.Address;
    if (w->Comparison().AllEqual()) {
        EXPECT_NE(w->Heading->text().indexOf("All values are equal."), -1);
    }
    EXPECT_FALSE(w->ButtonWrite->isEnabled());
}

TEST_F(Compare, WriteCheckedWritesTheCheckedRowsAfterASnapshotAndRefreshesTheTable) {
    TCompareWindow* w = CompareWith(EveryReasonFile());
    ASSERT_TRUE(w);
    const int relay = TableRow(*w, 0x0065);
    ASSERT_GE(relay, 0);
    w->Table->topLevelItem(relay)->setCheckState(TCompareWindow::ColumnCheck, Qt::Unchecked);
    ASSERT_EQ(w->CheckedRows().size(), 3u);
    EXPECT_TRUE(Snapshots().empty());

    w->WriteChecked();
    EXPECT_TRUE(Prompt.Asked.empty()) << Prompt.Asked.front().Text;
    EXPECT_EQ(DeviceLong(0x0025), 42);
    EXPECT_EQ(DeviceLong(0x0065), 5) << "an unchecked row stays as it was";
    const TBytes* setpoint = Device->WorkingValue(0x0062, 1);
    ASSERT_TRUE(setpoint);
    EXPECT_EQ(*setpoint, RawDouble(55.0));
    EXPECT_EQ(*Device->WorkingValue(0x0062, 0), RawDouble(80.0)) << "the first instance untouched";

    // The snapshot holds what the device held before.
    const std::vector<TSnapshotInfo> saved = Snapshots();
    ASSERT_EQ(saved.size(), 1u);
    EXPECT_EQ(Form->LastSnapshot(), saved.front().Path);
    EXPECT_NE(saved.front().FileName.find("-COM1-"), std::string::npos) << saved.front().FileName;
    const TPtr<TFileTypeKelvo> before = ReadDataFile(saved.front().Path);
    ASSERT_FALSE(before->IsEmpty());
    EXPECT_EQ(Line(*before, 0x0025)->Value->GetText(), "500");
    EXPECT_EQ(Line(*before, 0x0062, 1)->Value->GetText(), "80");
    EXPECT_NE(w->Result->text().indexOf("3 lines written."), -1) << w->Result->text().toStdString();
    EXPECT_NE(w->Result->text().indexOf(QString::fromStdString(saved.front().Path)), -1);

    // The table now shows what still differs; the unchecked row stays unchecked.
    EXPECT_EQ(TableRow(*w, 0x0025), -1);
    EXPECT_EQ(TableRow(*w, 0x0062, 1), -1);
    EXPECT_EQ(TableRow(*w, 0x0082), -1);
    const int stillThere = TableRow(*w, 0x0065);
    ASSERT_GE(stillThere, 0);
    EXPECT_EQ(w->Table->topLevelItem(stillThere)->checkState(TCompareWindow::ColumnCheck),
              Qt::Unchecked);
    EXPECT_FALSE(w->ButtonWrite->isEnabled()) << "nothing checked";
    // The editor's list holds the values read back.
    ASSERT_TRUE(Find(0x0025));
    EXPECT_EQ(Find(0x0025)->Value->GetText(), "42");
}

TEST_F(Compare, ARowTheDeviceRefusesIsNamedInOneBox) {
    TCompareWindow* w = CompareWith(WriteDataFile([](TFileTypeKelvo& file) {
        SetText(file, 0x0025, 0, "42");
        // A choice the device does not have, as a damaged file could hold it.
        TMemoryStream raw;
        const unsigned char index[2] = {7, 0};
        raw.Write(index, 2);
        raw.Seek(0, 0);
        ASSERT_GE(Line(file, 0x0072)->Value->ReadRaw(raw), 0);
        SetText(file, 0x0084, 0, "3");
    }));
    ASSERT_TRUE(w);
    ASSERT_GE(TableRow(*w, 0x0072), 0);
    w->WriteChecked();
    EXPECT_EQ(DeviceLong(0x0025), 42);
    ASSERT_EQ(Prompt.Asked.size(), 1u);
    EXPECT_EQ(Prompt.Asked[0].Caption, "Write Checked");
    EXPECT_NE(Prompt.Asked[0].Text.find("Baud rate: writing failed"), std::string::npos)
        << Prompt.Asked[0].Text;
    EXPECT_EQ(Prompt.Asked[0].Text.find("Filter time"), std::string::npos);
    // A refused write ends the writing: the rows after it are counted, not tried.
    EXPECT_NE(Prompt.Asked[0].Text.find("1 more checked line was not tried."), std::string::npos)
        << Prompt.Asked[0].Text;
    EXPECT_EQ(DeviceLong(0x0084), 7);
    EXPECT_NE(w->Result->text().indexOf("1 line written."), -1) << w->Result->text().toStdString();
    EXPECT_GE(TableRow(*w, 0x0072), 0);
    EXPECT_EQ(TableRow(*w, 0x0025), -1);
}

TEST_F(Compare, WithoutASnapshotNothingIsWritten) {
    TCompareWindow* w = CompareWith(EveryReasonFile());
    ASSERT_TRUE(w);
    BlockSnapshots();
    w->WriteChecked();
    ASSERT_EQ(Prompt.Asked.size(), 1u);
    EXPECT_EQ(Prompt.Asked[0].Caption, "Write Checked");
    EXPECT_EQ(Prompt.Asked[0].Text.find("No snapshot of the device's values could be saved: "), 0u)
        << Prompt.Asked[0].Text;
    EXPECT_NE(Prompt.Asked[0].Text.find("Nothing was written."), std::string::npos);
    EXPECT_EQ(DeviceLong(0x0025), 500);
    EXPECT_EQ(DeviceLong(0x0065), 5);
    EXPECT_NE(w->Result->text().indexOf("Nothing was written"), -1);
    EXPECT_GE(TableRow(*w, 0x0025), 0) << "the differences stay";
}

TEST_F(Compare, ADamagedFileGivesItsMessageAndNothingElse) {
    const std::string path = Scratch + "/damaged.dat";
    std::ofstream(path, std::ios::binary) << "this is no data file at all";
    const long before = Device->Counters().Commands;
    EXPECT_FALSE(CompareWith(path));
    ASSERT_EQ(Prompt.Asked.size(), 1u);
    EXPECT_EQ(Prompt.Asked[0].Text, "Invalid File \"" + path + "\"!");
    EXPECT_EQ(Device->Counters().Commands, before) << "the device was not read";

    // Cancel in the dialog: nothing at all.
    Prompt.Asked.clear();
    EXPECT_FALSE(CompareWith(""));
    EXPECT_TRUE(Prompt.Asked.empty());
}

TEST_F(Compare, CompareNeedsTheDeviceAndTheTableFollowsIt) {
    EXPECT_TRUE(Enabled(Form->Actions()["ActionCompareWithFile"]));
    QMenu* edit = Form->EditMenu();
    EXPECT_TRUE(edit->actions().contains(Form->Actions()["ActionCompareWithFile"]));
    EXPECT_EQ(Form->Actions()["ActionCompareWithFile"]->text(), "Co&mpare with File...");

    TCompareWindow* w = CompareWith(EveryReasonFile());
    ASSERT_TRUE(w);
    // While an exchange holds the window, nothing else talks to the device.
    Form->CloseLock.Lock();
    EXPECT_FALSE(Enabled(Form->Actions()["ActionCompareWithFile"]));
    w->UpdateState();
    EXPECT_FALSE(w->ButtonWrite->isEnabled());
    Form->CloseLock.Unlock();
    w->UpdateState();
    EXPECT_TRUE(w->ButtonWrite->isEnabled());

    Form->GoOnline(TConnectTarget::Offline);
    EXPECT_FALSE(Enabled(Form->Actions()["ActionCompareWithFile"]));
    w->UpdateState();
    EXPECT_FALSE(w->ButtonWrite->isEnabled());
    EXPECT_NE(w->Heading->text().indexOf("The device went offline"), -1);
    const long before = Device->Counters().Commands;
    w->WriteChecked();
    EXPECT_EQ(Device->Counters().Commands, before);
    EXPECT_EQ(DeviceLong(0x0025), 500);

    // The table goes with its editor.
    QPointer<TCompareWindow> table(w);
    Form->close();
    DrainEvents();
    EXPECT_TRUE(table.isNull());
}

TEST_F(Compare, AnotherDocumentInTheEditorEndsTheWriting) {
    TCompareWindow* w = CompareWith(EveryReasonFile());
    ASSERT_TRUE(w);
    // The rows refer to the document compared with; a new one takes its place.
    LoadDeviceDialog();
    GoOnline();
    ASSERT_TRUE(Doc().IsOnline());
    w->UpdateState();
    EXPECT_FALSE(w->ButtonWrite->isEnabled());
    EXPECT_NE(w->Heading->text().indexOf("another document"), -1);
    w->CheckAll(true);
    w->WriteChecked();
    EXPECT_EQ(DeviceLong(0x0025), 500);
}

TEST_F(Compare, TheTableIsClosedWithTheEditor) {
    QPointer<TCompareWindow> table(CompareWith(EveryReasonFile()));
    ASSERT_TRUE(table);
    delete Form.data();
    EXPECT_TRUE(table.isNull());
}

class OldDataWrite : public CompareFixture {
protected:
    // The document keeps its values while the device gets another one.
    void ChangeDocumentOffline() {
        Form->GoOnline(TConnectTarget::Offline);
        ASSERT_FALSE(Doc().IsOnline());
        Find(0x0025)->Value->SetText("42");
        Prompt.Asked.clear();
    }
};

TEST_F(OldDataWrite, TheDeviceValuesAreSavedBeforeTheOldDataGoIn) {
    ChangeDocumentOffline();
    Prompt.Answers = {IdYes, IdOk};
    Form->GoOnline(ComPort(1));
    ASSERT_GE(Prompt.Asked.size(), 2u);
    EXPECT_NE(Prompt.Asked[0].Text.find("Reprogram device?"), std::string::npos);
    EXPECT_EQ(Prompt.Asked[1].Text, "Reprogramming successful!");
    EXPECT_EQ(Form->Online()->LastOutcome(), TKelvoOnline::TOutcome::Written);
    EXPECT_EQ(DeviceLong(0x0025), 42);

    const std::vector<TSnapshotInfo> saved = Snapshots();
    ASSERT_EQ(saved.size(), 1u);
    const TPtr<TFileTypeKelvo> before = ReadDataFile(saved.front().Path);
    ASSERT_FALSE(before->IsEmpty());
    EXPECT_EQ(Line(*before, 0x0025)->Value->GetText(), "500");
    // Both alarm instances are in it.
    EXPECT_TRUE(Line(*before, 0x0062, 1)->Value);
    // Quiet on success: the status text tells where it went.
    EXPECT_NE(Form->StatusText().find(saved.front().Path), std::string::npos) << Form->StatusText();
}

TEST_F(OldDataWrite, WithoutASnapshotTheDialogueEndsAsCancelDoes) {
    ChangeDocumentOffline();
    BlockSnapshots();
    Prompt.Answers = {IdYes, IdOk, IdOk};
    Form->GoOnline(ComPort(1));
    ASSERT_EQ(Prompt.Asked.size(), 3u);
    EXPECT_EQ(Prompt.Asked[1].Caption, "Go Online");
    EXPECT_EQ(Prompt.Asked[1].Text.find("No snapshot of the device's values could be saved: "), 0u)
        << Prompt.Asked[1].Text;
    EXPECT_EQ(Prompt.Asked[2].Text, "Restored old data.\n\nGoing offline again.");
    EXPECT_EQ(Form->Online()->LastOutcome(), TKelvoOnline::TOutcome::Restored);
    EXPECT_EQ(DeviceLong(0x0025), 500) << "nothing written";
    EXPECT_FALSE(Doc().IsOnline());
    ASSERT_TRUE(Find(0x0025));
    EXPECT_EQ(Find(0x0025)->Value->GetText(), "42") << "the document keeps its old data";
}

} // namespace kelvo::test

namespace kelvo::test {

namespace {

class CompareConverted : public CompareFixture {
protected:
    CompareConverted() : CompareFixture(FamilyProgram("KT400 V2.0").Dialog) {}
};

} // namespace

TEST_F(CompareConverted, TheHeadingSaysTheFileWasConvertedFirst) {
    const std::string path = Scratch + "/old-program.dat";
    const TBytes bytes = FamilyRecords(FamilyProgram("KT400 V1.0").Dialog);
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    TCompareWindow* w = CompareWith(path);
    ASSERT_TRUE(w);
    EXPECT_TRUE(w->Comparison().Converted);
    EXPECT_NE(w->Heading->text().indexOf("converted"), -1) << w->Heading->text().toStdString();
    for (const TCompareRow& row : w->Comparison().Rows)
        EXPECT_NE(row.Reason, TCompareRow::MissingInDevice) << row.Address;
}

} // namespace kelvo::test
