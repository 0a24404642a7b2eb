#pragma once
// The table of the differences between a data file and the device an editor
// window is online with: one row per differing line (each instance of a
// repeated group on its own) with the file's and the device's value and why
// they differ. The rows that can be written carry a check box; Write Checked
// writes the checked ones into the device, a snapshot of the device's values
// first, then reads the device again and shows what still differs. A tool
// window of its editor window: it goes when the editor goes, and while the
// editor is offline or busy nothing can be written.
#include "model/kelvofile.h"
#include "online/kelvo_compare.h"

#include <QDialog>
#include <QPointer>

#include <set>
#include <string>
#include <utility>
#include <vector>

class QLabel;
class QPushButton;
class QTreeWidget;

namespace kelvo {

class TKlvForm;

class TCompareWindow : public QDialog {
    Q_OBJECT
public:
    enum TColumn { ColumnCheck, ColumnLine, ColumnFile, ColumnDevice, ColumnReason };

    TCompareWindow(TKlvForm& editor, std::string fileName, TPtr<TFileTypeKelvo> file);
    ~TCompareWindow() override;

    // Compares the file with the editor's document as it stands (read it first).
    void Compare();
    // Writes the checked rows, then reads the device again and compares.
    void WriteChecked();
    void CheckAll(bool checked);
    // The indices of the checked rows in Comparison().Rows.
    std::vector<std::size_t> CheckedRows() const;
    // Enabling and the heading follow the editor: online, busy, gone.
    void UpdateState();

    const TComparison& Comparison() const { return FComparison; }
    const TFileTypeKelvo& File() const { return *FFile; }

    QLabel* Heading = nullptr;
    QTreeWidget* Table = nullptr;
    QLabel* Result = nullptr;
    QPushButton* ButtonWrite = nullptr;
    QPushButton* ButtonCheckAll = nullptr;
    QPushButton* ButtonCheckNone = nullptr;
    QPushButton* ButtonClose = nullptr;

private:
    using TKey = std::pair<std::uint16_t, std::int32_t>;

    void FillTable();
    std::string HeadingText(bool deviceThere) const;
    // The editor window while it holds the document compared with, else null.
    TKlvForm* Editor() const;
    void NoteUnchecked();

    QPointer<TKlvForm> FEditor;
    std::string FFileName;
    TPtr<TFileTypeKelvo> FFile;
    // The rows' lines refer to the document compared with (its production
    // mode, its translation): one that replaced it ends the writing.
    const TFileTypeKelvo* FComparedWith = nullptr;
    std::vector<bool> FWritable;
    TComparison FComparison;
    // Rows the user unchecked stay unchecked when the table is refreshed.
    std::set<TKey> FUnchecked;
    bool FFilling = false;
};

} // namespace kelvo
