#pragma once
// File > Restore Snapshot...: the snapshots of devices' values taken before
// writes, newest first. The chosen one opens as a new untitled document, so
// that saving asks for a name and the snapshot itself stays as it was; going
// online with it offers to write it back into the device as any old data.
#include "snapshots/snapshots.h"

#include <QDialog>

#include <functional>
#include <string>
#include <vector>

class QAction;
class QLabel;
class QPushButton;
class QTreeWidget;

namespace kelvo {

class TKlvForm;
class TMainForm;

class TRestoreSnapshotDialog : public QDialog {
    Q_OBJECT
public:
    enum TColumn { ColumnTime, ColumnPort, ColumnProgram, ColumnSize };

    // Lists the snapshots of folder (the snapshot folder when empty).
    explicit TRestoreSnapshotDialog(QWidget* parent = nullptr, std::string folder = {});

    // The chosen snapshot's file, or empty.
    std::string SelectedPath() const;
    const std::vector<TSnapshotInfo>& Snapshots() const { return FSnapshots; }

    QLabel* Hint = nullptr;
    QTreeWidget* List = nullptr;
    QPushButton* ButtonOpen = nullptr;
    QPushButton* ButtonCancel = nullptr;

private:
    void Fill();

    std::string FFolder;
    std::vector<TSnapshotInfo> FSnapshots;
};

// Opens the snapshot at path as a new untitled editor window, offline; null
// (after the message) when it holds no dialog.
TKlvForm* OpenSnapshot(const std::string& path, QWidget* owner = nullptr);
// Shows the dialog and opens the chosen snapshot.
void RestoreSnapshot(QWidget* owner);
// How the dialog is run: by default modally; tests choose a row instead.
void SetRestoreSnapshotRunner(std::function<bool(TRestoreSnapshotDialog&)> runner);
// Puts "Restore Snapshot..." into the main window's File menu, there whatever
// window is active (or none).
QAction* InstallRestoreSnapshot(TMainForm& main);

} // namespace kelvo
