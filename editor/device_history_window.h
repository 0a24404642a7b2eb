#pragma once
// File > Device History...: the change journal's entries of one device, the
// device of the active editor window, newest first. The device is found by
// its serial number, else by its port. A window of its own that stays open
// beside the editors; the filter field narrows the table to the rows that
// hold its text, and Export CSV... writes the rows shown.
#include "journal/change_journal.h"
#include "journal/journal_document.h"

#include <QWidget>

#include <memory>
#include <optional>
#include <string>
#include <vector>

class QAction;
class QLabel;
class QLineEdit;
class QPushButton;
class QTreeWidget;

namespace kelvo {

class TFileDialog;
class TKlvForm;
class TMainForm;

class TDeviceHistoryWindow : public QWidget {
    Q_OBJECT
public:
    enum TColumn {
        ColumnTime,
        ColumnLine,
        ColumnCaption,
        ColumnOld,
        ColumnNew,
        ColumnResult,
        ColumnSource,
        ColumnUser,
        ColumnPort,
        ColumnCount
    };
    static constexpr const char* Caption = "Device History";
    static constexpr const char* ExportFilter = "CSV (*.csv)|*.csv";

    // The entries of device in the journal at journalPath (the default one
    // when empty).
    explicit TDeviceHistoryWindow(TJournalDevice device, QWidget* parent = nullptr,
                                  std::string journalPath = {});
    ~TDeviceHistoryWindow() override;

    // Reads the journal again.
    void Reload();
    // The entries of the device, and those the filter lets through, newest first.
    const std::vector<TJournalEntry>& Entries() const { return FEntries; }
    std::vector<TJournalEntry> ShownEntries() const;
    // Asks for a file and writes the shown entries as CSV; false when nothing
    // was written (cancelled, or the file could not be written: a box said why).
    bool ExportCsv();
    const TJournalDevice& Device() const { return FDevice; }
    // Whether this window shows the entries of device.
    bool Shows(const TJournalDevice& device) const;

    QLabel* Hint = nullptr;
    QLineEdit* EditFilter = nullptr;
    QTreeWidget* Table = nullptr;
    QPushButton* ButtonRefresh = nullptr;
    QPushButton* ButtonExport = nullptr;
    QPushButton* ButtonClose = nullptr;
    // The save dialog of Export CSV...; tests put a scripted one here.
    std::unique_ptr<TFileDialog> ExportDialog;

private:
    void ApplyFilter();
    void UpdateHint();
    // "SN 204117 (KT200 V2.14)" or "COM3".
    std::string DeviceName() const;

    TJournalDevice FDevice;
    std::string FPath;
    std::vector<TJournalEntry> FEntries;
    std::string FError;
};

// The device of an editor window as the journal names it: its program and
// serial number lines, and the port it is (or was last) online on.
TJournalDevice EditorDevice(const TKlvForm& editor);
// The device of the active editor window; nothing when no editor window is
// active or its device has neither a serial number nor a port.
std::optional<TJournalDevice> ActiveEditorDevice();

// Opens (or brings up) the history window of the active editor window's
// device; null, after a box that says why, when there is none.
TDeviceHistoryWindow* ShowDeviceHistory(QWidget* owner, const std::string& journalPath = {});
// Puts "Device History..." into the main window's File menu; it is enabled
// while an editor window is active.
QAction* InstallDeviceHistory(TMainForm& main);

} // namespace kelvo
