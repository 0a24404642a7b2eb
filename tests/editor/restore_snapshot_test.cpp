// File > Restore Snapshot...: the list of snapshots and a snapshot opened as
// a new untitled document, written back by the ordinary go-online dialogue.
#include "compare_fixture.h"

#include "editor/restore_snapshot_dialog.h"
#include "foundation/codepage.h"
#include "model/device_identity.h"
#include "shell/gui/mainwindow.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTreeWidget>

#include <memory>

namespace kelvo::test {

namespace {

// Answers the save dialog with the name it proposes, in a scratch folder.
class TProposedName : public TFileDialog {
public:
    bool Execute() override {
        Proposed = FileName;
        FileName = Folder + "/" + FileName;
        return true;
    }
    std::string Folder;
    std::string Proposed;
};

class RestoreSnapshot : public CompareFixture {
protected:
    ~RestoreSnapshot() override {
        SetRestoreSnapshotRunner({});
        for (TFilesaveForm* w : TFilesaveForm::Windows())
            if (w != Form.data())
                delete w;
    }
    std::string Bytes(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    static TKlvForm* NewestWindow() {
        const auto windows = TFilesaveForm::Windows();
        return windows.empty() ? nullptr : qobject_cast<TKlvForm*>(windows.back());
    }
};

} // namespace

TEST_F(RestoreSnapshot, AnEmptyListSaysWhereSnapshotsAreKept) {
    TRestoreSnapshotDialog dialog;
    EXPECT_EQ(dialog.List->topLevelItemCount(), 0);
    EXPECT_FALSE(dialog.ButtonOpen->isEnabled());
    const std::string hint = dialog.Hint->text().toStdString();
    EXPECT_NE(hint.find(Scratch + "/data/kelvo/snapshots"), std::string::npos) << hint;
    EXPECT_EQ(hint.find(SnapshotFolder()), hint.find(Scratch));
}

TEST_F(RestoreSnapshot, TheListShowsTheNewestFirstWithPortProgramAndSize) {
    const TSnapshotResult first = SaveSnapshot(Doc(), "COM1");
    ASSERT_TRUE(first.Ok()) << first.Error;
    const TSnapshotResult second = SaveSnapshot(Doc(), "COM3");
    ASSERT_TRUE(second.Ok()) << second.Error;

    TRestoreSnapshotDialog dialog;
    ASSERT_EQ(dialog.List->topLevelItemCount(), 2);
    const QTreeWidgetItem* top = dialog.List->topLevelItem(0);
    EXPECT_EQ(top->text(TRestoreSnapshotDialog::ColumnPort), "COM3");
    EXPECT_EQ(top->text(TRestoreSnapshotDialog::ColumnProgram).toStdString(),
              OemToUtf8(FindDeviceIdentity(Doc()).Program));
    EXPECT_TRUE(top->text(TRestoreSnapshotDialog::ColumnSize).endsWith(" bytes"));
    EXPECT_EQ(top->text(TRestoreSnapshotDialog::ColumnTime).size(), 19) << "YYYY-MM-DD hh:mm:ss";
    EXPECT_EQ(dialog.SelectedPath(), second.Path) << "the newest is chosen at first";
    EXPECT_TRUE(dialog.ButtonOpen->isEnabled());
    dialog.List->setCurrentItem(dialog.List->topLevelItem(1));
    EXPECT_EQ(dialog.SelectedPath(), first.Path);
}

TEST_F(RestoreSnapshot, ADoubleClickChoosesTheSnapshot) {
    ASSERT_TRUE(SaveSnapshot(Doc(), "COM1").Ok());
    TRestoreSnapshotDialog dialog;
    ASSERT_EQ(dialog.List->topLevelItemCount(), 1);
    emit dialog.List->itemDoubleClicked(dialog.List->topLevelItem(0), 0);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_FALSE(dialog.SelectedPath().empty());
}

TEST_F(RestoreSnapshot, ASnapshotOpensAsAnUntitledDocumentAndGoesBackIntoTheDevice) {
    const TSnapshotResult saved = SaveSnapshot(Doc(), "COM1");
    ASSERT_TRUE(saved.Ok()) << saved.Error;
    const std::string before = Bytes(saved.Path);
    // The device moves on after the snapshot.
    ASSERT_TRUE(Device->SetWorkingValue(0x0025, 0, RawLong(777)));

    SetRestoreSnapshotRunner([](TRestoreSnapshotDialog& d) { return !d.SelectedPath().empty(); });
    kelvo::RestoreSnapshot(nullptr);
    TKlvForm* restored = NewestWindow();
    ASSERT_TRUE(restored && restored != Form.data());
    ASSERT_TRUE(restored->Kelvo());
    EXPECT_FALSE(restored->Kelvo()->IsOnline()) << "ready for the go-online dialogue, not online";
    EXPECT_TRUE(restored->IsNewDocument());
    EXPECT_EQ(restored->windowTitle(), "Kelvo New.dat");
    const auto lineOf = [&](std::uint16_t address, int instance) -> TEntry* {
        for (TEntry& e : restored->Kelvo()->Entries)
            if (e.Address == address && e.IndexI == instance && e.Value)
                return &e;
        return nullptr;
    };
    ASSERT_TRUE(lineOf(0x0025, 0));
    EXPECT_EQ(lineOf(0x0025, 0)->Value->GetText(), "500");
    ASSERT_TRUE(lineOf(0x0062, 1)) << "group instances come back too";

    // Save asks for a name: the snapshot itself is never written over.
    TProposedName name;
    name.Folder = Scratch;
    name.Tag = TFilesaveForm::TagSave;
    TFilesaveForm::Save(restored, &name);
    EXPECT_EQ(name.Proposed, "New.dat");
    EXPECT_EQ(Bytes(saved.Path), before);

    // Going online offers to write the snapshot's values; a new snapshot comes first.
    Prompt.Asked.clear();
    Prompt.Answers = {IdYes, IdOk};
    restored->GoOnline(ComPort(1));
    ASSERT_GE(Prompt.Asked.size(), 1u);
    EXPECT_NE(Prompt.Asked[0].Text.find("Reprogram device?"), std::string::npos)
        << Prompt.Asked[0].Text;
    EXPECT_EQ(DeviceLong(0x0025), 500);
    EXPECT_EQ(Snapshots().size(), 2u);
}

TEST_F(RestoreSnapshot, TheCommandStandsInTheFileMenuWithNoWindowOpen) {
    delete Form.data();
    TMainForm main;
    QAction* action = InstallRestoreSnapshot(main);
    ASSERT_TRUE(action);
    EXPECT_EQ(action->text(), "Restore Sna&pshot...");
    EXPECT_TRUE(main.FileMenu()->actions().contains(action));
    EXPECT_TRUE(main.Children().empty());
    main.UpdateActions();
    emit main.FileMenu()->aboutToShow();
    EXPECT_TRUE(action->isEnabled());

    // Chosen from the menu, with nothing to choose: no window opens.
    SetRestoreSnapshotRunner([](TRestoreSnapshotDialog& d) { return !d.SelectedPath().empty(); });
    action->trigger();
    EXPECT_TRUE(TFilesaveForm::Windows().empty());
}

} // namespace kelvo::test
